#pragma once
// What every fuzz target shares: a failed property aborts (so libFuzzer and
// the replay driver both report it), and the parser reads from a heap copy
// of exactly the input's size, so one byte read too far trips the sanitizer.
// Targets of a stream take the input in chunks whose size its first byte
// chooses, and targets of records read every frame with each record.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace Fuzz {

inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}

class ExactCopy {
public:
    ExactCopy(const std::uint8_t* data, std::size_t size)
        : bytes(static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size)))
    {
        if (bytes == nullptr)
            std::abort();
        if (size > 0)
            std::memcpy(bytes, data, size);
    }
    ~ExactCopy() { std::free(bytes); }
    ExactCopy(const ExactCopy&) = delete;
    ExactCopy& operator=(const ExactCopy&) = delete;

    std::uint8_t* Bytes() const { return bytes; }
    char* Chars() const { return reinterpret_cast<char*>(bytes); }

private:
    std::uint8_t* bytes;
};

// `bytes` in pieces of `size` bytes (the last one shorter), for a range for.
class Chunks {
public:
    class Iterator {
    public:
        Iterator(std::string_view bytes, std::size_t size, std::size_t at) : bytes(bytes), size(size), at(at) {}
        std::string_view operator*() const { return bytes.substr(at, size); }
        Iterator& operator++()
        {
            at = std::min(at + size, bytes.size());
            return *this;
        }
        bool operator!=(const Iterator& other) const { return at != other.at; }

    private:
        std::string_view bytes;
        std::size_t size;
        std::size_t at;
    };

    Chunks(std::string_view bytes, std::size_t size) : bytes(bytes), size(size) {}
    Iterator begin() const { return Iterator(bytes, size, 0); }
    Iterator end() const { return Iterator(bytes, size, bytes.size()); }

private:
    std::string_view bytes;
    std::size_t size;
};

// A non-empty input whose first byte chooses the size of the chunks, 1 to
// 64 bytes, the rest arrives in.
struct ChunkedInput {
    ChunkedInput(const std::uint8_t* data, std::size_t size)
        : chunk(std::size_t{1} + data[0] % 64), rest(reinterpret_cast<const char*>(data + 1), size - 1)
    {
    }
    Chunks Pieces() const { return Chunks(rest, chunk); }

    const std::size_t chunk;
    const std::string_view rest;
};

// Reads `frame` with one record; what the record makes of it goes.
template <typename Record>
void Read(std::string_view frame)
{
    Record record;
    record.Unpack(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size());
}

} // namespace Fuzz
