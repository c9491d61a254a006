#pragma once
// RuvMenus: the account's menus (status menu with its privacy sub-menu, the
// privacy menu of the status-bar icon, the protocol part of a contact's
// menu, and the quick menu that asks a contact for its extended status) and
// what their entries do. An entry only posts its choice to the account's
// own queue; the account hands it back to Choose there. The request for
// authorization first asks the user for its reason, on the user-interface
// thread, and posts the request only when the user accepts.
//
// It owns nothing but the tables of entries; what an entry needs to know or
// do it asks of its owner. Menus are built and choices carried out on the
// account's queue thread.

#include "CYolString.h"
#include "ProtocolRecords.h"

#include <cstdint>
#include <optional>

class CYolMenuInfo;
namespace Services {
class CServicesManager;
}

// The privacy lists a screen name can be on, by their item type.
enum class RuvPrivacyList : uint16_t { Visible = 2, Invisible = 3, Ignore = 14 };

class MRuvMenusOwner {
public:
    // What a contact's menu needs of its entry in the server's list.
    struct Entry {
        bool awaitsAuthorization = false;
        int status = 0;
        uint16_t groupId = 0;
        // The entry's capabilities name an extended status.
        bool hasXStatus = false;
    };

    virtual ~MRuvMenusOwner() = default;
    // The session is up (signed on, not connecting).
    virtual bool MenuOnline() const = 0;
    virtual const CYolString& MenuLogin() const = 0;
    virtual Protocols::Status MenuWantedStatus() const = 0;
    virtual uint8_t MenuPrivacyMode() const = 0;
    // The privacy icon has its own place in the status bar.
    virtual bool MenuPrivacyInStatusBar() const = 0;
    virtual bool MenuListAvailable() = 0;
    virtual std::optional<Entry> MenuEntry(unsigned int contact) = 0;
    virtual bool MenuOnPrivacyList(unsigned int contact, RuvPrivacyList list) = 0;

    virtual void MenuSetStatus(Protocols::Status status) = 0;
    virtual void MenuSetPrivacyMode(uint8_t mode) = 0;
    virtual void MenuRequestAuthorization(unsigned int contact, const CYolString& reason) = 0;
    virtual void MenuCheckStatus(unsigned int contact) = 0;
    virtual void MenuRequestXStatus(unsigned int contact) = 0;
    virtual void MenuChangePrivacyList(unsigned int contact, RuvPrivacyList list, bool add) = 0;
};

class RuvMenus {
public:
    // The account's own event that carries a chosen entry.
    static constexpr int kMenuEvent = 162;
    // The account's own event that carries an authorization request the
    // user wrote a reason for: the contact and the reason.
    static constexpr int kAuthReasonEvent = 163;
    enum Choice : unsigned int {
        kChoiceStatus = 0x100,   // + the status
        kChoicePrivacy = 0x200,  // + the mode
        kChoiceAuthRequest = 0x300,
        kChoiceCheckStatus,
        kChoiceXStatus,
        kChoiceListAdd = 0x400,     // + the list's row
        kChoiceListRemove = 0x410,  // + the list's row
    };

    RuvMenus(MRuvMenusOwner& owner, Services::CServicesManager* services) : owner(owner), services(services) {}

    // Kind 0: the status menu; kind 1: the privacy menu, when the privacy
    // icon has its own place. `clientKey` is the account's events-client key.
    void AccountMenu(unsigned int clientKey, unsigned int kind, CYolMenuInfo& menu);
    void StatusMenu(unsigned int clientKey, CYolMenuInfo& menu);
    void PrivacyMenu(unsigned int clientKey, CYolMenuInfo& menu);
    void ContactMenu(unsigned int clientKey, unsigned int contact, CYolMenuInfo& menu);
    void QuickMenu(unsigned int clientKey, unsigned int contact, CYolMenuInfo& menu);

    // A posted choice, on the account's queue thread.
    void Choose(unsigned int id, unsigned int choice);
    // A posted authorization request, on the account's queue thread.
    void RequestAuthorization(unsigned int contact, const CYolString& reason);

private:
    void AddItem(CYolMenuInfo& menu, unsigned int clientKey, int caption, int image, unsigned int choice,
                 bool marked = false);

    MRuvMenusOwner& owner;
    Services::CServicesManager* services;
};
