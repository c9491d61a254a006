#pragma once
// Two real accounts over real sockets, signed on to the scripted OSCAR
// server of tests/peers in its chat scenario: each holds the other in its
// list, and the server relays what one sends the other.

#include "LiveRuvAccount.h"
#include "MissingPeer.h"
#include "PeerProcess.h"
#include "ProsodyFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace RuvPeers {

class OscarChatFixture : public ::testing::Test {
protected:
    // Starts the chat scenario with `extra` arguments and signs both on;
    // with "--proxy" both accounts meet their file transfers at the
    // server's rendezvous proxy.
    void Start(const std::vector<std::string>& extra) {
        if (!XmppPeers::HaveProgram(XmppPeers::kPython))
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
        std::vector<std::string> command{XmppPeers::kPython, std::string(YOL_PEERS_DIR) + "/oscar_server.py",
                                         "chat", "--user", "100200", "--password", "secret", "--peer", "100300",
                                         "--peer-password", "secret2", "--parts", "3", "--timeout", "60"};
        command.insert(command.end(), extra.begin(), extra.end());
        server = std::make_unique<PeerProcess>(command, log.PathOf("server.log"), true, true);
        std::optional<std::string> port = server->NextLine(10000);
        ASSERT_TRUE(port && port->rfind("PORT ", 0) == 0) << Log();
        const auto number = static_cast<unsigned int>(std::stoul(port->substr(5)));
        if (std::find(extra.begin(), extra.end(), "--proxy") != extra.end()) {
            std::optional<std::string> proxy = server->NextLine(10000);
            ASSERT_TRUE(proxy && proxy->rfind("PROXY ", 0) == 0) << Log();
            const auto proxyPort = static_cast<unsigned int>(std::stoul(proxy->substr(6)));
            for (LiveRuvAccount* account : {&a, &b}) {
                account->manager.SetAccountString(LiveRuvAccount::kAccountId, U("SrvFTProxy"), U("127.0.0.1"), false);
                account->manager.SetAccountDword(LiveRuvAccount::kAccountId, U("SrvFTProxyPort"), proxyPort);
            }
        }
        a.Setup("100200", "secret", number);
        a.SetStatus(Protocols::Online);
        ASSERT_EQ("SIGNED ON", Report()) << Log();
        b.Setup("100300", "secret2", number);
        b.SetStatus(Protocols::Online);
        ASSERT_EQ("SIGNED ON", Report()) << Log();
        ASSERT_EQ("READY", Report()) << Log();
        ASSERT_TRUE(a.Eventually([&] { return a.ContactOf("100300") != 0; })) << Log();
        ASSERT_TRUE(b.Eventually([&] { return b.ContactOf("100200") != 0; })) << Log();
        aSeesB = a.ContactOf("100300");
        bSeesA = b.ContactOf("100200");
    }
    std::string Report(int timeoutMs = 30000) { return server->NextLine(timeoutMs).value_or("(nothing)"); }
    std::string Log() { return ReadText(log.PathOf("server.log")); }
    static std::string Id(unsigned int id) { return std::to_string(id); }
    void AddContact(LiveRuvAccount& account, const std::string& name, const std::string& nick, unsigned int group) {
        account.Command(Protocols::AccountCommand::AddContact,
                        new Services::CEventArg_Data<CYolPair<CYolString, CYolString>>(
                            CYolPair<CYolString, CYolString>(CYolString::FromUtf8(name), CYolString::FromUtf8(nick))),
                        LiveRuvAccount::Arg(group));
    }

    TempFolder log;
    std::unique_ptr<PeerProcess> server;
    // Outlives the accounts, which release their pictures as they stop.
    RecordingSkins skins;
    LiveRuvAccount a;
    LiveRuvAccount b;
    unsigned int aSeesB = 0;
    unsigned int bSeesA = 0;
};

}  // namespace RuvPeers
