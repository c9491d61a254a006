// The login as a state machine, driven without an account: every login
// element offered in every state, the iq answers of the login arriving late
// or twice, and the paths from the first header to the session.

#include "RecordingStanzaSink.h"
#include "XmlStreamParser.h"
#include "XmppLogin.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <string_view>
#include <vector>

using namespace XmppTest;

namespace {

const std::string kSasl = "urn:ietf:params:xml:ns:xmpp-sasl";
const std::string kHeader =
    "<?xml version='1.0' encoding='UTF-8'?><stream:stream to='capulet.example' xmlns='jabber:client' "
    "xmlns:stream='http://etherx.jabber.org/streams' xml:lang='en' version='1.0'>";
const std::string kIqAuthGet =
    "<iq type='get' id='yol_N'><query xmlns='jabber:iq:auth'><username>juliet</username></query></iq>";

// The first element inside a stream holding `xml`.
XmlNode Parse(std::string_view xml) {
    XmlNode out;
    XmlStreamParser parser;
    parser.SetCallback(
        2, XmlStreamParser::End,
        [](XmlNode* element, void* context) {
            auto* target = static_cast<XmlNode*>(context);
            if (target->Name().empty())
                *target = std::move(*element);
        },
        &out);
    std::string stream = "<s>" + std::string(xml);
    parser.Feed(stream);
    EXPECT_FALSE(out.Name().empty()) << xml;
    return out;
}

XmlNode ServerHeader(bool version) {
    XmlNode header("stream:stream");
    header.SetAttrNarrow("id", "s1");
    if (version)
        header.SetAttrNarrow("version", "1.0");
    return header;
}

class LoginOwner final : public MXmppLoginOwner {
public:
    const XmppAccountSettings& LoginSettings() const override { return settings; }
    bool StartCompression() override {
        Note("compression-start");
        return true;
    }
    void ActivateCompression() override {
        compressed = true;
        Note("compression-on");
    }
    bool IsCompressionActive() const override { return compressed; }
    void ResetStream() override { Note("reset"); }
    void EndStream() override { Note("end"); }
    // As the account does: its disconnect stops the login.
    void LoginRefused() override {
        Note("refused");
        login->Stop();
    }
    void LoginEstablished() override { Note("established"); }

    void Note(const char* call) { calls += calls.empty() ? call : std::string(",") + call; }

    XmppAccountSettings settings;
    XmppLogin* login = nullptr;
    bool compressed = false;
    std::string calls;
};

// A login on a recording sink, with an owner that records what it is asked.
class LoginRig {
public:
    LoginRig() {
        owner.settings.userName = CYolString::FromUtf8("juliet");
        owner.settings.server = CYolString::FromUtf8("capulet.example");
        owner.settings.password = CYolString::FromUtf8("r0m30myr0m30");
        owner.settings.resource = CYolString::FromUtf8("Yol");
        owner.login = &login;
    }

    void Features(const std::string& inner) { login.OnFeatures(Parse("<stream:features>" + inner + "</stream:features>")); }
    void Plain() { Features("<mechanisms xmlns='" + kSasl + "'><mechanism>PLAIN</mechanism></mechanisms>"); }
    // Answers the newest waiting request of the login with an iq of `type`.
    void Answer(const std::string& type, const std::string& inner = "") {
        EXPECT_TRUE(sink.Answer(sink.LastWaiting(), Parse("<iq type='" + type + "'>" + inner + "</iq>")));
    }

    // Brings a fresh login to `state` along the shortest PLAIN path.
    // What went out on the way is dropped.
    void DriveTo(LoginState state) {
        if (state != LoginState::Idle)
            login.Begin();
        if (state != LoginState::Idle && state != LoginState::StreamStart)
            login.OnStreamHeader(ServerHeader(true));
        switch (state) {
        case LoginState::Compression:
            owner.settings.compression = true;
            Features("<compression xmlns='http://jabber.org/features/compress'><method>zlib</method></compression>");
            break;
        case LoginState::Sasl:
            Plain();
            break;
        case LoginState::LegacyAuth:
            Features("<auth xmlns='http://jabber.org/features/iq-auth'/>");
            break;
        case LoginState::Bind:
        case LoginState::Session:
        case LoginState::Established:
            Plain();
            login.OnSaslSuccess(Parse("<success xmlns='" + kSasl + "'/>"));
            login.OnStreamHeader(ServerHeader(true));
            Features("<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/><session xmlns='urn:ietf:params:xml:ns:xmpp-session'/>");
            if (state != LoginState::Bind)
                Answer("result", "<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><jid>juliet@capulet.example/Yol</jid></bind>");
            if (state == LoginState::Established)
                Answer("result");
            break;
        default:
            break;
        }
        EXPECT_EQ(login.State(), state);
        sink.Take();
        owner.calls.clear();
    }

