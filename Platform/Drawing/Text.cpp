// Text through Pango: metrics, extents per UTF-16 unit, DrawText and
// ExtTextOut.

#include "FontInternal.h"
#include "TextUtf.h"

#include <algorithm>
#include <string>

namespace Platform {

void ReleaseTextState(DeviceContext* dc) {
    if (dc->layout)
        g_object_unref(dc->layout);
    if (dc->textContext)
        g_object_unref(dc->textContext);
    dc->layout = nullptr;
    dc->textContext = nullptr;
    dc->layoutFace = 0;
    dc->layoutAttributes = nullptr;
}

} // namespace Platform

using namespace Platform;

namespace {

void SetAttributes(DeviceContext* dc, PangoAttrList* attributes) {
    if (dc->layoutAttributes == attributes)
        return;
    pango_layout_set_attributes(dc->layout, attributes);
    dc->layoutAttributes = attributes;
}

// The context's layout, made on this thread, with the selected font and the
// settings every call starts from (one line, no width, no ellipsis).
PangoLayout* PrepareLayout(DeviceContext* dc, const FontFace& face, bool wrap = false) {
    if (!dc->layout || dc->textThread != std::this_thread::get_id()) {
        ReleaseTextState(dc);
        dc->textContext = NewTextContext(dc->dpiY);
        pango_context_set_base_dir(dc->textContext, PANGO_DIRECTION_LTR);
        dc->layout = pango_layout_new(dc->textContext);
        pango_layout_set_auto_dir(dc->layout, FALSE);
        dc->textThread = std::this_thread::get_id();
    }
    if (dc->layoutFace != face.serial) {
        pango_layout_set_font_description(dc->layout, face.description);
        dc->layoutFace = face.serial;
    }
    SetAttributes(dc, wrap ? face.wrapAttributes : face.attributes);
    pango_layout_set_width(dc->layout, -1);
    pango_layout_set_height(dc->layout, -1);
    pango_layout_set_ellipsize(dc->layout, PANGO_ELLIPSIZE_NONE);
    pango_layout_set_wrap(dc->layout, PANGO_WRAP_WORD);
    pango_layout_set_single_paragraph_mode(dc->layout, TRUE);
    return dc->layout;
}

// Text for Pango. A tab is as wide as a space wherever it stands, so that a
// string measures the same in pieces; only DT_EXPANDTABS gives tab stops.
std::string LayoutText(const char16_t* text, std::size_t length, std::vector<int>* offsets, bool tabStops = false) {
    std::string utf8 = Utf16ToUtf8(text, length, offsets);
    if (!tabStops)
        std::replace(utf8.begin(), utf8.end(), '\t', ' ');
    return utf8;
}

std::size_t UnitCount(const char16_t* text, int length) {
    return length < 0 ? Utf16Length(text) : static_cast<std::size_t>(length);
}

int FloorHalf(int value) {
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

// Cumulative width through each unit: the clusters in text order, each
// counted once its first byte is reached.
void UnitExtents(PangoLayout* layout, const std::vector<int>& offsets, std::size_t units, int* extents) {
    struct Cluster {
        int start;
        int width;
    };
    std::vector<Cluster> clusters;
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        if (!pango_layout_iter_get_run_readonly(iter))
            continue;  // the end-of-line position
        PangoRectangle logical;
        pango_layout_iter_get_cluster_extents(iter, nullptr, &logical);
        clusters.push_back({pango_layout_iter_get_index(iter), logical.width});
    } while (pango_layout_iter_next_cluster(iter));
    pango_layout_iter_free(iter);
    std::stable_sort(clusters.begin(), clusters.end(),
                     [](const Cluster& a, const Cluster& b) { return a.start < b.start; });
    long long sum = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < units; ++i) {
        while (next < clusters.size() && clusters[next].start <= offsets[i])
            sum += clusters[next++].width;
        extents[i] = static_cast<int>(PANGO_PIXELS(sum));
    }
}

// Removes prefix marks: "&&" is "&", "&x" is an underlined x.
std::u16string StripPrefixes(const char16_t* text, std::size_t length, std::vector<std::size_t>& underlined) {
    std::u16string shown;
    shown.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == u'&' && i + 1 < length) {
            ++i;
            if (text[i] != u'&')
                underlined.push_back(shown.size());
        } else if (text[i] == u'&') {
            continue;
        }
        shown.push_back(text[i]);
    }
    return shown;
}

