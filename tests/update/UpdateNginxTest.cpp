// The version check and the download against a real web server: nginx on a
// loopback port with a root of its own, serving the version text and a
// package with range support. A download cut off halfway (nginx stopped)
// resumes from where the file ends once nginx is back, and ends byte for byte
// the package.

#include "UpdateTestSupport.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

using namespace UpdateTest;
using UI::TUpdateOutcome;
namespace Ev = UI::UpdateEvent;

namespace {

class Nginx {
public:
    // `rate`: nginx's limit_rate for the package folder ("0" none).
    explicit Nginx(const std::string& rate) : port(FreePort()) {
        ::mkdir(dir.PathOf("www").c_str(), 0755);
        ::mkdir(dir.PathOf("www/pda").c_str(), 0755);
        dir.Put("nginx.conf",
                "daemon off;\nmaster_process off;\npid " + dir.PathOf("nginx.pid") + ";\nerror_log " +
                    dir.PathOf("error.log") + ";\nevents {}\nhttp {\n"
                    "  log_format ranges '$request_uri $http_range $status';\n"
                    "  access_log " + dir.PathOf("access.log") + " ranges;\n"
                    "  client_body_temp_path " + dir.PathOf("tmp") + ";\n  proxy_temp_path " + dir.PathOf("tmp") +
                    ";\n  fastcgi_temp_path " + dir.PathOf("tmp") + ";\n  uwsgi_temp_path " + dir.PathOf("tmp") +
                    ";\n  scgi_temp_path " + dir.PathOf("tmp") + ";\n  default_type application/octet-stream;\n"
                    "  server {\n    listen 127.0.0.1:" + std::to_string(port) + ";\n    root " + dir.PathOf("www") +
                    ";\n    location /pda/ { limit_rate " + rate + "; }\n  }\n}\n");
    }
    bool Start() {
        process = std::make_unique<PeerProcess>(
            std::vector<std::string>{program, "-e", dir.PathOf("error.log"), "-p", dir.PathOf(""), "-c",
                                     dir.PathOf("nginx.conf")},
            dir.PathOf("run.log"));
        return process->WaitForPort(port);
    }
    void Stop() { process.reset(); }
    void Put(const std::string& name, const std::string& bytes) { dir.Put("www/" + name, bytes); }
    std::string AccessLog() const { return ReadText(dir.PathOf("access.log")); }
    std::string Log() const { return ReadText(dir.PathOf("error.log")); }

    const std::string program = FindProgram("nginx");
    const unsigned int port;

private:
    TempFolder dir;
    std::unique_ptr<PeerProcess> process;
};

std::string RandomPackage(size_t size) {
    std::mt19937 random(2200);
    std::string out(size, '\0');
    for (char& c : out)
        c = static_cast<char>(random());
    return out;
}

}  // namespace

class UpdateNginx : public UpdateRig {};

