#include "CHistoryController.h"

#include "CPacker.h"
#include "CSHA1.h"
#include "CYolFileSystem.h"
#include "CYolPath.h"
#include "CYolTime.h"
#include "ValueNames.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char16_t* kLogName = ValueName::SrvLogName;
constexpr const char16_t* kAlias = ValueName::Alias;
constexpr char16_t kSaveHistory[] = u"HistSaveHist";
constexpr char16_t kSaveNotInList[] = u"HistSaveNotInList";
constexpr char16_t kTimeFormat[] = u"%c";

constexpr char kExtension[] = ".yhf";
constexpr char kCutMarker[] = "%~";
constexpr size_t kHashBytes = 8;

// How a message of each direction is shown.
struct DirectionStyle {
    unsigned char direction;
    unsigned int icon;
    bool fromMe; // sender: the user's own name rather than the contact's alias
};
constexpr DirectionStyle kDirectionStyles[] = {
    {0, CHistoryController::kIncomingIcon, false},
    {1, CHistoryController::kOutgoingIcon, true},
};

// ASCII that never stays as it is in a file name: separators of every file
// system the folder may be copied to, our own escape character, the
// characters a memory card's FAT refuses, and control characters.
bool IsUnsafeAscii(char16_t c) {
    return c < 0x20 || c == 0x7F || (c != 0 && std::strchr("/\\:%*?\"<>|", static_cast<char>(c)) != nullptr);
}

