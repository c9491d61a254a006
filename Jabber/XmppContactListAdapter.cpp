// The narrow contact-list interfaces of the XMPP features, answered by the
// program's contact-list service.

#include "XmppContactListAdapter.h"

#include "CContactList.h"
#include "ValueNames.h"

namespace {

const CYolString& LoginName() {
    static const CYolString name(ValueName::SrvLogName);
    return name;
}
const CYolString& AliasName() {
    static const CYolString name(ValueName::Alias);
    return name;
}
const CYolString& SubscriptionName() {
    static const CYolString name(XmppValueName::Subscription);
    return name;
}
const CYolString& BirthMonthName() {
    static const CYolString name(u"Jabber: birth month");
    return name;
}
const CYolString& BirthDayName() {
    static const CYolString name(u"Jabber: birth day");
    return name;
}

}  // namespace

XmppContactListAdapter::XmppContactListAdapter(unsigned int accountId, ListLookup list, StatusBuilder buildStatus)
    : accountId(accountId), list(std::move(list)), buildStatus(std::move(buildStatus)) {}

void XmppContactListAdapter::ShowStatus(CL::CContactList& service, unsigned int contact) {
    Protocols::ContactStatusInfo info;
    buildStatus(contact, info);
    service.SetContactStatus(contact, info);
}

bool XmppContactListAdapter::ItemLogin(unsigned int item, CYolString& out) {
    CL::CContactList* service = list();
    return service != nullptr && service->GetItemString(item, LoginName(), out);
}

unsigned int XmppContactListAdapter::AddContact(unsigned int group, const CYolString& jid, const CYolString& name,
                                                uint8_t subscription) {
    CL::CContactList* service = list();
    const unsigned int id = service != nullptr ? service->AddContact(accountId, group) : 0;
    if (id == 0)
        return 0;
    service->SetItemString(id, LoginName(), jid);
    service->SetItemString(id, AliasName(), name);
    service->SetItemByte(id, SubscriptionName(), &subscription);
    Protocols::ContactStatusInfo info;
    buildStatus(id, info);
    service->NotifyContactAdded(id, info);
    return id;
}

bool XmppContactListAdapter::StoredSubscription(unsigned int contact, uint8_t& out) {
    CL::CContactList* service = list();
    return service != nullptr && service->GetItemByte(contact, SubscriptionName(), &out);
}

void XmppContactListAdapter::SetSubscription(unsigned int contact, uint8_t subscription) {
    if (CL::CContactList* service = list(); service != nullptr && contact != 0) {
        service->SetItemByte(contact, SubscriptionName(), &subscription);
        ShowStatus(*service, contact);
    }
}

bool XmppContactListAdapter::ReadAccountItems(std::vector<ListedContact>& contacts, std::vector<ListedGroup>& groups) {
    CL::CContactList* service = list();
    if (service == nullptr)
        return false;
    CYolArray<CL::CLItemInfo> items;
    service->GetAccountItems(accountId, items);
    for (int i = 0; i < items.Count(); ++i) {
        const CL::CLItemInfo& row = items[i];
        CYolString login;
        if (row.itemId != 0) {
            if (service->GetItemString(row.itemId, LoginName(), login))
                contacts.push_back({row.parentId, row.itemId, login});
        } else if (row.parentId != 0 && service->GetItemString(row.parentId, LoginName(), login)) {
            groups.push_back({row.parentId, login});
        }
    }
    return true;
}

unsigned int XmppContactListAdapter::FindGroup(const CYolString& name) {
    CL::CContactList* service = list();
    CYolArray<CL::CLItemInfo> items;
    if (service == nullptr || !service->GetAccountItems(accountId, items))
        return 0;
    // Only the group rows: a push must not read every contact's login.
    for (int i = 0; i < items.Count(); ++i) {
        CYolString groupName;
        if (items[i].itemId == 0 && items[i].parentId != 0 &&
            service->GetItemString(items[i].parentId, LoginName(), groupName) && groupName == name)
            return items[i].parentId;
    }
    return 0;
}

unsigned int XmppContactListAdapter::CreateGroup(const CYolString& name) {
    CL::CContactList* service = list();
    const unsigned int group = service != nullptr ? service->AddGroup(accountId) : 0;
    if (group == 0)
        return 0;
    service->SetItemString(group, LoginName(), name);
    service->SetItemString(group, AliasName(), name);
    service->NotifyGroupAdded(group);
    return group;
}

void XmppContactListAdapter::RenameGroup(unsigned int group, const CYolString& name) {
    if (CL::CContactList* service = list()) {
        service->SetItemString(group, LoginName(), name);
        service->SetItemString(group, AliasName(), name);
        service->NotifyGroupChanged(group);
    }
}

void XmppContactListAdapter::RemoveGroup(unsigned int group) {
    if (CL::CContactList* service = list())
        service->RemoveGroup(group);
}

void XmppContactListAdapter::SetContactName(unsigned int contact, const CYolString& name) {
    if (CL::CContactList* service = list())
        service->SetItemString(contact, AliasName(), name);
}

