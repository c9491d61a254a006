#include "CYolWMUI_WndBase.h"

#include <mutex>

namespace UI {

namespace {

std::mutex g_classLock;
bool g_classRegistered = false;

bool EnsureWindowClass(HINSTANCE instance, WNDPROC proc)
{
    std::lock_guard<std::mutex> guard(g_classLock);
    if (g_classRegistered)
        return true;
    WNDCLASS wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = CYolWMUI_Wnd::kClassName;
    g_classRegistered = RegisterClass(&wc) != 0;
    return g_classRegistered;
}

} // namespace

int CYolWMUI_Wnd::Create(HINSTANCE instance, HWND parent, unsigned long style, const RECT& rect)
{
    if (!EnsureWindowClass(instance, &CYolWMUI_WndBase::WindowProc))
        return 0;
    const HWND hwnd = CreateWindowEx(0, kClassName, nullptr, static_cast<std::uint32_t>(style) | WS_CHILD, rect.left,
                                     rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                     instance, static_cast<CYolWMUI_WndBase*>(this));
    return hwnd ? 1 : 0;
}

} // namespace UI
