// "Metagroup data" parsing on arbitrary text: every line read is written back
// and reads the same again.

#include "CContactListCache.h"

#include <cstdint>
#include <cstdlib>

using CL::CContactListCache;
using CL::MetaGroupOpenedLine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CYolString text(reinterpret_cast<const char*>(data), int(size), YOL_CP_UTF8);
    CYolArray<MetaGroupOpenedLine> lines;
    CContactListCache::ParseMetagroupData(text, lines);

    CYolString built = CContactListCache::BuildMetagroupData(lines);
    CYolArray<MetaGroupOpenedLine> back;
    CContactListCache::ParseMetagroupData(built, back);
    if (back.Count() != lines.Count())
        std::abort();
    for (int i = 0; i < lines.Count(); ++i) {
        if (back[i].name != lines[i].name || back[i].opened != lines[i].opened)
            std::abort();
    }
    if (CContactListCache::BuildMetagroupData(back) != built)
        std::abort();
    return 0;
}
