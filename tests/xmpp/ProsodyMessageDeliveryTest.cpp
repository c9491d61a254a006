// The user's messages against a real server (Prosody) and a real other party
// (slixmpp, answering every message with a receipt): none is lost without a
// word when the connection is dropped under a stream of messages, and every
// message of a long burst is shown as delivered.

#include "LiveXmppAccount.h"
#include "MissingPeer.h"
#include "PeerProcess.h"
#include "ProsodyFixture.h"
#include "ProsodyWithBob.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace XmppPeers;
namespace AccountCommand = Protocols::AccountCommand;


// A relay between the account and the server that hangs up on the account
// the way a server going away does: the account reads the end of the
// stream, while whatever it wrote before it noticed still reaches the
// server. Every byte the account handed to a connection then arrives, so
// each message must be either delivered or reported as not sent.
class HangUpRelay {
public:
    explicit HangUpRelay(unsigned int target) : target(target) {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = LoopbackAddress();
        socklen_t size = sizeof address;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(listener, 8) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
            ::pipe2(wake, O_CLOEXEC) != 0)
            return;
        port = ntohs(address.sin_port);
        worker = std::thread([this] { Run(); });
    }
    ~HangUpRelay() {
        stop = true;
        Wake();
        if (worker.joinable())
            worker.join();
        for (const Link& link : links) {
            ::close(link.client);
            ::close(link.server);
        }
        for (int fd : {listener, wake[0], wake[1]})
            if (fd >= 0)
                ::close(fd);
    }
    HangUpRelay(const HangUpRelay&) = delete;
    HangUpRelay& operator=(const HangUpRelay&) = delete;

    // 0 when the relay could not listen.
    unsigned int Port() const { return port; }
    // The connections open now end towards the account.
    void HangUp() {
        hangUp = true;
        Wake();
    }

private:
    struct Link {
        int client;
        int server;
        bool hungUp;
    };

    void Wake() {
        if (wake[1] >= 0)
            (void)!::write(wake[1], "x", 1);
    }
    static bool WriteAll(int fd, const char* data, ssize_t length) {
        while (length > 0) {
            const ssize_t n = ::send(fd, data, static_cast<size_t>(length), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            data += n;
            length -= n;
        }
        return true;
    }
    void Accept() {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = LoopbackAddress(target);
        if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(client);
            if (server >= 0)
                ::close(server);
            return;
        }
        links.push_back({client, server, false});
    }
    // Moves what is waiting on `from` to `to` (-1: dropped); false at the
    // end of the stream or on an error.
    static bool Pass(int from, int to) {
        char buffer[65536];
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        return n > 0 && (to < 0 || WriteAll(to, buffer, n));
    }
    void Run() {
        while (!stop) {
            std::vector<pollfd> fds{{wake[0], POLLIN, 0}, {listener, POLLIN, 0}};
            for (const Link& link : links) {
                fds.push_back({link.client, POLLIN, 0});
                fds.push_back({link.server, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), -1) < 0)
                continue;
            if (fds[0].revents) {
                char drained[64];
                (void)!::read(wake[0], drained, sizeof drained);
                if (hangUp.exchange(false)) {
                    for (Link& link : links) {
                        ::shutdown(link.client, SHUT_WR);
                        link.hungUp = true;
                    }
                }
            }
            std::vector<Link> open;
            for (size_t i = 0; i < links.size(); ++i) {
                Link& link = links[i];
                const short fromClient = fds[2 + 2 * i].revents;
                const short fromServer = fds[3 + 2 * i].revents;
                // The server's last words after a hang-up have nowhere to go.
                bool alive = (!fromClient || Pass(link.client, link.server)) &&
                             (!fromServer || Pass(link.server, link.hungUp ? -1 : link.client));
                if (alive) {
                    open.push_back(link);
                } else {
                    ::close(link.client);
                    ::close(link.server);
                }
            }
            links = std::move(open);
            if (fds[1].revents)
                Accept();
        }
    }

    unsigned int target;
    unsigned int port = 0;
    int listener = -1;
    int wake[2] = {-1, -1};
    std::atomic<bool> stop{false};
    std::atomic<bool> hangUp{false};
    std::vector<Link> links;  // the relay thread's alone
    std::thread worker;
};

class ProsodyMessageDelivery : public testing::Test {
protected:
    void SetUp() override {
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3");
        rig = std::make_unique<ProsodyRig>(ProsodyRig::Options{{{"alice", kAlicePassword}, {"bob", kBobPassword}}, {}});
        ASSERT_TRUE(rig->Ready()) << rig->Failure();
        bob = std::make_unique<XmppPeer>(*rig, "bob", kBobPassword);
        ASSERT_TRUE(bob->Ready()) << bob->Log();
        ASSERT_TRUE(bob->Do({"autoreceipt", "on"}));
        // bob is on alice's roster before she logs in, so her first roster
        // brings him.
        XmppPeer setup(*rig, "alice", kAlicePassword, false, "setup");
        ASSERT_TRUE(setup.Ready()) << setup.Log();
        ASSERT_TRUE(setup.Do({"add", rig->Jid("bob"), "Bob", "Friends"}));
    }

