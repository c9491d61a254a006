// The account settings store: typed access by key, and the account-settings
// block that carries an account's settings to the server store.

#include "CAccountSettingsStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Protocols::CAccountSettingsStore;

namespace {

using Bytes = std::vector<unsigned char>;

CYolString Key(const char* text) {
    return CYolString::FromUtf8(text);
}

Bytes Hex(const std::string& text) {
    Bytes out;
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes Export(const CAccountSettingsStore& store) {
    CBigTLVCol block;
    store.Export(block);
    return CAccountSettingsStore::BlockBytes(block);
}

void Import(CAccountSettingsStore& store, const Bytes& bytes) {
    CBigTLVCol block;
    ASSERT_TRUE(CAccountSettingsStore::ParseBlock(bytes.data(), bytes.size(), block));
    store.Import(block);
}

Bytes Raw(const CAccountSettingsStore& store, const char* key) {
    unsigned int size = 0;
    if (!store.GetValueSize(Key(key), size))
        return {};
    Bytes value(size);
    store.GetBlob(Key(key), value.data(), size);
    return value;
}

// Every kind of key the block carries, as the server store's golden block
// below holds it.
CAccountSettingsStore GoldenAccount() {
    CAccountSettingsStore s;
    s.SetString(Key("SrvConServer"), Key("srv"), false);
    s.SetDword(Key("SrvConPort"), 5190);
    s.SetByte(Key("SrvConKeepAlive"), 1);
    s.SetString(Key("SrvLogName"), Key("abc"), false);
    s.SetString(Key("SrvLogMail"), Key("a@b"), false);
    s.SetString(Key("SrvLogPass"), Key("pw"), true);
    s.SetByte(Key("SrvLogSave"), 1);
    s.SetByte(Key("SrvLogSecure"), 0);
    s.SetString(Key("SrvLogDisp"), Key("Me"), false);
    s.SetBool(Key("SrvLogHashed"), true);
    s.SetByte(Key("SrvSetsAuthReq"), 1);
    s.SetWord(Key("SrvSetsWebAware"), 1);  // not a byte: stays out
    s.SetDword(Key("SrvSetsStatus"), 0x01020304);
    s.SetString(Key("SrvSetsCap2"), Key("x"), false);
    s.SetString(Key("SrvProtoName"), Key("ICQ"), false);
    s.SetString(Key("SrvFileName"), Key("Ruv1"), false);
    s.SetByte(Key("SrvEnabled"), 1);
    s.SetByte(Key("SrvSpecBool19"), 1);
    s.SetDword(Key("SrvSpecDword0"), 7);
    s.SetString(Key("SrvSpecString0"), Key("z"), false);
    s.SetByte(Key("BaseAcc"), 1);         // the program's own: never in the block
    s.SetDword(Key("Logon date"), 1234);  // likewise
    return s;
}

const char* const kGoldenBlock =
    // big TLV 2, connection: server "srv", port as the digits "5190", keep-alive
    "0002 00000014  0001 0003 737276  0002 0004 35313930  0009 0001 01"
    // big TLV 3, login: name and mail scrambled, password as stored, flags, display name
    "0003 00000029  0001 0003 9D9B99  0002 0003 9DBD9A  0003 0002 8E86  0004 0001 01"
    "               0005 0001 00  0007 0002 4D65  0008 0001 01"
    // big TLV 4, settings: auth request, status big-endian, capability 2
    "0004 00000012  0001 0001 01  0005 0004 01020304  000C 0001 78"
    // big TLVs 6, 7, 8: protocol name, file name, enabled
    "0006 00000003 494351  0007 00000004 52757631  0008 00000001 01"
    // big TLV 10, plug-in values: bool 19, dword 0, string 0
    "000A 00000012  0013 0001 01  0014 0004 00000007  0028 0001 7A";

TEST(AccountSettingsBlock, ExportsTheGoldenBlock) {
    EXPECT_EQ(Export(GoldenAccount()), Hex(kGoldenBlock));
}

TEST(AccountSettingsBlock, ImportIntoAnEmptyAccountExportsTheSameBlock) {
    CAccountSettingsStore imported;
    Import(imported, Hex(kGoldenBlock));
    EXPECT_EQ(Export(imported), Hex(kGoldenBlock));

    // The record holds the scrambled keys in plain text again.
    CYolString name;
    ASSERT_TRUE(imported.GetString(Key("SrvLogName"), name, false));
    EXPECT_EQ(name.ToUtf8(), "abc");
    CYolString password;
    ASSERT_TRUE(imported.GetString(Key("SrvLogPass"), password, true));
    EXPECT_EQ(password.ToUtf8(), "pw");
    unsigned int port = 0;
    ASSERT_TRUE(imported.GetDword(Key("SrvConPort"), port));
    EXPECT_EQ(port, 5190u);
    unsigned int special = 0;
    ASSERT_TRUE(imported.GetDword(Key("SrvSpecDword0"), special));
    EXPECT_EQ(special, 7u);
}

TEST(AccountSettingsBlock, AnEmptyAccountGivesTheFourCollectionsEmpty) {
    EXPECT_EQ(Export(CAccountSettingsStore()), Hex("0002 00000000 0003 00000000 0004 00000000 000A 00000000"));
}

TEST(AccountSettingsBlock, ValuesOfTheWrongSizeOrTooLongStayOut) {
    struct Case {
        const char* what;
        void (*fill)(CAccountSettingsStore&);
        const char* block;
    };
    const Case cases[] = {
        {"port stored as a word", [](CAccountSettingsStore& s) { s.SetWord(Key("SrvConPort"), 5190); },
         "0002 00000000 0003 00000000 0004 00000000 000A 00000000"},
        {"password of 300 bytes",
         [](CAccountSettingsStore& s) {
             Bytes pass(300, 0x41);
             s.SetBlob(Key("SrvLogPass"), pass.data(), 300);
         },
         "0002 00000000 0003 00000000 0004 00000000 000A 00000000"},
        {"enabled stored as a dword", [](CAccountSettingsStore& s) { s.SetDword(Key("SrvEnabled"), 1); },
         "0002 00000000 0003 00000000 0004 00000000 000A 00000000"},
        {"plug-in bool beyond 19", [](CAccountSettingsStore& s) { s.SetByte(Key("SrvSpecBool20"), 1); },
         "0002 00000000 0003 00000000 0004 00000000 000A 00000000"},
    };
    for (const Case& c : cases) {
        CAccountSettingsStore store;
        c.fill(store);
        EXPECT_EQ(Export(store), Hex(c.block)) << c.what;
    }
}

TEST(AccountSettingsBlock, APasswordOf256BytesIsCarried) {
    CAccountSettingsStore store;
    Bytes pass(256, 0x41);
    store.SetBlob(Key("SrvLogPass"), pass.data(), 256);
    CAccountSettingsStore copy;
    Import(copy, Export(store));
    EXPECT_EQ(Raw(copy, "SrvLogPass"), pass);
}

TEST(AccountSettingsBlock, ImportSetsOnlyWhatIsPresent) {
    CAccountSettingsStore store;
    store.SetString(Key("SrvProtoName"), Key("kept"), false);
    store.SetString(Key("SrvLogDisp"), Key("old"), false);
    Import(store, Hex("0003 00000006 0007 0002 4E65"));  // only the display name "Ne"
    CYolString text;
    ASSERT_TRUE(store.GetString(Key("SrvProtoName"), text, false));
    EXPECT_EQ(text.ToUtf8(), "kept");
    ASSERT_TRUE(store.GetString(Key("SrvLogDisp"), text, false));
    EXPECT_EQ(text.ToUtf8(), "Ne");
    EXPECT_EQ(store.Count(), 2);
}

// Values that do not have the shape their key needs are left unread, and
// the keys stay unset.
TEST(AccountSettingsBlock, RejectsMalformedValues) {
    struct Case {
        const char* what;
        const char* block;
        const char* key;
    };
    const Case cases[] = {
        {"empty enabled flag", "0008 00000000", "SrvEnabled"},
        {"empty keep-alive", "0002 00000004 0009 0000", "SrvConKeepAlive"},
        {"keep-alive of two bytes", "0002 00000006 0009 0002 0101", "SrvConKeepAlive"},
        {"empty port", "0002 00000004 0002 0000", "SrvConPort"},
        {"port that is not a number", "0002 00000007 0002 0003 313261", "SrvConPort"},
        {"port past 32 bits", "0002 0000000F 0002 000B 3939393939393939393939", "SrvConPort"},
        {"status of three bytes", "0004 00000007 0005 0003 010203", "SrvSetsStatus"},
        {"empty plug-in bool", "000A 00000004 0000 0000", "SrvSpecBool0"},
        {"plug-in dword of two bytes", "000A 00000006 0014 0002 0001", "SrvSpecDword0"},
        {"plug-in value id 60", "000A 00000005 003C 0001 41", "SrvSpecString20"},
        {"plug-in value id 65535", "000A 00000005 FFFF 0001 41", "SrvSpecString65495"},
    };
    for (const Case& c : cases) {
        CAccountSettingsStore store;
        Import(store, Hex(c.block));
        unsigned int size = 0;
        EXPECT_FALSE(store.GetValueSize(Key(c.key), size)) << c.what;
        EXPECT_EQ(store.Count(), 0) << c.what;
    }
}

TEST(AccountSettingsBlock, PluginValuesComeBackUnderTheirKeys) {
    CAccountSettingsStore store;
    Import(store, Hex("000A 00000012  0000 0001 05  0027 0004 0A0B0C0D  003B 0001 51"));
    unsigned char flag = 0;
    ASSERT_TRUE(store.GetByte(Key("SrvSpecBool0"), flag));
    EXPECT_EQ(flag, 5);
    unsigned int value = 0;
    ASSERT_TRUE(store.GetDword(Key("SrvSpecDword19"), value));
    EXPECT_EQ(value, 0x0A0B0C0Du);
    CYolString text;
    ASSERT_TRUE(store.GetString(Key("SrvSpecString19"), text, false));
    EXPECT_EQ(text.ToUtf8(), "Q");
}

TEST(AccountSettingsBlock, ParseRejectsBytesThatAreNotWholeRecords) {
    const char* const broken[] = {
        "00",                    // not even a header
        "0002 00000005 0001",    // value runs past the end
        "0002 00000000 00",      // trailing bytes
    };
    for (const char* text : broken) {
        Bytes bytes = Hex(text);
        CBigTLVCol block;
        EXPECT_FALSE(CAccountSettingsStore::ParseBlock(bytes.data(), bytes.size(), block)) << text;
    }
}

TEST(AccountSettingsBlock, ACollectionCutShortKeepsItsWholeRecords) {
    CAccountSettingsStore store;
    // TLV 9 is whole; the TLV 1 behind it claims more bytes than there are.
    Import(store, Hex("0002 0000000B 0009 0001 01 0001 0009 7372"));
    unsigned char keepAlive = 0;
    EXPECT_TRUE(store.GetByte(Key("SrvConKeepAlive"), keepAlive));
    unsigned int size = 0;
    EXPECT_FALSE(store.GetValueSize(Key("SrvConServer"), size));
}

// --- typed access ---------------------------------------------------------------

TEST(AccountSettingsStore, TypedGettersNeedTheExactSize) {
    CAccountSettingsStore store;
    store.SetWord(Key("Two"), 0x0102);
    unsigned int dword = 99;
    unsigned short word = 0;
    unsigned char byte = 99;
    bool flag = false;
    EXPECT_FALSE(store.GetDword(Key("Two"), dword));
    EXPECT_EQ(dword, 99u);
    EXPECT_TRUE(store.GetWord(Key("Two"), word));
    EXPECT_EQ(word, 0x0102);
    EXPECT_FALSE(store.GetByte(Key("Two"), byte));
    EXPECT_FALSE(store.GetBool(Key("Two"), flag));
    EXPECT_EQ(Raw(store, "Two"), Hex("0201"));
}

TEST(AccountSettingsStore, BlobNeedsRoomForTheWholeValue) {
    CAccountSettingsStore store;
    const unsigned char value[] = {1, 2, 3, 4, 5};
    store.SetBlob(Key("Blob"), value, 5);
    unsigned char buffer[5] = {};
    unsigned int size = 4;
    EXPECT_FALSE(store.GetBlob(Key("Blob"), buffer, size));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buffer[0], 0);
    size = 5;
    EXPECT_TRUE(store.GetBlob(Key("Blob"), buffer, size));
    EXPECT_EQ(Bytes(buffer, buffer + 5), Bytes(value, value + 5));
}

TEST(AccountSettingsStore, SettersReplaceInPlaceAndAppendNewKeys) {
    CAccountSettingsStore store;
    store.SetByte(Key("First"), 1);
    store.SetString(Key("Second"), Key("text"), false);
    store.SetDword(Key("First"), 0x11223344);
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Records()[0].GetName().ToUtf8(), "First");
    EXPECT_EQ(Raw(store, "First"), Hex("44332211"));
    bool flag = false;
    store.SetBool(Key("Flag"), true);
    EXPECT_TRUE(store.GetBool(Key("Flag"), flag));
    EXPECT_EQ(Raw(store, "Flag"), Hex("01"));
}

