// Entity capabilities: the feature table, the cache, the disco#info answer
// for our own node, and client recognition from "clients.ini".

#include "TestSupport.h"
#include "JabberCaps.h"
#include "JabberNamespaces.h"
#include "XmlTestSupport.h"

#include "CYolFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> CapsFeatures(uint64_t value) {
    std::vector<std::string> out;
    for (const char* ns : FeatureNamespaces(value))
        out.emplace_back(ns);
    return out;
}

const std::vector<std::string> kServed = {"http://jabber.org/protocol/disco#info",
                                          "http://jabber.org/protocol/si",
                                          "http://jabber.org/protocol/si/profile/file-transfer",
                                          "http://jabber.org/protocol/bytestreams",
                                          "http://jabber.org/protocol/ibb",
                                          "jabber:iq:version",
                                          "urn:xmpp:ping",
                                          "urn:xmpp:receipts"};

TEST(CapsFeatureTable, OwnFeaturesAreWhatTheAccountServesInTableOrder) {
    EXPECT_EQ(CapsFeatures(OwnFeatures()), kServed);
}

TEST(CapsFeatureTable, RowsTheMessagesUseSitWhereTheirFlagsSay) {
    EXPECT_STREQ(kJabberFeatures[FeatureChatStates].xmlns, JabberNs::ChatStates);
    EXPECT_STREQ(kJabberFeatures[FeatureReceipts].xmlns, JabberNs::Receipts);
    EXPECT_STREQ(kJabberFeatures[FeatureCommands].xmlns, "http://jabber.org/protocol/commands");
    EXPECT_STREQ(kJabberFeatures[34].xmlns, "urn:xmpp:attention:0");
    EXPECT_STREQ(kJabberFeatures[26].xmlns, "http://jabber.org/protocol/mood+notify");
    EXPECT_EQ(FeatureFlag(FeatureReceipts), 0x40000000u);
}

// ---- disco#info ---------------------------------------------------------------

struct DiscoCase {
    const char* node;  // null: the request names no node
    bool answered;
    std::vector<std::string> features;
};

class CapsDiscoInfo : public testing::TestWithParam<DiscoCase> {};

TEST_P(CapsDiscoInfo, AnswersOwnNodeAndItsExtNamesOnly) {
    const DiscoCase& c = GetParam();
    const CYolString node = c.node ? U(c.node) : CYolString();
    uint64_t features = 0;
    ASSERT_EQ(OwnCapsFeaturesForNode(c.node ? &node : nullptr, features), c.answered);
    if (c.answered) {
        EXPECT_EQ(CapsFeatures(features), c.features);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, CapsDiscoInfo,
    testing::Values(DiscoCase{nullptr, true, kServed},
                    // No ad-hoc commands are served, so their ext is no node of ours.
                    DiscoCase{"http://yol.im/caps#cmds", false, {}},
                    // The version the presence announces is the one answered.
                    DiscoCase{"http://yol.im/caps#WM2142", true, kServed},
                    DiscoCase{"http://yol.im/caps#WM2140", false, {}},
                    DiscoCase{"http://yol.im/caps#CMDS", false, {}},
                    DiscoCase{"http://yol.im/caps#", false, {}},
                    DiscoCase{"http://yol.im/caps", false, {}},
                    DiscoCase{"http://other.example/caps#cmds", false, {}}));

TEST(CapsDiscoInfo, PresenceVerNamesWhatDiscoAnswersAndTheCacheHolds) {
    EXPECT_EQ(OwnCapsVer(), u"WM2142");
    const CYolString asked = U(kOwnCapsNode) + u"#" + OwnCapsVer();
    uint64_t features = 0;
    ASSERT_TRUE(OwnCapsFeaturesForNode(&asked, features));
    EXPECT_EQ(features, OwnFeatures());
    CCapsCache cache;
    cache.Seed();
    EXPECT_EQ(CapsFeatures(cache, U(kOwnCapsNode), OwnCapsVer(), CYolString(), 0), OwnFeatures());
}

TEST(CapsDiscoInfo, ResultNamesRequesterIdNodeIdentityAndFeatures) {
    const CYolString id = U("q'1<");
    const CYolString to = U("peer@example.org/home");
    const CYolString node = U("http://yol.im/caps#cmds");
    XmlNode iq = BuildDiscoInfoResult(&id, &to, &node, FeatureFlag(FeatureCommands));
    EXPECT_EQ(iq.Serialize(),
              "<iq type='result' to='peer@example.org/home' id='q&apos;1&lt;'>"
              "<query xmlns='http://jabber.org/protocol/disco#info' node='http://yol.im/caps#cmds'>"
              "<identity category='client' type='pda' name='Yol PDA WM'/>"
              "<feature var='http://jabber.org/protocol/commands'/></query></iq>");
    XmlNode plain = BuildDiscoInfoResult(&id, &to, nullptr, OwnFeatures());
    const XmlNode* query = plain.GetChild("query");
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->GetAttr("node"), nullptr);
    int featureCount = 0;
    for (int i = 0; i < query->ChildCount(); ++i)
        featureCount += query->ChildAt(i).Name() == "feature";
    EXPECT_EQ(featureCount, static_cast<int>(kServed.size()));
}

