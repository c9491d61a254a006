#include "RuvMenus.h"

#include "CAuthReasonDlg.h"
#include "CYolMenuInfo.h"
#include "PluginMenuChoice.h"
#include "RuvPaneTemplates.h"
#include "RuvPlugin.h"
#include "YolGuids.h"

#include <atomic>
#include <cstdint>
#include <iterator>

namespace {

std::atomic<Services::CServicesManager*> menuServices{nullptr};

constexpr int kStringAuthPrompt = 31;
constexpr int kStringDefaultAuthReason = 32;
constexpr int kStringOk = 146;
constexpr int kStringCancel = 147;

// On the user-interface thread: the user writes the reason, and only an
// accepted request reaches the account.
void AskAuthorization(Services::CServicesManager* services, unsigned int contact, void* context) {
    CYolString reason = RuvPlugin::UiString(kStringDefaultAuthReason);
    EnsureRuvPaneTemplates();
    // The template's own title stays.
    const CAuthReasonDlg::TTexts texts{&RuvPlugin::UiString, CAuthReasonDlg::kOwnTitle, kStringAuthPrompt, kStringOk,
                                       kStringCancel};
    if (services != nullptr && CAuthReasonDlg::Run(services, kRuvAuthRequestTemplate, texts, reason))
        PostMenuText(services, RuvProtocolGuid, RuvMenus::kAuthReasonEvent, contact, context, reason);
}

int MenuPicked(unsigned int id, void* context) {
    const auto word = reinterpret_cast<std::uintptr_t>(context);
    if (word >> 32 == RuvMenus::kChoiceAuthRequest)
        AskAuthorization(menuServices.load(), id, context);
    else
        PostMenuChoice(menuServices.load(), RuvProtocolGuid, RuvMenus::kMenuEvent, id, context);
    return 0;
}

// The status menu's order; separators go in before the entries at 5, 10
// and 13 (lunch, online, offline).
constexpr Protocols::Status kMenuStatuses[] = {
    Protocols::FreeForChat, Protocols::Evil,         Protocols::Depression, Protocols::AtHome,
    Protocols::AtWork,      Protocols::Lunch,        Protocols::Away,       Protocols::NotAvailable,
    Protocols::Occupied,    Protocols::DoNotDisturb, Protocols::Online,     Protocols::Invisible,
    Protocols::InvisibleForAll, Protocols::Offline};
constexpr size_t kSeparatorsBefore[] = {13, 10, 5};

constexpr struct {
    int caption;
    int image;
    uint8_t mode;
} kPrivacyModes[] = {
    {17, 57, 1}, {18, 58, 3}, {19, 59, 4}, {20, 60, 5}, {21, 61, 2},
};

constexpr struct {
    RuvPrivacyList list;
    int captionAdd;
    int captionRemove;
    int image;
} kPrivacyLists[] = {
    {RuvPrivacyList::Visible, 22, 23, 68},
    {RuvPrivacyList::Invisible, 24, 25, 69},
    {RuvPrivacyList::Ignore, 26, 27, 70},
};

constexpr int kStringPrivacyStatus = 16;
constexpr int kStringXStatusRequest = 28;
constexpr int kStringAuthRequest = 30;
constexpr int kStringCheckStatus = 145;
constexpr int kImageXStatus = 20;
constexpr int kImageCheckStatus = 66;
constexpr int kImageAuthRequest = 67;

int Image(int index) { return static_cast<int>(RuvPlugin::ImageId(index)); }

int PrivacyImage(uint8_t mode) {
    for (const auto& row : kPrivacyModes)
        if (row.mode == mode)
            return Image(row.image);
    return -1;
}

}  // namespace

void RuvMenus::AddItem(CYolMenuInfo& menu, unsigned int clientKey, int caption, int image, unsigned int choice,
                       bool marked) {
    menuServices.store(services);
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, Image(image), CYolFormatString(RuvPlugin::UiString(caption)),
                              0, MenuPicked, MenuChoiceContext(clientKey, choice), marked));
}

void RuvMenus::AccountMenu(unsigned int clientKey, unsigned int kind, CYolMenuInfo& menu) {
    if (kind == 0)
        StatusMenu(clientKey, menu);
    else if (kind == 1 && owner.MenuPrivacyInStatusBar())
        PrivacyMenu(clientKey, menu);
}

