// The model's life, its lock, its broadcasts, update brackets and settings.

#include "CContactListImpl.h"

#include "CContactListImplShared.h"
#include "CProtocolsManager.h"
#include "CYolDatabase.h"
#include "YolGuids.h"

#include <new>

namespace CL {

using namespace Detail;

CContactListImpl::CContactListImpl(Services::CServicesManager* services)
    : services(services), statusList(std::make_shared<StatusListBox>()) {
    metaGroups.Insert(0u, std::make_unique<MGroup>());
    if (services == nullptr)
        return;
    serviceKey = services->RegisterService(ContactListGuid, static_cast<CContactList*>(this));
    clientId = services->RegisterEventsClient(&handler, CYolString(u"CL"));
    for (int event = ContactListEvent::First; event <= ContactListEvent::Last; ++event)
        eventKeys[event] = services->RegisterEvent(ContactListGuid, event);
    startedSubscription = services->Subscribe(ServicesManagerGuid, 1, clientId);
}

CContactListImpl::~CContactListImpl() {
    {
        Locked held(*this);
        stopping = true;
    }
    // Nobody finds the model any more, and its queue thread is stopped
    // (a running request is waited for) before the tables go: a request
    // still queued must not run against freed items.
    if (services != nullptr) {
        services->UnregisterService(serviceKey);
        services->UnregisterEventsClient(clientId);
    }
    SaveCaches(true);
    {
        Locked held(*this);
        contactMeta.Clear();
        metaContactIndex.Clear();
        subIndex.clear();
        numberUse.clear();
        metaGroups.Clear();
        tempContacts.Clear();
        items.Clear();
        accounts.Clear();
    }
    if (services != nullptr) {
        for (int event = ContactListEvent::First; event <= ContactListEvent::Last; ++event)
            services->UnregisterEvent(eventKeys[event]);
    }
}

// ------------------------------------------------------------------ lock

void CContactListImpl::Lock() {
    lock.Enter();
    ++lockDepth;
}

void CContactListImpl::Unlock() {
    --lockDepth;
    lock.Leave();
}

void CContactListImpl::RaiseSync(int event, Services::CEventArg* arg, Services::CEventArg* extra) {
    if (services == nullptr || event < ContactListEvent::First || event > ContactListEvent::Last) {
        Drop(arg);
        Drop(extra);
        return;
    }
    // Given up whole, so that a subscriber on another thread can take it
    // while this thread waits for it.
    WithoutLock([&] { services->BroadcastEvent(eventKeys[event], arg, extra, true); });
}

void CContactListImpl::Raise(int event, Services::CEventArg* arg, Services::CEventArg* extra) {
    if (services == nullptr || event < ContactListEvent::First || event > ContactListEvent::Last) {
        Drop(arg);
        Drop(extra);
        return;
    }
    services->BroadcastEvent(eventKeys[event], arg, extra, false);
}

bool CContactListImpl::PostRequest(int request, Services::CEventArg* arg, Services::CEventArg* extra) {
    if (services == nullptr || clientId == 0) {
        Drop(arg);
        Drop(extra);
        return false;
    }
    return services->SendEvent(clientId, ContactListGuid, request, arg, extra, false) == 1;
}

Protocols::CProtocolsManager* CContactListImpl::ProtocolsManager() const {
    if (services == nullptr)
        return nullptr;
    return static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid));
}

Database::CYolDatabase* CContactListImpl::SettingsDatabase() const {
    if (services == nullptr)
        return nullptr;
    return static_cast<Database::CYolDatabase*>(services->GetService(DatabaseGuid));
}

MServerStoreLink* CContactListImpl::Store() const {
    return serverStore != nullptr && serverStore->IsEnabled() ? serverStore : nullptr;
}

void CContactListImpl::SetServerStore(MServerStoreLink* store) {
    Locked held(*this);
    serverStore = store;
}

Database::CYolDatabase* CContactListImpl::AntispamHost::AntispamDatabase() { return owner.SettingsDatabase(); }