// ---- cache ----------------------------------------------------------------------

TEST(CapsCache, SeedHoldsOwnVersionAndExtRows) {
    CCapsCache cache;
    cache.Seed();
    const CYolString node = U(kOwnCapsNode);
    EXPECT_EQ(cache.Lookup(node, OwnCapsVer()), OwnFeatures());
    EXPECT_EQ(cache.Lookup(node, U("cmds")), kCapsNotKnown);
    EXPECT_EQ(cache.Lookup(node, U("pmuc")), kCapsNotKnown);
    EXPECT_EQ(cache.Lookup(U("http://other/caps"), U("cmds")), kCapsNotKnown);
}

TEST(CapsCache, StoreReplacesAnEntryAndStopsAtItsLimits) {
    CCapsCache cache;
    EXPECT_EQ(cache.Store(U("n"), U("v"), 1, 0), 1);
    EXPECT_EQ(cache.Store(U("n"), U("v"), 2, 0), 1);
    EXPECT_EQ(cache.Lookup(U("n"), U("v")), 2u);
    for (size_t i = 1; i < CCapsCache::kMaxEntriesPerNode; ++i)
        ASSERT_EQ(cache.Store(U("n"), CYolString(static_cast<unsigned>(i), false), i, 0), 1);
    EXPECT_EQ(cache.Store(U("n"), U("one too many"), 1, 0), 0);
    EXPECT_EQ(cache.Store(U("n"), U("v"), 3, 0), 1) << "an existing entry can still change";
    for (size_t i = 1; i < CCapsCache::kMaxNodes; ++i)
        ASSERT_EQ(cache.Store(CYolString(static_cast<unsigned>(i), false), U("v"), 1, 0), 1);
    EXPECT_EQ(cache.Store(U("new node"), U("v"), 1, 0), 0);
    cache.Clear();
    EXPECT_EQ(cache.Lookup(U("n"), U("v")), kCapsNotKnown);
}

struct FeaturesCase {
    const char* node;
    const char* ver;
    const char* ext;
    uint64_t learned;
    uint64_t expected;
};

class CapsResourceFeatures : public testing::TestWithParam<FeaturesCase> {};

TEST_P(CapsResourceFeatures, CombineCacheExtAndLearnedBits) {
    CCapsCache cache;
    cache.Seed();
    const FeaturesCase& c = GetParam();
    EXPECT_EQ(CapsFeatures(cache, U(c.node), U(c.ver), U(c.ext), c.learned), c.expected);
}

constexpr uint64_t kChatStates = uint64_t{1} << FeatureChatStates;

INSTANTIATE_TEST_SUITE_P(
    Resources, CapsResourceFeatures,
    testing::Values(FeaturesCase{"http://yol.im/caps", "WM2142", "", 0, OwnFeatures()},
                    FeaturesCase{"http://yol.im/caps", "WM2142", "  cmds  unknown ", kChatStates,
                                 OwnFeatures() | kChatStates},
                    // Another client's caps are not in the cache: only what it showed.
                    FeaturesCase{"http://gajim.org", "1.8.0", "", kChatStates, kChatStates},
                    FeaturesCase{"http://gajim.org", "1.8.0", "", 0, 0},
                    // No caps at all: nothing, whatever its messages showed.
                    FeaturesCase{"", "", "", kChatStates, 0},
                    FeaturesCase{"http://gajim.org", "", "", kChatStates, 0}));

// ---- clients.ini ---------------------------------------------------------------

