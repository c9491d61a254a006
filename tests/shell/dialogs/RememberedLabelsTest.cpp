// Labels set from string ids follow a switch of language: a control's text
// and a combo box's entries take the new texts, a text a dialog wrote
// itself stays, an entry whose list was refilled is left alone, and a big
// dialog asks for its soft keys again.

#include "DialogStrings.h"
#include "DialogTestSupport.h"

#include "CYolWMUI_Dlg.h"
#include "DialogResources.h"
#include "Shell/ShellMenuBar.h"
#include "Controls/Control.h"
#include "Controls/ControlCombo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The language in force: the text of id n is "<prefix>n".
const char16_t* g_prefix = u"en";

bool PrefixedString(int id, CYolString& text) {
    text = CYolString(g_prefix) + CYolString(u"-") + CYolString(static_cast<unsigned int>(id), false, 0);
    return true;
}

class RememberedLabels : public dialog_test::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        g_prefix = u"en";
        UI::SetDialogStrings(&PrefixedString);
    }
    void TearDown() override {
        UI::SetDialogStrings(nullptr);
        DialogTest::TearDown();
    }
    HWND Child(const char16_t* cls, int id) {
        return CreateWindowEx(0, cls, u"", WS_CHILD | WS_VISIBLE, 0, 20 * id, 200, 100, owner,
                              reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
    }
    void Switch(const char16_t* prefix) {
        g_prefix = prefix;
        UI::RelabelWindows();
        Platform::PumpMessages();
    }
    static std::string Text(HWND window) {
        CYolString text;
        GetWindowTextString(window, text);
        return text.ToUtf8();
    }
    static std::string Entry(HWND combo, int index) {
        const LRESULT length = SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length < 0)
            return "<none>";
        std::u16string text(static_cast<size_t>(length) + 1, u'\0');
        SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return CYolString(text.c_str()).ToUtf8();
    }
};

TEST_F(RememberedLabels, LabelsFollowTheLanguageAndOwnTextsStay) {
    const HWND label = Child(WC_STATIC, 1);
    const HWND report = Child(WC_STATIC, 2);
    UI::SetWindowString(label, 7);
    UI::SetWindowString(report, 8);
    EXPECT_EQ(Text(label), "en-7");
    // The dialog writes its own text over the label: it is no label now.
    UI::ForgetWindowString(report);
    SetWindowTextString(report, CYolString(u"42"));

    Switch(u"ru");
    EXPECT_EQ(Text(label), "ru-7");
    EXPECT_EQ(Text(report), "42");
    EXPECT_EQ(UI::WindowStringId(label), 7);
    EXPECT_EQ(UI::WindowStringId(report), -1);

    // A destroyed label is dropped, and the others still follow.
    DestroyWindow(label);
    const HWND again = Child(WC_STATIC, 3);
    UI::SetWindowString(again, 9);
    Switch(u"en");
    EXPECT_EQ(UI::WindowStringId(label), -1);
    EXPECT_EQ(Text(again), "en-9");
}

TEST_F(RememberedLabels, ComboEntriesKeepTheirPlaceDataAndChoice) {
    const HWND combo = Child(WC_COMBOBOX, 1);
    SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"first"));
    ASSERT_EQ(UI::AddComboString(combo, 20), 1);
    ASSERT_EQ(UI::AddComboString(combo, 21), 2);
    SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"last"));
    SendMessage(combo, CB_SETITEMDATA, 1, 100);
    SendMessage(combo, CB_SETITEMDATA, 2, 200);
    SendMessage(combo, CB_SETCURSEL, 2, 0);

    Switch(u"ru");
    EXPECT_EQ(Entry(combo, 0), "first");
    EXPECT_EQ(Entry(combo, 1), "ru-20");
    EXPECT_EQ(Entry(combo, 2), "ru-21");
    EXPECT_EQ(Entry(combo, 3), "last");
    EXPECT_EQ(SendMessage(combo, CB_GETITEMDATA, 1, 0), 100);
    EXPECT_EQ(SendMessage(combo, CB_GETITEMDATA, 2, 0), 200);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 4);

    // Refilled with texts of its own: the list is no longer the labels'.
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    for (const char16_t* text : {u"1", u"2", u"3"})
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    Switch(u"en");
    EXPECT_EQ(Entry(combo, 1), "2");
    EXPECT_EQ(Entry(combo, 2), "3");
}

// A big dialog hears of the switch and asks for its soft keys again.
class KeyedDialog : public UI::CYolWMUI_BigDlg {
public:
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override {
        caption = UI::DialogString(key == ELeft ? 30 : 31);
        return 1;
    }
};

TEST_F(RememberedLabels, ABigDialogTakesItsSoftKeysAgain) {
    dialog_test::Scripted<KeyedDialog> dialog;
    std::string before, after;
    dialog.script = [&](KeyedDialog& d) {
        before = CYolString(Platform::MenuBarButtonText(d.Menu(), 0).c_str()).ToUtf8();
        Switch(u"ru");
        after = CYolString(Platform::MenuBarButtonText(d.Menu(), 0).c_str()).ToUtf8();
        ::EndDialog(d.Handle(), 2);
    };
    dialog.DoModal(UI::kCommonDialogId, UI::GetProgramInstance(), owner);
    EXPECT_EQ(before, "en-30");
    EXPECT_EQ(after, "ru-30");
}

} // namespace
