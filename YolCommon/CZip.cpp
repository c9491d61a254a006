#include "CZip.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

void* CZip::Encode(const void* data, unsigned int& length)
{
    const uLong bound = compressBound(length);
    auto* out = static_cast<Bytef*>(std::malloc(bound));
    uLongf outLength = bound;
    if (out == nullptr
        || compress2(out, &outLength, static_cast<const Bytef*>(data), length, Z_BEST_COMPRESSION) != Z_OK
        || outLength > UINT_MAX) {
        std::free(out);
        length = 0;
        return nullptr;
    }
    length = static_cast<unsigned int>(outLength);
    return out;
}

void* CZip::Decode(const void* data, unsigned int& length)
{
    return Decode(data, length, DefaultDecodeCap);
}

namespace {

// Inflates into a buffer that doubles as needed, never past `cap`. The first
// guess (4x the input) fits most payloads in one pass.
unsigned char* Inflate(z_stream& zs, unsigned int inLength, unsigned int cap, size_t& produced)
{
    size_t capacity = std::min<size_t>(cap, std::max<size_t>(4096, static_cast<size_t>(inLength) * 4));
    auto* buffer = static_cast<unsigned char*>(std::malloc(capacity ? capacity : 1));
    produced = 0;
    if (buffer == nullptr)
        return nullptr;

    for (;;) {
        if (produced == capacity) {
            if (capacity == cap) {
                // Full at the cap: the stream may still owe only its check
                // value. One spare byte tells "ends here" from "more output".
                unsigned char spare;
                zs.next_out = &spare;
                zs.avail_out = 1;
                if (inflate(&zs, Z_NO_FLUSH) == Z_STREAM_END && zs.avail_out == 1)
                    return buffer;
                break;
            }
            const size_t grown = std::min<size_t>(cap, capacity * 2);
            auto* bigger = static_cast<unsigned char*>(std::realloc(buffer, grown));
            if (bigger == nullptr)
                break;
            buffer = bigger;
            capacity = grown;
        }
        zs.next_out = buffer + produced;
        zs.avail_out = static_cast<uInt>(capacity - produced);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        produced = capacity - zs.avail_out;
        if (rc == Z_STREAM_END)
            return buffer;
        // Z_BUF_ERROR here means no progress was possible: the input ran out
        // before the stream ended.
        if (rc != Z_OK || (zs.avail_in == 0 && zs.avail_out != 0))
            break;
    }
    std::free(buffer);
    return nullptr;
}

} // namespace

void* CZip::Decode(const void* data, unsigned int& length, unsigned int cap)
{
    const unsigned int inLength = length;
    length = 0;
    if (data == nullptr || inLength == 0)
        return nullptr;

    z_stream zs{};
    zs.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(data));
    zs.avail_in = inLength;
    if (inflateInit(&zs) != Z_OK)
        return nullptr;

    size_t produced = 0;
    unsigned char* buffer = Inflate(zs, inLength, cap, produced);
    inflateEnd(&zs);
    if (buffer == nullptr)
        return nullptr;

    // Give back what doubling over-reserved; a failed shrink keeps the block.
    if (auto* fitted = static_cast<unsigned char*>(std::realloc(buffer, produced ? produced : 1)))
        buffer = fitted;
    length = static_cast<unsigned int>(produced);
    return buffer;
}

void CZip::Free(void* buffer)
{
    std::free(buffer);
}
