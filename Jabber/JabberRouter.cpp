// The stanza router: every top-level element of the stream comes here and
// goes to its handler; iqs go through the registry of request handlers and
// the table of answers the account waits for.

#include "CJabberAccount.h"
#include "CYolClock.h"
#include "JabberCaps.h"
#include "JabberPlugin.h"
#include "JabberStrings.h"

#include <climits>
#include <string_view>

namespace {

// What the account serves: each row with a handler registers it for the
// requests it names, and each row with a feature puts that feature into
// disco#info and caps. A feature is announced here or nowhere, so it is
// never announced without what answers it.
struct ServedRow {
    int feature;                                   // row of kJabberFeatures, -1: none to announce
    XmppIqResponder* CJabberAccount::Responders::*responder;  // null: served outside the iq registry
    int types;
    int fields;
    const char* xmlns;
    const char* element;
};

using R = CJabberAccount::Responders;
constexpr ServedRow kServed[] = {
    {FeatureDiscoInfo, &R::discoInfo, IqType::Get, IqField::From | IqField::To | IqField::Id | IqField::Query,
     JabberNs::DiscoInfo, "query"},
    {FeatureVersion, &R::version, IqType::Get, IqField::From | IqField::Id, JabberNs::Version, "query"},
    {FeaturePing, &R::ping, IqType::Get, IqField::From | IqField::Id, JabberNs::Ping, "ping"},
    {-1, &R::rosterPush, IqType::Set, IqField::From | IqField::Id | IqField::Query, JabberNs::Roster, "query"},
    // Receipts are asked for and given in message stanzas.
    {FeatureReceipts, nullptr, 0, 0, nullptr, nullptr},
};

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

int ParseIqId(const CYolString* id) {
    if (!id)
        return -1;
    static constexpr std::u16string_view prefix = u"yol_";
    int length = id->Length();
    const char16_t* text = id->c_str();
    if (length < static_cast<int>(prefix.size()) || std::u16string_view(text, prefix.size()) != prefix)
        return -1;
    long long value = 0;
    for (int i = static_cast<int>(prefix.size()); i < length && CYolString::IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - u'0');
        // Beyond any number we ever gave out: no pending entry can match.
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

int ParseIqId(const XmlNode& stanza) { return ParseIqId(stanza.GetAttr("id")); }

void CJabberAccount::RouteStanza(XmlNode* element, void* account) {
    if (element && account)
        static_cast<CJabberAccount*>(account)->Route(*element);
}

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

void CJabberAccount::Route(const XmlNode& element) {
    for (const StanzaRoute& route : kStanzaRoutes) {
        if (route.name == element.Name()) {
            if (route.handler)
                route.handler(*this, element);
            return;
        }
    }
}

void CJabberAccount::StanzaDroppedCallback(XmlNode* element, void* account) {
    if (element && account)
        static_cast<CJabberAccount*>(account)->OnStanzaDropped(*element);
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

int XmppPendingIqs::NextNumber() {
    if (counter == INT_MAX)
        counter = 0;
    return ++counter;
}

void XmppPendingIqs::Add(int id, int key, IqAnswer answer, const CYolString& to) {
    Entry entry{id, key, std::move(answer), to, CYolClock::Current().TickCount()};
    if (key != 0) {
        for (Entry& waiting : pending) {
            if (waiting.key == key) {
                waiting = std::move(entry);
                return;
            }
        }
    }
    pending.push_back(std::move(entry));
}

bool XmppPendingIqs::IsAddressedAnswer(const CYolString& to, const CYolString* from) const {
    if (!to.IsEmpty())
        return from && SameJid(*from, to);
    // A request without "to" went to our own server, which answers without
    // "from" or in the name of our own account or its domain.
    return !from || (isOwnAddress && isOwnAddress(*from));
}

IqAnswer XmppPendingIqs::Take(int id, const CYolString* from) {
    uint32_t now = CYolClock::Current().TickCount();
    std::erase_if(pending, [now](const Entry& entry) { return now - entry.time >= kPendingIqLifetimeMs; });
    if (id < 0)
        return nullptr;
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        if (it->id != id)
            continue;
        // Someone else answering in the addressee's place: not the answer,
        // which may still come.
        if (!IsAddressedAnswer(it->to, from))
            return nullptr;
        IqAnswer answer = std::move(it->answer);
        pending.erase(it);
        return answer;
    }
    return nullptr;
}

void XmppPendingIqs::Clear() {
    pending.clear();
    pending.shrink_to_fit();
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

uint64_t OwnFeatures() {
    uint64_t features = 0;
    for (const ServedRow& row : kServed)
        if (row.feature >= 0)
            features |= FeatureFlag(row.feature);
    return features;
}

void CJabberAccount::RegisterIqResponders() {
    if (workQueue.RegisteredCount() > 0)
        return;
    for (const ServedRow& row : kServed)
        if (row.responder)
            workQueue.Register(*(responders.*row.responder), row.types, row.fields, row.xmlns, row.element);
}

unsigned int CJabberAccount::KeepAlive(void* context) {
    auto* account = static_cast<CJabberAccount*>(context);
    if (!account || account->status < Protocols::Online)
        return 0;
    account->SendText(" ");
    return kKeepAliveMs;
}
