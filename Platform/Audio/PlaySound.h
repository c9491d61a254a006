#pragma once
// The simple sound function: one WAV file played as it is (no volume of its
// own), through the wave output. One sound at a time: a new one stops the
// one playing, unless SND_NOSTOP asks to give way to it.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>

constexpr std::uint32_t SND_SYNC = 0x0000;
constexpr std::uint32_t SND_ASYNC = 0x0001;
constexpr std::uint32_t SND_NODEFAULT = 0x0002;
constexpr std::uint32_t SND_NOSTOP = 0x0010;
constexpr std::uint32_t SND_FILENAME = 0x00020000;

// `sound` is a file path (SND_FILENAME; nothing else is known here); null
// stops the sound playing. False when the file does not play (there is no
// default sound to fall back on) or, with SND_NOSTOP, when another sound is
// still playing. Without SND_ASYNC it returns when the sound has ended.
YOL_API bool PlaySoundW(const char16_t* sound, HINSTANCE module, std::uint32_t flags);

namespace Platform {

// Waits until the sound PlaySoundW started has ended and lets go of the
// output; at once when none plays.
YOL_API void WaitForPlaySound();

} // namespace Platform
