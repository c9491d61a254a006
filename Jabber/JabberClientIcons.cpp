// Client recognition: the "clients.ini" reader and the plug-in's icon table.

#include "CYolFile.h"
#include "CYolPath.h"
#include "JabberCaps.h"

#include <algorithm>
#include <vector>

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// [begin, end) without the blanks at either side.
void Trim(const char16_t* text, int& begin, int& end) {
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
}

// The field a key names: a key that begins one of the names (ignoring case)
// counts as that name, tried in this order.
CYolString* FieldForKey(ClientIconInfo& info, const char16_t* key, int length) {
    struct Field {
        const char16_t* name;
        int length;
        CYolString ClientIconInfo::* member;
    };
    static constexpr Field fields[] = {
        {u"node", 4, &ClientIconInfo::node},
        {u"pic", 3, &ClientIconInfo::pic},
        {u"ver", 3, &ClientIconInfo::ver},
        {u"name", 4, &ClientIconInfo::name},
    };
    for (const Field& field : fields)
        if (length <= field.length && CYolString::Comparei(key, field.name, length) == 0)
            return &(info.*field.member);
    return nullptr;
}

class ClientsIniReader {
public:
    explicit ClientsIniReader(const CYolString& text)
        : text(text.c_str()), length(std::min<int>(text.Length(), static_cast<int>(kClientsIniMaxBytes))) {}

    std::vector<ClientIconInfo> Read() {
        for (int pos = 0; pos < length && entries.size() < kClientsIniMaxEntries;) {
            int end = pos;
            while (end < length && text[end] != u'\r' && text[end] != u'\n')
                ++end;
            Line(pos, end);
            pos = end + 1;
        }
        EndSection();
        return std::move(entries);
    }

private:
    void Line(int begin, int end) {
        Trim(text, begin, end);
        if (begin == end || text[begin] == u';')
            return;
        if (text[begin] == u'[') {
            EndSection();
            inSection = true;
            return;
        }
        if (!inSection)
            return;
        int equals = begin;
        while (equals < end && text[equals] != u'=')
            ++equals;
        if (equals == end)
            return;
        int keyEnd = equals;
        int valueBegin = equals + 1;
        int valueEnd = end;
        Trim(text, begin, keyEnd);
        Trim(text, valueBegin, valueEnd);
        if (keyEnd == begin || valueEnd == valueBegin || valueEnd - valueBegin > kClientsIniMaxValue)
            return;
        if (CYolString* field = FieldForKey(current, text + begin, keyEnd - begin))
            *field = CYolString(text + valueBegin, valueEnd - valueBegin);
    }

    void EndSection() {
        if (inSection && !current.node.IsEmpty() && entries.size() < kClientsIniMaxEntries)
            entries.push_back(std::move(current));
        current = ClientIconInfo();
        inSection = false;
    }

    const char16_t* text;
    int length;
    bool inSection = false;
    ClientIconInfo current;
    std::vector<ClientIconInfo> entries;
};

}  // namespace

std::vector<ClientIconInfo> ParseClientsIni(const CYolString& text) { return ClientsIniReader(text).Read(); }

bool MatchCapsVer(const CYolString& pattern, const CYolString& text) {
    const char16_t* p = pattern.c_str();
    const char16_t* t = text.c_str();
    const int pn = pattern.Length();
    const int tn = text.Length();
    int pi = 0;
    int ti = 0;
    // Where the last "*" stood and how much text it has taken so far: on a
    // mismatch the star takes one character more, so no branch is revisited.
    int star = -1;
    int starText = 0;
    while (ti < tn) {
        if (pi < pn && p[pi] == u'*') {
            star = pi++;
            starText = ti;
        } else if (pi < pn &&
                   (p[pi] == u'?' || CYolString::ToLowerChar(p[pi]) == CYolString::ToLowerChar(t[ti]))) {
            ++pi;
            ++ti;
        } else if (star >= 0) {
            pi = star + 1;
            ti = ++starText;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == u'*')
        ++pi;
    return pi == pn;
}

// ---- CClientIconTable -----------------------------------------------------

CClientIconTable& CClientIconTable::Instance() {
    static CClientIconTable table;
    return table;
}

void CClientIconTable::Join(const CYolString& path, const Images& images) {
    CYolCriticalSection::Guard guard(lock);
    if (members++ > 0)
        return;
    std::vector<unsigned char> bytes;
    if (!CYolFile::ReadAllBytes(path, bytes, static_cast<int64_t>(kClientsIniMaxBytes)) || bytes.empty())
        return;
    const char* data = reinterpret_cast<const char*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    // A file saved by an editor as UTF-8 says so with its byte-order mark;
    // otherwise it is text in the default code page.
    const bool utf8 = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    LoadText(utf8 ? CYolString(data + 3, size - 3, YOL_CP_UTF8) : CYolString(data, size, YOL_CP_1251), images);
}

void CClientIconTable::Leave(const Images& images) {
    CYolCriticalSection::Guard guard(lock);
    if (members == 0 || --members > 0)
        return;
    Clear(images);
}

void CClientIconTable::LoadText(const CYolString& text, const Images& images) {
    CYolCriticalSection::Guard guard(lock);
    if (!entries.empty())
        return;
    entries = ParseClientsIni(text);
    for (ClientIconInfo& entry : entries)
        if (!entry.pic.IsEmpty() && images.registerImage)
            entry.imageId = images.registerImage(CYolString(CYolPath::ClientsDir()) + entry.pic);
}

void CClientIconTable::Clear(const Images& images) {
    CYolCriticalSection::Guard guard(lock);
    for (const ClientIconInfo& entry : entries)
        if (entry.imageId != -1 && images.releaseImage)
            images.releaseImage(entry.imageId);
    entries.clear();
}

bool CClientIconTable::Find(const CYolString& node, const CYolString& ver, ClientIconInfo& out) const {
    if (node.IsEmpty() && ver.IsEmpty())
        return false;
    CYolCriticalSection::Guard guard(lock);
    for (const ClientIconInfo& entry : entries) {
        if (CYolString::Comparei(entry.node.c_str(), node.c_str(), -1) != 0)
            continue;
        if (entry.ver.IsEmpty() || MatchCapsVer(entry.ver, ver)) {
            out = entry;
            return true;
        }
    }
    return false;
}

size_t CClientIconTable::Count() const {
    CYolCriticalSection::Guard guard(lock);
    return entries.size();
}

CYolString ClientsIniPath() { return CYolPath::GetProtoDir(u"Jabber") + u"clients.ini"; }
