// The list view's keys and pen: moving the focus, taps, holds and drags.

#include "ControlListViewImpl.h"

#include "WindowSystem/WindowKeys.h"

#include <algorithm>

namespace Platform::Controls::ListView {

void KeyDown(HWND hwnd, State& s, WPARAM vk)
{
    NMLVKEYDOWN nm;
    nm.wVKey = static_cast<std::uint16_t>(vk);
    NotifyRecord(hwnd, &nm.hdr, LVN_KEYDOWN);
    if (!IsWindow(hwnd) || !Count(s))
        return;
    int focus = NextItem(s, -1, LVNI_FOCUSED);
    if (vk == VK_RETURN) {
        if (focus < 0)
            focus = NextItem(s, -1, LVNI_SELECTED);
        if (focus >= 0)
            TellItem(hwnd, s, LVN_ITEMACTIVATE, focus, POINT{});
        return;
    }
    const int page = std::max(1, LayoutOf(hwnd, s).perPage);
    const struct {
        unsigned key;
        long long to;
    } moves[] = {
        {VK_UP, focus - 1LL},  {VK_DOWN, focus + 1LL}, {VK_PRIOR, static_cast<long long>(focus) - page},
        {VK_NEXT, static_cast<long long>(focus) + page}, {VK_HOME, 0},  {VK_END, Count(s) - 1LL},
    };
    for (const auto& m : moves)
        if (m.key == vk) {
            Choose(hwnd, s, static_cast<int>(std::clamp<long long>(m.to, 0, Count(s) - 1)));
            return;
        }
}

void PenDown(HWND hwnd, State& s, POINT pt)
{
    if (GetFocus() != hwnd) {
        SetFocus(hwnd);
        if (!IsWindow(hwnd))
            return;
    }
    const Layout l = LayoutOf(hwnd, s);
    if (pt.y < l.header)
        return;
    s.pen.Press(pt, s.top);
    s.pressRow = ItemAt(l, s, pt, nullptr);
    SetCapture(hwnd);
}

void PenMove(HWND hwnd, State& s, POINT pt)
{
    if (s.pen.Follow(pt))
        ScrollTo(hwnd, s, s.pen.TopAt(pt, LayoutOf(hwnd, s).row));
}

// A tap selects the row under it; a tap on the row already selected (the
// second tap of a double tap, too) activates it. A tap below the rows
// clears the selection.
void PenUp(HWND hwnd, State& s, POINT pt)
{
    if (!s.pen.down)
        return;
    s.pen.down = false;
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (s.pen.dragging)
        return;
    const int row = ItemAt(LayoutOf(hwnd, s), s, pt, nullptr);
    if (row != s.pressRow)
        return;
    const unsigned generation = s.generation;
    if (row < 0) {
        for (int j = 0; j < Count(s); ++j)
            if ((s.items[static_cast<size_t>(j)].state & LVIS_SELECTED) && !ApplyState(hwnd, s, j, 0, LVIS_SELECTED))
                return;
        TellItem(hwnd, s, NM_CLICK, -1, pt);
        return;
    }
    const bool wasSelected = (s.items[static_cast<size_t>(row)].state & LVIS_SELECTED) != 0;
    if (!wasSelected)
        Choose(hwnd, s, row);
    if (!IsWindow(hwnd) || s.generation != generation)
        return;
    TellItem(hwnd, s, NM_CLICK, row, pt);
    if (wasSelected && IsWindow(hwnd) && s.generation == generation)
        TellItem(hwnd, s, LVN_ITEMACTIVATE, row, pt);
}

// A press held still: the row under it is chosen and the parent asked for
// its context menu; the lift that follows is no tap.
void Hold(HWND hwnd, State& s, POINT screen)
{
    const bool ours = s.pen.down;
    s.pen.down = false;
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (!ours)
        return;
    POINT pt = screen;
    ScreenToClient(hwnd, &pt);
    const int row = ItemAt(LayoutOf(hwnd, s), s, pt, nullptr);
    if (row >= 0) {
        const unsigned generation = s.generation;
        Choose(hwnd, s, row);
        if (!IsWindow(hwnd) || s.generation != generation)
            return;
    }
    NMRGINFO nm;
    nm.ptAction = screen;
    nm.dwItemSpec = static_cast<std::uint32_t>(row);
    NotifyRecord(hwnd, &nm.hdr, GN_CONTEXTMENU);
}

} // namespace Platform::Controls::ListView
