// The login of an account, row by row: stream header, feature choice,
// compression, SASL DIGEST-MD5 and PLAIN, the older jabber:iq:auth login in
// both forms, bind and session, and every failure the login knows.

#include "JabberSasl.h"
#include "XmppAccountHarness.h"
#include "XmppSessionSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace XmppTest;

namespace {

const std::string kSasl = "urn:ietf:params:xml:ns:xmpp-sasl";
const std::string kClientHeader =
    "<?xml version='1.0' encoding='UTF-8'?><stream:stream to='capulet.example' xmlns='jabber:client' "
    "xmlns:stream='http://etherx.jabber.org/streams' xml:lang='en' version='1.0'>";
const std::string kStreamEnd = "</stream:stream>";
const std::string kNonce = "OA6MG9tEQGm2hh";

std::string Header(bool version = true, const std::string& id = "s1") {
    return "<?xml version='1.0'?><stream:stream xmlns='jabber:client' xmlns:stream='http://etherx.jabber.org/streams'" +
           (id.empty() ? std::string() : " id='" + id + "'") + " from='capulet.example'" +
           (version ? " version='1.0'" : "") + ">";
}

std::string Features(const std::string& inner) { return "<stream:features>" + inner + "</stream:features>"; }

std::string Mechanisms(std::initializer_list<const char*> names) {
    std::string out = "<mechanisms xmlns='" + kSasl + "'>";
    for (const char* name : names)
        out += std::string("<mechanism>") + name + "</mechanism>";
    return out + "</mechanisms>";
}

const std::string kIqAuthFeature = "<auth xmlns='http://jabber.org/features/iq-auth'/>";
const std::string kBindFeatures = "<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/>"
                                  "<session xmlns='urn:ietf:params:xml:ns:xmpp-session'/>";

std::string Base64(const std::string& bytes) {
    int length = static_cast<int>(bytes.size());
    char* encoded = CYolString::Base64Encode(bytes.data(), length);
    std::string out(encoded, static_cast<size_t>(length));
    std::free(encoded);
    return out;
}

std::string Unbase64(const std::string& text) {
    int length = 0;
    char* decoded = CYolString::Base64Decode(text.c_str(), length);
    std::string out = decoded ? std::string(decoded, static_cast<size_t>(length)) : std::string();
    std::free(decoded);
    return out;
}

std::string Between(const std::string& text, const std::string& open, const std::string& close) {
    size_t start = text.find(open);
    if (start == std::string::npos)
        return {};
    start += open.size();
    return text.substr(start, text.find(close, start) - start);
}

std::string Inflate(const std::string& deflated) {
    z_stream z{};
    inflateInit(&z);
    std::string out(1 << 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    z.avail_in = static_cast<uInt>(deflated.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    inflate(&z, Z_SYNC_FLUSH);
    out.resize(out.size() - z.avail_out);
    inflateEnd(&z);
    return out;
}

class XmppLoginTest : public ::testing::Test {
protected:
    // A fresh account with the test's credentials (a table's rows each get
    // one).
    void SetUp() override {
        h.reset();
        h = std::make_unique<XmppAccountHarness>();
        h->SetValue("SrvLogName", "juliet@capulet.example");
        h->SetValue("SrvLogPass", "r0m30myr0m30");
        h->SetValue("Account resource", "Yol");
    }

    // Starts the account and connects; the header it sent is taken.
    std::string Start() {
        h->Init();
        h->SetStatus(Protocols::Online);
        h->Connected();
        h->Events();
        return h->TakeSent();
    }

    // The id number of the last iq sent in `sent`.
    static std::string LastId(const std::string& sent) {
        size_t at = sent.rfind("id='yol_");
        return at == std::string::npos ? "none" : sent.substr(at + 4, sent.find('\'', at + 4) - at - 4);
    }

    // Answers the last request in `sent` with `type` and the inner text.
    void Answer(const std::string& sent, const std::string& type, const std::string& inner = "") {
        h->Receive("<iq type='" + type + "' id='" + LastId(sent) + "'>" + inner + "</iq>");
    }

    // Logs in with PLAIN and no session; what went out and the events of
    // going online are dropped.
    void LogIn() {
        Start();
        h->Receive(Header() + Features(Mechanisms({"PLAIN"})));
        h->Receive("<success xmlns='" + kSasl + "'/>");
        h->Receive(Header(true, "s2") + Features("<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/>"));
        Answer(h->TakeSent(), "result", "<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/>");
        h->TakeSent();
        h->Events();
    }

    // Runs DIGEST-MD5 up to the first response; answers the response text.
    std::string FirstDigestRound(const std::string& challenge) {
        h->Receive(Header() + Features(Mechanisms({"PLAIN", "DIGEST-MD5"})));
        EXPECT_EQ("<auth xmlns='" + kSasl + "' mechanism='DIGEST-MD5'/>", h->TakeSent());
        h->Receive("<challenge xmlns='" + kSasl + "'>" + Base64(challenge) + "</challenge>");
        std::string sent = h->TakeSent();
        return Unbase64(Between(sent, "<response xmlns='" + kSasl + "'>", "</response>"));
    }

    // The server's proof for the response the account sent.
    static std::string Rspauth(const std::string& response, const std::string& realm) {
        DigestChallenge fields;
        fields.Parse(response);
        SaslCredentials credentials;
        credentials.login = U("juliet");
        credentials.domain = U("capulet.example");
        credentials.password = U("r0m30myr0m30");
        return SaslDigestMd5::ComputeDigest(credentials, realm, kNonce, fields.Get("cnonce"), false);
    }

    // Expects the refused-login outcome: end tag, offline, string 79, no
    // reconnection.
    void ExpectRefused(const std::string& sent) {
        EXPECT_EQ(kStreamEnd, sent);
        EXPECT_EQ(Protocols::Offline, h->account->GetPresenceStatus());
        auto texts = h->Events(Protocols::AccountEvent::ShowText);
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ("Invalid account name or password", texts[0].text.ToUtf8());
        EXPECT_FALSE(h->account->IsReconnectPending());
    }

    // Expects the account online with the roster and disco requests out.
    void ExpectOnline(const std::string& sent) {
        EXPECT_EQ(Protocols::Online, h->account->GetPresenceStatus());
        EXPECT_NE(std::string::npos, WithoutIds(sent).find("<iq type='get' id='yol_N'><query xmlns='jabber:iq:roster'/></iq>"))
            << sent;
        EXPECT_NE(std::string::npos, WithoutIds(sent).find("<iq type='get' to='capulet.example' id='yol_N'><query "
                                                           "xmlns='http://jabber.org/protocol/disco#info'/></iq>"))
            << sent;
        bool online = false, timer = false;
        for (const AccountEventRecord& e : h->Events()) {
            online = online || (e.event == Protocols::AccountEvent::StatusChanged && e.status.status == Protocols::Online);
            timer = timer || e.event == Protocols::AccountEvent::SetTimer;
        }
        EXPECT_TRUE(online);
        EXPECT_TRUE(timer) << "the keep-alive timer starts with the session";
    }

    std::unique_ptr<XmppAccountHarness> h;
};

TEST_F(XmppLoginTest, OpensTheStreamWithTheHeader) {
    EXPECT_EQ(kClientHeader, Start());
    EXPECT_EQ(Protocols::Connecting, h->account->GetPresenceStatus());
}

TEST_F(XmppLoginTest, FeaturesChooseTheLogin) {
    const std::string plainAuth =
        "<auth xmlns='" + kSasl + "' mechanism='PLAIN'>anVsaWV0QGNhcHVsZXQuZXhhbXBsZQBqdWxpZXQAcjBtMzBteXIwbTMw</auth>";
    const std::string iqAuthGet =
        "<iq type='get' id='yol_N'><query xmlns='jabber:iq:auth'><username>juliet</username></query></iq>";
    struct Case {
        const char* name;
        std::string features;
        std::string sent;
    } cases[] = {
        {"DIGEST-MD5 before PLAIN", Mechanisms({"PLAIN", "DIGEST-MD5"}), "<auth xmlns='" + kSasl + "' mechanism='DIGEST-MD5'/>"},
        {"PLAIN alone", Mechanisms({"PLAIN"}), plainAuth},
        {"starttls does not stop the login", "<starttls xmlns='urn:ietf:params:xml:ns:xmpp-tls'/>" + Mechanisms({"PLAIN"}),
         plainAuth},
        {"compression listed but switched off", "<compression xmlns='http://jabber.org/features/compress'>"
                                                "<method>zlib</method></compression>" + Mechanisms({"PLAIN"}),
         plainAuth},
        {"unknown mechanisms, iq-auth offered", Mechanisms({"SCRAM-SHA-1"}) + kIqAuthFeature, iqAuthGet},
        {"unknown mechanisms only", Mechanisms({"SCRAM-SHA-1", "X-OAUTH2"}), kStreamEnd},
        {"no mechanisms at all", kIqAuthFeature + "<register xmlns='http://jabber.org/features/iq-register'/>", iqAuthGet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Start();
        h->Receive(Header() + Features(c.features));
        EXPECT_EQ(c.sent, WithoutIds(h->TakeSent()));
        EXPECT_EQ(Protocols::Connecting, h->account->GetPresenceStatus());
    }
}

TEST_F(XmppLoginTest, DigestMd5WithSessionGoesOnline) {
    Start();
    std::string response = FirstDigestRound("realm=\"capulet.example\",nonce=\"" + kNonce +
                                            "\",qop=\"auth\",charset=utf-8,algorithm=md5-sess");
    DigestChallenge fields;
    fields.Parse(response);
    EXPECT_EQ("juliet", fields.Get("username"));
    EXPECT_EQ("xmpp/capulet.example", fields.Get("digest-uri"));
    EXPECT_EQ(32u, fields.Get("cnonce").size());

    h->Receive("<challenge xmlns='" + kSasl + "'>" + Base64("rspauth=" + Rspauth(response, "capulet.example")) +
              "</challenge>");
    EXPECT_EQ("<response xmlns='" + kSasl + "'/>", h->TakeSent());
    h->Receive("<success xmlns='" + kSasl + "'/>");
    EXPECT_EQ(kClientHeader, h->TakeSent()) << "the stream restarts after the success";

    h->Receive(Header(true, "s2") + Features(kBindFeatures));
    std::string sent = h->TakeSent();
    EXPECT_EQ("<iq type='set' id='yol_N'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><resource>Yol</resource>"
              "</bind></iq>",
              WithoutIds(sent));
    Answer(sent, "result", "<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><jid>juliet@capulet.example/Yol</jid></bind>");
    sent = h->TakeSent();
    EXPECT_EQ("<iq type='set' id='yol_N'><session xmlns='urn:ietf:params:xml:ns:xmpp-session'/></iq>", WithoutIds(sent));
    EXPECT_EQ(Protocols::Connecting, h->account->GetPresenceStatus());
    EXPECT_EQ("juliet@capulet.example/Yol", h->account->GetOwnJid().ToUtf8());
    Answer(sent, "result");
    ExpectOnline(h->TakeSent());
}

TEST_F(XmppLoginTest, DigestMd5WithoutRealmComputesWithAnEmptyRealm) {
    Start();
    std::string response = FirstDigestRound("nonce=\"" + kNonce + "\",qop=\"auth\"");
    EXPECT_NE(std::string::npos, response.find("realm=\"\""));
    h->Receive("<challenge xmlns='" + kSasl + "'>" + Base64("rspauth=" + Rspauth(response, "")) + "</challenge>");
    EXPECT_EQ("<response xmlns='" + kSasl + "'/>", h->TakeSent());
}

TEST_F(XmppLoginTest, ServerWithoutTheRightProofIsRefused) {
    struct Case {
        const char* name;
        bool wrongChallenge;  // else: success without any proof
    } cases[] = {{"wrong rspauth", true}, {"success before any rspauth", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Start();
        FirstDigestRound("realm=\"capulet.example\",nonce=\"" + kNonce + "\"");
        if (c.wrongChallenge)
            h->Receive("<challenge xmlns='" + kSasl + "'>" + Base64("rspauth=0b73c82ab94b35db2d355617aca86673") +
                      "</challenge>");
        else
            h->Receive("<success xmlns='" + kSasl + "'/>");
        ExpectRefused(h->TakeSent());
    }
}

TEST_F(XmppLoginTest, RspauthMayArriveWithTheSuccess) {
    Start();
    std::string response = FirstDigestRound("realm=\"capulet.example\",nonce=\"" + kNonce + "\"");
    h->Receive("<success xmlns='" + kSasl + "'>" + Base64("rspauth=" + Rspauth(response, "capulet.example")) +
              "</success>");
    EXPECT_EQ(kClientHeader, h->TakeSent());
}

TEST_F(XmppLoginTest, PlainWithoutSessionGoesOnlineAtTheBindResult) {
    Start();
    h->Receive(Header() + Features(Mechanisms({"PLAIN"})));
    h->TakeSent();
    h->Receive("<success xmlns='" + kSasl + "'/>");
    EXPECT_EQ(kClientHeader, h->TakeSent());
    h->Receive(Header(true, "s2") + Features("<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/>"));
    Answer(h->TakeSent(), "result", "<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><jid>juliet@capulet.example/Yol</jid></bind>");
    ExpectOnline(h->TakeSent());
}

// A server that sends its new stream right behind the success (or the
// compressed answer), in the same read: the rest of the read belongs to the
// new stream.
TEST_F(XmppLoginTest, NewStreamArrivingWithTheElementThatEndsTheOldOneIsRead) {
    Start();
    h->Receive(Header() + Features(Mechanisms({"PLAIN"})));
    h->TakeSent();
    h->Receive("<success xmlns='" + kSasl + "'/>" + Header(true, "s2") +
               Features("<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/>"));
    std::string sent = h->TakeSent();
    EXPECT_EQ(kClientHeader + "<iq type='set' id='yol_N'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'>"
                              "<resource>Yol</resource></bind></iq>",
              WithoutIds(sent));
}

TEST_F(XmppLoginTest, HeaderWithoutVersionStartsIqAuthAtOnceWithTheDigest) {
    Start();
    h->Receive(Header(false));
    std::string sent = h->TakeSent();
    EXPECT_EQ("<iq type='get' id='yol_N'><query xmlns='jabber:iq:auth'><username>juliet</username></query></iq>",
              WithoutIds(sent));
    EXPECT_TRUE(h->account->IsLegacyOnly());
    Answer(sent, "result", "<query xmlns='jabber:iq:auth'><username/><digest/><password/><resource/></query>");
    sent = h->TakeSent();
    // SHA-1 of the stream id "s1" and the password.
    EXPECT_EQ("<iq type='set' id='yol_N'><query xmlns='jabber:iq:auth'><username>juliet</username>"
              "<digest>b369febf3c8517ab393e7b4f42ef5a56214712c8</digest><resource>Yol</resource></query></iq>",
              WithoutIds(sent));
    Answer(sent, "result");
    ExpectOnline(h->TakeSent());

    // The account stays with iq-auth: the next connection's header, even
    // one with a version, starts it again.
    h->SetStatus(Protocols::Offline);
    h->SetStatus(Protocols::Online);
    h->Connected();
    h->TakeSent();
    h->Receive(Header(true, "s3"));
    EXPECT_NE(std::string::npos, h->TakeSent().find("<query xmlns='jabber:iq:auth'><username>juliet</username>"));
}

TEST_F(XmppLoginTest, IqAuthSendsThePasswordWhenNoDigestCanBeMade) {
    struct Case {
        const char* name;
        std::string header;
        std::string fields;
        std::string login;
    } cases[] = {
        {"password only", Header(), "<username/><password/><resource/>",
         "<username>juliet</username><password>r0m30myr0m30</password><resource>Yol</resource>"},
        {"digest offered but no stream id", Header(true, ""), "<username/><digest/><password/>",
         "<username>juliet</username><password>r0m30myr0m30</password>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Start();
        h->Receive(c.header + Features(kIqAuthFeature));
        Answer(h->TakeSent(), "result", "<query xmlns='jabber:iq:auth'>" + c.fields + "</query>");
        std::string sent = h->TakeSent();
        EXPECT_EQ("<iq type='set' id='yol_N'><query xmlns='jabber:iq:auth'>" + c.login + "</query></iq>",
                  WithoutIds(sent));
        Answer(sent, "result");
        ExpectOnline(h->TakeSent());
    }
}

// The failure table: what is sent, whether the account goes offline and
// what the user is told.
TEST_F(XmppLoginTest, FailuresEndTheLoginAsTheTableSays) {
    enum Outcome { Refused, EndOnly };
    struct Case {
        const char* name;
        std::vector<std::string> script;  // server input; "answer:<type>:<inner>" answers the last iq
        Outcome outcome;
    } cases[] = {
        {"SASL failure", {Header() + Features(Mechanisms({"PLAIN"})), "<failure xmlns='" + kSasl + "'><not-authorized/></failure>"},
         Refused},
        {"iq-auth fields answered with an error", {Header() + Features(kIqAuthFeature), "answer:error:"}, Refused},
        {"iq-auth login answered with an error",
         {Header() + Features(kIqAuthFeature), "answer:result:<query xmlns='jabber:iq:auth'><password/></query>",
          "answer:error:<error code='401' type='auth'/>"},
         Refused},
        {"iq-auth fields list neither digest nor password",
         {Header() + Features(kIqAuthFeature), "answer:result:<query xmlns='jabber:iq:auth'><username/><sequence/></query>"},
         EndOnly},
        {"no usable mechanism", {Header() + Features(Mechanisms({"SCRAM-SHA-1"}))}, EndOnly},
        {"bind refused",
         {Header() + Features(Mechanisms({"PLAIN"})), "<success xmlns='" + kSasl + "'/>",
          Header(true, "s2") + Features(kBindFeatures),
          "answer:error:<error type='cancel'><not-allowed xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error>"},
         EndOnly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Start();
        std::string sent;
        for (const std::string& step : c.script) {
            if (step.rfind("answer:", 0) == 0) {
                size_t colon = step.find(':', 7);
                Answer(sent, step.substr(7, colon - 7), step.substr(colon + 1));
            } else {
                h->Receive(step);
            }
            sent = h->TakeSent();
        }
        if (c.outcome == Refused) {
            ExpectRefused(sent);
        } else {
            EXPECT_EQ(kStreamEnd, sent);
            EXPECT_EQ(Protocols::Connecting, h->account->GetPresenceStatus()) << "the server closes the socket later";
            EXPECT_TRUE(h->Events(Protocols::AccountEvent::ShowText).empty());
        }
    }
}

// Login elements a server sends out of turn, once the session is open: a
// second features list, a success and an authentication failure answer
// nothing the account asked, and leave it online.
TEST_F(XmppLoginTest, LoginElementsAfterTheLoginChangeNothing) {
    const std::string late[] = {
        Features(Mechanisms({"PLAIN"})),
        "<success xmlns='" + kSasl + "'/>",
        "<challenge xmlns='" + kSasl + "'/>",
        "<failure xmlns='" + kSasl + "'><not-authorized/></failure>",
    };
    for (const std::string& element : late) {
        SCOPED_TRACE(element);
        SetUp();
        LogIn();
        h->Receive(element);
        EXPECT_EQ("", h->TakeSent());
        EXPECT_EQ(Protocols::Online, h->account->GetPresenceStatus());
        EXPECT_TRUE(h->Events(Protocols::AccountEvent::ShowText).empty());
    }
}

TEST_F(XmppLoginTest, StreamErrorsAfterTheLogin) {
    struct Case {
        const char* name;
        std::string error;
        std::string shown;
        bool offline;
    } cases[] = {
        {"conflict: offline, no reconnection",
         "<conflict xmlns='urn:ietf:params:xml:ns:xmpp-streams'/><text>Replaced</text>", "conflict: \n", true},
        {"other: left to the server's close", "<system-shutdown xmlns='urn:ietf:params:xml:ns:xmpp-streams'/>"
                                              "<text>bye</text>",
         "system-shutdown: \ntext: bye\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        LogIn();
        h->Receive("<stream:error>" + c.error + "</stream:error>");
        std::string sent = h->TakeSent();
        auto texts = h->Events(Protocols::AccountEvent::ShowText);
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ(c.shown, texts[0].text.ToUtf8());
        EXPECT_EQ(c.offline ? Protocols::Offline : Protocols::Online, h->account->GetPresenceStatus());
        if (!c.offline) {
            EXPECT_EQ(kStreamEnd, sent);
        }
        EXPECT_FALSE(h->account->IsReconnectPending());
    }
}

TEST_F(XmppLoginTest, CompressionIsNegotiatedOnlyWhenOnAndZlibIsListed) {
    const std::string compress =
        "<compress xmlns='http://jabber.org/protocol/compress'><method>zlib</method></compress>";
    struct Case {
        const char* name;
        std::string methods;
        bool compressed;
    } cases[] = {
        {"zlib among others", "<method>lzw</method><method>zlib</method>", true},
        {"no zlib", "<method>lzw</method>", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        h->SetByte("Compression", 1);
        Start();
        h->Receive(Header() + Features("<compression xmlns='http://jabber.org/features/compress'>" + c.methods +
                                      "</compression>" + Mechanisms({"PLAIN"})));
        std::string sent = h->TakeSent();
        if (!c.compressed) {
            EXPECT_EQ(0u, sent.find("<auth xmlns='" + kSasl + "' mechanism='PLAIN'>"));
            continue;
        }
        EXPECT_EQ(compress, sent);
        h->Receive("<compressed xmlns='http://jabber.org/protocol/compress'/>");
        EXPECT_TRUE(h->account->IsCompressionActive());
        EXPECT_EQ(kClientHeader, Inflate(h->TakeSent())) << "the restarted stream's header goes out deflated";
    }
}

}  // namespace
