// The server-side list's records: a list in parts with and without its
// change time, items with and without TLVs, lengths that overrun what
// arrived, the edit acknowledgement and the authorization messages.

#include "RuvListRecords.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

namespace {

using RuvTest::Bytes;
using RuvTest::Hex;
using RuvTest::Snac;

using RuvTest::U8;

// "name group/item type tlvs" per item.
std::vector<std::string> Items(const SsiListBody& list) {
    std::vector<std::string> out;
    for (const CSsiItem& item : list.items)
        out.push_back(item.name.ToUtf8() + " " + std::to_string(item.groupId) + "/" + std::to_string(item.itemId) +
                      " " + std::to_string(item.type) + " " + std::to_string(item.tlvs.Count()));
    return out;
}

TEST(RuvListRecords, ListPartsGiveTheirItemsAndTheLastOneTheChangeTime) {
    const std::string group = "0007" + Hex("Friends") + "0001 0000 0001 0000";
    const std::string buddy = "0006" + Hex("100300") + "0001 0402 0000 000c 01310004" + Hex("Ив") + "0066 0000";
    struct Case {
        const char* name;
        std::string payload;
        uint16_t flags;
        std::vector<std::string> items;
        uint32_t changeTime;
        bool whole;
    } cases[] = {
        {"empty last part", "00 0000 5f000000", 0, {}, 0x5F000000, true},
        {"a part with more to come", "00 0002" + group + buddy, 1, {"Friends 1/0 1 0", "100300 1/1026 0 2"}, 0, true},
        {"the last part", "00 0001" + group + "5f000001", 0, {"Friends 1/0 1 0"}, 0x5F000001, true},
        {"the change time missing", "00 0001" + group, 0, {"Friends 1/0 1 0"}, 0, false},
        {"more items announced than sent", "00 0003" + group + buddy, 1, {"Friends 1/0 1 0", "100300 1/1026 0 2"}, 0,
         false},
        {"a name longer than the frame", "00 0001 00ff 4142", 0, {}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string frame = Snac(0x13, 6, Bytes(c.payload), c.flags);
        CSnacRoster roster;
        EXPECT_NE(roster.Unpack(U8(frame), frame.size()), 0u);
        EXPECT_EQ(roster.LastPart(), c.flags == 0);
        EXPECT_EQ(Items(roster.list), c.items);
        EXPECT_EQ(roster.list.changeTime, c.changeTime);
        EXPECT_EQ(roster.list.whole, c.whole);
    }
}

TEST(RuvListRecords, TheCachedCopyIsReadWithoutAFrame) {
    SsiListBody list;
    const std::string body = Bytes("00 0001 0001 41 0000 0000 0001 0000 5f000002");
    EXPECT_EQ(list.Parse(body, true), body.size());
    EXPECT_EQ(Items(list), (std::vector<std::string>{"A 0/0 1 0"}));
    EXPECT_EQ(list.changeTime, 0x5F000002u);
}

TEST(RuvListRecords, AcknowledgementAndAuthorizationMessages) {
    std::string ack = Snac(0x13, 0x0E, Bytes("000e 0000"));
    CSnacSsiAck result;
    ASSERT_NE(result.Unpack(U8(ack), ack.size()), 0u);
    EXPECT_EQ(result.result, 0x0E);

    std::string request = Snac(0x13, 0x19, Bytes("06" + Hex("100300") + "0004" + Hex("plz!")));
    CSnacAuthRequest asked;
    ASSERT_NE(asked.Unpack(U8(request), request.size()), 0u);
    EXPECT_EQ(asked.screenName.ToUtf8(), "100300");
    EXPECT_EQ(asked.reason.ToUtf8(), "plz!");

    std::string refusal = Snac(0x13, 0x1B, Bytes("06" + Hex("100300") + "00 0000"));
    CSnacAuthReply reply;
    ASSERT_NE(reply.Unpack(U8(refusal), refusal.size()), 0u);
    EXPECT_FALSE(reply.granted);
    EXPECT_TRUE(reply.reason.IsEmpty());

    // Each message cut short is refused by its own record.
    const std::string shortAck = Snac(0x13, 0x0E, Bytes("00"));
    const std::string shortRequest = Snac(0x13, 0x19, Bytes("09 3130"));
    const std::string shortReply = Snac(0x13, 0x1B, Bytes("02 3130 01 0005 41"));
    EXPECT_EQ(CSnacSsiAck().Unpack(U8(shortAck), shortAck.size()), 0u);
    EXPECT_EQ(CSnacAuthRequest().Unpack(U8(shortRequest), shortRequest.size()), 0u);
    EXPECT_EQ(CSnacAuthReply().Unpack(U8(shortReply), shortReply.size()), 0u);
}

}  // namespace
