#pragma once
// Inside the drawing layer: what the handles point to. Only the layer's own
// sources include this header.

#include "Gdi.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace Platform {

enum class GdiKind : std::uint8_t { Brush, Pen, Font, Bitmap, Region };

// Every drawing object is reference counted: the handle holds one reference
// and every context it is selected into holds one more, so DeleteObject on a
// selected object frees it only when the context lets go of it.
struct GdiObject {
    explicit GdiObject(GdiKind kind) : kind(kind) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    const GdiKind kind;
    bool stock = false;  // stock objects and system-colour brushes live for the whole run
    std::atomic<int> refs{1};
    std::atomic<bool> deleted{false};
};

// Makes a new object known as a live handle.
void RegisterObject(GdiObject* object);
void AddRef(GdiObject* object);
void Release(GdiObject* object);
// The object a handle stands for: system-colour brush values become the
// stock brushes; null stays null. Handles are otherwise taken as given.
GdiObject* Resolve(HGDIOBJ handle);

struct Brush final : GdiObject {
    Brush() : GdiObject(GdiKind::Brush) {}
    ~Brush() override;
    enum class Style : std::uint8_t { Solid, Pattern, Null } style = Style::Solid;
    COLORREF color = 0;
    cairo_surface_t* pattern = nullptr;  // owned copy of the pattern bitmap
};

struct Pen final : GdiObject {
    Pen() : GdiObject(GdiKind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Bitmap final : GdiObject {
    Bitmap() : GdiObject(GdiKind::Bitmap) {}
    ~Bitmap() override;
    cairo_surface_t* surface = nullptr;  // owned reference
    void* bits = nullptr;                // DIB sections: the caller's view of the pixels
    int width = 0;
    int height = 0;
    std::atomic<DeviceContext*> selectedInto{nullptr};
};

struct Region final : GdiObject {
    Region() : GdiObject(GdiKind::Region) {}
    ~Region() override;
    cairo_region_t* region = nullptr;
};

struct FontObject;
struct FontFace;

Brush* StockBrush(int index);
Pen* StockPen(int index);
FontObject* StockFont(int index);
Brush* SysColorBrush(int index);
Bitmap* DefaultMemoryBitmap();

struct DeviceContext {
    cairo_surface_t* surface = nullptr;  // where drawing goes (own reference)
    cairo_t* cr = nullptr;               // works in context coordinates
    // The part of the surface the context draws into: context point (0, 0)
    // is surface point origin, and nothing is drawn outside width x height.
    POINT origin;
    int width = 0;
    int height = 0;
    bool memory = false;
    POINT screenOrigin;
    int dpiX = 96;
    int dpiY = 96;

    Bitmap* bitmap = nullptr;  // memory contexts: the selected bitmap
    Brush* brush = nullptr;
    Pen* pen = nullptr;
    FontObject* font = nullptr;

    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    POINT brushOrigin;
    POINT penPosition;
    cairo_region_t* clip = nullptr;  // null: the whole surface

    // Text layout, bound to the thread that made it (font maps are per thread).
    PangoContext* textContext = nullptr;
    PangoLayout* layout = nullptr;
    std::thread::id textThread;
    std::uint64_t layoutFace = 0;               // serial of the face whose description is set
    PangoAttrList* layoutAttributes = nullptr;  // the list set (the layout holds a reference)
};

// Points the context at an area of a target surface (taking a reference to
// the surface) and rebuilds its cairo context with the clip.
void SetTarget(DeviceContext* dc, cairo_surface_t* surface, const RECT& area);
void ApplyClip(DeviceContext* dc);
// The whole of an image surface.
RECT SurfaceArea(cairo_surface_t* surface);
int SurfaceWidth(cairo_surface_t* surface);
int SurfaceHeight(cairo_surface_t* surface);

void SetSourceColor(cairo_t* cr, COLORREF color);
// Makes the brush cairo's source, anchored at the context's brush origin;
// false for the null brush (nothing to paint).
bool SetBrushSource(DeviceContext* dc, const Brush* brush);

// Pixel spans: row y covers [x0, x1).
struct Span {
    int y;
    int x0;
    int x1;
};
// Adds the spans to the current path as pixel rectangles, joining runs of
// equal rows into one rectangle.
void AddSpans(cairo_t* cr, const std::vector<Span>& spans);
// Fills a pixel rectangle with the current source.
void FillPixels(cairo_t* cr, int left, int top, int right, int bottom);

// Frees the context's text layout (Text.cpp).
void ReleaseTextState(DeviceContext* dc);

// Turns straight blue, green, red, alpha pixels of an ARGB32 surface into
// cairo's premultiplied form (GdiSurface.cpp).
void PremultiplyRows(cairo_surface_t* surface);

} // namespace Platform
