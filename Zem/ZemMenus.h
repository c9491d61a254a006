#pragma once
// ZemMenus: the account's menus (status, mailbox, contact and quick menu)
// and what their entries do. The program shows a menu and calls its entries
// back on its window thread, so an entry only posts its choice to the
// account's own queue, addressed by the account's events-client key (never
// reused: a choice made after the account went reaches nobody); the account
// hands the choice back to Choose there.
//
// It owns nothing but the table of entries; what an entry needs to know or
// do it asks of its owner. Menus are built and choices carried out on the
// account's queue thread.

#include "CYolString.h"
#include "ProtocolRecords.h"

#include <cstdint>

class CYolMenuInfo;
namespace Services {
class CServicesManager;
}

class MZemMenusOwner {
public:
    virtual ~MZemMenusOwner() = default;
    virtual bool MenuLoggedIn() const = 0;
    virtual Protocols::Status MenuRequestedStatus() const = 0;
    virtual const CYolString& MenuLogin() const = 0;
    virtual unsigned int MenuUnreadMail() const = 0;
    // The contact-list service is there.
    virtual bool MenuListAvailable() = 0;
    // The contact item is one of the account's list.
    virtual bool MenuContactKnown(unsigned int contact) const = 0;
    virtual bool MenuAuthorizationPending(unsigned int contact) const = 0;
    virtual unsigned char MenuListFlag(unsigned int contact, const char16_t* name) = 0;

    virtual void MenuSetStatus(Protocols::Status status) = 0;
    virtual void MenuOpenInbox() = 0;
    virtual void MenuWakeup(unsigned int contact) = 0;
    virtual void MenuRequestAuthorization(unsigned int contact, const CYolString& reason) = 0;
    virtual void MenuChangeList(unsigned int contact, uint32_t mask, bool set) = 0;
};

class ZemMenus {
public:
    // The account's own event that carries a chosen entry (first: the id the
    // menu was opened for, second: the choice).
    static constexpr int kMenuEvent = 162;
    // The account's own event that carries an authorization request the
    // user confirmed (first: the contact, second: the reason text).
    static constexpr int kAuthRequestEvent = 164;
    // Asks the user for the reason of an authorization request, on the
    // window thread; false when the user cancelled. The dialog by default.
    using ReasonPrompt = bool (*)(Services::CServicesManager* services, CYolString& reason);
    static void SetReasonPrompt(ReasonPrompt prompt);
    enum Choice : unsigned int {
        kChoiceStatus = 0x100,  // + the status
        kChoiceOpenInbox = 0x200,
        kChoiceWakeup,
        kChoiceAuthRequest,
        kChoiceListSet = 0x300,    // + the list's row
        kChoiceListClear = 0x310,  // + the list's row
    };

    ZemMenus(MZemMenusOwner& owner, Services::CServicesManager* services) : owner(owner), services(services) {}

    // Each fills `menu`; `clientKey` is the account's events-client key.
    void StatusMenu(unsigned int clientKey, CYolMenuInfo& menu);
    void MailMenu(unsigned int clientKey, CYolMenuInfo& menu);
    void ContactMenu(unsigned int clientKey, unsigned int contact, CYolMenuInfo& menu);
    void QuickMenu(unsigned int clientKey, unsigned int contact, CYolMenuInfo& menu);

    // A posted choice, on the account's queue thread.
    void Choose(unsigned int id, unsigned int choice);
    // A posted authorization request, on the account's queue thread.
    void RequestAuthorization(unsigned int contact, const CYolString& reason);

private:
    void AddItem(CYolMenuInfo& menu, unsigned int clientKey, int caption, int image, unsigned int choice);

    MZemMenusOwner& owner;
    Services::CServicesManager* services;
};
