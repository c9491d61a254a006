#include "CYolWMAlert_Sound.h"

#include "Audio/PlaySound.h"
#include "CYolWMAlert_PowerWake.h"
#include "CYolWaveFile.h"
#include "TYolWMPrefs.h"

#include <algorithm>

namespace Alert {

CYolWMAlert_Sound::CYolWMAlert_Sound(const UI::TYolWMPrefs& prefs) : prefs(prefs) {}

CYolWMAlert_Sound::~CYolWMAlert_Sound()
{
    Release(std::move(playing));
    while (!queue.empty()) {
        Release(std::move(queue.front()));
        queue.pop_front();
    }
}

std::uint32_t CYolWMAlert_Sound::OutputVolume(unsigned int alertVolume)
{
    const auto level = static_cast<std::uint32_t>(std::min(alertVolume, 10u) * 6553.5);
    return level | (level << 16);
}

void CYolWMAlert_Sound::PlayEvent(TYolWMAlertEvent event)
{
    if (event < 0 || event >= prefs.Alerts.Count())
        return;
    const TYolWMAlertSettings& settings = prefs.Alerts[event];
    if (settings.soundOn)
        PlaySound(settings.sound);
}

void CYolWMAlert_Sound::PlaySound(const CYolString& path)
{
    CYolWMAlert_PowerWake::WakeAudio();
    if (!prefs.AlertAdvancedSound) {
        PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_NOSTOP | SND_NODEFAULT | SND_ASYNC);
        return;
    }
    PlayAdvanced(path);
}

void CYolWMAlert_Sound::PlayAdvanced(const CYolString& path)
{
    CYolWaveFile wave;
    if (!wave.Load(path))
        return;
    const CYolWaveFile::TFormat& f = wave.Format();
    const WAVEFORMATEX format{f.formatTag, f.channels, f.samplesPerSec, f.avgBytesPerSec,
                              f.blockAlign, f.bitsPerSample, 0};
    auto sound = std::make_unique<TSound>();
    const UINT devices = waveOutGetNumDevs();
    for (UINT device = 0; device < devices && !sound->out; ++device) {
        if (waveOutOpen(&sound->out, device, &format, reinterpret_cast<std::uintptr_t>(m_hWnd), 0,
                        CALLBACK_WINDOW) != MMSYSERR_NOERROR)
            sound->out = nullptr;
    }
    if (!sound->out)
        return;
    waveOutSetVolume(sound->out, OutputVolume(prefs.AlertVol));
    sound->samples = std::move(wave.Samples());
    sound->header.lpData = reinterpret_cast<char*>(sound->samples.data());
    sound->header.dwBufferLength = static_cast<std::uint32_t>(sound->samples.size());
    if (waveOutPrepareHeader(sound->out, &sound->header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        waveOutClose(sound->out);
        return;
    }
    queue.push_back(std::move(sound));
    ServeQueue();
}

void CYolWMAlert_Sound::ServeQueue()
{
    while (!playing && !queue.empty()) {
        playing = std::move(queue.front());
        queue.pop_front();
        if (waveOutWrite(playing->out, &playing->header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
            Release(std::move(playing));
    }
}

int CYolWMAlert_Sound::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != MM_WOM_DONE)
        return CYolWMUI_Wnd::OnMessage(msg, wParam, lParam);
    // Only the sound that plays can finish; anything else is stale.
    if (playing && reinterpret_cast<HWAVEOUT>(wParam) == playing->out &&
        reinterpret_cast<WAVEHDR*>(lParam) == &playing->header) {
        Release(std::move(playing));
        ServeQueue();
    }
    return 0;
}

void CYolWMAlert_Sound::Release(std::unique_ptr<TSound> sound)
{
    if (!sound)
        return;
    waveOutReset(sound->out);
    waveOutUnprepareHeader(sound->out, &sound->header, sizeof(WAVEHDR));
    waveOutClose(sound->out);
}

} // namespace Alert
