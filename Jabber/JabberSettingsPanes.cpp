#include "JabberSettingsPanes.h"

#include "CJabberAccount.h"
#include "CMD5.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlEdit.h"
#include "JabberPaneTemplates.h"
#include "JabberPlugin.h"
#include "JabberStrings.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "YolGuids.h"

#include <string>

namespace {

// Texts a record field takes at most.
constexpr int kFieldChars = 255;

// The key the webmail password hash starts with.
constexpr char16_t kWebmailKey[] = u"4KX.207pR.ZMQ=bT|";

enum AccountControl : int {
    kUserName = 1015, kPassword = 1016, kShowPassword = 1017, kSavePassword = 1018,
    kResource = 1019, kServer = 1020, kPort = 1021, kUseSsl = 1022,
};
constexpr CAccountSetsPan::TPasswordControls kPasswordControls{kPassword, kShowPassword};
enum ExpertControl : int {
    kManualHost = 1006, kCompression = 1007, kProxyEnabled = 1010, kHost = 1020, kHostPort = 1021, kProxy = 1022,
};

constexpr CAccountSetsPan::TLabel kAccountLabels[] = {
    {1001, 16}, {1002, 17}, {1007, 18}, {1008, 19}, {1003, 20}, {1004, 21}, {1005, 22}, {1009, 23},
};
constexpr CAccountSetsPan::TLabel kExpertLabels[] = {
    {1008, 25}, {1004, 26}, {1005, 27}, {1009, 28}, {1012, 29}, {1011, 30},
};
constexpr CAccountSetsPan::TLabel kAdvancedLabels[] = {{1062, 32}, {1064, 33}, {1068, 34}};

// Controls that cannot change while the account is on line.
constexpr int kAccountConnectionControls[] = {1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022, 1007, 1008};
constexpr int kExpertConnectionControls[] = {kManualHost, kHost, kHostPort, kCompression};

CYolString PortText(unsigned int port) { return CYolString(port, false, 0); }

void MailPasswordHash(const CYolString& login, const CYolString& password, uint8_t out[16]) {
    const std::string text = (CYolString(kWebmailKey) + login + CYolString(u"|") + password).ToUtf8();
    CMD5::Hash(text.data(), static_cast<unsigned int>(text.size()), out);
}

}  // namespace

CAccountPan::CAccountPan(CJabberAccount* account, std::shared_ptr<XmppSettingsDraft> draft, CExpertPan* expert)
    : CJabberPan(account, JabberStrAccount, kAccountPaneTemplate), draft(std::move(draft)), expert(expert) {
    Protocols::StatusInfo online;
    if (JabberPlugin::FindStatus(this->draft->kind, Protocols::Online, online))
        SetImages(online.icon);
}

int CAccountPan::DoDataExchange(int save) {
    if (save == 0) {
        Load();
        return 1;
    }
    return Apply() ? 1 : 0;
}

void CAccountPan::Load() {
    const XmppAccountSettings& s = draft->settings;
    SetLabels(kAccountLabels, std::size(kAccountLabels));
    SetItemText(kUserName, s.userName);
    const bool stored = !s.password.IsEmpty() || s.passwordHashed != 0;
    SetChecked(kSavePassword, stored);
    LoadPassword(kPasswordControls, stored);
    SetItemText(kResource, s.resource);
    SetItemText(kServer, s.server);
    SetItemText(kPort, PortText(s.port));
    SetChecked(kUseSsl, s.useSsl);
    if (draft->online)
        for (int id : kAccountConnectionControls)
            EnableItem(id, false);
}

void CAccountPan::OnCommand(unsigned short code, unsigned short id, HWND control) {
    if (OnPasswordCommand(kPasswordControls, code, id))
        return;
    if (id == kUseSsl && code == BN_CLICKED) {
        const CYolString port = PortText(IsChecked(kUseSsl) ? 5223 : 5222);
        SetItemText(kPort, port);
        if (expert != nullptr)
            expert->SetPortText(port);
    } else {
        CJabberPan::OnCommand(code, id, control);
    }
}

bool CAccountPan::Apply() {
    XmppAccountSettings& s = draft->settings;
    unsigned int port = s.port;
    // A connected account's fields are locked and keep what they showed.
    if (!draft->online && !ReadNumber(kPort, 1, 65535, PaneString(JabberStrPortRange), port))
        return false;
    s.userName = GetItemText(kUserName, kFieldChars);
    CYolString typed;
    const bool changed = TypedPassword(kPasswordControls, kFieldChars, typed);
    if (IsChecked(kSavePassword)) {
        if (changed) {
            s.password = typed;
            s.passwordHashed = 0;
            // The login at this moment: the new user name, the server not yet.
            MailPasswordHash(s.Login(), typed, s.mailPasswordHash);
        }
    } else {
        s.password = CYolString();
        s.passwordHashed = 0;
    }
    s.resource = GetItemText(kResource, kFieldChars);
    s.server = GetItemText(kServer, kFieldChars);
    s.port = port;
    s.useSsl = IsChecked(kUseSsl);
    return true;
}

