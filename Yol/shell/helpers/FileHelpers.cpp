#include "FileHelpers.h"

#include "CYolFile.h"
#include "CYolFileSystem.h"

#include <algorithm>
#include <cstring>
#include <vector>

const char16_t* GetPathSeparator() { return u"/"; }
const char16_t* GetAllEntriesMask() { return u"*"; }
const char16_t* GetSkinsFolder() { return u"Skins/"; }
const char16_t* GetColorsFileName() { return u"_colors.ini"; }
const char16_t* GetSmiliesFolder() { return u"Smilies/"; }
const char16_t* GetSmileDefineFileName() { return u"_define.ini"; }
const char16_t* GetLangsFolder() { return u"Langs/"; }
const char16_t* GetLangDllPrefix() { return u"Yol_"; }
const char16_t* GetAlertsFolder() { return u"Alerts/"; }
const char16_t* GetAlertsFileName() { return u"_alerts.ini"; }

namespace {

char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

bool MatchesMask(const char16_t* name, const char16_t* mask) {
    const char16_t* star = nullptr;
    const char16_t* resume = nullptr;
    while (*name != 0) {
        if (*mask == u'*') {
            star = mask++;
            resume = name;
        } else if (*mask != 0 && (*mask == u'?' || Fold(*mask) == Fold(*name))) {
            ++mask;
            ++name;
        } else if (star != nullptr) {
            mask = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*mask == u'*')
        ++mask;
    return *mask == 0;
}

namespace {

void ListSorted(const CYolString& folder, unsigned int flags, const CYolString* mask, CYolArray<CYolString>& names) {
    names.Clear();
    CYolArray<CYolString> found;
    CYolFileSystem::GetDirectoryFiles(folder, flags, found);
    std::vector<CYolString> kept;
    for (const CYolString& name : found)
        if (mask == nullptr || MatchesMask(name.c_str(), mask->c_str()))
            kept.push_back(name);
    // Code-unit order: "A" before "a" before "b".
    std::sort(kept.begin(), kept.end());
    for (CYolString& name : kept)
        names.Add(std::move(name));
}

}  // namespace

bool FileExists(const CYolString& path) { return CYolFile::FileExists(path); }

std::unique_ptr<unsigned char[]> ReadWholeFile(const CYolString& path, std::size_t* size) {
    std::vector<unsigned char> bytes;
    if (CYolFile::ReadWhole(path, bytes, static_cast<int64_t>(kMaxPackFileBytes)) != CYolFile::Opened ||
        bytes.empty())
        return nullptr;
    std::unique_ptr<unsigned char[]> whole(new unsigned char[bytes.size() + 1]);
    std::memcpy(whole.get(), bytes.data(), bytes.size());
    whole[bytes.size()] = 0;
    if (size != nullptr)
        *size = bytes.size();
    return whole;
}

void ListSubFolders(const CYolString& folder, CYolArray<CYolString>& names) {
    ListSorted(folder, CYolFileSystem::ListFolders, nullptr, names);
}

void ListFilesByMask(const CYolString& folder, const CYolString& mask, CYolArray<CYolString>& names) {
    ListSorted(folder, CYolFileSystem::ListFiles, &mask, names);
}