void CContactListImpl::AntispamHost::SendAntispamReply(const Protocols::MessageInfo& reply) {
    unsigned int account = owner.GetItemAccount(reply.contactId);
    // Silent: the question and the confirmation are no messages of the user.
    if (Protocols::CProtocolsManager* manager = owner.ProtocolsManager(); manager != nullptr && account != 0)
        manager->SendMessage(account, reply, true);
}

// ------------------------------------------------------------- brackets

void CContactListImpl::BeginUpdate() {
    Locked held(*this);
    BeginUpdateLocked();
}

void CContactListImpl::EndUpdate() {
    Locked held(*this);
    EndUpdateLocked();
}

void CContactListImpl::BeginUpdateLocked() {
    if (updateDepth++ != 0)
        return;
    Raise(ContactListEvent::UpdateBegin, nullptr);
    if (MServerStoreLink* store = Store()) {
        store->BeginBatch();
        batchOpen = true;
    }
}

void CContactListImpl::EndUpdateLocked() {
    // An EndUpdate without its BeginUpdate would open every later bracket
    // one level deep and never announce it.
    if (updateDepth == 0)
        return;
    if (--updateDepth != 0)
        return;
    // A batch that was opened is closed even when the store was switched off
    // meanwhile, or every later change would be collected and never sent.
    if (batchOpen && serverStore != nullptr) {
        batchOpen = false;
        serverStore->EndBatch(clientId);
    }
    Raise(ContactListEvent::UpdateEnd, nullptr);
    if (changed)
        ScheduleSave();
}

// ------------------------------------------------------------ forwarding

int CContactListImpl::CheckAntispam(unsigned int contactId, const Protocols::MessageInfo& message) {
    // The filter guards its lists itself and is called without the model's
    // lock, so sending the replies may come back into the model.
    return antispam.CheckAntispam(contactId, message);
}

void CContactListImpl::ReceiveMessage(unsigned int contactId, const Protocols::MessageInfo& message) {
    PostRequest(ContactListRequest::ReceiveMessage, NewArg(contactId), NewArg(message));
}

void CContactListImpl::NotifyMessageAck(unsigned int contactId, unsigned int messageId) {
    PostRequest(ContactListRequest::MessageAck, NewArg(contactId), NewArg(messageId));
}

void CContactListImpl::NotifyMessageNotSent(unsigned int contactId, const Protocols::MessageInfo& message) {
    PostRequest(ContactListRequest::MessageNotSent, NewArg(contactId), NewArg(message));
}

void CContactListImpl::SetContactTyping(unsigned int contactId, bool typing) {
    PostRequest(ContactListRequest::Typing, NewArg(contactId), NewArg(static_cast<unsigned int>(typing)));
}

void CContactListImpl::RemoveGroup(unsigned int groupId) {
    PostRequest(ContactListRequest::RemoveGroup, NewArg(groupId));
}

void CContactListImpl::RemoveContact(unsigned int contactId) {
    PostRequest(ContactListRequest::RemoveContact, NewArg(contactId));
}

bool CContactListImpl::MoveContact(unsigned int contactId, unsigned int groupId) {
    PostRequest(ContactListRequest::MoveContact, NewArg(contactId), NewArg(groupId));
    return true;
}

void CContactListImpl::MoveMetaContact(unsigned int metaContactId, unsigned int metaGroupId) {
    PostRequest(ContactListRequest::MoveMetaContact, NewArg(metaContactId), NewArg(metaGroupId));
}

void CContactListImpl::MoveContactToMetaContact(unsigned int contactId, unsigned int targetId) {
    PostRequest(ContactListRequest::MoveContactToMetaContact, NewArg(contactId), NewArg(targetId));
}

void CContactListImpl::RemoveMetaContact(unsigned int metaContactId) {
    PostRequest(ContactListRequest::RemoveMetaContact, NewArg(metaContactId));
}

void CContactListImpl::PostClearMetaContacts() {
    {
        Locked held(*this);
        ++pendingClears;
    }
    if (!PostRequest(ContactListRequest::ClearMetaContacts, NewArg(true))) {
        Locked held(*this);
        if (pendingClears > 0)
            --pendingClears;
    }
}

