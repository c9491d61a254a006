#include "XmppAccountSettings.h"

#include "CProtocolsManager.h"
#include "JabberProtocolInfo.h"
#include "YolGuids.h"
#include "ValueNames.h"

namespace {

constexpr const char16_t* kLoginKey = ValueName::SrvLogName;
constexpr const char16_t* kHashedKey = u"SrvLogHashed";
constexpr const char16_t* kPasswordKey = u"SrvLogPass";
constexpr const char16_t* kMailHashKey = u"Mail password hash";
constexpr const char16_t* kPortKey = u"SrvConPort";
constexpr const char16_t* kResourceKey = u"Account resource";
constexpr const char16_t* kPriorityKey = u"Account priority";
constexpr const char16_t* kSslKey = u"SrvSpecBool1";
constexpr const char16_t* kCompressionKey = u"Compression";
constexpr const char16_t* kProxyEnabledKey = u"SrvSetsProxyEnabled";
constexpr const char16_t* kProxyKey = u"SrvSetsBytestreamProxy";
constexpr const char16_t* kKeepAliveKey = u"KeepAlive";
constexpr const char16_t* kManualHostKey = u"SrvSpecBool2";
constexpr const char16_t* kHostKey = u"SrvSpecString2";
constexpr const char16_t* kHostPortKey = u"SrvSpecDword2";
constexpr const char16_t* kEmailNotifyKey = u"EmailNotify";
constexpr const char16_t* kHideEmailKey = u"HideEmailBtn";
constexpr const char16_t* kClientIconsKey = u"Accnt_ShowclientsIcons";
constexpr const char16_t* kAccountTypeKey = u"SrvSpecDword5";
constexpr const char16_t* kBaseAccountKey = u"BaseAcc";
constexpr const char16_t* kProtoNameKey = u"SrvProtoName";
constexpr const char16_t* kEnabledKey = u"SrvEnabled";
constexpr const char16_t* kSavePasswordKey = u"SrvLogSave";
constexpr const char16_t* kSpecDword7Key = u"SrvSpecDword7";

constexpr const char16_t* kDefaultResource = u"Yol PDA";
constexpr unsigned int kPlainPort = 5222;
constexpr unsigned int kSslPort = 5223;
constexpr unsigned int kSpecDword7 = 9;

// The account type the storage server keeps per kind; 0 writes none.
constexpr unsigned int kAccountTypes[kJabberKindCount] = {14005, 14001, 14004, 14002, 14003, 14001};

// The protocols manager's values of one account.
class ManagerStorage final : public XmppSettingsStorage {
public:
    ManagerStorage(Protocols::CProtocolsManager& manager, unsigned int account) : manager(manager), account(account) {}

    bool GetString(const CYolString& key, CYolString& value, bool isProtected) override {
        return manager.GetAccountString(account, key, value, isProtected);
    }
    bool GetBlob(const CYolString& key, void* buffer, unsigned int& size) override {
        return manager.GetAccountBlob(account, key, buffer, size);
    }
    bool GetDword(const CYolString& key, unsigned int& value) override {
        return manager.GetAccountDword(account, key, value);
    }
    bool GetByte(const CYolString& key, unsigned char& value) override {
        return manager.GetAccountByte(account, key, value);
    }
    void SetString(const CYolString& key, const CYolString& value, bool isProtected) override {
        manager.SetAccountString(account, key, value, isProtected);
    }
    void SetBlob(const CYolString& key, const void* data, unsigned int size) override {
        manager.SetAccountBlob(account, key, data, size);
    }
    void SetDword(const CYolString& key, unsigned int value) override { manager.SetAccountDword(account, key, value); }
    void SetByte(const CYolString& key, unsigned char value) override { manager.SetAccountByte(account, key, value); }

private:
    Protocols::CProtocolsManager& manager;
    unsigned int account;
};

Protocols::CProtocolsManager* ProtocolsManager(Services::CServicesManager* manager) {
    return manager != nullptr
               ? static_cast<Protocols::CProtocolsManager*>(manager->GetService(ProtocolsManagerGuid))
               : nullptr;
}

int KnownKind(int kind) {
    return kind >= 0 && kind < kJabberKindCount ? kind : JabberKindXmpp;
}

bool ReadFlag(XmppSettingsStorage& storage, const char16_t* key, bool fallback) {
    unsigned char value = 0;
    return storage.GetByte(key, value) ? value != 0 : fallback;
}

int HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The same sum undoes itself: (-(-b - i - 2) - i - 2) = b.
unsigned char Scramble(unsigned char value, unsigned int position) {
    return static_cast<unsigned char>(0u - value - position - 2u);
}

}  // namespace

