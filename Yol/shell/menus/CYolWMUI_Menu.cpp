#include "CYolWMUI_Menu.h"

#include "CYolClock.h"
#include "CYolWMUI_MenuFont.h"
#include "MYolWMUI_Skin.h"
#include "Shell/Shell.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <cstdlib>

namespace UI {

namespace {

// A tap is a pen-up this soon after its pen-down, and the soft key that
// opened a menu is released within this time without closing it.
constexpr std::uint32_t kTapMs = 500;
constexpr std::uint32_t kFullScreenOn = 0x22;
constexpr std::uint32_t kFullScreenOff = 0x11;

bool g_wideItems = false;
bool g_classRegistered = false;

std::uint32_t Now()
{
    return CYolClock::Current().TickCount();
}

bool EnsureWindowClass(WNDPROC proc)
{
    if (g_classRegistered)
        return true;
    WNDCLASS wc;
    wc.style = 0;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = CYolWMUI_Menu::kClassName;
    g_classRegistered = RegisterClass(&wc) != 0;
    return g_classRegistered;
}

} // namespace

void CYolWMUI_Menu::Popup(TResult& result, const CYolMenuInfo& menu, const RECT& bounds, const POINT& anchor,
                          TAlign align, HWND owner, bool fullScreen, bool forwardTaps)
{
    result = TResult();
    if (menu.Count() == 0)
        return;
    auto data = std::make_unique<CYolWMUI_MenuData>();
    {
        const CMenuFont font;
        data->Build(menu, bounds, anchor, align, g_wideItems,
                    [&font](const CYolString& text, bool) { return font.Width(text); });
    }
    CYolWMUI_Menu window(std::move(data), owner, fullScreen, forwardTaps);
    result = window.DoModal();
}

void CYolWMUI_Menu::PopupAtRightBottom(TResult& result, const CYolMenuInfo& menu, HWND window, bool fullScreen)
{
    RECT r{0, 0, 0, 0};
    GetWindowRect(window, &r);
    Popup(result, menu, r, POINT{r.right, r.bottom}, EBottomRight, window, fullScreen, false);
}

void CYolWMUI_Menu::PopupAtLeftBottom(TResult& result, const CYolMenuInfo& menu, HWND window, bool fullScreen)
{
    RECT r{0, 0, 0, 0};
    GetWindowRect(window, &r);
    Popup(result, menu, r, POINT{r.left, r.bottom}, EBottomLeft, window, fullScreen, false);
}

void CYolWMUI_Menu::SetWideItems(bool wide)
{
    g_wideItems = wide;
}

CYolWMUI_Menu::CYolWMUI_Menu(std::unique_ptr<CYolWMUI_MenuData> data, HWND owner, bool fullScreen,
                             bool forwardTaps)
    : m_data(std::move(data)), m_owner(owner), m_fullScreen(fullScreen), m_forwardTaps(forwardTaps)
{
}

CYolWMUI_Menu::~CYolWMUI_Menu() = default;

CYolWMUI_Menu::TResult CYolWMUI_Menu::DoModal()
{
    if (!EnsureWindowClass(&CYolWMUI_WndBase::WindowProc))
        return TResult();
    const RECT& r = m_data->windowRect;
    m_creationTick = Now();
    const HWND hwnd = CreateWindowEx(0x80, kClassName, u"", WS_POPUP | WS_VISIBLE, r.left, r.top, r.right - r.left,
                                     r.bottom - r.top, m_owner, nullptr, nullptr, static_cast<CYolWMUI_WndBase*>(this));
    if (hwnd == nullptr)
        return TResult();
    SetActiveWindow(hwnd);
    SetFocus(hwnd);
    SetCapture(hwnd);
    MSG msg;
    while (m_hWnd != nullptr) {
        const int got = GetMessage(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the menu goes, and the outer loop
            // still sees the quit.
            Close(false);
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return m_haveStored ? m_stored : ResultOf(m_current);
}

CYolWMUI_Menu::TResult CYolWMUI_Menu::ResultOf(int index) const
{
    if (index < 0 || index >= m_data->Count())
        return TResult();
    const CYolWMUI_MenuData::TItem& item = m_data->items[index];
    if (item.style & (CYolWMUI_MenuData::EInactive | CYolWMUI_MenuData::ESubMenu))
        return TResult();
    return TResult{item.callback, item.commandId, item.context, item.menuContext};
}

void CYolWMUI_Menu::Close(bool choosing)
{
    if (!choosing)
        m_current = -1;
    if (m_hWnd != nullptr)
        DestroyWindow(m_hWnd);
}

void CYolWMUI_Menu::Choose(int index)
{
    m_current = index;
    const unsigned int style = m_data->items[index].style;
    if (style & CYolWMUI_MenuData::EInactive)
        return;
    if (!(style & CYolWMUI_MenuData::ESubMenu)) {
        Close(true);
        return;
    }
    Redraw(EPaintFull);
    const TResult chosen = PopupSubMenu(index);
    if (chosen.IsChoice()) {
        m_stored = chosen;
        m_haveStored = true;
        Close(true);
    }
}

CYolWMUI_Menu::TResult CYolWMUI_Menu::PopupSubMenu(int index)
{
    TResult result;
    if (index < 0 || index >= m_data->Count() || m_data->items[index].subMenu == nullptr)
        return result;
    KeepCurrentColumnVisible();
    const CYolWMUI_MenuData::TItem& item = m_data->items[index];
    POINT at{item.x + m_scroll, item.y};
    ClientToScreen(m_hWnd, &at);
    const RECT& bounds = m_data->bounds;
    const int width = m_data->itemSize.cx;
    const HWND self = m_hWnd;
    ReleaseCapture();
    if (bounds.right - width - at.x >= at.x - bounds.left)
        Popup(result, *item.subMenu, bounds, POINT{at.x + width, at.y}, ETopLeft, self, m_fullScreen, true);
    else
        Popup(result, *item.subMenu, bounds, at, ETopRight, self, m_fullScreen, true);
    if (m_hWnd != nullptr) {
        SetActiveWindow(m_hWnd);
        SetFocus(m_hWnd);
        SetCapture(m_hWnd);
        Redraw(EPaintFull);
    }
    return result;
}

void CYolWMUI_Menu::MoveCurrent(int index)
{
    m_current = index;
    KeepCurrentColumnVisible();
    Redraw(EPaintFull);
}

void CYolWMUI_Menu::OnKeyDown(int key)
{
    const int n = m_data->Count();
    const int rows = m_data->rows;
    const bool haveCurrent = m_current >= 0 && m_current < n;
    switch (static_cast<unsigned>(key)) {
    case VK_RETURN:
        if (haveCurrent)
            Choose(m_current);
        break;
    case VK_LEFT:
        if (haveCurrent && m_current >= rows)
            MoveCurrent(m_current - rows);
        else
            Close(false);
        break;
    case VK_UP:
        if (n > 0)
            MoveCurrent(m_current <= 0 ? n - 1 : m_current - 1);
        break;
    case VK_DOWN:
        if (n > 0)
            MoveCurrent(!haveCurrent || m_current == n - 1 ? 0 : m_current + 1);
        break;
    case VK_RIGHT:
        if (!haveCurrent)
            break;
        if (m_data->items[m_current].style & CYolWMUI_MenuData::ESubMenu)
            Choose(m_current);
        else if (m_data->ColumnOf(m_current) == m_data->columns - 1)
            MoveCurrent(m_current == n - 1 ? 0 : n - 1);
        else
            MoveCurrent(std::min(m_current + rows, n - 1));
        break;
    default:
        break;
    }
}

void CYolWMUI_Menu::OnKeyUp(int key)
{
    const unsigned k = static_cast<unsigned>(key);
    if ((k == VK_ESCAPE || k == VK_F1 || k == VK_F2) && Now() - m_creationTick > kTapMs)
        Close(false);
}

bool CYolWMUI_Menu::IsInside(POINT point) const
{
    RECT client{0, 0, 0, 0};
    GetClientRect(m_hWnd, &client);
    return PtInRect(&client, point);
}

int CYolWMUI_Menu::HitTest(POINT point) const
{
    const SIZE cell = m_data->itemSize;
    for (int i = 0; i < m_data->Count(); ++i) {
        const CYolWMUI_MenuData::TItem& item = m_data->items[i];
        const RECT r{item.x + m_scroll, item.y, item.x + m_scroll + cell.cx, item.y + cell.cy};
        if (PtInRect(&r, point))
            return i;
    }
    return -1;
}

void CYolWMUI_Menu::ForwardTap(POINT point)
{
    if (!m_forwardTaps || m_owner == nullptr)
        return;
    ClientToScreen(m_hWnd, &point);
    ScreenToClient(m_owner, &point);
    PostMessage(m_owner, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

void CYolWMUI_Menu::OnLButtonDown(int, POINT point)
{
    if (!IsInside(point)) {
        ForwardTap(point);
        Close(false);
        return;
    }
    m_current = HitTest(point);
    m_penDownTick = Now();
    m_penDownX = point.x;
    m_lastPenX = point.x;
    Redraw(EPaintFull);
}

void CYolWMUI_Menu::OnMouseMove(int, POINT point)
{
    if (m_lastPenX == -1)
        return;
    ScrollBy(point.x - m_lastPenX);
    m_lastPenX = point.x;
    const int hit = HitTest(point);
    if (hit >= 0)
        m_current = hit;
    Redraw(EPaintFull);
}

void CYolWMUI_Menu::OnLButtonUp(int, POINT point)
{
    const bool tap = m_penDownTick == 0 ||
                     (Now() - m_penDownTick < kTapMs && std::abs(point.x - m_penDownX) < Platform::ScaleX(10));
    if (!tap && m_lastPenX != -1)
        ScrollBy(point.x - m_lastPenX);
    m_penDownTick = 0;
    m_penDownX = -1;
    m_lastPenX = -1;
    if (!tap) {
        Redraw(EPaintFull);
        return;
    }
    if (!IsInside(point)) {
        ForwardTap(point);
        Close(false);
        return;
    }
    const int hit = HitTest(point);
    if (hit >= 0)
        Choose(hit);
}

void CYolWMUI_Menu::ScrollBy(int dx)
{
    const int spare = m_data->menuSize.cx - GetClientWidth();
    if (spare <= 0)
        return;
    m_scroll = std::clamp(m_scroll + dx, -spare, 0);
}

void CYolWMUI_Menu::KeepCurrentColumnVisible()
{
    const int clientWidth = GetClientWidth();
    const int spare = m_data->menuSize.cx - clientWidth;
    if (spare <= 0 || m_current < 0)
        return;
    const int visible = clientWidth - 2 * m_data->gapX;
    const int w = m_data->itemSize.cx;
    const int x = m_data->ColumnOf(m_current) * (w + m_data->gapX);
    const int centred = (visible - w) / 2;
    // Centred, unless too few columns follow to fill the rest: then the last
    // column ends at the right edge.
    m_scroll = x < centred ? 0 : std::clamp(centred - x, -spare, 0);
}

int CYolWMUI_Menu::OnMessage(unsigned int msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_ACTIVATE && m_fullScreen)
        SHFullScreen(m_hWnd, LOWORD(wParam) != WA_INACTIVE ? kFullScreenOn : kFullScreenOff);
    return 1;
}

} // namespace UI
