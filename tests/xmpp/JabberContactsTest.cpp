// The account's map of XMPP entities: keys, resources, the resource chosen
// for sending, and the merged status of several resources.

#include "JabberContacts.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace Protocols;
using namespace std::literals;

namespace {

CYolString S(const char* utf8) { return CYolString::FromUtf8(utf8); }

std::vector<std::string> ResourceNames(const ContactRecord& record) {
    std::vector<std::string> names;
    for (const auto& resource : record.resources)
        names.push_back(Utf8Of(resource.name));
    return names;
}

class JabberContactMapTest : public ::testing::Test {
protected:
    CJabberContactMap map;
};

}  // namespace

TEST(JabberJidTest, SplitsNodeBareJidAndResource) {
    struct Case {
        const char* jid;
        const char* node;
        const char* bare;
        const char* resource;
    } cases[] = {
        {"alice@example.org/Phone", "alice", "alice@example.org", "Phone"},
        {"alice@example.org", "alice", "alice@example.org", ""},
        {"gw.example.org/registered", "gw.example.org", "gw.example.org", "registered"},
        {"example.org", "example.org", "example.org", ""},
        {"a@b/c/d@e", "a", "a@b", "c/d@e"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.jid);
        EXPECT_EQ(Utf8Of(JidNode(S(c.jid))), c.node);
        EXPECT_EQ(Utf8Of(BareJidCopy(S(c.jid))), c.bare);
        EXPECT_EQ(Utf8Of(JidResource(S(c.jid))), c.resource);
    }
}

TEST(JabberJidTest, ComparesIgnoringCaseWholeOrBare) {
    EXPECT_TRUE(SameBareJid(S("Alice@Example.ORG/x"), S("alice@example.org/Y")));
    EXPECT_FALSE(SameJid(S("alice@example.org/x"), S("alice@example.org/y")));
    EXPECT_TRUE(SameJid(S("Алиса@пример.рф/X"), S("алиса@ПРИМЕР.РФ/x")));
    EXPECT_FALSE(SameBareJid(S("alice@example.org"), S("alice@example.org.evil")));
    // Long JIDs that share their first 255 characters are still different.
    std::string stem(300, 'a');
    EXPECT_FALSE(SameBareJid(S((stem + "1@x").c_str()), S((stem + "2@x").c_str())));
}

TEST(JabberMergeStatusTest, PicksTheBetterStatus) {
    struct Case {
        Status a, b, merged;
    } cases[] = {
        {Away, Online, Online},
        {Online, Away, Online},
        {Away, Lunch, Away},
        {Invisible, NotAvailable, NotAvailable},
        {FreeForChat, Online, FreeForChat},
        {Evil, DoNotDisturb, Evil},
        {Occupied, DoNotDisturb, DoNotDisturb},
        {AtWork, AtHome, AtHome},
        {Offline, Away, Away},
        {InvisibleForAll, Offline, Offline},
        {Offline, InvisibleForAll, Offline},
        {InvisibleForAll, InvisibleForAll, InvisibleForAll},
        {Connecting, InvisibleForAll, Connecting},
        {InvisibleForAll, Connecting, InvisibleForAll},
        {Offline, Offline, Offline},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MergeStatus(c.a, c.b), c.merged) << c.a << " + " << c.b;
}

TEST_F(JabberContactMapTest, StoresBareJidsOfUsersAndWholeAddressesOfServers) {
    struct Case {
        int kind;
        const char* jid;
        const char* stored;
    } cases[] = {
        {ContactKindRoster, "bob@example.org/Home", "bob@example.org"},
        {ContactKindRoster, "gw.example.org/registered", "gw.example.org/registered"},
        {ContactKindRoom, "room@conf.example.org/nick", "room@conf.example.org"},
        {ContactKindStranger, "eve@example.org/Laptop", "eve@example.org/Laptop"},
    };
    for (const auto& c : cases) {
        ContactRecord* record = map.FindOrAddContact(c.kind, S(c.jid));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(Utf8Of(record->jid), c.stored) << c.jid;
        EXPECT_EQ(record->kind, c.kind);
    }
    EXPECT_EQ(map.FindContact(ContactKindRoster, S("bob@example.org"))->flags, ContactFlagChatStates);
    EXPECT_EQ(map.FindContact(ContactKindStranger, S("eve@example.org/Laptop"))->flags, 0);
}

