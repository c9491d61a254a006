// The MRIM account's pages in the program's dialogs, end to end: the real
// core loads the plug-in library, the scripted MRIM server answers. The
// account pages change the login and password and the account reconnects
// with them; the contact-details dialog shows the directory's entry, and an
// entry that comes after the dialog closed is kept without a dialog to
// show it; the find-user dialog searches by address and by fields and
// opens a result's details; the own-details page opens the user's page on
// the web, signed in with the key the server handed out.

#include "CYolWMUI_DetailsDlg.h"
#include "CYolWMUI_FindUserDlg.h"
#include "FindUserHostSupport.h"
#include "CYolWMUI_SettingsControllerDlg.h"
#include "CYolWMUI_TabPan.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "DialogsTestSupport.h"
#include "ZemPeerRig.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace ZemPeers;
using UI::CYolWMUI_BigDlg;

constexpr const char* kConfig = R"({"users": {
  "alice@mail.ru": {"password": "секрет", "groups": ["Друзья"],
    "contacts": [{"address": "bob@mail.ru", "nick": "Боб", "group": 0}]},
  "bob@mail.ru": {"password": "bob-pw",
    "details": {"Nickname": "Бобби", "FirstName": "Боб", "LastName": "Смит", "Sex": "1",
                "Birthday": "1990-12-31", "Location": "Москва", "Country_ID": "24", "Zodiac": "10"}},
  "dave@bk.ru": {"password": "dave-pw", "groups": ["Work"],
    "contacts": [{"address": "alice@mail.ru", "nick": "Алиса", "group": 0}]}
}})";

constexpr const char* kAlice = "alice@mail.ru";
constexpr const char* kBob = "bob@mail.ru";

std::string Text(HWND page, int id) { return UI::GetDlgItemString(page, id).ToUtf8(); }
void SetText(HWND page, int id, const std::string& text) {
    SetDlgItemText(page, id, CYolString::FromUtf8(text).c_str());
    Platform::PumpMessages();
}
HWND Page(UI::CYolWMUI_TabDlg& d, int index) { return d.GetTab(d.TabIdAt(index))->pan->Handle(); }

class MrimPanes : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kPython, X_OK) != 0)
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
        windows.Start();
        started = true;
        server = std::make_unique<MrimServer>(folder, kConfig);
        ASSERT_TRUE(server->Ready()) << server->Log();
        core = std::make_unique<ZemCore>(folder);
    }
    void TearDown() override {
        if (server)
            server->ExpectNoFailures();
        core.reset();
        server.reset();
        if (started)
            windows.Stop();
    }

    void LogIn(const std::string& login) {
        core->Manager().SetStatus(account, Protocols::Online);
        ASSERT_FALSE(server->WaitFor("LOGIN " + login).empty()) << server->Log();
        ASSERT_TRUE(core->Eventually([&] { return core->Status(account) == Protocols::Online; }));
        ASSERT_TRUE(core->Eventually([&] { return !core->Contacts(account).empty(); }));
    }
    void AddAlice(const char* password = "секрет") {
        account = core->AddAccount(kAlice, password, server->RedirectPort());
        ASSERT_NE(account, 0u);
    }
    std::string Line(const char* kind) { return std::string(kind) + " " + std::to_string(account); }

    // The contact-details dialog of `contact`, with the script run in it.
    std::intptr_t OpenDetails(HWND owner, unsigned int contact,
                              const std::function<void(UI::CYolWMUI_ContactDetailsDlg&)>& script) {
        dialogs_test::Scripted<UI::CYolWMUI_ContactDetailsDlg> dialog(&core->services, contact);
        dialog.script = [&](auto& d) { script(d); };
        return UI::CYolWMUI_ContactDetailsDlg::Run(owner, dialog);
    }
    // Waits for the account's details of `contact` and shows them as the
    // application does.
    void ShowDetailsWhenReady(unsigned int contact) {
        ASSERT_EQ(core->log.WaitFor("details "), Line("details") + " " + std::to_string(contact));
        UI::CYolWMUI_ContactDetailsDlg::Refresh(contact);
    }

    dialogs_test::DialogWindows windows;
    bool started = false;
    TempFolder folder;
    std::unique_ptr<MrimServer> server;
    std::unique_ptr<ZemCore> core;
    unsigned int account = 0;
};

