#pragma once
// The fixed folder and file names of the program's packs, and the file and
// folder helpers the shell uses to find them.

#include "CYolArray.h"
#include "CYolString.h"

#include <cstddef>
#include <memory>

const char16_t* GetPathSeparator();
const char16_t* GetAllEntriesMask();
const char16_t* GetSkinsFolder();
const char16_t* GetColorsFileName();
const char16_t* GetSmiliesFolder();
const char16_t* GetSmileDefineFileName();
const char16_t* GetLangsFolder();
const char16_t* GetLangDllPrefix();
const char16_t* GetAlertsFolder();
const char16_t* GetAlertsFileName();

// Pack files are small; anything bigger is not one of ours.
constexpr std::size_t kMaxPackFileBytes = 4 * 1024 * 1024;

// "*" stands for any run, "?" for one unit; letter case is ignored, as the
// handheld's file system did.
bool MatchesMask(const char16_t* name, const char16_t* mask);

bool FileExists(const CYolString& path);
// The whole file followed by one zero byte; null when it cannot be opened,
// is empty, is bigger than kMaxPackFileBytes or cannot be read whole.
// `size` (when given) gets the file's length without the zero.
std::unique_ptr<unsigned char[]> ReadWholeFile(const CYolString& path, std::size_t* size = nullptr);
// Replaces `names` with the sub-folders of `folder`, in code-unit order.
void ListSubFolders(const CYolString& folder, CYolArray<CYolString>& names);
// Replaces `names` with the files of `folder` that match `mask` ("*" and
// "?" wildcards, letter case ignored), in code-unit order.
void ListFilesByMask(const CYolString& folder, const CYolString& mask, CYolArray<CYolString>& names);
