#pragma once
// Keyboard hooks: procedures that see every key press and release before it
// goes anywhere (the soft keys included) and may swallow it. The program's
// volume-key scrolling is one.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>

namespace Platform {
struct Hook;
} // namespace Platform

using HHOOK = Platform::Hook*;
// code HC_ACTION; wParam WM_KEYDOWN or WM_KEYUP; lParam the
// KBDLLHOOKSTRUCT. A non-zero answer swallows the key.
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);

constexpr int WH_KEYBOARD_LL = 20;
constexpr int HC_ACTION = 0;

struct KBDLLHOOKSTRUCT {
    std::uint32_t vkCode = 0;
    std::uint32_t scanCode = 0;
    std::uint32_t flags = 0;
    // The tick count when the key came.
    std::uint32_t time = 0;
    std::uintptr_t dwExtraInfo = 0;
};

// Only WH_KEYBOARD_LL hooks exist; the newest runs first. The hook runs on
// the UI thread that takes the key from the input queue.
YOL_API HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE instance, std::uint32_t threadId);
// Hands the key on to the hook installed before `hook` (null: before the
// hook that is running); 0 after the last.
YOL_API LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
YOL_API bool UnhookWindowsHookEx(HHOOK hook);
