#pragma once
// An owned byte buffer: malloc storage of `capacity` bytes of which the first
// `length` are written. Appending grows the storage, so no writer can run
// past the allocation; lengths stay 32-bit signed like the rest of the
// library's byte counts.

#include "YolTypes.h"

class YOL_API CAutoBuf {
public:
    CAutoBuf() = default;
    // Room for `size` bytes, none written yet. A failed allocation leaves an
    // empty buffer (capacity 0).
    explicit CAutoBuf(int size);
    // A copy of the bytes; length and capacity both `length`.
    CAutoBuf(const unsigned char* data, int length);
    CAutoBuf(const CAutoBuf& other);
    CAutoBuf(CAutoBuf&& other) noexcept;
    ~CAutoBuf();

    CAutoBuf& operator=(const CAutoBuf& other);
    CAutoBuf& operator=(CAutoBuf&& other) noexcept;

    // Drops the old bytes, then copies `length` bytes when data is given.
    // `data` may point into this buffer. False (and an empty buffer) when the
    // copy cannot be made.
    bool copyData(const unsigned char* data, unsigned int length);

    unsigned char* Data() { return data; }
    const unsigned char* Data() const { return data; }
    int Length() const { return length; }
    int Capacity() const { return capacity; }
    bool IsEmpty() const { return length == 0; }

    // Makes the capacity at least `total` bytes, growing geometrically; false
    // when that cannot be allocated or exceeds the 32-bit length.
    bool Reserve(int64_t total);
    // Room for `extra` more bytes after the current length.
    bool EnsureSpace(int64_t extra) { return extra >= 0 && Reserve(int64_t(length) + extra); }
    // Appends n bytes (none when n is 0; bytes may then be null).
    bool Append(const void* bytes, int n);
    // For writers that filled Data() directly: any length up to the capacity.
    bool SetLength(int n);
    // Drops the first n bytes (all when n >= length), keeping the storage.
    void RemoveFront(int n);
    // Length 0, storage kept.
    void Clear() { length = 0; }
    // Frees the storage.
    void Free();
    // Hands the malloc block to the caller (who frees it) and empties this.
    unsigned char* Detach();

private:
    unsigned char* data = nullptr;
    int length = 0;
    int capacity = 0;
};
