#pragma once
// What the tree view's sources share: the items, the shown rows and the
// tree's state, and the helpers between the item side and the painting and
// input side.

#include "ControlImpl.h"
#include "ControlTreeView.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace Platform::Controls::TreeViewImpl {

using ItemId = std::uintptr_t;

struct Node {
    std::u16string text;
    LPARAM param = 0;
    int image = 0;
    int selectedImage = 0;
    // -1: the button follows the children; 0 / 1 as the caller said.
    int children = -1;
    bool expanded = false;
    // Being deleted: still readable while its deletion is told, refused for
    // anything else.
    bool dying = false;
    ItemId parent = 0;
    ItemId first = 0;
    ItemId last = 0;
    ItemId prev = 0;
    ItemId next = 0;
};

struct Row {
    ItemId id;
    int depth;
};

struct TreeState {
    static inline const char key = 0;
    HFONT font = nullptr;
    HIMAGELIST images = nullptr;
    std::unordered_map<ItemId, Node> nodes;
    std::size_t dyingCount = 0;
    ItemId firstRoot = 0;
    ItemId lastRoot = 0;
    ItemId sel = 0;
    // The shown rows: the items whose ancestors are all open, in order.
    std::vector<Row> rows;
    bool rowsStale = true;
    int top = 0;
    // Of the font and the images; measured again when either changes.
    int rowHeight = 0;
    bool focused = false;
    // The pen press under way, and whether its tap was already used.
    DragScroll pen;
    bool penUsed = false;
};

struct RowParts {
    RECT row;
    RECT button; // empty without a button
    RECT icon;   // empty without an image list
    RECT label;
};

// Items.
Node* Find(TreeState& s, ItemId id);
// An item that may still be worked on.
Node* Live(TreeState& s, ItemId id);
bool HasButton(const Node& n);
bool Delete(HWND hwnd, TreeState& s, HTREEITEM item);

// Rows and geometry.
const std::vector<Row>& Rows(TreeState& s);
int RowCount(TreeState& s);
int RowOf(TreeState& s, ItemId id);
int RowHeight(const TreeState& s);
// Measures the row height again for the font and the images.
void Measure(TreeState& s);
int Indent();
int PageRows(HWND hwnd, const TreeState& s);
int ItemLeft(std::uint32_t style, int depth);
int ItemLeft(HWND hwnd, int depth);
RowParts PartsOf(HWND hwnd, TreeState& s, int rowIndex);
ItemId HitTest(HWND hwnd, TreeState& s, TVHITTESTINFO* info);

// Scrolling.
void SyncBar(HWND hwnd, TreeState& s);
void ScrollTo(HWND hwnd, TreeState& s, int top);
bool EnsureVisible(HWND hwnd, TreeState& s, ItemId id);

// Notices, selection and branches.
bool Select(HWND hwnd, TreeState& s, ItemId id, UINT action);
bool Expand(HWND hwnd, TreeState& s, ItemId id, WPARAM code);

// Painting, the pen and the keys (ControlTreeViewInput.cpp).
LRESULT WindowMessage(HWND hwnd, TreeState& s, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace Platform::Controls::TreeViewImpl
