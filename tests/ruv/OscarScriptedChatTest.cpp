// Two real accounts over real sockets through the scripted OSCAR server of
// tests/peers: each receives a list in several parts into its contact
// list, sees the other arrive and leave, and they exchange messages in
// every encoding (with their acknowledgements), typing notices and
// extended-status requests answered automatically; one of them edits its
// list and meets every refusal the server can answer with.

#include "OscarChatFixture.h"

#include "CYolPath.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace RuvPeers;

class OscarScriptedChat : public OscarChatFixture {
protected:
    void SetUp() override { Start({}); }
};

TEST_F(OscarScriptedChat, ListsPresenceMessagesInEveryEncodingAndTyping) {
    EXPECT_EQ(a.Contacts(), (std::vector<std::string>{"Friends/100300 'Друг 100300'"}));
    EXPECT_EQ(a.log.WaitFor("status " + Id(aSeesB) + " 2"), "status " + Id(aSeesB) + " 2 ");
    EXPECT_EQ(b.log.WaitFor("status " + Id(bSeesA) + " 2"), "status " + Id(bSeesA) + " 2 ");
    // Channel 4, code page.
    EXPECT_EQ(a.log.WaitFor("message " + Id(aSeesB)), "message " + Id(aSeesB) + " 0 Канал 4");
    EXPECT_EQ(b.log.WaitFor("message " + Id(bSeesA)), "message " + Id(bSeesA) + " 0 Канал 4");

    // Through the relay in UTF-8, then in the code page, then (the peer
    // now seen as an old client) on channel 1 in UTF-16; each acknowledged
    // under its own message id.
    a.SendText(aSeesB, "Привет 😀", 1001);
    EXPECT_EQ(b.log.WaitFor("message " + Id(bSeesA)), "message " + Id(bSeesA) + " 0 Привет 😀");
    EXPECT_EQ(a.log.WaitFor("ack "), "ack " + Id(aSeesB) + " 1001");
    b.SendText(bSeesA, "Ответ", 2002);
    EXPECT_EQ(a.log.WaitFor("message " + Id(aSeesB)), "message " + Id(aSeesB) + " 0 Ответ");
    EXPECT_EQ(b.log.WaitFor("ack "), "ack " + Id(bSeesA) + " 2002");
    b.SendText(bSeesA, "Ещё 😀", 2003);
    EXPECT_EQ(a.log.WaitFor("message " + Id(aSeesB)), "message " + Id(aSeesB) + " 0 Ещё 😀");
    EXPECT_EQ(b.log.WaitFor("ack "), "ack " + Id(bSeesA) + " 2003");
    EXPECT_EQ(Report(), "MESSAGE 100200 ch2") << Log();
    EXPECT_EQ(Report(), "MESSAGE 100300 ch2") << Log();
    EXPECT_EQ(Report(), "MESSAGE 100300 ch1") << Log();

    a.Command(Protocols::AccountCommand::SendTyping, LiveRuvAccount::Arg(aSeesB), LiveRuvAccount::Arg(true));
    EXPECT_EQ(b.log.WaitFor("typing "), "typing " + Id(bSeesA));

    b.SetStatus(Protocols::Offline);
    EXPECT_EQ(a.log.WaitFor("status " + Id(aSeesB) + " 0"), "status " + Id(aSeesB) + " 0 ");
    a.SetStatus(Protocols::Offline);
    EXPECT_EQ(Report(), "DONE") << Log();
}

