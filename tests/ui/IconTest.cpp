// Icons, image lists and the shell pictures made of them: transparency from
// masks and alpha, scaling, ownership of the bitmaps, and bad handles.

#include "GdiTestSupport.h"
#include "WindowTestSupport.h"

#include "Backends/Backend.h"
#include "Drawing/Icon.h"
#include "Drawing/ImageList.h"
#include "Shell/ShellNotification.h"
#include "Shell/Tray.h"

#include <vector>

using namespace GdiTest;

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// An opaque bitmap painted column by column (each column strip one colour,
// left to right), as the program paints its pictures with GDI.
HBITMAP Stripes(const std::vector<COLORREF>& columns, int columnWidth, int height) {
    const int width = static_cast<int>(columns.size()) * columnWidth;
    HBITMAP bitmap = CreateCompatibleBitmap(nullptr, width, height);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const RECT r{static_cast<int>(i) * columnWidth, 0, static_cast<int>(i + 1) * columnWidth, height};
        HBRUSH brush = CreateSolidBrush(columns[i]);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

// A 32-bit top-down bitmap of premultiplied 0xAARRGGBB pixels, row by row.
HBITMAP Dib(int width, int height, const std::vector<std::uint32_t>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    return bitmap;
}

// An icon from a colour bitmap and a mask; the bitmaps are deleted at once,
// as the program does.
HICON MakeIcon(HBITMAP colour, HBITMAP mask) {
    ICONINFO info;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

// 4 x 2: red left half, blue right half; the mask makes the left column of
// each half transparent.
HICON HalvesIcon() {
    return MakeIcon(Stripes({kRed, kRed, kBlue, kBlue}, 1, 2), Stripes({kWhite, kBlack, kWhite, kBlack}, 1, 2));
}

class Icons : public GdiFixture {};

TEST_F(Icons, SetMaskPixelsAreTransparentAndBitmapsMayGoAtOnce) {
    HICON icon = HalvesIcon();
    ASSERT_NE(icon, nullptr);
    Canvas canvas(6, 4, kGreen);
    ASSERT_TRUE(DrawIconEx(canvas.dc, 1, 1, icon, 0, 0, 0, nullptr, DI_NORMAL));
    const struct {
        int x;
        COLORREF expected;
    } row[] = {{0, kGreen}, {1, kGreen}, {2, kRed}, {3, kGreen}, {4, kBlue}, {5, kGreen}};
    for (const auto& c : row)
        EXPECT_EQ(canvas.Pixel(c.x, 1), c.expected) << "x " << c.x;
    EXPECT_EQ(canvas.Pixel(2, 3), kGreen) << "nothing below the icon";
    SIZE size;
    ASSERT_TRUE(Platform::GetIconSize(icon, &size));
    EXPECT_EQ(size.cx, 4);
    EXPECT_EQ(size.cy, 2);
    EXPECT_TRUE(DestroyIcon(icon));
}

TEST_F(Icons, AlphaOfA32BitPictureWinsOverTheMask) {
    // Opaque blue, half-transparent red (premultiplied), fully transparent.
    HICON icon = MakeIcon(Dib(3, 1, {0xFF0000FF, 0x80800000, 0x00000000}), Stripes({kBlack}, 3, 1));
    ASSERT_NE(icon, nullptr);
    Canvas canvas(3, 1, kWhite);
    DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(canvas.Pixel(0, 0), kBlue);
    const COLORREF blended = canvas.Pixel(1, 0);
    EXPECT_EQ(GetRValue(blended), 255u);
    EXPECT_NEAR(GetGValue(blended), 127, 2);
    EXPECT_EQ(canvas.Pixel(2, 0), kWhite) << "alpha 0 shows the background although the mask is clear";
    DestroyIcon(icon);
}

TEST_F(Icons, A32BitPictureWithoutAlphaIsOpaqueWhereTheMaskIsClear) {
    HICON icon = MakeIcon(Dib(2, 1, {0x00FF0000, 0x000000FF}), Stripes({kBlack, kWhite}, 1, 1));
    Canvas canvas(2, 1, kGreen);
    DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(canvas.Pixel(0, 0), kRed);
    EXPECT_EQ(canvas.Pixel(1, 0), kGreen);
    DestroyIcon(icon);
}

TEST_F(Icons, GrowsByWholePixelsAndShrinksByAveraging) {
    HICON icon = MakeIcon(Stripes({kRed, kBlue}, 1, 2), Stripes({kBlack}, 2, 2));
    Canvas big(8, 8, kWhite);
    ASSERT_TRUE(DrawIconEx(big.dc, 0, 0, icon, 8, 8, 0, nullptr, DI_NORMAL));
    for (int y : {0, 7}) {
        EXPECT_EQ(big.Pixel(0, y), kRed);
        EXPECT_EQ(big.Pixel(3, y), kRed);
        EXPECT_EQ(big.Pixel(4, y), kBlue);
        EXPECT_EQ(big.Pixel(7, y), kBlue);
    }
    DestroyIcon(icon);

    HICON wide = MakeIcon(Stripes({kRed, kBlue}, 8, 8), Stripes({kBlack}, 16, 8));
    Canvas small(4, 4, kWhite);
    ASSERT_TRUE(DrawIconEx(small.dc, 0, 0, wide, 4, 4, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(small.Pixel(0, 1), kRed);
    EXPECT_EQ(small.Pixel(3, 2), kBlue);
    DestroyIcon(wide);
}

TEST_F(Icons, DrawFlagsAndBackgroundBrush) {
    Canvas canvas(12, 2, kGreen);
    HICON icon = HalvesIcon();
    HBRUSH yellow = CreateSolidBrush(kYellow);
    DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, yellow, DI_NORMAL);
    DrawIconEx(canvas.dc, 4, 0, icon, 0, 0, 0, nullptr, DI_IMAGE);
    DrawIconEx(canvas.dc, 8, 0, icon, 0, 0, 0, nullptr, DI_MASK);
    const COLORREF expected[12] = {kYellow, kRed,  kYellow, kBlue,  kRed,   kRed,
                                   kBlue,   kBlue, kGreen,  kBlack, kGreen, kBlack};
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(canvas.Pixel(x, 0), expected[x]) << "x " << x;
    EXPECT_FALSE(DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, 0));
    DeleteObject(yellow);
    DestroyIcon(icon);
}

TEST_F(Icons, CopiesAndInfoOutliveTheOriginal) {
    HICON icon = HalvesIcon();
    HICON copy = CopyIcon(icon);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, icon);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 2u);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon)) << "destroyed already";

    HICON rebuilt = MakeIcon(info.hbmColor, info.hbmMask);
    ASSERT_NE(rebuilt, nullptr);
    for (HICON each : {copy, rebuilt}) {
        Canvas canvas(4, 2, kGreen);
        ASSERT_TRUE(DrawIconEx(canvas.dc, 0, 0, each, 0, 0, 0, nullptr, DI_NORMAL));
        EXPECT_EQ(canvas.Pixel(0, 0), kGreen);
        EXPECT_EQ(canvas.Pixel(1, 0), kRed);
        EXPECT_EQ(canvas.Pixel(3, 1), kBlue);
        DestroyIcon(each);
    }
}

