#include "CYolWaveFile.h"

#include "CByteReader.h"
#include "CYolFile.h"

#include <cstring>

namespace {

bool IsId(const unsigned char* bytes, const char* id)
{
    return std::memcmp(bytes, id, 4) == 0;
}

} // namespace

bool CYolWaveFile::Load(const CYolString& path)
{
    std::vector<unsigned char> bytes;
    if (!CYolFile::ReadAllBytes(path, bytes, kMaxFileBytes)) {
        format = TFormat();
        samples.clear();
        return false;
    }
    return Parse(bytes.data(), bytes.size());
}

bool CYolWaveFile::Parse(const unsigned char* bytes, std::size_t size)
{
    format = TFormat();
    samples.clear();
    if (!bytes || size < 12 || size > static_cast<std::size_t>(kMaxFileBytes))
        return false;
    if (!IsId(bytes, "RIFF") || !IsId(bytes + 8, "WAVE"))
        return false;
    // The RIFF length is often wrong in files in the wild; the file's own
    // end bounds the walk instead.
    CByteReader reader(bytes + 12, static_cast<int>(size - 12));
    bool haveFormat = false;
    const unsigned char* data = nullptr;
    unsigned int dataLength = 0;
    while (reader.Remaining() >= 8) {
        const unsigned char* id = nullptr;
        unsigned int length = 0;
        CByteReader body;
        if (!reader.ReadView(id, 4) || !reader.Read32LE(length) || length > 0x7FFFFFFFu ||
            !reader.ReadSub(body, static_cast<int>(length)))
            return false;
        if (IsId(id, "fmt ")) {
            if (haveFormat)
                return false;
            haveFormat = body.Read16LE(format.formatTag) && body.Read16LE(format.channels) &&
                         body.Read32LE(format.samplesPerSec) && body.Read32LE(format.avgBytesPerSec) &&
                         body.Read16LE(format.blockAlign) && body.Read16LE(format.bitsPerSample);
            if (!haveFormat)
                return false;
        } else if (IsId(id, "data")) {
            if (data)
                return false;
            data = body.Data();
            dataLength = length;
        }
        // The pad byte of an odd chunk may be missing at the very end.
        if ((length & 1) && !reader.AtEnd())
            reader.Skip(1);
    }
    if (!haveFormat || !data || !IsPlayable(format) || dataLength % format.blockAlign != 0)
        return false;
    samples.assign(data, data + dataLength);
    return true;
}

bool CYolWaveFile::IsPlayable(const TFormat& format)
{
    if (format.formatTag != kFormatPcm || format.channels < 1 || format.channels > 2)
        return false;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return false;
    if (format.samplesPerSec == 0 || format.samplesPerSec > 384000)
        return false;
    const unsigned int frame = format.channels * (format.bitsPerSample / 8u);
    return format.blockAlign == frame && format.avgBytesPerSec == frame * format.samplesPerSec;
}
