#pragma once
// Runs a piece of a test in a child process without privileges, for the
// cases where a permission must hold: root reads and writes anywhere.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

// The user the child becomes when the tests run as root.
constexpr uid_t kUnprivilegedId = 65534;

// Makes `path` the unprivileged user's (when we are root), with `mode`.
inline bool HandOver(const std::string& path, mode_t mode) {
    if (geteuid() == 0 && chown(path.c_str(), kUnprivilegedId, kUnprivilegedId) != 0)
        return false;
    return chmod(path.c_str(), mode) == 0;
}

// The exit code of `body` run in a child as the unprivileged user; 200
// when privileges could not be dropped, 201 when the child did not exit.
template <typename Body>
int RunUnprivileged(Body body) {
    pid_t child = fork();
    if (child < 0)
        return 202;
    if (child == 0) {
        if (geteuid() == 0 && (setgid(kUnprivilegedId) != 0 || setuid(kUnprivilegedId) != 0))
            _exit(200);
        _exit(body());
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 201;
}
