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
#include "CTransferSockets.h"
#include "CReconnectWait.h"
#include "CWorkQueue.h"
#include "CYolCriticalSection.h"
#include "CYolString.h"
#include "JabberCaps.h"
#include "JabberContacts.h"
#include "JabberIq.h"
#include "JabberMail.h"
#include "JabberNamespaces.h"
#include "JabberProtocolInfo.h"
#include "ProtocolRecords.h"
#include "XmlNode.h"
#include "XmppAccountSettings.h"
#include "XmppCapabilities.h"
#include "XmppConnection.h"
#include "XmppContactListAdapter.h"
#include "XmppFileTransfer.h"
#include "XmppIqResponders.h"
#include "XmppLogin.h"
#include "XmppMessages.h"
#include "XmppPresence.h"
#include "XmppRoster.h"
#include "XmppSearch.h"
#include "XmppOwnDetailStore.h"
#include "XmppStanzaSink.h"
#include "XmppVCard.h"
#include "YOL_GUID.h"
#include "YolGuids.h"

#include <cstdint>
#include <deque>
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
                       private MXmppStreamReader,
                       private XmppDetailsEvents,
                       private XmppTransferPorts,
                       private XmppBytestreamSockets {
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
    // Built in the constructor: the roster it answers pushes for comes later.
    std::unique_ptr<XmppResponderSet> responders;
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
    void AddContactItem(ContactRecord& entry, unsigned int group) { roster.AddContactItem(entry, group); }

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
    // The features own their state; the account forwards its slots and the
    // stanzas of its router to them.
public:
    CJabberContactMap& Contacts() { return contacts; }
    unsigned int ContactIdOf(const CYolString& jid);
    void OnRosterResult(const XmlNode& iq);
    // Sends the presence of a wanted status once the session is up.
    void ApplyStatus(Protocols::Status wanted);
    void OnPresence(const XmlNode& stanza);
    void BuildContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out);
    CYolString GetOwnBareJid() const;
    // The own server's address (the domain alone, any resource).
    bool IsOwnServer(const CYolString& jid) const;
    // Whether `jid` is the account's own bare JID (as bound, or as set up).
    bool IsOwnBareJid(const CYolString& jid) const;
    unsigned int CreateGroup(const CYolString& name) { return roster.CreateGroup(name); }

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
    // Subscription requests go out only on an established session.
    void SendSubscription(unsigned int contact, const char* type);

private:
    CJabberContactMap contacts;
    // What the contacts' resources can do, read from the map's resources.
    XmppCapabilities caps{contacts};
    XmppContactListAdapter contactList{
        accountId, [this] { return ContactListService(); },
        [this](unsigned int contact, Protocols::ContactStatusInfo& out) { presence.BuildContactStatus(contact, out); }};
    XmppRoster roster{*this, contacts, contactList, [this](const CYolString& jid) { return IsOwnBareJid(jid); }};
    XmppPresence presence{*this,
                          contacts,
                          contactList,
                          caps,
                          settings,
                          GetJabberFlavour(kind).firstStatusImage,
                          [this](const CYolString& jid, unsigned int messageKind, int flags, const CYolString& text,
                                 const CYolString& extra) { messages.Deliver(jid, messageKind, flags, text, extra); }};

    // ---- messages ----
public:
    void OnMessage(const XmlNode& stanza);
    void DeliverMessage(const CYolString& jid, unsigned int messageKind, int flags, const CYolString& text,
                        const CYolString& extra) {
        messages.Deliver(jid, messageKind, flags, text, extra);
    }
    CYolString BuildWebmailLink() const { return mail.WebmailLink(); }
    unsigned int UnreadMailCount() const { return mail.UnreadCount(); }
    size_t PendingReceiptCount() const { return messages.PendingReceiptCount(); }
    // The session ended: no delivery event can name its messages any more.
    void ClearPendingReceipts() { messages.ClearPendingReceipts(); }

protected:
    int SendMessage(Protocols::MessageInfo message) override;
    int SendTyping(unsigned int contact, bool typing) override;

private:
    XmppMessages messages{*this, contacts, contactList, caps, [this] { return status > Protocols::Connecting; }};
    XmppMailNotices mail{settings, [this](const Protocols::NotificationInfo& notification) {
                             SendAccountEvent(Protocols::AccountEvent::Notification,
                                              NewNotificationInfoEventArg(notification));
                         }};

    // ---- details ----
public:
    // Asks `jid` for its vCard for `target` (a contact's item, 0 the own
    // details, -1 a search by JID); the request number.
    int RequestVCard(const CYolString& jid, int target) { return vcard.Request(jid, target); }
    // The own-details dialog saved the own values: the account publishes
    // them on its own thread.
    void PublishVCard();
    // What the search pages fill in.
    SearchParams& GetSearchParams() { return search.Params(); }

protected:
    int CreateSearchPanes(YolTabDlg::CDlgInfo* panes) override;
    int StartSearch(int page) override;
    int CreateOwnDetailsPanes(YolTabDlg::CDlgInfo* panes) override;
    int CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo* panes) override;
    // The pages are made here, on the account's thread, from a copy of the
    // settings record; they run on the user-interface thread.
    int CreateSettingsPanes(YolTabDlg::CDlgInfo* panes) override;

private:
    bool OnDetailsEvent(const YOL_GUID& channel, int event);
    void ContactDetailsReady(unsigned int item) override;
    void OwnDetailsReady() override;
    void SearchResult(const Protocols::UserInfo* user) override;

    XmppAccountDetailStore ownDetails{servicesManager, accountId};
    XmppVCard vcard{*this, contacts, contactList, ownDetails, *this, [this] { return GetOwnBareJid(); }};
    // The user directory is the "users" service of the account's server.
    XmppSearch search{*this, contactList, *this, vcard, [this] { return CYolString(u"users.") + settings.server; }};

    // ---- file transfer ----
    // The transfers' bytestream sockets are the account's too, so their
    // events come on the account's queue thread like everything else.
public:
    XmppFileTransfer& Transfers() { return transfers; }

protected:
    int SendFile(unsigned int contact, CYolString path) override;
    int AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath) override;
    int RefuseFile(unsigned int contact, CYolString fileName) override;
    int OnSocketSendError(Sockets::CYolSocket* socket, int code) override;

private:
    // Socket events of a bytestream; false when the socket is none of theirs.
    bool OnTransferSocketEvent(Sockets::CYolSocket* socket, int event, int value);
    void ReportProgress(const Protocols::FTProgress& progress) override;
    CYolString BoundJid() override { return login.BoundJid(); }
    CYolString BytestreamProxy() override;
    int Connect(const CYolString& host, uint32_t port) override;
    bool Send(int socket, const std::string& bytes) override;
    void Close(int socket) override;

    // The bytestream sockets, by the numbers the transfers know them by.
    CTransferSockets bytestreams{[this] { return SocketsService(); }};
    XmppFileTransfer transfers{*this, contacts, contactList, *this, *this};

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
