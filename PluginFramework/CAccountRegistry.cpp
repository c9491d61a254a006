#include "CAccountRegistry.h"

#include "CYolMenuInfo.h"
#include "YolGuids.h"

#include <new>

namespace Protocols {

unsigned int CAccountRegistry::Create(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                      unsigned int accountId, unsigned int managerClientId,
                                      AccountFactory factory) {
    if (factory == nullptr)
        return 0;
    CAccount* account = nullptr;
    try {
        account = factory(protocol, manager, accountId, managerClientId);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (account == nullptr)
        return 0;
    account->SetProtocolId(protocol);

    const unsigned int key = account->GetClientId();
    bool entered = false;
    if (key != 0) {
        std::lock_guard<std::mutex> hold(lock);
        try {
            entered = accounts.Insert(key, account).second;
        } catch (const std::bad_alloc&) {
            entered = false;
        }
    }
    if (!entered) {
        account->Destroy();
        return 0;
    }
    return key;
}

void CAccountRegistry::Destroy(unsigned int clientKey) {
    CAccount* account = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock);
        CAccount** found = accounts.Find(clientKey);
        if (found == nullptr)
            return;
        account = *found;
        accounts.Erase(clientKey);
    }
    if (account != nullptr)
        account->Destroy();
}

void CAccountRegistry::DestroyAll() {
    for (;;) {
        CAccount* account = nullptr;
        {
            std::lock_guard<std::mutex> hold(lock);
            CYolMap<unsigned int, CAccount*>::Cursor first(accounts);
            if (!first.IsValid())
                return;
            const unsigned int key = first.Key();
            account = first.Value();
            accounts.Erase(key);
        }
        if (account != nullptr)
            account->Destroy();
    }
}

unsigned int CAccountRegistry::Count() const {
    std::lock_guard<std::mutex> hold(lock);
    return accounts.Count();
}

bool CAccountRegistry::Contains(unsigned int clientKey) const {
    std::lock_guard<std::mutex> hold(lock);
    return accounts.Contains(clientKey);
}

bool CAccountRegistry::PostStatus(unsigned int accountId, unsigned int status) const {
    // The argument is made and the post sent under the lock: Destroy cannot
    // take the account away in between, and a post never waits for a handler.
    std::lock_guard<std::mutex> hold(lock);
    for (auto [key, account] : accounts) {
        if (account == nullptr || account->GetAccountId() != accountId)
            continue;
        Services::CEventArg* arg = account->NewStatusEventArg(static_cast<Status>(status));
        if (arg == nullptr)
            return false;
        return account->PostToSelf(ProtocolsManagerGuid, AccountCommand::SetStatus, arg) == 1;
    }
    return false;
}

CAccountRegistry& AccountRegistry() {
    static CAccountRegistry registry;
    return registry;
}

int StatusMenuCallback(unsigned int accountId, void* status) {
    AccountRegistry().PostStatus(accountId, YolMenuContextValue(status));
    return 0;
}

}  // namespace Protocols
