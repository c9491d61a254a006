#pragma once
// The HTTP side of the server store: the POST request of one exchange, the
// credentials it carries, and the reading of the server's answer.
//
// A request is, byte for byte:
//   POST <path>http%3A%2F%2F<domain, dots as %2E>%2F<suffix>[&key=<key>] HTTP/1.0
//   Accept: */*
//   User-Agent: Mozilla/4.0 (compatible; yolpda)
//   Host: <host>
//   Content-Type: application/x-www-form-urlencoded
//   Authorization: Basic <base64 of "<login>@<domain>:<32 hex digits>">
//   Content-Length: <n>
// then an empty line and the body (every line ends in CR LF).
//
// Everything in here is pure; the store feeds it what it read from the
// settings and from the socket.

#include "CYolString.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ServerStoreWire {

// The answer's header block must end within this many bytes, and the whole
// answer within kResponseCap: past either the exchange is cut short.
inline constexpr size_t kHeaderCap = 16 * 1024;
inline constexpr size_t kResponseCap = 16 * 1024 * 1024;
// The longest "X-Key-MC" value kept.
inline constexpr size_t kMaxChangeKey = 29;

inline constexpr char kReadPath[] = "/storage/read_storage_data3.php?xmlns=";
inline constexpr char kSavePath[] = "/storage/save_storage_data3.php?xmlns=";

struct Request {
    std::string path;    // kReadPath or kSavePath
    std::string suffix;  // "pk" read, "ac" account list, "mx" changes
    bool withKey = false;
    std::string key;     // the last "X-Key-MC", as the server sent it
    std::string domain;  // the provider's domain
    std::string host;    // the storage host
    std::string login;   // UTF-8, the part before any "@"
    unsigned char digest[16] = {};
    std::vector<unsigned char> body;
};

std::vector<unsigned char> BuildRequest(const Request& request);
// "http%3A%2F%2F" + the domain with each dot as "%2E" + "%2F".
std::string NamespaceValue(std::string_view domain);
// "<login>@<domain>:<32 lower-case hex digits>".
std::string CredentialsText(std::string_view login, std::string_view domain, const unsigned char digest[16]);
// The key as it goes into the request line: bytes other than letters,
// digits and "-._~" are percent-encoded, so that a key from the server can
// never add to the request line or start a header of its own.
std::string EncodeKey(std::string_view key);
// A host or domain name we are willing to put into a request: letters,
// digits, dots and hyphens, not empty, at most 253 bytes.
bool IsHostName(std::string_view name);

// MD5 of "<login>::<password>" (both UTF-8).
void PasswordDigest(std::string_view login, std::string_view password, unsigned char digest[16]);
// The stored form of a hashed password (32 bytes, each b stored as
// (-b - i - 2) mod 256) back to its digest: the bytes are 32 hexadecimal
// digits. False, digest untouched, when they are not.
bool HashedDigest(const unsigned char stored[32], unsigned char digest[16]);

// What the answer says, read from its header block only.
struct Response {
    bool complete = false;  // the header block ends ("\r\n\r\n" found)
    int status = 0;         // the number after the first blank of the status line; 0 when none
    bool hasKey = false;
    std::string key;        // the "X-Key-MC" value, cut to kMaxChangeKey
    size_t bodyOffset = 0;  // first byte after the header block
    bool lengthDeclared = false;
    uint64_t declaredLength = 0;  // "Content-Length"; 0 when not a number

    // The body counts when its length is the one declared (or none was).
    uint64_t BodyLength(size_t received) const {
        return lengthDeclared ? declaredLength : received - bodyOffset;
    }
};

Response ParseResponse(const unsigned char* data, size_t size);

// Collects an answer as it arrives, within the caps.
class ResponseBuffer {
public:
    explicit ResponseBuffer(size_t headerCap = kHeaderCap, size_t cap = kResponseCap)
        : headerCap(headerCap), cap(cap) {}

    // False once the answer passed a cap (its header block did not end
    // within headerCap, or the whole would pass cap); from then on nothing
    // more is taken and the exchange is to be ended.
    bool Append(const unsigned char* data, size_t size);
    bool Overflowed() const { return overflowed; }
    // The header block ended within headerCap.
    bool HeaderEnded() const { return headerEnded; }
    const std::vector<unsigned char>& Bytes() const { return bytes; }
    void Clear();

private:
    size_t headerCap;
    size_t cap;
    bool headerEnded = false;
    bool overflowed = false;
    std::vector<unsigned char> bytes;
};

}  // namespace ServerStoreWire
