#pragma once
// The device's power side as the program sees it: power-state notifications
// (a queue the UI thread reads between messages), unattended mode (the
// screen off while the program keeps working), the system power state and
// the power state of named devices, the run-at-time schedule of the
// program's own start and named auto-reset events.
//
// A desktop never sleeps, so this is a model: the state is recorded for the
// program and for tests, notifications come from InjectPowerState, and the
// scheduled start is kept (its time on the current clock, CYolClock) but
// launches nothing. Named events live in this process; a second process that
// waits for one only waits out its time.
//
// Every function may be called from any thread.

#include "CYolTime.h"
#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// PowerPolicyNotify messages.
constexpr std::uint32_t PPN_UNATTENDEDMODE = 0x0003;
// SetSystemPowerState option: switch even when the state is the current one.
constexpr std::uint32_t POWER_FORCE = 0x00001000;
// GetDevicePower flags.
constexpr std::uint32_t POWER_NAME = 0x00000001;
// The notification kind a program asks for.
constexpr std::uint32_t PBT_TRANSITION = 0x00000001;

// Unattended mode is a count of requests, as on the device: each TRUE adds
// one, each FALSE takes one away (never below zero).
YOL_API bool PowerPolicyNotify(std::uint32_t message, std::uint32_t data);

enum CEDEVICE_POWER_STATE : int { PwrDeviceUnspecified = -1, D0 = 0, D1, D2, D3, D4 };

// The system power state's name ("on" unless a test or SetSystemPowerState
// set another), with its terminator, cut to `length` characters; false when
// the buffer is null or empty.
YOL_API bool GetSystemPowerState(char16_t* name, std::uint32_t length, std::uint32_t* flags);
// Moves the system to the named state; false for a null or empty name.
YOL_API bool SetSystemPowerState(const char16_t* name, std::uint32_t stateFlags, std::uint32_t options);
// The named device's state; false for a device that was never named to the
// model and is not "wav1:" (the audio device, always present).
YOL_API bool GetDevicePower(const char16_t* device, std::uint32_t flags, CEDEVICE_POWER_STATE* state);

// Keeps the device from going idle for another period (counted).
YOL_API void SystemIdleTimerReset();

// Schedules the start of `application` at `when` (local time); null `when`
// cancels the schedule of that application.
YOL_API bool CeRunAppAtTime(const char16_t* application, const CYolTime* when);

namespace Platform {

// Power notifications go to the windows that asked for them: each
// InjectPowerState queues the state's name for every such window and posts
// it WM_NULL, so that a loop waiting in GetMessage wakes and reads it.
YOL_API void RequestPowerNotifications(HWND window);
YOL_API void StopPowerNotifications(HWND window);
// The oldest notification queued for the window, without waiting.
YOL_API std::optional<std::u16string> ReadPowerNotification(HWND window);
YOL_API void InjectPowerState(const std::u16string& name);

// For the tests: the system state's name, a device's state, and how often
// GetDevicePower was asked.
YOL_API void SetSystemPowerStateName(const std::u16string& name);
YOL_API std::u16string GetSystemPowerStateName();
YOL_API void SetDevicePowerState(const std::u16string& device, CEDEVICE_POWER_STATE state);
YOL_API int DevicePowerQueries();

YOL_API int UnattendedModeRequests();
YOL_API int IdleTimerResets();
YOL_API bool IsUnattendedMode();

struct ScheduledStart {
    std::u16string application;
    std::int64_t unixTime = 0;
};
// The application's scheduled start, if any.
YOL_API std::optional<ScheduledStart> GetScheduledStart(const std::u16string& application);

// A named auto-reset event. Create makes it or opens the existing one of
// that name; Open only opens (null when there is none). The event stays
// while a handle to it exists.
class YOL_API NamedEvent {
public:
    static std::shared_ptr<NamedEvent> Create(const std::u16string& name);
    static std::shared_ptr<NamedEvent> Open(const std::u16string& name);

    void Set();
    // True when the event was set within the time (and is reset by it).
    bool Wait(std::uint32_t milliseconds);

    struct State;
    explicit NamedEvent(std::shared_ptr<State> state);
    ~NamedEvent();

private:
    std::shared_ptr<State> state;
};

// Puts everything back as a fresh process has it (tests).
YOL_API void ResetPower();

}  // namespace Platform
