// The XMPP account-settings pages inside the program's settings dialog:
// what they show of the stored settings, what an accepted dialog stores,
// the password mask, the SSL port, refusals and a connected account's
// locked fields.

#include "XmppPanesSupport.h"

#include "CMD5.h"
#include "JabberPlugin.h"

#include <gtest/gtest.h>

namespace {

using namespace XmppPanesTest;
using UI::CYolWMUI_BigDlg;
namespace C = Protocols::AccountCommand;
namespace E = Protocols::AccountEvent;

enum : int { kAccountPage = 0, kExpertPage = 1 };

class XmppSettingsPanes : public PanesTest {
protected:
    // Runs the dialog; `script` acts on it and ends it.
    std::intptr_t Open(const std::function<void(SettingsDialog&)>& script) {
        dialogs_test::Scripted<SettingsDialog> dialog(h);
        dialog.script = [&](auto& d) { script(d); };
        return dialog.Run(windows.Parent());
    }
    void Reload() { h.Command(C::ReloadSettings); }
};

TEST_F(XmppSettingsPanes, ThePagesShowTheStoredSettings) {
    h.SetValue("Account resource", "phone");
    h.SetDword("SrvConPort", 5223);
    h.SetByte("SrvSpecBool1", 1);
    h.SetByte("SrvSpecBool2", 1);
    h.SetValue("SrvSpecString2", "xmpp.example.org");
    h.SetDword("SrvSpecDword2", 5269);
    h.SetByte("Compression", 1);
    Reload();
    Open([&](SettingsDialog& d) {
        ASSERT_EQ(d.TabCount(), 2);
        EXPECT_EQ(Caption(d, kAccountPage), "Account");
        EXPECT_EQ(Caption(d, kExpertPage), "Expert");
        HWND account = Page(d, kAccountPage);
        HWND expert = Page(d, kExpertPage);
        const struct {
            HWND page;
            int id;
            const char* text;
        } fields[] = {{account, 1015, "alice"},          {account, 1016, "**************"},
                      {account, 1019, "phone"},          {account, 1020, "example.org"},
                      {account, 1021, "5223"},           {account, 1001, "Account"},
                      {account, 1009, "Use SSL"},        {expert, 1020, "xmpp.example.org"},
                      {expert, 1021, "5269"},            {expert, 1008, "Manually specify connection host"}};
        for (const auto& f : fields)
            EXPECT_EQ(Text(f.page, f.id), f.text) << f.id;
        EXPECT_TRUE(Checked(account, 1018));
        EXPECT_FALSE(Enabled(account, 1017));
        EXPECT_TRUE(Checked(account, 1022));
        EXPECT_TRUE(Checked(expert, 1006));
        EXPECT_TRUE(Checked(expert, 1007));
        EXPECT_TRUE(Enabled(expert, 1020));
        windows.SaveGallery(d, "xmpp_account_page");
        d.SelectTab(d.TabIdAt(kExpertPage));
        windows.SaveGallery(d, "xmpp_expert_page");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

TEST_F(XmppSettingsPanes, AcceptingWithoutTouchingKeepsThePasswordAndTheLogin) {
    EXPECT_EQ(Open([&](SettingsDialog& d) { windows.SoftKey(d, CYolWMUI_BigDlg::ELeft); }), 1);
    EXPECT_EQ(Value("SrvLogPass"), "secret");
    EXPECT_EQ(Value("SrvLogName"), "alice@example.org");
    EXPECT_TRUE(h.Events(E::ClearContacts).empty());
}

TEST_F(XmppSettingsPanes, WhatTheUserTypedIsStored) {
    const struct {
        int page;
        int id;
        const char* typed;
        const char* key;
        const char* stored;
        bool clearsContacts;
    } cases[] = {
        {kAccountPage, 1019, "phone", "Account resource", "phone", false},
        {kAccountPage, 1020, "example.net", "SrvLogName", "alice@example.net", true},
        {kAccountPage, 1015, "carol", "SrvLogName", "carol@example.org", true},
        {kAccountPage, 1016, "n3w", "SrvLogPass", "n3w", false},
        {kExpertPage, 1022, "proxy.example.org", "SrvSetsBytestreamProxy", "proxy.example.org", false},
    };
    for (const auto& c : cases) {
        h.SetValue("SrvLogName", "alice@example.org");
        Reload();
        h.Events();
        const unsigned int listed = h.contactList->AddContact(kAccount, 0);
        h.account->Contacts().FindOrAddContact(ContactKindRoster, U("bob@example.org"))->contactId = listed;
        EXPECT_EQ(Open([&](SettingsDialog& d) {
                      SetText(Page(d, c.page), c.id, c.typed);
                      windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
                  }),
                  1)
            << c.key;
        EXPECT_EQ(Value(c.key), c.stored) << c.typed;
        // A clear retires the old login's items at once and names its generation.
        const auto clears = h.Events(E::ClearContacts);
        ASSERT_EQ(clears.size(), c.clearsContacts ? 1u : 0u) << c.typed;
        if (c.clearsContacts) {
            EXPECT_NE(clears[0].number, 0u);
        }
        EXPECT_EQ(XmppTest::ShownToAccount(*h.contactList, kAccount, listed), !c.clearsContacts) << c.typed;
        // The account forgets the old login's roster as it takes the new settings.
        h.Drain();
        EXPECT_EQ(h.account->Contacts().FindContact(ContactKindRoster, U("bob@example.org")) != nullptr,
                  !c.clearsContacts)
            << c.typed;
    }
}

TEST_F(XmppSettingsPanes, ANewPasswordGetsItsWebmailHashOverTheLoginAtThatMoment) {
    Open([&](SettingsDialog& d) {
        SetText(Page(d, kAccountPage), 1016, "n3w");
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    });
    const std::string text = "4KX.207pR.ZMQ=bT|alice@example.org|n3w";
    unsigned char expected[16];
    CMD5::Hash(text.data(), static_cast<unsigned int>(text.size()), expected);
    unsigned char stored[16] = {};
    unsigned int size = sizeof stored;
    ASSERT_TRUE(h.manager.GetAccountBlob(kAccount, U("Mail password hash"), stored, size));
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(stored), 16), std::string(reinterpret_cast<char*>(expected), 16));
}

TEST_F(XmppSettingsPanes, ClearingThePasswordOffersShowPasswordAndUncheckingSaveForgetsIt) {
    Open([&](SettingsDialog& d) {
        HWND account = Page(d, kAccountPage);
        ASSERT_FALSE(Enabled(account, 1017));
        SetText(account, 1016, "");
        EXPECT_TRUE(Enabled(account, 1017));
        Click(account, 1018);
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    });
    EXPECT_EQ(Value("SrvLogPass"), "");
}

TEST_F(XmppSettingsPanes, UseSslSetsTheSslPortOnBothPages) {
    Open([&](SettingsDialog& d) {
        HWND account = Page(d, kAccountPage);
        HWND expert = Page(d, kExpertPage);
        Click(account, 1022);
        EXPECT_EQ(Text(account, 1021), "5223");
        EXPECT_EQ(Text(expert, 1021), "5223");
        Click(account, 1022);
        EXPECT_EQ(Text(account, 1021), "5222");
        EXPECT_EQ(Text(expert, 1021), "5222");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

TEST_F(XmppSettingsPanes, APortThatIsNotOneIsRefusedOnItsFieldAndNothingIsStored) {
    const struct {
        int page;
        const char* typed;
    } cases[] = {{kAccountPage, "abc"}, {kAccountPage, "70000"}, {kAccountPage, "0"}, {kExpertPage, "52x"}};
    for (const auto& c : cases) {
        h.Events();
        Open([&](SettingsDialog& d) {
            HWND page = Page(d, c.page);
            if (c.page == kExpertPage)
                Click(page, 1006);
            SetText(page, 1021, c.typed);
            EXPECT_EQ(d.EndDialog(1), 0) << c.typed;
            EXPECT_EQ(GetFocus(), GetDlgItem(page, 1021)) << c.typed;
            EXPECT_EQ(d.GetCurTabId(), d.TabIdAt(c.page));
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
        const auto told = h.Events(E::ShowText);
        ASSERT_EQ(told.size(), 1u) << c.typed;
        EXPECT_EQ(told[0].text.ToUtf8(), "The port must be a number from 1 to 65535");
        EXPECT_EQ(Number("SrvConPort"), 0u) << "nothing was saved";
    }
}

TEST_F(XmppSettingsPanes, AConnectedAccountsConnectionFieldsAreLocked) {
    GoOnline("");
    Open([&](SettingsDialog& d) {
        HWND account = Page(d, kAccountPage);
        for (int id : {1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022})
            EXPECT_FALSE(Enabled(account, id)) << id;
        HWND expert = Page(d, kExpertPage);
        for (int id : {1006, 1020, 1021, 1007})
            EXPECT_FALSE(Enabled(expert, id)) << id;
        // The file-transfer proxy may change at any time.
        EXPECT_TRUE(Enabled(expert, 1010));
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    });
    EXPECT_EQ(Value("SrvLogName"), "alice@example.org");
}

TEST_F(XmppSettingsPanes, TheProgramsOwnServiceHasTheAdvancedPageWhichSaves) {
    XmppTest::XmppAccountHarness yol(JabberKindYol);
    yol.SetValue("SrvLogName", "bob");
    yol.Init();
    dialogs_test::Scripted<SettingsDialog> dialog(yol);
    dialog.script = [&](auto& d) {
        ASSERT_EQ(d.TabCount(), 3);
        EXPECT_EQ(Caption(d, 2), "Advanced");
        HWND advanced = Page(d, 2);
        EXPECT_TRUE(Checked(advanced, 1063));
        windows.SaveGallery(d, "xmpp_advanced_page");
        Click(advanced, 1063);
        Click(advanced, 1061);
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog.Run(windows.Parent()), 1);
    unsigned char hide = 0, notify = 1;
    yol.manager.GetAccountByte(XmppTest::XmppAccountHarness::kAccountId, U("HideEmailBtn"), hide);
    yol.manager.GetAccountByte(XmppTest::XmppAccountHarness::kAccountId, U("EmailNotify"), notify);
    EXPECT_EQ(hide, 1);
    EXPECT_EQ(notify, 0);
    yol.Shutdown();
}

}  // namespace
