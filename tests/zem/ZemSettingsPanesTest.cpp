// The MRIM account's settings pages inside the program's settings dialog:
// what they show of the stored settings, what an accepted dialog stores,
// the password mask and the domain list.

#include "CAuthReasonDlg.h"
#include "CEventArgFactoryImpl.h"
#include "CServicesManagerImpl.h"
#include "CYolWMUI_SettingsControllerDlg.h"
#include "CYolWMUI_TabPan.h"
#include "CZemAccount.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "DialogsTestSupport.h"
#include "NullProtocolsManager.h"
#include "RecordingSockets.h"
#include "TextDrawingSuppressions.h"
#include "PluginHelpers.h"
#include "ZemDetailsPanes.h"
#include "ZemPaneTemplates.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace {

using UI::CYolWMUI_BigDlg;
using ZemTest::U;

// Keeps the account's keys in memory and counts its events.
class KeyManager final : public YolTest::NullProtocolsManager, public Services::CEventsClient {
public:
    int OnEvent(const YOL_GUID&, int event, Services::CEventArg*, Services::CEventArg*) override {
        std::lock_guard guard(lock);
        ++events[event];
        return 1;
    }
    bool GetAccountString(unsigned int, const CYolString& key, CYolString& out, bool) override {
        std::lock_guard guard(lock);
        auto it = strings.find(key.ToUtf8());
        if (it == strings.end())
            return false;
        out = U(it->second);
        return true;
    }
    bool SetAccountString(unsigned int, const CYolString& key, const CYolString& value, bool) override {
        std::lock_guard guard(lock);
        strings[key.ToUtf8()] = value.ToUtf8();
        return true;
    }
    bool GetAccountByte(unsigned int, const CYolString& key, unsigned char& out) override {
        std::lock_guard guard(lock);
        auto it = bytes.find(key.ToUtf8());
        if (it == bytes.end())
            return false;
        out = it->second;
        return true;
    }
    bool SetAccountByte(unsigned int, const CYolString& key, const unsigned char& value) override {
        std::lock_guard guard(lock);
        bytes[key.ToUtf8()] = value;
        return true;
    }
    int Events(int event) {
        std::lock_guard guard(lock);
        return events[event];
    }

    std::mutex lock;
    std::map<std::string, std::string> strings;
    std::map<std::string, unsigned char> bytes;
    std::map<int, int> events;
};

class ZemSettingsPanes : public ::testing::Test {
protected:
    static constexpr unsigned int kAccountId = 0x30000007;

    // The program's settings dialog, whose pages the account makes.
    class Dialog : public UI::CYolWMUI_SettingsControllerDlg {
    public:
        explicit Dialog(ZemSettingsPanes& t) : t(t) {}
        void GetPans(YolTabDlg::CDlgInfo& info) override {
            t.services.SendEvent(t.account->GetClientId(), ProtocolsManagerGuid,
                                 Protocols::AccountCommand::CreateSettingsPanes,
                                 new Services::CEventArg_Data<YolTabDlg::CDlgInfo*>(&info), nullptr, true);
        }

    private:
        ZemSettingsPanes& t;
    };

    void SetUp() override {
        windows.Start();
        manager.strings["SrvLogName"] = "alice@bk.ru";
        manager.strings["SrvLogPass"] = "secret";
        services.RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        services.RegisterService(SocketsManagerGuid, static_cast<Sockets::CSocketsManager*>(&sockets));
        managerKey = services.RegisterEventsClient(&manager, U("Protocols manager"));
        services.BroadcastStarted();
        account = new CZemAccount(&services, kAccountId, managerKey);
        Command(Protocols::AccountCommand::Init);
    }
    void TearDown() override {
        Command(Protocols::AccountCommand::Shutdown);
        account->Destroy();
        services.StopAllQueues();
        windows.Stop();
    }
    int Command(int event) {
        return services.SendEvent(account->GetClientId(), ProtocolsManagerGuid, event, nullptr, nullptr, true);
    }
    std::intptr_t Open(const std::function<void(Dialog&)>& script) {
        dialogs_test::Scripted<Dialog> dialog(*this);
        dialog.script = [&](auto& d) { script(d); };
        return dialog.Run(windows.Parent());
    }
    static HWND Page(UI::CYolWMUI_TabDlg& d, int index) { return d.GetTab(d.TabIdAt(index))->pan->Handle(); }
    static std::string Text(HWND page, int id) { return UI::GetDlgItemString(page, id).ToUtf8(); }
    static void SetText(HWND page, int id, const std::string& text) {
        SetDlgItemText(page, id, U(text).c_str());
        Platform::PumpMessages();
    }
    // The account's events reach the manager through its queue: a waited
    // event queued behind them lets them all through first.
    void DrainManager() { services.SendEvent(managerKey, ServicesManagerGuid, 0, nullptr, nullptr, true); }
    std::string Stored(const char* key) {
        std::lock_guard guard(manager.lock);
        return manager.strings[key];
    }

