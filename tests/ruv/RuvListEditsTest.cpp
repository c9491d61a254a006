// Edits of the server-side list: each command's frames, the request ids
// the acknowledgements are matched by, what every result code does, and
// the authorization messages.

#include "RuvListTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace RuvTest;

class RuvListEditing : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Receive(ListFrame({{"Friends", 7, 0, 1, {}}, {"Work", 8, 0, 1, {}}, {"100300", 7, 1030, 0, {}}}));
        friends = List().FindGroup(7)->contactId;
        work = List().FindGroup(8)->contactId;
        buddy = List().FindBuddy(CYolString(u"100300"))->contactId;
        rig.model.Take();
        rig.established = true;
    }
    CRuvServerList& List() { return rig.session.list; }
    ::RuvListEdits& Edits() { return rig.session.edits; }
    // Request id of the sent frame `index`.
    static uint32_t RequestId(const std::string& frame) {
        const auto* b = reinterpret_cast<const uint8_t*>(frame.data()) + 12;
        return static_cast<uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
    }
    void Ack(uint32_t requestId, uint16_t result) {
        rig.Receive(Snac(0x13, 0x0E, OscarWriter().U16(result).Take(), 0, requestId));
    }
    // Sends the command's frames, then acknowledges the only edit in them.
    void AckLast(uint16_t result) {
        const std::vector<std::string> frames = rig.sink.Take();
        for (const std::string& frame : frames)
            if (frame[9] >= 0x08 && frame[9] <= 0x0A)
                Ack(RequestId(frame), result);
    }
    SessionRig rig;
    unsigned int friends = 0;
    unsigned int work = 0;
    unsigned int buddy = 0;
};

TEST_F(RuvListEditing, AContactAddedGoesToTheListOnlyWhenTheServerAccepts) {
    Edits().AddContact(CYolString(u"100400"), CYolString(u"Борис"), friends);
    const std::vector<std::string> sent = rig.sink.Take();
    ASSERT_EQ(sent.size(), 1u);
    // Name, group 7, the first free id, type 0, the alias in UTF-8.
    EXPECT_EQ(Hex(sent[0].substr(16)), "0006313030343030" "0007" "0400" "0000" "000e" "0131000a" +
                                           Hex("Борис"));
    EXPECT_TRUE(rig.model.Take().empty());
    Ack(RequestId(sent[0]), 0);
    ASSERT_NE(List().FindBuddy(CYolString(u"100400")), nullptr);
    EXPECT_EQ(rig.model.Take(), (std::vector<std::string>{"contact+ 4 100400"}));
    EXPECT_EQ(Edits().Waiting(), 0u);
    // Nothing to add without a nick, a name or a known group.
    Edits().AddContact(CYolString(u"100500"), CYolString(), friends);
    Edits().AddContact(CYolString(u"100500"), CYolString(u"x"), 999);
    EXPECT_TRUE(rig.sink.Take().empty());
}

TEST_F(RuvListEditing, RefusalsShowTheirTextAndChangeNothing) {
    const struct {
        uint16_t result;
        const char* text;
    } cases[] = {
        {2, "Item not found"},
        {3, "Item already exist"},
        {10, "Error adding item"},
        {12, "Can't add item (limit of this type of items exceeded)"},
        {13, "Trying to add Ruv contact to AIM list"},
        {99, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        rig.texts.clear();
        Edits().RenameContact(buddy, CYolString(u"New"));
        AckLast(c.result);
        EXPECT_EQ(rig.texts, c.text ? std::vector<std::string>{c.text} : std::vector<std::string>{});
        EXPECT_EQ(List().FindBuddy(CYolString(u"100300"))->tlvs.Find(0x0131), nullptr);
        EXPECT_EQ(Edits().Waiting(), 0u);
    }
}

TEST_F(RuvListEditing, AuthorizationRequiredTurnsAnAddIntoOneThatAwaitsIt) {
    Edits().AddContact(CYolString(u"100400"), CYolString(u"B"), friends);
    AckLast(14);
    EXPECT_EQ(rig.texts, (std::vector<std::string>{"Contact is authorization required"}));
    const std::vector<std::string> again = rig.sink.Take();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0][9], 0x08);
    EXPECT_NE(again[0].find(Bytes("00660000")), std::string::npos);
    Ack(RequestId(again[0]), 0);
    EXPECT_TRUE(CRuvServerList::IsAwaitingAuthorization(*List().FindBuddy(CYolString(u"100400"))));
    // On a removal the same code says nothing.
    rig.texts.clear();
    Edits().DeleteContact(buddy);
    AckLast(14);
    EXPECT_TRUE(rig.texts.empty());
    EXPECT_TRUE(rig.sink.Take().empty());
}

