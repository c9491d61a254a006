// The simple sound function over the wave output.

#include "PlaySound.h"

#include "CYolWaveFile.h"
#include "WaveOut.h"

#include <condition_variable>
#include <mutex>

namespace {

// The one sound of PlaySoundW. `done` is set on the audio thread under `m`
// alone; callers take `serial` for everything else, so closing the output
// (which waits for the audio thread) never holds the lock that thread needs.
struct SimpleSound {
    std::mutex serial;
    std::mutex m;
    std::condition_variable ended;
    bool done = true;
    HWAVEOUT out = nullptr;
    WAVEHDR header;
    CYolWaveFile wave;
};

SimpleSound& TheSound()
{
    static SimpleSound* sound = new SimpleSound;
    return *sound;
}

void OnDone(HWAVEOUT, UINT, std::uintptr_t, std::uintptr_t, std::uintptr_t)
{
    SimpleSound& sound = TheSound();
    {
        std::lock_guard<std::mutex> lock(sound.m);
        sound.done = true;
    }
    sound.ended.notify_all();
}

bool IsDone(SimpleSound& sound)
{
    std::lock_guard<std::mutex> lock(sound.m);
    return sound.done;
}

void SetDone(SimpleSound& sound, bool done)
{
    std::lock_guard<std::mutex> lock(sound.m);
    sound.done = done;
}

// With `sound.serial` held.
void Release(SimpleSound& sound)
{
    if (sound.out) {
        waveOutReset(sound.out);
        waveOutUnprepareHeader(sound.out, &sound.header, sizeof(WAVEHDR));
        waveOutClose(sound.out);
        sound.out = nullptr;
    }
    SetDone(sound, true);
}

bool Start(SimpleSound& sound)
{
    const CYolWaveFile::TFormat& f = sound.wave.Format();
    WAVEFORMATEX format{f.formatTag, f.channels, f.samplesPerSec, f.avgBytesPerSec, f.blockAlign, f.bitsPerSample, 0};
    if (waveOutOpen(&sound.out, 0, &format, reinterpret_cast<std::uintptr_t>(&OnDone), 0, CALLBACK_FUNCTION) !=
        MMSYSERR_NOERROR) {
        sound.out = nullptr;
        return false;
    }
    // The output reads the samples in place; they stay put until Release.
    std::vector<unsigned char>& samples = sound.wave.Samples();
    sound.header = WAVEHDR();
    sound.header.lpData = reinterpret_cast<char*>(samples.data());
    sound.header.dwBufferLength = static_cast<std::uint32_t>(samples.size());
    SetDone(sound, false);
    if (waveOutPrepareHeader(sound.out, &sound.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveOutWrite(sound.out, &sound.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        Release(sound);
        return false;
    }
    return true;
}

} // namespace

bool PlaySoundW(const char16_t* name, HINSTANCE, std::uint32_t flags)
{
    SimpleSound& sound = TheSound();
    {
        std::lock_guard<std::mutex> lock(sound.serial);
        if (name && (flags & SND_NOSTOP) && !IsDone(sound))
            return false;
        Release(sound);
        if (!name)
            return true;
        if (!(flags & SND_FILENAME) || !sound.wave.Load(CYolString(name)) || !Start(sound))
            return false;
    }
    if (!(flags & SND_ASYNC))
        Platform::WaitForPlaySound();
    return true;
}

namespace Platform {

void WaitForPlaySound()
{
    SimpleSound& sound = TheSound();
    std::lock_guard<std::mutex> serial(sound.serial);
    {
        std::unique_lock<std::mutex> lock(sound.m);
        sound.ended.wait(lock, [&] { return sound.done; });
    }
    Release(sound);
}

} // namespace Platform
