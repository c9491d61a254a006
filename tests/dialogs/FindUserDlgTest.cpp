// The find-user dialog over a protocols-manager double whose account gives
// two search pages: starting and stopping a search, the result rows, late
// results, and the commands of a result's menu against the real
// contact-list model.

#include "DialogsTestSupport.h"

#include "CContactListImpl.h"
#include "CServicesManagerImpl.h"
#include "CYolMenuInfo.h"
#include "CYolWMUI_FindUserDlg.h"
#include "CYolWMUI_TabPan.h"
#include "Controls/ControlListView.h"
#include "MemoryDatabase.h"
#include "TestSupport.h"
#include "NullProtocolsManager.h"
#include "ProtocolsManagerEvents.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/WindowModule.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dialogs_test;
using UI::CYolWMUI_BigDlg;
using UI::CYolWMUI_FindUserDlg;

namespace {

constexpr unsigned int kAccount = 7;
Platform::Module g_criteriaModule{"find-user test pages"};
constexpr int kCriteriaTemplate = 900;
constexpr int kCriteriaEdit = 1001;

// A search page as a plug-in gives one: one field it copies on save.
class CriteriaPan final : public UI::CYolWMUI_SettingsPan {
public:
    CriteriaPan(const char* caption, std::vector<std::string>& saved) : caption(caption), saved(saved) {}
    CYolString GetCaption() override { return CYolString::FromUtf8(caption); }
    CYolArray<unsigned int> GetImages() override { return {}; }
    YolTabDlg::TDlgTemplate GetDlgTemplate() override { return {&g_criteriaModule, kCriteriaTemplate}; }
    int DoDataExchange(int save) override {
        if (save)
            saved.push_back(caption + std::string(":") + UI::GetDlgItemString(Handle(), kCriteriaEdit).ToUtf8());
        return 1;
    }

private:
    std::string caption;
    std::vector<std::string>& saved;
};

class SearchManager final : public YolTest::NullProtocolsManager {
public:
    int pages = 2;
    Status status = Protocols::Offline;
    std::vector<int> searches;
    std::vector<std::string> saved;
    std::vector<std::string> log;

    int CreateSearchPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) override {
        EXPECT_EQ(account, kAccount);
        const char* captions[] = {"By JID", "Global"};
        for (int i = 0; i < pages; ++i)
            panes->Add(new CriteriaPan(captions[i], saved));
        return 0;
    }
    int StartSearch(unsigned int, int page) override {
        searches.push_back(page);
        return 0;
    }
    int GetStatus(unsigned int, Status& out) override {
        out = status;
        return 0;
    }
    bool SendContact80(unsigned int, unsigned int contact) override {
        log.push_back("contact80 " + std::to_string(contact));
        return true;
    }
    bool AddContact(unsigned int, unsigned int group, const CYolString& login, const CYolString& name) override {
        log.push_back("add " + std::to_string(group) + " " + login.ToUtf8() + " " + name.ToUtf8());
        return true;
    }
};

class RecordingFindUserHost final : public UI::MYolWMUI_FindUserHost {
public:
    std::vector<std::string> log;
    std::vector<int> menuCommands;  // of the last menu shown
    int choice = -1;
    unsigned int drawn = 0;

    void ShowWarning(const CYolString& text) override { log.push_back("warning " + text.ToUtf8()); }
    void OpenChat(unsigned int contact) override { log.push_back("chat " + std::to_string(contact)); }
    void ShowContactDetails(HWND, unsigned int contact) override {
        log.push_back("details " + std::to_string(contact));
    }
    bool AskAddContact(HWND, unsigned int, const CYolArray<unsigned int>& groups, unsigned int& group,
                       CYolString& login, CYolString& name) override {
        log.push_back("ask " + login.ToUtf8() + " " + name.ToUtf8());
        group = groups[0];
        return true;
    }
    int PopupMenu(HWND, const CYolMenuInfo& menu, const RECT&, POINT) override {
        menuCommands.clear();
        for (int i = 0; i < menu.Count(); ++i)
            menuCommands.push_back(menu[i].kind == CYolMenuItemInfo::Separator ? -1 : menu[i].commandId);
        return choice;
    }
    void DrawImage(HDC, unsigned int, POINT) override { ++drawn; }
};

