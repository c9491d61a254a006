#include "CYol_CLItem.h"

#include <algorithm>
#include <atomic>

namespace CL {

// ------------------------------------------------------------------ metrics

// Set by the window control on the UI thread, read by layouts on both
// threads.
namespace {
std::atomic<int> g_rowHeights[static_cast<int>(CLRowKind::Count)] = {20, 20, 20, 20, 20, 20, 20};
std::atomic<int> g_contactsPerRow{1};
std::atomic<int> g_metaContactsPerRow{1};
}  // namespace

int CYol_CLMetrics::RowHeight(CLRowKind kind) { return g_rowHeights[static_cast<int>(kind)]; }
void CYol_CLMetrics::SetRowHeight(CLRowKind kind, int pixels) { g_rowHeights[static_cast<int>(kind)] = pixels; }
void CYol_CLMetrics::SetAllRowHeights(int pixels) {
    for (std::atomic<int>& height : g_rowHeights)
        height = pixels;
}
int CYol_CLMetrics::RowHeightForFont(int fontHeight, int logPixelsY) {
    int logical = fontHeight < 21 ? 20 : fontHeight;
    return (logical * logPixelsY + 48) / 96;
}
int CYol_CLMetrics::ContactsPerRow() { return g_contactsPerRow; }
int CYol_CLMetrics::MetaContactsPerRow() { return g_metaContactsPerRow; }
void CYol_CLMetrics::SetItemsPerRow(int n) {
    // A row holds at least one item: every column walk divides by it.
    g_contactsPerRow = std::max(n, 1);
    g_metaContactsPerRow = std::max(n, 1);
}

// ------------------------------------------------------------------- item

CYol_CLItem::CYol_CLItem() { controls.SetGrowStep(1); }

CYol_CLItem::~CYol_CLItem() {
    CYol_CLItem* child = firstChild;
    while (child != nullptr) {
        CYol_CLItem* following = child->next;
        child->parent = nullptr;
        delete child;
        child = following;
    }
}

int CYol_CLItem::Compare(const CYol_CLItem&) const { return 1; }

void CYol_CLItem::SetVisible(bool show) {
    visible = show;
    if (!show)
        NotifyHiding();
}

void CYol_CLItem::NotifyHiding() {
    // Depth first, children before their parent, last child first, so that a
    // selection inside the hidden part climbs to the row above it.
    for (CYol_CLItem* child = lastChild; child != nullptr; child = child->prev)
        if (child->visible)
            child->NotifyHiding();
    NotifyCollapsing(this);
}

int CYol_CLItem::GetItemsPerRow() const { return 1; }
int CYol_CLItem::GetColumn() const { return 0; }
int CYol_CLItem::GetOwnHeight() const { return 0; }

int CYol_CLItem::GetHeight() const {
    int height = GetOwnHeight();
    if (expanded)
        for (const CYol_CLItem* child = firstChild; child != nullptr; child = child->next)
            if (child->visible)
                height += child->GetHeight();
    return height;
}

bool CYol_CLItem::Draw(CYol_CLDrawContext& dc, int left, int top, int width, bool withChildren) {
    int bottom = top + GetOwnHeight();
    if (dc.selected == this && !dc.ownSelection && top < dc.height)
        dc.DrawSelection(top, left, bottom, left + width);
    if (bottom >= dc.height)
        return false;
    if (withChildren && expanded) {
        int y = bottom;
        for (CYol_CLItem* child = firstChild; child != nullptr; child = child->next) {
            if (!child->visible)
                continue;
            int childBottom = y + child->GetHeight();
            if (childBottom >= 0) {
                if (y >= dc.height)
                    return false;
                if (!child->Draw(dc, left, y, width, true))
                    return false;
            }
            y = childBottom;
        }
    }
    return true;
}

CYol_CLItem* CYol_CLItem::HitTest(int x, int y, int width) {
    int own = GetOwnHeight();
    if (y < own)
        return this;
    y -= own;
    for (CYol_CLItem* child = firstChild; child != nullptr; child = child->next) {
        if (!child->visible)
            continue;
        int height = child->GetHeight();
        if (y < height)
            return child->HitTest(x, y, width);
        y -= height;
    }
    return nullptr;
}

void CYol_CLItem::SetExpanded(bool value) { expanded = value; }
CYolString CYol_CLItem::GetText() const { return CYolString(); }
void CYol_CLItem::BuildMenu(CYolMenuInfo&, int, int, CYol_CLCtrlBase*) {}
void CYol_CLItem::Activate(int, int, CYol_CLCtrlBase*) { SetExpanded(!expanded); }
void CYol_CLItem::CallWithId(int, YolMenuCallback, void*, void*) {}

int CYol_CLItem::GetChildOffset(const CYol_CLItem* ancestor) const {
    int offset = 0;
    for (const CYol_CLItem* sibling = prev; sibling != nullptr; sibling = sibling->prev)
        if (sibling->visible)
            offset += sibling->GetHeight();
    if (parent != nullptr && parent != ancestor)
        offset += parent->GetOwnHeight() + parent->GetChildOffset(ancestor);
    return offset;
}

namespace {
CYol_CLItem* NextVisible(CYol_CLItem* item) {
    for (item = item->next; item != nullptr && !item->visible; item = item->next) {
    }
    return item;
}
CYol_CLItem* PrevVisible(CYol_CLItem* item) {
    for (item = item->prev; item != nullptr && !item->visible; item = item->prev) {
    }
    return item;
}
}  // namespace

CYol_CLItem* CYol_CLItem::GetNthVisibleChild(CYol_CLItem* root, int column) {
    if (expanded && firstChild != nullptr) {
        unsigned int n = static_cast<unsigned int>(std::max(firstChild->GetItemsPerRow(), 1));
        unsigned int k = std::min(static_cast<unsigned int>(column), n - 1);
        CYol_CLItem* last = nullptr;
        unsigned int position = 0;
        for (CYol_CLItem* child = firstChild; child != nullptr && position < n; child = child->next) {
            if (!child->visible)
                continue;
            if (position == k)
                return child;
            last = child;
            ++position;
        }
        if (last != nullptr)
            return last;
    }
    if (this == root)
        return nullptr;
    int n = std::max(GetItemsPerRow(), 1);
    int found = 0;
    CYol_CLItem* last = nullptr;
    for (CYol_CLItem* sibling = NextVisible(this); sibling != nullptr && found < n; sibling = NextVisible(sibling)) {
        last = sibling;
        ++found;
    }
    if (found > 0 && column + found >= n)
        return last;
    for (CYol_CLItem* ancestor = parent; ancestor != nullptr && ancestor != root; ancestor = ancestor->parent)
        if (ancestor->visible)
            if (CYol_CLItem* sibling = NextVisible(ancestor))
                return sibling;
    return root != nullptr ? root->GetNthVisibleChild(root, column) : nullptr;
}

CYol_CLItem* CYol_CLItem::StepVisible(CYol_CLItem* root, int column) {
    if (this == root)
        return nullptr;
    unsigned int n = static_cast<unsigned int>(std::max(GetItemsPerRow(), 1));
    unsigned int c = static_cast<unsigned int>(GetColumn());
    unsigned int k = std::min(static_cast<unsigned int>(column), n - 1);
    unsigned int steps = k > c ? n + c - k : n;
    unsigned int counted = 0;
    CYol_CLItem* descendant = nullptr;
    for (CYol_CLItem* sibling = prev; sibling != nullptr && counted < steps; sibling = sibling->prev) {
        if (!sibling->visible)
            continue;
        ++counted;
        descendant = sibling->LastVisibleDescendant();
        if (descendant == sibling)
            continue;
        // Into the last row of the expanded sibling, to the wanted column.
        int perRow = std::max(descendant->GetItemsPerRow(), 1);
        int rowCount = descendant->parent != nullptr ? descendant->parent->VisibleChildCount() : 1;
        int m = rowCount % perRow == 0 ? perRow - 1 : rowCount % perRow - 1;
        CYol_CLItem* item = descendant;
        while (item != nullptr && m > column) {
            item = PrevVisible(item);
            --m;
        }
        if (item != nullptr)
            return item;
    }
    if (counted == steps && descendant != nullptr)
        return descendant;
    if (parent == nullptr)
        return nullptr;
    if (parent != root && parent->visible)
        return parent;
    CYol_CLItem* above = parent->StepVisible(root, column);
    if (above == nullptr && root != nullptr)
        above = root->LastVisibleDescendant();
    return above;
}

CYol_CLItem* CYol_CLItem::NextVisibleSibling(CYol_CLItem*, int column) {
    return column == 0 ? nullptr : PrevVisible(this);
}

CYol_CLItem* CYol_CLItem::FirstVisibleChild(CYol_CLItem*, int column) {
    return column >= GetItemsPerRow() - 1 ? nullptr : NextVisible(this);
}

// ---------------------------------------------------------------- columns

int CYol_CLItem::ColumnsHeight(int perRow) const {
    int height = GetOwnHeight();
    if (!expanded || firstChild == nullptr)
        return height;
    int k = VisibleChildCount();
    int rows = k / perRow + (k % perRow != 0 ? 1 : 0);
    return height + firstChild->GetOwnHeight() * rows;
}

CYol_CLItem* CYol_CLItem::HitTestColumns(int x, int y, int width, int perRow) {
    int own = GetOwnHeight();
    if (y < own)
        return this;
    y -= own;
    int columnWidth = width / perRow;
    int index = 0;
    for (CYol_CLItem* child = firstChild; child != nullptr; child = child->next) {
        if (!child->visible)
            continue;
        int columnIndex = index % perRow;
        int height = child->GetHeight();
        if (y < height && x >= columnWidth * columnIndex && x < columnWidth * (columnIndex + 1))
            return child;
        if (columnIndex == perRow - 1)
            y -= height;
        ++index;
    }
    return nullptr;
}

bool CYol_CLItem::DrawChildrenInColumns(CYol_CLDrawContext& dc, int left, int top, int width, int perRow) {
    int columnWidth = width / perRow;
    int y = top + GetOwnHeight();
    int index = 0;
    for (CYol_CLItem* child = firstChild; child != nullptr; child = child->next) {
        if (!child->visible)
            continue;
        int columnIndex = index % perRow;
        int height = child->GetHeight();
        bool rowEnds = columnIndex == perRow - 1;
        if (y + height >= 0) {
            if (y >= dc.height)
                return false;
            bool goOn = child->Draw(dc, left + columnWidth * columnIndex, y, columnWidth, true);
            if (!goOn && (rowEnds || NextVisible(child) == nullptr))
                return false;
        }
        if (rowEnds)
            y += height;
        ++index;
    }
    return true;
}

// ------------------------------------------------------------ tree upkeep

void CYol_CLItem::InsertInto(CYol_CLItem* newParent, int index) {
    parent = newParent;
    CYol_CLItem* before = newParent->firstChild;
    if (index == -1) {
        before = newParent->SortedPlace(*this);
    } else {
        for (int i = 0; before != nullptr && i < index; ++i)
            before = before->next;
    }
    next = before;
    prev = before != nullptr ? before->prev : newParent->lastChild;
    if (prev != nullptr)
        prev->next = this;
    else
        newParent->firstChild = this;
    if (before != nullptr)
        before->prev = this;
    else
        newParent->lastChild = this;
    ++newParent->childCount;
    newParent->ChildLinked(*this);
}

CYol_CLItem* CYol_CLItem::SortedPlace(const CYol_CLItem& child) {
    CYol_CLItem* before = firstChild;
    while (before != nullptr && child.Compare(*before) >= 0)
        before = before->next;
    return before;
}

void CYol_CLItem::Detach() {
    if (parent == nullptr)
        return;
    parent->ChildUnlinking(*this);
    --parent->childCount;
    if (prev != nullptr)
        prev->next = next;
    else
        parent->firstChild = next;
    if (next != nullptr)
        next->prev = prev;
    else
        parent->lastChild = prev;
    parent = prev = next = nullptr;
}

void CYol_CLItem::Reposition() {
    CYol_CLItem* oldParent = parent;
    if (oldParent == nullptr)
        return;
    Detach();
    InsertInto(oldParent, -1);
}

void CYol_CLItem::Remove() {
    ForEachControl([this](CYol_CLCtrlBase* control) { control->OnItemRemoving(this); });
    Detach();
    delete this;
}

CYol_CLItem* CYol_CLItem::LastVisibleDescendant() {
    CYol_CLItem* item = this;
    for (;;) {
        if (!item->expanded)
            return item;
        CYol_CLItem* child = item->lastChild;
        while (child != nullptr && !child->visible)
            child = child->prev;
        if (child == nullptr)
            return item;
        item = child;
    }
}

bool CYol_CLItem::IsWithin(const CYol_CLItem* other) const {
    for (const CYol_CLItem* item = this; item != nullptr; item = item->parent)
        if (item == other)
            return true;
    return false;
}

int CYol_CLItem::VisibleChildCount() const {
    int count = 0;
    for (const CYol_CLItem* child = firstChild; child != nullptr; child = child->next)
        count += child->visible ? 1 : 0;
    return count;
}

void CYol_CLItem::Changed(bool relayout) {
    ForEachControl([relayout](CYol_CLCtrlBase* control) { control->Invalidate(relayout); });
}
void CYol_CLItem::NotifyStartBlink() {
    ForEachControl([](CYol_CLCtrlBase* control) { control->StartBlinkTimer(); });
}
void CYol_CLItem::NotifyStopBlink() {
    ForEachControl([](CYol_CLCtrlBase* control) { control->StopBlinkTimer(); });
}
void CYol_CLItem::NotifyCollapsing(CYol_CLItem* item) {
    ForEachControl([item](CYol_CLCtrlBase* control) { control->OnItemCollapsing(item); });
}
void CYol_CLItem::NotifyUpdateLayout() {
    ForEachControl([](CYol_CLCtrlBase* control) { control->UpdateLayout(); });
}
void CYol_CLItem::NotifyCameOnline(unsigned int id) {
    ForEachControl([id](CYol_CLCtrlBase* control) { control->PostCommand(id, true); });
}
void CYol_CLItem::NotifyWentOffline(unsigned int id) {
    ForEachControl([id](CYol_CLCtrlBase* control) { control->ReservedC(id); });
}

// ------------------------------------------------------------ contact rows

CLContactTextColor ContactTextColor(const CYol_CLContactRow& row) {
    if (row.inNoGroup)
        return CLContactTextColor::NoGroup;
    return row.online ? CLContactTextColor::Online : CLContactTextColor::Offline;
}

CYolArray<unsigned int> ContactFirstColumn(const CYol_CLContactRow& row, unsigned int tickCount) {
    CYolArray<unsigned int> images;
    if (row.eventImage != -1) {
        if ((tickCount / 500) % 2 == 1)
            images.Add(static_cast<unsigned int>(row.eventImage));
    } else if (row.typing) {
        images.Add(kTypingImage);
    } else if (row.icons != nullptr && row.icons->Count() > 0) {
        images = (*row.icons)[0];
    }
    return images;
}

// ----------------------------------------------------------- control base

CYol_CLCtrlBase::CYol_CLCtrlBase(CYol_CLItem* viewRoot) : root(viewRoot) { Register(); }

CYol_CLCtrlBase::~CYol_CLCtrlBase() { Unregister(); }

void CYol_CLCtrlBase::Register() {
    if (root != nullptr)
        root->controls.Add(this);
}

void CYol_CLCtrlBase::Unregister() {
    if (root == nullptr)
        return;
    for (int i = 0; i < root->controls.Count(); ++i)
        if (root->controls[i] == this) {
            root->controls.RemoveAt(i);
            return;
        }
}

void CYol_CLCtrlBase::SetRoot(CYol_CLItem* newRoot) {
    Unregister();
    selected = nullptr;
    held = false;
    column = 0;
    root = newRoot;
    Register();
    Invalidate(true);
}

void CYol_CLCtrlBase::OnItemRemoving(CYol_CLItem* item) {
    // A selection anywhere inside the removed subtree would dangle, not only
    // one on the item itself.
    if (selected == nullptr || !selected->IsWithin(item))
        return;
    CYol_CLItem* replacement = NextVisible(item);
    if (replacement == nullptr)
        replacement = PrevVisible(item);
    if (replacement == nullptr)
        replacement = item->parent;
    selected = replacement;
}

void CYol_CLCtrlBase::OnItemCollapsing(CYol_CLItem* item) {
    if (selected == item)
        selected = item->StepVisible(root, column);
}

void CYol_CLCtrlBase::UpdateLayout() {
    if (selected != nullptr)
        column = selected->GetColumn();
}

}  // namespace CL
