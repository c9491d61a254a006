// The XMPP account's settings record against the protocols manager's real
// per-account store: the defaults of each flavour, how stored values override
// them, the stored password hash, and what Save writes.

#include "CAccountSettingsStore.h"
#include "TestSupport.h"
#include "XmppAccountSettings.h"
#include "JabberProtocolInfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Protocols::CAccountSettingsStore;

// The settings store the protocols manager keeps for one account.
class StoreStorage final : public XmppSettingsStorage {
public:
    CAccountSettingsStore store;

    bool GetString(const CYolString& key, CYolString& value, bool isProtected) override {
        return store.GetString(key, value, isProtected);
    }
    bool GetBlob(const CYolString& key, void* buffer, unsigned int& size) override {
        return store.GetBlob(key, buffer, size);
    }
    bool GetDword(const CYolString& key, unsigned int& value) override { return store.GetDword(key, value); }
    bool GetByte(const CYolString& key, unsigned char& value) override { return store.GetByte(key, value); }
    void SetString(const CYolString& key, const CYolString& value, bool isProtected) override {
        store.SetString(key, value, isProtected);
    }
    void SetBlob(const CYolString& key, const void* data, unsigned int size) override {
        store.SetBlob(key, data, size);
    }
    void SetDword(const CYolString& key, unsigned int value) override { store.SetDword(key, value); }
    void SetByte(const CYolString& key, unsigned char value) override { store.SetByte(key, value); }

    std::string String(const char* key, bool isProtected = false) {
        CYolString value;
        EXPECT_TRUE(store.GetString(W(key), value, isProtected)) << key;
        return value.ToUtf8();
    }
    unsigned int Dword(const char* key) {
        unsigned int value = 0xDEADBEEF;
        EXPECT_TRUE(store.GetDword(W(key), value)) << key;
        return value;
    }
    int Byte(const char* key) {
        unsigned char value = 0xEE;
        EXPECT_TRUE(store.GetByte(W(key), value)) << key;
        return value;
    }
    Bytes Blob(const char* key) {
        unsigned int size = 0;
        if (!store.GetValueSize(W(key), size))
            return {};
        Bytes out(size);
        store.GetBlob(W(key), out.data(), size);
        return out;
    }
    bool Has(const char* key) {
        unsigned int size = 0;
        return store.GetValueSize(W(key), size);
    }
};

Bytes HashBytes(const uint8_t (&hash)[16]) { return Bytes(hash, hash + 16); }

// The hash 0123456789abcdeffedcba9876543210 as stored: its hex digits, each
// scrambled with its position.
const Bytes kStoredHash = Hex(
    "CE CC CA C8 C6 C4 C2 C0 BE BC 93 91 8F 8D 8B 89"
    "88 88 88 88 88 88 AF AF AF AF AF AF AF AF AF AF");
const Bytes kHash = Hex("0123456789abcdeffedcba9876543210");

TEST(XmppAccountSettings, FreshRecordHoldsThePreLoadValues) {
    XmppAccountSettings s;
    EXPECT_TRUE(s.userName.IsEmpty() && s.server.IsEmpty() && s.resource.IsEmpty() && s.host.IsEmpty());
    EXPECT_EQ(s.port, 5222u);
    EXPECT_EQ(s.hostPort, 5222u);
    EXPECT_TRUE(s.keepAlive && s.emailNotify && s.showEmailButton && s.showClientIcons);
    EXPECT_FALSE(s.useSsl || s.compression || s.fileTransferProxyEnabled || s.manualHost || s.loaded);
    EXPECT_EQ(s.passwordHashed, 0);
    EXPECT_EQ(s.priority, 0);
    EXPECT_EQ(HashBytes(s.passwordHash), Bytes(16, 0));
}