void PutEscapedByte(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

// The UTF-8 bytes of one code point (an unpaired surrogate is encoded like
// any other BMP value, so that it can be escaped byte by byte).
void PutCodePoint(std::string& out, uint32_t cp, bool escape) {
    unsigned char bytes[4];
    int n;
    if (cp < 0x80) {
        bytes[0] = static_cast<unsigned char>(cp);
        n = 1;
    } else if (cp < 0x800) {
        bytes[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        bytes[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        n = 2;
    } else if (cp < 0x10000) {
        bytes[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        n = 3;
    } else {
        bytes[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
        bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        n = 4;
    }
    for (int i = 0; i < n; ++i) {
        if (escape)
            PutEscapedByte(out, bytes[i]);
        else
            out += static_cast<char>(bytes[i]);
    }
}

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::string EscapeName(const CYolString& name) {
    const int n = name.Length();
    const char16_t* units = name.c_str();
    if (n == 0)
        return "%";
    std::string out;
    const bool onlyDots = n <= 2 && std::all_of(units, units + n, [](char16_t c) { return c == u'.'; });
    for (int i = 0; i < n; ++i) {
        uint32_t c = units[i];
        if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(units[i + 1])) {
            PutCodePoint(out, 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u), false);
            continue;
        }
        bool unpaired = IsHighSurrogate(c) || IsLowSurrogate(c);
        PutCodePoint(out, c, onlyDots || unpaired || (c < 0x80 && IsUnsafeAscii(static_cast<char16_t>(c))));
    }
    return out;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// Bytes of the escaped-name unit starting at i: a whole escape, a whole
// character. Cutting only between units keeps the name valid UTF-8 and
// every escape readable.
size_t UnitLength(const std::string& s, size_t i) {
    auto lead = static_cast<unsigned char>(s[i]);
    if (lead == '%' && i + 2 < s.size() && IsHexDigit(s[i + 1]) && IsHexDigit(s[i + 2]))
        return 3;
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

uint32_t RecordTime(const CTLVCol& tlvs) {
    const CTLV* time = tlvs.GetTLV(CHistoryFile::TlvTime);
    return time && time->GetLength() == 4 ? CPacker::Unpack32(time->GetValue()) : 0;
}

} // namespace

CHistoryController::CHistoryController(CHistoryContext& historyContext) : context(historyContext) {}

CHistoryController::CHistoryController(CHistoryContext& historyContext, const CYolString& historyFolder)
    : context(historyContext), folder(historyFolder) {}

CYolString CHistoryController::HistoryFolder() const {
    CYolString dir = folder.IsEmpty() ? CYolPath::GetHistDir() : folder;
    if (!dir.IsEmpty() && dir.At(dir.Length() - 1) != u'/')
        dir += u"/";
    return dir;
}

CYolString CHistoryController::ItemString(unsigned int id, const char16_t* name) const {
    CYolString value;
    if (!context.GetItemString(id, CYolString(name), value))
        return CYolString();
    return value;
}

CYolString CHistoryController::HistoryFileName(const CYolString& protocol, const CYolString& login,
                                               const CYolString& contact) {
    std::string joined = EscapeName(protocol) + "_" + EscapeName(login) + "_" + EscapeName(contact);
    const size_t extension = sizeof kExtension - 1;
    if (joined.size() + extension <= kMaxFileNameBytes)
        return CYolString::FromUtf8(joined + kExtension);

    unsigned char digest[CSHA1::DigestLength];
    CSHA1::Hash(joined.data(), static_cast<unsigned int>(joined.size()), digest);
    std::string tail = kCutMarker;
    for (size_t i = 0; i < kHashBytes; ++i) {
        static const char kHex[] = "0123456789ABCDEF";
        tail += kHex[digest[i] >> 4];
        tail += kHex[digest[i] & 0x0F];
    }
    tail += kExtension;
    const size_t budget = kMaxFileNameBytes - tail.size();
    size_t cut = 0;
    while (cut < joined.size() && cut + UnitLength(joined, cut) <= budget)
        cut += UnitLength(joined, cut);
    return CYolString::FromUtf8(joined.substr(0, cut) + tail);
}

CYolString CHistoryController::HistoryFilePath(unsigned int contactId) const {
    bool ignored;
    return PrepareFilePath(contactId, ignored);
}

CYolString CHistoryController::PrepareFilePath(unsigned int contactId, bool& folderKept) const {
    CYolString dir = HistoryFolder();
    // Private to the user, and flushed into the folders holding them: a new
    // history file's own flush keeps nothing when its folder is lost.
    folderKept = CYolFileSystem::CreateFolders(dir, 0700);
    unsigned int account = context.GetItemAccount(contactId);
    return dir + HistoryFileName(context.GetAccountProtocolName(account), context.GetAccountLogin(account),
                                 ItemString(contactId, kLogName));
}

int CHistoryController::AppendHistoryMessage(unsigned int contactId, unsigned char thirdByte,
                                             unsigned char direction, unsigned char secondByte, unsigned int time,
                                             const CYolString& text) const {
    if (!context.GetPreferenceByte(CYolString(kSaveHistory)))
        return CHistoryFile::Ok;
    if (context.GetParentId(contactId) == 0 && !context.GetPreferenceByte(CYolString(kSaveNotInList)))
        return CHistoryFile::Ok;
    CHistoryFile::Message message;
    message.direction = direction;
    message.second = secondByte;
    message.third = thirdByte;
    message.time = time;
    message.text = text.ToUtf8();
    bool folderKept;
    CYolString path = PrepareFilePath(contactId, folderKept);
    if (!folderKept)
        return CHistoryFile::WriteFailed;
    return CHistoryFile::Append(path, ItemString(contactId, kLogName).ToUtf8(),
                                ItemString(contactId, kAlias).ToUtf8(), message);
}

int CHistoryController::LoadHistoryRecords(unsigned int contactId, unsigned int maxCount,
                                           CYolArray<CTLVCol>& out) const {
    return CHistoryFile::Load(HistoryFilePath(contactId), maxCount, out);
}

CHistoryController::CHistoryMessageRecord CHistoryController::ToMessageRecord(const CTLVCol& tlvs,
                                                                              const CYolString& alias,
                                                                              const CYolString& ownName) {
    CHistoryMessageRecord record;
    const CTLV* time = tlvs.GetTLV(CHistoryFile::TlvTime);
    if (time && time->GetLength() == 4) {
        // Stored times are UTC; the reader wants the clock on their wall.
        CYolTime when(RecordTime(tlvs));
        when.ToLocal();
        record.timeCaption = u"(" + when.ToString(CYolString(kTimeFormat)) + u")";
    }
    const CTLV* direction = tlvs.GetTLV(CHistoryFile::TlvDirection);
    if (direction && direction->GetLength() >= 1) {
        for (const DirectionStyle& style : kDirectionStyles) {
            if (style.direction != direction->GetValue()[0])
                continue;
            record.direction = style.direction;
            record.icon = style.icon;
            record.sender = style.fromMe ? ownName : alias;
        }
    }
    const CTLV* text = tlvs.GetTLV(CHistoryFile::TlvText);
    if (text && text->GetLength() > 0)
        record.text = CYolString(reinterpret_cast<const char*>(text->GetValue()), text->GetLength(), YOL_CP_UTF8);
    return record;
}

int CHistoryController::LoadContactHistory(unsigned int contactId, unsigned int maxCount,
                                           CYolArray<CHistoryMessageRecord>& out) const {
    CYolArray<CTLVCol> records;
    if (int rc = LoadHistoryRecords(contactId, maxCount, records))
        return rc;
    CYolString alias = ItemString(contactId, kAlias);
    CYolString ownName = context.GetOwnName();
    out.Reserve(out.Count() + records.Count());
    for (const CTLVCol& tlvs : records)
        out.Add(ToMessageRecord(tlvs, alias, ownName));
    return CHistoryFile::Ok;
}

int CHistoryController::LoadMetaContactHistory(unsigned int metaContactId, unsigned int maxCount,
                                               CYolArray<CHistoryMessageRecord>& out) const {
    CYolArray<unsigned int> subContacts;
    context.GetMetaSubContacts(metaContactId, subContacts);

    // Each file once, even when two sub-contacts resolve to the same name.
    std::vector<CYolString> paths;
    std::vector<CYolArray<CTLVCol>> loaded;
    for (unsigned int contactId : subContacts) {
        CYolString path = HistoryFilePath(contactId);
        if (std::find(paths.begin(), paths.end(), path) != paths.end())
            continue;
        paths.push_back(path);
        loaded.emplace_back();
        CHistoryFile::Load(path, maxCount, loaded.back());
    }

    // Every message is kept, also several in one second: equal times keep
    // the sub-contacts' order and, within one file, the order of writing.
    struct Entry {
        uint32_t time;
        size_t file;
        int index;
    };
    std::vector<Entry> entries;
    for (size_t file = 0; file < loaded.size(); ++file)
        for (int i = 0; i < loaded[file].Count(); ++i)
            entries.push_back({RecordTime(loaded[file][i]), file, i});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.time < b.time; });
    size_t first = maxCount != 0 && entries.size() > maxCount ? entries.size() - maxCount : 0;

    CYolString alias = ItemString(metaContactId, kAlias);
    CYolString ownName = context.GetOwnName();
    CYolArray<CHistoryMessageRecord> merged;
    merged.Reserve(int(entries.size() - first) + out.Count());
    for (size_t k = first; k < entries.size(); ++k)
        merged.Add(ToMessageRecord(loaded[entries[k].file][entries[k].index], alias, ownName));
    for (const CHistoryMessageRecord& earlier : out)
        merged.Add(earlier);
    out = std::move(merged);
    return CHistoryFile::Ok;
}

bool CHistoryController::DeleteHistoryFile(unsigned int contactId) const {
    return CHistoryFile::Delete(HistoryFilePath(contactId));
}
