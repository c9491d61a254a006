#include "ServerStoreChanges.h"

#include <cstdint>
#include <string>

namespace ServerStoreChanges {

namespace {

// Builds one element attribute by attribute.
class Element {
public:
    Element() : text(u"<change") {}

    Element& Text(const char16_t* name, const CYolString& value) {
        CYolString escaped = EscapeAttribute(value);
        return Raw(name, std::u16string_view(escaped.c_str(), static_cast<size_t>(escaped.Length())));
    }
    // Positions and ids go out in unsigned decimal; 64 bits so that a
    // position of 0xFFFFFFFF plus one does not wrap to 0.
    Element& Number(const char16_t* name, uint64_t value) {
        std::string digits = std::to_string(value);
        return Raw(name, std::u16string(digits.begin(), digits.end()));
    }
    Element& Command(const char16_t* command) { return Raw(u"command", command); }

    CYolString Done() {
        text += u"/>";
        return CYolString(text.data(), static_cast<int>(text.size()));
    }

private:
    Element& Raw(const char16_t* name, std::u16string_view value) {
        text += u' ';
        text += name;
        text += u"=\"";
        text += value;
        text += u'"';
        return *this;
    }

    std::u16string text;
};

bool AllowedInXml(char16_t c) {
    if (c < 0x20)
        return c == u'\t' || c == u'\n' || c == u'\r';
    return c != 0xFFFE && c != 0xFFFF;
}

}  // namespace

CYolString EscapeAttribute(const CYolString& text) {
    CYolString escaped = CYolString::XmlEncode(text);
    const char16_t* units = escaped.c_str();
    const int n = escaped.Length();
    bool plain = true;
    for (int i = 0; i < n && plain; ++i)
        plain = units[i] >= 0x20 && AllowedInXml(units[i]);
    if (plain)
        return escaped;
    std::u16string out;
    out.reserve(static_cast<size_t>(n) + 8);
    for (int i = 0; i < n; ++i) {
        char16_t c = units[i];
        if (!AllowedInXml(c))
            continue;
        if (c == u'\t')
            out += u"&#9;";
        else if (c == u'\n')
            out += u"&#10;";
        else if (c == u'\r')
            out += u"&#13;";
        else
            out += c;
    }
    return CYolString(out.data(), static_cast<int>(out.size()));
}

CYolString GroupAdded(const CYolString& groupName, const CYolString& afterGroup) {
    Element e;
    e.Text(u"groupname", groupName).Command(u"groupadded");
    if (!afterGroup.IsEmpty())
        e.Text(u"aftergroup", afterGroup);
    return e.Done();
}

CYolString GroupRenamed(const CYolString& oldName, const CYolString& newName) {
    return Element().Text(u"oldname", oldName).Text(u"newname", newName).Command(u"grouprenamed").Done();
}

CYolString GroupDeleted(const CYolString& groupName) {
    return Element().Text(u"groupname", groupName).Command(u"groupdeleted").Done();
}

CYolString MetaAdded(unsigned int metaId, const CYolString& metaGroup, const CYolString& metaName) {
    // "metadded" is the server's spelling of the command.
    return Element()
        .Number(u"metaid", metaId)
        .Text(u"metagroup", metaGroup)
        .Text(u"metaname", metaName)
        .Command(u"metadded")
        .Done();
}

CYolString MetaRenamed(unsigned int metaId, const CYolString& newName) {
    return Element().Number(u"metaid", metaId).Text(u"newname", newName).Command(u"metarenamed").Done();
}

CYolString MetaMoved(unsigned int metaId, const CYolString& newGroupName) {
    return Element().Number(u"metaid", metaId).Text(u"newgroupname", newGroupName).Command(u"metamoved").Done();
}

CYolString MetaDeleted(unsigned int metaId) {
    return Element().Number(u"metaid", metaId).Command(u"metadeleted").Done();
}

CYolString SubAdded(unsigned int metaId, const CYolString& metaGroup, unsigned int subPosition,
                    const CYolString& subName, const CYolString& protoName) {
    return Element()
        .Number(u"metaid", metaId)
        .Text(u"metagroup", metaGroup)
        .Number(u"subid", uint64_t(subPosition) + 1)
        .Text(u"subname", subName)
        .Text(u"protoname", protoName)
        .Command(u"subadded")
        .Done();
}

CYolString SubMoved(unsigned int metaId, unsigned int subPosition, unsigned int newPosition,
                    const CYolString& subName, const CYolString& protoName) {
    return Element()
        .Number(u"metaid", metaId)
        .Number(u"subid", uint64_t(subPosition) + 1)
        .Number(u"newsubpos", uint64_t(newPosition) + 1)
        .Text(u"subname", subName)
        .Text(u"protoname", protoName)
        .Command(u"moved")
        .Done();
}

CYolString SubDeleted(unsigned int metaId, unsigned int subPosition, const CYolString& subName,
                      const CYolString& protoName) {
    return Element()
        .Number(u"metaid", metaId)
        .Number(u"subid", uint64_t(subPosition) + 1)
        .Text(u"subname", subName)
        .Text(u"protoname", protoName)
        .Command(u"deleted")
        .Done();
}

CYolString Document(const CYolString& element) {
    return CYolString(u"<changes>") + element + u"</changes>";
}

CYolString Document(const CYolArray<CYolString>& elements) {
    if (elements.Count() == 0)
        return CYolString();
    std::u16string text = u"<changes>";
    for (const CYolString& e : elements)
        text.append(e.c_str(), static_cast<size_t>(e.Length()));
    text += u"</changes>";
    return CYolString(text.data(), static_cast<int>(text.size()));
}

}  // namespace ServerStoreChanges
