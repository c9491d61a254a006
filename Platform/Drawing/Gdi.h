#pragma once
// The drawing layer: device contexts over cairo image surfaces, drawing
// objects (brushes, pens, fonts, bitmaps, regions), fills, lines, shapes,
// gradients, blits and alpha blending, and text.
//
// Coordinates are device pixels. Rectangles cover [left, right) x [top,
// bottom); lines leave out their end point; shapes and lines are drawn
// without anti-aliasing, so every pixel is either drawn or not. Colours are
// 0x00BBGGRR.
//
// A device context is used by one thread at a time; different threads may
// draw into different contexts at once. Drawing objects may be shared between
// threads for reading (selecting and drawing with them).

#include "Font.h"
#include "GdiSurface.h"
#include "GdiTypes.h"
#include "Text.h"
#include "YolTypes.h"

// ---- Device contexts -------------------------------------------------------

// A memory context for off-screen drawing, with the resolution of the given
// context (the screen's when null). It starts with a stock bitmap selected
// that takes no drawing; select a bitmap into it to draw into that bitmap.
YOL_API HDC CreateCompatibleDC(HDC dc);
// Deletes a memory or surface context. Objects selected into it are
// released (they stay valid until DeleteObject).
YOL_API bool DeleteDC(HDC dc);

// Selects a brush, pen, font or bitmap (memory contexts only) and answers the
// object of that kind selected before, or null on failure (a bitmap already
// selected into another context, a deleted object, a region).
YOL_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a drawing object. An object still selected into a context is freed
// when it is deselected. Stock objects and system-colour brushes are never
// deleted (answers true); an unknown or already deleted handle answers false.
YOL_API bool DeleteObject(HGDIOBJ object);
YOL_API HGDIOBJ GetStockObject(int index);
// Copies a BITMAP (bitmaps) or LOGFONTW (fonts) description into buffer and
// answers the bytes copied; 0 on failure or a buffer that is too small.
YOL_API int GetObject(HGDIOBJ object, int size, void* buffer);

YOL_API COLORREF SetTextColor(HDC dc, COLORREF color);
YOL_API COLORREF GetTextColor(HDC dc);
YOL_API COLORREF SetBkColor(HDC dc, COLORREF color);
YOL_API COLORREF GetBkColor(HDC dc);
YOL_API int SetBkMode(HDC dc, int mode);
YOL_API int GetBkMode(HDC dc);

// The device point where the brush pattern's top-left corner is anchored. A
// memory context starts at (0, 0); a surface context at minus its screen
// origin, so its patterns line up with the screen.
YOL_API bool SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
YOL_API bool GetBrushOrgEx(HDC dc, POINT* origin);

YOL_API int GetDeviceCaps(HDC dc, int index);

// ---- Clipping and regions --------------------------------------------------

YOL_API int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
YOL_API int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
// Replaces the clip region by a copy of region; null removes clipping.
YOL_API int SelectClipRgn(HDC dc, HRGN region);
// The smallest rectangle around the visible part of the surface.
YOL_API int GetClipBox(HDC dc, RECT* rect);

YOL_API HRGN CreateRectRgn(int left, int top, int right, int bottom);
YOL_API HRGN CreateRectRgnIndirect(const RECT* rect);
YOL_API bool SetRectRgn(HRGN region, int left, int top, int right, int bottom);
// destination = a (mode) b; b is ignored for RGN_COPY. destination may be a or b.
YOL_API int CombineRgn(HRGN destination, HRGN a, HRGN b, int mode);
YOL_API int OffsetRgn(HRGN region, int dx, int dy);
YOL_API int GetRgnBox(HRGN region, RECT* rect);
YOL_API bool PtInRegion(HRGN region, int x, int y);
YOL_API bool RectInRegion(HRGN region, const RECT* rect);

// ---- Brushes, pens, colours, bitmaps ----------------------------------------

YOL_API HBRUSH CreateSolidBrush(COLORREF color);
// A brush that tiles a copy of the bitmap, anchored at the brush origin; the
// bitmap may be deleted afterwards.
YOL_API HBRUSH CreatePatternBrush(HBITMAP bitmap);
YOL_API COLORREF GetSysColor(int index);
// The stock brush of a system colour (never deleted).
YOL_API HBRUSH GetSysColorBrush(int index);
// PS_SOLID, PS_DASH or PS_NULL; width 0 counts as 1.
YOL_API HPEN CreatePen(int style, int width, COLORREF color);

