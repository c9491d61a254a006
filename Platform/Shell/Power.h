#pragma once
// Power management: the system power state by name and the power state of
// named devices. A desktop never sleeps, so the system is "on" and every
// device in D0 unless a test puts them elsewhere.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <string>

// SetSystemPowerState options.
constexpr std::uint32_t POWER_FORCE = 0x00001000;
// GetDevicePower flags.
constexpr std::uint32_t POWER_NAME = 0x00000001;

enum CEDEVICE_POWER_STATE : int { PwrDeviceUnspecified = -1, D0 = 0, D1, D2, D3, D4 };

// Copies the state's name (with its terminator) into `name`, cut to
// `length` characters; false when the buffer is null or empty.
YOL_API bool GetSystemPowerState(char16_t* name, std::uint32_t length, std::uint32_t* flags);
// Moves the system to the named state; false for a null or empty name.
YOL_API bool SetSystemPowerState(const char16_t* name, std::uint32_t stateFlags, std::uint32_t options);
// The named device's state; false for a device that was never named to
// the model and is not "wav1:" (the audio device, always present).
YOL_API bool GetDevicePower(const char16_t* device, std::uint32_t flags, CEDEVICE_POWER_STATE* state);

namespace Platform {

// For the tests: the system state's name, a device's state, and how often
// GetDevicePower was asked since the last reset.
YOL_API void SetSystemPowerStateName(const std::u16string& name);
YOL_API std::u16string GetSystemPowerStateName();
YOL_API void SetDevicePowerState(const std::u16string& device, CEDEVICE_POWER_STATE state);
YOL_API int DevicePowerQueries();
// Everything "on" and in D0 again.
YOL_API void ResetPower();

} // namespace Platform
