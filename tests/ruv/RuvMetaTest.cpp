// The meta service's requests byte for byte, and its replies read from
// frames written out field by field: what each reply yields, and that a
// reply cut short or overrunning its frame is refused whole.

#include "RuvMetaPackets.h"
#include "RuvMetaRecords.h"
#include "RuvMetaFrames.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using RuvTest::Bytes;
using RuvTest::Hex;
using namespace RuvTest::MetaFrames;


TEST(RuvMetaPackets, EveryRequestWritesItsLayout) {
    TSearchRequest white;
    white.nickname = CYolString(u"Bo");
    white.gender = 2;
    white.ageFrom = 18;
    white.ageTo = 22;
    white.country = 7;
    white.language = 255;      // out of range: not sent
    white.occupation = 65535;  // likewise
    white.interestsCategory = 5;
    white.keywords = CYolString(u"x");
    white.onlineOnly = true;
    CTLVCol changes;
    const std::string nick = Bytes("0300426f00");
    changes.Add(CTLV(0x0154, static_cast<unsigned short>(nick.size()),
                     reinterpret_cast<const unsigned char*>(nick.data())));
    struct Case {
        const char* name;
        std::function<std::string()> build;
        std::string hex;
    } cases[] = {
        {"full info", [] { return CFullInfoRequestPacket(1, 0x55, kOwn, 0x0102, kOther).Serialize(); },
         "2a020001001e" "00150002000000000055" "00010010" "0e00" "68870100" "d007" "0201" "d004" "cc870100"},
        {"by number", [] { return CSearchByNumberPacket(1, 0x55, kOwn, 0x0102, kOther).Serialize(); },
         "2a0200010022" "00150002000000000055" "00010014" "1200" "68870100" "d007" "0201" "6905"
         "3601" "0400" "cc870100"},
        {"by e-mail", [] { return CSearchByEmailPacket(1, 0x55, kOwn, 0x0102, CYolString(u"a@b.c")).Serialize(); },
         "2a0200010026" "00150002000000000055" "00010018" "1600" "68870100" "d007" "0201" "7305"
         "5e01" "0800" "0600" "6140622e63" "00"},
        {"white pages", [&] { return CWhitePagesSearchPacket(1, 0x55, kOwn, 0x0102, white).Serialize(); },
         "2a0200010045" "00150002000000000055" "00010037" "3500" "68870100" "d007" "0201" "5f05"
         "5401" "0500" "0300" "426f" "00"
         "7c01" "0100" "02"
         "6801" "0400" "1200" "1600"
         "a401" "0200" "0700"
         "fe01" "0600" "0500" "0200" "78" "00"
         "3002" "0100" "01"},
        {"save info", [&] { return CSaveInfoPacket(1, 0x55, kOwn, 0x0102, changes).Serialize(); },
         "2a0200010023" "00150002000000000055" "00010015" "1300" "68870100" "d007" "0201" "3a0c"
         "5401" "0500" "0300426f00"},
        {"delete stored", [] {
             return CMetaRequestPacket(1, 0x55, kOwn, RuvMeta::kDeleteStoredMessages, 0x0102).Serialize();
         },
         "2a0200010018" "00150002000000000055" "0001000a" "0800" "68870100" "3e00" "0201"},
    };
    for (const Case& c : cases) {
        std::string expected;
        for (char ch : c.hex)
            if (ch != ' ')
                expected.push_back(ch);
        EXPECT_EQ(Hex(c.build()), expected) << c.name;
    }
}

