// The account's copy of the server-side list and its mirror in the contact
// list: lists in several parts and in any order, contacts the user keeps
// outside groups, aliases, list flags, the status record and the cached
// copy.

#include "RuvListTestSupport.h"
#include "RuvPlugin.h"

#include <gtest/gtest.h>

namespace {

using namespace RuvTest;

class RuvServerList : public ::testing::Test {
protected:
    CRuvServerList& List() { return rig.session.list; }
    unsigned int ContactNamed(const std::string& name) {
        for (const auto& [id, item] : rig.model.items)
            if (!item.group && item.key.ToUtf8() == name)
                return id;
        return 0;
    }
    SessionRig rig;
};

TEST_F(RuvServerList, AListInPartsIsMirroredOnceWholeWhateverOrderGroupsAndBuddiesCome) {
    // The buddy arrives in the first part, its group only in the second.
    rig.Receive(ListFrame({{"100300", 7, 1, 0, Tlv(0x0131, "Анна")}}, false));
    EXPECT_TRUE(rig.model.Take().empty());
    rig.Receive(ListFrame({{"Friends", 7, 0, 1, {}}, {"", 0, 3, 4, Tlv(0x00CA, "\x01")}}));
    EXPECT_EQ(rig.model.Take(), (std::vector<std::string>{"group+ 1 Friends", "contact+ 2 100300"}));
    EXPECT_EQ(rig.model.items[2].alias.ToUtf8(), "Анна");
    EXPECT_EQ(rig.model.items[2].parent, 1u);
    EXPECT_EQ(List().Items().size(), 3u);
    EXPECT_EQ(List().ChangeTime(), 0x5F000000u);
    // A new list replaces the old one rather than adding to it.
    rig.Receive(ListFrame({{"Friends", 7, 0, 1, {}}}));
    EXPECT_EQ(List().Items().size(), 1u);
}

TEST_F(RuvServerList, AListCutOffWithItsConnectionIsNotContinuedByTheNext) {
    rig.Receive(ListFrame({{"Old", 9, 0, 1, {}}}, false));
    rig.session.Ended();
    rig.Receive(ListFrame({{"Friends", 7, 0, 1, {}}}));
    ASSERT_EQ(List().Items().size(), 1u);
    EXPECT_EQ(List().Items()[0].name.ToUtf8(), "Friends");
}

TEST_F(RuvServerList, SyncKeepsMatchingItemsRemovesStaleOnesAndKeepsContactsOutsideGroups) {
    const unsigned int friends = rig.model.PutGroup("Friends");
    const unsigned int old = rig.model.PutGroup("Old");
    const unsigned int moved = rig.model.PutContact(old, "100300", "Same");
    const unsigned int stale = rig.model.PutContact(friends, "100400");
    const unsigned int loose = rig.model.PutContact(0, "100500");
    // Names are matched in one form: case and spaces do not matter.
    rig.Receive(ListFrame({{"Friends", 7, 0, 1, {}}, {"100 300", 7, 1, 0, Tlv(0x0131, "Same")}}));
    EXPECT_EQ(rig.model.Take(), (std::vector<std::string>{"move " + std::to_string(moved) + " " +
                                                              std::to_string(friends),
                                                          "contact- " + std::to_string(stale),
                                                          "group- " + std::to_string(old)}));
    ASSERT_NE(List().FindByContact(loose), nullptr);
    EXPECT_EQ(List().FindByContact(loose)->groupId, 0u);
    EXPECT_EQ(List().FindBuddy(CYolString(u"100300"))->contactId, moved);
}

TEST_F(RuvServerList, ListFlagsAndAuthorizationShowInTheStatusRecord) {
    rig.Receive(ListFrame({{"G", 7, 0, 1, {}},
                           {"100300", 7, 1, 0, Tlv(0x0066, {})},
                           {"100300", 0, 2, 2, {}},
                           {"100300", 0, 3, 14, {}}}));
    const unsigned int contact = ContactNamed("100300");
    EXPECT_EQ(rig.model.Flag(contact, RuvValueName::InVisibleList), 1);
    EXPECT_EQ(rig.model.Flag(contact, RuvValueName::InInvisibleList), 0);
    EXPECT_EQ(rig.model.Flag(contact, RuvValueName::InIgnoreList), 1);
    Protocols::ContactStatusInfo status;
    List().BuildContactStatus(contact, status);
    EXPECT_EQ(status.status, 0u);
    EXPECT_EQ(status.icons.Count(), 1);
    // Visible list, ignore list and awaiting authorization.
    EXPECT_EQ(status.extraIcons.Count(), 3);
}

TEST_F(RuvServerList, FreeItemIdsSkipItemsAndGroups) {
    rig.Receive(ListFrame({{"a", 1026, 0, 1, {}}, {"b", 1026, 1024, 0, {}}, {"c", 1026, 1025, 0, {}}}));
    EXPECT_EQ(List().NextFreeItemId(), 1027u);
}

TEST_F(RuvServerList, TheCacheRoundTripsAndACutCopyKeepsWholeItems) {
    EXPECT_EQ(Hex(List().CacheBytes()), "000000");
    rig.Receive(ListFrame({{"G", 7, 0, 1, {}}, {"100300", 7, 1, 0, Tlv(0x0131, "x")}}));
    const std::string bytes = List().CacheBytes();
    EXPECT_EQ(bytes, ListBody({{"G", 7, 0, 1, {}}, {"100300", 7, 1, 0, Tlv(0x0131, "x")}}, false));
    CRuvServerList loaded(rig.model);
    loaded.LoadCache(bytes.substr(0, bytes.size() - 2));
    ASSERT_EQ(loaded.Items().size(), 1u);
    EXPECT_EQ(loaded.Items()[0].name.ToUtf8(), "G");
    loaded.LoadCache(bytes);
    EXPECT_EQ(loaded.Items().size(), 2u);
}

TEST_F(RuvServerList, ArrivalAndDepartureSetStatusCapabilitiesAndEndTyping) {
    rig.Receive(ListFrame({{"G", 7, 0, 1, {}}, {"100300", 7, 1, 0, {}}}));
    const unsigned int contact = ContactNamed("100300");
    rig.model.Take();
    const RuvCapabilityGuid lunch = *RuvCapabilities::ForStatus(10);
    const std::string caps(reinterpret_cast<const char*>(lunch.data()), 16);
    const std::string direct = Bytes("7f000001 00001234 04 0009 00000000");
    const std::string info = Bytes("06") + "100300" + Bytes("0000 0004") + Tlv(6, Bytes("00000001")) +
                             Tlv(0x0D, caps) + Tlv(0x0C, direct) +
                             Tlv(0x1D, Bytes("0001 00 05 0102030405") + Bytes("0001 01 10") + std::string(16, 'h'));
    rig.Receive(Snac(3, 0x0B, info));
    const RuvContactPresence& presence = List().FindBuddy(CYolString(u"100300"))->presence;
    EXPECT_EQ(presence.status, 10);  // lunch, carried by its capability over "away"
    EXPECT_EQ(presence.protocolVersion, 9u);
    EXPECT_EQ(presence.directType, 4u);
    EXPECT_EQ(presence.iconHash, std::string(16, 'h'));
    EXPECT_EQ(rig.model.Take(), (std::vector<std::string>{"status " + std::to_string(contact) + " 10"}));

    rig.Receive(Snac(4, 0x14, Bytes("0000000000000000 0001 06") + "100300" + Bytes("0002")));
    rig.model.Take();
    rig.Receive(Snac(3, 0x0C, Bytes("06") + "100300" + Bytes("0000 0000")));
    EXPECT_EQ(rig.model.Take(), (std::vector<std::string>{"status " + std::to_string(contact) + " 0",
                                                          "typing " + std::to_string(contact) + " off"}));
    // Without a direct-connection block the type is unknown.
    rig.Receive(Snac(3, 0x0B, Bytes("06") + "100300" + Bytes("0000 0000")));
    EXPECT_EQ(List().FindBuddy(CYolString(u"100300"))->presence.directType, 0xFFu);
}

TEST_F(RuvServerList, AnOnlineContactsRecordCarriesItsExtendedStatusAndClientPicture) {
    rig.Receive(ListFrame({{"G", 7, 0, 1, {}}, {"100300", 7, 1, 0, {}}}));
    const unsigned int contact = ContactNamed("100300");
    CRuvListItem& item = *List().FindBuddy(CYolString(u"100300"));
    item.presence.xStatus = 4;
    item.presence.clientPicture = 901;
    Protocols::ContactStatusInfo offline;
    List().BuildContactStatus(contact, offline);
    EXPECT_EQ(offline.icons.Count(), 1);
    EXPECT_EQ(offline.extraIcons.Count(), 0);

    item.presence.status = 2;
    Protocols::ContactStatusInfo online;
    List().BuildContactStatus(contact, online);
    ASSERT_EQ(online.icons.Count(), 2);
    EXPECT_EQ(online.icons[1][0], RuvPlugin::ImageId(25));
    ASSERT_EQ(online.extraIcons.Count(), 1);
    EXPECT_EQ(online.extraIcons[0][0], 901u);
}

}  // namespace
