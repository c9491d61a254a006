// The login: opening the stream, reading the server's features, stream
// compression, SASL (DIGEST-MD5 before PLAIN) or the older jabber:iq:auth
// exchange, resource binding and the session, up to the moment the account
// is online.

#include "CJabberAccount.h"

#include "JabberPlugin.h"
#include "JabberStrings.h"

#include <algorithm>

namespace {

// The longest own JID the bind answer may set, in UTF-16 units.
constexpr int kMaxOwnJid = 256;

bool HasAttr(const XmlNode& element, std::string_view name, std::string_view value) {
    const CYolString* attr = element.GetAttr(name);
    return attr && *attr == CYolString::FromUtf8(value);
}

bool IsType(const XmlNode& iq, std::string_view type) { return HasAttr(iq, "type", type); }

XmlNode SaslElement(std::string_view name, const std::string& text) {
    XmlNode element;
    element.InitWithText(name, text);
    element.SetAttrNarrow("xmlns", JabberNs::Sasl);
    return element;
}

}  // namespace

SaslCredentials CJabberAccount::Credentials() const {
    SaslCredentials credentials;
    credentials.login = settings.userName;
    credentials.domain = settings.server;
    credentials.password = settings.password;
    credentials.passwordHashed = settings.passwordHashed != 0;
    std::copy(std::begin(settings.passwordHash), std::end(settings.passwordHash), credentials.passwordHash);
    return credentials;
}

void CJabberAccount::OpenStream() {
    // Whatever the old stream left in the parser belongs to it; a new
    // stream starts from a clean parser either way.
    restartStream = false;
    parser.Reset();
    parser.SetCallback(1, XmlStreamParser::Start, &CJabberAccount::StreamHeaderCallback, this);
    parser.SetCallback(2, XmlStreamParser::End, &CJabberAccount::RouteStanza, this);
    parser.SetDroppedCallback(&CJabberAccount::StanzaDroppedCallback, this);

    XmlNode header("stream:stream");
    header.SetPrefix("<?xml version='1.0' encoding='UTF-8'?>");
    header.SetKeepOpen(true);
    header.SetAttr("to", settings.server);
    header.SetAttrNarrow("xmlns", JabberNs::Client);
    header.SetAttrNarrow("xmlns:stream", JabberNs::Streams);
    header.SetAttrNarrow("xml:lang", "en");
    header.SetAttrNarrow("version", "1.0");
    SendStanza(header);
}

void CJabberAccount::StreamHeaderCallback(XmlNode* element, void* account) {
    if (element && account)
        static_cast<CJabberAccount*>(account)->OnStreamHeader(*element);
}

void CJabberAccount::OnStreamHeader(const XmlNode& element) {
    if (element.Name() != "stream:stream")
        return;
    if (const CYolString* id = element.GetAttr("id"); id && !id->IsEmpty())
        streamId = id->ToUtf8();
    if (!element.GetAttr("version"))
        legacyOnly = true;
    if (legacyOnly)
        StartLegacyAuth();
}