TEST(RuvMetaPackets, SearchCriteriaAtTheirLimitsSendOnlyTheFields) {
    // An empty request sends the subtype alone; every category that is set
    // carries the keyword, an empty one as its NUL.
    TSearchRequest request;
    EXPECT_EQ(Hex(CWhitePagesSearchPacket(1, 0, kOwn, 0, request).Serialize()).substr(60), "5f05");
    request.affiliationCategory = 1;
    request.pastCategory = 2;
    request.ageFrom = 60;
    request.ageTo = 231;
    EXPECT_EQ(Hex(CWhitePagesSearchPacket(1, 0, kOwn, 0, request).Serialize()).substr(60),
              "5f05" "6801" "0400" "3c00" "e700" "d601" "0500" "0100" "0100" "00" "ea01" "0500" "0200" "0100" "00");
}

TEST(RuvMetaPackets, ATextTooLongForAFrameRefusesTheRequest) {
    const CYolString huge = CYolString::FromUtf8(std::string(70000, 'a'));
    EXPECT_TRUE(CSearchByEmailPacket(1, 0, kOwn, 0, huge).Serialize().empty());
    // Texts in the code page of the network.
    const std::string sent = CSearchByEmailPacket(1, 0, kOwn, 0, CYolString(u"ё@я")).Serialize();
    EXPECT_EQ(Hex(sent.substr(sent.size() - 4)), "b840ff00");
}

// --- replies ----------------------------------------------------------------

template <typename Record>
size_t Parse(Record& record, const std::string& frame) {
    return record.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
}

constexpr size_t kAfterResult = 16 + 17;

std::string EmptyTexts(int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += Bytes("0100") + '\0';
    return out;
}

TEST(RuvMetaRecords, BasicInfoReadsTextsInTheCodePageAndTheTrailingNumbers) {
    CSnacBasicInfoReply empty;
    const std::string fields = EmptyTexts(11) + Bytes("0700" "fd" "01" "00" "02" "01");
    ASSERT_EQ(Parse(empty, Info(0x00C8, 0x0A, fields)), kAfterResult + fields.size());
    EXPECT_TRUE(empty.IsSuccess());
    for (const CYolString* text : {&empty.nick, &empty.firstName, &empty.homeZip, &empty.cellPhone})
        EXPECT_TRUE(text->IsEmpty());
    EXPECT_EQ(empty.homeCountry, 7);
    EXPECT_EQ(empty.gmtOffset, 0xFD);
    EXPECT_EQ(empty.authorization, 1);
    EXPECT_EQ(empty.webAware, 0);
    EXPECT_EQ(empty.directConnection, 2);
    EXPECT_EQ(empty.publishEmail, 1);

    // Length 0 is as empty as 1; a NUL inside the text is kept in it.
    CSnacBasicInfoReply named;
    const std::string texts = Text("c1eee1") + Bytes("0000") + Text("410040") + EmptyTexts(8);
    ASSERT_NE(Parse(named, Info(0x00C8, 0x0A, texts + Bytes("0000 00 00 00 00 00"))), 0u);
    EXPECT_EQ(named.nick.ToUtf8(), "Боб");
    EXPECT_TRUE(named.firstName.IsEmpty());
    EXPECT_EQ(named.lastName.ToUtf8(), std::string("A\0@", 3));
}

TEST(RuvMetaRecords, InterestsReadAtMostFourPairs) {
    std::string pairs;
    for (int i = 1; i <= 6; ++i)
        pairs += Le16(static_cast<uint16_t>(100 + i)) + Text(i == 2 ? "6b6579" : "");
    const size_t fourPairs = 4 * 2 + 4 * 3 + 3;
    CSnacInterestsReply six;
    ASSERT_EQ(Parse(six, Info(0x00F0, 0x0A, "\x06" + pairs)), kAfterResult + 1 + fourPairs);
    EXPECT_EQ(six.interests[0].category, 101);
    EXPECT_EQ(six.interests[1].keywords.ToUtf8(), "key");
    EXPECT_EQ(six.interests[3].category, 104);

    CSnacInterestsReply none;
    ASSERT_EQ(Parse(none, Info(0x00F0, 0x0A, std::string(1, '\0') + pairs)), kAfterResult + 1);
    EXPECT_EQ(none.interests[0].category, 0);
}

