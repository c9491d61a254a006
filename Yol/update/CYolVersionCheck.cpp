#include "CYolVersionCheck.h"

#include "CProtocolsManager.h"
#include "CYolClock.h"
#include "CYolDatabase.h"
#include "CYolSystemInfo.h"
#include "CYolUpdateSettings.h"
#include "UpdateUserAgent.h"
#include "YolGuids.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace UI {

namespace {

struct Checks {
    std::mutex lock;
    std::vector<CYolVersionCheck*> list;
};

Checks& TheChecks() {
    static Checks* checks = new Checks;
    return *checks;
}

Database::CYolDatabase* DatabaseOf(Services::CServicesManager* services) {
    return services != nullptr ? static_cast<Database::CYolDatabase*>(services->GetService(DatabaseGuid)) : nullptr;
}

Protocols::CProtocolsManager* ProtocolsOf(Services::CServicesManager* services) {
    return services != nullptr ? static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid))
                               : nullptr;
}

// An installed update leaves its package behind: once the program runs as
// that version (or a later one) the package and its keys go. Only newer
// versions are ever downloaded, so looking at every start is the same as
// looking at the first.
void ForgetInstalledPackage(const CYolUpdateSettings& settings) {
    const unsigned long version = settings.Get(kNewVersionKey);
    if (settings.Has(kNewVersionKey) && version != 0 && version <= unsigned(CYolSystemInfo::YolVersion()))
        settings.ForgetPackage();
}

}  // namespace

CYolVersionCheck::CYolVersionCheck(Services::CServicesManager* services, unsigned int requester)
    : CYolHttpExchange(services, requester) {
    const TUpdateServer server = CYolUpdateSettings(DatabaseOf(services)).VersionServer();
    host = server.host;
    port = server.port;
    path = server.path;
}

CYolVersionCheck* CYolVersionCheck::Start(Services::CServicesManager* services, unsigned int requester) {
    Checks& checks = TheChecks();
    ForgetInstalledPackage(CYolUpdateSettings(DatabaseOf(services)));
    auto* check = new CYolVersionCheck(services, requester);
    {
        std::lock_guard<std::mutex> hold(checks.lock);
        checks.list.push_back(check);
    }
    if (!check->Connect(check->host, check->port)) {
        Stop(check);
        return nullptr;
    }
    return check;
}

void CYolVersionCheck::Stop(CYolVersionCheck* check) {
    Checks& checks = TheChecks();
    std::vector<CYolVersionCheck*> going;
    {
        std::lock_guard<std::mutex> hold(checks.lock);
        if (check == nullptr) {
            going.swap(checks.list);
        } else {
            auto it = std::find(checks.list.begin(), checks.list.end(), check);
            if (it == checks.list.end())
                return;
            checks.list.erase(it);
            going.push_back(check);
        }
    }
    for (CYolVersionCheck* one : going) {
        one->Shutdown();
        delete one;
    }
}

int CYolVersionCheck::RunningCount() {
    Checks& checks = TheChecks();
    std::lock_guard<std::mutex> hold(checks.lock);
    return static_cast<int>(checks.list.size());
}

std::string CYolVersionCheck::BuildRequest() {
    return UpdateWire::BuildGet(path, BuildUserAgent(ProtocolsOf(Services())), host, port, 0);
}

void CYolVersionCheck::OnHead(const UpdateWire::ReplyHead& head, std::string_view data) {
    if (head.status != 200) {
        Abort(TUpdateOutcome::HttpError,
              "the version server " + Route() + " answered with status " + std::to_string(head.status));
        return;
    }
    if (head.hasLength && head.length > UpdateWire::kVersionBodyCap) {
        Abort(TUpdateOutcome::BadVersionText, "the version server " + Route() + " sent no version number");
        return;
    }
    gotHead = true;
    hasLength = head.hasLength;
    length = head.length;
    OnBody(data);
}

void CYolVersionCheck::OnBody(std::string_view data) {
    if (evaluated)
        return;
    const uint64_t room = hasLength ? length - body.size() : UpdateWire::kVersionBodyCap + 1 - body.size();
    if (data.size() > room) {
        Abort(hasLength ? TUpdateOutcome::TooLong : TUpdateOutcome::BadVersionText,
              "the version server " + Route() + " sent more than a version number");
        return;
    }
    body.append(data);
    if (hasLength && body.size() == length)
        Evaluate();
}

void CYolVersionCheck::OnEnd(bool connected) {
    if (connected && gotHead && Outcome() == TUpdateOutcome::Running && !evaluated) {
        if (hasLength && body.size() < length)
            SetOutcome(TUpdateOutcome::Truncated, "the version server " + Route() + " closed before the end");
        else
            Evaluate();
    }
    if (Outcome() == TUpdateOutcome::Running)
        SetOutcome(TUpdateOutcome::Truncated, "the version server " + Route() + " sent no answer");
    SendToRequester(UpdateEvent::VersionCheckDone, new Services::CEventArg_Data<CYolVersionCheck*>(this));
}

void CYolVersionCheck::Evaluate() {
    evaluated = true;
    unsigned int version = 0;
    if (!UpdateWire::ParseVersionText(body, version)) {
        SetOutcome(TUpdateOutcome::BadVersionText,
                   "the version server " + Route() + " sent no version number; its answer was refused");
        return;
    }
    answered.store(version);
    const CYolUpdateSettings settings(DatabaseOf(Services()));
    const int64_t now = CYolClock::Current().Now();
    if (!settings.IsCheckDue(now)) {
        SetOutcome(TUpdateOutcome::NotDue, "today's version answer was taken already");
        return;
    }
    settings.Set(kVerCheckTimeKey, static_cast<unsigned long>(now));
    if (version <= unsigned(CYolSystemInfo::YolVersion())) {
        SetOutcome(TUpdateOutcome::UpToDate, "version " + std::to_string(version) + " is the newest");
        return;
    }
    const bool ready = settings.IsUpdateReady(version);
    SetOutcome(ready ? TUpdateOutcome::Ready : TUpdateOutcome::NewVersion,
               "version " + std::to_string(version) + " is available");
    SendToRequester(ready ? UpdateEvent::UpdateReady : UpdateEvent::NewVersionAvailable,
                    new Services::CEventArg_Data<unsigned int>(version));
}

}  // namespace UI
