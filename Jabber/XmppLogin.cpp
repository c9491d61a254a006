#include "XmppLogin.h"

#include "JabberNamespaces.h"

#include <algorithm>

namespace {

// The longest own JID the bind answer may set, in UTF-16 units.
constexpr int kMaxOwnJid = 256;

bool HasAttr(const XmlNode& element, std::string_view name, std::string_view value) {
    const CYolString* attr = element.GetAttr(name);
    return attr && *attr == CYolString::FromUtf8(value);
}

bool IsType(const XmlNode& iq, std::string_view type) { return HasAttr(iq, "type", type); }
bool IsSasl(const XmlNode& element) { return HasAttr(element, "xmlns", JabberNs::Sasl); }

XmlNode SaslElement(std::string_view name, const std::string& text) {
    XmlNode element;
    element.InitWithText(name, text);
    element.SetAttrNarrow("xmlns", JabberNs::Sasl);
    return element;
}

}  // namespace

SaslCredentials XmppLogin::Credentials() const {
    const XmppAccountSettings& settings = owner.LoginSettings();
    SaslCredentials credentials;
    credentials.login = settings.userName;
    credentials.domain = settings.server;
    credentials.password = settings.password;
    credentials.passwordHashed = settings.passwordHashed != 0;
    std::copy(std::begin(settings.passwordHash), std::end(settings.passwordHash), credentials.passwordHash);
    return credentials;
}

void XmppLogin::Begin() {
    sasl.reset();
    sessionRequired = false;
    OpenStream();
}

void XmppLogin::OpenStream() {
    state = LoginState::StreamStart;
    XmlNode header("stream:stream");
    header.SetPrefix("<?xml version='1.0' encoding='UTF-8'?>");
    header.SetKeepOpen(true);
    header.SetAttr("to", owner.LoginSettings().server);
    header.SetAttrNarrow("xmlns", JabberNs::Client);
    header.SetAttrNarrow("xmlns:stream", JabberNs::Streams);
    header.SetAttrNarrow("xml:lang", "en");
    header.SetAttrNarrow("version", "1.0");
    sink.SendStanza(header);
}

void XmppLogin::Stop() {
    state = LoginState::Idle;
    sasl.reset();
}

void XmppLogin::OnStreamHeader(const XmlNode& element) {
    if (state != LoginState::StreamStart || element.Name() != "stream:stream")
        return;
    if (const CYolString* id = element.GetAttr("id"); id && !id->IsEmpty())
        streamId = id->ToUtf8();
    if (!element.GetAttr("version"))
        legacyOnly = true;
    // A server that once spoke without a version gets iq-auth at once, and
    // its features, if any come, would start a second login.
    if (legacyOnly)
        StartLegacyAuth();
    else
        state = LoginState::Features;
}

void XmppLogin::OnFeatures(const XmlNode& element) {
    if (state != LoginState::Features)
        return;
    const XmppAccountSettings& settings = owner.LoginSettings();
    bool mechanisms = false, digest = false, plain = false, legacyAuth = false, session = false;
    for (int i = 0; i < element.ChildCount(); ++i) {
        const XmlNode& child = element.ChildAt(i);
        const std::string& name = child.Name();
        if (name == "compression") {
            // Compression is switched on once per connection; the stream
            // after it must not start a second one.
            if (!settings.compression || owner.IsCompressionActive())
                continue;
            bool zlib = false;
            for (int m = 1; const XmlNode* method = child.GetNthChild("method", m); ++m)
                zlib = zlib || method->Text() == u"zlib";
            if (zlib && owner.StartCompression()) {
                XmlNode compress("compress");
                compress.SetAttrNarrow("xmlns", JabberNs::Compress);
                compress.AddTextChild("method", "zlib");
                state = LoginState::Compression;
                sink.SendStanza(compress);
                return;
            }
        } else if (name == "mechanisms") {
            mechanisms = true;
            for (int m = 1; const XmlNode* mechanism = child.GetNthChild("mechanism", m); ++m) {
                digest = digest || mechanism->Text() == u"DIGEST-MD5";
                plain = plain || mechanism->Text() == u"PLAIN";
            }
        } else if (name == "auth") {
            legacyAuth = true;
        } else if (name == "session") {
            session = true;
        }
    }

    if (mechanisms && digest)
        StartSasl(std::make_unique<SaslDigestMd5>(Credentials()));
    else if (mechanisms && plain)
        StartSasl(std::make_unique<SaslPlain>(Credentials()));
    else if (mechanisms && !legacyAuth)
        GiveUp();
    else if (!mechanisms && sasl && sasl->Completed())
        StartBind(session);
    else
        StartLegacyAuth();
}

void XmppLogin::StartSasl(std::unique_ptr<SaslMechanism> mechanism) {
    sasl = std::move(mechanism);
    state = LoginState::Sasl;
    XmlNode auth = SaslElement("auth", sasl->InitialResponse());
    auth.SetAttrNarrow("mechanism", sasl->Name());
    sink.SendStanza(auth);
}

