#pragma once
// The stored-data block, the unit the storage server keeps, and the frames
// that carry blocks in a read answer. All integers big-endian.
//
// Block:
//   16 bytes  kMagic
//    2 bytes  version (we write kVersion)
//    4 bytes  time of the save, unix seconds; only when version > 2
//   16 bytes  MD5 of the compressed data that follows
//   the rest  the data, zlib-compressed
// Frame of a read answer: type (2 bytes; kAccountListFrame or
// kMetaListFrame), length of the block (4 bytes), the block.
//
// Reading never trusts a length: a frame that runs past the answer ends the
// walk, a block that fails a check is skipped, and expanded data is capped.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ServerStoreWire {

inline constexpr unsigned char kMagic[16] = {0x6D, 0xCE, 0xE0, 0xCE, 0x47, 0x09, 0x4D, 0x76,
                                             0x80, 0xBB, 0x4B, 0x1A, 0x07, 0x35, 0xB7, 0x30};
inline constexpr unsigned short kVersion = 8;
inline constexpr unsigned short kAccountListFrame = 0x8001;
inline constexpr unsigned short kMetaListFrame = 0x8002;
inline constexpr size_t kFrameHeader = 6;
// Header of a block of version <= 2 and of a later one.
inline constexpr size_t kOldBlockHeader = 34;
inline constexpr size_t kBlockHeader = 38;
// The stored lists are a few kilobytes; nothing legitimate expands past this.
inline constexpr unsigned int kDecodeCap = 16u * 1024u * 1024u;

// A block of our version for the payload saved at `time`; empty when the
// payload cannot be compressed.
std::vector<unsigned char> EncodeBlock(const unsigned char* payload, size_t length, uint32_t time);

struct StoredBlock {
    unsigned short type = 0;
    unsigned short version = 0;
    uint32_t time = 0;  // 0 for version <= 2
    std::vector<unsigned char> data;  // expanded
};

// One block (without its frame head): false when it is too short for its
// header, has another magic, fails its digest or does not expand.
bool DecodeBlock(const unsigned char* block, size_t length, StoredBlock& out);

// The good blocks of a read answer's body, in frame order, typed by their
// frames; frames of other types are skipped.
std::vector<StoredBlock> ParseFrames(const unsigned char* body, size_t length);

// A frame around a block (the scripted peers' and the tests' side).
std::vector<unsigned char> Frame(unsigned short type, const std::vector<unsigned char>& block);

}  // namespace ServerStoreWire
