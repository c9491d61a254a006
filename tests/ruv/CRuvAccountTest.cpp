// The account object over a recording sockets service, driven by events on
// its own thread as the program drives it: which status requests connect,
// events of sockets it no longer uses, failed connects and the reconnection
// after the delay, and the keep-alive after sign-on.

#include "CRuvAccount.h"
#include "RuvTestSupport.h"
#include "WatchedClock.h"
#include "XmppAccountHarness.h"

#include <gtest/gtest.h>

namespace {

using RuvTest::Bytes;
using RuvTest::Hex;
using RuvTest::Snac;
using Services::CEventArg_Data;
using XmppTest::U;

class RuvAccountHarness : public ::testing::Test {
protected:
    static constexpr unsigned int kAccountId = 0x30000002;

    void SetUp() override {
        services.RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        services.RegisterService(SocketsManagerGuid, static_cast<Sockets::CSocketsManager*>(&sockets));
        manager.accountId = kAccountId;
        managerKey = services.RegisterEventsClient(&manager, U("Protocols manager"));
        services.BroadcastStarted();
        manager.SetAccountString(kAccountId, U("SrvLogName"), U("100200"), false);
        manager.SetAccountString(kAccountId, U("SrvConServer"), U("127.0.0.1"), false);
        manager.SetAccountDword(kAccountId, U("SrvConPort"), 15190);
        account = new CRuvAccount(&services, kAccountId, managerKey);
        Command(Protocols::AccountCommand::Init);
    }
    void TearDown() override {
        Command(Protocols::AccountCommand::Shutdown);
        account->Destroy();
        services.StopAllQueues();
    }

    int Command(int event, Services::CEventArg* first = nullptr) {
        return services.SendEvent(account->GetClientId(), ProtocolsManagerGuid, event, first, nullptr, true);
    }
    void SetStatus(Protocols::Status status) {
        Command(Protocols::AccountCommand::SetStatus, new CEventArg_Data<Protocols::Status>(status));
    }
    size_t Connects() {
        std::lock_guard guard(sockets.lock);
        return sockets.connects.size();
    }
    Sockets::CYolSocket* Socket(size_t index) {
        std::lock_guard guard(sockets.lock);
        return sockets.connects.at(index).socket;
    }
    int SocketEvent(Sockets::CYolSocket* socket, int event, int value) {
        return services.SendEvent(account->GetClientId(), SocketsManagerGuid, event,
                                  new CEventArg_Data<Sockets::CYolSocket*>(socket), new CEventArg_Data<int>(value),
                                  true);
    }
    void Receive(Sockets::CYolSocket* socket, const std::string& bytes) {
        sockets.Queue(bytes);
        SocketEvent(socket, Sockets::SocketEvent::DataAvailable, static_cast<int>(bytes.size()));
    }
    std::vector<XmppTest::AccountEventRecord> Events(int event) {
        services.SendEvent(account->GetClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
        services.SendEvent(managerKey, ServicesManagerGuid, 0, nullptr, nullptr, true);
        std::vector<XmppTest::AccountEventRecord> out;
        for (auto& record : manager.TakeEvents())
            if (record.event == event)
                out.push_back(record);
        return out;
    }
    // Logs in up to the redirect; answers the session socket.
    Sockets::CYolSocket* ToSession() {
        SetStatus(Protocols::Online);
        Sockets::CYolSocket* login = Socket(0);
        SocketEvent(login, Sockets::SocketEvent::ConnectResult, 0);
        Receive(login, RuvTest::Hello());
        Receive(login, Snac(0x17, 7, Bytes("0000")));
        Receive(login, Snac(0x17, 3, Bytes("0005000b" + Hex("h:5190") + "0000000000" + "00060001ff")));
        return Connects() == 2 ? Socket(1) : nullptr;
    }

    // Through the session's sign-on; answers the session socket.
    Sockets::CYolSocket* SignedOn() {
        Sockets::CYolSocket* session = ToSession();
        if (session == nullptr)
            return nullptr;
        SocketEvent(session, Sockets::SocketEvent::ConnectResult, 0);
        Receive(session, RuvTest::Hello());
        Receive(session, Snac(1, 3, Bytes("0001")));
        Receive(session, Snac(1, 0x18, Bytes("00010004")));
        Receive(session, Snac(1, 7, Bytes("0000")));
        Receive(session, Snac(1, 0x0F, Bytes("0137 0000 0001 00060004 0000 0000")));
        Receive(session, Snac(0x13, 6, Bytes("00 0000 00000000")));
        return session;
    }
    int Fire(const Protocols::TimerRequest& timer) {
        return services.SendEvent(account->GetClientId(), Protocols::TimerServiceGuid, Protocols::TimerEvent::Fire,
                                  new CEventArg_Data<Protocols::TimerRequest>(timer), nullptr, true);
    }

    WatchedClock clock;
    Services::CServicesManagerImpl services;
    Protocols::CEventArgFactoryImpl factory;
    XmppTest::XmppFakeProtocolsManager manager;
    XmppTest::RecordingSockets sockets;
    unsigned int managerKey = 0;
    CRuvAccount* account = nullptr;
};

TEST_F(RuvAccountHarness, OnlyARealStatusConnectsAndOfflineWhileOfflineSaysNothing) {
    SetStatus(Protocols::Connecting);
    SetStatus(Protocols::Offline);
    EXPECT_EQ(Connects(), 0u);
    EXPECT_TRUE(Events(Protocols::AccountEvent::StatusChanged).empty());
    SetStatus(Protocols::Away);
    ASSERT_EQ(Connects(), 1u);
    EXPECT_EQ(sockets.connects[0].settings.host.ToUtf8(), "127.0.0.1");
    EXPECT_EQ(sockets.connects[0].settings.port, 15190u);
    auto changes = Events(Protocols::AccountEvent::StatusChanged);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].status.status, Protocols::Connecting);
}

