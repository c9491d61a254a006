#pragma once
// Private to the CYolString sources: the shared buffer behind every text and
// the small helpers that more than one of them needs. Nothing outside
// CYolString*.cpp includes this.

#include "CYolString.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>
#include <stdexcept>
#include <string>

// One allocation per text: an 8-byte header (atomic holder count, length in
// units) followed by length + 1 units, the last one 0. The empty text never
// owns a buffer. Only a sole holder may change a buffer in place; everyone
// else builds a new one, so copies never see each other's edits.
struct CYolString::Rep {
    std::atomic<uint32_t> refs;
    uint32_t length;

    char16_t* Units() { return reinterpret_cast<char16_t*>(this + 1); }

    // Large enough for any text a messenger handles, small enough that byte
    // sizes stay far from overflowing an int.
    static constexpr size_t kMaxLength = (INT_MAX / 2) - 64;

    static size_t BytesFor(size_t length) { return sizeof(Rep) + (length + 1) * sizeof(char16_t); }

    // A fresh buffer of `length` units (their content left to the caller)
    // held once; null for length 0.
    static Rep* Make(size_t length) {
        if (length == 0)
            return nullptr;
        if (length > kMaxLength)
            throw std::length_error("CYolString: text too long");
        void* block = std::malloc(BytesFor(length));
        if (!block)
            throw std::bad_alloc();
        Rep* rep = new (block) Rep;
        rep->refs.store(1, std::memory_order_relaxed);
        rep->length = static_cast<uint32_t>(length);
        rep->Units()[length] = 0;
        return rep;
    }

    static Rep* Copy(const char16_t* text, size_t length) {
        Rep* rep = Make(length);
        if (rep)
            std::memcpy(rep->Units(), text, length * sizeof(char16_t));
        return rep;
    }

    // Cuts a buffer that this code alone holds down to `length` units (the
    // decoders allocate for the worst case first).
    static Rep* Shrink(Rep* rep, size_t length) {
        if (!rep)
            return nullptr;
        if (length == 0) {
            std::free(rep);
            return nullptr;
        }
        if (length < rep->length) {
            if (void* smaller = std::realloc(rep, BytesFor(length)))
                rep = static_cast<Rep*>(smaller);
            rep->length = static_cast<uint32_t>(length);
            rep->Units()[length] = 0;
        }
        return rep;
    }

    static void Unref(Rep* rep) {
        if (rep && rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            std::free(rep);
    }

    bool Contains(const char16_t* p) {
        auto first = reinterpret_cast<uintptr_t>(Units());
        auto at = reinterpret_cast<uintptr_t>(p);
        return at >= first && at <= first + length * sizeof(char16_t);
    }

    // Appends to the text of `rep` (whose one reference the caller hands
    // over) and answers the buffer that now holds the result. A sole holder
    // grows in place with room to spare, so appending in a loop stays linear.
    static Rep* Append(Rep* rep, const char16_t* text, size_t count) {
        if (count == 0)
            return rep;
        if (!rep)
            return Copy(text, count);
        size_t total = size_t(rep->length) + count;
        if (total > kMaxLength)
            throw std::length_error("CYolString: text too long");
        if (rep->refs.load(std::memory_order_acquire) == 1 && !rep->Contains(text)) {
            if (malloc_usable_size(rep) < BytesFor(total)) {
                size_t roomy = std::min(kMaxLength, std::max(total, size_t(rep->length) + rep->length / 2 + 8));
                void* bigger = std::realloc(rep, BytesFor(roomy));
                if (!bigger)
                    throw std::bad_alloc();
                rep = static_cast<Rep*>(bigger);
            }
            std::memcpy(rep->Units() + rep->length, text, count * sizeof(char16_t));
            rep->length = static_cast<uint32_t>(total);
            rep->Units()[total] = 0;
            return rep;
        }
        Rep* fresh = Make(total);
        std::memcpy(fresh->Units(), rep->Units(), rep->length * sizeof(char16_t));
        std::memcpy(fresh->Units() + rep->length, text, count * sizeof(char16_t));
        Unref(rep);
        return fresh;
    }
};

namespace YolStringDetail {

template <typename C>
size_t TextLength(const C* text, int length) {
    if (!text || length < -1)
        return 0;
    if (length == -1)
        return std::char_traits<C>::length(text);
    return static_cast<size_t>(length);
}

inline bool IsBlank(unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace YolStringDetail