std::string Entries(const std::vector<ClientIconInfo>& entries) {
    std::string out;
    for (const ClientIconInfo& e : entries)
        out += "[" + e.node.ToUtf8() + "|" + e.ver.ToUtf8() + "|" + e.name.ToUtf8() + "|" + e.pic.ToUtf8() + "]";
    return out;
}

struct IniCase {
    const char* label;
    const char* text;
    const char* entries;
};

class ClientsIniReader : public testing::TestWithParam<IniCase> {};

TEST_P(ClientsIniReader, ReadsSectionsAndSkipsBadLines) {
    EXPECT_EQ(Entries(ParseClientsIni(U(GetParam().text))), GetParam().entries) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ClientsIniReader,
    testing::Values(
        IniCase{"two sections", "[Gajim]\r\nnode=http://gajim.org\r\nver=1.*\r\npic=gajim.png\r\n"
                                "[Psi]\r\nnode=https://psi-im.org\r\nver=?.?\r\npic=psi.png\r\n",
                "[http://gajim.org|1.*||gajim.png][https://psi-im.org|?.?||psi.png]"},
        IniCase{"last section without a line end", "[A]\nnode=a\npic=a.png", "[a|||a.png]"},
        IniCase{"text before the first header", "node=ignored\n; a [comment] here\n[A]\nnode=a\n", "[a|||]"},
        IniCase{"short and mixed-case keys", "[A]\nN=a\nNA=Client A\nV=2\nP=a.png\n", "[a|2|Client A|a.png]"},
        IniCase{"blanks around keys and values", "[A]\n  node = a b \t\n", "[a b|||]"},
        IniCase{"bad lines skipped alone",
                "[A]\nnode=a\nno equals sign\n=empty key\ncolour=red\nnodes=x\nver=\npic=a.png\n",
                "[a|||a.png]"},
        IniCase{"comment lines inside a section", "[A]\n;node=x\nnode=a\n", "[a|||]"},
        IniCase{"a later key replaces an earlier one", "[A]\nnode=a\nnode=b\n", "[b|||]"},
        IniCase{"section without node is dropped", "[A]\npic=a.png\n[B]\nnode=b\n", "[b|||]"},
        IniCase{"brackets inside a value", "[A]\nnode=a\nname=Client [beta]\n", "[a||Client [beta]|]"},
        IniCase{"no header at all", "node=a\npic=a.png\n", ""},
        IniCase{"empty file", "", ""}));

TEST(ClientsIniReader, RefusesOverlongValuesAndStopsAtTheEntryLimit) {
    const std::string longValue(kClientsIniMaxValue + 1, 'x');
    EXPECT_EQ(Entries(ParseClientsIni(U(("[A]\nnode=a\nname=" + longValue + "\n").c_str()))), "[a|||]");
    std::string many;
    for (size_t i = 0; i < kClientsIniMaxEntries + 10; ++i)
        many += "[S]\nnode=n" + std::to_string(i) + "\n";
    EXPECT_EQ(ParseClientsIni(U(many.c_str())).size(), kClientsIniMaxEntries);
}

struct WildcardCase {
    const char* pattern;
    const char* text;
    bool matches;
};

class ClientsVerPattern : public testing::TestWithParam<WildcardCase> {};

TEST_P(ClientsVerPattern, MatchesIgnoringCaseWithQuestionMarkAndStar) {
    EXPECT_EQ(MatchCapsVer(U(GetParam().pattern), U(GetParam().text)), GetParam().matches)
        << GetParam().pattern << " ~ " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ClientsVerPattern,
    testing::Values(WildcardCase{"1.8.0", "1.8.0", true}, WildcardCase{"1.8.0", "1.8.1", false},
                    WildcardCase{"1.8", "1.8.0", false}, WildcardCase{"1.*", "1.8.0", true},
                    WildcardCase{"1.*", "1.", true}, WildcardCase{"1.*", "2.0", false},
                    WildcardCase{"?.?", "0.9", true}, WildcardCase{"?.?", "0.10", false},
                    WildcardCase{"*beta*", "1.0-BETA2", true}, WildcardCase{"*", "", true},
                    WildcardCase{"a*b*c", "aXbYbZc", true}, WildcardCase{"a*b*c", "aXbYbZ", false},
                    WildcardCase{"WM????", "wm2142", true}));

TEST(ClientsVerPattern, ManyStarsOverALongTextStayFast) {
    const CYolString pattern = U("*a*a*a*a*a*a*a*a*a*a*b");
    const CYolString text = U(std::string(4000, 'a').c_str());
    EXPECT_FALSE(MatchCapsVer(pattern, text));
}