void RuvMenus::StatusMenu(unsigned int clientKey, CYolMenuInfo& menu) {
    menu.title = CYolFormatString(CYolString(u"Ruv ") + owner.MenuLogin());
    menuServices.store(services);
    const int first = menu.Count();
    for (Protocols::Status value : kMenuStatuses) {
        Protocols::StatusInfo info;
        RuvPlugin::FindStatus(value, info);
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, info.icon, CYolFormatString(info.name), 0, MenuPicked,
                                  MenuChoiceContext(clientKey, kChoiceStatus + static_cast<unsigned int>(value)),
                                  value == owner.MenuWantedStatus()));
    }
    for (size_t at : kSeparatorsBefore)
        menu.InsertAt(first + static_cast<int>(at), CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    if (owner.MenuPrivacyInStatusBar())
        return;
    CYolMenuInfo privacy;
    PrivacyMenu(clientKey, privacy);
    menu.Add(CYolMenuItemInfo(PrivacyImage(owner.MenuPrivacyMode()),
                              CYolFormatString(RuvPlugin::UiString(kStringPrivacyStatus)), privacy));
}

void RuvMenus::PrivacyMenu(unsigned int clientKey, CYolMenuInfo& menu) {
    for (const auto& row : kPrivacyModes)
        AddItem(menu, clientKey, row.caption, row.image, kChoicePrivacy + row.mode,
                owner.MenuPrivacyMode() == row.mode);
}

void RuvMenus::ContactMenu(unsigned int clientKey, unsigned int contact, CYolMenuInfo& menu) {
    if (!owner.MenuOnline())
        return;
    if (const std::optional<MRuvMenusOwner::Entry> entry = owner.MenuEntry(contact)) {
        if (entry->awaitsAuthorization) {
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
            AddItem(menu, clientKey, kStringAuthRequest, kImageAuthRequest, kChoiceAuthRequest);
        }
        if (entry->status == Protocols::Offline && (entry->awaitsAuthorization || entry->groupId == 0)) {
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
            AddItem(menu, clientKey, kStringCheckStatus, kImageCheckStatus, kChoiceCheckStatus);
        }
    }
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    for (unsigned int i = 0; i < std::size(kPrivacyLists); ++i) {
        const auto& row = kPrivacyLists[i];
        const bool listed = owner.MenuOnPrivacyList(contact, row.list);
        AddItem(menu, clientKey, listed ? row.captionRemove : row.captionAdd, row.image,
                (listed ? kChoiceListRemove : kChoiceListAdd) + i);
    }
}

void RuvMenus::QuickMenu(unsigned int clientKey, unsigned int contact, CYolMenuInfo& menu) {
    if (!owner.MenuListAvailable() || !owner.MenuOnline())
        return;
    const std::optional<MRuvMenusOwner::Entry> entry = owner.MenuEntry(contact);
    if (entry && entry->status >= Protocols::Online && entry->hasXStatus)
        AddItem(menu, clientKey, kStringXStatusRequest, kImageXStatus, kChoiceXStatus);
}

void RuvMenus::Choose(unsigned int id, unsigned int choice) {
    if (choice >= kChoiceStatus && choice <= kChoiceStatus + static_cast<unsigned int>(Protocols::DoNotDisturb)) {
        owner.MenuSetStatus(static_cast<Protocols::Status>(choice - kChoiceStatus));
        return;
    }
    if (choice > kChoicePrivacy && choice <= kChoicePrivacy + 5) {
        owner.MenuSetPrivacyMode(static_cast<uint8_t>(choice - kChoicePrivacy));
        return;
    }
    // The session may have ended between the menu and the choice.
    if (!owner.MenuOnline())
        return;
    if (choice == kChoiceCheckStatus)
        owner.MenuCheckStatus(id);
    else if (choice == kChoiceXStatus)
        owner.MenuRequestXStatus(id);
    else if (choice >= kChoiceListAdd && choice < kChoiceListAdd + std::size(kPrivacyLists))
        owner.MenuChangePrivacyList(id, kPrivacyLists[choice - kChoiceListAdd].list, true);
    else if (choice >= kChoiceListRemove && choice < kChoiceListRemove + std::size(kPrivacyLists))
        owner.MenuChangePrivacyList(id, kPrivacyLists[choice - kChoiceListRemove].list, false);
}

void RuvMenus::RequestAuthorization(unsigned int contact, const CYolString& reason) {
    // The session may have ended while the user wrote.
    if (owner.MenuOnline())
        owner.MenuRequestAuthorization(contact, reason);
}
