#pragma once
// What the list view's message handling and its painting share.

#include "ControlImpl.h"
#include "ControlListView.h"

#include <string>
#include <vector>

namespace Platform::Controls {

LRESULT ListViewProc(HWND, UINT, WPARAM, LPARAM);

namespace ListView {

struct Item {
    // The item's own text first, then one per sub-item.
    std::vector<std::u16string> texts{std::u16string()};
    int image = I_IMAGENONE;
    UINT state = 0;
    LPARAM param = 0;
};

struct Column {
    std::u16string text;
    int width = 0;
    int fmt = LVCFMT_LEFT;
};

struct State {
    static inline const char key = 0;
    ~State();

    HFONT font = nullptr;
    std::vector<Item> items;
    std::vector<Column> columns;
    HIMAGELIST smallImages = nullptr;
    HIMAGELIST normalImages = nullptr;
    COLORREF text = 0;
    COLORREF textBk = CLR_NONE;
    COLORREF bk = 0;
    // Our own copy of the background bitmap.
    HBITMAP bkImage = nullptr;
    // The same picture as a brush, for tiling.
    HBRUSH bkBrush = nullptr;
    bool bkTile = false;
    std::uint32_t exStyle = 0;
    int top = 0;
    // The row height the parent answered to WM_MEASUREITEM; 0 until asked.
    int measured = 0;
    bool focused = false;
    bool syncing = false;
    // Bumped by every insertion and deletion: work that sent a notification
    // checks it to know whether its indices still mean the same items.
    unsigned generation = 0;

    // The pen press under way and the row it went down on.
    DragScroll pen;
    int pressRow = -1;
};

struct Layout {
    RECT client{};
    int header = 0;
    int row = 1;
    // Whole rows in view (0 in a window too small for one).
    int perPage = 0;
    // Right edge of the rows: the columns' sum in the report style, the
    // client width in the list style.
    int rowRight = 0;
    bool report = false;
    bool ownerDraw = false;
};

inline int Count(const State& s)
{
    return static_cast<int>(s.items.size());
}

inline bool Valid(const State& s, std::intptr_t index)
{
    return index >= 0 && index < static_cast<std::intptr_t>(s.items.size());
}

bool IsReport(HWND hwnd);
Layout LayoutOf(HWND hwnd, State& s);
// Row rectangles in client coordinates; `part` is an LVIR_ value.
RECT ItemRect(const Layout& l, const State& s, int index, int part);
// The item under a client point that counts as a hit on it, or -1.
int ItemAt(const Layout& l, const State& s, POINT pt, UINT* flags);

void Paint(HWND hwnd, State& s);

// ---- States and scrolling (ControlListView.cpp) ----

// Clamps the first row shown and sets the scroll bar to match.
void SyncBar(HWND hwnd, State& s);
void ScrollTo(HWND hwnd, State& s, int top);
bool EnsureVisible(HWND hwnd, State& s, int index, bool partialOk);
// Sets one item's state bits and tells the parent. Answers whether the
// list is still the one the caller was working on: false when the parent
// destroyed it or inserted or deleted items meanwhile.
bool ApplyState(HWND hwnd, State& s, int i, UINT bits, UINT mask);
// The focus goes to one item at a time; so does the selection of a
// LVS_SINGLESEL list, and the selection the user makes (`only`). The items
// that lose them are told first.
bool SetState(HWND hwnd, State& s, int i, UINT bits, UINT mask, bool only);
bool SetAllStates(HWND hwnd, State& s, UINT bits, UINT mask);
// The user's choice of an item: it alone is selected, it has the focus and
// it scrolls into view.
void Choose(HWND hwnd, State& s, int i);
int NextItem(const State& s, std::intptr_t start, UINT flags);
// NM_CLICK or LVN_ITEMACTIVATE about item i (-1: none).
void TellItem(HWND hwnd, State& s, UINT code, int i, POINT pt);

// ---- Keys and the pen (ControlListViewInput.cpp) ----

void KeyDown(HWND hwnd, State& s, WPARAM vk);
void PenDown(HWND hwnd, State& s, POINT pt);
void PenMove(HWND hwnd, State& s, POINT pt);
void PenUp(HWND hwnd, State& s, POINT pt);
// WM_CONTEXTMENU: the press was held still.
void Hold(HWND hwnd, State& s, POINT screen);

} // namespace ListView
} // namespace Platform::Controls
