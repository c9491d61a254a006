// The login against the recording sink: every step of the way from the
// login server's greeting to the activated session, frames that arrive in
// the wrong state, and the ways a server ends a connection.

#include "ProtocolRecords.h"
#include "RuvLogin.h"
#include "RuvPackets.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

namespace {

using RuvTest::Bytes;
using RuvTest::Flap;
using RuvTest::Hex;
using RuvTest::Snac;

class RecordingOwner final : public MRuvLoginOwner {
public:
    const CRuvSettings& LoginSettings() const override { return settings; }
    bool OpenSession(const CYolString& host, unsigned int port) override {
        log.push_back("session " + host.ToUtf8() + ":" + std::to_string(port));
        return sessionOpens;
    }
    void EndConnection(int stringId, bool reconnect) override {
        log.push_back("end " + std::to_string(stringId) + (reconnect ? " reconnect" : ""));
    }
    void OwnStatusReported(int status) override {
        confirmed = status;
        log.push_back("status " + std::to_string(status));
    }
    void SessionActivated() override { log.push_back("activated"); }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    CRuvSettings settings;
    std::vector<std::string> log;
    bool sessionOpens = true;
    int confirmed = 1;
};

class RuvLoginFlow : public ::testing::Test {
protected:
    void SetUp() override {
        owner.settings.login = CYolString(u"7");
        std::string digest = Bytes("5ebe2294ecd0e0f08eab7690d2a6ee69");
        std::copy(digest.begin(), digest.end(), owner.settings.passwordDigest.begin());
        own.SetWanted(Protocols::Online);
    }
    // Runs the login up to the state that waits for the server's list.
    void UpToList() {
        login.Begin();
        login.OnFrame(RuvTest::Hello());
        login.OnFrame(Snac(0x17, 7, Bytes("0004 4b455931")));
        login.OnFrame(Snac(0x17, 3, Bytes("00010001370005000f" + Hex("127.0.0.1:15190") + "00060002abcd")));
        login.BeginSession();
        login.OnFrame(RuvTest::Hello());
        login.OnFrame(Snac(1, 3, Bytes("00010013")));
        login.OnFrame(Snac(1, 0x18, Bytes("00010004")));
        login.OnFrame(Snac(1, 7, Bytes("0001 0001" + std::string(64, '0') + "00 0001 0000")));
        ASSERT_EQ(login.State(), RuvLogin::LoginState::List);
        sink.Take();
        owner.Take();
    }

    RuvTest::RecordingPacketSink sink;
    RecordingOwner owner;
    RuvOwnStatus own{sink, {[this] { return owner.confirmed; }, [] { return true; }}};
    RuvLogin login{sink, owner, own};
};

TEST_F(RuvLoginFlow, LoginServerExchangeLeadsToTheSessionServer) {
    login.Begin();
    login.OnFrame(RuvTest::Hello());
    EXPECT_EQ(login.State(), RuvLogin::LoginState::Key);
    EXPECT_EQ(sink.restarts, 1);
    auto frames = sink.Take();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Hex(frames[0]), "2a010001000c000000018003000400100000");
    EXPECT_EQ(Hex(frames[1]), "2a020002000f00170006000000000000" "0001000137");

    login.OnFrame(Snac(0x17, 7, Bytes("0004 4b455931")));
    frames = sink.Take();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Hex(frames[0].substr(16, 25)), "0001000137" "00250010f804b2917c7dbfc395e66bd3ceb46e56");

    login.OnFrame(Snac(0x17, 3, Bytes("00010001370005000f" + Hex("127.0.0.1:15190") + "00060002abcd")));
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"session 127.0.0.1:15190"}));
    EXPECT_EQ(login.State(), RuvLogin::LoginState::SessionHello);

    login.OnFrame(RuvTest::Hello());
    frames = sink.Take();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Hex(frames[0]), "2a010001000a" "00000001" "00060002abcd");
    EXPECT_EQ(sink.restarts, 2);
    EXPECT_FALSE(login.Reply().HasSession());
}

