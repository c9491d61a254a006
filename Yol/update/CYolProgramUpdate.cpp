#include "CYolProgramUpdate.h"

#include "CProtocolsManager.h"
#include "CYolDatabase.h"
#include "CYolPath.h"
#include "CYolUpdateSettings.h"
#include "UpdateUserAgent.h"
#include "YolGuids.h"

#include <mutex>

namespace UI {

namespace {

std::mutex& CurrentLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

CYolProgramUpdate*& CurrentUpdate() {
    static CYolProgramUpdate* update = nullptr;
    return update;
}

Database::CYolDatabase* DatabaseOf(Services::CServicesManager* services) {
    return services != nullptr ? static_cast<Database::CYolDatabase*>(services->GetService(DatabaseGuid)) : nullptr;
}

std::string CabText() { return CYolProgramUpdate::GetCabPath().ToUtf8(); }

}  // namespace

CYolProgramUpdate::CYolProgramUpdate(Services::CServicesManager* services, unsigned int requester,
                                     unsigned int version)
    : CYolHttpExchange(services, requester), version(version) {
    const TUpdateServer server = CYolUpdateSettings(DatabaseOf(services)).DownloadServer(version);
    host = server.host;
    port = server.port;
    path = server.path;
    PlanResume();
}

CYolProgramUpdate::~CYolProgramUpdate() {
    Shutdown();
    CloseFile();
}

CYolString CYolProgramUpdate::GetCabPath() { return CYolUpdateSettings::CabPath(); }

CYolProgramUpdate* CYolProgramUpdate::Current() {
    std::lock_guard<std::mutex> hold(CurrentLock());
    return CurrentUpdate();
}

CYolProgramUpdate* CYolProgramUpdate::Start(Services::CServicesManager* services, unsigned int requester,
                                            unsigned int version) {
    auto* update = new CYolProgramUpdate(services, requester, version);
    {
        std::lock_guard<std::mutex> hold(CurrentLock());
        if (CurrentUpdate() != nullptr) {
            delete update;
            return nullptr;
        }
        CurrentUpdate() = update;
    }
    if (update->complete) {
        update->SetOutcome(TUpdateOutcome::Ready, "the package of version " + std::to_string(version) +
                                                      " is complete: " + CabText());
        update->SendToRequester(UpdateEvent::UpdateReady, new Services::CEventArg_Data<unsigned int>(version));
        update->SendToRequester(UpdateEvent::ProgramUpdateDone,
                                new Services::CEventArg_Data<CYolProgramUpdate*>(update));
        return update;
    }
    if (!update->Connect(update->host, update->port)) {
        Stop();
        return nullptr;
    }
    return update;
}

void CYolProgramUpdate::Stop() {
    CYolProgramUpdate* update = nullptr;
    {
        std::lock_guard<std::mutex> hold(CurrentLock());
        std::swap(update, CurrentUpdate());
    }
    delete update;
}

// A download resumes only what it began itself: the same version, a size
// announced for it, and a file no longer than that.
void CYolProgramUpdate::PlanResume() {
    const CYolUpdateSettings settings(DatabaseOf(Services()));
    if (!settings.Has(kNewVersionKey) || !settings.Has(kNewCabSizeKey) || settings.Get(kNewVersionKey) != version)
        return;
    const uint64_t announced = settings.Get(kNewCabSizeKey);
    const int64_t size = CYolUpdateSettings::FileSize(GetCabPath());
    if (size < 0 || announced == 0 || uint64_t(size) > announced)
        return;
    expected = announced;
    if (uint64_t(size) == announced)
        complete = true;
    else
        resumeFrom = uint64_t(size);
}

std::string CYolProgramUpdate::BuildRequest() {
    auto* protocols = Services() != nullptr
                          ? static_cast<Protocols::CProtocolsManager*>(Services()->GetService(ProtocolsManagerGuid))
                          : nullptr;
    return UpdateWire::BuildGet(path, BuildUserAgent(protocols), host, port, resumeFrom);
}

void CYolProgramUpdate::OnHead(const UpdateWire::ReplyHead& head, std::string_view body) {
    bool begun = false;
    if (head.status == 200)
        begun = BeginFresh(head);
    else if (head.status == 206 && resumeFrom > 0)
        begun = BeginResumed(head);
    else
        Abort(TUpdateOutcome::HttpError,
              "the download server " + Route() + " answered with status " + std::to_string(head.status));
    if (begun)
        OnBody(body);
}

bool CYolProgramUpdate::BeginFresh(const UpdateWire::ReplyHead& head) {
    if (!head.hasLength || head.length == 0 || head.length > UpdateWire::kPackageCap) {
        Abort(TUpdateOutcome::BrokenReply, "the download server " + Route() + " announced no usable size");
        return false;
    }
    resumeFrom = 0;
    expected = head.length;
    const CYolUpdateSettings settings(DatabaseOf(Services()));
    settings.Set(kNewVersionKey, version);
    settings.Set(kNewCabSizeKey, static_cast<unsigned long>(expected));
    file = std::fopen(CYolPath::ToNative(GetCabPath()).c_str(), "wb");
    if (file == nullptr) {
        Abort(TUpdateOutcome::FileError, "could not write " + CabText());
        return false;
    }
    return true;
}

bool CYolProgramUpdate::BeginResumed(const UpdateWire::ReplyHead& head) {
    const bool matches = head.hasRange && head.first == resumeFrom && head.total == expected &&
                         head.last + 1 == expected && (!head.hasLength || head.length == expected - resumeFrom);
    if (!matches) {
        Abort(TUpdateOutcome::RangeMismatch, "the download server " + Route() +
                                                 " sent other bytes than the rest of the package from " +
                                                 std::to_string(resumeFrom));
        return false;
    }
    // The file must still end where the request said it does.
    if (CYolUpdateSettings::FileSize(GetCabPath()) != int64_t(resumeFrom) ||
        (file = std::fopen(CYolPath::ToNative(GetCabPath()).c_str(), "r+b")) == nullptr ||
        std::fseek(file, long(resumeFrom), SEEK_SET) != 0) {
        Abort(TUpdateOutcome::FileError, "could not continue " + CabText());
        return false;
    }
    written = resumeFrom;
    return true;
}

void CYolProgramUpdate::OnBody(std::string_view data) {
    if (file == nullptr || data.empty())
        return;
    if (data.size() > expected - written) {
        // A server that sends more than it announced: what we have is not
        // the package it named.
        CloseFile();
        CYolUpdateSettings(DatabaseOf(Services())).ForgetPackage();
        Abort(TUpdateOutcome::TooLong, "the download server " + Route() + " sent more than the announced " +
                                           std::to_string(expected) + " bytes; the download was dropped");
        return;
    }
    if (std::fwrite(data.data(), 1, data.size(), file) != data.size()) {
        CloseFile();
        Abort(TUpdateOutcome::FileError, "could not write " + CabText());
        return;
    }
    written += data.size();
}

void CYolProgramUpdate::OnEnd(bool) {
    Finish();
    SendToRequester(UpdateEvent::ProgramUpdateDone, new Services::CEventArg_Data<CYolProgramUpdate*>(this));
}

void CYolProgramUpdate::Finish() {
    const bool hadFile = file != nullptr;
    const bool flushed = hadFile && std::fflush(file) == 0;
    CloseFile();
    if (Outcome() != TUpdateOutcome::Running)
        return;
    if (hadFile && flushed && written == expected &&
        CYolUpdateSettings::FileSize(GetCabPath()) == int64_t(expected)) {
        SetOutcome(TUpdateOutcome::Ready,
                   "the package of version " + std::to_string(version) + " was downloaded to " + CabText());
        SendToRequester(UpdateEvent::UpdateReady, new Services::CEventArg_Data<unsigned int>(version));
        return;
    }
    SetOutcome(TUpdateOutcome::Truncated, "the download from " + Route() + " stopped after " +
                                              std::to_string(written) + " of " + std::to_string(expected) +
                                              " bytes; it resumes next time");
}

void CYolProgramUpdate::CloseFile() {
    if (file != nullptr)
        std::fclose(file);
    file = nullptr;
}

}  // namespace UI