TEST_F(RuvAccountHarness, TheLoginConnectionsEventsStopCountingOnceTheSessionTakesOver) {
    Sockets::CYolSocket* session = ToSession();
    ASSERT_NE(session, nullptr);
    Sockets::CYolSocket* login = Socket(0);
    // The dropped login socket lives on until its close is told, so that
    // no new socket takes its address while its events are under way.
    EXPECT_TRUE(sockets.IsValidSocket(login));
    EXPECT_NE(login, session);
    sockets.TakeSent();
    // The login server's goodbye arrives late: nothing of the session ends.
    SocketEvent(login, Sockets::SocketEvent::ConnectResult, -1);
    SocketEvent(login, Sockets::SocketEvent::Closed, 0);
    EXPECT_FALSE(sockets.IsValidSocket(login));
    EXPECT_EQ(account->CurrentStatus(), Protocols::Connecting);
    Receive(session, RuvTest::Hello());
    EXPECT_EQ(Hex(sockets.TakeSent().substr(6)), "00000001" "00060001ff");
    EXPECT_EQ(account->CurrentLoginState(), RuvLogin::LoginState::Families);
}

TEST_F(RuvAccountHarness, AFailedConnectComesBackAfterTheDelayUnlessTheServiceSaysNot) {
    struct Case {
        int code;
        size_t connectsAfterDelay;
    } cases[] = {{-1, 2}, {-3, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const size_t before = Connects();
        SetStatus(Protocols::Online);
        SocketEvent(Socket(before), Sockets::SocketEvent::ConnectResult, c.code);
        EXPECT_EQ(account->CurrentStatus(), Protocols::Offline);
        clock.Advance(CRuvAccount::DefaultReconnectDelay);
        // The reconnection posts to the account; a status query queues
        // behind it.
        Command(Protocols::AccountCommand::GetStatus);
        EXPECT_EQ(Connects() - before, c.connectsAfterDelay);
        SetStatus(Protocols::Offline);
    }
}

TEST_F(RuvAccountHarness, AfterSignOnTheKeepAliveNumbersOnFromTheSession) {
    Sockets::CYolSocket* session = SignedOn();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(account->CurrentStatus(), Protocols::Online);
    auto timers = Events(Protocols::AccountEvent::SetTimer);
    ASSERT_EQ(timers.size(), 1u);
    std::string sent = sockets.TakeSent();
    const uint16_t last = static_cast<uint16_t>(static_cast<uint8_t>(sent[sent.size() - 14]) << 8 |
                                                static_cast<uint8_t>(sent[sent.size() - 13]));
    EXPECT_EQ(Fire(timers[0].timer), 0);
    EXPECT_EQ(Hex(sockets.TakeSent()), "2a05" + Hex(std::string{static_cast<char>((last + 1) >> 8),
                                                                static_cast<char>((last + 1) & 0xFF)}) +
                                           "0000");
    EXPECT_EQ(CRuvAccount::KeepAliveTimer(nullptr), 0u);
}

TEST_F(RuvAccountHarness, TheIconServiceConnectsOnTheRedirectAndKeepsAliveOnItsOwnTimer) {
    Sockets::CYolSocket* session = SignedOn();
    ASSERT_NE(session, nullptr);
    Events(0);
    Receive(session, Snac(1, 5, Bytes("0005000e" + Hex("127.0.0.1:5191") + "00060002abcd")));
    ASSERT_EQ(Connects(), 3u);
    EXPECT_EQ(sockets.connects[2].settings.port, 5191u);
    Sockets::CYolSocket* icons = Socket(2);
    SocketEvent(icons, Sockets::SocketEvent::ConnectResult, 0);
    Receive(icons, RuvTest::Hello());
    Receive(icons, Snac(1, 3, Bytes("00010010")));
    Receive(icons, Snac(1, 7, Bytes("0000")));
    ASSERT_NE(account->BuddyIcons().Link(), nullptr);
    EXPECT_TRUE(account->BuddyIcons().Link()->Ready());
    auto timers = Events(Protocols::AccountEvent::SetTimer);
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].timer.info.callback, &CRuvAccount::IconLinkTimer);
    sockets.TakeSent();
    // Each firing sends one keep-alive on the icon connection and asks
    // for the next one.
    EXPECT_EQ(Fire(timers[0].timer), 0);
    EXPECT_EQ(Hex(sockets.TakeSent()), "2a050104" "0000");
    timers = Events(Protocols::AccountEvent::SetTimer);
    ASSERT_EQ(timers.size(), 1u);
    // Going offline ends the icon connection and its timer with it.
    SetStatus(Protocols::Offline);
    bool killed = false;
    for (const auto& kill : Events(Protocols::AccountEvent::KillTimer))
        killed = killed || kill.timerInfo.callback == &CRuvAccount::IconLinkTimer;
    EXPECT_TRUE(killed);
    EXPECT_EQ(account->BuddyIcons().Link(), nullptr);
    EXPECT_FALSE(sockets.IsValidSocket(icons));
    EXPECT_EQ(Fire(timers[0].timer), 0);
    EXPECT_TRUE(sockets.TakeSent().empty());
}

}  // namespace
