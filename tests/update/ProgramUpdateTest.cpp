// The package download against the scripted web server: a fresh download, a
// resume, and the replies that must not end up as a ready package.

#include "UpdateTestSupport.h"

using namespace UpdateTest;
using UI::TUpdateOutcome;
namespace Ev = UI::UpdateEvent;

namespace {

// The package: a 100-byte pattern 1000 times.
std::string Pattern() {
    std::string unit;
    for (int i = 0; i < 100; ++i)
        unit += char('A' + i % 26);
    return unit;
}
std::string Package(size_t from, size_t to) {
    std::string all;
    for (int i = 0; i < 1000; ++i)
        all += Pattern();
    return all.substr(from, to - from);
}
// `count` pattern units as one chunk of update_server.py.
std::string Units(int count) { return std::to_string(count) + "*" + HexOf(Pattern()); }

}  // namespace

class ProgramUpdatePeer : public UpdateRig {
protected:
    std::vector<Told> Download(ScriptedServer& server, unsigned int version = 2200) {
        PointDownloadAt(server.Port());
        const size_t from = requester.Count();
        if (UI::CYolProgramUpdate::Start(&services, requesterKey, version) == nullptr)
            return {};
        return requester.UntilDone(Ev::ProgramUpdateDone, from);
    }
    void HalfDownloaded(unsigned int version = 2200) {
        programFolder.Put("yolpda.cab", Package(0, 40000));
        database.SetDword(ServicesManagerGuid, UI::kNewVersionKey, version);
        database.SetDword(ServicesManagerGuid, UI::kNewCabSizeKey, 100000);
    }
};

TEST_F(ProgramUpdatePeer, DownloadsThePackageIntoTheProgramFolder) {
    ScriptedServer server({HexOf("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n") + "," + Units(300) + "," +
                           Units(700)});
    const auto told = Download(server);
    const std::string request = server.NextRequest();
    EXPECT_EQ(request.rfind("GET /pda/yolpda2200.cab HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Mozilla/4.0", 0), 0u);
    EXPECT_EQ(request.find("Range:"), std::string::npos);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].event, Ev::UpdateReady);
    EXPECT_EQ(told[0].version, 2200u);
    EXPECT_EQ(told[1].update->Outcome(), TUpdateOutcome::Ready);
    EXPECT_NE(told[1].update->Report().ToUtf8().find(CabFile()), std::string::npos) << "the report says where";
    EXPECT_EQ(UI::CYolProgramUpdate::GetCabPath().ToUtf8(), CabFile());
    EXPECT_TRUE(ReadText(CabFile()) == Package(0, 100000));
    EXPECT_EQ(Key(UI::kNewVersionKey), 2200u);
    EXPECT_EQ(Key(UI::kNewCabSizeKey), 100000u);
    EXPECT_TRUE(Settings().IsUpdateReady(2200));
}

TEST_F(ProgramUpdatePeer, ResumesFromWhatIsThereAndAppendsThePartialReply) {
    HalfDownloaded();
    ScriptedServer server({HexOf("HTTP/1.1 206 Partial Content\r\nContent-Length: 60000\r\n"
                                 "Content-Range: bytes 40000-99999/100000\r\n\r\n") +
                           "," + Units(600)});
    const auto told = Download(server);
    EXPECT_NE(server.NextRequest().find("\r\nRange: bytes=40000-\r\n"), std::string::npos);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].event, Ev::UpdateReady);
    EXPECT_EQ(told[1].update->ResumeOffset(), 40000u);
    EXPECT_TRUE(ReadText(CabFile()) == Package(0, 100000));
}

TEST_F(ProgramUpdatePeer, APartialReplyForOtherBytesWritesNothing) {
    const std::string rest = "," + Units(600);
    struct Case {
        const char* what;
        std::string head;
        TUpdateOutcome outcome;
    } cases[] = {
        {"starts elsewhere", "Content-Range: bytes 0-99999/100000\r\n", TUpdateOutcome::RangeMismatch},
        {"another size", "Content-Range: bytes 40000-119999/120000\r\n", TUpdateOutcome::RangeMismatch},
        {"ends early", "Content-Range: bytes 40000-59999/100000\r\n", TUpdateOutcome::RangeMismatch},
        {"no range", "", TUpdateOutcome::RangeMismatch},
        {"length disagrees", "Content-Range: bytes 40000-99999/100000\r\nContent-Length: 5\r\n",
         TUpdateOutcome::RangeMismatch},
    };
    for (const Case& c : cases) {
        HalfDownloaded();
        ScriptedServer server({HexOf("HTTP/1.0 206 Partial Content\r\n" + c.head + "\r\n") + rest});
        const auto told = Download(server);
        ASSERT_EQ(told.size(), 1u) << c.what << ": never ready";
        EXPECT_EQ(told[0].update->Outcome(), c.outcome) << c.what;
        EXPECT_TRUE(ReadText(CabFile()) == Package(0, 40000)) << c.what << ": the file is as it was";
        UI::CYolProgramUpdate::Stop();
    }
}

