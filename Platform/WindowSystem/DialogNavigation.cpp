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

// The controls of [first, last) that can take the focus and have every bit
// of `style`. Window lock held.
std::vector<HWND> UsableAmong(const WindowManager& m, std::vector<HWND>::const_iterator first,
                              std::vector<HWND>::const_iterator last, std::uint32_t style)
{
    std::vector<HWND> out;
    for (auto it = first; it != last; ++it) {
        if ((m.Live(*it)->style & style) == style && Usable(m, *it))
            out.push_back(*it);
    }
    return out;
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

// A dialog's controls in tab order and the one that navigation starts from.
struct Navigation {
    std::vector<HWND> controls;
    HWND from = nullptr;
};

// False when the dialog is gone. Window lock held.
bool ReadNavigation(const WindowManager& m, HWND dialog, HWND control, Navigation& out)
{
    Window* d = m.Live(dialog);
    if (!d)
        return false;
    CollectControls(m, *d, out.controls);
    out.from = ControlOf(out.controls, control);
    return true;
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
    Navigation nav;
    if (!ReadNavigation(m, dialog, control, nav))
        return nullptr;
    const std::vector<HWND>& controls = nav.controls;
    const HWND from = nav.from;
    const std::vector<HWND> stops = UsableAmong(m, controls.begin(), controls.end(), WS_TABSTOP);
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
    Navigation nav;
    if (!ReadNavigation(m, dialog, control, nav))
        return nullptr;
    const std::vector<HWND>& controls = nav.controls;
    const HWND from = nav.from;
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
    return Step(UsableAmong(m, first, last, 0), from, previous);
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