CExpertPan::CExpertPan(CJabberAccount* account, std::shared_ptr<XmppSettingsDraft> draft)
    : CJabberPan(account, JabberStrExpert, kExpertPaneTemplate, u"yol_cmn_connect.png"), draft(std::move(draft)) {}

void CExpertPan::SetPortText(const CYolString& text) { SetItemText(kHostPort, text); }

int CExpertPan::DoDataExchange(int save) {
    XmppAccountSettings& s = draft->settings;
    if (save == 0) {
        SetLabels(kExpertLabels, std::size(kExpertLabels));
        SetChecked(kManualHost, s.manualHost);
        SetItemText(kHost, s.host);
        SetItemText(kHostPort, PortText(s.hostPort));
        EnableItem(kHost, s.manualHost);
        EnableItem(kHostPort, s.manualHost);
        SetChecked(kCompression, s.compression);
        SetChecked(kProxyEnabled, s.fileTransferProxyEnabled);
        SetItemText(kProxy, s.fileTransferProxy);
        EnableItem(kProxy, s.fileTransferProxyEnabled);
        if (draft->online)
            for (int id : kExpertConnectionControls)
                EnableItem(id, false);
        return 1;
    }
    const bool manual = IsChecked(kManualHost);
    unsigned int hostPort = s.hostPort;
    if (manual && !draft->online && !ReadNumber(kHostPort, 1, 65535, PaneString(JabberStrPortRange), hostPort))
        return 0;
    s.manualHost = manual;
    if (manual) {
        s.host = GetItemText(kHost, kFieldChars);
        s.hostPort = hostPort;
    } else {
        s.host = s.server;
        s.hostPort = s.port;
    }
    s.compression = IsChecked(kCompression);
    s.fileTransferProxyEnabled = IsChecked(kProxyEnabled);
    s.fileTransferProxy = GetItemText(kProxy, kFieldChars);
    if (draft->kind != 0)
        CommitSettingsDraft(*this, *draft);
    return 1;
}

void CExpertPan::OnCommand(unsigned short code, unsigned short id, HWND control) {
    if (code == BN_CLICKED && id == kManualHost) {
        EnableItem(kHost, IsChecked(kManualHost));
        EnableItem(kHostPort, IsChecked(kManualHost));
    } else if (code == BN_CLICKED && id == kProxyEnabled) {
        EnableItem(kProxy, IsChecked(kProxyEnabled));
    } else {
        CJabberPan::OnCommand(code, id, control);
    }
}

CAdvancedPan::CAdvancedPan(CJabberAccount* account, std::shared_ptr<XmppSettingsDraft> draft)
    : CJabberPan(account, JabberStrAdvanced, kAdvancedPaneTemplate, u"proto_optadvanced.png"),
      draft(std::move(draft)) {}

int CAdvancedPan::DoDataExchange(int save) {
    XmppAccountSettings& s = draft->settings;
    const struct {
        int control;
        bool XmppAccountSettings::*field;
    } checks[] = {{1061, &XmppAccountSettings::emailNotify},
                  {1063, &XmppAccountSettings::showEmailButton},
                  {1067, &XmppAccountSettings::showClientIcons}};
    if (save == 0)
        SetLabels(kAdvancedLabels, std::size(kAdvancedLabels));
    for (const auto& c : checks) {
        if (save == 0)
            SetChecked(c.control, s.*c.field);
        else
            s.*c.field = IsChecked(c.control);
    }
    if (save != 0)
        CommitSettingsDraft(*this, *draft);
    return 1;
}

void CommitSettingsDraft(CAccountSetsPan& pane, XmppSettingsDraft& draft) {
    draft.settings.Save(pane.ServicesManager(), pane.AccountId(), draft.kind);
    Protocols::CAccount* account = pane.Account();
    if (account == nullptr)
        return;
    if (draft.settings.userName != draft.storedUserName || draft.settings.server != draft.storedServer)
        account->RaiseClearContacts();
    draft.storedUserName = draft.settings.userName;
    draft.storedServer = draft.settings.server;
    account->PostToSelf(ProtocolsManagerGuid, Protocols::AccountCommand::ReloadSettings);
}
