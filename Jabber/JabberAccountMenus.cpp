// The account's side of its descriptions and settings: loading and saving
// its settings record, the status-bar icons it publishes when it becomes
// ready, and its two account menus.

#include "CEventArgFactory.h"
#include "CJabberAccount.h"
#include "JabberPlugin.h"
#include "JabberStrings.h"
#include "YolGuids.h"

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

}  // namespace

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