TEST_F(RuvListEditing, RenameMoveAndDeleteApplyToTheItemTheyNamed) {
    Edits().RenameContact(buddy, CYolString(u"Renamed"));
    AckLast(0);
    EXPECT_EQ(rig.model.items[buddy].alias.ToUtf8(), "Renamed");

    Edits().MoveContact(buddy, work);
    std::vector<std::string> kinds;
    const std::vector<std::string> move = rig.sink.Take();
    for (const std::string& frame : move)
        kinds.push_back(Hex(frame.substr(9, 1)));
    EXPECT_EQ(kinds, (std::vector<std::string>{"11", "0a", "08", "12"}));
    Ack(RequestId(move[1]), 0);
    Ack(RequestId(move[2]), 0);
    EXPECT_EQ(List().FindBuddy(CYolString(u"100300"))->groupId, 8u);
    EXPECT_EQ(rig.model.items[buddy].parent, work);

    // Two removals in flight are told apart by their own request ids.
    Edits().AddContact(CYolString(u"100400"), CYolString(u"B"), friends);
    AckLast(0);
    const unsigned int second = List().FindBuddy(CYolString(u"100400"))->contactId;
    rig.model.Take();
    Edits().DeleteContact(buddy);
    const std::vector<std::string> first = rig.sink.Take();
    Edits().DeleteContact(second);
    const std::vector<std::string> other = rig.sink.Take();
    EXPECT_NE(RequestId(first[1]), RequestId(other[1]));
    Ack(RequestId(other[1]), 0);
    Ack(RequestId(first[1]), 0);
    EXPECT_EQ(rig.model.Take(), (std::vector<std::string>{"contact- " + std::to_string(second),
                                                          "contact- " + std::to_string(buddy)}));
    EXPECT_EQ(List().FindBuddy(CYolString(u"100300")), nullptr);
}

TEST_F(RuvListEditing, GroupsAreAddedRenamedAndRemoved) {
    Edits().AddGroup(CYolString(u"Family"));
    AckLast(0);
    CRuvListItem* family = nullptr;
    for (CRuvListItem& item : List().Items())
        if (item.type == RuvItemType::Group && item.name.ToUtf8() == "Family")
            family = &item;
    ASSERT_NE(family, nullptr);
    const unsigned int group = family->contactId;
    Edits().RenameGroup(group, CYolString(u"Kin"));
    AckLast(0);
    EXPECT_EQ(rig.model.items[group].key.ToUtf8(), "Kin");
    Edits().DeleteGroup(group);
    AckLast(0);
    EXPECT_EQ(rig.model.items.count(group), 0u);
    EXPECT_EQ(List().FindByContact(group), nullptr);
}

TEST_F(RuvListEditing, ContactsOutsideTheServersListGoAtOnce) {
    const unsigned int loose = rig.model.PutContact(0, "100900");
    const unsigned int grouped = rig.model.PutContact(friends, "100901");
    Edits().DeleteContact(grouped);
    Edits().DeleteContact(loose);
    Edits().MoveContact(loose, work);
    EXPECT_TRUE(rig.sink.Take().empty());
    EXPECT_EQ(rig.model.items.count(grouped), 1u);
    EXPECT_EQ(rig.model.items.count(loose), 0u);
}

TEST_F(RuvListEditing, PrivacyListsSetTheContactsFlags) {
    Edits().AddToPrivacyList(buddy, RuvItemType::Deny);
    AckLast(0);
    EXPECT_EQ(rig.model.Flag(buddy, RuvValueName::InInvisibleList), 1);
    EXPECT_TRUE(List().Membership(CYolString(u"100300")).invisible);
    Edits().RemoveFromPrivacyList(buddy, RuvItemType::Deny);
    AckLast(0);
    EXPECT_EQ(rig.model.Flag(buddy, RuvValueName::InInvisibleList), 0);
    EXPECT_FALSE(List().Membership(CYolString(u"100300")).invisible);
}

TEST_F(RuvListEditing, AuthorizationMessagesReachTheUser) {
    rig.Receive(Snac(0x13, 0x19, Bytes("06") + "100777" + Bytes("0000")));
    ASSERT_EQ(rig.model.messages.size(), 1u);
    EXPECT_EQ(rig.model.messages[0].kind, 3u);

    List().FindBuddy(CYolString(u"100300"))->tlvs.Append(0x0066, {});
    rig.Receive(Snac(0x13, 0x1B, Bytes("06") + "100300" + Bytes("01 0000")));
    EXPECT_EQ(rig.model.messages.back().text.ToUtf8(), "100300\nAccepted your authorization");
    EXPECT_FALSE(CRuvServerList::IsAwaitingAuthorization(*List().FindBuddy(CYolString(u"100300"))));
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"13/09"}));
    rig.Receive(Snac(0x13, 0x1B, Bytes("06") + "100300" + Bytes("00 0000")));
    EXPECT_EQ(rig.model.messages.back().text.ToUtf8(), "100300\nDeclined your authorization");
    // From someone outside the list: nothing.
    const size_t count = rig.model.messages.size();
    rig.Receive(Snac(0x13, 0x1B, Bytes("06") + "100888" + Bytes("01 0000")));
    EXPECT_EQ(rig.model.messages.size(), count);
}

}  // namespace
