// The tree view: items in a handle table, the rows laid out from the open
// branches, selection and branches, and the messages.

#include "CYolString.h"
#include "ControlScrollBar.h"
#include "ControlTreeViewImpl.h"
#include "Shell/ShellScreen.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>
#include <vector>

namespace Platform::Controls {
namespace TreeViewImpl {
namespace {

// Ids are unique across every tree of the process, so a handle that one
// tree made is unknown to all the others.
std::atomic<ItemId> g_nextItem{1};

} // namespace

HTREEITEM Handle(ItemId id)
{
    return reinterpret_cast<HTREEITEM>(id);
}

ItemId IdOf(HTREEITEM item)
{
    return reinterpret_cast<ItemId>(item);
}

bool IsRootParent(HTREEITEM item)
{
    return item == nullptr || item == TVI_ROOT;
}

Node* Find(TreeState& s, ItemId id)
{
    auto it = id ? s.nodes.find(id) : s.nodes.end();
    return it == s.nodes.end() ? nullptr : &it->second;
}

// An item that may still be worked on.
Node* Live(TreeState& s, ItemId id)
{
    Node* n = Find(s, id);
    return n && !n->dying ? n : nullptr;
}

bool HasButton(const Node& n)
{
    return n.children >= 0 ? n.children > 0 : n.first != 0;
}

std::u16string Fold(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
        c = CYolString::ToLowerChar(c);
    return out;
}

// ---- Rows and geometry ------------------------------------------------------

const std::vector<Row>& Rows(TreeState& s)
{
    if (!s.rowsStale)
        return s.rows;
    s.rows.clear();
    ItemId id = s.firstRoot;
    int depth = 0;
    while (id) {
        s.rows.push_back(Row{id, depth});
        const Node& n = s.nodes.at(id);
        if (n.expanded && n.first) {
            id = n.first;
            ++depth;
            continue;
        }
        // Up to the nearest ancestor with a sibling after it.
        while (id && !s.nodes.at(id).next) {
            id = s.nodes.at(id).parent;
            --depth;
        }
        if (id)
            id = s.nodes.at(id).next;
    }
    s.rowsStale = false;
    return s.rows;
}

int RowCount(TreeState& s)
{
    return static_cast<int>(Rows(s).size());
}

int RowOf(TreeState& s, ItemId id)
{
    const auto& rows = Rows(s);
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].id == id)
            return static_cast<int>(i);
    return -1;
}

int RowHeight(const TreeState& s)
{
    return s.rowHeight;
}

void Measure(TreeState& s)
{
    int cy = 0;
    int cx = 0;
    if (s.images)
        ImageList_GetIconSize(s.images, &cx, &cy);
    s.rowHeight = std::max(LineHeight(s.font), cy) + ScaleY(4);
}

int Indent()
{
    return ScaleX(16);
}

int PageRows(HWND hwnd, const TreeState& s)
{
    return std::max(1, ClientOf(hwnd).bottom / RowHeight(s));
}

// Left edge of an item's icon or text: one indent per level, and one more
// when the top level has its own lines or buttons.
int ItemLeft(std::uint32_t style, int depth)
{
    const bool rootColumn = (style & TVS_LINESATROOT) && (style & (TVS_HASLINES | TVS_HASBUTTONS));
    return (depth + (rootColumn ? 1 : 0)) * Indent();
}

int ItemLeft(HWND hwnd, int depth)
{
    return ItemLeft(StyleOf(hwnd), depth);
}

int TextWidth(const TreeState& s, const std::u16string& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FontOr(s.font));
    SIZE size{};
    GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
}

