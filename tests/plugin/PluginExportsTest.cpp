// The plug-in exports and the account registry behind them, through a real
// plug-in library loaded the way the program loads one.

#include "PluginExports.h"
#include "PluginTestSupport.h"
#include "StallReportSupport.h"
#include "TestProto/TestProtoProbe.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <thread>

using Services::CEventArg;
using Services::CEventArg_Data;
namespace C = Protocols::AccountCommand;

namespace {

size_t ThisThread() { return std::hash<std::thread::id>()(std::this_thread::get_id()); }

// The library, loaded fresh for each test so that its counters start at 0.
class PluginExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        library = dlopen(TEST_PROTO_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        getInfo = Bind<Protocols::GetProtocolInfoFuncPtr>(Protocols::GetProtocolInfoFuncName);
        create = Bind<Protocols::CreateAccountFuncPtr>(Protocols::CreateAccountFuncName);
        destroy = Bind<Protocols::DestroyAccountFuncPtr>(Protocols::DestroyAccountFuncName);
        read = Bind<TestProtoReadFunc>("TestProto_Read");
        openGate = Bind<TestProtoVoidFunc>("TestProto_OpenGate");
        statusMenu = Bind<TestProtoStatusMenuFunc>("TestProto_StatusMenu");
    }

    // As the program does before it unloads a library: every account the
    // library made is destroyed first (keys already gone are ignored).
    void TearDown() override {
        if (library == nullptr)
            return;
        for (unsigned int key : keys)
            destroy(key);
        Unload();
    }

