#pragma once
// UTF-16 to UTF-8 and back for handing text to Pango, keeping track of where
// each UTF-16 code unit lands in the UTF-8 bytes.

#include <string>
#include <vector>

namespace Platform {

// Converts length units of UTF-16 (a lone surrogate becomes U+FFFD). When
// offsets is given it receives, for each unit, the byte offset in the result
// where that unit's character starts (both units of a pair share one), plus
// one final entry: the result's length.
std::string Utf16ToUtf8(const char16_t* text, std::size_t length, std::vector<int>* offsets = nullptr);

// Converts UTF-8 (invalid bytes become U+FFFD).
std::u16string Utf8ToUtf16(const char* text);

// Length of a terminated UTF-16 string.
std::size_t Utf16Length(const char16_t* text);

} // namespace Platform
