// The stanza router: iq ids, the answers the account waits for, requests
// nobody handles, the simple requests the account answers itself, and the
// keep-alive.

#include "XmppAccountHarness.h"

#include <gtest/gtest.h>

#include <optional>

using namespace XmppTest;

namespace {

TEST(XmppIqId, ParsesOnlyOurOwnIds) {
    struct Case {
        std::optional<std::string> id;
        int number;
    } cases[] = {
        {"yol_7", 7}, {"yol_0", 0}, {"yol_", 0}, {"yol_x", 0}, {"yol_12ab", 12}, {"yol_99999999999", INT_MAX},
        {"YOL_7", -1}, {"abc", -1}, {"7", -1}, {std::nullopt, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id.value_or("(none)"));
        CYolString text = U(c.id.value_or(""));
        EXPECT_EQ(ParseIqId(c.id ? &text : nullptr), c.number);
    }
}

class XmppRouterTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.SetValue("SrvLogName", "alice@example.org");
        h.Init();
        ASSERT_EQ(h.GoOnline(), Protocols::Online);
        online = h.Events();
    }
    XmppAccountHarness h;
    std::vector<AccountEventRecord> online;  // the events of going online
    // Any answer serves: the table hands it back, nobody calls it here.
    const IqAnswer handler = [](const XmlNode&) {};
    XmppPendingIqs& pending() { return h.account->PendingIqs(); }
};

TEST_F(XmppRouterTest, AnswersAreTakenOnlyFromTheAddressedJid) {
    struct Case {
        const char* to;
        const char* from;  // null: no "from"
        bool taken;
    } cases[] = {
        {"", nullptr, true},
        {"", "example.org", true},
        {"", "alice@example.org", true},
        {"", "Alice@Example.org/Yol PDA", true},
        {"", "mallory@evil.org", false},
        {"", "bob@example.org", false},
        {"bob@example.org", "bob@example.org", true},
        {"bob@example.org", "BOB@example.org", true},
        {"bob@example.org", nullptr, false},
        // The server answers for our own account without "from".
        {"alice@example.org", nullptr, true},
        {"alice@example.org", "alice@example.org", true},
        {"alice@example.org", "example.org", false},
        {"bob@example.org", "example.org", false},
        {"bob@example.org", "mallory@evil.org", false},
        {"bob@example.org/pc", "bob@example.org/pc", true},
        {"bob@example.org/pc", "bob@example.org/phone", false},
        // Our own server answers for our own account without "from".
        {"alice@example.org", nullptr, true},
        {"alice@example.org", "alice@example.org", true},
        {"alice@example.org", "mallory@evil.org", false},
    };
    int id = 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.to) + " <- " + (c.from ? c.from : "(none)"));
        pending().Add(++id, 0, handler, U(c.to));
        CYolString from = U(c.from ? c.from : "");
        EXPECT_EQ(pending().Take(id, c.from ? &from : nullptr) != nullptr, c.taken);
        // A refused answer leaves the request waiting for the real one.
        CYolString real = U(c.to);
        EXPECT_EQ(pending().Take(id, c.to[0] ? &real : nullptr) != nullptr, !c.taken);
    }
}

TEST_F(XmppRouterTest, SpoofedResultDoesNotReachTheHandler) {
    h.Events();
    // The roster request of the login is "yol_2"; a stranger's answer must
    // not fill the contact list, the server's must.
    h.Receive("<iq type='result' id='yol_2' from='mallory@evil.org'><query xmlns='jabber:iq:roster'>"
              "<item jid='eve@evil.org' subscription='both'/></query></iq>");
    EXPECT_TRUE(h.account->Contacts().FindContact(ContactKindRoster, U("eve@evil.org")) == nullptr);
    h.Receive("<iq type='result' id='yol_2'><query xmlns='jabber:iq:roster'>"
              "<item jid='bob@example.org' subscription='both'/></query></iq>");
    EXPECT_TRUE(h.account->Contacts().FindContact(ContactKindRoster, U("bob@example.org")) != nullptr);
}

