#include "ZemContactListAdapter.h"

#include "ValueNames.h"

bool ZemContactListAdapter::ReadAccountItems(std::vector<ZemListedItem>& items) {
    CL::CContactList* list = lookup();
    CYolArray<CL::CLItemInfo> rows;
    if (list == nullptr || !list->GetAccountItems(accountId, rows))
        return false;
    for (int i = 0; i < rows.Count(); ++i) {
        ZemListedItem item;
        item.group = rows[i].parentId;
        item.contact = rows[i].itemId;
        list->GetItemString(item.contact != 0 ? item.contact : item.group, CYolString(ValueName::SrvLogName),
                            item.key);
        items.push_back(item);
    }
    return true;
}

void ZemContactListAdapter::BeginUpdate() {
    if (CL::CContactList* list = lookup())
        list->BeginUpdate();
}

void ZemContactListAdapter::EndUpdate() {
    if (CL::CContactList* list = lookup())
        list->EndUpdate();
}

unsigned int ZemContactListAdapter::CreateGroup(const CYolString& name) {
    CL::CContactList* list = lookup();
    if (list == nullptr)
        return 0;
    unsigned int group = list->AddGroup(accountId);
    if (group == 0)
        return 0;
    list->SetItemString(group, CYolString(ValueName::SrvLogName), name);
    list->SetItemString(group, CYolString(ValueName::Alias), name);
    list->NotifyGroupAdded(group);
    return group;
}

void ZemContactListAdapter::RenameGroup(unsigned int group, const CYolString& name) {
    if (CL::CContactList* list = lookup()) {
        list->SetItemString(group, CYolString(ValueName::SrvLogName), name);
        list->SetItemString(group, CYolString(ValueName::Alias), name);
        list->NotifyGroupChanged(group);
    }
}

void ZemContactListAdapter::RemoveGroup(unsigned int group) {
    if (CL::CContactList* list = lookup())
        list->RemoveGroup(group);
}

unsigned int ZemContactListAdapter::AddContact(unsigned int group, const CYolString& address,
                                               const CYolString& alias) {
    CL::CContactList* list = lookup();
    if (list == nullptr)
        return 0;
    unsigned int contact = list->AddContact(accountId, group);
    if (contact == 0)
        return 0;
    list->SetItemString(contact, CYolString(ValueName::SrvLogName), address);
    list->SetItemString(contact, CYolString(ValueName::Alias), alias);
    return contact;
}

void ZemContactListAdapter::ShowContact(unsigned int contact, const Protocols::ContactStatusInfo& status) {
    if (CL::CContactList* list = lookup())
        list->NotifyContactAdded(contact, status);
}

void ZemContactListAdapter::RemoveContact(unsigned int contact) {
    if (CL::CContactList* list = lookup())
        list->RemoveContact(contact);
}

void ZemContactListAdapter::MoveContact(unsigned int contact, unsigned int group) {
    if (CL::CContactList* list = lookup())
        list->MoveContact(contact, group);
}

unsigned int ZemContactListAdapter::ParentOf(unsigned int item) {
    CL::CContactList* list = lookup();
    return list != nullptr ? list->GetParentId(item) : 0;
}

CYolString ZemContactListAdapter::Alias(unsigned int contact) {
    CYolString alias;
    if (CL::CContactList* list = lookup())
        list->GetItemString(contact, CYolString(ValueName::Alias), alias);
    return alias;
}

void ZemContactListAdapter::SetAlias(unsigned int contact, const CYolString& alias) {
    if (CL::CContactList* list = lookup()) {
        list->SetItemString(contact, CYolString(ValueName::Alias), alias);
        list->NotifyContactChanged(contact);
    }
}

unsigned char ZemContactListAdapter::Flag(unsigned int contact, const char16_t* name) {
    unsigned char value = 0;
    if (CL::CContactList* list = lookup(); list == nullptr || !list->GetItemByte(contact, CYolString(name), &value))
        return 0;
    return value;
}

void ZemContactListAdapter::SetFlag(unsigned int contact, const char16_t* name, unsigned char value) {
    if (CL::CContactList* list = lookup())
        list->SetItemByte(contact, CYolString(name), &value);
}

void ZemContactListAdapter::SetValue(unsigned int item, const char16_t* name, const CYolString& value) {
    if (CL::CContactList* list = lookup())
        list->SetItemString(item, CYolString(name), value);
}

void ZemContactListAdapter::SetNumber(unsigned int item, const char16_t* name, unsigned int value) {
    if (CL::CContactList* list = lookup())
        list->SetItemDword(item, CYolString(name), &value);
}

void ZemContactListAdapter::SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) {
    if (CL::CContactList* list = lookup())
        list->SetContactStatus(contact, status);
}

void ZemContactListAdapter::SetTyping(unsigned int contact, bool typing) {
    // The list's flag says whether typing is over: 0 while the contact types.
    if (CL::CContactList* list = lookup(); list != nullptr && contact != 0)
        list->SetContactTyping(contact, !typing);
}

unsigned int ZemContactListAdapter::TemporaryContact(const CYolString& address) {
    CL::CContactList* list = lookup();
    return list != nullptr ? list->FindOrAddTempContact(accountId, address) : 0;
}

void ZemContactListAdapter::ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) {
    if (CL::CContactList* list = lookup())
        list->ReceiveMessage(contact, message);
}

void ZemContactListAdapter::MessageAcknowledged(unsigned int contact, unsigned int messageId) {
    if (CL::CContactList* list = lookup())
        list->NotifyMessageAck(contact, messageId);
}
