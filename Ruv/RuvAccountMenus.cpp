// The account's menus: built by RuvMenus from what the account knows, and
// the choices they post carried out here on the account's queue thread.

#include "CRuvAccount.h"

#include "RuvPlugin.h"

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
    if (channel == RuvProtocolGuid && OnDetailsEvent(event, first))
        return 0;
    if (channel == RuvProtocolGuid && event == RuvMenus::kMenuEvent && first != nullptr && second != nullptr)
        menus.Choose(static_cast<Services::CEventArg_Data<unsigned int>*>(first)->data,
                     static_cast<Services::CEventArg_Data<unsigned int>*>(second)->data);
    else if (channel == RuvProtocolGuid && event == RuvMenus::kAuthReasonEvent && first != nullptr && second != nullptr)
        menus.RequestAuthorization(static_cast<Services::CEventArg_Data<unsigned int>*>(first)->data,
                                   static_cast<Services::CEventArg_Data<CYolString>*>(second)->data);
    return 0;
}

void CRuvAccount::MenuRequestAuthorization(unsigned int contact, const CYolString& reason) {
    RequestAuthorization(contact, reason);
}

void CRuvAccount::MenuChangePrivacyList(unsigned int contact, RuvPrivacyList list, bool add) {
    const auto type = static_cast<uint16_t>(list);
    if (add)
        AddToPrivacyList(contact, type);
    else
        RemoveFromPrivacyList(contact, type);
}