TEST_F(JabberContactMapTest, FindsByKindAndBareJidIgnoringCase) {
    ContactRecord* bob = map.FindOrAddContact(ContactKindRoster, S("bob@example.org"));
    EXPECT_EQ(map.FindOrAddContact(ContactKindRoster, S("BOB@Example.org/Work")), bob);
    EXPECT_EQ(map.FindContact(ContactKindRoster, S("Bob@example.ORG/any")), bob);
    EXPECT_EQ(map.FindContact(ContactKindRoom, S("bob@example.org")), nullptr);
    EXPECT_EQ(map.FindContactIndex(ContactKindRoster, S("bob@example.org")), 1);
    EXPECT_EQ(map.FindContactIndex(ContactKindRoster, S("carol@example.org")), 0);
    EXPECT_EQ(map.Count(), 1);
}

TEST_F(JabberContactMapTest, StrangersAreKeyedByFullJid) {
    ContactRecord* laptop = map.FindOrAddContact(ContactKindStranger, S("eve@example.org/Laptop"));
    ContactRecord* phone = map.FindOrAddContact(ContactKindStranger, S("eve@example.org/Phone"));
    EXPECT_NE(laptop, phone);
    EXPECT_EQ(map.FindContact(ContactKindStranger, S("EVE@example.org/laptop")), laptop);
    EXPECT_EQ(map.FindContact(ContactKindStranger, S("eve@example.org")), nullptr);
}

TEST_F(JabberContactMapTest, ARoomMakesRosterEntriesOfItsJidKeepTheirResource) {
    map.FindOrAddContact(ContactKindRoom, S("room@conf.example.org"));
    ContactRecord* alice = map.FindOrAddContact(ContactKindRoster, S("room@conf.example.org/alice"));
    ContactRecord* bob = map.FindOrAddContact(ContactKindRoster, S("room@conf.example.org/bob"));
    EXPECT_NE(alice, bob);
    EXPECT_TRUE(alice->fullJidKey);
    EXPECT_EQ(Utf8Of(alice->jid), "room@conf.example.org/alice");
    EXPECT_EQ(map.FindContact(ContactKindRoster, S("room@conf.example.org/BOB")), bob);
}

TEST_F(JabberContactMapTest, FindsByKindFromAStartIndex) {
    map.FindOrAddContact(ContactKindRoster, S("a@x"));
    map.FindOrAddContact(ContactKindRoom, S("r1@conf.x"));
    map.FindOrAddContact(ContactKindRoster, S("b@x"));
    map.FindOrAddContact(ContactKindRoom, S("r2@conf.x"));
    EXPECT_EQ(map.FindContactByKind(ContactKindRoom, -5), 1);
    EXPECT_EQ(map.FindContactByKind(ContactKindRoom, 2), 3);
    EXPECT_EQ(map.FindContactByKind(ContactKindRoom, 4), -1);
    EXPECT_EQ(map.FindContactByKind(ContactKindStranger, 0), -1);
    EXPECT_EQ(Utf8Of(map.GetContactAt(2)->jid), "b@x");
    EXPECT_EQ(map.GetContactAt(4), nullptr);
    EXPECT_EQ(map.GetContactAt(-1), nullptr);
}

TEST_F(JabberContactMapTest, RemovesOneEntryOrAll) {
    map.FindOrAddContact(ContactKindRoster, S("a@x"));
    ContactRecord* b = map.FindOrAddContact(ContactKindRoster, S("b@x"));
    map.RemoveContact(ContactKindRoster, S("A@X/res"));
    EXPECT_EQ(map.Count(), 1);
    EXPECT_EQ(map.FindContact(ContactKindRoster, S("b@x")), b);
    map.RemoveContact(ContactKindRoom, S("b@x"));
    EXPECT_EQ(map.Count(), 1);
    map.ClearContacts();
    EXPECT_EQ(map.Count(), 0);
}