TEST_F(RuvLoginFlow, ServiceFamilyOpensEveryServiceInOrder) {
    login.Begin();
    login.OnFrame(RuvTest::Hello());
    login.OnFrame(Snac(0x17, 7, Bytes("0000")));
    login.OnFrame(Snac(0x17, 3, Bytes("00050006" + Hex("h:5190") + "00060001ff")));
    login.BeginSession();
    login.OnFrame(RuvTest::Hello());
    sink.Take();
    login.OnFrame(Snac(1, 3, Bytes("00010013 0002")));
    login.OnFrame(Snac(1, 0x18, Bytes("00010004")));
    login.OnFrame(Snac(1, 7, Bytes("0002 0001" + std::string(64, '0') + "00 0002" + std::string(64, '0') +
                                   "00 0001 0000 0005 0001 00040006")));
    EXPECT_EQ(sink.TakeKinds(), (std::vector<std::string>{"01/17", "01/06", "01/08", "01/0e", "13/02", "13/04",
                                                           "02/02", "03/02", "04/04", "09/02"}));
    EXPECT_EQ(login.State(), RuvLogin::LoginState::List);
}

TEST_F(RuvLoginFlow, TheFirstCompleteListActivatesTheSessionOnce) {
    UpToList();
    // Own information may come before the list: it confirms the status
    // without activating anything, nor does it keep the activation from
    // setting the status (whose packet carries the direct-connection block).
    login.OnFrame(Snac(1, 0x0F, Bytes("0137 0000 0001 00060004 0000 0000")));
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"status 2"}));
    login.OnFrame(Snac(0x13, 6, Bytes("00 0000"), 0x0001));
    EXPECT_TRUE(sink.Take().empty());
    login.OnFrame(Snac(0x13, 6, Bytes("00 0000 00000000")));
    EXPECT_EQ(sink.TakeKinds(),
              (std::vector<std::string>{"02/04", "04/02", "01/1e", "01/02", "13/07", "01/11", "04/10"}));
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"activated"}));
    EXPECT_EQ(login.State(), RuvLogin::LoginState::Established);
    login.OnFrame(Snac(0x13, 6, Bytes("00 0000 00000000")));
    EXPECT_TRUE(sink.Take().empty());
}

TEST_F(RuvLoginFlow, ActivationSetsAWantedStatusThatDiffersFromTheConfirmedOne) {
    UpToList();
    own.SetWanted(Protocols::AtHome);
    login.OnFrame(Snac(0x13, 6, Bytes("00 0000 00000000")));
    EXPECT_EQ(sink.TakeKinds(),
              (std::vector<std::string>{"02/04", "04/02", "01/1e", "02/04", "01/02", "13/07", "01/11", "04/10"}));
}

TEST_F(RuvLoginFlow, FramesOutOfTurnAreDropped) {
    login.Begin();
    const std::string outOfTurn[] = {
        Snac(0x17, 7, Bytes("0004 4b455931")), Snac(1, 3, Bytes("0001")), Snac(0x13, 6, Bytes("00 0000 00000000")),
        Snac(1, 0x0F, Bytes("0137 0000 0001 00060004 0000 0000")), Flap(1, Bytes("00000002")),
    };
    for (const std::string& frame : outOfTurn)
        login.OnFrame(frame);
    EXPECT_TRUE(sink.Take().empty());
    EXPECT_TRUE(owner.Take().empty());
    EXPECT_EQ(login.State(), RuvLogin::LoginState::LoginHello);
}

