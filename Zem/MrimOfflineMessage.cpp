#include "MrimOfflineMessage.h"

#include "CYolString.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

std::string DecodeBase64(std::string_view text) {
    // The decoder reads up to a 0, so the text goes in as a string of its own.
    std::string copy(text);
    int length = static_cast<int>(copy.size());
    char* bytes = CYolString::Base64Decode(copy.c_str(), length);
    if (bytes == nullptr)
        return {};
    std::string out(bytes, static_cast<size_t>(std::max(length, 0)));
    std::free(bytes);
    return out;
}

uint32_t HexValue(std::string_view text) {
    uint32_t value = 0;
    for (char c : text.substr(0, 8)) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            break;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

// The text/plain part of a multipart body; the last one when several are.
bool MultipartText(std::string_view mail, size_t from, std::string_view boundary, std::string& out) {
    const std::string delimiter = "--" + std::string(boundary);
    bool found = false;
    size_t at = mail.find(delimiter, from);
    while (at != std::string_view::npos) {
        size_t partStart = mail.find('\n', at + delimiter.size());
        if (partStart == std::string_view::npos)
            break;
        ++partStart;
        std::map<std::string, std::string> headers;
        size_t body = partStart + ParseMailHeaders(mail.substr(partStart), headers);
        while (body < mail.size() && (mail[body] == '\n' || mail[body] == '\r'))
            ++body;
        size_t next = mail.find(delimiter, body);
        if (next == std::string_view::npos)
            break;
        auto type = headers.find("content-type");
        if (type != headers.end() && type->second.find("text/plain") != std::string::npos) {
            out = DecodeBase64(mail.substr(body, next - body));
            found = true;
        }
        at = next;
    }
    return found;
}

}  // namespace

size_t ParseMailHeaders(std::string_view text, std::map<std::string, std::string>& out) {
    size_t position = 0;
    while (position < text.size()) {
        size_t end = text.find('\n', position);
        std::string_view line = text.substr(position, end == std::string_view::npos ? std::string_view::npos : end - position);
        if (line.size() < 2)
            return position;
        size_t colon = line.find(": ");
        if (colon != std::string_view::npos && colon >= 1) {
            std::string_view value = line.substr(colon + 2);
            if (!value.empty() && value.back() == '\r')
                value.remove_suffix(1);
            out.emplace(Lower(line.substr(0, colon)), std::string(value));
        }
        if (end == std::string_view::npos)
            return text.size();
        position = end + 1;
    }
    return position;
}

bool ParseOfflineMessage(std::string_view mail, MrimOfflineMessage& out) {
    std::map<std::string, std::string> headers;
    const size_t end = ParseMailHeaders(mail, headers);
    for (const char* key : {"content-type", "from", "date", "x-mrim-flags"})
        if (headers.count(key) == 0)
            return false;
    const std::string& type = headers["content-type"];
    if (type.find("multipart/alternative") != std::string::npos) {
        size_t at = type.find("boundary=");
        if (at == std::string::npos)
            return false;
        std::string boundary = type.substr(at + 9);
        // A quoted boundary is the text between the quotes.
        if (boundary.size() >= 2 && boundary.front() == '"' && boundary.back() == '"')
            boundary = boundary.substr(1, boundary.size() - 2);
        if (boundary.empty() || !MultipartText(mail, std::min(end + 1, mail.size()), boundary, out.text))
            return false;
    } else if (type.find("text/plain") != std::string::npos && end > 0) {
        // The body line follows the line that ended the headers, which may
        // be a lone "\r" as well as empty.
        size_t start = mail.find('\n', end);
        if (start == std::string_view::npos)
            return false;
        std::string_view line = mail.substr(start + 1);
        line = line.substr(0, line.find('\n'));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.text = DecodeBase64(line);
    } else {
        return false;
    }
    out.from = headers["from"];
    out.date = headers["date"];
    out.flags = HexValue(headers["x-mrim-flags"]);
    return true;
}
