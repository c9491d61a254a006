#include "RuvSettingsPanes.h"

#include "CFlapPacket.h"
#include "CMD5.h"
#include "CProtocolsManager.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "YolGuids.h"

#include <iterator>

namespace {

// What the login and host fields hold at most.
constexpr int kTextChars = 256;
constexpr int kPasswordChars = 14;
// The network takes no more of a password.
constexpr int kPasswordUsed = 8;

constexpr int kStringPortRange = 158;
constexpr int kStringBadLogin = 159;
constexpr int kStringNoHost = 160;

enum AccountControl : int { kLogin = 1015, kPassword = 1016, kShowPassword = 1017, kSavePassword = 1018 };
constexpr CAccountSetsPan::TPasswordControls kPasswordControls{kPassword, kShowPassword};
enum ConnectionControl : int {
    kHost = 1001, kPort = 1002, kKeepAlive = 1052, kLoadList = 1053, kAutoPrivacy = 1056, kMoveServers = 1057,
};

constexpr CAccountSetsPan::TLabel kAccountLabels[] = {{1071, 37}, {1101, 38}, {1102, 39}};
constexpr CAccountSetsPan::TLabel kConnectionLabels[] = {{1054, 41}, {1055, 42}, {1106, 43},
                                                         {1103, 44}, {1104, 45}, {1105, 46}};
constexpr CAccountSetsPan::TLabel kAdditionalLabels[] = {{1133, 48}, {1138, 49}, {1140, 50}, {1142, 51}, {1144, 52}};

// The connection switches, each a stored byte read and written through
// the store's accessors.
struct ByteSwitch {
    int control;
    unsigned char (CRuvSettingsStore::*get)() const;
    void (CRuvSettingsStore::*set)(unsigned char) const;
};
constexpr ByteSwitch kSwitches[] = {
    {kKeepAlive, &CRuvSettingsStore::GetKeepAlive, &CRuvSettingsStore::SetKeepAlive},
    {kLoadList, &CRuvSettingsStore::GetLoadCl, &CRuvSettingsStore::SetLoadCl},
    {kAutoPrivacy, &CRuvSettingsStore::GetAutoSwitchPrivacy, &CRuvSettingsStore::SetAutoSwitchPrivacy},
};

constexpr struct {
    int control;
    bool CRuvSettings::*field;
} kFlags[] = {
    {1134, &CRuvSettings::showStandardIcon},   {1137, &CRuvSettings::showPrivStatusInStatusbar},
    {1139, &CRuvSettings::showClientsIcons},   {1141, &CRuvSettings::typingNotification},
    {1143, &CRuvSettings::xStatusAutoRequest},
};

bool HasDigest(const std::array<uint8_t, 16>& digest) {
    for (uint8_t byte : digest)
        if (byte != 0)
            return true;
    return false;
}

}  // namespace

CRuvSettingsStore CRuvSettingsPan::Store() const {
    auto* manager = ServicesManager() != nullptr ? static_cast<Protocols::CProtocolsManager*>(
                                                       ServicesManager()->GetService(ProtocolsManagerGuid))
                                                 : nullptr;
    return CRuvSettingsStore(manager, AccountId());
}

CYolString CRuvAccountPan::NormalLogin(const CYolString& typed) {
    if (typed.Find(0, CYolString(u"@")) >= 0)
        return typed;
    std::u16string digits;
    for (int i = 0; i < typed.Length(); ++i)
        if (typed.At(i) >= u'0' && typed.At(i) <= u'9')
            digits.push_back(typed.At(i));
    return CYolString(digits.c_str(), static_cast<int>(digits.size()));
}

int CRuvAccountPan::DoDataExchange(int save) {
    if (save == 0) {
        Load();
        return 1;
    }
    return Apply() ? 1 : 0;
}

void CRuvAccountPan::Load() {
    SetLabels(kAccountLabels, std::size(kAccountLabels));
    SetItemText(kLogin, draft->settings.login);
    const bool stored = HasDigest(draft->settings.passwordDigest);
    SetChecked(kSavePassword, stored);
    LoadPassword(kPasswordControls, stored);
}

