// A small language pack for the language controller tests: ids 0 and 1,
// stored in Windows-1251 as real packs store them.
#include "CYolString.h"
#include "YolTypes.h"

#include <iterator>

namespace {

#if defined(YOL_TEST_PACK_RUSSIAN)
// "Не в сети", "Общие"
const char* const kTable[] = {"\xCD\xE5\x20\xE2\x20\xF1\xE5\xF2\xE8", "\xCE\xE1\xF9\xE8\xE5"};
#elif defined(YOL_TEST_PACK_GERMAN)
const char* const kTable[] = {"Getrennt", "Allgemein"};
#else
#error "choose the pack's language"
#endif

} // namespace

YOL_EXPORT_C bool MUI_GetString(int id, CYolString& text) {
    if (static_cast<unsigned int>(id) >= std::size(kTable))
        return false;
    text = CYolString(kTable[id], -1, YOL_CP_1251);
    return true;
}
