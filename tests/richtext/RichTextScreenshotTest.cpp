// A history-style view on the 192 dpi screen: nicknames, text in three
// scripts, a link, a selection across two messages and an animated smiley
// shown at two frames. Both frames are written as screenshots
// (richtext_frame1.png, richtext_frame2.png in the tests' folder), and the
// second frame must change the smiley's pixels and nothing else.

#include "CYolWMRTE_Ctrl.h"
#include "RichTextTestSupport.h"
#include "WindowTestSupport.h"

#include <cairo.h>
#include <gtest/gtest.h>

using namespace richtext_test;

namespace {

class Smiley final : public RTE::CRTEPicture {
public:
    void GetSize(SIZE* size) override { *size = SIZE{32, 32}; }
    void Draw(HDC hdc, POINT at) override
    {
        HBRUSH face = CreateSolidBrush(0x00D8FF);
        HGDIOBJ oldBrush = SelectObject(hdc, face);
        Ellipse(hdc, at.x + 1, at.y + 1, at.x + 31, at.y + 31);
        HBRUSH eye = CreateSolidBrush(0x000000);
        SelectObject(hdc, eye);
        Ellipse(hdc, at.x + 9, at.y + (frame == 0 ? 8 : 12), at.x + 14, at.y + 14);
        Ellipse(hdc, at.x + 18, at.y + 8, at.x + 23, at.y + 14);
        RECT mouth{at.x + 9, at.y + 21, at.x + 23, at.y + 24};
        FillRect(hdc, &mouth, eye);
        SelectObject(hdc, oldBrush);
        DeleteObject(face);
        DeleteObject(eye);
    }
    const char16_t* GetText() override { return u":-)"; }
    int frame = 0;
};

class HistoryOwner final : public RTE::CYolWMRTE_Ctrl::MRTEObserver {
public:
    HistoryOwner()
    {
        LOGFONTW logFont;
        logFont.lfHeight = -26;
        text = CreateFontIndirect(&logFont);
        logFont.lfWeight = FW_BOLD;
        nick = CreateFontIndirect(&logFont);
        logFont.lfWeight = FW_NORMAL;
        logFont.lfUnderline = 1;
        link = CreateFontIndirect(&logFont);
    }
    ~HistoryOwner()
    {
        DeleteObject(text);
        DeleteObject(nick);
        DeleteObject(link);
    }
    void GetPartFont(RTE::TPartFont& part, int kind) override
    {
        part.font = kind == 2 ? nick : kind == RTE::kLinkKind ? link : text;
        part.color = kind == 2 ? 0x0000B0 : kind == RTE::kLinkKind ? 0xC04000 : 0x202020;
    }
    void GetColors(COLORREF& selectedText, COLORREF& background) override
    {
        selectedText = 0xFFFFFF;
        background = 0x804000;
    }
    int GetTextHeight() override { return -13; }
    int OnLinkActivated(const char16_t*, int) override { return 1; }
    bool IsCaretMoveEnabled(bool) override { return true; }

    HFONT text;
    HFONT nick;
    HFONT link;
};

using RichTextScreenshot = ui_test::WindowTest;

TEST_F(RichTextScreenshot, AnAnimatedSmileyChangesOnlyItsOwnPixels)
{
    ui_test::Recorder rec;
    HWND parent = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 640});
    HistoryOwner owner;
    Smiley smiley;
    RTE::CYolWMRTE_Ctrl ctrl(&owner);
    ASSERT_TRUE(ctrl.Create(nullptr, parent, WS_VISIBLE, RECT{0, 0, 480, 600}));
    const std::vector<std::vector<Piece>> messages = {
        {{"Anna 12:01", 2}, {"\nHello! The notes are at ", 1}, {"https://example.org/notes", RTE::kLinkKind}},
        {{"Борис 12:02", 2}, {"\nПривет! Посмотрю вечером, спасибо ", 1}, {nullptr, 0, &smiley}},
        {{"Ελένη 12:03", 2}, {"\nΚαλησπέρα! Τα λέμε αύριο στις 10:30.", 1}},
    };
    for (const auto& message : messages) {
        std::unique_ptr<RTE::CYolWMRTE_Para> built(MakePara(message));
        ctrl.AddParagraph(built->Text(), built->Formats());
        ctrl.OnParagraphsAdded(1);
    }
    // From "notes" in the first message to the smiley that ends the second.
    ctrl.ActiveView()->SetSelection(RTE::TPosition{0, 18, 0}, RTE::TPosition{1, ctrl.GetParaLength(1) - 1, 1});
    ctrl.RedrawNow(0);
    Platform::PumpMessages();
    ASSERT_TRUE(Platform::SaveWindowPng(ctrl, "richtext_frame1.png"));
    cairo_surface_t* first = Platform::CaptureWindow(ctrl);

    smiley.frame = 1;
    ctrl.OnFrameChanged(1, &smiley);
    Platform::PumpMessages();
    ASSERT_TRUE(Platform::SaveWindowPng(ctrl, "richtext_frame2.png"));
    cairo_surface_t* second = Platform::CaptureWindow(ctrl);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    const RTE::CYolWMRTE_ParaLayout& para = *ctrl.ActiveLayout()->Para(1);
    RECT picture{};
    for (const RTE::CYolWMRTE_ParaLayoutSlice* slice : para.Slices())
        if (slice->IsPicture())
            picture = RECT{para.X() + slice->x, para.Y() + slice->y, para.X() + slice->x + 32, para.Y() + slice->y + 32};
    ASSERT_GT(picture.right, 0);
    POINT offset{0, 0};
    ClientToScreen(ctrl, &offset);
    RECT window{};
    GetWindowRect(ctrl, &window);
    offset.x -= window.left;
    offset.y -= window.top;
    const int stride = cairo_image_surface_get_stride(first) / 4;
    const auto* a = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(first));
    const auto* b = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(second));
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < cairo_image_surface_get_height(first); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(first); ++x) {
            if (a[y * stride + x] == b[y * stride + x])
                continue;
            const POINT client{x - offset.x, y - offset.y};
            const bool in = client.x >= picture.left && client.x < picture.right && client.y >= picture.top &&
                            client.y < picture.bottom;
            (in ? inside : outside) += 1;
        }
    }
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);
    // The smiley lies in the selection: its corner shows the selection.
    HDC dc = GetDC(ctrl);
    EXPECT_EQ(GetPixel(dc, picture.left, picture.top), 0x804000u);
    ReleaseDC(ctrl, dc);
    cairo_surface_destroy(first);
    cairo_surface_destroy(second);
}

} // namespace
