// Skin colour files ("_colors.ini"): any bytes. A parse either fails or
// fills all 33 colours with six-digit values, and a table written out parses
// back to itself.

#include "SkinColors.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that reading one byte too far trips the sanitizer.
    char* text = static_cast<char*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0)
        std::memcpy(text, data, size);
    Skins::TSkinColorTable table;
    std::memset(table, 0xFF, sizeof table);
    if (Skins::ParseColorScheme(text, size, table)) {
        for (COLORREF colour : table)
            Check(colour <= 0xFFFFFF);
        const std::string written = Skins::FormatColorScheme(table);
        Skins::TSkinColorTable again;
        Check(Skins::ParseColorScheme(written.data(), written.size(), again));
        Check(std::memcmp(table, again, sizeof table) == 0);
    }
    std::free(text);
    return 0;
}
