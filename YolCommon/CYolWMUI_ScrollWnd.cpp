#include "CYolWMUI_ScrollWnd.h"

#include "ShellScreen.h"

#include <algorithm>

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

int CYolWMUI_ScrollWnd::ClampedPos(int pos) const
{
    const int last = std::max(m_min, m_max - std::max(m_page - 1, 0));
    return std::clamp(pos, m_min, last);
}

void CYolWMUI_ScrollWnd::ApplyBar()
{
    if (!m_hWnd)
        return;
    const long long span = static_cast<long long>(m_max) - m_min + 1;
    ShowScrollBar(m_hWnd, m_max > m_min && (m_page <= 0 || m_page < span));
}

void CYolWMUI_ScrollWnd::SetScrollInfo(int min, int max, int page, int pos)
{
    m_min = min;
    m_max = std::max(min, max);
    const long long span = static_cast<long long>(m_max) - m_min + 1;
    m_page = static_cast<int>(std::clamp<long long>(page, 0, span));
    m_pos = ClampedPos(pos);
    ApplyBar();
}

void CYolWMUI_ScrollWnd::SetScrollInfo(int min, int max, int page)
{
    SetScrollInfo(min, max, page, m_pos);
}

void CYolWMUI_ScrollWnd::GetScrollRange(int* min, int* max) const
{
    if (min)
        *min = m_min;
    if (max)
        *max = m_max;
}

void CYolWMUI_ScrollWnd::SetScrollPos(int pos)
{
    m_pos = ClampedPos(pos);
    OnScroll();
    Redraw(EPaintFull);
}

int CYolWMUI_ScrollWnd::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_VSCROLL)
        return CYolWMUI_Wnd::OnMessage(msg, wParam, lParam);
    const int tracked = static_cast<int>(HIWORD(wParam));
    switch (LOWORD(wParam)) {
    case SB_LINEUP: SetScrollPos(m_pos - m_scrollTic); break;
    case SB_LINEDOWN: SetScrollPos(m_pos + m_scrollTic); break;
    case SB_PAGEUP: SetScrollPos(m_pos - m_page); break;
    case SB_PAGEDOWN: SetScrollPos(m_pos + m_page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: SetScrollPos(tracked); break;
    case SB_TOP: SetScrollPos(m_min); break;
    case SB_BOTTOM: SetScrollPos(m_max); break;
    case SB_ENDSCROLL: SetScrollPos(m_pos); break;
    default: break;
    }
    // The default processing still sees the message.
    return 1;
}

} // namespace UI
