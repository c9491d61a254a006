#include "CYolFile.h"
#include "CYolPath.h"

#include <cerrno>
#include <climits>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens a regular file and takes the lock that stands for the sharing rule:
// exclusive for a CYolFile, shared for the whole-file reader. O_NONBLOCK
// keeps a FIFO in the way from hanging the open; it is cleared once we know
// the file is a regular one.
int OpenLocked(const std::string& path, int flags, int lock) {
    if (path.empty())
        return -1;
    int fd;
    do
        fd = open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st;
    bool usable = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, lock | LOCK_NB) == 0;
    if (usable) {
        int status = fcntl(fd, F_GETFL);
        usable = status >= 0 && fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0;
    }
    if (!usable) {
        close(fd);
        return -1;
    }
    return fd;
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

void SyncFolder(const std::string& folder) {
    int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

} // namespace

CYolFile::CYolFile(const CYolString& filePath, Mode fileMode) : path(filePath), mode(fileMode) {}

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

bool CYolFile::OpenWith(int flags, bool truncate) {
    Close();
    int access = (mode == ModeWrite || truncate) ? O_RDWR : O_RDONLY;
    fd = OpenLocked(CYolPath::ToNative(path), access | flags, LOCK_EX);
    if (fd >= 0 && truncate && ftruncate(fd, 0) != 0)
        Close();
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
    return file.Open();
}

bool CYolFile::ReadAllBytes(const CYolString& filePath, std::vector<unsigned char>& bytes, int64_t maxBytes) {
    bytes.clear();
    int fd = OpenLocked(CYolPath::ToNative(filePath), O_RDONLY, LOCK_SH);
    if (fd < 0)
        return false;
    int64_t size = FileSize(fd);
    bool ok = size >= 0 && size <= maxBytes;
    if (ok && size > 0) {
        bytes.resize(static_cast<size_t>(size));
        ok = ReadFully(fd, bytes.data(), bytes.size()) == bytes.size();
    }
    close(fd);
    if (!ok)
        bytes.clear();
    return ok;
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

bool CYolFile::WriteWholeFile(const CYolString& filePath, const unsigned char* data, size_t count,
                              unsigned int permissions) {
    std::string target = CYolPath::ToNative(filePath);
    if (target.empty() || target.back() == '/' || (!data && count > 0))
        return false;
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string temp = folder + ".yol-XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fchmod(fd, static_cast<mode_t>(permissions & 07777)) == 0 && WriteFully(fd, data, count) &&
              fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}
