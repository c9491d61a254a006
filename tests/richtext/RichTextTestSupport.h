#pragma once
// What the rich-text suites share: a picture that records its drawing, a
// measurer whose fonts are fixed-width (so every line table is known in
// advance), document building, and a printable form of a layout.

#include "CYolWMRTE_Para.h"
#include "CYolWMRTE_TextLayout.h"
#include "Drawing/Gdi.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace richtext_test {

// UTF-8 (up to three bytes a character, as the tests write) to UTF-16.
inline std::u16string U(const char* text)
{
    std::u16string out;
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p;) {
        const int extra = *p >= 0xE0 ? 2 : *p >= 0xC0 ? 1 : 0;
        char32_t ch = extra == 2 ? *p & 0x0F : extra == 1 ? *p & 0x1F : *p;
        ++p;
        for (int i = 0; i < extra && (*p & 0xC0) == 0x80; ++i, ++p)
            ch = (ch << 6) | (*p & 0x3F);
        out.push_back(static_cast<char16_t>(ch));
    }
    return out;
}

inline std::string Narrow(const char16_t* text, int count = -1)
{
    std::string out;
    for (int i = 0; count < 0 ? text[i] != 0 : i < count; ++i) {
        const char16_t ch = text[i];
        if (ch == RTE::kLineSeparator)
            out += "|";
        else if (ch == RTE::kObjectReplacement)
            out += "#";
        else if (ch < 0x80)
            out += static_cast<char>(ch);
        else
            out += "?";
    }
    return out;
}

// A block of one colour, two pixels in from each edge of its place (so
// that what was under it shows around it), with the text it stands for.
class BlockPicture final : public RTE::CRTEPicture {
public:
    BlockPicture(int width, int height, const char16_t* text, COLORREF colour = 0x0000FF)
        : size{width, height}, text(text), colour(colour) {}
    void GetSize(SIZE* out) override { *out = size; }
    void Draw(HDC hdc, POINT topLeft) override
    {
        ++draws;
        RECT r{topLeft.x + 2, topLeft.y + 2, topLeft.x + size.cx - 2, topLeft.y + size.cy - 2};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(hdc, &r, brush);
        DeleteObject(brush);
    }
    const char16_t* GetText() override { return text; }

    SIZE size;
    const char16_t* text;
    COLORREF colour;
    int draws = 0;
};

// Each font kind has a fixed character width and height; the "font" handed
// through the layout is the address of its metrics.
struct FixedMetrics {
    int width = 10;
    int height = 10;
};

class FixedFonts final : public RTE::MTextMeasurer, public RTE::CYolWMRTE_TextLayout::MObserver {
public:
    FixedFonts() { metrics[1] = FixedMetrics{}; }
    void GetPartFont(HFONT& font, int kind) override
    {
        auto it = metrics.find(kind);
        font = reinterpret_cast<HFONT>(&(it != metrics.end() ? it->second : metrics.at(1)));
    }
    void Measure(HFONT font, const char16_t*, int count, int* extents, int* height) override
    {
        const auto* m = reinterpret_cast<const FixedMetrics*>(font);
        ++calls;
        for (int i = 0; i < count; ++i)
            extents[i] = (i + 1) * m->width;
        *height = m->height;
    }

    std::map<int, FixedMetrics> metrics;
    int calls = 0;
};

// A paragraph from pieces: text pieces of a kind, or pictures.
struct Piece {
    const char* text = nullptr;
    int kind = 1;
    RTE::CRTEPicture* picture = nullptr;
};

inline RTE::CYolWMRTE_Para* MakePara(const std::vector<Piece>& pieces)
{
    auto* para = new RTE::CYolWMRTE_Para(10);
    for (const Piece& piece : pieces) {
        if (piece.picture != nullptr) {
            para->AppendPicture(piece.picture);
        } else {
            const std::u16string text = U(piece.text);
            para->AppendText(text.data(), static_cast<int>(text.size()), piece.kind);
        }
    }
    return para;
}

// Owns the paragraphs of a document as the control would.
struct Document {
    RTE::TDocument paras;
    Document() { paras.SetGrowStep(100); }
    ~Document() { Clear(); }
    void Add(const std::vector<Piece>& pieces) { paras.Add(MakePara(pieces)); }
    void Clear()
    {
        for (RTE::CYolWMRTE_Para* p : paras)
            delete p;
        paras.Clear();
    }
};

// "text@x,y,w,h" per slice, lines separated by " / ".
inline std::string Describe(const RTE::CYolWMRTE_ParaLayout& layout, const RTE::CYolWMRTE_Para& para)
{
    std::string out;
    const auto lines = layout.GetLines();
    for (std::size_t l = 0; l < lines.size(); ++l) {
        if (l > 0)
            out += " / ";
        for (int i = lines[l].firstSlice; i <= lines[l].lastSlice; ++i) {
            const RTE::CYolWMRTE_ParaLayoutSlice& s = *layout.Slices()[i];
            if (i > lines[l].firstSlice)
                out += " ";
            out += "'" + Narrow(para.Text() + s.start, s.IsPicture() ? 1 : s.length) + "'@" + std::to_string(s.x) +
                   "," + std::to_string(s.y) + "," + std::to_string(s.width) + "," + std::to_string(s.height);
        }
    }
    return out;
}

} // namespace richtext_test
