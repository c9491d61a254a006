#pragma once
// Alert::CYolWMAlert_Notifications: the program's notification bubbles
// (incoming messages, contacts coming online, e-mail, new versions, texts,
// offered files, authorization requests) on the shell's notifications. It
// keeps the pending ones, shows one at a time (the lowest kind first), blinks
// its icon and the notification LED, hides bubbles after their time, and
// hands the user's soft-key answers to the observer. One bubble exists at a
// time (id 1001); its soft keys come back as commands to the hidden target
// window "YolNotificationsTargetWindow", whose timers hide (4001) and blink
// (4002).
//
// UI thread only.

#include "CYolString.h"
#include "MYolWMAlert_NotificationsHost.h"
#include "MYolWMAlert_NotificationsObserver.h"
#include "NotificationHtml.h"
#include "PlatformTypes.h"
#include "Shell/ShellNotification.h"
#include "TYolWMPrefs.h"

#include <cstdint>
#include <map>
#include <vector>

namespace Alert {

// The class of every bubble the program shows.
inline constexpr YOL_GUID NotificationsClassGuid{0xA319BA90, 0x7F8A, 0x4BD4, 0xB2, 0xC2,
                                                 0x48, 0x94, 0x8E, 0x0D, 0x16, 0x5B};

enum TNtfKind : int {
    KindNewVersion = 0,
    KindVersionLoaded = 1,
    KindText = 2,
    KindFile = 3,
    KindEmail = 4,
    KindStatus = 5,
    KindAuth = 6,
    KindMessage = 7,
    KindAuthAside = 8,
    KindMessageAside = 9,
};

class CYolWMAlert_Notifications {
public:
    struct SNtf {
        int key = 0;
        int kind = KindText;
        unsigned int contactId = 0;
        int icon = -1;
        CYolString title;
        CYolString body;   // HTML
        CYolString extra;  // the address of an e-mail, the name of a file
    };

    static constexpr std::uint32_t kBubbleId = 1001;
    static constexpr int kHideTimer = 4001;
    static constexpr int kBlinkTimer = 4002;
    static constexpr int kBlinkMs = 500;
    enum Command : int { LeftKey = 1125, RightKey = 1126, SingleKey = 1127 };

    // The preferences and the host outlive the object; the observer may be
    // null (answers go nowhere).
    CYolWMAlert_Notifications(const UI::TYolWMPrefs& prefs, MYolWMAlert_NotificationsHost& host,
                              UI::MYolWMAlert_NotificationsObserver* observer);
    ~CYolWMAlert_Notifications();
    CYolWMAlert_Notifications(const CYolWMAlert_Notifications&) = delete;
    CYolWMAlert_Notifications& operator=(const CYolWMAlert_Notifications&) = delete;

    void ShowIncomingMessage(int key, int icon, unsigned int contactId, const CYolString& text);
    void ShowContactStatus(unsigned int contactId);
    void ShowEmail(const CYolString& text, const CYolString& address);
    void ShowNewVersion(unsigned int version, bool toDownload);
    void ShowMessage(const CYolString& text, bool information);
    void ShowFileRequest(unsigned int contactId, const CYolString& fileName, uint64_t size);
    void ShowAuthRequest(unsigned int contactId, const CYolString& reason);
    void RemoveContact(unsigned int contactId);

    const std::vector<SNtf>& Pending() const { return pending; }
    // The index in Pending of the one on screen; -1 when none.
    int OnScreen() const { return onScreen; }
    HWND TargetWindow() const { return target; }

    // The target window's messages (public for its window procedure).
    void OnTimer(std::uintptr_t id);
    void OnCommand(int command);

private:
    void Add(SNtf ntf);
    void ShowNext();
    void Show(int index);
    void Hide(bool answered);
    void BlinkTick();
    void Erase(int index);
    bool PopsUp(int kind) const;
    HICON Icon(int index);
    CYolString Ui(int id) const;
    std::vector<TSmiley> Smileys() const;
    CYolString MessageHtml(const CYolString& text) const;

    const UI::TYolWMPrefs& prefs;
    MYolWMAlert_NotificationsHost& host;
    UI::MYolWMAlert_NotificationsObserver* observer;
    std::map<int, HICON> icons;
    std::vector<SNtf> pending;
    int onScreen = -1;
    HWND target = nullptr;
    int blinkPhase = 1;
    bool ledBlinking = false;
    std::u16string todayExec;
};

}  // namespace Alert
