#include "RuvDictionaries.h"

#include "CYolFile.h"
#include "CYolPath.h"

#include <climits>
#include <cstdint>
#include <mutex>
#include <string>

namespace {

constexpr const char16_t* kFiles[kRuvDictionaryCount] = {
    u"countries.txt", u"Occupations.txt", u"Languages.txt", u"Interests.txt",
    u"Groups.txt",    u"PastBG.txt",      u"Gender.txt",    u"MaritalStatus.txt",
};

// The decimal number at the start of the (at most ten) number characters:
// an optional sign, then digits up to the first other character; none
// gives 0. Values past the 32-bit range stop at its ends.
int LeadingNumber(std::u16string_view chars) {
    std::size_t i = 0;
    while (i < chars.size() && (chars[i] == u' ' || chars[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < chars.size() && (chars[i] == u'-' || chars[i] == u'+'))
        negative = chars[i++] == u'-';
    int64_t value = 0;
    for (; i < chars.size() && chars[i] >= u'0' && chars[i] <= u'9'; ++i)
        value = value * 10 + (chars[i] - u'0');
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

struct Shared {
    std::mutex lock;
    CRuvDictionaryList lists[kRuvDictionaryCount];
    int holders = 0;
};

Shared& Lists() {
    static Shared shared;
    return shared;
}

}  // namespace

void CRuvDictionaryList::Parse(std::string_view bytes) {
    const std::size_t units = std::min(bytes.size(), kMaxFileBytes) / 2;
    auto at = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    };
    std::size_t pos = 0;
    // A byte-order mark is not part of the first number.
    if (units > 0 && at(0) == 0xFEFF)
        pos = 1;
    std::u16string line;
    while (pos < units) {
        line.clear();
        // Up to the next "\r\n" (or the end); characters past the line's
        // room are dropped with the rest of that line.
        while (pos < units) {
            const char16_t c = at(pos);
            if (c == u'\r' && pos + 1 < units && at(pos + 1) == u'\n') {
                pos += 2;
                break;
            }
            if (line.size() < kMaxLineChars)
                line.push_back(c);
            ++pos;
        }
        const std::size_t semicolon = line.find(u';');
        if (semicolon == std::u16string::npos)
            continue;
        const int id = LeadingNumber(std::u16string_view(line).substr(0, std::min(semicolon, kMaxNumberChars)));
        std::u16string text;
        for (std::size_t i = semicolon + 1; i < line.size(); ++i)
            if (line[i] != u';')
                text.push_back(line[i]);
        // An empty text would stand beside the combo boxes' own empty entry.
        if (!text.empty())
            Insert(id, CYolString(text.c_str(), static_cast<int>(text.size())));
    }
}

bool CRuvDictionaryList::Insert(int id, const CYolString& text) { return entries.emplace(text, id).second; }

std::vector<RuvDictionaryEntry> CRuvDictionaryList::Entries() const {
    std::vector<RuvDictionaryEntry> out;
    out.reserve(entries.size());
    for (const auto& [text, id] : entries)
        out.push_back({id, text});
    return out;
}

CYolString CRuvDictionaryList::Lookup(int id) const {
    for (const auto& [text, entryId] : entries)
        if (entryId == id)
            return text;
    return CYolString();
}

const char16_t* CRuvDictionaries::FileName(RuvDictionary list) { return kFiles[static_cast<std::size_t>(list)]; }

void CRuvDictionaries::Load() { LoadFrom(CYolPath::GetProtoDir(u"Ruv")); }

void CRuvDictionaries::LoadFrom(const CYolString& folder) {
    Shared& shared = Lists();
    std::lock_guard guard(shared.lock);
    ++shared.holders;
    for (std::size_t i = 0; i < kRuvDictionaryCount; ++i) {
        CRuvDictionaryList& list = shared.lists[i];
        if (!list.Empty())
            continue;
        std::vector<unsigned char> bytes;
        if (CYolFile::ReadAllBytes(folder + CYolString(kFiles[i]), bytes,
                                   static_cast<int64_t>(CRuvDictionaryList::kMaxFileBytes)))
            list.Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
}

void CRuvDictionaries::Clear() {
    Shared& shared = Lists();
    std::lock_guard guard(shared.lock);
    if (shared.holders > 0)
        --shared.holders;
    if (shared.holders > 0)
        return;
    for (CRuvDictionaryList& list : shared.lists)
        list.Clear();
}

std::vector<RuvDictionaryEntry> CRuvDictionaries::Entries(RuvDictionary list) {
    Shared& shared = Lists();
    std::lock_guard guard(shared.lock);
    return shared.lists[static_cast<std::size_t>(list)].Entries();
}

CYolString CRuvDictionaries::Lookup(RuvDictionary list, int id) {
    Shared& shared = Lists();
    std::lock_guard guard(shared.lock);
    return shared.lists[static_cast<std::size_t>(list)].Lookup(id);
}

std::size_t CRuvDictionaries::Count(RuvDictionary list) {
    Shared& shared = Lists();
    std::lock_guard guard(shared.lock);
    return shared.lists[static_cast<std::size_t>(list)].Count();
}
