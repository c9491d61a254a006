#include "CYolBrowserLauncher.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char16_t* const kAllowedSchemes[] = {u"http://", u"https://"};

// Signals whose ignored state would otherwise pass through exec to the
// opener (we ignore SIGPIPE for our sockets, for instance).
const int kResetSignals[] = {SIGPIPE, SIGCHLD, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2};

bool StartsWithIgnoringCase(const CYolString& text, const char16_t* prefix) {
    int i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.Length() || CYolString::ToLowerChar(text.At(i)) != prefix[i])
            return false;
    return true;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program execvp would run, found before forking so that the child only
// calls functions that are safe after fork in a threaded process.
std::string FindProgram(const std::string& command) {
    if (command.find('/') != std::string::npos)
        return IsExecutableFile(command) ? command : std::string();
    const char* env = getenv("PATH");
    std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        size_t end = path.find(':', start);
        std::string folder = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + command;
        if (IsExecutableFile(candidate))
            return candidate;
        if (end == std::string::npos)
            return std::string();
        start = end + 1;
    }
}

// Runs in the grandchild: detach, quiet stdio, default signals, exec. On
// failure tells the waiting parent why through the pipe.
[[noreturn]] void ExecOpener(const std::string& program, char* const argv[], int devNull, int report) {
    setsid();
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    for (int signal : kResetSignals)
        sigaction(signal, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int target = 0; target < 3; ++target)
        dup2(devNull, target);
    execv(program.c_str(), argv);
    int error = errno;
    ssize_t ignored = write(report, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

} // namespace

bool CYolBrowserLauncher::IsAllowedAddress(const CYolString& address) {
    bool schemeOk = false;
    for (const char16_t* scheme : kAllowedSchemes) {
        int length = static_cast<int>(std::char_traits<char16_t>::length(scheme));
        if (address.Length() > length && StartsWithIgnoringCase(address, scheme))
            schemeOk = true;
    }
    if (!schemeOk)
        return false;
    for (int i = 0; i < address.Length(); ++i)
        if (address.At(i) < 0x20 || address.At(i) == 0x7F)
            return false;
    return true;
}

bool CYolBrowserLauncher::Launch(const CYolString& address) {
    if (!IsAllowedAddress(address))
        return false;
    const char* chosen = getenv("YOL_BROWSER");
    std::string command = chosen && *chosen ? chosen : "xdg-open";
    std::string program = FindProgram(command);
    std::string target = address.ToUtf8();
    if (program.empty() || target.empty())
        return false;
    char* const argv[] = {command.data(), target.data(), nullptr};

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }

    // Double fork: the intermediate child exits at once and is reaped here,
    // the opener is adopted by init, so nobody waits for the browser.
    pid_t child = fork();
    if (child == 0) {
        pid_t opener = fork();
        if (opener == 0)
            ExecOpener(program, argv, devNull, report[1]);
        if (opener < 0) {
            int error = errno;
            ssize_t ignored = write(report[1], &error, sizeof error);
            (void)ignored;
        }
        _exit(opener < 0 ? 1 : 0);
    }
    close(report[1]);
    close(devNull);
    if (child < 0) {
        close(report[0]);
        return false;
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // The write end closes when the opener's exec succeeds; anything read
    // is the error of a failed fork or exec.
    int error = 0;
    ssize_t n;
    do
        n = read(report[0], &error, sizeof error);
    while (n < 0 && errno == EINTR);
    close(report[0]);
    return n == 0;
}
