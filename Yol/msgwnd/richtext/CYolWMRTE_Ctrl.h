#pragma once
// The read-only rich-text window of the message history: it owns the
// document, shows it through a layout and a view, scrolls vertically, keeps
// a caret and a selection for reading and copying, activates links, finds
// text and redraws animated pictures alone. It keeps a layout and a view
// for each of the last two widths it was shown at, so that turning the
// device and back does not lay the history out again. UI thread only.

#include "CYolWMRTE_TextView.h"
#include "CYolWMUI_ScrollWnd.h"

#include <memory>

namespace RTE {

class CYolWMRTE_Ctrl : public UI::CYolWMUI_ScrollWnd,
                       public CYolWMRTE_TextLayout::MObserver,
                       public CYolWMRTE_TextView::MObserver {
public:
    // What the owner decides: fonts and colours, the caret policy, links.
    class MRTEObserver {
    public:
        virtual void GetPartFont(TPartFont& part, int kind) = 0;
        virtual void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) = 0;
        // The text font's height in logical units.
        virtual int GetTextHeight() = 0;
        // Non-zero when the owner handled the link.
        virtual int OnLinkActivated(const char16_t* text, int length) = 0;
        // Whether the arrow keys move the caret rather than the focus.
        virtual bool IsCaretMoveEnabled(bool vertical) = 0;

    protected:
        ~MRTEObserver() = default;
    };

    struct TPictRedrawInfo {
        CRTEPicture* picture = nullptr;
        int x = 0;
        int y = 0;
        bool selected = false;
    };

    enum TFindOptions : int { EFindWholeWord = 1, EFindMatchCase = 2 };
    static constexpr int kAutoScrollTimer = 1003;
    static constexpr int kAutoScrollPeriod = 200;

    // Without a measurer the layouts measure on the screen.
    explicit CYolWMRTE_Ctrl(MRTEObserver* observer, MTextMeasurer* measurer = nullptr);
    ~CYolWMRTE_Ctrl() override;

    int Create(HINSTANCE instance, HWND parent, unsigned long style, const RECT& rect);

    // Appends a copy of a built paragraph; the builder keeps its own.
    void AddParagraph(const char16_t* text, const CYolArray<TFormat>& formats);
    void OnParagraphsAdded(int n);
    // Fonts changed: everything is laid out again.
    void Relayout();
    void Clear();
    void ReplacePicture(int para, CRTEPicture* picture, const char16_t* text, int length, int kind);
    int GetParaLength(int index) const;
    int ParaCount() const { return m_document.Count(); }
    const TDocument& Document() const { return m_document; }

    // New strings the caller frees with delete[]; null when there is
    // nothing to give.
    char16_t* GetSelectedText(bool quote) const;
    char16_t* GetLastParaText(bool quote) const;
    char16_t* GetAllText(bool quote) const;

    // 1 when found: the match is selected and the caret goes to its end.
    int Find(const char16_t* text, int options);
    void MoveCaret(int move, bool extend);
    void ScrollToCaret();
    // An animated picture shows a new frame.
    void OnFrameChanged(int para, CRTEPicture* picture);

    CYolWMRTE_TextView* ActiveView() const { return m_active >= 0 ? m_pairs[m_active].view.get() : nullptr; }
    CYolWMRTE_TextLayout* ActiveLayout() const { return m_active >= 0 ? m_pairs[m_active].layout.get() : nullptr; }
    int CaretHeight() const { return m_caretHeight; }

    virtual void OnContextMenu(POINT point);

    // The window's handlers.
    void OnCreate() override;
    void OnWindowPosChanged(WINDOWPOS* pos) override;
    void OnTimer(int id, TIMERPROC proc) override;
    void OnKeyDown(int key) override;
    void OnChar(char16_t character, long data) override;
    void OnLButtonDown(int keys, POINT point) override;
    void OnLButtonUp(int keys, POINT point) override;
    void OnMouseMove(int keys, POINT point) override;
    void OnSetFocus(HWND other) override;
    void OnKillFocus(HWND other) override;
    int OnGetDlgCode() override;
    void Paint(HDC hdc) override;
    void PaintX(HDC hdc) override;
    void OnScroll() override;

    // The layouts' and views' observer.
    void GetPartFont(HFONT& font, int kind) override;
    void GetPartFont(TPartFont& part, int kind) override;
    void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) override;
    void LeaveView(bool backward) override;
    void Invalidate() override;

private:
    enum TStylus { EStylusNone, EStylusTap, EStylusSelect, EStylusDragScroll };
    enum TAutoScroll { EAutoScrollNone, EAutoScrollUp, EAutoScrollDown };

    struct TPair {
        std::unique_ptr<CYolWMRTE_TextLayout> layout;
        std::unique_ptr<CYolWMRTE_TextView> view;
    };

    void MakePair(int index, int width, int height);
    void SwitchWidth(int width, int height);
    void GrowPending(int first, int last);
    void UpdateScrollInfo();
    void PlaceCaret();
    void PaintPictures(HDC hdc);
    char16_t* JoinText(TPosition first, TPosition last, bool quote) const;
    bool MatchAt(const char16_t* text, int length, int pos, int searchStart, const std::u16string& needle,
                 int options) const;
    void NextControl(bool backward);
    void CopySelection();
    void SelectTo(POINT point);
    void EndStylus();
    void StopAutoScroll();
    void AutoScrollStep();
    bool ActivateLinkAt(const TPosition& position);

    TDocument m_document;
    TPair m_pairs[2];
    MRTEObserver* m_observer;
    MTextMeasurer* m_measurer;
    int m_active = -1;
    TStylus m_stylus = EStylusNone;
    POINT m_tap{0, 0};
    TAutoScroll m_autoScroll = EAutoScrollNone;
    int m_lastX = 0;
    int m_pendingFirst = -1;
    int m_pendingLast = -1;
    CYolArray<TPictRedrawInfo> m_redraws;
    bool m_hasCaret = false;
    int m_caretHeight = 0;
    int m_width = -1;
    int m_height = -1;
};

} // namespace RTE