TEST_F(OscarScriptedChat, AnExtendedStatusIsAskedForAndAnsweredAutomatically) {
    EXPECT_EQ(a.log.WaitFor("status " + Id(aSeesB) + " 2"), "status " + Id(aSeesB) + " 2 ");
    b.Command(Protocols::AccountCommand::SetXStatus, LiveRuvAccount::Arg(10u),
              new Services::CEventArg_Data<CYolPair<CYolString, CYolString>>(CYolPair<CYolString, CYolString>(
                  CYolString::FromUtf8("Кофе & <чай>"), CYolString::FromUtf8("С молоком 😀"))));
    EXPECT_EQ(Report(), "CAPS 100300") << Log();
    // The peer's new capabilities have come: it names an extended status.
    EXPECT_EQ(a.log.WaitFor("status " + Id(aSeesB) + " 2"), "status " + Id(aSeesB) + " 2 ");

    a.Choose(aSeesB, RuvMenus::kChoiceXStatus);
    EXPECT_EQ(Report(), "MESSAGE 100200 ch2") << Log();
    EXPECT_EQ(a.log.WaitFor("message " + Id(aSeesB) + " 2"), "message " + Id(aSeesB) + " 2 Кофе & <чай>");
    bool shown = false;
    for (const Protocols::MessageInfo& message : a.log.TakeMessages())
        if (message.kind == 2) {
            shown = true;
            EXPECT_EQ(message.extra.ToUtf8(), "С молоком 😀");
        }
    EXPECT_TRUE(shown);
    b.SetStatus(Protocols::Offline);
    a.SetStatus(Protocols::Offline);
    EXPECT_EQ(Report(), "DONE") << Log();
}

TEST_F(OscarScriptedChat, ListEditsMeetEveryAnswer) {
    const unsigned int friends = a.GroupNamed("Friends");
    ASSERT_NE(friends, 0u);
    AddContact(a, "100400", "Вера", friends);
    EXPECT_EQ(Report(), "EDIT 100200 08 100400 0") << Log();
    ASSERT_TRUE(a.Eventually([&] { return a.ContactOf("100400") != 0; }));
    const unsigned int vera = a.ContactOf("100400");

    const struct {
        const char* name;
        const char* text;
    } refusals[] = {
        {"100902", "Item not found"},
        {"100903", "Item already exist"},
        {"100910", "Error adding item"},
        {"100912", "Can't add item (limit of this type of items exceeded)"},
        {"100913", "Trying to add Ruv contact to AIM list"},
    };
    for (const auto& refusal : refusals) {
        AddContact(a, refusal.name, "x", friends);
        EXPECT_EQ(Report(), std::string("EDIT 100200 08 ") + refusal.name + " " + std::to_string(std::stoi(refusal.name + 4))) << Log();
        EXPECT_TRUE(a.WaitForText(refusal.text)) << refusal.name;
        EXPECT_EQ(a.ContactOf(refusal.name), 0u);
    }
    AddContact(a, "100914", "y", friends);
    EXPECT_EQ(Report(), "EDIT 100200 08 100914 14") << Log();
    EXPECT_TRUE(a.WaitForText("Contact is authorization required"));
    EXPECT_EQ(Report(), "EDIT 100200 08 100914 0") << Log();
    EXPECT_TRUE(a.Eventually([&] { return a.ContactOf("100914") != 0; }));

    a.Command(Protocols::AccountCommand::RenameContact, LiveRuvAccount::Arg(vera), LiveRuvAccount::Arg(std::string("Вера П")));
    EXPECT_EQ(Report(), "EDIT 100200 09 100400 0") << Log();
    EXPECT_TRUE(a.Eventually([&] { return a.ItemString(vera, "CL Alias").ToUtf8() == "Вера П"; }));

    a.Command(Protocols::AccountCommand::AddGroup, LiveRuvAccount::Arg(std::string("Work")));
    EXPECT_EQ(Report(), "EDIT 100200 08 Work 0") << Log();
    ASSERT_TRUE(a.Eventually([&] { return a.GroupNamed("Work") != 0; }));
    a.Command(Protocols::AccountCommand::MoveContact, LiveRuvAccount::Arg(vera),
              LiveRuvAccount::Arg(a.GroupNamed("Work")));
    EXPECT_EQ(Report(), "EDIT 100200 0a 100400 0") << Log();
    EXPECT_EQ(Report(), "EDIT 100200 08 100400 0") << Log();
    EXPECT_TRUE(a.Eventually([&] {
        const auto contacts = a.Contacts();
        return std::find(contacts.begin(), contacts.end(), "Work/100400 'Вера П'") != contacts.end();
    }));
    a.Command(Protocols::AccountCommand::DeleteContact, LiveRuvAccount::Arg(vera));
    EXPECT_EQ(Report(), "EDIT 100200 0a 100400 0") << Log();
    EXPECT_TRUE(a.Eventually([&] { return a.ContactOf("100400") == 0; }));

    // The peer grants its authorization: the user is told (after the
    // channel-4 greeting).
    EXPECT_EQ(a.log.WaitFor("message " + Id(aSeesB)), "message " + Id(aSeesB) + " 0 Канал 4");
    b.Command(Protocols::AccountCommand::SetAuthorization, LiveRuvAccount::Arg(bSeesA), LiveRuvAccount::Arg(true));
    EXPECT_EQ(a.log.WaitFor("message " + Id(aSeesB)).rfind("message " + Id(aSeesB) + " 0 100300", 0), 0u);
    b.SetStatus(Protocols::Offline);
    a.SetStatus(Protocols::Offline);
    EXPECT_EQ(Report(), "DONE") << Log();
}