void CJabberAccount::OnFeatures(const XmlNode& element) {
    // A server that spoke without a version has had its iq-auth request
    // already; features would start a second login.
    if (legacyOnly)
        return;
    bool mechanisms = false, digest = false, plain = false, legacyAuth = false, session = false;
    for (int i = 0; i < element.ChildCount(); ++i) {
        const XmlNode& child = element.ChildAt(i);
        const std::string& name = child.Name();
        if (name == "compression") {
            // Compression is switched on once per connection; the stream
            // after it must not start a second one.
            if (!settings.compression || IsCompressionActive())
                continue;
            bool zlib = false;
            for (int m = 1; const XmlNode* method = child.GetNthChild("method", m); ++m)
                zlib = zlib || method->Text() == u"zlib";
            if (zlib && InitCompression()) {
                XmlNode compress("compress");
                compress.SetAttrNarrow("xmlns", JabberNs::Compress);
                compress.AddTextChild("method", "zlib");
                SendStanza(compress);
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

    if (mechanisms) {
        if (digest)
            sasl = std::make_unique<SaslDigestMd5>(Credentials());
        else if (plain)
            sasl = std::make_unique<SaslPlain>(Credentials());
        else
            sasl.reset();
        if (sasl) {
            XmlNode auth = SaslElement("auth", sasl->InitialResponse());
            auth.SetAttrNarrow("mechanism", sasl->Name());
            SendStanza(auth);
        } else if (legacyAuth) {
            StartLegacyAuth();
        } else {
            SendText("</stream:stream>");
        }
    } else if (sasl && sasl->Completed()) {
        sessionRequired = session;
        XmlNode iq = MakeIq("set", -1, CYolString());
        iq.AddNsChild("bind", CYolString::FromUtf8(JabberNs::Bind)).AddWideTextChild("resource", settings.resource);
        SendIq(iq, [this](const XmlNode& answer) { OnBindResult(answer); });
    } else {
        StartLegacyAuth();
    }
}

void CJabberAccount::OnSaslChallenge(const XmlNode& element) {
    if (!sasl || !HasAttr(element, "xmlns", JabberNs::Sasl))
        return;
    std::string response;
    if (!sasl->ChallengeResponse(element.Text(), response)) {
        FailAuthentication();
        return;
    }
    SendStanza(SaslElement("response", response));
}

void CJabberAccount::OnSaslSuccess(const XmlNode& element) {
    if (!sasl || !HasAttr(element, "xmlns", JabberNs::Sasl))
        return;
    // A DIGEST-MD5 server that never proved it knows the password is not
    // the server the account trusts with its session.
    if (!sasl->AcceptSuccess(element.Text())) {
        FailAuthentication();
        return;
    }
    restartStream = true;
}

void CJabberAccount::FailAuthentication() {
    SendText("</stream:stream>");
    Disconnect();
    ShowText(JabberPlugin::UiString(JabberStrInvalidLogin));
}

void CJabberAccount::StartLegacyAuth() {
    XmlNode iq = MakeIq("get", -1, CYolString());
    iq.AddQuery(JabberNs::IqAuth).AddWideTextChild("username", settings.userName);
    SendIq(iq, [this](const XmlNode& answer) { OnLegacyAuthFields(answer); });
}

void CJabberAccount::OnLegacyAuthFields(const XmlNode& iq) {
    if (IsType(iq, "error")) {
        FailAuthentication();
        return;
    }
    if (!IsType(iq, "result"))
        return;
    const XmlNode* fields = iq.GetChild("query");
    bool digest = XmlNode::GetChild(fields, "digest") && !streamId.empty();
    bool password = XmlNode::GetChild(fields, "password") != nullptr;
    if (!digest && !password) {
        SendText("</stream:stream>");
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
    SendIq(set, [this](const XmlNode& answer) { OnLegacyAuthResult(answer); });
}

void CJabberAccount::OnLegacyAuthResult(const XmlNode& iq) {
    if (IsType(iq, "result"))
        OnSessionEstablished();
    else if (IsType(iq, "error"))
        FailAuthentication();
}

void CJabberAccount::OnBindResult(const XmlNode& iq) {
    if (const XmlNode* bind = iq.GetChild("bind")) {
        const XmlNode* jid = bind->GetChild("jid");
        if (jid && !jid->Text().IsEmpty() && jid->Text() != ownJid)
            ownJid = jid->Text().Length() > kMaxOwnJid ? jid->Text().Substring(0, kMaxOwnJid) : jid->Text();
        if (sessionRequired) {
            XmlNode session = MakeIq("set", -1, CYolString());
            session.AddNsChild("session", CYolString::FromUtf8(JabberNs::Session));
            SendIq(session, [this](const XmlNode& answer) { OnSessionResult(answer); });
        } else {
            OnSessionEstablished();
        }
    } else if (iq.GetChild("error")) {
        SendText("</stream:stream>");
    }
}

void CJabberAccount::OnSessionResult(const XmlNode& iq) {
    if (IsType(iq, "result"))
        OnSessionEstablished();
}

void CJabberAccount::OnSessionEstablished() {
    status = wantedStatus;
    ReportStatus(status);
    if (settings.keepAlive)
        StartTimer(kKeepAliveMs, &CJabberAccount::KeepAlive, this);

    XmlNode roster = MakeIq("get", -1, CYolString());
    roster.AddQuery(JabberNs::Roster);
    SendIq(roster, [this](const XmlNode& answer) { OnRosterResult(answer); });

    // The server's own features; nothing of the answer is used.
    XmlNode disco = MakeIq("get", -1, settings.server);
    disco.AddQuery(JabberNs::DiscoInfo);
    SendIq(disco, nullptr);
}
