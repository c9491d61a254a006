// The messages and the contact list of an MRIM account against the
// recording doubles: how received flags are read, the offline mail form,
// delivery acknowledgements, and list changes that reach the list only when
// the server accepts them.

#include "CZemContactList.h"
#include "MrimMessages.h"
#include "ZemStatuses.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace ZemTest;

class ZemBehaviour : public ::testing::Test {
protected:
    void SetUp() override {
        list.Load(ListBody({"Friends", "Work"}, {{0, 0, "bob@mail.ru", "Bob", 0, 1}, {0, 1, "eve@mail.ru", "", 1, 0}}));
        list.Reconcile();
        bob = model.Find("bob@mail.ru");
        model.Take();
    }
    MrimPacket Incoming(uint32_t flags, std::string_view text) {
        body = MrimBodyWriter().UL(9).UL(flags).LPS("bob@mail.ru").LPS(text).LPS({}).Take();
        return MrimPacket{MrimHeader{}, body};
    }

    RecordingPacketSink sink;
    RecordingListModel model;
    std::vector<std::string> shown;
    CZemContactList list{model, [this](const CYolString& text) { shown.push_back(text.ToUtf8()); }};
    int64_t now = 1000;
    bool timerStarted = false;
    ZemTyping typing{[this](const CYolString& address, bool on) {
        model.log.push_back(std::string(on ? "typing " : "stopped ") + address.ToUtf8());
    }};
    MrimMessages messages{sink, list, model, typing,
                          {[] { return true; }, [](int id) { return CYolString(id == 26 ? u"wake" : u"ok"); },
                           [](int) { return 7; }, [this] { return now; }, [this] { timerStarted = true; }}};
    unsigned int bob = 0;
    std::string body;
};

TEST_F(ZemBehaviour, ReceivedFlagsDecideTextReceiptAndTyping) {
    const std::string utf16 = ToUtf16Bytes(U("Жё😀"));
    struct Case {
        uint32_t flags;
        std::string text;
        std::string delivered;  // "<kind> <text>", "" when nothing is shown
        bool receipt;
    } cases[] = {
        {0x00100000, utf16, "0 Жё😀", true},
        {0x00200000, To1251Bytes(U("Привет")), "0 Привет", true},
        {0x00100004, utf16, "0 Жё😀", false},
        {0x00000404, " ", "", false},
        {0x00200400, " ", "", false},
        {0x00100001, utf16, "0 Жё😀", true},
        {0x00104080, " ", "2 wake", true},
    };
    const std::string prefix = "message " + std::to_string(bob) + " ";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        messages.OnIncoming(Incoming(c.flags, c.text));
        std::string delivered;
        for (const std::string& line : model.Take())
            if (line.rfind(prefix, 0) == 0)
                delivered = line.substr(prefix.size());
        EXPECT_EQ(delivered, c.delivered);
        EXPECT_EQ(sink.Take().size(), c.receipt ? 1u : 0u);
    }
}

TEST_F(ZemBehaviour, TypingNoticeStartsTheTimerAndExpiresAfterTenSilentSeconds) {
    messages.OnIncoming(Incoming(0x00200400, " "));
    EXPECT_TRUE(timerStarted);
    EXPECT_TRUE(typing.Expire(now + 10));
    EXPECT_FALSE(typing.Expire(now + 11));
    EXPECT_EQ(model.Take(), (std::vector<std::string>{"typing bob@mail.ru", "stopped bob@mail.ru"}));
}

TEST_F(ZemBehaviour, OfflineMailIsShownWithItsDateAndAlwaysDeleted) {
    const std::string mail = "From: bob@mail.ru\nDate: d\nX-MRIM-Flags: 00100000\nContent-Type: text/plain\n\nSABpAA==\n";
    body = MrimBodyWriter().Raw("12345678").UL(0).Raw(mail).Take();
    messages.OnOffline(MrimPacket{MrimHeader{}, body});
    ASSERT_FALSE(model.messages.empty());
    EXPECT_EQ(model.messages.back().text.ToUtf8(), "Offline message (d)\r\nHi");
    EXPECT_EQ(model.messages.back().kind, 1u);
    body = MrimBodyWriter().Raw("87654321").UL(0).Raw("garbage").Take();
    messages.OnOffline(MrimPacket{MrimHeader{}, body});
    std::vector<std::string> sent = sink.Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].substr(44), "87654321");
}

