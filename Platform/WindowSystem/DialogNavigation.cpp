// Keyboard navigation inside dialogs.

#include "Dialog.h"

#include "WindowFocus.h"
#include "WindowGeometry.h"
#include "WindowImpl.h"
#include "WindowKeys.h"

#include <algorithm>

using namespace Platform;

namespace {

// The dialog's controls in tab order (creation order), descending into child
// dialogs that take part in the navigation. Window lock held.
void CollectControls(const WindowManager& m, const Window& parent, std::vector<HWND>& out)
{
    for (HWND h : parent.children) {
        Window* c = m.Live(h);
        if (!c)
            continue;
        out.push_back(h);
        if (c->exStyle & WS_EX_CONTROLPARENT)
            CollectControls(m, *c, out);
    }
}

bool Usable(const WindowManager& m, HWND h)
{
    Window* w = m.Live(h);
    return w && IsVisibleLocked(m, *w) && IsEnabledLocked(m, *w) && !(w->exStyle & WS_EX_CONTROLPARENT);
}

HWND Step(const std::vector<HWND>& candidates, HWND from, bool previous)
{
    if (candidates.empty())
        return nullptr;
    auto it = std::find(candidates.begin(), candidates.end(), from);
    if (it == candidates.end())
        return previous ? candidates.back() : candidates.front();
    const size_t n = candidates.size();
    const size_t i = static_cast<size_t>(it - candidates.begin());
    return candidates[previous ? (i + n - 1) % n : (i + 1) % n];
}

// The control among `controls` that `hwnd` is or lies in.
HWND ControlOf(const std::vector<HWND>& controls, HWND hwnd)
{
    const WindowManager& m = WindowManager::Get();
    for (Window* w = m.Live(hwnd); w; w = (w->style & WS_CHILD) ? m.Live(w->parent) : nullptr) {
        if (std::find(controls.begin(), controls.end(), w->handle) != controls.end())
            return w->handle;
    }
    return nullptr;
}

void Command(HWND dialog, int id)
{
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), 0),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

} // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, bool previous)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* d = m.Live(dialog);
    if (!d)
        return nullptr;
    std::vector<HWND> controls;
    CollectControls(m, *d, controls);
    const HWND from = ControlOf(controls, control);
    std::vector<HWND> stops;
    for (HWND h : controls) {
        Window* w = m.Live(h);
        if ((w->style & WS_TABSTOP) && Usable(m, h))
            stops.push_back(h);
    }
    if (from && std::find(stops.begin(), stops.end(), from) == stops.end()) {
        // Start from where the control stands in the tab order.
        auto at = std::find(controls.begin(), controls.end(), from);
        for (auto it = previous ? at : at + 1; previous ? it != controls.begin() : it != controls.end();) {
            if (previous)
                --it;
            if (std::find(stops.begin(), stops.end(), *it) != stops.end())
                return *it;
            if (!previous)
                ++it;
        }
        return previous ? (stops.empty() ? nullptr : stops.back()) : (stops.empty() ? nullptr : stops.front());
    }
    return Step(stops, from, previous);
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, bool previous)
{
    WindowLock lock;
    const WindowManager& m = WindowManager::Get();
    Window* d = m.Live(dialog);
    if (!d)
        return nullptr;
    std::vector<HWND> controls;
    CollectControls(m, *d, controls);
    const HWND from = ControlOf(controls, control);
    auto at = std::find(controls.begin(), controls.end(), from);
    if (at == controls.end())
        return GetNextDlgTabItem(dialog, nullptr, previous);
    // The group runs from a WS_GROUP control to the next one.
    auto first = at;
    while (first != controls.begin() && !(m.Live(*first)->style & WS_GROUP))
        --first;
    auto last = at + 1;
    while (last != controls.end() && !(m.Live(*last)->style & WS_GROUP))
        ++last;
    std::vector<HWND> group;
    for (auto it = first; it != last; ++it) {
        if (Usable(m, *it))
            group.push_back(*it);
    }
    return Step(group, from, previous);
}

bool IsDialogMessage(HWND dialog, MSG* msg)
{
    if (!msg || !IsWindow(dialog) || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)))
        return false;
    if (msg->message == WM_KEYDOWN) {
        const unsigned key = static_cast<unsigned>(msg->wParam);
        const LRESULT code =
            SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
        if (!(code & DLGC_WANTALLKEYS)) {
            switch (key) {
            case VK_TAB:
                if (!(code & DLGC_WANTTAB)) {
                    SendMessage(dialog, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
                    return true;
                }
                break;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN:
                if (!(code & DLGC_WANTARROWS)) {
                    const HWND next = GetNextDlgGroupItem(dialog, GetFocus(), key == VK_LEFT || key == VK_UP);
                    if (next)
                        SetFocus(next);
                    return true;
                }
                break;
            case VK_RETURN:
                Command(dialog, IDOK);
                return true;
            case VK_ESCAPE:
                Command(dialog, IDCANCEL);
                return true;
            default:
                break;
            }
        }
    }
    TranslateMessage(msg);
    DispatchMessage(msg);
    return true;
}
