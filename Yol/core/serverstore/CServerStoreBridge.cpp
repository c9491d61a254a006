// The storage server's part in the account lifecycle: the base-account prompt
// and its answer, the start of the accounts around the server's read, and the
// account list and meta-contact list that travel to and from the server.

#include "CServerStoreBridge.h"

#include "CContactListImpl.h"
#include "CEventArg.h"
#include "ProtocolsManagerEvents.h"
#include "YolGuids.h"
#include "ValueNames.h"

namespace Core {

using Services::CEventArg;
using Services::CEventArg_Data;

namespace {

const char16_t* const kLoginKey = ValueName::SrvLogName;
const char16_t* const kPasswordKey = u"SrvLogPass";
const char16_t* const kBaseAccountKey = u"BaseAcc";
const char16_t* const kFileNameKey = u"SrvFileName";
const char16_t* const kBaseFileName = u"jabberyol";

// The storage server's answer that its lists were read.
constexpr int kHttpOk = 200;
// It refused the stored login.
constexpr int kHttpForbidden = 403;

template <typename T>
const T* ValueOf(CEventArg* arg) {
    auto* data = dynamic_cast<CEventArg_Data<T>*>(arg);
    return data != nullptr ? &data->data : nullptr;
}

}  // namespace

// --- CUseGate ------------------------------------------------------------------------

bool CUseGate::Enter() {
    std::lock_guard<std::mutex> hold(lock);
    if (closed)
        return false;
    ++users;
    return true;
}

void CUseGate::Leave() {
    std::lock_guard<std::mutex> hold(lock);
    if (--users == 0)
        idle.notify_all();
}

void CUseGate::Close() {
    std::unique_lock<std::mutex> hold(lock);
    closed = true;
    idle.wait(hold, [this] { return users == 0; });
}

template <typename Fn>
void CServerStoreBridge::Through(CUseGate& gate, Fn&& fn) {
    if (!gate.Enter())
        return;
    struct Leaving {
        CUseGate& gate;
        ~Leaving() { gate.Leave(); }
    } leaving{gate};
    fn();
}

// --- wiring ----------------------------------------------------------------------------

CServerStoreBridge::CServerStoreBridge(Protocols::CProtocolsManagerImpl& manager, CServerStore& store,
                                       CL::CContactListImpl* model)
    : manager(manager), store(store), model(model) {}

void CServerStoreBridge::Attach() {
    manager.SetServerAccountList(this);
    store.SetLists(this);
}

void CServerStoreBridge::DetachModel() {
    modelGate.Close();
}

void CServerStoreBridge::DetachManager() {
    store.SetLists(nullptr);
    manager.SetServerAccountList(nullptr);
    // A model call made through the manager's side ends before the manager goes too.
    modelGate.Close();
    managerGate.Close();
}

// --- the manager's side ------------------------------------------------------------------

// Request 166.
void CServerStoreBridge::OnAskBaseAccount(bool again) {
    Through(managerGate, [&] {
        if (manager.GetAccountCount() != 0 && !again) {
            manager.StartAllAccounts();
            return;
        }
        CYolString login;
        CYolString password;
        if (again) {
            for (const Protocols::AccountListEntry& account : ListAccounts()) {
                Protocols::ProtocolRecord protocol;
                manager.GetAccountProtocolInfo(protocol, account.id);
                if (protocol.id != JabberYolProtocolGuid)
                    continue;
                manager.GetAccountString(account.id, kLoginKey, login, false);
                manager.GetAccountString(account.id, kPasswordKey, password, true);
                break;
            }
        }
        manager.Broadcast(Protocols::ProtocolsManagerEvent::BaseAccountPrompt, new CEventArg_Data<CYolString>(login),
                          new CEventArg_Data<CYolString>(password), false);
    });
}

// Request 167: the user's answer to the prompt. Storage is switched on only
// with a complete login; the accounts start either way.
void CServerStoreBridge::OnSetBaseAccountLogin(const CYolString& login, const CYolString& password) {
    Through(managerGate, [&] {
        bool complete = !login.IsEmpty() && !password.IsEmpty();
        if (complete) {
            unsigned int account = manager.GetBaseAccount();
            if (account == 0)
                account = manager.CreateAccount(JabberYolProtocolGuid, nullptr, false);
            if (account != 0) {
                manager.SetAccountString(account, kLoginKey, login, false);
                manager.SetAccountString(account, kPasswordKey, password, true);
                manager.SetAccountByte(account, kBaseAccountKey, 1);
                manager.SetAccountString(account, kFileNameKey, CYolString(kBaseFileName), false);
                manager.ReloadAccountSettings(account);
            }
        }
        store.SetEnabled(complete);
        manager.StartAllAccounts();
    });
}

bool CServerStoreBridge::TakeOverStart() {
    bool taken = false;
    Through(managerGate, [&] {
        if (!store.IsEnabled())
            return;
        manager.Broadcast(Protocols::ProtocolsManagerEvent::AccountsLoading, nullptr, nullptr, false);
        // The store answers every read, failed ones included, so the
        // accounts start when the answer comes whatever it is.
        taken = store.QueueRead(manager.GetEventsClientId()) > 0;
    });
    return taken;
}

void CServerStoreBridge::LoadMetaContactList() {
    Through(modelGate, [&] {
        if (model != nullptr)
            model->LoadStoredMetaList();
    });
}

void CServerStoreBridge::OnServerStoreEvent(int event, CEventArg* arg, CEventArg* extra) {
    if (event != CServerStore::kResultEvent)
        return;
    const CServerStore::Operation* operation = ValueOf<CServerStore::Operation>(extra);
    const int* result = ValueOf<int>(arg);
    if (operation == nullptr || *operation != CServerStore::OpRead || result == nullptr)
        return;
    Through(managerGate, [&] {
        if (*result == kHttpForbidden) {
            manager.PostRequest(Protocols::ProtocolsManagerRequest::AskBaseAccount, new CEventArg_Data<bool>(true),
                                nullptr);
            return;
        }
        // With 200 the store has put the server's lists in place already.
        if (*result != kHttpOk)
            LoadMetaContactList();
        StartAccounts();
    });
}

void CServerStoreBridge::StartAccounts() {
    for (const Protocols::AccountListEntry& account : ListAccounts())
        manager.StartAccount(account.id);
    manager.Broadcast(Protocols::ProtocolsManagerEvent::AccountsLoaded, nullptr, nullptr, false);
}

void CServerStoreBridge::OnAccountListChanged() {
    Through(managerGate, [&] { store.QueueSave(manager.GetEventsClientId(), serverBlocks.Build(*this)); });
}

void CServerStoreBridge::ClearMetaContacts() {
    Through(modelGate, [&] {
        if (model != nullptr)
            model->PostClearMetaContacts();
    });
}

// --- the store's side ---------------------------------------------------------------------

void CServerStoreBridge::ApplyServerAccountList(const char* data, unsigned int length) {
    Through(managerGate,
            [&] { serverBlocks.Apply(reinterpret_cast<const unsigned char*>(data), length, *this); });
}

void CServerStoreBridge::ParseMetaList(const char* data, unsigned int length) {
    Through(modelGate, [&] {
        if (model != nullptr)
            model->ParseMetaList(reinterpret_cast<const unsigned char*>(data), length);
    });
}

// --- the account table, for Build and Apply (inside the manager's gate) -------------------

std::vector<Protocols::AccountListProtocol> CServerStoreBridge::ListProtocols() {
    std::vector<Protocols::AccountListProtocol> list;
    int count = manager.GetProtocolCount();
    for (int i = 0; i < count; ++i) {
        Protocols::ProtocolRecord record;
        manager.GetProtocolInfo(record, i);
        Protocols::AccountListProtocol protocol;
        protocol.id = record.id;
        protocol.pluginName = record.pluginName;
        for (const CYolString& suffix : record.loginSuffixes)
            protocol.loginSuffixes.push_back(suffix);
        list.push_back(std::move(protocol));
    }
    return list;
}

std::vector<Protocols::AccountListEntry> CServerStoreBridge::ListAccounts() {
    std::vector<Protocols::AccountListEntry> list;
    for (unsigned int index = 0;; ++index) {
        unsigned int id = manager.GetAccountId(index);
        if (id == 0)
            break;
        Protocols::AccountListEntry entry;
        entry.id = id;
        Protocols::ProtocolRecord protocol;
        manager.GetAccountProtocolInfo(protocol, id);
        entry.protocol = protocol.id;
        manager.GetAccountString(id, kLoginKey, entry.login, false);
        entry.fileName = manager.GetAccountFileName(id);
        list.push_back(std::move(entry));
    }
    return list;
}

bool CServerStoreBridge::ExportAccount(unsigned int account, CBigTLVCol& block) {
    return manager.ExportAccountSettings(account, block);
}

void CServerStoreBridge::ImportAccount(unsigned int account, const CBigTLVCol& block) {
    manager.ImportAccountSettings(account, block);
}

void CServerStoreBridge::MoveAccount(unsigned int account, unsigned int index) {
    manager.MoveAccount(account, index, false);
}

unsigned int CServerStoreBridge::CreateAccount(const YOL_GUID& protocol) {
    return manager.CreateAccount(protocol, nullptr, false);
}

void CServerStoreBridge::ReloadAccount(unsigned int account) {
    manager.ReloadAccountSettings(account);
}

void CServerStoreBridge::RemoveAccount(unsigned int account) {
    manager.PostRequest(Protocols::ProtocolsManagerRequest::DeleteAccount, new CEventArg_Data<unsigned int>(account),
                        new CEventArg_Data<unsigned int>(0));
}

}  // namespace Core