TEST_F(ProgramUpdatePeer, FailedDownloadsAreReportedAndNeverReady) {
    struct Case {
        const char* what;
        std::string reply;
        TUpdateOutcome outcome;
        bool fileKept;
    } cases[] = {
        {"short body", HexOf("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n") + "," + Units(400),
         TUpdateOutcome::Truncated, true},
        {"longer than announced", HexOf("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n") + "," + Units(1001),
         TUpdateOutcome::TooLong, false},
        {"no size", HexOf("HTTP/1.0 200 OK\r\n\r\n") + "," + Units(10), TUpdateOutcome::BrokenReply, false},
        {"404", HexOf("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"), TUpdateOutcome::HttpError,
         false},
        {"500", HexOf("HTTP/1.0 500 Internal Server Error\r\n\r\n"), TUpdateOutcome::HttpError, false},
        {"206 unasked", HexOf("HTTP/1.0 206 Partial\r\nContent-Range: bytes 0-99/100\r\n\r\n") + "," + Units(1),
         TUpdateOutcome::HttpError, false},
    };
    for (const Case& c : cases) {
        ScriptedServer server({c.reply});
        const auto told = Download(server);
        ASSERT_EQ(told.size(), 1u) << c.what << ": never ready";
        EXPECT_EQ(told[0].event, Ev::ProgramUpdateDone) << c.what;
        EXPECT_EQ(told[0].update->Outcome(), c.outcome) << c.what;
        EXPECT_FALSE(told[0].update->Report().IsEmpty()) << c.what;
        EXPECT_FALSE(Settings().IsUpdateReady(2200)) << c.what;
        EXPECT_EQ(CYolPath::ToNative(CYolString::FromUtf8(CabFile())).empty(), false);
        EXPECT_EQ(UI::CYolUpdateSettings::FileSize(UI::CYolProgramUpdate::GetCabPath()) >= 0, c.fileKept) << c.what;
        UI::CYolProgramUpdate::Stop();
    }
}

TEST_F(ProgramUpdatePeer, APartOfAnotherVersionIsNotResumed) {
    HalfDownloaded(2100);
    ScriptedServer server({HexOf("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n") + "," + Units(1000)});
    const auto told = Download(server, 2200);
    EXPECT_EQ(server.NextRequest().find("Range:"), std::string::npos);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].event, Ev::UpdateReady);
    EXPECT_TRUE(ReadText(CabFile()) == Package(0, 100000));
}

TEST_F(ProgramUpdatePeer, ACompletePackageIsReadyWithoutAsking) {
    programFolder.Put("yolpda.cab", Package(0, 100000));
    database.SetDword(ServicesManagerGuid, UI::kNewVersionKey, 2200);
    database.SetDword(ServicesManagerGuid, UI::kNewCabSizeKey, 100000);
    PointDownloadAt(FreePort());
    ASSERT_NE(UI::CYolProgramUpdate::Start(&services, requesterKey, 2200), nullptr);
    const auto told = requester.UntilDone(Ev::ProgramUpdateDone);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].event, Ev::UpdateReady);
    EXPECT_EQ(told[1].update->Outcome(), TUpdateOutcome::Ready);
    EXPECT_EQ(UI::CYolProgramUpdate::Start(&services, requesterKey, 2200), nullptr) << "one download at a time";
}

TEST_F(ProgramUpdatePeer, TheFirstCheckAfterTheUpdateForgetsThePackage) {
    programFolder.Put("yolpda.cab", "old package");
    database.SetDword(ServicesManagerGuid, UI::kNewVersionKey, 2142);
    database.SetDword(ServicesManagerGuid, UI::kNewCabSizeKey, 11);
    PointAt(FreePort());
    ASSERT_NE(UI::CYolVersionCheck::Start(&services, requesterKey), nullptr);
    EXPECT_EQ(UI::CYolUpdateSettings::FileSize(UI::CYolProgramUpdate::GetCabPath()), -1);
    EXPECT_EQ(Key(UI::kNewVersionKey), 0u);
    EXPECT_EQ(Key(UI::kNewCabSizeKey), 0u);
}
