// Messages and typing both ways: the text of every channel and encoding a
// client sends, HTML unwrapping and entities, which packet and encoding a
// contact gets, long texts cut on whole characters, delivery and its
// acknowledgements, strangers, and typing notices with their throttle.

#include "RuvListTestSupport.h"
#include "RuvMessagePackets.h"
#include "RuvMessageRecords.h"
#include "RuvText.h"
#include "RuvXtraz.h"
#include "WatchedClock.h"

#include <gtest/gtest.h>

namespace {

using namespace RuvTest;

std::string Le16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v >> 16)); }

std::string Icbm(uint16_t channel, const std::string& sender, const std::string& messageTlvs,
                 uint32_t first = 0x0A0B0C0D, uint32_t second = 0x11223344) {
    OscarWriter out;
    out.U32(first).U32(second).U16(channel).ByteString(sender).U16(0).U16(1).Tlv(0x0006, Bytes("00000000"));
    return Snac(4, 7, out.Take() + messageTlvs);
}

std::string Channel1(uint16_t charset, const std::string& text) {
    OscarWriter fragment;
    fragment.Bytes(Bytes("0501 0001 01 0101")).U16(static_cast<uint16_t>(text.size() + 4)).U16(charset).U16(0);
    fragment.Bytes(text);
    return Tlv(2, fragment.Data());
}

// A relay extension up to its text (first header ending in the sequence
// 0x1234), and the rendezvous block around an extension.
std::string RelayHeaders(uint8_t type, const std::string& text) {
    std::string body = Le16(27) + Le16(10) + std::string(16, '\0') + Le16(0) + Le32(3) + '\0' + Bytes("1234");
    body += Le16(14) + std::string(14, '\0') + std::string(1, static_cast<char>(type)) + '\0' + Bytes("0000 0004");
    return body + Le16(static_cast<uint16_t>(text.size() + 1)) + text + '\0';
}

std::string RelayBlock(const std::string& extension) {
    const RuvCapabilityGuid relay = RuvCapabilities::Relay();
    std::string block = Bytes("0000 0102030405060708") + std::string(reinterpret_cast<const char*>(relay.data()), 16) +
                        Tlv(0x0A, Bytes("0001")) + Tlv(0x2711, extension);
    return Tlv(5, block);
}

std::string Relay(uint8_t type, const std::string& text, const std::string& capabilityText, bool withTail = true) {
    std::string body = RelayHeaders(type, text);
    if (withTail)
        body += Le32(0) + Le32(0xFFFFFF) + Le32(static_cast<uint32_t>(capabilityText.size())) + capabilityText;
    return RelayBlock(body);
}

// The script plug-in's header (identifier `id`, function `function`), its
// name and tail, and the script with its two lengths, `length` the second.
std::string Xtraz(const std::string& script, uint8_t function = 8,
                  const std::string& id = std::string(RuvXtraz::kPluginId), uint32_t length = 0xFFFFFFFF) {
    const std::string header = id + Le16(function) + Le32(42) + std::string(RuvXtraz::kFunctionName) +
                               std::string(RuvXtraz::kTail);
    if (length == 0xFFFFFFFF)
        length = static_cast<uint32_t>(script.size());
    return Le16(static_cast<uint16_t>(header.size())) + header + Le32(length + 4) + Le32(length) + script;
}

std::string Script(const std::string& title, const std::string& description) {
    return "<NR><RES>&lt;ret&gt;&lt;Root&gt;&lt;title&gt;" + title + "&lt;/title&gt;&lt;desc&gt;" + description +
           "&lt;/desc&gt;&lt;/Root&gt;&lt;/ret&gt;</RES></NR>";
}

// Another client's automatic answer (04/0B) from 100300: the relay headers
// (plug-in `firstId` in the first), message type `type`, an empty text and
// what follows it.
std::string Answer(uint32_t first, uint8_t type, const std::string& after,
                   const std::string& firstId = std::string(16, '\0')) {
    const std::string body = OscarWriter().U32(first).U32(0).U16(2).ByteString("100300").U16(3).Take() + Le16(27) +
                             Le16(9) + firstId + std::string(9, '\0') + Le16(14) + std::string(14, '\0') +
                             std::string(1, static_cast<char>(type)) + '\0' + Bytes("0000 0000") + Le16(1) + '\0';
    return Snac(4, 0x0B, body + after);
}

