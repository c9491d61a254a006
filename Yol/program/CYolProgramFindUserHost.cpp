#include "CYolProgramFindUserHost.h"

#include "CContactList.h"
#include "CServicesManagerImpl.h"
#include "CYolWMApp.h"
#include "CYolWMCL_AddContactDlg.h"
#include "CYolWMUI_DetailsDlg.h"
#include "CYolWMUI_Menu.h"
#include "CYolWMUI_Tools.h"
#include "YolGuids.h"

namespace UI {

namespace {

CYolWMApp* RunningApplication() {
    CYolWMApp* app = CYolWMApp::Instance();
    return app != nullptr && app->GetWindow() != nullptr && app->Tools() != nullptr ? app : nullptr;
}

}  // namespace

void CYolProgramFindUserHost::ShowWarning(const CYolString& text) {
    if (notifications != nullptr)
        notifications->ShowMessage(text, false);
}

void CYolProgramFindUserHost::OpenChat(unsigned int contact) {
    if (CYolWMApp* app = RunningApplication())
        app->OnItemActivated(contact, Protocols::ContactStatusInfo());
}

void CYolProgramFindUserHost::ShowContactDetails(HWND owner, unsigned int contact) {
    CYolWMUI_ContactDetailsDlg::Run(owner, &Services::CServicesManagerImpl::Instance(), contact);
}

bool CYolProgramFindUserHost::AskAddContact(HWND owner, unsigned int account, const CYolArray<unsigned int>& groups,
                                            unsigned int& group, CYolString& login, CYolString& name) {
    auto* model = static_cast<CL::CContactList*>(Services::CServicesManagerImpl::Instance().GetService(ContactListGuid));
    if (model == nullptr || groups.Count() == 0)
        return false;
    CL_UI::CYolWMCL_AddContactDlg dialog(*model, account, groups[0], groups, login, name);
    if (dialog.Run(owner) != 1)
        return false;
    group = dialog.SelectedGroup();
    login = dialog.Login();
    name = dialog.DisplayName();
    return true;
}

int CYolProgramFindUserHost::PopupMenu(HWND owner, const CYolMenuInfo& menu, const RECT& bounds, POINT anchor) {
    CYolWMUI_Menu::TResult result;
    CYolWMUI_Menu::Popup(result, menu, bounds, anchor, CYolWMUI_Menu::ETopLeft, owner, true, false);
    return result.commandId;
}

void CYolProgramFindUserHost::DrawImage(HDC dc, unsigned int imageId, POINT at) {
    if (CYolWMApp* app = RunningApplication())
        app->Tools()->Images().Draw(static_cast<int>(imageId), dc, at, 255);
}

}  // namespace UI
