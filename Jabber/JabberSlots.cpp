// The account slots that only look things up or forward, the language
// change, and putting a roster contact into the contact list.

#include "CJabberAccount.h"
#include "CContactList.h"
#include "JabberPlugin.h"
#include "ValueNames.h"

int CJabberAccount::GetLogin(CYolString* out) {
    if (!out)
        return 0;
    if (settings.userName.IsEmpty()) {
        *out = CYolString();
        return 0;
    }
    CYolString login = settings.userName;
    login += u"@";
    login += settings.server;
    *out = login;
    return 0;
}

int CJabberAccount::GetStatusInfo(Protocols::Status wanted, Protocols::StatusInfo* out) {
    if (out)
        JabberPlugin::FindStatus(kind, wanted, *out);
    return 0;
}

int CJabberAccount::GetContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) {
    if (out)
        BuildContactStatus(contact, out);
    return 0;
}

int CJabberAccount::SetLanguage(const CYolString& language) {
    JabberPlugin::ChangeLanguage(language);
    JabberPlugin::RebuildStatusList(kind);
    return 0;
}

void CJabberAccount::PublishStatusIcons() {
    Protocols::StatusInfo info;
    if (JabberPlugin::FindStatus(kind, status, info))
        SendAccountEvent(Protocols::AccountEvent::AddStatusIcon, NewUIntArrayEventArg(info.icon));
    if (kind == JabberKindYol && settings.showEmailButton) {
        CYolArray<unsigned int> mailbox;
        mailbox.Add(JabberPlugin::ImageId(JabberImgMailbox));
        SendAccountEvent(Protocols::AccountEvent::AddStatusIcon, NewUIntArrayEventArg(mailbox));
    }
}

void CJabberAccount::AddContactItem(ContactRecord* entry, const CYolString& jid, const CYolString& name,
                                    unsigned int group, uint8_t subscription) {
    CL::CContactList* list = ContactListService();
    if (!list || !entry)
        return;
    unsigned int id = list->AddContact(accountId, group);
    if (id == 0)
        return;
    entry->contactId = id;
    list->SetItemString(id, CYolString(ValueName::SrvLogName), jid);
    list->SetItemString(id, CYolString(ValueName::Alias), name);
    list->SetItemByte(id, CYolString(u"Subscription"), &subscription);
    Protocols::ContactStatusInfo info;
    BuildContactStatus(id, &info);
    list->NotifyContactAdded(id, info);
}
