#pragma once
// The three functions a protocol plug-in exports, as the program binds them:
// by these plain names with dlsym, with these signatures. What each does is
// described with the macro that defines them (PluginExports.h).

#include "CServicesManager.h"
#include "CYolArray.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"

namespace Protocols {

using GetProtocolInfoFuncPtr = void (*)(Services::CServicesManager* manager, CYolArray<ProtocolInfo>& out);
using CreateAccountFuncPtr = unsigned int (*)(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                             unsigned int accountId, unsigned int managerClientId);
using DestroyAccountFuncPtr = void (*)(unsigned int clientKey);

inline constexpr const char* GetProtocolInfoFuncName = "GetProtocolInfoFunc";
inline constexpr const char* CreateAccountFuncName = "CreateAccountFunc";
inline constexpr const char* DestroyAccountFuncName = "DestroyAccountFunc";

}  // namespace Protocols
