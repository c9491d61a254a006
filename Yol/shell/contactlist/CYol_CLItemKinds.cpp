#include "CYol_CLItemKinds.h"

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CYol_CLEnvironment.h"
#include "ValueNames.h"

namespace CL {

namespace {
constexpr const char16_t kOpenKey[] = u"CLCtrl open";
constexpr const char16_t kIndexKey[] = u"CLCtrl group index";
constexpr const char16_t* kAliasKey = ValueName::Alias;

// Language strings of the rows.
constexpr int kTextAccount = 28;
constexpr int kTextGroup = 33;
constexpr int kTextContact = 41;
constexpr int kTextOnline = 192;
constexpr int kTextNotInList = 194;

bool SelectedFor(const CYol_CLDrawContext& dc, const CYol_CLItem* item) {
    return dc.ownSelection && dc.selected == item;
}

bool ModelOpen(unsigned int id) {
    unsigned char open = 1;
    if (CContactList* model = CYol_CLEnvironment::Model())
        model->GetItemByte(id, CYolString(kOpenKey), &open);
    return open != 0;
}
}  // namespace

// ------------------------------------------------------------ columns

int CYol_CLColumnsItem::GetHeight() const { return ColumnsHeight(ChildrenPerRow()); }

CYol_CLItem* CYol_CLColumnsItem::HitTest(int x, int y, int width) {
    return HitTestColumns(x, y, width, ChildrenPerRow());
}

bool CYol_CLColumnsItem::Draw(CYol_CLDrawContext& dc, int left, int top, int width, bool withChildren) {
    bool goOn = CYol_CLItem::Draw(dc, left, top, width, false);
    DrawRow(dc, top, left, top + GetOwnHeight(), left + width);
    if (!goOn)
        return false;
    if (withChildren && expanded)
        return DrawChildrenInColumns(dc, left, top, width, ChildrenPerRow());
    return true;
}

namespace {
CYol_CLContactItem* AsRow(CYol_CLItem& item) { return dynamic_cast<CYol_CLContactItem*>(&item); }
}  // namespace

CYol_CLItem* CYol_CLColumnsItem::SortedPlace(const CYol_CLItem& child) {
    if (const auto* row = dynamic_cast<const CYol_CLContactItem*>(&child))
        return rows.SortedPlace(*row);
    return CYol_CLItem::SortedPlace(child);
}
void CYol_CLColumnsItem::ChildLinked(CYol_CLItem& child) {
    if (CYol_CLContactItem* row = AsRow(child))
        rows.Linked(*row);
}
void CYol_CLColumnsItem::ChildUnlinking(CYol_CLItem& child) {
    if (CYol_CLContactItem* row = AsRow(child))
        rows.Unlinking(*row);
}
void CYol_CLColumnsItem::ChildKeyChanged(CYol_CLItem& child) {
    if (CYol_CLContactItem* row = AsRow(child))
        rows.KeyChanged(*row);
}

// ------------------------------------------------------------ headers

int CYol_CLStatusItem::GetOwnHeight() const { return CYol_CLMetrics::RowHeight(CLRowKind::StatusHeader); }
void CYol_CLStatusItem::SetExpanded(bool value) {
    expanded = value;
    if (firstChild != nullptr)
        Changed(true);
}
int CYol_CLStatusItem::ChildrenPerRow() const { return CYol_CLMetrics::ContactsPerRow(); }
CYolString CYol_CLStatusItem::Caption() const {
    return CYol_CLEnvironment::String(kTextOnline + static_cast<int>(modelId));
}
void CYol_CLStatusItem::DrawRow(CYol_CLDrawContext& dc, int top, int left, int bottom, int right) {
    dc.DrawGroupRow(top, left, bottom, right, expanded, Caption(), SelectedFor(dc, this), childCount, -1);
}

int CYol_CLMetaStatusItem::GetOwnHeight() const { return CYol_CLMetrics::RowHeight(CLRowKind::MetaStatusHeader); }
int CYol_CLMetaStatusItem::ChildrenPerRow() const { return CYol_CLMetrics::MetaContactsPerRow(); }

CYol_CLSimpleViewItem::CYol_CLSimpleViewItem() : CYol_CLSimpleViewItem(false) {}

CYol_CLSimpleViewItem::CYol_CLSimpleViewItem(bool meta) : CYol_CLModelItem(0) {
    for (unsigned int number = 0; number < 3; ++number) {
        headers[number] = meta ? new CYol_CLMetaStatusItem(number) : new CYol_CLStatusItem(number);
        headers[number]->InsertInto(this, static_cast<int>(number));
    }
    headers[CYol_CLStatusItem::NotInList]->visible = false;
}

// ------------------------------------------------------------ account

CYol_CLAccountItem::CYol_CLAccountItem(unsigned int accountId) : CYol_CLModelItem(accountId) {
    if (Protocols::CProtocolsManager* manager = CYol_CLEnvironment::Manager()) {
        manager->GetAccountLogin(login, accountId, false);
        Protocols::ProtocolRecord record;
        manager->GetAccountProtocolInfo(record, accountId);
        icon = record.imageId;
        unsigned char open = 1;
        if (manager->GetAccountByte(accountId, CYolString(kOpenKey), open))
            expanded = open != 0;
    }
    auto* notInList = new CYol_CLGroupItem(0, static_cast<unsigned int>(-1));
    notInList->visible = false;
    notInList->InsertInto(this, -1);
}

int CYol_CLAccountItem::GetOwnHeight() const { return CYol_CLMetrics::RowHeight(CLRowKind::Account); }

bool CYol_CLAccountItem::Draw(CYol_CLDrawContext& dc, int left, int top, int width, bool withChildren) {
    bool goOn = CYol_CLItem::Draw(dc, left, top, width, withChildren);
    dc.DrawAccountRow(top, left, top + GetOwnHeight(), left + width, expanded, icon, login, SelectedFor(dc, this));
    return goOn;
}

void CYol_CLAccountItem::SetExpanded(bool value) {
    expanded = value;
    if (Protocols::CProtocolsManager* manager = CYol_CLEnvironment::Manager())
        manager->SetAccountByte(modelId, CYolString(kOpenKey), static_cast<unsigned char>(value ? 1 : 0));
    if (firstChild != nullptr)
        Changed(true);
}

CYolString CYol_CLAccountItem::GetText() const { return CYol_CLEnvironment::String(kTextAccount); }

// ------------------------------------------------------------ groups

CYol_CLGroupItem::CYol_CLGroupItem(unsigned int id, unsigned int index) : CYol_CLColumnsItem(id), groupIndex(index) {
    if (id == 0)
        caption = CYol_CLEnvironment::String(kTextNotInList);
    else
        caption = CYol_CLEnvironment::ItemString(id, kAliasKey);
    expanded = ModelOpen(id);
}

int CYol_CLGroupItem::Compare(const CYol_CLItem& other) const {
    const auto& group = static_cast<const CYol_CLGroupItem&>(other);
    if (modelId == 0)
        return 1;
    if (group.modelId != 0 && group.groupIndex < groupIndex)
        return 1;
    return -1;
}

int CYol_CLGroupItem::GetOwnHeight() const { return CYol_CLMetrics::RowHeight(CLRowKind::Group); }
int CYol_CLGroupItem::ChildrenPerRow() const { return CYol_CLMetrics::ContactsPerRow(); }

void CYol_CLGroupItem::SetExpanded(bool value) {
    expanded = value;
    if (CContactList* model = CYol_CLEnvironment::Model()) {
        unsigned char open = value ? 1 : 0;
        model->SetItemByte(modelId, CYolString(kOpenKey), &open);
    }
    if (firstChild != nullptr)
        Changed(true);
}

CYolString CYol_CLGroupItem::GetText() const { return CYol_CLEnvironment::String(kTextGroup); }

void CYol_CLGroupItem::RereadCaption() {
    if (modelId != 0)
        caption = CYol_CLEnvironment::ItemString(modelId, kAliasKey);
    Changed(false);
}

bool CYol_CLGroupItem::ApplyShowOffline(bool show) {
    showOffline = show;
    bool changed = false;
    for (CYol_CLItem* child = firstChild; child != nullptr; child = child->next)
        changed = static_cast<CYol_CLContactItem*>(child)->ApplyShowOffline(show) || changed;
    return changed;
}

void CYol_CLGroupItem::StoreIndex() {
    if (CContactList* model = CYol_CLEnvironment::Model())
        model->SetItemDword(modelId, CYolString(kIndexKey), &groupIndex);
}

void CYol_CLGroupItem::LoadIndex(CYol_CLItem* futureParent) {
    CContactList* model = CYol_CLEnvironment::Model();
    if (model != nullptr && model->GetItemDword(modelId, CYolString(kIndexKey), &groupIndex))
        return;
    groupIndex = 0;
    for (CYol_CLItem* sibling = futureParent->lastChild; sibling != nullptr; sibling = sibling->prev)
        if (static_cast<CYol_CLGroupItem*>(sibling)->modelId != 0) {
            groupIndex = static_cast<CYol_CLGroupItem*>(sibling)->groupIndex + 1;
            break;
        }
    StoreIndex();
}

void CYol_CLGroupItem::MoveUp() {
    auto* above = static_cast<CYol_CLGroupItem*>(prev);
    if (modelId == 0 || above == nullptr)
        return;
    above->groupIndex += 1;
    groupIndex -= 1;
    above->StoreIndex();
    StoreIndex();
    Reposition();
    Changed(false);
}

void CYol_CLGroupItem::MoveDown() {
    auto* below = static_cast<CYol_CLGroupItem*>(next);
    if (modelId == 0 || below == nullptr || below->modelId == 0)
        return;
    below->groupIndex -= 1;
    groupIndex += 1;
    below->StoreIndex();
    StoreIndex();
    Reposition();
    Changed(false);
}

int CYol_CLGroupItem::OnlineCount() const {
    if (modelId == 0)
        return -1;
    int online = 0;
    for (const CYol_CLItem* child = firstChild; child != nullptr; child = child->next) {
        const auto* contact = static_cast<const CYol_CLContactItem*>(child);
        if (contact->status.status > 0)
            ++online;
        else if (contact->pending.Count() == 0)
            break;
    }
    return online;
}

void CYol_CLGroupItem::DrawRow(CYol_CLDrawContext& dc, int top, int left, int bottom, int right) {
    dc.DrawGroupRow(top, left, bottom, right, expanded, caption, SelectedFor(dc, this), OnlineCount(), childCount);
}

int CYol_CLMetagroupItem::GetOwnHeight() const { return CYol_CLMetrics::RowHeight(CLRowKind::MetaGroup); }
int CYol_CLMetagroupItem::ChildrenPerRow() const { return CYol_CLMetrics::MetaContactsPerRow(); }

// ------------------------------------------------------------ contacts

CYol_CLContactItem::CYol_CLContactItem(unsigned int id, const Protocols::ContactStatusInfo& statusInfo, bool inNoGroup)
    : CYol_CLModelItem(id), status(statusInfo), noGroup(inNoGroup) {
    name = CYol_CLEnvironment::ItemString(id, kAliasKey);
    pending.SetGrowStep(10);
}

int CYol_CLContactItem::Compare(const CYol_CLItem& other) const {
    const auto& contact = static_cast<const CYol_CLContactItem&>(other);
    bool mine = pending.Count() > 0;
    bool theirs = contact.pending.Count() > 0;
    if (mine != theirs)
        return mine ? -1 : 1;
    if (status.status == 0 && contact.status.status > 1)
        return 1;
    if (status.status > 1 && contact.status.status == 0)
        return -1;
    return name.Compare(contact.name);
}

int CYol_CLContactItem::GetOwnHeight() const { return CYol_CLMetrics::RowHeight(CLRowKind::Contact); }
int CYol_CLContactItem::GetItemsPerRow() const { return CYol_CLMetrics::ContactsPerRow(); }

int CYol_CLContactItem::GetColumn() const {
    int position = 0;
    for (const CYol_CLItem* item = this; item != nullptr; item = item->prev)
        position += item->visible ? 1 : 0;
    int n = GetItemsPerRow();
    return position > 0 ? (position - 1) % n : 0;
}

int CYol_CLContactItem::GetChildOffset(const CYol_CLItem* ancestor) const {
    int earlier = 0;
    for (const CYol_CLItem* sibling = prev; sibling != nullptr; sibling = sibling->prev)
        earlier += sibling->visible ? 1 : 0;
    int offset = GetOwnHeight() * (earlier / GetItemsPerRow());
    if (parent != nullptr && parent != ancestor)
        offset += parent->GetOwnHeight() + parent->GetChildOffset(ancestor);
    return offset;
}

CYol_CLContactRow CYol_CLContactItem::Row(bool selectedRow) const {
    CYol_CLContactRow row;
    row.online = IsOnline();
    row.inNoGroup = noGroup;
    row.icons = &status.icons;
    row.name = name;
    row.extraIcons = &status.extraIcons;
    row.selected = selectedRow;
    row.eventImage = pending.Count() > 0 ? static_cast<int>(pending[0].second) : -1;
    row.typing = typingMark;
    return row;
}

bool CYol_CLContactItem::Draw(CYol_CLDrawContext& dc, int left, int top, int width, bool withChildren) {
    bool goOn = CYol_CLItem::Draw(dc, left, top, width, withChildren);
    dc.DrawContactRow(top, left, top + GetOwnHeight(), left + width, Row(SelectedFor(dc, this)));
    return goOn;
}

CYolString CYol_CLContactItem::GetText() const { return CYol_CLEnvironment::String(kTextContact); }

void CYol_CLContactItem::Activate(int, int, CYol_CLCtrlBase* control) {
    if (control != nullptr)
        control->ActivateItem(modelId, status);
}

void CYol_CLContactItem::RereadCaption() {
    name = CYol_CLEnvironment::ItemString(modelId, kAliasKey);
    if (parent != nullptr)
        parent->ChildKeyChanged(*this);
    Changed(false);
}

void CYol_CLContactItem::SetStatus(const Protocols::ContactStatusInfo& statusInfo) {
    status = statusInfo;
    Reposition();
    Changed(false);
}

void CYol_CLContactItem::AddPending(const Protocols::MessageInfo& message) {
    pending.Add(CYolPair<unsigned int, unsigned int>(message.messageId, static_cast<unsigned int>(message.flags)));
    Reposition();
    NotifyStartBlink();
}

void CYol_CLContactItem::RemovePending(unsigned int messageId) {
    if (messageId == static_cast<unsigned int>(-1)) {
        while (pending.Count() > 0) {
            pending.RemoveAt(pending.Count() - 1);
            NotifyStopBlink();
        }
    } else {
        for (int i = 0; i < pending.Count(); ++i)
            if (pending[i].first == messageId) {
                pending.RemoveAt(i);
                NotifyStopBlink();
                break;
            }
    }
    if (pending.Count() == 0)
        Reposition();
    Changed(false);
}

bool CYol_CLContactItem::ApplyShowOffline(bool show) {
    if (status.status != 0 || visible == show)
        return false;
    bool target = show || pending.Count() > 0;
    if (target == visible)
        return false;
    SetVisible(target);
    return true;
}

void CYol_CLContactItem::SetTypingMark(bool stopped) {
    typingMark = !stopped;
    Changed(false);
}

int CYol_CLMetacontactItem::GetOwnHeight() const { return CYol_CLMetrics::RowHeight(CLRowKind::MetaContact); }
int CYol_CLMetacontactItem::GetItemsPerRow() const { return CYol_CLMetrics::MetaContactsPerRow(); }

}  // namespace CL
