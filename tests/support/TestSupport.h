#pragma once
// Helpers the suites share: text and byte literals, whole-file reads, a
// temporary folder per test and a look at what the loader holds.

#include "CAutoBuf.h"
#include "CYolString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <dlfcn.h>
#include <stdlib.h>
#include <sys/stat.h>

// Written "::Bytes" below: the suites of one program are compiled together,
// and a using-directive in an earlier one may bring another Bytes into view.
using Bytes = std::vector<unsigned char>;

// Text written in UTF-8 in the test source.
inline CYolString W(std::string_view utf8) { return CYolString::FromUtf8(utf8); }
// The text as UTF-8, to compare with a literal.
inline std::string Utf8Of(const CYolString& text) { return text.ToUtf8(); }
// The same under the name the protocol suites use: one function, so that
// suites compiled together never see two of them.
inline constexpr auto& U = W;

// Bytes written out in hexadecimal, two digits each, blanks anywhere between
// them: Hex("02 6162 03000000"). A typo in a fixture throws.
inline ::Bytes Hex(std::string_view text) {
    ::Bytes out;
    for (size_t i = 0; i < text.size();) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 1])))
            throw std::invalid_argument("Hex: not a pair of hexadecimal digits: " + std::string(text.substr(i)));
        out.push_back(static_cast<unsigned char>(std::stoul(std::string(text.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return out;
}

// The bytes written out in hexadecimal, lower case, without blanks.
inline std::string ToHex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The parts one after another: Concat({Hex("26"), name, body}).
inline ::Bytes Concat(std::initializer_list<::Bytes> parts) {
    ::Bytes out;
    for (const ::Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// What a buffer holds, to compare with a literal.
inline ::Bytes BytesOf(const CAutoBuf& b) { return ::Bytes(b.Data(), b.Data() + b.Length()); }

inline ::Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return ::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether the dynamic loader still has the library at that path mapped.
inline bool IsResident(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

// A fresh folder under /tmp, removed with everything in it when this object
// goes. Making it throws when the folder cannot be made, which fails the test.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/yol-test-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        path = pattern;
    }
    ~TempFolder() {
        // A test may have taken the folder's write permission away.
        chmod(path.c_str(), 0700);
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Root() const { return path; }
    std::string PathOf(const std::string& name) const { return path + "/" + name; }

    // Writes a file, making the folders on its way, and answers its path.
    // Without `perms` the file gets the process's default permissions.
    std::string Put(const std::string& name, std::string_view bytes = {},
                    std::optional<std::filesystem::perms> perms = std::nullopt) const {
        std::string full = PathOf(name);
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream(full, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (perms)
            std::filesystem::permissions(full, *perms);
        return full;
    }
    std::string Put(const std::string& name, const ::Bytes& bytes) const {
        return Put(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

    // The names directly inside the folder, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path;
};

// Fixture base: each test gets a folder of its own, `folder` its path.
class TempFolderTest : public ::testing::Test, public TempFolder {
protected:
    const std::string folder = Root();
};
