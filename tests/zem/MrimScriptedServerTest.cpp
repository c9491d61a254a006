// Two MRIM accounts of the real plug-in library, made and driven by the
// protocols manager, against the scripted MRIM server: the redirect and
// the login, the contact list and presence, messages both ways in both text
// encodings (Cyrillic and characters outside the BMP), receipts and
// delivery acknowledgements, offline messages deleted once delivered,
// typing and its expiry, authorization, list edits with every
// acknowledgement code, list changes made elsewhere, a refused login,
// broken packets, contact details and the white-pages search, and
// reconnection after the server drops the session. The
// server asserts the layout of every packet it receives.

#include "CZemAccount.h"
#include "MrimDirectory.h"
#include "MrimWire.h"
#include "ZemPeerRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

namespace {

using namespace ZemPeers;

constexpr const char* kServerConfig = R"({"users": {
  "alice@mail.ru": {"password": "секрет", "groups": ["Друзья", "Work"],
    "contacts": [{"address": "bob@mail.ru", "nick": "Боб", "group": 0, "serverFlags": 1},
                 {"address": "carol@mail.ru", "nick": "", "group": 1}]},
  "bob@mail.ru": {"password": "bob-pw", "groups": ["Friends"],
    "contacts": [{"address": "alice@mail.ru", "nick": "Alice", "group": 0}],
    "details": {"Nickname": "Бобби", "FirstName": "Боб", "LastName": "Смит", "Sex": "1",
                "Birthday": "1990-12-31", "Location": "Москва", "Country_ID": "24"}},
  "dave@bk.ru": {"password": "dave-pw", "details": {"Nickname": "Дэйв", "FirstName": "Боб", "Sex": "2"}}
}})";

class MrimScriptedServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kPython, X_OK) != 0)
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
        server = std::make_unique<MrimServer>(folder, kServerConfig);
        ASSERT_TRUE(server->Ready()) << server->Log();
        core = std::make_unique<ZemCore>(folder);
        alice = core->AddAccount(kAlice, "секрет", server->RedirectPort());
        bob = core->AddAccount(kBob, "bob-pw", server->RedirectPort());
        ASSERT_NE(alice, 0u);
        ASSERT_NE(bob, 0u);
    }
    void TearDown() override {
        if (server)
            server->ExpectNoFailures();
        core.reset();
        server.reset();
    }

    void LogIn(unsigned int account, const std::string& login, Protocols::Status status = Protocols::Online) {
        core->Manager().SetStatus(account, status);
        ASSERT_FALSE(server->WaitFor("LOGIN " + login).empty()) << server->Log();
        ASSERT_TRUE(core->Eventually([&] { return core->Status(account) == status; }));
        // Every user of the rig has a list; it reaches the model through its
        // own queue, after the status.
        ASSERT_TRUE(core->Eventually([&] { return !core->Contacts(account).empty(); }));
    }
    void LogInBoth() {
        LogIn(alice, kAlice);
        LogIn(bob, kBob);
    }
    // The user sends `text` to the contact item `to`, as the message window does.
    unsigned int Send(unsigned int to, const std::string& text) {
        Protocols::MessageInfo message;
        message.messageId = ++messageIds;
        message.text = CYolString::FromUtf8(text);
        EXPECT_TRUE(core->List().SendMessage(to, &message, false));
        return message.messageId;
    }
    // The words of a "found" line: account, login, nick, gender, age, icons.
    static std::vector<std::string> Words(const std::string& line) {
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string word; in >> word;)
            words.push_back(word);
        return words.size() == 7 ? std::vector<std::string>(words.begin() + 1, words.end()) : words;
    }
    std::string ShownFrom(unsigned int contact) { return core->log.WaitFor("message " + std::to_string(contact)); }

    TempFolder folder;
    std::unique_ptr<MrimServer> server;
    std::unique_ptr<ZemCore> core;
    unsigned int alice = 0;
    unsigned int bob = 0;
    unsigned int messageIds = 500;
};

