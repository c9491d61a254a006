#pragma once
// What the message window asks of its owner, the application: everything
// that leaves the window (sending, the contact's menu entries and
// sub-contacts, details, typing notices, tabs read and selected). The tab
// id is the contact or meta-contact id of the tab.
//
// UI thread only.

#include "CYolArray.h"
#include "CYolMenuInfo.h"
#include "CYolString.h"
#include "TYolWMMWMsg.h"

namespace MW {
class CYolWMMW_Controller;
}

namespace UI {

class MYolWMMW_Observer {
public:
    // Non-zero when the text was accepted: the editor is emptied.
    virtual int OnSendMessage(MW::CYolWMMW_Controller* controller, unsigned int tab, const CYolString& text) = 0;
    virtual int OnSendFile(MW::CYolWMMW_Controller* controller, unsigned int tab, const CYolString& path) = 0;
    // The contact's and account's own entries, put first in the chat menu.
    virtual int OnFillMenu(MW::CYolWMMW_Controller* controller, unsigned int tab, CYolMenuInfo* menu) = 0;
    // Empty for a plain contact.
    virtual void GetSubContacts(MW::CYolWMMW_Controller* controller, unsigned int tab, CYolArray<unsigned int>& ids,
                                CYolArray<CYolString>& names, CYolArray<CYolArray<unsigned int>>& icons) = 0;
    // The user has seen the tab.
    virtual void OnTabActivated(MW::CYolWMMW_Controller* controller, unsigned int tab) = 0;
    virtual void OnShowContactDetails(MW::CYolWMMW_Controller* controller, unsigned int contact) = 0;
    // 0 typing, 1 paused.
    virtual int OnTypingNotify(MW::CYolWMMW_Controller* controller, unsigned int tab, int state) = 0;
    virtual int OnTabSelected(MW::CYolWMMW_Controller* controller, unsigned int tab) = 0;
    // A tab closed before the user saw these lines: the owner keeps them
    // for the next time the chat opens.
    virtual void OnTabClosedUnread(MW::CYolWMMW_Controller* controller, unsigned int tab,
                                   const CYolArray<MW::TYolWMMWMsg>& lines) = 0;

protected:
    ~MYolWMMW_Observer() = default;
};

} // namespace UI
