#pragma once
// UI::CYolProgramUpdate: downloads the package of a newer version into the
// program folder ("yolpda.cab"), resuming a download of the same version
// that stopped part-way. The requester gets, on PreferencesGuid:
//   3 UpdateReady        CEventArg_Data<unsigned int>: the package is complete
//   5 ProgramUpdateDone  CEventArg_Data<UI::CYolProgramUpdate*>: the download
//                        ended; Outcome and Report tell how, CabPath where
//                        the package lies. The requester calls Stop.
// Nothing downloaded is ever run or installed here: the user is told where
// the package is.
//
// What a reply must be: 200 with a Content-Length (the download starts over
// from byte 0), or, when resuming, 206 whose Content-Range starts at the
// offset asked for and ends at the size announced before. Bytes past the
// announced size are never written; a short or refused download is reported
// and the package is not called ready.
//
// At most one download exists, held process-wide.

#include "CYolHttpExchange.h"
#include "CYolVersionCheck.h"

#include <cstdio>

namespace UI {

class CYolProgramUpdate final : public CYolHttpExchange {
public:
    // Starts the download of `version`; null when one is running already or
    // it could not start (the requester is told nothing then). A package
    // that is complete already is reported at once, without a connection.
    static CYolProgramUpdate* Start(Services::CServicesManager* services, unsigned int requester,
                                    unsigned int version);
    static void Stop();
    static CYolProgramUpdate* Current();
    static CYolString GetCabPath();

    unsigned int Version() const { return version; }
    // Where the download began: 0 from the start, else the bytes present.
    uint64_t ResumeOffset() const { return resumeFrom; }

private:
    CYolProgramUpdate(Services::CServicesManager* services, unsigned int requester, unsigned int version);
    ~CYolProgramUpdate() override;

    std::string BuildRequest() override;
    void OnHead(const UpdateWire::ReplyHead& head, std::string_view body) override;
    void OnBody(std::string_view data) override;
    void OnEnd(bool connected) override;

    void PlanResume();
    bool BeginFresh(const UpdateWire::ReplyHead& head);
    bool BeginResumed(const UpdateWire::ReplyHead& head);
    void Finish();
    void CloseFile();

    unsigned int version;
    std::string host;
    unsigned int port = 80;
    std::string path;
    bool complete = false;     // the package lay complete before we began
    uint64_t resumeFrom = 0;
    uint64_t expected = 0;     // the package's full size
    uint64_t written = 0;      // bytes in the file
    std::FILE* file = nullptr;
};

}  // namespace UI
