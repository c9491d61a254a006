#include "CYolPath.h"

#include <algorithm>
#include <cstdarg>
#include <mutex>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct AppDirState {
    std::mutex lock;
    CYolString folder;
};

AppDirState& State() {
    static AppDirState state;
    return state;
}

std::string ExecutableFolder() {
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size()) {
            std::string exe(buffer.data(), static_cast<size_t>(n));
            size_t slash = exe.rfind('/');
            return slash == std::string::npos ? exe : exe.substr(0, slash + 1);
        }
        // The link may have been cut short: try again with room to spare.
        if (buffer.size() >= (1u << 16))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

bool IsSeparator(char16_t c) {
    return c == u'/' || c == u'\\';
}

int LastSeparator(const CYolString& path) {
    for (int i = path.Length() - 1; i >= 0; --i)
        if (IsSeparator(path.At(i)))
            return i;
    return -1;
}

bool SameIgnoringCase(const CYolString& a, const CYolString& b) {
    if (a.Length() != b.Length())
        return false;
    for (int i = 0; i < a.Length(); ++i)
        if (CYolString::ToLowerChar(a.At(i)) != CYolString::ToLowerChar(b.At(i)))
            return false;
    return true;
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` ignoring case; the first in
// byte order when several do, so the choice does not depend on the order in
// which the file system happens to list them.
bool FindIgnoringCase(const std::string& folder, const std::string& name, std::string& found) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    CYolString wanted = CYolPath::FromNative(name);
    std::vector<std::string> matches;
    while (dirent* entry = readdir(dir)) {
        std::string candidate = entry->d_name;
        if (candidate == "." || candidate == "..")
            continue;
        CYolString wide = CYolPath::FromNative(candidate);
        if (!wide.IsEmpty() && SameIgnoringCase(wide, wanted))
            matches.push_back(candidate);
    }
    closedir(dir);
    if (matches.empty())
        return false;
    found = *std::min_element(matches.begin(), matches.end());
    return true;
}

} // namespace

CYolString CYolPath::AppDir() {
    AppDirState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.folder.IsEmpty())
        state.folder = FromNative(ExecutableFolder());
    return state.folder;
}

void CYolPath::SetAppDir(const CYolString& folder) {
    CYolString value = folder;
    if (!value.IsEmpty() && !IsSeparator(value.At(value.Length() - 1)))
        value += Sep();
    AppDirState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.folder = value;
}

CYolString CYolPath::GetProtosDir() {
    return AppDir() + ProtosDir();
}

CYolString CYolPath::GetHistDir() {
    return AppDir() + HistDir();
}

CYolString CYolPath::GetLangsDir() {
    return AppDir() + LangsDir();
}

CYolString CYolPath::GetProtoDir(const char16_t* name, int length) {
    return GetProtoDir(CYolString(name, length));
}

CYolString CYolPath::GetProtoDir(const CYolString& name) {
    return AppDir() + ProtosDir() + name + Sep();
}

int CYolPath::Path(char16_t* out, int capacity, ...) {
    if (!out || capacity <= 0)
        return 0;
    CYolString text = AppDir();
    va_list args;
    va_start(args, capacity);
    while (const char16_t* part = va_arg(args, const char16_t*))
        text += part;
    va_end(args);
    int length = text.Length();
    if (length >= capacity) {
        out[0] = 0;
        return 0;
    }
    std::copy(text.c_str(), text.c_str() + length, out);
    out[length] = 0;
    return length;
}

CYolString CYolPath::Path(std::initializer_list<CYolString> parts) {
    CYolString text = AppDir();
    for (const CYolString& part : parts)
        text += part;
    return text;
}

CYolString CYolPath::ExtractFileNameFromPath(const CYolString& path) {
    int last = LastSeparator(path);
    return last < 0 ? path : path.Substring(last + 1, path.Length() - last - 1);
}

CYolString CYolPath::ExtractFilePath(const CYolString& path) {
    int last = LastSeparator(path);
    return last < 0 ? CYolString() : path.Substring(0, last + 1);
}

CYolString CYolPath::ToSlashes(const CYolString& path) {
    std::u16string units = path.ToU16();
    std::replace(units.begin(), units.end(), u'\\', u'/');
    return CYolString(units.c_str(), static_cast<int>(units.size()));
}

bool CYolPath::ResolveCaseInsensitive(const CYolString& path, CYolString& resolved) {
    std::string native = ToNative(path);
    if (native.empty())
        return false;
    if (Exists(native)) {
        resolved = path;
        return true;
    }

    std::string slashed = ToNative(ToSlashes(path));
    std::string current = slashed[0] == '/' ? "/" : "";
    size_t pos = 0;
    bool first = true;
    while (pos < slashed.size()) {
        size_t end = slashed.find('/', pos);
        if (end == std::string::npos)
            end = slashed.size();
        std::string component = slashed.substr(pos, end - pos);
        pos = end + 1;
        if (component.empty())
            continue;
        if (!first && current.back() != '/')
            current += '/';
        first = false;
        if (Exists(current + component)) {
            current += component;
            continue;
        }
        std::string found;
        if (component == "." || component == ".." || !FindIgnoringCase(current, component, found))
            return false;
        current += found;
    }
    if (current.empty())
        return false;
    if (slashed.back() == '/' && current.back() != '/')
        current += '/';
    resolved = FromNative(current);
    return true;
}

std::string CYolPath::ToNative(const CYolString& path) {
    return path.ToUtf8();
}

CYolString CYolPath::FromNative(const std::string& path) {
    CYolString wide = CYolString::FromUtf8(path);
    if (wide.ToUtf8() != path)
        return CYolString();
    return wide;
}
