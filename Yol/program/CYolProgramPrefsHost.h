#pragma once
// What the preferences dialog and the account-settings dialog reach of the
// running program: the core's services, the skin pictures of the tool set,
// the alert dispatcher's preview and the file browser. The core's objects
// are looked up at each call, so a dialog outliving the core finds nothing
// rather than a dangling object.
//
// UI thread only.

#include "MYolWMUI_PrefsHost.h"

namespace UI {

class CYolProgramAlerts;
class CYolProgramMessageWindows;

class CYolProgramPrefsHost final : public MYolWMUI_PrefsHost {
public:
    // `alerts` may be null: no preview then.
    explicit CYolProgramPrefsHost(CYolProgramAlerts* alerts) : alerts(alerts) {}

    Protocols::CProtocolsManager* ProtocolsManager() override;
    Sockets::CSocketsManager* SocketsManager() override;
    bool GetSyncAccounts() override;
    void SetSyncAccounts(bool on) override;
    bool GetMsgsFromNotInList() override;
    void SetMsgsFromNotInList(bool accept) override;
    void SetAntispamEnable(bool on) override;
    void SetAntispamQuestion(const CYolString& text) override;
    void SetAntispamAnswer(const CYolString& text) override;
    void SetAntispamConfirm(const CYolString& text) override;
    void DrawImage(int imageId, HDC dc, const RECT& box) override;
    void PreviewAlert(const Alert::TYolWMAlertSettings& settings) override;
    unsigned int LedCount() override;
    bool ChooseFile(HWND owner, const CYolString& mask, CYolString& path) override;
    bool RunMessageWindowSettings(HWND owner) override;
    // Where the message windows' settings are edited; null: not offered.
    void SetMessageWindows(CYolProgramMessageWindows* windows) { messageWindows = windows; }
    void AccountSettingsAccepted(unsigned int account) override;
    void ConnectNewAccount(unsigned int account) override;

private:
    CYolProgramAlerts* alerts;
    CYolProgramMessageWindows* messageWindows = nullptr;
};

}  // namespace UI