TEST_F(RuvLoginFlow, ServersEndConnectionsWithOrWithoutAReconnection) {
    struct Case {
        const char* name;
        RuvLogin::LoginState from;
        std::string frame;
        std::string logged;  // "" when nothing ends
    } cases[] = {
        {"login error", RuvLogin::LoginState::Reply, Snac(0x17, 3, Bytes("00080002 0005")), "end 115"},
        {"login rate limit", RuvLogin::LoginState::Reply, Snac(0x17, 3, Bytes("00080002 0018")), "end 134 reconnect"},
        {"accepted without address", RuvLogin::LoginState::Reply, Snac(0x17, 3, Bytes("00060001 ff")), "end 113"},
        {"close with error", RuvLogin::LoginState::List, Flap(4, Bytes("00080002 001d")), "end 139 reconnect"},
        {"close, used elsewhere", RuvLogin::LoginState::Established, Flap(4, Bytes("00090002 0001")), "end 143"},
        {"close, other reason", RuvLogin::LoginState::Established, Flap(4, Bytes("00090002 0002")), "end 144"},
        {"plain close", RuvLogin::LoginState::Reply, Flap(4, {}), ""},
        {"server pause", RuvLogin::LoginState::Established, Snac(1, 0x0B, {}), "end 104 reconnect"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpToList();
        login.Stop();
        if (c.from == RuvLogin::LoginState::Reply) {
            login.Begin();
            login.OnFrame(RuvTest::Hello());
            login.OnFrame(Snac(0x17, 7, Bytes("0000")));
        } else {
            UpToList();
            if (c.from == RuvLogin::LoginState::Established)
                login.OnFrame(Snac(0x13, 6, Bytes("00 0000 00000000")));
        }
        owner.Take();
        login.OnFrame(c.frame);
        auto log = owner.Take();
        EXPECT_EQ(log.empty() ? std::string() : log.front(), c.logged);
        if (!c.logged.empty()) {
            EXPECT_EQ(login.State(), RuvLogin::LoginState::Idle);
        }
    }
}

TEST_F(RuvLoginFlow, AFailedSessionConnectIsRetried) {
    owner.sessionOpens = false;
    login.Begin();
    login.OnFrame(RuvTest::Hello());
    login.OnFrame(Snac(0x17, 7, Bytes("0000")));
    owner.Take();
    login.OnFrame(Snac(0x17, 3, Bytes("00050006" + Hex("h:5190") + "00060001ff")));
    EXPECT_EQ(owner.Take(), (std::vector<std::string>{"session h:5190", "end 0 reconnect"}));
    EXPECT_EQ(login.State(), RuvLogin::LoginState::Idle);
}

TEST(RuvOwnStatus, StatusWordAndCapabilitiesFollowTheStatusBeingSet) {
    RuvTest::RecordingPacketSink sink;
    int confirmed = Protocols::Online;
    RuvOwnStatus own(sink, {[&] { return confirmed; }, [] { return false; }});
    struct Case {
        int from;
        int to;
        std::vector<std::string> sent;
        std::string word;  // the status word of the 01/1E sent
    } cases[] = {
        {Protocols::Online, Protocols::AtHome, {"01/1e", "02/04"}, "0000"},
        {Protocols::AtHome, Protocols::Online, {"01/1e", "02/04"}, "0000"},
        {Protocols::Online, Protocols::Lunch, {"01/1e", "02/04"}, "0001"},
        {Protocols::Online, Protocols::Away, {"01/1e"}, "0001"},
        {Protocols::Away, Protocols::Away, {}, ""},
        {Protocols::Online, Protocols::InvisibleForAll, {"01/1e"}, "0100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        confirmed = c.from;
        own.SetOnlineStatus(c.to);
        EXPECT_EQ(own.ToRestore(), c.to);
        auto frames = sink.frames;
        EXPECT_EQ(sink.TakeKinds(), c.sent);
        if (!c.word.empty()) {
            EXPECT_EQ(Hex(frames[0].substr(16, 8)), "00060004" "1000" + c.word);
        }
        if (c.sent.size() == 2) {
            // The capability of the status being set, none for online.
            const bool mood = c.to != Protocols::Online;
            EXPECT_EQ(frames[1].size(), 6u + 126u + (mood ? 16u : 0u));
        }
    }
}

}  // namespace
