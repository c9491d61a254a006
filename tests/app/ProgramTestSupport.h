#pragma once
// The real program as a child process: a program folder of its own (a copy
// of yol beside links to the build's library, skin and XMPP plug-in), a
// settings file written by the core itself, a private runtime folder for
// the single-instance socket, and the socket's commands to watch it.

#include "Shell/SingleInstance.h"
#include "TestSupport.h"
#include "XmppAccountSeed.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace ProgramTest {

namespace fs = std::filesystem;

class ProgramFolder : public TempFolder {
public:
    ProgramFolder() {
        const fs::path build(YOL_PROGRAM_FOLDER);
        fs::copy_file(build / "yol", PathOf("yol"));
        fs::create_symlink(build / "libYolCommon.so", PathOf("libYolCommon.so"));
        fs::create_directory_symlink(build / "Skins", PathOf("Skins"));
        fs::create_directories(PathOf("Protos"));
        fs::create_directory_symlink(build / "Protos" / "Jabber", PathOf("Protos/Jabber"));
        fs::create_directories(runtime);
        chmod(runtime.c_str(), 0700);
        // The test finds the program's socket where the program puts it.
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            previousRuntime = old;
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    ~ProgramFolder() {
        if (previousRuntime)
            setenv("XDG_RUNTIME_DIR", previousRuntime->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

    // The folder as the program names itself (its socket's key).
    std::string Key() const { return fs::canonical(Root()).string() + "/"; }
    const std::string& Runtime() const { return runtime; }

    // Writes, through the core, a settings file with one XMPP account
    // pointed at a server on 127.0.0.1 that goes online at start.
    void WriteXmppAccount(const std::string& jid, const std::string& password, unsigned int port) {
        XmppAccountSeed{jid, password, "127.0.0.1", port}.WriteInto(Root());
    }

    std::optional<std::string> Ask(const std::string& line, int timeoutMs = 10000) const {
        return Platform::SingleInstance::Ask(Key(), line, timeoutMs);
    }

    // Waits until the running program answers on its socket: each new file
    // in the runtime folder is a reason to look again.
    bool WaitForSocket(int timeoutMs = 60000) const {
        int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        inotify_add_watch(watch, runtime.c_str(), IN_CREATE);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        bool up = false;
        while (!(up = Ask("state", 2000).has_value()) && std::chrono::steady_clock::now() < deadline) {
            // Bound and not listening yet answers nothing: look again soon.
            pollfd fd{watch, POLLIN, 0};
            poll(&fd, 1, 100);
            char drain[4096];
            while (read(watch, drain, sizeof drain) > 0) {
            }
        }
        close(watch);
        return up;
    }

private:
    std::string runtime = PathOf("run");
    std::optional<std::string> previousRuntime;
};

// One run of the program; the environment is the test's with `extra` set
// (an empty value unsets).
class Child {
public:
    Child(const std::string& program, const std::vector<std::string>& args,
          const std::map<std::string, std::string>& extra, const std::string& log) {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            std::string entry(*e);
            if (extra.count(entry.substr(0, entry.find('='))) == 0)
                env.push_back(entry);
        }
        for (const auto& [name, value] : extra)
            if (!value.empty())
                env.push_back(name + "=" + value);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (pid > 0)
            pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    }
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (pidfd >= 0)
            close(pidfd);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid; }

    // The exit code once the program ended within the time (a signal counts
    // as 128 + its number); none when it still runs.
    std::optional<int> Wait(int timeoutMs) {
        if (pid <= 0)
            return std::nullopt;
        pollfd fd{pidfd, POLLIN, 0};
        if (pidfd >= 0 && poll(&fd, 1, timeoutMs) <= 0)
            return std::nullopt;
        int status = 0;
        if (waitpid(pid, &status, 0) != pid)
            return std::nullopt;
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid = -1;
    int pidfd = -1;
};

}  // namespace ProgramTest