TEST_F(Icons, BadInputsAnswerFailure) {
    HBITMAP colour = Stripes({kRed}, 4, 4);
    HBITMAP smallMask = Stripes({kBlack}, 2, 2);
    ICONINFO info;
    EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
    info.hbmColor = colour;
    EXPECT_EQ(CreateIconIndirect(&info), nullptr) << "no mask";
    info.hbmMask = smallMask;
    EXPECT_EQ(CreateIconIndirect(&info), nullptr) << "mask smaller than the picture";
    info.hbmMask = reinterpret_cast<HBITMAP>(GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(CreateIconIndirect(&info), nullptr) << "a brush is no mask";
    DeleteObject(colour);
    DeleteObject(smallMask);

    Canvas canvas(2, 2);
    const HICON notAnIcon = reinterpret_cast<HICON>(GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(DrawIconEx(canvas.dc, 0, 0, notAnIcon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_FALSE(DestroyIcon(nullptr));
    EXPECT_EQ(CopyIcon(notAnIcon), nullptr);
    EXPECT_FALSE(GetIconInfo(nullptr, &info));
}

class ImageLists : public GdiFixture {
protected:
    void TearDown() override { EXPECT_TRUE(ImageList_Destroy(list)); }
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 4, 4);
};

TEST_F(ImageLists, AddsEveryImageOfAStripWithItsMask) {
    HBITMAP strip = Stripes({kRed, kRed, kBlue, kBlue, kYellow, kYellow}, 1, 2);
    HBITMAP mask = Stripes({kWhite, kBlack, kBlack, kBlack, kBlack, kWhite}, 1, 2);
    EXPECT_EQ(ImageList_Add(list, strip, mask), 0);
    EXPECT_EQ(ImageList_Add(list, strip, nullptr), 3) << "the next index after the three";
    DeleteObject(strip);
    DeleteObject(mask);
    EXPECT_EQ(ImageList_GetImageCount(list), 6);

    Canvas canvas(6, 2, kGreen);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(ImageList_Draw(list, i, canvas.dc, i * 2, 0, ILD_TRANSPARENT));
    const COLORREF expected[6] = {kGreen, kRed, kBlue, kBlue, kYellow, kGreen};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(canvas.Pixel(x, 1), expected[x]) << "x " << x;
    ImageList_Draw(list, 3, canvas.dc, 0, 0, ILD_NORMAL);
    EXPECT_EQ(canvas.Pixel(0, 0), kRed) << "added without a mask: opaque";
}

TEST_F(ImageLists, MaskAndAlphaCountOnlyWithTheirFlags) {
    HIMAGELIST plain = ImageList_Create(1, 1, 0, 1, 1);
    HBITMAP colour = Dib(2, 1, {0x80800000, 0xFF00FF00});
    HBITMAP mask = Stripes({kBlack, kWhite}, 1, 1);
    EXPECT_EQ(ImageList_Add(plain, colour, mask), 0);
    Canvas canvas(2, 1, kBlue);
    ImageList_Draw(plain, 0, canvas.dc, 0, 0, ILD_TRANSPARENT);
    ImageList_Draw(plain, 1, canvas.dc, 1, 0, ILD_TRANSPARENT);
    EXPECT_EQ(canvas.Pixel(0, 0), kRed) << "alpha left out without ILC_COLOR32";
    EXPECT_EQ(canvas.Pixel(1, 0), kGreen) << "mask left out without ILC_MASK";
    DeleteObject(colour);
    DeleteObject(mask);
    EXPECT_TRUE(ImageList_Destroy(plain));
}

TEST_F(ImageLists, BackgroundColourFillsTransparentPartsOnlyForNormalDrawing) {
    HICON icon = MakeIcon(Stripes({kRed, kBlue}, 1, 2), Stripes({kWhite, kBlack}, 1, 2));
    ASSERT_EQ(ImageList_AddIcon(list, icon), 0);
    DestroyIcon(icon);
    EXPECT_EQ(ImageList_SetBkColor(list, kYellow), CLR_NONE);
    Canvas canvas(4, 2, kGreen);
    ImageList_Draw(list, 0, canvas.dc, 0, 0, ILD_NORMAL);
    ImageList_Draw(list, 0, canvas.dc, 2, 0, ILD_TRANSPARENT);
    const COLORREF expected[4] = {kYellow, kBlue, kGreen, kBlue};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(canvas.Pixel(x, 1), expected[x]) << "x " << x;
    EXPECT_EQ(ImageList_GetBkColor(list), kYellow);
}

TEST_F(ImageLists, IconsAreScaledToTheListAndReplaceInPlace) {
    HICON red = MakeIcon(Stripes({kRed}, 1, 1), Stripes({kBlack}, 1, 1));
    HICON blue = MakeIcon(Stripes({kBlue}, 4, 4), Stripes({kBlack}, 4, 4));
    EXPECT_EQ(ImageList_AddIcon(list, red), 0);
    EXPECT_EQ(ImageList_AddIcon(list, red), 1);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, blue), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 2, blue), -1) << "past the end";
    DestroyIcon(red);
    DestroyIcon(blue);
    Canvas canvas(4, 2, kWhite);
    ImageList_Draw(list, 0, canvas.dc, 0, 0, ILD_NORMAL);
    ImageList_Draw(list, 1, canvas.dc, 2, 0, ILD_NORMAL);
    for (const POINT p : {POINT{0, 0}, POINT{1, 1}})
        EXPECT_EQ(canvas.Pixel(p.x, p.y), kBlue);
    for (const POINT p : {POINT{2, 0}, POINT{3, 1}})
        EXPECT_EQ(canvas.Pixel(p.x, p.y), kRed);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 2);
    EXPECT_EQ(cy, 2);
}

