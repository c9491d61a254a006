#pragma once
// Whole-buffer zlib compression (zlib streams: header and Adler-32 check) for
// the protocols and stores that carry compressed payloads.
//
// `length` is in/out: the input size on entry, the output size on return.
// Results are malloc blocks owned by the caller (release with Free); on any
// failure the result is null and `length` is 0.

#include "YolTypes.h"

class YOL_API CZip {
public:
    // Decoded output larger than this is refused: a few hundred bytes of
    // peer data must not make us allocate gigabytes.
    static constexpr unsigned int DefaultDecodeCap = 64u * 1024u * 1024u;

    // Level 9, into a block of compressBound(length) bytes.
    static void* Encode(const void* data, unsigned int& length);

    // Fails on truncated or corrupt input, on a preset dictionary, and when
    // the output would exceed `cap` bytes. Bytes after the end of the stream
    // are ignored.
    static void* Decode(const void* data, unsigned int& length);
    static void* Decode(const void* data, unsigned int& length, unsigned int cap);

    // Null is ignored.
    static void Free(void* buffer);
};