TEST_F(XmppRouterTest, PendingAnswersExpireAfterTwoMinutes) {
    CYolManualClock clock(1000000);
    CYolClock* previous = CYolClock::Install(&clock);
    pending().Add(501, 0, handler);
    pending().Add(502, 0, handler);
    clock.Advance(kPendingIqLifetimeMs - 1);
    EXPECT_NE(pending().Take(501, nullptr), nullptr);
    clock.Advance(1);
    EXPECT_EQ(pending().Take(502, nullptr), nullptr);
    EXPECT_EQ(pending().Count(), 0);
    CYolClock::Install(previous);
}

TEST_F(XmppRouterTest, SameKeyKeepsOnlyTheNewestRequest) {
    pending().Clear();
    pending().Add(601, 9, handler);
    pending().Add(602, 9, handler);
    pending().Add(603, 0, handler);
    EXPECT_EQ(pending().Count(), 2);
    EXPECT_EQ(pending().Take(601, nullptr), nullptr);
    EXPECT_NE(pending().Take(602, nullptr), nullptr);
}

TEST_F(XmppRouterTest, RequestsNobodyHandlesAreRefused) {
    struct Case {
        const char* stanza;
        const char* reply;  // empty: nothing goes out
    } cases[] = {
        {"<iq type='get' id='a1' from='bob@example.org/pc'><query xmlns='urn:unknown'/></iq>",
         "<iq type='error' to='bob@example.org/pc' id='a1'><error type='cancel'>"
         "<service-unavailable xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error></iq>"},
        {"<iq type='set' id='a2' from='bob@example.org/pc'><x xmlns='urn:unknown'/></iq>",
         "<iq type='error' to='bob@example.org/pc' id='a2'><error type='cancel'>"
         "<service-unavailable xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error></iq>"},
        // A roster push must name its child "query" to reach the roster.
        {"<iq type='set' id='a3'><item xmlns='jabber:iq:roster'/></iq>",
         "<iq type='error' id='a3'><error type='cancel'>"
         "<service-unavailable xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error></iq>"},
        {"<iq type='result' id='yol_77' from='bob@example.org/pc'/>", ""},
        {"<iq type='error' id='x' from='bob@example.org/pc'/>", ""},
        {"<iq type='bogus' id='a4' from='bob@example.org/pc'><query xmlns='urn:unknown'/></iq>", ""},
        {"<iq id='a5' from='bob@example.org/pc'><query xmlns='urn:unknown'/></iq>", ""},
        {"<foo/>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stanza);
        h.Receive(c.stanza);
        EXPECT_EQ(h.TakeSent(), c.reply);
    }
}

TEST_F(XmppRouterTest, AnswersVersionPingAndDiscoRequests) {
    struct Case {
        const char* stanza;
        const char* reply;
    } cases[] = {
        {"<iq type='get' id='v1' from='bob@example.org/pc'><query xmlns='jabber:iq:version'/></iq>",
         "<iq type='result' to='bob@example.org/pc' id='v1'><query xmlns='jabber:iq:version'>"
         "<name>Yol Mobile WM</name><version>2142</version><os>WM</os></query></iq>"},
        {"<iq type='get' id='p1' from='bob@example.org/pc'><ping xmlns='urn:xmpp:ping'/></iq>",
         "<iq type='result' to='bob@example.org/pc' id='p1'/>"},
        {"<iq type='get' id='d1' from='bob@example.org/pc'>"
         "<query xmlns='http://jabber.org/protocol/disco#info' node='urn:nobody#knows'/></iq>",
         "<iq type='error' to='bob@example.org/pc' id='d1'><error code='404' type='cancel'>"
         "<item-not-found xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error></iq>"},
        // A version request without a sender has nobody to answer.
        {"<iq type='get' id='v2'><query xmlns='jabber:iq:version'/></iq>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stanza);
        h.Receive(c.stanza);
        EXPECT_EQ(h.TakeSent(), c.reply);
    }
    h.Receive("<iq type='get' id='d2' from='bob@example.org/pc'>"
              "<query xmlns='http://jabber.org/protocol/disco#info'/></iq>");
    std::string own = h.TakeSent();
    EXPECT_NE(own.find("type='result'"), std::string::npos) << own;
    EXPECT_NE(own.find("<feature var='urn:xmpp:ping'/>"), std::string::npos) << own;
}

// What disco#info announces and what gets answered come from one table:
// a request in an announced namespace is never refused, and a refused one
// is never announced.
TEST_F(XmppRouterTest, AnnouncesEveryRequestItAnswersAndNoOther) {
    h.Receive("<iq type='get' id='d' from='bob@example.org/pc'>"
              "<query xmlns='http://jabber.org/protocol/disco#info'/></iq>");
    const std::string disco = h.TakeSent();
    auto announced = [&disco](const std::string& xmlns) {
        return disco.find("<feature var='" + xmlns + "'/>") != std::string::npos;
    };
    struct Case {
        const char* xmlns;
        const char* request;  // the iq's type and child
    } cases[] = {
        {"http://jabber.org/protocol/disco#info", "type='get'><query xmlns='http://jabber.org/protocol/disco#info'/>"},
        {"jabber:iq:version", "type='get'><query xmlns='jabber:iq:version'/>"},
        {"urn:xmpp:ping", "type='get'><ping xmlns='urn:xmpp:ping'/>"},
        {"http://jabber.org/protocol/si", "type='set'><si xmlns='http://jabber.org/protocol/si' id='s' "
                                          "profile='http://jabber.org/protocol/si/profile/file-transfer'/>"},
        {"http://jabber.org/protocol/bytestreams", "type='set'><query xmlns='http://jabber.org/protocol/bytestreams'/>"},
        {"http://jabber.org/protocol/ibb", "type='set'><open xmlns='http://jabber.org/protocol/ibb' sid='s'/>"},
        {"jabber:iq:oob", "type='set'><query xmlns='jabber:iq:oob'><url>http://example.org/f</url></query>"},
        {"http://jabber.org/protocol/commands", "type='set'><command xmlns='http://jabber.org/protocol/commands'/>"},
        {"vcard-temp", "type='get'><vCard xmlns='vcard-temp'/>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xmlns);
        h.Receive(std::string("<iq id='r' from='bob@example.org/pc' ") + c.request + "</iq>");
        const bool refused = h.TakeSent().find("<service-unavailable") != std::string::npos;
        EXPECT_NE(announced(c.xmlns), refused) << disco;
    }
    // Receipts travel in messages, which the account answers; file offers
    // come as stream initiation, whose responder takes the file profile.
    EXPECT_TRUE(announced("urn:xmpp:receipts"));
    EXPECT_TRUE(announced("http://jabber.org/protocol/si/profile/file-transfer"));
}

TEST_F(XmppRouterTest, KeepAliveSendsABlankEveryTwoMinutesOnTheAccountThread) {
    CJabberAccount* account = h.account;
    std::vector<AccountEventRecord> timers;
    for (const AccountEventRecord& record : online)
        if (record.event == Protocols::AccountEvent::SetTimer)
            timers.push_back(record);
    ASSERT_EQ(timers.size(), 1u);
    Protocols::TimerRequest request = timers[0].timer;
    EXPECT_EQ(request.info.callback, &CJabberAccount::KeepAlive);
    EXPECT_EQ(request.info.context, account);
    // The fire comes back to the account's own queue, never to the timer's
    // thread.
    EXPECT_EQ(request.clientId, account->GetClientId());
    h.FireTimer(request);
    EXPECT_EQ(h.TakeSent(), " ");
    auto again = h.Events(Protocols::AccountEvent::SetTimer);
    ASSERT_EQ(again.size(), 1u);
    // Offline: the timer is stopped and a late fire sends nothing.
    h.SetStatus(Protocols::Offline);
    EXPECT_EQ(h.Events(Protocols::AccountEvent::KillTimer).size(), 1u);
    h.FireTimer(again[0].timer);
    EXPECT_EQ(h.TakeSent(), "");
    EXPECT_EQ(CJabberAccount::KeepAlive(account), 0u);
}

}  // namespace
