#pragma once
// CRuvAccount: one OSCAR account. The program drives it only through the
// account interface of the plug-in framework (commands and socket events,
// all arriving on the account's own queue thread); the account talks to its
// servers only through the sockets service.
//
// It owns and wires its parts: the connection (socket and frame assembler),
// the login, the own status, the reconnection wait, the buddy icons with
// their own connection, the details of users and the meta service's
// searches, and the account's settings and confirmed status. It is the
// packet sink of its parts and the owner the login asks for what touches
// the connection.
//
// Threads: everything here runs on the account's queue thread. The
// reconnection wait and the keep-alive timers only post to it. The sequence
// counter is atomic all the same, so that no two frames of a connection
// ever share a number.

#include "CAccount.h"
#include "CReconnectWait.h"
#include "CRuvSettings.h"
#include "CSkinManager.h"
#include "RuvBuddyIcons.h"
#include "CTransferSockets.h"
#include "RuvConnection.h"
#include "RuvFileTransfer.h"
#include "RuvLogin.h"
#include "RuvMenus.h"
#include "RuvOwnStatus.h"
#include "CPluginListAdapter.h"
#include "RuvPlugin.h"
#include "RuvDetails.h"
#include "RuvMetaService.h"
#include "RuvPacketSink.h"
#include "RuvSession.h"
#include "YolGuids.h"

#include <atomic>
#include <vector>

namespace Sockets {
class CSocketsManager;
}
namespace Protocols {
class CProtocolsManager;
}

class CRuvAccount : public Protocols::CAccount,
                    public RuvPacketSink,
                    private MRuvLoginOwner,
                    private MRuvFrameReader,
                    private MRuvMenusOwner,
                    private MRuvTransferPorts {
public:
    CRuvAccount(Services::CServicesManager* servicesManager, unsigned int accountId, unsigned int managerClientId);
    ~CRuvAccount() override;

    static constexpr uint32_t kKeepAliveMs = 120000;

    bool Send(const CFlapPacket& packet) override;
    uint16_t NextSequence() override;
    void RestartSequence() override;
    uint32_t RandomRequestId() override;

    Protocols::Status CurrentStatus() const { return status; }
    RuvLogin::LoginState CurrentLoginState() const { return login.State(); }
    const CRuvSettings& Settings() const { return settings; }
    bool SignedOn() const { return signedOn; }
    uint8_t PrivacyMode() const { return session.privacy.Mode(); }
    const CRuvServerList& ServerList() const { return session.list; }
    const RuvOwnStatus& OwnStatus() const { return ownStatus; }
    const RuvFileTransfer& FileTransfers() const { return fileTransfer; }

    static unsigned int KeepAliveTimer(void* account);
    // The icon service's keep-alive: 60 s while its link is ready.
    static unsigned int IconLinkTimer(void* account);
    const RuvBuddyIcons& BuddyIcons() const { return icons; }

    CYolString GetProtocolName() override { return CYolString(u"Ruv"); }

protected:
    int OnInit() override;
    int OnShutdown() override;
    int GetLogin(CYolString* out) override;
    int SetStatus(Protocols::Status status) override;
    int GetStatus() override { return status; }
    int GetStatusInfo(Protocols::Status status, Protocols::StatusInfo* out) override;
    int SetLanguage(const CYolString& language) override;
    int ReloadSettings() override;
    int CreateSettingsPanes(YolTabDlg::CDlgInfo* panes) override;
    // The details and search pages (RuvDetailsSlots.cpp).
    int CreateOwnDetailsPanes(YolTabDlg::CDlgInfo* panes) override;
    int CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo* panes) override;
    int CreateSearchPanes(YolTabDlg::CDlgInfo* panes) override;
    int SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) override;
    int OnSocketConnected(Sockets::CYolSocket* socket, int code) override;
    int OnSocketData(Sockets::CYolSocket* socket, int byteCount) override;
    int OnSocketClosed(Sockets::CYolSocket* socket, int code) override;
    int OnSocketSendError(Sockets::CYolSocket* socket, int code) override;
    // File transfers (RuvTransferSlots.cpp).
    int SendFile(unsigned int contact, CYolString path) override;
    int AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath) override;
    int RefuseFile(unsigned int contact, CYolString fileName) override;
    int OnSocketError(Sockets::CYolSocket* socket, const CYolString& text) override;
    // The contact list's commands (RuvAccountSlots.cpp).
    int AddGroup(const CYolString& name) override;
    int RenameGroup(unsigned int group, const CYolString& name) override;
    int DeleteGroup(unsigned int group) override;
    int AddContact(const CYolString& login, const CYolString& name, unsigned int group) override;
    int RenameContact(unsigned int contact, const CYolString& name) override;
    int MoveContact(unsigned int contact, unsigned int group) override;
    int DeleteContact(unsigned int contact) override;
    int SendMessage(Protocols::MessageInfo message) override;
    int SendTyping(unsigned int contact, bool typing) override;
    int SetAuthorization(unsigned int contact, bool grant) override;
    int GetContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) override;
    // Details and search (RuvAccountDetails.cpp).
    int RequestContactInfo(unsigned int contact) override;
    int StartSearch(int page) override;
    // The menus and their posted choices (RuvAccountMenus.cpp).
    int GetAccountMenu(unsigned int kind, CYolMenuInfo* menu) override;
    int GetContactMenu(unsigned int contact, CYolMenuInfo* menu) override;
    int GetContactQuickMenu(unsigned int contact, CYolMenuInfo* menu) override;
    int OnOtherEvent(const YOL_GUID& channel, int event, Services::CEventArg* first,
                     Services::CEventArg* second) override;

