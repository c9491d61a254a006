#pragma once
// An X server for the SDL back-end's tests: libX11 loaded at run time (the
// test programs do not link it), an Xvfb started on a free display number
// and stopped again, and the SDL back-end opened on the X server.

#include "Backends/BackendSdl.h"
#include "MissingPeer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

extern char** environ;

namespace YolTest {

struct X11 {
    void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    template <typename F>
    F Get(const char* name) const { return lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr; }
    decltype(&XOpenDisplay) open = Get<decltype(&XOpenDisplay)>("XOpenDisplay");
    decltype(&XCloseDisplay) close = Get<decltype(&XCloseDisplay)>("XCloseDisplay");
    decltype(&XDefaultRootWindow) root = Get<decltype(&XDefaultRootWindow)>("XDefaultRootWindow");
    decltype(&XGetImage) getImage = Get<decltype(&XGetImage)>("XGetImage");
    bool Ok() const { return open && close && root && getImage; }
};

inline bool Installed(const char* program) {
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(':', start), path.size());
        if (end > start && access((path.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

class XvfbServer {
public:
    ~XvfbServer() { Stop(); }

    // Starts one on a display it finds free itself; false when it would not
    // start. Xvfb writes the display's number to the pipe once it takes
    // connections, so the wait is for that line (or for the pipe to close
    // when it gives up), never a poll of the display.
    bool Start() {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0)
            return false;
        const char* argv[] = {"Xvfb", "-displayfd", "3", "-screen", "0", "640x480x24", "-nolisten", "tcp", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
        pid_t spawnedPid = -1;
        const int spawned =
            posix_spawnp(&spawnedPid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(ready[1]);
        if (spawned != 0) {
            close(ready[0]);
            return false;
        }
        std::string number;
        for (;;) {
            pollfd wait{ready[0], POLLIN, 0};
            if (poll(&wait, 1, kStartTimeoutMs) <= 0)
                break;
            char c = 0;
            if (read(ready[0], &c, 1) != 1 || c == '\n')
                break;
            number.push_back(c);
        }
        close(ready[0]);
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
            kill(spawnedPid, SIGTERM);
            waitpid(spawnedPid, nullptr, 0);
            return false;
        }
        pid = spawnedPid;
        display = ":" + number;
        return true;
    }

    void Stop() {
        if (pid <= 0)
            return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

    bool Running() const { return pid > 0; }
    const std::string& DisplayName() const { return display; }

private:
    static constexpr int kStartTimeoutMs = 10000;
    pid_t pid = -1;
    std::string display;
};

// The SDL back-end with the x11 driver on the X server in DISPLAY, else on
// an Xvfb of its own; Close puts the environment back.
class SdlOnXServer {
public:
    enum class Result { Open, Missing, Failed };

    ~SdlOnXServer() { Close(); }

    // Missing: there is no X server to be had (a missing peer); Failed: one
    // should have worked. failure says why.
    Result Open(const Platform::SdlOptions& options) {
        const char* display = std::getenv("DISPLAY");
        if (display && *display) {
            displayName = display;
        } else if (!Installed("Xvfb")) {
            failure = "no X display and Xvfb is not installed";
            return Result::Missing;
        } else if (!xvfb.Start()) {
            failure = "Xvfb is installed but would not start";
            return Result::Failed;
        } else {
            displayName = xvfb.DisplayName();
        }
        if (!x11.Ok()) {
            failure = "libX11.so.6 cannot be loaded";
            return Result::Failed;
        }
        setenv("DISPLAY", displayName.c_str(), 1);
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        oldDriver = driver ? std::optional<std::string>(driver) : std::nullopt;
        setenv("SDL_VIDEODRIVER", "x11", 1);
        driverSet = true;
        if (!sdl.Open(options)) {
            failure = "SDL cannot open a window on " + displayName + ": " + sdl.Error();
            return Result::Failed;
        }
        return Result::Open;
    }

    void Close() {
        sdl.Close();
        if (driverSet) {
            if (oldDriver)
                setenv("SDL_VIDEODRIVER", oldDriver->c_str(), 1);
            else
                unsetenv("SDL_VIDEODRIVER");
            driverSet = false;
        }
        if (xvfb.Running()) {
            unsetenv("DISPLAY");
            xvfb.Stop();
        }
    }

    Platform::SdlBackend sdl;
    X11 x11;
    std::string displayName;
    std::string failure;

private:
    XvfbServer xvfb;
    std::optional<std::string> oldDriver;
    bool driverSet = false;
};

}  // namespace YolTest

// Opens the SDL back-end of a SdlOnXServer or ends the test: skipped (or
// failed where peers are required) without an X server, failed when one
// should have worked.
#define YOL_OPEN_SDL_ON_X_SERVER(server, options)                     \
    switch ((server).Open(options)) {                                 \
        case ::YolTest::SdlOnXServer::Result::Missing:                \
            YOL_SKIP_MISSING_PEER((server).failure);                  \
        case ::YolTest::SdlOnXServer::Result::Failed:                 \
            FAIL() << (server).failure;                               \
        case ::YolTest::SdlOnXServer::Result::Open:                   \
            break;                                                    \
    }
