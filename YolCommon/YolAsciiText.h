#pragma once
// Small helpers for the ASCII texts of wire headers (HTTP fields and the
// like), where letter case and surrounding blanks carry no meaning.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

constexpr char YolAsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

constexpr bool YolAsciiEqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return YolAsciiLower(x) == YolAsciiLower(y); });
}

// Without the spaces and tabs at either end.
constexpr std::string_view YolAsciiTrim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A plain decimal number of at most ten digits, no sign or blanks, up to
// `max`; anything else is no number.
constexpr std::optional<uint32_t> YolAsciiNumber(std::string_view digits, uint32_t max = UINT32_MAX)
{
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= max ? std::optional<uint32_t>(static_cast<uint32_t>(value)) : std::nullopt;
}
