// Message text as it arrives from a peer, in any UTF-16 (line separators,
// object characters, lone surrogates, CR and LF in every order), built into
// paragraphs among pictures, laid out at any width and walked with every
// caret move, selected, copied and with its pictures replaced.
//
// Input: a width byte, then records of an opcode byte and, for text, a
// length byte and that many UTF-16 little-endian units.

#include "CYolWMRTE_TextView.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

class Picture final : public RTE::CRTEPicture {
public:
    explicit Picture(int size) : size(size) {}
    void GetSize(SIZE* out) override { *out = SIZE{size, size}; }
    void Draw(HDC, POINT) override {}
    const char16_t* GetText() override { return u":-)"; }
    int size;
};

// Every character 7 pixels wide, digits 0 wide (as a font may draw them).
class Fonts final : public RTE::MTextMeasurer, public RTE::CYolWMRTE_TextLayout::MObserver {
public:
    void GetPartFont(HFONT& font, int) override { font = nullptr; }
    void Measure(HFONT, const char16_t* text, int count, int* extents, int* height) override
    {
        int x = 0;
        for (int i = 0; i < count; ++i) {
            x += text[i] >= u'0' && text[i] <= u'9' ? 0 : 7;
            extents[i] = x;
        }
        *height = 12;
    }
};

class Observer final : public RTE::CYolWMRTE_TextView::MObserver {
public:
    void GetPartFont(RTE::TPartFont&, int) override {}
    void GetColors(COLORREF&, COLORREF&) override {}
    void LeaveView(bool) override {}
    void Invalidate() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Picture small(9);
    Picture big(40);
    RTE::TDocument document;
    document.Add(new RTE::CYolWMRTE_Para(4));
    size_t at = 1;
    while (at < size) {
        RTE::CYolWMRTE_Para& para = *document[document.Count() - 1];
        const uint8_t op = data[at++];
        switch (op % 5) {
        case 0: para.AppendPicture(op & 0x80 ? &big : &small); break;
        case 1: document.Add(new RTE::CYolWMRTE_Para(op >> 3)); break;
        case 2: para.ReplacePicture(op & 0x80 ? &big : &small, u"(:", (op >> 3) % 3, 1 + (op >> 5)); break;
        default: {
            const size_t units = at < size ? data[at++] : 0;
            std::vector<char16_t> text;
            for (size_t i = 0; i < units && at + 1 < size; ++i, at += 2)
                text.push_back(static_cast<char16_t>(data[at] | data[at + 1] << 8));
            para.AppendText(text.data(), static_cast<int>(text.size()), op >> 4);
            break;
        }
        }
    }
    Fonts fonts;
    Observer observer;
    RTE::CYolWMRTE_TextLayout layout(&document, data[0], &fonts, &fonts);
    layout.LayoutAll();
    RTE::CYolWMRTE_TextView view(&document, &layout, &observer, RECT{0, 0, data[0], 200});
    for (int move = RTE::CYolWMRTE_TextView::EMoveTextStart; move >= 1; --move) {
        for (int i = 0; i < 40; ++i)
            view.MoveCaret((move + i) % 12 + 1, i % 3 == 0);
        view.SelectRange(POINT{move * 5, move * 9}, POINT{data[0] / 2, layout.GetHeight() - move}, true);
    }
    for (RTE::CYolWMRTE_Para* para : document) {
        std::unique_ptr<char16_t[]> text(para->GetText(0, -1));
        delete para;
    }
    return 0;
}
