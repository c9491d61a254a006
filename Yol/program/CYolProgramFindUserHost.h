#pragma once
// The find-user dialog's way to the rest of the program: the running
// application's chats, its skin pictures and pop-up menu, the add-contact
// and contact-details dialogs, and the "Warning" notification.
//
// UI thread only.

#include "AppPorts.h"
#include "MYolWMUI_FindUserHost.h"

namespace UI {

class CYolProgramFindUserHost final : public MYolWMUI_FindUserHost {
public:
    // `notifications` may be null (no warnings are shown then).
    explicit CYolProgramFindUserHost(MYolWMApp_Notifications* notifications) : notifications(notifications) {}

    void ShowWarning(const CYolString& text) override;
    void OpenChat(unsigned int contact) override;
    void ShowContactDetails(HWND owner, unsigned int contact) override;
    bool AskAddContact(HWND owner, unsigned int account, const CYolArray<unsigned int>& groups, unsigned int& group,
                       CYolString& login, CYolString& name) override;
    int PopupMenu(HWND owner, const CYolMenuInfo& menu, const RECT& bounds, POINT anchor) override;
    void DrawImage(HDC dc, unsigned int imageId, POINT at) override;

private:
    MYolWMApp_Notifications* notifications;
};

} // namespace UI