TEST_F(ZemBehaviour, StrangersSpeakThroughTemporaryContacts) {
    body = MrimBodyWriter().UL(9).UL(0x00100000).LPS("stranger@mail.ru").LPS(ToUtf16Bytes(U("hey"))).LPS({}).Take();
    messages.OnIncoming(MrimPacket{MrimHeader{}, body});
    std::vector<std::string> log = model.Take();
    EXPECT_NE(std::find(log.begin(), log.end(), "temp stranger@mail.ru"), log.end());
    EXPECT_EQ(model.messages.back().text.ToUtf8(), "hey");
}

TEST_F(ZemBehaviour, OnlyDeliveredStatusAcknowledgesTheSentText) {
    Protocols::MessageInfo text;
    text.contactId = bob;
    text.messageId = 42;
    text.text = U("x");
    ASSERT_TRUE(messages.SendText(text));
    MrimHeader header;
    header.sequence = 42;
    body = MrimBodyWriter().UL(1).Take();
    messages.OnMessageStatus(MrimPacket{header, body});
    EXPECT_TRUE(model.Take().empty());
    body = MrimBodyWriter().UL(0).Take();
    messages.OnMessageStatus(MrimPacket{header, body});
    EXPECT_EQ(model.Take(), (std::vector<std::string>{"ack " + std::to_string(bob) + " 42"}));
}

TEST_F(ZemBehaviour, ListShowsGroupsContactsAndLocalPartNicks) {
    EXPECT_NE(model.Find("Friends"), 0u);
    const unsigned int eve = model.Find("eve@mail.ru");
    ASSERT_NE(eve, 0u);
    EXPECT_EQ(model.items[eve].alias.ToUtf8(), "eve");
    EXPECT_EQ(model.Flag(eve, ZemValueName::AuthRequired), 1);
    EXPECT_EQ(list.FindByItem(eve)->serverId, 21u);
}

TEST_F(ZemBehaviour, AListWhoseGroupsTakeNoBytesIsRefusedAndTheOldOneKept) {
    const std::string list0 = MrimBodyWriter().UL(0).UL(0xFFFFFFFF).LPS("x").LPS("uussuus").Take();
    EXPECT_EQ(list.Load(list0), 1u);
    EXPECT_EQ(list.Groups().size(), 2u);
    EXPECT_NE(list.FindByItem(bob), nullptr);
}

TEST_F(ZemBehaviour, RefusedChangesLeaveTheListAsItWasAndShowTheServersText) {
    list.RenameContact(50, bob, U("Robert"));
    list.OnModifyAck(50, MrimBodyWriter().UL(3).Take());
    EXPECT_EQ(list.FindByItem(bob)->nick.ToUtf8(), "Bob");
    EXPECT_EQ(shown, (std::vector<std::string>{"Contact not exist"}));
    EXPECT_TRUE(model.Take().empty());
    list.RenameContact(51, bob, U("Robert"));
    list.OnModifyAck(51, MrimBodyWriter().UL(0).Take());
    EXPECT_EQ(list.FindByItem(bob)->nick.ToUtf8(), "Robert");
    EXPECT_EQ(model.Take(), (std::vector<std::string>{"alias bob@mail.ru 'Robert'"}));
}

TEST_F(ZemBehaviour, GroupAdditionCarriesTheGroupCountAndTakesTheServersIndex) {
    const std::string request = list.AddGroup(60, U("New"));
    EXPECT_EQ(ToHex(request.substr(0, 4)), "02000002");
    list.OnAddAck(61, MrimBodyWriter().UL(6).UL(0).Take());
    EXPECT_EQ(shown, (std::vector<std::string>{"Groups limit (max 20)"}));
    list.OnAddAck(60, MrimBodyWriter().UL(0).UL(7).Take());
    EXPECT_EQ(list.Groups().back().index, 7u);
    EXPECT_TRUE(list.Groups().back().flags & 0x200);
}

TEST(ZemStatuses, WireStatusesMapBothWays) {
    struct Case {
        uint32_t wire;
        const char16_t* uri;
        Protocols::Status status;
    } cases[] = {{0x80000004, u"status_chat", Protocols::Invisible}, {4, u"STATUS_DND", Protocols::DoNotDisturb},
                 {4, u"status_35", Protocols::Depression},           {3, u"", Protocols::Offline},
                 {4, u"status_unknown", Protocols::Online},          {2, u"", Protocols::Away}};
    for (const Case& c : cases)
        EXPECT_EQ(WireToStatus(c.wire, CYolString(c.uri)), c.status);
    CYolString a, b;
    EXPECT_EQ(StatusToWire(Protocols::InvisibleForAll, a), StatusToWire(Protocols::Invisible, b));
    EXPECT_EQ(a, b);
}

}  // namespace