TEST_F(MrimScriptedServer, LogsInThroughTheRedirectAndShowsTheListAndPresence) {
    LogIn(alice, kAlice);
    // The list reaches the model through its own queue, after the status.
    const std::vector<std::string> list{"Work/carol@mail.ru 'carol'", "Друзья/bob@mail.ru 'Боб'"};
    EXPECT_TRUE(core->Eventually([&] { return core->Contacts(alice) == list; })) << testing::PrintToString(core->Contacts(alice));
    const unsigned int bobItem = core->ContactOf(alice, kBob);
    // bob has not yet authorized alice.
    EXPECT_EQ(core->ItemByte(bobItem, "Auth req"), 1);

    LogIn(bob, kBob, Protocols::Away);
    EXPECT_FALSE(core->log.WaitFor("cstatus " + std::to_string(bobItem) + " 11").empty());

    core->Manager().SetStatus(bob, Protocols::DoNotDisturb);
    EXPECT_EQ(server->WaitFor("STATUS bob"), "STATUS bob@mail.ru 4 status_dnd");
    EXPECT_FALSE(core->log.WaitFor("cstatus " + std::to_string(bobItem) + " 14").empty());

    core->Manager().SetStatus(bob, Protocols::Offline);
    EXPECT_EQ(server->WaitFor("CLOSED "), "CLOSED bob@mail.ru");
    EXPECT_FALSE(core->log.WaitFor("cstatus " + std::to_string(bobItem) + " 0").empty());
}

TEST_F(MrimScriptedServer, MessagesTravelBothWaysWithReceiptsAndAcknowledgements) {
    LogInBoth();
    const unsigned int bobAtAlice = core->ContactOf(alice, kBob);
    const unsigned int aliceAtBob = core->ContactOf(bob, kAlice);
    const std::string text = "Привет, 😀 мир";

    const unsigned int id = Send(bobAtAlice, text);
    EXPECT_EQ(server->WaitFor("MESSAGE alice"),
              "MESSAGE alice@mail.ru bob@mail.ru 00100000 " + std::to_string(id) + " " + ToHex(text));
    EXPECT_EQ(ShownFrom(aliceAtBob), "message " + std::to_string(aliceAtBob) + " 0 " + text);
    EXPECT_EQ(server->WaitFor("RECEIPT bob"), "RECEIPT bob@mail.ru alice@mail.ru 1001");
    EXPECT_EQ(core->log.WaitFor("ack " + std::to_string(bobAtAlice)),
              "ack " + std::to_string(bobAtAlice) + " " + std::to_string(id));

    Send(aliceAtBob, "𝄞 back");
    EXPECT_EQ(ShownFrom(bobAtAlice), "message " + std::to_string(bobAtAlice) + " 0 𝄞 back");

    // A text in Windows-1251, as other clients send it.
    const std::string cp1251 = To1251Bytes(CYolString::FromUtf8("Ёлка"));
    const std::string incoming = BuildMrimPacket(
        MrimPacketType::IncomingMessage, 0,
        MrimBodyWriter().UL(77).UL(0x00200000).LPS(kBob).LPS(cp1251).LPS({}).Take());
    ASSERT_TRUE(server->Command("raw alice@mail.ru " + ToHex(incoming)));
    EXPECT_EQ(ShownFrom(bobAtAlice), "message " + std::to_string(bobAtAlice) + " 0 Ёлка");
    EXPECT_FALSE(server->WaitFor("RECEIPT alice@mail.ru bob@mail.ru 1002").empty());
    EXPECT_FALSE(server->WaitFor("RECEIPT alice@mail.ru bob@mail.ru 77").empty());
}

