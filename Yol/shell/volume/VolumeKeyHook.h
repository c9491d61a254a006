#pragma once
// Volume-key scrolling: while a message window's history view is shown, the
// two volume keys scroll it a line at a time instead of changing the volume.
// On a desktop keyboard the volume keys are F6 (up) and F7 (down).
//
// One process-wide keyboard hook turns the key presses into WM_VSCROLL
// messages for one target window. The hook exists exactly while a target is
// set. Everything here runs on the UI thread: the hook runs on the thread
// that takes keys from the input queue.

#include "PlatformTypes.h"
#include "WindowSystem/WindowHook.h"

// Sets the window that the volume keys scroll (null: none) and answers the
// one set before. The first target installs the hook, null removes it, and
// a new target while one is set only takes its place.
HWND SetVolumeKeyWindow(HWND window);

// Installs `procedure` as the process's volume-key hook; false when the
// platform refused it.
bool InstallVolumeKeyHook(HINSTANCE instance, HOOKPROC procedure);
// Takes the hook out when there is one; always true.
bool RemoveVolumeKeyHook();
bool IsVolumeKeyHookInstalled();

// The hook: a volume-key press scrolls the target and is swallowed while the
// target exists and is visible. The handheld sends the key 0x5C before a
// volume-up press that is meant for the volume; that press is passed on.
// Releases, other keys, and every key while the target is hidden or gone go
// on to the next hook.
LRESULT VolumeKeyHookProc(int code, WPARAM message, LPARAM keyRecord);
