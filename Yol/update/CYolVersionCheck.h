#pragma once
// UI::CYolVersionCheck: one question to the maker's version server, "which
// is the newest version?", asked at most once a calendar day. The answer is
// evaluated once its body is complete (by Content-Length, else at close)
// and only when the reply is a 200 whose body is a version number; the
// requester then gets, on PreferencesGuid:
//   2 NewVersionAvailable  CEventArg_Data<unsigned int>: a newer version
//   3 UpdateReady          CEventArg_Data<unsigned int>: a newer version whose
//                          package is complete in the program folder
//   4 VersionCheckDone     CEventArg_Data<UI::CYolVersionCheck*>: the check
//                          ended; Outcome and Report tell how, and the
//                          requester disposes of it with Stop.
// All running checks live in one process-wide list.

#include "CYolHttpExchange.h"

namespace UI {

namespace UpdateEvent {
enum : int { NewVersionAvailable = 2, UpdateReady = 3, VersionCheckDone = 4, ProgramUpdateDone = 5 };
}

class CYolVersionCheck final : public CYolHttpExchange {
public:
    // Starts one check for the requester; the check, or null when it could
    // not even start (the requester is told nothing then). The first Start
    // of the process forgets a package of a version not above the running
    // one: it was installed.
    static CYolVersionCheck* Start(Services::CServicesManager* services, unsigned int requester);
    // Ends the check and frees it; null stops every running check.
    static void Stop(CYolVersionCheck* check);
    static int RunningCount();

    // The version the answer named; 0 when none was read.
    unsigned int AnsweredVersion() const { return answered.load(); }

private:
    CYolVersionCheck(Services::CServicesManager* services, unsigned int requester);
    ~CYolVersionCheck() override = default;

    std::string BuildRequest() override;
    void OnHead(const UpdateWire::ReplyHead& head, std::string_view body) override;
    void OnBody(std::string_view data) override;
    void OnEnd(bool connected) override;
    void Evaluate();

    std::string host;
    unsigned int port = 80;
    std::string path;
    bool gotHead = false;
    bool hasLength = false;
    uint64_t length = 0;
    std::string body;
    bool evaluated = false;
    std::atomic<unsigned int> answered{0};
};

}  // namespace UI
