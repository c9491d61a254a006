// Shell notifications on the desktop: with a private session bus and a fake
// notification service (a small Python program) the bubble's notification
// is shown, changed, pressed and closed there too; without a bus it all
// stays local.

#include "MissingPeer.h"
#include "WindowTestSupport.h"

#include "Shell/DesktopNotifications.h"
#include "Drawing/Gdi.h"
#include "Drawing/Icon.h"
#include "Shell/ShellNotification.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

using namespace ui_test;

namespace {

namespace fs = std::filesystem;

constexpr YOL_GUID kClass{0x5EB0D35C, 0x21A4, 0x4C11, 0x9E, 0x31, 0x0A, 0x77, 0xD2, 0x6B, 0x48, 0x10};
constexpr int kWaitMs = 5000;
constexpr const char* kPython = "/usr/bin/python3";

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        if (end > start && access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// A program run by the test, with its standard input and output in pipes.
class Child {
public:
    explicit Child(const std::vector<std::string>& args) {
        int in[2];
        int out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        for (int fd : {in[0], in[1], out[0], out[1]})
            posix_spawn_file_actions_addclose(&actions, fd);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }
    ~Child() {
        if (in_ >= 0)
            close(in_);
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Running() const { return pid_ > 0; }
    void Write(const std::string& line) {
        const std::string text = line + "\n";
        EXPECT_EQ(write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // The next line of output, or empty when none comes in time.
    std::string ReadLine(int timeoutMs = kWaitMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                     std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return {};
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char chunk[4096];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0)
                return {};
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
};

// The fake service's report lines are JSON; the tests look for fragments.
bool Has(const std::string& line, const std::string& fragment) {
    return line.find(fragment) != std::string::npos;
}

class DesktopNotifications : public WindowTest {
protected:
    void TearDown() override {
        for (const auto& n : Platform::GetShellNotifications())
            SHNotificationRemove(&n.clsid, n.id);
        EXPECT_TRUE(Platform::WaitDesktopNotificationsIdle(kWaitMs));
        Platform::StopDesktopNotifications();
        EXPECT_TRUE(Platform::WaitDesktopNotificationsIdle(kWaitMs));
        service.reset();
        bus.reset();
        if (!folder.empty())
            fs::remove_all(folder);
        WindowTest::TearDown();
    }

    // Starts a private bus and the fake service on it, and points the shell
    // at the bus. False (with the test skipped) when the tools are missing.
    bool StartService() {
        // The system's Python: a version manager's shim on PATH can take
        // longer to start than the service is given to report.
        if (!OnPath("dbus-daemon") || access(kPython, X_OK) != 0)
            return false;
        char pattern[] = "/tmp/yol-dbus-XXXXXX";
        folder = mkdtemp(pattern);
        std::ofstream(folder / "bus.conf")
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
               "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type><listen>unix:dir="
            << folder.string()
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
               "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
        bus = std::make_unique<Child>(std::vector<std::string>{
            "dbus-daemon", "--config-file=" + (folder / "bus.conf").string(), "--print-address=1", "--nofork"});
        const std::string address = bus->ReadLine();
        EXPECT_FALSE(address.empty()) << "the private bus did not start";
        const std::string script = (fs::path(YOL_SOURCE_DIR) / "tests/ui/fake_notification_service.py").string();
        service = std::make_unique<Child>(std::vector<std::string>{kPython, script, address});
        const std::string ready = service->ReadLine();
        EXPECT_TRUE(Has(ready, "\"ready\"") && Has(ready, "\"owner\": true")) << ready;
        Platform::UseDesktopNotificationBus(address);
        return !address.empty() && Has(ready, "\"owner\": true");
    }

    SHNOTIFICATIONDATA Data(HWND sink, std::uint32_t id, std::uint32_t flags = SHNF_SILENT) {
        SHNOTIFICATIONDATA data;
        data.dwID = id;
        data.clsid = kClass;
        data.hwndSink = sink;
        data.grfFlags = flags;
        data.csDuration = 10;
        data.pszTitle = u"New message";
        data.pszHTML = u"From <b>Anna</b>:<br>hi &amp; bye";
        data.rgskn[0].pszTitle = u"Show";
        data.rgskn[0].skc.wpCmd = 1125;
        data.rgskn[1].pszTitle = u"Later";
        data.rgskn[1].skc.wpCmd = 1126;
        data.rgskn[1].skc.grfFlags = NOTIF_SOFTKEY_FLAGS_HIDE;
        return data;
    }

    // Pumps this thread's messages until `done` holds or time runs out.
    static bool PumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            Platform::PumpMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    static std::vector<unsigned> Commands(const Recorder& rec) {
        std::vector<unsigned> ids;
        for (const Logged& l : rec.log)
            if (l.msg == WM_COMMAND)
                ids.push_back(LOWORD(l.wParam));
        return ids;
    }

    fs::path folder;
    std::unique_ptr<Child> bus;
    std::unique_ptr<Child> service;
};

TEST_F(DesktopNotifications, WithoutABusEverythingStaysLocal) {
    Platform::UseDesktopNotificationBus("unix:path=/nonexistent/yol-no-bus");
    Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    const SHNOTIFICATIONDATA data = Data(sink, 1);
    ASSERT_EQ(SHNotificationAdd(&data), SHN_OK);
    EXPECT_TRUE(Platform::WaitDesktopNotificationsIdle(kWaitMs)) << "a missing bus answers at once";
    EXPECT_NE(Platform::GetNotificationBubble(), nullptr);
    EXPECT_EQ(SHNotificationRemove(&kClass, 1), SHN_OK);
}

TEST_F(DesktopNotifications, BubbleIsShownChangedAndClosedOnTheDesktop) {
    if (!StartService())
        YOL_SKIP_MISSING_PEER("dbus-daemon or /usr/bin/python3 is not installed");
    Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    SHNOTIFICATIONDATA data = Data(sink, 2, SHNF_CRITICAL);
    HBITMAP colour = CreateCompatibleBitmap(nullptr, 4, 4);
    HBITMAP mask = CreateCompatibleBitmap(nullptr, 4, 4);
    ICONINFO info;
    info.hbmColor = colour;
    info.hbmMask = mask;
    data.hicon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    ASSERT_EQ(SHNotificationAdd(&data), SHN_OK);
    DestroyIcon(data.hicon);

    const std::string shown = service->ReadLine();
    EXPECT_TRUE(Has(shown, "\"notify\"")) << shown;
    EXPECT_TRUE(Has(shown, "\"replaces\": 0")) << shown;
    EXPECT_TRUE(Has(shown, "\"summary\": \"New message\"")) << shown;
    EXPECT_TRUE(Has(shown, "\"body\": \"From Anna:\\nhi & bye\"")) << shown;
    EXPECT_TRUE(Has(shown, "\"actions\": [\"0\", \"Show\", \"1\", \"Later\"]")) << shown;
    EXPECT_TRUE(Has(shown, "\"urgency\": 2")) << "critical: " << shown;
    EXPECT_TRUE(Has(shown, "\"image-data\"")) << shown;
    EXPECT_TRUE(Has(shown, "\"timeout\": 10000")) << shown;
    ASSERT_TRUE(Platform::WaitDesktopNotificationsIdle(kWaitMs));

    data.pszTitle = u"Two new messages";
    ASSERT_EQ(SHNotificationUpdate(SHNUM_TITLE, &data), SHN_OK);
    const std::string changed = service->ReadLine();
    EXPECT_TRUE(Has(changed, "\"replaces\": 1") && Has(changed, "\"summary\": \"Two new messages\"")) << changed;

    EXPECT_EQ(SHNotificationRemove(&kClass, 2), SHN_OK);
    EXPECT_TRUE(Has(service->ReadLine(), "\"close\", \"id\": 1"));
}

TEST_F(DesktopNotifications, ButtonOnTheDesktopWorksAsTheSoftKey) {
    if (!StartService())
        YOL_SKIP_MISSING_PEER("dbus-daemon or /usr/bin/python3 is not installed");
    Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    const SHNOTIFICATIONDATA data = Data(sink, 3);
    ASSERT_EQ(SHNotificationAdd(&data), SHN_OK);
    ASSERT_TRUE(Has(service->ReadLine(), "\"notify\""));
    ASSERT_TRUE(Platform::WaitDesktopNotificationsIdle(kWaitMs));

    service->Write("invoke 1 1");
    EXPECT_TRUE(PumpUntil([&] { return Commands(rec) == std::vector<unsigned>{1126}; }));
    EXPECT_TRUE(PumpUntil([] { return Platform::GetNotificationBubble() == nullptr; }))
        << "\"Later\" sends the bubble to the tray";
    ASSERT_EQ(Platform::GetShellNotifications().size(), 1u);
}

TEST_F(DesktopNotifications, StraightToTrayDoesNotPopUpOnTheDesktop) {
    if (!StartService())
        YOL_SKIP_MISSING_PEER("dbus-daemon or /usr/bin/python3 is not installed");
    Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    const SHNOTIFICATIONDATA quiet = Data(sink, 4, SHNF_STRAIGHTTOTRAY);
    ASSERT_EQ(SHNotificationAdd(&quiet), SHN_OK);
    SHNOTIFICATIONDATA changed = quiet;
    changed.pszTitle = u"Still quiet";
    ASSERT_EQ(SHNotificationUpdate(SHNUM_TITLE, &changed), SHN_OK);
    const SHNOTIFICATIONDATA loud = Data(sink, 5);
    ASSERT_EQ(SHNotificationAdd(&loud), SHN_OK);
    const std::string line = service->ReadLine();
    EXPECT_TRUE(Has(line, "\"summary\": \"New message\"") && Has(line, "\"replaces\": 0")) << line;
    ASSERT_TRUE(Platform::WaitDesktopNotificationsIdle(kWaitMs));
    EXPECT_EQ(service->ReadLine(300), "") << "only the one that popped up";
}

} // namespace
