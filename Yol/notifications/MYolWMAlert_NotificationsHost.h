#pragma once
// What the notifications ask of the rest of the program: the global status,
// whether the program is in front, a contact's name and account, the LED,
// the skin's pictures, the smiley set, the texts of the language in force
// and the browser. The application answers through the core's services; the
// tests answer with a double. Called on the UI thread.

#include "CYolString.h"
#include "PlatformTypes.h"

#include <vector>

namespace Alert {

class MYolWMAlert_NotificationsHost {
public:
    // The global status (account 0); false when it cannot be asked.
    virtual bool GetGlobalStatus(int& status) = 0;
    // The foreground window is the application window or one of its own.
    virtual bool IsProgramActive() = 0;
    // The contact's "CL Alias".
    virtual CYolString ContactAlias(unsigned int contactId) = 0;
    // The display name of the contact's account's protocol, a blank and the
    // account's login.
    virtual CYolString ContactAccount(unsigned int contactId) = 0;
    virtual void BlinkLed(bool on) = 0;
    // Draws skin picture `index` with its top-left corner at (x, y).
    virtual void DrawSkinImage(int index, HDC dc, int x, int y) = 0;
    // The smiley set: false while its loader still runs.
    virtual bool SmileysReady() = 0;
    virtual int SmileyCount() = 0;
    virtual CYolString SmileyPath(int index) = 0;
    virtual std::vector<CYolString> SmileyCodes(int index) = 0;
    virtual CYolString UiString(int id) = 0;
    virtual void OpenAddress(const CYolString& address) = 0;

protected:
    ~MYolWMAlert_NotificationsHost() = default;
};

}  // namespace Alert
