#pragma once
// CJabberAccount: one XMPP account. The program drives it only through the
// account interface of the plug-in framework (commands and socket events,
// all arriving on the account's own queue thread); the account talks to its
// server only through the sockets service.
//
// It owns and wires its parts: the connection (socket, receive buffer,
// parser, compression), the login, the stanza router with the answers it
// waits for and the responders it registers, the reconnection wait, and the
// account's settings and status. It is the stanza sink of its parts and the
// owner the login asks for what touches the connection. The methods of each
// area live in a file of their own; each area keeps its members in its own
// block below.
//
// Threads: everything here runs on the account's queue thread. The
// reconnection wait and the timers only post events to it, so the socket,
// the zlib streams, the counters and the pending tables are never touched
// from two threads.

#include "CAccount.h"
#include "CReconnectWait.h"
#include "CWorkQueue.h"
#include "CYolCriticalSection.h"
#include "CYolString.h"
#include "JabberCaps.h"
#include "JabberContacts.h"
#include "JabberIq.h"
#include "JabberNamespaces.h"
#include "JabberProtocolInfo.h"
#include "ProtocolRecords.h"
#include "XmlNode.h"
#include "XmppAccountSettings.h"
#include "XmppConnection.h"
#include "XmppIqResponders.h"
#include "XmppLogin.h"
#include "XmppStanzaSink.h"
#include "YOL_GUID.h"
#include "YolGuids.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace CL {
class CContactList;
}
namespace Sockets {
class CSocketsManager;
}
class CYolMenuInfo;