void ScramblePasswordHash(const uint8_t hash[16], uint8_t blob[32]) {
    static const char digits[] = "0123456789abcdef";
    for (unsigned int i = 0; i < 16; ++i) {
        blob[2 * i] = Scramble(static_cast<unsigned char>(digits[hash[i] >> 4]), 2 * i);
        blob[2 * i + 1] = Scramble(static_cast<unsigned char>(digits[hash[i] & 0x0F]), 2 * i + 1);
    }
}

bool UnscramblePasswordHash(const uint8_t blob[32], uint8_t hash[16]) {
    uint8_t decoded[16];
    for (unsigned int i = 0; i < 16; ++i) {
        int high = HexDigit(Scramble(blob[2 * i], 2 * i));
        int low = HexDigit(Scramble(blob[2 * i + 1], 2 * i + 1));
        if (high < 0 || low < 0)
            return false;
        decoded[i] = static_cast<uint8_t>(high << 4 | low);
    }
    for (unsigned int i = 0; i < 16; ++i)
        hash[i] = decoded[i];
    return true;
}

void XmppAccountSettings::Load(Services::CServicesManager* manager, unsigned int accountId, int kind) {
    if (Protocols::CProtocolsManager* protocols = ProtocolsManager(manager)) {
        ManagerStorage storage(*protocols, accountId);
        Load(storage, kind);
    }
}

void XmppAccountSettings::Save(Services::CServicesManager* manager, unsigned int accountId, int kind) const {
    if (Protocols::CProtocolsManager* protocols = ProtocolsManager(manager)) {
        ManagerStorage storage(*protocols, accountId);
        Save(storage, kind);
    }
}

void XmppAccountSettings::Load(XmppSettingsStorage& storage, int kind) {
    kind = KnownKind(kind);
    const JabberFlavour& flavour = GetJabberFlavour(kind);
    const unsigned int defaultPort = kind == JabberKindGoogleTalk ? kSslPort : kPlainPort;

    CYolString login;
    if (storage.GetString(kLoginKey, login, false)) {
        const int at = login.Find(0, CYolString(u"@"));
        if (at >= 0) {
            userName = login.Substring(0, at);
            server = login.Substring(at + 1, login.Length() - at - 1);
        } else if (!login.IsEmpty()) {
            userName = login;
        }
    }

    unsigned char hashed = 0;
    if (!storage.GetByte(kHashedKey, hashed) || hashed == 0) {
        passwordHashed = 0;
        CYolString stored;
        password = storage.GetString(kPasswordKey, stored, true) ? stored : CYolString();
    } else {
        passwordHashed = 1;
        uint8_t blob[32];
        unsigned int size = sizeof blob;
        if (storage.GetBlob(kPasswordKey, blob, size) && size == sizeof blob)
            UnscramblePasswordHash(blob, passwordHash);
    }

    uint8_t mailHash[sizeof mailPasswordHash];
    unsigned int mailSize = sizeof mailHash;
    if (storage.GetBlob(kMailHashKey, mailHash, mailSize) && mailSize == sizeof mailHash)
        for (unsigned int i = 0; i < sizeof mailHash; ++i)
            mailPasswordHash[i] = mailHash[i];

    if (server.IsEmpty() && flavour.domains[0] != nullptr)
        server = flavour.domains[0];

    unsigned int number = 0;
    port = storage.GetDword(kPortKey, number) ? number : defaultPort;
    CYolString text;
    resource = storage.GetString(kResourceKey, text, false) && !text.IsEmpty() ? text : CYolString(kDefaultResource);
    unsigned char byte = 0;
    priority = storage.GetByte(kPriorityKey, byte) ? static_cast<int8_t>(byte) : int8_t{0};
    useSsl = ReadFlag(storage, kSslKey, kind == JabberKindGoogleTalk);
    compression = ReadFlag(storage, kCompressionKey, false);
    fileTransferProxyEnabled = ReadFlag(storage, kProxyEnabledKey, kind == JabberKindYol);
    text = CYolString();
    if (storage.GetString(kProxyKey, text, false))
        fileTransferProxy = text;
    else
        fileTransferProxy = flavour.fileTransferProxy != nullptr ? CYolString(flavour.fileTransferProxy) : CYolString();
    keepAlive = ReadFlag(storage, kKeepAliveKey, true);

    // The own service is always reached at its own host.
    manualHost = kind == JabberKindYol || ReadFlag(storage, kManualHostKey, flavour.connectionHost != nullptr);

    text = CYolString();
    if (storage.GetString(kHostKey, text, false) && !text.IsEmpty())
        host = text;
    else
        host = flavour.connectionHost != nullptr ? CYolString(flavour.connectionHost) : server;

    number = 0;
    hostPort = storage.GetDword(kHostPortKey, number) && number != 0 ? number : defaultPort;

    emailNotify = ReadFlag(storage, kEmailNotifyKey, true);
    showEmailButton = !ReadFlag(storage, kHideEmailKey, false);
    showClientIcons = ReadFlag(storage, kClientIconsKey, true);
    loaded = true;
}