Protocols::UserInfo User(unsigned int contact, const char* login, unsigned char gender = 0, unsigned short age = 0) {
    Protocols::UserInfo user;
    user.contactId = contact;
    user.login = CYolString::FromUtf8(login);
    user.nick = CYolString::FromUtf8("nick");
    user.imageIds.Add(3);
    user.gender = gender;
    user.age = age;
    return user;
}

class FindUser : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        DialogTemplate page;
        page.style = WS_CHILD | DS_SETFONT | DS_CONTROL;
        page.cx = 150;
        page.cy = 40;
        page.items = {{WC_EDIT, kCriteriaEdit, 4, 4, 140, 13, WS_VISIBLE | WS_TABSTOP | WS_BORDER, u""}};
        RegisterDialogTemplate(&g_criteriaModule, kCriteriaTemplate, page);
        services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        model = std::make_unique<CL::CContactListImpl>(&services);
        services.SendEvent(model->GetEventsClientId(), ProtocolsManagerGuid,
                           Protocols::ProtocolsManagerEvent::AccountAdded,
                           new Services::CEventArg_Data<unsigned int>(kAccount), nullptr, true);
    }
    void TearDown() override {
        model.reset();
        services.StopAllQueues();
        DialogTest::TearDown();
    }
    std::intptr_t Open(const std::function<void(CYolWMUI_FindUserDlg&)>& script) {
        Scripted<CYolWMUI_FindUserDlg> dialog(&services, host, kAccount);
        dialog.script = [&](auto& d) { script(d); };
        return CYolWMUI_FindUserDlg::Run(parent, dialog);
    }
    // Starts a search from the first page and hands the dialog one result.
    static void SearchAndFind(CYolWMUI_FindUserDlg& d, const Protocols::UserInfo& user) {
        d.SelectTab(d.TabIdAt(0));
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
        CYolWMUI_FindUserDlg::OnSearchResult(&user);
    }
    static int ListCount(CYolWMUI_FindUserDlg& d) { return ListView_GetItemCount(d.ResultList()); }
    static void Close(CYolWMUI_FindUserDlg& d) { SoftKey(d, CYolWMUI_BigDlg::ERight); }

    MemoryDatabase database;
    SearchManager manager;
    Services::CServicesManagerImpl services;
    std::unique_ptr<CL::CContactListImpl> model;
    RecordingFindUserHost host;
};

TEST(FindUserText, GenderAndAgeColumn) {
    const struct {
        unsigned int gender, age;
        const char* text;
    } cases[] = {{2, 25, "M - 25"}, {1, 0, "F"}, {0, 1000, ""}, {0, 999, "999"}, {1, 1, "F - 1"}, {3, 5, "5"}};
    for (const auto& c : cases)
        EXPECT_EQ(CYolWMUI_FindUserDlg::GenderAgeText(c.gender, c.age).ToUtf8(), c.text) << c.gender << c.age;
}

TEST_F(FindUser, TheResultPageFollowsTheAccountsPagesAndNoPagesCloseTheDialog) {
    EXPECT_EQ(Open([&](auto& d) {
                  ASSERT_EQ(d.TabCount(), 3);
                  EXPECT_EQ(d.GetTab(d.ResultTabId())->caption.ToUtf8(), "Result");
                  EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ELeft), "Search");
                  EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ERight), "Close");
                  SaveGallery(d, "find_user");
                  Close(d);
              }),
              2);
    manager.pages = 0;
    bool ran = false;
    EXPECT_EQ(Open([&](auto&) { ran = true; }), 2);
    EXPECT_FALSE(ran);
}

