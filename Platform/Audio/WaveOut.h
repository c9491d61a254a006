#pragma once
// Wave output: PCM buffers played in the order they are written, through
// SDL2 audio. A device handle describes one stream in one format; the SDL
// device behind it opens when the first buffer is written, so a handle that
// only waits for its turn holds no output, and closes with the handle. The
// volume (left channel in the low word, right channel in the high word,
// 0xFFFF full) scales the samples as they are handed to SDL.
//
// A finished buffer is marked WHDR_DONE and reported on SDL's audio thread:
// CALLBACK_WINDOW posts MM_WOM_DONE (wParam the handle, lParam the header)
// to the window; CALLBACK_FUNCTION calls the function there and then, and
// the function may only signal someone else.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>

namespace Platform {
struct WaveOut;
}
using HWAVEOUT = Platform::WaveOut*;
using MMRESULT = UINT;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

constexpr UINT WAVE_MAPPER = 0xFFFFFFFF;
constexpr std::uint32_t CALLBACK_NULL = 0x00000000;
constexpr std::uint32_t CALLBACK_WINDOW = 0x00010000;
constexpr std::uint32_t CALLBACK_FUNCTION = 0x00030000;

constexpr UINT MM_WOM_DONE = 0x3BD;
constexpr UINT WOM_DONE = MM_WOM_DONE;

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

constexpr std::uint32_t WHDR_DONE = 0x00000001;
constexpr std::uint32_t WHDR_PREPARED = 0x00000002;
constexpr std::uint32_t WHDR_INQUEUE = 0x00000010;

struct WAVEFORMATEX {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

struct WAVEHDR {
    char* lpData = nullptr;
    std::uint32_t dwBufferLength = 0;
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwLoops = 0;
    WAVEHDR* lpNext = nullptr;
    std::uintptr_t reserved = 0;
};

using WAVEOUTPROC = void (*)(HWAVEOUT, UINT msg, std::uintptr_t instance, std::uintptr_t param1,
                             std::uintptr_t param2);

// One device: the default output.
YOL_API UINT waveOutGetNumDevs();
// Formats: PCM, 8 or 16 bits, one or two channels, with a block alignment
// and byte rate that agree.
YOL_API MMRESULT waveOutOpen(HWAVEOUT* handle, UINT device, const WAVEFORMATEX* format, std::uintptr_t callback,
                             std::uintptr_t instance, std::uint32_t flags);
YOL_API MMRESULT waveOutSetVolume(HWAVEOUT handle, std::uint32_t volume);
YOL_API MMRESULT waveOutGetVolume(HWAVEOUT handle, std::uint32_t* volume);
YOL_API MMRESULT waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR* header, UINT size);
// WAVERR_STILLPLAYING while the buffer is queued.
YOL_API MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, WAVEHDR* header, UINT size);
// The buffer must be prepared and hold whole sample frames.
YOL_API MMRESULT waveOutWrite(HWAVEOUT handle, WAVEHDR* header, UINT size);
// Stops at once: every queued buffer is marked done, without a report.
YOL_API MMRESULT waveOutReset(HWAVEOUT handle);
// WAVERR_STILLPLAYING while buffers are queued.
YOL_API MMRESULT waveOutClose(HWAVEOUT handle);

namespace Platform {

// How many handles are open, for the tests that check nothing is left.
YOL_API int OpenWaveOutCount();

} // namespace Platform
