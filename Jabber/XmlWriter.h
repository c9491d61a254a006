#pragma once
// The writing side of the plug-in's XML: which names can be written, the
// characters a builder stores, and the text helpers. The writer itself is
// XmlNode::Serialize; it escapes every text and attribute value it writes,
// so builders take plain text, never escaped text.

#include "CYolString.h"

#include <string>
#include <string_view>

// Whether the bytes make an XML name as this plug-in reads and writes them:
// ASCII letters, digits, "_", ":", ".", "-" and any non-ASCII character, not
// starting with a digit, "." or "-", valid UTF-8.
bool IsXmlName(std::string_view name);

// What a builder stores of a text: for element text (`elementText`) CR is
// dropped, LF kept and every other control character blanked; attribute
// values keep TAB, LF and CR and blank the other control characters. In both
// a lone surrogate, U+FFFE and U+FFFF become U+FFFD. Shares the buffer when
// nothing changes.
CYolString XmlStorableText(const CYolString& value, bool elementText);

// UTF-8 text ready to be written straight into an element: CR dropped, LF
// kept, other control characters turned into blanks, the five markup
// characters as entities. Builders and the writer escape by themselves:
// their input must be the plain text, never this.
std::string XmlEscape(const CYolString& text);
// Replaces the five predefined entities in one pass, left to right; any
// other ampersand sequence stays as it is.
void XmlUnescape(std::string& text);
// A copy in which every LF has a CR before it (an LF that already has one
// keeps just that one).
CYolString ToCrLf(const CYolString& text);
