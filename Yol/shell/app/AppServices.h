#pragma once
// The core services the application reaches, looked up in the services
// manager on each use (null while the core is not made or already gone).

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "YolGuids.h"

namespace UI {

inline CL::CContactList* ModelOf(Services::CServicesManager& services) {
    return static_cast<CL::CContactList*>(services.GetService(ContactListGuid));
}

inline Protocols::CProtocolsManager* ManagerOf(Services::CServicesManager& services) {
    return static_cast<Protocols::CProtocolsManager*>(services.GetService(ProtocolsManagerGuid));
}

}  // namespace UI

#include "CYolArray.h"

#include <initializer_list>

namespace UI {

// A list of skin image ids (drawn over each other in one cell or icon).
inline CYolArray<unsigned int> ImageList(std::initializer_list<unsigned int> ids) {
    CYolArray<unsigned int> list;
    for (unsigned int id : ids)
        list.Add(id);
    return list;
}

}  // namespace UI

#include "CEventArg.h"

namespace UI {

// The value an event argument carries, or null when there is none or it
// carries another type.
template <typename T>
T* ArgValue(Services::CEventArg* arg) {
    auto* data = dynamic_cast<Services::CEventArg_Data<T>*>(arg);
    return data != nullptr ? &data->data : nullptr;
}

template <typename T>
T ArgOr(Services::CEventArg* arg, T fallback) {
    T* value = ArgValue<T>(arg);
    return value != nullptr ? *value : fallback;
}

}  // namespace UI

namespace UI {

// The event argument a window message carries in a parameter.
template <typename T, typename P>
T* ArgValueOf(P parameter) {
    return ArgValue<T>(reinterpret_cast<Services::CEventArg*>(parameter));
}

template <typename P>
unsigned int ArgIdOf(P parameter) {
    auto* arg = reinterpret_cast<Services::CEventArg*>(parameter);
    if (const unsigned int* id = ArgValue<unsigned int>(arg))
        return *id;
    if (const int* id = ArgValue<int>(arg))
        return static_cast<unsigned int>(*id);
    return 0;
}

}  // namespace UI
