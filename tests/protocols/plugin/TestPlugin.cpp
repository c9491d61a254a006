// A protocol plug-in for the protocols manager's tests. Its accounts are bare
// events clients that record every event they receive and answer as the
// test scripted (TestPluginControl.h).
//
// The protocols it reports come from "protocols.cfg" in its own folder, one
// per line:
//     {GUID}|name|display name|plug-in name|icon file|flags
// where flags "nocreate" makes CreateAccountFunc refuse that protocol.
//
// GetLogin answers the scripted login, or else the account's "SrvLogName"
// read back from the protocols manager from inside the handler.
//
// Built twice: TestProto with the three exports, TestProtoNoDestroy without
// DestroyAccountFunc (a library the manager must skip).

#include "TestPluginControl.h"

#include "AccountEvents.h"
#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "CYolArray.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"
#include "YolGuids.h"
#include "YolTypes.h"

#include <dlfcn.h>

#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

using Services::CEventArg;
using Services::CEventArg_Data;

namespace {

TestPlugin::Control control;

struct Configured {
    Protocols::ProtocolInfo info;
    bool refuseCreate = false;
};

std::vector<Configured> ReadConfig() {
    Dl_info self{};
    std::vector<Configured> out;
    if (dladdr(reinterpret_cast<void*>(&ReadConfig), &self) == 0 || self.dli_fname == nullptr)
        return out;
    std::string path = self.dli_fname;
    path = path.substr(0, path.rfind('/') + 1) + "protocols.cfg";
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '|'))
            fields.push_back(field);
        if (fields.size() < 5)
            continue;
        Configured entry;
        if (!entry.info.id.SetString(CYolString::FromUtf8(fields[0])))
            continue;
        entry.info.name = CYolString::FromUtf8(fields[1]);
        entry.info.displayName = CYolString::FromUtf8(fields[2]);
        entry.info.pluginName = CYolString::FromUtf8(fields[3]);
        entry.info.iconFile = CYolString::FromUtf8(fields[4]);
        entry.info.authors = CYolString(u"Tests");
        entry.info.loginSuffixes.Add(CYolString(u"@test"));
        entry.refuseCreate = fields.size() > 5 && fields[5] == "nocreate";
        out.push_back(entry);
    }
    return out;
}

class TestAccount final : public Services::CEventsClient {
public:
    TestAccount(Services::CServicesManager* services, const YOL_GUID& protocol, unsigned int accountId,
                unsigned int managerClientId)
        : services(services), protocol(protocol), accountId(accountId), managerClientId(managerClientId) {}

    void Register() { clientId = services->RegisterEventsClient(this, CYolString(u"Test account")); }

    int OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) override {
        int answer = control.Record({accountId, channel, event, arg, extra, std::this_thread::get_id()});
        if (channel == Protocols::TimerServiceGuid && event == Protocols::TimerEvent::Fire && arg != nullptr) {
            const Protocols::TimerRequest& fired = static_cast<CEventArg_Data<Protocols::TimerRequest>*>(arg)->data;
            if (fired.info.callback != nullptr)
                fired.info.callback(fired.info.context);
            return 0;
        }
        if (channel != ProtocolsManagerGuid)
            return answer;
        switch (event) {
            case Protocols::AccountCommand::GetStatus:
                return control.StatusOf(accountId);
            case Protocols::AccountCommand::GetLogin: {
                // Without a scripted login the account reads its own setting
                // back from the manager while the manager waits for it.
                CYolString login = control.LoginOf(accountId);
                if (login.IsEmpty()) {
                    if (auto* manager = static_cast<Protocols::CProtocolsManager*>(
                            services->GetService(ProtocolsManagerGuid)))
                        manager->GetAccountString(accountId, CYolString(u"SrvLogName"), login, false);
                }
                *static_cast<CEventArg_Data<CYolString*>*>(arg)->data = login;
                break;
            }
            case Protocols::AccountCommand::GetStatusInfo: {
                auto status = static_cast<CEventArg_Data<Protocols::Status>*>(arg)->data;
                Protocols::StatusInfo* out = static_cast<CEventArg_Data<Protocols::StatusInfo*>*>(extra)->data;
                out->status = status;
                out->name = CYolString(u"S") + CYolString(static_cast<unsigned int>(status), false);
                break;
            }
            case Protocols::AccountCommand::GetAccountObject:
                *static_cast<CEventArg_Data<void**>*>(arg)->data = this;
                break;
            default:
                break;
        }
        return answer;
    }

    // Sends an account event whose arguments this library made.
    int Post(int event, CEventArg* second) {
        return services->SendEvent(managerClientId, protocol, event, new CEventArg_Data<unsigned int>(accountId),
                                   second, false);
    }

    Services::CServicesManager* services;
    YOL_GUID protocol;
    unsigned int accountId;
    unsigned int managerClientId;
    unsigned int clientId = 0;
};

