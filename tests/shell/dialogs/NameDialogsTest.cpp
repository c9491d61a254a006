// The name dialog and the add-contact dialog, typed into through the input
// queue as a user would: confirming, refusing blank names, the texts they
// show, and what the add-contact commands hand the protocols manager.

#include "DialogTestSupport.h"

#include "ClTestSupport.h"
#include "CYolWMCL_AddContactDlg.h"
#include "CYolWMCL_NewGroupDlg.h"
#include "Controls/ControlCombo.h"
#include "DialogResources.h"
#include "NullProtocolsManager.h"
#include "UiHelpers.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowInput.h"
#include "WindowSystem/WindowKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dialog_test;
using CL_UI::CYolWMCL_AddContactDlg;
using UI_CL::CYolWMCL_NewGroupDlg;

namespace {

class NameDlg : public DialogTest {
protected:
    menu_test::Script steps;
};

TEST_F(NameDlg, ShowsTheLabelOfItsModeAndTheInitialNameInFocus) {
    struct Case {
        int mode;
        const char* label;
    };
    for (const Case& c : {Case{CYolWMCL_NewGroupDlg::kContactNameMode, "Contact name"}, Case{0, "Group name"},
                          Case{7, "Group name"}}) {
        Scripted<CYolWMCL_NewGroupDlg> dlg(W("Friends"), c.mode);
        dlg.script = [&](CYolWMCL_NewGroupDlg& d) {
            EXPECT_EQ(Text(d.GetDlgItem(UI::kNameLabelId)), c.label);
            EXPECT_EQ(Text(d.GetDlgItem(UI::kNameEditId)), "Friends");
            EXPECT_EQ(GetFocus(), d.GetDlgItem(UI::kNameEditId));
            Platform::InjectKey(VK_F2);
        };
        EXPECT_EQ(dlg.Run(owner), 2) << c.mode;
        EXPECT_EQ(dlg.GetName(), u"Friends") << "cancelling keeps the name";
    }
}

TEST_F(NameDlg, ConfirmingABlankNameKeepsItOpenOnTheField) {
    CYolString name = W("Old");
    bool asked = false;
    Scripted<CYolWMCL_NewGroupDlg> dlg(name, 0);
    dlg.script = [&](CYolWMCL_NewGroupDlg& d) {
        const HWND edit = d.GetDlgItem(UI::kNameEditId);
        SetWindowText(edit, u"");
        Platform::InjectKey(VK_F1);
        steps.Then([&, edit] {
            EXPECT_TRUE(IsWindow(d));
            SetWindowText(edit, u"   ");
            SetFocus(d.GetDlgItem(UI::kNameLabelId));
            SendMessage(d, WM_COMMAND, IDOK, 0);
            EXPECT_TRUE(IsWindow(d)) << "spaces are no name either";
            EXPECT_EQ(GetFocus(), edit);
            asked = true;
            SetWindowText(edit, u"");
            Platform::InjectText(u"Work");
            Platform::InjectKey(VK_F1);
        });
    };
    EXPECT_EQ(dlg.Run(owner), 1);
    EXPECT_TRUE(asked);
    EXPECT_EQ(dlg.GetName(), u"Work");
}

TEST_F(NameDlg, AskAnswersTheTypedNameOnlyOnOk) {
    CYolString name = W("Old");
    Platform::InjectKey(VK_END);
    Platform::InjectText(u" friends");
    Platform::InjectKey(VK_RETURN);
    EXPECT_TRUE(CYolWMCL_NewGroupDlg::Ask(owner, 0, name));
    EXPECT_EQ(name, u"Old friends");
    Platform::InjectText(u"x");
    Platform::InjectKey(VK_F2);
    EXPECT_FALSE(CYolWMCL_NewGroupDlg::Ask(owner, 0, name));
    EXPECT_EQ(name, u"Old friends");
}

// The real contact-list model with three accounts, on its own thread.
class ModelFixture final : public ClTest::AccountsTest {
public:
    void TestBody() override {}
    using AccountsTest::Contact;
    using AccountsTest::Group;
    using AccountsTest::SetUp;
    using AccountsTest::TearDown;
    using ModelTest::model;
};

class RecordingManager final : public YolTest::NullProtocolsManager {
public:
    bool AddContact(unsigned int account, unsigned int group, const CYolString& login,
                    const CYolString& name) override {
        added.push_back(ClTest::Hex(account) + " " + ClTest::Hex(group) + " " + login.ToUtf8() + " " + name.ToUtf8());
        return true;
    }
    std::vector<std::string> added;
};

class AddContact : public DialogTest, public CL_UI::MYolWMCL_AddContactHost {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        lists.SetUp();
        friends = AliasedGroup(ClTest::kAccountA, "Friends");
        work = AliasedGroup(ClTest::kAccountA, "Work");
        stranger = lists.Contact(ClTest::kAccountB, AliasedGroup(ClTest::kAccountB, "Others"), "uin42", 0, "Stranger");
    }
    void TearDown() override {
        lists.TearDown();
        DialogTest::TearDown();
    }