void XmppContactListAdapter::NotifyContactChanged(unsigned int contact) {
    if (CL::CContactList* service = list())
        service->NotifyContactChanged(contact);
}

void XmppContactListAdapter::MoveContact(unsigned int contact, unsigned int group) {
    if (CL::CContactList* service = list())
        service->MoveContact(contact, group);
}

void XmppContactListAdapter::RemoveContact(unsigned int contact) {
    if (CL::CContactList* service = list())
        service->RemoveContact(contact);
}

void XmppContactListAdapter::BeginUpdate() {
    if (CL::CContactList* service = list())
        service->BeginUpdate();
}

void XmppContactListAdapter::EndUpdate() {
    if (CL::CContactList* service = list())
        service->EndUpdate();
}

bool XmppContactListAdapter::IsGrouped(unsigned int contact) {
    CL::CContactList* service = list();
    return service != nullptr && service->GetParentId(contact) != 0;
}

bool XmppContactListAdapter::BirthdayShown(unsigned int contact, int& month, int& day) {
    CL::CContactList* service = list();
    unsigned char storedMonth = 0;
    unsigned char storedDay = 0;
    if (service == nullptr || !service->GetShowBirthdayBalloon() ||
        !service->GetItemByte(contact, BirthMonthName(), &storedMonth) ||
        !service->GetItemByte(contact, BirthDayName(), &storedDay) || storedMonth == 0 || storedDay == 0)
        return false;
    month = storedMonth;
    day = storedDay;
    return true;
}

void XmppContactListAdapter::SetContactStatus(unsigned int contact, const Protocols::ContactStatusInfo& status) {
    if (CL::CContactList* service = list())
        service->SetContactStatus(contact, status);
}

bool XmppContactListAdapter::IsTempContact(unsigned int contact) {
    CL::CContactList* service = list();
    return service != nullptr && service->IsTempContact(contact);
}

bool XmppContactListAdapter::AdmitsUnlisted(const CYolString& bareJid, const CYolString& name,
                                            const Protocols::MessageInfo& message) {
    CL::CContactList* service = list();
    if (service == nullptr || !service->GetAntispamMsgsFromNIL())
        return false;
    const unsigned int temp = service->FindOrAddTempContact(accountId, bareJid);
    if (temp == 0)
        return false;
    service->SetItemString(temp, LoginName(), bareJid);
    service->SetItemString(temp, AliasName(), name);
    Protocols::MessageInfo asked = message;
    asked.contactId = temp;
    const bool admitted = service->CheckAntispam(temp, asked) != 0;
    service->RemoveTempContact(temp);
    return admitted;
}

void XmppContactListAdapter::ReceiveMessage(unsigned int contact, const Protocols::MessageInfo& message) {
    if (CL::CContactList* service = list())
        service->ReceiveMessage(contact, message);
}

void XmppContactListAdapter::MessageAcknowledged(unsigned int contact, unsigned int messageId) {
    if (CL::CContactList* service = list())
        service->NotifyMessageAck(contact, messageId);
}

void XmppContactListAdapter::SetTyping(unsigned int contact, bool stopped) {
    if (CL::CContactList* service = list())
        service->SetContactTyping(contact, stopped);
}

void XmppContactListAdapter::SetDetailText(unsigned int item, const char16_t* key, const CYolString& value) {
    if (CL::CContactList* service = list())
        service->SetItemString(item, CYolString(key), value);
}

void XmppContactListAdapter::SetDetailNumber(unsigned int item, const char16_t* key, DetailType type,
                                             unsigned int value) {
    CL::CContactList* service = list();
    if (service == nullptr)
        return;
    if (type == DetailType::Word) {
        const short word = static_cast<short>(value & 0xFFFF);
        service->SetItemWord(item, CYolString(key), &word);
    } else {
        const unsigned char byte = static_cast<unsigned char>(value & 0xFF);
        service->SetItemByte(item, CYolString(key), &byte);
    }
}

bool XmppContactListAdapter::GetDetailNumber(unsigned int item, const char16_t* key, DetailType type,
                                             unsigned int& out) {
    CL::CContactList* service = list();
    if (service == nullptr)
        return false;
    if (type == DetailType::Word) {
        short word = 0;
        if (!service->GetItemWord(item, CYolString(key), &word))
            return false;
        out = static_cast<unsigned short>(word);
        return true;
    }
    unsigned char byte = 0;
    if (!service->GetItemByte(item, CYolString(key), &byte))
        return false;
    out = byte;
    return true;
}

unsigned int XmppContactListAdapter::TempContact(const CYolString& jid) {
    CL::CContactList* service = list();
    return service != nullptr ? service->FindOrAddTempContact(accountId, jid) : 0;
}

void XmppContactListAdapter::SetAlias(unsigned int item, const CYolString& name) {
    if (CL::CContactList* service = list())
        service->SetItemString(item, AliasName(), name);
}

bool XmppContactListAdapter::ShowsBirthdays() {
    CL::CContactList* service = list();
    return service != nullptr && service->GetShowBirthdayBalloon();
}
