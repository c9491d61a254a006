#include "PluginMenuChoice.h"

#include "CEventArgFactory.h"
#include "YolGuids.h"

#include <cstdint>
#include <initializer_list>

void* MenuChoiceContext(unsigned int clientKey, unsigned int choice) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(choice) << 32 | clientKey);
}

namespace {

Protocols::CEventArgFactory* Factory(Services::CServicesManager* services) {
    return services != nullptr
               ? static_cast<Protocols::CEventArgFactory*>(services->GetService(Protocols::EventArgFactoryGuid))
               : nullptr;
}

void Post(Services::CServicesManager* services, const YOL_GUID& channel, int event, void* context,
          Services::CEventArg* first, Services::CEventArg* second) {
    const auto key = static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(context) & 0xFFFFFFFFu);
    if (services->SendEvent(key, channel, event, first, second, false) != 1) {
        // Arguments nobody took are still ours: a count of 0 frees them.
        for (Services::CEventArg* arg : {first, second})
            if (arg != nullptr)
                arg->AddRef(0);
    }
}

}  // namespace

void PostMenuChoice(Services::CServicesManager* services, const YOL_GUID& channel, int event, unsigned int id,
                    void* context) {
    Protocols::CEventArgFactory* factory = Factory(services);
    if (factory == nullptr)
        return;
    const auto word = reinterpret_cast<std::uintptr_t>(context);
    Post(services, channel, event, context, factory->NewUInt(id), factory->NewUInt(static_cast<unsigned int>(word >> 32)));
}

void PostMenuText(Services::CServicesManager* services, const YOL_GUID& channel, int event, unsigned int id,
                  void* context, const CYolString& text) {
    if (Protocols::CEventArgFactory* factory = Factory(services))
        Post(services, channel, event, context, factory->NewUInt(id), factory->NewString(text));
}
