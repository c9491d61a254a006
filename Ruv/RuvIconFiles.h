#pragma once
// The buddy-icon files of the OSCAR accounts: one file per icon, named by
// the icon's hash in lowercase hex with an extension chosen from the
// picture's first bytes, in one data folder of the program folder. A hash
// names its picture whatever contact shows it, so a file found under the
// hash is never fetched again. Plain values and file calls; any thread.

#include "CYolString.h"

#include <string_view>

// The picture kinds told apart by their first bytes, in the numbering the
// files keep.
enum class RuvIconType { Jpeg = 0, Gif = 1, Png = 2, Bmp = 3, Unknown = 4 };

// Checked in the order PNG, GIF, JPEG, BMP; JPEG only with an APP0 or APP1
// marker after the start of image.
RuvIconType SniffIconType(std::string_view data);
// ".jpg", ".gif", ".png", ".bmp" or ".hex".
const char16_t* IconExtension(RuvIconType type);

class RuvIconStore {
public:
    // The longest hash a file is named by: 64 hex digits and an extension
    // keep every name far below the file system's limit.
    static constexpr size_t kMaxHashBytes = 32;
    // An icon comes in one frame.
    static constexpr size_t kMaxIconBytes = 0xFFFF;

    // `folder`: where the files live (made when the first is written);
    // empty: DefaultFolder().
    explicit RuvIconStore(CYolString folder);
    // The program folder's "BuddyIcons/".
    static CYolString DefaultFolder();

    // The file name of a hash and type; empty for an empty hash or one
    // longer than kMaxHashBytes.
    static CYolString FileName(std::string_view hash, RuvIconType type);
    // The path of an existing file for the hash, whichever its type; empty
    // when there is none.
    CYolString Find(std::string_view hash) const;
    // Writes the icon under its hash (replacing the file whole, never
    // leaving part of one) and answers its path; empty when the hash names
    // no file or the write failed.
    CYolString Save(std::string_view hash, std::string_view icon) const;
    const CYolString& Folder() const { return folder; }

private:
    CYolString folder;
};