// What the server hands on for a packet the account sent: the message
// (04/06 as 04/07) or the answer (04/0B) with `sender` in the place of the
// addressee.
std::string Forwarded(const std::string& sent, const std::string& sender) {
    const std::string payload = sent.substr(16);
    const size_t nameEnd = 11 + static_cast<uint8_t>(payload[10]);
    const bool message = sent[9] == 0x06;
    OscarWriter out;
    out.Bytes(payload.substr(0, 10)).ByteString(sender);
    if (message)
        out.U16(0).U16(0);
    return Snac(4, message ? 0x07 : 0x0B, out.Take() + payload.substr(nameEnd));
}

CYolString TextOf(const std::string& frame) {
    CSnacIncomingMessage message;
    if (message.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()) == 0)
        return CYolString(u"(unparsed)");
    return message.GetMessageText();
}

const char* kUtf8Cap = "{0946134E-4C7F-11D1-8222-444553540000}";

TEST(RuvMessageText, EveryChannelAndEncodingReadsToTheSameText) {
    const std::string cyrillic = "Привет, мир";
    const std::string astral = "smile 😀 Ж";
    const struct {
        const char* name;
        std::string frame;
        std::string text;
    } cases[] = {
        {"channel 1, code page", Icbm(1, "100300", Channel1(0, "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0")), cyrillic},
        {"channel 1, UTF-16", Icbm(1, "100300", Channel1(2, Bytes("0073006d0069006c00650020d83dde000020 0416"))),
         astral},
        {"channel 1, odd last byte", Icbm(1, "100300", Channel1(2, Bytes("00410042 00"))), "AB"},
        {"channel 1, length past the fragment", Icbm(1, "100300", Tlv(2, Bytes("0501 0001 01 0101 00ff 0000 0000 414243"))),
         "ABC"},
        {"relay, UTF-8", Icbm(2, "100300", Relay(1, astral + cyrillic, kUtf8Cap)), astral + cyrillic},
        {"relay, code page", Icbm(2, "100300", Relay(1, "\xc6", "{other}")), "Ж"},
        {"relay, code page without tail", Icbm(2, "100300", Relay(1, "\xc6", "", false)), "Ж"},
        {"relay, rich text", Icbm(2, "100300", Relay(1, "{\\rtf", "{97B12751-243C-4334-AD22-D6ABF73F1492}")), ""},
        {"relay, capability cut short", Icbm(2, "100300", Relay(1, "x", kUtf8Cap).substr(0, 20)), ""},
        {"relay, other type", Icbm(2, "100300", Relay(2, "x", kUtf8Cap)), ""},
        {"channel 4", Icbm(4, "100300", Tlv(5, Bytes("00000001 01 00") + Le16(4) + "\xc6\xc6\xc6" + '\0')), "ЖЖЖ"},
        {"channel 4, length past the block", Icbm(4, "100300", Tlv(5, Bytes("00000001 01 00 ff00 41"))), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextOf(c.frame).ToUtf8(), c.text);
    }
}

TEST(RuvMessageText, HtmlIsUnwrappedInOnePassAndALoneBracketIsKept) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"<HTML><BODY dir=ltr>Hi<br>there &amp;lt; &quot;x&quot;</BODY></HTML>", "Hi\r\nthere &lt; \"x\""},
        {"<HTML><BODY>a<hr>b<font color=red>c</font></BODY></HTML>", "a\r\nbc"},
        {"<HTML><BODY>1 < 2 &gt; 0</BODY></HTML>", "1 < 2 > 0"},
        {"<HTML><BODY>no end", "<HTML><BODY>no end"},
        {"<HTML><BODY</BODY></HTML>", "<HTML><BODY</BODY></HTML>"},
        {"plain &amp; kept", "plain &amp; kept"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RuvText::Unwrap(CYolString::FromUtf8(c.in)).ToUtf8(), c.out) << c.in;
    // Many unmatched brackets take one pass, not one per bracket.
    const std::string many = "<HTML><BODY>" + std::string(200000, '<') + "</BODY></HTML>";
    EXPECT_EQ(RuvText::Unwrap(CYolString::FromUtf8(many)).Length(), 200000);
}

