// Identifier text: SetString either takes the whole text or changes nothing,
// and what it takes prints back as the same text in upper case.
#include "CYolString.h"
#include "YOL_GUID.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 4096)
        return 0;
    // The first byte picks the reading: one unit per byte finds the braced
    // form quickly, UTF-16LE pairs reach every code unit.
    std::u16string units;
    if (data[0] & 1) {
        for (size_t i = 1; i + 1 < size; i += 2)
            units.push_back(char16_t(data[i] | data[i + 1] << 8));
    } else {
        for (size_t i = 1; i < size; ++i)
            units.push_back(char16_t(data[i]));
    }

    const YOL_GUID before(0x01234567, 0x89AB, 0xCDEF, 1, 2, 3, 4, 5, 6, 7, 8);
    YOL_GUID id = before;
    if (!id.SetString(units.data(), int(units.size()))) {
        if (id != before)
            abort();
        return 0;
    }
    std::u16string upper = units;
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'f')
            c = char16_t(c - u'a' + u'A');
    CYolString text = id.GetString();
    if (text.ToU16() != upper)
        abort();
    YOL_GUID again;
    if (!again.SetString(text) || again != id || again < id || id < again)
        abort();
    return 0;
}
