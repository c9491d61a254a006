#pragma once
// CYolWaveFile: the PCM sound of a RIFF WAVE file, found by walking its
// chunks. "fmt " and "data" may stand anywhere among other chunks (lists,
// facts, cue points); a chunk of odd length is followed by its pad byte.
// Only what plays as it is gets through: uncompressed PCM of 8 or 16 bits in
// one or two channels, whose block alignment and byte rate agree with its
// channels and bits, and whose data is a whole number of sample frames that
// all lie inside the file. Anything else is refused whole, so that nothing
// of a broken file is ever played.

#include "CYolString.h"
#include "YolTypes.h"

#include <cstdint>
#include <vector>

class YOL_API CYolWaveFile {
public:
    // The 16 bytes of the "fmt " chunk that describe PCM.
    struct TFormat {
        std::uint16_t formatTag = 0;
        std::uint16_t channels = 0;
        std::uint32_t samplesPerSec = 0;
        std::uint32_t avgBytesPerSec = 0;
        std::uint16_t blockAlign = 0;
        std::uint16_t bitsPerSample = 0;
    };

    static constexpr std::uint16_t kFormatPcm = 1;
    // Alert sounds last seconds; a bigger file is no sound of ours.
    static constexpr std::int64_t kMaxFileBytes = 16LL * 1024 * 1024;

    // Reads the file at `path` (at most kMaxFileBytes); false when it cannot
    // be read or is refused.
    bool Load(const CYolString& path);
    // The same for bytes in memory.
    bool Parse(const unsigned char* bytes, std::size_t size);

    const TFormat& Format() const { return format; }
    // The sample frames, as the file holds them (little-endian).
    const std::vector<unsigned char>& Samples() const { return samples; }
    std::vector<unsigned char>& Samples() { return samples; }

    // Whether the format is one we play as it is (see above).
    static bool IsPlayable(const TFormat& format);

private:

    TFormat format;
    std::vector<unsigned char> samples;
};
