// The user search: the form it sends per page and the results it reads.

#include "RecordingStanzaSink.h"
#include "XmppDetailsSupport.h"
#include "XmppSearch.h"

#include <gtest/gtest.h>

using namespace XmppDetailsTest;
using XmppFeatureTest::Stanza;

namespace {

using Lines = std::vector<std::string>;

struct SearchFixture : ::testing::Test, DetailsParts {
    XmppSearch search{sink, list, events, vcard, [] { return U("users.example.org"); }};

    void Answer(const std::string& text) { ASSERT_TRUE(sink.Answer(sink.LastWaiting(), Stanza(text))); }
};

TEST_F(SearchFixture, SendsOnlyTheFilledFieldsOfThePage) {
    search.Params().lastName = U("Петров");
    search.Start(SearchGlobal);
    search.Params().email = U("a@b");
    search.Start(SearchByEmail);
    search.ResetParams();
    search.Start(SearchGlobal);
    EXPECT_EQ(sink.Take(),
              (Lines{"<iq type='set' to='users.example.org' xml:lang='en' id='yol_1'><query xmlns='jabber:iq:search'>"
                     "<x xmlns='jabber:x:data' type='submit'><field var='last'><value>Петров</value></field></x>"
                     "</query></iq>",
                     "<iq type='set' to='users.example.org' xml:lang='en' id='yol_2'><query xmlns='jabber:iq:search'>"
                     "<x xmlns='jabber:x:data' type='submit'><field var='email'><value>a@b</value></field></x>"
                     "</query></iq>",
                     "<iq type='set' to='users.example.org' xml:lang='en' id='yol_3'><query xmlns='jabber:iq:search'>"
                     "<x xmlns='jabber:x:data' type='submit'/></query></iq>"}));
    EXPECT_EQ(sink.answers[3].key, XmppSearch::kSearchKey);
}

TEST_F(SearchFixture, FormResultsBecomeTemporaryContactsThenTheEnd) {
    search.Start(SearchGlobal);
    Answer("<iq type='result' from='users.example.org'><query xmlns='jabber:iq:search'>"
           "<x xmlns='jabber:x:data' type='result'>"
           "<ITEM><FIELD var='JID'><value>ann@example.org</value></FIELD><field var='Nick'><value>Аня</value></field>"
           "<field var='EMAIL'><value>ann@mail</value></field><field var='fn'><value>dropped</value></field>"
           "<field var='first'/></ITEM>"
           "<item><field var='nick'><value>nobody</value></field></item></x></query></iq>");
    EXPECT_EQ(events.log, (Lines{"found 500 ann@example.org 'Аня'   ann@mail g0", "end"}));
    EXPECT_EQ(list.aliases[500], "Аня");
}

TEST_F(SearchFixture, PlainFormResultsAreReadToo) {
    search.Start(SearchByEmail);
    Answer("<iq type='result' from='users.example.org'><query xmlns='jabber:iq:search'>"
           "<item jid='bob@example.org'><first>Bob</first><last>B</last><nick>bb</nick><email>b@m</email></item>"
           "</query></iq>");
    EXPECT_EQ(events.log, (Lines{"found 500 bob@example.org 'bb' Bob B b@m g0", "end"}));
}

TEST_F(SearchFixture, AFailedSearchStillEnds) {
    search.Start(SearchByEmail);
    Answer("<iq type='error' from='users.example.org'><error type='cancel'><service-unavailable/></error></iq>");
    EXPECT_EQ(events.log, Lines{"end"});
}

TEST_F(SearchFixture, SearchByJidAsksForTheVCard) {
    search.Start(SearchByJid);
    EXPECT_EQ(events.log, Lines{"end"}) << "no JID, nothing to ask";
    search.Params().jid = U("eve@example.org");
    search.Start(SearchByJid);
    const Lines sent = sink.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].find("<iq type='get' to='eve@example.org' id='yol_1'><vCard"), std::string::npos);
}

TEST(XmppSearchFields, NamesMapToCodesIgnoringCase) {
    const struct {
        const char16_t* name;
        int code;
    } cases[] = {{u"JID", 0}, {u"Nick", 3}, {u"given", 4}, {u"FAMILY", 5}, {u"language", 11}, {u"jids", -1}, {u"", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(SearchFieldCode(CYolString(c.name)), c.code) << CYolString(c.name).ToUtf8();
}

}  // namespace
