#pragma once
// Inside the drawing layer: fonts made ready for Pango. Only the layer's own
// sources include this header.

#include "GdiInternal.h"

#include <map>
#include <memory>
#include <mutex>

namespace Platform {

// A font realised for drawing: the Pango description and the attributes
// every run of the font carries (underline, strike-out, kerning and
// ligatures off), made once and read from any thread.
struct FontFace {
    FontFace() = default;
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    std::uint64_t serial = 0;  // unique for the run, so layouts can tell faces apart
    PangoFontDescription* description = nullptr;
    PangoAttrList* attributes = nullptr;
    // The same for text wrapped to a width: no hyphens where words break.
    PangoAttrList* wrapAttributes = nullptr;
    TEXTMETRICW metrics;
};

struct FontObject final : GdiObject {
    FontObject() : GdiObject(GdiKind::Font) {}

    LOGFONTW logFont;
    // Stock fonts give their height at 96 dpi and grow with the context's
    // resolution; fonts made from records are used as they are.
    bool scalesWithDpi = false;

    // Fonts made from records are realised when made and never change.
    std::unique_ptr<FontFace> face;

    // The face to draw with in a context of the given vertical resolution.
    const FontFace& Face(int dpiY);

private:
    std::mutex mutex;
    std::map<int, std::unique_ptr<FontFace>> scaled;  // stock fonts, by resolution
};

// The calling thread's font map (Pango font maps are not shared between
// threads); freed when the thread ends.
PangoFontMap* ThreadFontMap();
// A Pango context on the calling thread's font map with the layer's font
// options (grey anti-aliasing, whole-pixel metrics) and resolution.
PangoContext* NewTextContext(int dpi);

} // namespace Platform
