#pragma once
// XmppMessages: chat messages both ways. It reads incoming message stanzas
// (text, redirections, receipts and delivery events asked and given, chat
// states learned), hands what the user should see to the contact list,
// writes the user's messages to the session and owns the table of sent
// messages waiting for their receipt. It writes through its stanza sink and
// reads the shared contact map; everything runs on the account's queue
// thread.

#include "JabberContacts.h"
#include "ProtocolRecords.h"
#include "XmppContactListPorts.h"
#include "XmppStanzaSink.h"
#include "XmppStanzas.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>

class XmppCapabilities;

class XmppMessages {
public:
    // Whether the session takes messages now (it is established).
    using SessionCheck = std::function<bool()>;

    XmppMessages(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppMessageList& list, XmppCapabilities& caps,
                 SessionCheck sessionOpen);

    void OnMessage(const MessageStanza& stanza);
    // Writes a chat message to the session; true once it went. Only a
    // message that went waits for its delivery event.
    bool SendChat(const CYolString& jid, const CYolString& text, unsigned int messageId, bool special);
    // A message of the user from the contact list; false when it did not go
    // (the caller reports it as not sent).
    bool Send(const Protocols::MessageInfo& message);
    // Hands a message of `kind` from `jid` to the contact list; a sender
    // outside the list is first let through the list's gate.
    void Deliver(const CYolString& jid, unsigned int kind, int flags, const CYolString& text, const CYolString& extra);
    void Acknowledge(unsigned int contact, unsigned int stanzaNumber);
    // A chat-state notice for a contact of the roster: composing while the
    // user types, paused afterwards. Only to a contact known to read them;
    // true once it went.
    bool SendChatState(unsigned int contact, bool typing);

    size_t PendingReceiptCount() const { return pendingReceipts.size(); }
    // The session ended: no delivery event can name its messages any more.
    void ClearPendingReceipts() { pendingReceipts.clear(); }

    // Sent messages wait for their delivery event until it comes, the
    // session ends or they are older than the lifetime: a receipt can come
    // long after its message (a burst, a peer reading from offline storage,
    // a server that froze for minutes). The cap only guards memory and lies
    // far beyond what a user sends within the lifetime; when it is reached
    // the oldest entry goes.
    static constexpr size_t kMaxPendingReceipts = 100000;
    static constexpr uint64_t kPendingReceiptLifetimeMs = 60 * 60 * 1000;

private:
    // The steps of reading one message, in order.
    bool AnswerAccountNotice(const MessageStanza& stanza, const CYolString& from);
    static std::optional<CYolString> BodyText(const MessageStanza& stanza);
    static CYolString RedirectedSender(const MessageStanza& stanza, const CYolString& from,
                                       std::optional<CYolString>& text);
    void LearnFeatures(const MessageStanza& stanza, ContactRecord* entry, const CYolString& resourceName);
    void AnswerReceiptRequest(const MessageStanza& stanza, const CYolString& sender);
    void TakeReceipt(const MessageStanza& stanza, const CYolString& sender);
    // The sender's chat state: composing shows it typing, any other state
    // or a text ends that.
    void TakeChatState(const MessageStanza& stanza, const ContactRecord* entry);
    // The message's "x" children, in order: its text, whether it is an
    // invitation, the message events. False drops the message.
    struct Reading;
    bool ReadExtensions(Reading& reading);
    void HandleEvent(const XmlNode& x, Reading& reading);
    void Show(const CYolString& sender, ContactRecord* entry, const CYolString& text);

    // Gate for senders outside the list: the contact the message is shown
    // for (the sender added outside groups), 0 to drop it.
    unsigned int AdmitUnlistedSender(const CYolString& jid, const Protocols::MessageInfo& message);
    unsigned int ContactIdOf(const CYolString& jid);
    // Drops the entries past their lifetime.
    void ExpirePendingReceipts();

    XmppStanzaSink& sink;
    CJabberContactMap& contacts;
    XmppMessageList& list;
    XmppCapabilities& caps;
    SessionCheck sessionOpen;

    // A sent message: its id in the core, the contact it went to, which
    // alone may acknowledge it, and the tick it was written at.
    struct PendingReceipt {
        unsigned int messageId;
        unsigned int contact;
        uint64_t sentAt;
    };
    // Stanza number (the N of "yol_N") to the message it carried. Numbers
    // grow with time (the counter wraps only after two billion stanzas), so
    // the first entry is the oldest.
    std::map<unsigned int, PendingReceipt> pendingReceipts;
};
