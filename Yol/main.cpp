// The program's entry: picks the screen (a desktop window, or memory with
// --headless), turns SIGINT and SIGTERM into the "Quit" command, and runs
// the application.

#include "Backends/Backend.h"
#include "Backends/BackendSdl.h"
#include "CServicesManagerImpl.h"
#include "CYolPath.h"
#include "CYolProgramPorts.h"
#include "CYolWMApp.h"
#include "RunApplication.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

// fontconfig keeps its configuration until the process ends and frees it
// only when asked at the very end, which nothing here can do safely; in a
// build with the leak checker, that block is not a leak of ours. The race
// checker does not see the font and drawing libraries' own locking.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\nrace:libglib-2.0.so\nrace:libharfbuzz.so\nrace:libcairo.so\n";
}

namespace {

// The screen in memory, for runs without a display: the program waits for
// its next message as long as it takes.
class ProgramHeadlessBackend final : public Platform::Backend {
public:
    std::optional<std::chrono::milliseconds> IdleLimit() const override { return std::nullopt; }
};

// Waits for the ending signals on a thread of its own (they are blocked in
// every other thread) and asks the application to quit; SIGUSR2 from the
// program itself ends the waiter.
class SignalWaiter {
public:
    SignalWaiter() {
        sigemptyset(&set);
        for (int s : {SIGINT, SIGTERM, SIGUSR2})
            sigaddset(&set, s);
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        thread = std::thread([this] { Run(); });
    }
    ~SignalWaiter() {
        pthread_kill(thread.native_handle(), SIGUSR2);
        thread.join();
    }

private:
    void Run() {
        for (;;) {
            int received = 0;
            if (sigwait(&set, &received) != 0 || received == SIGUSR2)
                return;
            if (UI::CYolWMApp* app = UI::CYolWMApp::Instance())
                if (HWND window = app->GetWindow())
                    PostMessage(window, WM_CLOSE, 0, 0);
        }
    }

    sigset_t set;
    std::thread thread;
};

bool HaveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    bool headless = false;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0)
            headless = true;
        else
            commandLine += (commandLine.empty() ? "" : " ") + std::string(argv[i]);
    }
    if (!headless && !HaveDisplay()) {
        std::fprintf(stderr, "yol: no display (DISPLAY and WAYLAND_DISPLAY are unset); use --headless to run "
                             "without one\n");
        return 2;
    }
    SignalWaiter signals;
    ProgramHeadlessBackend memoryScreen;
    Platform::SdlBackend desktop;
    if (headless) {
        Platform::InstallBackend(&memoryScreen);
    } else if (!desktop.Open(Platform::SdlOptions{})) {
        std::fprintf(stderr, "yol: cannot open a window on the display: %s\n", desktop.Error().c_str());
        return 2;
    }
    UI::TYolWMStartRecord start;
    start.instanceKey = CYolPath::AppDir().ToUtf8();
    int code = 0;
    {
        // The parts go with the screen still there: their windows were the
        // main window's children.
        UI::CYolProgramPorts parts;
        code = UI::RunApplication(start, CYolString::FromUtf8(commandLine), parts.Ports(),
                                  Services::CServicesManagerImpl::Instance());
    }
    if (headless)
        Platform::InstallBackend(nullptr);
    else
        desktop.Close();
    return code;
}
