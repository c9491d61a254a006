#include "CYol_CLRootItem.h"

namespace CL {

namespace {

using Status = Protocols::ContactStatusInfo;
using Header = CYol_CLStatusItem;

template <typename T>
T* Find(CYol_CLItem* parentItem, unsigned int id) {
    return FindChild<T>(parentItem, id);
}

// Rows are found through their parent's index.
template <typename T>
T* FindRow(CYol_CLItem* parentItem, unsigned int id) {
    auto* columns = dynamic_cast<CYol_CLColumnsItem*>(parentItem);
    CYol_CLContactItem* row = columns != nullptr ? columns->FindRow(id) : nullptr;
    return row != nullptr && typeid(*row) == typeid(T) ? static_cast<T*>(row) : nullptr;
}

// The same steps serve contacts in groups and meta contacts in meta groups
// (T the row class), and both flat views.

template <typename T>
void GroupedAdd(CYol_CLGroupItem* group, unsigned int id, const Status& status) {
    if (group == nullptr || FindRow<T>(group, id) != nullptr)
        return;
    if (group->modelId == 0 && !group->visible)
        group->SetVisible(true);
    auto* item = new T(id, status, group->modelId == 0);
    item->InsertInto(group, -1);
    if (status.status == 0 && !group->showOffline)
        item->visible = false;
    if (item->visible)
        item->NotifyUpdateLayout();
    group->Changed(true);
}

template <typename T>
void GroupedRemove(CYol_CLGroupItem* group, unsigned int id) {
    T* item = FindRow<T>(group, id);
    if (item == nullptr)
        return;
    if (group->modelId == 0 && group->childCount == 1)
        group->SetVisible(false);
    item->Remove();
    group->NotifyUpdateLayout();
    group->Changed(true);
}

template <typename T>
T* FlatFind(CYol_CLSimpleViewItem* view, unsigned int id) {
    for (Header* header : view->headers)
        if (T* item = FindRow<T>(header, id))
            return item;
    return nullptr;
}

unsigned int AddedHeader(unsigned int group, const Status& status) {
    if (group == 0)
        return Header::NotInList;
    return status.status < 2 ? Header::Offline : Header::Online;
}

// Where a row stands once its events are read.
unsigned int SettledHeader(unsigned int group, const CYol_CLContactItem& item) {
    if (group == 0)
        return Header::NotInList;
    return item.status.status < 2 ? Header::Offline : Header::Online;
}

template <typename T>
void FlatAdd(CYol_CLSimpleViewItem* view, unsigned int group, unsigned int id, const Status& status) {
    if (FlatFind<T>(view, id) != nullptr)
        return;
    Header* header = view->headers[AddedHeader(group, status)];
    if (!header->visible)
        header->SetVisible(true);
    auto* item = new T(id, status, group == 0);
    item->InsertInto(header, -1);
    item->NotifyUpdateLayout();
    view->Changed(true);
}

template <typename T>
void FlatRemove(CYol_CLSimpleViewItem* view, unsigned int id) {
    T* item = FlatFind<T>(view, id);
    if (item == nullptr)
        return;
    Header* notInList = view->headers[Header::NotInList];
    if (item->parent == notInList && notInList->childCount == 1)
        notInList->SetVisible(false);
    item->Remove();
    view->Changed(true);
}

// Moves the row under another header; true when it moved.
bool MoveToHeader(CYol_CLSimpleViewItem* view, CYol_CLContactItem* item, unsigned int target) {
    Header* header = view->headers[target];
    if (item->parent == header)
        return false;
    item->Detach();
    item->InsertInto(header, -1);
    return true;
}

template <typename T>
void GroupedStatus(CYol_CLGroupItem* group, unsigned int id, const Status& status) {
    T* item = FindRow<T>(group, id);
    if (item == nullptr)
        return;
    unsigned int before = item->status.status;
    if (before == 0 && status.status > 1)
        item->NotifyCameOnline(id);
    else if (status.status == 0 && before > 1)
        item->NotifyWentOffline(id);
    item->SetStatus(status);
    item->NotifyUpdateLayout();
    if (!group->showOffline) {
        // Unread events keep a row in sight whatever its status.
        bool show = status.status != 0 || item->pending.Count() > 0;
        if (show != item->visible)
            item->SetVisible(show);
        group->Changed(true);
    }
}

template <typename T>
void FlatStatus(CYol_CLSimpleViewItem* view, unsigned int group, unsigned int id, const Status& status) {
    T* item = FlatFind<T>(view, id);
    if (item == nullptr)
        return;
    Header* from = static_cast<Header*>(item->parent);
    unsigned int target = group == 0 ? Header::NotInList
                          : item->pending.Count() > 0 ? Header::Online
                          : status.status != 0        ? Header::Online
                                                      : Header::Offline;
    if (MoveToHeader(view, item, target)) {
        view->Changed(true);
        Header* offline = view->headers[Header::Offline];
        if (target == Header::Online) {
            item->NotifyCameOnline(id);
        } else if (from == view->headers[Header::Online] && target == Header::Offline) {
            item->NotifyWentOffline(id);
            if (!offline->expanded || !offline->visible)
                item->NotifyCollapsing(item);
        }
    }
    item->SetStatus(status);
    item->NotifyUpdateLayout();
}

template <typename T>
void GroupedUnread(CYol_CLGroupItem* group, unsigned int id, const Protocols::MessageInfo& message) {
    T* item = FindRow<T>(group, id);
    if (item == nullptr)
        return;
    if (!item->visible) {
        item->SetVisible(true);
        group->Changed(true);
    }
    item->AddPending(message);
    item->NotifyUpdateLayout();
}

template <typename T>
void FlatUnread(CYol_CLSimpleViewItem* view, unsigned int group, unsigned int id,
                const Protocols::MessageInfo& message) {
    T* item = FlatFind<T>(view, id);
    if (item == nullptr)
        return;
    item->AddPending(message);
    MoveToHeader(view, item, group == 0 ? Header::NotInList : Header::Online);
    view->Changed(true);
}

template <typename T>
void GroupedRead(CYol_CLGroupItem* group, unsigned int id, unsigned int messageId) {
    T* item = FindRow<T>(group, id);
    if (item == nullptr)
        return;
    item->RemovePending(messageId);
    bool changed = item->ApplyShowOffline(group->showOffline);
    item->NotifyUpdateLayout();
    if (changed)
        group->Changed(true);
}

template <typename T>
void FlatRead(CYol_CLSimpleViewItem* view, unsigned int group, unsigned int id, unsigned int messageId) {
    T* item = FlatFind<T>(view, id);
    if (item == nullptr)
        return;
    item->RemovePending(messageId);
    if (item->pending.Count() == 0 && MoveToHeader(view, item, SettledHeader(group, *item)))
        view->Changed(true);
}

template <typename T>
void SetTyping(T* item, bool stopped) {
    if (item != nullptr)
        item->SetTypingMark(stopped);
}

void GroupAdd(CYol_CLItem* into, CYol_CLGroupItem* group, bool showOffline) {
    group->LoadIndex(into);
    group->InsertInto(into, -1);
    group->showOffline = showOffline;
    into->Changed(true);
}

void ShowOfflineInFlat(CYol_CLSimpleViewItem* view, bool show) {
    view->headers[Header::Offline]->SetVisible(show);
    view->Changed(true);
}

}  // namespace

CYol_CLRootItem::CYol_CLRootItem() : CYol_CLModelItem(0) {
    grouped = new CYol_CLGroupViewItem();
    flat = new CYol_CLSimpleViewItem();
    groupedMeta = new CYol_CLMetaGroupViewItem();
    flatMeta = new CYol_CLMetaSimpleViewItem();
    auto* outside = new CYol_CLMetagroupItem(0, static_cast<unsigned int>(-1));
    outside->visible = false;
    outside->InsertInto(groupedMeta, -1);
    grouped->InsertInto(this, -1);
    flat->InsertInto(this, -1);
    groupedMeta->InsertInto(this, -1);
    flatMeta->InsertInto(this, -1);
}

CYol_CLGroupItem* CYol_CLRootItem::GroupOf(unsigned int account, unsigned int group) {
    return Find<CYol_CLGroupItem>(Find<CYol_CLAccountItem>(grouped, account), group);
}

CYol_CLGroupItem* CYol_CLRootItem::MetaGroupOf(unsigned int metaGroup) {
    return Find<CYol_CLMetagroupItem>(groupedMeta, metaGroup);
}

// ---------------------------------------------------------------- accounts

void CYol_CLRootItem::AccountAdded(unsigned int account) {
    std::lock_guard<std::mutex> held(mutex);
    if (Find<CYol_CLAccountItem>(grouped, account) != nullptr)
        return;
    (new CYol_CLAccountItem(account))->InsertInto(grouped, grouped->childCount);
    grouped->Changed(true);
}

void CYol_CLRootItem::AccountRemoved(unsigned int account) {
    std::lock_guard<std::mutex> held(mutex);
    if (CYol_CLAccountItem* item = Find<CYol_CLAccountItem>(grouped, account)) {
        item->Remove();
        grouped->Changed(true);
    }
}

void CYol_CLRootItem::AccountMoved(unsigned int account, int index) {
    std::lock_guard<std::mutex> held(mutex);
    if (CYol_CLAccountItem* item = Find<CYol_CLAccountItem>(grouped, account)) {
        item->Detach();
        item->InsertInto(grouped, index < 0 ? grouped->childCount : index);
        grouped->Changed(false);
    }
}

// ------------------------------------------------------------------ groups

void CYol_CLRootItem::GroupAdded(unsigned int account, unsigned int group, bool showOffline) {
    std::lock_guard<std::mutex> held(mutex);
    CYol_CLAccountItem* item = Find<CYol_CLAccountItem>(grouped, account);
    if (item == nullptr || group == 0 || Find<CYol_CLGroupItem>(item, group) != nullptr)
        return;
    GroupAdd(item, new CYol_CLGroupItem(group, 0), showOffline);
}

void CYol_CLRootItem::GroupRemoved(unsigned int account, unsigned int group) {
    std::lock_guard<std::mutex> held(mutex);
    CYol_CLGroupItem* item = group != 0 ? GroupOf(account, group) : nullptr;
    if (item == nullptr)
        return;
    CYol_CLItem* owner = item->parent;
    item->Remove();
    owner->Changed(true);
}

void CYol_CLRootItem::GroupChanged(unsigned int account, unsigned int group) {
    std::lock_guard<std::mutex> held(mutex);
    if (CYol_CLGroupItem* item = GroupOf(account, group))
        item->RereadCaption();
}

void CYol_CLRootItem::MetaGroupAdded(unsigned int metaGroup, bool showOffline) {
    std::lock_guard<std::mutex> held(mutex);
    if (metaGroup == 0 || MetaGroupOf(metaGroup) != nullptr)
        return;
    GroupAdd(groupedMeta, new CYol_CLMetagroupItem(metaGroup, 0), showOffline);
}

void CYol_CLRootItem::MetaGroupRemoved(unsigned int metaGroup) {
    std::lock_guard<std::mutex> held(mutex);
    CYol_CLGroupItem* item = metaGroup != 0 ? MetaGroupOf(metaGroup) : nullptr;
    if (item == nullptr)
        return;
    item->Remove();
    groupedMeta->Changed(true);
}

void CYol_CLRootItem::MetaGroupChanged(unsigned int metaGroup) {
    std::lock_guard<std::mutex> held(mutex);
    if (CYol_CLGroupItem* item = MetaGroupOf(metaGroup))
        item->RereadCaption();
}

// ---------------------------------------------------------------- contacts

void CYol_CLRootItem::ContactAdded(unsigned int account, unsigned int group, unsigned int contact,
                                   const Status& status) {
    std::lock_guard<std::mutex> held(mutex);
    GroupedAdd<CYol_CLContactItem>(GroupOf(account, group), contact, status);
    FlatAdd<CYol_CLContactItem>(flat, group, contact, status);
}

void CYol_CLRootItem::ContactRemoved(unsigned int account, unsigned int group, unsigned int contact) {
    std::lock_guard<std::mutex> held(mutex);
    GroupedRemove<CYol_CLContactItem>(GroupOf(account, group), contact);
    FlatRemove<CYol_CLContactItem>(flat, contact);
}

void CYol_CLRootItem::ContactStatusChanged(unsigned int account, unsigned int group, unsigned int contact,
                                           const Status& status) {
    std::lock_guard<std::mutex> held(mutex);
    GroupedStatus<CYol_CLContactItem>(GroupOf(account, group), contact, status);
    FlatStatus<CYol_CLContactItem>(flat, group, contact, status);
}

void CYol_CLRootItem::ContactChanged(unsigned int account, unsigned int group, unsigned int contact) {
    std::lock_guard<std::mutex> held(mutex);
    if (auto* item = FindRow<CYol_CLContactItem>(GroupOf(account, group), contact))
        item->RereadCaption();
    if (auto* item = FlatFind<CYol_CLContactItem>(flat, contact))
        item->RereadCaption();
}

void CYol_CLRootItem::MetaContactAdded(unsigned int metaGroup, unsigned int metaContact, const Status& status) {
    std::lock_guard<std::mutex> held(mutex);
    GroupedAdd<CYol_CLMetacontactItem>(MetaGroupOf(metaGroup), metaContact, status);
    FlatAdd<CYol_CLMetacontactItem>(flatMeta, metaGroup, metaContact, status);
}

void CYol_CLRootItem::MetaContactRemoved(unsigned int metaGroup, unsigned int metaContact) {
    std::lock_guard<std::mutex> held(mutex);
    GroupedRemove<CYol_CLMetacontactItem>(MetaGroupOf(metaGroup), metaContact);
    FlatRemove<CYol_CLMetacontactItem>(flatMeta, metaContact);
}

void CYol_CLRootItem::MetaContactStatusChanged(unsigned int metaGroup, unsigned int metaContact,
                                               const Status& status) {
    std::lock_guard<std::mutex> held(mutex);
    GroupedStatus<CYol_CLMetacontactItem>(MetaGroupOf(metaGroup), metaContact, status);
    FlatStatus<CYol_CLMetacontactItem>(flatMeta, metaGroup, metaContact, status);
}

void CYol_CLRootItem::MetaContactChanged(unsigned int metaGroup, unsigned int metaContact) {
    std::lock_guard<std::mutex> held(mutex);
    if (auto* item = FindRow<CYol_CLMetacontactItem>(MetaGroupOf(metaGroup), metaContact))
        item->RereadCaption();
    if (auto* item = FlatFind<CYol_CLMetacontactItem>(flatMeta, metaContact))
        item->RereadCaption();
}

void CYol_CLRootItem::ContactTyping(unsigned int account, unsigned int group, unsigned int contact,
                                    unsigned int metaGroup, unsigned int metaContact, bool stopped) {
    std::lock_guard<std::mutex> held(mutex);
    SetTyping(FindRow<CYol_CLContactItem>(GroupOf(account, group), contact), stopped);
    SetTyping(FlatFind<CYol_CLContactItem>(flat, contact), stopped);
    SetTyping(FindRow<CYol_CLMetacontactItem>(MetaGroupOf(metaGroup), metaContact), stopped);
    SetTyping(FlatFind<CYol_CLMetacontactItem>(flatMeta, metaContact), stopped);
}

// ---------------------------------------------------------- unread events

void CYol_CLRootItem::MessageUnread(unsigned int account, unsigned int group, unsigned int contact,
                                    unsigned int metaGroup, unsigned int metaContact,
                                    const Protocols::MessageInfo& message) {
    std::lock_guard<std::mutex> held(mutex);
    if (contact != 0) {
        GroupedUnread<CYol_CLContactItem>(GroupOf(account, group), contact, message);
        FlatUnread<CYol_CLContactItem>(flat, group, contact, message);
    }
    if (metaContact != 0) {
        GroupedUnread<CYol_CLMetacontactItem>(MetaGroupOf(metaGroup), metaContact, message);
        FlatUnread<CYol_CLMetacontactItem>(flatMeta, metaGroup, metaContact, message);
    }
}

void CYol_CLRootItem::MessagesRead(unsigned int account, unsigned int group, unsigned int contact,
                                   unsigned int metaGroup, unsigned int metaContact, unsigned int messageId) {
    std::lock_guard<std::mutex> held(mutex);
    if (contact != 0) {
        GroupedRead<CYol_CLContactItem>(GroupOf(account, group), contact, messageId);
        FlatRead<CYol_CLContactItem>(flat, group, contact, messageId);
    }
    if (metaContact != 0) {
        GroupedRead<CYol_CLMetacontactItem>(MetaGroupOf(metaGroup), metaContact, messageId);
        FlatRead<CYol_CLMetacontactItem>(flatMeta, metaGroup, metaContact, messageId);
    }
}

void CYol_CLRootItem::SetShowOffline(bool show) {
    std::lock_guard<std::mutex> held(mutex);
    for (CYol_CLItem* account = grouped->firstChild; account != nullptr; account = account->next)
        for (CYol_CLItem* group = account->firstChild; group != nullptr; group = group->next)
            static_cast<CYol_CLGroupItem*>(group)->ApplyShowOffline(show);
    grouped->Changed(true);
    ShowOfflineInFlat(flat, show);
    for (CYol_CLItem* group = groupedMeta->firstChild; group != nullptr; group = group->next)
        static_cast<CYol_CLGroupItem*>(group)->ApplyShowOffline(show);
    groupedMeta->Changed(true);
    ShowOfflineInFlat(flatMeta, show);
}

}  // namespace CL