class CJabberAccount : public Protocols::CAccount,
                       public XmppStanzaSink,
                       private MXmppLoginOwner,
                       private MXmppStreamReader {
public:
    CJabberAccount(Services::CServicesManager* servicesManager, unsigned int accountId, unsigned int managerClientId,
                   int kind);
    ~CJabberAccount() override;

    // ---- connection ----
public:
    // Serialises the element and sends it; false when nothing went.
    bool SendStanza(const XmlNode& element) override;

    Protocols::Status GetPresenceStatus() const { return status; }
    Protocols::Status GetWantedStatus() const { return wantedStatus; }
    bool IsCompressionActive() const override { return connection.IsCompressionActive(); }

    int OnSocketConnected(Sockets::CYolSocket* socket, int code) override;
    int OnSocketData(Sockets::CYolSocket* socket, int byteCount) override;
    int OnSocketClosed(Sockets::CYolSocket* socket, int code) override;

private:
    int Connect(Protocols::Status wanted);
    // Sends the bytes as they are (the stream's end tag, the keep-alive blank).
    bool SendText(std::string_view text);
    Sockets::CSocketsManager* SocketsService() const;
    CL::CContactList* ContactListService() const;
    // Sends an account event and the status record of `value`.
    void ReportStatus(Protocols::Status value);
    // The connection broke under a wanted status: disconnect and try again
    // after the reconnection delay.
    void LoseConnection();
    // What the connection reads of the stream.
    void OnStreamHeader(const XmlNode& header) override;

    Protocols::Status status = Protocols::Offline;
    Protocols::Status wantedStatus = Protocols::Offline;
    Protocols::Status reconnectStatus = Protocols::Offline;
    XmppConnection connection{*this, [this] { return SocketsService(); }};

    // ---- router ----
public:
    int SendIq(XmlNode& iq, IqAnswer answer, int key = 0) override;
    int NextStanzaNumber() override { return pendingIqs.NextNumber(); }
    XmppPendingIqs& PendingIqs() { return pendingIqs; }

    // The keep-alive timer's call-back (it runs on the account's thread):
    // milliseconds until the next blank, 0 to end.
    static unsigned int KeepAlive(void* account);
    static constexpr unsigned int kKeepAliveMs = 120000;

private:
    // One complete top-level element of the stream, to its handler.
    void OnStanza(const XmlNode& element) override;
    void OnStanzaDropped(const XmlNode& element) override;
    void DispatchIq(const XmlNode& iq);
    // Whether `from` speaks for the own account or its server.
    bool IsOwnAddress(const CYolString& from) const;

    // A top-level element's name and where it goes (null: dropped).
    struct StanzaRoute {
        std::string_view name;
        void (*handler)(CJabberAccount& account, const XmlNode& element);
    };
    static const StanzaRoute kStanzaRoutes[];

    XmppPendingIqs pendingIqs{[this](const CYolString& from) { return IsOwnAddress(from); }};
    XmppResponderSet responders{*this, [this](const XmlNode& stanza, IqRequest& request) {
                                    OnRosterPush(stanza, request);
                                }};
    CWorkQueue workQueue{[this](const CYolString& bareJid) { return ContactIdOf(bareJid); }};

    // ---- account ----
public:
    int GetKind() const { return kind; }
    const YOL_GUID& GetProtocolGuid() const { return *GetJabberFlavour(kind).protocol; }
    int GetFirstStatusImage() const { return GetJabberFlavour(kind).firstStatusImage; }
    const XmppAccountSettings& Settings() const { return settings; }
    XmppAccountSettings& MutableSettings() { return settings; }

    CYolString GetProtocolName() override;

private:
    int OnInit() override;
    int OnShutdown() override;
    int SetStatus(Protocols::Status status) override;
    int GetStatus() override;
    int AddGroup(const CYolString& name) override;
    int ReloadSettings() override;

    int kind;
    XmppAccountSettings settings;
    CYolString statusMessages[5];

    // ---- disconnect ----
public:
    // Starts the wait before the next connection attempt (with "KeepAlive").
    void StartReconnect();
    bool IsReconnectPending() const { return reconnectWait.IsPending(); }

private:
    int Disconnect();
    void OnStreamError(const XmlNode& element);
    // Cancels a waiting reconnection.
    void StopReconnect();
    void ShowText(const CYolString& text);

    // Posts SetStatus(reconnectStatus) to the account itself when the wait
    // ends; the status cannot change while a wait is armed (every SetStatus
    // cancels it first).
    CReconnectWait reconnectWait{[this] {
        PostToSelf(ProtocolsManagerGuid, Protocols::AccountCommand::SetStatus, NewStatusEventArg(reconnectTarget));
    }};
    Protocols::Status reconnectTarget = Protocols::Offline;

    // ---- slots ----
public:
    void PublishStatusIcons();
    // Puts a roster contact into the contact list and links the entry to it.
    void AddContactItem(ContactRecord* entry, const CYolString& jid, const CYolString& name, unsigned int group,
                        uint8_t subscription);

protected:
    int GetLogin(CYolString* out) override;
    int GetStatusInfo(Protocols::Status status, Protocols::StatusInfo* out) override;
    int GetContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) override;
    int SetLanguage(const CYolString& language) override;

    // ---- login ----
public:
    const CYolString& GetOwnJid() const { return login.BoundJid(); }
    bool IsLegacyOnly() const { return login.IsLegacyOnly(); }

private:
    // What the login asks of the account.
    const XmppAccountSettings& LoginSettings() const override { return settings; }
    bool StartCompression() override;
    void ActivateCompression() override;
    void ResetStream() override;
    void EndStream() override;
    void LoginRefused() override;
    void LoginEstablished() override;

    XmppLogin login{*this, *this};

    // ---- contacts ----
