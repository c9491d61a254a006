// The account object: construction, settings, status and connection.

#include "CZemAccount.h"

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CSocketsManager.h"
#include "CYolClock.h"
#include "YolGuids.h"
#include "ZemPlugin.h"
#include "ZemStatuses.h"

namespace {

constexpr int kStringOtherComputer = 217;
constexpr int kImageMailEmpty = 28;
constexpr int kImageMailFull = 29;

}  // namespace

CZemAccount::CZemAccount(Services::CServicesManager* servicesManager, unsigned int accountId,
                         unsigned int managerClientId)
    : CAccount(servicesManager, accountId, managerClientId),
      typing([this](const CYolString& address, bool typingNow) {
          if (const ZemContact* contact = contactList.FindByAddress(address))
              model.SetTyping(contact->clItemId, typingNow);
      }),
      messages(*this, contactList, model, typing,
               {[this] { return status > Protocols::Connecting; }, [](int id) { return ZemPlugin::UiString(id); },
                [](int index) { return static_cast<int>(ZemPlugin::ImageId(index)); },
                [] { return CYolClock::Current().Now(); },
                [this] { StartTimer(1000, &CZemAccount::OnTypingTimer, this); }}) {
    SetProtocolId(ZemProtocolGuid);
    contactList.SetImageIds([](int index) { return ZemPlugin::ImageId(index); });
}

CZemAccount::~CZemAccount() {
    reconnectWait.Cancel();
    connection.Drop();
}

Sockets::CSocketsManager* CZemAccount::SocketsService() const {
    return servicesManager ? static_cast<Sockets::CSocketsManager*>(servicesManager->GetService(SocketsManagerGuid))
                           : nullptr;
}

CL::CContactList* CZemAccount::ContactListService() const {
    return servicesManager ? static_cast<CL::CContactList*>(servicesManager->GetService(ContactListGuid)) : nullptr;
}

int CZemAccount::OnInit() {
    if (!joined) {
        ZemPlugin::Join(servicesManager);
        joined = true;
    }
    LoadSettings();
    return 0;
}

int CZemAccount::OnReady() {
    CYolArray<unsigned int> icon;
    icon.Add(ZemPlugin::ImageId(ZemStatus::kImageOffline));
    SendAccountEvent(Protocols::AccountEvent::AddStatusIcon, NewUIntArrayEventArg(icon));
    return 0;
}

int CZemAccount::OnShutdown() {
    Disconnect();
    reconnectWait.Cancel();
    SaveSettings();
    if (joined) {
        ZemPlugin::Leave(servicesManager);
        joined = false;
    }
    return 0;
}

int CZemAccount::ReloadSettings() {
    const bool wasHidden = settings.hideEmailBtn != 0;
    LoadSettings();
    if (wasHidden != (settings.hideEmailBtn != 0))
        mail.SetIconHidden(settings.hideEmailBtn != 0);
    return 0;
}

void CZemAccount::LoadSettings() {
    auto* manager = servicesManager
                        ? static_cast<Protocols::CProtocolsManager*>(servicesManager->GetService(ProtocolsManagerGuid))
                        : nullptr;
    if (manager == nullptr)
        return;
    settings.login = CYolString();
    settings.password = CYolString();
    manager->GetAccountString(accountId, CYolString(u"SrvLogName"), settings.login, false);
    manager->GetAccountString(accountId, CYolString(u"SrvLogPass"), settings.password, true);
    // The login server is a setting of its own so that a private or test
    // server can stand in; the network's own is the default.
    settings.server = CYolString(ZemSettings::kDefaultServer);
    manager->GetAccountString(accountId, CYolString(u"SrvConHost"), settings.server, false);
    if (settings.server.IsEmpty())
        settings.server = CYolString(ZemSettings::kDefaultServer);
    settings.port = ZemSettings::kDefaultPort;
    unsigned int port = 0;
    if (manager->GetAccountDword(accountId, CYolString(u"SrvConPort"), port) && port > 0 && port <= 65535)
        settings.port = port;
    settings.emailNotify = 1;
    settings.hideEmailBtn = 0;
    manager->GetAccountByte(accountId, CYolString(u"EmailNotify"), settings.emailNotify);
    manager->GetAccountByte(accountId, CYolString(u"HideEmailBtn"), settings.hideEmailBtn);
    settings.loaded = true;
}

void CZemAccount::SaveSettings() {
    auto* manager = servicesManager
                        ? static_cast<Protocols::CProtocolsManager*>(servicesManager->GetService(ProtocolsManagerGuid))
                        : nullptr;
    if (manager == nullptr || !settings.loaded)
        return;
    manager->SetAccountString(accountId, CYolString(u"SrvLogName"), settings.login, false);
    manager->SetAccountString(accountId, CYolString(u"SrvLogPass"), settings.password, true);
    manager->SetAccountByte(accountId, CYolString(u"EmailNotify"), settings.emailNotify);
    manager->SetAccountByte(accountId, CYolString(u"HideEmailBtn"), settings.hideEmailBtn);
    manager->SetAccountString(accountId, CYolString(u"SrvProtoName"), CYolString(), false);
    const struct {
        const char16_t* key;
        unsigned char value;
    } fixed[] = {{u"SrvEnabled", 1}, {u"SrvLogSave", 1}, {u"SrvLogSecure", 0}, {u"SrvLogMobile", 0}, {u"SrvLogHashed", 0}};
    for (const auto& entry : fixed)
        manager->SetAccountByte(accountId, CYolString(entry.key), entry.value);
}

