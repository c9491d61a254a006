// The version check against the scripted web server: what it asks, which
// answers it takes, and what it refuses.

#include "UpdateTestSupport.h"

using namespace UpdateTest;
using UI::TUpdateOutcome;
namespace Ev = UI::UpdateEvent;

namespace {

std::string Reply(const std::string& head, const std::string& body) { return HexOf(head) + "," + HexOf(body); }

}  // namespace

class VersionCheckPeer : public UpdateRig {
protected:
    // Runs one check against the server; what the requester was told.
    std::vector<Told> RunCheck(ScriptedServer& server) {
        PointAt(server.Port());
        const size_t from = requester.Count();
        if (UI::CYolVersionCheck::Start(&services, requesterKey) == nullptr)
            return {};
        return requester.UntilDone(Ev::VersionCheckDone, from);
    }
    static std::vector<int> Events(const std::vector<Told>& told) {
        std::vector<int> out;
        for (const Told& t : told)
            out.push_back(t.event);
        return out;
    }
};

TEST_F(VersionCheckPeer, AsksTheConfiguredPathAndReportsANewerVersion) {
    ScriptedServer server({Reply("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n", "2200")});
    const auto told = RunCheck(server);
    const std::string request = server.NextRequest();
    EXPECT_EQ(request.rfind("GET /newpda_ppc.php HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Mozilla/4.0 (compatible; "
                            "yolpdappc2142; Windows CE 5.2; id:; uuid=",
                            0),
              0u)
        << request;
    EXPECT_NE(request.find("; cur_ver=2142; model="), std::string::npos);
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n\r\n"), std::string::npos);
    ASSERT_EQ(Events(told), (std::vector<int>{Ev::NewVersionAvailable, Ev::VersionCheckDone}));
    EXPECT_EQ(told[0].version, 2200u);
    EXPECT_EQ(told[1].check->Outcome(), TUpdateOutcome::NewVersion);
    EXPECT_EQ(Key(UI::kVerCheckTimeKey), static_cast<unsigned long>(kNoon));
    UI::CYolVersionCheck::Stop(told[1].check);
    EXPECT_EQ(UI::CYolVersionCheck::RunningCount(), 0);
}

TEST_F(VersionCheckPeer, ACompletePackageOfThatVersionIsReportedReady) {
    programFolder.Put("yolpda.cab", std::string(5000, 'c'));
    database.SetDword(ServicesManagerGuid, UI::kNewVersionKey, 2200);
    database.SetDword(ServicesManagerGuid, UI::kNewCabSizeKey, 5000);
    ScriptedServer server({Reply("HTTP/1.0 200 OK\r\n\r\n", "2200\r\n")});
    const auto told = RunCheck(server);
    ASSERT_EQ(Events(told), (std::vector<int>{Ev::UpdateReady, Ev::VersionCheckDone}));
    EXPECT_EQ(told[0].version, 2200u);
}

TEST_F(VersionCheckPeer, AnAnswerSplitAcrossReadsIsTakenWhole) {
    // "22" alone would be an older version: the check must wait for "00".
    ScriptedServer split({HexOf("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n22") + "," + HexOf("00")});
    const auto told = RunCheck(split);
    ASSERT_EQ(Events(told), (std::vector<int>{Ev::NewVersionAvailable, Ev::VersionCheckDone}));
    EXPECT_EQ(told[0].version, 2200u);
}

TEST_F(VersionCheckPeer, RefusedAnswersChangeNothingAndSaySo) {
    struct Case {
        const char* what;
        std::string reply;
        TUpdateOutcome outcome;
    } cases[] = {
        {"garbage", Reply("HTTP/1.0 200 OK\r\n\r\n", "version 2200"), TUpdateOutcome::BadVersionText},
        {"digits then garbage", Reply("HTTP/1.0 200 OK\r\n\r\n", "2200<html>"), TUpdateOutcome::BadVersionText},
        {"404 page with a number", Reply("HTTP/1.0 404 Not Found\r\n\r\n", "404"), TUpdateOutcome::HttpError},
        {"500", Reply("HTTP/1.0 500 Oops\r\nContent-Length: 4\r\n\r\n", "2200"), TUpdateOutcome::HttpError},
        {"short body", Reply("HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\n", "2200"), TUpdateOutcome::Truncated},
        {"over-long body", Reply("HTTP/1.0 200 OK\r\n\r\n", "") + ",100*41", TUpdateOutcome::BadVersionText},
        {"over-long head", HexOf("HTTP/1.0 200 OK\r\n") + ",9000*41", TUpdateOutcome::BrokenReply},
        {"not HTTP", Reply("SSH-2.0-x\r\n\r\n", "2200"), TUpdateOutcome::BrokenReply},
        {"nothing at all", "", TUpdateOutcome::Truncated},
    };
    for (const Case& c : cases) {
        ScriptedServer server({c.reply});
        const auto told = RunCheck(server);
        ASSERT_EQ(Events(told).back(), Ev::VersionCheckDone) << c.what;
        EXPECT_EQ(told.size(), 1u) << c.what << ": no version told";
        EXPECT_EQ(told.back().check->Outcome(), c.outcome) << c.what;
        EXPECT_FALSE(told.back().check->Report().IsEmpty()) << c.what;
        EXPECT_EQ(Key(UI::kVerCheckTimeKey), 0xDEADu) << c.what << ": the day's check is still due";
        UI::CYolVersionCheck::Stop(told.back().check);
    }
}

TEST_F(VersionCheckPeer, OnlyTheDaysFirstAnswerIsEvaluated) {
    ScriptedServer server({Reply("HTTP/1.0 200 OK\r\n\r\n", "2200"), Reply("HTTP/1.0 200 OK\r\n\r\n", "2300")});
    PointAt(server.Port());
    ASSERT_NE(UI::CYolVersionCheck::Start(&services, requesterKey), nullptr);
    const auto first = requester.UntilDone(Ev::VersionCheckDone);
    ASSERT_NE(UI::CYolVersionCheck::Start(&services, requesterKey), nullptr);
    const auto second = requester.UntilDone(Ev::VersionCheckDone, first.size());
    server.NextRequest();
    EXPECT_NE(server.NextRequest(), "(none)") << "both checks ask";
    EXPECT_EQ(Events(first), (std::vector<int>{Ev::NewVersionAvailable, Ev::VersionCheckDone}));
    ASSERT_EQ(Events(second), std::vector<int>{Ev::VersionCheckDone});
    EXPECT_EQ(second[0].check->Outcome(), TUpdateOutcome::NotDue);
    EXPECT_EQ(second[0].check->AnsweredVersion(), 2300u);
    EXPECT_EQ(UI::CYolVersionCheck::RunningCount(), 2);
}

TEST_F(VersionCheckPeer, AServerThatIsNotThereEndsTheCheck) {
    PointAt(FreePort());
    ASSERT_NE(UI::CYolVersionCheck::Start(&services, requesterKey), nullptr);
    const auto told = requester.UntilDone(Ev::VersionCheckDone);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].check->Outcome(), TUpdateOutcome::ConnectFailed);
}
