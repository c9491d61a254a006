// The account object: construction, start and shutdown, the status slots
// and the small slots that need no exchange with the server.

#include "CJabberAccount.h"

#include "CContactList.h"
#include "CSocketsManager.h"
#include "JabberPlugin.h"
#include "YolGuids.h"

CJabberAccount::CJabberAccount(Services::CServicesManager* servicesManager, unsigned int accountId,
                               unsigned int managerClientId, int kind)
    : Protocols::CAccount(servicesManager, accountId, managerClientId),
      kind(kind >= 0 && kind < kJabberKindCount ? kind : JabberKindXmpp) {
    responders = std::make_unique<XmppResponderSet>(*this, roster.PushResponder(), transfers);
}

CJabberAccount::~CJabberAccount() {
    // The registry stopped the events before deleting: nothing runs on the
    // account's thread any more, so its threads can be stopped and its
    // socket dropped here.
    StopReconnect();
    connection.Drop(false);
    bytestreams.CloseAll();
}

Sockets::CSocketsManager* CJabberAccount::SocketsService() const {
    return servicesManager ? static_cast<Sockets::CSocketsManager*>(servicesManager->GetService(SocketsManagerGuid))
                           : nullptr;
}

CL::CContactList* CJabberAccount::ContactListService() const {
    return servicesManager ? static_cast<CL::CContactList*>(servicesManager->GetService(ContactListGuid)) : nullptr;
}

CYolString CJabberAccount::GetProtocolName() { return CYolString(GetJabberFlavour(kind).protocolName); }

void CJabberAccount::ReportStatus(Protocols::Status value) {
    Protocols::StatusInfo info;
    if (!JabberPlugin::FindStatus(kind, value, info))
        info.status = value;
    SendAccountEvent(Protocols::AccountEvent::StatusChanged, NewStatusInfoEventArg(info));
}

int CJabberAccount::OnInit() {
    JabberPlugin::Join(servicesManager);
    LoadSettings();
    responders->RegisterIn(workQueue);
    for (CYolString& text : statusMessages)
        text = CYolString();
    caps.Seed();
    return 0;
}

int CJabberAccount::OnShutdown() {
    Disconnect();
    StopReconnect();
    contacts.ClearContacts();
    login.ForgetStreamId();
    SaveSettings();
    JabberPlugin::Leave(servicesManager);
    return 0;
}

int CJabberAccount::SetStatus(Protocols::Status wanted) {
    StopReconnect();
    if (wanted == Protocols::Offline) {
        if (wantedStatus != Protocols::Offline || status != Protocols::Offline)
            Disconnect();
    } else if (wanted != Protocols::Connecting) {
        Connect(wanted);
    }
    return 0;
}

int CJabberAccount::GetStatus() { return status == Protocols::Connecting ? Protocols::Connecting : wantedStatus; }

int CJabberAccount::AddGroup(const CYolString& name) {
    unsigned int group = CreateGroup(name);
    // The roster of a session on its way knows nothing of this group yet:
    // its synchronisation must not take it for a stale one.
    if (group != 0 && status != Protocols::Offline)
        roster.KeepGroupBeforeRoster(group);
    return 0;
}

int CJabberAccount::ReloadSettings() {
    const CYolString userName = settings.userName;
    const CYolString server = settings.server;
    LoadSettings();
    // Another login: what the map knows is the old roster's, whose list
    // items are gone. A message from one of them is a stranger's now.
    if (settings.userName != userName || settings.server != server)
        contacts.ClearContacts();
    return 0;
}

// Always two digits: a single digit (as for the bytes below 16) is no escape
// a URL decoder reads.
CYolString PercentByte(unsigned int value) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    const char16_t text[] = {u'%', digits[(value >> 4) & 0xF], digits[value & 0xF]};
    return CYolString(text, 3);
}
