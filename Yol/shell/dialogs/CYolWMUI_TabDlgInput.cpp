// The strip's stylus and keys: taps select and scroll, a held tab drags the
// strip, and the invisible focus button turns the arrow keys into tab
// switching while the strip has the focus.

#include "CYolWMUI_TabDlg.h"

#include "CYolClock.h"
#include "Controls/ControlButton.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowInput.h"
#include "WindowSystem/WindowKeys.h"

#include <cstdlib>

namespace UI {

namespace {

// A second pen-down this soon and this near is a double tap; a pen-up this
// near its pen-down is a tap, not a stroke.
constexpr std::uint32_t kDoubleTapMs = 499;
constexpr int kTapSlop = 16;

RECT ImageSquare(const RECT& strip, int left)
{
    const int size = Platform::ScaleX(16);
    const int top = (strip.top + strip.bottom - Platform::ScaleY(16)) / 2;
    return RECT{left, top, left + size, top + Platform::ScaleY(16)};
}

bool Inside(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

} // namespace

int CYolWMUI_TabDlg::HitTest(POINT point) const
{
    if (!Inside(m_strip, point))
        return kHitNothing;
    if (CutAtRight() && Inside(ImageSquare(m_strip, m_strip.right - 2 * Platform::ScaleX(16)), point))
        return kHitRightArrow;
    if (m_first > 0 && Inside(ImageSquare(m_strip, m_strip.right - Platform::ScaleX(50)), point))
        return kHitLeftArrow;
    int x = m_strip.left;
    for (int i = m_first; i < m_tabs.Count() && x < m_strip.right; ++i) {
        if (point.x >= x && point.x < x + m_tabs[i]->width)
            return i;
        x += m_tabs[i]->width;
    }
    return kHitNothing;
}

void CYolWMUI_TabDlg::OnLButtonDown(int, POINT point)
{
    const std::uint32_t now = CYolClock::Current().TickCount();
    const bool nearLast = m_hadPenDown && now - m_penDownTick <= kDoubleTapMs &&
                          std::abs(point.x - m_penDownX) < Platform::ScaleX(kTapSlop);
    m_penDownX = point.x;
    m_penDownTick = now;
    m_hadPenDown = true;
    const int hit = HitTest(point);
    m_held = hit >= 0 ? hit : -1;
    if (m_held < 0)
        return;
    SetCapture(m_hWnd);
    if (nearLast) {
        // A third tap starts counting afresh.
        m_hadPenDown = false;
        m_held = -1;
        ReleaseCapture();
        OnTabDblClick();
    }
}

void CYolWMUI_TabDlg::OnMouseMove(int, POINT point)
{
    if (m_held >= 0)
        DragStrip(point.x);
}

void CYolWMUI_TabDlg::OnLButtonUp(int, POINT point)
{
    const int held = m_held;
    m_held = -1;
    if (held >= 0)
        ReleaseCapture();
    if (std::abs(point.x - m_penDownX) >= Platform::ScaleX(kTapSlop)) {
        if (held >= 0) {
            m_held = held;
            DragStrip(point.x);
            m_held = -1;
        }
        return;
    }
    const int hit = HitTest(point);
    if (hit == kHitRightArrow && m_first + 1 < m_tabs.Count()) {
        ++m_first;
        Redraw(0);
    } else if (hit == kHitLeftArrow && m_first > 0) {
        --m_first;
        Redraw(0);
    } else if (hit >= 0 && hit == m_cur) {
        FocusStrip();
    } else if (hit >= 0) {
        SelectIndex(hit);
        if (m_tabs[hit]->pan)
            SetFocus(*m_tabs[hit]->pan);
    }
}

void CYolWMUI_TabDlg::DragStrip(int x)
{
    if (m_held < 0 || m_held >= m_tabs.Count())
        return;
    // Step back from the held tab while the tabs stepped over still end left
    // of the pen, so the held tab stays under it.
    const int reach = x - m_strip.left;
    int first = m_held;
    int sum = 0;
    while (first > 0 && sum + m_tabs[first - 1]->width < reach) {
        sum += m_tabs[first - 1]->width;
        --first;
    }
    if (first != m_first) {
        m_first = first;
        Redraw(0);
    }
}

int CYolWMUI_TabDlg::OnStripKey(int key)
{
    const int count = m_tabs.Count();
    if (!m_stripFocused)
        return 1;
    switch (key) {
    case VK_RIGHT:
        if (count > 0)
            SelectIndex(m_cur + 1 < count ? m_cur + 1 : 0);
        break;
    case VK_LEFT:
        if (count > 0)
            SelectIndex(m_cur > 0 ? m_cur - 1 : count - 1);
        break;
    case VK_UP:
        SendMessage(m_hWnd, WM_NEXTDLGCTL, 1, 0);
        break;
    case VK_DOWN:
    case VK_TAB:
        SendMessage(m_hWnd, WM_NEXTDLGCTL, 0, 0);
        break;
    default:
        return 1;
    }
    EnsureCurrentVisible();
    Redraw(0);
    return 0;
}

void CYolWMUI_TabDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (!control || control != m_focusButton) {
        CYolWMUI_BigDlg::OnCommand(code, id, control);
        return;
    }
    if (code == BN_SETFOCUS) {
        m_stripFocused = true;
        EnsureCurrentVisible();
        Redraw(0);
    } else if (code == BN_KILLFOCUS) {
        m_stripFocused = false;
        Redraw(0);
    }
}

LRESULT CYolWMUI_TabDlg::FocusButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const HWND dialog = GetParent(hwnd);
    auto* self = dynamic_cast<CYolWMUI_TabDlg*>(reinterpret_cast<CYolWMUI_WndBase*>(GetWindowLong(dialog, GWL_USERDATA)));
    if (!s_buttonProc)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    if (!self)
        return CallWindowProc(s_buttonProc, hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (self->OnStripKey(static_cast<int>(wParam)) == 0)
            return 0;
        break;
    case WM_CHAR:
        SendMessage(dialog, WM_CHAR, wParam, lParam);
        return 0;
    default:
        break;
    }
    return CallWindowProc(s_buttonProc, hwnd, msg, wParam, lParam);
}

} // namespace UI
