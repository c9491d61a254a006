#pragma once
// One-shot MD5 digest (RFC 1321), binary. Protocol logins and file checks
// need nothing more; callers that want text use CYolString::ToHex.

#include "YolTypes.h"

class YOL_API CMD5 {
public:
    static constexpr unsigned int DigestLength = 16;

    // Writes the 16-byte digest of `length` bytes at `data` to `digest`.
    // `data` may be null when `length` is 0.
    static void Hash(const void* data, unsigned int length, unsigned char* const digest);
};