    dialogs_test::DialogWindows windows;
    Services::CServicesManagerImpl services;
    Protocols::CEventArgFactoryImpl factory;
    KeyManager manager;
    YolTest::RecordingSockets sockets;
    unsigned int managerKey = 0;
    CZemAccount* account = nullptr;
};

TEST_F(ZemSettingsPanes, ThePagesShowTheStoredSettings) {
    Open([&](Dialog& d) {
        ASSERT_EQ(d.TabCount(), 2);
        HWND page = Page(d, 0);
        EXPECT_EQ(Text(page, 1015), "alice");
        EXPECT_EQ(Text(page, 1020), "@bk.ru");
        EXPECT_EQ(Text(page, 1016), "**************");
        EXPECT_EQ(Text(page, 1001), "Account");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1017)));
        EXPECT_EQ(SendMessage(GetDlgItem(page, 1020), CB_GETCOUNT, 0, 0), 5);
        windows.SaveGallery(d, "zem_account_page");
        d.SelectTab(d.TabIdAt(1));
        EXPECT_EQ(IsDlgButtonChecked(Page(d, 1), 1061), BST_CHECKED);
        windows.SaveGallery(d, "zem_advanced_page");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
}

TEST_F(ZemSettingsPanes, WhatTheUserTypedIsStored) {
    const struct {
        int control;
        const char* typed;
        int domain;  // selected entry, -1 leaves it
        const char* key;
        const char* stored;
        int clears;
    } cases[] = {
        {0, nullptr, 0, "SrvLogName", "alice@mail.ru", 1},
        {1015, "bob", -1, "SrvLogName", "bob@bk.ru", 1},
        {1016, "n3w", -1, "SrvLogPass", "n3w", 0},
        {0, nullptr, -1, "SrvLogPass", "secret", 0},
    };
    for (const auto& c : cases) {
        {
            std::lock_guard guard(manager.lock);  // the account's thread reads them
            manager.strings["SrvLogName"] = "alice@bk.ru";
            manager.strings["SrvLogPass"] = "secret";
        }
        Command(Protocols::AccountCommand::ReloadSettings);
        const int before = manager.Events(Protocols::AccountEvent::ClearContacts);
        EXPECT_EQ(Open([&](Dialog& d) {
                      HWND page = Page(d, 0);
                      if (c.typed != nullptr)
                          SetText(page, c.control, c.typed);
                      if (c.domain >= 0)
                          SendMessage(GetDlgItem(page, 1020), CB_SETCURSEL, static_cast<WPARAM>(c.domain), 0);
                      windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
                  }),
                  1);
        EXPECT_EQ(Stored(c.key), c.stored) << c.key;
        DrainManager();
        EXPECT_EQ(manager.Events(Protocols::AccountEvent::ClearContacts) - before, c.clears) << c.stored;
    }
}

