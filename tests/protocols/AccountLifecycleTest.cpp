// The account table: ids, file names, the order in which accounts are
// started and deleted, the stored account list and its reload.

#include "ProtocolsTestSupport.h"

namespace ProtocolsTest {
namespace {

using AccountLifecycle = ProtocolsFixture;

std::vector<int> Numbers(const std::vector<TestPlugin::Received>& events) {
    std::vector<int> numbers;
    for (const TestPlugin::Received& r : events)
        numbers.push_back(r.event);
    return numbers;
}

// Keeps a plug-in copy loaded while a test reads its recording across an
// account's deletion.
class Pinned {
public:
    Pinned(ProtocolsFixture& fixture, void* handle) : handle(handle) { (void)fixture; }
    ~Pinned() {
        if (handle != nullptr)
            dlclose(handle);
    }
    Pinned(const Pinned&) = delete;
    Pinned& operator=(const Pinned&) = delete;

private:
    void* handle;
};

bool HasDestroyed(TestPlugin::Control* control, unsigned int account) {
    return control->WaitUntil([&](const std::vector<TestPlugin::Received>&, const std::vector<TestPlugin::LifeEvent>& life) {
        for (const TestPlugin::LifeEvent& e : life)
            if (e.kind == TestPlugin::LifeEvent::Destroyed && e.accountId == account)
                return true;
        return false;
    });
}

CYolString FileName(CProtocolsManagerImpl& manager, unsigned int account) {
    return manager.GetAccountFileName(account);
}

TEST_F(AccountLifecycle, TheManagerIsAServiceAndMakesTheAccountsArguments) {
    EXPECT_EQ(services.GetService(ProtocolsManagerGuid), nullptr);
    CProtocolsManager* registered = &Manager();
    EXPECT_EQ(services.GetService(ProtocolsManagerGuid), registered);
    // Accounts make the arguments they send with the program's factory.
    auto* factory = static_cast<CEventArgFactory*>(services.GetService(EventArgFactoryGuid));
    ASSERT_NE(factory, nullptr);
    CEventArg* arg = factory->NewString(Text("made here"));
    EXPECT_EQ(Value<CYolString>(arg).ToUtf8(), "made here");
    arg->AddRef(0);
    manager.reset();
    EXPECT_EQ(services.GetService(ProtocolsManagerGuid), nullptr);
    EXPECT_EQ(services.GetService(EventArgFactoryGuid), nullptr);
}

TEST_F(AccountLifecycle, IdsStartAt0x10000001AndNeverComeBack) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    unsigned int first = Manager().AddAccount(Guid(kRuv));
    EXPECT_EQ(first, 0x10000001u);
    Manager().DeleteAccount(first);
    ASSERT_TRUE(WaitFor([&] { return Manager().GetAccountCount() == 0; }));
    EXPECT_EQ(Manager().AddAccount(Guid(kRuv)), 0x10000002u);
    EXPECT_EQ(Manager().AddAccount(Guid(kRuv)), 0x10000003u);
}

TEST_F(AccountLifecycle, APluginThatMakesNoAccountLeavesNoTraceAndNoIdStep) {
    Install("Ruv", {Line(kRuv, "Ruv"), Line(kOther, "Other", "o.png", "nocreate")});
    EXPECT_EQ(Manager().AddAccount(Guid(kOther)), 0u);
    EXPECT_EQ(Manager().AddAccount(Guid(kSecond)), 0u);  // not installed at all
    EXPECT_EQ(Manager().GetAccountCount(), 0);
    EXPECT_FALSE(IsLoaded("Ruv"));
    EXPECT_EQ(Manager().AddAccount(Guid(kRuv)), 0x10000001u);
}

TEST_F(AccountLifecycle, FileNamesTakeTheFirstFreeSuffix) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    unsigned int a = Manager().AddAccount(Guid(kRuv));
    unsigned int b = Manager().AddAccount(Guid(kRuv));
    unsigned int c = Manager().AddAccount(Guid(kRuv));
    EXPECT_EQ(FileName(Manager(), a).ToUtf8(), "Ruv");
    EXPECT_EQ(FileName(Manager(), b).ToUtf8(), "Ruv1");
    EXPECT_EQ(FileName(Manager(), c).ToUtf8(), "Ruv2");
    Manager().DeleteAccount(b);
    ASSERT_TRUE(WaitFor([&] { return Manager().GetAccountCount() == 2; }));
    unsigned int d = Manager().AddAccount(Guid(kRuv));
    EXPECT_EQ(FileName(Manager(), d).ToUtf8(), "Ruv1");
}

