// The registry of window classes, by name without regard to ASCII case.

#include "WindowImpl.h"

#include <algorithm>

using namespace Platform;

ATOM RegisterClass(const WNDCLASS* wc)
{
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName || !wc->lpfnWndProc)
        return 0;
    WindowLock lock;
    WindowManager& m = WindowManager::Get();
    std::u16string key = ClassKey(wc->lpszClassName);
    if (m.classes.count(key))
        return 0;
    auto info = std::make_shared<WindowClassInfo>();
    info->wc = *wc;
    info->name = wc->lpszClassName;
    info->wc.lpszClassName = info->name.c_str();
    info->wc.lpszMenuName = nullptr;
    m.classes.emplace(std::move(key), info);
    // Any non-zero value will do: nobody looks classes up by atom.
    return static_cast<ATOM>(std::min<size_t>(m.classes.size(), 0xFFFF));
}

bool Platform::EnsureClass(const char16_t* name, WNDPROC proc, UINT style)
{
    WindowLock lock;
    if (GetClassInfo(nullptr, name, nullptr))
        return true;
    WNDCLASS wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    return RegisterClass(&wc) != 0;
}

bool UnregisterClass(const char16_t* className, HINSTANCE /*instance*/)
{
    WindowLock lock;
    WindowManager& m = WindowManager::Get();
    auto it = m.classes.find(ClassKey(className));
    if (it == m.classes.end() || it->second->windows > 0)
        return false;
    m.classes.erase(it);
    return true;
}

bool GetClassInfo(HINSTANCE /*instance*/, const char16_t* className, WNDCLASS* out)
{
    WindowLock lock;
    WindowManager& m = WindowManager::Get();
    auto it = m.classes.find(ClassKey(className));
    if (it == m.classes.end())
        return false;
    if (out)
        *out = it->second->wc;
    return true;
}

int GetClassName(HWND hwnd, char16_t* buffer, int maxCount)
{
    if (!buffer || maxCount <= 0)
        return 0;
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w) {
        buffer[0] = 0;
        return 0;
    }
    const std::u16string& name = w->cls->name;
    const int n = std::min<int>(static_cast<int>(name.size()), maxCount - 1);
    std::copy_n(name.begin(), n, buffer);
    buffer[n] = 0;
    return n;
}
