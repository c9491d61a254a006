#include "CTransferFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

bool CTransferFile::AppendToFile(const uint8_t* data, size_t size) {
    if (static_cast<int64_t>(size) > totalSize - doneSize)
        return false;
    if (fd < 0) {
        if (created)
            return false;  // closed after completion or failure
        fd = ::open(fileName.ToUtf8().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        created = true;
    }
    for (size_t written = 0; written < size;) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<size_t>(n);
    }
    doneSize += static_cast<int64_t>(size);
    return true;
}

void CTransferFile::KeepFile() {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    created = false;
}

void CTransferFile::DiscardFile() {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    if (created)
        ::unlink(fileName.ToUtf8().c_str());
    created = false;
}

bool CTransferFile::ReadChunk(size_t size, std::string& out) const {
    const int file = ::open(fileName.ToUtf8().c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return false;
    out.resize(size);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(file, out.data() + got, size - got, static_cast<off_t>(doneSize) + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(file);
    return got == size;
}

bool CTransferFile::TakeChunk(size_t limit, std::string& out) {
    const size_t size = static_cast<size_t>(std::min<int64_t>(totalSize - doneSize, static_cast<int64_t>(limit)));
    if (size == 0 || !ReadChunk(size, out))
        return false;
    doneSize += static_cast<int64_t>(size);
    return true;
}

CYolString TransferBaseName(const CYolString& offered) {
    std::u16string name(offered.IsEmpty() ? u"" : offered.c_str());
    const size_t cut = name.find_last_of(u"/\\");
    if (cut != std::u16string::npos)
        name.erase(0, cut + 1);
    if (name.empty() || name == u"." || name == u"..")
        return CYolString();
    return CYolString(name.c_str(), static_cast<int>(name.size()));
}

namespace {
bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}
}  // namespace

CYolString FreeTargetPath(const CYolString& path) {
    const std::string wanted = path.ToUtf8();
    if (!Exists(wanted))
        return path;
    const size_t slash = wanted.rfind('/');
    const size_t dot = wanted.rfind('.');
    const size_t split = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? dot : wanted.size();
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate =
            wanted.substr(0, split) + " (" + std::to_string(n) + ")" + wanted.substr(split);
        if (!Exists(candidate))
            return CYolString::FromUtf8(candidate);
    }
    return CYolString();
}

int64_t TransferFileSize(const CYolString& path) {
    struct stat info {};
    if (path.IsEmpty() || ::stat(path.ToUtf8().c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}