// An opaque bitmap, black at first.
YOL_API HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A 32-bit bitmap whose blue-green-red-alpha pixels the caller reads and
// writes through *bits (colours premultiplied by alpha), in the row order the
// header's height gives. Only 32-bit uncompressed bitmaps are made.
YOL_API HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, void* section,
                                 std::uint32_t offset);

// ---- Fills, lines and shapes -----------------------------------------------

YOL_API bool FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// A one-pixel frame just inside the rectangle, drawn with the brush.
YOL_API bool FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
YOL_API bool InvertRect(HDC dc, const RECT* rect);
// PATCOPY, DSTINVERT, BLACKNESS or WHITENESS over the rectangle.
YOL_API bool PatBlt(HDC dc, int x, int y, int width, int height, std::uint32_t rop);
YOL_API bool SetPixel(HDC dc, int x, int y, COLORREF color);
// CLR_INVALID outside the surface.
YOL_API COLORREF GetPixel(HDC dc, int x, int y);

YOL_API bool MoveToEx(HDC dc, int x, int y, POINT* previous);
// A line from the current position to (x, y) in the selected pen, without the
// end pixel; the end becomes the current position.
YOL_API bool LineTo(HDC dc, int x, int y);
YOL_API bool Polyline(HDC dc, const POINT* points, int count);

// Outlined with the pen and filled with the brush. With the null pen the
// filled area is one pixel narrower and lower, as if the outline were there.
YOL_API bool Rectangle(HDC dc, int left, int top, int right, int bottom);
// Corners are quarters of an ellipse of cornerWidth x cornerHeight.
YOL_API bool RoundRect(HDC dc, int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
YOL_API bool Ellipse(HDC dc, int left, int top, int right, int bottom);
YOL_API bool Polygon(HDC dc, const POINT* points, int count);

// Rectangles filled with a horizontal (GRADIENT_FILL_RECT_H) or vertical
// (GRADIENT_FILL_RECT_V) gradient: the first row or column has the first
// vertex's colour exactly, the colour then changes evenly towards the second
// vertex's colour.
YOL_API bool GradientFill(HDC dc, const TRIVERTEX* vertices, std::uint32_t vertexCount, const void* mesh,
                          std::uint32_t meshCount, UINT mode);

// Three-dimensional borders in the button colours.
YOL_API bool DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);
// A dotted frame drawn by inverting; drawing it twice removes it.
YOL_API bool DrawFocusRect(HDC dc, const RECT* rect);

// ---- Blits -----------------------------------------------------------------

YOL_API bool BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                    std::uint32_t rop);
// Stretches (nearest pixel) the source rectangle onto the destination one.
YOL_API bool StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                        int sourceY, int sourceWidth, int sourceHeight, std::uint32_t rop);
// Source-over blend of the source rectangle, stretched to the destination
// rectangle, with the blend record's constant alpha and, with AC_SRC_ALPHA,
// the source's premultiplied per-pixel alpha. Fails when the source
// rectangle leaves the source surface.
YOL_API bool AlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                        int sourceY, int sourceWidth, int sourceHeight, BLENDFUNCTION blend);
// Stretches the source rectangle onto the destination rectangle, leaving out
// the source pixels of the key colour.
YOL_API bool TransparentBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                            int sourceY, int sourceWidth, int sourceHeight, COLORREF key);
inline bool TransparentImage(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                             int sourceY, int sourceWidth, int sourceHeight, COLORREF key) {
    return TransparentBlt(destination, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight,
                          key);
}

// Copies pixels of a device-independent bitmap (8-bit with palette, 24-bit
// or 32-bit) onto the context. bits holds scanLines scan lines starting at
// startScan, in the bitmap's storage order; (sourceX, sourceY) is measured
// from the bitmap's top-left corner for top-down bitmaps and from its
// bottom-left corner for bottom-up ones. Answers the number of scan lines
// copied (0 on failure).
YOL_API int SetDIBitsToDevice(HDC dc, int x, int y, std::uint32_t width, std::uint32_t height, int sourceX,
                              int sourceY, UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                              UINT usage);
