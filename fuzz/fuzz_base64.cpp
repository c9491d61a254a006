// Base64Decode on untrusted text, 8-bit and wide: never reads past the
// text, and whatever it accepts encodes back to the same bytes.

#include "CYolString.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void CheckRoundTrip(const char* decoded, int length) {
    if (!decoded) {
        if (length != 0)
            std::abort();
        return;
    }
    if (length <= 0 || decoded[length] != 0)
        std::abort();
    int textLength = length;
    char* text = CYolString::Base64Encode(decoded, textLength);
    int again = 0;
    char* back = CYolString::Base64Decode(text, again);
    if (again != length || std::memcmp(back, decoded, static_cast<size_t>(length)) != 0)
        std::abort();
    std::free(back);
    std::free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string narrow(reinterpret_cast<const char*>(data), size);  // adds the terminator
    int length = -1;
    char* decoded = CYolString::Base64Decode(narrow.c_str(), length);
    CheckRoundTrip(decoded, length);
    std::free(decoded);

    std::u16string wide(size / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    length = -1;
    decoded = CYolString::Base64Decode(wide.c_str(), length);
    CheckRoundTrip(decoded, length);
    std::free(decoded);

    // The wide encoder goes through UTF-8; its output must decode cleanly.
    length = static_cast<int>(wide.size());
    char* text = CYolString::Base64Encode(wide.c_str(), length);
    if (text) {
        int bytes = 0;
        char* back = CYolString::Base64Decode(text, bytes);
        if (!back)
            std::abort();
        std::free(back);
    }
    std::free(text);
    return 0;
}
