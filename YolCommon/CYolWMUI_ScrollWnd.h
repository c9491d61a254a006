#pragma once
// A child window with a vertical scroll bar that scrolls its content by a
// step (line up / down) or a page. The window keeps the bar's range, page and
// position, clamped as the platform clamps a scroll bar: the position stays
// within min .. max - page + 1. The bar shows while the range is larger
// than the page.

#include "CYolWMUI_WndBase.h"

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
    int GetScrollMinRange() const { return m_min; }
    int GetScrollMaxRange() const { return m_max; }
    int GetScrollPos() const { return m_pos; }
    int GetScrollPage() const { return m_page; }
    // Moves to `pos` (clamped), then OnScroll and a full repaint.
    void SetScrollPos(int pos);

protected:
    int m_scrollTic;

private:
    int ClampedPos(int pos) const;
    void ApplyBar();

    int m_min = 0;
    int m_max = 0;
    int m_page = 0;
    int m_pos = 0;
};

} // namespace UI
