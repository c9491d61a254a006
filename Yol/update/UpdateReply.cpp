#include "UpdateReply.h"
#include "YolAsciiText.h"

#include <algorithm>

namespace UpdateWire {

namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The whole text as a decimal number of at most 15 digits (no overflow).
bool Number(std::string_view text, uint64_t& value) {
    if (text.empty() || text.size() > 15 || !std::all_of(text.begin(), text.end(), IsDigit))
        return false;
    value = 0;
    for (char c : text)
        value = value * 10 + uint64_t(c - '0');
    return true;
}

// "HTTP/1.0 206 Partial Content" -> 206.
bool StatusLine(std::string_view line, int& status) {
    if (line.size() < 12 || line.substr(0, 7) != "HTTP/1." || !IsDigit(line[7]) || line[8] != ' ')
        return false;
    uint64_t code = 0;
    if (!Number(line.substr(9, 3), code) || code < 100 || (line.size() > 12 && line[12] != ' '))
        return false;
    status = int(code);
    return true;
}

// One header field into the head; false when it makes the reply unusable.
bool TakeField(ReplyHead& head, std::string_view name, std::string_view value) {
    if (YolAsciiEqualsNoCase(name, "Content-Length")) {
        uint64_t length = 0;
        if (!Number(value, length) || (head.hasLength && length != head.length))
            return false;
        head.hasLength = true;
        head.length = length;
    } else if (YolAsciiEqualsNoCase(name, "Content-Range")) {
        if (head.hasRange || !ParseContentRange(value, head.first, head.last, head.total))
            return false;
        head.hasRange = true;
    }
    return true;
}

}  // namespace

ReplyHead ParseReplyHead(std::string_view bytes) {
    ReplyHead head;
    const size_t end = bytes.find(kHeadEnd);
    if (end == bytes.npos)
        return head;
    head.complete = true;
    head.bodyOffset = end + kHeadEnd.size();
    const std::string_view block = bytes.substr(0, end + 2);
    size_t lineEnd = block.find("\r\n");
    if (!StatusLine(block.substr(0, lineEnd), head.status))
        return head;
    for (size_t pos = lineEnd + 2; pos < block.size(); pos = lineEnd + 2) {
        lineEnd = block.find("\r\n", pos);
        const std::string_view line = block.substr(pos, lineEnd - pos);
        const size_t colon = line.find(':');
        if (colon == line.npos || !TakeField(head, YolAsciiTrim(line.substr(0, colon)), YolAsciiTrim(line.substr(colon + 1))))
            return head;
    }
    head.valid = true;
    return head;
}

bool ParseContentRange(std::string_view value, uint64_t& first, uint64_t& last, uint64_t& total) {
    if (value.size() < 6 || !YolAsciiEqualsNoCase(value.substr(0, 6), "bytes "))
        return false;
    value = YolAsciiTrim(value.substr(6));
    const size_t dash = value.find('-');
    const size_t slash = value.find('/');
    if (dash == value.npos || slash == value.npos || slash < dash)
        return false;
    uint64_t a = 0, b = 0, c = 0;
    if (!Number(value.substr(0, dash), a) || !Number(value.substr(dash + 1, slash - dash - 1), b) ||
        !Number(value.substr(slash + 1), c) || a > b || b >= c)
        return false;
    first = a;
    last = b;
    total = c;
    return true;
}

bool ParseVersionText(std::string_view body, unsigned int& version) {
    size_t digits = 0;
    while (digits < body.size() && IsDigit(body[digits]))
        ++digits;
    if (digits == 0 || digits > 9)
        return false;
    const std::string_view rest = body.substr(digits);
    if (!std::all_of(rest.begin(), rest.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }))
        return false;
    uint64_t value = 0;
    Number(body.substr(0, digits), value);
    version = static_cast<unsigned int>(value);
    return true;
}

std::string BuildGet(std::string_view path, std::string_view userAgent, std::string_view host, unsigned int port,
                     uint64_t rangeFrom) {
    std::string out = "GET ";
    out.append(path).append(" HTTP/1.0\r\nAccept: */*\r\n").append(userAgent).append("\r\n");
    if (rangeFrom > 0)
        out.append("Range: bytes=").append(std::to_string(rangeFrom)).append("-\r\n");
    out.append("Host: ").append(host);
    if (port != 80)
        out.append(":").append(std::to_string(port));
    out.append("\r\n\r\n");
    return out;
}

bool IsRequestHost(std::string_view host) {
    return !host.empty() && host.size() <= 253 && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '.' || c == '-';
    });
}

bool IsRequestPath(std::string_view path) {
    return !path.empty() && path.size() <= 1024 && path.front() == '/' &&
           std::all_of(path.begin(), path.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

}  // namespace UpdateWire
