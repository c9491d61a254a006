// The OSCAR account's details and search pages inside the program's
// dialogs, with the account signed on to the scripted OSCAR server's meta
// service over loopback: a contact's details fill its pages once they
// arrive, a page's one changed field goes out as one change, and a search
// from the pages brings its hit into the dialog's results.

#include "RuvPanesSupport.h"

#include "CYolWMUI_DetailsDlg.h"
#include "CYolWMUI_FindUserDlg.h"
#include "MissingPeer.h"
#include "FindUserHostSupport.h"
#include "PeerProcess.h"
#include "ProsodyFixture.h"
#include "RuvPaneTemplates.h"

#include <optional>

namespace {

using namespace RuvPanesTest;
using UI::CYolWMUI_BigDlg;
using XmppPeers::HaveProgram;
using XmppPeers::kPython;
using XmppTest::AccountEventRecord;
namespace E = Protocols::AccountEvent;

constexpr int F(int row) { return kRuvDetailsField + row; }

class OscarScriptedPanes : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveProgram(kPython))
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
        CRuvDictionaries::LoadFrom(CYolString::FromUtf8(YOL_ASSETS_DIR "/Ruv/"));
        windows.Start();
        a.manager.pagesServices = &a.services;
        a.manager.pagesClient = a.account->GetClientId();
        server = std::make_unique<PeerProcess>(
            std::vector<std::string>{kPython, std::string(YOL_PEERS_DIR) + "/oscar_server.py", "meta", "--user",
                                     "100200", "--password", "secret"},
            log.PathOf("server.log"), true, true);
        std::optional<std::string> port = server->NextLine(10000);
        ASSERT_TRUE(port && port->rfind("PORT ", 0) == 0) << Log();
        a.Setup("100200", "secret", static_cast<unsigned int>(std::stoul(port->substr(5))));
        a.SetStatus(Protocols::Online);
        ASSERT_EQ(Report(), "SIGNED ON") << Log();
        ASSERT_TRUE(a.WaitForStatus(Protocols::Online)) << Log();
        ASSERT_EQ(Report(), "STORED DELETED") << Log();
    }
    void TearDown() override {
        if (server) {
            a.SetStatus(Protocols::Offline);
            EXPECT_EQ(Report(), "DONE") << Log();
        }
        windows.Stop();
        CRuvDictionaries::Clear();
    }

    std::string Report(int timeoutMs = 30000) { return server->NextLine(timeoutMs).value_or("(nothing)"); }
    std::string Log() { return ReadText(log.PathOf("server.log")); }
    // Waits for the account's event of that number; the events passed on
    // the way are kept for later waits.
    std::optional<AccountEventRecord> WaitForEvent(int event) {
        std::optional<AccountEventRecord> found;
        a.Eventually([&] {
            for (auto& e : a.manager.TakeEvents())
                seen.push_back(std::move(e));
            for (auto it = seen.begin(); it != seen.end(); ++it) {
                if (it->event == event) {
                    found = *it;
                    seen.erase(it);
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    TempFolder log;
    std::unique_ptr<PeerProcess> server;
    std::vector<AccountEventRecord> seen;
    // The windows are made after the account, and go after it: the
    // account's threads read the windows' clock until the account is gone.
    std::unique_ptr<dialogs_test::DialogWindows> windowsHolder;
    LiveRuvAccount a;
    dialogs_test::DialogWindows& windows = *(windowsHolder = std::make_unique<dialogs_test::DialogWindows>());
};

TEST_F(OscarScriptedPanes, AContactsPagesShowItsDetailsOnceTheyArrive) {
    const unsigned int bob = a.ContactOf("100300");
    ASSERT_NE(bob, 0u);
    dialogs_test::Scripted<UI::CYolWMUI_ContactDetailsDlg> dialog(&a.services, bob);
    dialog.script = [&](auto& d) {
        EXPECT_EQ(Report(), "INFO 100300") << Log();
        ASSERT_TRUE(WaitForEvent(E::ContactDetailsReady)) << Log();
        // What the program does on that event.
        UI::CYolWMUI_ContactDetailsDlg::Refresh(bob);
        Platform::PumpMessages();
        EXPECT_EQ(Text(Page(d, 0), F(1)), "Боб");
        EXPECT_EQ(Text(Page(d, 0), F(4)), "bob@example.org");
        EXPECT_EQ(Text(Page(d, 3), F(0)), "Рога и копыта");
        EXPECT_EQ(Text(Page(d, 5), F(0)), "Male");
        EXPECT_EQ(Text(Page(d, 8), F(0)), "Привет всем");
        d.SelectTab(d.TabIdAt(0));
        windows.SaveGallery(d, "ruv_contact_from_server");
        SendMessage(d.Handle(), WM_COMMAND, IDCANCEL, 0);
    };
    UI::CYolWMUI_ContactDetailsDlg::Run(windows.Parent(), dialog);
}

TEST_F(OscarScriptedPanes, OnlyTheChangedFieldOfTheOwnPagesGoesOut) {
    dialogs_test::Scripted<UI::CYolWMUI_UserDetailsDlg> dialog(&a.services, LiveRuvAccount::kAccountId);
    dialog.script = [&](auto& d) {
        EXPECT_EQ(Report(), "INFO 100200") << Log();
        ASSERT_TRUE(WaitForEvent(E::OwnDetailsReady)) << Log();
        UI::CYolWMUI_UserDetailsDlg::Refresh(LiveRuvAccount::kAccountId);
        Platform::PumpMessages();
        SetText(Page(d, 0), F(1), "Newnick");
        SendMessage(d.Handle(), WM_COMMAND, IDOK, 0);
    };
    EXPECT_EQ(UI::CYolWMUI_UserDetailsDlg::Run(windows.Parent(), dialog), 1);
    EXPECT_EQ(Report(), "SAVED 0154") << Log();
    // Confirming again without a change sends nothing: the server sees the
    // dialog's details request and then, at the end, only the sign-off
    // (TearDown reads "DONE" as its next line).
    dialogs_test::Scripted<UI::CYolWMUI_UserDetailsDlg> again(&a.services, LiveRuvAccount::kAccountId);
    again.script = [&](auto& d) { SendMessage(d.Handle(), WM_COMMAND, IDOK, 0); };
    EXPECT_EQ(UI::CYolWMUI_UserDetailsDlg::Run(windows.Parent(), again), 1);
    EXPECT_EQ(Report(), "INFO 100200") << Log();
}

TEST_F(OscarScriptedPanes, ASearchFromThePagesBringsItsHitIntoTheResults) {
    dialogs_test::DetailsHost host;
    dialogs_test::Scripted<UI::CYolWMUI_FindUserDlg> dialog(&a.services, host, LiveRuvAccount::kAccountId);
    dialog.script = [&](auto& d) {
        SetText(Page(d, 0), 1107, "100400");
        d.SelectTab(d.TabIdAt(0));
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
        EXPECT_EQ(Report(), "SEARCH number 1") << Log();
        // What the program does with the account's results, up to the end.
        for (;;) {
            std::optional<AccountEventRecord> result = WaitForEvent(E::SearchResult);
            ASSERT_TRUE(result) << Log();
            UI::CYolWMUI_FindUserDlg::OnSearchResult(result->hasSecond ? &result->user : nullptr);
            if (!result->hasSecond)
                break;
        }
        ASSERT_EQ(d.ResultCount(), 1);
        EXPECT_EQ(d.Result(0).texts[0].ToUtf8(), "100400");
        EXPECT_EQ(d.Result(0).texts[1].ToUtf8(), "Alice");
        EXPECT_FALSE(d.IsBusy());
        windows.SaveGallery(d, "ruv_search_result");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    UI::CYolWMUI_FindUserDlg::Run(windows.Parent(), dialog);
}

}  // namespace