TEST_F(AccountLifecycle, AnAddedAccountIsStartedInOrder) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    database->SetDword(ProtocolsManagerGuid, Text("XStatusCurrId"), 3);
    database->SetString(ProtocolsManagerGuid, Text("XStatusTitle03"), Text("Coffee"));
    database->SetString(ProtocolsManagerGuid, Text("XStatusDesc03"), Text("Back soon"));
    unsigned int id = Manager().AddAccount(Guid(kRuv));
    TestPlugin::Control* control = ControlOf("Ruv");
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(control->WaitForEvents(4));
    std::vector<TestPlugin::Received> events = control->EventsOf(id);
    EXPECT_EQ(Numbers(events), (std::vector<int>{AccountCommand::Init, AccountCommand::SetLanguage,
                                                 AccountCommand::SetXStatus, AccountCommand::Ready}));
    EXPECT_EQ(Value<CYolString>(events[1].arg).ToUtf8(), "English");
    EXPECT_EQ(Value<unsigned int>(events[2].arg), 3u);
    EXPECT_EQ(Value<StringPair>(events[2].extra).first.ToUtf8(), "Coffee");
    EXPECT_EQ(Value<StringPair>(events[2].extra).second.ToUtf8(), "Back soon");
    for (const TestPlugin::Received& r : events) {
        EXPECT_EQ(r.channel, ProtocolsManagerGuid);
        EXPECT_EQ(r.thread, events[0].thread);  // the account's own queue thread
    }
    EXPECT_NE(events[0].thread, std::this_thread::get_id());
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::AccountAdded, 1));
    EXPECT_EQ(Value<unsigned int>(recorder.Of(ProtocolsManagerEvent::AccountAdded)[0].arg), id);
}

TEST_F(AccountLifecycle, DeletionAnnouncesStopsTimersShutsDownThenDestroysAndUnloads) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    unsigned int id = Manager().AddAccount(Guid(kRuv));
    // The addition's own announcement is posted; it must not land among
    // the deletion's.
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::AccountAdded, 1));
    {
        Pinned pin(*this, Pin("Ruv"));
        TestPlugin::Control* control = ControlOf("Ruv");
        control->Clear();
        recorder.Clear();
        Manager().DeleteAccount(id);
        ASSERT_TRUE(HasDestroyed(control, id));

        EXPECT_EQ(Numbers(control->EventsOf(id)), std::vector<int>{AccountCommand::Shutdown});
        std::vector<TestPlugin::LifeEvent> life = control->Life();
        ASSERT_EQ(life.size(), 1u);
        EXPECT_TRUE(life[0].eventsStopped) << "the account's events client must be gone before the object";

        std::vector<BroadcastRecorder::Item> items = recorder.Items();
        ASSERT_GE(items.size(), 2u);
        EXPECT_EQ(items[0].event, ProtocolsManagerEvent::AccountRemoved);
        EXPECT_EQ(Value<unsigned int>(items[0].arg), id);
        EXPECT_EQ(items[1].event, ProtocolsManagerEvent::KillTimer);
        EXPECT_EQ(Value<unsigned int>(items[1].arg), id);
        EXPECT_EQ(items[1].extra, nullptr);  // every timer of the account
        EXPECT_EQ(Manager().GetAccountCount(), 0);
    }
    // With the test's own hold gone, the manager's unload is the last one.
    EXPECT_TRUE(WaitFor([&] { return !IsLoaded("Ruv"); }));
}

TEST_F(AccountLifecycle, AnUnknownIdIsOnlyAnnounced) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    Manager().AddAccount(Guid(kRuv));
    recorder.Clear();
    Manager().DeleteAccount(0x1234);
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::AccountRemoved, 1));
    // A second request runs after the first on the manager's queue.
    Manager().DeleteAccount(0x10000001);
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::AccountRemoved, 2));
    ASSERT_TRUE(WaitFor([&] { return Manager().GetAccountCount() == 0; }));
    EXPECT_EQ(recorder.Of(ProtocolsManagerEvent::KillTimer).size(), 1u);
}

TEST_F(AccountLifecycle, ResetDeletesFromTheLastToTheFirst) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    std::vector<unsigned int> ids;
    for (int i = 0; i < 3; ++i)
        ids.push_back(Manager().AddAccount(Guid(kRuv)));
    Pinned pin(*this, Pin("Ruv"));
    TestPlugin::Control* control = ControlOf("Ruv");
    control->Clear();
    recorder.Clear();
    Manager().ResetAccounts();
    ASSERT_TRUE(HasDestroyed(control, ids[0]));
    std::vector<unsigned int> destroyed;
    for (const TestPlugin::LifeEvent& e : control->Life())
        destroyed.push_back(e.accountId);
    EXPECT_EQ(destroyed, (std::vector<unsigned int>{ids[2], ids[1], ids[0]}));
    std::vector<unsigned int> removed;
    for (const BroadcastRecorder::Item& item : recorder.Of(ProtocolsManagerEvent::AccountRemoved))
        removed.push_back(Value<unsigned int>(item.arg));
    EXPECT_EQ(removed, destroyed);
}

