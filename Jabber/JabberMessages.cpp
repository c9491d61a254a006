// Incoming message stanzas: what a message is, the automatic answers it
// asks for, and the text the user sees.

#include "JabberCaps.h"
#include "JabberNamespaces.h"
#include "XmlWriter.h"
#include "XmppCapabilities.h"
#include "XmppMessages.h"

namespace {

// The number of one of our own stanza ids: "yol_" and nothing but decimal
// digits. Anything else names no message of ours.
std::optional<unsigned int> OwnStanzaNumber(const CYolString& id) {
    static const CYolString prefix = CYolString::FromUtf8(kIqIdPrefix);
    if (id.Length() <= prefix.Length() || id.Length() > prefix.Length() + 10 ||
        id.Substring(0, prefix.Length()) != prefix)
        return std::nullopt;
    uint64_t value = 0;
    for (int i = prefix.Length(); i < id.Length(); ++i) {
        const char16_t c = id.At(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<unsigned int>(value);
}

const CYolString kCrLf(u"\r\n");

// Only a service (an address without "@") may speak for others: a user
// could name anyone.
bool IsService(const CYolString& jid) { return jid.Find(0, CYolString(u"@")) < 0; }

}  // namespace

// What reading one message has found so far.
struct XmppMessages::Reading {
    const MessageStanza& stanza;
    CYolString sender;
    ContactRecord* entry;
    std::optional<CYolString> text;
    bool invitation = false;
    bool answeredDelivered = false;
};

void XmppMessages::OnMessage(const MessageStanza& stanza) {
    const StanzaHead& head = stanza.Head();
    if (!stanza.IsMessage() || !head.HasFrom())
        return;
    const CYolString from = *head.from;
    if (AnswerAccountNotice(stanza, from) || stanza.IsError())
        return;
    // In-band data belongs to a transfer; none runs in this account, so the
    // block is not ours to take.
    if (stanza.Part(MessagePart::InBandData) || stanza.Part(MessagePart::PubsubEvent))
        return;

    std::optional<CYolString> text = BodyText(stanza);
    const CYolString sender = RedirectedSender(stanza, from, text);
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, sender);
    if (!entry)
        entry = contacts.FindContact(ContactKindStranger, sender);
    LearnFeatures(stanza, entry, JidResource(sender));
    AnswerReceiptRequest(stanza, sender);
    TakeReceipt(stanza, sender);
    TakeChatState(stanza, entry);

    Reading reading{stanza, sender, entry, std::move(text)};
    // An invitation is no text to show.
    if (!ReadExtensions(reading) || reading.invitation || !reading.text)
        return;
    Show(sender, entry, *reading.text);
}

bool XmppMessages::ReadExtensions(Reading& reading) {
    // False drops the message.
    using Rule = bool (*)(XmppMessages& self, const XmlNode& x, Reading& reading);
    struct Row {
        std::string_view xmlns;
        Rule rule;
    };
    // jabber:x:delay (its time stamp is not used: the message shows when it
    // arrived), the group-chat user data and anything else change nothing.
    static constexpr Row kRules[] = {
        {JabberNs::YolSpecMsg,
         [](XmppMessages&, const XmlNode& x, Reading& r) {
             r.text = x.Text();
             return !x.Text().IsEmpty();
         }},
        {JabberNs::Encrypted,
         [](XmppMessages&, const XmlNode& x, Reading& r) {
             r.text = CYolString(u"-----BEGIN PGP MESSAGE-----\r\n\r\n") + x.Text() +
                      CYolString(u"\r\n-----END PGP MESSAGE-----\r\n");
             return !x.Text().IsEmpty();
         }},
        {JabberNs::Oob,
         [](XmppMessages&, const XmlNode& x, Reading& r) {
             const CYolString& url = TextOf(x.GetChild("url"));
             if (!url.IsEmpty())
                 r.text = r.text ? url + kCrLf + *r.text : url;
             return true;
         }},
        {JabberNs::Conference,
         [](XmppMessages&, const XmlNode&, Reading& r) {
             r.invitation = true;
             return true;
         }},
        {JabberNs::Event,
         [](XmppMessages& self, const XmlNode& x, Reading& r) {
             self.HandleEvent(x, r);
             return true;
         }},
    };
    const XmlNode& node = reading.stanza.Node();
    for (int i = 0; i < node.ChildCount(); ++i) {
        const XmlNode& x = node.ChildAt(i);
        if (x.Name() != "x")
            continue;
        for (const Row& row : kRules)
            if (x.IsInNs(row.xmlns)) {
                if (!row.rule(*this, x, reading))
                    return false;
                break;
            }
    }
    return true;
}

// The service's note that the sender has an account: answered by granting
// it our presence. Only a service may ask that; from anyone else it would
// be a way round authorization.
bool XmppMessages::AnswerAccountNotice(const MessageStanza& stanza, const CYolString& from) {
    if (!stanza.Part(MessagePart::GotAccount))
        return false;
    if (IsService(from)) {
        XmlNode presence("presence");
        presence.SetAttr("to", from);
        presence.SetAttrNarrow("type", "subscribed");
        sink.SendStanza(presence);
    }
    return true;
}

std::optional<CYolString> XmppMessages::BodyText(const MessageStanza& stanza) {
    const CYolString& subject = TextOf(stanza.Subject());
    if (stanza.HasBody())
        return subject.IsEmpty() ? stanza.Body()->Text()
                                 : CYolString(u"Subject: ") + subject + kCrLf + stanza.Body()->Text();
    if (!subject.IsEmpty())
        return subject;
    return std::nullopt;
}

// A message passed on by a multicast service names its first sender; it is
// shown as that sender's.
CYolString XmppMessages::RedirectedSender(const MessageStanza& stanza, const CYolString& from,
                                          std::optional<CYolString>& text) {
    const XmlNode* addresses = stanza.Part(MessagePart::Addresses);
    if (!text || !addresses || !IsService(from))
        return from;
    const XmlNode* ofrom = addresses->FindChildWithAttr("address", "type", CYolString(u"ofrom"));
    const CYolString* jid = XmlNode::GetAttr(ofrom, "jid");
    if (!jid || jid->IsEmpty())
        return from;
    text = CYolString(u"Message redirected from: ") + from + kCrLf + *text;
    return *jid;
}

// Chat states follow the last message with a body; receipts are learned
// once asked for.
void XmppMessages::LearnFeatures(const MessageStanza& stanza, ContactRecord* entry, const CYolString& resourceName) {
    if (!entry)
        return;
    CYolCriticalSection::Guard guard(contacts.Lock());
    const int resourceIndex = entry->FindResource(resourceName);
    ResourceRecord* resource = resourceIndex >= 0 ? &entry->resources[static_cast<size_t>(resourceIndex)] : nullptr;
    if (stanza.HasBody()) {
        if (stanza.Part(MessagePart::ChatActive)) {
            entry->flags |= ContactFlagChatStates;
            if (resource)
                resource->learnedFeatures |= FeatureFlag(FeatureChatStates);
        } else {
            entry->flags &= static_cast<uint16_t>(~ContactFlagChatStates);
        }
    }
    if (stanza.Part(MessagePart::ReceiptRequest) && resource)
        resource->learnedFeatures |= FeatureFlag(FeatureReceipts);
}

void XmppMessages::AnswerReceiptRequest(const MessageStanza& stanza, const CYolString& sender) {
    if (!stanza.Part(MessagePart::ReceiptRequest))
        return;
    XmlNode receipt("message");
    receipt.SetAttr("to", sender);
    XmlNode& received = receipt.AddChild("received");
    received.SetAttrNarrow("xmlns", JabberNs::Receipts);
    if (stanza.Head().id)
        received.SetAttr("id", *stanza.Head().id);
    sink.SendStanza(receipt);
}

// A receipt for one of our messages acknowledges it like a delivery event.
void XmppMessages::TakeReceipt(const MessageStanza& stanza, const CYolString& sender) {
    const XmlNode* received = stanza.Part(MessagePart::ReceiptReceived);
    if (!received)
        return;
    const CYolString* ackId = received->GetAttr("id");
    if (!ackId)
        ackId = stanza.Head().id;
    if (auto number = ackId ? OwnStanzaNumber(*ackId) : std::nullopt)
        Acknowledge(ContactIdOf(sender), *number);
}

void XmppMessages::TakeChatState(const MessageStanza& stanza, const ContactRecord* entry) {
    if (entry == nullptr || entry->contactId == 0)
        return;
    const XmlNode& node = stanza.Node();
    const XmlNode* state = nullptr;
    for (int i = 0; i < node.ChildCount() && state == nullptr; ++i)
        if (node.ChildAt(i).IsInNs(JabberNs::ChatStates))
            state = &node.ChildAt(i);
    if (state == nullptr && !stanza.HasBody())
        return;
    list.SetTyping(entry->contactId, state == nullptr || state->Name() != "composing");
}

// The older message events: a message with a body may ask for "delivered"
// (answered once) and "composing" (remembered); one without a body reports
// on a message of ours.
void XmppMessages::HandleEvent(const XmlNode& x, Reading& reading) {
    const CYolString* id = reading.stanza.Head().id;
    if (!reading.stanza.HasBody()) {
        if (x.GetChild("delivered") || x.GetChild("offline"))
            if (auto number = OwnStanzaNumber(TextOf(x.GetChild("id"))))
                Acknowledge(ContactIdOf(reading.sender), *number);
        return;
    }
    if (x.GetChild("delivered") && !reading.answeredDelivered) {
        reading.answeredDelivered = true;
        XmlNode answer("message");
        answer.SetAttr("to", reading.sender);
        XmlNode& event = answer.AddChild("x");
        event.SetAttrNarrow("xmlns", JabberNs::Event);
        event.AddChild("delivered");
        event.AddWideTextChild("id", id ? *id : CYolString());
        sink.SendStanza(answer);
    }
    if (x.GetChild("composing") && reading.entry)
        reading.entry->pendingEventId = id ? *id : CYolString();
}

void XmppMessages::Show(const CYolString& sender, ContactRecord* entry, const CYolString& text) {
    CYolString shown = ToCrLf(text);
    if (shown.IsEmpty())
        shown = CYolString(u" ");
    if (entry) {
        CYolCriticalSection::Guard guard(contacts.Lock());
        const int resourceIndex = entry->FindResource(JidResource(sender));
        if (resourceIndex >= 0) {
            entry->resources[static_cast<size_t>(resourceIndex)].wroteToUs = true;
            entry->lastMessageResource = resourceIndex;
        }
    }
    Deliver(sender, 0, -1, shown, CYolString());
}
