#pragma once
// Window timers, on the system's clock (CYolClock), so tests move time with
// a manual clock instead of sleeping.
//
// A timer is identified by (window, id) and belongs to the window's thread.
// It comes due `elapse` ms after it was set and again `elapse` ms after each
// WM_TIMER is taken from the queue (at least USER_TIMER_MINIMUM ms apart);
// missed periods are not made up. 0 ms comes due at once. Setting an
// existing (window, id) re-arms it; destroying the window kills its timers.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>

constexpr std::uint32_t USER_TIMER_MINIMUM = 10;

// Answers the timer id (non-zero), or 0 when the window is not one of the
// calling thread's. With a null window a thread timer is made under a fresh
// id; its WM_TIMER comes with a null window and should carry a TIMERPROC.
YOL_API std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, std::uint32_t elapse, TIMERPROC proc);
// False when there was no such timer.
YOL_API bool KillTimer(HWND hwnd, std::uintptr_t id);