TEST_F(ImageLists, RemoveOneMovesTheRestDownAndMinusOneEmpties) {
    HBITMAP strip = Stripes({kRed, kBlue, kYellow}, 2, 2);
    ImageList_Add(list, strip, nullptr);
    DeleteObject(strip);
    ASSERT_EQ(ImageList_GetImageCount(list), 3);
    EXPECT_FALSE(ImageList_Remove(list, 3));
    EXPECT_TRUE(ImageList_Remove(list, 0));
    Canvas canvas(2, 2);
    ImageList_Draw(list, 0, canvas.dc, 0, 0, ILD_NORMAL);
    EXPECT_EQ(canvas.Pixel(0, 0), kBlue);
    EXPECT_TRUE(ImageList_Remove(list, -1));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_FALSE(ImageList_Draw(list, 0, canvas.dc, 0, 0, ILD_NORMAL));
}

TEST_F(ImageLists, BadHandlesSizesAndIndicesAnswerFailure) {
    Canvas canvas(2, 2);
    HBITMAP narrow = Stripes({kRed}, 1, 2);
    EXPECT_EQ(ImageList_Add(list, narrow, nullptr), -1) << "narrower than one image";
    EXPECT_EQ(ImageList_Create(0, 16, ILC_COLOR32, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Add(nullptr, narrow, nullptr), -1);
    EXPECT_EQ(ImageList_AddIcon(list, nullptr), -1);
    EXPECT_FALSE(ImageList_Draw(list, -1, canvas.dc, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(nullptr, 0, canvas.dc, 0, 0, ILD_NORMAL));
    EXPECT_EQ(ImageList_GetImageCount(nullptr), 0);
    int cx = 0, cy = 0;
    EXPECT_FALSE(ImageList_GetIconSize(nullptr, &cx, &cy));
    EXPECT_FALSE(ImageList_Remove(nullptr, -1));
    EXPECT_FALSE(ImageList_Destroy(nullptr));
    DeleteObject(narrow);
}

// The shell's tray and bubble draw their own copies of the icons they get.
class ShellIcons : public ui_test::WindowTest {
protected:
    void TearDown() override {
        for (const auto& n : Platform::GetShellNotifications())
            SHNotificationRemove(&n.clsid, n.id);
        WindowTest::TearDown();
    }
};

TEST_F(ShellIcons, TrayDrawsItsIconAfterTheCallerDestroyedIt) {
    ui_test::Recorder rec;
    HWND w = Make(rec);
    NOTIFYICONDATA data;
    data.hWnd = w;
    data.uID = 5999;
    data.uFlags = NIF_ICON;
    data.hIcon = HalvesIcon();
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    // The program destroys its icon before it removes it from the tray.
    DestroyIcon(data.hIcon);
    Canvas canvas(16, 4, kGreen);
    EXPECT_EQ(Platform::DrawTrayIcons(canvas.dc, RECT{0, 0, 16, 4}), 1);
    // The 4 x 2 icon stretched into a 4 x 4 square.
    const COLORREF expected[6] = {kGreen, kRed, kGreen, kBlue, kGreen, kGreen};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(canvas.Pixel(x, 3), expected[x]) << "x " << x;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &data));
    EXPECT_EQ(Platform::DrawTrayIcons(canvas.dc, RECT{0, 0, 16, 4}), 0);
}

