#pragma once
// What the contact-list window tells its owner (the application object), and
// what it asks of the rest of the program: the preferences it reads, the
// pop-up menu, the dialogs its item commands open, alerts and the idle
// timer. The application supplies both; tests supply recording doubles.

#include "CYolMenuInfo.h"
#include "CYolString.h"
#include "Drawing/Font.h"
#include "PlatformTypes.h"
#include "ProtocolRecords.h"

namespace CL {
class CYol_CLItem;
}

namespace UI_CL {

class MYolWMCL_CLCtrlObserver {
public:
    virtual void OnItemActivated(unsigned int id, const Protocols::ContactStatusInfo& status) = 0;
    // A digit key: the status bar's cell with that number.
    virtual void OnStatusBarTap(int digit) = 0;
    // Once after a burst of selection moves.
    virtual void OnSelectionChanged(CL::CYol_CLItem* selected) = 0;
    // A long horizontal stroke; distance is signed (negative: to the left).
    virtual void OnShowChats(int clientLeft, int distance) = 0;

protected:
    ~MYolWMCL_CLCtrlObserver() = default;
};

// The entry the user chose in a pop-up menu; command -1 when none.
struct TYolWMCL_MenuChoice {
    YolMenuCallback callback = nullptr;
    int command = -1;
    void* entryContext = nullptr;
    void* menuContext = nullptr;
};

class MYolWMCL_CtrlHost {
public:
    // --- preferences ---
    virtual LOGFONTW ListFont() = 0;      // "CLFont"
    virtual bool DontShowIcons() = 0;     // "CLDontShowIcon"
    virtual bool DontSleep() = 0;         // "GlobDontSleep"
    virtual bool FullScreen() = 0;        // "GlobFullScreen"
    // --- the application ---
    virtual HWND AppWindow() = 0;
    virtual HBRUSH BackgroundBrush() = 0;
    virtual void ResetIdleTimer() = 0;
    // align: 1 puts the menu's top centre on the anchor.
    virtual TYolWMCL_MenuChoice PopupMenu(const CYolMenuInfo& menu, const RECT& bounds, POINT anchor, int align,
                                          HWND owner, bool fullScreen) = 0;
    // --- dialogs; the bool ones answer true on OK ---
    virtual bool AskName(HWND owner, bool groupMode, CYolString& name) = 0;
    virtual void EditAccount(unsigned int account) = 0;
    virtual void AddContact(unsigned int account, unsigned int group) = 0;
    virtual void AddContactFrom(unsigned int account, unsigned int contact) = 0;
    virtual bool ChooseMetaContact(unsigned int current, unsigned int& chosen) = 0;
    virtual void ShowContactDetails(unsigned int contact) = 0;
    virtual bool ChooseFile(HWND owner, const CYolString& mask, CYolString& path) = 0;
    virtual void ShowHistory(unsigned int contact) = 0;
    // --- alerts ---
    virtual void RaiseAlert(int event) = 0;
    virtual void ShowStatusNotification(unsigned int contact) = 0;

protected:
    ~MYolWMCL_CtrlHost() = default;
};

}  // namespace UI_CL