public:
    // The account's own events that the details and search pages post from
    // their thread: the search request they filled (a TSearchRequest), the
    // user's changed own details (a CTLVCol in the save request's form), and
    // a request for the own details.
    static constexpr int kSearchRequestEvent = 180;
    static constexpr int kSaveOwnDetailsEvent = 181;
    static constexpr int kRequestOwnDetailsEvent = 182;
    void PostSearchRequest(const TSearchRequest& request);
    void PostOwnDetailsSave(const CTLVCol& changes);
    void PostOwnDetailsRequest();
    // The details model and the meta service; on the account's queue
    // thread only (the pane-set slots run there).
    RuvDetails& Details() { return details; }
    RuvMetaService& Meta() { return meta; }

    // The privacy-list commands of the contact menu: `type` is the list's
    // item type (2 visible, 3 invisible, 14 ignore).
    void AddToPrivacyList(unsigned int contact, uint16_t type) { session.edits.AddToPrivacyList(contact, type); }
    void RemoveFromPrivacyList(unsigned int contact, uint16_t type) {
        session.edits.RemoveFromPrivacyList(contact, type);
    }
    void SetPrivacyMode(uint8_t mode) { session.privacy.SetMode(mode, false); }
    void RequestAuthorization(unsigned int contact, const CYolString& reason) {
        session.edits.RequestAuthorization(contact, reason);
    }

