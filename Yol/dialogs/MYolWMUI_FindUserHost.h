#pragma once
// What the find-user dialog asks of the rest of the program beyond the
// core's services: the "Warning" notification, the chat and details of a
// contact, the add-contact dialog, the pop-up menu and the skin's pictures.
// The program answers through the application; the tests with a double.
// Called on the UI thread.

#include "CYolArray.h"
#include "CYolString.h"
#include "PlatformTypes.h"

class CYolMenuInfo;

namespace UI {

class MYolWMUI_FindUserHost {
public:
    virtual void ShowWarning(const CYolString& text) = 0;
    virtual void OpenChat(unsigned int contact) = 0;
    virtual void ShowContactDetails(HWND owner, unsigned int contact) = 0;
    // The add-contact dialog with the login and name filled in; true with
    // the group chosen and the texts as the user left them.
    virtual bool AskAddContact(HWND owner, unsigned int account, const CYolArray<unsigned int>& groups,
                               unsigned int& group, CYolString& login, CYolString& name) = 0;
    // The menu at `anchor` (screen) inside `bounds`; the chosen entry's
    // command id, -1 when none was.
    virtual int PopupMenu(HWND owner, const CYolMenuInfo& menu, const RECT& bounds, POINT anchor) = 0;
    virtual void DrawImage(HDC dc, unsigned int imageId, POINT at) = 0;

protected:
    ~MYolWMUI_FindUserHost() = default;
};

} // namespace UI