TEST(XmppAccountSettings, EmptyStoreLoadsEachFlavoursDefaults) {
    const struct {
        int kind;
        const char* server;
        unsigned int port;
        bool ssl;
        bool proxyEnabled;
        const char* proxy;
        bool manualHost;
        const char* host;
    } rows[] = {
        {JabberKindYol, "yol.im", 5222, false, true, "proxy.yol.im", true, "xmpp.yol.im"},
        {JabberKindXmpp, "", 5222, false, false, "", false, ""},
        {JabberKindYandex, "ya.ru", 5222, false, false, "", true, "xmpp.yandex.ru"},
        {JabberKindGoogleTalk, "gmail.com", 5223, true, false, "", true, "talk.google.com"},
        {JabberKindLiveJournal, "livejournal.com", 5222, false, false, "", false, "livejournal.com"},
        {JabberKindVKontakte, "vk.com", 5222, false, false, "", true, "vkmessenger.com"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.kind);
        StoreStorage storage;
        XmppAccountSettings s;
        s.Load(storage, row.kind);
        EXPECT_TRUE(s.loaded);
        EXPECT_TRUE(s.userName.IsEmpty());
        EXPECT_EQ(Utf8Of(s.server), row.server);
        EXPECT_EQ(s.port, row.port);
        EXPECT_EQ(s.hostPort, row.port);
        EXPECT_EQ(s.useSsl, row.ssl);
        EXPECT_EQ(s.fileTransferProxyEnabled, row.proxyEnabled);
        EXPECT_EQ(Utf8Of(s.fileTransferProxy), row.proxy);
        EXPECT_EQ(s.manualHost, row.manualHost);
        EXPECT_EQ(Utf8Of(s.host), row.host);
        EXPECT_EQ(Utf8Of(s.resource), "Yol PDA");
        EXPECT_TRUE(s.keepAlive && s.emailNotify && s.showEmailButton && s.showClientIcons);
        EXPECT_FALSE(s.compression);
        EXPECT_EQ(s.passwordHashed, 0);
    }
}

TEST(XmppAccountSettings, LoginSplitsAtTheFirstAt) {
    const struct {
        int kind;
        const char* stored;
        const char* user;
        const char* server;
    } rows[] = {
        {JabberKindXmpp, "alice@example.org", "alice", "example.org"},
        {JabberKindXmpp, "a@b@c", "a", "b@c"},
        {JabberKindXmpp, "alice@", "alice", ""},
        {JabberKindYandex, "alice@", "alice", "ya.ru"},
        {JabberKindGoogleTalk, "alice", "alice", "gmail.com"},
        {JabberKindXmpp, "alice", "alice", ""},
        {JabberKindXmpp, "@example.org", "", "example.org"},
        {JabberKindXmpp, "пользователь@пример.рф", "пользователь", "пример.рф"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        StoreStorage storage;
        storage.store.SetString(W("SrvLogName"), W(row.stored), false);
        XmppAccountSettings s;
        s.Load(storage, row.kind);
        EXPECT_EQ(Utf8Of(s.userName), row.user);
        EXPECT_EQ(Utf8Of(s.server), row.server);
    }
}

TEST(XmppAccountSettings, LoginWithoutAtKeepsTheServerOfAnEarlierLoad) {
    StoreStorage storage;
    storage.store.SetString(W("SrvLogName"), W("alice@example.org"), false);
    XmppAccountSettings s;
    s.Load(storage, JabberKindXmpp);
    storage.store.SetString(W("SrvLogName"), W("bob"), false);
    s.Load(storage, JabberKindXmpp);
    EXPECT_EQ(Utf8Of(s.Login()), "bob@example.org");
}

TEST(XmppAccountSettings, GoogleTalkLoginWithoutDomainGetsTheSecurePort) {
    StoreStorage storage;
    storage.store.SetString(W("SrvLogName"), W("alice"), false);
    XmppAccountSettings s;
    s.Load(storage, JabberKindGoogleTalk);
    EXPECT_EQ(Utf8Of(s.Login()), "alice@gmail.com");
    EXPECT_EQ(s.port, 5223u);
    EXPECT_TRUE(s.useSsl);
}

TEST(XmppAccountSettings, StoredValuesOverrideTheFlavoursDefaults) {
    StoreStorage storage;
    auto& st = storage.store;
    st.SetDword(W("SrvConPort"), 15222);
    st.SetString(W("Account resource"), W("Кухня"), false);
    st.SetByte(W("Account priority"), 0xFB);
    st.SetByte(W("SrvSpecBool1"), 0);
    st.SetByte(W("Compression"), 1);
    st.SetByte(W("SrvSetsProxyEnabled"), 1);
    st.SetString(W("SrvSetsBytestreamProxy"), W("proxy.example.org"), false);
    st.SetByte(W("KeepAlive"), 0);
    st.SetByte(W("SrvSpecBool2"), 0);
    st.SetString(W("SrvSpecString2"), W("relay.example.org"), false);
    st.SetDword(W("SrvSpecDword2"), 5290);
    st.SetByte(W("EmailNotify"), 0);
    st.SetByte(W("HideEmailBtn"), 1);
    st.SetByte(W("Accnt_ShowclientsIcons"), 0);

    XmppAccountSettings s;
    s.Load(storage, JabberKindGoogleTalk);
    EXPECT_EQ(s.port, 15222u);
    EXPECT_EQ(Utf8Of(s.resource), "Кухня");
    EXPECT_EQ(s.priority, -5);
    EXPECT_FALSE(s.useSsl);
    EXPECT_TRUE(s.compression);
    EXPECT_TRUE(s.fileTransferProxyEnabled);
    EXPECT_EQ(Utf8Of(s.fileTransferProxy), "proxy.example.org");
    EXPECT_FALSE(s.keepAlive);
    EXPECT_FALSE(s.manualHost);
    EXPECT_EQ(Utf8Of(s.host), "relay.example.org");
    EXPECT_EQ(s.hostPort, 5290u);
    EXPECT_FALSE(s.emailNotify);
    EXPECT_FALSE(s.showEmailButton);
    EXPECT_FALSE(s.showClientIcons);
}

TEST(XmppAccountSettings, OwnServiceAlwaysUsesItsConnectionHost) {
    StoreStorage storage;
    storage.store.SetByte(W("SrvSpecBool2"), 0);
    XmppAccountSettings s;
    s.Load(storage, JabberKindYol);
    EXPECT_TRUE(s.manualHost);
}

TEST(XmppAccountSettings, EmptyHostAndZeroHostPortFallBack) {
    const struct {
        int kind;
        const char* host;
        unsigned int hostPort;
    } rows[] = {
        {JabberKindXmpp, "example.org", 5222},
        {JabberKindLiveJournal, "example.org", 5222},
        {JabberKindGoogleTalk, "talk.google.com", 5223},
        {JabberKindYol, "xmpp.yol.im", 5222},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.kind);
        StoreStorage storage;
        storage.store.SetString(W("SrvLogName"), W("alice@example.org"), false);
        storage.store.SetString(W("SrvSpecString2"), CYolString(), false);
        storage.store.SetDword(W("SrvSpecDword2"), 0);
        storage.store.SetString(W("Account resource"), CYolString(), false);
        XmppAccountSettings s;
        s.Load(storage, row.kind);
        EXPECT_EQ(Utf8Of(s.host), row.host);
        EXPECT_EQ(s.hostPort, row.hostPort);
        EXPECT_EQ(Utf8Of(s.resource), "Yol PDA");
    }
}

