#pragma once
// CZemAccount: one MRIM account. The program drives it only through the
// account interface of the plug-in framework (commands and socket events,
// all arriving on the account's own queue thread); the account talks to its
// server only through the sockets service.
//
// It owns and wires its parts: the connection (socket, packet assembler,
// redirect text), the login, the copy of the contact list, the typing table,
// the messages, the mailbox, the menus, the directory (details and search),
// the reconnection wait, and the account's settings and status. It is the
// packet sink of its parts and the owner the login, the mailbox, the menus
// and the directory ask for what touches the connection or the program.
//
// Threads: everything here runs on the account's queue thread. The
// reconnection wait, the timers (keep-alive, typing expiry), the menus'
// entries and the search pages only post to it. The sequence counter is atomic all the same, so that a packet built
// anywhere never shares a number with another.

#include "CAccount.h"
#include "CReconnectWait.h"
#include "CTransferSockets.h"
#include "CYolString.h"
#include "CZemContactList.h"
#include "MrimConnection.h"
#include "MrimDirectory.h"
#include "MrimLogin.h"
#include "MrimMail.h"
#include "MrimMessages.h"
#include "MrimPacketSink.h"
#include "ProtocolRecords.h"
#include "CPluginListAdapter.h"
#include "YolGuids.h"
#include "ZemMenus.h"
#include "ZemFileTransfer.h"
#include "ZemTyping.h"
#include "ZemOwnDetailsPane.h"

#include <atomic>
#include <memory>
#include <cstdint>

namespace CL {
class CContactList;
}
namespace Sockets {
class CSocketsManager;
}

struct ZemSettings {
    CYolString login;
    CYolString password;
    CYolString server;
    unsigned int port = 2042;
    unsigned char emailNotify = 1;
    unsigned char hideEmailBtn = 0;
    bool loaded = false;

    static constexpr const char16_t* kDefaultServer = u"mrim.mail.ru";
    static constexpr unsigned int kDefaultPort = 2042;
};

class CYolMenuInfo;

class CZemAccount : public Protocols::CAccount,
                    public MrimPacketSink,
                    private MMrimLoginOwner,
                    private MMrimMailOwner,
                    private MMrimConnectionReader,
                    private MZemMenusOwner,
                    private MMrimDirectoryOwner,
                    private MZemTransferPorts {
public:
    CZemAccount(Services::CServicesManager* servicesManager, unsigned int accountId, unsigned int managerClientId);
    ~CZemAccount() override;

    // The account's own event that starts the session connection outside
    // the socket call-back that read the redirect.
    static constexpr int kRedirectEvent = 161;
    // New search criteria (a ZemSearchQuery), posted by the search pages
    // from the program's window thread before they start a search.
    static constexpr int kSearchQueryEvent = 163;
    bool SendPacket(MrimPacketType type, std::string_view body, uint32_t sequence = 0) override;
    uint32_t NextSequence() override { return sequence.fetch_add(1); }

    Protocols::Status CurrentStatus() const { return status; }
    LoginState CurrentLoginState() const { return login.State(); }
    const ZemSettings& Settings() const { return settings; }
    const CZemContactList& ContactTable() const { return contactList; }
    const MrimMail& Mailbox() const { return mail; }

    static unsigned int OnPingTimer(void* account);
    static unsigned int OnTypingTimer(void* account);

    CYolString GetProtocolName() override { return CYolString(u"Zem"); }

protected:
    int OnInit() override;
    int OnReady() override;
    int OnShutdown() override;
    int GetLogin(CYolString* out) override;
    int SetStatus(Protocols::Status status) override;
    int GetStatus() override { return status; }
    int GetStatusInfo(Protocols::Status status, Protocols::StatusInfo* out) override;
    int GetContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) override;
    int GetAccountMenu(unsigned int kind, CYolMenuInfo* menu) override;
    int GetContactMenu(unsigned int contact, CYolMenuInfo* menu) override;
    int GetContactQuickMenu(unsigned int contact, CYolMenuInfo* menu) override;
    int AddGroup(const CYolString& name) override;
    int RenameGroup(unsigned int group, const CYolString& name) override;
    int DeleteGroup(unsigned int group) override;
    int AddContact(const CYolString& login, const CYolString& name, unsigned int group) override;
    int RenameContact(unsigned int contact, const CYolString& name) override;
    int MoveContact(unsigned int contact, unsigned int group) override;
    int DeleteContact(unsigned int contact) override;
    int RequestContactInfo(unsigned int contact) override;
    int StartSearch(int page) override;
    int CreateSettingsPanes(YolTabDlg::CDlgInfo* panes) override;
    int CreateOwnDetailsPanes(YolTabDlg::CDlgInfo* panes) override;
    int CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo* panes) override;
    int CreateSearchPanes(YolTabDlg::CDlgInfo* panes) override;
    int SendMessage(Protocols::MessageInfo message) override;
    int SendTyping(unsigned int contact, bool typing) override;
    int SetAuthorization(unsigned int contact, bool grant) override;
    int SetLanguage(const CYolString& language) override;
    int ReloadSettings() override;
    int SendFile(unsigned int contact, CYolString path) override;
    int AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath) override;
    int RefuseFile(unsigned int contact, CYolString fileName) override;
    int OnSocketConnected(Sockets::CYolSocket* socket, int code) override;
    int OnSocketSendError(Sockets::CYolSocket* socket, int code) override;
    int OnSocketData(Sockets::CYolSocket* socket, int byteCount) override;
    int OnSocketClosed(Sockets::CYolSocket* socket, int code) override;
    int OnSocketError(Sockets::CYolSocket* socket, const CYolString& text) override;
    int OnOtherEvent(const YOL_GUID& channel, int event, Services::CEventArg* first,
                     Services::CEventArg* second) override;