TEST_F(FindUser, SearchNeedsAPageFirstThenRepeatsTheLastOne) {
    Open([&](auto& d) {
        d.SelectTab(d.ResultTabId());
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
        EXPECT_FALSE(d.IsBusy());
        EXPECT_EQ(host.log, std::vector<std::string>{"warning Please, click need tab for search and try again"});
        EXPECT_TRUE(manager.searches.empty());

        d.SelectTab(d.TabIdAt(1));
        TypeInto(d.GetTab(d.TabIdAt(1))->pan->Handle(), kCriteriaEdit, u"Smith");
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
        EXPECT_TRUE(d.IsBusy());
        EXPECT_EQ(manager.searches, std::vector<int>{1});
        EXPECT_EQ(d.GetCurTabId(), d.ResultTabId());
        EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ELeft), "Stop");
        EXPECT_EQ(manager.saved, (std::vector<std::string>{"By JID:", "Global:Smith"}));

        // "Stop": the plug-in is not asked, its later results are dropped.
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
        EXPECT_FALSE(d.IsBusy());
        EXPECT_EQ(SoftKeyText(d, CYolWMUI_BigDlg::ELeft), "Search");
        const Protocols::UserInfo late = User(5, "late@example.org");
        CYolWMUI_FindUserDlg::OnSearchResult(&late);
        EXPECT_EQ(d.ResultCount(), 0);

        // On the result page the last page searches again.
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
        EXPECT_EQ(manager.searches, (std::vector<int>{1, 1}));
        Close(d);
    });
}

TEST_F(FindUser, ResultsComeAsRowsUntilTheEndMarker) {
    Open([&](auto& d) {
        d.SelectTab(d.TabIdAt(0));
        SoftKey(d, CYolWMUI_BigDlg::ELeft);
        const Protocols::UserInfo bob = User(11, "bob@example.org", 2, 25);
        const Protocols::UserInfo carol = User(12, "carol@example.org", 1);
        CYolWMUI_FindUserDlg::OnSearchResult(&bob);
        CYolWMUI_FindUserDlg::OnSearchResult(&carol);
        ASSERT_EQ(d.ResultCount(), 2);
        EXPECT_EQ(ListCount(d), 2);
        EXPECT_EQ(d.Result(0).texts[0].ToUtf8(), "bob@example.org");
        EXPECT_EQ(d.Result(0).texts[5].ToUtf8(), "M - 25");
        EXPECT_EQ(d.Result(1).texts[5].ToUtf8(), "F");
        EXPECT_EQ(ListView_GetNextItem(d.ResultList(), -1, LVNI_SELECTED), 0);
        SaveGallery(d, "find_user_results");
        EXPECT_GT(host.drawn, 0u);
        CYolWMUI_FindUserDlg::OnSearchResult(nullptr);
        EXPECT_FALSE(d.IsBusy());
        const Protocols::UserInfo late = User(13, "dave@example.org");
        CYolWMUI_FindUserDlg::OnSearchResult(&late);
        EXPECT_EQ(d.ResultCount(), 2);
        Close(d);
    });
    // With the dialog gone, a late answer finds nothing to go to.
    const Protocols::UserInfo late = User(14, "erin@example.org");
    CYolWMUI_FindUserDlg::OnSearchResult(&late);
    EXPECT_EQ(CYolWMUI_FindUserDlg::Open(), nullptr);
}

TEST_F(FindUser, ClearDuringASearchStartsTheRowsAgainFromTheTop) {
    Open([&](auto& d) {
        SearchAndFind(d, User(11, "bob@example.org"));
        host.choice = CYolWMUI_FindUserDlg::EClear;
        d.OnResultContextMenu(POINT{0, 0});
        EXPECT_EQ(d.ResultCount(), 0);
        EXPECT_EQ(ListCount(d), 0);
        const Protocols::UserInfo carol = User(12, "carol@example.org");
        CYolWMUI_FindUserDlg::OnSearchResult(&carol);
        ASSERT_EQ(d.ResultCount(), 1);
        EXPECT_EQ(d.Result(0).contactId, 12u);
        Close(d);
    });
}

