#pragma once
// Shell notifications: bubbles with a title, an HTML body and two soft keys
// that report back to a sink window. The shell keeps every notification
// until it is removed; one at a time shows as a bubble over the bottom of
// the screen (the newest that did not ask to go straight to the tray),
// the others wait in the tray. While a bubble shows, F1 / F2 and taps on its
// soft keys post WM_COMMAND with the key's command to the sink window.
// Tests inspect the model through GetShellNotifications.

#include "Drawing/Icon.h"
#include "PlatformTypes.h"
#include "Tray.h"
#include "YOL_GUID.h"
#include "YolTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// Priorities.
constexpr int SHNP_ICONIC = 0;
constexpr int SHNP_INFORM = 1;

// Flags.
constexpr std::uint32_t SHNF_STRAIGHTTOTRAY = 0x0001;
constexpr std::uint32_t SHNF_CRITICAL = 0x0002;
constexpr std::uint32_t SHNF_FORCEMESSAGE = 0x0008;
constexpr std::uint32_t SHNF_DISPLAYON = 0x0010;
constexpr std::uint32_t SHNF_SILENT = 0x0020;

// Soft-key flags: what pressing the key does to the notification besides
// sending its command.
constexpr std::uint32_t NOTIF_SOFTKEY_FLAGS_DISMISS = 0x0000; // removed
constexpr std::uint32_t NOTIF_SOFTKEY_FLAGS_HIDE = 0x0001;    // back to the tray
constexpr std::uint32_t NOTIF_SOFTKEY_FLAGS_STAYOPEN = 0x0002;
constexpr std::uint32_t NOTIF_SOFTKEY_FLAGS_DISABLED = 0x0008;

// Which fields SHNotificationUpdate takes.
constexpr std::uint32_t SHNUM_PRIORITY = 0x0001;
constexpr std::uint32_t SHNUM_DURATION = 0x0002;
constexpr std::uint32_t SHNUM_ICON = 0x0004;
constexpr std::uint32_t SHNUM_HTML = 0x0008;
constexpr std::uint32_t SHNUM_TITLE = 0x0010;
constexpr std::uint32_t SHNUM_SOFTKEYS = 0x0020;
constexpr std::uint32_t SHNUM_FLAGS = 0x0200;

// A duration that lasts until the notification is removed.
constexpr std::uint32_t SHN_DURATION_FOREVER = 0xFFFFFFFF;

// Results.
constexpr LRESULT SHN_OK = 0;
constexpr LRESULT SHN_EXISTS = 1;
constexpr LRESULT SHN_NOT_FOUND = 2;
constexpr LRESULT SHN_INVALID = 3;

struct SOFTKEYNOTIFY {
    const char16_t* pszTitle = nullptr;
    struct {
        WPARAM wpCmd = 0;
        std::uint32_t grfFlags = 0;
    } skc;
};

struct SHNOTIFICATIONDATA {
    std::uint32_t cbSize = sizeof(SHNOTIFICATIONDATA);
    std::uint32_t dwID = 0;
    int npPriority = SHNP_INFORM;
    // Seconds the bubble shows before it goes to the tray.
    std::uint32_t csDuration = SHN_DURATION_FOREVER;
    HICON hicon = nullptr;
    std::uint32_t grfFlags = 0;
    YOL_GUID clsid;
    HWND hwndSink = nullptr;
    const char16_t* pszHTML = nullptr;
    const char16_t* pszTitle = nullptr;
    LPARAM lParam = 0;
    SOFTKEYNOTIFY rgskn[2];
    const char16_t* pszTodaySK = nullptr;
    const char16_t* pszTodayExec = nullptr;
};

// A notification is identified by (clsid, dwID).
YOL_API LRESULT SHNotificationAdd(const SHNOTIFICATIONDATA* data);
YOL_API LRESULT SHNotificationUpdate(std::uint32_t mask, const SHNOTIFICATIONDATA* data);
YOL_API LRESULT SHNotificationRemove(const YOL_GUID* clsid, std::uint32_t id);
// The strings of the answer point into the shell's copy and stay valid until
// the notification changes or goes.
YOL_API LRESULT SHNotificationGetData(const YOL_GUID* clsid, std::uint32_t id, SHNOTIFICATIONDATA* data);

namespace Platform {

struct ShellNotification {
    struct Key {
        std::u16string title;
        WPARAM command = 0;
        std::uint32_t flags = 0;
    };
    YOL_GUID clsid;
    std::uint32_t id = 0;
    int priority = SHNP_INFORM;
    std::uint32_t duration = SHN_DURATION_FOREVER;
    HICON icon = nullptr;  // the handle as given
    IconCopy picture;      // what the bubble shows: the shell's own copy
    std::uint32_t flags = 0;
    HWND sink = nullptr;
    std::u16string html;
    std::u16string title;
    LPARAM lParam = 0;
    Key keys[2];
    std::u16string todayKey;
    std::u16string todayExec;
    // Showing as the bubble now.
    bool bubble = false;
};

YOL_API std::vector<ShellNotification> GetShellNotifications();
// The bubble's window while one shows, else null.
YOL_API HWND GetNotificationBubble();
// The text a bubble shows for an HTML body: tags dropped, line breaks for
// <br> and <p>, the common character references decoded.
YOL_API std::u16string HtmlToText(const std::u16string& html);

} // namespace Platform
