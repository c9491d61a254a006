// Fonts: from the logical font record to a Pango description with fixed
// metrics, per-thread font maps, stock fonts and the family list.

#include "FontInternal.h"
#include "TextUtf.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

namespace Platform {
namespace {

std::atomic<std::uint64_t> g_nextFaceSerial{1};

constexpr const char* kSans = "DejaVu Sans";
constexpr const char* kMono = "DejaVu Sans Mono";
constexpr const char* kSerif = "DejaVu Serif";

// Faces the handheld's programs and settings name, and what draws them here.
struct FaceAlias {
    const char* face;
    const char* family;
};
constexpr FaceAlias kFaceAliases[] = {
    {"Tahoma", kSans},          {"MS Sans Serif", kSans},   {"MS Shell Dlg", kSans},
    {"MS Shell Dlg 2", kSans},  {"Segoe UI", kSans},        {"Arial", kSans},
    {"Helvetica", kSans},       {"System", kSans},          {"Verdana", kSans},
    {"Courier New", kMono},     {"Courier", kMono},         {"Lucida Console", kMono},
    {"Times New Roman", kSerif}, {"Georgia", kSerif},
};

// Character height of a record whose height is 0, at 96 dpi.
constexpr int kDefaultCharHeight = 12;
// Records come from settings files; heights beyond this are taken as this.
constexpr int kMaxHeight = 1024;
// Stock fonts, heights at 96 dpi.
constexpr int kSystemFontHeight = -12;
constexpr int kGuiFontHeight = -11;

// Runs are measured as the sum of their characters' advances.
constexpr const char* kFontFeatures = "kern 0, liga 0, clig 0, dlig 0, calt 0";

bool SameFaceName(const std::string& a, const char* b) {
    const std::size_t length = std::strlen(b);
    if (a.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string FaceNameUtf8(const char16_t* faceName) {
    std::size_t length = 0;
    while (faceName && length < LF_FACESIZE && faceName[length])
        ++length;
    return faceName ? Utf16ToUtf8(faceName, length) : std::string();
}

int ClampHeight(std::int64_t height) {
    return static_cast<int>(std::clamp<std::int64_t>(height, -kMaxHeight, kMaxHeight));
}

int ScaleHeight(int height, int dpi) {
    const std::int64_t magnitude = (std::abs(static_cast<std::int64_t>(height)) * dpi + 48) / 96;
    return ClampHeight(height < 0 ? -magnitude : magnitude);
}

struct Extents {
    int ascent = 0;
    int descent = 0;
    int lineHeight = 0;
    int maxAdvance = 0;
    int averageWidth = 0;
};

// Metrics of the description at a character height, as drawing sees them
// (whole-pixel metrics).
bool Measure(PangoContext* context, PangoFontDescription* description, double charHeight, Extents& out) {
    pango_font_description_set_absolute_size(description, charHeight * PANGO_SCALE);
    PangoFont* font = pango_font_map_load_font(ThreadFontMap(), context, description);
    if (!font)
        return false;
    cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
    if (!scaled) {
        g_object_unref(font);
        return false;
    }
    cairo_font_extents_t extents;
    cairo_scaled_font_extents(scaled, &extents);
    out.ascent = static_cast<int>(std::ceil(extents.ascent - 1e-6));
    out.descent = static_cast<int>(std::ceil(extents.descent - 1e-6));
    out.lineHeight = static_cast<int>(std::lround(extents.height));
    out.maxAdvance = static_cast<int>(std::lround(extents.max_x_advance));
    PangoFontMetrics* metrics = pango_font_get_metrics(font, nullptr);
    out.averageWidth = (pango_font_metrics_get_approximate_char_width(metrics) + PANGO_SCALE / 2) / PANGO_SCALE;
    pango_font_metrics_unref(metrics);
    g_object_unref(font);
    return true;
}

// Ascent and descent per pixel of character height, without whole-pixel
// rounding: the family's own proportions.
struct Proportions {
    double ascent = 0;
    double descent = 0;
};

Proportions ProportionsOf(PangoFontDescription* description) {
    constexpr double kReference = 1024.0;
    PangoContext* context = NewTextContext(96);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    Proportions proportions;
    pango_font_description_set_absolute_size(description, kReference * PANGO_SCALE);
    if (PangoFont* font = pango_font_map_load_font(ThreadFontMap(), context, description)) {
        if (cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font))) {
            cairo_font_extents_t extents;
            cairo_scaled_font_extents(scaled, &extents);
            proportions = {extents.ascent / kReference, extents.descent / kReference};
        }
        g_object_unref(font);
    }
    g_object_unref(context);
    return proportions;
}

// The largest character height (in 64ths of a pixel) whose cell, ascent and
// descent each rounded up to whole pixels, is at most cellHeight pixels.
double CharHeightForCell(PangoContext* context, PangoFontDescription* description, int cellHeight) {
    const Proportions p = ProportionsOf(description);
    if (p.ascent <= 0 || p.descent <= 0)
        return cellHeight;
    // Split the cell into whole-pixel ascent and descent; each split allows
    // heights up to where either part would need one more pixel.
    double best = 0;
    const int even = static_cast<int>(cellHeight * p.ascent / (p.ascent + p.descent));
    for (int ascent = std::max(1, even - 1); ascent <= std::min(cellHeight - 1, even + 2); ++ascent)
        best = std::max(best, std::min(ascent / p.ascent, (cellHeight - ascent) / p.descent));
    double charHeight = std::floor(best * 64) / 64;
    // FreeType's fixed-point scaling may still round a metric up: step down
    // until the cell fits.
    for (int attempt = 0; attempt < 8 && charHeight > 1; ++attempt) {
        Extents extents;
        if (!Measure(context, description, charHeight, extents) || extents.ascent + extents.descent <= cellHeight)
            break;
        charHeight -= 1.0 / 64;
    }
    return charHeight;
}

std::unique_ptr<FontFace> Realize(const LOGFONTW& logFont) {
    auto face = std::make_unique<FontFace>();
    face->serial = g_nextFaceSerial.fetch_add(1);
    PangoContext* context = NewTextContext(96);
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, FontFamilyForFace(logFont.lfFaceName).c_str());
    const int weight = logFont.lfWeight <= 0 ? FW_NORMAL : std::clamp(logFont.lfWeight, 100, 1000);
    pango_font_description_set_weight(description, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(description, logFont.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

    int height = ClampHeight(logFont.lfHeight);
    if (height == 0)
        height = -ScaleHeight(kDefaultCharHeight, GetScreenDpiY());
    const double charHeight = height < 0 ? -height : CharHeightForCell(context, description, height);
    Extents extents;
    Measure(context, description, charHeight, extents);
    g_object_unref(context);

    TEXTMETRICW& metrics = face->metrics;
    metrics.tmAscent = extents.ascent;
    metrics.tmDescent = extents.descent;
    metrics.tmHeight = extents.ascent + extents.descent;
    metrics.tmInternalLeading = metrics.tmHeight - static_cast<int>(std::lround(charHeight));
    metrics.tmExternalLeading = std::max(0, extents.lineHeight - metrics.tmHeight);
    metrics.tmAveCharWidth = extents.averageWidth;
    metrics.tmMaxCharWidth = extents.maxAdvance;
    metrics.tmWeight = weight;
    metrics.tmItalic = logFont.lfItalic ? 1 : 0;
    metrics.tmUnderlined = logFont.lfUnderline ? 1 : 0;
    metrics.tmStruckOut = logFont.lfStrikeOut ? 1 : 0;
    metrics.tmCharSet = logFont.lfCharSet;

    face->description = description;
    face->attributes = pango_attr_list_new();
    pango_attr_list_insert(face->attributes, pango_attr_font_features_new(kFontFeatures));
    if (logFont.lfUnderline)
        pango_attr_list_insert(face->attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (logFont.lfStrikeOut)
        pango_attr_list_insert(face->attributes, pango_attr_strikethrough_new(TRUE));
    face->wrapAttributes = pango_attr_list_copy(face->attributes);
    pango_attr_list_insert(face->wrapAttributes, pango_attr_insert_hyphens_new(FALSE));
    return face;
}

FontObject* MakeStockFont(int height) {
    auto* font = new FontObject;
    font->stock = true;
    font->scalesWithDpi = true;
    font->logFont.lfHeight = height;
    font->logFont.lfWeight = FW_NORMAL;
    font->logFont.lfCharSet = DEFAULT_CHARSET;
    const std::u16string face = u"Tahoma";
    std::copy(face.begin(), face.end(), font->logFont.lfFaceName);
    RegisterObject(font);
    return font;
}

struct FontMapHolder {
    PangoFontMap* map = nullptr;
    ~FontMapHolder() {
        if (map)
            g_object_unref(map);
    }
};

} // namespace

FontFace::~FontFace() {
    if (description)
        pango_font_description_free(description);
    if (attributes)
        pango_attr_list_unref(attributes);
    if (wrapAttributes)
        pango_attr_list_unref(wrapAttributes);
}

const FontFace& FontObject::Face(int dpiY) {
    if (!scalesWithDpi)
        return *face;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<FontFace>& slot = scaled[dpiY];
    if (!slot) {
        LOGFONTW scaledFont = logFont;
        scaledFont.lfHeight = ScaleHeight(logFont.lfHeight, dpiY);
        slot = Realize(scaledFont);
    }
    return *slot;
}

PangoFontMap* ThreadFontMap() {
    thread_local FontMapHolder holder;
    if (!holder.map)
        holder.map = pango_cairo_font_map_new();
    return holder.map;
}

PangoContext* NewTextContext(int dpi) {
    PangoContext* context = pango_font_map_create_context(ThreadFontMap());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    // Whole-pixel advances: widths add up exactly and match what is drawn.
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context, dpi);
    pango_context_set_round_glyph_positions(context, TRUE);
    return context;
}

FontObject* StockFont(int index) {
    static FontObject* const systemFont = MakeStockFont(kSystemFontHeight);
    static FontObject* const guiFont = MakeStockFont(kGuiFontHeight);
    if (index == SYSTEM_FONT)
        return systemFont;
    if (index == DEFAULT_GUI_FONT)
        return guiFont;
    return nullptr;
}

std::string FontFamilyForFace(const char16_t* faceName) {
    const std::string face = FaceNameUtf8(faceName);
    if (face.empty())
        return kSans;
    for (const FaceAlias& alias : kFaceAliases) {
        if (SameFaceName(face, alias.face))
            return alias.family;
    }
    // Any other family the system has; what it lacks comes from DejaVu Sans.
    return face + "," + kSans;
}

} // namespace Platform

using namespace Platform;

HFONT CreateFontIndirect(const LOGFONTW* logFont) {
    if (!logFont)
        return nullptr;
    auto* font = new FontObject;
    font->logFont = *logFont;
    font->face = Realize(font->logFont);
    RegisterObject(font);
    return font;
}

int EnumFontFamilies(HDC, const char16_t* family, FONTENUMPROC proc, LPARAM param) {
    if (!proc)
        return 0;
    std::set<std::string> names;
    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(ThreadFontMap(), &families, &count);
    for (int i = 0; i < count; ++i)
        names.insert(pango_font_family_get_name(families[i]));
    g_free(families);
    for (const FaceAlias& alias : kFaceAliases)
        names.insert(alias.face);

    const std::string wanted = family ? FaceNameUtf8(family) : std::string();
    int result = 1;
    for (const std::string& name : names) {
        if (family && !SameFaceName(wanted, name.c_str()))
            continue;
        LOGFONTW logFont;
        logFont.lfWeight = FW_NORMAL;
        logFont.lfCharSet = DEFAULT_CHARSET;
        const std::u16string face = Utf8ToUtf16(name.c_str());
        std::copy_n(face.begin(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1), logFont.lfFaceName);
        result = proc(&logFont, param);
        if (!result)
            break;
    }
    return result;
}
