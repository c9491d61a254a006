#pragma once
// The file-transfers window's host over the core's services, and the
// answers to an offered file: every action goes to the plug-in of the
// contact's account through the protocols manager, which finds the
// transfer by contact and file name.
//
// UI thread only.

#include "MYolWMUI_FileLoadHost.h"

#include <functional>

namespace Services {
class CServicesManager;
}

namespace UI {

class CYolWMUI_FileLoadServices : public MYolWMUI_FileLoadHost {
public:
    using TWarning = std::function<void(const CYolString& text)>;

    // The services manager outlives the object; `warning` shows a "Warning"
    // notification (empty: none shown).
    CYolWMUI_FileLoadServices(Services::CServicesManager& services, HWND mainWindow, TWarning warning);

    // The user takes an offered file into `targetPath` / turns it down.
    // False when the contact's account or the protocols manager is not
    // there; the command is posted to the account.
    bool AcceptOffer(unsigned int contactId, const CYolString& fileName, const CYolString& targetPath);
    bool DeclineOffer(unsigned int contactId, const CYolString& fileName);

    CYolString ContactLogin(unsigned int contactId) override;
    void CancelTransfer(unsigned int contactId, const CYolString& fileName) override;
    void ShowWarning(const CYolString& text) override;
    HWND MainWindow() override { return m_mainWindow; }

private:
    Services::CServicesManager& m_services;
    HWND m_mainWindow;
    TWarning m_warning;
};

} // namespace UI
