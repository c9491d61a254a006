// Incoming message stanzas: what a message is, the automatic answers it
// asks for, and the text the user sees.

#include "CJabberAccount.h"
#include "XmlWriter.h"

#include <optional>

namespace {

bool IsNs(const XmlNode& node, const char* xmlns) {
    const CYolString* value = node.GetAttr("xmlns");
    return value && *value == CYolString::FromUtf8(xmlns);
}

const XmlNode* ChildInNs(const XmlNode& parent, std::string_view name, const char* xmlns) {
    return parent.FindChildWithAttr(name, "xmlns", CYolString::FromUtf8(xmlns));
}

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

}  // namespace

void CJabberAccount::OnMessage(const XmlNode& stanza) {
    const CYolString* fromAttr = stanza.GetAttr("from");
    if (stanza.Name() != "message" || !fromAttr || fromAttr->IsEmpty())
        return;
    const CYolString from = *fromAttr;

    // The service's note that the sender has an account: answered by
    // granting it our presence. Only a service (an address without "@")
    // may ask that; from anyone else it would be a way round authorization.
    if (ChildInNs(stanza, "x", JabberNs::YolGotAccount)) {
        if (from.Find(0, CYolString(u"@")) < 0) {
            XmlNode presence("presence");
            presence.SetAttr("to", from);
            presence.SetAttrNarrow("type", "subscribed");
            SendStanza(presence);
        }
        return;
    }
    const CYolString* type = stanza.GetAttr("type");
    if (stanza.GetChild("error") || (type && *type == u"error"))
        return;
    // In-band data belongs to a transfer; none runs in this account, so the
    // block is not ours to take.
    if (ChildInNs(stanza, "data", JabberNs::Ibb) || ChildInNs(stanza, "event", JabberNs::PubsubEvent))
        return;

    const CYolString* id = stanza.GetAttr("id");
    const XmlNode* body = stanza.GetChild("body");
    const bool hasBody = body && !body->Text().IsEmpty();
    std::optional<CYolString> text;
    if (hasBody)
        text = body->Text();
    if (const XmlNode* subject = stanza.GetChild("subject"); subject && !subject->Text().IsEmpty())
        text = hasBody ? CYolString(u"Subject: ") + subject->Text() + kCrLf + body->Text() : subject->Text();

    // A message passed on by a multicast service names its first sender.
    // Only a service (no "@") can be trusted to say so: a user could name
    // anyone and have the message shown as that contact's.
    CYolString sender = from;
    if (text && from.Find(0, CYolString(u"@")) < 0) {
        if (const XmlNode* addresses = ChildInNs(stanza, "addresses", JabberNs::Address)) {
            const XmlNode* ofrom = addresses->FindChildWithAttr("address", "type", CYolString(u"ofrom"));
            const CYolString* jid = XmlNode::GetAttr(ofrom, "jid");
            if (jid && !jid->IsEmpty()) {
                text = CYolString(u"Message redirected from: ") + from + kCrLf + *text;
                sender = *jid;
            }
        }
    }

    ContactRecord* entry = contacts.FindContact(ContactKindRoster, sender);
    if (!entry)
        entry = contacts.FindContact(ContactKindStranger, sender);
    const CYolString resourceName = JidResource(sender);
    {
        CYolCriticalSection::Guard guard(contacts.Lock());
        const int resourceIndex = entry ? entry->FindResource(resourceName) : -1;
        ResourceRecord* resource = resourceIndex >= 0 ? &entry->resources[static_cast<size_t>(resourceIndex)] : nullptr;
        if (entry && hasBody) {
            if (ChildInNs(stanza, "active", JabberNs::ChatStates)) {
                entry->flags |= ContactFlagChatStates;
                if (resource)
                    resource->learnedFeatures |= FeatureFlag(FeatureChatStates);
            } else {
                entry->flags &= static_cast<uint16_t>(~ContactFlagChatStates);
            }
        }
        if (ChildInNs(stanza, "request", JabberNs::Receipts) && resource)
            resource->learnedFeatures |= FeatureFlag(FeatureReceipts);
    }
    if (ChildInNs(stanza, "request", JabberNs::Receipts)) {
        XmlNode receipt("message");
        receipt.SetAttr("to", sender);
        XmlNode& received = receipt.AddChild("received");
        received.SetAttrNarrow("xmlns", JabberNs::Receipts);
        if (id)
            received.SetAttr("id", *id);
        SendStanza(receipt);
    }
    // A receipt for one of our messages acknowledges it like a delivery event.
    if (const XmlNode* received = ChildInNs(stanza, "received", JabberNs::Receipts)) {
        const CYolString* ackId = received->GetAttr("id");
        if (!ackId)
            ackId = id;
        if (auto number = ackId ? OwnStanzaNumber(*ackId) : std::nullopt)
            AcknowledgeMessage(ContactIdOf(sender), *number);
    }

    bool conference = false;
    bool answeredDelivered = false;
    for (int i = 0; i < stanza.ChildCount(); ++i) {
        const XmlNode& x = stanza.ChildAt(i);
        if (x.Name() != "x")
            continue;
        if (IsNs(x, JabberNs::YolSpecMsg)) {
            if (x.Text().IsEmpty())
                return;
            text = x.Text();
        } else if (IsNs(x, JabberNs::Encrypted)) {
            if (x.Text().IsEmpty())
                return;
            text = CYolString(u"-----BEGIN PGP MESSAGE-----\r\n\r\n") + x.Text() +
                   CYolString(u"\r\n-----END PGP MESSAGE-----\r\n");
        } else if (IsNs(x, JabberNs::Oob)) {
            const XmlNode* url = x.GetChild("url");
            if (url && !url->Text().IsEmpty())
                text = text ? url->Text() + kCrLf + *text : url->Text();
        } else if (IsNs(x, JabberNs::Conference)) {
            conference = true;
        } else if (IsNs(x, JabberNs::Event)) {
            if (hasBody) {
                if (x.GetChild("delivered") && !answeredDelivered) {
                    answeredDelivered = true;
                    XmlNode answer("message");
                    answer.SetAttr("to", sender);
                    XmlNode& event = answer.AddChild("x");
                    event.SetAttrNarrow("xmlns", JabberNs::Event);
                    event.AddChild("delivered");
                    event.AddWideTextChild("id", id ? *id : CYolString());
                    SendStanza(answer);
                }
                if (x.GetChild("composing") && entry)
                    entry->pendingEventId = id ? *id : CYolString();
            } else if (x.GetChild("delivered") || x.GetChild("offline")) {
                const XmlNode* eventId = x.GetChild("id");
                if (auto number = eventId ? OwnStanzaNumber(eventId->Text()) : std::nullopt)
                    AcknowledgeMessage(ContactIdOf(sender), *number);
            }
        }
        // jabber:x:delay (its time stamp is not used: the message shows when
        // it arrived) and the group-chat user data change nothing.
    }
    if (conference || !text)
        return;

    CYolString shown = ToCrLf(*text);
    if (shown.IsEmpty())
        shown = CYolString(u" ");
    if (entry) {
        CYolCriticalSection::Guard guard(contacts.Lock());
        const int resourceIndex = entry->FindResource(resourceName);
        if (resourceIndex >= 0) {
            entry->resources[static_cast<size_t>(resourceIndex)].wroteToUs = true;
            entry->lastMessageResource = resourceIndex;
        }
    }
    DeliverMessage(sender, 0, -1, shown, CYolString());
}
