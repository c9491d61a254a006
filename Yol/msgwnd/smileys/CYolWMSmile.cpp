#include "CYolWMSmile.h"

#include "Drawing/GifDecode.h"

#include "CYolPath.h"
#include "Shell/ShellScreen.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace Smile {

namespace {

std::atomic<bool> g_scaleSmile{true};

// The disposal that decides frame e's base: that of the frame before it,
// with "unspecified" meaning "keep" and "restore previous" meaning "clear"
// while there is no frame before the previous one.
int BaseOf(const TGifImage& gif, int e) {
    int d = e == 0 ? 2 : gif.frames[static_cast<std::size_t>(e - 1)]->disposal;
    if (d == 0 && e > 0)
        d = 1;
    if (d == 3 && e < 2)
        d = 2;
    return d == 1 ? e - 1 : (d == 3 ? e - 2 : -1);
}

HBITMAP MakeBitmap(const TGifFrame& f) {
    if (f.width <= 0 || f.height <= 0)
        return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, f.width, f.height);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        const int rows = SetDIBitsToDevice(dc, 0, 0, static_cast<std::uint32_t>(f.width),
                                           static_cast<std::uint32_t>(f.height), 0, 0, 0,
                                           static_cast<UINT>(f.height), f.pixels.data(), f.Info(), DIB_RGB_COLORS);
        SelectObject(dc, old);
        if (rows != f.height) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    DeleteDC(dc);
    return bitmap;
}

} // namespace

void SetScaleSmile(bool on) {
    g_scaleSmile = on;
}

bool ScaleSmile() {
    return g_scaleSmile;
}

CYolWMSmile::CYolWMSmile(const CYolString& path, const CYolArray<CYolString>& texts) : file(path), codes(texts) {
    codes.SetGrowStep(10);
    frames.SetGrowStep(10);
    Load();
}

CYolWMSmile::~CYolWMSmile() {
    for (const TFrame& f : frames)
        if (f.bitmap != nullptr)
            DeleteObject(f.bitmap);
}

void CYolWMSmile::Load() {
    TGifImage gif;
    if (LoadGif(gif, CYolPath::ToNative(file).c_str()) == 0)
        return;
    size = SIZE{gif.width, gif.height};
    const int count = static_cast<int>(gif.frames.size());
    frames.Reserve(count);
    for (int e = 0; e < count; ++e) {
        const TGifFrame& g = *gif.frames[static_cast<std::size_t>(e)];
        TFrame f;
        f.bitmap = MakeBitmap(g);
        if (g.transparent >= 0) {
            const RGBQUAD& key = g.Palette()[g.transparent];
            f.transparent = RGB(key.rgbRed, key.rgbGreen, key.rgbBlue);
        }
        f.delay = std::max(g.delay, kMinDelay);
        f.base = BaseOf(gif, e);
        f.x = g.left;
        f.y = g.top;
        f.width = g.width;
        f.height = g.height;
        frames.Add(f);
    }
}

void CYolWMSmile::GetSize(SIZE& out) const {
    out = ScaleSmile() ? SIZE{Platform::ScaleX(size.cx), Platform::ScaleY(size.cy)} : size;
}

void CYolWMSmile::DrawFrame(int n, HDC hdc, POINT at) const {
    if (n < 0 || n >= frames.Count())
        return;
    // The frames to draw, topmost first: each frame's bases lie under it,
    // and a frame without a bitmap or base shows the frame before it.
    std::vector<int> chain;
    for (int k = n; k >= 0;) {
        const TFrame& f = frames[k];
        if (f.bitmap != nullptr)
            chain.push_back(k);
        if (f.base >= 0)
            k = f.base;
        else if (f.bitmap == nullptr)
            k = k - 1;
        else
            break;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        Blit(frames[*it], hdc, at);
}

void CYolWMSmile::Blit(const TFrame& f, HDC hdc, POINT at) const {
    const bool scaled = ScaleSmile();
    const int x = at.x + (scaled ? Platform::ScaleX(f.x) : f.x);
    const int y = at.y + (scaled ? Platform::ScaleY(f.y) : f.y);
    const int w = scaled ? Platform::ScaleX(f.width) : f.width;
    const int h = scaled ? Platform::ScaleY(f.height) : f.height;
    HDC source = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(source, f.bitmap);
    if (f.transparent != CLR_INVALID)
        TransparentImage(hdc, x, y, w, h, source, 0, 0, f.width, f.height, f.transparent);
    else if (scaled)
        StretchBlt(hdc, x, y, w, h, source, 0, 0, f.width, f.height, SRCCOPY);
    else
        BitBlt(hdc, x, y, w, h, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

} // namespace Smile