// The account's settings pages in the program's account-settings dialog.
class SettingsDialog : public UI::CYolWMUI_SettingsControllerDlg {
public:
    SettingsDialog(ZemCore& core, unsigned int account) : core(core), account(account) {}
    void GetPans(YolTabDlg::CDlgInfo& info) override { core.Manager().CreateSettingsPanes(account, &info); }

private:
    ZemCore& core;
    unsigned int account;
};

TEST_F(MrimPanes, TheAccountPagesChangeTheLoginAndPasswordAndTheAccountReconnectsWithThem) {
    AddAlice("wrong");
    core->Manager().SetStatus(account, Protocols::Online);
    ASSERT_EQ(server->WaitFor("REJECTED"), "REJECTED alice@mail.ru");
    ASSERT_TRUE(core->Eventually([&] { return core->Status(account) == Protocols::Offline; }));

    dialogs_test::Scripted<SettingsDialog> dialog(*core, account);
    dialog.script = [&](auto& d) {
        HWND page = Page(d, 0);
        EXPECT_EQ(Text(page, 1015), "alice");
        EXPECT_EQ(Text(page, 1020), "@mail.ru");
        EXPECT_EQ(Text(page, 1016), "**************");
        SetText(page, 1015, "dave");
        SendMessage(GetDlgItem(page, 1020), CB_SETCURSEL, 2, 0);
        SetText(page, 1016, "dave-pw");
        EXPECT_EQ(Text(page, 1020), "@bk.ru");
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    };
    EXPECT_EQ(dialog.Run(windows.Parent()), 1);
    CYolString login;
    ASSERT_TRUE(core->Manager().GetAccountString(account, CYolString::FromUtf8("SrvLogName"), login, false));
    EXPECT_EQ(login.ToUtf8(), "dave@bk.ru");

    // At once, while the old login's clear may still be on its way.
    LogIn("dave@bk.ru");
    EXPECT_EQ(core->Contacts(account), std::vector<std::string>{"Work/alice@mail.ru 'Алиса'"});
}

