#pragma once
// Image lists: a row of same-sized pictures addressed by index, filled from
// strip bitmaps or icons and drawn with their transparency. A list keeps its
// own copies of the pictures; the bitmaps and icons it was filled from may be
// deleted afterwards. Bad indices and handles that are not live lists answer
// failure.

#include "GdiTypes.h"
#include "Icon.h"
#include "PlatformTypes.h"
#include "YolTypes.h"

struct ImageListData;
using HIMAGELIST = ImageListData*;

// ImageList_Create flags. With ILC_COLOR32 the alpha of 32-bit bitmaps is
// kept; with ILC_MASK the mask given to ImageList_Add makes pixels
// transparent.
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR32 = 0x0020;

// ImageList_Draw styles. ILD_NORMAL lays the image on the list's background
// colour when one is set (see ImageList_SetBkColor); ILD_TRANSPARENT always
// draws only the image's own opaque pixels.
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;

// No background colour.
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;

// Null for a size that is not positive. initial and grow only size the
// first allocations.
YOL_API HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
YOL_API bool ImageList_Destroy(HIMAGELIST list);
// Adds every cx-wide image of the bitmap, left to right (width / cx of
// them); answers the index of the first, or -1.
YOL_API int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// Puts the icon, scaled to the list's size, at index (-1 appends); answers
// the index or -1.
YOL_API int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
YOL_API int ImageList_AddIcon(HIMAGELIST list, HICON icon);
// Removes one image (the later ones move down) or, with -1, all of them.
YOL_API bool ImageList_Remove(HIMAGELIST list, int index);
// Draws image index at (x, y) at the list's size.
YOL_API bool ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
YOL_API int ImageList_GetImageCount(HIMAGELIST list);
YOL_API bool ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// The colour ILD_NORMAL draws behind images (CLR_NONE: none, the start);
// answers the previous one, CLR_NONE for a bad handle.
YOL_API COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour);
YOL_API COLORREF ImageList_GetBkColor(HIMAGELIST list);