public:
    CJabberContactMap& Contacts() { return contacts; }
    unsigned int ContactIdOf(const CYolString& jid);
    void StoreCaps(const XmlNode& presence);
    unsigned int FindGroupByName(const CYolString& name);
    // Roster set (with an id; the answer is not awaited) and roster remove.
    void SetRosterItem(const CYolString& jid, const CYolString& name, const CYolString& group, int subscription);
    void RemoveRosterItem(const CYolString& jid);
    void OnRosterResult(const XmlNode& iq);
    void OnRosterPush(const XmlNode& stanza, IqRequest& request);
    void ApplyStatus(Protocols::Status wanted);
    void SendPresence(Protocols::Status presence, bool allRooms);
    void OnPresence(const XmlNode& stanza);
    void UpdateContactPresence(const CYolString& jid);
    void BuildContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out);
    void SendSubscription(unsigned int contact, const char* type);
    CYolString GetOwnBareJid() const;
    // Whether `jid` is the account's own bare JID (as bound, or as set up).
    // The own server's address (the domain alone, any resource).
    bool IsOwnServer(const CYolString& jid) const;
    bool IsOwnBareJid(const CYolString& jid) const;
    int GetMood() const { return mood; }

protected:
    int RenameGroup(unsigned int group, const CYolString& name) override;
    int DeleteGroup(unsigned int group) override;
    int AddContact(const CYolString& login, const CYolString& name, unsigned int group) override;
    int RenameContact(unsigned int contact, const CYolString& name) override;
    int MoveContact(unsigned int contact, unsigned int group) override;
    int DeleteContact(unsigned int contact) override;
    int RequestContactInfo(unsigned int contact) override;
    int SetAuthorization(unsigned int contact, bool grant) override;
    int SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) override;
    int GetContactMenu(unsigned int contact, CYolMenuInfo* menu) override;
    // The contact menu's "Request authorization" comes back here, posted on
    // the plug-in's contact-menu channel.
    int OnOtherEvent(const YOL_GUID& channel, int event, Services::CEventArg* first,
                     Services::CEventArg* second) override;

    // A group of the account in the contact list, named `name`: its id.
    unsigned int CreateGroup(const CYolString& name);
    // The entry's subscription, its "Subscription" value and its shown status.
    void SetSubscription(ContactRecord& entry, uint8_t subscription);
    void PushContactStatus(const ContactRecord& entry);

    CJabberContactMap contacts;
    int mood = 0;
    unsigned int xStatusId = 0;
    CYolString xStatusTitle;
    CYolString xStatusDescription;
    // An available presence that contacts can see went out this session.
    bool visiblePresenceSent = false;
    // Groups the user added since this session started and before its
    // roster arrived: kept even though the roster names none of them.
    std::set<unsigned int> groupsBeforeRoster;

    // ---- messages ----
public:
    void OnMessage(const XmlNode& stanza);
    // Writes a chat message to the session; true once it went. Only a
    // message that went waits for its delivery event.
    bool SendChatMessage(const CYolString& jid, const CYolString& text, unsigned int messageId, bool special);
    void DeliverMessage(const CYolString& jid, unsigned int kind, int flags, const CYolString& text,
                        const CYolString& extra);
    void AcknowledgeMessage(unsigned int contact, unsigned int stanzaNumber);
    void OnMailNotify(const XmlNode& x);
    CYolString BuildWebmailLink() const;
    unsigned int UnreadMailCount() const { return unreadMail; }
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

protected:
    int SendMessage(Protocols::MessageInfo message) override;
    // Gate for senders outside the list: whether the message may be shown,
    // and if so the contact it is shown for (the sender added outside
    // groups). 0 drops it.
    unsigned int AdmitUnlistedSender(const CYolString& jid, const Protocols::MessageInfo& message);

    // Drops the entries past their lifetime.
    void ExpirePendingReceipts();

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
    unsigned int unreadMail = 0;

    // ---- caps ----
public:
    uint64_t GetResourceFeatures(const CYolString& jid, bool completeResource);

protected:
    CCapsCache caps;

    // ---- descriptions and settings ----
public:
    void LoadSettings();
    void SaveSettings();

protected:
    int OnReady() override;
    int GetAccountMenu(unsigned int kind, CYolMenuInfo* menu) override;
};

// "%" and the value in lower-case hexadecimal without padding.
CYolString PercentByte(unsigned int value);
