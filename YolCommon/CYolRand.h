#pragma once
// Random numbers. Two kinds, for two purposes:
//  - Rand: cheap pseudo-random values that only have to differ (message
//    identifiers, request numbers). Predictable by anyone who can guess the
//    seed, so never use it for anything a peer must not guess.
//  - Secure / Secure32: bytes from the kernel's generator for cookies,
//    nonces and session identifiers.

#include "YolTypes.h"

class YOL_API CYolRand {
public:
    static constexpr unsigned int Max = 32767;

    // The next value, 0 to 32,767, of a linear congruential generator of our
    // own (the classic C library one: state * 214013 + 2531011, bits 16-30).
    // Seeded once, on first use, from the tick count of the current clock;
    // safe to call from any thread.
    static unsigned int Rand();

    // Fills `n` bytes at `out` with unpredictable bytes.
    static void Secure(void* out, size_t n);
    static uint32_t Secure32();
};