RowParts PartsOf(HWND hwnd, TreeState& s, int rowIndex)
{
    const Row& r = Rows(s)[static_cast<std::size_t>(rowIndex)];
    const Node& n = s.nodes.at(r.id);
    const int h = RowHeight(s);
    const int y = (rowIndex - s.top) * h;
    const int width = ClientOf(hwnd).right;
    RowParts p{};
    p.row = RECT{0, y, width, y + h};
    const int left = ItemLeft(hwnd, r.depth);
    if ((StyleOf(hwnd) & TVS_HASBUTTONS) && HasButton(n) && left > 0)
        p.button = RECT{left - Indent(), y, left, y + h};
    int x = left;
    if (s.images) {
        int cx = 0;
        int cy = 0;
        ImageList_GetIconSize(s.images, &cx, &cy);
        p.icon = RECT{x, y + (h - cy) / 2, x + cx, y + (h - cy) / 2 + cy};
        x += cx + ScaleX(3);
    }
    p.label = RECT{x, y, std::min(width, x + TextWidth(s, n.text) + ScaleX(6)), y + h};
    return p;
}

// ---- Scrolling ----------------------------------------------------------------

void SyncBar(HWND hwnd, TreeState& s)
{
    const int count = RowCount(s);
    const int page = PageRows(hwnd, s);
    s.top = std::clamp(s.top, 0, std::max(0, count - page));
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, count - 1);
    si.nPage = static_cast<UINT>(page);
    si.nPos = s.top;
    SetScrollInfo(hwnd, SB_VERT, &si, true);
    // Showing or hiding the bar changes the client area and so the page.
    const int pageNow = PageRows(hwnd, s);
    if (pageNow != page) {
        s.top = std::clamp(s.top, 0, std::max(0, count - pageNow));
        si.nPage = static_cast<UINT>(pageNow);
        si.nPos = s.top;
        SetScrollInfo(hwnd, SB_VERT, &si, true);
    }
    InvalidateRect(hwnd, nullptr, false);
}

void Changed(HWND hwnd, TreeState& s)
{
    s.rowsStale = true;
    SyncBar(hwnd, s);
}

void ScrollTo(HWND hwnd, TreeState& s, int top)
{
    const int before = s.top;
    s.top = top;
    SyncBar(hwnd, s);
    if (s.top != before)
        InvalidateRect(hwnd, nullptr, false);
}

// Opens the item's ancestors without telling the parent (they already hold
// their children) and scrolls its row into view.
bool EnsureVisible(HWND hwnd, TreeState& s, ItemId id)
{
    if (!Live(s, id))
        return false;
    for (ItemId up = s.nodes.at(id).parent; up; up = s.nodes.at(up).parent) {
        Node& a = s.nodes.at(up);
        if (!a.expanded) {
            a.expanded = true;
            s.rowsStale = true;
        }
    }
    const int row = RowOf(s, id);
    const int page = PageRows(hwnd, s);
    int top = s.top;
    if (row < top)
        top = row;
    else if (row >= top + page)
        top = row - page + 1;
    ScrollTo(hwnd, s, top);
    return true;
}

// ---- Notices --------------------------------------------------------------------

TVITEM Describe(TreeState& s, ItemId id)
{
    TVITEM item;
    const Node* n = Find(s, id);
    if (!n)
        return item;
    item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    item.hItem = Handle(id);
    item.state = (n->expanded ? TVIS_EXPANDED : 0) | (id == s.sel ? TVIS_SELECTED : 0);
    item.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
    item.iImage = n->image;
    item.iSelectedImage = n->selectedImage;
    item.cChildren = HasButton(*n) ? 1 : 0;
    item.lParam = n->param;
    return item;
}

LRESULT Tell(HWND hwnd, TreeState& s, UINT code, UINT action, ItemId oldItem, ItemId newItem)
{
    NMTREEVIEW nm;
    nm.action = action;
    nm.itemOld = Describe(s, oldItem);
    nm.itemNew = Describe(s, newItem);
    return NotifyRecord(hwnd, &nm.hdr, code);
}

// ---- Selection and branches ---------------------------------------------------

