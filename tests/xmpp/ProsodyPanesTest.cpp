// The XMPP account's pages in the program's dialogs against a real server
// (Prosody) and a real other party (slixmpp): the account reconnects with
// the login and password typed into its settings pages, the contact-details dialog
// shows the vCard the peer published, the own details typed in the dialog
// are published and come back from the server, and the find-user dialog
// finds the peer by its JID and opens its details.

// This program draws text (here and in the pages' own suites), in both
// sanitizer builds: the sanitizers are told about the font libraries.
#include "TextDrawingSuppressions.h"
#include "LiveXmppAccount.h"
#include "ProsodyFixture.h"
#include "ProsodyWithBob.h"
#include "XmppPanesSupport.h"

#include "CYolWMUI_DetailsDlg.h"
#include "CYolWMUI_FindUserDlg.h"
#include "FindUserHostSupport.h"
#include "CYolWMUI_SettingsControllerDlg.h"

#include <gtest/gtest.h>

namespace {

using namespace XmppPeers;
using XmppPanesTest::Page;
using XmppPanesTest::SetText;
using XmppPanesTest::Text;
using UI::CYolWMUI_BigDlg;
namespace E = Protocols::AccountEvent;


class ProsodyPanes : public testing::Test {
protected:
    void SetUp() override {
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3 is missing");
        windows.Start();
        rig = std::make_unique<ProsodyRig>(
            ProsodyRig::Options{{{"alice", kAlicePassword}, {"bob", kBobPassword}}, {}, {{"alice", "bob"}}});
        ASSERT_TRUE(rig->Ready()) << rig->Failure();
        account = std::make_unique<LiveXmppAccount>();
        account->Setup(rig->Jid("alice"), kAlicePassword, rig->PlainPort(), false);
        account->SetStatus(Protocols::Online);
        ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << "status " << account->GetStatus();
        bob = std::make_unique<XmppPeer>(*rig, "bob", kBobPassword);
        ASSERT_TRUE(bob->Ready()) << bob->Log();
        ASSERT_TRUE(account->Eventually([&] { return (bobContact = account->ContactOf(rig->Jid("bob"))) != 0; }));
        started = true;
    }
    void TearDown() override {
        bob.reset();
        account.reset();
        rig.reset();
        if (started)
            windows.Stop();
    }

    // Waits for an account event of that number; the events before it are
    // dropped, the record itself is answered.
    std::optional<XmppTest::AccountEventRecord> WaitForEvent(int event) {
        std::optional<XmppTest::AccountEventRecord> found;
        account->Eventually([&] {
            for (XmppTest::AccountEventRecord& record : account->manager.TakeEvents())
                if (!found && record.event == event)
                    found = std::move(record);
            return found.has_value();
        });
        return found;
    }
    // The contact-details dialog of bob once his details arrived.
    void ExpectBobsCard(HWND owner, unsigned int contact) {
        dialogs_test::Scripted<UI::CYolWMUI_ContactDetailsDlg> dialog(&account->services, contact);
        dialog.script = [&](auto& d) {
            const auto ready = WaitForEvent(E::ContactDetailsReady);
            ASSERT_TRUE(ready);
            // What the application does with the event.
            UI::CYolWMUI_ContactDetailsDlg::Refresh(ready->number);
            EXPECT_EQ(Text(Page(d, 0), 1002), rig->Jid("bob"));
            EXPECT_EQ(Text(Page(d, 0), 1003), "Боб");
            windows.SaveGallery(d, "xmpp_contact_general_live");
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        };
        EXPECT_EQ(UI::CYolWMUI_ContactDetailsDlg::Run(owner, dialog), 2);
    }

