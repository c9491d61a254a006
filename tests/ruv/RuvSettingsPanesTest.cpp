// The OSCAR account-settings pages inside the program's settings dialog:
// what they show of the stored settings, what an accepted dialog stores,
// the login's normal form, the password digest and the refusals.

#include "RuvPanesSupport.h"

#include "CMD5.h"
#include "Controls/ControlButton.h"
#include "WindowSystem/WindowFocus.h"
// This program draws text: the sanitizers are told about the font libraries.
#include "TextDrawingSuppressions.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using RuvPeers::LiveRuvAccount;
using UI::CYolWMUI_BigDlg;
using XmppTest::U;
namespace E = Protocols::AccountEvent;

using RuvPanesTest::Page;
using RuvPanesTest::SetText;
using RuvPanesTest::SettingsDialog;
using RuvPanesTest::Text;

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

enum : int { kAccountPage = 0, kConnectionPage = 1, kAdditionalPage = 2 };

class RuvSettingsPanes : public RuvPanesTest::AccountPagesTest {
protected:
    std::intptr_t Open(const std::function<void(SettingsDialog&)>& script) {
        dialogs_test::Scripted<SettingsDialog> dialog(a);
        dialog.script = [&](auto& d) { script(d); };
        return dialog.Run(windows.Parent());
    }
    std::string Value(const char* key) {
        CYolString value;
        a.manager.GetAccountString(LiveRuvAccount::kAccountId, U(key), value, false);
        return value.ToUtf8();
    }
};

TEST_F(RuvSettingsPanes, ThePagesShowTheStoredSettings) {
    Open([&](SettingsDialog& d) {
        ASSERT_EQ(d.TabCount(), 3);
        const struct {
            int page;
            int id;
            const char* text;
        } fields[] = {{kAccountPage, 1015, "123456"},       {kAccountPage, 1016, "**************"},
                      {kAccountPage, 1071, "Password"},     {kConnectionPage, 1001, "127.0.0.1"},
                      {kConnectionPage, 1002, "5190"},      {kConnectionPage, 1054, "Host"},
                      {kAdditionalPage, 1140, "Show clients icons"}};
        for (const auto& f : fields)
            EXPECT_EQ(Text(Page(d, f.page), f.id), f.text) << f.id;
        EXPECT_TRUE(Checked(Page(d, kAccountPage), 1018));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Page(d, kAccountPage), 1017)));
        EXPECT_TRUE(Checked(Page(d, kConnectionPage), 1052));
        EXPECT_TRUE(Checked(Page(d, kAdditionalPage), 1139));
        windows.SaveGallery(d, "ruv_account_page");
        d.SelectTab(d.TabIdAt(kConnectionPage));
        windows.SaveGallery(d, "ruv_connection_page");
        d.SelectTab(d.TabIdAt(kAdditionalPage));
        windows.SaveGallery(d, "ruv_additional_page");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

TEST_F(RuvSettingsPanes, LoginsAreStoredInTheirNormalFormAndAChangeClearsTheContactsOnce) {
    const struct {
        const char* typed;
        const char* stored;
        bool clears;
    } cases[] = {{"123-45 6", "123456", false}, {"user@example.org", "user@example.org", true},
                 {"7 7-7", "777", true}};
    for (const auto& c : cases) {
        a.manager.SetAccountString(LiveRuvAccount::kAccountId, U("SrvLogName"), U("123456"), false);
        a.Command(Protocols::AccountCommand::ReloadSettings);
        Events(0);
        const unsigned int listed = a.contactList->AddContact(LiveRuvAccount::kAccountId, 0);
        EXPECT_EQ(Open([&](SettingsDialog& d) {
                      SetText(Page(d, kAccountPage), 1015, c.typed);
                      windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
                  }),
                  1);
        EXPECT_EQ(Value("SrvLogName"), c.stored) << c.typed;
        // A clear retires the old login's items at once and names its generation.
        const auto clears = Events(E::ClearContacts);
        ASSERT_EQ(clears.size(), c.clears ? 1u : 0u) << c.typed;
        if (c.clears) {
            EXPECT_NE(clears[0].number, 0u);
        }
        EXPECT_EQ(XmppTest::ShownToAccount(*a.contactList, LiveRuvAccount::kAccountId, listed), !c.clears) << c.typed;
    }
}