bool Select(HWND hwnd, TreeState& s, ItemId id, UINT action)
{
    if (id == s.sel)
        return true;
    if (id && !Live(s, id))
        return false;
    const ItemId old = s.sel;
    if (Tell(hwnd, s, TVN_SELCHANGING, action, old, id))
        return false;
    if (!IsWindow(hwnd) || (id && !Live(s, id)))
        return false;
    s.sel = id;
    if (id)
        EnsureVisible(hwnd, s, id);
    InvalidateRect(hwnd, nullptr, false);
    Tell(hwnd, s, TVN_SELCHANGED, action, old, s.sel);
    return true;
}

// A selection the tree has to move on its own (its item went or was hidden):
// there is nothing to refuse, so the parent only hears where it went.
void MoveSelectionTo(HWND hwnd, TreeState& s, ItemId id, ItemId old)
{
    s.sel = id;
    InvalidateRect(hwnd, nullptr, false);
    Tell(hwnd, s, TVN_SELCHANGED, TVC_UNKNOWN, old, id);
}

bool IsBelow(TreeState& s, ItemId item, ItemId ancestor)
{
    for (ItemId up = item ? s.nodes.at(item).parent : 0; up; up = s.nodes.at(up).parent)
        if (up == ancestor)
            return true;
    return false;
}

bool Expand(HWND hwnd, TreeState& s, ItemId id, WPARAM code)
{
    Node* n = Live(s, id);
    if (!n || code < TVE_COLLAPSE || code > TVE_TOGGLE)
        return false;
    const bool open = code == TVE_TOGGLE ? !n->expanded : code == TVE_EXPAND;
    if (open == n->expanded || (open && !HasButton(*n)))
        return false;
    const UINT action = open ? static_cast<UINT>(TVE_EXPAND) : static_cast<UINT>(TVE_COLLAPSE);
    if (Tell(hwnd, s, TVN_ITEMEXPANDING, action, 0, id))
        return false;
    n = Live(s, id);
    if (!IsWindow(hwnd) || !n)
        return false;
    n->expanded = open;
    Changed(hwnd, s);
    if (!open && IsBelow(s, s.sel, id))
        MoveSelectionTo(hwnd, s, id, s.sel);
    if (Live(s, id))
        Tell(hwnd, s, TVN_ITEMEXPANDED, action, 0, id);
    return true;
}

// ---- Insert and delete ----------------------------------------------------------

ItemId& FirstOf(TreeState& s, ItemId parent)
{
    return parent ? s.nodes.at(parent).first : s.firstRoot;
}

ItemId& LastOf(TreeState& s, ItemId parent)
{
    return parent ? s.nodes.at(parent).last : s.lastRoot;
}

void Unlink(TreeState& s, ItemId id)
{
    Node& n = s.nodes.at(id);
    (n.prev ? s.nodes.at(n.prev).next : FirstOf(s, n.parent)) = n.next;
    (n.next ? s.nodes.at(n.next).prev : LastOf(s, n.parent)) = n.prev;
    n.prev = n.next = 0;
}

void ApplyItem(Node& n, const TVITEM& item)
{
    if (item.mask & TVIF_TEXT)
        n.text = item.pszText ? std::u16string(item.pszText) : std::u16string();
    if (item.mask & TVIF_IMAGE)
        n.image = item.iImage;
    if (item.mask & TVIF_SELECTEDIMAGE)
        n.selectedImage = item.iSelectedImage;
    if (item.mask & TVIF_PARAM)
        n.param = item.lParam;
    if (item.mask & TVIF_CHILDREN)
        n.children = item.cChildren ? 1 : 0;
    if ((item.mask & TVIF_STATE) && (item.stateMask & TVIS_EXPANDED))
        n.expanded = (item.state & TVIS_EXPANDED) != 0;
}

