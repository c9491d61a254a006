// Outgoing chat messages, the one way messages reach the contact list, and
// the delivery events that acknowledge what the user sent. A message of the
// user either goes out on the session or is reported as not sent.

#include "CYolClock.h"
#include "CYolRand.h"
#include "CYolTime.h"
#include "JabberCaps.h"
#include "JabberNamespaces.h"
#include "XmppCapabilities.h"
#include "XmppMessages.h"

XmppMessages::XmppMessages(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppMessageList& list,
                           XmppCapabilities& caps, SessionCheck sessionOpen)
    : sink(sink), contacts(contacts), list(list), caps(caps), sessionOpen(std::move(sessionOpen)) {}

unsigned int XmppMessages::ContactIdOf(const CYolString& jid) {
    const ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    return entry != nullptr ? entry->contactId : 0;
}

bool XmppMessages::Send(const Protocols::MessageInfo& message) {
    CYolString jid;
    // The window checked that the account was online, but the connection
    // may have dropped since: what did not go is handed back, never lost.
    const bool known = list.ItemLogin(message.contactId, jid) && !jid.IsEmpty() &&
                       (contacts.FindContact(ContactKindRoster, jid) || contacts.FindContact(ContactKindRoom, jid));
    return known && SendChat(jid, message.text, message.messageId, false);
}

bool XmppMessages::SendChat(const CYolString& jid, const CYolString& text, unsigned int messageId, bool special) {
    // Until the session is established the server refuses messages, and
    // between a drop and the reconnection there is nothing to write to.
    if (text.IsEmpty() || jid.IsEmpty() || !sessionOpen())
        return false;
    const bool room = !JidHasResource(jid) && contacts.FindContact(ContactKindRoom, jid) != nullptr;
    const CYolString to = contacts.FullJidForSend(jid);
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    unsigned int contactId = entry ? entry->contactId : 0;
    bool chatStates = false;
    if (entry) {
        CYolCriticalSection::Guard guard(contacts.Lock());
        const int index = entry->FindResource(JidResource(to));
        if (index >= 0) {
            entry->resources[static_cast<size_t>(index)].conversation = true;
            chatStates = (caps.ResourceFeatures(to, false) & FeatureFlag(FeatureChatStates)) != 0;
        }
    }

    const int number = sink.NextStanzaNumber();
    XmlNode stanza("message");
    stanza.SetAttrNarrow("type", room ? "groupchat" : "chat");
    stanza.SetAttr("to", to);
    stanza.SetId(number);
    if (special) {
        stanza.AddTextChild("body", "[This is not a human readable message]");
        XmlNode& x = stanza.AddChild("x");
        x.SetAttrNarrow("xmlns", JabberNs::YolSpecMsg);
        x.SetText(text);
    } else {
        stanza.AddWideTextChild("body", text);
    }
    if (chatStates)
        stanza.AddChild("active").SetAttrNarrow("xmlns", JabberNs::ChatStates);
    XmlNode& event = stanza.AddChild("x");
    event.SetAttrNarrow("xmlns", JabberNs::Event);
    event.AddChild("composing");
    event.AddChild("delivered");
    event.AddChild("offline");

    if (!sink.SendStanza(stanza))
        return false;
    // Only a contact of the roster can answer with a delivery event.
    if (contactId != 0) {
        ExpirePendingReceipts();
        pendingReceipts[static_cast<unsigned int>(number)] =
            PendingReceipt{messageId, contactId, CYolClock::Current().TickCount64()};
        while (pendingReceipts.size() > kMaxPendingReceipts)
            pendingReceipts.erase(pendingReceipts.begin());
    }
    return true;
}

bool XmppMessages::SendChatState(unsigned int contact, bool typing) {
    CYolString jid;
    if (!sessionOpen() || !list.ItemLogin(contact, jid) || jid.IsEmpty())
        return false;
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    if (entry == nullptr)
        return false;
    const CYolString to = contacts.FullJidForSend(jid);
    bool reads = false;
    {
        CYolCriticalSection::Guard guard(contacts.Lock());
        reads = (entry->flags & ContactFlagChatStates) != 0 ||
                (caps.ResourceFeatures(to, false) & FeatureFlag(FeatureChatStates)) != 0;
    }
    if (!reads)
        return false;
    XmlNode stanza("message");
    stanza.SetAttrNarrow("type", "chat");
    stanza.SetAttr("to", to);
    stanza.AddChild(typing ? "composing" : "paused").SetAttrNarrow("xmlns", JabberNs::ChatStates);
    return sink.SendStanza(stanza);
}

void XmppMessages::ExpirePendingReceipts() {
    const uint64_t now = CYolClock::Current().TickCount64();
    while (!pendingReceipts.empty() && now - pendingReceipts.begin()->second.sentAt >= kPendingReceiptLifetimeMs)
        pendingReceipts.erase(pendingReceipts.begin());
}

void XmppMessages::Acknowledge(unsigned int contact, unsigned int stanzaNumber) {
    ExpirePendingReceipts();
    auto found = pendingReceipts.find(stanzaNumber);
    if (found == pendingReceipts.end() || found->second.contact != contact || contact == 0)
        return;
    const unsigned int messageId = found->second.messageId;
    pendingReceipts.erase(found);
    list.MessageAcknowledged(contact, messageId);
}

unsigned int XmppMessages::AdmitUnlistedSender(const CYolString& jid, const Protocols::MessageInfo& message) {
    const CYolString bare = BareJidCopy(jid);
    const CYolString name = JidNode(bare);
    const bool hadEntry = contacts.FindContact(ContactKindRoster, bare) != nullptr;
    if (!list.AdmitsUnlisted(bare, name, message)) {
        // A refused sender leaves no trace, not even in the account's map.
        if (!hadEntry)
            contacts.RemoveContact(ContactKindRoster, bare);
        return 0;
    }
    ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, bare);
    if (!entry)
        return 0;
    entry->name = name;
    entry->subscription = 0;
    if (const unsigned int id = list.AddContact(0, bare, name, 0))
        entry->contactId = id;
    return entry->contactId;
}

void XmppMessages::Deliver(const CYolString& jid, unsigned int kind, int flags, const CYolString& text,
                           const CYolString& extra) {
    if (text.IsEmpty() && kind != 3)
        return;
    Protocols::MessageInfo message;
    message.messageId = CYolRand::Rand();
    message.kind = kind;
    message.flags = flags;
    message.time = CYolTime();
    message.text = text;
    message.extra = extra;

    unsigned int contact = ContactIdOf(jid);
    if (contact == 0 || list.IsTempContact(contact))
        contact = AdmitUnlistedSender(jid, message);
    if (contact == 0)
        return;
    message.contactId = contact;
    list.ReceiveMessage(contact, message);
}
