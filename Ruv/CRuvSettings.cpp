#include "CRuvSettings.h"

#include "CProtocolsManager.h"
#include "YolHex.h"

namespace {

constexpr const char16_t* kPassword = u"SrvLogPass";

struct FlagKey {
    const char16_t* key;
    bool CRuvSettings::*field;
    bool fallback;
};

constexpr FlagKey kFlags[] = {
    {u"Show standard icon", &CRuvSettings::showStandardIcon, false},
    {u"Show priv status in statusbar", &CRuvSettings::showPrivStatusInStatusbar, true},
    {u"Show clients icons", &CRuvSettings::showClientsIcons, true},
    {u"Typing notification", &CRuvSettings::typingNotification, true},
    {u"XStatusAutoRequest", &CRuvSettings::xStatusAutoRequest, true},
};

bool DigestFromText(const std::string& text, std::array<uint8_t, 16>& out) {
    for (size_t i = 0; i < out.size(); ++i) {
        int high = YolHexDigitValue(static_cast<unsigned char>(text[2 * i]));
        int low = YolHexDigitValue(static_cast<unsigned char>(text[2 * i + 1]));
        if (high < 0 || low < 0)
            return false;
        out[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

}  // namespace

std::string ScramblePasswordText(std::string bytes) {
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(~(static_cast<uint8_t>(bytes[i]) + i + 1));
    return bytes;
}

void CRuvSettingsStore::Load(CRuvSettings& settings) const {
    if (!manager)
        return;
    settings.login = CYolString();
    manager->GetAccountString(accountId, CYolString(u"SrvLogName"), settings.login, false);
    char stored[32];
    unsigned int size = sizeof(stored);
    settings.passwordDigest = {};
    if (manager->GetAccountBlob(accountId, CYolString(kPassword), stored, size) && size == sizeof(stored)) {
        std::string text = ScramblePasswordText(std::string(stored, sizeof(stored)));
        // A blob that is not hex text leaves no usable password.
        if (!DigestFromText(text, settings.passwordDigest))
            settings.passwordDigest = {};
    }
    for (const FlagKey& flag : kFlags) {
        bool value = flag.fallback;
        if (!manager->GetAccountBool(accountId, CYolString(flag.key), value))
            value = flag.fallback;
        settings.*flag.field = value;
    }
    settings.loaded = true;
}

void CRuvSettingsStore::Save(const CRuvSettings& settings) const {
    if (!manager || !settings.loaded)
        return;
    manager->SetAccountString(accountId, CYolString(u"SrvLogName"), settings.login, false);
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (uint8_t byte : settings.passwordDigest) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 15]);
    }
    std::string blob = ScramblePasswordText(text);
    manager->SetAccountBlob(accountId, CYolString(kPassword), blob.data(), static_cast<unsigned int>(blob.size()));
    for (const FlagKey& flag : kFlags)
        manager->SetAccountBool(accountId, CYolString(flag.key), settings.*flag.field);
    CYolString server;
    if (!manager->GetAccountString(accountId, CYolString(u"SrvConServer"), server, false))
        manager->SetAccountString(accountId, CYolString(u"SrvConServer"), CYolString(CRuvSettings::kDefaultServer), false);
    unsigned int port = 0;
    if (!manager->GetAccountDword(accountId, CYolString(u"SrvConPort"), port))
        manager->SetAccountDword(accountId, CYolString(u"SrvConPort"), CRuvSettings::kDefaultPort);
    manager->SetAccountString(accountId, CYolString(u"SrvProtoName"), CYolString(), false);
    const struct {
        const char16_t* key;
        unsigned char value;
    } fixed[] = {{u"SrvEnabled", 1}, {u"SrvLogSave", 1}, {u"SrvLogSecure", 0}, {u"SrvLogMobile", 0}, {u"SrvLogHashed", 0}};
    for (const auto& entry : fixed)
        manager->SetAccountByte(accountId, CYolString(entry.key), entry.value);
}

CYolString CRuvSettingsStore::GetServer() const {
    CYolString host;
    if (!manager || !manager->GetAccountString(accountId, CYolString(u"SrvConServer"), host, false) || host.IsEmpty())
        return CYolString(CRuvSettings::kDefaultServer);
    return host;
}

void CRuvSettingsStore::SetServer(const CYolString& host) const {
    if (manager)
        manager->SetAccountString(accountId, CYolString(u"SrvConServer"), host, false);
}

unsigned int CRuvSettingsStore::GetPort() const {
    unsigned int port = 0;
    if (!manager || !manager->GetAccountDword(accountId, CYolString(u"SrvConPort"), port) || port == 0 || port > 65535)
        return CRuvSettings::kDefaultPort;
    return port;
}

void CRuvSettingsStore::SetPort(unsigned int port) const {
    if (manager)
        manager->SetAccountDword(accountId, CYolString(u"SrvConPort"), port);
}

CYolString CRuvSettingsStore::GetTransferProxy() const {
    CYolString host;
    if (!manager || !manager->GetAccountString(accountId, CYolString(u"SrvFTProxy"), host, false) || host.IsEmpty())
        return CYolString(CRuvSettings::kDefaultTransferProxy);
    return host;
}

unsigned int CRuvSettingsStore::GetTransferProxyPort() const {
    unsigned int port = 0;
    if (!manager || !manager->GetAccountDword(accountId, CYolString(u"SrvFTProxyPort"), port) || port == 0 ||
        port > 65535)
        return CRuvSettings::kDefaultPort;
    return port;
}

unsigned char CRuvSettingsStore::GetByte(const char16_t* key, unsigned char fallback) const {
    unsigned char value = fallback;
    if (!manager || !manager->GetAccountByte(accountId, CYolString(key), value))
        return fallback;
    return value;
}

void CRuvSettingsStore::SetByte(const char16_t* key, unsigned char value) const {
    if (manager)
        manager->SetAccountByte(accountId, CYolString(key), value);
}

namespace {

constexpr const char16_t* kListCacheKey = u"CL data";
// No list the server keeps comes near this.
constexpr unsigned int kListCacheLimit = 16u << 20;

}  // namespace

std::string CRuvSettingsStore::GetListCache() const {
    unsigned int size = 0;
    if (!manager || !manager->GetAccountValueSize(accountId, CYolString(kListCacheKey), size) || size == 0 ||
        size > kListCacheLimit)
        return {};
    std::string bytes(size, '\0');
    if (!manager->GetAccountBlob(accountId, CYolString(kListCacheKey), bytes.data(), size))
        return {};
    bytes.resize(std::min<size_t>(size, bytes.size()));
    return bytes;
}

void CRuvSettingsStore::SetListCache(const std::string& bytes) const {
    if (manager)
        manager->SetAccountBlob(accountId, CYolString(kListCacheKey), bytes.data(),
                                static_cast<unsigned int>(bytes.size()));
}