TEST(AccountSettingsStore, ProtectedStringsAreStoredTransformed) {
    CAccountSettingsStore store;
    store.SetString(Key("SrvLogPass"), Key("abc"), true);
    EXPECT_EQ(Raw(store, "SrvLogPass"), Hex("9D9B99"));
    CYolString plain;
    ASSERT_TRUE(store.GetString(Key("SrvLogPass"), plain, true));
    EXPECT_EQ(plain.ToUtf8(), "abc");
}

TEST(AccountSettingsStore, MissingKeysLeaveOutputsUntouched) {
    CAccountSettingsStore store;
    CYolString text = Key("unchanged");
    unsigned int size = 7;
    EXPECT_FALSE(store.GetString(Key("Nope"), text, false));
    EXPECT_FALSE(store.GetValueSize(Key("Nope"), size));
    EXPECT_EQ(text.ToUtf8(), "unchanged");
    EXPECT_EQ(size, 7u);
}

TEST(AccountSettingsStore, PackedFormRoundTrips) {
    CAccountSettingsStore store = GoldenAccount();
    Bytes packed;
    ASSERT_TRUE(store.Pack(packed));
    CAccountSettingsStore copy;
    ASSERT_TRUE(copy.Unpack(packed.data(), packed.size()));
    EXPECT_EQ(Export(copy), Hex(kGoldenBlock));
    EXPECT_EQ(copy.Count(), store.Count());

    // A cut packed form changes nothing.
    EXPECT_FALSE(copy.Unpack(packed.data(), packed.size() - 1));
    EXPECT_EQ(copy.Count(), store.Count());
}

}  // namespace
