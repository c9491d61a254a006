// The account object: construction, settings, status and connection.

#include "CRuvAccount.h"

#include "CProtocolsManager.h"
#include "CSocketsManager.h"
#include "CYolClock.h"
#include "CYolRand.h"
#include "RuvClientIdentity.h"
#include "RuvPlugin.h"
#include "RuvStatuses.h"
#include "YolGuids.h"

namespace {

constexpr int kStringSocketConnectError = 102;
// What the sockets service answers for a failure not worth retrying.
constexpr int kNoRetry = -3;

}  // namespace

CRuvAccount::CRuvAccount(Services::CServicesManager* servicesManager, unsigned int accountId,
                         unsigned int managerClientId)
    : CAccount(servicesManager, accountId, managerClientId), flapSequence(CYolRand::Rand() & 0x7FFF),
      serverList{CYolString(CRuvSettings::kDefaultServer)} {
    SetProtocolId(RuvProtocolGuid);
    session.presence.SetArrivalHook([this](CRuvListItem& item) {
        IdentifyClientOf(item);
        item.presence.iconFile = icons.Lookup(item.name, item.presence.iconHash);
        item.presence.iconPicture = icons.Picture(item.presence.iconFile);
    });
    session.SetMetaHandler(
        [this](uint16_t subtype, const uint8_t* frame, size_t size) { OnMetaFrame(subtype, frame, size); });
}

void CRuvAccount::IdentifyClientOf(CRuvListItem& item) const {
    RuvContactPresence& presence = item.presence;
    const RuvClientIdentification found = IdentifyUser(RuvClientInputs::FromTlvs(presence.userInfo));
    presence.xStatus = found.xStatus;
    if (!settings.showClientsIcons)
        return;
    presence.clientName = found.clientName;
    presence.clientPicture = found.picture;
}

void CRuvAccount::ShowIcon(const CYolString& screenName, std::string_view hash, const CYolString& path) {
    CRuvListItem* item = session.list.FindBuddy(screenName);
    if (item == nullptr || item->presence.iconHash != hash)
        return;
    item->presence.iconFile = path;
    item->presence.iconPicture = icons.Picture(path);
    session.list.ShowStatus(*item);
}

CRuvAccount::~CRuvAccount() {
    icons.Ended();
    reconnectWait.Cancel();
    connection.Drop();
}

Sockets::CSocketsManager* CRuvAccount::SocketsService() const {
    return servicesManager ? static_cast<Sockets::CSocketsManager*>(servicesManager->GetService(SocketsManagerGuid))
                           : nullptr;
}

CRuvSettingsStore CRuvAccount::Store() const {
    auto* manager = servicesManager
                        ? static_cast<Protocols::CProtocolsManager*>(servicesManager->GetService(ProtocolsManagerGuid))
                        : nullptr;
    return CRuvSettingsStore(manager, accountId);
}

int CRuvAccount::OnInit() {
    Store().Load(settings);
    if (!joined) {
        RuvPlugin::Join(servicesManager);
        RuvPlugin::JoinClientRules(servicesManager, settings.showClientsIcons);
        joined = true;
    }
    session.list.LoadCache(Store().GetListCache());
    session.privacy.TakeStoredMode();
    return 0;
}

int CRuvAccount::OnShutdown() {
    Disconnect();
    reconnectWait.Cancel();
    Store().Save(settings);
    Store().SetListCache(session.list.CacheBytes());
    icons.ReleasePictures();
    if (joined) {
        RuvPlugin::LeaveClientRules(servicesManager);
        RuvPlugin::Leave(servicesManager);
        joined = false;
    }
    return 0;
}

int CRuvAccount::ReloadSettings() {
    const CRuvSettings before = settings;
    Store().Load(settings);
    ApplyChangedSettings(before);
    return 0;
}

int CRuvAccount::SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) {
    ownStatus.SetXStatus(static_cast<int>(id), title, description);
    return 0;
}