    std::string Sent() {
        std::string out;
        for (const std::string& stanza : sink.Take())
            out += WithoutIds(stanza);
        return out;
    }

    RecordingStanzaSink sink;
    LoginOwner owner;
    XmppLogin login{sink, owner};
};

// Each login element in each state: the few pairs below act, every other
// pair is dropped without a trace (no state change, nothing sent, nothing
// asked of the owner).
TEST(XmppLoginStates, EachElementActsOnlyInTheStateThatWaitsForIt) {
    enum Element { Header, HeaderWithoutVersion, FeaturesPlain, Compressed, Challenge, Success, Failure, ElementCount };
    const char* names[] = {"header", "header without version", "features", "compressed", "challenge", "success",
                           "failure"};
    auto offer = [](LoginRig& r, Element element) {
        switch (element) {
        case Header: r.login.OnStreamHeader(ServerHeader(true)); break;
        case HeaderWithoutVersion: r.login.OnStreamHeader(ServerHeader(false)); break;
        case FeaturesPlain: r.Plain(); break;
        case Compressed: r.login.OnCompressed(Parse("<compressed xmlns='http://jabber.org/protocol/compress'/>")); break;
        case Challenge: r.login.OnSaslChallenge(Parse("<challenge xmlns='" + kSasl + "'/>")); break;
        case Success: r.login.OnSaslSuccess(Parse("<success xmlns='" + kSasl + "'/>")); break;
        case Failure: r.login.OnSaslFailure(Parse("<failure xmlns='" + kSasl + "'><not-authorized/></failure>")); break;
        default: break;
        }
    };
    struct Acts {
        LoginState state;
        Element element;
        LoginState next;
        std::string sent;
        std::string calls;
    };
    const std::vector<Acts> acting = {
        {LoginState::StreamStart, Header, LoginState::Features, "", ""},
        {LoginState::StreamStart, HeaderWithoutVersion, LoginState::LegacyAuth, kIqAuthGet, ""},
        {LoginState::Features, FeaturesPlain, LoginState::Sasl,
         "<auth xmlns='" + kSasl + "' mechanism='PLAIN'>anVsaWV0QGNhcHVsZXQuZXhhbXBsZQBqdWxpZXQAcjBtMzBteXIwbTMw</auth>",
         ""},
        {LoginState::Features, Failure, LoginState::Idle, "", "end,refused"},
        {LoginState::Compression, Compressed, LoginState::StreamStart, kHeader, "compression-on,reset"},
        {LoginState::Sasl, Challenge, LoginState::Sasl, "<response xmlns='" + kSasl + "'/>", ""},
        {LoginState::Sasl, Success, LoginState::StreamStart, kHeader, "reset"},
        {LoginState::Sasl, Failure, LoginState::Idle, "", "end,refused"},
    };
    for (LoginState state : {LoginState::Idle, LoginState::StreamStart, LoginState::Features, LoginState::Compression,
                             LoginState::Sasl, LoginState::LegacyAuth, LoginState::Bind, LoginState::Session,
                             LoginState::Established}) {
        for (int e = 0; e < ElementCount; ++e) {
            SCOPED_TRACE(std::string(names[e]) + " in state " + std::to_string(static_cast<int>(state)));
            LoginRig r;
            r.DriveTo(state);
            offer(r, static_cast<Element>(e));
            Acts expected{state, static_cast<Element>(e), state, "", ""};
            for (const Acts& row : acting)
                if (row.state == state && row.element == e)
                    expected = row;
            EXPECT_EQ(r.login.State(), expected.next);
            EXPECT_EQ(r.Sent(), expected.sent);
            EXPECT_EQ(r.owner.calls, expected.calls);
        }
    }
}

TEST(XmppLoginStates, SaslElementsOfAnotherNamespaceAreDropped) {
    LoginRig r;
    r.DriveTo(LoginState::Sasl);
    r.login.OnSaslChallenge(Parse("<challenge xmlns='urn:other'/>"));
    r.login.OnSaslSuccess(Parse("<success xmlns='urn:other'/>"));
    r.login.OnSaslFailure(Parse("<failure xmlns='urn:ietf:params:xml:ns:xmpp-tls'/>"));
    EXPECT_EQ(r.login.State(), LoginState::Sasl);
    EXPECT_EQ(r.Sent(), "");
    EXPECT_EQ(r.owner.calls, "");
}

// The answers of the login's own requests, as they come: in time, twice, or
// after the login they belong to was stopped and a new one began.
TEST(XmppLoginStates, AnswersCountOnlyForTheRequestTheStateWaitsFor) {
    LoginRig r;
    const std::string bind =
        "<bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><jid>juliet@capulet.example/Yol</jid></bind>";

    r.DriveTo(LoginState::Bind);
    IqAnswer bindAnswer = r.sink.answers.at(r.sink.LastWaiting()).answer;
    r.Answer("result", bind);
    EXPECT_EQ(r.login.State(), LoginState::Session);
    EXPECT_EQ(r.login.BoundJid().ToUtf8(), "juliet@capulet.example/Yol");
    EXPECT_EQ(r.Sent(), "<iq type='set' id='yol_N'><session xmlns='urn:ietf:params:xml:ns:xmpp-session'/></iq>");

    // The bind answer again, now that the session request waits.
    bindAnswer(Parse("<iq type='result'>" + bind + "</iq>"));
    EXPECT_EQ(r.login.State(), LoginState::Session);
    EXPECT_EQ(r.Sent(), "");

    IqAnswer sessionAnswer = r.sink.answers.at(r.sink.LastWaiting()).answer;
    r.Answer("error");
    EXPECT_EQ(r.login.State(), LoginState::Session) << "a refused session leaves the login waiting";
    sessionAnswer(Parse("<iq type='result'/>"));
    EXPECT_EQ(r.login.State(), LoginState::Established);
    EXPECT_EQ(r.owner.calls, "established");
    sessionAnswer(Parse("<iq type='result'/>"));
    EXPECT_EQ(r.owner.calls, "established") << "the session is established once";

    // A new connection: the old connection's answers count for nothing.
    r.login.Stop();
    r.login.Begin();
    r.login.OnStreamHeader(ServerHeader(true));
    bindAnswer(Parse("<iq type='result'>" + bind + "</iq>"));
    sessionAnswer(Parse("<iq type='result'/>"));
    EXPECT_EQ(r.login.State(), LoginState::Features);
    EXPECT_EQ(r.owner.calls, "established");
}

TEST(XmppLoginStates, LegacyAnswersAfterTheLoginWasRefusedAreDropped) {
    LoginRig r;
    r.DriveTo(LoginState::LegacyAuth);
    IqAnswer fields = r.sink.answers.at(r.sink.LastWaiting()).answer;
    r.Answer("error");
    EXPECT_EQ(r.owner.calls, "end,refused");
    EXPECT_EQ(r.login.State(), LoginState::Idle);
    fields(Parse("<iq type='result'><query xmlns='jabber:iq:auth'><password/></query></iq>"));
    EXPECT_EQ(r.Sent(), "");
    EXPECT_EQ(r.owner.calls, "end,refused");
}

TEST(XmppLoginStates, CompressedStreamOffersCompressionAgainButIsNotAskedTwice) {
    LoginRig r;
    r.DriveTo(LoginState::Compression);
    r.login.OnCompressed(Parse("<compressed xmlns='http://jabber.org/protocol/compress'/>"));
    r.sink.Take();
    r.login.OnStreamHeader(ServerHeader(true));
    r.Features("<compression xmlns='http://jabber.org/features/compress'><method>zlib</method></compression>"
             "<mechanisms xmlns='" + kSasl + "'><mechanism>PLAIN</mechanism></mechanisms>");
    EXPECT_EQ(r.login.State(), LoginState::Sasl);
    EXPECT_EQ(r.Sent().find("<auth "), 0u);
}

TEST(XmppLoginStates, LegacyOnlyOutlivesTheConnectionAndTheStreamIdFeedsTheDigest) {
    LoginRig r;
    r.DriveTo(LoginState::StreamStart);
    r.login.OnStreamHeader(ServerHeader(false));
    r.Answer("result", "<query xmlns='jabber:iq:auth'><digest/></query>");
    EXPECT_EQ(r.Sent(), kIqAuthGet +
                          "<iq type='set' id='yol_N'><query xmlns='jabber:iq:auth'><username>juliet</username>"
                          "<digest>b369febf3c8517ab393e7b4f42ef5a56214712c8</digest></query></iq>");
    r.login.Stop();
    r.login.Begin();
    r.sink.Take();
    r.login.OnStreamHeader(ServerHeader(true));
    EXPECT_EQ(r.login.State(), LoginState::LegacyAuth);
    EXPECT_EQ(r.Sent(), kIqAuthGet);
    r.Plain();
    EXPECT_EQ(r.Sent(), "") << "features would start a second login";
}

}  // namespace