int CZemAccount::GetLogin(CYolString* out) {
    if (out)
        *out = settings.login;
    return 0;
}

int CZemAccount::GetStatusInfo(Protocols::Status value, Protocols::StatusInfo* out) {
    return out && ZemPlugin::FindStatus(value, *out) ? 1 : 0;
}

int CZemAccount::GetContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) {
    if (out)
        contactList.BuildContactStatus(contact, *out);
    return 0;
}

int CZemAccount::SetLanguage(const CYolString& language) {
    ZemPlugin::ChangeLanguage(language);
    return 0;
}

void CZemAccount::ReportStatus(Protocols::Status value) {
    Protocols::StatusInfo info;
    info.status = value;
    ZemPlugin::FindStatus(value, info);
    SendAccountEvent(Protocols::AccountEvent::StatusChanged, NewStatusInfoEventArg(info));
    PublishOwnDetailsLink();
}

void CZemAccount::PublishOwnDetailsLink() {
    const bool open = !mail.SessionKey().IsEmpty() && status > Protocols::Connecting;
    ownDetailsLink->Set(open ? mail.OwnDetailsAddress() : CYolString());
}

void CZemAccount::ShowText(const CYolString& text) {
    SendAccountEvent(Protocols::AccountEvent::ShowText, NewStringEventArg(text));
}

bool CZemAccount::SendPacket(MrimPacketType type, std::string_view body, uint32_t number) {
    if (number == 0)
        number = NextSequence();
    if (status == Protocols::Offline)
        return false;
    return connection.Send(BuildMrimPacket(type, number, body));
}

int CZemAccount::SetStatus(Protocols::Status value) {
    reconnectWait.Cancel();
    if (value == Protocols::Offline) {
        if (requestedStatus != Protocols::Offline || status != Protocols::Offline)
            Disconnect();
        return 0;
    }
    if (value == Protocols::Connecting)
        return 0;
    return Connect(value);
}

int CZemAccount::Connect(Protocols::Status wanted) {
    if (status != Protocols::Offline) {
        requestedStatus = wantedStatus = wanted;
        if (status != Protocols::Connecting) {
            status = wanted;
            SendPacket(MrimPacketType::ChangeStatus, BuildChangeStatusBody(wanted));
            ReportStatus(wanted);
        }
        return 0;
    }
    if (int result = connection.Open(GetClientId(), settings.server, settings.port, true); result != 0)
        return result;
    login.Begin();
    status = Protocols::Connecting;
    requestedStatus = wantedStatus = wanted;
    ReportStatus(Protocols::Connecting);
    return 0;
}

void CZemAccount::Disconnect() {
    requestedStatus = Protocols::Offline;
    // The offers and answers travel on the session: no transfer outlives it.
    fileTransfer.EndSession();
    connection.Drop();
    login.Stop();
    if (status == Protocols::Offline)
        return;
    status = Protocols::Offline;
    StopTimer(&CZemAccount::OnPingTimer, this);
    StopTimer(&CZemAccount::OnTypingTimer, this);
    messages.ClearPending();
    mail.SessionEnded();
    ReportStatus(Protocols::Offline);
    contactList.AllOffline();
    // Typing ends with the session: nobody is left to say it stopped.
    typing.Clear();
}

void CZemAccount::LoseConnection() {
    const Protocols::Status target = wantedStatus;
    Disconnect();
    if (target <= Protocols::Connecting)
        return;
    reconnectTarget = target;
    reconnectWait.Start(CYolClock::Current().TickCount64() + reconnectDelay);
}

int CZemAccount::OnSocketConnected(Sockets::CYolSocket* socket, int code) {
    if (RouteTransferEvent(socket, Sockets::SocketEvent::ConnectResult, code) || !connection.Owns(socket))
        return 0;
    if (code != 0) {
        if (code == -3) {
            Disconnect();
            wantedStatus = Protocols::Offline;
        } else {
            LoseConnection();
        }
        return 0;
    }
    if (!connection.IsRedirect())
        login.OnConnected();
    return 0;
}

int CZemAccount::OnSocketData(Sockets::CYolSocket* socket, int byteCount) {
    if (!SocketsService())
        return -1;
    if (RouteTransferEvent(socket, Sockets::SocketEvent::DataAvailable, byteCount))
        return 0;
    if (!connection.Owns(socket) || status == Protocols::Offline)
        return 0;
    MrimConnection::ReadResult result = connection.OnData(byteCount);
    if (result == MrimConnection::ReadResult::Failed)
        return -2;
    if (result == MrimConnection::ReadResult::Broken)
        LoseConnection();
    return 0;
}

