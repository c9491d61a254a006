#pragma once
// A host of the find-user dialog for the suites of the plug-ins' search
// pages: it opens a result's details through the test's function (none: it
// does nothing) and answers every other request as a user who declines.

#include "CYolMenuInfo.h"
#include "MYolWMUI_FindUserHost.h"

#include <functional>

namespace dialogs_test {

class DetailsHost final : public UI::MYolWMUI_FindUserHost {
public:
    std::function<void(HWND, unsigned int)> details;

    void ShowWarning(const CYolString&) override {}
    void OpenChat(unsigned int) override {}
    void ShowContactDetails(HWND owner, unsigned int contact) override {
        if (details)
            details(owner, contact);
    }
    bool AskAddContact(HWND, unsigned int, const CYolArray<unsigned int>&, unsigned int&, CYolString&,
                       CYolString&) override {
        return false;
    }
    int PopupMenu(HWND, const CYolMenuInfo&, const RECT&, POINT) override { return -1; }
    void DrawImage(HDC, unsigned int, POINT) override {}
};

}  // namespace dialogs_test