TEST(RuvMessageText, ChunksNeverSplitASurrogatePair) {
    std::u16string text(1999, u'a');
    text += u"😀";  // units 1999 and 2000
    text += std::u16string(10, u'b');
    const auto chunks = RuvText::Chunks(CYolString(text.c_str()), 2000);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].Length(), 1999);
    EXPECT_EQ(chunks[1].Length(), 12);
    EXPECT_TRUE(RuvText::SameName(CYolString(u"Ab Cd"), CYolString(u"abcd ")));
    EXPECT_TRUE(RuvText::SameName(CYolString(u"Ж Ы"), CYolString(u"жы")));
    EXPECT_FALSE(RuvText::SameName(CYolString(u"abc"), CYolString(u"ab")));
    EXPECT_EQ(RuvText::NormalName(CYolString(u" Ab C ")).ToUtf8(), "abc");
}

TEST(RuvMessageText, ScriptMessagesAskForOrCarryAnExtendedStatus) {
    const std::string start(RuvXtraz::kPluginStart);
    std::string wrongStart = start;
    wrongStart[5] ^= 1;
    const std::string request =
        CXStatusRequestPacket(1, 6, {5, 0x00010002}, CYolString(u"100200"), CYolString(u"100300"), 10).Serialize();
    const struct {
        const char* name;
        std::string frame;
        std::string text;
        bool asks;  // a script message; it is answered only when it has no text
    } cases[] = {
        {"a request as the account sends it", Forwarded(request, "100300"), "", true},
        {"an answer sent as a message", Icbm(2, "100300", RelayBlock(RelayHeaders(0x1A, "") + start +
                                                                     Script("Кофе", "с молоком"))),
         "Кофес молоком", true},
        {"another plug-in", Icbm(2, "100300", RelayBlock(RelayHeaders(0x1A, "") + wrongStart + "title&gt;x")), "",
         false},
        {"plug-in start cut short", Icbm(2, "100300", RelayBlock(RelayHeaders(0x1A, "") + start.substr(0, 23))), "",
         false},
        {"not through the relay", Icbm(1, "100300", Channel1(0, "x")), "x", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CSnacIncomingMessage message;
        ASSERT_NE(message.Unpack(reinterpret_cast<const uint8_t*>(c.frame.data()), c.frame.size()), 0u);
        EXPECT_EQ(message.GetMessageText().ToUtf8(), c.text);
        EXPECT_EQ(message.IsXStatusRequest(), c.asks);
    }
    // The sequence of the request's first header, read high byte first.
    CSnacIncomingMessage message;
    const std::string frame = Forwarded(request, "100300");
    ASSERT_NE(message.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()), 0u);
    ASSERT_TRUE(message.IsXStatusRequest());
    EXPECT_EQ(message.sequence, 0x0200);
}

TEST(RuvMessageText, AutomaticAnswersAreClassifiedAndTheirTextsBounded) {
    using Kind = ClientResponseKind;
    const std::string answerId = Bytes("811A18BC0E6C1847A5916F18DCC76F1A");
    const std::string ackId = Bytes("BE6B73050FC2104FA6DE4DB1E3564B0E");
    const std::string script = Script("Кофе", "x");
    const struct {
        const char* name;
        std::string frame;
        Kind kind;
        std::string title;
        std::string description;
    } cases[] = {
        {"answer, UTF-8, one-character description", Answer(0x42, 0x1A, Xtraz(script)), Kind::XStatus, "Кофе", "x"},
        {"answer in the code page", Answer(0x42, 0x1A, Xtraz(Script("\xca\xee\xf4\xe5", ""))), Kind::XStatus,
         "Кофе", ""},
        {"entities decoded once", Answer(0, 0x1A, Xtraz(Script("a &amp;lt; b &quot;c&quot;", "&#1046;&amp;"))),
         Kind::XStatus, "a &lt; b \"c\"", "Ж&"},
        {"description only", Answer(0x42, 0x1A, Xtraz(Script("", "d"))), Kind::XStatus, "", "d"},
        {"script length past the data", Answer(0x42, 0x1A, Xtraz(script, 8, std::string(RuvXtraz::kPluginId), 60000)),
         Kind::XStatus, "Кофе", "x"},
        {"script cut inside the title", Answer(0x42, 0x1A, Xtraz(script).substr(0, 140)), Kind::None, "", ""},
        {"neither text", Answer(0x42, 0x1A, Xtraz(Script("", ""))), Kind::None, "", ""},
        {"header length past the data", Answer(0x42, 0x1A, Le16(0x4000) + answerId), Kind::Delivered, "", ""},
        {"another function", Answer(0x42, 0x1A, Xtraz(script, 9)), Kind::Delivered, "", ""},
        {"plug-in answer", Answer(0, 0x1A, Xtraz(script, 8, answerId)), Kind::PluginAnswer, "", ""},
        {"acknowledging plug-in", Answer(0, 0x1A, Xtraz(script, 8, ackId)), Kind::Delivered, "", ""},
        {"plain answer without a message id", Answer(0, 1, ""), Kind::None, "", ""},
        {"answer of a plug-in named in the header", Answer(0x42, 0x1A, Xtraz(script), ackId), Kind::None, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CSnacClientResponse response;
        ASSERT_NE(response.Unpack(reinterpret_cast<const uint8_t*>(c.frame.data()), c.frame.size()), 0u);
        EXPECT_EQ(response.kind, c.kind);
        EXPECT_EQ(response.xStatusTitle.ToUtf8(), c.title);
        EXPECT_EQ(response.xStatusDescription.ToUtf8(), c.description);
    }
    // Oversized texts are kept to their limits.
    const std::string frame = Answer(0x42, 0x1A, Xtraz(Script(std::string(1000, 't'), std::string(9000, 'd'))));
    CSnacClientResponse response;
    ASSERT_NE(response.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()), 0u);
    EXPECT_EQ(response.xStatusTitle.Length(), RuvXtraz::kTitleLimit);
    EXPECT_EQ(response.xStatusDescription.Length(), RuvXtraz::kDescriptionLimit);
}

