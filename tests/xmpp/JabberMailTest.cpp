// Mail notices and the signed webmail link, without an account.

#include "CJabberAccount.h"
#include "JabberMail.h"
#include "XmlTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string DigestHex(const unsigned char* digest) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < 16; ++i) {
        out += digits[digest[i] >> 4];
        out += digits[digest[i] & 0xF];
    }
    return out;
}

struct EncodeCase {
    const char* text;
    const char* encoded;
};

class MailUrlEncode : public testing::TestWithParam<EncodeCase> {};

TEST_P(MailUrlEncode, KeepsLettersDigitsDashDotAndEscapesUtf8Bytes) {
    EXPECT_EQ(WebmailUrlEncode(U(GetParam().text)).ToUtf8(), GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MailUrlEncode,
    testing::Values(EncodeCase{"user@yol.im", "user%40yol.im"}, EncodeCase{"a b", "a%20b"},
                    EncodeCase{"A-z.0_9~", "A-z.0%5f9%7e"}, EncodeCase{"http://mail.yol.im/", "http%3a%2f%2fmail.yol.im%2f"},
                    // Two-byte and three-byte characters go by their UTF-8 bytes.
                    EncodeCase{"\xD0\xB8@x", "%d0%b8%40x"}, EncodeCase{"\xE2\x82\xAC", "%e2%82%ac"},
                    // A character beyond the 16-bit range is one four-byte sequence.
                    EncodeCase{"\xF0\x9F\x98\x80", "%f0%9f%98%80"},
                    // Bytes below 16 still take two digits.
                    EncodeCase{"a\tb", "a%09b"}, EncodeCase{"", ""}));

TEST(MailUrlEncode, PercentByteAlwaysWritesTwoDigits) {
    const std::pair<unsigned int, const char16_t*> cases[] = {{0x00, u"%00"}, {0x0a, u"%0a"}, {0x7f, u"%7f"},
                                                              {0xd0, u"%d0"}, {0xff, u"%ff"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(PercentByte(value), CYolString(text)) << value;
}

TEST(MailUrlEncode, LoneSurrogateBecomesReplacementCharacter) {
    const char16_t lone[] = {u'a', 0xD800, u'b'};
    EXPECT_EQ(WebmailUrlEncode(CYolString(lone, 3)).ToUtf8(), "a%ef%bf%bdb");
}

struct MailDigestCase {
    const char* jid;
    const char* password;
    const char* md5;  // computed independently over key, JID, "|" and password
};

class MailWebmailDigest : public testing::TestWithParam<MailDigestCase> {};

TEST_P(MailWebmailDigest, HashesKeyJidBarAndPasswordAsUtf8) {
    unsigned char digest[16];
    WebmailDigest(U(GetParam().jid), U(GetParam().password), digest);
    EXPECT_EQ(DigestHex(digest), GetParam().md5);
}

INSTANTIATE_TEST_SUITE_P(
    Accounts, MailWebmailDigest,
    testing::Values(MailDigestCase{"user@yol.im", "secret", "8486e04d65b764ca29257faa0b15b3af"},
                    MailDigestCase{"user@yol.im", "", "e979edc194087e60d5e9b0ae5f8ed1b4"},
                    MailDigestCase{"\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD@yol.im",
                               "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C", "cb5fa98dc37e82d26cb4f2c30389d9d1"}));

TEST(MailWebmailLink, CarriesUserHashProjectAndReturnPath) {
    const unsigned char digest[16] = {0x00, 0x01, 0x02, 0x03, 0xa0, 0xb1, 0xc2, 0xd3,
                                      0xff, 0xee, 0xdd, 0xcc, 0x10, 0x20, 0x30, 0x40};
    EXPECT_EQ(MakeWebmailLink(U("a b@yol.im"), digest).ToUtf8(),
              "http://passport.yol.im/reg/test?user=a%20b%40yol.im&hash=00010203a0b1c2d3ffeeddcc10203040"
              "&project=yolvantum&retpath=http%3a%2f%2fmail.yol.im%2f");
}

XmlNode ParseMail(const std::string& xml) {
    XmlNode out;
    XmlStreamParser parser;
    parser.SetCallback(2, XmlStreamParser::End,
                       [](XmlNode* element, void* context) { *static_cast<XmlNode*>(context) = std::move(*element); },
                       &out);
    const std::string stream = "<s>" + xml;
    EXPECT_EQ(parser.Feed(stream), stream.size());
    return out;
}

std::string Notices(const MailNotify& notify) {
    std::string out;
    for (const MailNotice& notice : notify.messages)
        out += "[" + notice.sender.ToUtf8() + "|" + notice.subject.ToUtf8() + "]";
    return out;
}

TEST(MailNotifyReader, ReadsEachMessageWithItsLastSender) {
    const MailNotify notify = ParseMailNotify(ParseMail(
        "<x xmlns='yol:mail:notify'>"
        "<message date='1'><senders><sender address='first@a' name='F'/><sender address='last@a'/></senders>"
        "<subject>Hi &amp; bye</subject><snippet>...</snippet></message>"
        "<message><senders><sender address='\xD0\xB8@b'/></senders></message>"
        "<message><subject>nobody sent this</subject></message>"
        "<message><senders/></message>"
        "</x>"));
    EXPECT_FALSE(notify.unread);
    EXPECT_EQ(Notices(notify), "[last@a|Hi & bye][\xD0\xB8@b|]");
}

TEST(MailNotifyReader, UnreadEndsTheReading) {
    MailNotify notify = ParseMailNotify(ParseMail(
        "<x xmlns='yol:mail:notify'><unread count='7'/>"
        "<message><senders><sender address='a@b'/></senders></message></x>"));
    EXPECT_TRUE(notify.unread);
    EXPECT_EQ(notify.unreadCount, 7u);
    EXPECT_EQ(Notices(notify), "");
    notify = ParseMailNotify(ParseMail("<x xmlns='yol:mail:notify'><unread count='zero'/></x>"));
    EXPECT_TRUE(notify.unread);
    EXPECT_EQ(notify.unreadCount, 0u);
}

}  // namespace