    dialogs_test::DialogWindows windows;
    std::unique_ptr<ProsodyRig> rig;
    std::unique_ptr<LiveXmppAccount> account;
    std::unique_ptr<XmppPeer> bob;
    unsigned int bobContact = 0;
    bool started = false;
};

// The account's settings pages, as the account-settings dialog asks for them.
class AccountSettingsDialog : public UI::CYolWMUI_SettingsControllerDlg {
public:
    explicit AccountSettingsDialog(LiveXmppAccount& account) : account(account) {}
    void GetPans(YolTabDlg::CDlgInfo& info) override {
        account.manager.CreateSettingsPanes(LiveXmppAccount::kAccountId, &info);
    }

private:
    LiveXmppAccount& account;
};

TEST_F(ProsodyPanes, TheAccountReconnectsWithTheLoginAndPasswordTypedIntoItsPages) {
    account->SetStatus(Protocols::Offline);
    ASSERT_TRUE(account->WaitForStatus(Protocols::Offline));
    dialogs_test::Scripted<AccountSettingsDialog> dialog(*account);
    dialog.script = [&](auto& d) {
        HWND page = Page(d, 0);
        EXPECT_EQ(Text(page, 1015), "alice");
        SetText(page, 1015, "bob");
        SetText(page, 1016, kBobPassword);
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    ASSERT_EQ(dialog.Run(windows.Parent()), 1);
    account->SetStatus(Protocols::Online);
    ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << "status " << account->GetStatus();
    // Signed in as bob: his roster holds alice.
    EXPECT_TRUE(account->Eventually([&] { return account->ContactOf(rig->Jid("alice")) != 0; }));
}

TEST_F(ProsodyPanes, TheDetailsDialogShowsTheVCardThePeerPublished) {
    ASSERT_TRUE(bob->Do({"setvcard", "Борис Петров", "Боб"}));
    account->manager.TakeEvents();
    ExpectBobsCard(windows.Parent(), bobContact);
}

TEST_F(ProsodyPanes, OwnDetailsTypedInTheDialogArePublishedAndComeBack) {
    const struct {
        int page;
        int id;
        const char* key;
        const char* typed;
    } fields[] = {{0, 1004, "Jabber: first name", "Алиса"},
                  {0, 1005, "Jabber: last name", "Смирнова"},
                  {1, 1007, "Jabber: home city", "Київ"},
                  {3, 1016, "Jabber: work company", "Рога і копита"},
                  {4, 1021, "Jabber: cell phone", "+380 44 000 00 00"}};
    // alice has a card on the server already, from another of her sessions.
    {
        XmppPeer other(*rig, "alice", kAlicePassword, false, "other");
        ASSERT_TRUE(other.Ready()) << other.Log();
        ASSERT_TRUE(other.Do({"setvcard", "Alice", "al"}));
    }
    account->manager.TakeEvents();
    {
        dialogs_test::Scripted<UI::CYolWMUI_UserDetailsDlg> dialog(&account->services, LiveXmppAccount::kAccountId);
        dialog.script = [&](auto& d) {
            // The server's card arrives first; then the user types.
            ASSERT_TRUE(WaitForEvent(E::OwnDetailsReady));
            UI::CYolWMUI_UserDetailsDlg::Refresh(LiveXmppAccount::kAccountId);
            for (const auto& f : fields)
                SetText(Page(d, f.page), f.id, f.typed);
            SendMessage(d.Handle(), WM_COMMAND, IDOK, 0);
        };
        EXPECT_EQ(UI::CYolWMUI_UserDetailsDlg::Run(windows.Parent(), dialog), 1);
    }
    // Forget the values here once the publishes went out (they read the
    // values as they run): the next dialog reads them from the server.
    account->DrainList();
    for (const auto& f : fields)
        account->manager.SetAccountString(LiveXmppAccount::kAccountId, U(f.key), CYolString(), false);
    account->manager.TakeEvents();
    dialogs_test::Scripted<UI::CYolWMUI_UserDetailsDlg> again(&account->services, LiveXmppAccount::kAccountId);
    again.script = [&](auto& d) {
        ASSERT_TRUE(WaitForEvent(E::OwnDetailsReady));
        UI::CYolWMUI_UserDetailsDlg::Refresh(LiveXmppAccount::kAccountId);
        for (const auto& f : fields)
            EXPECT_EQ(Text(Page(d, f.page), f.id), f.typed) << f.key;
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    EXPECT_EQ(UI::CYolWMUI_UserDetailsDlg::Run(windows.Parent(), again), 2);
}

TEST_F(ProsodyPanes, FindUserFindsThePeerByItsJidAndOpensItsDetails) {
    ASSERT_TRUE(bob->Do({"setvcard", "Борис Петров", "Боб"}));
    dialogs_test::DetailsHost host;
    bool opened = false;
    host.details = [&](HWND owner, unsigned int contact) {
        opened = true;
        ExpectBobsCard(owner, contact);
    };
    account->manager.TakeEvents();
    dialogs_test::Scripted<UI::CYolWMUI_FindUserDlg> dialog(&account->services, host, LiveXmppAccount::kAccountId);
    dialog.script = [&](auto& d) {
        d.SelectTab(d.TabIdAt(0));
        SetText(Page(d, 0), 1107, rig->Jid("bob"));
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
        ASSERT_TRUE(d.IsBusy());
        // What the application does with the account's results.
        ASSERT_TRUE(account->Eventually([&] {
            for (const XmppTest::AccountEventRecord& record : account->manager.TakeEvents())
                if (record.event == E::SearchResult)
                    UI::CYolWMUI_FindUserDlg::OnSearchResult(record.hasSecond ? &record.user : nullptr);
            return !d.IsBusy();
        }));
        ASSERT_EQ(d.ResultCount(), 1);
        EXPECT_EQ(d.Result(0).texts[0].ToUtf8(), rig->Jid("bob"));
        windows.SaveGallery(d, "xmpp_find_user_live");
        d.RunResultCommand(UI::CYolWMUI_FindUserDlg::EDetails, 0);
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    UI::CYolWMUI_FindUserDlg::Run(windows.Parent(), dialog);
    EXPECT_TRUE(opened);
}

}  // namespace