TEST(RuvMetaRecords, WorkZipIsReplacedOnlyByATrailerWithText) {
    const std::string head = Text("") + Text("") + Text("") + Text("") + Text("") + Text("3131313131") +
                             Le16(7) + Text("") + Text("") + Text("") + Le16(3) + Text("");
    CSnacWorkInfoReply plain;
    ASSERT_NE(Parse(plain, Info(0x00D2, 0x0A, head)), 0u);
    EXPECT_EQ(plain.workZip.ToUtf8(), "11111");
    EXPECT_EQ(plain.occupation, 3);

    CSnacWorkInfoReply trailer;
    ASSERT_EQ(Parse(trailer, Info(0x00D2, 0x0A, head + Text("3132333435"))), kAfterResult + head.size() + 8);
    EXPECT_EQ(trailer.workZip.ToUtf8(), "12345");

    CSnacWorkInfoReply emptyTrailer;
    ASSERT_NE(Parse(emptyTrailer, Info(0x00D2, 0x0A, head + Bytes("0100") + '\0')), 0u);
    EXPECT_EQ(emptyTrailer.workZip.ToUtf8(), "11111");
}

TEST(RuvMetaRecords, MoreInfoSkipsItsGaps) {
    const std::string fields = Le16(33) + "\x02" + Text("7777") + Le16(1990) + "\x05\x1f\x01\x02\x03" + "zz" +
                               Text("4d") + Text("") + Le16(643) + "\x04" + "zzzz" + Text("7275") + "zzzzzzzz" +
                               Text("6540");
    CSnacMoreInfoReply more;
    ASSERT_EQ(Parse(more, Info(0x00DC, 0x0A, fields)), kAfterResult + fields.size());
    EXPECT_EQ(more.age, 33);
    EXPECT_EQ(more.gender, 2);
    EXPECT_EQ(more.homepage.ToUtf8(), "ww");
    EXPECT_EQ(more.birthYear, 1990);
    EXPECT_EQ(more.birthMonth, 5);
    EXPECT_EQ(more.birthDay, 31);
    EXPECT_EQ(more.languages, (std::array<uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(more.originCity.ToUtf8(), "M");
    EXPECT_EQ(more.originCountry, 643);
    EXPECT_EQ(more.maritalStatus, 4);
    EXPECT_EQ(more.localizationId.ToUtf8(), "ru");
    EXPECT_EQ(more.localizationEmail.ToUtf8(), "e@");
}

TEST(RuvMetaRecords, AFailedResultReadsNoFields) {
    CSnacAboutReply about;
    EXPECT_EQ(Parse(about, Info(0x00E6, 0x14, Text("6869"))), kAfterResult);
    EXPECT_FALSE(about.IsSuccess());
    EXPECT_TRUE(about.about.IsEmpty());
    // The subtypes without fields are read by the base alone.
    CSnacMetaInfoReply other;
    EXPECT_EQ(Parse(other, Info(0x00FA, 0x0A, "")), 16u + 16u);
    EXPECT_EQ(other.metaSubtype, 0x00FA);
    EXPECT_TRUE(other.IsSuccess());
}

TEST(RuvMetaRecords, RepliesThatAreNotTheRecordOrDoNotFitAreRefused) {
    const std::string basic = EmptyTexts(11) + Bytes("0000 00 00 00 00 00");
    const std::string whole = Info(0x00C8, 0x0A, basic);
    std::string wrongTlv = whole;
    wrongTlv[17] = 2;
    const struct {
        const char* name;
        std::string frame;
    } cases[] = {
        {"cut inside a text", whole.substr(0, 40)},
        {"cut before the last flag", whole.substr(0, whole.size() - 1)},
        {"TLV longer than the frame", Reply(RuvMeta::kInfoReply, Le16(0x00C8) + "\x0a" + basic, 0, 0x0102, 0x0400)},
        {"TLV shorter than its fields", Reply(RuvMeta::kInfoReply, Le16(0x00C8) + "\x0a" + basic, 0, 0x0102, 30)},
        {"text length past the end", Info(0x00C8, 0x0A, Bytes("ff7f") + "abc")},
        {"not TLV 1", wrongTlv},
        {"another subtype", Info(0x00D2, 0x0A, basic)},
        {"not an info reply", Reply(RuvMeta::kStoredMessage, Le16(0x00C8) + "\x0a" + basic)},
        {"another family", RuvTest::Snac(0x04, 0x03, whole.substr(16))},
        {"header only", whole.substr(0, 16)},
    };
    for (const auto& c : cases) {
        CSnacBasicInfoReply record;
        EXPECT_EQ(Parse(record, c.frame), 0u) << c.name;
    }
    CSnacMetaInfoReply unknown;
    EXPECT_EQ(Parse(unknown, Info(0x0123, 0x0A, "")), 0u);
}

TEST(RuvMetaRecords, StoredMessageDropsItsClosingNul) {
    const std::string data = Le32(kOther) + Le16(2024) + std::string("\x02\x1d\x17\x3b\x01\x00", 6) + Le16(4) + Bytes("cff0e800");
    CSnacOfflineMessage message;
    ASSERT_EQ(Parse(message, Reply(RuvMeta::kStoredMessage, data)), 16u + 14u + data.size());
    EXPECT_EQ(message.GetSenderText().ToUtf8(), "100300");
    EXPECT_EQ(message.year, 2024);
    EXPECT_EQ(message.day, 29);
    EXPECT_EQ(message.minute, 59);
    EXPECT_EQ(message.text.ToUtf8(), "При");
    CSnacOfflineMessage cut;
    EXPECT_EQ(Parse(cut, Reply(RuvMeta::kStoredMessage, data.substr(0, data.size() - 1))), 0u);
}

std::string Hit(uint16_t subtype, const std::string& body) { return Reply(RuvMeta::kInfoReply, Le16(subtype) + body); }

TEST(RuvMetaRecords, SearchHitsAndTheirEnd) {
    const std::string user = "\x0a" + Le16(0) + Le32(kOther) + Text("426f62") + Text("") + Text("") + Text("6140") +
                             "\x01" + Le16(1) + "\x02" + Le16(30);
    CSnacSearchResult hit;
    ASSERT_EQ(Parse(hit, Hit(0x01A4, user)), 16u + 16u + user.size());
    EXPECT_FALSE(hit.last);
    EXPECT_EQ(hit.user.number, kOther);
    EXPECT_EQ(hit.user.nick.ToUtf8(), "Bob");
    EXPECT_EQ(hit.user.email.ToUtf8(), "a@");
    EXPECT_EQ(hit.user.authorization, 1);
    EXPECT_EQ(hit.user.status, 1);
    EXPECT_EQ(hit.user.gender, 2);
    EXPECT_EQ(hit.user.age, 30);

    CSnacSearchResult last;
    ASSERT_NE(Parse(last, Hit(0x01AE, user)), 0u);
    EXPECT_TRUE(last.last);

    for (char noHit : {'\x32', '\x14'}) {
        CSnacSearchResult none;
        ASSERT_EQ(Parse(none, Hit(0x01AE, std::string(1, noHit))), 16u + 17u);
        EXPECT_EQ(none.user.number, 0u);
    }
    const struct {
        const char* name;
        std::string frame;
    } refused[] = {
        {"unknown result", Hit(0x01A4, "\x33")},
        {"cut short", Hit(0x01A4, user.substr(0, user.size() - 1))},
        {"details subtype", Hit(0x00C8, user)},
        {"no result byte", Hit(0x01A4, "")},
    };
    for (const auto& c : refused) {
        CSnacSearchResult record;
        EXPECT_EQ(Parse(record, c.frame), 0u) << c.name;
    }
}

}  // namespace
