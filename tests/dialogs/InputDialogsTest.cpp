// The About box and the three small input dialogs: what each loads into its
// fields, what OK saves, and that Skip or Cancel leaves the members alone.

#include "DialogsTestSupport.h"

#include "CYolPath.h"
#include "CYolWMUI_AboutDlg.h"
#include "CYolWMUI_InputBaseAccountDlg.h"
#include "CYolWMUI_SelectLangDlg.h"
#include "CYolWMUI_XStatusDlg.h"
#include "Controls/ControlCombo.h"
#include "Drawing/Font.h"
#include "TYolWMPrefs.h"
#include "TestSupport.h"
#include "Controls/ControlButton.h"
#include "TextDrawingSuppressions.h"

using namespace dialogs_test;
using UI::CYolWMUI_BigDlg;

namespace {

class InputDialogs : public DialogTest {};

TEST_F(InputDialogs, BuildLineHasAtLeastFourDigits)
{
    const struct {
        int version;
        const char* line;
    } cases[] = {{37, "Build: 0037"}, {0, "Build: 0000"}, {2142, "Build: 2142"}, {123456, "Build: 123456"}};
    for (const auto& c : cases)
        EXPECT_EQ(UI::CYolWMUI_AboutDlg::BuildLine(c.version).ToUtf8(), c.line);
}

TEST_F(InputDialogs, AboutShowsBuildNoticeAndEndsWithOk)
{
    Scripted<UI::CYolWMUI_AboutDlg> about;
    about.script = [&](auto& d) {
        EXPECT_EQ(Text(d, 1121), "Build: 2142");
        EXPECT_NE(Text(d, 1056).find("Copyright"), std::string::npos);
        EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ELeft), "OK");
        // The title face: 24 logical pixels, 48 on this 192 dpi screen.
        LOGFONTW title;
        const auto font = reinterpret_cast<HGDIOBJ>(SendMessage(GetDlgItem(d, 1122), WM_GETFONT, 0, 0));
        ASSERT_EQ(GetObject(font, sizeof title, &title), static_cast<int>(sizeof title));
        EXPECT_EQ(title.lfHeight, 48);
        EXPECT_EQ(title.lfWeight, FW_BOLD);
        SaveGallery(d, "about");
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(about.Run(parent), 1);
}

TEST_F(InputDialogs, BaseAccountPromptExchangesItsFields)
{
    struct Case {
        const char* login;       // loaded
        const char16_t* typed;   // into the login field, null: untouched
        CYolWMUI_BigDlg::TSoftKey key;
        std::intptr_t result;
        const char* error;       // the error line shown
        const char* loginAfter;  // the member afterwards
    };
    const Case cases[] = {
        {"", u"alice", CYolWMUI_BigDlg::ELeft, 1, "", "alice"},
        {"bob", nullptr, CYolWMUI_BigDlg::ELeft, 1, "Wrong username or password", "bob"},
        {"bob", u"carol", CYolWMUI_BigDlg::ERight, 2, "Wrong username or password", "bob"},
    };
    for (const Case& c : cases) {
        Scripted<UI::CYolWMUI_InputBaseAccountDlg> dialog;
        dialog.login = W(c.login);
        dialog.password = W("secret");
        std::string error;
        dialog.script = [&](auto& d) {
            EXPECT_EQ(GetFocus(), GetDlgItem(d, 1191)) << c.login;
            EXPECT_EQ(Text(d, 1193), "secret");
            error = Text(d, 1196);
            if (!c.typed)
                SaveGallery(d, "base_account");
            EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ERight), "Skip");
            if (c.typed)
                TypeInto(d, 1191, c.typed);
            SoftKey(d, c.key);
        };
        EXPECT_EQ(dialog.DoModal(parent), c.result) << c.login;
        EXPECT_EQ(error, c.error) << c.login;
        EXPECT_EQ(dialog.login.ToUtf8(), c.loginAfter) << c.login;
        EXPECT_EQ(dialog.password.ToUtf8(), "secret");
    }
}

