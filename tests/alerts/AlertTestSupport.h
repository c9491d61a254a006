#pragma once
// What the alert suites share: WAV files built chunk by chunk, SDL's disk
// audio driver writing what plays into a file per test, preferences filled
// by hand, and a window fixture on the manual clock with the device models
// put back afterwards.

#include "Shell/Leds.h"
#include "Shell/Power.h"
#include "TYolWMAlertEvent.h"
#include "TYolWMPrefs.h"
#include "WindowTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace alerts_test {

using Bytes = std::vector<unsigned char>;

inline void Put16(Bytes& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
inline void Put32(Bytes& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One chunk; `declared` overrides the length field (to lie about it).
inline Bytes Chunk(const char* id, const Bytes& body, long long declared = -1) {
    Bytes out(id, id + 4);
    Put32(out, declared < 0 ? static_cast<unsigned>(body.size()) : static_cast<unsigned>(declared));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 && declared < 0)
        out.push_back(0);
    return out;
}

inline Bytes Fmt(unsigned channels, unsigned rate, unsigned bits, unsigned tag = 1) {
    Bytes body;
    Put16(body, tag);
    Put16(body, channels);
    Put32(body, rate);
    Put32(body, rate * channels * bits / 8);
    Put16(body, channels * bits / 8);
    Put16(body, bits);
    return Chunk("fmt ", body);
}

inline Bytes Riff(const std::vector<Bytes>& chunks) {
    Bytes body{'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    return Chunk("RIFF", body);
}

// A 16-bit tone: `frames` frames of `channels` samples, left and right
// apart so that a swapped or unscaled channel shows.
inline Bytes Tone16(unsigned frames, unsigned channels, double hz, unsigned rate = 22050) {
    Bytes out;
    for (unsigned i = 0; i < frames; ++i)
        for (unsigned c = 0; c < channels; ++c) {
            const double level = c == 0 ? 30000.0 : -20000.0;
            Put16(out, static_cast<unsigned>(static_cast<int>(level * std::sin(6.2831853 * hz * i / rate)) & 0xFFFF));
        }
    return out;
}

inline Bytes Tone8(unsigned frames, double hz, unsigned rate = 11025) {
    Bytes out;
    for (unsigned i = 0; i < frames; ++i)
        out.push_back(static_cast<unsigned char>(128 + static_cast<int>(120 * std::sin(6.2831853 * hz * i / rate))));
    return out;
}

// The samples as the volume (0..0xFFFF per channel) should make them,
// worked out here independently of the player.
inline Bytes Scaled16(const Bytes& samples, unsigned channels, unsigned left, unsigned right) {
    Bytes out;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        const int v = static_cast<std::int16_t>(samples[i] | (samples[i + 1] << 8));
        const long long level = ((i / 2) % channels == 0) ? left : right;
        Put16(out, static_cast<unsigned>(static_cast<int>(v * level / 65535) & 0xFFFF));
    }
    return out;
}

inline Bytes Scaled8(const Bytes& samples, unsigned level) {
    Bytes out;
    for (unsigned char s : samples)
        out.push_back(static_cast<unsigned char>((static_cast<int>(s) - 128) * static_cast<long long>(level) / 65535 +
                                                 128));
    return out;
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
}

// Whether what was played holds `sound` right after nothing but silence
// (`quiet` bytes, whole frames of `frame` bytes): an output may play a
// quiet buffer or two before the sound reaches it.
inline bool PlayedAfterSilence(const Bytes& played, const Bytes& sound, size_t frame, unsigned char quiet = 0) {
    for (size_t at = 0; at + sound.size() <= played.size(); at += frame) {
        if (std::equal(sound.begin(), sound.end(), played.begin() + static_cast<std::ptrdiff_t>(at)))
            return true;
        if (std::any_of(played.begin() + static_cast<std::ptrdiff_t>(at),
                        played.begin() + static_cast<std::ptrdiff_t>(at + frame),
                        [quiet](unsigned char b) { return b != quiet; }))
            return false;
    }
    return false;
}

// A folder of its own per test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "yol-alerts-XXXXXX").string();
        path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

// What SDL plays goes to the disk driver's file; the short delay keeps it
// well ahead of real time without filling the disk with silence.
inline void UseDiskAudio(const std::string& file) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
}

inline CYolString Wide(const std::string& text) {
    return CYolString(std::u16string(text.begin(), text.end()).c_str());
}

// Seven events that alert, with sound off and no vibration; tests switch
// on what they look at.
inline void FillAlerts(UI::TYolWMPrefs& prefs) {
    prefs.Alerts.Clear();
    for (int i = 0; i < Alert::EAlertEventCount; ++i)
        prefs.Alerts.Add(Alert::TYolWMAlertSettings{true, false, CYolString(), 0});
}

// An LED change as (tick from the test's start, led, mode).
struct Change {
    std::uint64_t at;
    UINT led;
    int mode;
    bool operator==(const Change&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Change& c) {
    return out << "{" << c.at << ", led " << c.led << ", mode " << c.mode << "}";
}

class AlertWindowTest : public ui_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Platform::ResetLeds();
        Platform::ResetPower();
        UseDiskAudio(folder / "played.raw");
        parent = Make(parentLog);
        FillAlerts(prefs);
    }
    void TearDown() override {
        Platform::ResetLeds();
        Platform::ResetPower();
        WindowTest::TearDown();
    }

    std::vector<Change> LedChanges() const {
        std::vector<Change> out;
        for (const Platform::LedChange& c : Platform::GetLedChanges())
            out.push_back({c.tick - start, c.settings.LedNum, c.settings.OffOnBlink});
        return out;
    }
    // Moves the clock in steps of `step` ms, dispatching what comes due.
    void Run(std::uint64_t ms, std::uint64_t step = 50) {
        for (std::uint64_t done = 0; done < ms; done += step) {
            clock.Advance(step);
            Platform::PumpMessages();
        }
    }

    TempFolder folder;
    ui_test::Recorder parentLog;
    HWND parent = nullptr;
    UI::TYolWMPrefs prefs;
    const std::uint64_t start = clock.TickCount64();
};

} // namespace alerts_test
