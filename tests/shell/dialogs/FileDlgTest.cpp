// The file browser run for real over a temporary folder tree: walking into
// folders and picking files, saving under a typed name, what is remembered
// for the next dialog, and what the user is told when a folder cannot be
// opened.

#include "DialogTestSupport.h"

#include "CYolWMUI_FileDlg.h"
#include "CYolWMUI_Menu.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlListView.h"
#include "DialogResources.h"
#include "Shell/ShellMenuBar.h"
#include "TestSupport.h"
#include "UiHelpers.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowInput.h"
#include "WindowSystem/WindowKeys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace dialog_test;
using UI::CYolWMUI_FileDlg;

namespace {

using FileDlg = Scripted<CYolWMUI_FileDlg>;

// Column `sub` of every row of the file list.
std::vector<std::string> Column(CYolWMUI_FileDlg& d, int sub = 0) {
    const HWND list = d.GetDlgItem(UI::kFileListId);
    std::vector<std::string> out;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        char16_t buffer[260];
        LVITEM item;
        item.iSubItem = sub;
        item.pszText = buffer;
        item.cchTextMax = 260;
        SendMessage(list, LVM_GETITEMTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        out.push_back(CYolString(buffer).ToUtf8());
    }
    return out;
}

std::vector<std::string> PathEntries(CYolWMUI_FileDlg& d) {
    const HWND combo = d.GetDlgItem(UI::kPathComboId);
    std::vector<std::string> out;
    for (int i = 0; i < SendMessage(combo, CB_GETCOUNT, 0, 0); ++i) {
        char16_t buffer[260];
        SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
        out.push_back(CYolString(buffer).ToUtf8());
    }
    return out;
}

// Selects row `index` as a tap would.
void Select(CYolWMUI_FileDlg& d, int index) {
    LVITEM state;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(d.GetDlgItem(UI::kFileListId), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                reinterpret_cast<LPARAM>(&state));
}

std::string LeftKey(CYolWMUI_FileDlg& d) {
    return CYolString(Platform::MenuBarButtonText(d.Menu(), 0).c_str()).ToUtf8();
}

class FileBrowser : public DialogTest, public TempFolder {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        root = Root() + "/home";
        Put("home/docs/report.txt", std::string(2000, 'r'));
        Put("home/docs/sub/deep.txt");
        Put("home/docs/.hidden.txt");
        Put("home/readme.txt", "hello");
        Put("home/picture.png");
        auto& state = CYolWMUI_FileDlg::ProgramState();
        state = CYolWMUI_FileDlg::TProgramState{};
        state.root = W(root);
    }
    void TearDown() override {
        CYolWMUI_FileDlg::ProgramState() = CYolWMUI_FileDlg::TProgramState{};
        DialogTest::TearDown();
    }
    std::string Chosen() const { return CYolWMUI_FileDlg::ProgramState().path.ToUtf8(); }

    std::string root;
    menu_test::Script steps;
};

TEST_F(FileBrowser, OpenModeWalksIntoAFolderAndPicksAFile) {
    FileDlg dlg(u"*.txt;", true, CYolString());
    dlg.script = [&](CYolWMUI_FileDlg& d) {
        EXPECT_EQ(Column(d), (std::vector<std::string>{"docs", "readme.txt"}));
        EXPECT_EQ(Column(d, 1), (std::vector<std::string>{"", "5"}));
        EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/"}));
        EXPECT_FALSE(IsWindowEnabled(d.GetDlgItem(UI::kUpButtonId))) << "nothing above the root";
        EXPECT_EQ(LeftKey(d), "Open");
        EXPECT_EQ(CYolString(Platform::MenuBarButtonText(d.Menu(), 1).c_str()).ToUtf8(), "Menu");
        Platform::InjectKey(VK_F1);  // the folder, selected first
        steps.Then([&] {
            EXPECT_EQ(Column(d), (std::vector<std::string>{"sub", "report.txt"}));
            EXPECT_EQ(Column(d, 1)[1], "1.95K");
            EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/", "  docs"}));
            EXPECT_TRUE(IsWindowEnabled(d.GetDlgItem(UI::kUpButtonId)));
            Select(d, 1);
            EXPECT_EQ(Text(d.GetDlgItem(UI::kFileNameEditId)), "report.txt");
            Platform::InjectKey(VK_F1);
        });
    };
    EXPECT_EQ(dlg.DoModal(owner), 1);
    EXPECT_EQ(steps.Pending(), 0u);
    EXPECT_EQ(Chosen(), root + "/docs/report.txt");
}

