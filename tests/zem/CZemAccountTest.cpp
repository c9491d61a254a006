// The account object over a recording sockets service, driven by events on
// its own queue thread as the program drives it: events that a socket the
// account no longer uses reports late.

#include "CEventArgFactoryImpl.h"
#include "CServicesManagerImpl.h"
#include "CZemAccount.h"
#include "NullProtocolsManager.h"
#include "RecordingSockets.h"
#include "WatchedClock.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Services::CEventArg_Data;
using ZemTest::U;

// The manager side: takes the account's events and answers no setting, so
// the account runs on its defaults.
class QuietManager final : public YolTest::NullProtocolsManager, public Services::CEventsClient {
public:
    int OnEvent(const YOL_GUID&, int, Services::CEventArg*, Services::CEventArg*) override { return 1; }
};

class ZemAccountHarness : public ::testing::Test {
protected:
    static constexpr unsigned int kAccountId = 0x30000003;

    void SetUp() override {
        services.RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        services.RegisterService(SocketsManagerGuid, static_cast<Sockets::CSocketsManager*>(&sockets));
        managerKey = services.RegisterEventsClient(&manager, U("Protocols manager"));
        services.BroadcastStarted();
        account = new CZemAccount(&services, kAccountId, managerKey);
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
    size_t Connects() {
        std::lock_guard guard(sockets.lock);
        return sockets.connects.size();
    }
    Sockets::CYolSocket* Socket(size_t index) {
        std::lock_guard guard(sockets.lock);
        return sockets.connects.at(index).socket;
    }
    void SocketEvent(Sockets::CYolSocket* socket, int event, int value) {
        services.SendEvent(account->GetClientId(), SocketsManagerGuid, event,
                           new CEventArg_Data<Sockets::CYolSocket*>(socket), new CEventArg_Data<int>(value), true);
    }
    void Receive(Sockets::CYolSocket* socket, const std::string& bytes) {
        sockets.Queue(bytes);
        SocketEvent(socket, Sockets::SocketEvent::DataAvailable, static_cast<int>(bytes.size()));
    }
    // Every event the account posted itself has been handled.
    void Settle() { services.SendEvent(account->GetClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true); }

    WatchedClock clock;
    Services::CServicesManagerImpl services;
    Protocols::CEventArgFactoryImpl factory;
    QuietManager manager;
    YolTest::RecordingSockets sockets;
    unsigned int managerKey = 0;
    CZemAccount* account = nullptr;
};

TEST_F(ZemAccountHarness, TheRedirectSocketLivesUntilItsCloseAndItsLateEventsTouchNoSession) {
    Command(Protocols::AccountCommand::SetStatus, new CEventArg_Data<Protocols::Status>(Protocols::Online));
    ASSERT_EQ(Connects(), 1u);
    Sockets::CYolSocket* redirect = Socket(0);
    SocketEvent(redirect, Sockets::SocketEvent::ConnectResult, 0);
    Receive(redirect, "127.0.0.1:2041\n");
    Settle();
    ASSERT_EQ(Connects(), 2u);
    Sockets::CYolSocket* session = Socket(1);
    // The redirect socket is closed but still known to the service, so no
    // new socket can be made at its address while its events are queued.
    EXPECT_TRUE(sockets.IsValidSocket(redirect));
    EXPECT_NE(redirect, session);
    sockets.TakeSent();
    Receive(redirect, "garbage that is no packet at all, forty-four bytes and more...");
    SocketEvent(redirect, Sockets::SocketEvent::ConnectResult, -1);
    SocketEvent(redirect, Sockets::SocketEvent::Closed, 0);
    EXPECT_FALSE(sockets.IsValidSocket(redirect));
    EXPECT_EQ(account->CurrentStatus(), Protocols::Connecting);
    SocketEvent(session, Sockets::SocketEvent::ConnectResult, 0);
    EXPECT_EQ(ToHex(sockets.TakeSent().substr(12, 4)), "01100000");
    EXPECT_EQ(account->CurrentLoginState(), LoginState::Greeting);
    EXPECT_TRUE(sockets.IsValidSocket(session));
}

}  // namespace
