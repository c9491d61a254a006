#include "CYolFile.h"
#include "CYolClock.h"
#include "CYolFileSystem.h"
#include "CYolPath.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <string>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// flock has no timed wait, so a waiter tries again at this pace.
constexpr auto kLockRetry = std::chrono::milliseconds(1);
// What follows ".<name>" in a temporary copy's name; mkostemp fills the Xs.
constexpr char kCopySuffix[] = ".yol-XXXXXX";

struct Opening {
    int fd = -1;
    CYolFile::Status status = CYolFile::Missing;
    int error = 0;
};

Opening Failed(CYolFile::Status status, int error) {
    Opening failed;
    failed.status = status;
    failed.error = error;
    return failed;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Opens a regular file and takes the lock that stands for the sharing rule,
// waiting for it up to kLockWaitMs. O_NONBLOCK keeps a FIFO in the way from
// hanging the open; it is cleared once we know the file is a regular one.
Opening OpenLocked(const std::string& path, int flags, unsigned int permissions, int lock) {
    if (path.empty())
        return Failed(CYolFile::Missing, ENOENT);
    const uint64_t deadline = CYolClock::Current().TickCount64() + CYolFile::kLockWaitMs;
    for (;;) {
        int fd;
        do
            fd = open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, static_cast<mode_t>(permissions & 07777));
        while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return Failed(errno == ENOENT || errno == ENOTDIR ? CYolFile::Missing : CYolFile::Unreadable, errno);
        struct stat held {};
        if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            close(fd);
            return Failed(CYolFile::Unreadable, S_ISDIR(held.st_mode) ? EISDIR : EINVAL);
        }
        int error = 0;
        while (flock(fd, lock | LOCK_NB) != 0) {
            error = errno;
            if (error == EINTR)
                continue;
            if (error != EWOULDBLOCK || CYolClock::Current().TickCount64() >= deadline)
                break;
            error = 0;
            std::this_thread::sleep_for(kLockRetry);
        }
        if (error != 0) {
            close(fd);
            return Failed(error == EWOULDBLOCK ? CYolFile::Busy : CYolFile::Unreadable, error);
        }
        // A file removed or replaced while we waited is no longer the one
        // the name stands for: open the name again.
        struct stat named;
        if (stat(path.c_str(), &named) == 0 && SameFile(held, named)) {
            int status = fcntl(fd, F_GETFL);
            if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
                close(fd);
                return Failed(CYolFile::Unreadable, errno);
            }
            Opening opened;
            opened.fd = fd;
            opened.status = CYolFile::Opened;
            return opened;
        }
        close(fd);
        if (CYolClock::Current().TickCount64() >= deadline)
            return Failed(CYolFile::Busy, EWOULDBLOCK);
    }
}

