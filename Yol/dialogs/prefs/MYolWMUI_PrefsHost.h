#pragma once
// What the preferences dialog and its panes ask of the program around them:
// the core's services (protocols manager, sockets service, the contact
// list's anti-spam switches, the server store's sync flag), the skin's
// pictures, the alert preview and the LEDs, the file browser and the
// dialogs of other parts. The program gives the real ones; tests give
// recording doubles.
//
// UI thread only.

#include "CYolString.h"
#include "PlatformTypes.h"
#include "TYolWMAlertSettings.h"

namespace Protocols {
class CProtocolsManager;
}
namespace Sockets {
class CSocketsManager;
}

namespace UI {

class MYolWMUI_PrefsHost {
public:
    // Null when the core is not there: the panes then show and change
    // nothing of it.
    virtual Protocols::CProtocolsManager* ProtocolsManager() = 0;
    virtual Sockets::CSocketsManager* SocketsManager() = 0;

    // The server store's "sync accounts" flag.
    virtual bool GetSyncAccounts() = 0;
    virtual void SetSyncAccounts(bool on) = 0;

    // The contact list's anti-spam switches and texts, which are in force
    // there (the preferences only keep a copy).
    // Whether contacts not in the list may write.
    virtual bool GetMsgsFromNotInList() = 0;
    virtual void SetMsgsFromNotInList(bool accept) = 0;
    virtual void SetAntispamEnable(bool on) = 0;
    virtual void SetAntispamQuestion(const CYolString& text) = 0;
    virtual void SetAntispamAnswer(const CYolString& text) = 0;
    virtual void SetAntispamConfirm(const CYolString& text) = 0;

    // Draws a skin picture stretched into the rectangle.
    virtual void DrawImage(int imageId, HDC dc, const RECT& box) = 0;
    // Plays one alert event's settings at once, whatever the switches say.
    virtual void PreviewAlert(const Alert::TYolWMAlertSettings& settings) = 0;
    virtual unsigned int LedCount() = 0;
    // The file browser in open mode; false when nothing was chosen.
    virtual bool ChooseFile(HWND owner, const CYolString& mask, CYolString& path) = 0;
    // The message windows' own settings dialog; false when the program has
    // no message windows.
    virtual bool RunMessageWindowSettings(HWND owner) = 0;

    // After the account-settings dialog ended with OK: the account re-reads
    // its settings, and the account list is stored locally and on the server.
    virtual void AccountSettingsAccepted(unsigned int account) = 0;
    // A newly added account whose settings were accepted goes to the status
    // the other accounts are in (online when none is connected), so it
    // connects without a restart.
    virtual void ConnectNewAccount(unsigned int account) = 0;

protected:
    ~MYolWMUI_PrefsHost() = default;
};

} // namespace UI
