#pragma once
// Icons: a picture with transparency made from a colour bitmap and a mask,
// drawn at any size. The icon keeps its own copies of the bitmaps, so the
// caller may delete them right after CreateIconIndirect.

#include "PlatformTypes.h"
#include "YolTypes.h"

#include <cstdint>
#include <utility>

namespace Platform {
struct Icon;
} // namespace Platform

using HICON = Platform::Icon*;

struct ICONINFO {
    // True for an icon; false for a cursor, whose hot spot counts.
    bool fIcon = true;
    std::uint32_t xHotspot = 0;
    std::uint32_t yHotspot = 0;
    // Where a pixel of the mask is set (light), the icon is transparent. Any
    // bitmap serves as a mask: light pixels count as set, dark ones as clear.
    HBITMAP hbmMask = nullptr;
    // The picture. A 32-bit bitmap that carries alpha (any pixel with a
    // non-zero alpha) is drawn with that alpha and the mask plays no part;
    // otherwise its colours are opaque wherever the mask is clear.
    HBITMAP hbmColor = nullptr;
};

// DrawIconEx: what to draw. DI_NORMAL draws the picture with its
// transparency; DI_IMAGE alone the picture opaque; DI_MASK alone blackens
// the opaque part of the icon.
constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = DI_MASK | DI_IMAGE;

// Null when a bitmap is missing or not a bitmap, or the mask is smaller than
// the picture.
YOL_API HICON CreateIconIndirect(const ICONINFO* info);
// False for a handle that is not a live icon (also one destroyed before).
YOL_API bool DestroyIcon(HICON icon);
// A new icon with the same picture.
YOL_API HICON CopyIcon(HICON icon);
// Fills in the icon's description with NEW bitmaps (copies of the ones it
// was made from) that the caller deletes with DeleteObject.
YOL_API bool GetIconInfo(HICON icon, ICONINFO* info);
// Draws the icon with its top-left corner at (x, y), stretched to cx x cy
// (0 takes the icon's own width or height). With a brush, the rectangle is
// first filled with it, so the icon lands on that background. Icons have one
// frame: step is not used.
YOL_API bool DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH background,
                        UINT flags);

namespace Platform {

// The icon's size in pixels; false for a handle that is not a live icon.
YOL_API bool GetIconSize(HICON icon, SIZE* size);

// An icon of the holder's own: a copy of the one it is given (null when that
// is not a live icon), destroyed with the holder. The shell keeps the icons
// it shows this way, so the caller may destroy its handle at any time.
class IconCopy {
public:
    IconCopy() = default;
    explicit IconCopy(HICON source) : icon_(source ? CopyIcon(source) : nullptr) {}
    IconCopy(const IconCopy& other) : IconCopy(other.icon_) {}
    IconCopy(IconCopy&& other) noexcept : icon_(other.icon_) { other.icon_ = nullptr; }
    IconCopy& operator=(IconCopy other) noexcept {
        std::swap(icon_, other.icon_);
        return *this;
    }
    ~IconCopy() {
        if (icon_)
            DestroyIcon(icon_);
    }
    HICON get() const { return icon_; }

private:
    HICON icon_ = nullptr;
};

} // namespace Platform
