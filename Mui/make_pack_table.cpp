// Turns a language pack's table, written as UTF-8 text so that a reviewer can
// read it, into the C++ table the pack compiles: the same texts in code page
// 1251, every byte above 127 written as an escape so that the generated
// source is plain ASCII whatever the compiler's own character set.
//
// Input, one entry per line: the id, one space, the text (spaces after the
// first belong to the text). Ids run from 0 without
// gaps; an id without text is one the component never shows (no entry).
// Backslash escapes in the text (\n, \r, \\, \") pass into the C++ string as
// written. Empty lines and lines starting with '#' are comments.
//
//     make_pack_table <table.txt> <out.inc>
// Any text that code page 1251 cannot hold, a gap in the ids or a malformed
// line fails the build with the line named.

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool ToCp1251(const std::string& utf8, std::string& out) {
    iconv_t cd = iconv_open("CP1251", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string in = utf8;
    out.assign(in.size() + 1, '\0');
    char* src = in.data();
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && srcLeft == 0;
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return ok;
}

// A C++ string literal of 1251 bytes. A hex escape would swallow a following
// hex digit, so each one closes its literal and the next piece starts anew.
std::string Literal(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x80) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X\"\"", c);
            out += escaped;
        } else if (c < 0x20) {
            return std::string();
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

int Fail(const std::string& where, const std::string& why) {
    std::cerr << where << ": " << why << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return Fail("make_pack_table", "usage: make_pack_table <table.txt> <out.inc>");
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
        return Fail(argv[1], "cannot be read");
    std::vector<std::string> entries;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = std::string(argv[1]) + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#')
            continue;
        const size_t space = std::min(line.find(' '), line.size());
        if (space == 0 || space > 9 || line.find_first_not_of("0123456789") < space)
            return Fail(where, "expected <id> <text>");
        if (std::stoul(line.substr(0, space)) != entries.size())
            return Fail(where, "id out of order, expected " + std::to_string(entries.size()));
        const std::string text = space < line.size() ? line.substr(space + 1) : std::string();
        if (text.empty()) {
            entries.push_back("nullptr");
            continue;
        }
        std::string bytes;
        if (!ToCp1251(text, bytes))
            return Fail(where, "text is not valid UTF-8 or not in code page 1251");
        std::string literal = Literal(bytes);
        if (literal.empty())
            return Fail(where, "control character in text (write \\n or \\r)");
        entries.push_back(literal);
    }
    if (entries.empty())
        return Fail(argv[1], "no entries");
    std::ostringstream out;
    out << "// Generated from " << std::string(argv[1]).substr(std::string(argv[1]).find_last_of('/') + 1)
        << "; edit that file.\n";
    out << "const char* const kTable[] = {\n";
    for (size_t i = 0; i < entries.size(); ++i)
        out << "    /* " << i << " */ " << entries[i] << ",\n";
    out << "};\n";
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file << out.str();
    return file ? 0 : Fail(argv[2], "cannot be written");
}