TEST_F(OscarScriptedChat, MenuChoicesChangeThePrivacyModeAndLists) {
    a.Choose(0, RuvMenus::kChoicePrivacy + 2);
    EXPECT_EQ(Report(), "EDIT 100200 09 - 0 mode 2") << Log();
    a.Choose(0, RuvMenus::kChoicePrivacy + 1);
    EXPECT_EQ(Report(), "EDIT 100200 09 - 0 mode 1") << Log();

    // The third row of the list entries is the ignore list.
    a.Choose(aSeesB, RuvMenus::kChoiceListAdd + 2);
    EXPECT_EQ(Report(), "EDIT 100200 08 100300 0 list 14") << Log();
    EXPECT_TRUE(a.Eventually([&] { return a.Flag(aSeesB, "In ignore list") == 1; }));
    a.Choose(aSeesB, RuvMenus::kChoiceListRemove + 2);
    EXPECT_EQ(Report(), "EDIT 100200 0a 100300 0 list 14") << Log();
    EXPECT_TRUE(a.Eventually([&] { return a.Flag(aSeesB, "In ignore list") == 0; }));

    // A choice that arrives after the session ended does nothing.
    b.SetStatus(Protocols::Offline);
    a.SetStatus(Protocols::Offline);
    a.Choose(aSeesB, RuvMenus::kChoiceListAdd);
    EXPECT_EQ(Report(), "DONE") << Log();
}

// The same two accounts, each shown to the other with what it announced of
// itself, and the rules file as it ships, installed beside the plug-in.
class OscarScriptedIdentity : public OscarScriptedChat {
protected:
    void SetUp() override {
        previousAppDir = CYolPath::AppDir();
        const std::string folder = install.PathOf("Protos/Ruv");
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(std::string(YOL_ASSETS_DIR) + "/Ruv/clients.cfg", folder + "/clients.cfg");
        CYolPath::SetAppDir(CYolString::FromUtf8(install.Root() + "/"));
        a.UseSkins(skins);
        b.UseSkins(skins);
        Start({"--own-caps"});
    }
    void TearDown() override { CYolPath::SetAppDir(previousAppDir); }

    TempFolder install;
    CYolString previousAppDir;
};

