#include "ZemSettingsPanes.h"

#include "CProtocolsManager.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "YolGuids.h"
#include "ZemPaneTemplates.h"


namespace {

// What the account's login and password keys take at most.
constexpr int kFieldChars = 256;

constexpr int kImageAccount = 26;
constexpr int kImageAdvanced = 27;

enum AccountControl : int { kLogin = 1015, kDomain = 1020, kPassword = 1016, kShowPassword = 1017 };
constexpr CAccountSetsPan::TPasswordControls kPasswordControls{kPassword, kShowPassword};

constexpr CAccountSetsPan::TLabel kAccountLabels[] = {{1001, 30}, {1004, 31}, {1002, 32}, {1007, 33}};
constexpr CAccountSetsPan::TLabel kAdvancedLabels[] = {{1062, 35}, {1064, 36}};

Protocols::CProtocolsManager* Manager(CAccountSetsPan& pane) {
    Services::CServicesManager* services = pane.ServicesManager();
    return services != nullptr
               ? static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid))
               : nullptr;
}

// Has the account read its keys again, on its own thread.
void Reload(CAccountSetsPan& pane) {
    if (Protocols::CAccount* account = pane.Account())
        account->PostToSelf(ProtocolsManagerGuid, Protocols::AccountCommand::ReloadSettings);
}

}  // namespace

const char16_t* const CZemAccountPan::kDomains[5] = {u"@mail.ru", u"@inbox.ru", u"@bk.ru", u"@list.ru",
                                                     u"@corp.mail.ru"};

CZemAccountPan::CZemAccountPan(CZemAccount* account, std::shared_ptr<ZemSettingsDraft> draft)
    : CZemPan(account, 30, kZemAccountTemplate, kImageAccount), draft(std::move(draft)) {}

int CZemAccountPan::DoDataExchange(int save) {
    if (save == 0)
        Load();
    else
        Apply();
    return 1;
}

void CZemAccountPan::Load() {
    SetLabels(kAccountLabels, std::size(kAccountLabels));
    HWND list = GetDlgItem(kDomain);
    SendMessage(list, CB_RESETCONTENT, 0, 0);
    for (const char16_t* domain : kDomains)
        SendMessage(list, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(domain));
    const CYolString& login = draft->settings.login;
    const int at = login.Find(0, CYolString(u"@"));
    SetItemText(kLogin, at > 0 ? login.Substring(0, at) : CYolString());
    int selected = -1;
    if (at > 0) {
        const CYolString suffix = login.Substring(at, login.Length() - at);
        for (int i = 0; i < static_cast<int>(std::size(kDomains)); ++i)
            if (suffix == CYolString(kDomains[i]))
                selected = i;
    }
    SendMessage(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    const bool stored = !draft->settings.password.IsEmpty();
    LoadPassword(kPasswordControls, stored);
}

void CZemAccountPan::OnCommand(unsigned short code, unsigned short id, HWND control) {
    if (!OnPasswordCommand(kPasswordControls, code, id))
        CZemPan::OnCommand(code, id, control);
}

void CZemAccountPan::Apply() {
    ZemSettings& s = draft->settings;
    CYolString typed;
    if (TypedPassword(kPasswordControls, kFieldChars, typed))
        s.password = typed;
    // Without a chosen domain the login is what was typed, so a full address
    // of another domain can be entered as it stands.
    const LRESULT selected = SendMessage(GetDlgItem(kDomain), CB_GETCURSEL, 0, 0);
    CYolString login = GetItemText(kLogin, kFieldChars);
    if (selected >= 0 && selected < static_cast<LRESULT>(std::size(kDomains)))
        login = login + CYolString(kDomains[selected]);
    s.login = login.Length() > kFieldChars ? login.Substring(0, kFieldChars) : login;
    Protocols::CProtocolsManager* manager = Manager(*this);
    if (manager == nullptr)
        return;
    manager->SetAccountString(AccountId(), CYolString(u"SrvLogPass"), s.password, true);
    if (s.login != draft->storedLogin) {
        manager->SetAccountString(AccountId(), CYolString(u"SrvLogName"), s.login, false);
        draft->storedLogin = s.login;
        if (Protocols::CAccount* account = Account())
            account->RaiseClearContacts();
    }
    Reload(*this);
}

CZemAdvancedPan::CZemAdvancedPan(CZemAccount* account, std::shared_ptr<ZemSettingsDraft> draft)
    : CZemPan(account, 34, kZemAdvancedTemplate, kImageAdvanced), draft(std::move(draft)) {}

int CZemAdvancedPan::DoDataExchange(int save) {
    ZemSettings& s = draft->settings;
    const struct {
        int control;
        unsigned char ZemSettings::*flag;
        const char16_t* key;
    } checks[] = {{1061, &ZemSettings::emailNotify, u"EmailNotify"}, {1063, &ZemSettings::hideEmailBtn, u"HideEmailBtn"}};
    if (save == 0)
        SetLabels(kAdvancedLabels, std::size(kAdvancedLabels));
    Protocols::CProtocolsManager* manager = save != 0 ? Manager(*this) : nullptr;
    for (const auto& c : checks) {
        if (save == 0) {
            SetChecked(c.control, s.*c.flag != 0);
            continue;
        }
        s.*c.flag = IsChecked(c.control) ? 1 : 0;
        if (manager != nullptr)
            manager->SetAccountByte(AccountId(), CYolString(c.key), s.*c.flag);
    }
    // The account shows or hides its mail button when it reads the flag again.
    if (save != 0)
        Reload(*this);
    return 1;
}