TEST_F(ZemSettingsPanes, TheAdvancedPageStoresBothFlags) {
    const struct {
        unsigned char notifyIn, hideIn;
        bool clickNotify, clickHide;
        unsigned char notifyOut, hideOut;
    } cases[] = {{1, 0, false, false, 1, 0}, {1, 0, true, true, 0, 1}, {0, 1, true, false, 1, 1}};
    for (const auto& c : cases) {
        {
            std::lock_guard guard(manager.lock);  // the account's thread reads them
            manager.bytes["EmailNotify"] = c.notifyIn;
            manager.bytes["HideEmailBtn"] = c.hideIn;
        }
        Command(Protocols::AccountCommand::ReloadSettings);
        Open([&](Dialog& d) {
            d.SelectTab(d.TabIdAt(1));
            HWND page = Page(d, 1);
            EXPECT_EQ(IsDlgButtonChecked(page, 1061) == BST_CHECKED, c.notifyIn != 0);
            EXPECT_EQ(IsDlgButtonChecked(page, 1063) == BST_CHECKED, c.hideIn != 0);
            EXPECT_EQ(Text(page, 1062), "Display email notifications");
            if (c.clickNotify)
                SendMessage(GetDlgItem(page, 1061), BM_CLICK, 0, 0);
            if (c.clickHide)
                SendMessage(GetDlgItem(page, 1063), BM_CLICK, 0, 0);
            windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
        });
        std::lock_guard guard(manager.lock);
        EXPECT_EQ(manager.bytes["EmailNotify"], c.notifyOut);
        EXPECT_EQ(manager.bytes["HideEmailBtn"], c.hideOut);
    }
}

// The reason dialog's texts by string id.
CYolString ReasonText(int id) {
    static const char* const kTexts[] = {"Authorization request", "Enter request reason", "OK", "Cancel"};
    return id >= 0 && id < 4 ? U(kTexts[id]) : CYolString();
}

// The reason of an authorization request, asked in the plug-in's dialog.
TEST_F(ZemSettingsPanes, TheReasonDialogHandsBackWhatWasTypedOnlyWhenAccepted) {
    EnsureZemPaneTemplates();
    const CAuthReasonDlg::TTexts texts{&ReasonText, 0, 1, 2, 3};
    const std::string tooLong(300, 'r');
    const struct {
        const char* typed;  // null: left as it was
        UI::CYolWMUI_BigDlg::TSoftKey key;
        std::intptr_t result;
        std::string reason;
    } cases[] = {
        {nullptr, CYolWMUI_BigDlg::ELeft, 1, "Please authorize my request."},
        {"it is me", CYolWMUI_BigDlg::ELeft, 1, "it is me"},
        {"", CYolWMUI_BigDlg::ELeft, 1, ""},
        {"never mind", CYolWMUI_BigDlg::ERight, 2, "Please authorize my request."},
        {tooLong.c_str(), CYolWMUI_BigDlg::ELeft, 1, std::string(256, 'r')},
    };
    for (const auto& c : cases) {
        dialogs_test::Scripted<CAuthReasonDlg> dialog(&services, texts, U("Please authorize my request."));
        dialog.script = [&](auto& d) {
            EXPECT_EQ(GetFocus(), d.GetDlgItem(CAuthReasonDlg::kReasonEdit));
            EXPECT_EQ(Text(d.Handle(), CAuthReasonDlg::kPrompt), "Enter request reason");
            EXPECT_EQ(Text(d.Handle(), CAuthReasonDlg::kReasonEdit), "Please authorize my request.");
            if (c.typed != nullptr)
                SetText(d.Handle(), CAuthReasonDlg::kReasonEdit, c.typed);
            if (c.typed == nullptr)
                windows.SaveGallery(d, "zem_auth_request");
            windows.SoftKey(d, c.key);
        };
        EXPECT_EQ(dialog.DoModal(kZemAuthRequestTemplate, Protocols::GetPluginModule(), windows.Parent()), c.result);
        EXPECT_EQ(dialog.Reason().ToUtf8(), c.reason);
    }
}

TEST_F(ZemSettingsPanes, ATypedPasswordIsBoundedByTheStoredField) {
    Open([&](Dialog& d) {
        SetText(Page(d, 0), 1016, std::string(400, 'x'));
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    });
    EXPECT_EQ(Stored("SrvLogPass"), std::string(256, 'x'));
}

TEST(ZemDetailsPages, ABirthdayShowsEachKnownPartPaddedAndKeepsBothSlashes) {
    const struct {
        unsigned int day, month, year;
        const char* shown;
    } cases[] = {{31, 12, 1990, "31/12/1990"}, {0, 0, 1990, "//1990"}, {5, 3, 0, "05/03/"},
                 {0, 0, 0, "//"},            {1, 1, 99, "01/01/0099"}, {0, 7, 12345, "/07/12345"}};
    for (const auto& c : cases)
        EXPECT_EQ(CZemDetailsPersonalPan::BirthdayText(c.day, c.month, c.year).ToUtf8(), c.shown) << c.shown;
}

}  // namespace