void FillBackground(DeviceContext* dc, int left, int top, int right, int bottom) {
    SetSourceColor(dc->cr, dc->bkColor);
    FillPixels(dc->cr, left, top, right, bottom);
}

struct LineBox {
    PangoLayoutLine* line;
    int x;  // pixel offset of the line's logical box inside the layout
    int width;
};

// Lines are placed by the font's metrics, not by Pango's line boxes: every
// line is tmHeight high with its baseline tmAscent below its top, also where
// a fallback font with taller metrics draws some of its characters.
std::vector<LineBox> LineBoxes(PangoLayout* layout) {
    std::vector<LineBox> boxes;
    for (GSList* item = pango_layout_get_lines_readonly(layout); item; item = item->next) {
        auto* line = static_cast<PangoLayoutLine*>(item->data);
        PangoRectangle logical;
        pango_layout_line_get_extents(line, nullptr, &logical);
        boxes.push_back({line, PANGO_PIXELS(logical.x), PANGO_PIXELS(logical.width)});
    }
    return boxes;
}

void ShowLine(DeviceContext* dc, const LineBox& box, int x, int top, const TEXTMETRICW& metrics) {
    SetSourceColor(dc->cr, dc->textColor);
    cairo_move_to(dc->cr, x - box.x, top + metrics.tmAscent);
    pango_cairo_show_layout_line(dc->cr, box.line);
    cairo_new_path(dc->cr);
}

} // namespace

bool GetTextMetrics(HDC dc, TEXTMETRICW* metrics) {
    if (!dc || !metrics)
        return false;
    *metrics = dc->font->Face(dc->dpiY).metrics;
    return true;
}

bool GetTextExtentPoint32(HDC dc, const char16_t* text, int length, SIZE* size) {
    return GetTextExtentExPoint(dc, text, length, 0, nullptr, nullptr, size);
}

bool GetTextExtentExPoint(HDC dc, const char16_t* text, int length, int maxExtent, int* fit, int* extents,
                          SIZE* size) {
    if (!dc || (!text && length != 0))
        return false;
    const std::size_t units = text ? UnitCount(text, length) : 0;
    const FontFace& face = dc->font->Face(dc->dpiY);
    PangoLayout* layout = PrepareLayout(dc, face);
    std::vector<int> offsets;
    const std::string utf8 = LayoutText(text, units, (extents || fit) ? &offsets : nullptr);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    if (size)
        *size = {PANGO_PIXELS(logical.width), face.metrics.tmHeight};
    if (extents || fit) {
        std::vector<int> own;
        int* cumulative = extents;
        if (!cumulative) {
            own.resize(units);
            cumulative = own.data();
        }
        UnitExtents(layout, offsets, units, cumulative);
        if (fit) {
            int count = 0;
            while (count < static_cast<int>(units) && cumulative[count] <= maxExtent)
                ++count;
            *fit = count;
        }
    }
    return true;
}

