#pragma once
// Helpers shared by the protocols manager's source files; not for other
// code.

#include "CEventArg.h"
#include "CServicesManager.h"
#include "CYolDll.h"
#include "CYolString.h"
#include "CYolDatabase.h"
#include "YolGuids.h"

#include <atomic>

namespace Protocols {

class CProtocolsManagerImpl;

// The manager the global status menu's call-back talks to.
extern std::atomic<CProtocolsManagerImpl*> g_protocolsManager;

// Frees arguments that were made for a send that is not going to happen.
inline void ReleaseUnsent(Services::CEventArg* arg, Services::CEventArg* extra) {
    if (arg != nullptr)
        arg->AddRef(0);
    if (extra != nullptr)
        extra->AddRef(0);
}

inline Database::CYolDatabase* DatabaseService(Services::CServicesManager* services) {
    if (services == nullptr)
        return nullptr;
    return static_cast<Database::CYolDatabase*>(services->GetService(DatabaseGuid));
}

// A plug-in export of the library, by its plain name; null when absent.
template <typename Function>
Function FindExport(CYolDll& dll, const char* name) {
    return reinterpret_cast<Function>(dll.GetProcAddressW(CYolString::FromUtf8(name)));
}

template <typename T>
Services::CEventArg* NewArg(const T& value) {
    return new Services::CEventArg_Data<T>(value);
}

// The value an argument carries; the caller knows its type from the event's
// table.
template <typename T>
const T* ArgValue(Services::CEventArg* arg) {
    return arg != nullptr ? &static_cast<Services::CEventArg_Data<T>*>(arg)->data : nullptr;
}

}  // namespace Protocols
