// The bytes of every packet the plug-in sends, written out by hand from the
// wire layout, and the reading of what arrives: bounded counts and the
// reassembly of packets split or joined anywhere.

#include "CZemContactList.h"
#include "MrimLogin.h"
#include "MrimMessages.h"
#include "MrimPacketAssembler.h"
#include "ZemStatuses.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace ZemTest;

// "efbeadde" "13000100", then sequence, type and length as 8 hex digits
// little-endian, then 24 zero bytes of addresses and reserved space.
std::string HeaderHex(const char* sequence, const char* type, const char* length) {
    return std::string("efbeadde13000100") + sequence + type + length + std::string(48, '0');
}

TEST(MrimWire, OutgoingPacketsMatchTheirGoldenBytes) {
    RecordingPacketSink sink;
    RecordingListModel model;
    CZemContactList list(model, [](const CYolString&) {});
    list.Load(ListBody({"G"}, {{0, 0, "bob@mail.ru", "Bob", 0, 1}}));
    list.Reconcile();
    const unsigned int bob = model.Find("bob@mail.ru");
    const unsigned int group = model.Find("G");
    ZemTyping typing([](const CYolString&, bool) {});
    MrimMessages messages(sink, list, model, typing,
                          {[] { return true; }, [](int) { return CYolString(); }, [](int) { return 0; },
                           [] { return int64_t{0}; }, [] {}});
    Protocols::MessageInfo text;
    text.contactId = bob;
    text.messageId = 0x77;
    text.text = U("Hi");

    struct Case {
        const char* name;
        std::function<void()> send;
        std::string hex;
    } cases[] = {
        {"hello", [&] { sink.SendPacket(MrimPacketType::Hello, {}, 1); }, HeaderHex("01000000", "01100000", "00000000")},
        {"ping", [&] { sink.SendPacket(MrimPacketType::Ping, {}, 2); }, HeaderHex("02000000", "06100000", "00000000")},
        {"change status away",
         [&] { sink.SendPacket(MrimPacketType::ChangeStatus, BuildChangeStatusBody(Protocols::Away), 3); },
         HeaderHex("03000000", "22100000", "1f000000") + "02000000" + "0b000000" + "5354415455535f41574159" +
             "00000000" + "00000000" + "ff030000"},
        {"text message", [&] { messages.SendText(text); },
         HeaderHex("77000000", "08100000", "1f000000") + "00001000" + "0b000000" + "626f62406d61696c2e7275" +
             "04000000" + "48006900" + "00000000"},
        {"typing notice", [&] { sink.next = 5; messages.SendTyping(bob); },
         HeaderHex("05000000", "08100000", "1c000000") + "00042000" + "0b000000" + "626f62406d61696c2e7275" +
             "01000000" + "20" + "00000000"},
        {"authorize", [&] { sink.next = 6; messages.SendAuthorize(bob); },
         HeaderHex("06000000", "20100000", "0f000000") + "0b000000" + "626f62406d61696c2e7275"},
        {"add group", [&] { sink.SendPacket(MrimPacketType::AddContact, list.AddGroup(7, U("Ж")), 7); },
         HeaderHex("07000000", "19100000", "1e000000") + "02000001" + "00000000" + "00000000" + "02000000" +
             "1604" + "00000000" + "00000000" + "00000000"},
        {"rename contact", [&] { sink.SendPacket(MrimPacketType::ModifyContact, list.RenameContact(8, bob, U("B")), 8); },
         HeaderHex("08000000", "1b100000", "25000000") + "14000000" + "00000000" + "00000000" + "0b000000" +
             "626f62406d61696c2e7275" + "02000000" + "4200" + "00000000"},
        {"remove group", [&] { sink.SendPacket(MrimPacketType::ModifyContact, list.RemoveGroup(9, group), 9); },
         HeaderHex("09000000", "1b100000", "1a000000") + "00000000" + "01000000" + "00000000" + "00000000" +
             "02000000" + "4700" + "00000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink.Take();
        c.send();
        std::vector<std::string> sent = sink.Take();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(ToHex(sent[0]), c.hex);
    }
}

TEST(MrimWire, LoginBodyCarriesCredentialsStatusAndClientDescription) {
    struct Owner final : MMrimLoginOwner {
        CYolString name = U("me@mail.ru"), password = U("pw");
        const CYolString& LoginName() const override { return name; }
        const CYolString& LoginPassword() const override { return password; }
        int LoginStatus() const override { return Protocols::Invisible; }
        bool OpenSession(const CYolString&, unsigned int) override { return true; }
        void StartKeepAlive(unsigned int) override {}
        void LoginAccepted() override {}
        void LoginRefused(const CYolString&) override {}
        void LoggedOut(bool) override {}
        void RedirectFailed() override {}
    } owner;
    RecordingPacketSink sink;
    MrimLogin login(sink, owner);
    const std::string agent = "client=\"Yol Mobile WM\" version=\"2.0\" build=\"2142\"";
    const std::string description = "Yol Mobile WM (build 2142);";
    const std::string expected = MrimBodyWriter()
                                     .Raw(std::string("\x0a\0\0\0me@mail.ru\x02\0\0\0pw", 20))
                                     .Raw(std::string("\x01\0\0\x80", 4))
                                     .Raw(std::string("\x10\0\0\0STATUS_INVISIBLE", 20))
                                     .Raw(std::string(8, '\0'))
                                     .Raw(std::string("\xff\x03\0\0", 4))
                                     .LPS(agent)
                                     .Raw(std::string("\x02\0\0\0ru", 6))
                                     .LPS(description)
                                     .Take();
    EXPECT_EQ(ToHex(login.LoginBody()), ToHex(expected));
}

TEST(MrimWire, ReaderFailsACountPastTheBodyAndEveryReadAfterIt) {
    MrimBodyReader body(std::string_view("\x09\0\0\0abc\x01\0\0\0", 11));
    EXPECT_TRUE(body.LPS().empty());
    EXPECT_TRUE(body.Failed());
    uint32_t value = 7;
    EXPECT_FALSE(body.UL(value));
}

TEST(MrimWire, AssemblerHandsOutJoinedAndSplitPacketsWhole) {
    const std::string one = Packet(MrimPacketType::HelloAck, 1, std::string("\x1e\0\0\0", 4));
    const std::string two = Packet(MrimPacketType::LoginAck, 2, {});
    std::string wrongMagic = Packet(MrimPacketType::Logout, 3, std::string("\x10\0\0\0", 4));
    wrongMagic[0] = 'X';
    const std::string stream = one + two + wrongMagic;
    for (size_t piece : {stream.size(), size_t{1}, size_t{17}, size_t{44}}) {
        SCOPED_TRACE(piece);
        MrimPacketAssembler assembler;
        std::vector<uint32_t> types;
        for (size_t at = 0; at < stream.size(); at += piece) {
            assembler.Append(std::string_view(stream).substr(at, piece));
            MrimPacket packet;
            while (assembler.Next(packet) == MrimPacketAssembler::Result::Packet)
                types.push_back(packet.header.type);
        }
        EXPECT_EQ(types, (std::vector<uint32_t>{0x1002, 0x1004, 0x1013}));
        EXPECT_EQ(assembler.Buffered(), 0u);
    }
}

TEST(MrimWire, AssemblerRefusesABodyLargerThanItsCap) {
    MrimPacketAssembler assembler;
    std::string header = Packet(MrimPacketType::ContactList, 1, {});
    const uint32_t huge = MrimPacketAssembler::kMaxBody + 1;
    for (int i = 0; i < 4; ++i)
        header[16 + i] = static_cast<char>((huge >> (8 * i)) & 0xFF);
    assembler.Append(header);
    MrimPacket packet;
    EXPECT_EQ(assembler.Next(packet), MrimPacketAssembler::Result::Broken);
}

}  // namespace
