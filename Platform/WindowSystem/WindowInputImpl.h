#pragma once
// Inside input: the input queue and the pen's state. Lock order: the input
// lock may be held while taking the window lock and the queue locks, never
// the other way round; no window procedure runs under it.

#include "MessageQueue.h"
#include "WindowInput.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace Platform {

struct RawInput {
    enum class Kind { PenDown, PenMove, PenUp, KeyDown, KeyUp, Char };
    Kind kind = Kind::PenDown;
    POINT pt;
    unsigned vk = 0;
    char16_t ch = 0;
    std::uint64_t time = 0;
    std::uint64_t seq = 0;
    // The keyboard hooks have seen this key.
    bool hooked = false;
};

// The state that translating input changes.
struct PenState {
    bool down = false;
    // Tap-and-hold: armed by a press, fired or dropped later.
    bool holdArmed = false;
    HWND holdTarget = nullptr;
    POINT holdPoint;
    std::uint64_t holdDeadline = 0;
    // The last press, for double taps.
    HWND lastDown = nullptr;
    std::uint64_t lastDownTime = 0;
    POINT lastDownPoint;
    // Soft keys whose press the shell took; their release is swallowed.
    bool softKeyDown[2] = {false, false};
    bool keys[256] = {};
};

struct InputState {
    std::mutex m;
    std::deque<RawInput> events;
    std::uint64_t nextSeq = 0;
    PenState pen;
};

InputState& Input();

// Turns the next input for the calling thread into a message (the input
// lock must not be held). Also fires a due tap-and-hold.
bool TakeInput(std::thread::id thread, MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove);
// The tick at which a tap-and-hold comes due, if one is armed.
bool NextInputDeadline(std::uint64_t* due);

// The keyboard hooks (WindowHook.cpp); run without the input lock. True when
// a hook swallowed the key.
bool KeyboardHooksInstalled();
bool RunKeyboardHooks(const RawInput& key);

} // namespace Platform