TEST_F(FileBrowser, TheUpButtonAndThePathSelectorGoBackUp) {
    CYolWMUI_FileDlg::ProgramState().path = W(root + "/docs/sub/deep.txt");
    FileDlg dlg(u"*;", true, CYolString());
    dlg.script = [&](CYolWMUI_FileDlg& d) {
        EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/", "  docs", "    sub"}));
        EXPECT_EQ(Column(d), (std::vector<std::string>{"deep.txt"}));
        SendMessage(d, WM_COMMAND, MAKEWPARAM(UI::kUpButtonId, BN_CLICKED),
                    reinterpret_cast<LPARAM>(d.GetDlgItem(UI::kUpButtonId)));
        EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/", "  docs"}));
        const HWND combo = d.GetDlgItem(UI::kPathComboId);
        SendMessage(combo, CB_SETCURSEL, 0, 0);
        SendMessage(d, WM_COMMAND, MAKEWPARAM(UI::kPathComboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/"}));
        EXPECT_EQ(Column(d), (std::vector<std::string>{"docs", "picture.png", "readme.txt"}));
        d.OnMenuChoice(CYolWMUI_FileDlg::EMenuUp);
        EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/"})) << "nothing above the root";
        d.OnMenuChoice(CYolWMUI_FileDlg::EMenuCancel);
    };
    EXPECT_EQ(dlg.DoModal(owner), 2);
    EXPECT_EQ(Chosen(), root + "/docs/sub/deep.txt") << "a cancelled dialog keeps the last choice";
}

TEST_F(FileBrowser, HiddenFilesAndTheViewModeStayForLaterDialogs) {
    CYolWMUI_FileDlg::ProgramState().path = W(root + "/docs/report.txt");
    {
        FileDlg dlg(u"*.txt;", true, CYolString());
        dlg.script = [&](CYolWMUI_FileDlg& d) {
            EXPECT_EQ(Column(d), (std::vector<std::string>{"sub", "report.txt"})) << "starts where it ended";
            d.OnMenuChoice(CYolWMUI_FileDlg::EMenuShowAll);
            EXPECT_EQ(Column(d), (std::vector<std::string>{"sub", ".hidden.txt", "report.txt"}));
            d.OnMenuChoice(CYolWMUI_FileDlg::EMenuDetailsView);
            d.OnMenuChoice(CYolWMUI_FileDlg::EMenuCancel);
        };
        EXPECT_EQ(dlg.DoModal(owner), 2);
    }
    FileDlg again(u"*.txt;", true, CYolString());
    again.script = [&](CYolWMUI_FileDlg& d) {
        EXPECT_EQ(Column(d), (std::vector<std::string>{"sub", ".hidden.txt", "report.txt"}));
        const auto style = static_cast<std::uint32_t>(GetWindowLong(d.GetDlgItem(UI::kFileListId), GWL_STYLE));
        EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
        d.OnMenuChoice(CYolWMUI_FileDlg::EMenuListView);
        d.OnMenuChoice(CYolWMUI_FileDlg::EMenuCancel);
    };
    EXPECT_EQ(again.DoModal(owner), 2);
    EXPECT_TRUE(CYolWMUI_FileDlg::ProgramState().showAllFiles);
    EXPECT_EQ(CYolWMUI_FileDlg::ProgramState().viewMode, 0);
}

TEST_F(FileBrowser, ARememberedFolderThatWasDeletedListsTheRoot) {
    CYolWMUI_FileDlg::ProgramState().path = W(root + "/docs/sub/deep.txt");
    std::filesystem::remove_all(root + "/docs/sub");
    FileDlg dlg(u"*.txt;", true, CYolString());
    dlg.script = [&](CYolWMUI_FileDlg& d) {
        EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/"}));
        EXPECT_EQ(Column(d), (std::vector<std::string>{"docs", "readme.txt"}));
        d.OnMenuChoice(CYolWMUI_FileDlg::EMenuCancel);
    };
    EXPECT_EQ(dlg.DoModal(owner), 2);
}

TEST_F(FileBrowser, AFolderThatCannotBeOpenedIsReported) {
    FileDlg dlg(u"*.txt;", true, CYolString());
    dlg.script = [&](CYolWMUI_FileDlg& d) {
        EXPECT_EQ(Text(d.GetDlgItem(UI::kFileStatusId)), "");
        std::filesystem::remove_all(root + "/docs");
        Platform::InjectKey(VK_F1);  // "docs", still listed and selected
        steps.Then([&] {
            EXPECT_EQ(Text(d.GetDlgItem(UI::kFileStatusId)), "This folder cannot be opened");
            EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/"}));
            EXPECT_EQ(Column(d), (std::vector<std::string>{"readme.txt"}));
            d.OnMenuChoice(CYolWMUI_FileDlg::EMenuRefresh);
            EXPECT_EQ(Text(d.GetDlgItem(UI::kFileStatusId)), "") << "a fresh listing clears the report";
            d.OnMenuChoice(CYolWMUI_FileDlg::EMenuCancel);
        });
    };
    EXPECT_EQ(dlg.DoModal(owner), 2);
    EXPECT_EQ(steps.Pending(), 0u);
}

TEST_F(FileBrowser, SavingATypedNameAddsTheFiltersExtension) {
    FileDlg dlg(u"*.txt;*.log;", false, W("notes"));
    dlg.script = [&](CYolWMUI_FileDlg& d) {
        const HWND name = d.GetDlgItem(UI::kFileNameEditId);
        EXPECT_EQ(Text(name), "notes");
        EXPECT_EQ(GetFocus(), name);
        EXPECT_EQ(LeftKey(d), "Save");
        const HWND filter = d.GetDlgItem(UI::kFilterComboId);
        SendMessage(filter, CB_SETCURSEL, 1, 0);
        SendMessage(d, WM_COMMAND, MAKEWPARAM(UI::kFilterComboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(filter));
        EXPECT_EQ(d.Filter(), u"*.log");
        Platform::InjectKey(VK_F1);
    };
    EXPECT_EQ(dlg.DoModal(owner), 1);
    EXPECT_EQ(Chosen(), root + "/notes.log");
}

TEST_F(FileBrowser, SavingRefusesNamesThatLeaveTheFolderOrArePatterns) {
    FileDlg dlg(u"*.txt;", false, CYolString());
    dlg.script = [&](CYolWMUI_FileDlg& d) {
        const HWND name = d.GetDlgItem(UI::kFileNameEditId);
        EXPECT_EQ(Text(name), "*.txt") << "without a name the field starts with the filter";
        for (const char16_t* typed : {u"*.txt", u"../evil", u"a/b", u".."}) {
            SetWindowText(name, typed);
            SetFocus(d.GetDlgItem(UI::kFileListId));
            d.Activate();
            EXPECT_TRUE(IsWindow(d));
            EXPECT_EQ(GetFocus(), name) << CYolString(typed).ToUtf8();
        }
        SetWindowText(name, u"notes.txt");
        Platform::InjectKey(VK_F1);
    };
    EXPECT_EQ(dlg.DoModal(owner), 1);
    EXPECT_EQ(Chosen(), root + "/notes.txt");
}

TEST_F(FileBrowser, InSaveModeAChosenFolderIsOpenedAndTheNameFieldSavesAgain) {
    FileDlg dlg(u"*.txt;", false, W("draft"));
    dlg.script = [&](CYolWMUI_FileDlg& d) {
        EXPECT_EQ(LeftKey(d), "Save") << "the first row, selected by the listing, leaves the name to save under";
        Select(d, 1);
        Select(d, 0);
        EXPECT_EQ(LeftKey(d), "Open");
        EXPECT_FALSE(d.NameActive());
        Platform::InjectKey(VK_F1);
        steps.Then([&] {
            EXPECT_EQ(PathEntries(d), (std::vector<std::string>{"/", "  docs"}));
            EXPECT_EQ(LeftKey(d), "Save");
            Select(d, 1);  // a file: its name is the one to save under
            EXPECT_EQ(LeftKey(d), "Save");
            EXPECT_EQ(Text(d.GetDlgItem(UI::kFileNameEditId)), "report.txt");
            SetWindowText(d.GetDlgItem(UI::kFileNameEditId), u"draft");
            Platform::InjectKey(VK_F1);
        });
    };
    EXPECT_EQ(dlg.DoModal(owner), 1);
    EXPECT_EQ(Chosen(), root + "/docs/draft.txt");
}

TEST_F(FileBrowser, TheRightKeyOpensTheMenuOverTheDialog) {
    FileDlg dlg(u"*.txt;", true, CYolString());
    dlg.script = [&](CYolWMUI_FileDlg& d) {
        Platform::InjectKey(VK_F2);
        steps.Then([&] {
            const HWND menu = FindWindow(UI::CYolWMUI_Menu::kClassName, nullptr);
            ASSERT_NE(menu, nullptr);
            RECT m;
            RECT own;
            GetWindowRect(menu, &m);
            GetWindowRect(d, &own);
            EXPECT_EQ(m.right, own.right);
            clock.Advance(1000);  // a menu ignores keys in its first moment
            Platform::InjectKey(VK_ESCAPE);
            steps.Then([&] {
                EXPECT_TRUE(IsWindow(d));
                d.OnMenuChoice(CYolWMUI_FileDlg::EMenuCancel);
            });
        });
    };
    EXPECT_EQ(dlg.DoModal(owner), 2);
    EXPECT_EQ(steps.Pending(), 0u);
}

} // namespace
