// The stanza router: every top-level element of the stream comes here and
// goes to its handler; iqs go through the registry of request handlers and
// the table of answers the account waits for.

#include "CJabberAccount.h"
#include "JabberPlugin.h"
#include "JabberStrings.h"

#include <string_view>

namespace {

int IqTypeOf(const CYolString* type) {
    if (!type)
        return 0;
    if (*type == u"get")
        return IqType::Get;
    if (*type == u"set")
        return IqType::Set;
    return 0;
}

}  // namespace

// First match wins. "proceed" answers a starttls we never ask for: the
// secure socket is chosen before connecting.
const CJabberAccount::StanzaRoute CJabberAccount::kStanzaRoutes[] = {
    {"proceed", nullptr},
    {"compressed", [](CJabberAccount& a, const XmlNode& e) { a.login.OnCompressed(e); }},
    {"stream:features", [](CJabberAccount& a, const XmlNode& e) { a.login.OnFeatures(e); }},
    {"success", [](CJabberAccount& a, const XmlNode& e) { a.login.OnSaslSuccess(e); }},
    {"failure", [](CJabberAccount& a, const XmlNode& e) { a.login.OnSaslFailure(e); }},
    {"stream:error", [](CJabberAccount& a, const XmlNode& e) { a.OnStreamError(e); }},
    {"challenge", [](CJabberAccount& a, const XmlNode& e) { a.login.OnSaslChallenge(e); }},
    {"message", [](CJabberAccount& a, const XmlNode& e) { a.OnMessage(e); }},
    {"presence", [](CJabberAccount& a, const XmlNode& e) { a.OnPresence(e); }},
    {"iq", [](CJabberAccount& a, const XmlNode& e) { a.DispatchIq(e); }},
};

void CJabberAccount::OnStanza(const XmlNode& element) {
    for (const StanzaRoute& route : kStanzaRoutes) {
        if (route.name == element.Name()) {
            if (route.handler)
                route.handler(*this, element);
            return;
        }
    }
}

// Only messages are told of: they are what a contact can make that large,
// and what the user would otherwise miss without a trace. A stanza whose
// start tag alone was too large has no name left to go by.
void CJabberAccount::OnStanzaDropped(const XmlNode& element) {
    if (!element.Name().empty() && element.Name() != "message")
        return;
    const CYolString* from = element.GetAttr("from");
    if (!from || from->IsEmpty()) {
        ShowText(JabberPlugin::UiString(JabberStrUnknownMessageTooLarge));
        return;
    }
    CYolFormatString text(JabberPlugin::UiString(JabberStrMessageTooLarge));
    text.AddParam(CYolString(u"contact"), BareJidCopy(*from));
    ShowText(text.GetLocalized());
}

void CJabberAccount::DispatchIq(const XmlNode& iq) {
    const CYolString* typeText = iq.GetAttr("type");
    if (iq.Name() != "iq" || !typeText)
        return;
    int number = ParseIqId(iq);
    int type = IqTypeOf(typeText);
    if (type != 0 && workQueue.Offer(iq, type))
        return;
    if (*typeText == u"result" || *typeText == u"error") {
        if (IqAnswer answer = pendingIqs.Take(number, iq.GetAttr("from")))
            answer(iq);
        return;
    }
    if (type == 0)
        return;
    XmlNode reply = MakeIqReply("error", iq.GetAttr("id"), iq.GetAttr("from"));
    XmlNode& error = reply.AddChild("error");
    error.SetAttrNarrow("type", "cancel");
    error.AddNsChild("service-unavailable", CYolString::FromUtf8(JabberNs::Stanzas));
    SendStanza(reply);
}

bool CJabberAccount::IsOwnAddress(const CYolString& from) const {
    if (SameJid(from, GetOwnBareJid()) || SameJid(from, settings.server))
        return true;
    const CYolString& bound = login.BoundJid();
    return !bound.IsEmpty() && (SameJid(from, bound) || SameJid(from, BareJidCopy(bound)));
}

int CJabberAccount::SendIq(XmlNode& iq, IqAnswer answer, int key) {
    int number = pendingIqs.NextNumber();
    iq.SetId(number);
    if (answer) {
        const CYolString* to = iq.GetAttr("to");
        pendingIqs.Add(number, key, std::move(answer), to ? *to : CYolString());
    }
    SendStanza(iq);
    return number;
}

unsigned int CJabberAccount::KeepAlive(void* context) {
    auto* account = static_cast<CJabberAccount*>(context);
    if (!account || account->status < Protocols::Online)
        return 0;
    account->SendText(" ");
    return kKeepAliveMs;
}
