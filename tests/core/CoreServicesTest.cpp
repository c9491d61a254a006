// The core's start-up and teardown on a manager of the test's own, in a
// program folder of its own with an empty protocols folder.

#include "CoreServices.h"

#include "CProtocolsManagerImpl.h"
#include "CServerStore.h"
#include "CServicesManagerImpl.h"
#include "CSocketsManagerImpl.h"
#include "CYolDatabaseImpl.h"
#include "CYolPath.h"
#include "EventTestSupport.h"
#include "ProtocolsManagerEvents.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Services::CEventArg;
using Services::CEventArg_Data;

// Which of the six handles were set, one bit each in creation order.
unsigned int HandlesSet() {
    const void* handles[] = {Core::g_database,    Core::g_skinManager,  Core::g_socketsManager,
                             Core::g_serverStore, Core::g_contactList, Core::g_protocolsManager};
    unsigned int mask = 0;
    for (size_t i = 0; i < std::size(handles); ++i)
        mask |= handles[i] != nullptr ? 1u << i : 0u;
    return mask;
}

// Hands everything to a real manager and notes each registration (a service
// by its GUID, an events client by its name) with the handles set at the
// time.
class RecordingManager final : public Services::CServicesManager {
public:
    struct Registration {
        std::string what;
        unsigned int handles;
    };

    explicit RecordingManager(Services::CServicesManagerImpl& inner) : inner(inner) {}

    std::vector<Registration> Registrations() {
        std::lock_guard<std::mutex> hold(lock);
        return registrations;
    }

    unsigned int RegisterService(const YOL_GUID& id, void* service) override {
        Note(id.GetString().ToUtf8());
        return inner.RegisterService(id, service);
    }
    int UnregisterService(unsigned int key) override { return inner.UnregisterService(key); }
    bool IsServiceRegistered(const YOL_GUID& id) override { return inner.IsServiceRegistered(id); }
    void* GetService(const YOL_GUID& id) override { return inner.GetService(id); }
    unsigned int RegisterEventsClient(Services::CEventsClient* client, const CYolString& name) override {
        Note("client " + name.ToUtf8());
        return inner.RegisterEventsClient(client, name);
    }
    int UnregisterEventsClient(unsigned int key) override { return inner.UnregisterEventsClient(key); }
    int SendEvent(unsigned int clientKey, const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra,
                  bool wait) override {
        return inner.SendEvent(clientKey, channel, event, arg, extra, wait);
    }
    unsigned int RegisterEvent(const YOL_GUID& channel, int event) override {
        return inner.RegisterEvent(channel, event);
    }
    int UnregisterEvent(unsigned int key) override { return inner.UnregisterEvent(key); }
    int BroadcastEvent(unsigned int eventKey, CEventArg* arg, CEventArg* extra, bool wait) override {
        return inner.BroadcastEvent(eventKey, arg, extra, wait);
    }
    unsigned int Subscribe(const YOL_GUID& channel, int event, unsigned int clientKey) override {
        return inner.Subscribe(channel, event, clientKey);
    }
    int Unsubscribe(unsigned int subscriptionKey) override { return inner.Unsubscribe(subscriptionKey); }

private:
    void Note(std::string what) {
        std::lock_guard<std::mutex> hold(lock);
        registrations.push_back({std::move(what), HandlesSet()});
    }

    Services::CServicesManagerImpl& inner;
    std::mutex lock;
    std::vector<Registration> registrations;
};

// Collects the protocols manager's broadcasts of interest, in arrival order.
class BroadcastLog {
public:
    BroadcastLog(Services::CServicesManagerImpl& manager, std::vector<int> events)
        : manager(manager), client([this](const YOL_GUID& channel, int event, CEventArg* arg, CEventArg*) {
              if (channel != ProtocolsManagerGuid)
                  return 0;
              std::lock_guard<std::mutex> hold(lock);
              seen.push_back(event);
              if (auto* login = dynamic_cast<CEventArg_Data<CYolString>*>(arg))
                  lastText = login->data.ToUtf8();
              return 0;
          }) {
        key = manager.RegisterEventsClient(&client, CYolString(u"Test log"));
        for (int event : events)
            manager.Subscribe(ProtocolsManagerGuid, event, key);
    }
    ~BroadcastLog() { manager.UnregisterEventsClient(key); }