void XmppAccountSettings::Save(XmppSettingsStorage& storage, int kind) const {
    if (!loaded)
        return;
    kind = KnownKind(kind);

    CYolString login = userName;
    login += u"@";
    login += server;
    storage.SetString(kLoginKey, login, false);
    storage.SetByte(kHashedKey, passwordHashed != 0 ? 1 : 0);
    if (passwordHashed != 0) {
        uint8_t blob[32];
        ScramblePasswordHash(passwordHash, blob);
        storage.SetBlob(kPasswordKey, blob, sizeof blob);
    } else {
        storage.SetString(kPasswordKey, password, true);
    }
    storage.SetBlob(kMailHashKey, mailPasswordHash, sizeof mailPasswordHash);

    storage.SetDword(kPortKey, port);
    storage.SetString(kResourceKey, resource, false);
    storage.SetByte(kPriorityKey, static_cast<unsigned char>(priority));
    storage.SetByte(kSslKey, useSsl ? 1 : 0);
    storage.SetByte(kCompressionKey, compression ? 1 : 0);
    storage.SetByte(kProxyEnabledKey, fileTransferProxyEnabled ? 1 : 0);
    storage.SetString(kProxyKey, fileTransferProxy, false);
    storage.SetByte(kKeepAliveKey, keepAlive ? 1 : 0);
    storage.SetByte(kManualHostKey, manualHost ? 1 : 0);
    storage.SetString(kHostKey, host, false);
    storage.SetDword(kHostPortKey, hostPort);
    storage.SetByte(kEmailNotifyKey, emailNotify ? 1 : 0);
    storage.SetByte(kHideEmailKey, showEmailButton ? 0 : 1);
    storage.SetByte(kClientIconsKey, showClientIcons ? 1 : 0);

    // The base account's type is the storage server's own business.
    unsigned char baseAccount = 0;
    const bool isBase = kind == JabberKindYol && storage.GetByte(kBaseAccountKey, baseAccount) && baseAccount != 0;
    if (!isBase)
        storage.SetDword(kAccountTypeKey, kAccountTypes[kind]);

    storage.SetString(kProtoNameKey, CYolString(), false);
    storage.SetByte(kEnabledKey, 1);
    storage.SetByte(kSavePasswordKey, 1);
    storage.SetDword(kSpecDword7Key, kSpecDword7);
}

CYolString XmppAccountSettings::Login() const {
    if (userName.IsEmpty())
        return {};
    CYolString login = userName;
    login += u"@";
    login += server;
    return login;
}