int CZemAccount::OnSocketClosed(Sockets::CYolSocket* socket, int code) {
    if (RouteTransferEvent(socket, Sockets::SocketEvent::Closed, code) || connection.ReleaseDropped(socket) ||
        !connection.Owns(socket))
        return 0;
    // The first connection ends with its text; any other close, the peer's
    // own (code 0) included, is a lost session.
    if (connection.IsRedirect()) {
        connection.OnRedirectClosed();
        return 0;
    }
    LoseConnection();
    return 0;
}

int CZemAccount::OnSocketError(Sockets::CYolSocket* socket, const CYolString& text) {
    if (connection.Owns(socket))
        ShowText(text);
    return 0;
}

void CZemAccount::OnRedirect(bool valid, const CYolString& host, unsigned int port) {
    redirectValid = valid;
    redirectHost = host;
    redirectPort = port;
    PostToSelf(ZemProtocolGuid, kRedirectEvent);
}

int CZemAccount::OnOtherEvent(const YOL_GUID& channel, int event, Services::CEventArg* first,
                              Services::CEventArg* second) {
    if (channel != ZemProtocolGuid)
        return 0;
    if (event == kRedirectEvent && status == Protocols::Connecting)
        login.OnRedirect(redirectValid, redirectHost, redirectPort);
    if (event == kSearchQueryEvent && first != nullptr)
        directory.SetQuery(static_cast<Services::CEventArg_Data<ZemSearchQuery>*>(first)->data);
    if (event == ZemMenus::kAuthRequestEvent && first != nullptr && second != nullptr)
        menus.RequestAuthorization(static_cast<Services::CEventArg_Data<unsigned int>*>(first)->data,
                                   static_cast<Services::CEventArg_Data<CYolString>*>(second)->data);
    if (event == ZemMenus::kMenuEvent && first != nullptr && second != nullptr)
        menus.Choose(static_cast<Services::CEventArg_Data<unsigned int>*>(first)->data,
                     static_cast<Services::CEventArg_Data<unsigned int>*>(second)->data);
    return 0;
}

CYolString CZemAccount::MailText(int id) const { return ZemPlugin::UiString(id); }

void CZemAccount::AddMailIcon(bool full) {
    CYolArray<unsigned int> icon;
    icon.Add(ZemPlugin::ImageId(full ? kImageMailFull : kImageMailEmpty));
    SendAccountEvent(Protocols::AccountEvent::AddStatusIcon, NewUIntArrayEventArg(icon));
}

void CZemAccount::ChangeMailIcon(bool full) {
    Protocols::StatusIconInfo info;
    info.index = 1;
    info.icon.Add(ZemPlugin::ImageId(full ? kImageMailFull : kImageMailEmpty));
    SendAccountEvent(Protocols::AccountEvent::SetStatusIcon, NewStatusIconEventArg(info));
}

void CZemAccount::RemoveMailIcon() { SendAccountEvent(Protocols::AccountEvent::RemoveStatusIcon, NewIntEventArg(1)); }

void CZemAccount::Notify(const CYolString& title, const CYolFormatString& text) {
    SendAccountEvent(Protocols::AccountEvent::Notification,
                     NewNotificationInfoEventArg(Protocols::NotificationInfo(title, text)));
}

void CZemAccount::OpenUrl(const CYolString& address) {
    SendAccountEvent(Protocols::AccountEvent::OpenUrl, NewStringEventArg(address));
}

void CZemAccount::OwnDetailsReady() {
    PublishOwnDetailsLink();
    SendAccountEvent(Protocols::AccountEvent::OwnDetailsReady);
}

bool CZemAccount::OpenSession(const CYolString& host, unsigned int port) {
    return connection.Open(GetClientId(), host, port, false) == 0;
}

void CZemAccount::RedirectFailed() { LoseConnection(); }

void CZemAccount::StartKeepAlive(unsigned int seconds) {
    StartTimer(seconds * 1000, &CZemAccount::OnPingTimer, this);
}

unsigned int CZemAccount::OnPingTimer(void* context) {
    auto* account = static_cast<CZemAccount*>(context);
    if (account == nullptr || account->status <= Protocols::Connecting)
        return 0;
    account->SendPacket(MrimPacketType::Ping, {});
    return account->login.PingPeriod() * 1000;
}

unsigned int CZemAccount::OnTypingTimer(void* context) {
    auto* account = static_cast<CZemAccount*>(context);
    if (account == nullptr)
        return 0;
    return account->typing.Expire(CYolClock::Current().Now()) ? 1000 : 0;
}

void CZemAccount::LoginAccepted() {
    status = requestedStatus;
    ReportStatus(status);
}

void CZemAccount::LoginRefused(const CYolString& reason) {
    if (!reason.IsEmpty())
        ShowText(reason);
    wantedStatus = Protocols::Offline;
    Disconnect();
}

void CZemAccount::LoggedOut(bool otherComputer) {
    if (otherComputer)
        ShowText(ZemPlugin::UiString(kStringOtherComputer));
    wantedStatus = Protocols::Offline;
    Disconnect();
}