TEST_F(AccountLifecycle, MovingChangesTheOrderAndIsAnnounced) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    unsigned int a = Manager().AddAccount(Guid(kRuv));
    unsigned int b = Manager().AddAccount(Guid(kRuv));
    unsigned int c = Manager().AddAccount(Guid(kRuv));
    EXPECT_EQ(Manager().NotifyAccountChanged(c, 0), 0);
    EXPECT_EQ(Manager().GetAccountId(0), c);
    EXPECT_EQ(Manager().GetAccountId(1), a);
    EXPECT_EQ(Manager().GetAccountId(2), b);
    EXPECT_EQ(Manager().GetAccountId(3), 0u);
    EXPECT_EQ(Manager().NotifyAccountChanged(c, 3), -1);
    EXPECT_EQ(Manager().NotifyAccountChanged(0x1234, 0), -1);
    ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::AccountChanged, 1));
    BroadcastRecorder::Item moved = recorder.Of(ProtocolsManagerEvent::AccountChanged)[0];
    EXPECT_EQ(Value<unsigned int>(moved.arg), c);
    EXPECT_EQ(Value<unsigned int>(moved.extra), 0u);
}

TEST_F(AccountLifecycle, TheBaseAccountIsTheFirstMarkedOne) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    unsigned int a = Manager().AddAccount(Guid(kRuv));
    unsigned int b = Manager().AddAccount(Guid(kRuv));
    unsigned int c = Manager().AddAccount(Guid(kRuv));
    EXPECT_EQ(Manager().GetBaseAccount(), 0u);
    Manager().SetAccountByte(a, Text("BaseAcc"), 0);
    Manager().SetAccountByte(c, Text("BaseAcc"), 1);
    Manager().SetAccountByte(b, Text("BaseAcc"), 2);
    EXPECT_EQ(Manager().GetBaseAccount(), b);
}

// --- the stored list -----------------------------------------------------------

TEST_F(AccountLifecycle, TheListIsWrittenToTheSettingsFileWheneverItChanges) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    Install("Other", {Line(kOther, "Other")});
    auto fileProtocols = [&] {
        Database::CYolDatabaseImpl onDisk(nullptr, Text(SettingsPath().c_str()));
        unsigned long size = 0;
        std::vector<std::string> names;
        if (!onDisk.GetSize(ProtocolsManagerGuid, Text("Accounts data"), size))
            return names;
        std::vector<unsigned char> bytes(size);
        onDisk.GetData(ProtocolsManagerGuid, Text("Accounts data"), bytes.data(), size);
        CYolArray<Database::CRecord> list;
        Database::UnpackRecords(list, bytes.data(), size);
        for (const Database::CRecord& r : list)
            names.push_back(r.GetName().ToUtf8());
        return names;
    };
    unsigned int ruv = Manager().AddAccount(Guid(kRuv));
    EXPECT_EQ(fileProtocols(), std::vector<std::string>{kRuv});
    unsigned int other = Manager().AddAccount(Guid(kOther));
    EXPECT_EQ(fileProtocols(), (std::vector<std::string>{kRuv, kOther}));
    Manager().NotifyAccountChanged(other, 0);
    EXPECT_EQ(fileProtocols(), (std::vector<std::string>{kOther, kRuv}));
    Manager().DeleteAccount(ruv);
    EXPECT_TRUE(WaitFor([&] { return fileProtocols() == std::vector<std::string>{kOther}; }));
}

TEST_F(AccountLifecycle, SettingsChangesReachTheFileWithoutATeardown) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    unsigned int id = Manager().AddAccount(Guid(kRuv));
    Manager().SetAccountString(id, Text("SrvLogName"), Text("12345"), false);
    // Read with a database of its own, which clears stale copies of the
    // file as it loads, while the manager's save writes one.
    EXPECT_TRUE(WaitForSavedFile([&] {
        Database::CYolDatabaseImpl onDisk(nullptr, Text(SettingsPath().c_str()));
        unsigned long size = 0;
        if (!onDisk.GetSize(ProtocolsManagerGuid, Text("Accounts data"), size))
            return false;
        std::vector<unsigned char> bytes(size);
        onDisk.GetData(ProtocolsManagerGuid, Text("Accounts data"), bytes.data(), size);
        CYolArray<Database::CRecord> list;
        Database::UnpackRecords(list, bytes.data(), size);
        CAccountSettingsStore stored;
        if (list.Count() != 1 || !stored.Unpack(list[0].GetData(), list[0].GetSize()))
            return false;
        CYolString login;
        return stored.GetString(Text("SrvLogName"), login, false) && login.ToUtf8() == "12345";
    }));
}

