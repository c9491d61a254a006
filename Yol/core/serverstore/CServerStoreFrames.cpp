#include "CServerStoreFrames.h"

#include "CMD5.h"
#include "CZip.h"

#include <climits>
#include <cstring>
#include <memory>

namespace ServerStoreWire {

namespace {

uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

uint32_t Get32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void Put16(std::vector<unsigned char>& out, uint16_t v) {
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}

void Put32(std::vector<unsigned char>& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v >> 16));
    Put16(out, static_cast<uint16_t>(v));
}

struct ZipFree {
    void operator()(void* p) const { CZip::Free(p); }
};

}  // namespace

std::vector<unsigned char> EncodeBlock(const unsigned char* payload, size_t length, uint32_t time) {
    if (length > UINT_MAX)
        return {};
    unsigned int size = static_cast<unsigned int>(length);
    std::unique_ptr<void, ZipFree> packed(CZip::Encode(payload, size));
    if (!packed)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(packed.get());
    unsigned char digest[16];
    CMD5::Hash(bytes, size, digest);

    std::vector<unsigned char> out;
    out.reserve(kBlockHeader + size);
    out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
    Put16(out, kVersion);
    Put32(out, time);
    out.insert(out.end(), digest, digest + 16);
    out.insert(out.end(), bytes, bytes + size);
    return out;
}

bool DecodeBlock(const unsigned char* block, size_t length, StoredBlock& out) {
    if (length < 18 || std::memcmp(block, kMagic, sizeof kMagic) != 0)
        return false;
    const unsigned short version = Get16(block + 16);
    const size_t header = version > 2 ? kBlockHeader : kOldBlockHeader;
    if (length < header || length - header > UINT_MAX)
        return false;
    const unsigned char* packed = block + header;
    unsigned int size = static_cast<unsigned int>(length - header);
    unsigned char digest[16];
    CMD5::Hash(packed, size, digest);
    if (std::memcmp(digest, block + header - 16, 16) != 0)
        return false;
    std::unique_ptr<void, ZipFree> data(CZip::Decode(packed, size, kDecodeCap));
    if (!data)
        return false;
    out.version = version;
    out.time = version > 2 ? Get32(block + 18) : 0;
    const auto* bytes = static_cast<const unsigned char*>(data.get());
    out.data.assign(bytes, bytes + size);
    return true;
}

std::vector<StoredBlock> ParseFrames(const unsigned char* body, size_t length) {
    std::vector<StoredBlock> blocks;
    size_t offset = 0;
    while (body != nullptr && length - offset >= kFrameHeader && offset < length) {
        const unsigned short type = Get16(body + offset);
        const uint32_t size = Get32(body + offset + 2);
        offset += kFrameHeader;
        if (size > length - offset)
            break;  // a frame running past the answer: nothing after it can be trusted
        StoredBlock block;
        if ((type == kAccountListFrame || type == kMetaListFrame) && DecodeBlock(body + offset, size, block)) {
            block.type = type;
            blocks.push_back(std::move(block));
        }
        offset += size;
    }
    return blocks;
}

std::vector<unsigned char> Frame(unsigned short type, const std::vector<unsigned char>& block) {
    std::vector<unsigned char> out;
    out.reserve(kFrameHeader + block.size());
    Put16(out, type);
    Put32(out, static_cast<uint32_t>(block.size()));
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

}  // namespace ServerStoreWire