bool CContactListImpl::FindActingContact(unsigned int id, unsigned int& contact, unsigned int& account) {
    contact = IsMetaContactId(id) ? ChooseSubContact(id) : id;
    ItemEntry* entry = IsContactId(contact) ? FindGroupOrContact(contact) : nullptr;
    if (entry == nullptr)
        return false;
    account = entry->accountId;
    return true;
}

bool CContactListImpl::SendMessage(unsigned int id, Protocols::MessageInfo* message, bool silent) {
    if (message == nullptr)
        return false;
    unsigned int account = 0;
    {
        Locked held(*this);
        if (IsContactId(id)) {
            message->contactId = id;
            MContact* meta = FindMetaContactOfContact(id);
            message->metaContactId = meta != nullptr ? meta->id : 0;
        } else if (IsMetaContactId(id)) {
            message->metaContactId = id;
            message->contactId = ChooseSubContact(id);
        }
        // A contact that is not (or no longer) in the model has no account
        // to send through.
        unsigned int contact = 0;
        if (message->contactId == 0 || !FindActingContact(message->contactId, contact, account))
            return false;
    }
    if (Protocols::CProtocolsManager* manager = ProtocolsManager())
        manager->SendMessage(account, *message, silent);
    return true;
}

template <typename Send>
bool CContactListImpl::ActThrough(unsigned int id, Send&& send) {
    unsigned int contact = 0;
    unsigned int account = 0;
    {
        Locked held(*this);
        if (!FindActingContact(id, contact, account))
            return false;
    }
    if (Protocols::CProtocolsManager* manager = ProtocolsManager())
        send(*manager, account, contact);
    return true;
}

bool CContactListImpl::SendTypingNotification(unsigned int id, bool typing) {
    return ActThrough(id, [typing](Protocols::CProtocolsManager& manager, unsigned int account, unsigned int contact) {
        manager.SendTyping(account, contact, typing);
    });
}

bool CContactListImpl::RequestContactDetails(unsigned int id) {
    return ActThrough(id, [](Protocols::CProtocolsManager& manager, unsigned int account, unsigned int contact) {
        manager.RequestContactInfo(account, contact);
    });
}

bool CContactListImpl::SendFile(unsigned int id, const CYolString& path) {
    return ActThrough(id, [&path](Protocols::CProtocolsManager& manager, unsigned int account, unsigned int contact) {
        manager.SendFile(account, contact, path);
    });
}

// -------------------------------------------------------------- settings

bool CContactListImpl::GetShowBirthdayBalloon() {
    Database::CYolDatabase* db = SettingsDatabase();
    unsigned char value = 1;
    if (db != nullptr)
        db->GetByte(ContactListGuid, CYolString(u"CL_ShowBirthdayBalloon"), value);
    return value != 0;
}

void CContactListImpl::SetShowBirthdayBalloon(bool show) {
    if (Database::CYolDatabase* db = SettingsDatabase())
        db->SetByte(ContactListGuid, CYolString(u"CL_ShowBirthdayBalloon"), static_cast<unsigned char>(show ? 1 : 0));
}

bool CContactListImpl::GetAntispamMsgsFromNIL() { return antispam.GetAntispamMsgsFromNIL(); }
void CContactListImpl::SetAntispamMsgsFromNIL(bool accept) { antispam.SetAntispamMsgsFromNIL(accept); }
bool CContactListImpl::GetAntispamEnable() { return antispam.GetAntispamEnable(); }
void CContactListImpl::SetAntispamEnable(bool enable) { antispam.SetAntispamEnable(enable); }
CYolString CContactListImpl::GetAntispamQuestion() { return antispam.GetAntispamQuestion(); }
void CContactListImpl::SetAntispamQuestion(const CYolString& text) { antispam.SetAntispamQuestion(text); }
CYolString CContactListImpl::GetAntispamAnswer() { return antispam.GetAntispamAnswer(); }
void CContactListImpl::SetAntispamAnswer(const CYolString& text) { antispam.SetAntispamAnswer(text); }
CYolString CContactListImpl::GetAntispamConfirm() { return antispam.GetAntispamConfirm(); }
void CContactListImpl::SetAntispamConfirm(const CYolString& text) { antispam.SetAntispamConfirm(text); }

}  // namespace CL