struct RecordedImages {
    std::map<std::string, int> registered;
    std::vector<int> released;
    CClientIconTable::Images Images() {
        return {[this](const CYolString& name) {
                    const int id = 100 + static_cast<int>(registered.size());
                    registered[name.ToUtf8()] = id;
                    return id;
                },
                [this](int id) { released.push_back(id); }};
    }
};

const char* const kTwoClients =
    "[Gajim]\nnode=http://gajim.org\nver=1.*\nname=Gajim\npic=gajim.png\n"
    "[Any Gajim]\nnode=http://GAJIM.org\npic=gajim_old.png\n"
    "[Tkabber]\nnode=http://tkabber.jabber.ru/\nname=Tkabber\n";

TEST(ClientIconTable, RegistersPicturesAndFindsTheFirstMatchingEntry) {
    CClientIconTable table;
    RecordedImages images;
    table.LoadText(U(kTwoClients), images.Images());
    EXPECT_EQ(images.registered, (std::map<std::string, int>{{"Clients/gajim.png", 100}, {"Clients/gajim_old.png", 101}}));
    ClientIconInfo found;
    ASSERT_TRUE(table.Find(U("http://gajim.org"), U("1.8.0"), found));
    EXPECT_EQ(found.name, u"Gajim");
    EXPECT_EQ(found.imageId, 100);
    ASSERT_TRUE(table.Find(U("HTTP://gajim.org"), U("0.16"), found));
    EXPECT_EQ(found.imageId, 101);
    ASSERT_TRUE(table.Find(U("http://tkabber.jabber.ru/"), U(""), found));
    EXPECT_EQ(found.imageId, -1);
    EXPECT_FALSE(table.Find(U("http://psi-im.org"), U("1.0"), found));
    EXPECT_FALSE(table.Find(U(""), U(""), found));
    // A contact's ver is text: its own wildcards match nothing.
    EXPECT_TRUE(table.Find(U("http://gajim.org"), U("*"), found));
    EXPECT_EQ(found.imageId, 101);

    table.Clear(images.Images());
    EXPECT_EQ(images.released, (std::vector<int>{100, 101}));
    EXPECT_EQ(table.Count(), 0u);
}

class ClientIconTableFile : public TempFolderTest {};

TEST_F(ClientIconTableFile, FirstJoinReadsTheFileAndLastLeaveReleasesIt) {
    const auto path = std::filesystem::path(folder) / "clients.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "\xEF\xBB\xBF[Yol]\nnode=http://yol.im/caps\nname=\xD0\x99\xD0\xBE\xD0\xBB\npic=yol.png\n";
    }
    CClientIconTable table;
    RecordedImages images;
    table.Join(U(path.string().c_str()), images.Images());
    table.Join(U("/nonexistent/clients.ini"), images.Images());
    ASSERT_EQ(table.Count(), 1u);
    ClientIconInfo found;
    ASSERT_TRUE(table.Find(U("http://yol.im/caps"), U("WM2142"), found));
    EXPECT_EQ(found.name.ToUtf8(), "\xD0\x99\xD0\xBE\xD0\xBB");
    table.Leave(images.Images());
    EXPECT_TRUE(images.released.empty());
    table.Leave(images.Images());
    EXPECT_EQ(images.released, (std::vector<int>{100}));
    table.Leave(images.Images());
    EXPECT_EQ(table.Count(), 0u);
}

TEST(ClientIconTable, ShippedFileRecognisesCommonClients) {
    CYolString text;
    const auto shipped = std::filesystem::path(YOL_SOURCE_DIR) / "assets/Jabber/clients.ini";
    ASSERT_TRUE(CYolFile::ReadFromFile(text, U(shipped.string().c_str())));
    CClientIconTable table;
    RecordedImages images;
    table.LoadText(text, images.Images());
    EXPECT_GE(table.Count(), 10u);
    ClientIconInfo found;
    for (const char* node : {"http://yol.im/caps", "http://gajim.org", "https://psi-im.org", "http://pidgin.im/",
                             "http://conversations.im", "https://dino.im"})
        EXPECT_TRUE(table.Find(U(node), U("1.0"), found) || table.Find(U(node), U("WM2142"), found)) << node;
    for (const ClientIconInfo& entry : ParseClientsIni(text))
        EXPECT_FALSE(entry.pic.IsEmpty()) << entry.node.ToUtf8();
}

}  // namespace
