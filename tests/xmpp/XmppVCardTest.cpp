// vCard replies into detail values, the own vCard published from them, and
// the details feature against a recording sink, list and store.

#include "RecordingStanzaSink.h"
#include "XmppDetailsSupport.h"
#include "XmppFeatureSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using XmppFeatureTest::Stanza;
using XmppFeatureTest::U;

namespace {

using namespace XmppDetailsTest;

// The values a vCard body gives, as "key=value" lines in reply order.
std::vector<std::string> Read(const std::string& body) {
    XmlNode card = Stanza("<vCard xmlns='vcard-temp'>" + body + "</vCard>");
    std::vector<std::string> out;
    for (const DetailValue& value : ReadVCardDetails(card)) {
        const std::string shown =
            value.type == DetailType::Text ? value.text.ToUtf8() : std::to_string(value.number);
        out.push_back(CYolString(value.key).ToUtf8().substr(8) + "=" + shown);
    }
    return out;
}

using Lines = std::vector<std::string>;

TEST(XmppVCardFields, ReadsEachFieldByItsRule) {
    const struct {
        const char* body;
        Lines expected;
    } cases[] = {
        {"<BDAY>1980-05-07</BDAY>", {"birth year=1980", "birth month=5", "birth day=7"}},
        {"<BDAY>05-07</BDAY>", {"birth month=5", "birth day=7"}},
        {"<BDAY>1980</BDAY>", {"birth year=1980"}},
        {"<BDAY>0000-00-00</BDAY>", {}},
        {"<BDAY>99999-300-7</BDAY>", {"birth day=7"}},
        {"<EMAIL><INTERNET/><USERID>a@b</USERID></EMAIL>", {}},
        {"<EMAIL><HOME/><USERID>a@b</USERID></EMAIL>", {"home e-mail=a@b"}},
        {"<EMAIL><WORK/><HOME/>w@b</EMAIL>", {"work e-mail=w@b"}},
        {"<TEL><CELL/><WORK/><NUMBER>1</NUMBER></TEL>", {"cell phone=1"}},
        {"<TEL><WORK/><FAX/><NUMBER>2</NUMBER></TEL>", {"work fax=2"}},
        {"<TEL><FAX/><NUMBER>3</NUMBER></TEL>", {"home fax=3"}},
        {"<TEL><VOICE/><NUMBER>4</NUMBER></TEL>", {"home phone=4"}},
        {"<TEL><HOME/></TEL>", {}},
        {"<ADR><WORK/><LOCALITY>Tver</LOCALITY></ADR>", {"home city=Tver", "work city=Tver"}},
        {"<ADR><HOME/><STREET>A</STREET><EXTADD>B</EXTADD><COUNTRY>RU</COUNTRY></ADR>",
         {"home address=A\r\nB", "home country=RU"}},
        {"<GENDER>male</GENDER><GENDER>F</GENDER><GENDER>x</GENDER>", {"gender=Male", "gender=Female", "gender="}},
        {"<N><GIVEN>Иван</GIVEN><FAMILY>Петров</FAMILY><PREFIX>Dr</PREFIX></N><FN>Ваня</FN>",
         {"first name=Иван", "last name=Петров", "display name=Ваня"}},
        {"<DESC>a\nb</DESC><ORG><ORGNAME>Co</ORGNAME></ORG><ROLE>r</ROLE><PHOTO><BINVAL>AA==</BINVAL></PHOTO>",
         {"about=a\r\nb", "work company=Co", "work role=r"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.body), c.expected) << c.body;
}

TEST(XmppVCardFields, CutsLongAddressesAt127Characters) {
    const std::string street(200, 's');
    const Lines values = Read("<ADR><HOME/><STREET>" + street + "</STREET></ADR>");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], "home address=" + std::string(127, 's'));
}

TEST(XmppVCardFields, AnEmptyStoreBuildsOnlyTheFieldsAlwaysPresent) {
    FakeOwnStore empty;
    EXPECT_EQ(BuildOwnVCard(empty, nullptr).Serialize(),
              "<vCard xmlns='vcard-temp'><FN/><N><GIVEN/><MIDDLE/><FAMILY/></N><NICKNAME/><GENDER/>"
              "<ADR><HOME/><STREET/><LOCALITY/><REGION/><PCODE/><CTRY/><COUNTRY/></ADR>"
              "<ADR><WORK/><STREET/><LOCALITY/><REGION/><PCODE/><CTRY/><COUNTRY/></ADR>"
              "<ORG><ORGNAME/><ORGUNIT/></ORG><TITLE/><ROLE/><URL/><DESC/></vCard>");
}

struct VCardFixture : ::testing::Test, DetailsParts {

    void Answer(int number, const std::string& text) { ASSERT_TRUE(sink.Answer(number, Stanza(text))); }
    unsigned int Listed(const char* jid, unsigned int item) {
        contacts.FindOrAddContact(ContactKindRoster, U(jid))->contactId = item;
        list.logins[item] = jid;
        return item;
    }
};

