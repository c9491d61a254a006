// The account's contact-list commands, messages and typing: each goes to
// the session feature that owns it.

#include "CRuvAccount.h"

#include "CContactList.h"
#include "RuvPlugin.h"

CL::CContactList* CRuvAccount::ContactListService() const {
    return servicesManager ? static_cast<CL::CContactList*>(servicesManager->GetService(ContactListGuid)) : nullptr;
}

int CRuvAccount::AddGroup(const CYolString& name) {
    session.edits.AddGroup(name);
    return 0;
}

int CRuvAccount::RenameGroup(unsigned int group, const CYolString& name) {
    session.edits.RenameGroup(group, name);
    return 0;
}

int CRuvAccount::DeleteGroup(unsigned int group) {
    session.edits.DeleteGroup(group);
    return 0;
}

int CRuvAccount::AddContact(const CYolString& login, const CYolString& name, unsigned int group) {
    session.edits.AddContact(login, name, group);
    return 0;
}

int CRuvAccount::RenameContact(unsigned int contact, const CYolString& name) {
    session.edits.RenameContact(contact, name);
    return 0;
}

int CRuvAccount::MoveContact(unsigned int contact, unsigned int group) {
    session.edits.MoveContact(contact, group);
    return 0;
}

int CRuvAccount::DeleteContact(unsigned int contact) {
    session.edits.DeleteContact(contact);
    return 0;
}

int CRuvAccount::SendMessage(Protocols::MessageInfo message) {
    session.messages.SendMessage(message);
    return 0;
}

int CRuvAccount::SendTyping(unsigned int contact, bool typing) {
    session.messages.SendTyping(contact, typing);
    return 0;
}

int CRuvAccount::SetAuthorization(unsigned int contact, bool grant) {
    session.edits.SetAuthorization(contact, grant);
    return 0;
}

int CRuvAccount::GetContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) {
    if (out)
        session.list.BuildContactStatus(contact, *out);
    return 0;
}

void CRuvAccount::PrivacyStatus(int value) {
    ownStatus.SetWanted(value);
    status = static_cast<Protocols::Status>(value);
    ReportStatus(status);
}

void CRuvAccount::ShowPrivacyMode(int image) {
    if (!settings.showPrivStatusInStatusbar)
        return;
    Protocols::StatusIconInfo info;
    info.index = 1;
    info.icon.Add(RuvPlugin::ImageId(image));
    SendAccountEvent(Protocols::AccountEvent::SetStatusIcon, NewStatusIconEventArg(info));
}
