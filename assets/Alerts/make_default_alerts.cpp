// Synthesises the default alert pack's sounds: one short sine chirp per
// alert event, written as 16-bit mono PCM WAV files into the folder given on
// the command line. Each event has its own sweep so that they tell apart by
// ear: rising for what arrives, falling for what leaves, a double beep for
// warnings.
//
//   make_default_alerts <output folder>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kRate = 22050;
constexpr double kPeak = 0.6 * 32767;
// Fade in and out over this long, so that no chirp starts or ends in a click.
constexpr double kFadeSeconds = 0.01;

struct Chirp {
    double from;     // Hz at the start
    double to;       // Hz at the end
    double seconds;  // of one beep
    int beeps;       // separated by a pause as long as one beep
};

struct Sound {
    const char* file;
    Chirp chirp;
};

// In event order; the names are those of the pack's "_alerts.ini".
const Sound kSounds[] = {
    {"incoming.wav", {660, 1320, 0.18, 1}},
    {"sent.wav", {1200, 700, 0.12, 1}},
    {"online.wav", {520, 880, 0.15, 1}},
    {"warning.wav", {880, 660, 0.10, 2}},
    {"email.wav", {990, 1480, 0.10, 2}},
    {"file.wav", {440, 990, 0.22, 1}},
    {"complete.wav", {784, 1568, 0.16, 1}},
};

std::vector<std::int16_t> Synthesise(const Chirp& chirp) {
    const auto beep = static_cast<std::size_t>(chirp.seconds * kRate);
    std::vector<std::int16_t> samples;
    for (int n = 0; n < chirp.beeps; ++n) {
        if (n > 0)
            samples.insert(samples.end(), beep, 0);
        double phase = 0;
        for (std::size_t i = 0; i < beep; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double frequency = chirp.from + (chirp.to - chirp.from) * t / chirp.seconds;
            phase += 2 * kPi * frequency / kRate;
            const double fade = std::min({1.0, t / kFadeSeconds, (chirp.seconds - t) / kFadeSeconds});
            samples.push_back(static_cast<std::int16_t>(std::lround(kPeak * fade * std::sin(phase))));
        }
    }
    return samples;
}

void Put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(value >> 16));
}

// The canonical 44-byte header: "RIFF", "WAVE", a 16-byte "fmt " chunk and
// the "data" chunk, so that any reader finds the samples at byte 44.
std::string WaveFile(const std::vector<std::int16_t>& samples) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    Put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    out += "data";
    Put32(out, dataBytes);
    for (std::int16_t sample : samples)
        Put16(out, static_cast<std::uint16_t>(sample));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_default_alerts <output folder>\n");
        return 2;
    }
    for (const Sound& sound : kSounds) {
        const std::string path = std::string(argv[1]) + "/" + sound.file;
        const std::string bytes = WaveFile(Synthesise(sound.chirp));
        std::FILE* file = std::fopen(path.c_str(), "wb");
        bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (file != nullptr)
            written = std::fclose(file) == 0 && written;
        if (!written) {
            std::fprintf(stderr, "make_default_alerts: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
