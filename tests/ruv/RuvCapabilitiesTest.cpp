// The capability tables: the tree of every known capability and the list of
// extended statuses, a peer's capability list as the server reports it,
// the test for clients of our own family, and the list the account
// announces for its status and extended status.

#include "CRuvCapabilityTree.h"
#include "ProtocolRecords.h"
#include "RuvCapabilityCatalogue.h"
#include "RuvClientIdentity.h"
#include "RuvOwnStatus.h"
#include "RuvRecords.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

using RuvTest::Bytes;
using RuvTest::Hex;

RuvCapabilityGuid Guid(std::string_view hex) {
    const std::string bytes = Bytes(hex);
    RuvCapabilityGuid out{};
    std::memcpy(out.data(), bytes.data(), std::min<size_t>(bytes.size(), 16));
    return out;
}

std::string GuidHex(const RuvCapabilityGuid& guid) {
    return Hex(std::string_view(reinterpret_cast<const char*>(guid.data()), guid.size()));
}

const CRuvCapabilityTree& Tree() { return RuvCapabilityCatalogue::Tree(); }

TEST(RuvCapabilityTree, HoldsEveryKnownRowOnceFoundByIdentifierAndKey) {
    EXPECT_EQ(Tree().Count(), 112u);
    size_t walked = 0;
    RuvCapabilityGuid previous{};
    for (auto it = Tree().Begin(); it.Current() != nullptr; it.Next(), ++walked) {
        const CRuvCapability& row = *it.Current();
        if (walked > 0) {
            EXPECT_LT(std::memcmp(previous.data(), row.guid.data(), 16), 0) << row.key.ToUtf8();
        }
        previous = row.guid;
        EXPECT_EQ(Tree().FindByGuid(row.guid), &row);
        EXPECT_EQ(Tree().FindByKey(row.key), &row) << row.key.ToUtf8();
    }
    EXPECT_EQ(walked, 112u);
}

TEST(RuvCapabilityTree, NeighboursThatDifferInOneByteAreBothKnown) {
    struct Case {
        const char* guid;
        const char16_t* key;
    } cases[] = {
        {"094601084c7f11d18222444553540000", u"caMultiVideo"},
        {"094601ff4c7f11d18222444553540000", u"caSmartCaps"},
        {"0946134a4c7f11d18222444553540000", u"caGames"},
        {"0946134a4c7f11d12282444553540000", u"caGames2"},
        {"f8e8d7b282c4414290f810c6ce0a89a6", u"capXS7pic"},
        {"0072d9084ad143dd91996f026966026f", u"capXS35pic"},
        {"563fc8090b6f41596f6c202020202021", u"caYolPda"},
    };
    for (const Case& c : cases) {
        const CRuvCapability* row = Tree().FindByGuid(Guid(c.guid));
        ASSERT_NE(row, nullptr) << c.guid;
        EXPECT_EQ(row->key, c.key);
    }
    EXPECT_EQ(Tree().FindByGuid(Guid("094601094c7f11d18222444553540000")), nullptr);
}

TEST(RuvCapabilityTree, ASecondInsertOfAnIdentifierKeepsTheFirstRecord) {
    CRuvCapabilityTree tree;
    std::mt19937 random(7);
    std::vector<RuvCapabilityGuid> guids;
    for (int i = 0; i < 2000; ++i) {
        RuvCapabilityGuid guid{};
        for (auto& byte : guid)
            byte = static_cast<uint8_t>(random() % 4);  // many near neighbours, some repeats
        guids.push_back(guid);
        ASSERT_TRUE(tree.Insert(CRuvCapability(guid, CYolString::FromUtf8(std::to_string(i)), CYolString())));
    }
    std::sort(guids.begin(), guids.end());
    guids.erase(std::unique(guids.begin(), guids.end()), guids.end());
    EXPECT_EQ(tree.Count(), guids.size());
    for (const RuvCapabilityGuid& guid : guids)
        ASSERT_NE(tree.FindByGuid(guid), nullptr);
    // The first key given for an identifier is the one kept.
    const CRuvCapability* first = tree.FindByGuid(guids.front());
    ASSERT_TRUE(tree.Insert(CRuvCapability(guids.front(), CYolString(u"later"), CYolString())));
    EXPECT_EQ(tree.FindByGuid(guids.front()), first);
    EXPECT_NE(first->key, u"later");
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0u);
    EXPECT_EQ(tree.FindByGuid(guids.front()), nullptr);
}