TEST(XmppAccountSettings, PlainPasswordIsAProtectedString) {
    StoreStorage storage;
    storage.store.SetString(W("SrvLogPass"), W("пароль secret"), true);
    XmppAccountSettings s;
    s.Load(storage, JabberKindXmpp);
    EXPECT_EQ(s.passwordHashed, 0);
    EXPECT_EQ(Utf8Of(s.password), "пароль secret");

    StoreStorage saved;
    s.Save(saved, JabberKindXmpp);
    EXPECT_EQ(saved.String("SrvLogPass", true), "пароль secret");
    // The bytes at rest are not the password's own.
    const Bytes raw = saved.Blob("SrvLogPass");
    const std::string utf8 = "пароль secret";
    EXPECT_NE(raw, Bytes(utf8.begin(), utf8.end()));
    EXPECT_EQ(saved.Byte("SrvLogHashed"), 0);
}

TEST(XmppAccountSettings, HashedPasswordReadsAndWritesTheScrambledDigits) {
    StoreStorage storage;
    storage.store.SetByte(W("SrvLogHashed"), 1);
    storage.store.SetBlob(W("SrvLogPass"), kStoredHash.data(), unsigned(kStoredHash.size()));
    XmppAccountSettings s;
    s.Load(storage, JabberKindYol);
    EXPECT_EQ(s.passwordHashed, 1);
    EXPECT_EQ(HashBytes(s.passwordHash), kHash);

    StoreStorage saved;
    s.Save(saved, JabberKindYol);
    EXPECT_EQ(saved.Byte("SrvLogHashed"), 1);
    EXPECT_EQ(saved.Blob("SrvLogPass"), kStoredHash);
}

