#pragma once
// One running program per user and program folder: the first start listens
// on a Unix socket named after the folder, in the user's runtime folder
// ($XDG_RUNTIME_DIR, else /tmp/yol-<uid>, made private), and later starts
// find it there. A later start hands the first one a line ("raise" brings
// its window forward) and reads one line back.
//
// The first start answers each connection on a listener thread of its own,
// one line in and one line out, through the handler it was given; the
// thread stops when the object goes and is joined. Lines are bounded
// (kMaxLine) and a peer that does not finish its line within kReadTimeoutMs
// is dropped.

#include "YolTypes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace Platform {

class YOL_API SingleInstance {
public:
    static constexpr size_t kMaxLine = 4096;
    static constexpr int kReadTimeoutMs = 5000;

    enum class Result {
        First,    // this start listens now
        Running,  // another start of the same folder listens
        Failed,   // no private runtime folder or no socket: the reason in Error()
    };
    // Runs on the listener thread; answers the line to send back.
    using Handler = std::function<std::string(const std::string& line)>;

    explicit SingleInstance(const std::string& programFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Binds the socket (a socket file nobody answers on is taken over) and
    // starts listening with `handler`.
    Result Acquire(Handler handler);
    const std::string& Error() const { return error; }
    const std::string& SocketPath() const { return path; }

    // Sends one line to the start that listens for the folder and answers
    // its reply; none when nobody answers within the time.
    static std::optional<std::string> Ask(const std::string& programFolder, const std::string& line,
                                          int timeoutMs);
    // Where the socket of a folder lives; empty when there is no private
    // runtime folder.
    static std::string PathFor(const std::string& programFolder, std::string* error = nullptr);

private:
    struct Listener;

    std::string folder;
    std::string path;
    std::string error;
    std::unique_ptr<Listener> listener;
};

}  // namespace Platform
