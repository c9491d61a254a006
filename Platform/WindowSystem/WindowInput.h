#pragma once
// User input as the back-ends (and the tests) hand it in: the stylus, keys
// and typed characters, in screen coordinates. Any thread may inject; the
// events wait in one input queue and become window messages when the UI
// thread takes them, so that capture and focus are those of that moment.
//
// Stylus presses go to the window that has the capture, else to the window
// under the pen; moves count only while the pen is down. A second tap on a
// CS_DBLCLKS window within DoubleClickTime and SM_CXDOUBLECLK gives
// WM_LBUTTONDBLCLK. A press held without moving more than SM_CXDRAG for
// TapAndHoldDelay gives WM_CONTEXTMENU to the pressed window. Keys go to the
// focus window (the active window when none has the focus), except the soft
// keys F1 and F2, which the shell turns into its menu bar's commands.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <string_view>

namespace Platform {

// Milliseconds a press must be held for tap-and-hold, normally and when the
// long delay is asked for (SHRecognizeGesture).
constexpr std::uint32_t TapAndHoldDelay = 500;
constexpr std::uint32_t TapAndHoldLongDelay = 1000;

YOL_API void InjectPenDown(POINT screen);
YOL_API void InjectPenMove(POINT screen);
YOL_API void InjectPenUp(POINT screen);
// Down and up at one point.
YOL_API void InjectTap(POINT screen);

// `character` is what the key types (TranslateMessage turns it into
// WM_CHAR); 0 for none.
YOL_API void InjectKeyDown(unsigned vk, char16_t character = 0);
YOL_API void InjectKeyUp(unsigned vk);
// Down and up, typing what the key types by itself (Enter, Tab, Backspace,
// Escape, Space; nothing for the others).
YOL_API void InjectKey(unsigned vk);
// Typed text without keys (an input method, non-Latin text): one WM_CHAR
// per UTF-16 unit.
YOL_API void InjectText(std::u16string_view text);

// Drops input not yet taken and forgets the pen and key state (tests).
YOL_API void ResetInput();

} // namespace Platform
