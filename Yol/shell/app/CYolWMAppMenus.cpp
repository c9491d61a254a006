// The soft keys, the main menu behind the left one, and the status menus of
// the status bar. UI thread.

#include "AppServices.h"
#include "CYolWMApp.h"
#include "CYolWMCL_Ctrl.h"
#include "CYolWMUI_Menu.h"
#include "CYolWMUI_Tools.h"
#include "CYol_CLRootItem.h"
#include "MYolWMUI_Skin.h"
#include "Shell/ShellMenuBar.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"
#include "WindowSystem/WindowGeometry.h"

namespace UI {

namespace {

// Command ids of the main menu below the per-account ones.
namespace Cmd {
enum : int { ToggleOffline = 10, ToggleMode = 11, ToggleSound = 12, Preferences = 13, FileTransfers = 14,
             Quit = 15, MyDetails = 16, FindUsers = 17, AddContact = 18 };
}

struct PageRow {
    int caption;
    int image;
};
// The preferences pages, index = page (= command id).
const PageRow kPages[] = {{60, 74}, {61, 54}, {62, 55}, {65, 57}, {66, 58},
                          {63, 39}, {64, 56}, {67, 59}, {69, 61}, {68, 60}};
// The order the "Preferences" sub-menu lists them in.
const int kPageOrder[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

// A two-way item: caption and image while the setting is on, then off.
struct ToggleRow {
    int command;
    int captionOn, imageOn, captionOff, imageOff;
};
const ToggleRow kToggles[] = {
    {Cmd::ToggleOffline, 19, 79, 20, 80},
    {Cmd::ToggleMode, 21, 77, 22, 78},
    {Cmd::ToggleSound, 24, 82, 23, 81},
};

constexpr int kMenuText = 16;
constexpr int kExtendedStatusCount = 36;
constexpr unsigned int kNoExtendedStatusImage = 85;
constexpr unsigned int kExtendedStatusImageBase = 86;
constexpr int kNoGroupsText = 55;
constexpr int kOfflineText = 56;

CYolMenuItemInfo Entry(int image, const CYolString& caption, int command) {
    return CYolMenuItemInfo(CYolMenuItemInfo::Item, image, CYolFormatString(caption), command, nullptr, nullptr,
                            false);
}

}  // namespace

void CYolWMApp::RelabelSoftKeys(bool leftKey) {
    HWND bar = GetMenuBar();
    if (bar == nullptr)
        return;
    if (leftKey) {
        SHEnableSoftkey(bar, 0, true, true);
        Platform::SetMenuBarButtonText(bar, kLeftSoftKey, UiString(kMenuText).c_str());
    }
    CYolString text;
    if (clCtrl && views) {
        auto held = views->Lock();
        if (CL::CYol_CLItem* selected = clCtrl->Selected())
            text = selected->GetText();
    }
    SHEnableSoftkey(bar, 1, true, !text.IsEmpty());
    Platform::SetMenuBarButtonText(bar, kRightSoftKey, text.IsEmpty() ? u"" : text.c_str());
}

// Sub-menus of the accounts that have a login; none at all without one.
void CYolWMApp::AddAccountSubMenus(CYolMenuInfo& menu) {
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (manager == nullptr)
        return;
    int count = manager->GetAccountCount();
    CYolMenuInfo find, details, add;
    for (int i = 0; i < count; ++i) {
        unsigned int account = manager->GetAccountId(static_cast<unsigned int>(i));
        CYolString login;
        manager->GetAccountLogin(login, account, false);
        if (login.IsEmpty())
            continue;
        Protocols::ProtocolRecord protocol;
        manager->GetAccountProtocolInfo(protocol, account);
        find.Add(Entry(protocol.imageId, login, Cmd::AddContact + i));
        details.Add(Entry(protocol.imageId, login, Cmd::AddContact + count + i));
        add.Add(Entry(protocol.imageId, login, Cmd::AddContact + 1 + 2 * count + i));
    }
    if (find.Count() == 0)
        return;
    menu.Add(CYolMenuItemInfo(84, CYolFormatString(UiString(17)), Cmd::FindUsers, find));
    menu.Add(CYolMenuItemInfo(83, CYolFormatString(UiString(18)), Cmd::MyDetails, details));
    menu.Add(CYolMenuItemInfo(18, CYolFormatString(UiString(47)), Cmd::AddContact, add));
}

void CYolWMApp::BuildMainMenu(CYolMenuInfo& menu) {
    AddAccountSubMenus(menu);
    menu.Add(Entry(76, UiString(26), Cmd::FileTransfers));
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    const bool on[] = {prefs.CLOnlyOnline, prefs.CLMode == 1, prefs.AlertSoundOn != 0};
    for (size_t i = 0; i < std::size(kToggles); ++i) {
        const ToggleRow& row = kToggles[i];
        menu.Add(on[i] ? Entry(row.imageOn, UiString(row.captionOn), row.command)
                       : Entry(row.imageOff, UiString(row.captionOff), row.command));
    }
    CYolMenuInfo pages;
    for (int page : kPageOrder)
        pages.Add(Entry(kPages[page].image, UiString(kPages[page].caption), page));
    menu.Add(CYolMenuItemInfo(75, CYolFormatString(UiString(25)), Cmd::Preferences, pages));
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    menu.Add(Entry(73, UiString(27), Cmd::Quit));
}

void CYolWMApp::ShowMainMenu() {
    CYolMenuInfo menu;
    BuildMainMenu(menu);
    CYolWMUI_Menu::TResult result;
    CYolWMUI_Menu::PopupAtLeftBottom(result, menu, GetWindow(), prefs.GlobFullScreen);
    if (result.IsChoice())
        OnMainMenuChoice(result.commandId);
}

void CYolWMApp::ShowSelectedItemMenu() {
    if (!clCtrl)
        return;
    RECT window{};
    GetWindowRect(GetWindow(), &window);
    clCtrl->ShowItemMenu(window, POINT{window.right, window.bottom}, CYolWMUI_Menu::EBottomRight);
}

void CYolWMApp::OnMainMenuChoice(int command) {
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    const int count = manager != nullptr ? manager->GetAccountCount() : 0;
    auto accountAt = [&](int index) {
        return index >= 0 && index < count ? manager->GetAccountId(static_cast<unsigned int>(index)) : 0u;
    };
    if (command >= 0 && command <= 9) {
        OpenPreferences(command);
    } else if (command == Cmd::ToggleOffline) {
        prefs.CLOnlyOnline = !prefs.CLOnlyOnline;
        OnPrefsChanged(6);
    } else if (command == Cmd::ToggleMode) {
        prefs.CLMode = prefs.CLMode == 1 ? 0 : 1;
        OnPrefsChanged(5);
    } else if (command == Cmd::ToggleSound) {
        prefs.AlertSoundOn = prefs.AlertSoundOn != 0 ? 0 : 1;
    } else if (command == Cmd::FileTransfers) {
        if (ports.fileTransfers != nullptr)
            ports.fileTransfers->Show(true);
    } else if (command == Cmd::Quit) {
        SendMessage(GetWindow(), WM_CLOSE, 0, 0);
    } else if (command >= Cmd::AddContact && command < Cmd::AddContact + count) {
        if (unsigned int account = accountAt(command - Cmd::AddContact); account != 0 && ports.dialogs != nullptr)
            ports.dialogs->RunFindUser(GetWindow(), account);
    } else if (command >= Cmd::AddContact + count && command < Cmd::AddContact + 2 * count) {
        if (unsigned int account = accountAt(command - Cmd::AddContact - count); account != 0 && ports.dialogs)
            ports.dialogs->RunUserDetails(GetWindow(), account);
    } else if (command > Cmd::AddContact + 2 * count && command <= Cmd::AddContact + 3 * count) {
        if (unsigned int account = accountAt(command - Cmd::AddContact - 1 - 2 * count))
            AddContactTo(account, 0);
    }
}

void CYolWMApp::OpenPreferences(int page) {
    if (ports.dialogs == nullptr)
        return;
    CYolArray<MYolWMUI_PrefsChangeObserver*> observers;
    observers.Add(tools.get());
    if (ports.messageWindows != nullptr && ports.messageWindows->PrefsObserver() != nullptr)
        observers.Add(ports.messageWindows->PrefsObserver());
    observers.Add(this);
    ports.dialogs->RunPreferences(prefs, observers, page);
}

// The account must be online and have a group to put the contact in.
void CYolWMApp::AddContactTo(unsigned int account, unsigned int preselected) {
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    CL::CContactList* model = ModelOf(services);
    if (manager == nullptr || model == nullptr)
        return;
    Protocols::Status status = Protocols::Offline;
    CYolArray<unsigned int> groups;
    if (manager->GetStatus(account, status) != 0 || !Protocols::IsConnectedStatus(status)) {
        if (ports.notifications != nullptr)
            ports.notifications->ShowMessage(UiString(kOfflineText), false);
        return;
    }
    if (!model->GetGroupIds(account, groups) || groups.Count() == 0) {
        if (ports.notifications != nullptr)
            ports.notifications->ShowMessage(UiString(kNoGroupsText), false);
        return;
    }
    if (ports.dialogs == nullptr)
        return;
    unsigned int group = preselected;
    CYolString login, name;
    if (ports.dialogs->RunAddContact(GetWindow(), groups, group, login, name) && !login.IsEmpty())
        manager->AddContact(account, group, login, name);
}

void CYolWMApp::BuildStatusMenu(unsigned int account, int kind, CYolMenuInfo& menu) {
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (manager == nullptr)
        return;
    if (account != 0 || kind == 0) {
        manager->GetAccountMenu(account, static_cast<unsigned int>(kind), &menu);
        return;
    }
    unsigned int current = manager->GetXStatusId();
    for (int id = 0; id < kExtendedStatusCount; ++id)
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, static_cast<int>(kExtendedStatusImageBase) + id,
                                  CYolFormatString(CYolString()), id, nullptr, nullptr,
                                  static_cast<unsigned int>(id) == current));
}

