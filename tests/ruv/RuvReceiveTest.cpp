// What arrives: frames cut from a byte stream however it is split, the
// login and service records read from them, and the status words.

#include "FlapAssembler.h"
#include "RuvRecords.h"
#include "RuvStatuses.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

namespace {

using RuvTest::Bytes;
using RuvTest::Flap;
using RuvTest::Hex;
using RuvTest::Snac;

using RuvTest::U8;

std::vector<std::string> Feed(FlapAssembler& assembler, const std::vector<std::string>& reads, bool* broken) {
    std::vector<std::string> frames;
    for (const std::string& read : reads) {
        assembler.Append(read);
        std::string_view frame;
        FlapAssembler::Result result;
        while ((result = assembler.Next(frame)) == FlapAssembler::Result::Frame)
            frames.emplace_back(frame);
        if (result == FlapAssembler::Result::Broken)
            *broken = true;
    }
    return frames;
}

TEST(FlapAssembler, FramesComeOutWholeHoweverTheStreamIsSplit) {
    const std::string first = Flap(2, Bytes("0001000300000000000000010002"));
    const std::string second = Flap(5, {});
    const std::string both = first + second;
    struct Case {
        const char* name;
        std::vector<std::string> reads;
    } cases[] = {
        {"two in one read", {both}},
        {"split over three reads", {both.substr(0, 3), both.substr(3, 10), both.substr(13)}},
        {"byte by byte", {}},
    };
    for (char c : both)
        cases[2].reads.emplace_back(1, c);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlapAssembler assembler;
        bool broken = false;
        EXPECT_EQ(Feed(assembler, c.reads, &broken), (std::vector<std::string>{first, second}));
        EXPECT_FALSE(broken);
        EXPECT_EQ(assembler.Buffered(), 0u);
    }
}

TEST(FlapAssembler, AFrameWithoutTheStartMarkerBreaksTheStream) {
    FlapAssembler assembler;
    bool broken = false;
    auto frames = Feed(assembler, {Flap(5, {}) + Bytes("2b0100010000")}, &broken);
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_TRUE(broken);
}