TEST(XmppAccountSettings, MalformedHashBlobLeavesTheHashAlone) {
    Bytes notHex = kStoredHash;
    notHex[5] = 0x00;
    const Bytes blobs[] = {Bytes(kStoredHash.begin(), kStoredHash.end() - 1), Concat({kStoredHash, Bytes{0xAF}}), notHex,
                           Bytes()};
    for (const Bytes& blob : blobs) {
        SCOPED_TRACE(blob.size());
        StoreStorage storage;
        storage.store.SetByte(W("SrvLogHashed"), 1);
        storage.store.SetBlob(W("SrvLogPass"), blob.data(), unsigned(blob.size()));
        XmppAccountSettings s;
        std::memset(s.passwordHash, 0x5A, sizeof s.passwordHash);
        s.Load(storage, JabberKindXmpp);
        EXPECT_EQ(s.passwordHashed, 1);
        EXPECT_EQ(HashBytes(s.passwordHash), Bytes(16, 0x5A));
    }
}

TEST(XmppAccountSettings, ScramblingIsItsOwnInverseForEveryByte) {
    uint8_t hash[16];
    for (int start = 0; start < 256; start += 16) {
        for (int i = 0; i < 16; ++i)
            hash[i] = static_cast<uint8_t>(start + i);
        uint8_t blob[32];
        ScramblePasswordHash(hash, blob);
        uint8_t back[16] = {};
        ASSERT_TRUE(UnscramblePasswordHash(blob, back));
        EXPECT_EQ(Bytes(back, back + 16), Bytes(hash, hash + 16));
    }
}

TEST(XmppAccountSettings, MailPasswordHashNeedsExactlySixteenBytes) {
    const Bytes hash = Hex("00112233445566778899aabbccddeeff");
    StoreStorage storage;
    storage.store.SetBlob(W("Mail password hash"), hash.data(), 16);
    XmppAccountSettings s;
    s.Load(storage, JabberKindYol);
    EXPECT_EQ(HashBytes(s.mailPasswordHash), hash);

    StoreStorage shorter;
    shorter.store.SetBlob(W("Mail password hash"), hash.data(), 15);
    XmppAccountSettings t;
    t.Load(shorter, JabberKindYol);
    EXPECT_EQ(HashBytes(t.mailPasswordHash), Bytes(16, 0));
}

TEST(XmppAccountSettings, SaveWritesEveryKeyInItsStoredForm) {
    StoreStorage storage;
    storage.store.SetString(W("SrvLogName"), W("alice@ya.ru"), false);
    XmppAccountSettings s;
    s.Load(storage, JabberKindYandex);
    s.password = W("pw");
    s.priority = -3;
    s.showEmailButton = false;

    StoreStorage saved;
    s.Save(saved, JabberKindYandex);
    EXPECT_EQ(saved.String("SrvLogName"), "alice@ya.ru");
    EXPECT_EQ(saved.Byte("SrvLogHashed"), 0);
    EXPECT_EQ(saved.String("SrvLogPass", true), "pw");
    EXPECT_EQ(saved.Blob("Mail password hash"), Bytes(16, 0));
    EXPECT_EQ(saved.Dword("SrvConPort"), 5222u);
    EXPECT_EQ(saved.String("Account resource"), "Yol PDA");
    EXPECT_EQ(saved.Byte("Account priority"), 0xFD);
    EXPECT_EQ(saved.Byte("SrvSpecBool1"), 0);
    EXPECT_EQ(saved.Byte("Compression"), 0);
    EXPECT_EQ(saved.Byte("SrvSetsProxyEnabled"), 0);
    EXPECT_EQ(saved.String("SrvSetsBytestreamProxy"), "");
    EXPECT_EQ(saved.Byte("KeepAlive"), 1);
    EXPECT_EQ(saved.Byte("SrvSpecBool2"), 1);
    EXPECT_EQ(saved.String("SrvSpecString2"), "xmpp.yandex.ru");
    EXPECT_EQ(saved.Dword("SrvSpecDword2"), 5222u);
    EXPECT_EQ(saved.Byte("EmailNotify"), 1);
    EXPECT_EQ(saved.Byte("HideEmailBtn"), 1);
    EXPECT_EQ(saved.Byte("Accnt_ShowclientsIcons"), 1);
    EXPECT_EQ(saved.Dword("SrvSpecDword5"), 14004u);
    EXPECT_EQ(saved.String("SrvProtoName"), "");
    EXPECT_EQ(saved.Byte("SrvEnabled"), 1);
    EXPECT_EQ(saved.Byte("SrvLogSave"), 1);
    EXPECT_EQ(saved.Dword("SrvSpecDword7"), 9u);
}