TEST_F(JabberContactMapTest, ResourcesAreAddedCaseSensitivelyAndRemovedIgnoringCase) {
    ContactRecord* bob = map.FindOrAddContact(ContactKindRoster, S("bob@example.org"));
    EXPECT_TRUE(map.UpdateResource(ContactKindRoster, S("bob@example.org/y"), Online, S("here"), 1));
    EXPECT_TRUE(map.UpdateResource(ContactKindRoster, S("bob@example.org/x"), Away, S(""), 2));
    EXPECT_EQ(ResourceNames(*bob), (std::vector<std::string>{"y", "x"}));

    EXPECT_TRUE(map.UpdateResource(ContactKindRoster, S("bob@example.org/Y"), Online, S(""), 0));
    EXPECT_EQ(ResourceNames(*bob), (std::vector<std::string>{"y", "x", "Y"}));

    map.RemoveResource(ContactKindRoster, S("bob@example.org/X"));
    EXPECT_EQ(ResourceNames(*bob), (std::vector<std::string>{"y", "Y"}));
}

TEST_F(JabberContactMapTest, UpdatingAResourceMarksChangedTextAndClearsItsExtendedStatus) {
    ContactRecord* bob = map.FindOrAddContact(ContactKindRoster, S("bob@example.org"));
    map.UpdateResource(ContactKindRoster, S("bob@example.org/x"), Online, S("hi"), 5);
    ResourceRecord& x = bob->resources[0];
    EXPECT_TRUE(x.statusTextChanged);
    x.statusTextChanged = false;
    x.xStatusId = 12;
    x.xStatusTitle = S("coffee");

    EXPECT_FALSE(map.UpdateResource(ContactKindRoster, S("bob@example.org/x"), Away, S("hi"), -3));
    EXPECT_EQ(x.status, Away);
    EXPECT_EQ(x.priority, -3);
    EXPECT_FALSE(x.statusTextChanged);
    EXPECT_EQ(x.xStatusId, 0);
    EXPECT_TRUE(x.xStatusTitle.IsEmpty());

    map.UpdateResource(ContactKindRoster, S("bob@example.org/x"), Away, S("lunch"), -3);
    EXPECT_TRUE(x.statusTextChanged);
    EXPECT_EQ(Utf8Of(x.statusText), "lunch");
}

TEST_F(JabberContactMapTest, APresenceWithoutResourceSetsTheSummary) {
    ContactRecord* gw = map.FindOrAddContact(ContactKindRoster, S("gw.example.org"));
    EXPECT_FALSE(map.UpdateResource(ContactKindRoster, S("gw.example.org"), Online, S("ready"), 0));
    EXPECT_EQ(gw->summary.status, Online);
    EXPECT_EQ(Utf8Of(gw->summary.statusText), "ready");
    EXPECT_TRUE(gw->summary.statusTextChanged);
    EXPECT_TRUE(gw->resources.empty());
    // An empty resource names nothing; an unknown contact has nothing.
    EXPECT_FALSE(map.UpdateResource(ContactKindRoster, S("gw.example.org/"), Away, S(""), 0));
    EXPECT_FALSE(map.UpdateResource(ContactKindRoster, S("nobody@example.org/x"), Away, S(""), 0));
    EXPECT_EQ(gw->summary.status, Online);
}

TEST_F(JabberContactMapTest, BestResourceFollowsPriorityFirstOfEqualsWinning) {
    struct Case {
        int first, second;
        const char* best;
    } cases[] = {{5, 5, "one"}, {1, 10, "two"}, {10, 1, "one"}, {-128, -100, "two"}, {-5, -5, "one"}};
    for (const auto& c : cases) {
        map.ClearContacts();
        map.FindOrAddContact(ContactKindRoster, S("bob@x"));
        map.UpdateResource(ContactKindRoster, S("bob@x/one"), Online, S(""), static_cast<int8_t>(c.first));
        map.UpdateResource(ContactKindRoster, S("bob@x/two"), Online, S(""), static_cast<int8_t>(c.second));
        EXPECT_EQ(Utf8Of(map.BestResource(S("bob@x"))), c.best) << c.first << " vs " << c.second;
    }
}

