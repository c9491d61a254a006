// Full repaint of a 480 x 640 window holding 40 rows, each a 16 x 16 icon with
// per-pixel alpha and a line of text, in frames per second: through the
// drawing layer's device contexts (straight into the window's surface, and
// double-buffered the way the window base class paints), and the same
// content drawn with plain cairo and Pango calls, so the difference is the
// layer's own cost.

#include "Drawing/Gdi.h"

#include <benchmark/benchmark.h>

// The plain reference needs cairo's and Pango's own headers and libraries
// (the build's pkg-config target for them); without them only the layer's
// figures are measured.
#if __has_include(<cairo.h>) && __has_include(<glib.h>) && __has_include(<pango/pangocairo.h>)
#define BENCH_PAINT_PLAIN_REFERENCE 1
#include <cairo.h>
#include <pango/pangocairo.h>
#endif

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 640;
constexpr int kRows = 40;
constexpr int kRowHeight = kHeight / kRows;
constexpr int kIcon = 16;
constexpr int kTextLeft = 22;
constexpr int kCharHeight = 12;

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kStripe = RGB(236, 242, 250);
constexpr COLORREF kOnline = RGB(200, 0, 0);
constexpr COLORREF kOffline = RGB(0, 0, 200);

std::u16string RowText(int row) {
    std::u16string text = u"Contact number " + std::u16string(1, static_cast<char16_t>(u'A' + row % 26)) +
                          u" \u2014 \u0432 \u0441\u0435\u0442\u0438, status message that is long enough to be cut";
    return text;
}

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
        } else if (unit < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
            out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    return out;
}

// A round icon with soft (premultiplied alpha) edges, as the skin PNGs are.
void PaintIcon(std::uint32_t* pixels, int stride) {
    for (int y = 0; y < kIcon; ++y) {
        for (int x = 0; x < kIcon; ++x) {
            const double distance = std::hypot(x + 0.5 - kIcon / 2.0, y + 0.5 - kIcon / 2.0);
            const double coverage = std::clamp(kIcon / 2.0 - distance, 0.0, 1.0);
            const auto a = static_cast<std::uint32_t>(coverage * 255);
            pixels[y * stride + x] = (a << 24) | ((a * 40 / 255) << 16) | ((a * 160 / 255) << 8) | (a * 60 / 255);
        }
    }
}

struct Rows {
    std::vector<std::u16string> text;
    std::vector<std::string> utf8;
    Rows() {
        for (int row = 0; row < kRows; ++row) {
            text.push_back(RowText(row));
            utf8.push_back(Utf8(text.back()));
        }
    }
};

const Rows& TheRows() {
    static const Rows rows;
    return rows;
}