TEST_F(MrimScriptedServer, OfflineMessagesArriveAtLoginAndAreDeleted) {
    LogIn(alice, kAlice);
    Send(core->ContactOf(alice, kBob), "Пока тебя не было");
    ASSERT_FALSE(server->WaitFor("MESSAGE alice").empty());
    // One more kept by the server in Windows-1251 mail form's UTF-16 body.
    const std::string raw = ToUtf16Bytes(CYolString::FromUtf8("второе 😀"));
    ASSERT_TRUE(server->Command("offline bob@mail.ru alice@mail.ru 00100000 " + ToHex("Tue, 2 Mar 2010") + " " +
                                ToHex(raw)));

    LogIn(bob, kBob);
    const unsigned int aliceAtBob = core->ContactOf(bob, kAlice);
    const std::string prefix = "message " + std::to_string(aliceAtBob) + " 1 Offline message (";
    EXPECT_EQ(ShownFrom(aliceAtBob), prefix + "Mon, 1 Mar 2010 10:00:00 +0300)\r\nПока тебя не было");
    EXPECT_EQ(ShownFrom(aliceAtBob), prefix + "Tue, 2 Mar 2010)\r\nвторое 😀");
    EXPECT_EQ(server->WaitFor("DELETED bob"), "DELETED bob@mail.ru 1");
    EXPECT_EQ(server->WaitFor("DELETED bob"), "DELETED bob@mail.ru 2");
    // Offline messages get no receipt.
    EXPECT_EQ(server->WaitFor("RECEIPT", 0), "");
}

TEST_F(MrimScriptedServer, TypingShowsAndEndsByItselfOrWithTheText) {
    LogInBoth();
    const unsigned int aliceAtBob = core->ContactOf(bob, kAlice);
    const std::string typing = "typing " + std::to_string(aliceAtBob) + " ";
    core->List().SendTypingNotification(core->ContactOf(alice, kBob), true);
    EXPECT_EQ(server->WaitFor("MESSAGE alice").rfind("MESSAGE alice@mail.ru bob@mail.ru 00200400 ", 0), 0u);
    EXPECT_EQ(core->log.WaitFor(typing), typing + "0");
    // Nobody says typing stopped: it ends after ten silent seconds.
    EXPECT_EQ(core->log.WaitFor(typing, 30000), typing + "1");

    core->List().SendTypingNotification(core->ContactOf(alice, kBob), true);
    EXPECT_EQ(core->log.WaitFor(typing), typing + "0");
    Send(core->ContactOf(alice, kBob), "done");
    EXPECT_EQ(core->log.WaitFor(typing, 5000), typing + "1");
    EXPECT_FALSE(ShownFrom(aliceAtBob).empty());
    // Typing notices are never shown as text and never receipted.
    EXPECT_EQ(server->WaitFor("RECEIPT"), "RECEIPT bob@mail.ru alice@mail.ru 1003");
}

TEST_F(MrimScriptedServer, AuthorizationGrantAndRequest) {
    LogInBoth();
    const unsigned int bobAtAlice = core->ContactOf(alice, kBob);
    ASSERT_EQ(core->ItemByte(bobAtAlice, "Auth req"), 1);
    core->Manager().SetAuthorization(bob, core->ContactOf(bob, kAlice), true);
    EXPECT_EQ(server->WaitFor("AUTHORIZE"), "AUTHORIZE bob@mail.ru alice@mail.ru");
    EXPECT_EQ(ShownFrom(bobAtAlice), "message " + std::to_string(bobAtAlice) + " 0 Боб\nAccepted your authorization");
    EXPECT_TRUE(core->Eventually([&] { return core->ItemByte(bobAtAlice, "Auth req") == 0; }));

    // bob drops alice and adds her again: she is asked to authorize him.
    core->Manager().DeleteContact(bob, core->ContactOf(bob, kAlice));
    ASSERT_FALSE(server->WaitFor("MODIFYCONTACT bob").empty());
    ASSERT_TRUE(core->Eventually([&] { return core->ContactOf(bob, kAlice) == 0; }));
    core->Manager().AddContact(bob, core->GroupOf(bob, "Friends"), CYolString::FromUtf8(kAlice),
                               CYolString::FromUtf8("Алиса"));
    EXPECT_EQ(server->WaitFor("ADDCONTACT bob"), "ADDCONTACT bob@mail.ru alice@mail.ru " + ToHex("Алиса") + " 0 " +
                                                     ToHex("Please authorize my request.") + " 0");
    EXPECT_EQ(ShownFrom(bobAtAlice), "message " + std::to_string(bobAtAlice) + " 3 Please authorize my request.");
    ASSERT_TRUE(core->Eventually([&] { return core->ContactOf(bob, kAlice) != 0; }));
    EXPECT_EQ(core->ItemByte(core->ContactOf(bob, kAlice), "Auth req"), 1);
}