class RuvMessaging : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Receive(ListFrame({{"G", 7, 0, 1, {}}, {"100300", 7, 1, 0, {}}, {"Aim Pal", 7, 2, 0, {}}}));
        buddy = rig.session.list.FindBuddy(CYolString(u"100300"))->contactId;
        rig.model.Take();
        rig.established = true;
        rig.session.privacy.SetMode(RuvPrivacyMode::VisibleForAll, false);
        rig.sink.Take();
    }
    CRuvListItem& Buddy() { return *rig.session.list.FindBuddy(CYolString(u"100300")); }
    void Online(std::vector<RuvCapabilityGuid> capabilities, uint16_t version) {
        Buddy().presence.status = 2;
        Buddy().presence.capabilities = std::move(capabilities);
        Buddy().presence.protocolVersion = version;
    }
    void Send(const std::u16string& text, unsigned int messageId = 77) {
        Protocols::MessageInfo message;
        message.contactId = buddy;
        message.messageId = messageId;
        message.text = CYolString(text.c_str());
        rig.session.messages.SendMessage(message);
    }
    SessionRig rig;
    unsigned int buddy = 0;
};

TEST_F(RuvMessaging, EachContactGetsTheChannelAndEncodingItsClientReads) {
    using RuvCapabilities::Utf8Support;
    const RuvCapabilityGuid relay = RuvCapabilities::Relay();
    const struct {
        const char* name;
        int status;
        std::vector<RuvCapabilityGuid> capabilities;
        uint16_t version;
        uint16_t channel;
        int charset;  // channel 1: 2 UTF-16, 0 code page; channel 2: 1 UTF-8, 0 code page
    } cases[] = {
        {"offline", 0, {relay, Utf8Support()}, 9, 1, 2},
        {"relay, version 7", 2, {relay, Utf8Support()}, 7, 1, 2},
        {"relay, version 8, UTF-8", 2, {relay, Utf8Support()}, 8, 2, 1},
        {"relay, version 8, code page", 2, {relay}, 8, 2, 0},
        {"no relay, version known", 2, {}, 7, 1, 0},
        {"no relay, version unknown", 2, {}, 0, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Online(c.capabilities, c.version);
        Buddy().presence.status = c.status;
        Send(u"Ж");
        const std::vector<std::string> sent = rig.sink.Take();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(static_cast<uint8_t>(sent[0][25]), c.channel);
        if (c.channel == 1)
            EXPECT_NE(sent[0].find(c.charset == 2 ? Bytes("00020000 0416") : Bytes("00000000 c6")), std::string::npos);
        else
            EXPECT_EQ(sent[0].find(kUtf8Cap) != std::string::npos, c.charset == 1);
    }
}

TEST_F(RuvMessaging, ALongTextGoesInPiecesUnderOneMessageId) {
    Send(std::u16string(4500, u'x'), 0x01020304);
    const std::vector<std::string> sent = rig.sink.Take();
    ASSERT_EQ(sent.size(), 3u);
    const size_t lengths[] = {2000, 2000, 500};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Hex(sent[i].substr(16, 4)), "01020304");
        // UTF-16 to an offline contact: two bytes a character.
        EXPECT_EQ(sent[i].size(), 6 + 10 + 11 + 6 + 4 + 14 + 2 * lengths[i] + 8);
    }
    // Nothing for another kind, an unknown contact or an empty text.
    Protocols::MessageInfo other;
    other.contactId = buddy;
    other.kind = 1;
    other.text = CYolString(u"x");
    rig.session.messages.SendMessage(other);
    Send(u"");
    EXPECT_TRUE(rig.sink.Take().empty());
}