TEST_F(VCardFixture, RequestsCarryTheVCardElementAndOwnRequestsReplaceEachOther) {
    const int first = vcard.Request(U("me@example.org"), XmppVCard::kOwnTarget);
    EXPECT_EQ(sink.Take(), Lines{"<iq type='get' to='me@example.org' id='yol_1'><vCard xmlns='vcard-temp' "
                                 "prodid='-//HandGen//NONSGML vGen v1.0//EN' version='2.0'/></iq>"});
    EXPECT_EQ(sink.answers[first].key, XmppVCard::kOwnRequestKey);
    const int other = vcard.Request(U("bob@example.org"), 7);
    EXPECT_EQ(sink.answers[other].key, 0);
}

TEST_F(VCardFixture, ContactReplyStoresOnTheItemAndAnnouncesIt) {
    const unsigned int bob = Listed("bob@example.org", 7);
    const int number = vcard.Request(U("bob@example.org"), static_cast<int>(bob));
    Answer(number, "<iq type='result' from='bob@example.org' id='yol_" + std::to_string(number) +
                       "'><vCard xmlns='vcard-temp'><NICKNAME>Боб</NICKNAME></vCard></iq>");
    EXPECT_EQ(list.values[Key(bob, DetailKey::NickName)], "Боб");
    EXPECT_EQ(list.values[Key(bob, DetailKey::DetailsRequested)], "1");
    EXPECT_EQ(list.values[Key(bob, DetailKey::HomeCity)], "");
    EXPECT_EQ(events.log, Lines{"contact 7"});
    EXPECT_TRUE(own.values.empty());
    // Fetched once per item: asking again sends nothing.
    vcard.RequestOnce(bob);
    EXPECT_EQ(sink.Take().size(), 1u);
}

TEST_F(VCardFixture, ErrorReplyClearsTheItemAndStillEndsTheWait) {
    const unsigned int bob = Listed("bob@example.org", 7);
    list.values[Key(bob, DetailKey::NickName)] = "old";
    list.values[Key(bob, DetailKey::DetailsRequested)] = "1";
    const int number = vcard.Request(U("bob@example.org"), static_cast<int>(bob));
    Answer(number, "<iq type='error' from='bob@example.org' id='yol_" + std::to_string(number) +
                       "'><error type='cancel'><item-not-found/></error></iq>");
    EXPECT_EQ(list.values[Key(bob, DetailKey::NickName)], "");
    EXPECT_EQ(list.values[Key(bob, DetailKey::DetailsRequested)], "0");
    EXPECT_EQ(events.log, Lines{"contact 7"});
}

TEST_F(VCardFixture, OwnReplyIsRecognisedByLoginAndResource) {
    const struct {
        const char* from;
        bool own;
    } cases[] = {{"me@example.org", true}, {"ME@Example.org/phone", true}, {"me@example.org.evil", false}};
    for (const auto& c : cases) {
        events.log.clear();
        const int number = vcard.Request(U(c.from), XmppVCard::kOwnTarget);
        Answer(number, std::string("<iq type='result' from='") + c.from + "' id='yol_" + std::to_string(number) +
                           "'><vCard xmlns='vcard-temp'><FN>Я</FN></vCard></iq>");
        EXPECT_EQ(events.log, c.own ? Lines{"own"} : Lines{}) << c.from;
    }
    EXPECT_EQ(own.values[Key(0, DetailKey::DisplayName)], "Я");
}

// A request to our own bare JID is answered by our server without "from",
// with the card or, when it keeps none, with item-not-found.
TEST_F(VCardFixture, OwnReplyWithoutFromIsTheServersAnswerForUs) {
    const char* replies[] = {"<iq type='result' id='yol_%d'><vCard xmlns='vcard-temp'><FN>Я</FN></vCard></iq>",
                             "<iq type='error' id='yol_%d'><error type='cancel'><item-not-found "
                             "xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error></iq>"};
    for (const char* reply : replies) {
        events.log.clear();
        const int number = vcard.Request(U("me@example.org"), XmppVCard::kOwnTarget);
        char text[256];
        std::snprintf(text, sizeof text, reply, number);
        Answer(number, text);
        EXPECT_EQ(events.log, Lines{"own"}) << reply;
    }
    EXPECT_EQ(own.values[Key(0, DetailKey::DisplayName)], "");
    // The server keeps no card: the user's values can go out.
    own.values[Key(0, DetailKey::DisplayName)] = "Я";
    sink.Take();
    vcard.Publish();
    EXPECT_EQ(sink.Take().size(), 1u);
}

