// The rich-text engine against plain Pango on the same text in the same
// run: laying out 1,000 and 10,000 message paragraphs (growth from one to
// the other, and the heap the layout holds), one paragraph of 100 KB, and
// painting a screenful from the middle of 10,000 paragraphs. The reference
// breaks the same UTF-8 text into lines of the same width with a Pango
// layout per paragraph (and draws those lines), which is what the engine
// would cost if it handed whole paragraphs to Pango.

#include "CYolString.h"
#include "CYolWMRTE_TextView.h"
#include "Drawing/Gdi.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <malloc.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 640;
constexpr int kCharHeight = 13;

const char16_t* const kSamples[] = {
    u"Hello, are you coming to the meeting tomorrow at 10:30? Bring the slides.",
    u"Привет! Да, буду в 10:30, слайды уже готовы, отправлю ссылку чуть позже.",
    u"Καλημέρα σε όλους, τα λέμε αύριο στη συνάντηση.",
    u"See http://example.org/some/rather/long/path/to/a/page.html for details",
    u"ok",
};

std::u16string ParaText(int i)
{
    std::u16string text = kSamples[i % 5];
    if (i % 3 == 0)
        text += u" ";
    if (i % 7 == 0) {
        text += u"\r\n";
        text += kSamples[(i + 1) % 5];
    }
    return text;
}

class Fonts final : public RTE::CYolWMRTE_TextLayout::MObserver, public RTE::CYolWMRTE_TextView::MObserver {
public:
    Fonts()
    {
        LOGFONTW logFont;
        logFont.lfHeight = -kCharHeight;
        font = CreateFontIndirect(&logFont);
    }
    ~Fonts() { DeleteObject(font); }
    void GetPartFont(HFONT& out, int) override { out = font; }
    void GetPartFont(RTE::TPartFont& part, int) override { part.font = font; }
    void GetColors(COLORREF& text, COLORREF& background) override
    {
        text = 0xFFFFFF;
        background = 0x800000;
    }
    void LeaveView(bool) override {}
    void Invalidate() override {}
    HFONT font;
};

struct Document {
    RTE::TDocument paras;
    std::vector<std::string> utf8;
    explicit Document(int count, bool bigOne = false)
    {
        paras.SetGrowStep(100);
        for (int i = 0; i < count; ++i) {
            std::u16string text = ParaText(i);
            if (bigOne)
                while (text.size() < 50 * 1024) {
                    text += u' ';
                    text += ParaText(static_cast<int>(text.size()));
                }
            auto* para = new RTE::CYolWMRTE_Para(static_cast<int>(text.size()) + 10);
            para->AppendText(u"12:00 ", 6, 2);
            para->AppendText(text.data(), static_cast<int>(text.size()), 1);
            paras.Add(para);
            std::u16string plain(u"12:00 ");
            plain += text;
            for (char16_t& ch : plain)
                if (ch == u'\r')
                    ch = u' ';
            utf8.push_back(CYolString(plain.data(), static_cast<int>(plain.size())).ToUtf8());
        }
    }
    ~Document()
    {
        for (RTE::CYolWMRTE_Para* para : paras)
            delete para;
    }
};

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_RichTextLayout(benchmark::State& state)
{
    Fonts fonts;
    Document document(static_cast<int>(state.range(0)), state.range(1) != 0);
    std::size_t held = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        RTE::CYolWMRTE_TextLayout layout(&document.paras, kWidth, &fonts);
        layout.LayoutAll();
        held = HeapInUse() - before;
        benchmark::DoNotOptimize(layout.GetHeight());
    }
    state.counters["paras/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
    state.counters["heap_KB"] = static_cast<double>(held) / 1024.0;
}
BENCHMARK(BM_RichTextLayout)->Args({1000, 0})->Args({10000, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

PangoLayout* ReferenceLayout(cairo_t* cr, PangoFontDescription** description)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    *description = pango_font_description_from_string("DejaVu Sans");
    pango_font_description_set_absolute_size(*description, kCharHeight * PANGO_SCALE);
    pango_layout_set_font_description(layout, *description);
    pango_layout_set_width(layout, (kWidth - 4) * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    return layout;
}

void BM_PangoLayout(benchmark::State& state)
{
    Document document(static_cast<int>(state.range(0)), state.range(1) != 0);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    PangoFontDescription* description = nullptr;
    PangoLayout* layout = ReferenceLayout(cr, &description);
    for (auto _ : state) {
        int total = 0;
        for (const std::string& text : document.utf8) {
            pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
            int width = 0;
            int height = 0;
            pango_layout_get_pixel_size(layout, &width, &height);
            total += height;
        }
        benchmark::DoNotOptimize(total);
    }
    state.counters["paras/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
    g_object_unref(layout);
    pango_font_description_free(description);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_PangoLayout)->Args({1000, 0})->Args({10000, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

// A screenful from the middle of 10,000 paragraphs, with a selection.
void BM_RichTextPaint(benchmark::State& state)
{
    Fonts fonts;
    Document document(10000);
    RTE::CYolWMRTE_TextLayout layout(&document.paras, kWidth, &fonts);
    layout.LayoutAll();
    const int top = layout.GetHeight() / 2;
    RTE::CYolWMRTE_TextView view(&document.paras, &layout, &fonts, RECT{0, top, kWidth, top + kHeight});
    view.SetSelection(RTE::TPosition{5000, 3, 0}, RTE::TPosition{5004, 10, 1});
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
    SelectObject(dc, bitmap);
    RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        view.Paint(dc);
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    DeleteDC(dc);
    DeleteObject(bitmap);
}
BENCHMARK(BM_RichTextPaint)->Unit(benchmark::kMicrosecond);

// The same screenful drawn by Pango: the visible paragraphs' layouts.
void BM_PangoPaint(benchmark::State& state)
{
    Document document(10000);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    PangoFontDescription* description = nullptr;
    PangoLayout* layout = ReferenceLayout(cr, &description);
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        int y = 0;
        for (int i = 5000; i < 10000 && y < kHeight; ++i) {
            pango_layout_set_text(layout, document.utf8[i].data(), static_cast<int>(document.utf8[i].size()));
            cairo_move_to(cr, 2, y);
            pango_cairo_show_layout(cr, layout);
            int width = 0;
            int height = 0;
            pango_layout_get_pixel_size(layout, &width, &height);
            y += height + 2;
        }
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    g_object_unref(layout);
    pango_font_description_free(description);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_PangoPaint)->Unit(benchmark::kMicrosecond);

} // namespace
