// The code lists' file reader on untrusted bytes: every entry kept has a
// text of at most one line's room, no text repeats, and the entries stay
// in text order.

#include "FuzzSupport.h"
#include "RuvDictionaries.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRuvDictionaryList list;
    list.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto entries = list.Entries();
    Fuzz::Check(entries.size() == list.Count());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CYolString& text = entries[i].text;
        Fuzz::Check(!text.IsEmpty() && text.Length() <= static_cast<int>(CRuvDictionaryList::kMaxLineChars));
        Fuzz::Check(i == 0 || entries[i - 1].text < text);
        Fuzz::Check(!list.Lookup(entries[i].id).IsEmpty());
    }
    return 0;
}