TEST_F(MrimScriptedServer, ListEditsFollowTheServersAnswer) {
    LogIn(alice, kAlice);
    // Every refusal code shows its text and changes nothing; 9 has no text.
    const struct {
        int code;
        const char* text;
    } refusals[] = {{1, "Protocol error"},     {2, "Internal server error"}, {3, "Contact not exist"},
                    {4, "Incorrect contact name"}, {5, "Contact already exist"}, {6, "Groups limit (max 20)"},
                    {9, nullptr}};
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.code);
        ASSERT_TRUE(server->Command("ackcode " + std::to_string(refusal.code)));
        core->Manager().AddGroup(alice, CYolString::FromUtf8("G" + std::to_string(refusal.code)));
        ASSERT_FALSE(server->WaitFor("ADDGROUP alice").empty());
        if (refusal.text) {
            EXPECT_EQ(core->log.WaitFor("text "), "text " + std::to_string(alice) + " " + refusal.text);
        }
    }
    EXPECT_EQ(core->GroupOf(alice, "G6"), 0u);

    ASSERT_TRUE(server->Command("ackcode 0"));
    core->Manager().AddGroup(alice, CYolString::FromUtf8("Новая"));
    EXPECT_EQ(server->WaitFor("ADDGROUP alice"), "ADDGROUP alice@mail.ru " + ToHex("Новая") + " 0");
    ASSERT_TRUE(core->Eventually([&] { return core->GroupOf(alice, "Новая") != 0; }));

    const unsigned int carol = core->ContactOf(alice, "carol@mail.ru");
    core->Manager().RenameContact(alice, carol, CYolString::FromUtf8("Кэрол"));
    EXPECT_EQ(server->WaitFor("MODIFYCONTACT alice"),
              "MODIFYCONTACT alice@mail.ru carol@mail.ru 00000200 1 " + ToHex("Кэрол") + " 0");
    EXPECT_TRUE(core->Eventually([&] { return core->ItemString(carol, "CL Alias") == "Кэрол"; }));

    ASSERT_TRUE(server->Command("ackcode 3"));
    core->Manager().RenameContact(alice, carol, CYolString::FromUtf8("refused"));
    EXPECT_EQ(server->WaitFor("MODIFYCONTACT alice"),
              "MODIFYCONTACT alice@mail.ru carol@mail.ru 00000200 1 " + ToHex("refused") + " 3");
    EXPECT_EQ(core->log.WaitFor("text "), "text " + std::to_string(alice) + " Contact not exist");
    EXPECT_EQ(core->ItemString(carol, "CL Alias"), "Кэрол");

    core->Manager().MoveContact(alice, carol, core->GroupOf(alice, "Новая"));
    EXPECT_EQ(server->WaitFor("MODIFYCONTACT alice"),
              "MODIFYCONTACT alice@mail.ru carol@mail.ru 00000200 2 " + ToHex("Кэрол") + " 0");
    EXPECT_TRUE(core->Eventually([&] {
        return core->Contacts(alice) ==
               std::vector<std::string>{"Друзья/bob@mail.ru 'Боб'", "Новая/carol@mail.ru 'Кэрол'"};
    })) << testing::PrintToString(core->Contacts(alice));

    core->Manager().RenameGroup(alice, core->GroupOf(alice, "Work"), CYolString::FromUtf8("Работа"));
    EXPECT_EQ(server->WaitFor("MODIFYGROUP alice"), "MODIFYGROUP alice@mail.ru 1 01000200 " + ToHex("Работа") + " 0");
    EXPECT_TRUE(core->Eventually([&] { return core->GroupOf(alice, "Работа") != 0; }));

    core->Manager().DeleteContact(alice, carol);
    EXPECT_EQ(server->WaitFor("MODIFYCONTACT alice"),
              "MODIFYCONTACT alice@mail.ru carol@mail.ru 00000201 2 " + ToHex("Кэрол") + " 0");
    EXPECT_TRUE(core->Eventually([&] { return core->ContactOf(alice, "carol@mail.ru") == 0; }));

    core->Manager().DeleteGroup(alice, core->GroupOf(alice, "Работа"));
    EXPECT_EQ(server->WaitFor("MODIFYGROUP alice"), "MODIFYGROUP alice@mail.ru 1 01000201 " + ToHex("Работа") + " 0");
    EXPECT_TRUE(core->Eventually([&] { return core->GroupOf(alice, "Работа") == 0; }));
}

