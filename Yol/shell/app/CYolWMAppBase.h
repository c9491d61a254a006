#pragma once
// UI::CYolWMAppBase: the program's main window and its message loop. It
// registers the window class, makes the main window with its menu bar and
// two soft keys, hands every window message to a virtual slot of the
// derived application, reads the power notifications between messages, and
// keeps the program to one running copy per user and program folder.
//
// Runs on the UI thread (the thread that calls InitInstance), except
// OnInstanceCommand, which runs on the single-instance listener's thread.

#include "CYolString.h"
#include "PlatformTypes.h"
#include "Shell/Shell.h"

#include <memory>
#include <string>

namespace Platform {
class SingleInstance;
}

namespace UI {

// What the entry function knows of the start.
struct TYolWMStartRecord {
    HINSTANCE instance = nullptr;
    const char16_t* className = u"YOLWM_APPLICATION_CLASS";
    const char16_t* title = u"Yol PDA";
    int showCommand = 5;  // SW_SHOW
    // The program folder, which names the single-instance socket; empty for
    // an application that shares its process (tests) and needs none.
    std::string instanceKey;
};

// Menu bar and soft keys of the main window.
inline constexpr int kMainMenuBarId = 165;
inline constexpr int kLeftSoftKey = 32823;
inline constexpr int kRightSoftKey = 32825;
// Another start asked for the window: bring it forward.
inline constexpr UINT kMsgBringForward = 0x0400 + 90;

class CYolWMAppBase {
public:
    explicit CYolWMAppBase(TYolWMStartRecord* start);
    virtual ~CYolWMAppBase();
    CYolWMAppBase(const CYolWMAppBase&) = delete;
    CYolWMAppBase& operator=(const CYolWMAppBase&) = delete;

    // False when the program must end at once with code 1 (a scheduled
    // wake-up start, another copy running, no window).
    bool InitInstance(const CYolString& commandLine);
    // Until WM_QUIT; answers its code.
    int RunMessageLoop();

    HWND GetWindow() const { return window; }
    HWND GetMenuBar() const { return menuBar; }
    const TYolWMStartRecord& StartRecord() const { return *start; }

    // The time a wake-up start waits for the running copy's signal.
    static constexpr std::uint32_t kWakeUpWaitMs = 1000;

protected:
    virtual void OnCreate() {}
    virtual void OnSetFocus() {}
    virtual void OnSize(int, int) {}
    virtual void OnCommand(int, int, HWND) {}
    virtual void OnCreated() {}
    virtual void OnActivate(WPARAM, LPARAM) {}
    virtual void OnSettingChange(WPARAM, LPARAM) {}
    virtual void OnClose() {}
    // The main window is gone (WM_DESTROY), before the quit message.
    virtual void OnDestroyed() {}
    // Zero: the message is answered 0 and the default procedure skipped.
    virtual int OnMessage(UINT, WPARAM, LPARAM) { return 1; }
    virtual void OnPowerState(const CYolString&) {}
    // A line from a later start of the program; answers its reply.
    virtual std::string OnInstanceCommand(const std::string& line);

    // Brings the main window and the windows it owns forward.
    void BringForward();
    // Later starts are no longer answered; the derived destructor calls it
    // first, so that no answer reaches a half-destroyed application.
    void StopInstanceListener();

private:
    static LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnWmCreate(HWND hwnd);
    bool ClaimSingleInstance();
    static void WaitForWakeUp();

    TYolWMStartRecord* start;
    HWND window = nullptr;
    HWND menuBar = nullptr;
    SHACTIVATEINFO activation{};
    bool classRegistered = false;
    std::unique_ptr<Platform::SingleInstance> instance;
};

}  // namespace UI
