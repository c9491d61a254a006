// Smiley pack definition files ("_define.ini"): any bytes. Parsing never
// reads past the bytes, names no more smileys than there are GIF files, and
// keeps only non-empty codes no longer than the handheld's code buffer.

#include "YolWMSmile_Define.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that reading one byte too far trips the sanitizer.
    auto* bytes = static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0)
        std::memcpy(bytes, data, size);
    // The GIF count comes from the first byte, so both limits get exercised.
    const int gifs = size > 0 ? bytes[0] % 64 : 0;
    const auto lines = Smile::ParseSmileDefine(bytes, size, gifs);
    Check(static_cast<int>(lines.size()) <= gifs);
    for (const auto& codes : lines) {
        Check(codes.Count() > 0);
        for (const CYolString& code : codes)
            Check(!code.IsEmpty() && code.Length() <= Smile::kMaxCodeBytes);
    }
    std::free(bytes);
    return 0;
}