void CYolWMApp::OnAccountIconTap(unsigned int accountId, int index) {
    CYolMenuInfo menu;
    BuildStatusMenu(accountId, index, menu);
    if (menu.Count() == 0 || !statusBar)
        return;
    POINT at{};
    statusBar->GetIconPosition(accountId, index, at);
    RECT bounds{};
    GetWindowRect(GetWindow(), &bounds);
    CYolWMUI_Menu::TResult result;
    CYolWMUI_Menu::Popup(result, menu, bounds, at, CYolWMUI_Menu::EBottomLeft, GetWindow(), prefs.GlobFullScreen,
                         false);
    if (!result.IsChoice())
        return;
    if (result.callback != nullptr) {
        result.callback(accountId, result.context);
        return;
    }
    OnStatusMenuChoice(accountId, index, nullptr, result.commandId);
}

void CYolWMApp::OnStatusMenuChoice(unsigned int account, int kind, const CYolMenuItemInfo*, int command) {
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (manager == nullptr || account != 0 || kind != 1 || command < 0 || command >= kExtendedStatusCount)
        return;
    auto id = static_cast<unsigned int>(command);
    if (id == 0) {
        manager->SetXStatus(0, CYolString(), CYolString());
        if (statusBar)
            statusBar->SetGlobalIcon(1, ImageList({kNoExtendedStatusImage}));
        return;
    }
    CYolString title, text;
    manager->GetXStatusText(id, title, text);
    if (ports.dialogs == nullptr || !ports.dialogs->RunXStatus(GetWindow(), title, text))
        return;
    manager->SetXStatus(id, title, text);
    if (statusBar)
        statusBar->SetGlobalIcon(1, ImageList({kExtendedStatusImageBase + id}));
}

}  // namespace UI
