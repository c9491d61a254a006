#pragma once
// Protocols::CAccountRegistry: the accounts of one plug-in library, keyed by
// their events-client keys, behind the library's CreateAccountFunc and
// DestroyAccountFunc. Each library has its own (AccountRegistry()): the
// framework is linked statically into every plug-in and its symbols stay
// hidden, so two plug-ins never share one.
//
// The registry owns each account from creation to Destroy. Destroy takes the
// account out of the map first, then stops its events (dropping its queue and
// waiting for a running handler), and only then deletes it, so neither a
// queued event nor a registry walk (StatusMenuCallback) meets a
// half-destroyed account.
//
// The map is locked: the menu thread reads it while the protocols manager
// creates and destroys accounts. The lock is never held while an account is
// constructed, stopped or deleted, nor while an event is sent.

#include "CAccount.h"
#include "CServicesManager.h"
#include "CYolMap.h"
#include "YOL_GUID.h"

#include <mutex>

namespace Protocols {

// Builds the account class that serves `protocol`, or answers null for a
// protocol the library does not serve.
using AccountFactory = CAccount* (*)(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                     unsigned int accountId, unsigned int managerClientId);

class CAccountRegistry {
public:
    CAccountRegistry() = default;
    CAccountRegistry(const CAccountRegistry&) = delete;
    CAccountRegistry& operator=(const CAccountRegistry&) = delete;
    // Accounts still registered are left alone: at process exit the services
    // manager they would unregister from may be gone already. The program
    // destroys every account before it unloads the library.
    ~CAccountRegistry() = default;

    // The new account's events-client key; 0 when no account was made (the
    // protocol is not served, the account could not register, or it could not
    // be entered).
    unsigned int Create(const YOL_GUID& protocol, Services::CServicesManager* manager, unsigned int accountId,
                        unsigned int managerClientId, AccountFactory factory);
    // Destroys the account under that key; an unknown key does nothing.
    void Destroy(unsigned int clientKey);
    void DestroyAll();

    unsigned int Count() const;
    bool Contains(unsigned int clientKey) const;

    // Posts AccountCommand::SetStatus with `status` to the account whose
    // account id (not key) is `accountId`; false when none is registered.
    bool PostStatus(unsigned int accountId, unsigned int status) const;

private:
    mutable std::mutex lock;
    CYolMap<unsigned int, CAccount*> accounts;
};

// This library's registry.
CAccountRegistry& AccountRegistry();

// The call-back of the entries of an account's status menu: the entry's
// context is the status. The status change runs on the account's own thread.
int StatusMenuCallback(unsigned int accountId, void* status);

}  // namespace Protocols
