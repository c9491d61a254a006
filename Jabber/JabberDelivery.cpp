// Outgoing chat messages, the one way messages reach the contact list, and
// the delivery events that acknowledge what the user sent. A message of the
// user either goes out on the session or is reported as not sent.

#include "CContactList.h"
#include "CJabberAccount.h"
#include "CYolClock.h"
#include "CYolRand.h"
#include "CYolTime.h"
#include "ValueNames.h"

namespace {

const CYolString kSrvLogName(ValueName::SrvLogName);
const CYolString kAlias(ValueName::Alias);

}  // namespace

int CJabberAccount::SendMessage(Protocols::MessageInfo message) {
    if (message.kind != 0)
        return 0;
    CL::CContactList* list = ContactListService();
    CYolString jid;
    const bool known = list && list->GetItemString(message.contactId, kSrvLogName, jid) && !jid.IsEmpty() &&
                       (contacts.FindContact(ContactKindRoster, jid) || contacts.FindContact(ContactKindRoom, jid));
    // The window checked that the account was online, but the connection
    // may have dropped since: what did not go is handed back, never lost.
    if (!known || !SendChatMessage(jid, message.text, message.messageId, false))
        ReportMessageNotSent(message);
    return 0;
}

bool CJabberAccount::SendChatMessage(const CYolString& jid, const CYolString& text, unsigned int messageId,
                                     bool special) {
    // Until the session is established the server refuses messages, and
    // between a drop and the reconnection there is nothing to write to.
    if (text.IsEmpty() || jid.IsEmpty() || status <= Protocols::Connecting)
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
            chatStates = (GetResourceFeatures(to, false) & FeatureFlag(FeatureChatStates)) != 0;
        }
    }

    const int number = NextStanzaNumber();
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

    if (!SendStanza(stanza))
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

void CJabberAccount::ExpirePendingReceipts() {
    const uint64_t now = CYolClock::Current().TickCount64();
    while (!pendingReceipts.empty() && now - pendingReceipts.begin()->second.sentAt >= kPendingReceiptLifetimeMs)
        pendingReceipts.erase(pendingReceipts.begin());
}

void CJabberAccount::AcknowledgeMessage(unsigned int contact, unsigned int stanzaNumber) {
    ExpirePendingReceipts();
    auto found = pendingReceipts.find(stanzaNumber);
    if (found == pendingReceipts.end() || found->second.contact != contact || contact == 0)
        return;
    const unsigned int messageId = found->second.messageId;
    pendingReceipts.erase(found);
    if (CL::CContactList* list = ContactListService())
        list->NotifyMessageAck(contact, messageId);
}

unsigned int CJabberAccount::AdmitUnlistedSender(const CYolString& jid, const Protocols::MessageInfo& message) {
    CL::CContactList* list = ContactListService();
    if (!list || !list->GetAntispamMsgsFromNIL())
        return 0;
    const CYolString bare = BareJidCopy(jid);
    const CYolString name = JidNode(bare);
    const bool hadEntry = contacts.FindContact(ContactKindRoster, bare) != nullptr;
    const unsigned int temp = list->FindOrAddTempContact(accountId, bare);
    if (temp == 0)
        return 0;
    list->SetItemString(temp, kSrvLogName, bare);
    list->SetItemString(temp, kAlias, name);
    Protocols::MessageInfo asked = message;
    asked.contactId = temp;
    const bool admitted = list->CheckAntispam(temp, asked) != 0;
    list->RemoveTempContact(temp);
    if (!admitted) {
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
    AddContactItem(entry, bare, name, 0, 0);
    return entry->contactId;
}

void CJabberAccount::DeliverMessage(const CYolString& jid, unsigned int kind, int flags, const CYolString& text,
                                    const CYolString& extra) {
    if (text.IsEmpty() && kind != 3)
        return;
    CL::CContactList* list = ContactListService();
    if (!list)
        return;
    Protocols::MessageInfo message;
    message.messageId = CYolRand::Rand();
    message.kind = kind;
    message.flags = flags;
    message.time = CYolTime();
    message.text = text;
    message.extra = extra;

    unsigned int contact = ContactIdOf(jid);
    if (contact == 0 || list->IsTempContact(contact))
        contact = AdmitUnlistedSender(jid, message);
    if (contact == 0)
        return;
    message.contactId = contact;
    list->ReceiveMessage(contact, message);
}
