#pragma once
// A window onto one text layout: the visible rectangle in layout
// coordinates, the caret and the selection. It moves the caret by the moves
// the control's keys ask for, turns view points into positions and
// selections, and paints the visible paragraphs with the selection
// highlighted. The control keeps one view per layout.

#include "CYolWMRTE_TextLayout.h"

namespace RTE {

struct TPartFont {
    HFONT font = nullptr;
    COLORREF color = 0;
};

class CYolWMRTE_TextView {
public:
    class MObserver {
    public:
        virtual void GetPartFont(TPartFont& part, int kind) = 0;
        virtual void GetColors(COLORREF& selectedText, COLORREF& selectionBackground) = 0;
        // The caret tried to move out of the text.
        virtual void LeaveView(bool backward) = 0;
        virtual void Invalidate() = 0;

    protected:
        ~MObserver() = default;
    };

    enum TMove : int {
        EMoveLeft = 1,
        EMoveRight,
        EMoveLineStart,
        EMoveLineEnd,
        EMoveLineUp,
        EMoveLineDown,
        EMoveParaStart,
        EMoveParaEnd,
        EMovePrevPara,
        EMoveNextPara,
        EMoveTextStart,
        EMoveTextEnd,
    };

    CYolWMRTE_TextView(const TDocument* document, const CYolWMRTE_TextLayout* layout, MObserver* observer,
                       const RECT& rect);

    void Reset();
    void SetHeight(int height, bool keepBottom);
    void SetRect(const RECT& rect) { m_rect = rect; }
    const RECT& Rect() const { return m_rect; }
    // Scrolls: the top edge moves, the height stays.
    void SetTop(int top);

    // Relative to the view.
    TCaretPoint GetCaretPoint() const;
    void GetCaretLine(int& top, int& bottom) const;
    TPosition HitTest(POINT point) const;

    void MoveCaret(int move, bool extend);
    void SelectRange(POINT point1, POINT point2, bool setCaret);
    void ClearSelection();

    const TPosition& Caret() const { return m_caret; }
    void SetCaret(const TPosition& caret) { m_caret = caret; }
    bool HasSelection() const { return m_selStart.para >= 0; }
    // Inclusive: from the start character to the end character.
    const TPosition& SelectionStart() const { return m_selStart; }
    const TPosition& SelectionEnd() const { return m_selEnd; }
    // Takes a selection over as it is (another view of the same document).
    void SetSelection(const TPosition& start, const TPosition& end);
    bool IsSelected(int para, int ch) const;

    void Paint(HDC hdc);

private:
    // A move's outcome: a new caret, or leaving the view.
    struct TStep {
        TPosition caret;
        int leave = 0;  // 0 stays, -1 leaves backward, 1 forward
    };

    TStep Step(int move) const;
    TStep Left() const;
    TStep Right() const;
    TStep LineUpDown(bool up) const;
    TStep ParaEnd(int para) const;
    TStep NextPara() const;

    int ParaCount() const { return m_document->Count(); }
    int ParaLength(int para) const;
    int LastChar(int para) const;
    char16_t CharAt(int para, int ch) const;
    bool AtTextEnd(const TPosition& p) const;
    bool NextChar(TPosition& p) const;
    bool PrevChar(TPosition& p) const;
    void Extend(const TPosition& from, const TPosition& to);
    void SetRange(TPosition low, TPosition high);
    void RemoveSelection() { m_selStart = m_selEnd = TPosition{-1, 0, 0}; }

    void PaintSlice(HDC hdc, int para, int originX, int originY, const CYolWMRTE_ParaLayoutSlice& slice,
                    HGDIOBJ& oldFont);

    const TDocument* m_document;
    const CYolWMRTE_TextLayout* m_layout;
    MObserver* m_observer;
    RECT m_rect;
    TPosition m_caret;
    TPosition m_selStart{-1, 0, 0};
    TPosition m_selEnd{-1, 0, 0};
};

} // namespace RTE
