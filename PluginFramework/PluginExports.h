#pragma once
// The macro with which a protocol plug-in defines its three exports
// (PluginExportTypes.h) over its account registry.
//
// In the plug-in, once, at namespace scope:
//
//     void GetRuvProtocols(Services::CServicesManager*, CYolArray<Protocols::ProtocolInfo>& out);
//     Protocols::CAccount* NewRuvAccount(const YOL_GUID& protocol, Services::CServicesManager* manager,
//                                        unsigned int accountId, unsigned int managerClientId);
//     YOL_DEFINE_PLUGIN_EXPORTS(GetRuvProtocols, NewRuvAccount)
//
// GetProtocolInfoFunc only appends to the caller's array. CreateAccountFunc
// answers the new account's events-client key, 0 when the protocol is not
// served or the account could not be made. DestroyAccountFunc destroys the
// account under a key (stopping its events before the object goes) and
// ignores unknown keys. No exception leaves the library.
//
// When the program may unload a plug-in: after DestroyAccountFunc has
// returned for every account the library made and their timers are killed.
// Nothing else of the library's code is then alive in the program, because
// every event argument an account sends is made by the program's factory
// (CEventArgFactory.h). Never call DestroyAccountFunc on the account's own
// queue thread.

#include "CAccount.h"
#include "CAccountRegistry.h"
#include "CServicesManager.h"
#include "CYolArray.h"
#include "PluginExportTypes.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"
#include "YolTypes.h"

#include <exception>

#define YOL_DEFINE_PLUGIN_EXPORTS(describeProtocols, makeAccount)                                               \
    YOL_EXPORT_C void GetProtocolInfoFunc(Services::CServicesManager* manager,                                 \
                                          CYolArray<Protocols::ProtocolInfo>& out) {                           \
        try {                                                                                                  \
            describeProtocols(manager, out);                                                                   \
        } catch (...) {                                                                                        \
        }                                                                                                      \
    }                                                                                                          \
    YOL_EXPORT_C unsigned int CreateAccountFunc(const YOL_GUID& protocol, Services::CServicesManager* manager, \
                                                unsigned int accountId, unsigned int managerClientId) {        \
        try {                                                                                                  \
            return Protocols::AccountRegistry().Create(protocol, manager, accountId, managerClientId,          \
                                                       makeAccount);                                           \
        } catch (...) {                                                                                        \
            return 0;                                                                                          \
        }                                                                                                      \
    }                                                                                                          \
    YOL_EXPORT_C void DestroyAccountFunc(unsigned int clientKey) {                                             \
        try {                                                                                                  \
            Protocols::AccountRegistry().Destroy(clientKey);                                                   \
        } catch (...) {                                                                                        \
        }                                                                                                      \
    }                                                                                                          \
    static_assert(true, "a plug-in defines its exports once")
