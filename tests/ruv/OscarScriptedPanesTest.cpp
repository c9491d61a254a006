// The OSCAR account's pages inside the program's dialogs, with the account
// signed on to the scripted OSCAR server's meta service over loopback: a
// contact's details fill its pages once they arrive, and details that come
// after the dialog closed are kept for the next time it opens; a page's one
// changed field goes out as one change; a search from the pages brings its
// hit into the dialog's results and opens the hit's details; and a refused
// sign-on is put right on the account-settings pages.

#include "RuvPanesSupport.h"

#include "CYolWMUI_DetailsDlg.h"
#include "CYolWMUI_FindUserDlg.h"
#include "MissingPeer.h"
#include "FindUserHostSupport.h"
#include "PeerProcess.h"
#include "ProsodyFixture.h"
#include "RuvPaneTemplates.h"

#include <functional>
#include <optional>

namespace {

using namespace RuvPanesTest;
using UI::CYolWMUI_BigDlg;
using XmppPeers::HaveProgram;
using XmppPeers::kPython;
using XmppTest::AccountEventRecord;
namespace E = Protocols::AccountEvent;


class OscarScriptedPanes : public ::testing::Test {
protected:
    void SetUp() override {
        Serve({});
        if (server)
            SignOn();
    }
    // Starts the server's meta scenario with `extra` arguments, and points
    // the account at it as `login` with `password`.
    void Serve(const std::vector<std::string>& extra, const std::string& login = "100200",
               const std::string& password = "secret") {
        if (!HaveProgram(kPython))
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
        CRuvDictionaries::LoadFrom(CYolString::FromUtf8(YOL_ASSETS_DIR "/Ruv/"));
        windows.Start();
        a.manager.pagesServices = &a.services;
        a.manager.pagesClient = a.account->GetClientId();
        std::vector<std::string> args{kPython,   std::string(YOL_PEERS_DIR) + "/oscar_server.py",
                                      "meta",    "--user",
                                      "100200",  "--password",
                                      "secret",  "--control"};
        args.insert(args.end(), extra.begin(), extra.end());
        server = std::make_unique<PeerProcess>(args, log.PathOf("server.log"), true, true);
        std::optional<std::string> port = server->NextLine(10000);
        ASSERT_TRUE(port && port->rfind("PORT ", 0) == 0) << Log();
        loginPort = static_cast<unsigned int>(std::stoul(port->substr(5)));
        a.Setup(login, password, loginPort);
    }
    void SignOn() {
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

    // The contact-details dialog of `contact`, with the script run in it.
    std::intptr_t OpenDetails(HWND owner, unsigned int contact,
                              const std::function<void(UI::CYolWMUI_ContactDetailsDlg&)>& script) {
        dialogs_test::Scripted<UI::CYolWMUI_ContactDetailsDlg> dialog(&a.services, contact);
        dialog.script = [&](auto& d) { script(d); };
        return UI::CYolWMUI_ContactDetailsDlg::Run(owner, dialog);
    }
    // Starts the search of the page shown and hands the account's results
    // to the dialog as the program does, up to the end of the search.
    void Search(UI::CYolWMUI_FindUserDlg& d, const std::string& reported) {
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
        EXPECT_EQ(Report(), reported) << Log();
        for (;;) {
            std::optional<AccountEventRecord> result = WaitForEvent(E::SearchResult);
            ASSERT_TRUE(result) << Log();
            UI::CYolWMUI_FindUserDlg::OnSearchResult(result->hasSecond ? &result->user : nullptr);
            if (!result->hasSecond)
                break;
        }
        EXPECT_FALSE(d.IsBusy());
    }

    TempFolder log;
    std::unique_ptr<PeerProcess> server;
    unsigned int loginPort = 0;
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
        Search(d, "SEARCH number 1");
        ASSERT_EQ(d.ResultCount(), 1);
        EXPECT_EQ(d.Result(0).texts[0].ToUtf8(), "100400");
        EXPECT_EQ(d.Result(0).texts[1].ToUtf8(), "Alice");
        windows.SaveGallery(d, "ruv_search_result");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    UI::CYolWMUI_FindUserDlg::Run(windows.Parent(), dialog);
}

TEST_F(OscarScriptedPanes, DetailsThatComeAfterTheDialogClosedAreKeptForItsNextOpening) {
    const unsigned int bob = a.ContactOf("100300");
    ASSERT_NE(bob, 0u);
    // The server keeps its answer until the dialog is gone.
    ASSERT_TRUE(server->WriteLine("hold"));
    ASSERT_EQ(Report(), "OK hold") << Log();
    OpenDetails(windows.Parent(), bob, [&](auto& d) {
        EXPECT_EQ(Report(), "INFO 100300") << Log();
        EXPECT_EQ(Text(Page(d, 0), F(1)), "");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
    ASSERT_EQ(UI::CYolWMUI_ContactDetailsDlg::Open(), nullptr);
    ASSERT_TRUE(server->WriteLine("release"));
    ASSERT_EQ(Report(), "OK release") << Log();
    std::optional<AccountEventRecord> ready = WaitForEvent(E::ContactDetailsReady);
    ASSERT_TRUE(ready) << Log();
    EXPECT_EQ(ready->number, bob);
    // What the program does on that event: no dialog is open to show it.
    UI::CYolWMUI_ContactDetailsDlg::Refresh(bob);
    Platform::PumpMessages();
    EXPECT_EQ(UI::CYolWMUI_ContactDetailsDlg::Open(), nullptr);
    EXPECT_EQ(a.ItemString(bob, "Ruv: nick name").ToUtf8(), "Боб");

    // Opened again, the pages show what was kept before the new request is
    // answered.
    OpenDetails(windows.Parent(), bob, [&](auto& d) {
        EXPECT_EQ(Text(Page(d, 0), F(1)), "Боб");
        EXPECT_EQ(Text(Page(d, 0), F(4)), "bob@example.org");
        EXPECT_EQ(Text(Page(d, 8), F(0)), "Привет всем");
        EXPECT_EQ(Report(), "INFO 100300") << Log();
        ASSERT_TRUE(WaitForEvent(E::ContactDetailsReady)) << Log();
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

TEST_F(OscarScriptedPanes, AHitOfASearchFromThePagesOpensWithTheServersDetails) {
    dialogs_test::DetailsHost host;
    bool opened = false;
    host.details = [&](HWND owner, unsigned int contact) {
        opened = true;
        OpenDetails(owner, contact, [&](auto& d) {
            EXPECT_EQ(Report(), "INFO 100400") << Log();
            std::optional<AccountEventRecord> ready = WaitForEvent(E::ContactDetailsReady);
            ASSERT_TRUE(ready) << Log();
            EXPECT_EQ(ready->number, contact);
            UI::CYolWMUI_ContactDetailsDlg::Refresh(contact);
            Platform::PumpMessages();
            const struct {
                int page;
                int id;
                const char* text;
            } shown[] = {{0, F(1), "Alice"}, {0, F(2), "Alice"}, {0, F(3), "Jones"},
                         {0, F(4), "alice@example.org"}, {1, F(0), "Russia"}, {1, F(1), "Москва"}, {5, F(0), "Female"}};
            for (const auto& s : shown)
                EXPECT_EQ(Text(Page(d, s.page), s.id), s.text) << s.page << "/" << s.id;
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
    };
    dialogs_test::Scripted<UI::CYolWMUI_FindUserDlg> dialog(&a.services, host, LiveRuvAccount::kAccountId);
    dialog.script = [&](auto& d) {
        d.SelectTab(d.TabIdAt(1));
        SetText(Page(d, 1), 1109, "alice@example.org");
        Search(d, "SEARCH email 1");
        ASSERT_EQ(d.ResultCount(), 1);
        EXPECT_EQ(d.Result(0).texts[0].ToUtf8(), "100400");
        d.RunResultCommand(UI::CYolWMUI_FindUserDlg::EDetails, 0);
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    UI::CYolWMUI_FindUserDlg::Run(windows.Parent(), dialog);
    EXPECT_TRUE(opened);
}

// The server refuses the first sign-on, as a login the user mistyped.
class OscarScriptedSettingsPanes : public OscarScriptedPanes {
protected:
    void SetUp() override { Serve({"--refused", "100999"}, "100999", "wrong"); }
};

TEST_F(OscarScriptedSettingsPanes, ARefusedSignOnIsPutRightOnTheAccountPages) {
    a.SetStatus(Protocols::Online);
    EXPECT_TRUE(a.WaitForText("Mismatch UIN or password, re-enter")) << Log();
    ASSERT_EQ(Report(), "REFUSED 100999") << Log();
    ASSERT_TRUE(a.WaitForStatus(Protocols::Offline)) << Log();

    dialogs_test::Scripted<SettingsDialog> dialog(a);
    dialog.script = [&](auto& d) {
        HWND account = Page(d, 0);
        HWND connection = Page(d, 1);
        EXPECT_EQ(Text(account, 1015), "100999");
        EXPECT_EQ(Text(connection, 1001), "127.0.0.1");
        EXPECT_EQ(Text(connection, 1002), std::to_string(loginPort));
        SetText(account, 1015, "100200");
        SetText(account, 1016, "secret");
        SetText(connection, 1001, "127.0.0.1");
        SetText(connection, 1002, std::to_string(loginPort));
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    ASSERT_EQ(dialog.Run(windows.Parent()), 1);
    // The pages' reload has reached the account before it signs on again.
    a.DrainList();

    SignOn();
    ASSERT_TRUE(a.Eventually([&] { return a.Contacts() == std::vector<std::string>{"Friends/100300 '100300'"}; }))
        << ::testing::PrintToString(a.Contacts());
}

}  // namespace
