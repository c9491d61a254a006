#include "PluginMenuChoice.h"

#include "CEventArgFactory.h"
#include "YolGuids.h"

#include <cstdint>

void* MenuChoiceContext(unsigned int clientKey, unsigned int choice) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(choice) << 32 | clientKey);
}

void PostMenuChoice(Services::CServicesManager* services, const YOL_GUID& channel, int event, unsigned int id,
                    void* context) {
    const auto word = reinterpret_cast<std::uintptr_t>(context);
    auto* factory = services != nullptr
                        ? static_cast<Protocols::CEventArgFactory*>(services->GetService(Protocols::EventArgFactoryGuid))
                        : nullptr;
    if (factory == nullptr)
        return;
    Services::CEventArg* first = factory->NewUInt(id);
    Services::CEventArg* second = factory->NewUInt(static_cast<unsigned int>(word >> 32));
    if (services->SendEvent(static_cast<unsigned int>(word & 0xFFFFFFFFu), channel, event, first, second, false) != 1) {
        // Arguments nobody took are still ours: a count of 0 frees them.
        if (first != nullptr)
            first->AddRef(0);
        if (second != nullptr)
            second->AddRef(0);
    }
}
