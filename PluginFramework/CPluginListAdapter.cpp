#include "CPluginListAdapter.h"

#include "ValueNames.h"

bool CPluginListAdapter::ReadAccountItems(std::vector<PluginListedItem>& items) {
    CL::CContactList* list = lookup();
    CYolArray<CL::CLItemInfo> rows;
    if (list == nullptr || !list->GetAccountItems(accountId, rows))
        return false;
    for (int i = 0; i < rows.Count(); ++i) {
        PluginListedItem item{rows[i].parentId, rows[i].itemId, {}};
        list->GetItemString(item.contact != 0 ? item.contact : item.group, CYolString(ValueName::SrvLogName),
                            item.key);
        items.push_back(item);
    }
    return true;
}

void CPluginListAdapter::BeginUpdate() {
    Run([](CL::CContactList& list) { list.BeginUpdate(); });
}

void CPluginListAdapter::EndUpdate() {
    Run([](CL::CContactList& list) { list.EndUpdate(); });
}

unsigned int CPluginListAdapter::CreateGroup(const CYolString& name) {
    unsigned int group = 0;
    Run([&](CL::CContactList& list) {
        group = list.AddGroup(accountId);
        if (group == 0)
            return;
        list.SetItemString(group, CYolString(ValueName::SrvLogName), name);
        list.SetItemString(group, CYolString(ValueName::Alias), name);
        list.NotifyGroupAdded(group);
    });
    return group;
}

void CPluginListAdapter::RenameGroup(unsigned int group, const CYolString& name) {
    Run([&](CL::CContactList& list) {
        list.SetItemString(group, CYolString(ValueName::SrvLogName), name);
        list.SetItemString(group, CYolString(ValueName::Alias), name);
        list.NotifyGroupChanged(group);
    });
}

void CPluginListAdapter::RemoveGroup(unsigned int group) {
    Run([&](CL::CContactList& list) { list.RemoveGroup(group); });
}

unsigned int CPluginListAdapter::AddContact(unsigned int group, const CYolString& name, const CYolString& alias) {
    unsigned int contact = 0;
    Run([&](CL::CContactList& list) {
        contact = list.AddContact(accountId, group);
        if (contact == 0)
            return;
        list.SetItemString(contact, CYolString(ValueName::SrvLogName), name);
        list.SetItemString(contact, CYolString(ValueName::Alias), alias);
    });
    return contact;
}

void CPluginListAdapter::ShowContact(unsigned int contact, const Protocols::ContactStatusInfo& status) {
    Run([&](CL::CContactList& list) { list.NotifyContactAdded(contact, status); });
}

void CPluginListAdapter::RemoveContact(unsigned int contact) {
    Run([&](CL::CContactList& list) { list.RemoveContact(contact); });
}

void CPluginListAdapter::MoveContact(unsigned int contact, unsigned int group) {
    Run([&](CL::CContactList& list) { list.MoveContact(contact, group); });
}

unsigned int CPluginListAdapter::ParentOf(unsigned int item) {
    unsigned int parent = 0;
    Run([&](CL::CContactList& list) { parent = list.GetParentId(item); });
    return parent;
}

CYolString CPluginListAdapter::Text(unsigned int item, const char16_t* name) {
    CYolString value;
    Run([&](CL::CContactList& list) { list.GetItemString(item, CYolString(name), value); });
    return value;
}

void CPluginListAdapter::SetAlias(unsigned int contact, const CYolString& alias) {
    Run([&](CL::CContactList& list) {
        list.SetItemString(contact, CYolString(ValueName::Alias), alias);
        list.NotifyContactChanged(contact);
    });
}

unsigned char CPluginListAdapter::Flag(unsigned int contact, const char16_t* name) {
    unsigned char value = 0;
    Run([&](CL::CContactList& list) {
        if (!list.GetItemByte(contact, CYolString(name), &value))
            value = 0;
    });
    return value;
}

void CPluginListAdapter::SetFlag(unsigned int contact, const char16_t* name, unsigned char value) {
    Run([&](CL::CContactList& list) { list.SetItemByte(contact, CYolString(name), &value); });
}

void CPluginListAdapter::SetValue(unsigned int item, const char16_t* name, const CYolString& value) {
    Run([&](CL::CContactList& list) { list.SetItemString(item, CYolString(name), value); });
}

void CPluginListAdapter::SetNumber(unsigned int item, const char16_t* name, unsigned int value) {
    Run([&](CL::CContactList& list) { list.SetItemDword(item, CYolString(name), &value); });
}

void CPluginListAdapter::SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) {
    Run([&](CL::CContactList& list) { list.SetContactStatus(contact, status); });
}

void CPluginListAdapter::SetTyping(unsigned int contact, bool typing) {
    // The list's flag says whether typing is over: 0 while the contact types.
    if (contact != 0)
        Run([&](CL::CContactList& list) { list.SetContactTyping(contact, !typing); });
}

bool CPluginListAdapter::AcceptsStrangers() {
    bool accepts = false;
    Run([&](CL::CContactList& list) { accepts = list.GetAntispamMsgsFromNIL(); });
    return accepts;
}

unsigned int CPluginListAdapter::TemporaryContact(const CYolString& name) {
    unsigned int contact = 0;
    Run([&](CL::CContactList& list) { contact = list.FindOrAddTempContact(accountId, name); });
    return contact;
}

bool CPluginListAdapter::IsTemporary(unsigned int contact) {
    bool temporary = false;
    Run([&](CL::CContactList& list) { temporary = list.IsTempContact(contact); });
    return temporary;
}

void CPluginListAdapter::RemoveTemporary(unsigned int contact) {
    Run([&](CL::CContactList& list) { list.RemoveTempContact(contact); });
}

bool CPluginListAdapter::PassesAntispam(unsigned int contact, const Protocols::MessageInfo& message) {
    bool passes = false;
    Run([&](CL::CContactList& list) { passes = list.CheckAntispam(contact, message) != 0; });
    return passes;
}

void CPluginListAdapter::ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) {
    Run([&](CL::CContactList& list) { list.ReceiveMessage(contact, message); });
}

void CPluginListAdapter::MessageAcknowledged(unsigned int contact, unsigned int messageId) {
    Run([&](CL::CContactList& list) { list.NotifyMessageAck(contact, messageId); });
}
