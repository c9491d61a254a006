// Image lists.

#include "ImageList.h"

#include "Gdi.h"
#include "IconImpl.h"

#include <mutex>
#include <unordered_set>
#include <vector>

struct ImageListData {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    COLORREF background = CLR_NONE;
    std::vector<cairo_surface_t*> images;  // own references, cx x cy ARGB32

    ImageListData() = default;
    ImageListData(const ImageListData&) = delete;
    ImageListData& operator=(const ImageListData&) = delete;
    ~ImageListData() {
        for (cairo_surface_t* image : images)
            cairo_surface_destroy(image);
    }
};

namespace {

// One lock for every list: lists are small and their pictures never change
// once added, so drawing takes a reference and lets go of the lock.
struct Lists {
    std::mutex m;
    std::unordered_set<ImageListData*> live;
};

Lists& TheLists() {
    static Lists* lists = new Lists;
    return *lists;
}

// The live list behind a handle, with the lock held.
class Locked {
public:
    explicit Locked(HIMAGELIST handle) : lock_(TheLists().m) {
        if (handle && TheLists().live.count(handle))
            list_ = handle;
    }
    ImageListData* operator->() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }
    bool Has(int index) const { return index >= 0 && static_cast<std::size_t>(index) < list_->images.size(); }

private:
    std::lock_guard<std::mutex> lock_;
    ImageListData* list_ = nullptr;
};

// The icon's picture at the list's size.
cairo_surface_t* Scaled(cairo_surface_t* picture, int cx, int cy) {
    if (cairo_image_surface_get_width(picture) == cx && cairo_image_surface_get_height(picture) == cy)
        return cairo_surface_reference(picture);
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cx, cy);
    HDC dc = Platform::CreateSurfaceDC(out, POINT{});
    if (dc) {
        Platform::PaintPicture(dc, picture, 0, 0, cx, cy);
        DeleteDC(dc);
    }
    cairo_surface_flush(out);
    return out;
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    if (cx <= 0 || cy <= 0 || initial < 0 || grow < 0)
        return nullptr;
    auto* list = new ImageListData;
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->images.reserve(static_cast<std::size_t>(initial));
    Lists& lists = TheLists();
    std::lock_guard<std::mutex> lock(lists.m);
    lists.live.insert(list);
    return list;
}

bool ImageList_Destroy(HIMAGELIST list) {
    {
        Lists& lists = TheLists();
        std::lock_guard<std::mutex> lock(lists.m);
        if (!list || !lists.live.erase(list))
            return false;
    }
    delete list;
    return true;
}

int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask) {
    cairo_surface_t* colour = Platform::GetBitmapSurface(image);
    cairo_surface_t* maskSurface = mask ? Platform::GetBitmapSurface(mask) : nullptr;
    if (!colour || (mask && !maskSurface))
        return -1;
    Locked list(handle);
    if (!list)
        return -1;
    const int count = cairo_image_surface_get_width(colour) / list->cx;
    if (count <= 0)
        return -1;
    const Platform::MaskUse use =
        (list->flags & ILC_COLOR32) ? Platform::MaskUse::AlphaOrMask : Platform::MaskUse::MaskOnly;
    cairo_surface_t* usedMask = (list->flags & ILC_MASK) ? maskSurface : nullptr;
    std::vector<cairo_surface_t*> added;
    for (int i = 0; i < count; ++i) {
        cairo_surface_t* picture =
            Platform::ComposePicture(colour, usedMask, {i * list->cx, 0, list->cx, list->cy}, use);
        if (!picture) {
            for (cairo_surface_t* s : added)
                cairo_surface_destroy(s);
            return -1;
        }
        added.push_back(picture);
    }
    const int first = static_cast<int>(list->images.size());
    list->images.insert(list->images.end(), added.begin(), added.end());
    return first;
}

int ImageList_ReplaceIcon(HIMAGELIST handle, int index, HICON icon) {
    cairo_surface_t* picture = Platform::IconPicture(icon);
    if (!picture)
        return -1;
    int cx = 0;
    int cy = 0;
    if (!ImageList_GetIconSize(handle, &cx, &cy)) {
        cairo_surface_destroy(picture);
        return -1;
    }
    cairo_surface_t* scaled = Scaled(picture, cx, cy);
    cairo_surface_destroy(picture);
    Locked list(handle);
    if (!list || (index != -1 && !list.Has(index)) || list->cx != cx || list->cy != cy) {
        cairo_surface_destroy(scaled);
        return -1;
    }
    if (index == -1) {
        list->images.push_back(scaled);
        return static_cast<int>(list->images.size()) - 1;
    }
    cairo_surface_destroy(list->images[static_cast<std::size_t>(index)]);
    list->images[static_cast<std::size_t>(index)] = scaled;
    return index;
}

int ImageList_AddIcon(HIMAGELIST list, HICON icon) {
    return ImageList_ReplaceIcon(list, -1, icon);
}

bool ImageList_Remove(HIMAGELIST handle, int index) {
    Locked list(handle);
    if (!list || (index != -1 && !list.Has(index)))
        return false;
    auto& images = list->images;
    const auto from = index == -1 ? images.begin() : images.begin() + index;
    const auto to = index == -1 ? images.end() : from + 1;
    for (auto it = from; it != to; ++it)
        cairo_surface_destroy(*it);
    images.erase(from, to);
    return true;
}

bool ImageList_Draw(HIMAGELIST handle, int index, HDC dc, int x, int y, UINT style) {
    cairo_surface_t* picture = nullptr;
    int cx = 0;
    int cy = 0;
    COLORREF background = CLR_NONE;
    {
        Locked list(handle);
        if (!dc || !list || !list.Has(index))
            return false;
        picture = cairo_surface_reference(list->images[static_cast<std::size_t>(index)]);
        cx = list->cx;
        cy = list->cy;
        background = list->background;
    }
    if (!(style & ILD_TRANSPARENT) && background != CLR_NONE) {
        HBRUSH brush = CreateSolidBrush(background);
        const RECT r{x, y, x + cx, y + cy};
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    Platform::PaintPicture(dc, picture, x, y, cx, cy);
    cairo_surface_destroy(picture);
    return true;
}

int ImageList_GetImageCount(HIMAGELIST handle) {
    Locked list(handle);
    return list ? static_cast<int>(list->images.size()) : 0;
}

bool ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy) {
    Locked list(handle);
    if (!list || !cx || !cy)
        return false;
    *cx = list->cx;
    *cy = list->cy;
    return true;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF colour) {
    Locked list(handle);
    if (!list)
        return CLR_NONE;
    const COLORREF previous = list->background;
    list->background = colour == CLR_NONE ? CLR_NONE : (colour & 0xFFFFFF);
    return previous;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle) {
    Locked list(handle);
    return list ? list->background : CLR_NONE;
}
