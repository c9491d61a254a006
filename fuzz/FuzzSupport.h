#pragma once
// What every fuzz target shares: a failed property aborts (so libFuzzer and
// the replay driver both report it), and the parser reads from a heap copy
// of exactly the input's size, so one byte read too far trips the sanitizer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

} // namespace Fuzz