TEST_F(JabberContactMapTest, BestResourcePrefersTheOneThatLastWrote) {
    ContactRecord* bob = map.FindOrAddContact(ContactKindRoster, S("bob@x"));
    EXPECT_TRUE(map.BestResource(S("bob@x")).IsEmpty());
    map.UpdateResource(ContactKindRoster, S("bob@x/a"), Online, S(""), 0);
    EXPECT_EQ(Utf8Of(map.BestResource(S("bob@x"))), "a");
    map.UpdateResource(ContactKindRoster, S("bob@x/b"), Online, S(""), 9);
    map.UpdateResource(ContactKindRoster, S("bob@x/c"), Online, S(""), 0);
    bob->lastMessageResource = 2;
    EXPECT_EQ(Utf8Of(map.BestResource(S("bob@x"))), "c");

    bob->resourceMode = ResourceModeChosen;
    bob->chosenResource = 0;
    EXPECT_EQ(Utf8Of(map.BestResource(S("bob@x"))), "a");
    bob->chosenResource = 7;  // out of range: priority decides
    EXPECT_EQ(Utf8Of(map.BestResource(S("bob@x"))), "b");
}

TEST_F(JabberContactMapTest, RemovingAResourceKeepsTheIndicesOnTheirResources) {
    ContactRecord* bob = map.FindOrAddContact(ContactKindRoster, S("bob@x"));
    for (const char* jid : {"bob@x/a", "bob@x/b", "bob@x/c", "bob@x/d"})
        map.UpdateResource(ContactKindRoster, S(jid), Online, S(""), 0);
    bob->lastMessageResource = 3;  // d
    bob->resourceMode = ResourceModeChosen;
    bob->chosenResource = 2;  // c

    map.RemoveResource(ContactKindRoster, S("bob@x/A"));
    EXPECT_EQ(bob->lastMessageResource, 2);
    EXPECT_EQ(bob->chosenResource, 1);
    EXPECT_EQ(Utf8Of(map.BestResource(S("bob@x"))), "c");

    map.RemoveResource(ContactKindRoster, S("bob@x/c"));
    EXPECT_EQ(bob->chosenResource, -1);
    EXPECT_EQ(bob->resourceMode, ResourceModeLastMessage);
    EXPECT_EQ(bob->lastMessageResource, 1);
    EXPECT_EQ(Utf8Of(map.BestResource(S("bob@x"))), "d");

    map.RemoveResource(ContactKindRoster, S("bob@x/d"));
    EXPECT_EQ(bob->lastMessageResource, -1);
    map.RemoveResource(ContactKindRoster, S("bob@x/b"));
    EXPECT_TRUE(bob->resources.empty());
    map.RemoveResource(ContactKindRoster, S("bob@x/b"));
}

TEST_F(JabberContactMapTest, FullJidForSendCompletesOnlyBareJids) {
    map.FindOrAddContact(ContactKindRoster, S("bob@x"));
    EXPECT_EQ(Utf8Of(map.FullJidForSend(S("bob@x"))), "bob@x");
    map.UpdateResource(ContactKindRoster, S("bob@x/Phone"), Online, S(""), 0);
    EXPECT_EQ(Utf8Of(map.FullJidForSend(S("bob@x"))), "bob@x/Phone");
    EXPECT_EQ(Utf8Of(map.FullJidForSend(S("bob@x/Desk"))), "bob@x/Desk");
    EXPECT_EQ(Utf8Of(map.FullJidForSend(S("stranger@x"))), "stranger@x");
}

namespace {

// The lookup rules written as the plain walk over the entries in insertion
// order: a room of the bare JID makes kind-0 lookups compare whole JIDs,
// kinds 7 and 8 always do, and a kind-0 entry marked full-JID key compares
// whole; everything else compares bare JIDs. Index + 1, 0 for none.
int LinearIndex(CJabberContactMap& map, int kind, const CYolString& jid) {
    bool room = false;
    for (int i = 0; i < map.Count(); ++i)
        room = room || (map.GetContactAt(i)->kind == ContactKindRoom && SameBareJid(map.GetContactAt(i)->jid, jid));
    const bool keyIsFull =
        kind == ContactKindOccupant || kind == ContactKindStranger || (kind == ContactKindRoster && room);
    for (int i = 0; i < map.Count(); ++i) {
        const ContactRecord& entry = *map.GetContactAt(i);
        if (entry.kind != kind)
            continue;
        const bool full = keyIsFull || (kind == ContactKindRoster && entry.fullJidKey);
        if (full ? SameJid(entry.jid, jid) : SameBareJid(entry.jid, jid))
            return i + 1;
    }
    return 0;
}

// Texts that may hold a 0 unit, which a C string would end at.
CYolString Units(std::u16string_view units) { return CYolString(units.data(), static_cast<int>(units.size())); }

}  // namespace