TEST(RuvCapabilityTree, AnUnknownKeyIsNeverHeld) {
    RuvCapabilityList peer;
    peer.Add(*Tree().FindByKey(CYolString(u"caTyping")));
    EXPECT_EQ(Tree().FindByKey(CYolString(u"caNothing")), nullptr);
    EXPECT_FALSE(Tree().HasCapability(peer, CYolString(u"caNothing"), 0));
    EXPECT_TRUE(Tree().HasCapability(peer, CYolString(u"caTyping"), 16));
    EXPECT_FALSE(Tree().HasCapability(peer, CYolString(u"caYol"), 10));
}

TEST(RuvXStatusList, IdsFollowTheListAndThePeersFirstOneWins) {
    const RuvCapabilityList& list = RuvCapabilityCatalogue::XStatusList();
    ASSERT_EQ(list.Count(), 35);
    EXPECT_EQ(list[0].key, u"capXS1pic");
    EXPECT_EQ(list[34].name, u"XStatus(RuJournal)");
    const RuvCapabilityGuid third = list[2].guid;
    const RuvCapabilityGuid first = list[0].guid;
    const RuvCapabilityGuid typing = Guid("563fc8090b6f41bd9f79422609dfa2f3");
    struct Case {
        std::vector<RuvCapabilityGuid> peer;
        int id;
    } cases[] = {
        {{third, first}, 3},
        {{typing, first}, 1},
        {{typing}, 0},
        {{}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RuvCapabilityCatalogue::GetXStatusId(list, c.peer.data(), c.peer.size()), c.id);
}

std::vector<std::string> Keys(const RuvCapabilityList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list[i].key.IsEmpty() ? "?" + GuidHex(list[i].guid).substr(0, 8) : list[i].key.ToUtf8());
    return out;
}