    bool WaitFor(int event) {
        return ::WaitFor([&] {
            std::lock_guard<std::mutex> hold(lock);
            return std::find(seen.begin(), seen.end(), event) != seen.end();
        });
    }
    // Returns once everything queued for the log before the call was handled.
    void Drain() { manager.SendEvent(key, ServicesManagerGuid, 0, nullptr, nullptr, true); }
    std::vector<int> Seen() {
        std::lock_guard<std::mutex> hold(lock);
        return seen;
    }

private:
    Services::CServicesManagerImpl& manager;
    FnClient client;
    unsigned int key = 0;
    std::mutex lock;
    std::vector<int> seen;
    std::string lastText;
};

class CoreServicesTest : public TempFolderTest {
protected:
    void SetUp() override {
        previousAppDir = CYolPath::AppDir();
        std::filesystem::create_directories(PathOf("Protos"));
        CYolPath::SetAppDir(CYolString::FromUtf8(folder));
    }
    void TearDown() override {
        if (Core::g_database != nullptr)
            Core::DestroyServices(manager);
        CYolPath::SetAppDir(previousAppDir);
    }

    CYolString previousAppDir;
    Services::CServicesManagerImpl manager;
};

TEST_F(CoreServicesTest, CreatesEachObjectAfterThePreviousOneIsStored) {
    RecordingManager recording(manager);
    Core::CreateServices(recording);
    ASSERT_EQ(HandlesSet(), 0x3Fu);
    ASSERT_NE(Core::g_timerService, nullptr);

    // The first registration each object makes, and the handles set by then.
    const std::vector<std::pair<std::string, unsigned int>> expected = {
        {DatabaseGuid.GetString().ToUtf8(), 0x00},
        {SkinManagerGuid.GetString().ToUtf8(), 0x01},
        {SocketsManagerGuid.GetString().ToUtf8(), 0x03},
        {"client ServerStore", 0x07},
        {ContactListGuid.GetString().ToUtf8(), 0x0F},
        {ProtocolsManagerGuid.GetString().ToUtf8(), 0x1F},
        {"client Timers", 0x3F},
    };
    std::vector<RecordingManager::Registration> seen = recording.Registrations();
    size_t from = 0;
    for (const auto& [name, handles] : expected) {
        const std::string& what = name;
        auto found = std::find_if(seen.begin() + static_cast<std::ptrdiff_t>(from), seen.end(),
                                  [&](const RecordingManager::Registration& r) { return r.what == what; });
        ASSERT_NE(found, seen.end()) << what << " missing or out of order";
        EXPECT_EQ(found->handles, handles) << what;
        from = static_cast<size_t>(found - seen.begin()) + 1;
    }
    Core::DestroyServices(manager);
}

TEST_F(CoreServicesTest, TeardownClearsEveryHandleAndWritesWhatTheSocketsServiceSaved) {
    Core::CreateServices(manager);
    ASSERT_NE(Core::g_socketsManager, nullptr);
    Sockets::ConnectionSettings settings;
    settings.proxyType = 1;
    settings.proxyHost = u"proxy.yol.example";
    settings.proxyPort = 3128;
    Core::g_socketsManager->SetSettings(settings);

    Core::DestroyServices(manager);
    EXPECT_EQ(HandlesSet(), 0u);
    EXPECT_EQ(Core::g_timerService, nullptr);
    EXPECT_FALSE(manager.IsServiceRegistered(DatabaseGuid));
    EXPECT_FALSE(manager.IsServiceRegistered(ProtocolsManagerGuid));

    // Only the sockets service's destructor put these into the database.
    Database::CYolDatabaseImpl reread(nullptr, CYolString::FromUtf8(PathOf("settings.yol")));
    ASSERT_TRUE(reread.GetLoadResult().fileFound);
    CYolString host;
    unsigned long port = 0;
    unsigned char type = 0;
    EXPECT_TRUE(reread.GetString(SocketsManagerGuid, u"Proxy hostname", host));
    EXPECT_EQ(host.ToUtf8(), "proxy.yol.example");
    EXPECT_TRUE(reread.GetDword(SocketsManagerGuid, u"Proxy port", port));
    EXPECT_EQ(port, 3128u);
    EXPECT_TRUE(reread.GetByte(SocketsManagerGuid, u"Proxy type", type));
    EXPECT_EQ(type, 1);
}

TEST_F(CoreServicesTest, StartUpReachesSubscribersBeforeItReturns) {
    Core::CreateServices(manager);
    std::atomic<int> started{0};
    FnClient subscriber([&](const YOL_GUID& channel, int event, CEventArg*, CEventArg*) {
        if (channel == ServicesManagerGuid && event == 1)
            ++started;
        return 0;
    });
    unsigned int key = manager.RegisterEventsClient(&subscriber, CYolString(u"Subscriber"));
    manager.Subscribe(ServicesManagerGuid, 1, key);

    Core::StartServices(manager);
    EXPECT_EQ(started.load(), 1);
    manager.UnregisterEventsClient(key);
}

