// The client rules of "clients.cfg": reading the file, matching a user's
// direct-connection block and capabilities, putting the version in the
// name, and the shared copy the accounts hold between them.

#include "CRuvClientRules.h"
#include "CYolFile.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

namespace {

using RuvTest::Bytes;

// The file as an editor saves it: a byte-order mark, then UTF-16LE.
std::string FileBytes(std::u16string_view text) {
    std::string out = "\xff\xfe";
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

CRuvClientRuleList Rules(std::u16string_view text) { return CRuvClientRuleList::ParseFile(FileBytes(text)); }

// A direct-connection block with the protocol version and dcinfo1-3.
std::string DcBlock(uint16_t version, uint32_t dc1, uint32_t dc2 = 0, uint32_t dc3 = 0) {
    OscarWriter out;
    out.Bytes(std::string(9, '\0')).U16(version).Bytes(std::string(12, '\0')).U32(dc1).U32(dc2).U32(dc3);
    out.Bytes(std::string(4, '\0'));
    return out.Take();
}

RuvClientInputs User(std::string dc, std::string caps = {}) {
    RuvClientInputs user;
    user.dcInfo = std::move(dc);
    if (!caps.empty())
        user.caps = std::move(caps);
    return user;
}

TEST(RuvClientRulesFile, ReadsRulesInFileOrderAndSkipsWhatIsNotARule) {
    const CRuvClientRuleList list = Rules(
        u"; comment\r\n"
        u"[First]\r\n"
        u"NAME=Alpha %\r\n"
        u"protover=9\r\n"
        u"dcinfo1=FFFFFF42\r\n"
        u"dcinfo3=7\r\n"
        u"caps=!0946134e, 563FC809\r\n"
        u"nocaps=abcdef0123456789abcdef0123456789ffff\r\n"
        u"pic=alpha.png\r\n"
        u"version=dcinfo2 (#2)\r\n"
        u"unknown=1\r\n"
        u"\r\n"
        u"[No name]\r\n"
        u"caps=0946\r\n"
        u"[Second]\r\n"
        u"name=Beta\r\n"
        u"version=cap(4a696d6d@\r\n"
        u"[Unfinished]\r\n"
        u"name=Gamma");
    ASSERT_EQ(list.Rules().size(), 2u);
    const TClientRule& first = list.Rules()[0];
    EXPECT_EQ(first.name, u"Alpha %");
    EXPECT_TRUE(first.protocolVersionSet);
    EXPECT_EQ(first.protocolVersion, 9u);
    EXPECT_EQ(first.dcInfo[0], 0xFFFFFF42u);
    EXPECT_FALSE(first.dcInfoSet[1]);
    EXPECT_EQ(first.dcInfo[2], 7u);
    EXPECT_TRUE(first.exact);
    ASSERT_EQ(first.required.size(), 2u);
    EXPECT_EQ(first.required[0].length, 4);
    EXPECT_EQ(first.required[1].bytes[3], 0x09);
    ASSERT_EQ(first.forbidden.size(), 1u);
    EXPECT_EQ(first.forbidden[0].length, 16);  // digits past 32 are not read
    EXPECT_EQ(first.pictureFile, u"alpha.png");
    EXPECT_EQ(first.versionForm, RuvVersionForm::DcMasked);
    EXPECT_EQ(first.versionSource, 2);
    EXPECT_EQ(first.versionWidth, 2);
    const TClientRule& second = list.Rules()[1];
    EXPECT_EQ(second.name, u"Beta");
    EXPECT_EQ(second.versionForm, RuvVersionForm::CapText);
    EXPECT_EQ(second.versionPrefix, "4a696d6d");
}

TEST(RuvClientRulesFile, TextEndsAtItsFirstZeroAndOddOrMissingBytesAreHarmless) {
    EXPECT_EQ(Rules(u"[a]\r\nname=A\r\n[b]\r\nname=B\r\n").Rules().size(), 2u);
    std::u16string withZero = u"[a]\r\nname=A\r\n";
    withZero.push_back(u'\0');
    withZero += u"[b]\r\nname=B\r\n";
    EXPECT_EQ(Rules(withZero).Rules().size(), 1u);
    std::string odd = FileBytes(u"[a]\r\nname=A\r\n") + "x";
    EXPECT_EQ(CRuvClientRuleList::ParseFile(odd).Rules().size(), 1u);
    EXPECT_TRUE(CRuvClientRuleList::ParseFile("").Rules().empty());
    EXPECT_TRUE(CRuvClientRuleList::ParseFile("\xff").Rules().empty());
}

TEST(RuvClientRules, TheFirstRuleAUserPassesWins) {
    const std::string lite = Bytes("178c2d9bdaa545bb8ddbf3bdbd53a10a");
    const std::string utf8 = Bytes("0946134e4c7f11d18222444553540000");
    const CRuvClientRuleList list = Rules(
        u"[exact one]\r\nname=Exact\r\ncaps=!178c2d\r\n"
        u"[dcinfo]\r\nname=Dc\r\ndcinfo1=FFFFFF42\r\n"
        u"[short dcinfo]\r\nname=Short\r\ndcinfo2=42\r\n"
        u"[protover]\r\nname=Proto\r\nprotover=11\r\nnocaps=0946134e\r\n"
        u"[both caps]\r\nname=Both\r\ncaps=178c2d9b,0946134e\r\n"
        u"[also both]\r\nname=Later\r\ncaps=0946134e\r\n");
    struct Case {
        const char* name;
        RuvClientInputs user;
        int rule;
    } cases[] = {
        {"exactly the one capability", User(DcBlock(8, 0), lite), 0},
        {"one more than required", User(DcBlock(8, 0), lite + utf8), 4},
        {"a full dcinfo", User(DcBlock(8, 0xFFFFFF42), utf8), 1},
        {"a dcinfo written short", User(DcBlock(8, 0, 0x00000042)), 2},
        {"protocol version", User(DcBlock(11, 0)), 3},
        {"protocol version with a forbidden capability", User(DcBlock(11, 0), utf8), 5},
        {"no rule", User(DcBlock(8, 1)), -1},
        {"a block too short for its fields reads zeros", User(Bytes("000000000000000000000b"), utf8), 5},
        {"no direct-connection block", RuvClientInputs{std::nullopt, lite, std::nullopt}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list.Match(c.user), c.rule) << c.name;
}

TEST(RuvClientRules, TheVersionGoesWhereTheNameSaysInTheFormTheRuleChooses) {
    const std::string jimm = Bytes("4a696d6d2030ff2e3400000000000000");
    struct Case {
        const char16_t* rule;
        RuvClientInputs user;
        const char16_t* name;
    } cases[] = {
        {u"name=Masked %\r\nversion=dcinfo1#2)", User(DcBlock(8, 0x00030201)), u"Masked 513"},
        {u"name=Whole %\r\nversion=dcinfo1 #)", User(DcBlock(8, 0x00030201)), u"Whole 197121"},
        {u"name=Dots %\r\nversion=dcinfo2 (+)", User(DcBlock(8, 0, 0x01020304)), u"Dots 1.2.3.4"},
        {u"name=Joined %\r\nversion=dcinfo2 (*)", User(DcBlock(8, 0, 0x01020304)), u"Joined 1234"},
        {u"name=Text %!\r\nversion=cap(4a696d6d@", User(DcBlock(8, 0), jimm), u"Text  0\u044f.4!"},
        {u"name=Bytes %\r\nversion=cap(4a696d6d20*3)", User(DcBlock(8, 0), jimm), u"Bytes 48.-1.46"},
        {u"name=All %\r\nversion=cap(4a696d6d2030ff2e34000000*)", User(DcBlock(8, 0), jimm), u"All 0.0.0.0"},
        {u"name=Missing %\r\nversion=cap(abcdef@", User(DcBlock(8, 0), jimm), u"Missing "},
        {u"name=No caps %\r\nversion=cap(abcdef@", User(DcBlock(8, 0)), u"No caps %"},
        {u"name=Plain\r\nversion=dcinfo1#", User(DcBlock(8, 5)), u"Plain"},
        {u"name=Bad source %\r\nversion=dcinfo7#", User(DcBlock(8, 5)), u"Bad source %"},
        {u"name=Unclosed %\r\nversion=dcinfo1#", User(DcBlock(8, 5)), u"Unclosed 5"},
        {u"name=Neither %\r\nversion=other", User(DcBlock(8, 5)), u"Neither %"},
    };
    for (const Case& c : cases) {
        const CRuvClientRuleList list = Rules(std::u16string(u"[r]\r\n") + c.rule + u"\r\n");
        ASSERT_EQ(list.Rules().size(), 1u) << CYolString(c.rule).ToUtf8();
        EXPECT_EQ(CRuvClientRuleList::FormatName(list.Rules()[0], c.user).ToUtf8(), CYolString(c.name).ToUtf8());
    }
}

TEST(RuvClientRules, ARuleWithoutAVersionAfterOneWithItAnswersItsName) {
    const CRuvClientRuleList list =
        Rules(u"[a]\r\nname=A %\r\nversion=dcinfo1#\r\ndcinfo2=1\r\n[b]\r\nname=B %\r\n");
    ASSERT_EQ(list.Rules().size(), 2u);
    EXPECT_EQ(CRuvClientRuleList::FormatName(list.Rules()[1], User(DcBlock(8, 5))), u"B %");
}

TEST(RuvClientRules, SharedRulesStayUntilTheLastAccountLeaves) {
    CRuvClientRules& shared = CRuvClientRules::Instance();
    std::vector<int> released;
    int next = 40;
    const CRuvClientRules::Images images{[&](const CYolString& file) {
                                             EXPECT_EQ(file, u"Clients/yol.png");
                                             return next++;
                                         },
                                         [&](int id) { released.push_back(id); }};
    shared.Join(false, CYolString(u"/nonexistent/clients.cfg"), images);
    shared.Join(false, CYolString(u"/nonexistent/clients.cfg"), images);
    shared.LoadBytes(FileBytes(u"[y]\r\nname=Yol %\r\npic=yol.png\r\ndcinfo1=1\r\nversion=dcinfo2+\r\n"), images);
    shared.LoadBytes(FileBytes(u"[z]\r\nname=Other\r\n"), images);  // loaded already: kept as it is
    ASSERT_EQ(shared.Count(), 1u);

    RuvClientIdentification identity;
    shared.Identify(User(DcBlock(8, 1, 0x00010203)), identity);
    EXPECT_EQ(identity.rule, 0);
    EXPECT_EQ(identity.clientName, u"Yol 0.1.2.3");
    EXPECT_EQ(identity.picture, 40);

    shared.Leave(images);
    EXPECT_EQ(shared.Count(), 1u);
    EXPECT_TRUE(released.empty());
    shared.Leave(images);
    EXPECT_EQ(shared.Count(), 0u);
    EXPECT_EQ(released, std::vector<int>{40});
    RuvClientIdentification none;
    shared.Identify(User(DcBlock(8, 1)), none);
    EXPECT_EQ(none.rule, -1);
    EXPECT_EQ(none.picture, -1);
}

}  // namespace

namespace {

TEST(RuvClientRulesFile, TheShippedRulesNameOurFamilyAndReadVersions) {
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(CYolFile::ReadAllBytes(CYolString::FromUtf8(YOL_ASSETS_DIR "/Ruv/clients.cfg"), bytes));
    const CRuvClientRuleList list =
        CRuvClientRuleList::ParseFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    ASSERT_GE(list.Rules().size(), 10u);
    struct Case {
        const char* caps;
        const char* name;
    } cases[] = {
        {"563fc8090b6f41596f6c202020202021", "Yol PDA"},
        {"563fc8090b6f41596f6c202020202022", "Yol Mobile"},
        {"563fc8090b6f41596f6c000000000000", "Yol"},
        {"4d6972616e64614d0009040300000000", "Miranda 0.9.4.3"},
        {"4a696d6d20302e362e3500000000000000", "Jimm 0.6.5"},
        {"0946134e4c7f11d18222444553540000", ""},
    };
    for (const Case& c : cases) {
        const RuvClientInputs user = User(DcBlock(8, 0), Bytes(c.caps).substr(0, 16));
        const int rule = list.Match(user);
        const std::string name = rule < 0 ? "" : CRuvClientRuleList::FormatName(list.Rules()[rule], user).ToUtf8();
        EXPECT_EQ(name, c.name) << c.caps;
    }
}

}  // namespace