private:
    // --- login owner ---
    const CYolString& LoginName() const override { return settings.login; }
    const CYolString& LoginPassword() const override { return settings.password; }
    int LoginStatus() const override { return requestedStatus; }
    bool OpenSession(const CYolString& host, unsigned int port) override;
    void StartKeepAlive(unsigned int seconds) override;
    void LoginAccepted() override;
    void LoginRefused(const CYolString& reason) override;
    void LoggedOut(bool otherComputer) override;
    void RedirectFailed() override;

    // --- mailbox owner ---
    bool LoggedIn() const override { return status > Protocols::Connecting; }
    const CYolString& MailLogin() const override { return settings.login; }
    bool EmailNotify() const override { return settings.emailNotify != 0; }
    bool HideEmailButton() const override { return settings.hideEmailBtn != 0; }
    CYolString MailText(int id) const override;
    void AddMailIcon(bool full) override;
    void ChangeMailIcon(bool full) override;
    void RemoveMailIcon() override;
    void Notify(const CYolString& title, const CYolFormatString& text) override;
    void OpenUrl(const CYolString& address) override;
    void OwnDetailsReady() override;

    // --- menus owner ---
    bool MenuLoggedIn() const override { return status > Protocols::Connecting; }
    Protocols::Status MenuRequestedStatus() const override { return requestedStatus; }
    const CYolString& MenuLogin() const override { return settings.login; }
    unsigned int MenuUnreadMail() const override { return mail.Unread(); }
    bool MenuListAvailable() override { return ContactListService() != nullptr; }
    bool MenuContactKnown(unsigned int contact) const override { return contactList.FindByItem(contact) != nullptr; }
    bool MenuAuthorizationPending(unsigned int contact) const override;
    unsigned char MenuListFlag(unsigned int contact, const char16_t* name) override {
        return model.Flag(contact, name);
    }
    void MenuSetStatus(Protocols::Status value) override { SetStatus(value); }
    void MenuOpenInbox() override { mail.RequestSession(MrimMail::Purpose::OpenInbox); }
    void MenuWakeup(unsigned int contact) override { messages.SendWakeup(contact); }
    void MenuRequestAuthorization(unsigned int contact, const CYolString& reason) override;
    void MenuChangeList(unsigned int contact, uint32_t mask, bool set) override;

    // --- directory owner ---
    void ContactDetailsReady(unsigned int item) override;
    void SearchResult(const Protocols::UserInfo* user) override;
    CYolArray<unsigned int> DirectoryStatusIcon(uint32_t wire, const CYolString& uri) override;
    ZemDate Today() override;

    // --- transfer ports ---
    void ReportProgress(const Protocols::FTProgress& progress) override;
    CYolString OwnAddress() override { return settings.login; }
    int ConnectTransfer(const CYolString& host, uint32_t port) override;
    bool SendTransfer(int socket, std::string_view bytes) override;
    void CloseTransfer(int socket) override;
    // True when the event was a transfer socket's (and went to its transfer).
    bool RouteTransferEvent(Sockets::CYolSocket* socket, int event, int value);

    // --- connection reader ---
    void OnRedirect(bool valid, const CYolString& host, unsigned int port) override;
    void OnPacket(const MrimPacket& packet) override;

    int Connect(Protocols::Status wanted);
    void Disconnect();
    // The connection broke under a wanted status: disconnect and try again
    // after the reconnection delay.
    void LoseConnection();
    void ReportStatus(Protocols::Status value);
    void ShowText(const CYolString& text);
    // Tells the own-details pages what their button opens now.
    void PublishOwnDetailsLink();
    void LoadSettings();
    void SaveSettings();
    // Sends a list change built with a reserved sequence (nothing when the
    // builder found nothing to change).
    void SendListChange(MrimPacketType type, uint32_t reserved, const std::string& body);
    // The packets of the established session, each to its part.
    void Dispatch(const MrimPacket& packet);
    Sockets::CSocketsManager* SocketsService() const;
    CL::CContactList* ContactListService() const;

    ZemSettings settings;
    Protocols::Status status = Protocols::Offline;
    Protocols::Status requestedStatus = Protocols::Offline;
    Protocols::Status wantedStatus = Protocols::Offline;
    std::atomic<uint32_t> sequence{1};
    CYolString redirectHost;
    unsigned int redirectPort = 0;
    bool redirectValid = false;
    bool joined = false;

    MrimConnection connection{*this, [this] { return SocketsService(); }};
    MrimLogin login{*this, *this};
    CPluginListAdapter model{accountId, [this] { return ContactListService(); }};
    CZemContactList contactList{model, [this](const CYolString& text) { ShowText(text); }};
    ZemTyping typing;
    MrimMessages messages;
    MrimMail mail{*this, *this};
    ZemMenus menus{*this, servicesManager};
    MrimDirectory directory{*this, contactList, model, *this};
    // The transfers' own connections, owned by the account so that their
    // events come on its queue thread; they outlive the transfers.
    CTransferSockets transferSockets{[this] { return SocketsService(); }};
    ZemFileTransfer fileTransfer{*this, contactList, *this};
    CReconnectWait reconnectWait{[this] {
        PostToSelf(ProtocolsManagerGuid, Protocols::AccountCommand::SetStatus, NewStatusEventArg(reconnectTarget));
    }};
    Protocols::Status reconnectTarget = Protocols::Offline;
    // Shared with the own-details pages, which outlive neither it nor us.
    std::shared_ptr<ZemOwnDetailsLink> ownDetailsLink = std::make_shared<ZemOwnDetailsLink>();
};
