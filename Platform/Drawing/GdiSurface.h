#pragma once
// Where the drawing layer meets the surfaces the windows are kept in:
// device contexts over a cairo image surface, the screen's resolution, and
// PNG files.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstddef>
#include <cstdint>

// cairo's own declaration, so that users of this header need not see cairo.
typedef struct _cairo_surface cairo_surface_t;

namespace Platform {

// A device context drawing into the surface (a cairo image surface, RGB24 or
// ARGB32). screenOrigin is the surface's top-left corner in screen
// coordinates: pattern brushes drawn through this context line up with the
// screen. The context keeps its own reference to the surface; delete it with
// DeleteDC. Its resolution is the screen's at the time it is made.
YOL_API HDC CreateSurfaceDC(cairo_surface_t* surface, POINT screenOrigin);
// The same onto one area of the surface (for example a window's client area
// inside its picture): context point (0, 0) is the area's top-left corner,
// screenOrigin that corner's screen position, and nothing is drawn outside
// the area. Null when the area leaves the surface.
YOL_API HDC CreateSurfaceDC(cairo_surface_t* surface, POINT screenOrigin, const RECT& area);

// The surface a context draws into (a memory context's: its selected
// bitmap's), without a new reference, and the area of it the context covers.
YOL_API cairo_surface_t* GetDCSurface(HDC dc);
YOL_API RECT GetDCArea(HDC dc);

// The screen's logical pixels per inch, which new contexts take as their
// resolution (192 x 192 until set).
YOL_API void SetScreenDpi(int dpiX, int dpiY);
YOL_API int GetScreenDpiX();
YOL_API int GetScreenDpiY();

// A new opaque (RGB24) image surface, black; release it with ReleaseSurface.
YOL_API cairo_surface_t* CreateOpaqueSurface(int width, int height);
YOL_API void ReleaseSurface(cairo_surface_t* surface);
// The colour of one pixel as 0x00BBGGRR (the premultiplied colour for
// surfaces with alpha); CLR_INVALID outside the surface.
YOL_API COLORREF GetSurfacePixel(cairo_surface_t* surface, int x, int y);
// The alpha of one pixel (255 for opaque surfaces), -1 outside the surface.
YOL_API int GetSurfaceAlpha(cairo_surface_t* surface, int x, int y);

// Writes the surface as a PNG file (path in the file system's encoding).
YOL_API bool SaveSurfacePng(cairo_surface_t* surface, const char* path);
// Reads a PNG file of any colour type into a new ARGB32 surface with
// premultiplied alpha; null when the file cannot be read or decoded.
YOL_API cairo_surface_t* LoadSurfacePng(const char* path);

// Pictures of any kind the program draws, known by their first bytes and not
// by their names: PNG, GIF (its first frame, transparent pixels kept), BMP
// (uncompressed, 1, 4, 8, 16, 24 or 32 bits a pixel) and JPEG, each at most
// kMaxPictureSide pixels a side. The result is an ARGB32 surface with
// premultiplied alpha; null for anything unreadable, broken or refused.
constexpr int kMaxPictureSide = 4096;
YOL_API cairo_surface_t* LoadSurfacePicture(const char* path);
YOL_API cairo_surface_t* DecodeSurfacePicture(const std::uint8_t* data, std::size_t size);
// The decoders behind it, over bytes in memory.
YOL_API cairo_surface_t* DecodeSurfacePng(const std::uint8_t* data, std::size_t size);
YOL_API cairo_surface_t* DecodeSurfaceGif(const std::uint8_t* data, std::size_t size);
YOL_API cairo_surface_t* DecodeSurfaceBmp(const std::uint8_t* data, std::size_t size);
YOL_API cairo_surface_t* DecodeSurfaceJpeg(const std::uint8_t* data, std::size_t size);

// A bitmap over (a new reference to) the surface: drawing into the bitmap
// changes the surface. Delete it with DeleteObject.
YOL_API HBITMAP CreateBitmapFromSurface(cairo_surface_t* surface);
// The surface a bitmap keeps its pixels in, without a new reference.
YOL_API cairo_surface_t* GetBitmapSurface(HBITMAP bitmap);

} // namespace Platform
