#include "CServerStoreHttp.h"
#include "YolAsciiText.h"
#include "YolHex.h"

#include "CMD5.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ServerStoreWire {

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

// Leading decimal digits; saturates rather than wrapping, so that a huge
// declared length can never come out equal to a small received one.
bool LeadingNumber(std::string_view text, uint64_t& value) {
    constexpr uint64_t kLimit = uint64_t(1) << 48;
    size_t i = 0;
    value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = std::min(kLimit, value * 10 + uint64_t(text[i] - '0'));
        ++i;
    }
    return i > 0;
}

}  // namespace

bool IsHostName(std::string_view name) {
    if (name.empty() || name.size() > 253)
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
    });
}

std::string NamespaceValue(std::string_view domain) {
    std::string out = "http%3A%2F%2F";
    for (char c : domain) {
        if (c == '.')
            out += "%2E";
        else
            out += c;
    }
    return out + "%2F";
}

std::string EncodeKey(std::string_view key) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : key) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += digits[u >> 4];
            out += digits[u & 15];
        }
    }
    return out;
}

std::string CredentialsText(std::string_view login, std::string_view domain, const unsigned char digest[16]) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(login.size() + domain.size() + 34);
    out.append(login).append("@").append(domain).append(":");
    for (int i = 0; i < 16; ++i) {
        out += digits[digest[i] >> 4];
        out += digits[digest[i] & 15];
    }
    return out;
}

std::vector<unsigned char> BuildRequest(const Request& request) {
    const std::string credentials = CredentialsText(request.login, request.domain, request.digest);
    int b64Length = static_cast<int>(credentials.size());
    char* b64 = CYolString::Base64Encode(credentials.data(), b64Length);
    std::string head = "POST ";
    head.append(request.path).append(NamespaceValue(request.domain)).append(request.suffix);
    if (request.withKey)
        head.append("&key=").append(EncodeKey(request.key));
    head.append(" HTTP/1.0\r\n");
    head.append("Accept: */*\r\n");
    head.append("User-Agent: Mozilla/4.0 (compatible; yolpda)\r\n");
    head.append("Host: ").append(request.host).append("\r\n");
    head.append("Content-Type: application/x-www-form-urlencoded\r\n");
    head.append("Authorization: Basic ");
    if (b64 != nullptr)
        head.append(b64, static_cast<size_t>(b64Length));
    std::free(b64);
    head.append("\r\n");
    head.append("Content-Length: ").append(std::to_string(request.body.size())).append("\r\n\r\n");

    std::vector<unsigned char> out(head.begin(), head.end());
    out.insert(out.end(), request.body.begin(), request.body.end());
    return out;
}

void PasswordDigest(std::string_view login, std::string_view password, unsigned char digest[16]) {
    std::string text;
    text.reserve(login.size() + password.size() + 2);
    text.append(login).append("::").append(password);
    CMD5::Hash(text.data(), static_cast<unsigned int>(text.size()), digest);
}

bool HashedDigest(const unsigned char stored[32], unsigned char digest[16]) {
    unsigned char plain[32];
    for (int i = 0; i < 32; ++i)
        plain[i] = static_cast<unsigned char>(-int(stored[i]) - i - 2);
    unsigned char out[16];
    for (int i = 0; i < 16; ++i) {
        const int high = YolHexDigitValue(plain[2 * i]), low = YolHexDigitValue(plain[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = static_cast<unsigned char>(high * 16 + low);
    }
    std::memcpy(digest, out, 16);
    return true;
}

Response ParseResponse(const unsigned char* data, size_t size) {
    Response r;
    const std::string_view all(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    const size_t end = all.find(kHeaderEnd);
    if (end == all.npos)
        return r;
    r.complete = true;
    r.bodyOffset = end + kHeaderEnd.size();

    // Every line of the block ends in CR LF; the block's last one included.
    std::string_view block = all.substr(0, end + 2);
    size_t lineEnd = block.find("\r\n");
    std::string_view statusLine = block.substr(0, lineEnd);
    const size_t blank = statusLine.find(' ');
    uint64_t status = 0;
    if (blank != statusLine.npos && LeadingNumber(statusLine.substr(blank + 1), status))
        r.status = static_cast<int>(std::min<uint64_t>(status, 99999));

    bool lengthSeen = false;
    for (size_t pos = lineEnd + 2; pos < block.size(); pos = lineEnd + 2) {
        lineEnd = block.find("\r\n", pos);
        const std::string_view line = block.substr(pos, lineEnd - pos);
        const size_t colon = line.find(':');
        if (colon == line.npos)
            continue;
        const std::string_view name = YolAsciiTrim(line.substr(0, colon));
        const std::string_view value = YolAsciiTrim(line.substr(colon + 1));
        if (!r.hasKey && YolAsciiEqualsNoCase(name, "X-Key-MC")) {
            r.hasKey = true;
            r.key = std::string(value.substr(0, kMaxChangeKey));
        } else if (!lengthSeen && YolAsciiEqualsNoCase(name, "Content-Length")) {
            lengthSeen = r.lengthDeclared = true;
            if (!LeadingNumber(value, r.declaredLength) || value.find_first_not_of("0123456789") != value.npos)
                r.declaredLength = 0;
        }
    }
    return r;
}

bool ResponseBuffer::Append(const unsigned char* data, size_t size) {
    if (overflowed)
        return false;
    if (size > cap - bytes.size()) {
        overflowed = true;
        return false;
    }
    const size_t from = bytes.size() >= 3 ? bytes.size() - 3 : 0;
    bytes.insert(bytes.end(), data, data + size);
    if (!headerEnded) {
        const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        const size_t end = all.find(kHeaderEnd, from);
        if (end != all.npos && end + kHeaderEnd.size() <= headerCap) {
            headerEnded = true;
        } else if (bytes.size() >= headerCap) {
            overflowed = true;
            return false;
        }
    }
    return true;
}

void ResponseBuffer::Clear() {
    bytes.clear();
    headerEnded = overflowed = false;
}

}  // namespace ServerStoreWire
