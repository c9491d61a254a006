// The colour-scheme list, the colour dialog and its palette: what each
// loads, what OK keeps, and that cancelling leaves the caller's colours as
// they were whatever the dialog did before.

#include "DialogsTestSupport.h"

#include "CYolPath.h"
#include "CYolWMUI_ColorDlg.h"
#include "CYolWMUI_PaletteDlg.h"
#include "Controls/ControlListView.h"
#include "Controls/ControlTrackbar.h"
#include "SkinColors.h"
#include "TestSupport.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

using namespace dialogs_test;
using UI::CYolWMUI_BigDlg;
using UI::CYolWMUI_ColorDlg;
using UI::CYolWMUI_PaletteDlg;

namespace {

class ColorDialogs : public DialogTest {
protected:
    void TearDown() override
    {
        CYolWMUI_ColorDlg::SetPaletteIndex(-1);
        DialogTest::TearDown();
    }
    static int BarPos(HWND dialog, int id)
    {
        return static_cast<int>(SendMessage(GetDlgItem(dialog, id), TBM_GETPOS, 0, 0));
    }
    static std::vector<std::string> Parts(HWND dialog, const std::vector<int>& ids)
    {
        std::vector<std::string> parts;
        for (int id : ids)
            parts.push_back(Text(dialog, id));
        return parts;
    }
};

TEST_F(ColorDialogs, PaletteHoldsTheCubeAndThreePureColours)
{
    const auto& palette = CYolWMUI_ColorDlg::PaletteColors();
    const struct {
        int index;
        COLORREF colour;
    } cases[] = {
        {0, RGB(0, 0, 0)},      {4, RGB(204, 0, 0)},   {5, RGB(255, 0, 0)},     {6, RGB(0, 51, 0)},
        {25, RGB(204, 204, 0)}, {26, RGB(0, 255, 0)},  {27, RGB(0, 0, 51)},     {126, RGB(204, 204, 204)},
        {127, RGB(0, 0, 255)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(palette[static_cast<std::size_t>(c.index)], c.colour) << c.index;
    EXPECT_EQ(std::set<COLORREF>(palette.begin(), palette.end()).size(), palette.size());
}

TEST_F(ColorDialogs, ColourPartsTakeEditsBarsAndEnter)
{
    struct Case {
        const char* what;
        std::function<void(HWND)> act;
        CYolWMUI_BigDlg::TSoftKey key;
        std::intptr_t result;
        COLORREF colour;  // the result after OK
    };
    const Case cases[] = {
        {"300 typed into red keeps its low 8 bits",
         [this](HWND d) {
             TypeInto(d, 1014, u"300");
             SetFocus(GetDlgItem(d, 1017));
             EXPECT_EQ(BarPos(d, 1034), 44);
         },
         CYolWMUI_BigDlg::ELeft, 1, RGB(44, 20, 30)},
        {"Enter in the blue edit takes it and stays open",
         [this](HWND d) {
             TypeInto(d, 1015, u"128");
             DialogKey(d, VK_RETURN);
             EXPECT_TRUE(IsWindowVisible(d));
             EXPECT_EQ(BarPos(d, 1036), 128);
         },
         CYolWMUI_BigDlg::ELeft, 1, RGB(10, 20, 128)},
        {"a green bar step writes the edit",
         [this](HWND d) {
             SetFocus(GetDlgItem(d, 1035));
             Key(VK_RIGHT);
             EXPECT_EQ(Text(d, 1017), "21");
         },
         CYolWMUI_BigDlg::ELeft, 1, RGB(10, 21, 30)},
        {"a number typed and not left still counts on OK",
         [this](HWND d) { TypeInto(d, 1017, u"99"); }, CYolWMUI_BigDlg::ELeft, 1, RGB(10, 99, 30)},
        {"cancel", [](HWND) {}, CYolWMUI_BigDlg::ERight, 2, RGB(10, 20, 30)},
    };
    for (const Case& c : cases) {
        Scripted<CYolWMUI_ColorDlg> dialog(RGB(10, 20, 30) | 0xFF000000);
        dialog.script = [&](auto& d) {
            EXPECT_EQ(Parts(d, {1014, 1017, 1015}), (std::vector<std::string>{"10", "20", "30"}));
            EXPECT_EQ(BarPos(d, 1034), 10);
            EXPECT_EQ(Text(d, 1039), "Choose from palette...");
            c.act(d);
            SoftKey(d, c.key);
        };
        EXPECT_EQ(dialog.DoModal(parent), c.result) << c.what;
        if (c.result == 1) {
            EXPECT_EQ(CYolWMUI_ColorDlg::Result(), c.colour) << c.what;
        }
    }
}

TEST_F(ColorDialogs, PreviewShowsTheColourAsItChanges)
{
    Scripted<CYolWMUI_ColorDlg> dialog(RGB(0, 0, 255));
    dialog.script = [&](auto& d) {
        TypeInto(d, 1014, u"255");
        SetFocus(GetDlgItem(d, 1017));
        Platform::PumpMessages();
        RECT r;
        GetWindowRect(GetDlgItem(d, 1037), &r);
        EXPECT_EQ(Platform::GetScreenPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2), RGB(255, 0, 255));
        SaveGallery(d, "color");
        SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    dialog.DoModal(parent);
}

TEST_F(ColorDialogs, PaletteRemembersTheChosenCell)
{
    for (int round = 0; round < 2; ++round) {
        Scripted<CYolWMUI_ColorDlg::CPaletteDlg> palette;
        palette.script = [&](auto& d) {
            if (round == 0) {
                EXPECT_EQ(Parts(d, {1040, 1041, 1042}), (std::vector<std::string>{"", "", ""}));
                RECT cell;
                ASSERT_TRUE(d.Grid().GetImageRect(5, cell));
                Tap(d.Grid(), (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
                SaveGallery(d, "palette");
            } else {
                EXPECT_EQ(d.Grid().GetSelectImage(), 5);
            }
            EXPECT_EQ(Parts(d, {1040, 1041, 1042}), (std::vector<std::string>{"255", "0", "0"}));
            SoftKey(d, CYolWMUI_BigDlg::ELeft);
        };
        EXPECT_EQ(palette.DoModal(parent), 1);
        EXPECT_EQ(CYolWMUI_ColorDlg::PaletteIndex(), 5);
    }
}

TEST_F(ColorDialogs, PaletteChoiceBecomesTheColour)
{
    CYolWMUI_ColorDlg::SetPaletteIndex(26);
    Scripted<CYolWMUI_ColorDlg> dialog(RGB(1, 2, 3));
    int calls = 0;
    dialog.script = [&](auto& d) {
        if (++calls == 2) {
            // Inside the palette's own loop: accept its remembered cell.
            SoftKey(GetActiveWindow(), CYolWMUI_BigDlg::ELeft);
            return;
        }
        PostMessage(d, kScript, 0, 0);
        d.ChooseFromPalette();
        EXPECT_EQ(Parts(d, {1014, 1017, 1015}), (std::vector<std::string>{"0", "255", "0"}));
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog.DoModal(parent), 1);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(CYolWMUI_ColorDlg::Result(), RGB(0, 255, 0));
}

class ColorSchemeDialog : public ColorDialogs, public TempFolder {
protected:
    void SetUp() override
    {
        ColorDialogs::SetUp();
        CYolPath::SetAppDir(W(Root()));
        std::fill(std::begin(start), std::end(start), RGB(1, 2, 3));
    }
    void TearDown() override
    {
        CYolWMUI_PaletteDlg::SetFileChooser(nullptr);
        CYolPath::SetAppDir(CYolString());
        ColorDialogs::TearDown();
    }
    // Every file dialog answers `path`.
    void ChooseFile(const std::string& path)
    {
        CYolWMUI_PaletteDlg::SetFileChooser([path](bool, const CYolString& mask, CYolString& out) {
            EXPECT_EQ(mask.ToUtf8(), "*.ini;");
            out = W(path);
            return true;
        });
    }
    static std::vector<COLORREF> Colours(const Skins::TSkinColorTable& table)
    {
        return std::vector<COLORREF>(std::begin(table), std::end(table));
    }

    Skins::TSkinColorTable start;
};

TEST_F(ColorSchemeDialog, MenuActionsChangeOnlyTheDialogsCopy)
{
    Skins::TSkinColorTable skin;
    for (int i = 0; i < Skins::SKIN_CLR_COUNT; ++i)
        skin[i] = RGB(i, 0, 200);
    Put("Skins/Mine/_colors.ini", Skins::FormatColorScheme(skin));
    const std::string broken = Put("broken.ini", "[NotColors]\r\n1=FFFFFF\r\n");
    const struct {
        const char* what;
        int command;
        std::string file;
        std::vector<COLORREF> colours;
    } cases[] = {
        {"Default reads the skin's file", CYolWMUI_PaletteDlg::EDefault, "", Colours(skin)},
        {"Load of a file without the header gives the built-in colours", CYolWMUI_PaletteDlg::ELoad, broken,
         Colours(Skins::GetDefaultSkinColors())},
    };
    for (const auto& c : cases) {
        ChooseFile(c.file);
        Scripted<CYolWMUI_PaletteDlg> dialog(start, W("Mine"));
        std::vector<COLORREF> seen;
        dialog.script = [&](auto& d) {
            d.OnMenuCommand(c.command);
            seen = Colours(d.Colors());
            d.OnMenuCommand(CYolWMUI_PaletteDlg::ECancel);
        };
        EXPECT_EQ(dialog.DoModal(parent), 2) << c.what;
        EXPECT_EQ(seen, c.colours) << c.what;
        EXPECT_EQ(Colours(start), std::vector<COLORREF>(Skins::SKIN_CLR_COUNT, RGB(1, 2, 3))) << c.what;
    }
}

TEST_F(ColorSchemeDialog, SavedSchemeLoadsBackWhole)
{
    for (int i = 0; i < Skins::SKIN_CLR_COUNT; ++i)
        start[i] = RGB(i * 7, 255 - i, i) | (i == 3 ? 0xAB000000u : 0u);
    const std::string path = PathOf("saved.ini");
    ChooseFile(path);
    CYolWMUI_PaletteDlg saver(start, W("Mine"));
    Scripted<CYolWMUI_PaletteDlg> dialog(start, W("Mine"));
    dialog.script = [&](auto& d) {
        EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ELeft), "OK");
        EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ERight), "Menu");
        d.OnMenuCommand(CYolWMUI_PaletteDlg::ESave);
        SaveGallery(d, "color_scheme");
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog.DoModal(parent), 1);
    Skins::TSkinColorTable read;
    Skins::ReadColorScheme(W(path), read);
    // A stray top byte in a stored colour does not reach the file.
    EXPECT_EQ(read[3], RGB(21, 252, 3));
    EXPECT_EQ(Colours(read), Colours(dialog.Colors()));
}

TEST_F(ColorSchemeDialog, ReturnOnARowEditsThatColourOnce)
{
    Scripted<CYolWMUI_PaletteDlg> dialog(start, W("Mine"));
    int calls = 0;
    dialog.script = [&](auto& d) {
        ++calls;
        if (calls == 2) {
            // The colour dialog's loop: a new red, then OK.
            const HWND colour = GetActiveWindow();
            TypeInto(colour, 1014, u"200");
            SetFocus(GetDlgItem(colour, 1017));
            SoftKey(colour, CYolWMUI_BigDlg::ELeft);
            return;
        }
        if (calls > 2)
            return;
        const HWND list = GetDlgItem(d, 1022);
        SetFocus(list);
        Key(VK_DOWN);
        PostMessage(d, kScript, 0, 0);
        DialogKey(d, VK_RETURN);
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog.DoModal(parent), 1);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(dialog.Colors()[0], RGB(1, 2, 3));
    EXPECT_EQ(dialog.Colors()[1], RGB(200, 2, 3));
}

} // namespace
