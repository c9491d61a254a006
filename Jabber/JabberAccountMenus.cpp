// The account's side of its descriptions and settings: loading and saving
// its settings record, the status-bar icons it publishes when it becomes
// ready, its two account menus and the contact menu.

#include "CEventArgFactory.h"
#include "CJabberAccount.h"
#include "JabberPlugin.h"
#include "JabberStrings.h"
#include "CYolMenuInfo.h"
#include "YolGuids.h"

#include <atomic>
#include <map>
#include <mutex>

namespace {

// What the mailbox menu's item needs to open the web mailbox once the user
// picks it. The menu is shown (and its item invoked) on the program's window
// thread, so the link is made on the account's thread while the menu is
// filled, and picking the item only posts the account's OpenUrl event.
struct MailboxTarget {
    Services::CServicesManager* manager = nullptr;
    unsigned int managerClientId = 0;
    YOL_GUID protocol{};
    unsigned int accountId = 0;
    CYolString link;
};

std::mutex mailboxLock;
// Keyed by the account's events-client key, which is never reused: an entry
// of a destroyed account can only post to a key nobody has any more.
std::map<unsigned int, MailboxTarget>& MailboxTargets() {
    static std::map<unsigned int, MailboxTarget> targets;
    return targets;
}

int OpenInboxPicked(unsigned int, void* context) {
    const unsigned int clientKey = YolMenuContextValue(context);
    MailboxTarget target;
    {
        std::lock_guard<std::mutex> hold(mailboxLock);
        auto found = MailboxTargets().find(clientKey);
        if (found == MailboxTargets().end())
            return 0;
        target = found->second;
    }
    auto* factory = static_cast<Protocols::CEventArgFactory*>(
        target.manager->GetService(Protocols::EventArgFactoryGuid));
    if (factory == nullptr)
        return 0;
    Services::CEventArg* account = factory->NewUInt(target.accountId);
    Services::CEventArg* link = factory->NewString(target.link);
    if (account == nullptr || link == nullptr) {
        // Arguments nobody holds are freed by AddRef(0).
        if (account != nullptr)
            account->AddRef(0);
        if (link != nullptr)
            link->AddRef(0);
        return 0;
    }
    target.manager->SendEvent(target.managerClientId, target.protocol, Protocols::AccountEvent::OpenUrl, account,
                              link, false);
    return 0;
}

// The contact menu's items call back on the window thread; the account is
// reached only through its queue, addressed by its events-client key, so a
// pick after the account is gone goes nowhere.
constexpr YOL_GUID JabberContactMenuGuid{0x6B0E5D21, 0x93C4, 0x4F7A, 0x8D, 0x12, 0x5A, 0x3E, 0xC1, 0x77, 0x0B, 0x94};
enum ContactMenuEvent : int { RequestAuthorizationEvent = 1 };

std::atomic<Services::CServicesManager*> menuServices{nullptr};

void PostMenuPick(unsigned int clientKey, const YOL_GUID& channel, int event, unsigned int contact, int grant) {
    Services::CServicesManager* services = menuServices.load();
    auto* factory = services != nullptr
                        ? static_cast<Protocols::CEventArgFactory*>(services->GetService(Protocols::EventArgFactoryGuid))
                        : nullptr;
    if (factory == nullptr)
        return;
    Services::CEventArg* first = factory->NewUInt(contact);
    Services::CEventArg* second = grant < 0 ? nullptr : factory->NewBool(grant != 0);
    if (services->SendEvent(clientKey, channel, event, first, second, false) != 1) {
        // Arguments nobody took are still ours: a count of 0 frees them.
        if (first != nullptr)
            first->AddRef(0);
        if (second != nullptr)
            second->AddRef(0);
    }
}

int RequestAuthorizationPicked(unsigned int contact, void* clientKey) {
    PostMenuPick(YolMenuContextValue(clientKey), JabberContactMenuGuid, RequestAuthorizationEvent, contact, -1);
    return 0;
}
int GrantAuthorizationPicked(unsigned int contact, void* clientKey) {
    PostMenuPick(YolMenuContextValue(clientKey), ProtocolsManagerGuid, Protocols::AccountCommand::SetAuthorization,
                 contact, 1);
    return 0;
}
int RevokeAuthorizationPicked(unsigned int contact, void* clientKey) {
    PostMenuPick(YolMenuContextValue(clientKey), ProtocolsManagerGuid, Protocols::AccountCommand::SetAuthorization,
                 contact, 0);
    return 0;
}

}  // namespace

int CJabberAccount::GetContactMenu(unsigned int contact, CYolMenuInfo* menu) {
    if (status <= Protocols::Connecting || ContactListService() == nullptr || menu == nullptr)
        return 0;
    menuServices.store(servicesManager);
    uint8_t subscription = 0;
    if (!contactList.StoredSubscription(contact, subscription))
        subscription = 0;

    menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    auto add = [&](int text, int image, YolMenuCallback callback) {
        menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, JabberIcon({image}),
                                   CYolFormatString(JabberPlugin::UiString(text)), static_cast<int>(contact),
                                   callback, YolMenuContext(clientId), false));
    };
    if (subscription == 0 || subscription == 2)
        add(35, JabberImgAuthRequest, RequestAuthorizationPicked);
    if (subscription == 2 || subscription == 3)
        add(37, JabberImgAuthDecline, RevokeAuthorizationPicked);
    else if (subscription == 0 || subscription == 1)
        add(36, JabberImgAuthAccept, GrantAuthorizationPicked);
    return 0;
}

int CJabberAccount::OnOtherEvent(const YOL_GUID& channel, int event, Services::CEventArg* first,
                                 Services::CEventArg*) {
    if (OnDetailsEvent(channel, event))
        return 0;
    if (channel == JabberContactMenuGuid && event == RequestAuthorizationEvent && first != nullptr)
        SendSubscription(static_cast<Services::CEventArg_Data<unsigned int>*>(first)->Get(), "subscribe");
    return 0;
}

void CJabberAccount::LoadSettings() {
    settings.Load(servicesManager, accountId, kind);
}

void CJabberAccount::SaveSettings() {
    settings.Save(servicesManager, accountId, kind);
}

int CJabberAccount::OnReady() {
    PublishStatusIcons();
    return 0;
}

int CJabberAccount::GetAccountMenu(unsigned int menuKind, CYolMenuInfo* menu) {
    if (menu == nullptr)
        return 0;
    if (menuKind == 0) {
        CYolString title = GetProtocolName();
        title += u" ";
        title += GetOwnBareJid();
        FillJabberStatusMenu(*menu, JabberPlugin::StatusList(kind), title, accountId, wantedStatus);
    } else if (menuKind == 1) {
        {
            std::lock_guard<std::mutex> hold(mailboxLock);
            MailboxTargets()[clientId] =
                MailboxTarget{servicesManager, managerClientId, protocolId, accountId, BuildWebmailLink()};
        }
        FillJabberMailboxMenu(*menu, JabberPlugin::UiString(JabberStrMailbox), JabberPlugin::UiString(JabberStrOpenInbox),
                              JabberPlugin::ImageId(JabberImgMailbox), OpenInboxPicked, clientId);
    }
    return 0;
}
