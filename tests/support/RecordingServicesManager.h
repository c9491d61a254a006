#pragma once
// A services manager that records what a core service asks of it when it
// registers and unregisters itself, and refuses everything else. Keys count
// up from 0x10000001 in order of registration.

#include "CServicesManager.h"
#include "YOL_GUID.h"

#include <vector>

class RecordingServicesManager final : public Services::CServicesManager {
public:
    struct Registration {
        YOL_GUID id;
        void* service;
        unsigned int key;
    };
    std::vector<Registration> registered;
    std::vector<unsigned int> unregistered;

    unsigned int RegisterService(const YOL_GUID& id, void* service) override {
        unsigned int key = 0x10000001 + static_cast<unsigned int>(registered.size());
        registered.push_back({id, service, key});
        return key;
    }
    int UnregisterService(unsigned int key) override {
        unregistered.push_back(key);
        return 0;
    }
    bool IsServiceRegistered(const YOL_GUID&) override { return false; }
    void* GetService(const YOL_GUID&) override { return nullptr; }
    unsigned int RegisterEventsClient(Services::CEventsClient*, const CYolString&) override { return 0; }
    int UnregisterEventsClient(unsigned int) override { return -2; }
    int SendEvent(unsigned int, const YOL_GUID&, int, Services::CEventArg*, Services::CEventArg*, bool) override {
        return -2;
    }
    unsigned int RegisterEvent(const YOL_GUID&, int) override { return 0; }
    int UnregisterEvent(unsigned int) override { return -2; }
    int BroadcastEvent(unsigned int, Services::CEventArg*, Services::CEventArg*, bool) override { return -2; }
    unsigned int Subscribe(const YOL_GUID&, int, unsigned int) override { return 0; }
    int Unsubscribe(unsigned int) override { return -2; }
};
