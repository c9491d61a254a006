// Decoding untrusted bytes as UTF-8, Windows-1251 and raw UTF-16LE, and
// encoding the results again: never fails, never reads past the input, and
// a second round trip changes nothing.

#include "CYolString.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

CYolString Reencoded(const CYolString& text, unsigned int codePage) {
    int length = 0;
    char* bytes = CYolString::Convert(text, codePage, &length);
    if (!text.IsEmpty() && (!bytes || length <= 0))
        std::abort();
    CYolString back(bytes, length, codePage);
    std::free(bytes);
    return back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const int n = static_cast<int>(size);

    // UTF-8: whatever came in, the decoded text is valid and survives.
    CYolString utf8(bytes, n, YOL_CP_UTF8);
    if (utf8.Length() > n || Reencoded(utf8, YOL_CP_UTF8) != utf8)
        std::abort();

    // 1251: every byte is one character; encoding gives the bytes back,
    // except the one hole, which returns as "?".
    CYolString cp1251(bytes, n, YOL_CP_1251);
    if (cp1251.Length() != n)
        std::abort();
    int length = 0;
    char* again = CYolString::Convert(cp1251, YOL_CP_1251, &length);
    if (length != n)
        std::abort();
    for (int i = 0; i < n; ++i)
        if (again[i] != (bytes[i] == '\x98' ? '?' : bytes[i]))
            std::abort();
    std::free(again);

    // Raw UTF-16LE: pairs of bytes, the odd one dropped, lone surrogates
    // and all; it also feeds the UTF-8, 1251 and iconv encoders.
    CYolString wide(bytes, n, YOL_CP_UTF16LE);
    if (wide.Length() != n / 2)
        std::abort();
    char* raw = CYolString::Convert(wide, YOL_CP_UTF16LE, &length);
    if (length != (n & ~1) || (length && std::memcmp(raw, bytes, static_cast<size_t>(length)) != 0))
        std::abort();
    std::free(raw);
    CYolString viaUtf8 = Reencoded(wide, YOL_CP_UTF8);
    if (Reencoded(viaUtf8, YOL_CP_UTF8) != viaUtf8)
        std::abort();
    if (Reencoded(wide, YOL_CP_1251).Length() > wide.Length())
        std::abort();
    char* koi8 = CYolString::Convert(wide, 20866, &length);
    if (!wide.IsEmpty() && !koi8)
        std::abort();
    std::free(koi8);
    CYolString fromKoi8(bytes, n, 20866);
    if (fromKoi8.Length() != n)
        std::abort();
    return 0;
}
