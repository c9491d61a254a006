// A real account over real sockets against the scripted OSCAR server of
// tests/peers: the MD5 login, the redirect with its cookie, the session's
// sign-on up to the activation after a list in several parts, and the ways
// the servers end a connection. The server asserts every frame the account
// sends and reports SIGNED ON, DONE or FAIL.

#include "CYolPath.h"
#include "LiveRuvAccount.h"
#include "MissingPeer.h"
#include "PeerProcess.h"
#include "ProsodyFixture.h"
#include "RuvTestSupport.h"
#include "WatchedClock.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace RuvPeers;
using XmppPeers::HaveProgram;
using XmppPeers::kPython;

class OscarScriptedServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveProgram(kPython))
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
    }

    // With `skins`, the account has a skin service to register pictures with.
    void Start(const std::vector<std::string>& scenario, const std::string& password = "secret",
               RecordingSkins* skins = nullptr) {
        std::vector<std::string> command{kPython, std::string(YOL_PEERS_DIR) + "/oscar_server.py", "--user",
                                         "100200", "--password", "secret"};
        command.insert(command.end(), scenario.begin(), scenario.end());
        server = std::make_unique<PeerProcess>(command, log.PathOf("server.log"), true, true);
        std::optional<std::string> port = server->NextLine(10000);
        ASSERT_TRUE(port && port->rfind("PORT ", 0) == 0) << Log();
        account = std::make_unique<LiveRuvAccount>();
        if (skins != nullptr)
            account->UseSkins(*skins);
        account->Setup("100200", password, static_cast<unsigned int>(std::stoul(port->substr(5))));
        account->SetStatus(Protocols::Online);
    }
    std::string Report(int timeoutMs = 30000) { return server->NextLine(timeoutMs).value_or("(nothing)"); }
    std::string Log() { return ReadText(log.PathOf("server.log")); }
    // The account armed its reconnection in the handler that showed the
    // text the test saw; a command queued behind that handler has it armed
    // for sure. Then the clock moves past the delay.
    void ReconnectionDue() {
        ASSERT_TRUE(clock.has_value());
        account->GetStatus();
        clock->Advance(CRuvAccount::DefaultReconnectDelay);
    }

    // Tests of the reconnection move a manual clock; the others keep the
    // system's.
    std::optional<WatchedClock> clock;
    TempFolder log;
    std::unique_ptr<PeerProcess> server;
    std::unique_ptr<LiveRuvAccount> account;
};

TEST_F(OscarScriptedServer, SignsOnThroughTheRedirectAndActivatesAfterTheWholeList) {
    Start({"login", "--parts", "3"});
    EXPECT_EQ("SIGNED ON", Report()) << Log();
    EXPECT_TRUE(account->WaitForStatus(Protocols::Online)) << Log();
    EXPECT_TRUE(account->account->SignedOn());
    account->SetStatus(Protocols::Offline);
    EXPECT_EQ("DONE", Report()) << Log();
    EXPECT_EQ(account->GetStatus(), Protocols::Offline);
}

TEST_F(OscarScriptedServer, AWrongPasswordEndsTheAttemptWithItsText) {
    Start({"wrong-password"}, "not the password");
    EXPECT_TRUE(account->WaitForText("Mismatch UIN or password, re-enter"));
    EXPECT_EQ("DONE", Report()) << Log();
    EXPECT_TRUE(account->WaitForStatus(Protocols::Offline));
}

TEST_F(OscarScriptedServer, TheRateLimitCodeComesBackAfterTheDelay) {
    clock.emplace();
    Start({"rate-limit", "--logins", "2"});
    EXPECT_TRUE(account->WaitForText("Rate limit exceeded (reservation). Please try to reconnect in a few minutes"));
    ReconnectionDue();
    EXPECT_EQ("SIGNED ON", Report()) << Log();
    EXPECT_TRUE(account->WaitForStatus(Protocols::Online)) << Log();
    account->SetStatus(Protocols::Offline);
    EXPECT_EQ("DONE", Report()) << Log();
}

TEST_F(OscarScriptedServer, AServerPauseIsFollowedByANewSignOn) {
    clock.emplace();
    Start({"pause"});
    EXPECT_EQ("SIGNED ON", Report()) << Log();
    EXPECT_TRUE(account->WaitForText("Server pause"));
    ReconnectionDue();
    EXPECT_EQ("SIGNED ON", Report()) << Log();
    EXPECT_TRUE(account->WaitForStatus(Protocols::Online)) << Log();
    account->SetStatus(Protocols::Offline);
    EXPECT_EQ("DONE", Report()) << Log();
}

TEST_F(OscarScriptedServer, UsedOnAnotherComputerEndsWithoutReconnecting) {
    Start({"close-other"});
    EXPECT_EQ("SIGNED ON", Report()) << Log();
    EXPECT_TRUE(account->WaitForText("Your account used on another computer"));
    EXPECT_EQ("DONE", Report()) << Log();
    EXPECT_TRUE(account->WaitForStatus(Protocols::Offline));
}

// The icon files go to the program folder's "BuddyIcons/": here a folder of
// the test's own.
class OscarScriptedIcons : public OscarScriptedServer {
protected:
    void SetUp() override {
        OscarScriptedServer::SetUp();
        CYolPath::SetAppDir(CYolString::FromUtf8(program.Root()));
    }
    void TearDown() override { CYolPath::SetAppDir(kept); }

    const CYolString kept = CYolPath::AppDir();
    TempFolder program;
    RecordingSkins skins;
};

TEST_F(OscarScriptedIcons, AContactsIconComesOverTheIconServiceIntoItsFile) {
    for (const char* kind : {"png", "gif", "jpeg"}) {
        SCOPED_TRACE(kind);
        Start({"icons", "--icon-kind", kind}, "secret", &skins);
        ASSERT_EQ("SIGNED ON", Report()) << Log();
        const std::string line = Report();
        // "ICON <name> <hash hex> <icon hex>"
        ASSERT_EQ(line.rfind("ICON 100300 ", 0), 0u) << line << Log();
        const size_t space = line.find(' ', 12);
        const std::string hash = line.substr(12, space - 12);
        const std::string icon = RuvTest::Bytes(line.substr(space + 1));
        const std::string extension = std::string(kind) == "jpeg" ? ".jpg" : std::string(".") + kind;
        const std::string file = program.PathOf("BuddyIcons/" + hash + extension);
        // The contact shows its new status once the file is written; the
        // contact list draws the icon, of whatever kind, beside the contact,
        // read from the icon folder beside the skins' folder.
        EXPECT_TRUE(account->Eventually([&] { return ReadText(file) == icon; })) << Log();
        const unsigned int contact = account->ContactOf("100300");
        const std::string picture = "../../BuddyIcons/" + hash + extension;
        // The status was set in the handler that wrote the file, before the
        // question queued behind it.
        const std::vector<std::string> pictures = account->PicturesOf(contact);
        EXPECT_NE(std::find(pictures.begin(), pictures.end(), picture), pictures.end()) << Log();
        account->SetStatus(Protocols::Offline);
        EXPECT_EQ("DONE", Report()) << Log();
        account.reset();
        server.reset();
    }
}

}  // namespace
