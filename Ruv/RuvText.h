#pragma once
// Text as the OSCAR network carries it: screen names compared in one form,
// the code pages of received text, the HTML some clients wrap their
// messages in, and long texts cut into messages the server accepts.

#include "CYolString.h"

#include <string>
#include <string_view>
#include <vector>

namespace RuvText {

// The form two screen names are compared in: lower case, spaces removed.
CYolString NormalName(const CYolString& name);
bool SameName(const CYolString& a, const CYolString& b);

CYolString FromAnsi(std::string_view bytes);
CYolString FromUtf8(std::string_view bytes);
// UTF-8 when the bytes are well-formed UTF-8, else the code page.
CYolString FromUtf8OrAnsi(std::string_view bytes);
// UTF-16 big-endian; an odd last byte is dropped.
CYolString FromUcs2(std::string_view bytes);
// UTF-16 big-endian, paragraph separators written as line feeds.
std::string ToUcs2(const CYolString& text);

// A text wrapped in <HTML><BODY ...>...</BODY></HTML> is unwrapped, its
// tags removed (br and hr become line breaks) and its entities decoded, all
// in one left-to-right pass; any other text is returned as it is. A "<"
// without a closing ">" stays as text.
CYolString Unwrap(const CYolString& text);
// &quot; &amp; &gt; &lt; decoded in one pass: what a decoding produced is
// never decoded again.
std::u16string DecodeEntities(std::u16string_view text);

// Pieces of at most `limit` UTF-16 units, in order, never cutting a
// surrogate pair in two.
std::vector<CYolString> Chunks(const CYolString& text, int limit);
// The first piece Chunks would give: at most `limit` units, whole characters.
CYolString Truncated(const CYolString& text, int limit);

}  // namespace RuvText