int CRuvAccount::GetLogin(CYolString* out) {
    if (out)
        *out = settings.login;
    return 0;
}

int CRuvAccount::GetStatusInfo(Protocols::Status value, Protocols::StatusInfo* out) {
    if (out)
        RuvPlugin::FindStatus(value, *out);
    return 0;
}

int CRuvAccount::SetLanguage(const CYolString& language) {
    RuvPlugin::ChangeLanguage(language);
    return 0;
}

void CRuvAccount::ReportStatus(Protocols::Status value) {
    Protocols::StatusInfo info;
    info.status = value;
    RuvPlugin::FindStatus(value, info);
    SendAccountEvent(Protocols::AccountEvent::StatusChanged, NewStatusInfoEventArg(info));
}

void CRuvAccount::ShowText(const CYolString& text) {
    SendAccountEvent(Protocols::AccountEvent::ShowText, NewStringEventArg(text));
}

bool CRuvAccount::Send(const CFlapPacket& packet) {
    if (!connection.IsOpen())
        return false;
    std::string bytes = packet.Serialize();
    return !bytes.empty() && connection.Send(bytes);
}

uint16_t CRuvAccount::NextSequence() {
    uint32_t current = flapSequence.load();
    while (!flapSequence.compare_exchange_weak(current, NextFlapSequence(current))) {
    }
    return static_cast<uint16_t>(NextFlapSequence(current));
}

void CRuvAccount::RestartSequence() { flapSequence = FlapSequenceBase(CYolRand::Rand()); }

uint32_t CRuvAccount::RandomRequestId() { return CYolRand::Rand(); }

int CRuvAccount::SetStatus(Protocols::Status value) {
    reconnectWait.Cancel();
    if (value == Protocols::Offline) {
        if (ownStatus.Wanted() != Protocols::Offline || status != Protocols::Offline)
            Disconnect();
        return 0;
    }
    if (value == Protocols::Connecting)
        return 0;
    return Connect(value);
}

int CRuvAccount::Connect(Protocols::Status wanted) {
    if (status == Protocols::Connecting) {
        // The activation at the end of the login sets what is wanted then.
        ownStatus.SetWanted(wanted);
        return 0;
    }
    if (status != Protocols::Offline) {
        ownStatus.SetOnlineStatus(wanted);
        return 0;
    }
    signedOn = false;
    login.Stop();
    const CRuvSettingsStore store = Store();
    const int result = connection.Open(GetClientId(), store.GetServer(), store.GetPort());
    ownStatus.SetWanted(wanted);
    if (result != 0) {
        // A connect that cannot even start is said, and tried again unless
        // the service says it is pointless.
        ShowText(RuvPlugin::UiString(kStringSocketConnectError));
        if (result != kNoRetry)
            StartReconnection();
        return result;
    }
    login.Begin();
    status = Protocols::Connecting;
    ReportStatus(Protocols::Connecting);
    return 0;
}

void CRuvAccount::Disconnect() {
    ownStatus.ClearWanted();
    connection.Drop();
    icons.Ended();
    login.Stop();
    if (status == Protocols::Offline)
        return;
    status = Protocols::Offline;
    StopTimer(&CRuvAccount::KeepAliveTimer, this);
    session.Ended();
    details.Forget();
    meta.ConnectionEnded();
    fileTransfer.EndSession();
    ReportStatus(Protocols::Offline);
}

void CRuvAccount::StartReconnection() {
    const CRuvSettingsStore store = Store();
    if (store.GetKeepAlive() == 0)
        return;
    if (!signedOn) {
        unsigned int index = (store.GetLastServerIndex() + 1u) & 0xFF;
        if (index >= serverList.size())
            index = 0;
        store.SetLastServerIndex(static_cast<unsigned char>(index));
    }
    const int target = ownStatus.ToRestore();
    if (target <= Protocols::Connecting)
        return;
    reconnectTarget = static_cast<Protocols::Status>(target);
    reconnectWait.Start(CYolClock::Current().TickCount64() + reconnectDelay);
}