    unsigned int AliasedGroup(unsigned int account, const std::string& name) {
        const unsigned int id = lists.Group(account, name);
        lists.model->SetItemString(id, W("CL Alias"), W(name));
        return id;
    }
    std::string Group(unsigned int id) { return ClTest::Hex(id); }

    CL::CContactList* Model() override { return lists.model.get(); }
    Protocols::CProtocolsManager* Manager() override { return &manager; }
    void ShowInformation(const CYolString& text) override { informed.push_back(text.ToUtf8()); }

    ModelFixture lists;
    RecordingManager manager;
    std::vector<std::string> informed;
    unsigned int friends = 0;
    unsigned int work = 0;
    unsigned int stranger = 0;
    menu_test::Script steps;
};

TEST_F(AddContact, ANewContactGetsItsLoginAsDisplayNameAndTheChosenGroup) {
    // Login, then Tab past the display name to the group: Down picks "Work".
    Platform::InjectText(u"alice@example.org");
    steps.Then([&] {
        const HWND dlg = GetActiveWindow();
        EXPECT_EQ(Text(GetDlgItem(dlg, UI::kLoginLabelId)), "Account");
        EXPECT_EQ(Text(GetDlgItem(dlg, UI::kDisplayLabelId)), "Contact name");
        EXPECT_EQ(Text(GetDlgItem(dlg, UI::kGroupLabelId)), "Group");
        const HWND combo = GetDlgItem(dlg, UI::kGroupComboId);
        ASSERT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 0) << "the preselected group";
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, UI::kLoginEditId)));
        SendMessage(combo, CB_SETCURSEL, 1, 0);
    });
    Platform::InjectKey(VK_F1);
    CYolWMCL_AddContactDlg::AddContact(*this, owner, ClTest::kAccountA, friends);
    EXPECT_EQ(steps.Pending(), 0u);
    EXPECT_EQ(manager.added,
              (std::vector<std::string>{ClTest::Hex(ClTest::kAccountA) + " " + Group(work) +
                                        " alice@example.org alice@example.org"}));
    EXPECT_TRUE(informed.empty());
}

TEST_F(AddContact, AKnownContactShowsItsLoginReadOnly) {
    steps.Then([&] {
        const HWND dlg = GetActiveWindow();
        EXPECT_EQ(Text(GetDlgItem(dlg, UI::kLoginEditId)), "uin42");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, UI::kLoginEditId)));
        EXPECT_EQ(Text(GetDlgItem(dlg, UI::kDisplayEditId)), "Stranger");
        EXPECT_EQ(GetFocus(), GetDlgItem(dlg, UI::kDisplayEditId));
        SetWindowText(GetDlgItem(dlg, UI::kDisplayEditId), u"Old pal");
    });
    Platform::InjectKey(VK_F1);
    CYolWMCL_AddContactDlg::AddContactFrom(*this, owner, ClTest::kAccountA, stranger);
    EXPECT_EQ(steps.Pending(), 0u);
    EXPECT_EQ(manager.added,
              (std::vector<std::string>{ClTest::Hex(ClTest::kAccountA) + " " + Group(friends) + " uin42 Old pal"}))
        << "no group preselected: the first";
}

TEST_F(AddContact, AnAccountWithoutGroupsIsToldToMakeOneFirst) {
    CYolWMCL_AddContactDlg::AddContact(*this, owner, ClTest::kAccountC, 0);
    EXPECT_EQ(informed, (std::vector<std::string>{"Before adding a contact, please create at least one group"}));
    EXPECT_TRUE(manager.added.empty());
    EXPECT_EQ(FindWindow(nullptr, u"Add contact"), nullptr);
}

TEST_F(AddContact, ConfirmingWithoutALoginKeepsTheDialogOpenAndCancelAddsNothing) {
    Platform::InjectKey(VK_F1);
    steps.Then([&] {
        const HWND dlg = GetActiveWindow();
        EXPECT_EQ(GetFocus(), GetDlgItem(dlg, UI::kLoginEditId)) << "still open, on the login";
    });
    Platform::InjectKey(VK_F2);
    CYolWMCL_AddContactDlg::AddContact(*this, owner, ClTest::kAccountA, work);
    EXPECT_EQ(steps.Pending(), 0u);
    EXPECT_TRUE(manager.added.empty());
}

} // namespace
