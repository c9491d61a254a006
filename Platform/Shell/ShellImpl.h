#pragma once
// Inside the shell: what the window and input code ask of it, and the shell
// state a window carries (guarded by the window lock).

#include "PlatformTypes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Platform {

struct ShellNotification;

// Sent by the input code to the window that shows the soft keys when F1
// (wParam 0) or F2 (wParam 1) is pressed.
constexpr UINT WM_SHELL_SOFTKEY = 0x008E;
// Tells a menu bar that the active window changed: it shows only for its
// own window.
constexpr UINT WM_SHELL_SYNCBAR = 0x008F;

struct ShellWindowData {
    // What SHInitDialog was asked for.
    std::uint32_t initFlags = 0;
    // Kept at the size of the screen (less the menu bar) on screen changes.
    bool fullScreen = false;
    // The last SHFullScreen state asked for.
    std::uint32_t fullScreenState = 0;
    HWND menuBar = nullptr;
};

// The window's shell state; made on request, else null when it has none.
std::shared_ptr<ShellWindowData> ShellData(HWND hwnd, bool make);

// The active window changed: only its menu bar shows.
void ShellActivationChanged();
// The window whose soft keys F1 and F2 press now: the shown notification
// bubble, else the active window's menu bar; null when there is none.
HWND SoftKeyWindow();
// The bubble that shows, or null (ShellBubble.cpp).
HWND ShownBubble();
// Makes the bubble window match the model: shown with the notification
// that is the bubble (its duration timer restarted when asked), or gone.
void SyncBubble(bool restartTimer);

// The notification model's side of the bubble (ShellNotification.cpp).
bool BubbleNotification(ShellNotification* out);
void PressBubbleKey(int index);
void BubbleTimedOut();

// Draws two soft-key captions into `strip` as the menu bar does
// (ShellMenuBar.cpp); `pressed` is the key held down, or -1.
void DrawSoftKeys(HDC hdc, const RECT& strip, const std::u16string captions[2], const bool enabled[2], int pressed);

} // namespace Platform
