// The account's side of its flavour: the settings it loads at start and
// saves at shutdown, the status-bar icons it publishes when it becomes ready,
// and its status and mailbox menus.

#include "CSkinManagerImpl.h"
#include "CYolMenuInfo.h"
#include "JabberPlugin.h"
#include "JabberStrings.h"
#include "ValueNames.h"
#include "XmppAccountHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace XmppTest;

namespace {

namespace AccountCommand = Protocols::AccountCommand;
namespace AccountEvent = Protocols::AccountEvent;

class JabberAccountFlavour : public testing::Test {
protected:
    void TearDown() override { Stop(); }

    // An account of `kind` with the skin service in place, so that the
    // plug-in's images get real ids; `before` sets its values, then it is
    // initialised.
    XmppAccountHarness& Start(int kind, const char* login,
                              const std::function<void(XmppAccountHarness&)>& before = {}) {
        Stop();
        h = std::make_unique<XmppAccountHarness>(kind);
        skins = std::make_unique<Skins::CSkinManagerImpl>(&h->services);
        h->SetValue(CYolString(ValueName::SrvLogName).ToUtf8(), login);
        if (before)
            before(*h);
        h->Init();
        return *h;
    }
    // The last account of the plug-in shuts down (releasing the images while
    // the skin service is there), then the service goes, then the rest.
    void Stop() {
        if (h)
            h->Shutdown();
        skins.reset();
        h.reset();
    }
    static CYolMenuInfo Menu(XmppAccountHarness& h, unsigned int kind) {
        CYolMenuInfo menu;
        h.Command(AccountCommand::GetAccountMenu, new CEventArg_Data<CYolMenuInfo*>(&menu),
                  new CEventArg_Data<unsigned int>(kind));
        return menu;
    }
    static std::vector<std::vector<unsigned int>> Icons(const std::vector<AccountEventRecord>& events) {
        std::vector<std::vector<unsigned int>> icons;
        for (const AccountEventRecord& e : events) {
            std::vector<unsigned int> ids;
            for (int i = 0; i < e.icon.Count(); ++i)
                ids.push_back(e.icon[i]);
            icons.push_back(ids);
        }
        return icons;
    }

    std::unique_ptr<XmppAccountHarness> h;
    std::unique_ptr<Skins::CSkinManagerImpl> skins;
};

TEST_F(JabberAccountFlavour, ReadyPublishesTheStatusIconAndTheOwnServicesMailbox) {
    const struct {
        int kind;
        const char* showEmailButton;  // "HideEmailBtn" stored, or null
        size_t icons;
    } rows[] = {
        {JabberKindYol, nullptr, 2},
        {JabberKindYol, "hide", 1},
        {JabberKindXmpp, nullptr, 1},
        {JabberKindGoogleTalk, nullptr, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.kind << (row.showEmailButton ? " hidden" : ""));
        Start(row.kind, "alice@example.org", [&](XmppAccountHarness& account) {
            if (row.showEmailButton)
                account.SetByte("HideEmailBtn", 1);
        });
        h->Events();
        h->Command(AccountCommand::Ready);
        ASSERT_EQ(JabberPlugin::ImageIds().Count(), kJabberImageCount);
        auto icons = Icons(h->Events(AccountEvent::AddStatusIcon));
        ASSERT_EQ(icons.size(), row.icons);
        // Offline: the flavour's first status image alone.
        const int first = GetJabberFlavour(row.kind).firstStatusImage;
        EXPECT_EQ(icons[0], std::vector<unsigned int>{JabberPlugin::ImageId(first)});
        if (row.icons == 2) {
            EXPECT_EQ(icons[1], std::vector<unsigned int>{JabberPlugin::ImageId(JabberImgMailbox)});
        }
    }
}

TEST_F(JabberAccountFlavour, StatusMenuIsTitledWithTheProtocolAndOwnJid) {
    Start(JabberKindGoogleTalk, "alice");
    CYolMenuInfo menu = Menu(*h, 0);
    EXPECT_EQ(menu.title.GetLocalized().ToUtf8(), "Google Talk alice@gmail.com");
    ASSERT_EQ(menu.Count(), 17);
    int statuses = 0;
    for (int i = 0; i < menu.Count(); ++i) {
        if (menu[i].kind != CYolMenuItemInfo::Item)
            continue;
        ++statuses;
        EXPECT_NE(menu[i].commandId, Protocols::Connecting);
        // Offline is what the account wants before it connects.
        EXPECT_EQ(menu[i].marked, menu[i].commandId == Protocols::Offline) << menu[i].commandId;
        EXPECT_EQ(YolMenuContextValue(menu[i].context), static_cast<unsigned int>(menu[i].commandId));
    }
    EXPECT_EQ(statuses, 14);
    EXPECT_EQ(menu[16].caption.GetLocalized().ToUtf8(), "Offline");
    EXPECT_EQ(menu[16].images.Count(), 1);
    EXPECT_EQ(menu[16].images[0], JabberPlugin::ImageId(29));
}

TEST_F(JabberAccountFlavour, MailboxItemOpensTheSignedWebmailLink) {
    Start(JabberKindYol, "alice@yol.im");
    h->Events();
    CYolMenuInfo menu = Menu(*h, 1);
    EXPECT_EQ(menu.title.GetLocalized().ToUtf8(), "Mailbox");
    ASSERT_EQ(menu.Count(), 1);
    EXPECT_EQ(menu[0].caption.GetLocalized().ToUtf8(), "Open Inbox");
    ASSERT_EQ(menu[0].images.Count(), 1);
    EXPECT_EQ(menu[0].images[0], JabberPlugin::ImageId(JabberImgMailbox));

    // Picked on the window thread: the account's link goes to the program.
    ASSERT_TRUE(menu[0].Invoke(XmppAccountHarness::kAccountId));
    auto opened = h->Events(AccountEvent::OpenUrl);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].account, XmppAccountHarness::kAccountId);
    EXPECT_EQ(opened[0].text.ToUtf8(), h->account->BuildWebmailLink().ToUtf8());
    EXPECT_EQ(opened[0].text.ToUtf8().rfind(kWebmailCheckUrl, 0), 0u);

    EXPECT_EQ(Menu(*h, 2).Count(), 0);
}

TEST_F(JabberAccountFlavour, SettingsAreLoadedAtInitAndSavedAtShutdown) {
    Start(JabberKindYandex, "alice");
    EXPECT_EQ(h->account->Settings().Login().ToUtf8(), "alice@ya.ru");
    EXPECT_TRUE(h->account->Settings().loaded);
    EXPECT_FALSE(h->manager.HasValue("SrvSpecDword5"));

    h->Shutdown();
    EXPECT_TRUE(h->manager.HasValue("SrvSpecDword5"));
    CYolString login;
    h->manager.GetAccountString(XmppAccountHarness::kAccountId, CYolString(ValueName::SrvLogName), login, false);
    EXPECT_EQ(login.ToUtf8(), "alice@ya.ru");
    unsigned int type = 0;
    h->manager.GetAccountDword(XmppAccountHarness::kAccountId, U("SrvSpecDword5"), type);
    EXPECT_EQ(type, 14004u);
}

}  // namespace
