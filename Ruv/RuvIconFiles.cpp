#include "RuvIconFiles.h"

#include "CYolFile.h"
#include "CYolFileSystem.h"
#include "CYolPath.h"

#include <cstdint>

namespace {

bool StartsWith(std::string_view data, std::initializer_list<uint8_t> prefix) {
    if (data.size() < prefix.size())
        return false;
    size_t at = 0;
    for (uint8_t byte : prefix)
        if (static_cast<uint8_t>(data[at++]) != byte)
            return false;
    return true;
}

constexpr RuvIconType kAllTypes[] = {RuvIconType::Png, RuvIconType::Gif, RuvIconType::Jpeg, RuvIconType::Bmp,
                                     RuvIconType::Unknown};

}  // namespace

RuvIconType SniffIconType(std::string_view data) {
    if (StartsWith(data, {0x89, 0x50, 0x4E, 0x47}))
        return RuvIconType::Png;
    if (StartsWith(data, {0x47, 0x49, 0x46, 0x38}))
        return RuvIconType::Gif;
    if (StartsWith(data, {0xFF, 0xD8, 0xFF}) && data.size() >= 4 &&
        (static_cast<uint8_t>(data[3]) == 0xE0 || static_cast<uint8_t>(data[3]) == 0xE1))
        return RuvIconType::Jpeg;
    if (StartsWith(data, {0x42, 0x4D}))
        return RuvIconType::Bmp;
    return RuvIconType::Unknown;
}

const char16_t* IconExtension(RuvIconType type) {
    switch (type) {
    case RuvIconType::Jpeg:
        return u".jpg";
    case RuvIconType::Gif:
        return u".gif";
    case RuvIconType::Png:
        return u".png";
    case RuvIconType::Bmp:
        return u".bmp";
    case RuvIconType::Unknown:
        break;
    }
    return u".hex";
}

RuvIconStore::RuvIconStore(CYolString where) : folder(std::move(where)) {
    // Never the file system's root: no folder means the program's own.
    if (folder.IsEmpty())
        folder = DefaultFolder();
    else if (CYolPath::ExtractFilePath(folder) != folder)
        folder += CYolPath::Sep();
}

CYolString RuvIconStore::DefaultFolder() { return CYolPath::Path({CYolString(u"BuddyIcons/")}); }

CYolString RuvIconStore::FileName(std::string_view hash, RuvIconType type) {
    if (hash.empty() || hash.size() > kMaxHashBytes)
        return CYolString();
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name;
    for (unsigned char byte : hash) {
        name.push_back(kDigits[byte >> 4]);
        name.push_back(kDigits[byte & 15]);
    }
    return CYolString::FromUtf8(name) + IconExtension(type);
}

CYolString RuvIconStore::Find(std::string_view hash) const {
    for (RuvIconType type : kAllTypes) {
        const CYolString name = FileName(hash, type);
        if (name.IsEmpty())
            return CYolString();
        const CYolString path = folder + name;
        if (CYolFile::FileExists(path))
            return path;
    }
    return CYolString();
}

CYolString RuvIconStore::Save(std::string_view hash, std::string_view icon) const {
    const CYolString name = FileName(hash, SniffIconType(icon));
    if (name.IsEmpty() || icon.size() > kMaxIconBytes || !CYolFileSystem::CreateFolders(folder, 0755))
        return CYolString();
    const CYolString path = folder + name;
    if (!CYolFile::WriteWholeFile(path, reinterpret_cast<const unsigned char*>(icon.data()), icon.size()))
        return CYolString();
    return path;
}