TEST_F(RuvSettingsPanes, APasswordIsStoredAsTheDigestOfItsFirstEightCharacters) {
    Open([&](SettingsDialog& d) {
        SetText(Page(d, kAccountPage), 1016, "abcdefghij");
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    });
    a.Command(Protocols::AccountCommand::ReloadSettings);
    unsigned char expected[16];
    CMD5::Hash("abcdefgh", 8, expected);
    const auto& digest = a.account->Settings().passwordDigest;
    EXPECT_TRUE(std::equal(digest.begin(), digest.end(), expected));
}

TEST_F(RuvSettingsPanes, UncheckingSavePasswordForgetsItEvenWithOneTyped) {
    Open([&](SettingsDialog& d) {
        SetText(Page(d, kAccountPage), 1016, "typed");
        SendMessage(GetDlgItem(Page(d, kAccountPage), 1018), BM_CLICK, 0, 0);
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    });
    a.Command(Protocols::AccountCommand::ReloadSettings);
    for (uint8_t byte : a.account->Settings().passwordDigest)
        EXPECT_EQ(byte, 0);
}

TEST_F(RuvSettingsPanes, RefusalsKeepTheDialogOpenOnTheirFieldWithAMessage) {
    const struct {
        int page;
        int id;
        const char* typed;
        const char* told;
    } cases[] = {
        {kConnectionPage, 1002, "abc", "The port must be a number from 1 to 65535"},
        {kConnectionPage, 1002, "70000", "The port must be a number from 1 to 65535"},
        {kConnectionPage, 1002, "0", "The port must be a number from 1 to 65535"},
        {kConnectionPage, 1001, "", "The host must not be empty"},
        {kAccountPage, 1015, "letters", "The login must be a Ruv# or an e-mail address"},
    };
    for (const auto& c : cases) {
        Open([&](SettingsDialog& d) {
            HWND page = Page(d, c.page);
            SetText(page, c.id, c.typed);
            EXPECT_EQ(d.EndDialog(1), 0) << c.typed;
            HWND focus = GetFocus();
            EXPECT_TRUE(focus == GetDlgItem(page, c.id) || IsChild(GetDlgItem(page, c.id), focus)) << c.typed;
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
        const auto told = Events(E::ShowText);
        ASSERT_EQ(told.size(), 1u) << c.typed;
        EXPECT_EQ(told[0].text.ToUtf8(), c.told);
        unsigned int port = 0;
        a.manager.GetAccountDword(LiveRuvAccount::kAccountId, U("SrvConPort"), port);
        EXPECT_EQ(port, 5190u) << "nothing was saved";
    }
}

TEST_F(RuvSettingsPanes, TheConnectionValuesAreStored) {
    Open([&](SettingsDialog& d) {
        HWND page = Page(d, kConnectionPage);
        SetText(page, 1001, "login.example.net");
        SetText(page, 1002, "443");
        SendMessage(GetDlgItem(page, 1052), BM_CLICK, 0, 0);
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    });
    EXPECT_EQ(Value("SrvConServer"), "login.example.net");
    unsigned int port = 0;
    unsigned char keepAlive = 1;
    a.manager.GetAccountDword(LiveRuvAccount::kAccountId, U("SrvConPort"), port);
    a.manager.GetAccountByte(LiveRuvAccount::kAccountId, U("Keep alive"), keepAlive);
    EXPECT_EQ(port, 443u);
    EXPECT_EQ(keepAlive, 0);
}

}  // namespace
