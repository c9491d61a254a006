// CYolFormatString: a message template with named "<name>" parameters.
//
// Values often come from the network (contact names, message text), so they
// are inserted in one pass over the template and never scanned for tags
// themselves: a value can never act as a template.

#include "CYolString.h"

#include <algorithm>
#include <string>
#include <vector>

CYolFormatString::CYolFormatString() = default;

CYolFormatString::CYolFormatString(const CYolString& templ) : defaultTemplate(templ) {}

CYolFormatString::CYolFormatString(const CYolFormatString& other) = default;

CYolFormatString::~CYolFormatString() = default;

CYolFormatString& CYolFormatString::operator=(const CYolFormatString& other) = default;

CYolFormatString& CYolFormatString::operator=(const CYolString& templ) {
    defaultTemplate = templ;
    localizedTemplate = CYolString();
    params.Clear();
    return *this;
}

void CYolFormatString::AddParam(const CYolString& name, const CYolString& value) {
    params.Add(CYolPair<CYolString, CYolString>(name, value));
}

void CYolFormatString::GetLocalized(CYolString& out) const {
    const CYolString& templ = localizedTemplate.IsEmpty() ? defaultTemplate : localizedTemplate;
    std::u16string_view text(templ.c_str(), static_cast<size_t>(templ.Length()));

    // Each parameter, in the order added, claims the first occurrence of its
    // tag that no earlier parameter claimed; so a name given twice fills two
    // occurrences, and a tag that appears twice is filled once.
    struct Claim {
        size_t at;
        size_t length;
        const CYolString* value;
    };
    std::vector<Claim> claims;
    for (const auto& param : params) {
        std::u16string tag;
        tag.reserve(static_cast<size_t>(param.first.Length()) + 2);
        tag.push_back(u'<');
        tag.append(param.first.c_str(), static_cast<size_t>(param.first.Length()));
        tag.push_back(u'>');
        for (size_t at = text.find(tag); at != text.npos; at = text.find(tag, at + 1)) {
            bool taken = std::any_of(claims.begin(), claims.end(), [&](const Claim& c) {
                return at < c.at + c.length && c.at < at + tag.size();
            });
            if (!taken) {
                claims.push_back({at, tag.size(), &param.second});
                break;
            }
        }
    }
    if (claims.empty()) {
        out = templ;
        return;
    }
    std::sort(claims.begin(), claims.end(), [](const Claim& a, const Claim& b) { return a.at < b.at; });

    std::u16string result;
    size_t from = 0;
    for (const Claim& c : claims) {
        result.append(text.substr(from, c.at - from));
        result.append(c.value->c_str(), static_cast<size_t>(c.value->Length()));
        from = c.at + c.length;
    }
    result.append(text.substr(from));
    out = CYolString(result.data(), static_cast<int>(result.size()));
}

CYolString CYolFormatString::GetLocalized() const {
    CYolString out;
    GetLocalized(out);
    return out;
}