TEST_F(InputDialogs, ExtendedStatusSavesOnlyOnOk)
{
    for (const auto key : {CYolWMUI_BigDlg::ELeft, CYolWMUI_BigDlg::ERight}) {
        Scripted<UI::CYolWMUI_XStatusDlg> dialog;
        dialog.title = W("Busy");
        dialog.description = W("at work");
        dialog.script = [&](auto& d) {
            EXPECT_EQ(GetFocus(), GetDlgItem(d, 1202));
            EXPECT_EQ(Text(d, 1088), "Title");
            EXPECT_EQ(Text(d, 1041), "at work");
            TypeInto(d, 1202, u"Lunch");
            if (key == CYolWMUI_BigDlg::ELeft)
                SaveGallery(d, "xstatus");
            SoftKey(d, key);
        };
        const bool ok = key == CYolWMUI_BigDlg::ELeft;
        EXPECT_EQ(dialog.DoModal(parent), ok ? 1 : 2);
        EXPECT_EQ(dialog.title.ToUtf8(), ok ? "Lunch" : "Busy");
        EXPECT_EQ(dialog.description.ToUtf8(), "at work");
    }
}

class LanguageDialog : public DialogTest, public TempFolder {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        CYolPath::SetAppDir(W(Root()));
    }
    void TearDown() override
    {
        CYolPath::SetAppDir(CYolString());
        DialogTest::TearDown();
    }

    // The entries offered and the name chosen after `moves` steps down.
    std::pair<std::vector<std::string>, std::string> Choose(int moves)
    {
        std::vector<std::string> offered;
        Scripted<UI::CYolWMUI_SelectLangDlg> dialog;
        dialog.script = [&](auto& d) {
            const HWND list = GetDlgItem(d, 1195);
            for (int i = 0; i < SendMessage(list, CB_GETCOUNT, 0, 0); ++i)
                offered.push_back(UI::GetComboText(list, i).ToUtf8());
            EXPECT_EQ(UI::GetComboSelection(list), 0);
            SetFocus(list);
            for (int i = 0; i < moves; ++i)
                Key(VK_DOWN);
            if (moves == 1)
                SaveGallery(d, "language");
            // The dialog's only way out: its OK button.
            const HWND ok = GetDlgItem(d, 1);
            RECT r;
            GetClientRect(ok, &r);
            Tap(ok, r.right / 2, r.bottom / 2);
        };
        EXPECT_EQ(dialog.DoModal(parent), 1);
        return {offered, dialog.language.ToUtf8()};
    }
};

TEST_F(LanguageDialog, OffersOnlyEnglishWithoutPacks)
{
    const auto [offered, chosen] = Choose(0);
    EXPECT_EQ(offered, std::vector<std::string>{"English"});
    EXPECT_EQ(chosen, "English");
}

TEST_F(LanguageDialog, OffersInstalledPacksAndAnswersTheChosenOne)
{
    Put("Langs/Yol_Russian.so", "x");
    Put("Langs/yol_German.so", "x");
    const auto [offered, chosen] = Choose(1);
    EXPECT_EQ(offered, (std::vector<std::string>{"English", "Russian"}));
    EXPECT_EQ(chosen, "Russian");
}

TEST_F(LanguageDialog, AnswersThePreferencesAskingForALanguage)
{
    Put("Langs/Yol_Russian.so", "x");
    UI::CYolWMUI_SelectLangDlg::ServePreferences(parent);
    // The owner hears this inside the dialog's loop and picks the second
    // entry there.
    constexpr UINT kPick = WM_USER + 78;
    rec.handler = [this](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != kPick)
            return std::nullopt;
        const HWND dialog = GetActiveWindow();
        SendMessage(GetDlgItem(dialog, 1195), CB_SETCURSEL, 1, 0);
        SendMessage(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
        return 0;
    };
    PostMessage(parent, kPick, 0, 0);
    CYolString chosen;
    UI::TYolWMPrefs::AskLanguage(chosen);
    UI::TYolWMPrefs::SetLanguageAsker(nullptr);
    EXPECT_EQ(chosen.ToUtf8(), "Russian");
}

} // namespace