TEST_F(RuvMessaging, ReceivedMessagesAreDeliveredAndAcknowledgedToWhoMaySeeUs) {
    rig.Receive(Icbm(2, "100 300", Relay(1, "Hi", kUtf8Cap)));
    ASSERT_EQ(rig.model.messages.size(), 1u);
    EXPECT_EQ(rig.model.messages[0].contactId, buddy);
    const std::vector<std::string> acks = rig.sink.Take();
    ASSERT_EQ(acks.size(), 1u);
    // Same cookie, channel 2, the sender, and the relayed sequence echoed.
    EXPECT_EQ(Hex(acks[0].substr(6, 4)), "0004000b");
    EXPECT_EQ(Hex(acks[0].substr(16, 10)), "0a0b0c0d112233440002");
    EXPECT_NE(Hex(acks[0]).find("12340e001234"), std::string::npos);

    rig.session.privacy.SetMode(RuvPrivacyMode::InvisibleForAll, false);
    rig.sink.Take();
    rig.Receive(Icbm(1, "100300", Channel1(0, "x")));
    EXPECT_EQ(rig.model.messages.size(), 2u);
    EXPECT_TRUE(rig.sink.Take().empty());
}

TEST_F(RuvMessaging, StoredMessagesSayWhenTheyWereSent) {
    rig.Receive(Icbm(1, "100300", Channel1(0, "late") + Tlv(6, {}) + Tlv(0x16, Bytes("5f000000"))));
    ASSERT_EQ(rig.model.messages.size(), 1u);
    const std::string text = rig.model.messages[0].text.ToUtf8();
    EXPECT_EQ(rig.model.messages[0].kind, 1u);
    EXPECT_EQ(text.rfind("Offline message (", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 7), ")\r\nlate");
}

TEST_F(RuvMessaging, StrangersAreAdmittedOnlyWhenTheListTakesThem) {
    rig.model.acceptsStrangers = false;
    const size_t items = rig.session.list.Items().size();
    rig.Receive(Icbm(1, "100999", Channel1(0, "spam")));
    EXPECT_TRUE(rig.model.messages.empty());
    EXPECT_EQ(rig.session.list.Items().size(), items);
    EXPECT_TRUE(rig.sink.Take().empty());

    rig.model.acceptsStrangers = true;
    rig.Receive(Icbm(1, "100999", Channel1(0, "hello")));
    ASSERT_EQ(rig.model.messages.size(), 1u);
    const CRuvListItem* stranger = rig.session.list.FindBuddy(CYolString(u"100999"));
    ASSERT_NE(stranger, nullptr);
    EXPECT_EQ(rig.model.items[stranger->contactId].parent, 0u);
    EXPECT_FALSE(rig.model.items[stranger->contactId].temporary);
}

TEST_F(RuvMessaging, DeliveryAcknowledgementsMatchTheMessageIdWord) {
    const std::string body = Bytes("00000042 00000000 0002 06") + "100300" + Bytes("0003") + Le16(27) + Le16(9) +
                             std::string(16, '\0') + std::string(9, '\0') + Le16(14) + std::string(14, '\0') +
                             Bytes("01 00 0000 0000") + Le16(1) + '\0';
    rig.Receive(Snac(4, 0x0B, body));
    EXPECT_EQ(rig.model.Take(), (std::vector<std::string>{"ack " + std::to_string(buddy) + " 66"}));
    // A plug-in's answer is not a delivery.
    std::string plugin = body;
    plugin[8 + 2 + 7 + 2 + 2 + 2] = 'X';  // first byte of the plug-in id
    rig.Receive(Snac(4, 0x0B, plugin));
    EXPECT_TRUE(rig.model.Take().empty());
}