namespace {

// Waits until the file holds at least `size` bytes, woken by the kernel each
// time something in its folder is written.
// What the downloads told, for a failure's message.
std::string DescribeTold(const std::vector<Told>& told) {
    std::string out;
    for (const Told& t : told) {
        out += " event " + std::to_string(t.event);
        if (t.update != nullptr)
            out += " (outcome " + std::to_string(static_cast<int>(t.update->Outcome())) + ": " +
                   t.update->Report().ToUtf8() + ")";
    }
    return out.empty() ? " nothing" : out;
}

bool WaitForFileSize(const std::string& path, int64_t size, int timeoutMs) {
    const int fd = inotify_init1(IN_CLOEXEC);
    if (fd < 0)
        return false;
    const std::string folder = path.substr(0, path.find_last_of('/'));
    inotify_add_watch(fd, folder.c_str(), IN_MODIFY | IN_CREATE | IN_CLOSE_WRITE);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool reached = false;
    while (!(reached = UI::CYolUpdateSettings::FileSize(CYolString::FromUtf8(path)) >= size)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd watch{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            break;
        char events[4096];
        if (read(fd, events, sizeof events) < 0)
            break;
    }
    close(fd);
    return reached;
}

}  // namespace

TEST_F(UpdateNginx, AVersionTextIsTakenAndGarbageIsRefused) {
    Nginx nginx("0");
    if (nginx.program.empty())
        YOL_SKIP_MISSING_PEER("nginx is not installed (nginx-light)");
    nginx.Put("newpda_ppc.php", "2200\n");
    nginx.Put("garbage.php", "<html>2200</html>\n");
    ASSERT_TRUE(nginx.Start()) << nginx.Log();
    PointAt(nginx.port);
    ASSERT_NE(UI::CYolVersionCheck::Start(&services, requesterKey), nullptr);
    const auto told = requester.UntilDone(Ev::VersionCheckDone);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].event, Ev::NewVersionAvailable);
    EXPECT_EQ(told[0].version, 2200u);

    database.SetDword(ServicesManagerGuid, UI::kVerCheckTimeKey, 0);
    database.SetString(ServicesManagerGuid, u"VerCheckPath", CYolString(u"/garbage.php"));
    ASSERT_NE(UI::CYolVersionCheck::Start(&services, requesterKey), nullptr);
    const auto refused = requester.UntilDone(Ev::VersionCheckDone, told.size());
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].check->Outcome(), TUpdateOutcome::BadVersionText);
    EXPECT_NE(refused[0].check->Report().ToUtf8().find("no version number"), std::string::npos);
    EXPECT_EQ(Key(UI::kVerCheckTimeKey), 0u);
}

TEST_F(UpdateNginx, ADownloadCutOffHalfwayResumesAndEndsByteIdentical) {
    Nginx nginx("400k");
    if (nginx.program.empty())
        YOL_SKIP_MISSING_PEER("nginx is not installed (nginx-light)");
    const std::string package = RandomPackage(1200 * 1024);
    nginx.Put("pda/yolpda2200.cab", package);
    ASSERT_TRUE(nginx.Start()) << nginx.Log();
    PointDownloadAt(nginx.port);

    ASSERT_NE(UI::CYolProgramUpdate::Start(&services, requesterKey, 2200), nullptr);
    // Cut the connection once part of the package is on disk.
    const auto cab = UI::CYolProgramUpdate::GetCabPath();
    ASSERT_TRUE(WaitForFileSize(cab.ToUtf8(), 300 * 1024, 20000))
        << "on disk: " << UI::CYolUpdateSettings::FileSize(cab) << " bytes; told: " << DescribeTold(requester.Items())
        << "\n" << nginx.Log();
    nginx.Stop();
    const auto cut = requester.UntilDone(Ev::ProgramUpdateDone);
    ASSERT_EQ(cut.size(), 1u) << "not ready";
    EXPECT_EQ(cut[0].update->Outcome(), TUpdateOutcome::Truncated);
    const int64_t part = UI::CYolUpdateSettings::FileSize(cab);
    ASSERT_GT(part, 0);
    ASSERT_LT(part, int64_t(package.size()));
    EXPECT_FALSE(Settings().IsUpdateReady(2200));
    UI::CYolProgramUpdate::Stop();

    ASSERT_TRUE(nginx.Start()) << nginx.Log();
    ASSERT_NE(UI::CYolProgramUpdate::Start(&services, requesterKey, 2200), nullptr);
    const auto resumed = requester.UntilDone(Ev::ProgramUpdateDone, cut.size());
    ASSERT_EQ(resumed.size(), 2u);
    EXPECT_EQ(resumed[0].event, Ev::UpdateReady);
    EXPECT_EQ(resumed[1].update->ResumeOffset(), uint64_t(part));
    EXPECT_NE(nginx.AccessLog().find("/pda/yolpda2200.cab bytes=" + std::to_string(part) + "- 206"),
              std::string::npos)
        << nginx.AccessLog();
    EXPECT_TRUE(ReadText(CabFile()) == package) << "byte for byte the package";
    EXPECT_TRUE(Settings().IsUpdateReady(2200));
}
