#include "CYolWMSkins_BkBrush.h"

#include "CYolWMSkins_ImageManager.h"
#include "Controls/ControlListView.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"
#include "SkinColors.h"
#include "SkinImages.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowGeometry.h"

#include <algorithm>

namespace Skins {

namespace {

// A memory context drawing into a new opaque bitmap, which the caller may
// keep (Take) once drawn.
class Canvas {
public:
    Canvas(int width, int height)
        : dc(CreateCompatibleDC(nullptr)), bitmap(dc != nullptr ? CreateCompatibleBitmap(dc, width, height) : nullptr) {
        if (bitmap != nullptr)
            previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        if (previous != nullptr)
            SelectObject(dc, previous);
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        if (dc != nullptr)
            DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Get() const { return previous != nullptr ? dc : nullptr; }
    // The bitmap, deselected; the canvas no longer owns it.
    HBITMAP Take() {
        if (previous != nullptr)
            SelectObject(dc, previous);
        previous = nullptr;
        HBITMAP taken = bitmap;
        bitmap = nullptr;
        return taken;
    }

private:
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous = nullptr;
};

}  // namespace

CYolWMSkins_BkBrush::~CYolWMSkins_BkBrush() { Free(); }

void CYolWMSkins_BkBrush::Free() {
    if (HBRUSH old = brush.exchange(nullptr))
        DeleteObject(old);
}

void CYolWMSkins_BkBrush::Create(CYolWMSkins_ImageManager& manager) {
    images = &manager;
    Free();
    const int side = std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    Canvas canvas(side, side);
    if (canvas.Get() == nullptr)
        return;
    // A skin without a background picture would otherwise leave black
    // behind the default black text.
    const RECT all{0, 0, side, side};
    FillRect(canvas.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    manager.DrawRect(SKIN_IMG_MW_BACKGROUND, canvas.Get(), 0, 0, side, side, false, 255);
    HBITMAP pattern = canvas.Take();
    brush.store(CreatePatternBrush(pattern));
    DeleteObject(pattern);
}

COLORREF CYolWMSkins_ColourSource::GetTextColour() const { return GetSkinColor(SKIN_CLR_TEXT); }

void CYolWMSkins_BkBrush::Reload() {
    Free();
    if (images != nullptr)
        Create(*images);
}

HBITMAP CreateBkBitmap(const HBRUSH& brush, HWND window) {
    RECT client;
    if (brush == nullptr || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return nullptr;
    POINT origin;
    ClientToScreen(window, &origin);
    Canvas canvas(client.right, client.bottom);
    if (canvas.Get() == nullptr)
        return nullptr;
    SetBrushOrgEx(canvas.Get(), -origin.x, -origin.y, nullptr);
    FillRect(canvas.Get(), &client, brush);
    return canvas.Take();
}

void SkinListView(HWND listView, HBRUSH background) {
    if (HBITMAP bitmap = CreateBkBitmap(background, listView)) {
        LVBKIMAGE image;
        image.ulFlags = LVBKIF_SOURCE_HBITMAP | LVBKIF_STYLE_TILE;
        image.hbm = bitmap;
        SendMessage(listView, LVM_SETBKIMAGE, 0, reinterpret_cast<LPARAM>(&image));
        DeleteObject(bitmap);
    }
    SendMessage(listView, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(GetSkinColor(SKIN_CLR_TEXT)));
}

}  // namespace Skins