// The sibling after which a new item goes (0: first), or -1 when the place
// names no sibling of that parent.
std::intptr_t PlaceAfter(TreeState& s, ItemId parent, HTREEITEM after, const std::u16string& text)
{
    if (after == TVI_FIRST)
        return 0;
    if (after == nullptr || after == TVI_LAST)
        return static_cast<std::intptr_t>(LastOf(s, parent));
    if (after == TVI_SORT) {
        const std::u16string key = Fold(text);
        ItemId prev = 0;
        for (ItemId sib = FirstOf(s, parent); sib && Fold(s.nodes.at(sib).text) <= key; sib = s.nodes.at(sib).next)
            prev = sib;
        return static_cast<std::intptr_t>(prev);
    }
    const Node* sibling = Live(s, IdOf(after));
    if (!sibling || sibling->parent != parent)
        return -1;
    return static_cast<std::intptr_t>(IdOf(after));
}

HTREEITEM Insert(HWND hwnd, TreeState& s, const TVINSERTSTRUCT* in)
{
    if (!in)
        return nullptr;
    const ItemId parent = IsRootParent(in->hParent) ? 0 : IdOf(in->hParent);
    if (parent && !Live(s, parent))
        return nullptr;
    Node n;
    ApplyItem(n, in->item);
    const std::intptr_t after = PlaceAfter(s, parent, in->hInsertAfter, n.text);
    if (after < 0)
        return nullptr;
    const ItemId id = g_nextItem.fetch_add(1);
    n.parent = parent;
    n.prev = static_cast<ItemId>(after);
    n.next = after ? s.nodes.at(n.prev).next : FirstOf(s, parent);
    s.nodes.emplace(id, std::move(n));
    const Node& placed = s.nodes.at(id);
    (placed.prev ? s.nodes.at(placed.prev).next : FirstOf(s, parent)) = id;
    (placed.next ? s.nodes.at(placed.next).prev : LastOf(s, parent)) = id;
    if (parent && !s.nodes.at(parent).expanded)
        InvalidateRect(hwnd, nullptr, false); // only the parent's button may change
    else
        Changed(hwnd, s);
    return Handle(id);
}

// The item and its whole branch, parents before children, without recursion.
void CollectBranch(TreeState& s, ItemId root, std::vector<ItemId>& out)
{
    ItemId id = root;
    while (true) {
        out.push_back(id);
        const Node& n = s.nodes.at(id);
        if (n.first) {
            id = n.first;
            continue;
        }
        while (id != root && !s.nodes.at(id).next)
            id = s.nodes.at(id).parent;
        if (id == root)
            break;
        id = s.nodes.at(id).next;
    }
}

bool Delete(HWND hwnd, TreeState& s, HTREEITEM item)
{
    std::vector<ItemId> roots;
    if (IsRootParent(item)) {
        for (ItemId id = s.firstRoot; id; id = s.nodes.at(id).next)
            roots.push_back(id);
    } else if (Live(s, IdOf(item))) {
        roots.push_back(IdOf(item));
    } else {
        return false;
    }
    std::vector<ItemId> doomed;
    for (ItemId root : roots)
        CollectBranch(s, root, doomed);
    for (ItemId id : doomed)
        s.nodes.at(id).dying = true;
    s.dyingCount += doomed.size();

    // The selection goes to a neighbour of the deleted item, else its parent.
    const ItemId oldSel = s.sel;
    ItemId newSel = oldSel;
    if (oldSel && s.nodes.at(oldSel).dying) {
        newSel = 0;
        if (roots.size() == 1) {
            const Node& gone = s.nodes.at(roots.front());
            newSel = gone.next ? gone.next : gone.prev ? gone.prev : gone.parent;
        }
    }
    for (ItemId root : roots)
        Unlink(s, root);
    if (roots.size() == 1 && !IsRootParent(item)) {
        const ItemId parent = s.nodes.at(roots.front()).parent;
        if (parent && !s.nodes.at(parent).first)
            s.nodes.at(parent).expanded = false;
    }
    Changed(hwnd, s);
    if (newSel != oldSel)
        MoveSelectionTo(hwnd, s, newSel, oldSel);

    // Children are told before their parents; every told item can still be
    // read, and the parent may delete or insert elsewhere meanwhile.
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        if (Find(s, *it))
            Tell(hwnd, s, TVN_DELETEITEM, 0, *it, 0);
    for (ItemId id : doomed)
        if (s.nodes.erase(id))
            --s.dyingCount;
    Changed(hwnd, s);
    return true;
}

