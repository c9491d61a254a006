#pragma once
// One-shot SHA-1 digest (RFC 3174), binary: the five state words most
// significant byte first.

#include "YolTypes.h"

class YOL_API CSHA1 {
public:
    static constexpr unsigned int DigestLength = 20;

    // Writes the 20-byte digest of `length` bytes at `data` to `digest`.
    // `data` may be null when `length` is 0.
    static void Hash(const void* data, unsigned int length, unsigned char* const digest);
};
