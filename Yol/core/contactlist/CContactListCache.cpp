#include "CContactListCache.h"

#include "CByteReader.h"
#include "CPacker.h"

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace CL {

namespace {

constexpr std::string_view kGroup = "Group";
constexpr std::string_view kGroupSettings = "Group settings";
constexpr std::string_view kContact = "Contact";
constexpr std::string_view kLineEnd = "\r\n";
constexpr unsigned int kMaxShortLength = 0xFFFF;

constexpr std::string_view Marker() {
    return {CContactListCache::kMetaListMarker, size_t(CContactListCache::kMetaListMarkerLength)};
}

// Arrays filled from untrusted input double their room instead of growing
// ten slots at a time, so a long list costs linear time.
template <typename T>
void AddGrowing(CYolArray<T>& array, T&& item) {
    if (array.Count() == array.Capacity())
        array.Reserve(array.Capacity() < INT_MAX / 2 - 8 ? array.Capacity() * 2 + 8 : INT_MAX);
    array.Add(std::move(item));
}

std::string_view View(const unsigned char* bytes, int length) {
    return {reinterpret_cast<const char*>(bytes), size_t(length)};
}

CYolString FromUtf8(const unsigned char* bytes, int length) {
    return CYolString(reinterpret_cast<const char*>(bytes), length, YOL_CP_UTF8);
}

// ------------------------------------------------------------- "CL data"

// One packed record seen in place: nothing is copied until a value is kept.
struct FieldView {
    std::string_view name;
    const unsigned char* data = nullptr;
    int size = 0;
};

bool ReadField(CByteReader& reader, FieldView& field) {
    unsigned char nameLength = 0;
    const unsigned char* name = nullptr;
    unsigned int dataLength = 0;
    if (!reader.Read8(nameLength) || !reader.ReadView(name, nameLength) || !reader.Read32LE(dataLength))
        return false;
    if (dataLength > unsigned(reader.Remaining()))
        return false;
    field.name = View(name, nameLength);
    field.size = int(dataLength);
    return reader.ReadView(field.data, field.size);
}

// Every field of a list; false when the bytes are not whole fields back to
// back.
template <typename Visit>
bool ForEachField(const unsigned char* data, int size, Visit visit) {
    CByteReader reader(data, size);
    FieldView field;
    while (!reader.AtEnd()) {
        if (!ReadField(reader, field) || !visit(field))
            return false;
    }
    return true;
}

bool ParseValues(const unsigned char* data, int size, CacheValues& values) {
    CacheValues parsed;
    for (int pos = 0; pos < size;) {
        Database::CRecord record;
        unsigned long used = record.Unpack(data + pos, static_cast<unsigned long>(size - pos));
        if (used == 0)
            return false;
        pos += int(used);
        AddGrowing(parsed, std::move(record));
    }
    values = std::move(parsed);
    return true;
}

// A field of an account list: a group when its data holds "Group settings".
bool ParseItem(const FieldView& field, CachedListItem& item) {
    FieldView settings;
    bool hasSettings = false;
    bool wellFormed = ForEachField(field.data, field.size, [&](const FieldView& inner) {
        if (!hasSettings && inner.name == kGroupSettings) {
            settings = inner;
            hasSettings = true;
        }
        return true;
    });
    if (!wellFormed)
        return false;
    item.isGroup = hasSettings;
    if (!hasSettings)
        return ParseValues(field.data, field.size, item.values);
    if (!ParseValues(settings.data, settings.size, item.values))
        return false;
    return ForEachField(field.data, field.size, [&](const FieldView& inner) {
        if (inner.name != kContact)
            return true;
        CacheValues contact;
        if (!ParseValues(inner.data, inner.size, contact))
            return false;
        AddGrowing(item.contacts, std::move(contact));
        return true;
    });
}

// Writes a field's head with its length left open; the answer is where the
// length goes, for CloseField. -1 when the buffer cannot grow.
int OpenField(CAutoBuf& out, std::string_view name) {
    if (name.size() > Database::CRecord::kMaxNameBytes || !CPacker::Pack8(out, static_cast<unsigned char>(name.size())) ||
        !CPacker::PackBuffer(out, reinterpret_cast<const unsigned char*>(name.data()), int(name.size())))
        return -1;
    int at = out.Length();
    return CPacker::Pack32LE(out, 0) ? at : -1;
}

void CloseField(CAutoBuf& out, int lengthAt) {
    CPacker::Pack32LE(out.Data() + lengthAt, static_cast<unsigned int>(out.Length() - lengthAt - 4));
}

bool WriteValues(CAutoBuf& out, const CacheValues& values, bool outsideGroups) {
    for (const Database::CRecord& value : values) {
        if (!value.HasValidName())
            continue;
        if (outsideGroups && value.GetName().ToUtf8() == kGroupSettings)
            continue;
        unsigned long packed = value.GetPackedSize();
        if (packed > static_cast<unsigned long>(INT_MAX) || !out.EnsureSpace(int64_t(packed)))
            return false;
        unsigned char* at = out.Data() + out.Length();
        if (value.Pack(at, packed) != packed || !out.SetLength(out.Length() + int(packed)))
            return false;
    }
    return true;
}

// A field named `name` whose data the writer fills.
template <typename Fill>
bool WriteField(CAutoBuf& out, std::string_view name, Fill fill) {
    int lengthAt = OpenField(out, name);
    if (lengthAt < 0 || !fill())
        return false;
    CloseField(out, lengthAt);
    return true;
}

bool WriteItem(CAutoBuf& out, const CachedListItem& item) {
    if (!item.isGroup)
        return WriteField(out, kContact, [&] { return WriteValues(out, item.values, true); });
    return WriteField(out, kGroup, [&] {
        if (!WriteField(out, kGroupSettings, [&] { return WriteValues(out, item.values, false); }))
            return false;
        for (const CacheValues& contact : item.contacts) {
            if (!WriteField(out, kContact, [&] { return WriteValues(out, contact, false); }))
                return false;
        }
        return true;
    });
}

// ---------------------------------------------------------- "MetaCL data"

// A meta group's name as it goes into the file: a "\r\n" inside it would end
// its line early, so each becomes one blank.
std::string StoredGroupName(const CYolString& name) {
    std::u16string units = name.ToU16();
    for (size_t at = units.find(u"\r\n"); at != std::u16string::npos; at = units.find(u"\r\n", at + 1))
        units.replace(at, 2, u" ");
    return CYolString(units.data(), int(units.size())).ToUtf8();
}

// The key meta groups are told apart by: the name with case folded.
std::u16string FoldedKey(const CYolString& name) {
    CYolString folded(name);
    folded.ToLower();
    return folded.ToU16();
}

bool PackShortText(CAutoBuf& out, unsigned char type, const std::string& text) {
    return CPacker::Pack8(out, type) && CPacker::Pack16(out, static_cast<unsigned short>(text.size())) &&
           CPacker::PackBuffer(out, reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
}

// Appends one record; false only when the buffer cannot grow. `leftOut`
// counts what could not be stored.
bool WriteMetaRecord(CAutoBuf& out, const MetaContactRecord& record, int& leftOut) {
    std::string group = StoredGroupName(record.metaGroupName);
    std::string name = record.name.ToUtf8();
    if (group.size() > kMaxShortLength || name.size() > kMaxShortLength) {
        ++leftOut;
        return true;
    }
    std::vector<std::pair<std::string, std::string>> entries;
    uint64_t entriesSize = 0;
    for (const MetaSubContactEntry& sub : record.subContacts) {
        std::string login = sub.login.ToUtf8(), key = sub.accountKey.ToUtf8();
        if (login.size() > kMaxShortLength || key.size() > kMaxShortLength) {
            ++leftOut;
            continue;
        }
        entriesSize += login.size() + key.size() + 6;
        entries.emplace_back(std::move(login), std::move(key));
    }
    uint64_t recordLength = group.size() + name.size() + entriesSize + 18;
    if (recordLength > INT_MAX)
        return false;

    const int start = out.Length();
    if (!out.EnsureSpace(int64_t(recordLength) + 4))
        return false;
    bool ok = CPacker::Pack32(out, static_cast<unsigned int>(recordLength)) && CPacker::Pack8(out, 1) && CPacker::Pack16(out, 4) &&
              CPacker::Pack32(out, record.number) && PackShortText(out, 2, group) && PackShortText(out, 3, name) &&
              CPacker::Pack8(out, 4) && CPacker::Pack32(out, static_cast<unsigned int>(entriesSize));
    for (const auto& [login, key] : entries)
        ok = ok && PackShortText(out, 1, login) && PackShortText(out, 2, key);
    if (!ok)
        return false;

    // The reader takes the first marker as the end of the records. Look from
    // a marker's length before this record, so that one made of the previous
    // record's tail and this record's head is caught too. (A marker cannot
    // start inside the records and end inside the real one: no proper prefix
    // of it is also a suffix of it.)
    const int overlap = CContactListCache::kMetaListMarkerLength - 1;
    const int from = start > overlap ? start - overlap : 0;
    if (View(out.Data() + from, out.Length() - from).find(Marker()) != std::string_view::npos) {
        out.SetLength(start);
        ++leftOut;
    }
    return true;
}

bool ReadShortText(CByteReader& reader, const unsigned char*& text, unsigned short& length) {
    unsigned char type = 0;
    return reader.Read8(type) && reader.Read16(length) && reader.ReadView(text, length);
}

// One record, bounded by its own length word; false, `record` untouched,
// when any length runs past it. The type bytes and the entries' total are
// not relied on: the record's length bounds the entries.
bool ReadMetaRecord(CByteReader& reader, MetaContactRecord& record) {
    unsigned int length = 0;
    CByteReader body;
    if (!reader.Read32(length) || length > unsigned(reader.Remaining()) || !reader.ReadSub(body, int(length)))
        return false;

    unsigned char type = 0;
    unsigned short numberSize = 0, groupLength = 0, nameLength = 0;
    unsigned int number = 0, entriesSize = 0;
    const unsigned char *group = nullptr, *name = nullptr;
    body.Read8(type);
    body.Read16(numberSize);
    body.Read32(number);
    ReadShortText(body, group, groupLength);
    ReadShortText(body, name, nameLength);
    body.Read8(type);
    body.Read32(entriesSize);
    if (body.Failed())
        return false;

    CYolArray<MetaSubContactEntry> entries;
    while (!body.AtEnd()) {
        const unsigned char *login = nullptr, *key = nullptr;
        unsigned short loginLength = 0, keyLength = 0;
        if (!ReadShortText(body, login, loginLength) || !ReadShortText(body, key, keyLength))
            return false;
        AddGrowing(entries, MetaSubContactEntry{FromUtf8(login, loginLength), FromUtf8(key, keyLength)});
    }
    record.number = number;
    record.metaGroupName = FromUtf8(group, groupLength);
    record.name = FromUtf8(name, nameLength);
    record.subContacts = std::move(entries);
    return true;
}

}  // namespace

bool CContactListCache::BuildContactListData(const CYolArray<CachedAccountList>& accounts, CAutoBuf& out) {
    out.Clear();
    for (const CachedAccountList& account : accounts) {
        std::string text = account.accountText.ToUtf8();
        if (text.size() > Database::CRecord::kMaxNameBytes)
            continue;
        bool written = WriteField(out, text, [&] {
            for (const CachedListItem& item : account.items) {
                if (!WriteItem(out, item))
                    return false;
            }
            return true;
        });
        if (!written) {
            out.Free();
            return false;
        }
    }
    return true;
}

bool CContactListCache::ParseAccountList(const unsigned char* data, size_t size, const CYolString& accountText,
                                         CYolArray<CachedListItem>& items) {
    items = CYolArray<CachedListItem>();
    if (data == nullptr || size == 0 || size > size_t(INT_MAX))
        return false;
    const std::string wanted = accountText.ToUtf8();
    CByteReader top(data, int(size));
    FieldView account;
    bool found = false;
    while (!found && !top.AtEnd() && ReadField(top, account))
        found = account.name == wanted;
    if (!found)
        return false;

    CYolArray<CachedListItem> parsed;
    bool whole = ForEachField(account.data, account.size, [&](const FieldView& field) {
        CachedListItem item;
        if (!ParseItem(field, item))
            return false;
        AddGrowing(parsed, std::move(item));
        return true;
    });
    if (!whole)
        return false;
    items = std::move(parsed);
    return true;
}

bool CContactListCache::BuildMetaList(const MetaListData& list, CAutoBuf& out, int* leftOut) {
    out.Clear();
    int skipped = 0;
    bool ok = true;
    for (int i = 0; ok && i < list.metaContacts.Count(); ++i)
        ok = WriteMetaRecord(out, list.metaContacts[i], skipped);
    ok = ok && CPacker::PackBuffer(out, reinterpret_cast<const unsigned char*>(kMetaListMarker), kMetaListMarkerLength);
    for (int i = 0; ok && i < list.metaGroupNames.Count(); ++i) {
        std::string line = StoredGroupName(list.metaGroupNames[i]);
        line += kLineEnd;
        ok = CPacker::PackBuffer(out, reinterpret_cast<const unsigned char*>(line.data()), int(line.size()));
    }
    if (leftOut)
        *leftOut = skipped;
    if (!ok)
        out.Free();
    return ok;
}

bool CContactListCache::ParseMetaList(const unsigned char* data, size_t size, MetaListData& out) {
    out = MetaListData();
    if (data == nullptr || size == 0 || size > size_t(INT_MAX))
        return false;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t marker = all.find(Marker());
    if (marker == std::string_view::npos)
        return false;

    std::unordered_map<std::u16string, int> groupIndex;
    for (size_t from = marker + Marker().size();;) {
        size_t end = all.find(kLineEnd, from);
        if (end == std::string_view::npos)
            break;
        if (end > from) {
            CYolString name = FromUtf8(data + from, int(end - from));
            if (groupIndex.emplace(FoldedKey(name), out.metaGroupNames.Count()).second)
                AddGrowing(out.metaGroupNames, std::move(name));
        }
        from = end + kLineEnd.size();
    }

    CByteReader records(data, int(marker));
    while (!records.AtEnd()) {
        MetaContactRecord record;
        if (!ReadMetaRecord(records, record)) {
            out.recordsIntact = false;
            break;
        }
        auto group = groupIndex.find(FoldedKey(record.metaGroupName));
        record.metaGroupIndex = group == groupIndex.end() ? -1 : group->second;
        AddGrowing(out.metaContacts, std::move(record));
    }
    return true;
}

CYolString CContactListCache::BuildMetagroupData(const CYolArray<MetaGroupOpenedLine>& lines) {
    std::u16string text;
    for (const MetaGroupOpenedLine& line : lines) {
        std::u16string name = line.name.ToU16();
        if (name.find_first_of(u"\t\n") != std::u16string::npos)
            continue;
        text += name;
        text += u'\t';
        text += CYolString(unsigned(line.opened), false).ToU16();
        text += u'\n';
    }
    return CYolString(text.data(), int(text.size()));
}

void CContactListCache::ParseMetagroupData(const CYolString& text, CYolArray<MetaGroupOpenedLine>& lines) {
    lines = CYolArray<MetaGroupOpenedLine>();
    const std::u16string all = text.ToU16();
    for (size_t start = 0;;) {
        size_t end = all.find(u'\n', start);
        if (end == std::u16string::npos)
            break;
        std::u16string_view line(all.data() + start, end - start);
        start = end + 1;
        size_t tab = line.find(u'\t');
        if (tab == std::u16string_view::npos)
            continue;
        std::u16string_view digits = line.substr(tab + 1);
        if (digits.empty() || digits.size() > 3)
            continue;
        unsigned int value = 0;
        for (char16_t c : digits)
            value = (c >= u'0' && c <= u'9') ? value * 10 + unsigned(c - u'0') : 0x100;
        if (value > 0xFF)
            continue;
        AddGrowing(lines, MetaGroupOpenedLine{CYolString(line.data(), int(tab)), static_cast<unsigned char>(value)});
    }
}

}  // namespace CL