TEST_F(OscarScriptedIdentity, EachAccountRecognisesTheOtherAsOurOwnClient) {
    EXPECT_EQ(a.log.WaitFor("status " + Id(aSeesB) + " 2"), "status " + Id(aSeesB) + " 2 ");
    EXPECT_EQ(b.log.WaitFor("status " + Id(bSeesA) + " 2"), "status " + Id(bSeesA) + " 2 ");
    // The picture of the "Yol PDA" rule of the shipped client rules.
    EXPECT_EQ(a.ClientPictureOf(aSeesB), "Clients/yol_pda.png");
    EXPECT_EQ(b.ClientPictureOf(bSeesA), "Clients/yol_pda.png");
    b.SetStatus(Protocols::Offline);
    EXPECT_EQ(a.log.WaitFor("status " + Id(aSeesB) + " 0"), "status " + Id(aSeesB) + " 0 ");
    a.SetStatus(Protocols::Offline);
    EXPECT_EQ(Report(), "DONE") << Log();
}

// Buddies named for a result code that are on the ignore list already: a
// refused add to the visible list, and a refused removal from the ignore
// list, leave the local lists as they were.
class OscarScriptedPrivacy : public OscarScriptedChat {
protected:
    void SetUp() override {
        std::vector<std::string> extra{"--ignored"};
        for (const auto& refusal : kRefusals)
            extra.push_back(refusal.name);
        Start(extra);
    }
    static constexpr struct {
        const char* name;
        const char* text;
    } kRefusals[] = {
        {"100902", "Item not found"},
        {"100903", "Item already exist"},
        {"100910", "Error adding item"},
        {"100912", "Can't add item (limit of this type of items exceeded)"},
        {"100913", "Trying to add Ruv contact to AIM list"},
    };
};

TEST_F(OscarScriptedPrivacy, RefusedListEditsLeaveTheListsAsTheyWere) {
    for (const auto& refusal : kRefusals) {
        const unsigned int contact = a.ContactOf(refusal.name);
        ASSERT_NE(contact, 0u) << refusal.name;
        const std::string code = std::to_string(std::stoi(refusal.name + 4));
        EXPECT_EQ(a.Flag(contact, "In ignore list"), 1) << refusal.name;

        a.Choose(contact, RuvMenus::kChoiceListAdd);
        EXPECT_EQ(Report(), std::string("EDIT 100200 08 ") + refusal.name + " " + code + " list 2") << Log();
        EXPECT_TRUE(a.WaitForText(refusal.text)) << refusal.name;
        a.Choose(contact, RuvMenus::kChoiceListRemove + 2);
        EXPECT_EQ(Report(), std::string("EDIT 100200 0a ") + refusal.name + " " + code + " list 14") << Log();
        EXPECT_TRUE(a.WaitForText(refusal.text)) << refusal.name;
        a.DrainList();
        EXPECT_EQ(a.Flag(contact, "In visible list"), 0) << refusal.name;
        EXPECT_EQ(a.Flag(contact, "In ignore list"), 1) << refusal.name;
    }
    // Accepted edits of the same kinds do change them.
    a.Choose(aSeesB, RuvMenus::kChoiceListAdd);
    EXPECT_EQ(Report(), "EDIT 100200 08 100300 0 list 2") << Log();
    EXPECT_TRUE(a.Eventually([&] { return a.Flag(aSeesB, "In visible list") == 1; }));
    a.Choose(aSeesB, RuvMenus::kChoiceListAdd + 1);
    EXPECT_EQ(Report(), "EDIT 100200 08 100300 0 list 3") << Log();
    EXPECT_TRUE(a.Eventually([&] { return a.Flag(aSeesB, "In invisible list") == 1; }));
    a.Choose(aSeesB, RuvMenus::kChoiceListRemove);
    EXPECT_EQ(Report(), "EDIT 100200 0a 100300 0 list 2") << Log();
    EXPECT_TRUE(a.Eventually([&] { return a.Flag(aSeesB, "In visible list") == 0; }));
    b.SetStatus(Protocols::Offline);
    a.SetStatus(Protocols::Offline);
    EXPECT_EQ(Report(), "DONE") << Log();
}

}  // namespace
