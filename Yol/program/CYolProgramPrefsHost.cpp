#include "CYolProgramPrefsHost.h"

#include "CYolProgramMessageWindows.h"

#include "CContactListImpl.h"
#include "CProtocolsManagerImpl.h"
#include "CServerStore.h"
#include "CSocketsManagerImpl.h"
#include "CYolProgramPorts.h"
#include "CYolWMAlert_Dispatcher.h"
#include "CYolWMApp.h"
#include "CYolWMUI_FileDlg.h"
#include "CYolWMUI_Tools.h"
#include "CoreServices.h"

namespace UI {

Protocols::CProtocolsManager* CYolProgramPrefsHost::ProtocolsManager() { return Core::g_protocolsManager; }

Sockets::CSocketsManager* CYolProgramPrefsHost::SocketsManager() { return Core::g_socketsManager; }

bool CYolProgramPrefsHost::GetSyncAccounts() { return Core::g_serverStore != nullptr && Core::g_serverStore->IsEnabled(); }

void CYolProgramPrefsHost::SetSyncAccounts(bool on) {
    if (Core::g_serverStore != nullptr)
        Core::g_serverStore->SetEnabled(on);
}

bool CYolProgramPrefsHost::GetMsgsFromNotInList() {
    return Core::g_contactList == nullptr || Core::g_contactList->GetAntispamMsgsFromNIL();
}

void CYolProgramPrefsHost::SetMsgsFromNotInList(bool accept) {
    if (Core::g_contactList != nullptr)
        Core::g_contactList->SetAntispamMsgsFromNIL(accept);
}

void CYolProgramPrefsHost::SetAntispamEnable(bool on) {
    if (Core::g_contactList != nullptr)
        Core::g_contactList->SetAntispamEnable(on);
}

void CYolProgramPrefsHost::SetAntispamQuestion(const CYolString& text) {
    if (Core::g_contactList != nullptr)
        Core::g_contactList->SetAntispamQuestion(text);
}

void CYolProgramPrefsHost::SetAntispamAnswer(const CYolString& text) {
    if (Core::g_contactList != nullptr)
        Core::g_contactList->SetAntispamAnswer(text);
}

void CYolProgramPrefsHost::SetAntispamConfirm(const CYolString& text) {
    if (Core::g_contactList != nullptr)
        Core::g_contactList->SetAntispamConfirm(text);
}

void CYolProgramPrefsHost::DrawImage(int imageId, HDC dc, const RECT& box) {
    CYolWMApp* app = CYolWMApp::Instance();
    if (app != nullptr && app->Tools() != nullptr)
        app->Tools()->Images().DrawRect(imageId, dc, box.left, box.top, box.right, box.bottom, true, 255);
}

void CYolProgramPrefsHost::PreviewAlert(const Alert::TYolWMAlertSettings& settings) {
    if (alerts != nullptr)
        if (Alert::CYolWMAlert_Dispatcher* dispatcher = alerts->Dispatcher())
            dispatcher->Preview(settings);
}

unsigned int CYolProgramPrefsHost::LedCount() { return Alert::CYolWMAlert_Dispatcher::GetLedCount(); }

bool CYolProgramPrefsHost::ChooseFile(HWND owner, const CYolString& mask, CYolString& path) {
    CYolWMUI_FileDlg dialog(mask.c_str(), true, CYolString());
    if (dialog.DoModal(owner) != 1)
        return false;
    path = CYolWMUI_FileDlg::ProgramState().path;
    return true;
}

// The program has no message windows yet, so no settings of theirs.
bool CYolProgramPrefsHost::RunMessageWindowSettings(HWND owner) {
    return messageWindows != nullptr && messageWindows->RunSettings(owner);
}

void CYolProgramPrefsHost::AccountSettingsAccepted(unsigned int account) {
    if (Core::g_protocolsManager == nullptr)
        return;
    Core::g_protocolsManager->ReloadAccountSettings(account);
    Core::g_protocolsManager->BuildServerAccountList();
}

void CYolProgramPrefsHost::ConnectNewAccount(unsigned int account) {
    Protocols::CProtocolsManagerImpl* manager = Core::g_protocolsManager;
    if (manager == nullptr)
        return;
    const Protocols::Status global = manager->GetGlobalStatus();
    manager->SetStatus(account, Protocols::IsConnectedStatus(global) ? global : Protocols::Online);
}

}  // namespace UI