int DrawText(HDC dc, const char16_t* text, int length, RECT* rect, UINT format) {
    if (!dc || !text || !rect)
        return 0;
    const std::size_t units = UnitCount(text, length);
    std::vector<std::size_t> underlined;
    const std::u16string shown =
        (format & DT_NOPREFIX) ? std::u16string(text, units) : StripPrefixes(text, units, underlined);

    const bool singleLine = (format & DT_SINGLELINE) != 0;
    const bool wrap = (format & DT_WORDBREAK) && !singleLine;
    const FontFace& face = dc->font->Face(dc->dpiY);
    const TEXTMETRICW& metrics = face.metrics;
    PangoLayout* layout = PrepareLayout(dc, face, wrap);
    std::vector<int> offsets;
    const std::string utf8 =
        LayoutText(shown.data(), shown.size(), underlined.empty() ? nullptr : &offsets, (format & DT_EXPANDTABS) != 0);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));

    const int width = std::max(0, rect->right - rect->left);
    pango_layout_set_single_paragraph_mode(layout, singleLine);
    if (wrap)
        pango_layout_set_width(layout, width * PANGO_SCALE);
    if (format & DT_END_ELLIPSIS) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        // Wrapped text ends in the ellipsis where the rectangle ends.
        if (wrap)
            pango_layout_set_height(layout, std::max(0, rect->bottom - rect->top) * PANGO_SCALE);
    }
    if (!underlined.empty()) {
        PangoAttrList* attributes = pango_attr_list_copy(wrap ? face.wrapAttributes : face.attributes);
        for (std::size_t unit : underlined) {
            // The whole character: both units of a surrogate pair.
            std::size_t end = unit + 1;
            while (end < shown.size() && offsets[end] == offsets[unit])
                ++end;
            PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            underline->start_index = static_cast<guint>(offsets[unit]);
            underline->end_index = static_cast<guint>(offsets[end]);
            pango_attr_list_insert(attributes, underline);
        }
        // The layout keeps the list; the next call puts the font's own back.
        SetAttributes(dc, attributes);
        pango_attr_list_unref(attributes);
    }

    const std::vector<LineBox> lines = LineBoxes(layout);
    const int textHeight = static_cast<int>(lines.size()) * metrics.tmHeight;
    int blockWidth = 0;
    for (const LineBox& line : lines)
        blockWidth = std::max(blockWidth, line.width);

    if (format & DT_CALCRECT) {
        rect->right = rect->left + blockWidth;
        rect->bottom = rect->top + textHeight;
        return textHeight;
    }

    int top = rect->top;
    if (lines.size() == 1 && (format & DT_VCENTER))
        top = FloorHalf(rect->top + rect->bottom - textHeight);
    else if (lines.size() == 1 && (format & DT_BOTTOM))
        top = rect->bottom - textHeight;

    cairo_save(dc->cr);
    if (!(format & DT_NOCLIP)) {
        cairo_new_path(dc->cr);
        cairo_rectangle(dc->cr, rect->left, rect->top, width, std::max(0, rect->bottom - rect->top));
        cairo_clip(dc->cr);
    }
    int lineTop = top;
    for (const LineBox& line : lines) {
        int x = rect->left;
        if (format & DT_CENTER)
            x = FloorHalf(rect->left + rect->right - line.width);
        else if (format & DT_RIGHT)
            x = rect->right - line.width;
        if (dc->bkMode == OPAQUE)
            FillBackground(dc, x, lineTop, x + line.width, lineTop + metrics.tmHeight);
        ShowLine(dc, line, x, lineTop, metrics);
        lineTop += metrics.tmHeight;
    }
    cairo_restore(dc->cr);
    return textHeight;
}

bool ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT length,
                const int* spacing) {
    if (!dc || (!text && length))
        return false;
    cairo_save(dc->cr);
    if (rect && (options & ETO_OPAQUE))
        FillBackground(dc, rect->left, rect->top, rect->right, rect->bottom);
    if (rect && (options & ETO_CLIPPED)) {
        cairo_new_path(dc->cr);
        cairo_rectangle(dc->cr, rect->left, rect->top, std::max(0, rect->right - rect->left),
                        std::max(0, rect->bottom - rect->top));
        cairo_clip(dc->cr);
    }
    const FontFace& face = dc->font->Face(dc->dpiY);
    PangoLayout* layout = PrepareLayout(dc, face);
    const bool fillText = dc->bkMode == OPAQUE && !(rect && (options & ETO_OPAQUE));
    if (!spacing) {
        const std::string utf8 = LayoutText(text, length, nullptr);
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        const LineBox line = LineBoxes(layout).front();
        if (fillText)
            FillBackground(dc, x, y, x + line.width, y + face.metrics.tmHeight);
        ShowLine(dc, line, x, y, face.metrics);
    } else {
        // Each character at its own given position.
        long long total = 0;
        for (UINT i = 0; i < length; ++i)
            total += spacing[i];
        if (fillText)
            FillBackground(dc, x, y, static_cast<int>(x + total), y + face.metrics.tmHeight);
        long long pen = x;
        for (UINT i = 0; i < length; ++i) {
            const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
                              text[i + 1] <= 0xDFFF;
            const std::string utf8 = LayoutText(text + i, pair ? 2 : 1, nullptr);
            pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
            ShowLine(dc, LineBoxes(layout).front(), static_cast<int>(pen), y, face.metrics);
            pen += spacing[i];
            if (pair)
                pen += spacing[++i];
        }
    }
    cairo_restore(dc->cr);
    return true;
}
