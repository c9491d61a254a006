// Matching users against the client rules, formatting the client's
// version, and the plug-in's shared copy of the rules.

#include "CRuvClientRules.h"

#include "CYolFile.h"
#include "CYolPath.h"
#include "YolTypes.h"

#include <algorithm>

#include <cstring>

namespace {

// The direct-connection block's fields; a field the block is too short for
// reads as 0.
struct DcBlock {
    explicit DcBlock(const std::string& bytes) {
        protocolVersion = Read(bytes, 9, 2);
        for (int i = 0; i < 3; ++i)
            dcInfo[i] = Read(bytes, 23 + 4 * static_cast<size_t>(i), 4);
    }
    static uint32_t Read(const std::string& bytes, size_t at, size_t width) {
        if (at + width > bytes.size())
            return 0;
        uint32_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
        return value;
    }
    uint32_t protocolVersion = 0;
    uint32_t dcInfo[3] = {};
};

bool AnyMatches(const TCapPrefix& prefix, const std::vector<RuvCapabilityGuid>& guids) {
    for (const RuvCapabilityGuid& guid : guids)
        if (prefix.Matches(guid))
            return true;
    return false;
}

bool Passes(const TClientRule& rule, const DcBlock& dc, const std::vector<RuvCapabilityGuid>& guids) {
    if (rule.protocolVersionSet && rule.protocolVersion != dc.protocolVersion)
        return false;
    for (int i = 0; i < 3; ++i)
        if (rule.dcInfoSet[i] && rule.dcInfo[i] != dc.dcInfo[i])
            return false;
    if (rule.exact && guids.size() != rule.required.size())
        return false;
    for (const TCapPrefix& prefix : rule.required)
        if (!AnyMatches(prefix, guids))
            return false;
    for (const TCapPrefix& prefix : rule.forbidden)
        if (AnyMatches(prefix, guids))
            return false;
    return true;
}

std::string LowerHex(const uint8_t* bytes, size_t size) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 15]);
    }
    return out;
}

std::string Decimal(int64_t value) { return std::to_string(value); }

CYolString CapVersion(const TClientRule& rule, const std::string& caps) {
    for (size_t at = 0; at + 16 <= caps.size(); at += 16) {
        const auto* guid = reinterpret_cast<const uint8_t*>(caps.data() + at);
        if (LowerHex(guid, 16).find(rule.versionPrefix) == std::string::npos)
            continue;
        const size_t skip = std::min<size_t>(static_cast<size_t>(rule.versionWidth), 16);
        const uint8_t* tail = guid + skip;
        size_t count = 16 - skip;
        if (rule.versionForm == RuvVersionForm::CapText) {
            const size_t end = std::find(tail, tail + count, 0) - tail;
            return CYolString(reinterpret_cast<const char*>(tail), static_cast<int>(end), YOL_CP_1251);
        }
        if (rule.versionSource > 0)
            count = std::min(count, static_cast<size_t>(rule.versionSource));
        std::string text;
        for (size_t i = 0; i < count; ++i)
            text += (i ? "." : "") + Decimal(static_cast<int8_t>(tail[i]));
        return CYolString::FromUtf8(text);
    }
    return CYolString();
}

CYolString DcVersion(const TClientRule& rule, const std::string& block) {
    const uint32_t value = DcBlock(block).dcInfo[rule.versionSource - 1];
    const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    std::string text;
    switch (rule.versionForm) {
    case RuvVersionForm::DcMasked: {
        const int width = rule.versionWidth;
        const uint32_t mask = width >= 1 && width <= 3 ? (1u << (8 * width)) - 1 : 0xFFFFFFFFu;
        text = Decimal(value & mask);
        break;
    }
    case RuvVersionForm::DcDotted:
    case RuvVersionForm::DcConcat:
        for (int i = 0; i < 4; ++i)
            text += (i && rule.versionForm == RuvVersionForm::DcDotted ? "." : "") + Decimal(bytes[i]);
        break;
    default: break;
    }
    return CYolString::FromUtf8(text);
}

}  // namespace

