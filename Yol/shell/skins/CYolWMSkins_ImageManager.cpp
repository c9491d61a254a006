#include "CYolWMSkins_ImageManager.h"

#include "CYolPath.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"
#include "SkinImages.h"

namespace Skins {

namespace {

// Selects a bitmap into a memory context for one blit and lets go of both.
class SourceDC {
public:
    SourceDC(HDC target, HBITMAP bitmap) : dc(CreateCompatibleDC(target)) {
        if (dc != nullptr)
            previous = SelectObject(dc, bitmap);
    }
    ~SourceDC() {
        if (dc == nullptr)
            return;
        if (previous != nullptr)
            SelectObject(dc, previous);
        DeleteDC(dc);
    }
    SourceDC(const SourceDC&) = delete;
    SourceDC& operator=(const SourceDC&) = delete;

    HDC Get() const { return previous != nullptr ? dc : nullptr; }

private:
    HDC dc;
    HGDIOBJ previous = nullptr;
};

BLENDFUNCTION Blend(int alpha) {
    BLENDFUNCTION blend;
    blend.BlendOp = AC_SRC_OVER;
    blend.SourceConstantAlpha = static_cast<std::uint8_t>(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
    blend.AlphaFormat = AC_SRC_ALPHA;
    return blend;
}

void BlendInto(HDC dc, int x, int y, int width, int height, const CYolWMSkins_ImageManager::CBitmap& bitmap,
               int alpha) {
    if (width <= 0 || height <= 0)
        return;
    SourceDC source(dc, bitmap.GetHandle());
    if (source.Get() != nullptr)
        AlphaBlend(dc, x, y, width, height, source.Get(), 0, 0, bitmap.GetWidth(), bitmap.GetHeight(), Blend(alpha));
}

}  // namespace

CYolWMSkins_ImageManager::CBitmap::CBitmap(const CYolString& path) {
    cairo_surface_t* surface = Platform::LoadSurfacePicture(CYolPath::ToNative(path).c_str());
    if (surface == nullptr)
        return;
    handle = Platform::CreateBitmapFromSurface(surface);
    Platform::ReleaseSurface(surface);
    BITMAP info{};
    if (handle != nullptr && GetObject(handle, sizeof info, &info) == static_cast<int>(sizeof info)) {
        width = info.bmWidth;
        height = info.bmHeight;
    }
}

CYolWMSkins_ImageManager::CBitmap::~CBitmap() {
    if (handle != nullptr)
        DeleteObject(handle);
}

CYolWMSkins_ImageManager::CYolWMSkins_ImageManager(SkinNameSource source) : skinName(std::move(source)) {
    images.SetGrowStep(10);
    for (int id = 0; id < SKIN_IMG_COUNT; ++id)
        images.Add(new CImage);
}

CYolWMSkins_ImageManager::~CYolWMSkins_ImageManager() {
    for (CImage* image : images) {
        delete image->bitmap;
        delete image;
    }
}

CYolWMSkins_ImageManager::CImage* CYolWMSkins_ImageManager::Entry(int id) const {
    return id >= 0 && id < images.Count() ? images[id] : nullptr;
}

int CYolWMSkins_ImageManager::Register(const CYolString& fileName) {
    std::lock_guard<std::mutex> guard(lock);
    for (int id = 0; id < images.Count(); ++id) {
        const bool same = id < SKIN_IMG_COUNT ? fileName == GetSkinImageFileName(id) : fileName == images[id]->fileName;
        if (same) {
            ++images[id]->refCount;
            return id;
        }
    }
    auto* image = new CImage;
    image->fileName = fileName;
    return images.Add(image);
}

void CYolWMSkins_ImageManager::Release(int id) {
    std::lock_guard<std::mutex> guard(lock);
    CImage* image = Entry(id);
    if (image == nullptr || --image->refCount > 0)
        return;
    delete image->bitmap;
    image->bitmap = nullptr;
    image->refCount = 0;
}

void CYolWMSkins_ImageManager::LoadLocked(CImage& image, int id) {
    const CYolString fileName = id < SKIN_IMG_COUNT ? CYolString(GetSkinImageFileName(id)) : image.fileName;
    auto* bitmap = new CBitmap(GetSkinFilePath(skinName ? skinName() : CYolString(), fileName));
    delete image.bitmap;
    image.bitmap = bitmap;
}

void CYolWMSkins_ImageManager::LoadImage(int id) {
    std::lock_guard<std::mutex> guard(lock);
    if (CImage* image = Entry(id))
        LoadLocked(*image, id);
}

void CYolWMSkins_ImageManager::UnloadImages() {
    std::lock_guard<std::mutex> guard(lock);
    for (CImage* image : images) {
        delete image->bitmap;
        image->bitmap = nullptr;
    }
}

const CYolWMSkins_ImageManager::CBitmap* CYolWMSkins_ImageManager::Picture(int id) {
    CImage* image = Entry(id);
    if (image == nullptr)
        return nullptr;
    if (image->bitmap == nullptr)
        LoadLocked(*image, id);
    return image->bitmap->GetHandle() != nullptr ? image->bitmap : nullptr;
}

void CYolWMSkins_ImageManager::Draw(int id, HDC dc, const POINT& at, int alpha) {
    std::lock_guard<std::mutex> guard(lock);
    if (const CBitmap* bitmap = Picture(id))
        BlendInto(dc, at.x, at.y, Platform::ScaleX(16), Platform::ScaleY(16), *bitmap, alpha);
}

void CYolWMSkins_ImageManager::DrawRect(int id, HDC dc, int left, int top, int right, int bottom, bool stretch,
                                        int alpha) {
    std::lock_guard<std::mutex> guard(lock);
    const CBitmap* bitmap = Picture(id);
    if (bitmap == nullptr)
        return;
    if (stretch) {
        BlendInto(dc, left, top, right - left, bottom - top, *bitmap, alpha);
        return;
    }
    HBRUSH brush = CreatePatternBrush(bitmap->GetHandle());
    if (brush == nullptr)
        return;
    const RECT area{left, top, right, bottom};
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

SIZE CYolWMSkins_ImageManager::GetImageSize(int id) {
    std::lock_guard<std::mutex> guard(lock);
    SIZE size;
    if (const CBitmap* bitmap = Picture(id)) {
        size.cx = bitmap->GetWidth();
        size.cy = bitmap->GetHeight();
    }
    return size;
}

int CYolWMSkins_ImageManager::GetCount() const {
    std::lock_guard<std::mutex> guard(lock);
    return images.Count();
}

int CYolWMSkins_ImageManager::GetRefCount(int id) const {
    std::lock_guard<std::mutex> guard(lock);
    const CImage* image = Entry(id);
    return image != nullptr ? image->refCount : -1;
}

bool CYolWMSkins_ImageManager::IsLoaded(int id) const {
    std::lock_guard<std::mutex> guard(lock);
    const CImage* image = Entry(id);
    return image != nullptr && image->bitmap != nullptr && image->bitmap->GetHandle() != nullptr;
}

}  // namespace Skins