TEST_F(MrimScriptedServer, ListChangesMadeElsewhereReachTheList) {
    LogIn(alice, kAlice);
    ASSERT_TRUE(server->Command("elsewhere alice@mail.ru frank@mail.ru " + ToHex("Фрэнк") + " 1"));
    EXPECT_TRUE(core->Eventually([&] {
        return core->Contacts(alice) == std::vector<std::string>{"Work/carol@mail.ru 'carol'",
                                                                 "Work/frank@mail.ru 'Фрэнк'",
                                                                 "Друзья/bob@mail.ru 'Боб'"};
    }));
}

TEST_F(MrimScriptedServer, BrokenAndSplitPacketsLeaveTheSessionWorking) {
    LogIn(alice, kAlice);
    const unsigned int bobAtAlice = core->ContactOf(alice, kBob);
    // A status whose strings claim far more than the body holds.
    ASSERT_TRUE(server->Command("raw alice@mail.ru " +
                                ToHex(BuildMrimPacket(MrimPacketType::UserStatus, 0,
                                                      MrimBodyWriter().UL(1).UL(0x7FFFFFF0).Take()))));
    // A message cut in three pieces.
    const std::string message = BuildMrimPacket(
        MrimPacketType::IncomingMessage, 0,
        MrimBodyWriter().UL(5).UL(0x00100004).LPS(kBob).LpsUtf16(CYolString::FromUtf8("цел")).LPS({}).Take());
    for (const std::string& piece : {message.substr(0, 10), message.substr(10, 40), message.substr(50)})
        ASSERT_TRUE(server->Command("raw alice@mail.ru " + ToHex(piece)));
    EXPECT_EQ(ShownFrom(bobAtAlice), "message " + std::to_string(bobAtAlice) + " 0 цел");
    EXPECT_EQ(core->Status(alice), Protocols::Online);
}

TEST_F(MrimScriptedServer, ARefusedLoginTellsTheUserAndStaysOffline) {
    core->Manager().SetAccountString(bob, CYolString::FromUtf8("SrvLogPass"), CYolString::FromUtf8("wrong"), true);
    core->Manager().ReloadAccountSettings(bob);
    core->Manager().SetStatus(bob, Protocols::Online);
    EXPECT_EQ(server->WaitFor("REJECTED"), "REJECTED bob@mail.ru");
    EXPECT_EQ(core->log.WaitFor("text " + std::to_string(bob)), "text " + std::to_string(bob) + " Invalid login");
    EXPECT_TRUE(core->Eventually([&] { return core->Status(bob) == Protocols::Offline; }));
}

TEST_F(MrimScriptedServer, ContactDetailsComeFromTheDirectory) {
    LogInBoth();
    const unsigned int bobAtAlice = core->ContactOf(alice, kBob);
    ASSERT_TRUE(core->Manager().RequestContactInfo(alice, bobAtAlice));
    const std::string asked = server->WaitFor("SEARCH alice");
    EXPECT_EQ(asked.substr(0, 28), "SEARCH alice@mail.ru 9000000");
    EXPECT_EQ(asked.substr(asked.find(' ', 22)), " 0=" + ToHex("bob") + ",1=" + ToHex("mail.ru"));
    EXPECT_EQ(core->log.WaitFor("details "), "details " + std::to_string(alice) + " " + std::to_string(bobAtAlice));
    EXPECT_EQ(core->ItemString(bobAtAlice, "Zem: nick name"), "Бобби");
    EXPECT_EQ(core->ItemString(bobAtAlice, "Zem: first name"), "Боб");
    EXPECT_EQ(core->ItemString(bobAtAlice, "Zem: last name"), "Смит");
    EXPECT_EQ(core->ItemString(bobAtAlice, "Zem: location"), "Москва");
    unsigned int year = 0;
    core->List().GetItemDword(bobAtAlice, CYolString::FromUtf8("Zem: birth year"), &year);
    EXPECT_EQ(year, 1990u);
}