TEST(RuvPeerCapabilities, LongEntriesComeFirstInWireOrderAndUnknownOnesKeepTheirPlace) {
    struct Case {
        const char* name;
        std::optional<std::string> caps;
        std::optional<std::string> shortCaps;
        std::vector<std::string> keys;
    } cases[] = {
        {"a trailing partial entry is ignored",
         Bytes("563fc8090b6f41bd9f79422609dfa2f3 094613434c7f11d18222444553540000 ff"), std::nullopt,
         {"caTyping", "caFTSend"}},
        {"an unknown identifier", Bytes("11223344556677889900aabbccddeeff 0946134e4c7f11d18222444553540000"),
         std::nullopt, {"?11223344", "caUTF8support"}},
        {"short ones expand after the long ones", Bytes("1a093c6cd7fd4ec59d51a6474e34f5a0"), Bytes("1343 0000 99"),
         {"caXtraz", "caFTSend", "caShortSupport"}},
        {"an unknown short one", std::nullopt, Bytes("7777"), {"?09467777"}},
        {"nothing listed", std::nullopt, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RuvClientInputs user;
        user.caps = c.caps;
        user.shortCaps = c.shortCaps;
        RuvCapabilityList list;
        list.Add(CRuvCapability(Guid("01"), CYolString(u"kept"), CYolString()));
        ParseCapabilities(Tree(), user, list);
        std::vector<std::string> expected{"kept"};
        expected.insert(expected.end(), c.keys.begin(), c.keys.end());
        EXPECT_EQ(Keys(list), expected);
    }
}

TEST(RuvPeerCapabilities, ClientsOfTheFamilyAreToldByTheirMarkers) {
    struct Case {
        const char* caps;
        RuvClientFamily family;
    } cases[] = {
        {"563fc8090b6f41596f6c202020202022", RuvClientFamily::Yol},  // mobile shares the prefix
        {"563fc8090b6f41596f6c202020202021", RuvClientFamily::Yol},  // so does the PDA marker
        {"563fc8090b6f41596f6c000000000000", RuvClientFamily::Yol},
        {"563fc8090b6f41595053796d62000000", RuvClientFamily::YolPdaSymbian},
        {"563fc8090b6f4159566e74756d000000", RuvClientFamily::YolVantum},
        {"563fc8090b6f415969506e0000000000", RuvClientFamily::YolIPhone},
        {"563fc8090b6f4159566e74506c670000", RuvClientFamily::None},  // a plug-ins marker alone
        {"563fc8090b6f41bd9f79422609dfa2f3", RuvClientFamily::None},
        {"", RuvClientFamily::None},
    };
    for (const Case& c : cases) {
        RuvClientInputs user;
        user.caps = Bytes("0946134e4c7f11d18222444553540000") + Bytes(c.caps);
        EXPECT_EQ(IdentifyClient(Tree(), user), c.family) << c.caps;
    }
}

TEST(RuvPeerCapabilities, IdentificationReadsTheUserInfoTlvs) {
    const OscarTlvs tlvs(Bytes("000d0010 4d6972616e64614d0000000000000000"
                               "00190002 1343"
                               "000c0003 010203"));
    const RuvClientInputs user = RuvClientInputs::FromTlvs(tlvs);
    ASSERT_TRUE(user.caps && user.shortCaps && user.dcInfo);
    EXPECT_EQ(Hex(*user.dcInfo), "010203");
    RuvCapabilityList list;
    ParseCapabilities(Tree(), user, list);
    EXPECT_EQ(Keys(list), (std::vector<std::string>{"caMiranda4", "caFTSend"}));
    const RuvClientIdentification identity = IdentifyUser(user);
    EXPECT_EQ(identity.family, RuvClientFamily::None);
    EXPECT_EQ(identity.xStatus, 0);
}

// The entries after the fixed seven of an own list.
std::vector<std::string> Announced(const std::string& frame) {
    std::vector<std::string> out;
    const size_t fixedEnd = 16 + 4 + 7 * 16;
    for (size_t at = fixedEnd; at + 16 <= frame.size(); at += 16)
        out.push_back(Hex(frame.substr(at, 16)));
    return out;
}

TEST(RuvOwnCapabilities, TheListCarriesTheExtendedStatusThenTheStatusThenTyping) {
    const std::string typing = "563fc8090b6f41bd9f79422609dfa2f3";
    const std::string lunch = "b7074378f50c777797775778502d0578";
    const std::string journal = "0072d9084ad143dd91996f026966026f";
    const std::string angry = "01d8d7eeac3b492aa58dd3d877e66b92";
    struct Case {
        int status;
        int xStatus;
        bool typing;
        std::vector<std::string> listed;
    } cases[] = {
        {Protocols::Online, 0, false, {}},
        {Protocols::Online, 0, true, {typing}},
        {Protocols::Lunch, 35, false, {journal, lunch}},
        {Protocols::Lunch, 35, true, {journal, lunch, typing}},
        {Protocols::Away, 1, false, {angry}},
        {Protocols::Online, 36, false, {}},  // no such extended status
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.status) + " x" + std::to_string(c.xStatus));
        RuvTest::RecordingPacketSink sink;
        RuvOwnStatus own(sink, {[] { return Protocols::Online; }, [&] { return c.typing; }});
        own.SetWanted(c.status);
        own.SetXStatus(c.xStatus, CYolString(u"title"), CYolString(u"text"));
        ASSERT_EQ(sink.frames.size(), 1u);
        EXPECT_EQ(Hex(sink.frames[0].substr(6, 4)), "00020004");
        EXPECT_EQ(Announced(sink.frames[0]), c.listed);
    }
}

TEST(RuvOwnCapabilities, OfflineTheExtendedStatusIsKeptForTheNextSignOn) {
    RuvTest::RecordingPacketSink sink;
    int confirmed = Protocols::Offline;
    RuvOwnStatus own(sink, {[&] { return confirmed; }, [] { return false; }});
    own.SetXStatus(7, CYolString(u"Dinner"), CYolString(u"soup"));
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(own.XStatus(), 7);
    EXPECT_EQ(own.XStatusTitle(), u"Dinner");

    confirmed = Protocols::Connecting;
    own.SendCapabilities();
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(Announced(sink.frames[0]), (std::vector<std::string>{"f8e8d7b282c4414290f810c6ce0a89a6"}));

    own.SetXStatus(0, CYolString(u"a"), CYolString(u"b"));
    EXPECT_EQ(own.XStatus(), 0);
    EXPECT_TRUE(own.XStatusTitle().IsEmpty());
    EXPECT_TRUE(own.XStatusDescription().IsEmpty());
}

}  // namespace
