// Skin colour files ("_colors.ini"): any bytes. A parse either fails or
// fills all 33 colours with six-digit values, and a table written out parses
// back to itself.

#include "FuzzSupport.h"
#include "SkinColors.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Fuzz::ExactCopy copy(data, size);
    char* text = copy.Chars();
    Skins::TSkinColorTable table;
    std::memset(table, 0xFF, sizeof table);
    if (Skins::ParseColorScheme(text, size, table)) {
        for (COLORREF colour : table)
            Fuzz::Check(colour <= 0xFFFFFF);
        const std::string written = Skins::FormatColorScheme(table);
        Skins::TSkinColorTable again;
        Fuzz::Check(Skins::ParseColorScheme(written.data(), written.size(), again));
        Fuzz::Check(std::memcmp(table, again, sizeof table) == 0);
    }
    return 0;
}
