#pragma once
// The mail form in which the server keeps messages that arrived while the
// user was away: mail headers ("From", "Date", "X-MRIM-Flags",
// "Content-Type"), then the text in Base64, either as the one body line or
// as the text/plain part of a multipart/alternative body. Parsed from
// untrusted text: every search is bounded by the text.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// The header block's keys (lower case) and values; answers where the line
// that ended the block starts.
size_t ParseMailHeaders(std::string_view text, std::map<std::string, std::string>& out);

struct MrimOfflineMessage {
    std::string from;
    std::string date;
    uint32_t flags = 0;
    std::string text;  // the decoded bytes, in the encoding the flags name
};

// False when the message lacks a header it needs or a usable text part.
bool ParseOfflineMessage(std::string_view mail, MrimOfflineMessage& out);