int CRuvAccount::OnSocketConnected(Sockets::CYolSocket* socket, int code) {
    if (icons.OnSocketConnected(socket, code))
        return 0;
    if (RouteTransferEvent(socket, Sockets::SocketEvent::ConnectResult, code) || !connection.Owns(socket) ||
        code == 0)
        return 0;
    const int wanted = ownStatus.Wanted();
    Disconnect();
    if (code != kNoRetry && wanted != Protocols::Offline)
        StartReconnection();
    return 0;
}

int CRuvAccount::OnSocketData(Sockets::CYolSocket* socket, int byteCount) {
    if (!SocketsService())
        return -1;
    if (icons.OnSocketData(socket, byteCount) ||
        RouteTransferEvent(socket, Sockets::SocketEvent::DataAvailable, byteCount))
        return 0;
    if (!connection.Owns(socket) || status == Protocols::Offline)
        return 0;
    RuvConnection::ReadResult result = connection.OnData(byteCount);
    if (result == RuvConnection::ReadResult::Failed)
        return -2;
    if (result == RuvConnection::ReadResult::Broken)
        Disconnect();
    return 0;
}

int CRuvAccount::OnSocketClosed(Sockets::CYolSocket* socket, int code) {
    if (icons.OnSocketClosed(socket))
        return 0;
    // The login connection is dropped by the account itself when the
    // session server takes over, so a close of the socket in use is always
    // a lost connection.
    if (RouteTransferEvent(socket, Sockets::SocketEvent::Closed, code) || connection.ReleaseDropped(socket) ||
        !connection.Owns(socket))
        return 0;
    const int wanted = ownStatus.Wanted();
    Disconnect();
    if (wanted != Protocols::Offline)
        StartReconnection();
    return 0;
}

int CRuvAccount::OnSocketError(Sockets::CYolSocket* socket, const CYolString& text) {
    if (connection.Owns(socket))
        ShowText(text);
    return 0;
}

void CRuvAccount::OnFrame(std::string_view frame) {
    // The session's features see a frame first: the list that completes
    // the sign-on is mirrored before the login activates the session.
    if (!fileTransfer.OnFrame(frame))
        session.OnFrame(frame);
    icons.OnFrame(frame);
    login.OnFrame(frame);
}

bool CRuvAccount::OpenSession(const CYolString& host, unsigned int port) {
    return connection.Open(GetClientId(), host, port) == 0;
}

void CRuvAccount::EndConnection(int stringId, bool reconnect) {
    if (stringId != 0)
        ShowText(RuvPlugin::UiString(stringId));
    Disconnect();
    if (reconnect)
        StartReconnection();
}

void CRuvAccount::OwnStatusReported(int reported) {
    const int confirmed = RuvStatus::Refined(reported, ownStatus.Wanted());
    signedOn = true;
    if (confirmed == status)
        return;
    status = static_cast<Protocols::Status>(confirmed);
    ReportStatus(status);
}

void CRuvAccount::SessionActivated() {
    session.Activated();
    if (Store().GetKeepAlive() != 0)
        StartTimer(kKeepAliveMs, &CRuvAccount::KeepAliveTimer, this);
}

unsigned int CRuvAccount::KeepAliveTimer(void* context) {
    auto* account = static_cast<CRuvAccount*>(context);
    if (account == nullptr || account->status <= Protocols::Connecting)
        return 0;
    account->Send(CFlapPacket(5, account->NextSequence()));
    return kKeepAliveMs;
}

unsigned int CRuvAccount::IconLinkTimer(void* context) {
    auto* account = static_cast<CRuvAccount*>(context);
    return account != nullptr ? account->icons.KeepAlive() : 0;
}
