#pragma once
// A find-user dialog's host for tests that look only at the search: it
// shows, opens and asks nothing.

#include "MYolWMUI_FindUserHost.h"

namespace dialogs_test {

class NoFindUserHost final : public UI::MYolWMUI_FindUserHost {
public:
    void ShowWarning(const CYolString&) override {}
    void OpenChat(unsigned int) override {}
    void ShowContactDetails(HWND, unsigned int) override {}
    bool AskAddContact(HWND, unsigned int, const CYolArray<unsigned int>&, unsigned int&, CYolString&,
                       CYolString&) override
    {
        return false;
    }
    int PopupMenu(HWND, const CYolMenuInfo&, const RECT&, POINT) override { return -1; }
    void DrawImage(HDC, unsigned int, POINT) override {}
};

} // namespace dialogs_test