    // alice online through `port`, with bob in her contact list.
    void LogIn(unsigned int port) {
        account = std::make_unique<LiveXmppAccount>();
        account->Setup(rig->Jid("alice"), kAlicePassword, port, false);
        account->SetStatus(Protocols::Online);
        ASSERT_TRUE(account->WaitForStatus(Protocols::Online)) << "status " << account->GetStatus();
        ASSERT_TRUE(account->Eventually([&] { return (bobContact = account->ContactOf(rig->Jid("bob"))) != 0; }));
    }

    static std::string Text(unsigned int id) { return "m" + std::to_string(id); }

    // Hands the account messages first..last for bob without waiting for
    // any of them, as the user's sends queue up behind each other.
    void Post(unsigned int first, unsigned int last) {
        for (unsigned int id = first; id <= last; ++id) {
            Protocols::MessageInfo message;
            message.contactId = bobContact;
            message.messageId = id;
            message.text = U(Text(id));
            account->services.SendEvent(account->account->GetClientId(), ProtocolsManagerGuid,
                                        AccountCommand::SendMessage,
                                        new Services::CEventArg_Data<Protocols::MessageInfo>(message), nullptr, false);
        }
    }
    // The message ids of the lines "<kind> <contact> <id> ..." the contact
    // list raised so far.
    std::set<unsigned int> Reported(const std::string& kind) {
        account->DrainList();
        account->log.Sync();
        std::set<unsigned int> ids;
        const std::string prefix = kind + " " + std::to_string(bobContact) + " ";
        for (std::string line; !(line = account->log.WaitFor(prefix, 0)).empty();)
            ids.insert(static_cast<unsigned int>(std::stoul(line.substr(prefix.size()))));
        return ids;
    }
    // The ids of the messages bob gets, up to and including `last`, which
    // must come; alice's messages reach him in the order they were written.
    std::set<unsigned int> DeliveredThrough(unsigned int last) {
        std::set<unsigned int> ids;
        for (;;) {
            auto got = bob->WaitFor([](const PeerLine& l) { return l[0] == "MESSAGE" && l.size() > 4; }, 30000);
            if (!got) {
                ADD_FAILURE() << "bob got no more messages after " << ids.size() << "; " << bob->Log();
                return ids;
            }
            const unsigned int id = static_cast<unsigned int>(std::stoul((*got)[4].substr(1)));
            EXPECT_TRUE(ids.insert(id).second) << "twice: " << id;
            if (id == last)
                return ids;
        }
    }

    std::unique_ptr<ProsodyRig> rig;
    std::unique_ptr<XmppPeer> bob;
    std::unique_ptr<LiveXmppAccount> account;
    unsigned int bobContact = 0;
};

TEST_F(ProsodyMessageDelivery, MessagesAcrossADroppedConnectionAreDeliveredOrReportedNotSent) {
    HangUpRelay relay(rig->PlainPort());
    ASSERT_NE(relay.Port(), 0u);
    ASSERT_NO_FATAL_FAILURE(LogIn(relay.Port()));

    // The drop comes while the account works through its queue of sends.
    Post(1, 150);
    relay.HangUp();
    Post(151, 300);
    ASSERT_TRUE(account->WaitForStatus(Protocols::Offline));
    Post(301, 350);
    // The user connects again at once rather than waiting for the
    // automatic attempt.
    account->SetStatus(Protocols::Online);
    ASSERT_TRUE(account->WaitForStatus(Protocols::Online));
    Post(351, 400);

    const std::set<unsigned int> notSent = Reported("notsent");
    const std::set<unsigned int> delivered = DeliveredThrough(400);
    for (unsigned int id = 1; id <= 400; ++id) {
        const bool wasDelivered = delivered.count(id) != 0, wasReported = notSent.count(id) != 0;
        EXPECT_NE(wasDelivered, wasReported) << "message " << id << (wasDelivered ? " delivered and reported" : " lost");
        if (id > 300) {
            EXPECT_EQ(wasDelivered, id > 350) << "message " << id;
        }
    }
}

TEST_F(ProsodyMessageDelivery, EveryMessageOfABurstIsShownAsDelivered) {
    constexpr unsigned int kBurst = 2000;
    ASSERT_NO_FATAL_FAILURE(LogIn(rig->PlainPort()));
    Post(1, kBurst);
    // bob's lines are read as they come, so that his client never waits for
    // the test before it sends the next receipt.
    EXPECT_EQ(DeliveredThrough(kBurst).size(), kBurst);

    std::set<unsigned int> acknowledged;
    const std::string prefix = "ack " + std::to_string(bobContact) + " ";
    while (acknowledged.size() < kBurst) {
        const std::string line = account->log.WaitFor(prefix, 30000);
        if (line.empty())
            break;
        acknowledged.insert(static_cast<unsigned int>(std::stoul(line.substr(prefix.size()))));
    }
    EXPECT_EQ(acknowledged.size(), kBurst);
    EXPECT_TRUE(Reported("notsent").empty());
}

}  // namespace
