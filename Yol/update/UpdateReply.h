#pragma once
// The HTTP side of the version check and the update download: the GET
// request, the reading of the server's reply head (status, body length, the
// range a partial reply carries) and of the version text. Everything here is
// pure and bounded; the exchanges feed it what their socket delivered.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace UpdateWire {

// A reply head that has not ended within this many bytes is refused.
inline constexpr size_t kHeadCap = 8 * 1024;
// A version text is a few digits; a longer body is not one.
inline constexpr size_t kVersionBodyCap = 64;
// No package we publish comes near this; a larger announced size is a lie.
inline constexpr uint64_t kPackageCap = uint64_t(1) << 30;

struct ReplyHead {
    bool complete = false;  // the empty line that ends the head was found
    bool valid = false;     // "HTTP/1.x NNN" and well-formed length and range fields
    int status = 0;
    bool hasLength = false;
    uint64_t length = 0;    // Content-Length
    bool hasRange = false;
    uint64_t first = 0;     // Content-Range: bytes first-last/total
    uint64_t last = 0;
    uint64_t total = 0;
    size_t bodyOffset = 0;  // the first byte after the head
};

// Reads the head at the start of `bytes`. Incomplete while the empty line is
// missing; an ended head that breaks the rules is complete but not valid.
ReplyHead ParseReplyHead(std::string_view bytes);

// "bytes first-last/total" with first <= last < total.
bool ParseContentRange(std::string_view value, uint64_t& first, uint64_t& last, uint64_t& total);

// The body of the version answer: decimal digits (at most nine), optionally
// followed by blanks and line ends, and nothing else.
bool ParseVersionText(std::string_view body, unsigned int& version);

// A GET request; `rangeFrom` above 0 asks for the rest from that offset.
std::string BuildGet(std::string_view path, std::string_view userAgent, std::string_view host, unsigned int port,
                     uint64_t rangeFrom);

// Host names and paths we are willing to put into a request line.
bool IsRequestHost(std::string_view host);
bool IsRequestPath(std::string_view path);

}  // namespace UpdateWire
