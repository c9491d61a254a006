#include "CYolFileSystem.h"
#include "CYolPath.h"

#include <algorithm>
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