TEST_F(VCardFixture, SearchByJidGivesOneResultForATemporaryContact) {
    const int number = vcard.Request(U("eve@example.org"), XmppVCard::kSearchTarget);
    Answer(number, "<iq type='result' from='eve@example.org' id='yol_" + std::to_string(number) +
                       "'><vCard xmlns='vcard-temp'><FN>Eve</FN><N><GIVEN>Ева</GIVEN></N><GENDER>f</GENDER>"
                       "<EMAIL><HOME/><USERID>e@x</USERID></EMAIL></vCard></iq>");
    EXPECT_EQ(list.temps, Lines{"eve@example.org"});
    EXPECT_EQ(events.log, (Lines{"found 500 eve@example.org 'Eve' Ева  e@x g1", "end"}));
}

TEST_F(VCardFixture, FailedSearchByJidEndsTheSearch) {
    const int number = vcard.Request(U("eve@example.org"), XmppVCard::kSearchTarget);
    Answer(number, "<iq type='error' from='eve@example.org' id='yol_" + std::to_string(number) + "'/>");
    EXPECT_EQ(events.log, Lines{"end"});
}

// --- publishing ---------------------------------------------------------------------------

struct PublishFixture : VCardFixture {
    // The own vCard the server gives at the start of the session.
    void FetchOwn(const std::string& body) {
        const int number = vcard.Request(U("me@example.org"), XmppVCard::kOwnTarget);
        Answer(number, "<iq type='result' from='me@example.org' id='yol_" + std::to_string(number) +
                           "'><vCard xmlns='vcard-temp'>" + body + "</vCard></iq>");
        sink.Take();
    }
};

TEST_F(PublishFixture, NothingIsPublishedBeforeTheServerGaveTheOwnVCard) {
    own.values[Key(0, DetailKey::DisplayName)] = "x";
    vcard.Publish();
    EXPECT_TRUE(sink.Take().empty());
}

TEST_F(PublishFixture, PublishesOnlyChangesAndKeepsUnmodelledFields) {
    FetchOwn("<FN>Old</FN><PHOTO><TYPE>image/png</TYPE><BINVAL>iVBO</BINVAL></PHOTO>");
    vcard.Publish();
    EXPECT_TRUE(sink.Take().empty()) << "nothing changed";

    own.values[Key(0, DetailKey::DisplayName)] = "Новое имя";
    own.values[Key(0, DetailKey::BirthYear)] = "1980";
    own.values[Key(0, DetailKey::BirthMonth)] = "5";
    own.values[Key(0, DetailKey::BirthDay)] = "7";
    vcard.Publish();
    const Lines sent = sink.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0],
              "<iq type='set' id='yol_2'><vCard xmlns='vcard-temp'><FN>Новое имя</FN><N><GIVEN/><MIDDLE/><FAMILY/></N>"
              "<NICKNAME/><BDAY>1980-5-7</BDAY><GENDER/><EMAIL><USERID/><HOME/></EMAIL><EMAIL><USERID/><WORK/></EMAIL>"
              "<ADR><HOME/><STREET/><LOCALITY/><REGION/><PCODE/><CTRY/><COUNTRY/></ADR>"
              "<ADR><WORK/><STREET/><LOCALITY/><REGION/><PCODE/><CTRY/><COUNTRY/></ADR>"
              "<ORG><ORGNAME/><ORGUNIT/></ORG><TITLE/><ROLE/><URL/><DESC/>"
              // The reply stored every phone key (empty), so each is published.
              "<TEL><NUMBER/><HOME/></TEL><TEL><NUMBER/><HOME/><FAX/></TEL><TEL><NUMBER/><CELL/></TEL>"
              "<TEL><NUMBER/><WORK/></TEL><TEL><NUMBER/><WORK/><FAX/></TEL>"
              "<PHOTO><TYPE>image/png</TYPE><BINVAL>iVBO</BINVAL></PHOTO></vCard></iq>");
    EXPECT_EQ(sink.answers[2].key, XmppVCard::kPublishKey);
    // The dialog publishes again when it closes: the server has it already.
    vcard.Publish();
    EXPECT_TRUE(sink.Take().empty());
}

TEST_F(PublishFixture, RefusedPublishIsTriedAgain) {
    FetchOwn("");
    own.values[Key(0, DetailKey::NickName)] = "n";
    vcard.Publish();
    const int number = sink.LastWaiting();
    Answer(number, "<iq type='error' id='yol_" + std::to_string(number) + "'/>");
    sink.Take();
    vcard.Publish();
    EXPECT_EQ(sink.Take().size(), 1u);
}

TEST_F(PublishFixture, ADayOfZeroPublishesNoBirthday) {
    FetchOwn("");
    own.values[Key(0, DetailKey::BirthYear)] = "1980";
    own.values[Key(0, DetailKey::BirthMonth)] = "5";
    own.values[Key(0, DetailKey::BirthDay)] = "0";
    own.values[Key(0, DetailKey::NickName)] = "n";
    vcard.Publish();
    const Lines sent = sink.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].find("BDAY"), std::string::npos);
}

}  // namespace