std::mutex registryLock;
std::map<unsigned int, TestAccount*> registry;  // events-client key -> account

TestAccount* FindAccount(unsigned int accountId) {
    std::lock_guard<std::mutex> guard(registryLock);
    for (auto& [key, account] : registry)
        if (account->accountId == accountId)
            return account;
    return nullptr;
}

unsigned int OnTimer(void* context) {
    auto* account = static_cast<TestAccount*>(context);
    control.Note({TestPlugin::LifeEvent::TimerFired, account->accountId, false, std::this_thread::get_id()});
    return 0;
}

Protocols::TimerInfo TimerOf(TestAccount* account) {
    return Protocols::TimerInfo{&OnTimer, account};
}

int PostText(unsigned int accountId, int event, const CYolString& text) {
    TestAccount* account = FindAccount(accountId);
    return account != nullptr ? account->Post(event, new CEventArg_Data<CYolString>(text)) : -2;
}

int PostStatus(unsigned int accountId, int status) {
    TestAccount* account = FindAccount(accountId);
    Protocols::StatusInfo info(static_cast<Protocols::Status>(status), CYolString(u"status"));
    return account != nullptr ? account->Post(Protocols::AccountEvent::StatusChanged,
                                              new CEventArg_Data<Protocols::StatusInfo>(info))
                              : -2;
}

int PostTimer(unsigned int accountId, unsigned int fireUnix) {
    TestAccount* account = FindAccount(accountId);
    if (account == nullptr)
        return -2;
    Protocols::TimerRequest request;
    request.fireTime = CYolTime(fireUnix);
    request.fireTime.ToLocal();
    request.info = TimerOf(account);
    request.clientId = account->clientId;
    request.requestId = 1;
    return account->Post(Protocols::AccountEvent::SetTimer, new CEventArg_Data<Protocols::TimerRequest>(request));
}

int PostKillTimer(unsigned int accountId) {
    TestAccount* account = FindAccount(accountId);
    return account != nullptr ? account->Post(Protocols::AccountEvent::KillTimer,
                                              new CEventArg_Data<Protocols::TimerInfo>(TimerOf(account)))
                              : -2;
}

struct Wiring {
    Wiring() {
        control.postText = &PostText;
        control.postStatus = &PostStatus;
        control.postTimer = &PostTimer;
        control.postKillTimer = &PostKillTimer;
    }
} wiring;

}  // namespace

YOL_EXPORT_C TestPlugin::Control* TestPlugin_Control() {
    return &control;
}

YOL_EXPORT_C void GetProtocolInfoFunc(Services::CServicesManager*, CYolArray<Protocols::ProtocolInfo>& out) {
    for (const Configured& entry : ReadConfig())
        out.Add(entry.info);
}

YOL_EXPORT_C unsigned int CreateAccountFunc(const YOL_GUID& protocol, Services::CServicesManager* services,
                                            unsigned int accountId, unsigned int managerClientId) {
    bool served = false;
    for (const Configured& entry : ReadConfig())
        served = served || (entry.info.id == protocol && !entry.refuseCreate);
    if (!served)
        return 0;
    auto* account = new TestAccount(services, protocol, accountId, managerClientId);
    account->Register();
    {
        std::lock_guard<std::mutex> guard(registryLock);
        registry[account->clientId] = account;
    }
    control.Note({TestPlugin::LifeEvent::Created, accountId, false, std::this_thread::get_id()});
    return account->clientId;
}

#ifndef TEST_PLUGIN_WITHOUT_DESTROY
YOL_EXPORT_C void DestroyAccountFunc(unsigned int clientKey) {
    TestAccount* account = nullptr;
    {
        std::lock_guard<std::mutex> guard(registryLock);
        auto found = registry.find(clientKey);
        if (found == registry.end())
            return;
        account = found->second;
        registry.erase(found);
    }
    // An events client that is gone answers -2 to any send.
    bool stopped = account->services->SendEvent(clientKey, ProtocolsManagerGuid, 0, nullptr, nullptr, false) == -2;
    account->services->UnregisterEventsClient(clientKey);
    control.Note({TestPlugin::LifeEvent::Destroyed, account->accountId, stopped, std::this_thread::get_id()});
    delete account;
}
#endif
