#pragma once
// A contact-list model on a services manager of its own, with the three
// accounts of the fake protocols manager announced to it: what the
// contact-list benchmarks start from.

#include "../tests/contactlist/ClFakeProtocolsManager.h"
#include "CContactListImpl.h"
#include "CServicesManagerImpl.h"
#include "ProtocolsManagerEvents.h"
#include "YolGuids.h"

#include <memory>
#include <string>

namespace ClBench {

inline constexpr unsigned int kAccounts[] = {0x10000001, 0x10000002, 0x10000003};

struct ModelStage {
    Services::CServicesManagerImpl services;
    ClTest::FakeProtocolsManager manager;
    std::unique_ptr<CL::CContactListImpl> model;

    ModelStage() {
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        unsigned int added = services.RegisterEvent(ProtocolsManagerGuid, Protocols::ProtocolsManagerEvent::AccountAdded);
        const char* keys[] = {"Ruv1", "Ruv2", "Ruv3"};
        for (int a = 0; a < 3; ++a)
            manager.AddAccount(kAccounts[a], "login" + std::to_string(a), keys[a]);
        model = std::make_unique<CL::CContactListImpl>(&services);
        services.BroadcastStarted();
        for (unsigned int account : kAccounts)
            services.BroadcastEvent(added, new Services::CEventArg_Data<unsigned int>(account), nullptr, true);
    }
    ~ModelStage() {
        model.reset();
        services.StopAllQueues();
    }
};

}  // namespace ClBench