void XmppLogin::OnCompressed(const XmlNode& element) {
    if (state != LoginState::Compression || !HasAttr(element, "xmlns", JabberNs::Compress))
        return;
    owner.ActivateCompression();
    owner.ResetStream();
    OpenStream();
}

void XmppLogin::OnSaslChallenge(const XmlNode& element) {
    if (state != LoginState::Sasl || !IsSasl(element))
        return;
    std::string response;
    if (!sasl->ChallengeResponse(element.Text(), response)) {
        Refuse();
        return;
    }
    sink.SendStanza(SaslElement("response", response));
}

void XmppLogin::OnSaslSuccess(const XmlNode& element) {
    if (state != LoginState::Sasl || !IsSasl(element))
        return;
    // A DIGEST-MD5 server that never proved it knows the password is not
    // the server the account trusts with its session.
    if (!sasl->AcceptSuccess(element.Text())) {
        Refuse();
        return;
    }
    owner.ResetStream();
    OpenStream();
}

// A server may refuse before it has read any "auth" of ours, as well as in
// answer to one; once the login is past authentication a "failure" answers
// nothing of ours.
void XmppLogin::OnSaslFailure(const XmlNode& element) {
    if ((state != LoginState::Features && state != LoginState::Sasl) || !IsSasl(element))
        return;
    Refuse();
}

void XmppLogin::StartLegacyAuth() {
    state = LoginState::LegacyAuth;
    XmlNode iq = MakeIq("get", -1, CYolString());
    iq.AddQuery(JabberNs::IqAuth).AddWideTextChild("username", owner.LoginSettings().userName);
    sink.SendIq(iq, [this](const XmlNode& answer) { OnLegacyAuthFields(answer); });
}

void XmppLogin::OnLegacyAuthFields(const XmlNode& iq) {
    if (state != LoginState::LegacyAuth)
        return;
    if (IsType(iq, "error")) {
        Refuse();
        return;
    }
    if (!IsType(iq, "result"))
        return;
    const XmppAccountSettings& settings = owner.LoginSettings();
    const XmlNode* fields = iq.GetChild("query");
    bool digest = XmlNode::GetChild(fields, "digest") && !streamId.empty();
    bool password = XmlNode::GetChild(fields, "password") != nullptr;
    if (!digest && !password) {
        GiveUp();
        return;
    }
    XmlNode set = MakeIq("set", -1, CYolString());
    XmlNode& query = set.AddQuery(JabberNs::IqAuth);
    query.AddWideTextChild("username", settings.userName);
    if (digest)
        query.AddTextChild("digest", LegacyDigest(streamId + settings.password.ToUtf8()));
    else
        query.AddWideTextChild("password", settings.password);
    if (XmlNode::GetChild(fields, "resource"))
        query.AddWideTextChild("resource", settings.resource);
    sink.SendIq(set, [this](const XmlNode& answer) { OnLegacyAuthResult(answer); });
}

void XmppLogin::OnLegacyAuthResult(const XmlNode& iq) {
    if (state != LoginState::LegacyAuth)
        return;
    if (IsType(iq, "result"))
        Establish();
    else if (IsType(iq, "error"))
        Refuse();
}

void XmppLogin::StartBind(bool session) {
    sessionRequired = session;
    state = LoginState::Bind;
    XmlNode iq = MakeIq("set", -1, CYolString());
    iq.AddNsChild("bind", CYolString::FromUtf8(JabberNs::Bind))
        .AddWideTextChild("resource", owner.LoginSettings().resource);
    sink.SendIq(iq, [this](const XmlNode& answer) { OnBindResult(answer); });
}

void XmppLogin::OnBindResult(const XmlNode& iq) {
    if (state != LoginState::Bind)
        return;
    if (const XmlNode* bind = iq.GetChild("bind")) {
        const XmlNode* jid = bind->GetChild("jid");
        if (jid && !jid->Text().IsEmpty() && jid->Text() != boundJid)
            boundJid = jid->Text().Length() > kMaxOwnJid ? jid->Text().Substring(0, kMaxOwnJid) : jid->Text();
        if (!sessionRequired) {
            Establish();
            return;
        }
        state = LoginState::Session;
        XmlNode session = MakeIq("set", -1, CYolString());
        session.AddNsChild("session", CYolString::FromUtf8(JabberNs::Session));
        sink.SendIq(session, [this](const XmlNode& answer) { OnSessionResult(answer); });
    } else if (iq.GetChild("error")) {
        GiveUp();
    }
}

void XmppLogin::OnSessionResult(const XmlNode& iq) {
    if (state == LoginState::Session && IsType(iq, "result"))
        Establish();
}

void XmppLogin::Establish() {
    state = LoginState::Established;
    owner.LoginEstablished();
}

void XmppLogin::GiveUp() {
    state = LoginState::Idle;
    owner.EndStream();
}

// The owner's disconnect stops the login in turn: nothing may follow here.
void XmppLogin::Refuse() {
    state = LoginState::Idle;
    owner.EndStream();
    owner.LoginRefused();
}
