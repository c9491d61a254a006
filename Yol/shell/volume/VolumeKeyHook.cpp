#include "VolumeKeyHook.h"

#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowKeys.h"

namespace {

struct VolumeKeyState {
    HWND target = nullptr;
    HHOOK hook = nullptr;
    // The key 0x5C came, and no volume-up press since.
    bool prefix = false;
};

VolumeKeyState g_state;

// Sends the target one scroll step and swallows the key.
LRESULT Scroll(unsigned step) {
    SendMessage(g_state.target, WM_VSCROLL, step, 0);
    return 1;
}

// True when the press is the hook's, with the hook's answer in `answer`;
// false passes it on.
bool HandlePress(unsigned vk, LRESULT& answer) {
    switch (vk) {
    case VK_VOLUME_PREFIX:
        g_state.prefix = true;
        return false;
    case VK_F6:
        if (g_state.prefix) {
            g_state.prefix = false;
            return false;
        }
        answer = Scroll(SB_LINEUP);
        return true;
    case VK_F7:
        answer = Scroll(SB_LINEDOWN);
        return true;
    default:
        return false;
    }
}

}  // namespace

HWND SetVolumeKeyWindow(HWND window) {
    const HWND previous = g_state.target;
    g_state.target = window;
    if (window != nullptr && g_state.hook == nullptr) {
        // The hook belongs to the process, not to a module of it.
        InstallVolumeKeyHook(nullptr, &VolumeKeyHookProc);
    } else if (window == nullptr && g_state.hook != nullptr) {
        RemoveVolumeKeyHook();
    }
    return previous;
}

bool InstallVolumeKeyHook(HINSTANCE instance, HOOKPROC procedure) {
    g_state.hook = SetWindowsHookEx(WH_KEYBOARD_LL, procedure, instance, 0);
    return g_state.hook != nullptr;
}

bool RemoveVolumeKeyHook() {
    if (g_state.hook != nullptr)
        UnhookWindowsHookEx(g_state.hook);
    g_state.hook = nullptr;
    return true;
}

bool IsVolumeKeyHookInstalled() {
    return g_state.hook != nullptr;
}

LRESULT VolumeKeyHookProc(int code, WPARAM message, LPARAM keyRecord) {
    const HWND target = g_state.target;
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(keyRecord);
    LRESULT answer = 0;
    if (code == HC_ACTION && message == WM_KEYDOWN && key != nullptr && IsWindow(target) &&
        IsWindowVisible(target) && HandlePress(key->vkCode, answer))
        return answer;
    return CallNextHookEx(g_state.hook, code, message, keyRecord);
}
