// A real account over real sockets against the scripted XMPP server of
// tests/peers, for what Prosody cannot do: DIGEST-MD5 with the server's
// proof checked, zlib stream compression with one large compressed stanza
// followed by silence, the older iq-auth digest, refused logins, and mail
// notices, which only the own server may send. The server asserts every
// element the account sends and reports DONE or FAIL.

#include "LiveXmppAccount.h"
#include "ProsodyFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace XmppPeers;

constexpr const char* kPassword = "r0m30myr0m30";

class XmppScriptedServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveProgram(kPython))
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
    }

    // Starts the server on `scenario` (sending without end once the roster
    // is answered, with `flood`) and an account pointed at it.
    void Start(const std::string& scenario, bool compression, const std::string& password = kPassword,
               bool flood = false) {
        std::vector<std::string> command{kPython, PeersDir() + "/xmpp_server.py", scenario, "--user", "juliet",
                                         "--domain", "capulet.example", "--password", kPassword, "--resource",
                                         "Yol PDA", "--realm", "capulet.example", "--roster", "3"};
        if (flood)
            command.push_back("--flood");
        server = std::make_unique<PeerProcess>(command, log.PathOf("server.log"), true, true);
        std::optional<std::string> port = server->NextLine(10000);
        ASSERT_TRUE(port && port->rfind("PORT ", 0) == 0) << Log();
        account = std::make_unique<LiveXmppAccount>();
        account->manager.SetAccountByte(LiveXmppAccount::kAccountId, U("Compression"), compression ? 1 : 0);
        account->Setup("juliet@capulet.example", password, static_cast<unsigned int>(std::stoul(port->substr(5))),
                       false);
        account->SetStatus(Protocols::Online);
    }

    // The server's next report line.
    std::string Report(int timeoutMs = 30000) { return server->NextLine(timeoutMs).value_or("(nothing)"); }

    bool ShowedInvalidLogin() {
        return account->Eventually([&] {
            for (const auto& e : account->manager.TakeEvents())
                if (e.event == Protocols::AccountEvent::ShowText)
                    return e.text.ToUtf8() == "Invalid account name or password";
            return false;
        });
    }

    std::string Log() { return ReadText(log.PathOf("server.log")); }

    TempFolder log;
    std::unique_ptr<PeerProcess> server;
    std::unique_ptr<LiveXmppAccount> account;
};

TEST_F(XmppScriptedServer, DigestMd5OverZlibSurvivesALargeCompressedStanzaFollowedBySilence) {
    Start("digest-zlib", true);
    ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << Log();
    EXPECT_TRUE(account->account->IsCompressionActive());
    EXPECT_EQ("juliet@capulet.example/Yol PDA", account->account->GetOwnJid().ToUtf8());
    // The server sends one large request and nothing after it: only an
    // account that inflates everything it was given can answer.
    EXPECT_EQ("ANSWERED large1", Report()) << Log();
    account->SetStatus(Protocols::Offline);
    EXPECT_EQ("DONE", Report()) << Log();
}

TEST_F(XmppScriptedServer, LogsInWithEachMethodAndLogsOut) {
    for (const char* scenario : {"digest", "plain", "legacy-digest"}) {
        SCOPED_TRACE(scenario);
        Start(scenario, false);
        ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << Log();
        account->SetStatus(Protocols::Offline);
        EXPECT_EQ("DONE", Report()) << Log();
        account.reset();
    }
}

TEST_F(XmppScriptedServer, LogsOutWhileTheServerSendsWithoutEnd) {
    // The server never stops sending once the roster is answered, so the
    // logout always lands in the middle of its stanzas, whatever the login.
    struct Case {
        const char* scenario;
        bool compression;
    } cases[] = {{"digest", false}, {"plain", false}, {"legacy-digest", false}, {"digest-zlib", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        Start(c.scenario, c.compression, kPassword, true);
        ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << Log();
        ASSERT_EQ("FLOODING", Report()) << Log();
        if (c.compression) {
            ASSERT_EQ("ANSWERED large1", Report()) << Log();
        }
        // Posted, not waited for: a flooded account that never gets to its
        // queued events must fail the test, not hang it.
        account->services.SendEvent(account->account->GetClientId(), ProtocolsManagerGuid,
                                    Protocols::AccountCommand::SetStatus,
                                    new Services::CEventArg_Data<Protocols::Status>(Protocols::Offline), nullptr,
                                    false);
        bool loggedOut = account->Eventually([&] {
            for (const auto& e : account->manager.TakeEvents())
                if (e.event == Protocols::AccountEvent::StatusChanged && e.status.status == Protocols::Offline)
                    return true;
            return false;
        });
        // A stuck account is freed by ending the flood, so that it can be
        // torn down.
        if (!loggedOut)
            server.reset();
        ASSERT_TRUE(loggedOut);
        EXPECT_EQ("DONE", Report()) << Log();
        account.reset();
    }
}

TEST_F(XmppScriptedServer, RefusedLoginsEndTheStreamAndTellTheUser) {
    for (const char* scenario : {"sasl-failure", "bad-rspauth", "legacy-set-error"}) {
        SCOPED_TRACE(scenario);
        Start(scenario, false);
        EXPECT_EQ("DONE", Report()) << Log();
        EXPECT_TRUE(ShowedInvalidLogin());
        EXPECT_EQ(Protocols::Offline, account->account->GetPresenceStatus());
        account.reset();
    }
}

TEST_F(XmppScriptedServer, MailNoticesAreTakenFromTheOwnServerOnly) {
    Start("mail-notices", false);
    ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << Log();
    // The server sends a notice in a contact's name first: by the time its
    // own notice is seen, the forged one has been handled too.
    std::vector<XmppTest::AccountEventRecord> notices;
    ASSERT_TRUE(account->Eventually([&] {
        for (auto& e : account->manager.TakeEvents())
            if (e.event == Protocols::AccountEvent::Notification)
                notices.push_back(std::move(e));
        return !notices.empty() && notices.back().notification.text.GetLocalized().ToUtf8().find("nurse@") !=
                                       std::string::npos;
    })) << Log();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].notification.text.GetLocalized().ToUtf8(),
              "Acc.: juliet\r\nE-mail received\r\nFrom: nurse@capulet.example\r\nSubject: Письмо & <ответ>");
    EXPECT_EQ(notices[0].notification.title.ToUtf8().rfind(
                  "http://passport.yol.im/reg/test?user=juliet%40capulet.example&hash=", 0),
              0u);
    EXPECT_EQ(account->account->UnreadMailCount(), 4u);
    account->SetStatus(Protocols::Offline);
    EXPECT_EQ("DONE", Report()) << Log();
}

}  // namespace
