#pragma once
// What the file-transfers window asks of the rest of the program: a
// contact's login, cancelling a transfer at its plug-in, the "Warning"
// notification and the main window. The application answers through the
// core's services (CYolWMUI_FileLoadServices); the tests with a double.
// Called on the UI thread.

#include "CYolString.h"
#include "PlatformTypes.h"

namespace UI {

class MYolWMUI_FileLoadHost {
public:
    // The contact's "SrvLogName".
    virtual CYolString ContactLogin(unsigned int contactId) = 0;
    // Stops the transfer (contact, file name) at the plug-in of the
    // contact's account.
    virtual void CancelTransfer(unsigned int contactId, const CYolString& fileName) = 0;
    virtual void ShowWarning(const CYolString& text) = 0;
    // The parent of the window; may be null.
    virtual HWND MainWindow() = 0;

protected:
    ~MYolWMUI_FileLoadHost() = default;
};

} // namespace UI