private:
    // --- login owner ---
    const CRuvSettings& LoginSettings() const override { return settings; }
    bool OpenSession(const CYolString& host, unsigned int port) override;
    void EndConnection(int stringId, bool reconnect) override;
    void OwnStatusReported(int reported) override;
    void SessionActivated() override;

    // --- menus owner ---
    bool MenuOnline() const override { return status > Protocols::Connecting; }
    const CYolString& MenuLogin() const override { return settings.login; }
    Protocols::Status MenuWantedStatus() const override {
        return static_cast<Protocols::Status>(ownStatus.Wanted());
    }
    uint8_t MenuPrivacyMode() const override { return session.privacy.Mode(); }
    bool MenuPrivacyInStatusBar() const override { return settings.showPrivStatusInStatusbar; }
    bool MenuListAvailable() override { return ContactListService() != nullptr; }
    std::optional<Entry> MenuEntry(unsigned int contact) override { return session.commands.Entry(contact); }
    bool MenuOnPrivacyList(unsigned int contact, RuvPrivacyList list) override {
        return session.commands.OnPrivacyList(contact, list);
    }
    void MenuSetStatus(Protocols::Status value) override { SetStatus(value); }
    void MenuSetPrivacyMode(uint8_t mode) override { SetPrivacyMode(mode); }
    void MenuRequestAuthorization(unsigned int contact, const CYolString& reason) override;
    void MenuCheckStatus(unsigned int contact) override { session.commands.CheckStatus(contact); }
    void MenuRequestXStatus(unsigned int contact) override {
        session.commands.RequestXStatus(contact, settings.login);
    }
    void MenuChangePrivacyList(unsigned int contact, RuvPrivacyList list, bool add) override;

    // --- transfer ports (RuvTransferSlots.cpp) ---
    void ReportProgress(const Protocols::FTProgress& progress) override;
    int ConnectTransfer(const CYolString& host, uint32_t port) override;
    bool SendTransfer(int socket, std::string_view bytes) override;
    void CloseTransfer(int socket) override;
    CYolString OwnScreenName() override { return settings.login; }
    CYolString ProxyHost() override { return Store().GetTransferProxy(); }
    uint32_t ProxyPort() override { return Store().GetTransferProxyPort(); }
    // True when the socket is a transfer's (its event went there).
    bool RouteTransferEvent(Sockets::CYolSocket* socket, int event, int value);

    // --- frame reader ---
    void OnFrame(std::string_view frame) override;

    // The account's own details events; false for any other event.
    bool OnDetailsEvent(int event, Services::CEventArg* first);
    void OnMetaFrame(uint16_t subtype, const uint8_t* frame, size_t size);
    Protocols::CProtocolsManager* ProtocolsManagerService() const;

    // Carries out what changed between `before` and the settings now read
    // (RuvAccountPanes.cpp).
    void ApplyChangedSettings(const CRuvSettings& before);
    // What the contact's client is, read from its last arrival.
    void IdentifyClientOf(CRuvListItem& item) const;
    // An icon file was written: the contacts it belongs to show it.
    void ShowIcon(const CYolString& screenName, std::string_view hash, const CYolString& path);
    int Connect(Protocols::Status wanted);
    void Disconnect();
    // Reconnection after the delay, when a status is wanted and the
    // keep-alive setting allows it.
    void StartReconnection();
    void ReportStatus(Protocols::Status value);
    void ShowText(const CYolString& text);
    // A status the privacy mode imposes (invisible, invisible for all).
    void PrivacyStatus(int value);
    void ShowPrivacyMode(int image);
    CL::CContactList* ContactListService() const;
    CRuvSettingsStore Store() const;
    Sockets::CSocketsManager* SocketsService() const;

    CRuvSettings settings;
    Protocols::Status status = Protocols::Offline;
    bool signedOn = false;
    bool joined = false;
    std::atomic<uint32_t> flapSequence;
    // The login servers the account knows, tried in turn after attempts
    // that failed before sign-on.
    std::vector<CYolString> serverList;

    CPluginListAdapter contactList{accountId, [this] { return ContactListService(); }};
    RuvSession session{*this, contactList,
                       {[this] { return static_cast<int>(status); }, [this](int value) { PrivacyStatus(value); },
                        [this](const CYolString& text) { ShowText(text); },
                        [this](int image) { ShowPrivacyMode(image); }, [this] { return settings.typingNotification; },
                        [this] { return login.State() == RuvLogin::LoginState::Established; },
                        [this] {
                            return RuvOwnXStatus{ownStatus.XStatus(), settings.login, ownStatus.XStatusTitle(),
                                                 ownStatus.XStatusDescription()};
                        }}};
    RuvDetailStoreAdapter detailStore{accountId, [this] { return ContactListService(); },
                                      [this] { return ProtocolsManagerService(); }};
    RuvDetails details{*this, contactList, detailStore,
                       {[this] { return status > Protocols::Connecting; }, [this] { return settings.login; },
                        [this](unsigned int contact, const CYolString& nick) {
                            session.edits.RenameContact(contact, nick);
                        },
                        [this](unsigned int contact) {
                            SendAccountEvent(Protocols::AccountEvent::ContactDetailsReady, NewUIntEventArg(contact));
                        },
                        [this] { SendAccountEvent(Protocols::AccountEvent::OwnDetailsReady); }}};
    RuvMetaService meta{*this, contactList, details,
                        {[this] { return settings.login; },
                         [this](const CYolString& sender, unsigned int kind, int image, const CYolString& text) {
                             session.messages.Deliver(sender, kind, image, text);
                         },
                         [this](const Protocols::UserInfo* user) {
                             SendAccountEvent(Protocols::AccountEvent::SearchResult,
                                              user != nullptr ? NewUserInfoEventArg(*user) : nullptr);
                         },
                         [](int id) { return RuvPlugin::UiString(id); },
                         [](int index) { return RuvPlugin::ImageId(index); }}};
    RuvConnection connection{*this, [this] { return SocketsService(); }};
    RuvBuddyIcons icons{{[this] { return SocketsService(); }, [this] { return GetClientId(); },
                         [this](bool start) {
                             if (start)
                                 StartTimer(CRuvAvatarConnection::kKeepAliveMs, &CRuvAccount::IconLinkTimer, this);
                             else
                                 StopTimer(&CRuvAccount::IconLinkTimer, this);
                         },
                         [this](const CYolString& name, std::string_view hash, const CYolString& path) {
                             ShowIcon(name, hash, path);
                         },
                         [] { return RuvIconStore::DefaultFolder(); },
                         [this] {
                             return servicesManager ? static_cast<Skins::CSkinManager*>(
                                                          servicesManager->GetService(SkinManagerGuid))
                                                    : nullptr;
                         }}};
    RuvOwnStatus ownStatus{*this, {[this] { return static_cast<int>(status); },
                                   [this] { return settings.typingNotification; }}};
    RuvLogin login{*this, *this, ownStatus};
    RuvMenus menus{*this, servicesManager};
    // Declared before the transfers, whose sessions close their sockets as
    // they go.
    CTransferSockets transferSockets{[this] { return SocketsService(); }};
    RuvFileTransfer fileTransfer{*this, session.list, *this};
    CReconnectWait reconnectWait{[this] {
        PostToSelf(ProtocolsManagerGuid, Protocols::AccountCommand::SetStatus, NewStatusEventArg(reconnectTarget));
    }};
    Protocols::Status reconnectTarget = Protocols::Offline;
};
