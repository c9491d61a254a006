// Smiley pack definition files ("_define.ini"): any bytes. Parsing never
// reads past the bytes, names no more smileys than there are GIF files, and
// keeps only non-empty codes no longer than the handheld's code buffer.

#include "FuzzSupport.h"
#include "YolWMSmile_Define.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Fuzz::ExactCopy copy(data, size);
    std::uint8_t* bytes = copy.Bytes();
    // The GIF count comes from the first byte, so both limits get exercised.
    const int gifs = size > 0 ? bytes[0] % 64 : 0;
    const auto lines = Smile::ParseSmileDefine(bytes, size, gifs);
    Fuzz::Check(static_cast<int>(lines.size()) <= gifs);
    for (const auto& codes : lines) {
        Fuzz::Check(codes.Count() > 0);
        for (const CYolString& code : codes)
            Fuzz::Check(!code.IsEmpty() && code.Length() <= Smile::kMaxCodeBytes);
    }
    return 0;
}
