// The account's menu slots and what its menus ask of it.

#include "CZemAccount.h"

#include "ZemPlugin.h"

int CZemAccount::GetAccountMenu(unsigned int kind, CYolMenuInfo* menu) {
    if (menu == nullptr)
        return 0;
    if (kind == 1)
        menus.MailMenu(GetClientId(), *menu);
    else
        menus.StatusMenu(GetClientId(), *menu);
    return 0;
}

int CZemAccount::GetContactMenu(unsigned int contact, CYolMenuInfo* menu) {
    if (menu != nullptr)
        menus.ContactMenu(GetClientId(), contact, *menu);
    return 0;
}

int CZemAccount::GetContactQuickMenu(unsigned int contact, CYolMenuInfo* menu) {
    if (menu != nullptr)
        menus.QuickMenu(GetClientId(), contact, *menu);
    return 0;
}

bool CZemAccount::MenuAuthorizationPending(unsigned int contact) const {
    const ZemContact* known = contactList.FindByItem(contact);
    return known != nullptr && (known->serverFlags & ZemFlags::kAuthPending) != 0;
}

void CZemAccount::MenuRequestAuthorization(unsigned int contact, const CYolString& reason) {
    messages.SendAuthorizationRequest(contact, reason);
}

void CZemAccount::MenuChangeList(unsigned int contact, uint32_t mask, bool set) {
    const uint32_t number = NextSequence();
    SendListChange(MrimPacketType::ModifyContact, number, contactList.SetListFlag(number, contact, mask, set));
}
