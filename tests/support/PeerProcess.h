#pragma once
// Programs the tests talk to: real servers and the scripted peers of
// tests/peers, started on loopback ports chosen at run time in a process
// group of their own that is ended when the test is done; and a certificate
// authority made for the run.

#include "MissingPeer.h"
#include "TestSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// The full path of a program on PATH or in the system folders; "" when
// there is none.
inline std::string FindProgram(const std::string& name)
{
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty())
            continue;
        std::string candidate = dir + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

inline sockaddr_in LoopbackAddress(unsigned int port = 0)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
}

// A loopback port nobody listened on a moment ago.
inline unsigned int FreePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = LoopbackAddress();
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t size = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    ::close(fd);
    return ntohs(a.sin_port);
}

inline bool Accepts(unsigned int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = LoopbackAddress(port);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// One program started by the test. Its standard error goes to `log`; its
// standard output too, or to a pipe the test reads line by line when
// `pipeOutput` is set; with `pipeInput` the test writes its standard input
// line by line. Stopping ends its whole process group and reaps it.
class PeerProcess {
public:
    PeerProcess(const std::vector<std::string>& args, const std::string& log, bool pipeOutput = false,
                bool pipeInput = false)
    {
        // Writing to a program that already ended must fail, not end the test.
        static const bool ignoringSigpipe = [] { return ::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
        (void)ignoringSigpipe;
        int outFds[2] = {-1, -1};
        int inFds[2] = {-1, -1};
        if ((pipeOutput && ::pipe2(outFds, O_CLOEXEC) != 0) || (pipeInput && ::pipe2(inFds, O_CLOEXEC) != 0)) {
            CloseBoth(outFds);
            return;
        }
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid = ::fork();
        if (pid == 0) {
            ::setpgid(0, 0);
            int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(pipeInput ? inFds[0] : ::open("/dev/null", O_RDONLY), 0);
            ::dup2(pipeOutput ? outFds[1] : logFd, 1);
            ::dup2(logFd, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (pipeOutput) {
            ::close(outFds[1]);
            output = outFds[0];
        }
        if (pipeInput) {
            ::close(inFds[0]);
            input = inFds[1];
        }
        if (pid < 0) {
            Close(input);
            Close(output);
        }
    }
    ~PeerProcess() { Stop(); }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool Started() const { return pid > 0; }
    // False once the program ended; whatever it left in its group is ended
    // too while the group is still certainly ours (its leader not reaped).
    bool Running()
    {
        if (pid <= 0)
            return false;
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0)
            return true;
        ::kill(-pid, SIGKILL);
        int status;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return false;
    }
    // Waits for the program to end by itself; false when it did not in time.
    bool Wait(int timeoutMs)
    {
        for (int waited = 0; waited < timeoutMs; waited += 5) {
            if (!Running())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return !Running();
    }
    // Waits until the program accepts connections on the port.
    bool WaitForPort(unsigned int port, int timeoutMs = 5000)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (Accepts(port))
                return true;
            if (!Running())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Writes one line to a program started with `pipeInput`.
    bool WriteLine(const std::string& line)
    {
        std::string data = line + "\n";
        size_t done = 0;
        while (input >= 0 && done < data.size()) {
            ssize_t n = ::write(input, data.data() + done, data.size() - done);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return done == data.size();
    }
    // The next line of a piped program's output without its end; nothing
    // when the program ended or no line came within the time.
    std::optional<std::string> NextLine(int timeoutMs = 15000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t end = pending.find('\n');
            if (end != std::string::npos) {
                std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p{output, POLLIN, 0};
            if (output < 0 || left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char buffer[4096];
            const ssize_t n = ::read(output, buffer, sizeof buffer);
            if (n <= 0)
                return std::nullopt;
            pending.append(buffer, static_cast<size_t>(n));
        }
    }
    // The same, "" for nothing.
    std::string ReadLine(int timeoutMs = 15000) { return NextLine(timeoutMs).value_or(std::string()); }
    // Closes the program's input first: a program that reads commands ends
    // on that, and gets `graceMs` to do so. Then the group is asked to end,
    // and made to.
    void Stop(int graceMs = 5000)
    {
        const bool hadInput = input >= 0;
        Close(input);
        if (hadInput)
            Wait(graceMs);
        if (pid > 0) {
            ::kill(-pid, SIGTERM);
            for (int i = 0; i < 500 && Running(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (pid > 0)
                ::kill(-pid, SIGKILL);
            while (Running())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        DrainOutput();
    }
    // What a piped program printed that the test did not read.
    const std::string& Rest() const { return pending; }

private:
    void DrainOutput()
    {
        if (output < 0)
            return;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(output, buffer, sizeof buffer)) > 0)
            pending.append(buffer, static_cast<size_t>(n));
        ::close(output);
        output = -1;
    }

    static void Close(int& fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    static void CloseBoth(int (&fds)[2])
    {
        Close(fds[0]);
        Close(fds[1]);
    }

    pid_t pid = -1;
    int input = -1;
    int output = -1;
    std::string pending;
};

// Certificate authorities made for this run and server certificates they
// signed. Trusting one of them points SSL_CERT_FILE at it, so the sockets
// trust that authority alone.
class TestPki {
public:
    TestPki() : openssl(FindProgram("openssl")) {}

    std::string Cert(const std::string& name) const { return dir.PathOf(name + ".pem"); }
    std::string Key(const std::string& name) const { return dir.PathOf(name + ".key"); }

    bool MakeAuthority(const std::string& name, const std::string& commonName)
    {
        return !openssl.empty() &&
               Run({openssl, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                    "-keyout", Key(name), "-out", Cert(name), "-subj", "/CN=" + commonName, "-days", "2"}) &&
               Exists(Cert(name));
    }
    // altNames as openssl spells them: "DNS:localhost,IP:127.0.0.1".
    bool MakeServer(const std::string& name, const std::string& authority, const std::string& altNames)
    {
        if (openssl.empty())
            return false;
        std::string csr = dir.PathOf(name + ".csr");
        std::string ext = dir.Put(name + ".ext", "subjectAltName=" + altNames +
                                                     "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
        return Run({openssl, "req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                    "-keyout", Key(name), "-out", csr, "-subj", "/CN=" + name}) &&
               Run({openssl, "x509", "-req", "-in", csr, "-CA", Cert(authority), "-CAkey", Key(authority),
                    "-CAcreateserial", "-out", Cert(name), "-days", "2", "-extfile", ext}) &&
               Exists(Cert(name));
    }
    void Trust(const std::string& authority) const { ::setenv("SSL_CERT_FILE", Cert(authority).c_str(), 1); }

private:
    bool Run(const std::vector<std::string>& args)
    {
        PeerProcess process(args, dir.PathOf("openssl.log"));
        return process.Wait(20000);
    }
    static bool Exists(const std::string& path)
    {
        std::error_code ec;
        return std::filesystem::file_size(path, ec) > 0 && !ec;
    }

    std::string openssl;
    TempFolder dir;
};
