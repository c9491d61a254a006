#pragma once
// A child window with a vertical scroll bar that scrolls its content by a
// step (line up / down) or a page. Range, page and position live in the
// window's own scroll bar (SB_VERT), which clamps them: the position stays
// within min .. max - page + 1, and the bar shows while the range is larger
// than the page. Before the window exists, or after it is gone, there is no
// bar: the setters do nothing and the getters answer 0.

#include "CYolWMUI_WndBase.h"
#include "Controls/ControlScrollBar.h"

namespace UI {

class YOL_API CYolWMUI_ScrollWnd : public CYolWMUI_Wnd {
public:
    // A step of 10 logical pixels at the screen's density.
    CYolWMUI_ScrollWnd();
    explicit CYolWMUI_ScrollWnd(int scrollTic);

    // Adds the border, the vertical scroll bar and the tab stop.
    int Create(HINSTANCE instance, HWND parent, unsigned long style, const RECT& rect);

    void OnCreate() override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    // After every change of the position through SetScrollPos.
    virtual void OnScroll();

    void SetScrollTic(int tic) { m_scrollTic = tic; }
    int GetScrollTic() const { return m_scrollTic; }

    void SetScrollInfo(int min, int max, int page, int pos);
    // Keeps the position (clamped to the new range).
    void SetScrollInfo(int min, int max, int page);
    void GetScrollRange(int* min, int* max) const;
    int GetScrollMinRange() const;
    int GetScrollMaxRange() const;
    int GetScrollPos() const;
    int GetScrollPage() const;
    // Moves to `pos` (clamped), then OnScroll and a full repaint.
    void SetScrollPos(int pos);

protected:
    int m_scrollTic;

private:
    // The bar's state as it stands (all 0 without a window).
    SCROLLINFO Bar() const;
};

} // namespace UI
