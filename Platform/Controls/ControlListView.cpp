// The list view: its messages, items, columns, states and scrolling.

#include "ControlListViewImpl.h"

#include "ControlScrollBar.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <climits>

namespace Platform::Controls {
namespace ListView {

State::~State()
{
    if (bkImage)
        DeleteObject(bkImage);
    if (bkBrush)
        DeleteObject(bkBrush);
}
namespace {

int MaxTop(const Layout& l, const State& s)
{
    return std::max(0, Count(s) - std::max(1, l.perPage));
}

bool SingleSel(HWND hwnd)
{
    return (StyleOf(hwnd) & LVS_SINGLESEL) != 0;
}

} // namespace

void SyncBar(HWND hwnd, State& s)
{
    InvalidateRect(hwnd, nullptr, false);
    if (s.syncing)
        return;
    s.syncing = true;
    const Layout l = LayoutOf(hwnd, s);
    s.top = std::clamp(s.top, 0, MaxTop(l, s));
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, Count(s) - 1);
    si.nPage = static_cast<UINT>(l.perPage);
    si.nPos = s.top;
    SetScrollInfo(hwnd, SB_VERT, &si, true);
    s.syncing = false;
}

void ScrollTo(HWND hwnd, State& s, int top)
{
    s.top = top;
    SyncBar(hwnd, s);
}

bool EnsureVisible(HWND hwnd, State& s, int index, bool partialOk)
{
    if (!Valid(s, index))
        return false;
    const Layout l = LayoutOf(hwnd, s);
    const int page = std::max(1, l.perPage);
    // A row cut by the bottom edge is in view when partly shown will do.
    const bool partlyShown = partialOk && index == s.top + l.perPage &&
                             l.header + static_cast<long long>(l.perPage) * l.row < l.client.bottom;
    if (index < s.top)
        ScrollTo(hwnd, s, index);
    else if (index >= s.top + page && !partlyShown)
        ScrollTo(hwnd, s, index - page + 1);
    return true;
}

bool ApplyState(HWND hwnd, State& s, int i, UINT bits, UINT mask)
{
    mask &= LVIS_FOCUSED | LVIS_SELECTED;
    NMLISTVIEW nm;
    {
        Item& item = s.items[static_cast<size_t>(i)];
        nm.uOldState = item.state;
        nm.uNewState = (item.state & ~mask) | (bits & mask);
        if (nm.uOldState == nm.uNewState)
            return true;
        item.state = nm.uNewState;
        nm.lParam = item.param;
    }
    InvalidateRect(hwnd, nullptr, false);
    nm.iItem = i;
    nm.uChanged = LVIF_STATE;
    const unsigned generation = s.generation;
    NotifyRecord(hwnd, &nm.hdr, LVN_ITEMCHANGED);
    return IsWindow(hwnd) && s.generation == generation;
}

bool SetState(HWND hwnd, State& s, int i, UINT bits, UINT mask, bool only)
{
    if (!Valid(s, i))
        return false;
    UINT othersLose = mask & bits & LVIS_FOCUSED;
    if ((mask & bits & LVIS_SELECTED) && (only || SingleSel(hwnd)))
        othersLose |= LVIS_SELECTED;
    for (int j = 0; othersLose && j < Count(s); ++j) {
        if (j != i && (s.items[static_cast<size_t>(j)].state & othersLose) &&
            !ApplyState(hwnd, s, j, 0, othersLose))
            return false;
    }
    return ApplyState(hwnd, s, i, bits, mask);
}

bool SetAllStates(HWND hwnd, State& s, UINT bits, UINT mask)
{
    // Only one item can hold the focus, and one the selection of a
    // single-selection list: setting them on all is setting them on none.
    if (SingleSel(hwnd))
        mask &= ~(bits & LVIS_SELECTED);
    mask &= ~(bits & LVIS_FOCUSED);
    for (int j = 0; j < Count(s); ++j)
        if (!ApplyState(hwnd, s, j, bits, mask))
            return false;
    return true;
}

void Choose(HWND hwnd, State& s, int i)
{
    if (SetState(hwnd, s, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED, true) && Valid(s, i))
        EnsureVisible(hwnd, s, i, false);
}

int NextItem(const State& s, std::intptr_t start, UINT flags)
{
    if (start < -1 || start >= Count(s))
        return -1;
    const UINT wanted = ((flags & LVNI_FOCUSED) ? LVIS_FOCUSED : 0) | ((flags & LVNI_SELECTED) ? LVIS_SELECTED : 0);
    for (int i = static_cast<int>(start) + 1; i < Count(s); ++i)
        if ((s.items[static_cast<size_t>(i)].state & wanted) == wanted)
            return i;
    return -1;
}

void TellItem(HWND hwnd, State& s, UINT code, int i, POINT pt)
{
    NMITEMACTIVATE nm;
    nm.iItem = i;
    nm.ptAction = pt;
    if (Valid(s, i)) {
        nm.uNewState = nm.uOldState = s.items[static_cast<size_t>(i)].state;
        nm.lParam = s.items[static_cast<size_t>(i)].param;
    }
    NotifyRecord(hwnd, &nm.hdr, code);
}

namespace {

// ---- Items and columns ----------------------------------------------------------

void CopyOut(const std::u16string& text, char16_t* out, int cchTextMax, int* copied)
{
    *copied = 0;
    if (!out || cchTextMax <= 0)
        return;
    const size_t n = std::min(text.size(), static_cast<size_t>(cchTextMax - 1));
    std::copy_n(text.begin(), n, out);
    out[n] = u'\0';
    *copied = static_cast<int>(n);
}

bool SetText(State& s, int i, int sub, const char16_t* text)
{
    if (!Valid(s, i) || sub < 0 || (sub > 0 && sub >= static_cast<int>(s.columns.size())))
        return false;
    auto& texts = s.items[static_cast<size_t>(i)].texts;
    if (texts.size() <= static_cast<size_t>(sub))
        texts.resize(static_cast<size_t>(sub) + 1);
    texts[static_cast<size_t>(sub)] = text ? text : u"";
    return true;
}

LRESULT SetItem(HWND hwnd, State& s, const LVITEM* item)
{
    if (!item || !Valid(s, item->iItem))
        return false;
    const int i = item->iItem;
    if (item->iSubItem != 0)
        return (item->mask == LVIF_TEXT || item->mask == 0) && SetText(s, i, item->iSubItem, item->pszText) &&
               (InvalidateRect(hwnd, nullptr, false), true);
    if (item->mask & LVIF_TEXT)
        SetText(s, i, 0, item->pszText);
    if (item->mask & LVIF_IMAGE)
        s.items[static_cast<size_t>(i)].image = item->iImage;
    if (item->mask & LVIF_PARAM)
        s.items[static_cast<size_t>(i)].param = item->lParam;
    InvalidateRect(hwnd, nullptr, false);
    if (item->mask & LVIF_STATE)
        SetState(hwnd, s, i, item->state, item->stateMask, false);
    return true;
}

LRESULT GetItem(const State& s, LVITEM* item)
{
    if (!item || !Valid(s, item->iItem) || item->iSubItem < 0)
        return false;
    const Item& it = s.items[static_cast<size_t>(item->iItem)];
    if (item->mask & LVIF_TEXT) {
        const auto sub = static_cast<size_t>(item->iSubItem);
        int copied = 0;
        CopyOut(sub < it.texts.size() ? it.texts[sub] : std::u16string(), item->pszText, item->cchTextMax, &copied);
    }
    if (item->iSubItem == 0) {
        if (item->mask & LVIF_IMAGE)
            item->iImage = it.image;
        if (item->mask & LVIF_PARAM)
            item->lParam = it.param;
        if (item->mask & LVIF_STATE)
            item->state = it.state & item->stateMask;
    }
    return true;
}

LRESULT InsertItem(HWND hwnd, State& s, const LVITEM* item)
{
    if (!item || item->iSubItem != 0 || item->iItem < 0)
        return -1;
    const int at = std::min(item->iItem, Count(s));
    Item fresh;
    if ((item->mask & LVIF_TEXT) && item->pszText)
        fresh.texts.front() = item->pszText;
    if (item->mask & LVIF_IMAGE)
        fresh.image = item->iImage;
    if (item->mask & LVIF_PARAM)
        fresh.param = item->lParam;
    s.items.insert(s.items.begin() + at, std::move(fresh));
    ++s.generation;
    SyncBar(hwnd, s);
    if ((item->mask & LVIF_STATE) && (item->state & item->stateMask))
        SetState(hwnd, s, at, item->state, item->stateMask, false);
    return at;
}

LRESULT DeleteItem(HWND hwnd, State& s, std::intptr_t index)
{
    if (!Valid(s, index))
        return false;
    s.items.erase(s.items.begin() + index);
    ++s.generation;
    SyncBar(hwnd, s);
    return true;
}

LRESULT InsertColumn(HWND hwnd, State& s, std::intptr_t index, const LVCOLUMN* column)
{
    if (!column || index < 0)
        return -1;
    const auto at = static_cast<size_t>(std::min<std::intptr_t>(index, static_cast<std::intptr_t>(s.columns.size())));
    Column c;
    if (column->mask & LVCF_FMT)
        c.fmt = column->fmt & LVCFMT_JUSTIFYMASK;
    if (column->mask & LVCF_WIDTH)
        c.width = std::max(0, column->cx);
    if ((column->mask & LVCF_TEXT) && column->pszText)
        c.text = column->pszText;
    s.columns.insert(s.columns.begin() + static_cast<std::ptrdiff_t>(at), std::move(c));
    // Sub-items keep showing under the columns they were set for.
    if (at > 0)
        for (Item& item : s.items)
            if (item.texts.size() > at)
                item.texts.insert(item.texts.begin() + static_cast<std::ptrdiff_t>(at), std::u16string());
    SyncBar(hwnd, s);
    return static_cast<LRESULT>(at);
}

LRESULT DeleteColumn(HWND hwnd, State& s, std::intptr_t index)
{
    if (index < 0 || index >= static_cast<std::intptr_t>(s.columns.size()))
        return false;
    s.columns.erase(s.columns.begin() + index);
    if (index > 0)
        for (Item& item : s.items)
            if (item.texts.size() > static_cast<size_t>(index))
                item.texts.erase(item.texts.begin() + index);
    SyncBar(hwnd, s);
    return true;
}

Column* ColumnAt(State& s, std::intptr_t index)
{
    return index >= 0 && index < static_cast<std::intptr_t>(s.columns.size()) ? &s.columns[static_cast<size_t>(index)]
                                                                                 : nullptr;
}

LRESULT ColumnMessage(HWND hwnd, State& s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto index = static_cast<std::intptr_t>(wParam);
    if (msg == LVM_INSERTCOLUMN)
        return InsertColumn(hwnd, s, index, reinterpret_cast<const LVCOLUMN*>(lParam));
    if (msg == LVM_DELETECOLUMN)
        return DeleteColumn(hwnd, s, index);
    Column* c = ColumnAt(s, index);
    if (!c)
        return 0;
    switch (msg) {
    case LVM_GETCOLUMNWIDTH:
        return c->width;
    case LVM_SETCOLUMNWIDTH:
        if (lParam < 0 || lParam > INT_MAX / 4)
            return false;
        c->width = static_cast<int>(lParam);
        SyncBar(hwnd, s);
        return true;
    case LVM_GETCOLUMN: {
        auto* out = reinterpret_cast<LVCOLUMN*>(lParam);
        if (!out)
            return false;
        if (out->mask & LVCF_FMT)
            out->fmt = c->fmt;
        if (out->mask & LVCF_WIDTH)
            out->cx = c->width;
        if (out->mask & LVCF_TEXT) {
            int copied = 0;
            CopyOut(c->text, out->pszText, out->cchTextMax, &copied);
        }
        return true;
    }
    case LVM_SETCOLUMN: {
        const auto* in = reinterpret_cast<const LVCOLUMN*>(lParam);
        if (!in)
            return false;
        if (in->mask & LVCF_FMT)
            c->fmt = in->fmt & LVCFMT_JUSTIFYMASK;
        if (in->mask & LVCF_WIDTH)
            c->width = std::max(0, in->cx);
        if (in->mask & LVCF_TEXT)
            c->text = in->pszText ? in->pszText : u"";
        SyncBar(hwnd, s);
        return true;
    }
    default:
        return 0;
    }
}

// ---- Looks ------------------------------------------------------------------------

// The caller deletes its bitmap right after handing it over: keep a copy.
bool SetBkImage(HWND hwnd, State& s, const LVBKIMAGE* image)
{
    if (!image)
        return false;
    HBITMAP copy = nullptr;
    if ((image->ulFlags & LVBKIF_SOURCE_MASK) == LVBKIF_SOURCE_HBITMAP) {
        BITMAP bm;
        if (!image->hbm || GetObject(image->hbm, sizeof(bm), &bm) != sizeof(bm) || bm.bmWidth <= 0 ||
            bm.bmHeight <= 0)
            return false;
        HDC from = CreateCompatibleDC(nullptr);
        HDC to = CreateCompatibleDC(nullptr);
        copy = CreateCompatibleBitmap(from, bm.bmWidth, bm.bmHeight);
        HGDIOBJ oldFrom = SelectObject(from, image->hbm);
        HGDIOBJ oldTo = SelectObject(to, copy);
        BitBlt(to, 0, 0, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        if (!copy)
            return false;
    }
    if (s.bkImage)
        DeleteObject(s.bkImage);
    if (s.bkBrush)
        DeleteObject(s.bkBrush);
    s.bkImage = copy;
    s.bkBrush = copy ? CreatePatternBrush(copy) : nullptr;
    s.bkTile = (image->ulFlags & LVBKIF_STYLE_TILE) != 0;
    InvalidateRect(hwnd, nullptr, false);
    return true;
}

constexpr CommonAnswers<State> kCommon{
    .paint = &Paint,
    .focused = &State::focused,
    .focusChanged = &TellFocus<State>,
    .font = &State::font,
    // Owner-drawn rows are measured again for the new font.
    .fontChanged =
        [](HWND hwnd, State& s, bool) {
            s.measured = 0;
            SyncBar(hwnd, s);
        },
};

LRESULT LookMessage(HWND hwnd, State& s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // CLR_DEFAULT puts back the colour the list starts with.
    struct Slot {
        UINT set;
        UINT get;
        COLORREF State::*colour;
        int sysDefault;
    };
    static constexpr Slot slots[] = {
        {LVM_SETTEXTCOLOR, LVM_GETTEXTCOLOR, &State::text, COLOR_WINDOWTEXT},
        {LVM_SETTEXTBKCOLOR, LVM_GETTEXTBKCOLOR, &State::textBk, -1},
        {LVM_SETBKCOLOR, LVM_GETBKCOLOR, &State::bk, COLOR_WINDOW},
    };
    for (const Slot& slot : slots) {
        if (msg == slot.get)
            return static_cast<LRESULT>(s.*slot.colour);
        if (msg == slot.set) {
            const auto colour = static_cast<COLORREF>(lParam);
            s.*slot.colour = colour != CLR_DEFAULT ? colour
                             : slot.sysDefault >= 0 ? GetSysColor(slot.sysDefault)
                                                    : CLR_NONE;
            InvalidateRect(hwnd, nullptr, false);
            return true;
        }
    }
    switch (msg) {
    case LVM_SETIMAGELIST: {
        HIMAGELIST* slot = wParam == LVSIL_SMALL ? &s.smallImages : wParam == LVSIL_NORMAL ? &s.normalImages : nullptr;
        if (!slot)
            return 0;
        HIMAGELIST old = *slot;
        *slot = reinterpret_cast<HIMAGELIST>(lParam);
        SyncBar(hwnd, s);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == LVSIL_SMALL ? s.smallImages
                                         : wParam == LVSIL_NORMAL ? s.normalImages
                                                                  : nullptr);
    case LVM_SETBKIMAGE:
        return SetBkImage(hwnd, s, reinterpret_cast<const LVBKIMAGE*>(lParam));
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        const std::uint32_t old = s.exStyle;
        const auto mask = wParam ? static_cast<std::uint32_t>(wParam) : ~std::uint32_t{0};
        s.exStyle = (old & ~mask) | (static_cast<std::uint32_t>(lParam) & mask);
        InvalidateRect(hwnd, nullptr, false);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return s.exStyle;
    default:
        return CommonMessage(hwnd, s, kCommon, msg, wParam, lParam);
    }
}

LRESULT WindowMessage(HWND hwnd, State& s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_SIZE:
        SyncBar(hwnd, s);
        return 0;
    case WM_GETDLGCODE:
        // Enter belongs to the list (it activates the focused item), not to
        // the dialog's default button.
        return DLGC_WANTARROWS | (wParam == VK_RETURN ? DLGC_WANTALLKEYS : 0);
    case WM_KEYDOWN:
        KeyDown(hwnd, s, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        PenDown(hwnd, s, pt);
        return 0;
    case WM_MOUSEMOVE:
        PenMove(hwnd, s, pt);
        return 0;
    case WM_LBUTTONUP:
        PenUp(hwnd, s, pt);
        return 0;
    case WM_CAPTURECHANGED:
        s.pen.down = false;
        return 0;
    case WM_CONTEXTMENU:
        Hold(hwnd, s, pt);
        return 0;
    case WM_VSCROLL:
        ScrollTo(hwnd, s,
                 ScrolledTop(LOWORD(wParam), HIWORD(wParam), s.top, std::max(1, LayoutOf(hwnd, s).perPage), Count(s)));
        return 0;
    default:
        return LookMessage(hwnd, s, msg, wParam, lParam);
    }
}

// ---- Item and column messages ------------------------------------------

// The item index most list messages carry in wParam; -1 is "none" or "all".
std::intptr_t IndexOf(WPARAM wParam)
{
    return static_cast<std::intptr_t>(wParam);
}

int ClampedIndex(WPARAM wParam)
{
    return static_cast<int>(std::clamp<std::intptr_t>(IndexOf(wParam), -1, INT_MAX));
}

LRESULT GetCount(HWND, State& s, WPARAM, LPARAM)
{
    return Count(s);
}

LRESULT GetItemMessage(HWND, State& s, WPARAM, LPARAM lParam)
{
    return GetItem(s, reinterpret_cast<LVITEM*>(lParam));
}

LRESULT SetItemMessage(HWND hwnd, State& s, WPARAM, LPARAM lParam)
{
    return SetItem(hwnd, s, reinterpret_cast<const LVITEM*>(lParam));
}

LRESULT InsertItemMessage(HWND hwnd, State& s, WPARAM, LPARAM lParam)
{
    return InsertItem(hwnd, s, reinterpret_cast<const LVITEM*>(lParam));
}

LRESULT DeleteItemMessage(HWND hwnd, State& s, WPARAM wParam, LPARAM)
{
    return DeleteItem(hwnd, s, IndexOf(wParam));
}

LRESULT DeleteAll(HWND hwnd, State& s, WPARAM, LPARAM)
{
    s.items.clear();
    ++s.generation;
    ScrollTo(hwnd, s, 0);
    return true;
}

LRESULT GetNext(HWND, State& s, WPARAM wParam, LPARAM lParam)
{
    return NextItem(s, IndexOf(wParam), static_cast<UINT>(lParam));
}

LRESULT GetItemRect(HWND hwnd, State& s, WPARAM wParam, LPARAM lParam)
{
    auto* r = reinterpret_cast<RECT*>(lParam);
    if (!r || !Valid(s, IndexOf(wParam)))
        return false;
    *r = ItemRect(LayoutOf(hwnd, s), s, static_cast<int>(IndexOf(wParam)), r->left);
    return true;
}

LRESULT HitTest(HWND hwnd, State& s, WPARAM, LPARAM lParam)
{
    auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
    if (!info)
        return -1;
    info->iSubItem = 0;
    info->iItem = ItemAt(LayoutOf(hwnd, s), s, info->pt, &info->flags);
    return info->iItem;
}

LRESULT EnsureVisibleMessage(HWND hwnd, State& s, WPARAM wParam, LPARAM lParam)
{
    return EnsureVisible(hwnd, s, ClampedIndex(wParam), lParam != 0);
}

LRESULT Update(HWND hwnd, State& s, WPARAM wParam, LPARAM)
{
    if (!Valid(s, IndexOf(wParam)))
        return false;
    InvalidateRect(hwnd, nullptr, false);
    return true;
}

LRESULT SetItemState(HWND hwnd, State& s, WPARAM wParam, LPARAM lParam)
{
    const auto* item = reinterpret_cast<const LVITEM*>(lParam);
    const std::intptr_t index = IndexOf(wParam);
    if (!item)
        return false;
    if (index == -1)
        return SetAllStates(hwnd, s, item->state, item->stateMask), true;
    if (!Valid(s, index))
        return false;
    SetState(hwnd, s, static_cast<int>(index), item->state, item->stateMask, false);
    return true;
}

LRESULT GetItemState(HWND, State& s, WPARAM wParam, LPARAM lParam)
{
    const std::intptr_t index = IndexOf(wParam);
    return Valid(s, index) ? static_cast<LRESULT>(s.items[static_cast<size_t>(index)].state & static_cast<UINT>(lParam))
                           : 0;
}

// A missing item or sub-item copies out an empty text.
LRESULT GetItemText(HWND, State& s, WPARAM wParam, LPARAM lParam)
{
    auto* item = reinterpret_cast<LVITEM*>(lParam);
    const std::intptr_t index = IndexOf(wParam);
    if (!item)
        return 0;
    static const std::u16string none;
    const std::u16string* text = &none;
    if (Valid(s, index) && item->iSubItem >= 0) {
        const auto& texts = s.items[static_cast<size_t>(index)].texts;
        if (static_cast<size_t>(item->iSubItem) < texts.size())
            text = &texts[static_cast<size_t>(item->iSubItem)];
    }
    int copied = 0;
    CopyOut(*text, item->pszText, item->cchTextMax, &copied);
    return copied;
}

LRESULT SetItemText(HWND hwnd, State& s, WPARAM wParam, LPARAM lParam)
{
    const auto* item = reinterpret_cast<const LVITEM*>(lParam);
    if (!item || !SetText(s, ClampedIndex(wParam), item->iSubItem, item->pszText))
        return false;
    InvalidateRect(hwnd, nullptr, false);
    return true;
}

LRESULT SelectedCount(HWND, State& s, WPARAM, LPARAM)
{
    return std::count_if(s.items.begin(), s.items.end(),
                         [](const Item& item) { return (item.state & LVIS_SELECTED) != 0; });
}

LRESULT GetTop(HWND, State& s, WPARAM, LPARAM)
{
    return s.top;
}

LRESULT CountPerPage(HWND hwnd, State& s, WPARAM, LPARAM)
{
    return LayoutOf(hwnd, s).perPage;
}

template <UINT Msg>
LRESULT Column(HWND hwnd, State& s, WPARAM wParam, LPARAM lParam)
{
    return ColumnMessage(hwnd, s, Msg, wParam, lParam);
}

constexpr MessageRow<State> kItemMessages[] = {
    {LVM_GETITEMCOUNT, &GetCount},
    {LVM_GETITEM, &GetItemMessage},
    {LVM_SETITEM, &SetItemMessage},
    {LVM_INSERTITEM, &InsertItemMessage},
    {LVM_DELETEITEM, &DeleteItemMessage},
    {LVM_DELETEALLITEMS, &DeleteAll},
    {LVM_GETNEXTITEM, &GetNext},
    {LVM_GETITEMRECT, &GetItemRect},
    {LVM_HITTEST, &HitTest},
    {LVM_ENSUREVISIBLE, &EnsureVisibleMessage},
    {LVM_UPDATE, &Update},
    {LVM_SETITEMSTATE, &SetItemState},
    {LVM_GETITEMSTATE, &GetItemState},
    {LVM_GETITEMTEXT, &GetItemText},
    {LVM_SETITEMTEXT, &SetItemText},
    {LVM_GETSELECTEDCOUNT, &SelectedCount},
    {LVM_GETTOPINDEX, &GetTop},
    {LVM_GETCOUNTPERPAGE, &CountPerPage},
    {LVM_INSERTCOLUMN, &Column<LVM_INSERTCOLUMN>},
    {LVM_DELETECOLUMN, &Column<LVM_DELETECOLUMN>},
    {LVM_GETCOLUMN, &Column<LVM_GETCOLUMN>},
    {LVM_SETCOLUMN, &Column<LVM_SETCOLUMN>},
    {LVM_GETCOLUMNWIDTH, &Column<LVM_GETCOLUMNWIDTH>},
    {LVM_SETCOLUMNWIDTH, &Column<LVM_SETCOLUMNWIDTH>},
};

} // namespace
} // namespace ListView

using namespace ListView;

LRESULT ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        // Long lists scroll with the window's own bar, whatever the style
        // the list was made with.
        SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG_PTR>(StyleOf(hwnd) | WS_VSCROLL));
        auto s = MakeState<State>(hwnd);
        s->text = GetSysColor(COLOR_WINDOWTEXT);
        s->bk = GetSysColor(COLOR_WINDOW);
        SyncBar(hwnd, *s);
        return 0;
    }
    // Held for the whole message: the parent may destroy the list from a
    // notification.
    auto state = StateOf<State>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    if (const MessageStep<State> step = StepFor(kItemMessages, msg))
        return step(hwnd, *state, wParam, lParam);
    return WindowMessage(hwnd, *state, msg, wParam, lParam);
}

} // namespace Platform::Controls