// ---- Messages that read items ---------------------------------------------------

bool GetItem(TreeState& s, TVITEM* item)
{
    const Node* n = item ? Find(s, IdOf(item->hItem)) : nullptr;
    if (!n)
        return false;
    const ItemId id = IdOf(item->hItem);
    if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        const std::size_t count = std::min(n->text.size(), static_cast<std::size_t>(item->cchTextMax - 1));
        std::copy_n(n->text.begin(), count, item->pszText);
        item->pszText[count] = u'\0';
    }
    if (item->mask & TVIF_IMAGE)
        item->iImage = n->image;
    if (item->mask & TVIF_SELECTEDIMAGE)
        item->iSelectedImage = n->selectedImage;
    if (item->mask & TVIF_PARAM)
        item->lParam = n->param;
    if (item->mask & TVIF_CHILDREN)
        item->cChildren = HasButton(*n) ? 1 : 0;
    if (item->mask & TVIF_STATE)
        item->state = (n->expanded ? TVIS_EXPANDED : 0) | (id == s.sel ? TVIS_SELECTED : 0);
    return true;
}

ItemId NextItem(HWND hwnd, TreeState& s, WPARAM code, ItemId from)
{
    const Node* n = Find(s, from);
    const auto& rows = Rows(s);
    switch (code) {
    case TVGN_ROOT:
        return s.firstRoot;
    case TVGN_CARET:
        return s.sel;
    case TVGN_FIRSTVISIBLE:
        return s.top < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(s.top)].id : 0;
    case TVGN_LASTVISIBLE:
        return rows.empty() ? 0 : rows.back().id;
    case TVGN_NEXT:
        return n ? n->next : 0;
    case TVGN_PREVIOUS:
        return n ? n->prev : 0;
    case TVGN_PARENT:
        return n ? n->parent : 0;
    case TVGN_CHILD:
        return n ? n->first : IsRootParent(Handle(from)) ? s.firstRoot : 0;
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        const int row = RowOf(s, from);
        const int to = row + (code == TVGN_NEXTVISIBLE ? 1 : -1);
        return row >= 0 && to >= 0 && to < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(to)].id : 0;
    }
    default:
        (void)hwnd;
        return 0;
    }
}

bool ItemRect(HWND hwnd, TreeState& s, RECT* rect, bool textOnly)
{
    if (!rect)
        return false;
    HTREEITEM item = nullptr;
    std::memcpy(&item, static_cast<const void*>(rect), sizeof item);
    const int row = Live(s, IdOf(item)) ? RowOf(s, IdOf(item)) : -1;
    if (row < 0)
        return false;
    const RowParts p = PartsOf(hwnd, s, row);
    *rect = textOnly ? p.label : p.row;
    return true;
}

ItemId HitTest(HWND hwnd, TreeState& s, TVHITTESTINFO* info)
{
    if (!info)
        return 0;
    const RECT c = ClientOf(hwnd);
    const POINT pt = info->pt;
    info->flags = 0;
    info->hItem = nullptr;
    if (pt.y < 0)
        info->flags |= TVHT_ABOVE;
    if (pt.y >= c.bottom)
        info->flags |= TVHT_BELOW;
    if (pt.x < 0)
        info->flags |= TVHT_TOLEFT;
    if (pt.x >= c.right)
        info->flags |= TVHT_TORIGHT;
    if (info->flags)
        return 0;
    const int row = s.top + pt.y / RowHeight(s);
    if (row >= RowCount(s)) {
        info->flags = TVHT_NOWHERE;
        return 0;
    }
    const RowParts p = PartsOf(hwnd, s, row);
    if (PtInRect(&p.button, pt))
        info->flags = TVHT_ONITEMBUTTON;
    else if (pt.x < p.row.left + (p.icon.right > p.icon.left ? p.icon.left : p.label.left))
        info->flags = TVHT_ONITEMINDENT;
    else if (pt.x < p.icon.right)
        info->flags = TVHT_ONITEMICON;
    else if (pt.x < p.label.right)
        info->flags = TVHT_ONITEMLABEL;
    else
        info->flags = TVHT_ONITEMRIGHT;
    const ItemId id = Rows(s)[static_cast<std::size_t>(row)].id;
    info->hItem = Handle(id);
    return id;
}

} // namespace TreeViewImpl