TEST(RuvRecords, RateInfoReadsEveryClassOrNone) {
    const std::string one = "0001" + std::string(64, '0') + "01";  // class 1, eight values, state
    struct Case {
        const char* name;
        std::string payload;
        bool parses;
        std::vector<uint16_t> groups;
    } cases[] = {
        {"no classes", "0000", true, {}},
        {"one class with its pairs", "0001" + one + "0001 0002 00010002 00130006", true, {1}},
        {"group section lacks the pairs", "0001" + one + "0001 0002 00010002", false, {}},
        {"class records cut short", "0002" + one, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string frame = Snac(1, 7, Bytes(c.payload));
        CSnacRateInfo rates;
        EXPECT_EQ(rates.Unpack(U8(frame), frame.size()) != 0, c.parses);
        std::vector<uint16_t> groups;
        for (const TRateClass& rate : rates.classes)
            groups.push_back(rate.groupId);
        EXPECT_EQ(groups, c.groups);
    }
    std::string frame = Snac(1, 7, Bytes("0001" + one + "0001 0002 00010002 00130006"));
    CSnacRateInfo rates;
    ASSERT_NE(rates.Unpack(U8(frame), frame.size()), 0u);
    EXPECT_EQ(rates.classes[0].snacs, (std::vector<uint32_t>{0x00010002, 0x00130006}));
    EXPECT_EQ(rates.classes[0].state, 1);
}

TEST(RuvRecords, LoginReplyGivesTheSessionServerOrTheError) {
    const std::string name = "000100023132";
    const std::string cookie = "00060003 c0c0c0";
    const std::string error18 = "00080002 0018";
    auto address = [](std::string text) { return OscarWriter().Tlv(5, text).Take(); };
    struct Case {
        std::string payload;
        std::string host;
        uint32_t port;
        uint16_t error;
        bool session;
    } cases[] = {
        {name + Hex(address("127.0.0.1:5190")) + cookie + error18, "127.0.0.1", 5190, 0, true},
        {name + Hex(address("h:5190x")) + cookie, "h", 5190, 0, true},
        {name + Hex(address("h:")) + cookie, "h", 0, 0, false},
        {name + Hex(address("h")) + cookie, "h", 0, 0, false},
        {name + Hex(address("h:99999999999")) + cookie, "h", 0, 0, false},
        {name + error18, "", 0, 0x18, false},
        {name + cookie, "", 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.payload);
        std::string frame = Snac(0x17, 3, Bytes(c.payload));
        CSnacLoginReply reply;
        ASSERT_NE(reply.Unpack(U8(frame), frame.size()), 0u);
        EXPECT_EQ(reply.host.ToUtf8(), c.host);
        if (c.session) {
            EXPECT_EQ(reply.port, c.port);
        }
        EXPECT_EQ(reply.errorCode, c.error);
        EXPECT_EQ(reply.HasSession(), c.session);
        EXPECT_EQ(reply.screenName.ToUtf8(), "12");
    }
}

TEST(RuvRecords, ErrorAndReasonTextsFollowTheirCodes) {
    struct Case {
        uint16_t code;
        int id;
    } codes[] = {{1, 111}, {0x18, 134}, {0x1D, 139}, {30, 140}, {31, 0}, {32, 141}, {33, 0}, {34, 142}, {35, 0}, {0, 0}};
    for (const Case& c : codes)
        EXPECT_EQ(LoginErrorStringId(c.code), c.id) << c.code;

    struct Close {
        std::string tlvs;
        uint16_t error;
        int reasonId;
    } closes[] = {{"000900020001", 0, 143}, {"000900020002", 0, 144}, {"", 0, 144}, {"000800020018", 0x18, 144}};
    for (const Close& c : closes) {
        std::string frame = Flap(4, Bytes(c.tlvs));
        CRuvClosePacket close;
        ASSERT_NE(close.Unpack(U8(frame), frame.size()), 0u);
        EXPECT_EQ(close.ErrorCode(), c.error);
        EXPECT_EQ(close.ReasonStringId(), c.reasonId);
    }
    std::string notClose = Flap(2, Bytes("000900020001"));
    CRuvClosePacket close;
    EXPECT_EQ(close.Unpack(U8(notClose), notClose.size()), 0u);
}

TEST(RuvRecords, LengthsInsideRecordsNeverReadPastTheFrame) {
    struct Case {
        const char* name;
        std::string frame;
    } cases[] = {
        {"key longer than its frame", Snac(0x17, 7, Bytes("0010 aabb"))},
        {"own info name longer than its frame", Snac(1, 0x0F, Bytes("20 3132"))},
        {"frame length shorter than the bytes", Flap(2, Bytes("00170007000000000000")) + Bytes("0002aabb")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSnacAuthKeyReply key;
        CSnacOwnInfo info;
        EXPECT_EQ(key.Unpack(U8(c.frame), c.frame.size()), 0u);
        EXPECT_EQ(info.Unpack(U8(c.frame), c.frame.size()), 0u);
    }
    std::string frame = Snac(0x17, 7, Bytes("0004 4b455931"));
    CSnacAuthKeyReply key;
    EXPECT_EQ(key.Unpack(U8(frame), frame.size()), frame.size());
    EXPECT_EQ(key.key, "KEY1");
}

TEST(RuvRecords, OwnInfoGivesTheStatusWordOfTlv6) {
    std::string frame = Snac(1, 0x0F, Bytes("023132 0000 0002 00010002 0000 00060004 0000 2001"));
    CSnacOwnInfo info;
    ASSERT_NE(info.Unpack(U8(frame), frame.size()), 0u);
    EXPECT_EQ(info.screenName.ToUtf8(), "12");
    ASSERT_TRUE(info.StatusWord().has_value());
    EXPECT_EQ(*info.StatusWord(), 0x2001);
}

TEST(RuvStatus, WordsBothWays) {
    struct Case {
        uint16_t word;
        int status;
    } received[] = {
        {0x0000, 2},  {0x0021, 5},  {0x0020, 5},  {0x0004, 12}, {0x0005, 12}, {0x0002, 14}, {0x0010, 13},
        {0x2001, 10}, {0x0001, 11}, {0x0100, 3},  {0x3000, 6},  {0x4000, 7},  {0x5000, 8},  {0x6000, 9},
        {0x7000, 2},
    };
    for (const Case& c : received)
        EXPECT_EQ(RuvStatus::FromWord(c.word), c.status) << c.word;
    for (int status = Protocols::Online; status <= Protocols::DoNotDisturb; ++status) {
        const int back = RuvStatus::FromWord(RuvStatus::ToWord(status));
        EXPECT_EQ(back, status == Protocols::InvisibleForAll ? Protocols::Invisible : status) << status;
    }
    EXPECT_EQ(RuvStatus::ToWord(Protocols::Offline), 0xFFFF);
    EXPECT_EQ(RuvStatus::Sendable(Protocols::AtHome), Protocols::Online);
    EXPECT_EQ(RuvStatus::Sendable(Protocols::Lunch), Protocols::Away);
    EXPECT_EQ(RuvStatus::Refined(Protocols::Online, Protocols::AtWork), Protocols::AtWork);
    EXPECT_EQ(RuvStatus::Refined(Protocols::Invisible, Protocols::InvisibleForAll), Protocols::InvisibleForAll);
    EXPECT_EQ(RuvStatus::Refined(Protocols::Away, Protocols::Lunch), Protocols::Lunch);
    EXPECT_EQ(RuvStatus::Refined(Protocols::Away, Protocols::AtWork), Protocols::Away);
}

}  // namespace