    template <typename F>
    F Bind(const char* name) {
        void* symbol = dlsym(library, name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<F>(symbol);
    }

    // True when the library really left the process.
    bool Unload() {
        dlclose(library);
        library = nullptr;
        void* still = dlopen(TEST_PROTO_PATH, RTLD_NOW | RTLD_NOLOAD);
        if (still != nullptr) {
            dlclose(still);
            return false;
        }
        return true;
    }

    TestProtoProbe Probe() {
        TestProtoProbe probe{};
        read(&probe);
        return probe;
    }

    unsigned int NewAccount(unsigned int accountId, const YOL_GUID& protocol = TestProtoGuid) {
        unsigned int key = create(protocol, &rig.services, accountId, rig.managerKey);
        keys.push_back(key);
        return key;
    }

    int Send(unsigned int key, int event, CEventArg* a = nullptr, CEventArg* b = nullptr, bool wait = true) {
        return rig.services.SendEvent(key, ProtocolsManagerGuid, event, a, b, wait);
    }

    PluginRig rig;
    void* library = nullptr;
    std::vector<unsigned int> keys;
    Protocols::GetProtocolInfoFuncPtr getInfo = nullptr;
    Protocols::CreateAccountFuncPtr create = nullptr;
    Protocols::DestroyAccountFuncPtr destroy = nullptr;
    TestProtoReadFunc read = nullptr;
    TestProtoVoidFunc openGate = nullptr;
    TestProtoStatusMenuFunc statusMenu = nullptr;
};

TEST_F(PluginExportsTest, OnlyTheThreeExportsAndTheTestHooksAreVisible) {
    for (const char* hidden : {"_ZN9Protocols15AccountRegistryEv", "_ZN9Protocols18StatusMenuCallbackEjPv"})
        EXPECT_EQ(dlsym(library, hidden), nullptr) << hidden;
}

TEST_F(PluginExportsTest, GetProtocolInfoAppendsEachFlavourAndKeepsWhatWasThere) {
    CYolArray<Protocols::ProtocolInfo> protocols;
    Protocols::ProtocolInfo earlier;
    earlier.name = W("Earlier");
    protocols.Add(earlier);

    getInfo(&rig.services, protocols);

    ASSERT_EQ(protocols.Count(), 3);
    EXPECT_EQ(protocols[0].name, W("Earlier"));
    EXPECT_EQ(protocols[1].id, TestProtoGuid);
    EXPECT_EQ(protocols[1].displayName, W("Test protocol"));
    EXPECT_EQ(protocols[1].loginSuffixes.Count(), 0);
    EXPECT_EQ(protocols[2].id, TestProtoLiteGuid);
    ASSERT_EQ(protocols[2].loginSuffixes.Count(), 1);
    EXPECT_EQ(protocols[2].loginSuffixes[0], W("@lite.example"));
}

TEST_F(PluginExportsTest, CreateAnswersTheAccountsEventsClientKey) {
    unsigned int full = NewAccount(0x10000001);
    unsigned int lite = NewAccount(0x10000002, TestProtoLiteGuid);
    ASSERT_NE(full, 0u);
    ASSERT_NE(lite, 0u);
    EXPECT_NE(full, lite);
    EXPECT_EQ(Probe().registered, 2u);

    // The key is what the manager addresses commands to.
    EXPECT_EQ(Send(full, C::SetStatus, Arg(Protocols::Online)), 0);
    EXPECT_EQ(Send(full, C::GetStatus), Protocols::Online);
    EXPECT_EQ(Send(lite, C::GetStatus), Protocols::Offline);
    void* first = nullptr;
    void* second = nullptr;
    Send(full, C::GetAccountObject, Arg(&first));
    Send(lite, C::GetAccountObject, Arg(&second));
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
    EXPECT_NE(first, second);

    destroy(full);
    destroy(lite);
    EXPECT_EQ(Probe().liveAccounts, 0);
}

TEST_F(PluginExportsTest, CreateForAProtocolTheLibraryDoesNotServeMakesNothing) {
    EXPECT_EQ(NewAccount(0x10000001, RuvProtocolGuid), 0u);
    EXPECT_EQ(Probe().liveAccounts, 0);
    EXPECT_EQ(Probe().registered, 0u);
}

TEST_F(PluginExportsTest, DestroyRemovesOnlyThatAccountAndIgnoresUnknownKeys) {
    unsigned int kept = NewAccount(0x10000001);
    unsigned int gone = NewAccount(0x10000002);

    destroy(gone);
    EXPECT_EQ(Probe().liveAccounts, 1);
    EXPECT_EQ(Send(gone, C::GetStatus), -2);
    destroy(gone);
    destroy(0);
    destroy(kept + gone + 1000);
    EXPECT_EQ(Probe().liveAccounts, 1);
    EXPECT_EQ(Probe().registered, 1u);
    EXPECT_EQ(Send(kept, C::SetStatus, Arg(Protocols::Away)), 0);
    EXPECT_EQ(Send(kept, C::GetStatus), Protocols::Away);

    destroy(kept);
    EXPECT_EQ(Probe().liveAccounts, 0);
    EXPECT_EQ(Probe().registered, 0u);
}

TEST_F(PluginExportsTest, StatusMenuCallbackChangesTheStatusOnTheAccountsOwnThread) {
    unsigned int key = NewAccount(0x10000001);
    NewAccount(0x10000002);
    Send(key, C::Init);

    statusMenu(0x10000009, Protocols::Occupied);  // no such account: nothing happens
    statusMenu(0x10000001, Protocols::Away);

    ASSERT_TRUE(WaitUntil([&] { return Probe().setStatusCalls == 1; }));
    TestProtoProbe probe = Probe();
    EXPECT_EQ(probe.lastStatus, Protocols::Away);
    EXPECT_EQ(probe.lastStatusThread, probe.initThread);
    EXPECT_NE(probe.lastStatusThread, ThisThread());
    EXPECT_EQ(Send(key, C::GetStatus), Protocols::Away);
}

TEST_F(PluginExportsTest, StatusMenuCallbackForADestroyedAccountDoesNothing) {
    unsigned int key = NewAccount(0x10000001);
    destroy(key);
    statusMenu(0x10000001, Protocols::Away);
    EXPECT_EQ(Probe().setStatusCalls, 0);
}

// The handler of the first event is held at a gate while more events queue
// up behind it and the manager destroys the account from another thread.
TEST_F(PluginExportsTest, DestroyDropsQueuedEventsAndWaitsForTheRunningOne) {
    StallReports stalls;
    unsigned int key = NewAccount(0x10000001);
    ASSERT_EQ(Send(key, C::Notify84, Arg(TestProtoGateValue), nullptr, false), 1);
    ASSERT_TRUE(WaitUntil([&] { return Probe().handled == 1; }));
    for (int n = 0; n < 20; ++n)
        ASSERT_EQ(Send(key, C::SetStatus, Arg(Protocols::Online), nullptr, false), 1);

    std::atomic<bool> destroyed{false};
    std::thread manager([&] {
        destroy(key);
        destroyed = true;
    });
    // Past the stop's report deadline the destruction still waits for the
    // gated handler. The account's queue carries no name of its own.
    EXPECT_TRUE(stalls.PastDeadline(""));
    EXPECT_FALSE(destroyed);
    openGate();
    manager.join();

    TestProtoProbe probe = Probe();
    EXPECT_EQ(probe.handled, 1);
    EXPECT_EQ(probe.setStatusCalls, 0);
    EXPECT_EQ(probe.handledWhileDying, 0);
    EXPECT_EQ(probe.liveAccounts, 0);
}

TEST_F(PluginExportsTest, EventsSentDuringDestructionNeverReachTheAccount) {
    unsigned int key = NewAccount(0x10000001);
    std::atomic<bool> stop{false};
    std::atomic<int> refused{0};
    std::thread sender([&] {
        while (!stop) {
            if (Send(key, C::SetStatus, Arg(Protocols::Online), nullptr, false) != 1)
                ++refused;
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return Probe().setStatusCalls > 0; }));
    destroy(key);
    ASSERT_TRUE(WaitUntil([&] { return refused > 0; }));
    stop = true;
    sender.join();

    TestProtoProbe probe = Probe();
    EXPECT_EQ(probe.handledWhileDying, 0);
    EXPECT_EQ(probe.liveAccounts, 0);
}

// An argument the account sent is still held by the program when the
// library goes: releasing it afterwards must not need the library's code.
TEST_F(PluginExportsTest, ArgumentsAnAccountSentOutliveItsLibrary) {
    unsigned int key = NewAccount(0x10000001);
    ASSERT_EQ(Send(key, C::RequestContactInfo, Arg(77u)), 0);
    ASSERT_TRUE(rig.manager.WaitFor(1));
    ReceivedEvent shown = rig.manager.Events()[0];
    EXPECT_EQ(shown.channel, TestProtoGuid);
    EXPECT_EQ(shown.event, Protocols::AccountEvent::ShowText);
    EXPECT_EQ(shown.accountId, 0x10000001u);
    EXPECT_EQ(shown.text, W("info 77"));
    ASSERT_EQ(rig.manager.kept.size(), 2u);

    destroy(key);
    ASSERT_TRUE(Unload());
    rig.manager.ReleaseKept();
}

}  // namespace