bool TCapPrefix::Matches(const RuvCapabilityGuid& guid) const {
    return std::memcmp(bytes.data(), guid.data(), std::min<size_t>(length, 16)) == 0;
}

int CRuvClientRuleList::Match(const RuvClientInputs& user) const {
    if (!user.dcInfo)
        return -1;
    const DcBlock dc(*user.dcInfo);
    const std::vector<RuvCapabilityGuid> guids = user.Guids();
    for (size_t i = 0; i < rules.size(); ++i)
        if (Passes(rules[i], dc, guids))
            return static_cast<int>(i);
    return -1;
}

CYolString CRuvClientRuleList::FormatName(const TClientRule& rule, const RuvClientInputs& user) {
    const int percent = rule.name.Find(0, CYolString(u"%"));
    if (percent < 0)
        return rule.name;
    CYolString version;
    switch (rule.versionForm) {
    case RuvVersionForm::CapText:
    case RuvVersionForm::CapBytes:
        if (!user.caps)
            return rule.name;
        version = CapVersion(rule, *user.caps);
        break;
    case RuvVersionForm::DcMasked:
    case RuvVersionForm::DcDotted:
    case RuvVersionForm::DcConcat:
        if (!user.dcInfo)
            return rule.name;
        version = DcVersion(rule, *user.dcInfo);
        break;
    case RuvVersionForm::None: return rule.name;
    }
    return rule.name.Substring(0, percent) + version +
           rule.name.Substring(percent + 1, rule.name.Length() - percent - 1);
}

// ---- the shared rules -------------------------------------------------------

CRuvClientRules& CRuvClientRules::Instance() {
    static CRuvClientRules rules;
    return rules;
}

void CRuvClientRules::Join(bool wanted, const CYolString& path, const Images& images) {
    std::lock_guard guard(lock);
    ++members;
    if (!wanted || !list.Rules().empty())
        return;
    std::vector<unsigned char> bytes;
    if (CYolFile::ReadAllBytes(path, bytes, static_cast<int64_t>(CRuvClientRuleList::kMaxFileBytes)))
        LoadLocked(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), images);
}

void CRuvClientRules::LoadBytes(std::string_view bytes, const Images& images) {
    std::lock_guard guard(lock);
    if (list.Rules().empty())
        LoadLocked(bytes, images);
}

void CRuvClientRules::LoadLocked(std::string_view bytes, const Images& images) {
    list = CRuvClientRuleList::ParseFile(bytes);
    for (TClientRule& rule : list.Rules())
        if (!rule.pictureFile.IsEmpty() && images.registerImage)
            rule.picture = images.registerImage(CYolString(CYolPath::ClientsDir()) + rule.pictureFile);
}

void CRuvClientRules::Leave(const Images& images) {
    std::lock_guard guard(lock);
    if (members == 0 || --members > 0)
        return;
    ClearLocked(images);
}

void CRuvClientRules::ClearLocked(const Images& images) {
    for (const TClientRule& rule : list.Rules())
        if (rule.picture != -1 && images.releaseImage)
            images.releaseImage(rule.picture);
    list = CRuvClientRuleList();
}

void CRuvClientRules::Identify(const RuvClientInputs& user, RuvClientIdentification& out) const {
    std::lock_guard guard(lock);
    const int index = list.Match(user);
    if (index < 0)
        return;
    const TClientRule& rule = list.Rules()[static_cast<size_t>(index)];
    out.rule = index;
    out.clientName = CRuvClientRuleList::FormatName(rule, user);
    out.picture = rule.picture;
}

size_t CRuvClientRules::Count() const {
    std::lock_guard guard(lock);
    return list.Rules().size();
}

CYolString RuvClientRulesPath() { return CYolPath::GetProtoDir(u"Ruv") + u"clients.cfg"; }
