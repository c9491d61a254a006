// A language pack: one table of texts in code page 1251, entry i translating
// string id i of its component, answered through the one export the language
// controller binds. The table comes from the pack's UTF-8 source, converted
// at build time (make_pack_table); each pack compiles this file with its own.
#include "CYolString.h"
#include "YolTypes.h"

#include <iterator>

namespace {

#include YOL_PACK_TABLE

}  // namespace

YOL_EXPORT_C bool MUI_GetString(int id, CYolString& text) {
    // Taken as unsigned, a negative id lies beyond the table as well.
    if (static_cast<unsigned int>(id) >= std::size(kTable) || kTable[id] == nullptr)
        return false;
    text = CYolString(kTable[id], -1, YOL_CP_1251);
    return true;
}
