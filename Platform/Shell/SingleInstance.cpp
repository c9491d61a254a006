// The single-instance socket and its listener thread.

#include "SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace Platform {

namespace {

// FNV-1a: a stable short name for a folder of any length.
std::string FolderHash(const std::string& folder) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : folder) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// A folder only this user can enter, or why not.
bool PrivateFolder(const std::string& dir, bool make, std::string& why) {
    if (make && ::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        why = "cannot make " + dir + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = dir + " is not a folder";
        return false;
    }
    if (st.st_uid != ::getuid() || (st.st_mode & 0077) != 0) {
        why = dir + " is not private to this user";
        return false;
    }
    return true;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

// One line of at most kMaxLine bytes, without its newline; none when the
// peer closes first, sends too much or stalls past the time.
std::optional<std::string> ReadLine(int fd, int timeoutMs, int stopFd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        int ready = ::poll(fds, stopFd >= 0 ? 2 : 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (stopFd >= 0 && (fds[1].revents & POLLIN)))
            return std::nullopt;
        char buffer[512];
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n')
                return line;
            if (line.size() >= SingleInstance::kMaxLine)
                return std::nullopt;
            line += buffer[i];
        }
    }
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t put = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

int Connect(const std::string& path) {
    sockaddr_un address;
    if (!FillAddress(path, address))
        return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

struct SingleInstance::Listener {
    int socketFd = -1;
    int stopFd = -1;
    Handler handler;
    std::thread thread;

    void Run() {
        for (;;) {
            pollfd fds[2] = {{socketFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents & POLLIN)
                return;
            int peer = ::accept4(socketFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer < 0)
                continue;
            if (std::optional<std::string> line = ReadLine(peer, kReadTimeoutMs, stopFd))
                WriteAll(peer, handler(*line) + "\n");
            ::close(peer);
        }
    }
};

SingleInstance::SingleInstance(const std::string& programFolder) : folder(programFolder) {}

SingleInstance::~SingleInstance() {
    if (!listener)
        return;
    std::uint64_t one = 1;
    if (::write(listener->stopFd, &one, sizeof one) < 0) {
        // The thread then only ends with its poll failing; eventfd writes of
        // 1 do not fail while the counter is far from its limit.
    }
    listener->thread.join();
    ::close(listener->socketFd);
    ::close(listener->stopFd);
    ::unlink(path.c_str());
}

std::string SingleInstance::PathFor(const std::string& programFolder, std::string* error) {
    std::string why;
    std::string dir;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0' && PrivateFolder(runtime, false, why)) {
        dir = runtime;
    } else {
        dir = "/tmp/yol-" + std::to_string(::getuid());
        if (!PrivateFolder(dir, true, why)) {
            if (error != nullptr)
                *error = why;
            return {};
        }
    }
    return dir + "/yol-" + FolderHash(programFolder) + ".sock";
}

SingleInstance::Result SingleInstance::Acquire(Handler handler) {
    path = PathFor(folder, &error);
    sockaddr_un address;
    if (path.empty() || !FillAddress(path, address)) {
        if (error.empty())
            error = "the socket's path is too long: " + path;
        return Result::Failed;
    }
    auto made = std::make_unique<Listener>();
    made->handler = std::move(handler);
    made->socketFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    made->stopFd = ::eventfd(0, EFD_CLOEXEC);
    auto fail = [&](const std::string& why) {
        error = why;
        if (made->socketFd >= 0)
            ::close(made->socketFd);
        if (made->stopFd >= 0)
            ::close(made->stopFd);
        return Result::Failed;
    };
    if (made->socketFd < 0 || made->stopFd < 0)
        return fail(std::string("no socket: ") + std::strerror(errno));
    if (::bind(made->socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EADDRINUSE)
            return fail("cannot bind " + path + ": " + std::strerror(errno));
        int other = Connect(path);
        if (other >= 0) {
            ::close(other);
            ::close(made->socketFd);
            ::close(made->stopFd);
            return Result::Running;
        }
        // A socket file left by a start that ended without removing it.
        ::unlink(path.c_str());
        if (::bind(made->socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return fail("cannot bind " + path + ": " + std::strerror(errno));
    }
    if (::listen(made->socketFd, 8) != 0)
        return fail("cannot listen on " + path + ": " + std::strerror(errno));
    listener = std::move(made);
    listener->thread = std::thread([l = listener.get()] { l->Run(); });
    return Result::First;
}

std::optional<std::string> SingleInstance::Ask(const std::string& programFolder, const std::string& line,
                                               int timeoutMs) {
    std::string where = PathFor(programFolder);
    if (where.empty())
        return std::nullopt;
    int fd = Connect(where);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> answer;
    if (WriteAll(fd, line + "\n"))
        answer = ReadLine(fd, timeoutMs, -1);
    ::close(fd);
    return answer;
}

}  // namespace Platform