int64_t FileSize(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

// Reads until `count` bytes arrived, the file ended or an error occurred.
size_t ReadFully(int fd, unsigned char* buffer, size_t count) {
    size_t total = 0;
    while (total < count) {
        ssize_t n = read(fd, buffer + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<size_t>(n);
    }
    return total;
}

bool WriteFully(int fd, const unsigned char* data, size_t count) {
    size_t total = 0;
    while (total < count) {
        ssize_t n = write(fd, data + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        total += static_cast<size_t>(n);
    }
    return true;
}

// The folder (with its trailing "/", empty for the current one) and the
// bare name of a path.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

bool IsCopyName(const std::string& entry, const std::string& prefix) {
    const size_t random = sizeof kCopySuffix - 1 - (sizeof ".yol-" - 1);
    return entry.size() == prefix.size() + random && entry.compare(0, prefix.size(), prefix) == 0;
}

// A cleaner (RemoveStaleCopies, in this process or another) may come upon a
// copy between its creation and its lock, take it for a dead writer's and
// remove it. Each such loss costs one fresh copy; this many in a row means
// something keeps taking them.
constexpr int kCopyAttempts = 8;

enum class Copy { Ours, TakenByCleaner, Failed };

// Makes a copy from `pattern` (mkostemp's template, owner-only) and locks
// it. Once it is locked under its name it stays ours until the rename: a
// cleaner removes only a copy it can lock.
Copy CreateLockedCopy(std::string& pattern, int& fd) {
    fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return Copy::Failed;
    Copy result = Copy::Ours;
    struct stat held, named;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // A cleaner holds it, and removes it.
        result = errno == EWOULDBLOCK ? Copy::TakenByCleaner : Copy::Failed;
    } else if (fstat(fd, &held) != 0 || lstat(pattern.c_str(), &named) != 0 || !SameFile(held, named)) {
        // A cleaner locked and removed it before us, and has let it go.
        result = Copy::TakenByCleaner;
    }
    if (result == Copy::Failed)
        unlink(pattern.c_str());
    if (result != Copy::Ours) {
        close(fd);
        fd = -1;
    }
    return result;
}

} // namespace

CYolFile::CYolFile(const CYolString& filePath, Mode fileMode, unsigned int createPermissions)
    : path(filePath), mode(fileMode), permissions(createPermissions) {}

CYolFile::~CYolFile() {
    Close();
}

bool CYolFile::Create() {
    return OpenWith(O_CREAT | O_EXCL, false);
}

bool CYolFile::Open() {
    return OpenWith(0, false);
}

bool CYolFile::Replace() {
    // Truncated only after the lock is ours: a file someone else holds is
    // left as it was.
    return OpenWith(O_CREAT, true);
}

bool CYolFile::OpenAlways() {
    return OpenWith(O_CREAT, false);
}

bool CYolFile::OpenWith(int flags, bool truncate) {
    Close();
    bool writer = mode == ModeWrite || truncate;
    Opening opening = OpenLocked(CYolPath::ToNative(path), (writer ? O_RDWR : O_RDONLY) | flags, permissions,
                                 writer ? LOCK_EX : LOCK_SH);
    fd = opening.fd;
    status = opening.status;
    if (fd >= 0 && truncate && ftruncate(fd, 0) != 0) {
        Close();
        status = Unreadable;
    }
    return fd >= 0;
}

int CYolFile::Read(unsigned char* buffer, int count) {
    if (fd < 0 || !buffer || count <= 0)
        return 0;
    return static_cast<int>(ReadFully(fd, buffer, static_cast<size_t>(count)));
}

bool CYolFile::Write(const unsigned char* data, int count) {
    if (fd < 0 || mode != ModeWrite || count < 0 || (!data && count > 0))
        return false;
    return WriteFully(fd, data, static_cast<size_t>(count));
}

bool CYolFile::Seek(SeekType from, int offset) {
    return Seek64(from, offset);
}

bool CYolFile::Seek64(SeekType from, int64_t offset) {
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (fd < 0 || from < SeekBegin || from > SeekEnd)
        return false;
    return lseek(fd, static_cast<off_t>(offset), kWhence[from]) != static_cast<off_t>(-1);
}

int CYolFile::Size() {
    int64_t size = Size64();
    return size < 0 || size > INT_MAX ? -1 : static_cast<int>(size);
}

int64_t CYolFile::Size64() {
    return fd < 0 ? -1 : FileSize(fd);
}

void CYolFile::Close() {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

int CYolFile::Size(const CYolString& filePath) {
    int64_t size = Size64(filePath);
    if (size < 0)
        return 0;
    return size > INT_MAX ? -1 : static_cast<int>(size);
}

int64_t CYolFile::Size64(const CYolString& filePath) {
    CYolFile file(filePath, ModeRead);
    return file.Open() ? file.Size64() : -1;
}

bool CYolFile::FileExists(const CYolString& filePath) {
    CYolFile file(filePath, ModeRead);
    return file.Open() || file.GetStatus() == Busy;
}

CYolFile::Status CYolFile::ReadWhole(const CYolString& filePath, std::vector<unsigned char>& bytes, int64_t maxBytes,
                                     int* error) {
    bytes.clear();
    Opening opening = OpenLocked(CYolPath::ToNative(filePath), O_RDONLY, 0, LOCK_SH);
    int failure = opening.error;
    if (opening.fd >= 0) {
        int64_t size = FileSize(opening.fd);
        if (size < 0 || size > maxBytes) {
            failure = size < 0 ? errno : EFBIG;
        } else if (size > 0) {
            bytes.resize(static_cast<size_t>(size));
            if (ReadFully(opening.fd, bytes.data(), bytes.size()) != bytes.size())
                failure = EIO;
        }
        close(opening.fd);
        if (failure != 0) {
            bytes.clear();
            opening.status = Unreadable;
        }
    }
    if (error)
        *error = failure;
    return opening.status;
}

bool CYolFile::ReadAllBytes(const CYolString& filePath, std::vector<unsigned char>& bytes, int64_t maxBytes) {
    return ReadWhole(filePath, bytes, maxBytes) == Opened;
}

bool CYolFile::ReadFromFile(CYolString& text, const CYolString& filePath) {
    text = CYolString();
    std::vector<unsigned char> bytes;
    if (!ReadAllBytes(filePath, bytes) || bytes.empty())
        return false;
    text = CYolString(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), YOL_CP_1251);
    return !text.IsEmpty();
}

CYolString CYolFile::ReadFromFile(const CYolString& filePath) {
    CYolString text;
    ReadFromFile(text, filePath);
    return text;
}

CYolString CYolFile::ReadFromFile(const char16_t* filePath, int length) {
    return ReadFromFile(CYolString(filePath, length));
}

int CYolFile::RemoveStaleCopies(const CYolString& filePath) {
    auto [folder, name] = SplitPath(CYolPath::ToNative(filePath));
    if (name.empty())
        return 0;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    const std::string prefix = "." + name + ".yol-";
    int removed = 0;
    while (dirent* entry = readdir(dir)) {
        std::string copy = entry->d_name;
        if (!IsCopyName(copy, prefix))
            continue;
        std::string full = folder + copy;
        int fd = open(full.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            continue;
        // Its writer holds the lock until the rename: one we can lock has
        // nobody left to finish it.
        struct stat held, named;
        if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            lstat(full.c_str(), &named) == 0 && SameFile(held, named) && unlink(full.c_str()) == 0)
            ++removed;
        close(fd);
    }
    closedir(dir);
    return removed;
}

bool CYolFile::WriteWholeFile(const CYolString& filePath, const unsigned char* data, size_t count,
                              unsigned int permissions) {
    std::string target = CYolPath::ToNative(filePath);
    if (target.empty() || target.back() == '/' || (!data && count > 0))
        return false;
    RemoveStaleCopies(filePath);
    auto [folder, name] = SplitPath(target);
    std::string temp;
    int fd = -1;
    Copy copy = Copy::TakenByCleaner;
    for (int attempt = 0; copy == Copy::TakenByCleaner && attempt < kCopyAttempts; ++attempt) {
        temp = folder + "." + name + kCopySuffix;
        copy = CreateLockedCopy(temp, fd);
    }
    if (copy != Copy::Ours)
        return false;
    bool ok = fchmod(fd, static_cast<mode_t>(permissions & 07777)) == 0 && WriteFully(fd, data, count) &&
              fsync(fd) == 0;
    // Renamed while still open and locked, so that it is never an unlocked
    // copy under the temporary name.
    bool renamed = ok && rename(temp.c_str(), target.c_str()) == 0;
    if (!renamed)
        unlink(temp.c_str());
    ok = close(fd) == 0 && renamed;
    return ok && CYolFileSystem::SyncFolderOf(filePath);
}