TEST_F(FindUser, TheMenuOffersAddingOnlyWhileTheAccountIsConnected) {
    const struct {
        Protocols::Status status;
        bool onRow;
        std::vector<int> commands;
    } cases[] = {
        {Protocols::Offline, true, {0, 1, 2, 3}},
        {Protocols::Online, true, {0, 1, 2, -1, 4, 3}},
        {Protocols::Online, false, {3}},
    };
    for (const auto& c : cases) {
        manager.status = c.status;
        Open([&](auto& d) {
            SearchAndFind(d, User(11, "bob@example.org"));
            RECT row{};
            ListView_GetItemRect(d.ResultList(), 0, &row, LVIR_BOUNDS);
            POINT at{row.left + 4, c.onRow ? (row.top + row.bottom) / 2 : row.bottom + 200};
            ClientToScreen(d.ResultList(), &at);
            d.OnResultContextMenu(at);
            EXPECT_EQ(host.menuCommands, c.commands) << c.status << c.onRow;
            Close(d);
        });
    }
}

TEST_F(FindUser, ChattingWithAStrangerMakesItAContactOfTheAccountFirst) {
    const unsigned int stranger = model->FindOrAddTempContact(kAccount, W("bob@example.org"));
    model->SetItemString(stranger, W("CL Alias"), W("Bob"));
    Open([&](auto& d) {
        SearchAndFind(d, User(stranger, "bob@example.org"));
        d.RunResultCommand(CYolWMUI_FindUserDlg::ESendMessage, 0);
        const unsigned int added = d.Result(0).contactId;
        EXPECT_NE(added, stranger);
        EXPECT_FALSE(model->IsTempContact(added));
        CYolString login, alias;
        model->GetItemString(added, W("SrvLogName"), login);
        model->GetItemString(added, W("CL Alias"), alias);
        EXPECT_EQ(login.ToUtf8(), "bob@example.org");
        EXPECT_EQ(alias.ToUtf8(), "Bob");
        EXPECT_EQ(manager.log, std::vector<std::string>{"contact80 " + std::to_string(added)});
        EXPECT_EQ(host.log, std::vector<std::string>{"chat " + std::to_string(added)});
        // A contact already in the list is chatted with as it is; an index
        // that is no row does nothing.
        d.RunResultCommand(CYolWMUI_FindUserDlg::ESendMessage, 0);
        d.RunResultCommand(CYolWMUI_FindUserDlg::EDetails, 5);
        d.RunResultCommand(CYolWMUI_FindUserDlg::EDetails, -1);
        EXPECT_EQ(host.log.size(), 2u);
        EXPECT_EQ(manager.log.size(), 1u);
        Close(d);
    });
}

TEST_F(FindUser, AddingNeedsAGroupAndAddsWhatTheDialogConfirmed) {
    const unsigned int stranger = model->FindOrAddTempContact(kAccount, W("bob@example.org"));
    model->SetItemString(stranger, W("CL Alias"), W("Bob"));
    Open([&](auto& d) {
        SearchAndFind(d, User(stranger, "bob@example.org"));
        d.RunResultCommand(CYolWMUI_FindUserDlg::EAddContact, 0);
        EXPECT_EQ(host.log,
                  std::vector<std::string>{"warning Before adding a contact, please create at least one group"});
        Close(d);
    });
    const unsigned int group = model->AddGroup(kAccount);
    ASSERT_NE(group, 0u);
    host.log.clear();
    Open([&](auto& d) {
        SearchAndFind(d, User(stranger, "bob@example.org"));
        d.RunResultCommand(CYolWMUI_FindUserDlg::EAddContact, 0);
        Close(d);
    });
    EXPECT_EQ(host.log, std::vector<std::string>{"ask bob@example.org Bob"});
    EXPECT_EQ(manager.log, std::vector<std::string>{"add " + std::to_string(group) + " bob@example.org Bob"});
}

} // namespace