// One frame through the layer.
void PaintThroughLayer(HDC dc, HDC icon, HBRUSH background, HBRUSH stripe) {
    const Rows& rows = TheRows();
    const RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, background);
    SetBkMode(dc, TRANSPARENT);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    for (int row = 0; row < kRows; ++row) {
        const int top = row * kRowHeight;
        if (row % 2) {
            const RECT band{0, top, kWidth, top + kRowHeight};
            FillRect(dc, &band, stripe);
        }
        AlphaBlend(dc, 3, top + (kRowHeight - kIcon) / 2, kIcon, kIcon, icon, 0, 0, kIcon, kIcon, blend);
        SetTextColor(dc, row % 3 ? kOffline : kOnline);
        RECT text{kTextLeft, top, kWidth - 2, top + kRowHeight};
        DrawText(dc, rows.text[row].c_str(), static_cast<int>(rows.text[row].size()), &text,
                 DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

struct LayerScene {
    cairo_surface_t* window = Platform::CreateOpaqueSurface(kWidth, kHeight);
    HDC dc = Platform::CreateSurfaceDC(window, {0, 0});
    HDC iconDc = CreateCompatibleDC(dc);
    HBITMAP iconBitmap = nullptr;
    HGDIOBJ oldIcon = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    HBRUSH background = CreateSolidBrush(kBackground);
    HBRUSH stripe = CreateSolidBrush(kStripe);

    LayerScene() {
        BITMAPINFO info{};
        info.bmiHeader.biWidth = kIcon;
        info.bmiHeader.biHeight = kIcon;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        iconBitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        PaintIcon(static_cast<std::uint32_t*>(bits), kIcon);
        oldIcon = SelectObject(iconDc, iconBitmap);
        LOGFONTW logFont;
        logFont.lfHeight = -kCharHeight;
        logFont.lfWeight = FW_NORMAL;
        const std::u16string face = u"Tahoma";
        std::copy(face.begin(), face.end(), logFont.lfFaceName);
        font = CreateFontIndirect(&logFont);
        oldFont = SelectObject(dc, font);
    }
    ~LayerScene() {
        SelectObject(dc, oldFont);
        SelectObject(iconDc, oldIcon);
        DeleteObject(font);
        DeleteObject(iconBitmap);
        DeleteObject(background);
        DeleteObject(stripe);
        DeleteDC(iconDc);
        DeleteDC(dc);
        Platform::ReleaseSurface(window);
    }
};

void BM_PaintThroughLayer(benchmark::State& state) {
    Platform::SetScreenDpi(96, 96);
    LayerScene scene;
    for (auto _ : state) {
        PaintThroughLayer(scene.dc, scene.iconDc, scene.background, scene.stripe);
        benchmark::DoNotOptimize(Platform::GetSurfacePixel(scene.window, 100, 100));
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaintThroughLayer)->Unit(benchmark::kMicrosecond);

// As the window base class paints: a bitmap of the client size in a memory
// context, made, filled, drawn and copied to the window every frame.
void BM_PaintThroughLayerDoubleBuffered(benchmark::State& state) {
    Platform::SetScreenDpi(96, 96);
    LayerScene scene;
    for (auto _ : state) {
        HDC memory = CreateCompatibleDC(scene.dc);
        HBITMAP bitmap = CreateCompatibleBitmap(scene.dc, kWidth, kHeight);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HGDIOBJ oldFont = SelectObject(memory, scene.font);
        PaintThroughLayer(memory, scene.iconDc, scene.background, scene.stripe);
        BitBlt(scene.dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldFont);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
        benchmark::DoNotOptimize(Platform::GetSurfacePixel(scene.window, 100, 100));
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaintThroughLayerDoubleBuffered)->Unit(benchmark::kMicrosecond);

#if BENCH_PAINT_PLAIN_REFERENCE

void SetColor(cairo_t* cr, COLORREF color) {
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

// The same picture with cairo and Pango alone: one layout, set up once.
void BM_PaintPlainCairoPango(benchmark::State& state) {
    const Rows& rows = TheRows();
    cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_surface_t* icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kIcon, kIcon);
    cairo_surface_flush(icon);
    PaintIcon(reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(icon)),
              cairo_image_surface_get_stride(icon) / 4);
    cairo_surface_mark_dirty(icon);
    cairo_t* cr = cairo_create(window);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* description = pango_font_description_from_string("DejaVu Sans");
    pango_font_description_set_absolute_size(description, kCharHeight * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_layout_set_width(layout, (kWidth - 2 - kTextLeft) * PANGO_SCALE);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    pango_layout_set_single_paragraph_mode(layout, TRUE);

    for (auto _ : state) {
        SetColor(cr, kBackground);
        cairo_paint(cr);
        for (int row = 0; row < kRows; ++row) {
            const int top = row * kRowHeight;
            if (row % 2) {
                SetColor(cr, kStripe);
                cairo_rectangle(cr, 0, top, kWidth, kRowHeight);
                cairo_fill(cr);
            }
            const int iconTop = top + (kRowHeight - kIcon) / 2;
            cairo_set_source_surface(cr, icon, 3, iconTop);
            cairo_rectangle(cr, 3, iconTop, kIcon, kIcon);
            cairo_fill(cr);
            SetColor(cr, row % 3 ? kOffline : kOnline);
            pango_layout_set_text(layout, rows.utf8[row].data(), static_cast<int>(rows.utf8[row].size()));
            int width = 0;
            int height = 0;
            pango_layout_get_pixel_size(layout, &width, &height);
            cairo_move_to(cr, kTextLeft, top + (kRowHeight - height) / 2);
            pango_cairo_show_layout(cr, layout);
        }
        cairo_surface_flush(window);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(window)[100 * cairo_image_surface_get_stride(window)]);
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);

    pango_font_description_free(description);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(icon);
    cairo_surface_destroy(window);
}
BENCHMARK(BM_PaintPlainCairoPango)->Unit(benchmark::kMicrosecond);

#endif

} // namespace
