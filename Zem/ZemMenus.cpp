// The account's menus: the status menu, the mailbox menu and the contact
// menus. The program shows a menu and calls its entries back on its window
// thread, so an entry only posts its choice to the account's own queue,
// addressed by the account's events-client key (never reused: a choice
// made after the account went reaches nobody); the account acts on it there.

#include "CEventArgFactory.h"
#include "CYolMenuInfo.h"
#include "CZemAccount.h"
#include "ZemPlugin.h"
#include "ZemStatuses.h"

#include <atomic>

namespace {

std::atomic<Services::CServicesManager*> menuServices{nullptr};

// An entry's context: the account's key in the low word, the choice above it.
void* MenuContext(unsigned int clientKey, unsigned int choice) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(choice) << 32 | clientKey);
}

int MenuPicked(unsigned int id, void* context) {
    const auto word = reinterpret_cast<std::uintptr_t>(context);
    Services::CServicesManager* services = menuServices.load();
    auto* factory = services != nullptr
                        ? static_cast<Protocols::CEventArgFactory*>(services->GetService(Protocols::EventArgFactoryGuid))
                        : nullptr;
    if (factory == nullptr)
        return 0;
    Services::CEventArg* first = factory->NewUInt(id);
    Services::CEventArg* second = factory->NewUInt(static_cast<unsigned int>(word >> 32));
    if (services->SendEvent(static_cast<unsigned int>(word & 0xFFFFFFFFu), ZemProtocolGuid,
                            CZemAccount::kMenuEvent, first, second, false) != 1) {
        // Arguments nobody took are still ours: a count of 0 frees them.
        if (first != nullptr)
            first->AddRef(0);
        if (second != nullptr)
            second->AddRef(0);
    }
    return 0;
}

// The status menu's order, with a separator before Lunch, Online and Offline.
constexpr Protocols::Status kMenuStatuses[] = {
    Protocols::FreeForChat, Protocols::Evil,         Protocols::Depression, Protocols::AtHome,
    Protocols::AtWork,      Protocols::Lunch,        Protocols::Away,       Protocols::NotAvailable,
    Protocols::Occupied,    Protocols::DoNotDisturb, Protocols::Online,     Protocols::Invisible,
    Protocols::Offline};

struct ListEntry {
    const char16_t* flag;
    int captionSet;
    int captionClear;
    int image;
    uint32_t mask;
};
constexpr ListEntry kListEntries[] = {
    {u"In visible list", 15, 14, 20, 0x08},
    {u"In invisible list", 17, 16, 21, 0x04},
    {u"In ignore list", 19, 18, 22, 0x10},
};

constexpr int kStringAuthRequest = 21;
constexpr int kStringAuthText = 23;
constexpr int kStringWakeup = 27;
constexpr int kImageAuthRequest = 19;
constexpr int kImageWakeup = 25;
constexpr int kImageMailEmpty = 28;
constexpr int kImageMailFull = 29;

}  // namespace

void CZemAccount::AddMenuItem(CYolMenuInfo& menu, int caption, int image, unsigned int choice) {
    menuServices.store(servicesManager);
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, static_cast<int>(ZemPlugin::ImageId(image)),
                              CYolFormatString(ZemPlugin::UiString(caption)), 0, MenuPicked,
                              MenuContext(GetClientId(), choice), false));
}

int CZemAccount::GetAccountMenu(unsigned int kind, CYolMenuInfo* menu) {
    if (menu == nullptr)
        return 0;
    if (kind == 1) {
        CYolFormatString title(ZemPlugin::UiString(MrimMail::kMenuTitle));
        title.AddParam(CYolString(u"n"), CYolString::FromUtf8(std::to_string(mail.Unread())));
        menu->title = title;
        AddMenuItem(*menu, MrimMail::kOpenInbox, mail.Unread() ? kImageMailFull : kImageMailEmpty, kChoiceOpenInbox);
        return 0;
    }
    menu->title = CYolFormatString(CYolString(u"Zem ") + settings.login);
    menuServices.store(servicesManager);
    for (Protocols::Status value : kMenuStatuses) {
        if (value == Protocols::Lunch || value == Protocols::Online || value == Protocols::Offline)
            menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
        Protocols::StatusInfo info;
        ZemPlugin::FindStatus(value, info);
        menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, info.icon, CYolFormatString(info.name), 0, MenuPicked,
                                   MenuContext(GetClientId(), kChoiceStatus + static_cast<unsigned int>(value)),
                                   value == requestedStatus));
    }
    return 0;
}

int CZemAccount::GetContactMenu(unsigned int contact, CYolMenuInfo* menu) {
    if (menu == nullptr || status <= Protocols::Connecting)
        return 0;
    if (const ZemContact* known = contactList.FindByItem(contact)) {
        if (known->serverFlags & 0x1) {
            menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
            AddMenuItem(*menu, kStringAuthRequest, kImageAuthRequest, kChoiceAuthRequest);
        }
        menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
        AddMenuItem(*menu, kStringWakeup, kImageWakeup, kChoiceWakeup);
    }
    menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    for (unsigned int i = 0; i < std::size(kListEntries); ++i) {
        const ListEntry& entry = kListEntries[i];
        const bool set = model.Flag(contact, entry.flag) != 0;
        AddMenuItem(*menu, set ? entry.captionSet : entry.captionClear, entry.image,
                    (set ? kChoiceListClear : kChoiceListSet) + i);
    }
    return 0;
}

int CZemAccount::GetContactQuickMenu(unsigned int contact, CYolMenuInfo* menu) {
    if (menu != nullptr && status > Protocols::Connecting && ContactListService() != nullptr &&
        contactList.FindByItem(contact) != nullptr)
        AddMenuItem(*menu, kStringWakeup, kImageWakeup, kChoiceWakeup);
    return 0;
}

void CZemAccount::OnMenuChoice(unsigned int id, unsigned int choice) {
    if (choice >= kChoiceStatus && choice <= kChoiceStatus + static_cast<unsigned int>(Protocols::DoNotDisturb)) {
        SetStatus(static_cast<Protocols::Status>(choice - kChoiceStatus));
        return;
    }
    if (choice == kChoiceOpenInbox) {
        mail.RequestSession(MrimMail::Purpose::OpenInbox);
        return;
    }
    if (status <= Protocols::Connecting)
        return;
    if (choice == kChoiceWakeup) {
        messages.SendWakeup(id);
    } else if (choice == kChoiceAuthRequest) {
        messages.SendAuthorizationRequest(id, ZemPlugin::UiString(kStringAuthText));
    } else if (choice >= kChoiceListSet && choice < kChoiceListSet + std::size(kListEntries)) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::ModifyContact, number,
                       contactList.SetListFlag(number, id, kListEntries[choice - kChoiceListSet].mask, true));
    } else if (choice >= kChoiceListClear && choice < kChoiceListClear + std::size(kListEntries)) {
        const uint32_t number = NextSequence();
        SendListChange(MrimPacketType::ModifyContact, number,
                       contactList.SetListFlag(number, id, kListEntries[choice - kChoiceListClear].mask, false));
    }
}