TEST_F(JabberContactMapTest, IndexedLookupsAgreeWithTheLinearRules) {
    const std::string longNode(300, 'n');
    const std::vector<CYolString> probes = {
        S("bob@example.org"), S("BOB@example.ORG/Home"), S("bob@example.org/"), S("bob@example.org.evil"),
        S("gw.example.org"), S("gw.example.org/registered"), S("GW.example.org/REGISTERED"), S("gw.example.org/x"),
        S("алиса@пример.рф"), S("АЛИСА@Пример.РФ/Телефон"), S("İ@x"), S("i@x"), S("I@x"), S("Σ@x"), S("ς@x"),
        S("room@conf.x"), S("Room@Conf.x/alice"), S("room@conf.x/ALICE"), S("room@conf.x/bob"),
        S("room@conf.x/early"), S("room@conf.x/"), S("eve@x/Laptop"), S("EVE@X/laptop"), S("eve@x"),
        S("eve@x/Laptop/2"), S(""), S("/"), S("@"), S("a@b/c/d"), S("A@B/C/D"),
        S((longNode + "1@x").c_str()), S((longNode + "2@x/r").c_str()),
        Units(u"nul\0a@x"sv), Units(u"NUL\0b@x"sv), Units(u"nul\0a@x/r"sv), Units(u"nul@x"sv),
        Units(u"\xD83D\xDE00@x"sv), Units(u"\xD83D\xDE01@x/\xD83D\xDE00"sv),
    };
    const int kinds[] = {ContactKindRoster, ContactKindRoom, ContactKindOccupant, ContactKindStranger, 3};
    auto expectAgreement = [&](const char* step) {
        SCOPED_TRACE(step);
        for (int kind : kinds)
            for (const CYolString& probe : probes) {
                const int linear = LinearIndex(map, kind, probe);
                ASSERT_EQ(map.FindContactIndex(kind, probe), linear) << "kind " << kind << " " << Utf8Of(probe);
                EXPECT_EQ(map.FindContact(kind, probe), linear == 0 ? nullptr : map.GetContactAt(linear - 1));
            }
    };

    for (const char* jid : {"bob@example.org/Home", "gw.example.org/registered", "Алиса@пример.рф/Дом",
                            "room@conf.x/early", "i@x", "Σ@x", "a@b/c/d"})
        map.FindOrAddContact(ContactKindRoster, S(jid));
    map.FindOrAddContact(ContactKindRoster, S((longNode + "1@x").c_str()));
    map.FindOrAddContact(3, S("gw.example.org/registered"));
    expectAgreement("roster only");

    // A room arriving after a roster entry of its bare JID.
    map.FindOrAddContact(ContactKindRoom, S("room@conf.x/me"));
    for (const char* jid : {"room@conf.x/alice", "room@conf.x/Bob", "room@conf.x"})
        map.FindOrAddContact(ContactKindRoster, S(jid));
    for (const char* jid : {"eve@x/Laptop", "EVE@x/Phone", "room@conf.x/alice"})
        map.FindOrAddContact(ContactKindStranger, S(jid));
    map.FindOrAddContact(ContactKindOccupant, S("room@conf.x/alice"));
    expectAgreement("with a room");

    map.RemoveContact(ContactKindRoom, S("ROOM@conf.x"));
    expectAgreement("room gone");
    map.RemoveContact(ContactKindRoster, S("room@conf.x/anything"));
    map.RemoveContact(ContactKindStranger, S("eve@x/laptop"));
    expectAgreement("bare entry gone");

    map.FindOrAddContact(ContactKindRoster, Units(u"nul\0z@x"sv));
    map.FindOrAddContact(ContactKindStranger, Units(u"NUL\0q@x"sv));
    map.FindOrAddContact(ContactKindRoster, Units(u"\xD83D\xDE00@x/r"sv));
    map.FindOrAddContact(ContactKindRoom, S("room@conf.x"));
    expectAgreement("room back");

    map.ClearContacts();
    expectAgreement("cleared");
    map.FindOrAddContact(ContactKindRoster, S("bob@example.org"));
    expectAgreement("after clearing");
}
