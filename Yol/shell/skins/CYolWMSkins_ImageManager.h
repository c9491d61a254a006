#pragma once
// Skins::CYolWMSkins_ImageManager: the program's store of skin pictures.
//
// Ids 0-121 are the built-in pictures (TSkinImage), each with one reference
// of the program's own; pictures the plug-ins register by file name follow
// from 122 on. An entry is never removed while the store lives, so an id
// stays valid: at zero references only the picture is freed, and the next
// draw loads it again. Pictures are read from the current skin's folder on
// first use; one that cannot be read is remembered as missing (drawn as
// nothing, size 0 x 0) until UnloadImages.
//
// Drawing runs on the UI thread; Register and Release also come from the
// plug-ins' threads through the skin service, so every entry is touched
// under one lock.

#include "CSkinImageStore.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "PlatformTypes.h"

#include <functional>
#include <mutex>

namespace Skins {

class CYolWMSkins_ImageManager final : public CSkinImageStore {
public:
    // A decoded picture: a 32-bit bitmap of premultiplied blue, green, red,
    // alpha pixels; no handle when the file could not be read.
    class CBitmap {
    public:
        explicit CBitmap(const CYolString& path);
        ~CBitmap();
        CBitmap(const CBitmap&) = delete;
        CBitmap& operator=(const CBitmap&) = delete;

        HBITMAP GetHandle() const { return handle; }
        int GetWidth() const { return width; }
        int GetHeight() const { return height; }

    private:
        HBITMAP handle = nullptr;
        int width = 0;
        int height = 0;
    };

    struct CImage {
        CBitmap* bitmap = nullptr;  // owned; null until loaded
        CYolString fileName;        // empty for the built-in ids
        int refCount = 1;
    };

    // The current skin's folder name, asked at each load (the "SkinName"
    // preference).
    using SkinNameSource = std::function<CYolString()>;

    explicit CYolWMSkins_ImageManager(SkinNameSource skinName);
    ~CYolWMSkins_ImageManager();
    CYolWMSkins_ImageManager(const CYolWMSkins_ImageManager&) = delete;
    CYolWMSkins_ImageManager& operator=(const CYolWMSkins_ImageManager&) = delete;

    int Register(const CYolString& fileName) override;
    void Release(int id) override;

    void LoadImage(int id);
    void UnloadImages();

    // The picture scaled into 16 x 16 logical pixels at `at`, blended with
    // constant alpha `alpha` (0-255) and its own per-pixel alpha.
    void Draw(int id, HDC dc, const POINT& at, int alpha);
    // stretch false: the rectangle tiled with the picture from the context's
    // brush origin (alpha ignored); true: the picture stretched over it and
    // blended as Draw does.
    void DrawRect(int id, HDC dc, int left, int top, int right, int bottom, bool stretch, int alpha);
    SIZE GetImageSize(int id);

    // For the skin service's bookkeeping and the tests.
    int GetCount() const;
    // -1 for an id the store never gave.
    int GetRefCount(int id) const;
    bool IsLoaded(int id) const;

private:
    // The entry's picture, loaded on first use; null for -1, ids the store
    // never gave and pictures that could not be read. Call under `lock`.
    const CBitmap* Picture(int id);
    CImage* Entry(int id) const;
    void LoadLocked(CImage& image, int id);

    SkinNameSource skinName;
    mutable std::mutex lock;
    CYolArray<CImage*> images;
};

}  // namespace Skins