void CRuvAccountPan::OnCommand(unsigned short code, unsigned short id, HWND control) {
    if (!OnPasswordCommand(kPasswordControls, code, id))
        CRuvSettingsPan::OnCommand(code, id, control);
}

bool CRuvAccountPan::Apply() {
    const CYolString login = NormalLogin(GetItemText(kLogin, kTextChars));
    if (login.IsEmpty()) {
        TellUser(PaneString(kStringBadLogin));
        SetFocus(GetDlgItem(kLogin));
        return false;
    }
    SetItemText(kLogin, login);
    CRuvSettings& s = draft->settings;
    s.login = login;
    CYolString typed;
    const bool changed = TypedPassword(kPasswordControls, kPasswordChars, typed);
    if (!IsChecked(kSavePassword)) {
        s.passwordDigest = {};
        return true;
    }
    if (changed) {
        const std::string bytes = OscarAnsi(typed.Substring(0, std::min(typed.Length(), kPasswordUsed)));
        CMD5::Hash(bytes.data(), static_cast<unsigned int>(bytes.size()), s.passwordDigest.data());
    }
    return true;
}

int CRuvConnectionPan::DoDataExchange(int save) {
    if (save == 0) {
        Load();
        return 1;
    }
    return Apply() ? 1 : 0;
}

void CRuvConnectionPan::Load() {
    const CRuvSettingsStore store = Store();
    SetLabels(kConnectionLabels, std::size(kConnectionLabels));
    if (HWND host = GetDlgItem(kHost)) {
        SendMessage(host, CB_RESETCONTENT, 0, 0);
        SendMessage(host, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(CRuvSettings::kDefaultServer));
    }
    SetItemText(kHost, store.GetServer());
    SetItemText(kPort, CYolString(store.GetPort(), false, 0));
    SetChecked(kMoveServers, store.GetMoveServers() != 0);
    for (const ByteSwitch& s : kSwitches)
        SetChecked(s.control, (store.*s.get)() != 0);
    FollowMoveServers();
}

void CRuvConnectionPan::FollowMoveServers() {
    // Moving between the known servers leaves nothing to choose by hand.
    const bool manual = !IsChecked(kMoveServers);
    EnableItem(kHost, manual);
    EnableItem(kPort, manual);
}

void CRuvConnectionPan::OnCommand(unsigned short code, unsigned short id, HWND control) {
    if (id == kMoveServers && code == BN_CLICKED)
        FollowMoveServers();
    else
        CRuvSettingsPan::OnCommand(code, id, control);
}

bool CRuvConnectionPan::Apply() {
    const CRuvSettingsStore store = Store();
    const bool move = IsChecked(kMoveServers);
    CYolString host = store.GetServer();
    unsigned int port = store.GetPort();
    // Fields that are switched off keep what was stored.
    if (!move) {
        host = GetItemText(kHost, kTextChars);
        if (host.IsEmpty()) {
            TellUser(PaneString(kStringNoHost));
            SetFocus(GetDlgItem(kHost));
            return false;
        }
        if (!ReadNumber(kPort, 1, 65535, PaneString(kStringPortRange), port))
            return false;
    }
    store.SetServer(host);
    store.SetPort(port);
    store.SetMoveServers(move ? 1 : 0);
    for (const ByteSwitch& s : kSwitches)
        (store.*s.set)(IsChecked(s.control) ? 1 : 0);
    return true;
}

int CRuvAdditionalPan::DoDataExchange(int save) {
    CRuvSettings& s = draft->settings;
    if (save == 0)
        SetLabels(kAdditionalLabels, std::size(kAdditionalLabels));
    for (const auto& flag : kFlags) {
        if (save == 0)
            SetChecked(flag.control, s.*flag.field);
        else
            s.*flag.field = IsChecked(flag.control);
    }
    if (save == 0)
        return 1;
    Store().Save(s);
    if (Protocols::CAccount* account = Account()) {
        if (s.login != draft->storedLogin)
            account->RaiseClearContacts();
        account->PostToSelf(ProtocolsManagerGuid, Protocols::AccountCommand::ReloadSettings);
    }
    draft->storedLogin = s.login;
    return 1;
}
