// Window procedures: the per-window words, subclassing, the default
// procedure and window text.

#include "DialogImpl.h"
#include "MessageQueue.h"
#include "WindowFocus.h"
#include "WindowGeometry.h"
#include "WindowImpl.h"
#include "WindowPaint.h"
#include "WindowPaintImpl.h"

#include <algorithm>

using namespace Platform;

LONG_PTR GetWindowLong(HWND hwnd, int index)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_ID:
        return w->id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(w->exStyle);
    case GWL_USERDATA:
        return w->userData;
    default: {
        LONG_PTR value = 0;
        return DialogGetLong(*w, index, &value) ? value : 0;
    }
    }
}

LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w)
        return 0;
    LONG_PTR previous = 0;
    switch (index) {
    case GWL_WNDPROC:
        previous = reinterpret_cast<LONG_PTR>(w->proc);
        if (value)
            w->proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWL_ID:
        previous = w->id;
        w->id = value;
        break;
    case GWL_STYLE:
        previous = static_cast<LONG_PTR>(w->style);
        // Parenthood and visibility change only through their own calls.
        w->style = (static_cast<std::uint32_t>(value) & ~(WS_CHILD | WS_VISIBLE)) |
                   (w->style & (WS_CHILD | WS_VISIBLE));
        break;
    case GWL_EXSTYLE:
        previous = static_cast<LONG_PTR>(w->exStyle);
        w->exStyle = static_cast<std::uint32_t>(value);
        break;
    case GWL_USERDATA:
        previous = w->userData;
        w->userData = value;
        break;
    default:
        DialogSetLong(*w, index, value, &previous);
        break;
    }
    return previous;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

namespace {

LRESULT CopyText(HWND hwnd, WPARAM maxCount, char16_t* buffer)
{
    if (!buffer || maxCount == 0)
        return 0;
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w) {
        buffer[0] = 0;
        return 0;
    }
    const size_t n = std::min<size_t>(w->text.size(), maxCount - 1);
    std::copy_n(w->text.begin(), n, buffer);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
}

} // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SETTEXT: {
        WindowLock lock;
        Window* w = WindowManager::Get().Live(hwnd);
        if (!w)
            return 0;
        const auto* text = reinterpret_cast<const char16_t*>(lParam);
        w->text = text ? text : u"";
        return 1;
    }
    case WM_GETTEXT:
        return CopyText(hwnd, wParam, reinterpret_cast<char16_t*>(lParam));
    case WM_GETTEXTLENGTH: {
        WindowLock lock;
        Window* w = WindowManager::Get().Live(hwnd);
        return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return EraseWithClassBrush(hwnd, reinterpret_cast<HDC>(wParam)) ? 1 : 0;
    case WM_NCPAINT:
        PaintNonClient(hwnd);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!pos)
            return 0;
        if (!(pos->flags & SWP_NOSIZE) || (pos->flags & SWP_FRAMECHANGED)) {
            RECT client{};
            GetClientRect(hwnd, &client);
            SendMessage(hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
        }
        if (!(pos->flags & SWP_NOMOVE))
            SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(pos->x, pos->y));
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            SetFocus(hwnd);
        return 0;
    case WM_NCLBUTTONDOWN:
        if (static_cast<LRESULT>(wParam) == HTVSCROLL)
            PressScrollBar(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CONTEXTMENU: {
        const HWND parent = (GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
        return parent ? SendMessage(parent, WM_CONTEXTMENU, wParam, lParam) : 0;
    }
    default:
        return 0;
    }
}

bool SetWindowText(HWND hwnd, const char16_t* text)
{
    if (!IsWindow(hwnd))
        return false;
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) != 0;
}

int GetWindowText(HWND hwnd, char16_t* buffer, int maxCount)
{
    if (!buffer || maxCount <= 0)
        return 0;
    buffer[0] = 0;
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                        reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd)
{
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}