TEST_F(AccountLifecycle, StoredAccountsComeBackWithTheirSettingsAndStart) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    Install("Other", {Line(kOther, "Other")});
    unsigned int other = Manager().AddAccount(Guid(kOther));
    unsigned int ruv = Manager().AddAccount(Guid(kRuv));
    Manager().SetAccountString(ruv, Text("SrvLogName"), Text("12345"), false);
    Manager().SetAccountString(ruv, Text("SrvLogPass"), Text("secret"), true);
    Manager().SetAccountDword(other, Text("SrvConPort"), 5190);

    Restart();
    ASSERT_EQ(Manager().GetAccountCount(), 2);
    unsigned int first = Manager().GetAccountId(0);
    unsigned int second = Manager().GetAccountId(1);
    ProtocolRecord record;
    Manager().GetAccountProtocolInfo(record, first);
    EXPECT_EQ(record.id, Guid(kOther));
    unsigned int port = 0;
    EXPECT_TRUE(Manager().GetAccountDword(first, Text("SrvConPort"), port));
    EXPECT_EQ(port, 5190u);
    CYolString login, password;
    EXPECT_TRUE(Manager().GetAccountString(second, Text("SrvLogName"), login, false));
    EXPECT_TRUE(Manager().GetAccountString(second, Text("SrvLogPass"), password, true));
    EXPECT_EQ(login.ToUtf8(), "12345");
    EXPECT_EQ(password.ToUtf8(), "secret");
    EXPECT_EQ(FileName(Manager(), second).ToUtf8(), "Ruv");
    EXPECT_EQ(FileName(Manager(), first).ToUtf8(), "Other");

    // Started at start-up, each once, and then announced as loaded.
    TestPlugin::Control* control = ControlOf("Ruv");
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(control->WaitForEvents(4));
    EXPECT_EQ(Numbers(control->EventsOf(second)), (std::vector<int>{AccountCommand::Init, AccountCommand::SetLanguage,
                                                                    AccountCommand::SetXStatus, AccountCommand::Ready}));
    std::vector<int> broadcasts = recorder.Events();
    std::vector<int> started;
    for (int event : broadcasts)
        if (event == ProtocolsManagerEvent::AccountAdded || event == ProtocolsManagerEvent::AccountsLoaded)
            started.push_back(event);
    EXPECT_EQ(started, (std::vector<int>{ProtocolsManagerEvent::AccountAdded, ProtocolsManagerEvent::AccountAdded,
                                         ProtocolsManagerEvent::AccountsLoaded}));
}

TEST_F(AccountLifecycle, AnAccountOfAnUninstalledProtocolIsDropped) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    Install("Other", {Line(kOther, "Other")});
    Manager().AddAccount(Guid(kOther));
    Manager().AddAccount(Guid(kRuv));
    manager.reset();
    fs::remove_all(root / "Protos" / "Other");

    Restart();
    ASSERT_EQ(Manager().GetAccountCount(), 1);
    ProtocolRecord record;
    Manager().GetAccountProtocolInfo(record, Manager().GetAccountId(0));
    EXPECT_EQ(record.id, Guid(kRuv));
    manager.reset();
    EXPECT_EQ(StoredProtocols(), std::vector<std::string>{kRuv});
}

TEST_F(AccountLifecycle, TeardownShutsEveryAccountDownBeforeDestroyingIt) {
    Install("Ruv", {Line(kRuv, "Ruv")});
    unsigned int a = Manager().AddAccount(Guid(kRuv));
    unsigned int b = Manager().AddAccount(Guid(kRuv));
    Pinned pin(*this, Pin("Ruv"));
    TestPlugin::Control* control = ControlOf("Ruv");
    control->Clear();
    manager.reset();
    EXPECT_EQ(Numbers(control->EventsOf(a)), std::vector<int>{AccountCommand::Shutdown});
    EXPECT_EQ(Numbers(control->EventsOf(b)), std::vector<int>{AccountCommand::Shutdown});
    std::vector<TestPlugin::LifeEvent> life = control->Life();
    ASSERT_EQ(life.size(), 2u);
    EXPECT_EQ(life[0].accountId, a);
    EXPECT_EQ(life[1].accountId, b);
    EXPECT_TRUE(life[0].eventsStopped && life[1].eventsStopped);
    EXPECT_EQ(StoredProtocols(), (std::vector<std::string>{kRuv, kRuv}));
}

}  // namespace
}  // namespace ProtocolsTest
