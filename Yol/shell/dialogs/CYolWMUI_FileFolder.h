#pragma once
// The folder a file browser stands in, and everything it reads of the file
// system: listing folders and files, going in and out of folders, and the
// path of a chosen name. The browser never leaves its root folder: names
// from the disk or the user are plain names (no separators, no "." or
// ".."), and a folder or file whose real place lies outside the root (a
// symbolic link) is neither listed nor entered.
//
// The current folder is kept relative to the root: "/" for the root
// itself, else "/a/b/".

#include "CYolArray.h"
#include "CYolString.h"

#include <cstdint>

namespace UI {

class CYolWMUI_FileFolder {
public:
    struct TEntry {
        CYolString name;
        bool folder = false;
        std::uint64_t size = 0;
        std::int64_t modified = 0;
    };

    enum TResult : int {
        EOk = 0,
        // Not there (any more), not a folder, or not a plain name.
        EMissing = 1,
        // There, but it cannot be read.
        EUnreadable = 2,
    };

    // The root is made absolute and real; a root that does not exist
    // becomes "/".
    explicit CYolWMUI_FileFolder(const CYolString& root);

    // Stands in the folder of `path` (an absolute path) when that folder
    // lies within the root and exists; else in the root.
    void StartAt(const CYolString& path);

    const CYolString& Root() const { return m_root; }
    const CYolString& Folder() const { return m_folder; }
    // The current folder's absolute path, ending in "/".
    CYolString AbsoluteFolder() const;
    // The folder names from the root down to the current folder.
    CYolArray<CYolString> Levels() const;
    // Keeps the first `levels` names (0: the root).
    void CutToLevel(int levels);
    // False at the root.
    bool Up();
    // Enters the sub-folder `name` when it can be listed.
    TResult Enter(const CYolString& name);

    // Folders and files of the current folder, each in code-unit order of
    // their names, files only when they match `pattern` ("*" when empty);
    // names starting with "." only with `showHidden`. A current folder that
    // no longer exists falls back to the root first.
    TResult List(const CYolString& pattern, bool showHidden, CYolArray<TEntry>& folders,
                 CYolArray<TEntry>& files);

    // The absolute path of `name` in the current folder; empty when the
    // name is not a plain name.
    CYolString PathOf(const CYolString& name) const;

    static bool IsPlainName(const CYolString& name);
    // "1024", "1.00K", "1024.00M"...: bytes up to 1024, then KiB up to
    // 1024 KiB, then MiB.
    static CYolString FormatSize(std::uint64_t size);
    // Local time as "2026/12/11 07:05".
    static CYolString FormatDate(std::int64_t unixTime);
    // A name typed in a save dialog gets the filter's extension ("*.txt"
    // gives ".txt") unless it already ends with it; a filter whose
    // extension is itself a pattern adds nothing.
    static CYolString WithExtension(const CYolString& name, const CYolString& filter);

private:
    bool Within(const std::string& realPath) const;
    TResult Probe(const CYolString& folder) const;

    CYolString m_root;
    CYolString m_folder;
};

} // namespace UI
