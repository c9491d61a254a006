// Message texts as the history view recognises links in them: any UTF-16
// text. Every run lies inside the text, the runs are sorted and never
// overlap, and each link starts with one of its two prefixes.

#include "CYolWMMW_HistCtrl.h"
#include "FuzzSupport.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char16_t> units(size / 2 + 1, 0);
    if (size >= 2)
        std::memcpy(units.data(), data, size / 2 * 2);
    const CYolString text(units.data(), static_cast<int>(size / 2));
    CYolArray<MW::CYolWMMW_HistCtrl::TParseItem> runs;
    MW::CYolWMMW_HistCtrl::ParseText(text, 99, runs);
    const std::u16string_view chars(text.c_str(), static_cast<std::size_t>(text.Length()));
    int end = 0;
    for (const auto& run : runs) {
        Fuzz::Check(run.start >= end && run.length > 0 && run.start + run.length <= text.Length());
        const std::u16string_view part = chars.substr(static_cast<std::size_t>(run.start));
        Fuzz::Check(part.starts_with(u"http://") || part.starts_with(u"www."));
        end = run.start + run.length;
    }
    return 0;
}