TEST_F(RuvMessaging, ExtendedStatusRequestsAreAnsweredAndAnswersShown) {
    Online({*RuvCapabilities::ForXStatus(10)}, 9);
    const std::string request = Forwarded(
        CXStatusRequestPacket(1, 6, {5, 0x00010002}, CYolString(u"100200"), CYolString(u"100300"), 10).Serialize(),
        "100300");
    // Without an own extended status, nothing is answered.
    rig.Receive(request);
    EXPECT_TRUE(rig.sink.Take().empty());
    EXPECT_TRUE(rig.model.messages.empty());

    rig.ownXStatus = {10, CYolString(u"100200"), CYolString(u"a<b"), CYolString(u"Кофе")};
    rig.Receive(request);
    std::vector<std::string> sent = rig.sink.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Hex(sent[0].substr(6, 4)), "0004000b");
    EXPECT_EQ(Hex(sent[0].substr(16, 10)), "00000005000100020002");
    EXPECT_NE(Hex(sent[0]).find("02000e000200"), std::string::npos);
    EXPECT_TRUE(rig.model.messages.empty());

    // The answer, as the peer receives it, is shown with the picture of
    // the status the contact announces, and kept with the contact.
    rig.Receive(Forwarded(sent[0], "100300"));
    ASSERT_EQ(rig.model.messages.size(), 1u);
    const Protocols::MessageInfo& shown = rig.model.messages[0];
    EXPECT_EQ(shown.contactId, buddy);
    EXPECT_EQ(shown.kind, 2u);
    EXPECT_EQ(shown.flags, 21 + 10);
    EXPECT_EQ(shown.text.ToUtf8(), "a<b");
    EXPECT_EQ(shown.extra.ToUtf8(), "Кофе");
    EXPECT_EQ(Buddy().presence.xStatusTitle.ToUtf8(), "a<b");
    EXPECT_EQ(Buddy().presence.xStatusDescription.ToUtf8(), "Кофе");

    // Strangers and those the account hides from get no answer; an answer
    // from a contact that announces no extended status is not shown.
    rig.Receive(Forwarded(
        CXStatusRequestPacket(1, 6, {5, 6}, CYolString(u"100200"), CYolString(u"100999"), 10).Serialize(), "100999"));
    EXPECT_TRUE(rig.sink.Take().empty());
    rig.session.privacy.SetMode(RuvPrivacyMode::InvisibleForAll, false);
    rig.sink.Take();
    rig.Receive(request);
    EXPECT_TRUE(rig.sink.Take().empty());
    Online({}, 9);
    rig.Receive(Forwarded(sent[0], "100300"));
    EXPECT_EQ(rig.model.messages.size(), 1u);
}

TEST_F(RuvMessaging, TypingFollowsTheWireCodesBothWays) {
    WatchedClock clock;
    clock.SetNow(1000000);
    Online({RuvCapabilities::Typing()}, 9);
    auto& messages = rig.session.messages;
    messages.SendTyping(buddy, true);
    messages.SendTyping(buddy, false);
    clock.SetNow(1000002);
    messages.SendTyping(buddy, false);  // within the gap: held back
    messages.SendTyping(buddy, true);
    messages.SendTyping(buddy, false);
    std::vector<std::string> codes;
    for (const std::string& frame : rig.sink.Take())
        codes.push_back(Hex(frame.substr(frame.size() - 2)));
    EXPECT_EQ(codes, (std::vector<std::string>{"0002", "0000", "0002", "0000"}));

    const struct {
        uint16_t code;
        const char* line;
    } received[] = {{2, "on"}, {1, "on"}, {0, "off"}};
    for (const auto& r : received) {
        rig.Receive(Snac(4, 0x14, Bytes("0000000000000000 0001 06") + "100300" + OscarWriter().U16(r.code).Take()));
        EXPECT_EQ(rig.model.Take(), (std::vector<std::string>{"typing " + std::to_string(buddy) + " " + r.line}));
    }
    rig.typingNotices = false;
    rig.Receive(Snac(4, 0x14, Bytes("0000000000000000 0001 06") + "100300" + Bytes("0002")));
    EXPECT_TRUE(rig.model.Take().empty());
}

}  // namespace
