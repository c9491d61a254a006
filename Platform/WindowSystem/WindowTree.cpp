// Walking the window tree.

#include "WindowImpl.h"

#include <algorithm>

using namespace Platform;

namespace {

const std::vector<HWND>* Siblings(const WindowManager& m, const Window& w)
{
    if (w.style & WS_CHILD) {
        Window* p = m.Live(w.parent);
        return p ? &p->children : nullptr;
    }
    return &m.topLevels;
}

} // namespace

HWND GetParent(HWND hwnd)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w)
        return nullptr;
    // A top-level window answers its owner, as the program expects of the
    // dialogs it runs.
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND GetWindow(HWND hwnd, UINT relation)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* w = m.Live(hwnd);
    if (!w)
        return nullptr;
    if (relation == GW_OWNER)
        return (w->style & WS_CHILD) ? nullptr : w->owner;
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    const std::vector<HWND>* siblings = Siblings(m, *w);
    if (!siblings || siblings->empty())
        return nullptr;
    auto it = std::find(siblings->begin(), siblings->end(), hwnd);
    switch (relation) {
    case GW_HWNDFIRST:
        return siblings->front();
    case GW_HWNDLAST:
        return siblings->back();
    case GW_HWNDNEXT:
        return (it == siblings->end() || it + 1 == siblings->end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV:
        return (it == siblings->end() || it == siblings->begin()) ? nullptr : *(it - 1);
    default:
        return nullptr;
    }
}

bool IsChild(HWND parent, HWND hwnd)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    for (Window* w = m.Live(hwnd); w && (w->style & WS_CHILD); w = m.Live(w->parent)) {
        if (w->parent == parent)
            return true;
    }
    return false;
}

HWND GetTopLevelWindow(HWND hwnd)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* w = m.Live(hwnd);
    while (w && (w->style & WS_CHILD))
        w = m.Live(w->parent);
    return w ? w->handle : nullptr;
}

HWND FindWindow(const char16_t* className, const char16_t* windowName)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    const std::u16string key = className ? ClassKey(className) : std::u16string();
    for (HWND h : m.topLevels) {
        Window* w = m.Live(h);
        if (!w)
            continue;
        if (className && ClassKey(w->cls->name.c_str()) != key)
            continue;
        if (windowName && w->text != windowName)
            continue;
        return h;
    }
    return nullptr;
}

HWND GetDlgItem(HWND parent, int id)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* p = m.Live(parent);
    if (!p)
        return nullptr;
    for (HWND h : p->children) {
        Window* c = m.Live(h);
        if (c && static_cast<int>(c->id) == id)
            return h;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    return (w && (w->style & WS_CHILD)) ? static_cast<int>(w->id) : 0;
}

namespace Platform {

bool SetWindowExtra(HWND hwnd, const void* key, std::shared_ptr<void> value)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w)
        return false;
    auto it = std::find_if(w->extras.begin(), w->extras.end(), [&](const auto& e) { return e.first == key; });
    if (it != w->extras.end())
        it->second = std::move(value);
    else
        w->extras.emplace_back(key, std::move(value));
    return true;
}

std::shared_ptr<void> GetWindowExtra(HWND hwnd, const void* key)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w)
        return nullptr;
    auto it = std::find_if(w->extras.begin(), w->extras.end(), [&](const auto& e) { return e.first == key; });
    return it == w->extras.end() ? nullptr : it->second;
}

} // namespace Platform
