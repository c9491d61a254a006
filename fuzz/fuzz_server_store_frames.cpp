// The storage server's answer on arbitrary bytes: the header block read
// within its caps, and the frames of a read answer walked with bounds. A
// second pass puts the right digest into every block that carries the magic,
// so that the expansion behind the digest check is fuzzed as well. Every
// block that comes out must be one that its frame held, and must encode and
// decode back to the same data.

#include "CMD5.h"
#include "CServerStoreFrames.h"
#include "CServerStoreHttp.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace ServerStoreWire;

namespace {

void Check(const std::vector<StoredBlock>& blocks) {
    for (const StoredBlock& b : blocks) {
        if (b.type != kAccountListFrame && b.type != kMetaListFrame)
            std::abort();
        if (b.data.size() > kDecodeCap)
            std::abort();
        const auto again = EncodeBlock(b.data.data(), b.data.size(), b.time);
        StoredBlock round;
        if (!DecodeBlock(again.data(), again.size(), round) || round.data != b.data || round.time != b.time)
            std::abort();
    }
}

// Walks the frames as the reader does and fixes the digest of each block
// that starts with the magic.
std::vector<unsigned char> FixDigests(const uint8_t* data, size_t size) {
    std::vector<unsigned char> body(data, data + size);
    size_t offset = 0;
    while (size - offset >= kFrameHeader) {
        const uint32_t length = (uint32_t(body[offset + 2]) << 24) | (uint32_t(body[offset + 3]) << 16) |
                                (uint32_t(body[offset + 4]) << 8) | uint32_t(body[offset + 5]);
        offset += kFrameHeader;
        if (length > size - offset)
            break;
        unsigned char* block = body.data() + offset;
        if (length >= 18 && std::memcmp(block, kMagic, sizeof kMagic) == 0) {
            const size_t header = ((block[16] << 8) | block[17]) > 2 ? kBlockHeader : kOldBlockHeader;
            if (length >= header)
                CMD5::Hash(block + header, static_cast<unsigned int>(length - header), block + header - 16);
        }
        offset += length;
    }
    return body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Response r = ParseResponse(data, size);
    if (r.complete && (r.bodyOffset > size || r.key.size() > kMaxChangeKey))
        std::abort();

    // Fed in chunks whose sizes come from the data, under small caps.
    ResponseBuffer buffer(64, 4096);
    for (size_t pos = 0; pos < size;) {
        const size_t chunk = 1 + data[pos] % 97;
        const size_t n = chunk < size - pos ? chunk : size - pos;
        if (!buffer.Append(data + pos, n))
            break;
        pos += n;
    }
    if (buffer.Bytes().size() > 4096 || (!buffer.Overflowed() && buffer.Bytes().size() != size && size <= 4096))
        std::abort();

    Check(ParseFrames(data, size));
    if (r.complete)
        Check(ParseFrames(data + r.bodyOffset, size - r.bodyOffset));
    const auto fixed = FixDigests(data, size);
    Check(ParseFrames(fixed.data(), fixed.size()));
    return 0;
}
