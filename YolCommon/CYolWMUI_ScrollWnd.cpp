#include "CYolWMUI_ScrollWnd.h"

#include "Shell/ShellScreen.h"

#include <algorithm>
#include <climits>

namespace UI {

CYolWMUI_ScrollWnd::CYolWMUI_ScrollWnd() : m_scrollTic((g_HIDPI_LogPixelsX * 10 + 48) / 96) {}

CYolWMUI_ScrollWnd::CYolWMUI_ScrollWnd(int scrollTic) : m_scrollTic(scrollTic) {}

int CYolWMUI_ScrollWnd::Create(HINSTANCE instance, HWND parent, unsigned long style, const RECT& rect)
{
    return CYolWMUI_Wnd::Create(instance, parent, style | WS_BORDER | WS_VSCROLL | WS_TABSTOP, rect);
}

void CYolWMUI_ScrollWnd::OnCreate()
{
    SetScrollInfo(0, 0, 0, 0);
}

void CYolWMUI_ScrollWnd::OnScroll() {}

namespace {

// pos + delta, held within int: the bar clamps the result anyway.
int Moved(int pos, long long delta)
{
    return static_cast<int>(std::clamp<long long>(pos + delta, INT_MIN, INT_MAX));
}

} // namespace

SCROLLINFO CYolWMUI_ScrollWnd::Bar() const
{
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    if (!m_hWnd || !::GetScrollInfo(m_hWnd, SB_VERT, &si))
        si = SCROLLINFO{};
    return si;
}

void CYolWMUI_ScrollWnd::SetScrollInfo(int min, int max, int page, int pos)
{
    if (!m_hWnd)
        return;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = min;
    // A range that ends before it starts is an empty one.
    si.nMax = std::max(min, max);
    si.nPage = static_cast<UINT>(std::max(page, 0));
    si.nPos = pos;
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, true);
}

void CYolWMUI_ScrollWnd::SetScrollInfo(int min, int max, int page)
{
    SetScrollInfo(min, max, page, GetScrollPos());
}

void CYolWMUI_ScrollWnd::GetScrollRange(int* min, int* max) const
{
    const SCROLLINFO si = Bar();
    if (min)
        *min = si.nMin;
    if (max)
        *max = si.nMax;
}

int CYolWMUI_ScrollWnd::GetScrollMinRange() const
{
    return Bar().nMin;
}

int CYolWMUI_ScrollWnd::GetScrollMaxRange() const
{
    return Bar().nMax;
}

int CYolWMUI_ScrollWnd::GetScrollPos() const
{
    return Bar().nPos;
}

int CYolWMUI_ScrollWnd::GetScrollPage() const
{
    return static_cast<int>(Bar().nPage);
}

void CYolWMUI_ScrollWnd::SetScrollPos(int pos)
{
    if (m_hWnd)
        ::SetScrollPos(m_hWnd, SB_VERT, pos, true);
    OnScroll();
    Redraw(EPaintFull);
}

int CYolWMUI_ScrollWnd::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_VSCROLL)
        return CYolWMUI_Wnd::OnMessage(msg, wParam, lParam);
    const SCROLLINFO bar = Bar();
    // The message carries 16 bits of the thumb's place; while the pen drags
    // the thumb, the bar knows all of it.
    const int tracked = bar.nTrackPos != bar.nPos ? bar.nTrackPos : static_cast<int>(HIWORD(wParam));
    const int page = static_cast<int>(bar.nPage);
    switch (LOWORD(wParam)) {
    case SB_LINEUP: SetScrollPos(Moved(bar.nPos, -static_cast<long long>(m_scrollTic))); break;
    case SB_LINEDOWN: SetScrollPos(Moved(bar.nPos, m_scrollTic)); break;
    case SB_PAGEUP: SetScrollPos(Moved(bar.nPos, -static_cast<long long>(page))); break;
    case SB_PAGEDOWN: SetScrollPos(Moved(bar.nPos, page)); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: SetScrollPos(tracked); break;
    case SB_TOP: SetScrollPos(bar.nMin); break;
    case SB_BOTTOM: SetScrollPos(bar.nMax); break;
    case SB_ENDSCROLL: SetScrollPos(bar.nPos); break;
    default: break;
    }
    // The default processing still sees the message.
    return 1;
}

} // namespace UI
