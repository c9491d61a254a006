#pragma once
// Bubble bodies are HTML: whatever text goes in (messages, names, file
// names, reasons, e-mail subjects) is escaped first, so that nobody's text
// can add markup; then line ends become "<br>" and smiley codes become
// pictures. What we insert is kept apart from the text around it, so a code
// never matches inside an inserted tag, picture path or character reference.

#include "CYolString.h"

#include <string>
#include <vector>

namespace Alert {

struct TSmiley {
    std::u16string path;
    std::vector<std::u16string> codes;
};

// At most this many smiley codes turn into pictures in one body.
inline constexpr int kMaxSmileysPerBody = 5;

// "&", "<", ">" and '"' as character references; line ends (CR LF, or a lone
// LF) as "<br>".
std::u16string TextToHtml(const std::u16string& text);
// TextToHtml, then the codes of the smileys in order replaced by their
// picture markup, at most kMaxSmileysPerBody in all.
std::u16string MessageToHtml(const std::u16string& text, const std::vector<TSmiley>& smileys);

// A text of the language pack with "%d", "%s" and "%.1lf" taken in order from
// the values given (one pass; a value never becomes a format); "%%" is "%".
std::u16string FormatUiText(const std::u16string& format, const std::vector<std::u16string>& values);

}  // namespace Alert
