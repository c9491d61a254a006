#include "CYolSystemInfo.h"
#include "YolHex.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <unistd.h>

namespace {

// Files under /sys and /etc that we read are small; anything longer is
// not what we are looking for.
constexpr size_t kMaxInfoBytes = 4096;
// The model name is shown and sent in at most this many characters.
constexpr int kMaxDeviceNameLength = 255;

// Fixed key that makes our identifier differ from every other program's
// identifier derived from the same machine id.
const unsigned char kAppKey[16] = {0x16, 0x78, 0xd3, 0x99, 0x18, 0x4d, 0x48, 0x0c,
                                   0x93, 0x99, 0x8d, 0x29, 0xfd, 0x5c, 0x6d, 0xa3};

std::string ReadSmallFile(const char* path) {
    std::string text;
    if (!path)
        return text;
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return text;
    char buffer[512];
    while (text.size() <= kMaxInfoBytes) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (text.size() > kMaxInfoBytes)
        text.clear();
    return text;
}

std::string Trim(const std::string& text) {
    static const char kBlanks[] = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

} // namespace

CYolString CYolSystemInfo::DeviceID() {
    return DeviceIDFrom("/etc/machine-id");
}

CYolString CYolSystemInfo::DeviceName() {
    return DeviceNameFrom("/sys/class/dmi/id/product_name");
}

CYolString CYolSystemInfo::DeviceIDFrom(const char* machineIdPath) {
    std::string text = Trim(ReadSmallFile(machineIdPath));
    unsigned char machineId[16];
    if (text.size() != 2 * sizeof machineId)
        return CYolString();
    for (size_t i = 0; i < sizeof machineId; ++i) {
        int high = YolHexDigitValue(text[2 * i]);
        int low = YolHexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return CYolString();
        machineId[i] = static_cast<unsigned char>(high << 4 | low);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    if (!HMAC(EVP_sha256(), machineId, sizeof machineId, kAppKey, sizeof kAppKey, digest, &digestLength) ||
        digestLength < 16)
        return CYolString();
    static const char kDigits[] = "0123456789abcdef";
    std::string id;
    for (int i = 0; i < 16; ++i) {
        id += kDigits[digest[i] >> 4];
        id += kDigits[digest[i] & 15];
    }
    return CYolString::FromUtf8(id);
}

CYolString CYolSystemInfo::DeviceNameFrom(const char* productNamePath) {
    std::string text = Trim(ReadSmallFile(productNamePath));
    CYolString name = CYolString::FromUtf8(text);
    if (name.ToUtf8() != text)
        return CYolString();
    if (name.Length() > kMaxDeviceNameLength) {
        int keep = kMaxDeviceNameLength;
        // Never keep half of a surrogate pair.
        if (name.At(keep - 1) >= 0xD800 && name.At(keep - 1) <= 0xDBFF)
            --keep;
        name = name.Substring(0, keep);
    }
    return name;
}
