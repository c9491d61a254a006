// The code lists' file reader on untrusted bytes: every entry kept has a
// text of at most one line's room, no text repeats, and the entries stay
// in text order.

#include "RuvDictionaries.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRuvDictionaryList list;
    list.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto entries = list.Entries();
    if (entries.size() != list.Count())
        std::abort();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CYolString& text = entries[i].text;
        if (text.IsEmpty() || text.Length() > static_cast<int>(CRuvDictionaryList::kMaxLineChars))
            std::abort();
        if (i > 0 && !(entries[i - 1].text < text))
            std::abort();
        if (list.Lookup(entries[i].id).IsEmpty())
            std::abort();
    }
    return 0;
}
