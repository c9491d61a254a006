#include "ZemMenus.h"

#include "CServicesManager.h"
#include "CYolMenuInfo.h"
#include "MrimMail.h"
#include "PluginMenuChoice.h"
#include "CAuthReasonDlg.h"
#include "YolGuids.h"
#include "ZemPaneTemplates.h"
#include "ZemPlugin.h"

#include <atomic>
#include <cstdint>
#include <iterator>
#include <string>

namespace {

// The program calls an entry back with a plain function and a context word,
// so the services manager to post through is kept where that function finds
// it; every account of the plug-in shares the program's one manager.
std::atomic<Services::CServicesManager*> menuServices{nullptr};

int MenuPicked(unsigned int id, void* context) {
    PostMenuChoice(menuServices.load(), ZemProtocolGuid, ZemMenus::kMenuEvent, id, context);
    return 0;
}

// The menu entry's caption, and the reason dialog's title.
constexpr int kStringAuthRequest = 21;
constexpr int kStringAuthPrompt = 22;
constexpr int kStringAuthText = 23;
constexpr int kStringOk = 218;
constexpr int kStringCancel = 219;

// The reason dialog, its texts in the plug-in's language.
bool AskInDialog(Services::CServicesManager* services, CYolString& reason) {
    EnsureZemPaneTemplates();
    const CAuthReasonDlg::TTexts texts{&ZemPlugin::UiString, kStringAuthRequest, kStringAuthPrompt, kStringOk,
                                       kStringCancel};
    return CAuthReasonDlg::Run(services, kZemAuthRequestTemplate, texts, reason);
}

std::atomic<ZemMenus::ReasonPrompt> reasonPrompt{AskInDialog};

// The authorization request entry asks for the reason here, on the window
// thread, and posts the request with it; a cancelled one posts nothing.
int AuthRequestPicked(unsigned int id, void* context) {
    Services::CServicesManager* services = menuServices.load();
    CYolString reason = ZemPlugin::UiString(kStringAuthText);
    if (reasonPrompt.load()(services, reason))
        PostMenuText(services, ZemProtocolGuid, ZemMenus::kAuthRequestEvent, id, context, reason);
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

constexpr int kStringWakeup = 27;
constexpr int kImageAuthRequest = 19;
constexpr int kImageWakeup = 25;
constexpr int kImageMailEmpty = 28;
constexpr int kImageMailFull = 29;

}  // namespace

void ZemMenus::SetReasonPrompt(ReasonPrompt prompt) { reasonPrompt.store(prompt != nullptr ? prompt : AskInDialog); }

void ZemMenus::AddItem(CYolMenuInfo& menu, unsigned int clientKey, int caption, int image, unsigned int choice) {
    menuServices.store(services);
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, static_cast<int>(ZemPlugin::ImageId(image)),
                              CYolFormatString(ZemPlugin::UiString(caption)), 0,
                              choice == kChoiceAuthRequest ? AuthRequestPicked : MenuPicked,
                              MenuChoiceContext(clientKey, choice), false));
}

void ZemMenus::MailMenu(unsigned int clientKey, CYolMenuInfo& menu) {
    const unsigned int unread = owner.MenuUnreadMail();
    CYolFormatString title(ZemPlugin::UiString(MrimMail::kMenuTitle));
    title.AddParam(CYolString(u"n"), CYolString::FromUtf8(std::to_string(unread)));
    menu.title = title;
    AddItem(menu, clientKey, MrimMail::kOpenInbox, unread ? kImageMailFull : kImageMailEmpty, kChoiceOpenInbox);
}

void ZemMenus::StatusMenu(unsigned int clientKey, CYolMenuInfo& menu) {
    menu.title = CYolFormatString(CYolString(u"Zem ") + owner.MenuLogin());
    menuServices.store(services);
    for (Protocols::Status value : kMenuStatuses) {
        if (value == Protocols::Lunch || value == Protocols::Online || value == Protocols::Offline)
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
        Protocols::StatusInfo info;
        ZemPlugin::FindStatus(value, info);
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, info.icon, CYolFormatString(info.name), 0, MenuPicked,
                                  MenuChoiceContext(clientKey, kChoiceStatus + static_cast<unsigned int>(value)),
                                  value == owner.MenuRequestedStatus()));
    }
}

void ZemMenus::ContactMenu(unsigned int clientKey, unsigned int contact, CYolMenuInfo& menu) {
    if (!owner.MenuLoggedIn())
        return;
    if (owner.MenuContactKnown(contact)) {
        if (owner.MenuAuthorizationPending(contact)) {
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
            AddItem(menu, clientKey, kStringAuthRequest, kImageAuthRequest, kChoiceAuthRequest);
        }
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
        AddItem(menu, clientKey, kStringWakeup, kImageWakeup, kChoiceWakeup);
    }
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    for (unsigned int i = 0; i < std::size(kListEntries); ++i) {
        const ListEntry& entry = kListEntries[i];
        const bool set = owner.MenuListFlag(contact, entry.flag) != 0;
        AddItem(menu, clientKey, set ? entry.captionSet : entry.captionClear, entry.image,
                (set ? kChoiceListClear : kChoiceListSet) + i);
    }
}

void ZemMenus::QuickMenu(unsigned int clientKey, unsigned int contact, CYolMenuInfo& menu) {
    if (owner.MenuLoggedIn() && owner.MenuListAvailable() && owner.MenuContactKnown(contact))
        AddItem(menu, clientKey, kStringWakeup, kImageWakeup, kChoiceWakeup);
}

void ZemMenus::RequestAuthorization(unsigned int contact, const CYolString& reason) {
    // The session may have ended, or the contact gone, while the user typed.
    if (owner.MenuLoggedIn() && owner.MenuContactKnown(contact))
        owner.MenuRequestAuthorization(contact, reason);
}

void ZemMenus::Choose(unsigned int id, unsigned int choice) {
    if (choice >= kChoiceStatus && choice <= kChoiceStatus + static_cast<unsigned int>(Protocols::DoNotDisturb)) {
        owner.MenuSetStatus(static_cast<Protocols::Status>(choice - kChoiceStatus));
        return;
    }
    if (choice == kChoiceOpenInbox) {
        owner.MenuOpenInbox();
        return;
    }
    // The session may have ended between the menu and the choice.
    if (!owner.MenuLoggedIn())
        return;
    if (choice == kChoiceWakeup) {
        owner.MenuWakeup(id);
    } else if (choice >= kChoiceListSet && choice < kChoiceListSet + std::size(kListEntries)) {
        owner.MenuChangeList(id, kListEntries[choice - kChoiceListSet].mask, true);
    } else if (choice >= kChoiceListClear && choice < kChoiceListClear + std::size(kListEntries)) {
        owner.MenuChangeList(id, kListEntries[choice - kChoiceListClear].mask, false);
    }
}
