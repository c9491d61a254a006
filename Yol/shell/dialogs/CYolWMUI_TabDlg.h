#pragma once
// A full-screen dialog with a strip of tabs along its bottom edge and one
// pane window per tab above it: the base of the message window and of every
// settings, details and search dialog. The strip scrolls when its tabs are
// wider than the screen, follows the stylus when dragged, is driven by the
// arrow keys through an invisible focus button that holds the keyboard
// focus for it, and reports double taps. Tabs can flash an image to draw
// the eye; one window timer drives every flashing tab.
//
// Everything runs on the UI thread.

#include "CYolArray.h"
#include "CYolString.h"
#include "CYolWMUI_Dlg.h"

#include <atomic>
#include <cstdint>

namespace UI {

class CYolWMUI_TabDlg : public CYolWMUI_BigDlg {
public:
    struct TTab {
        int id = 0;
        // Owned: deleted with the tab.
        CYolWMUI_WndBase* pan = nullptr;
        int width = 0;
        CYolArray<unsigned int> images;
        CYolString caption;
        // The image shown while flashing; -1 when not flashing.
        int flashImage = -1;
    };

    static constexpr int kFlashTimerId = 3000;
    static constexpr std::uint32_t kFlashPeriod = 500;
    // Hit-test answers besides tab indices.
    static constexpr int kHitNothing = -1;
    static constexpr int kHitRightArrow = -2;
    static constexpr int kHitLeftArrow = -3;

    CYolWMUI_TabDlg();
    ~CYolWMUI_TabDlg() override;
    CYolWMUI_TabDlg(const CYolWMUI_TabDlg&) = delete;
    CYolWMUI_TabDlg& operator=(const CYolWMUI_TabDlg&) = delete;

    void AddTab(int id, CYolWMUI_WndBase* pan, const CYolString& caption, const CYolArray<unsigned int>& images);
    void SelectTab(int id);
    void RemoveTab(int id);
    void RemoveAllTabs();
    void SetTabCaption(int id, const CYolString& caption);
    void SetTabImages(int id, const CYolArray<unsigned int>& images);
    void FlashTab(int id, int imageId);
    void StopFlashTab(int id);

    bool HasTab(int id) const;
    int GetTabIdByPan(const CYolWMUI_WndBase* pan) const;
    // The caller makes sure the tab exists.
    TTab* GetTab(int id) const;
    int GetTabIndex(int id) const;
    int GetCurTabId() const;

    int TabCount() const { return m_tabs.Count(); }
    int TabIdAt(int index) const { return m_tabs[index]->id; }
    int CurrentIndex() const { return m_cur; }
    int FirstVisible() const { return m_first; }
    // Whether the tab at the strip's right end is cut.
    bool CutAtRight() const;
    bool StripFocused() const { return m_stripFocused; }
    int FlashingCount() const { return m_flashing.load(); }
    HWND FocusButton() const { return m_focusButton; }
    const RECT& StripRect() const { return m_strip; }
    const RECT& PanRect() const { return m_panRect; }
    // A point of the client area: a tab index, kHitRightArrow,
    // kHitLeftArrow or kHitNothing.
    int HitTest(POINT point) const;

    int DoDataExchange(int save) override;
    void OnInitDialog() override;
    void OnTimer(int id, TIMERPROC proc) override;
    void OnActivate(unsigned short state, int minimized, HWND other) override;
    void OnScreenSizeChanged() override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    void OnLButtonDown(int keys, POINT point) override;
    void OnMouseMove(int keys, POINT point) override;
    void OnLButtonUp(int keys, POINT point) override;
    void Paint(HDC hdc) override;
    HBRUSH GetBkBrush() override;

    virtual void OnTabChanged();
    virtual void OnTabDblClick();
    virtual int GetBottomBarHeight();
    // Every key-down on the focus button comes here; 0 when the dialog used
    // it (the button then drops it), 1 to let the button have it.
    virtual int OnStripKey(int key);

    void Relayout();

protected:
    // What the destructor does first: detaches the window from the object,
    // then deletes every pane. A derived dialog that must outlive its panes
    // calls it in its own destructor.
    void DetachAndRemoveTabs();
    void CalcLayout();
    void EnsureCurrentVisible();

private:
    static LRESULT FocusButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    int CalcTabWidth(const TTab& tab) const;
    void DragStrip(int x);
    void StopFlashing(TTab& tab);
    void PaintStrip(HDC hdc);
    void PaintTab(HDC hdc, const TTab& tab, int index, int x);
    void SelectIndex(int index);
    void FocusStrip();

    CYolArray<TTab*> m_tabs;
    RECT m_panRect{0, 0, 0, 0};
    RECT m_strip{0, 0, 0, 0};
    int m_cur = -1;
    int m_first = 0;
    std::atomic<int> m_flashing{0};
    HWND m_focusButton = nullptr;
    // The button class's own procedure, which the focus button hands on to.
    static inline WNDPROC s_buttonProc = nullptr;
    HFONT m_font = nullptr;
    bool m_stripFocused = true;
    int m_held = -1;
    int m_penDownX = 0;
    std::uint32_t m_penDownTick = 0;
    bool m_hadPenDown = false;
};

} // namespace UI