TEST_F(MrimScriptedServer, SearchesByAddressAndByFields) {
    LogInBoth();
    // The search pages hand their criteria to the account's queue, then start the search.
    auto search = [&](const std::function<void(ZemSearchQuery&)>& fill, int page) {
        auto* criteria = new Services::CEventArg_Data<ZemSearchQuery>(ZemSearchQuery{});
        fill(criteria->data);
        ASSERT_EQ(core->services.SendEvent(core->Manager().GetAccountClientId(alice), ZemProtocolGuid,
                                           CZemAccount::kSearchQueryEvent, criteria, nullptr, false),
                  1);
        core->Manager().StartSearch(alice, page);
    };
    const std::string account = std::to_string(alice);

    search([](ZemSearchQuery& q) { q.email = CYolString::FromUtf8(kBob); }, 0);
    EXPECT_EQ(server->WaitFor("SEARCH alice").substr(0, 28), "SEARCH alice@mail.ru 7000000");
    // A man born on the last day of 1990, with the icon of his status.
    std::vector<std::string> bobFound = Words(core->log.WaitFor("found "));
    ASSERT_EQ(bobFound.size(), 6u);
    EXPECT_EQ(bobFound[0] + " " + bobFound[1] + " " + bobFound[2] + " " + bobFound[3],
              account + " bob@mail.ru Бобби 2");
    EXPECT_GE(std::stoi(bobFound[4]), 35);
    EXPECT_EQ(bobFound[5], "1");
    EXPECT_EQ(core->log.WaitFor("searchend "), "searchend " + account);

    search([](ZemSearchQuery& q) { q.firstName = CYolString::FromUtf8("боб"); }, 1);
    EXPECT_EQ(server->WaitFor("SEARCH alice").substr(30), "3=" + ToHex("боб"));
    std::vector<std::vector<std::string>> found{Words(core->log.WaitFor("found ")),
                                                Words(core->log.WaitFor("found "))};
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.at(1) < b.at(1); });
    EXPECT_EQ(found[0].at(1), "bob@mail.ru");
    // A woman of no known age.
    EXPECT_EQ(found[1], (std::vector<std::string>{account, "dave@bk.ru", "Дэйв", "1", "0", "1"}));
    EXPECT_EQ(core->log.WaitFor("searchend "), "searchend " + account);

    search([](ZemSearchQuery& q) { q.email = CYolString::FromUtf8("nobody@mail.ru"); }, 0);
    EXPECT_FALSE(server->WaitFor("SEARCH alice").empty());
    EXPECT_EQ(core->log.WaitFor("searchend "), "searchend " + account);
    EXPECT_FALSE(core->log.Has("found "));
}

TEST_F(MrimScriptedServer, ReconnectsAfterTheServerDropsTheSession) {
    LogIn(alice, kAlice);
    // The reconnection waits on the program's clock; here the test moves it.
    struct ManualTime {
        CYolManualClock clock{CYolClock::Current().TickCount64(), CYolClock::Current().Now()};
        CYolClock* previous = CYolClock::Install(&clock);
        ~ManualTime() { CYolClock::Install(previous); }
    } time;
    // Everything the account was handed has been handled.
    auto settled = [&] {
        core->services.SendEvent(core->Manager().GetAccountClientId(alice), ServicesManagerGuid, 0, nullptr, nullptr,
                                 true);
        core->Drain();
    };
    ASSERT_TRUE(server->Command("drop alice@mail.ru"));
    EXPECT_TRUE(core->Eventually([&] { return core->Status(alice) == Protocols::Offline; }));
    settled();
    // One attempt, fifteen seconds after the loss.
    time.clock.Advance(14999);
    settled();
    EXPECT_EQ(core->Status(alice), Protocols::Offline);
    time.clock.Advance(1);
    EXPECT_EQ(server->WaitFor("LOGIN alice"), "LOGIN alice@mail.ru 1 STATUS_ONLINE");
    EXPECT_TRUE(core->Eventually([&] { return core->Status(alice) == Protocols::Online; }));
    EXPECT_TRUE(core->Eventually([&] { return core->Contacts(alice).size() == 2u; }));
}

}  // namespace
