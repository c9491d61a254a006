// The "clients.ini" reader and the caps-ver pattern match of client
// recognition. The file is read in the default code page unless it starts
// with a UTF-8 byte-order mark, so both decodings are tried. Every entry the
// reader keeps has a node and values within the limits; the pattern match
// agrees with a plain dynamic-programming matcher.

#include "JabberCaps.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void CheckEntries(const std::vector<ClientIconInfo>& entries) {
    if (entries.size() > kClientsIniMaxEntries)
        std::abort();
    for (const ClientIconInfo& entry : entries) {
        if (entry.node.IsEmpty() || entry.imageId != -1)
            std::abort();
        for (const CYolString* value : {&entry.node, &entry.ver, &entry.name, &entry.pic})
            if (value->Length() > kClientsIniMaxValue)
                std::abort();
    }
}

char16_t Fold(char16_t c) { return CYolString::ToLowerChar(c); }

// matches[i][j]: the first i units of the pattern match the first j of the text.
bool ReferenceMatch(const CYolString& pattern, const CYolString& text) {
    const int pn = pattern.Length();
    const int tn = text.Length();
    std::vector<std::vector<char>> matches(static_cast<size_t>(pn) + 1, std::vector<char>(static_cast<size_t>(tn) + 1, 0));
    matches[0][0] = 1;
    for (int i = 1; i <= pn; ++i) {
        const char16_t p = pattern.At(i - 1);
        matches[i][0] = p == u'*' && matches[i - 1][0];
        for (int j = 1; j <= tn; ++j) {
            if (p == u'*')
                matches[i][j] = matches[i - 1][j] || matches[i][j - 1];
            else if (p == u'?' || Fold(p) == Fold(text.At(j - 1)))
                matches[i][j] = matches[i - 1][j - 1];
        }
    }
    return matches[pn][tn] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    const int length = static_cast<int>(size > kClientsIniMaxBytes ? kClientsIniMaxBytes : size);
    CheckEntries(ParseClientsIni(CYolString(text, length, YOL_CP_1251)));
    CheckEntries(ParseClientsIni(CYolString(text, length, YOL_CP_UTF8)));

    // Pattern and text: the input split at its first NUL (small ones only,
    // for the reference matcher's sake).
    if (size <= 512) {
        size_t split = 0;
        while (split < size && data[split] != 0)
            ++split;
        const CYolString pattern(text, static_cast<int>(split), YOL_CP_1251);
        const CYolString subject = split < size ? CYolString(text + split + 1, static_cast<int>(size - split - 1), YOL_CP_1251)
                                                : CYolString();
        if (MatchCapsVer(pattern, subject) != ReferenceMatch(pattern, subject))
            std::abort();
    }
    return 0;
}
