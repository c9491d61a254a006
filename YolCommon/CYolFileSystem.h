#pragma once
// CYolFileSystem: deleting files, listing, making and flushing folders.

#include "CYolArray.h"
#include "CYolString.h"
#include "YolTypes.h"

class YOL_API CYolFileSystem {
public:
    enum : unsigned int {
        ListFolders = 1, // sub-folders
        ListFiles = 2    // everything that is not a folder
    };

    // Removes the file; true when it was removed. Folders are not removed.
    static bool DeleteFileW(const CYolString& path);

    // Appends to `names` (keeping what it holds) the bare names of the
    // entries of `folder` that the flags ask for, in byte order of their
    // names, so that "the first pack found" is the same on every machine.
    // "." and ".." are never listed; a symbolic link counts as what it
    // points to. The folder may end with "/" or not. True always, also when
    // the folder does not exist.
    static bool GetDirectoryFiles(const CYolString& folder, unsigned int flags, CYolArray<CYolString>& names);

    // Puts the folder's entries on disk, so that a file created, renamed or
    // removed in it survives a power cut. True when done, or when the file
    // system has nothing to flush for folders.
    static bool SyncFolder(const CYolString& folder);
    // The same for the folder holding `path`.
    static bool SyncFolderOf(const CYolString& path);
    // Makes the folder and every missing one on its way with `permissions`,
    // flushing the folder each new one was made in. True when the folder is
    // there afterwards.
    static bool CreateFolders(const CYolString& folder, unsigned int permissions);
};
