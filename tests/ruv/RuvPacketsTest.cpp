// The bytes of every packet the account sends while it signs on, written
// out from the wire layouts, and the two headers every frame starts with.

#include "RuvMessagePackets.h"
#include "RuvPackets.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using RuvTest::Bytes;
using RuvTest::Hex;

std::array<uint8_t, 16> SecretDigest() {
    std::string bytes = Bytes("5ebe2294ecd0e0f08eab7690d2a6ee69");  // MD5 of "secret"
    std::array<uint8_t, 16> out{};
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return out;
}

std::string CapsHex(const std::vector<RuvCapabilityGuid>& caps) {
    std::string out;
    for (const RuvCapabilityGuid& guid : caps)
        out += Hex({reinterpret_cast<const char*>(guid.data()), guid.size()});
    return out;
}

TEST(RuvPackets, EveryOutgoingClassWritesItsLayout) {
    const CYolString ab(u"ab");
    struct Case {
        const char* name;
        std::function<std::string()> build;
        std::string hex;
    } cases[] = {
        {"cookie", [] { return CFlapCookiePacket(0x0102, Bytes("aabb")).Serialize(); },
         "2a010102000a" "00000001" "00060002aabb"},
        {"login hello", [] { return CLoginHelloPacket(3).Serialize(); },
         "2a010003000c" "00000001" "8003000400100000"},
        {"key request", [] { return CKeyRequestPacket(4, 0, CYolString(u"123")).Serialize(); },
         "2a0200040011" "00170006000000000000" "00010003313233"},
        {"key request, empty name", [] { return CKeyRequestPacket(4, 0, CYolString()).Serialize(); },
         "2a020004000e" "00170006000000000000" "00010000"},
        {"md5 login", [] { return CMd5LoginPacket(5, 0, CYolString(u"7"), "KEY1", SecretDigest()).Serialize(); },
         "2a020005006c" "00170002000000000000" "0001000137" "00250010f804b2917c7dbfc395e66bd3ceb46e56" "004c0000"
         "0003000a52757620436c69656e74" "001700020006" "001800020005" "001900020000" "001a000203ed" "00160002010a"
         "0014000400007537" "000f00027275" "000e00027275" "0094000100"},
        {"family versions", [] { return CFamilyVersionsPacket(6, 0x17, RuvFamilyVersions()).Serialize(); },
         "2a0200060036" "00010017000000000017" "00220001" "00010004" "00130004" "00020001" "00030001" "00150001"
         "00040001" "00060001" "00090001" "000a0001" "000b0001"},
        {"rate request", [] { return CRateRequestPacket(7, 6).Serialize(); }, "2a020007000a" "00010006000000000006"},
        {"rate ack", [] { return CRateAckPacket(8, {1, 2}).Serialize(); },
         "2a020008000e" "00010008000000000008" "00010002"},
        {"rate ack, no classes", [] { return CRateAckPacket(8, {}).Serialize(); }, "2a020008000a" "00010008000000000008"},
        {"status", [] { return CSetStatusPacket(9, 0x55, 0x1000, 0x0001, false).Serialize(); },
         "2a020009003b" "0001001e000000000055" "0006000410000001" "000c0025" "00000000" "00000000" "04" "000b"
         "01234567" "00001000" "00000001" "00000000" "00000000" "00000000" "0000"},
        {"status, extended", [] { return CSetStatusPacket(9, 0x55, 0x1000, 0x0000, true).Serialize(); },
         "2a0200090047" "0001001e000000000055" "0006000410000000" "000800020000" "000c0025" "00000000" "00000000" "04"
         "000b" "01234567" "0000338b" "00000001" "00000000" "00000000" "00000000" "0000" "001f00020000"},
        {"user info request", [ab] { return CUserInfoRequestPacket(10, 1, ab).Serialize(); },
         "2a02000a0011" "00020015000000000001" "00000005" "026162"},
        {"icbm parameters", [] { return CIcbmParamsPacket(11, 2, {0, 0x070B, 8000, 999, 999, 0}).Serialize(); },
         "2a02000b001a" "00040002000000000002" "0000" "0000070b" "1f40" "03e7" "03e7" "0000" "0000"},
        {"typing begun", [ab] { return CTypingPacket(12, 0, ab, 2).Serialize(); },
         "2a02000c0019" "00040014000000000000" "0000000000000000" "0001" "026162" "0002"},
        {"list add", [] {
             return CListItemPacket(13, 0x08, 0x10, CYolString(u"G"), 1, 0x0400, 1, Bytes("00c80000")).Serialize();
         },
         "2a02000d0019" "00130008000000000010" "000147" "0001" "0400" "0001" "0004" "00c80000"},
        {"auth request", [ab] { return CAuthRequestPacket(14, 3, ab, CYolString(u"hi")).Serialize(); },
         "2a02000e0013" "00130018000000000003" "026162" "00026869" "0000"},
        {"auth reply", [ab] { return CAuthReplyPacket(15, 3, ab, true).Serialize(); },
         "2a02000f0010" "0013001a000000000003" "026162" "01" "0000"},
        {"keep-alive", [] { return CFlapPacket(5, 16).Serialize(); }, "2a0500100000"},
        {"plain message, UTF-16", [ab] {
             return CPlainMessagePacket(20, 6, {1, 2}, ab, CYolString(u"a\u2029"), true).Serialize();
         },
         "2a0200140035" "00040006000000000006" "00000001" "00000002" "0001" "026162"
         "00020012" "050100020106" "0101" "0008" "0002" "0000" "0061000a" "00030000" "00060000"},
        {"plain message, code page", [ab] {
             return CPlainMessagePacket(21, 6, {1, 2}, ab, CYolString(u"Привет"), false).Serialize();
         },
         "2a0200150037" "00040006000000000006" "00000001" "00000002" "0001" "026162"
         "00020014" "050100020106" "0101" "000a" "0000" "0000" "cff0e8e2e5f2" "00030000" "00060000"},
        {"relay message, UTF-8", [ab] {
             return CRelayMessagePacket(22, 6, {7, 0x10002}, ab, CYolString(u"Hi"), true).Serialize();
         },
         "2a02001600b1" "00040006000000000006" "00000007" "00010002" "0002" "026162"
         "00050092" "0000" "00000007" "00010002" "094613494c7f11d18222444553540000" "000a00020001" "000f0000"
         "2711006a" "1b00" "0a00" "00000000000000000000000000000000" "0000" "03000000" "00" "0200" "0e00" "0200"
         "000000000000000000000000" "01" "00" "0000" "0400" "0300" "486900" "00000000" "ffffff00" "26000000"
         "7b30393436313334452d344337462d313144312d383232322d3434343535333534303030307d" "00030000"},
        {"relay message, empty, code page", [ab] {
             return CRelayMessagePacket(23, 6, {7, 0x10002}, ab, CYolString(), false).Serialize();
         },
         "2a0200170085" "00040006000000000006" "00000007" "00010002" "0002" "026162"
         "00050066" "0000" "00000007" "00010002" "094613494c7f11d18222444553540000" "000a00020001" "000f0000"
         "2711003e" "1b00" "0a00" "00000000000000000000000000000000" "0000" "03000000" "00" "0200" "0e00" "0200"
         "000000000000000000000000" "01" "00" "0000" "0400" "0100" "00" "00000000" "ffffff00" "00030000"},
        {"message acknowledgement", [ab] { return CMessageAckPacket(24, 11, {7, 8}, 2, ab, 0x1234).Serialize(); },
         "2a0200180057" "0004000b00000000000b" "00000007" "00000008" "0002" "026162"
         "0003" "1b000900" "00000000000000000000000000000000" "0000" "0100" "00" "0000" "1234" "0e00" "1234"
         "000000000000000000000000" "01" "00" "0000" "0000" "0100" "00" "00000000" "00ffffff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(c.build()), c.hex);
    }
}

TEST(RuvPackets, XtrazAnswerCarriesTheStatusTextsEscapedAndBounded) {
    const std::string script =
        "<NR><RES>&lt;ret event='OnRemoteNotification'&gt;&lt;srv&gt;&lt;id&gt;cAwaySrv&lt;/id&gt;&lt;val "
        "srv_id='cAwaySrv'&gt;&lt;Root&gt;&lt;CASXtraSetAwayMessage&gt;&lt;/CASXtraSetAwayMessage&gt;&lt;uin&gt;"
        "100200&lt;/uin&gt;&lt;index&gt;10&lt;/index&gt;&lt;title&gt;a&amp;lt;/title&lt;/title&gt;&lt;desc&gt;"
        "\xd0\x96 &amp;amp;&lt;/desc&gt;&lt;/Root&gt;\r\n&lt;/val&gt;&lt;/srv&gt;&lt;srv&gt;&lt;id&gt;cRandomizerSrv"
        "&lt;/id&gt;&lt;val srv_id='cRandomizerSrv'&gt;undefined&lt;/val&gt;&lt;/srv&gt;&lt;/ret&gt;</RES></NR>\r\n";
    // A title that tries to end its element early stays inside it.
    const std::string bytes = CXtrazResponsePacket(30, 11, {7, 8}, 2, CYolString(u"100200"), CYolString(u"ab"), 10,
                                                   CYolString(u"a&lt;/title"), CYolString(u"Ж &amp;"), 0x1234)
                                  .Serialize();
    const std::string start = "2a02001e" + Hex(OscarWriter().U16(static_cast<uint16_t>(bytes.size() - 6)).Take()) +
                              "0004000b00000000000b" "00000007" "00000008" "0002" "026162"
                              "0003" "1b000900" "00000000000000000000000000000000" "0000" "0100" "00" "0000" "1234"
                              "0e00" "1234" "000000000000000000000000" "1a" "00" "0000" "0000" "0100" "00"
                              "4f003b60b3efd82a6c45a4e09c5a5e67e8650800" "2a000000" +
                              Hex("Script Plug-in: Remote Notification Arrive") + "000001" "000000000000000000000000";
    const std::string lengths = Hex(std::string{static_cast<char>((script.size() + 4) & 0xFF),
                                                static_cast<char>((script.size() + 4) >> 8), 0, 0,
                                                static_cast<char>(script.size() & 0xFF),
                                                static_cast<char>(script.size() >> 8), 0, 0});
    EXPECT_EQ(Hex(bytes), start + lengths + Hex(script));

    // Texts past their limits are cut on whole characters.
    std::u16string title(255, u'x');
    title += u"😀";
    const std::string bounded = CXtrazResponsePacket(31, 11, {7, 8}, 2, CYolString(u"1"), CYolString(u"ab"), 1,
                                                     CYolString(title.c_str()),
                                                     CYolString(std::u16string(5000, u'y').c_str()), 1)
                                    .Serialize();
    EXPECT_NE(bounded.find("&lt;title&gt;" + std::string(255, 'x') + "&lt;/title&gt;"), std::string::npos);
    EXPECT_NE(bounded.find("&lt;desc&gt;" + std::string(2048, 'y') + "&lt;/desc&gt;"), std::string::npos);
}

TEST(RuvPackets, ClientReadyNamesElevenFamiliesWithTheToolVersion) {
    std::string bytes = CClientReadyPacket(1, 2).Serialize();
    ASSERT_EQ(bytes.size(), 6u + 98u);
    EXPECT_EQ(Hex(bytes.substr(0, 24)), "2a0200010062" "00010002000000000002" "00220001" "0110164f");
    EXPECT_EQ(Hex(bytes.substr(bytes.size() - 8)), "000b0001" "0110164f");
}

TEST(RuvPackets, CapabilityListsCarryTheirFixedEntriesInOrder) {
    std::string full = CSetCapsPacket::FullList(1, 4).Serialize();
    ASSERT_EQ(full.size(), 6u + 206u);
    EXPECT_EQ(Hex(full.substr(16, 20)), "000500c0" "563fc8090b6f41bd9f79422609dfa2f3");

    const auto lunch = RuvCapabilities::ForStatus(10);
    ASSERT_TRUE(lunch.has_value());
    std::string own = CSetCapsPacket(1, 4, true, {*lunch}).Serialize();
    ASSERT_EQ(own.size(), 6u + 126u + 16u + 16u);
    EXPECT_EQ(Hex(own.substr(16)),
              "00050090"
              "09460000" "4c7f11d18222444553540000" "09461344" "4c7f11d18222444553540000"
              "09461349" "4c7f11d18222444553540000" "0946134e" "4c7f11d18222444553540000"
              "1a093c6cd7fd4ec59d51a6474e34f5a0" "09461343" "4c7f11d18222444553540000"
              "563fc8090b6f41" "596f6c2020202020" "21"
              "b7074378f50c777797775778502d0578" "563fc8090b6f41bd9f79422609dfa2f3");
    EXPECT_EQ(CapsHex({*RuvCapabilities::ForStatus(7)}), "b7074378f50c777797775778502d0570");
    EXPECT_FALSE(RuvCapabilities::ForStatus(11).has_value());
}

TEST(RuvPackets, StringsTooLongForTheirCountAreRefusedNotWrapped) {
    CYolString longName = CYolString::FromUtf8(std::string(300, 'x'));
    EXPECT_TRUE(CUserInfoRequestPacket(1, 1, longName).Serialize().empty());
    EXPECT_TRUE(CFlapCookiePacket(1, std::string(70000, 'c')).Serialize().empty());
}

TEST(RuvFraming, SnacHeaderFindsThePayloadPastAnExtensionBlock) {
    struct Case {
        std::string frame;
        size_t payload;
    } cases[] = {
        {RuvTest::Snac(1, 3, Bytes("0001")), 16},
        {RuvTest::Snac(1, 3, Bytes("0003 aabbcc 0001"), 0x8000), 18 + 3},
        {RuvTest::Snac(1, 3, Bytes("0009 aabb"), 0x8000), 0},  // block runs past the frame
        {RuvTest::Flap(2, Bytes("0001")), 0},                  // no room for a SNAC header
        {"\x2b" + RuvTest::Snac(1, 3, {}).substr(1), 0},      // no start marker
    };
    for (const Case& c : cases) {
        CSnacPacket header;
        EXPECT_EQ(header.Unpack(reinterpret_cast<const uint8_t*>(c.frame.data()), c.frame.size()), c.payload)
            << Hex(c.frame);
    }
}

TEST(RuvFraming, SequenceNumbersWrapAfter0x8000AndRestartFromTheirBase) {
    EXPECT_EQ(NextFlapSequence(0x7FFF), 0x8000u);
    EXPECT_EQ(NextFlapSequence(0x8000), 0u);
    EXPECT_EQ(NextFlapSequence(0), 1u);
    EXPECT_EQ(FlapSequenceBase(0), 2u);
    // r = 8: shifts 8 + 1 = 9; r - 9 = -1, low bits 7 ^ 0 = 7 -> 15 + 2.
    EXPECT_EQ(FlapSequenceBase(8), 17u);
    for (uint32_t r : {1u, 100u, 0x7FFFu, 0xFFFFFu})
        EXPECT_LE(FlapSequenceBase(r), 0x7FFFu + 2u) << r;
}

}  // namespace