using namespace TreeViewImpl;

LRESULT TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        Measure(*MakeState<TreeState>(hwnd));
        // The bar shows itself when the rows outgrow the window.
        SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG_PTR>(StyleOf(hwnd) | WS_VSCROLL));
        return 0;
    }
    auto state = StateOf<TreeState>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    TreeState& s = *state;
    const auto item = reinterpret_cast<HTREEITEM>(lParam);
    switch (msg) {
    case TVM_INSERTITEM:
        return reinterpret_cast<LRESULT>(Insert(hwnd, s, reinterpret_cast<const TVINSERTSTRUCT*>(lParam)));
    case TVM_DELETEITEM:
        return Delete(hwnd, s, item);
    case TVM_EXPAND:
        return Expand(hwnd, s, IdOf(item), wParam);
    case TVM_GETITEMRECT:
        return ItemRect(hwnd, s, reinterpret_cast<RECT*>(lParam), wParam != 0);
    case TVM_GETCOUNT:
        return static_cast<LRESULT>(s.nodes.size() - s.dyingCount);
    case TVM_GETIMAGELIST:
        return wParam == TVSIL_NORMAL ? reinterpret_cast<LRESULT>(s.images) : 0;
    case TVM_SETIMAGELIST: {
        if (wParam != TVSIL_NORMAL)
            return 0;
        HIMAGELIST old = s.images;
        s.images = reinterpret_cast<HIMAGELIST>(lParam);
        Measure(s);
        SyncBar(hwnd, s);
        return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETNEXTITEM:
        return reinterpret_cast<LRESULT>(Handle(NextItem(hwnd, s, wParam, IdOf(item))));
    case TVM_SELECTITEM:
        if (wParam == TVGN_FIRSTVISIBLE) {
            if (!EnsureVisible(hwnd, s, IdOf(item)))
                return 0;
            ScrollTo(hwnd, s, RowOf(s, IdOf(item)));
            return 1;
        }
        return wParam == TVGN_CARET && Select(hwnd, s, IdOf(item), TVC_UNKNOWN);
    case TVM_GETITEM:
        return GetItem(s, reinterpret_cast<TVITEM*>(lParam));
    case TVM_SETITEM: {
        const auto* in = reinterpret_cast<const TVITEM*>(lParam);
        Node* n = in ? Live(s, IdOf(in->hItem)) : nullptr;
        if (!n)
            return 0;
        const ItemId id = IdOf(in->hItem);
        ApplyItem(*n, *in);
        Changed(hwnd, s);
        // A branch closed this way must not hide the selection either.
        if (!s.nodes.at(id).expanded && IsBelow(s, s.sel, id))
            MoveSelectionTo(hwnd, s, id, s.sel);
        return 1;
    }
    case TVM_HITTEST:
        return reinterpret_cast<LRESULT>(Handle(HitTest(hwnd, s, reinterpret_cast<TVHITTESTINFO*>(lParam))));
    case TVM_ENSUREVISIBLE:
        return EnsureVisible(hwnd, s, IdOf(item));
    case TVM_GETVISIBLECOUNT:
        return ClientOf(hwnd).bottom / RowHeight(s);
    default:
        return WindowMessage(hwnd, s, msg, wParam, lParam);
    }
}

} // namespace Platform::Controls
