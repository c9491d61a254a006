// The font dialog: the face, size and styles it loads from the working
// record, what OK stores, the preview scaled to the screen, and a stored
// record whose face name has no terminator.

#include "DialogsTestSupport.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "CYolWMUI_FontDlg.h"
#include "Drawing/Font.h"
#include "TestSupport.h"

#include <cstring>

using namespace dialogs_test;
using UI::CYolWMUI_BigDlg;
using UI::CYolWMUI_FontDlg;

namespace {

LOGFONTW Font(const char16_t* face, int height, int weight = FW_NORMAL)
{
    LOGFONTW font;
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    std::u16string_view name(face);
    std::copy(name.begin(), name.end(), font.lfFaceName);
    return font;
}

std::string Face(const LOGFONTW& font)
{
    return CYolString(font.lfFaceName).ToUtf8();
}

class FontDialog : public DialogTest {
protected:
    static std::string Selected(HWND dialog, int id)
    {
        const HWND list = GetDlgItem(dialog, id);
        return UI::GetComboText(list, UI::GetComboSelection(list)).ToUtf8();
    }
    static bool Checked(HWND dialog, int id)
    {
        return SendMessage(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static std::string FirstFace(HWND dialog) { return UI::GetComboText(GetDlgItem(dialog, 1032), 0).ToUtf8(); }
};

TEST_F(FontDialog, LoadsTheRecordAndStoresWhatOkShows)
{
    struct Case {
        const char* what;
        LOGFONTW start;
        const char* size;   // selected on opening
        bool bold;
        int storedHeight;
        int storedWeight;
        bool firstFace;     // the face stored is the list's first one
    };
    const Case cases[] = {
        {"a listed size", Font(u"Tahoma", 20, FW_BOLD), "20", true, 20, FW_BOLD, false},
        {"a height of 15 falls back to 13", Font(u"Tahoma", 15), "13", false, 13, FW_NORMAL, false},
        {"a weight of 600 is not bold", Font(u"Tahoma", 14, 600), "14", false, 14, FW_NORMAL, false},
        {"a face that is not installed", Font(u"No Such Face", 14), "14", false, 14, FW_NORMAL, true},
    };
    for (const Case& c : cases) {
        Scripted<CYolWMUI_FontDlg> dialog(c.start);
        std::string first;
        dialog.script = [&](auto& d) {
            EXPECT_EQ(Selected(d, 1014), c.size) << c.what;
            EXPECT_EQ(Checked(d, 1049), c.bold) << c.what;
            EXPECT_EQ(Text(d, 1084), "Size:");
            EXPECT_EQ(Text(d, 1056), "AaBbCcDd");
            first = FirstFace(d);
            EXPECT_EQ(Selected(d, 1032), c.firstFace ? first : "Tahoma") << c.what;
            SoftKey(d, CYolWMUI_BigDlg::ELeft);
        };
        EXPECT_EQ(dialog.DoModal(parent), 1) << c.what;
        const LOGFONTW& stored = CYolWMUI_FontDlg::Result();
        EXPECT_EQ(stored.lfHeight, c.storedHeight) << c.what;
        EXPECT_EQ(stored.lfWeight, c.storedWeight) << c.what;
        EXPECT_EQ(Face(stored), c.firstFace ? first : "Tahoma") << c.what;
    }
}

TEST_F(FontDialog, StylesAndSizeChangeThePreviewAndTheRecord)
{
    Scripted<CYolWMUI_FontDlg> dialog(Font(u"Tahoma", 14));
    dialog.script = [&](auto& d) {
        LOGFONTW shown;
        ASSERT_EQ(GetObject(d.PreviewFont(), sizeof shown, &shown), static_cast<int>(sizeof shown));
        // 14 logical pixels on this 192 dpi screen.
        EXPECT_EQ(shown.lfHeight, 28);
        for (int box : {1049, 1050, 1019}) {
            RECT r;
            GetClientRect(GetDlgItem(d, box), &r);
            Tap(GetDlgItem(d, box), r.right / 2, r.bottom / 2);
        }
        SetFocus(GetDlgItem(d, 1014));
        Key(VK_DOWN);
        ASSERT_EQ(GetObject(d.PreviewFont(), sizeof shown, &shown), static_cast<int>(sizeof shown));
        EXPECT_EQ(shown.lfHeight, 32);
        EXPECT_EQ(shown.lfWeight, FW_BOLD);
        EXPECT_EQ(shown.lfItalic, 1);
        EXPECT_EQ(shown.lfStrikeOut, 1);
        EXPECT_EQ(shown.lfUnderline, 0);
        SaveGallery(d, "font");
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog.DoModal(parent), 1);
    const LOGFONTW& stored = CYolWMUI_FontDlg::Result();
    EXPECT_EQ(stored.lfHeight, 16);
    EXPECT_EQ(stored.lfWeight, FW_BOLD);
    EXPECT_EQ(stored.lfItalic, 1);
    EXPECT_EQ(stored.lfUnderline, 0);
    EXPECT_EQ(stored.lfStrikeOut, 1);
}

TEST_F(FontDialog, CancelKeepsTheCallersFont)
{
    const LOGFONTW start = Font(u"Tahoma", 14);
    Scripted<CYolWMUI_FontDlg> dialog(start);
    dialog.script = [&](auto& d) {
        RECT r;
        GetClientRect(GetDlgItem(d, 1049), &r);
        Tap(GetDlgItem(d, 1049), r.right / 2, r.bottom / 2);
        SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    EXPECT_EQ(dialog.DoModal(parent), 2);
    EXPECT_EQ(std::memcmp(&CYolWMUI_FontDlg::Result(), &start, sizeof start), 0);
}

TEST_F(FontDialog, FaceWithoutTerminatorIsCutToItsField)
{
    // A stored record whose 32 face characters are all letters.
    LOGFONTW stored = Font(u"", 14);
    std::fill(std::begin(stored.lfFaceName), std::end(stored.lfFaceName), u'A');
    CYolWMUI_FontDlg dialog(stored);
    const LOGFONTW& working = CYolWMUI_FontDlg::Result();
    EXPECT_EQ(Face(working), std::string(LF_FACESIZE - 1, 'A'));
    EXPECT_EQ(working.lfFaceName[LF_FACESIZE - 1], u'\0');
}

TEST_F(FontDialog, PreviewHeightKeepsItsSign)
{
    const struct {
        int dpi;
        int height;
        int scaled;
    } cases[] = {{192, 14, 28}, {96, 14, 14}, {192, -14, -28}, {144, 13, 20}, {192, 0, 0}};
    for (const auto& c : cases) {
        Platform::SetScreen(480, 640, c.dpi, c.dpi);
        EXPECT_EQ(CYolWMUI_FontDlg::ScaleHeight(c.height), c.scaled) << c.dpi << " " << c.height;
    }
}

} // namespace
