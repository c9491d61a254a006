// Decodes arbitrary bytes as a zlib stream; whatever decodes must encode and
// decode back to itself.
#include "CZip.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    // A small cap keeps each run fast; the cap logic is the same at any size.
    const unsigned int cap = 1u << 20;
    unsigned int length = static_cast<unsigned int>(size);
    void* decoded = CZip::Decode(data, length, cap);
    if (decoded == nullptr) {
        if (length != 0)
            std::abort();
        return 0;
    }
    if (length > cap)
        std::abort();

    unsigned int packedLength = length;
    void* packed = CZip::Encode(decoded, packedLength);
    if (packed == nullptr)
        std::abort();
    unsigned int againLength = packedLength;
    void* again = CZip::Decode(packed, againLength, cap);
    if (again == nullptr || againLength != length || std::memcmp(again, decoded, length) != 0)
        std::abort();
    CZip::Free(again);
    CZip::Free(packed);
    CZip::Free(decoded);
    return 0;
}