TEST_F(ShellIcons, BubbleShowsTheNotificationIconBeforeTheTitle) {
    ui_test::Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    SHNOTIFICATIONDATA data;
    data.dwID = 7;
    data.clsid = YOL_GUID{0x1C0E7E57, 0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7, 0x8, 0x9, 0xA};
    data.hwndSink = sink;
    data.grfFlags = SHNF_SILENT;
    data.pszTitle = u"Title";
    data.hicon = MakeIcon(Stripes({kYellow}, 2, 2), Stripes({kBlack}, 2, 2));
    ASSERT_EQ(SHNotificationAdd(&data), SHN_OK);
    DestroyIcon(data.hicon);
    HWND bubble = Platform::GetNotificationBubble();
    ASSERT_NE(bubble, nullptr);
    Platform::PumpMessages();
    RECT r;
    GetWindowRect(bubble, &r);
    cairo_surface_t* screen = Platform::CurrentBackend().Compose();
    // At 192 dpi the icon is 32 pixels square, 8 in from the left and
    // centred in the 40-pixel title band.
    EXPECT_EQ(Platform::GetSurfacePixel(screen, r.left + 8 + 16, r.top + 20), kYellow);
    EXPECT_NE(Platform::GetSurfacePixel(screen, r.left + 8 + 40, r.top + 20), kYellow);
}

} // namespace
