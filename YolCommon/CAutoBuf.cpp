#include "CAutoBuf.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

CAutoBuf::CAutoBuf(int size) {
    if (size > 0 && (data = static_cast<unsigned char*>(std::calloc(size_t(size), 1))) != nullptr)
        capacity = size;
}

CAutoBuf::CAutoBuf(const unsigned char* bytes, int n) {
    if (n > 0)
        copyData(bytes, unsigned(n));
}

CAutoBuf::CAutoBuf(const CAutoBuf& other) : CAutoBuf(other.data, other.length) {}

CAutoBuf::CAutoBuf(CAutoBuf&& other) noexcept
    : data(std::exchange(other.data, nullptr)), length(std::exchange(other.length, 0)),
      capacity(std::exchange(other.capacity, 0)) {}

CAutoBuf::~CAutoBuf() { Free(); }

CAutoBuf& CAutoBuf::operator=(const CAutoBuf& other) {
    if (this != &other)
        copyData(other.data, unsigned(other.length));
    return *this;
}

CAutoBuf& CAutoBuf::operator=(CAutoBuf&& other) noexcept {
    if (this != &other) {
        Free();
        data = std::exchange(other.data, nullptr);
        length = std::exchange(other.length, 0);
        capacity = std::exchange(other.capacity, 0);
    }
    return *this;
}

bool CAutoBuf::copyData(const unsigned char* bytes, unsigned int n) {
    unsigned char* fresh = nullptr;
    bool ok = true;
    if (bytes != nullptr && n != 0) {
        if (n <= unsigned(INT_MAX) && (fresh = static_cast<unsigned char*>(std::malloc(n))) != nullptr)
            std::memcpy(fresh, bytes, n);
        else
            ok = false;
    }
    // Freed only after the copy, as the source may lie inside this buffer.
    std::free(data);
    data = fresh;
    length = capacity = fresh ? int(n) : 0;
    return ok;
}

bool CAutoBuf::Reserve(int64_t total) {
    if (total <= capacity)
        return true;
    if (total > INT_MAX)
        return false;
    int64_t grown = int64_t(capacity) * 2;
    if (grown < 64)
        grown = 64;
    if (grown > INT_MAX)
        grown = INT_MAX;
    int64_t size = grown > total ? grown : total;
    auto* fresh = static_cast<unsigned char*>(std::realloc(data, size_t(size)));
    if (fresh == nullptr) {
        // The doubling may be what failed; the exact size may still fit.
        size = total;
        fresh = static_cast<unsigned char*>(std::realloc(data, size_t(size)));
        if (fresh == nullptr)
            return false;
    }
    data = fresh;
    capacity = int(size);
    return true;
}

bool CAutoBuf::Append(const void* bytes, int n) {
    if (n < 0 || (n > 0 && bytes == nullptr))
        return false;
    if (n == 0)
        return true;
    // Appending a slice of this buffer to itself: growing may move it.
    auto src = reinterpret_cast<uintptr_t>(bytes);
    auto base = reinterpret_cast<uintptr_t>(data);
    bool inside = data != nullptr && src >= base && src < base + uintptr_t(capacity);
    if (!EnsureSpace(n))
        return false;
    const void* from = inside ? data + (src - base) : bytes;
    std::memmove(data + length, from, size_t(n));
    length += n;
    return true;
}

bool CAutoBuf::SetLength(int n) {
    if (n < 0 || n > capacity)
        return false;
    length = n;
    return true;
}

void CAutoBuf::RemoveFront(int n) {
    if (n <= 0)
        return;
    if (n >= length) {
        length = 0;
        return;
    }
    std::memmove(data, data + n, size_t(length - n));
    length -= n;
}

void CAutoBuf::Free() {
    std::free(data);
    data = nullptr;
    length = capacity = 0;
}

unsigned char* CAutoBuf::Detach() {
    unsigned char* block = data;
    data = nullptr;
    length = capacity = 0;
    return block;
}
