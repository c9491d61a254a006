// The item commands of the contact-list window: what the item menus and the
// application's menus ask for, carried out with the dialogs the host opens
// and the contact-list model and protocols manager.

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CYol_CLEnvironment.h"
#include "CYolClock.h"
#include "CYolTime.h"
#include "CYolWMCL_Ctrl.h"
#include "UiHelpers.h"
#include "ValueNames.h"
#include "WindowSystem/MessageQueue.h"

namespace UI_CL {

namespace {

constexpr const char16_t* kLoginKey = ValueName::SrvLogName;
constexpr const char16_t* kAliasKey = ValueName::Alias;
constexpr int kContactOnlineAlert = 2;
constexpr std::int64_t kLogonQuietSeconds = 120;

CL::CContactList* Model() { return CL::CYol_CLEnvironment::Model(); }
Protocols::CProtocolsManager* Manager() { return CL::CYol_CLEnvironment::Manager(); }

bool IsMetaGroup(unsigned int id) {
    CL::CContactList* model = Model();
    return model != nullptr && model->IsMetaGroup(id);
}

unsigned int AccountOf(unsigned int id) { return Model() != nullptr ? Model()->GetItemAccount(id) : 0; }

}  // namespace

void CYolWMCL_Ctrl::EditAccount(unsigned int account) { host.EditAccount(account); }

void CYolWMCL_Ctrl::NewGroup(unsigned int account) {
    CYolString name;
    if (!host.AskName(window, true, name) || name.Length() == 0)
        return;
    if (account != 0) {
        if (Protocols::CProtocolsManager* manager = Manager())
            manager->AddGroup(account, name);
    } else if (CL::CContactList* model = Model()) {
        model->AddMetaGroup(name, 0, true);
    }
}

void CYolWMCL_Ctrl::RenameGroup(unsigned int group) {
    CYolString name = CL::CYol_CLEnvironment::ItemString(group, kLoginKey);
    if (!host.AskName(window, true, name))
        return;
    if (IsMetaGroup(group)) {
        Model()->RenameMetaGroup(group, name);
    } else if (Protocols::CProtocolsManager* manager = Manager()) {
        manager->RenameGroup(AccountOf(group), group, name);
    }
}

void CYolWMCL_Ctrl::DeleteGroup(unsigned int group) {
    CL::CContactList* model = Model();
    if (model == nullptr)
        return;
    if (model->IsMetaGroup(group))
        model->RemoveMetaGroup(group);
    else
        model->RemoveGroup(group);
}

void CYolWMCL_Ctrl::ActivateItem(unsigned int id, const Protocols::ContactStatusInfo& status) {
    if (observer != nullptr)
        observer->OnItemActivated(id, status);
}

void CYolWMCL_Ctrl::ActivateItem2(unsigned int id) {
    Protocols::ContactStatusInfo status;
    if (CL::CContactList* model = Model())
        model->GetItemStatus(status, id);
    ActivateItem(id, status);
}

void CYolWMCL_Ctrl::CopyLogin(unsigned int contact) {
    std::u16string login = CL::CYol_CLEnvironment::ItemString(contact, kLoginKey).ToU16();
    SetClipboardText(login.c_str(), static_cast<int>(login.size()));
}

void CYolWMCL_Ctrl::AddContact(unsigned int account, unsigned int group) { host.AddContact(account, group); }

void CYolWMCL_Ctrl::AddContactToGroup(unsigned int account, unsigned int contact) {
    host.AddContactFrom(account, contact);
}

void CYolWMCL_Ctrl::MoveContact(unsigned int contact) {
    CL::CContactList* model = Model();
    if (model == nullptr)
        return;
    unsigned int chosen = model->GetMetaContactOf(contact);
    if (host.ChooseMetaContact(chosen, chosen))
        model->MoveContactToMetaContact(contact, chosen);
}

void CYolWMCL_Ctrl::RenameItem(unsigned int id) {
    CYolString name = CL::CYol_CLEnvironment::ItemString(id, kAliasKey);
    if (!host.AskName(window, false, name))
        return;
    CL::CContactList* model = Model();
    Protocols::CProtocolsManager* manager = Manager();
    if (model == nullptr)
        return;
    if (!model->IsMetaContact(id)) {
        if (manager != nullptr)
            manager->RenameContact(model->GetItemAccount(id), id, name);
        return;
    }
    model->RenameMetaContact(id, name);
    // A meta contact of one contact is that contact: its account learns the
    // name too.
    CYolArray<unsigned int> subs;
    model->GetMetaSubContacts(id, subs);
    if (subs.Count() == 1 && manager != nullptr)
        manager->RenameContact(model->GetItemAccount(subs[0]), subs[0], name);
}

void CYolWMCL_Ctrl::ShowContactDetails(unsigned int contact) { host.ShowContactDetails(contact); }

void CYolWMCL_Ctrl::DeleteContact(unsigned int id) {
    CL::CContactList* model = Model();
    if (model == nullptr)
        return;
    if (model->IsMetaContact(id)) {
        model->RemoveMetaContact(id);
    } else if (Protocols::CProtocolsManager* manager = Manager()) {
        manager->DeleteContact(model->GetItemAccount(id), id);
    }
}

void CYolWMCL_Ctrl::SendFile(unsigned int contact) {
    CYolString path;
    if (!host.ChooseFile(window, CYolString(u"*.*;"), path))
        return;
    if (CL::CContactList* model = Model())
        model->SendFile(contact, path);
}

void CYolWMCL_Ctrl::ShowHistory(unsigned int contact) { host.ShowHistory(contact); }

void CYolWMCL_Ctrl::OnContactOnline(unsigned int contact) {
    CL::CContactList* model = Model();
    Protocols::CProtocolsManager* manager = Manager();
    if (model == nullptr || manager == nullptr)
        return;
    if (model->IsMetaContact(contact)) {
        CYolArray<unsigned int> subs;
        model->GetMetaSubContacts(contact, subs);
        for (int i = 0; i < subs.Count(); ++i) {
            Protocols::ContactStatusInfo status;
            if (Protocols::IsConnectedStatus(model->GetItemStatus(status, subs[i]).status)) {
                contact = subs[i];
                break;
            }
        }
    }
    CYolTime logon;
    // Without a known logon time the account's age cannot be told; staying
    // quiet beats alerting for every contact of a fresh logon.
    if (manager->GetLogonDate(model->GetItemAccount(contact), logon) != 0)
        return;
    if (CYolClock::Current().Now() - static_cast<std::int64_t>(logon.GetUnixTime()) <= kLogonQuietSeconds)
        return;
    host.RaiseAlert(kContactOnlineAlert);
    host.ShowStatusNotification(contact);
}

}  // namespace UI_CL
