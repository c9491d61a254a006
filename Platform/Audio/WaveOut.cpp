// Wave output over SDL2 audio.

#include "WaveOut.h"

#include "CYolWaveFile.h"
#include "WindowSystem/MessageQueue.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <vector>

namespace Platform {

struct WaveOut {
    std::mutex m;
    WAVEFORMATEX format;
    std::uint32_t callbackKind = CALLBACK_NULL;
    std::uintptr_t callback = 0;
    std::uintptr_t instance = 0;
    std::uint32_t volume = 0xFFFFFFFF;
    SDL_AudioDeviceID device = 0;
    std::deque<WAVEHDR*> queue;
    std::uint32_t position = 0; // into the front buffer
};

} // namespace Platform

using Platform::WaveOut;

namespace {

// Small enough that a short alert starts at once.
constexpr Uint16 kSdlBufferFrames = 512;

struct Handles {
    std::mutex m;
    std::set<WaveOut*> open;
};

Handles& TheHandles()
{
    static Handles* handles = new Handles;
    return *handles;
}

bool IsOpen(HWAVEOUT handle)
{
    Handles& handles = TheHandles();
    std::lock_guard<std::mutex> lock(handles.m);
    return handle && handles.open.count(handle) != 0;
}

bool IsPlayable(const WAVEFORMATEX& f)
{
    return CYolWaveFile::IsPlayable(CYolWaveFile::TFormat{f.wFormatTag, f.nChannels, f.nSamplesPerSec,
                                                          f.nAvgBytesPerSec, f.nBlockAlign, f.wBitsPerSample});
}

std::uint32_t ChannelVolume(std::uint32_t volume, unsigned channel)
{
    return channel == 0 ? (volume & 0xFFFF) : (volume >> 16);
}

// Copies `bytes` bytes of whole samples, scaled by the channel volumes;
// `sample` counts samples from the buffer's start, to tell the channels.
void CopyScaled(const WAVEFORMATEX& f, std::uint32_t volume, const unsigned char* from, unsigned char* to,
                std::uint32_t bytes, std::uint32_t sample)
{
    const unsigned width = f.wBitsPerSample / 8u;
    for (std::uint32_t i = 0; i < bytes; i += width, ++sample) {
        const std::int32_t level = static_cast<std::int32_t>(ChannelVolume(volume, sample % f.nChannels));
        if (width == 1) {
            const std::int32_t centred = static_cast<std::int32_t>(from[i]) - 128;
            to[i] = static_cast<unsigned char>(centred * level / 0xFFFF + 128);
        } else {
            const auto value = static_cast<std::int16_t>(from[i] | (from[i + 1] << 8));
            const auto scaled = static_cast<std::uint16_t>(static_cast<std::int16_t>(value * level / 0xFFFF));
            to[i] = static_cast<unsigned char>(scaled & 0xFF);
            to[i + 1] = static_cast<unsigned char>(scaled >> 8);
        }
    }
}

void Report(WaveOut& out, WAVEHDR* header)
{
    if (out.callbackKind == CALLBACK_WINDOW)
        PostMessage(reinterpret_cast<HWND>(out.callback), MM_WOM_DONE, reinterpret_cast<WPARAM>(&out),
                    reinterpret_cast<LPARAM>(header));
    else if (out.callbackKind == CALLBACK_FUNCTION && out.callback)
        reinterpret_cast<WAVEOUTPROC>(out.callback)(&out, WOM_DONE, out.instance,
                                                    reinterpret_cast<std::uintptr_t>(header), 0);
}

// SDL's audio thread: fills the stream from the queue, silence after it.
void Fill(void* user, Uint8* stream, int length)
{
    auto& out = *static_cast<WaveOut*>(user);
    std::vector<WAVEHDR*> finished;
    auto wanted = static_cast<std::uint32_t>(length);
    {
        std::lock_guard<std::mutex> lock(out.m);
        const unsigned width = out.format.wBitsPerSample / 8u;
        while (wanted > 0 && !out.queue.empty()) {
            WAVEHDR* header = out.queue.front();
            const std::uint32_t take = std::min(wanted, header->dwBufferLength - out.position);
            CopyScaled(out.format, out.volume, reinterpret_cast<const unsigned char*>(header->lpData) + out.position,
                       stream, take, out.position / width);
            stream += take;
            wanted -= take;
            out.position += take;
            if (out.position == header->dwBufferLength) {
                header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
                out.queue.pop_front();
                out.position = 0;
                finished.push_back(header);
            }
        }
        std::memset(stream, out.format.wBitsPerSample == 8 ? 0x80 : 0, wanted);
    }
    for (WAVEHDR* header : finished)
        Report(out, header);
}

bool OpenDevice(WaveOut& out)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(out.format.nSamplesPerSec);
    want.format = out.format.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(out.format.nChannels);
    want.samples = kSdlBufferFrames;
    want.callback = &Fill;
    want.userdata = &out;
    // SDL converts to whatever the hardware takes; we hand it the file's own
    // format.
    SDL_AudioSpec have{};
    out.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (out.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

} // namespace

UINT waveOutGetNumDevs()
{
    return 1;
}

MMRESULT waveOutOpen(HWAVEOUT* handle, UINT device, const WAVEFORMATEX* format, std::uintptr_t callback,
                     std::uintptr_t instance, std::uint32_t flags)
{
    if (!handle || !format)
        return MMSYSERR_INVALPARAM;
    if (device != 0 && device != WAVE_MAPPER)
        return MMSYSERR_BADDEVICEID;
    if (!IsPlayable(*format))
        return WAVERR_BADFORMAT;
    const std::uint32_t kind = flags & 0x00070000;
    if (kind != CALLBACK_NULL && kind != CALLBACK_WINDOW && kind != CALLBACK_FUNCTION)
        return MMSYSERR_INVALPARAM;
    auto* out = new WaveOut;
    out->format = *format;
    out->callbackKind = kind;
    out->callback = callback;
    out->instance = instance;
    Handles& handles = TheHandles();
    std::lock_guard<std::mutex> lock(handles.m);
    handles.open.insert(out);
    *handle = out;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutSetVolume(HWAVEOUT handle, std::uint32_t volume)
{
    if (!IsOpen(handle))
        return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> lock(handle->m);
    handle->volume = volume;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetVolume(HWAVEOUT handle, std::uint32_t* volume)
{
    if (!IsOpen(handle))
        return MMSYSERR_INVALHANDLE;
    if (!volume)
        return MMSYSERR_INVALPARAM;
    std::lock_guard<std::mutex> lock(handle->m);
    *volume = handle->volume;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR* header, UINT size)
{
    if (!IsOpen(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR) || (!header->lpData && header->dwBufferLength))
        return MMSYSERR_INVALPARAM;
    std::lock_guard<std::mutex> lock(handle->m);
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, WAVEHDR* header, UINT size)
{
    if (!IsOpen(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    std::lock_guard<std::mutex> lock(handle->m);
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT handle, WAVEHDR* header, UINT size)
{
    if (!IsOpen(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    std::unique_lock<std::mutex> lock(handle->m);
    if (!(header->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE || header->dwBufferLength % handle->format.nBlockAlign != 0)
        return MMSYSERR_INVALPARAM;
    // The callback cannot run before the device is unpaused below.
    if (!handle->device && !OpenDevice(*handle))
        return MMSYSERR_ERROR;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    handle->queue.push_back(header);
    const SDL_AudioDeviceID device = handle->device;
    lock.unlock();
    SDL_PauseAudioDevice(device, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT handle)
{
    if (!IsOpen(handle))
        return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> lock(handle->m);
    for (WAVEHDR* header : handle->queue)
        header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    handle->queue.clear();
    handle->position = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT handle)
{
    if (!IsOpen(handle))
        return MMSYSERR_INVALHANDLE;
    {
        std::lock_guard<std::mutex> lock(handle->m);
        if (!handle->queue.empty())
            return WAVERR_STILLPLAYING;
    }
    {
        Handles& handles = TheHandles();
        std::lock_guard<std::mutex> lock(handles.m);
        handles.open.erase(handle);
    }
    // Joins SDL's audio thread, so no callback runs on the handle after this.
    if (handle->device) {
        SDL_CloseAudioDevice(handle->device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    delete handle;
    return MMSYSERR_NOERROR;
}

namespace Platform {

int OpenWaveOutCount()
{
    Handles& handles = TheHandles();
    std::lock_guard<std::mutex> lock(handles.m);
    return static_cast<int>(handles.open.size());
}

} // namespace Platform