// With no account at all the start-up asks for the base account's login; an
// incomplete answer switches storage off and starts the accounts from the
// local list.
TEST_F(CoreServicesTest, IncompleteBaseLoginStartsAccountsWithoutStorage) {
    Core::CreateServices(manager);
    BroadcastLog log(manager, {Protocols::ProtocolsManagerEvent::BaseAccountPrompt,
                               Protocols::ProtocolsManagerEvent::AccountsLoading,
                               Protocols::ProtocolsManagerEvent::AccountsLoaded});
    Core::StartServices(manager);
    ASSERT_TRUE(log.WaitFor(Protocols::ProtocolsManagerEvent::BaseAccountPrompt));

    Core::g_protocolsManager->SetBaseAccountLogin(u"me@yol.example", CYolString());
    ASSERT_TRUE(log.WaitFor(Protocols::ProtocolsManagerEvent::AccountsLoaded));
    EXPECT_FALSE(Core::g_serverStore->IsEnabled());
    EXPECT_EQ(log.Seen(), (std::vector<int>{Protocols::ProtocolsManagerEvent::BaseAccountPrompt,
                                            Protocols::ProtocolsManagerEvent::AccountsLoaded}));
}

// A complete answer switches storage on; the accounts then wait for the
// store's read, and start on its answer even when the read cannot be made
// (no base account could be created without its plug-in).
TEST_F(CoreServicesTest, CompleteBaseLoginStartsAccountsOnTheStoresAnswer) {
    Core::CreateServices(manager);
    BroadcastLog log(manager, {Protocols::ProtocolsManagerEvent::BaseAccountPrompt,
                               Protocols::ProtocolsManagerEvent::AccountsLoading,
                               Protocols::ProtocolsManagerEvent::AccountsLoaded});
    Core::StartServices(manager);
    ASSERT_TRUE(log.WaitFor(Protocols::ProtocolsManagerEvent::BaseAccountPrompt));

    Core::g_protocolsManager->SetBaseAccountLogin(u"me@yol.example", u"secret");
    ASSERT_TRUE(log.WaitFor(Protocols::ProtocolsManagerEvent::AccountsLoaded));
    EXPECT_TRUE(Core::g_serverStore->IsEnabled());
    EXPECT_EQ(log.Seen(), (std::vector<int>{Protocols::ProtocolsManagerEvent::BaseAccountPrompt,
                                            Protocols::ProtocolsManagerEvent::AccountsLoading,
                                            Protocols::ProtocolsManagerEvent::AccountsLoaded}));
}

// The store's answer to the read, as it reaches the manager: a refused login
// asks for it again; any other answer starts the accounts; answers to other
// operations change nothing.
TEST_F(CoreServicesTest, ReadResultEitherAsksAgainOrStartsTheAccounts) {
    namespace Event = Protocols::ProtocolsManagerEvent;
    struct Case {
        int result;
        CServerStore::Operation operation;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {403, CServerStore::OpRead, {Event::BaseAccountPrompt}},
        {500, CServerStore::OpRead, {Event::AccountsLoaded}},
        {200, CServerStore::OpRead, {Event::AccountsLoaded}},
        {CServerStore::ResultTimedOut, CServerStore::OpRead, {Event::AccountsLoaded}},
        {200, CServerStore::OpSaveAccountList, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        Services::CServicesManagerImpl own;
        Core::CreateServices(own);
        {
            BroadcastLog log(own, {Event::BaseAccountPrompt, Event::AccountsLoaded});
            own.SendEvent(Core::g_protocolsManager->GetEventsClientId(), ServerStoreGuid,
                              CServerStore::kResultEvent, new CEventArg_Data<int>(c.result),
                              new CEventArg_Data<CServerStore::Operation>(c.operation), false);
            if (!c.expected.empty()) {
                EXPECT_TRUE(log.WaitFor(c.expected.back()));
            }
            // A request behind the answer has run once this returns (it
            // writes nothing: no save is pending); then the log's own queue
            // has delivered whatever else the answer broadcast.
            own.SendEvent(Core::g_protocolsManager->GetEventsClientId(), ProtocolsManagerGuid,
                              Protocols::ProtocolsManagerRequest::SaveAccounts, nullptr, nullptr, true);
            log.Drain();
            std::vector<int> seen = log.Seen();
            EXPECT_EQ(seen, c.expected);
        }
        Core::DestroyServices(own);
    }
}

}  // namespace