TEST_F(MrimPanes, AContactsDetailsShowTheDirectorysEntryEvenWhenItCameAfterTheDialogClosed) {
    AddAlice();
    LogIn(kAlice);
    const unsigned int bob = core->ContactOf(account, kBob);
    ASSERT_NE(bob, 0u);

    // The server keeps its answer until the dialog is gone.
    ASSERT_TRUE(server->Command("hold"));
    EXPECT_EQ(OpenDetails(windows.Parent(), bob,
                          [&](auto& d) {
                              EXPECT_FALSE(server->WaitFor("SEARCH alice@mail.ru 9").empty());
                              EXPECT_EQ(Text(Page(d, 0), 1002), kBob);
                              EXPECT_EQ(Text(Page(d, 0), 1003), "");
                              windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
                          }),
              2);
    ASSERT_TRUE(server->Command("release"));
    ASSERT_EQ(core->log.WaitFor("details "), Line("details") + " " + std::to_string(bob));
    // What the application does with it: no dialog is open to show it.
    UI::CYolWMUI_ContactDetailsDlg::Refresh(bob);
    EXPECT_EQ(UI::CYolWMUI_ContactDetailsDlg::Open(), nullptr);
    EXPECT_EQ(core->ItemString(bob, "Zem: nick name"), "Бобби");

    // Opened again, the dialog shows the entry (and asks once more).
    const struct {
        int page;
        int id;
        const char* text;
    } shown[] = {{0, 1030, "Account name"}, {0, 1002, kBob},   {0, 1003, "Бобби"},     {0, 1004, "Боб"},
                 {0, 1005, "Смит"},          {1, 1034, "Location"}, {1, 1006, "Москва"},
                 {2, 1055, "Birthday"},      {2, 1027, "31/12/1990"}, {2, 1026, "Capricorn"},
                 // A details answer carries no gender: that comes with search results.
                 {2, 1024, ""}};
    OpenDetails(windows.Parent(), bob, [&](auto& d) {
        ShowDetailsWhenReady(bob);
        ASSERT_EQ(d.TabCount(), 3);
        for (const auto& s : shown)
            EXPECT_EQ(Text(Page(d, s.page), s.id), s.text) << s.page << "/" << s.id;
        EXPECT_TRUE(GetWindowLong(GetDlgItem(Page(d, 0), 1003), GWL_STYLE) & ES_READONLY);
        const char* pictures[] = {"zem_details_general", "zem_details_home", "zem_details_personal"};
        for (int i = 0; i < 3; ++i) {
            d.SelectTab(d.TabIdAt(i));
            windows.SaveGallery(d, pictures[i]);
        }
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

class MrimFindUser : public MrimPanes {
protected:
    // Starts the search of the page shown and hands the account's results
    // to the dialog as the application does, until the search ended.
    void Search(UI::CYolWMUI_FindUserDlg& d) {
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
        ASSERT_TRUE(d.IsBusy());
        ASSERT_TRUE(core->Eventually([&] {
            for (const Protocols::UserInfo& result : core->log.TakeResults())
                UI::CYolWMUI_FindUserDlg::OnSearchResult(result.contactId != 0 ? &result : nullptr);
            return !d.IsBusy();
        }));
    }
    // The entry of the drop-down whose value is `value`.
    static int EntryOf(HWND page, int id, unsigned int value) {
        HWND list = GetDlgItem(page, id);
        for (LRESULT i = 0; i < SendMessage(list, CB_GETCOUNT, 0, 0); ++i)
            if (static_cast<unsigned int>(SendMessage(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == value)
                return static_cast<int>(i);
        return -1;
    }
    std::string Params() {
        const std::string line = server->WaitFor("SEARCH alice@mail.ru 7");
        return line.size() > 30 ? line.substr(30) : line;
    }
};

TEST_F(MrimFindUser, FindsByAddressAndOpensTheResultsDetails) {
    AddAlice();
    LogIn(kAlice);
    dialogs_test::DetailsHost host;
    bool opened = false;
    host.details = [&](HWND owner, unsigned int contact) {
        opened = true;
        OpenDetails(owner, contact, [&](auto& d) {
            // A result is a contact of its own, filled from the search.
            EXPECT_EQ(Text(Page(d, 0), 1002), kBob);
            EXPECT_EQ(Text(Page(d, 0), 1003), "Бобби");
            EXPECT_EQ(Text(Page(d, 2), 1024), "Male");
            EXPECT_EQ(Text(Page(d, 2), 1027), "31/12/1990");
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
    };
    dialogs_test::Scripted<UI::CYolWMUI_FindUserDlg> dialog(&core->services, host, account);
    dialog.script = [&](auto& d) {
        ASSERT_EQ(d.SearchPageCount(), 2);
        d.SelectTab(d.TabIdAt(0));
        EXPECT_EQ(Text(Page(d, 0), 1108), "Search by Email");
        SetText(Page(d, 0), 1109, kBob);
        windows.SaveGallery(d, "zem_search_email");
        Search(d);
        EXPECT_EQ(Params(), "0=" + ToHex("bob") + ",1=" + ToHex("mail.ru"));
        ASSERT_EQ(d.ResultCount(), 1);
        EXPECT_EQ(d.Result(0).texts[0].ToUtf8(), kBob);
        EXPECT_EQ(d.Result(0).texts[1].ToUtf8(), "Бобби");
        d.RunResultCommand(UI::CYolWMUI_FindUserDlg::EDetails, 0);
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    UI::CYolWMUI_FindUserDlg::Run(windows.Parent(), dialog);
    EXPECT_TRUE(opened);
}

TEST_F(MrimFindUser, TheGlobalPageSendsItsCriteriaAndRefusesAgesThatAreNotOne) {
    AddAlice();
    LogIn(kAlice);
    const std::string longName(300, 'x');
    const struct {
        const char* first;
        const char* from;
        const char* to;
        unsigned int gender;
        unsigned int country;
        bool online;
        // The age field that keeps the focus, 0 when accepted; a refused
        // case that searched would show in the next case's criteria.
        int refusedAt;
        std::string params;  // what the server is asked
        int found;
    } cases[] = {
        {"боб", "1x", "0", 0, 0, false, 1120, "", 0},
        {"боб", "18", "0", 1, 24, false, 0,
         "3=" + ToHex("боб") + ",5=" + ToHex("1") + ",7=" + ToHex("18") + ",8=" + ToHex("120") + ",11=" + ToHex("24"),
         1},
        {"боб", "0", "121", 0, 0, false, 1122, "", 0},
        {"боб", "", "0", 0, 0, false, 1120, "", 0},
        {"боб", "0", "-5", 0, 0, false, 1122, "", 0},
        {"боб", "0", "30", 0, 0, true, 0,
         "3=" + ToHex("боб") + ",7=" + ToHex("1") + ",8=" + ToHex("30") + ",9=" + ToHex("1"), 1},
        // Texts are cut to what the record holds.
        {longName.c_str(), "0", "0", 2, 0, false, 0, "3=" + ToHex(std::string(256, 'x')) + ",5=" + ToHex("2"), 0},
    };
    dialogs_test::DetailsHost host;
    host.details = [](HWND, unsigned int) {};
    dialogs_test::Scripted<UI::CYolWMUI_FindUserDlg> dialog(&core->services, host, account);
    dialog.script = [&](auto& d) {
        d.SelectTab(d.TabIdAt(1));
        HWND page = Page(d, 1);
        EXPECT_EQ(Text(page, 1120), "0");
        EXPECT_EQ(Text(page, 1122), "0");
        EXPECT_EQ(Text(page, 1121), "-");
        EXPECT_EQ(SendMessage(GetDlgItem(page, 1118), CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(Text(page, 1124), "");
        windows.SaveGallery(d, "zem_search_global");
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.first).substr(0, 8) + " " + c.from + "-" + c.to);
            d.SelectTab(d.TabIdAt(1));
            SetText(page, 1114, c.first);
            SetText(page, 1120, c.from);
            SetText(page, 1122, c.to);
            SendMessage(GetDlgItem(page, 1118), CB_SETCURSEL, static_cast<WPARAM>(EntryOf(page, 1118, c.gender)), 0);
            SendMessage(GetDlgItem(page, 1124), CB_SETCURSEL, static_cast<WPARAM>(EntryOf(page, 1124, c.country)), 0);
            CheckDlgButton(page, 1131, c.online ? BST_CHECKED : BST_UNCHECKED);
            if (c.refusedAt != 0) {
                windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
                EXPECT_FALSE(d.IsBusy());
                EXPECT_EQ(GetFocus(), GetDlgItem(page, c.refusedAt));
                EXPECT_EQ(core->log.WaitFor("text "), Line("text") + " Age must be a number from 0 to 120.");
                continue;
            }
            d.ClearResults();
            Search(d);
            EXPECT_EQ(Params(), c.params);
            EXPECT_EQ(d.ResultCount(), c.found);
        }
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    };
    // A refused page searched nothing: each search above was the one its case asked for.
    UI::CYolWMUI_FindUserDlg::Run(windows.Parent(), dialog);
}

TEST_F(MrimPanes, TheOwnDetailsPageOpensTheUsersWebPageSignedIn) {
    AddAlice();
    auto openOwn = [&](const std::function<void(UI::CYolWMUI_UserDetailsDlg&)>& script) {
        dialogs_test::Scripted<UI::CYolWMUI_UserDetailsDlg> dialog(&core->services, account);
        dialog.script = [&](auto& d) { script(d); };
        return UI::CYolWMUI_UserDetailsDlg::Run(windows.Parent(), dialog);
    };
    // Offline there is no key to sign in with.
    openOwn([&](auto& d) {
        ASSERT_EQ(d.TabCount(), 1);
        EXPECT_EQ(d.GetTab(d.TabIdAt(0))->caption.ToUtf8(), "General");
        EXPECT_EQ(Text(Page(d, 0), 1005),
                  "User details can be edited only in browser.\nFor opening it, push button below:");
        EXPECT_EQ(Text(Page(d, 0), 1006), "Open...");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Page(d, 0), 1006)));
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
    LogIn(kAlice);
    openOwn([&](auto& d) {
        EXPECT_FALSE(server->WaitFor("MAILSESSION alice@mail.ru").empty());
        ASSERT_EQ(core->log.WaitFor("own "), Line("own"));
        UI::CYolWMUI_UserDetailsDlg::Refresh(account);
        HWND page = Page(d, 0);
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page, 1006)));
        windows.SaveGallery(d, "zem_own_details");
        SendMessage(GetDlgItem(page, 1006), BM_CLICK, 0, 0);
        Platform::PumpMessages();
        EXPECT_EQ(core->log.WaitFor("url "),
                  Line("url") +
                      " https://win.mail.ru/cgi-bin/auth?Login=alice@mail.ru&agent=key-alice"
                      "&page=https://win.mail.ru/cgi-bin/userinfo?zem=1");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

}  // namespace
