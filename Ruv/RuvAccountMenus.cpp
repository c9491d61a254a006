// The account's menus: built by RuvMenus from what the account knows, and
// the choices they post carried out here on the account's queue thread.

#include "CRuvAccount.h"

#include "RuvPlugin.h"

namespace {

constexpr int kStringDefaultAuthReason = 32;

}  // namespace

int CRuvAccount::GetAccountMenu(unsigned int kind, CYolMenuInfo* menu) {
    if (menu != nullptr)
        menus.AccountMenu(GetClientId(), kind, *menu);
    return 0;
}

int CRuvAccount::GetContactMenu(unsigned int contact, CYolMenuInfo* menu) {
    if (menu != nullptr)
        menus.ContactMenu(GetClientId(), contact, *menu);
    return 0;
}

int CRuvAccount::GetContactQuickMenu(unsigned int contact, CYolMenuInfo* menu) {
    if (menu != nullptr)
        menus.QuickMenu(GetClientId(), contact, *menu);
    return 0;
}

int CRuvAccount::OnOtherEvent(const YOL_GUID& channel, int event, Services::CEventArg* first,
                              Services::CEventArg* second) {
    if (channel == RuvProtocolGuid && event == RuvMenus::kMenuEvent && first != nullptr && second != nullptr)
        menus.Choose(static_cast<Services::CEventArg_Data<unsigned int>*>(first)->data,
                     static_cast<Services::CEventArg_Data<unsigned int>*>(second)->data);
    return 0;
}

void CRuvAccount::MenuRequestAuthorization(unsigned int contact) {
    // The request goes with the standard reason; the dialog that would let
    // the user write another is not part of the program yet.
    RequestAuthorization(contact, RuvPlugin::UiString(kStringDefaultAuthReason));
}

void CRuvAccount::MenuChangePrivacyList(unsigned int contact, RuvPrivacyList list, bool add) {
    const auto type = static_cast<uint16_t>(list);
    if (add)
        AddToPrivacyList(contact, type);
    else
        RemoveFromPrivacyList(contact, type);
}