TEST(XmppAccountSettings, EmptyServerStillSavesTheAt) {
    StoreStorage storage;
    storage.store.SetString(W("SrvLogName"), W("alice"), false);
    XmppAccountSettings s;
    s.Load(storage, JabberKindXmpp);
    s.Save(storage, JabberKindXmpp);
    EXPECT_EQ(storage.String("SrvLogName"), "alice@");
    EXPECT_TRUE(s.Login() == W("alice@"));
    EXPECT_TRUE(XmppAccountSettings().Login().IsEmpty());
}

TEST(XmppAccountSettings, AccountTypeFollowsTheKindAndSkipsTheBaseAccount) {
    const struct {
        int kind;
        int baseAcc;  // -1: not stored
        unsigned int type;  // 0: none written
    } rows[] = {
        {JabberKindYol, -1, 14005},        {JabberKindYol, 0, 14005},
        {JabberKindYol, 1, 0},             {JabberKindXmpp, 1, 14001},
        {JabberKindYandex, -1, 14004},     {JabberKindGoogleTalk, -1, 14002},
        {JabberKindLiveJournal, -1, 14003}, {JabberKindVKontakte, -1, 14001},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.kind << " " << row.baseAcc);
        StoreStorage storage;
        if (row.baseAcc >= 0)
            storage.store.SetByte(W("BaseAcc"), static_cast<unsigned char>(row.baseAcc));
        XmppAccountSettings s;
        s.Load(storage, row.kind);
        s.Save(storage, row.kind);
        if (row.type == 0)
            EXPECT_FALSE(storage.Has("SrvSpecDword5"));
        else
            EXPECT_EQ(storage.Dword("SrvSpecDword5"), row.type);
    }
}

TEST(XmppAccountSettings, SaveBeforeTheFirstLoadWritesNothing) {
    StoreStorage storage;
    XmppAccountSettings s;
    s.userName = W("alice");
    s.Save(storage, JabberKindXmpp);
    EXPECT_EQ(storage.store.Count(), 0);
    s.Save(nullptr, 1, JabberKindXmpp);
    s.Load(nullptr, 1, JabberKindXmpp);
    EXPECT_FALSE(s.loaded);
}

TEST(XmppAccountSettings, EveryFieldSurvivesSaveAndLoad) {
    StoreStorage storage;
    XmppAccountSettings s;
    s.Load(storage, JabberKindXmpp);
    s.userName = W("алиса");
    s.server = W("example.org");
    s.passwordHashed = 1;
    std::memcpy(s.passwordHash, kHash.data(), 16);
    std::memset(s.mailPasswordHash, 0xA5, 16);
    s.port = 5223;
    s.resource = W("Телефон");
    s.priority = -128;
    s.useSsl = true;
    s.compression = true;
    s.fileTransferProxyEnabled = true;
    s.fileTransferProxy = W("proxy.example.org");
    s.keepAlive = false;
    s.manualHost = true;
    s.host = W("relay.example.org");
    s.hostPort = 443;
    s.emailNotify = false;
    s.showEmailButton = false;
    s.showClientIcons = false;
    s.Save(storage, JabberKindXmpp);

    // Through the store's packed form, as the settings file keeps it.
    std::vector<unsigned char> packed;
    ASSERT_TRUE(storage.store.Pack(packed));
    StoreStorage reread;
    ASSERT_TRUE(reread.store.Unpack(packed.data(), packed.size()));
    XmppAccountSettings t;
    t.Load(reread, JabberKindXmpp);
    EXPECT_EQ(Utf8Of(t.userName), "алиса");
    EXPECT_EQ(Utf8Of(t.server), "example.org");
    EXPECT_EQ(t.passwordHashed, 1);
    EXPECT_EQ(HashBytes(t.passwordHash), kHash);
    EXPECT_EQ(HashBytes(t.mailPasswordHash), Bytes(16, 0xA5));
    EXPECT_EQ(t.port, 5223u);
    EXPECT_EQ(Utf8Of(t.resource), "Телефон");
    EXPECT_EQ(t.priority, -128);
    EXPECT_TRUE(t.useSsl && t.compression && t.fileTransferProxyEnabled && t.manualHost);
    EXPECT_EQ(Utf8Of(t.fileTransferProxy), "proxy.example.org");
    EXPECT_FALSE(t.keepAlive || t.emailNotify || t.showEmailButton || t.showClientIcons);
    EXPECT_EQ(Utf8Of(t.host), "relay.example.org");
    EXPECT_EQ(t.hostPort, 443u);
}

}  // namespace
