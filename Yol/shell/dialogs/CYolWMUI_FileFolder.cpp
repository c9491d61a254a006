#include "CYolWMUI_FileFolder.h"

#include "FileHelpers.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <string>

namespace UI {

namespace {

const CYolString kSlash(u"/");

std::string RealPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

bool IsHidden(const CYolString& name)
{
    return name.Length() > 0 && name.c_str()[0] == u'.';
}

// A name the disk gives that does not survive the trip through UTF-16 could
// not be opened again by the path we would build from it.
bool RoundTrips(const char* bytes, CYolString& name)
{
    name = CYolString::FromUtf8(bytes);
    return name.ToUtf8() == bytes;
}

char16_t Fold(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool EndsWithIgnoringCase(const CYolString& text, const CYolString& end)
{
    const int offset = text.Length() - end.Length();
    if (offset < 0)
        return false;
    for (int i = 0; i < end.Length(); ++i)
        if (Fold(text.c_str()[offset + i]) != Fold(end.c_str()[i]))
            return false;
    return true;
}

} // namespace

CYolWMUI_FileFolder::CYolWMUI_FileFolder(const CYolString& root) : m_folder(kSlash)
{
    std::string real = RealPath(root.ToUtf8());
    if (real.empty())
        real = "/";
    if (real.size() > 1 && real.back() == '/')
        real.pop_back();
    m_root = CYolString::FromUtf8(real == "/" ? std::string() : real);
}

bool CYolWMUI_FileFolder::Within(const std::string& real) const
{
    const std::string root = m_root.ToUtf8();
    return !real.empty() && real.compare(0, root.size(), root) == 0 &&
           (real.size() == root.size() || real[root.size()] == '/');
}

CYolString CYolWMUI_FileFolder::AbsoluteFolder() const
{
    return m_root + m_folder;
}

CYolWMUI_FileFolder::TResult CYolWMUI_FileFolder::Probe(const CYolString& folder) const
{
    const std::string path = (m_root + folder).ToUtf8();
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || !Within(RealPath(path)))
        return EMissing;
    std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
    return dir ? EOk : EUnreadable;
}

void CYolWMUI_FileFolder::StartAt(const CYolString& path)
{
    m_folder = kSlash;
    const std::string absolute = path.ToUtf8();
    const std::string::size_type slash = absolute.rfind('/');
    if (slash == std::string::npos)
        return;
    const std::string real = RealPath(absolute.substr(0, slash + 1));
    if (!Within(real))
        return;
    const std::string relative = real.substr(m_root.ToUtf8().size());
    m_folder = CYolString::FromUtf8(relative.empty() || relative.back() != '/' ? relative + "/" : relative);
    if (Probe(m_folder) == EMissing)
        m_folder = kSlash;
}

CYolArray<CYolString> CYolWMUI_FileFolder::Levels() const
{
    CYolArray<CYolString> levels;
    int start = 1;
    for (int i = 1; i < m_folder.Length(); ++i) {
        if (m_folder.c_str()[i] == u'/') {
            levels.Add(m_folder.Substring(start, i - start));
            start = i + 1;
        }
    }
    return levels;
}

void CYolWMUI_FileFolder::CutToLevel(int levels)
{
    const CYolArray<CYolString> names = Levels();
    CYolString folder = kSlash;
    for (int i = 0; i < levels && i < names.Count(); ++i)
        folder = folder + names[i] + kSlash;
    m_folder = folder;
}

bool CYolWMUI_FileFolder::Up()
{
    const int levels = Levels().Count();
    if (levels == 0)
        return false;
    CutToLevel(levels - 1);
    return true;
}

CYolWMUI_FileFolder::TResult CYolWMUI_FileFolder::Enter(const CYolString& name)
{
    if (!IsPlainName(name))
        return EMissing;
    const CYolString folder = m_folder + name + kSlash;
    const TResult result = Probe(folder);
    if (result == EOk)
        m_folder = folder;
    return result;
}

CYolWMUI_FileFolder::TResult CYolWMUI_FileFolder::List(const CYolString& pattern, bool showHidden,
                                                      CYolArray<TEntry>& folders, CYolArray<TEntry>& files)
{
    folders.Clear();
    files.Clear();
    if (Probe(m_folder) == EMissing)
        m_folder = kSlash;
    const std::string base = AbsoluteFolder().ToUtf8();
    std::unique_ptr<DIR, DirCloser> dir(opendir(base.c_str()));
    if (!dir)
        return errno == ENOENT ? EMissing : EUnreadable;
    const CYolString mask = pattern.IsEmpty() ? CYolString(u"*") : pattern;
    std::map<std::u16string, TEntry> folderSet;
    std::map<std::u16string, TEntry> fileSet;
    while (const dirent* entry = readdir(dir.get())) {
        TEntry item;
        if (!RoundTrips(entry->d_name, item.name) || !IsPlainName(item.name) ||
            (IsHidden(item.name) && !showHidden))
            continue;
        const std::string path = base + entry->d_name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            continue;
        struct stat link;
        if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && !Within(RealPath(path)))
            continue;
        item.folder = S_ISDIR(info.st_mode);
        item.modified = static_cast<std::int64_t>(info.st_mtime);
        if (item.folder) {
            folderSet.emplace(item.name.c_str(), item);
        } else if (MatchesMask(item.name.c_str(), mask.c_str())) {
            item.size = static_cast<std::uint64_t>(info.st_size);
            fileSet.emplace(item.name.c_str(), item);
        }
    }
    for (auto& [key, item] : folderSet)
        folders.Add(item);
    for (auto& [key, item] : fileSet)
        files.Add(item);
    return EOk;
}

CYolString CYolWMUI_FileFolder::PathOf(const CYolString& name) const
{
    return IsPlainName(name) ? AbsoluteFolder() + name : CYolString();
}

bool CYolWMUI_FileFolder::IsPlainName(const CYolString& name)
{
    if (name.IsEmpty() || name == CYolString(u".") || name == CYolString(u".."))
        return false;
    for (int i = 0; i < name.Length(); ++i) {
        const char16_t c = name.c_str()[i];
        if (c == u'/' || c == u'\\' || c == 0)
            return false;
    }
    return true;
}

CYolString CYolWMUI_FileFolder::FormatSize(std::uint64_t size)
{
    char text[64];
    if (size <= 1024)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(size));
    else if (size <= 1048576)
        std::snprintf(text, sizeof text, "%.2fK", static_cast<double>(static_cast<float>(size) / 1024.0f));
    else
        std::snprintf(text, sizeof text, "%.2fM", static_cast<double>(static_cast<float>(size) / 1048576.0f));
    return CYolString::FromUtf8(text);
}

CYolString CYolWMUI_FileFolder::FormatDate(std::int64_t unixTime)
{
    const std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm local{};
    localtime_r(&t, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min);
    return CYolString::FromUtf8(text);
}

CYolString CYolWMUI_FileFolder::WithExtension(const CYolString& name, const CYolString& filter)
{
    if (filter.Length() < 2)
        return name;
    const CYolString extension = filter.Substring(1, filter.Length() - 1);
    if (extension.Find(0, CYolString(u"*")) >= 0 || extension.Find(0, CYolString(u"?")) >= 0)
        return name;
    return EndsWithIgnoringCase(name, extension) ? name : name + extension;
}

} // namespace UI
