#include "CYolFileSystem.h"
#include "CYolPath.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsFolder(int dirFd, const dirent* entry) {
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool CYolFileSystem::DeleteFileW(const CYolString& path) {
    std::string native = CYolPath::ToNative(path);
    return !native.empty() && unlink(native.c_str()) == 0;
}

bool CYolFileSystem::GetDirectoryFiles(const CYolString& folder, unsigned int flags, CYolArray<CYolString>& names) {
    std::string native = CYolPath::ToNative(folder);
    if (native.empty() || (flags & (ListFolders | ListFiles)) == 0)
        return true;
    DIR* dir = opendir(native.c_str());
    if (!dir)
        return true;
    std::vector<std::string> found;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        unsigned int kind = IsFolder(dirfd(dir), entry) ? ListFolders : ListFiles;
        if (flags & kind)
            found.push_back(name);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    for (const std::string& name : found) {
        // A name that is not valid UTF-8 could not be opened again through
        // our paths, so it is not offered.
        CYolString wide = CYolPath::FromNative(name);
        if (!wide.IsEmpty())
            names.Add(wide);
    }
    return true;
}

namespace {

bool SyncNativeFolder(const std::string& folder) {
    int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int rc;
    do
        rc = fsync(fd);
    while (rc != 0 && errno == EINTR);
    // Some file systems cannot flush a folder and say so with EINVAL.
    bool ok = rc == 0 || errno == EINVAL;
    close(fd);
    return ok;
}

bool SyncNativeParent(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return SyncNativeFolder(std::string());
    return SyncNativeFolder(path.substr(0, slash == 0 ? 1 : slash));
}

} // namespace

bool CYolFileSystem::SyncFolder(const CYolString& folder) {
    return SyncNativeFolder(CYolPath::ToNative(folder));
}

bool CYolFileSystem::SyncFolderOf(const CYolString& path) {
    return SyncNativeParent(CYolPath::ToNative(path));
}

bool CYolFileSystem::CreateFolders(const CYolString& folder, unsigned int permissions) {
    std::string native = CYolPath::ToNative(folder);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    if (native.empty())
        return false;
    for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
        std::string part = native.substr(0, slash);
        if (mkdir(part.c_str(), static_cast<mode_t>(permissions & 07777)) == 0) {
            if (!SyncNativeParent(part))
                return false;
        } else if (errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct stat st;
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
