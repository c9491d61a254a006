#pragma once
// Core::CServerStoreBridge: joins the protocols manager, the server store and
// the contact-list model for everything the storage server takes part in:
// the base-account prompt and its answer (requests 166 and 167), whether the
// accounts start from the local list or after the server's lists were read,
// the server's account list (built after a deletion, applied when read) and
// the meta-contact list the store reads.
//
// Calls come from the manager's queue thread, the store's thread and, for
// ResetAccounts, any thread. Each of the two objects the bridge calls into
// sits behind a gate: DetachModel and DetachManager wait for the calls in
// progress to return and let no new one through, so the core can destroy the
// model and then the manager while the store's thread is still alive.

#include "AccountListExchange.h"
#include "CProtocolsManagerImpl.h"
#include "CServerStore.h"

#include <condition_variable>
#include <mutex>

namespace CL {
class CContactListImpl;
}

namespace Core {

// Lets calls through to an object until it is closed; closing waits for the
// calls in progress. Entries may nest on one thread.
class CUseGate {
public:
    bool Enter();
    void Leave();
    // Not from inside an entry.
    void Close();

private:
    std::mutex lock;
    std::condition_variable idle;
    int users = 0;
    bool closed = false;
};

class CServerStoreBridge final : public Protocols::MServerAccountList,
                                 public Protocols::MAccountListTable,
                                 public MServerStoreLists {
public:
    // None is owned; `model` may be null (no contact list).
    CServerStoreBridge(Protocols::CProtocolsManagerImpl& manager, CServerStore& store, CL::CContactListImpl* model);
    CServerStoreBridge(const CServerStoreBridge&) = delete;
    CServerStoreBridge& operator=(const CServerStoreBridge&) = delete;

    // Hands the bridge to the manager and the store.
    void Attach();
    // No model call from here on; returns once the calls in progress did.
    void DetachModel();
    // Takes the bridge back from the manager and the store and waits until
    // no call into the manager is in progress.
    void DetachManager();

    // --- MServerAccountList (the manager's side) -----------------------------
    void OnAskBaseAccount(bool again) override;
    void OnSetBaseAccountLogin(const CYolString& login, const CYolString& password) override;
    bool TakeOverStart() override;
    void LoadMetaContactList() override;
    void OnServerStoreEvent(int event, Services::CEventArg* arg, Services::CEventArg* extra) override;
    void OnAccountListChanged() override;
    void ClearMetaContacts() override;

    // --- MAccountListTable (the account list's view of the table) ------------
    std::vector<Protocols::AccountListProtocol> ListProtocols() override;
    std::vector<Protocols::AccountListEntry> ListAccounts() override;
    bool ExportAccount(unsigned int account, CBigTLVCol& block) override;
    void ImportAccount(unsigned int account, const CBigTLVCol& block) override;
    void MoveAccount(unsigned int account, unsigned int index) override;
    unsigned int CreateAccount(const YOL_GUID& protocol) override;
    void ReloadAccount(unsigned int account) override;
    void RemoveAccount(unsigned int account) override;

    // --- MServerStoreLists (the store's thread) --------------------------------
    void ApplyServerAccountList(const char* data, unsigned int length) override;
    void ParseMetaList(const char* data, unsigned int length) override;

    // The server's account blocks as last read or written.
    const Protocols::CServerAccountList& ServerBlocks() const { return serverBlocks; }

private:
    // Runs `fn` when the gate lets it through.
    template <typename Fn>
    static void Through(CUseGate& gate, Fn&& fn);

    // Starts every account not started yet, in table order, and tells the
    // subscribers the accounts are loaded.
    void StartAccounts();

    Protocols::CProtocolsManagerImpl& manager;
    CServerStore& store;
    CL::CContactListImpl* model;
    CUseGate managerGate;
    CUseGate modelGate;
    Protocols::CServerAccountList serverBlocks;
};

}  // namespace Core
