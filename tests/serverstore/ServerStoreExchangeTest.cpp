// The server store against the scripted storage server: every request kind
// byte for byte (the server checks the request line, header order,
// credentials and the save blocks), the change-key chain, reading the stored
// lists, and every failure the server can be told to show.

#include "ServerStoreChanges.h"
#include "StoreTestSupport.h"

#include <thread>

using namespace StoreTest;

namespace {

const std::string kAccountList = "*Ruv.dll:Ruv*account blocks";
const std::string kMetaList = "meta list bytes";

std::string SaveLine(int connection, const char* kind, const std::string& what, int64_t time = kNow) {
    return "REQ " + std::to_string(connection) + " save " + kind + " time=" + std::to_string(time) +
           (std::string(kind) == "ac" ? " payload=" : " doc=") + ToHex(what);
}

// What the server reports of a save that its mode does not take.
std::string HeldLine(int connection, const char* kind, const char* mode) {
    return "REQ " + std::to_string(connection) + " save " + kind + " time=" + std::to_string(kNow) + " (" + mode + ")";
}

std::string DocLine(int connection, const CYolString& element) {
    return SaveLine(connection, "mx", ServerStoreChanges::Document(element).ToUtf8());
}

std::vector<unsigned char> Vec(const std::string& s) { return {s.begin(), s.end()}; }

using Results = std::vector<Requester::Result>;
using Lines = std::vector<std::string>;

}  // namespace

TEST(ServerStoreExchange, ReadAppliesBothStoredListsAndMarksThem) {
    ClockScope clock;
    StoreServer server({"--account", ToHex(kAccountList), "--meta", ToHex(kMetaList)});
    ASSERT_NE(server.Port(), 0u);
    StoreRig rig(server.Port());
    rig.store->QueueRead(rig.requesterId);
    EXPECT_EQ(rig.Results(1), (Results{{200, CServerStore::OpRead}}));
    EXPECT_EQ(server.Lines(1), Lines{"REQ 0 read"});
    EXPECT_EQ(rig.lists.Applied(), (Lines{"8001 " + ToHex(kAccountList), "8002 " + ToHex(kMetaList)}));
    EXPECT_EQ(rig.Mark(u"AcUpd"), 0u);
    EXPECT_EQ(rig.Mark(u"McUpd"), 0u);
    EXPECT_EQ(rig.store->GetChangeKey(), "K1");
}

TEST(ServerStoreExchange, SavesBackToBackChainTheChangeKey) {
    ClockScope clock;
    StoreServer server({});
    StoreRig rig(server.Port());
    // All three are queued before the first runs: the first save goes with
    // an empty key, each later one with the key the one before it got.
    rig.store->QueueSave(rig.requesterId, Vec(kAccountList));
    rig.store->GroupAdded(rig.requesterId, W("Work"), CYolString());
    void* block = std::malloc(3);
    std::memcpy(block, "abc", 3);
    rig.store->QueueSave(rig.requesterId, block, 3);
    EXPECT_EQ(rig.Results(3), (Results{{200, CServerStore::OpSaveAccountList},
                                       {200, CServerStore::OpGroupAdded},
                                       {200, CServerStore::OpSaveAccountList}}));
    EXPECT_EQ(server.Lines(3), (Lines{SaveLine(0, "ac", kAccountList),
                                      DocLine(1, ServerStoreChanges::GroupAdded(W("Work"), CYolString())),
                                      SaveLine(2, "ac", "abc")}));
    EXPECT_EQ(rig.store->GetChangeKey(), "K3");
}

TEST(ServerStoreExchange, StoredAccountListComesBackToTheNextRead) {
    ClockScope clock;
    StoreServer server({"--key", "old-key"});
    StoreRig rig(server.Port());
    rig.store->QueueRead(rig.requesterId);  // picks up K1 (the server had old-key)
    rig.Results(1);
    rig.store->QueueSave(rig.requesterId, Vec(kAccountList));
    rig.store->QueueRead(rig.requesterId);
    EXPECT_EQ(rig.Results(3), (Results{{200, CServerStore::OpRead},
                                       {200, CServerStore::OpSaveAccountList},
                                       {200, CServerStore::OpRead}}));
    EXPECT_EQ(server.Lines(3), (Lines{"REQ 0 read", SaveLine(1, "ac", kAccountList), "REQ 2 read"}));
    EXPECT_EQ(rig.lists.Applied(), Lines{"8001 " + ToHex(kAccountList)});
}

TEST(ServerStoreExchange, EveryChangeGoesOutUnderItsOwnOperation) {
    ClockScope clock;
    StoreServer server({});
    StoreRig rig(server.Port());
    const unsigned int r = rig.requesterId;
    const CYolString quote = W("Tom & \"Jerry\"");
    struct Case {
        CServerStore::Operation op;
        std::function<void()> call;
        CYolString element;
    } cases[] = {
        {CServerStore::OpGroupAdded, [&] { rig.store->GroupAdded(r, W("Work"), W("Home")); },
         ServerStoreChanges::GroupAdded(W("Work"), W("Home"))},
        {CServerStore::OpGroupRenamed, [&] { rig.store->GroupRenamed(r, W("Work"), quote); },
         ServerStoreChanges::GroupRenamed(W("Work"), quote)},
        {CServerStore::OpGroupDeleted, [&] { rig.store->GroupDeleted(r, W("Семья")); },
         ServerStoreChanges::GroupDeleted(W("Семья"))},
        {CServerStore::OpMetaAdded, [&] { rig.store->MetaAdded(r, 0xC0000001, W("Work"), quote); },
         ServerStoreChanges::MetaAdded(0xC0000001, W("Work"), quote)},
        {CServerStore::OpMetaRenamed, [&] { rig.store->MetaRenamed(r, 0xC0000001, W("Ann")); },
         ServerStoreChanges::MetaRenamed(0xC0000001, W("Ann"))},
        {CServerStore::OpMetaMoved, [&] { rig.store->MetaMoved(r, 0xC0000001, W("Home")); },
         ServerStoreChanges::MetaMoved(0xC0000001, W("Home"))},
        {CServerStore::OpMetaDeleted, [&] { rig.store->MetaDeleted(r, 0xC0000001); },
         ServerStoreChanges::MetaDeleted(0xC0000001)},
        {CServerStore::OpSubAdded, [&] { rig.store->SubAdded(r, 0xC0000002, W("Home"), 0, W("12345"), W("Ruv")); },
         ServerStoreChanges::SubAdded(0xC0000002, W("Home"), 0, W("12345"), W("Ruv"))},
        {CServerStore::OpSubMoved, [&] { rig.store->SubMoved(r, 0xC0000002, 0, 1, W("12345"), W("A&B")); },
         ServerStoreChanges::SubMoved(0xC0000002, 0, 1, W("12345"), W("A&B"))},
        {CServerStore::OpSubDeleted, [&] { rig.store->SubDeleted(r, 0xC0000002, 1, W("12345"), W("Ruv")); },
         ServerStoreChanges::SubDeleted(0xC0000002, 1, W("12345"), W("Ruv"))},
    };
    Results expected;
    Lines lines;
    for (auto& c : cases) {
        c.call();
        expected.push_back({200, c.op});
        lines.push_back(DocLine(static_cast<int>(lines.size()), c.element));
    }
    EXPECT_EQ(rig.Results(expected.size()), expected);
    EXPECT_EQ(server.Lines(static_cast<int>(lines.size())), lines);
}

TEST(ServerStoreExchange, ChangesInsideABatchGoOutAsOneDocument) {
    ClockScope clock;
    StoreServer server({});
    StoreRig rig(server.Port());
    const unsigned int r = rig.requesterId;
    EXPECT_EQ(rig.store->EndBatch(r), 0);  // no batch open

    rig.store->BeginBatch();
    rig.store->GroupAdded(r, W("G"), CYolString());
    rig.store->MetaAdded(r, 0xC0000001, W("G"), W("Ann"));
    rig.store->SubAdded(r, 0xC0000001, W("G"), 0, W("42"), W("Ruv"));
    EXPECT_EQ(rig.store->Pending(), 0);
    EXPECT_EQ(rig.store->EndBatch(r), 1);
    EXPECT_EQ(rig.Results(1), (Results{{200, CServerStore::OpSaveChanges}}));

    // A bracket without changes sends nothing, yet still answers 1.
    rig.store->BeginBatch();
    EXPECT_EQ(rig.store->EndBatch(r), 1);
    rig.store->MetaDeleted(r, 0xC0000001);
    EXPECT_EQ(rig.Results(2), (Results{{200, CServerStore::OpSaveChanges}, {200, CServerStore::OpMetaDeleted}}));

    CYolArray<CYolString> batch;
    batch.Add(ServerStoreChanges::GroupAdded(W("G"), CYolString()));
    batch.Add(ServerStoreChanges::MetaAdded(0xC0000001, W("G"), W("Ann")));
    batch.Add(ServerStoreChanges::SubAdded(0xC0000001, W("G"), 0, W("42"), W("Ruv")));
    EXPECT_EQ(server.Lines(2), (Lines{SaveLine(0, "mx", ServerStoreChanges::Document(batch).ToUtf8()),
                                      DocLine(1, ServerStoreChanges::MetaDeleted(0xC0000001))}));
}

TEST(ServerStoreExchange, CredentialsFollowTheBaseAccount) {
    ClockScope clock;
    struct Case {
        const char* name;
        std::string login;
        std::string domainSetting;
        std::string suffix;  // the base account's protocol's first login suffix
        std::string serverDomain;
    } cases[] = {
        {"full address: the login is cut, its domain is the provider's", "bob@yol.example", "", "", "yol.example"},
        {"plain login: the protocol's suffix", "bob", "", "@suffix.example", "suffix.example"},
        {"the setting wins", "bob@yol.example", "set.example", "@suffix.example", "set.example"},
        {"a login cut at its first at sign", "bob@a@b", "", "@suffix.example", "suffix.example"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoreServer server({"--domain", c.serverDomain});
        StoreRig rig(server.Port());
        rig.accounts.SetString("SrvLogName", c.login, false);
        if (!c.domainSetting.empty())
            rig.database.SetString(ServerStoreGuid, u"Domain", CYolString::FromUtf8(c.domainSetting));
        if (!c.suffix.empty())
            rig.accounts.protocol.loginSuffixes.Add(CYolString::FromUtf8(c.suffix));
        rig.store->QueueRead(rig.requesterId);
        EXPECT_EQ(rig.Results(1), (Results{{200, CServerStore::OpRead}}));
        EXPECT_EQ(server.Lines(1), Lines{"REQ 0 read"});
    }
}

TEST(ServerStoreExchange, HashedPasswordIsSentAsItsDigest) {
    ClockScope clock;
    const std::string digest = "c42c9e23d3606604ef9adb6e89574511";  // MD5("bob::secret")
    Bytes stored(digest.begin(), digest.end());
    Database::CRecord::TransformProtected(stored.data(), stored.size());
    struct Case {
        const char* name;
        Bytes value;
        std::string serverDigest;
    } cases[] = {
        {"the stored hash", stored, digest},
        // Unreadable: sent anyway, so that the refusal brings up the login prompt.
        {"too short", Bytes(stored.begin(), stored.end() - 1), std::string(32, '0')},
        {"too long", Bytes(33, 0x41), std::string(32, '0')},
        {"not hexadecimal", Bytes(32, 0x00), std::string(32, '0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoreServer server({"--digest", c.serverDigest});
        StoreRig rig(server.Port());
        rig.accounts.Set("SrvLogHashed", {1});
        rig.accounts.Set("SrvLogPass", c.value);
        rig.store->QueueRead(rig.requesterId);
        EXPECT_EQ(rig.Results(1), (Results{{200, CServerStore::OpRead}}));
        EXPECT_EQ(server.Lines(1), Lines{"REQ 0 read"});
    }
}

TEST(ServerStoreExchange, NothingIsSentWithoutBaseAccountCredentialsOrServer) {
    ClockScope clock;
    StoreServer server({});
    struct Case {
        const char* name;
        std::function<void(StoreRig&)> setUp;
        int result;
    } cases[] = {
        {"no base account", [](StoreRig& rig) { rig.accounts.base = 0; }, CServerStore::ResultNoBaseAccount},
        {"no login", [](StoreRig& rig) { rig.accounts.Erase("SrvLogName"); }, CServerStore::ResultNoCredentials},
        {"login is only a domain", [](StoreRig& rig) { rig.accounts.SetString("SrvLogName", "@yol.example", false); },
         CServerStore::ResultNoCredentials},
        {"no password", [](StoreRig& rig) { rig.accounts.SetString("SrvLogPass", "", true); },
         CServerStore::ResultNoCredentials},
        {"no domain to be found",
         [](StoreRig& rig) { rig.accounts.SetString("SrvLogName", "bob", false); }, CServerStore::ResultNoServer},
        {"a host that is no host name",
         [](StoreRig& rig) { rig.database.SetString(ServerStoreGuid, u"Host", u"evil\r\nX: 1"); },
         CServerStore::ResultNoServer},
        {"a domain that is no host name",
         [](StoreRig& rig) { rig.database.SetString(ServerStoreGuid, u"Domain", u"a/b"); }, CServerStore::ResultNoServer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoreRig rig(server.Port());
        c.setUp(rig);
        rig.store->QueueSave(rig.requesterId, Vec("x"));
        EXPECT_EQ(rig.Results(1), (Results{{c.result, CServerStore::OpSaveAccountList}}));
        // Not tried again when the next operation comes.
        rig.store->QueueRead(rig.requesterId);
        EXPECT_EQ(rig.Results(2), (Results{{c.result, CServerStore::OpSaveAccountList}, {c.result, CServerStore::OpRead}}));
    }
    // The server never saw a connection: the first one it sees is this one.
    StoreRig rig(server.Port());
    rig.store->QueueRead(rig.requesterId);
    rig.Results(1);
    EXPECT_EQ(server.Lines(1), Lines{"REQ 0 read"});
}

TEST(ServerStoreExchange, RefusedConnectionIsReported) {
    ClockScope clock;
    StoreRig rig(FreePort());
    rig.store->QueueRead(rig.requesterId);
    EXPECT_EQ(rig.Results(1), (Results{{CServerStore::ResultConnectFailed, CServerStore::OpRead}}));
}

TEST(ServerStoreExchange, FaultyAnswersToAReadAreReportedAndSkipped) {
    const std::string account = "8001 " + ToHex(kAccountList);
    const std::string meta = "8002 " + ToHex(kMetaList);
    struct Case {
        const char* mode;
        int result;
        Lines applied;
        unsigned long acUpd, mcUpd;  // 0xDEAD: not written
    } cases[] = {
        {"403", 403, {}, 0xDEAD, 0xDEAD},
        {"500", 500, {}, 0xDEAD, 0xDEAD},
        {"noterm", CServerStore::ResultIncomplete, {}, 0xDEAD, 0xDEAD},
        {"hugeheader", CServerStore::ResultIncomplete, {}, 0xDEAD, 0xDEAD},
        {"badlength", 200, {}, 0xDEAD, 0xDEAD},
        {"nolength", 200, {account, meta}, 0, 0},
        {"split", 200, {account, meta}, 0, 0},
        {"badtype", 200, {meta}, 0xDEAD, 0},
        {"badmagic", 200, {meta}, 0xDEAD, 0},
        {"badmd5", 200, {meta}, 0xDEAD, 0},
        {"badzlib", 200, {meta}, 0xDEAD, 0},
        {"v2", 200, {account, meta}, 0xDEAD, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ClockScope clock;
        StoreServer server({"--account", ToHex(kAccountList), "--meta", ToHex(kMetaList), c.mode});
        StoreRig rig(server.Port());
        rig.store->QueueRead(rig.requesterId);
        EXPECT_EQ(rig.Results(1), (Results{{c.result, CServerStore::OpRead}}));
        EXPECT_EQ(server.Lines(1), Lines{"REQ 0 read"});
        EXPECT_EQ(rig.lists.Applied(), c.applied);
        EXPECT_EQ(rig.Mark(u"AcUpd"), c.acUpd);
        EXPECT_EQ(rig.Mark(u"McUpd"), c.mcUpd);
    }
}

TEST(ServerStoreExchange, HungExchangeTimesOutAndTheSaveGoesAgainWithTheNextOperation) {
    ClockScope clock;
    StoreServer server({"hang", "ok"});
    StoreRig rig(server.Port());
    rig.store->QueueSave(rig.requesterId, Vec(kAccountList));
    EXPECT_EQ(server.NextLine(), HeldLine(0, "ac", "hang"));
    clock->Advance(CServerStore::kExchangeTimeoutMs - 1);
    rig.store->WaitUntilWatchdogCaughtUp();
    EXPECT_TRUE(rig.requester.Results().empty());
    clock->Advance(1);
    EXPECT_EQ(rig.Results(1), (Results{{CServerStore::ResultTimedOut, CServerStore::OpSaveAccountList}}));

    rig.store->QueueRead(rig.requesterId);
    EXPECT_EQ(rig.Results(3), (Results{{CServerStore::ResultTimedOut, CServerStore::OpSaveAccountList},
                                       {200, CServerStore::OpSaveAccountList},
                                       {200, CServerStore::OpRead}}));
    // The block is made again for the new attempt, with the time it goes out.
    EXPECT_EQ(server.Lines(3), (Lines{SaveLine(1, "ac", kAccountList, kNow + CServerStore::kExchangeTimeoutMs / 1000),
                                      "REQ 2 read"}));
}

TEST(ServerStoreExchange, FailedSavesAreTriedAgainAFewTimesRefusedOnesNot) {
    ClockScope clock;
    {
        // A server error: the save goes again before the next operation.
        StoreServer server({"500", "ok"});
        StoreRig rig(server.Port());
        rig.store->MetaDeleted(rig.requesterId, 1);
        rig.Results(1);
        rig.store->QueueRead(rig.requesterId);
        EXPECT_EQ(rig.Results(3), (Results{{500, CServerStore::OpMetaDeleted},
                                           {200, CServerStore::OpMetaDeleted},
                                           {200, CServerStore::OpRead}}));
    }
    {
        // Refused: dropped.
        StoreServer server({"403", "ok"});
        StoreRig rig(server.Port());
        rig.store->MetaDeleted(rig.requesterId, 1);
        rig.Results(1);
        rig.store->QueueRead(rig.requesterId);
        EXPECT_EQ(rig.Results(2), (Results{{403, CServerStore::OpMetaDeleted}, {200, CServerStore::OpRead}}));
        EXPECT_EQ(server.Lines(2)[1], "REQ 1 read");
    }
    {
        // Failing every time: given up after kMaxAttempts; what waited
        // behind it then goes in order.
        StoreServer server({"500", "500", "500", "ok"});
        StoreRig rig(server.Port());
        rig.store->MetaDeleted(rig.requesterId, 1);
        rig.Results(1);
        rig.store->QueueRead(rig.requesterId);
        rig.Results(2);
        rig.store->QueueRead(rig.requesterId);
        rig.Results(3);
        rig.store->QueueRead(rig.requesterId);
        const int m = CServerStore::OpMetaDeleted, r = CServerStore::OpRead;
        EXPECT_EQ(rig.Results(6), (Results{{500, m}, {500, m}, {500, m}, {200, r}, {200, r}, {200, r}}));
        static_assert(CServerStore::kMaxAttempts == 3);
    }
}

TEST(ServerStoreExchange, ChangesFromSeveralThreadsAllArrive) {
    ClockScope clock;
    StoreServer server({});
    StoreRig rig(server.Port());
    constexpr int kThreads = 4, kEach = 5;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                rig.store->MetaRenamed(rig.requesterId, static_cast<unsigned int>(t * 100 + i), W("n"));
        });
    for (auto& t : threads)
        t.join();
    const auto results = rig.Results(kThreads * kEach);
    ASSERT_EQ(results.size(), static_cast<size_t>(kThreads * kEach));
    for (const auto& r : results)
        EXPECT_EQ(r, (Requester::Result{200, CServerStore::OpMetaRenamed}));
    for (const auto& line : server.Lines(kThreads * kEach))
        EXPECT_EQ(line.rfind("REQ ", 0), 0u) << line;
    EXPECT_EQ(rig.store->GetChangeKey(), "K" + std::to_string(kThreads * kEach));
}

TEST(ServerStoreExchange, TeardownWithAnExchangeRunningAndOperationsQueued) {
    ClockScope clock;
    StoreServer server({"hang"});
    {
        StoreRig rig(server.Port());
        rig.store->QueueSave(rig.requesterId, Vec(kAccountList));
        EXPECT_EQ(server.NextLine(), HeldLine(0, "ac", "hang"));
        rig.store->QueueRead(rig.requesterId);
        rig.store->GroupDeleted(rig.requesterId, W("x"));
        EXPECT_EQ(rig.store->Pending(), 2);
    }
    // The store let the connection go as it went.
    EXPECT_EQ(server.NextLine(), "DONE 0 hang");
}

TEST(ServerStoreExchange, SwitchIsKeptInTheSettings) {
    StoreRig rig(80);
    EXPECT_TRUE(rig.store->IsEnabled());
    rig.store->SetEnabled(false);
    EXPECT_EQ(rig.database.Raw(ServerStoreGuid, u"ServerStore"), std::vector<uint8_t>{0});
    rig.store.reset();
    rig.store = std::make_unique<CServerStore>(&rig.services);
    EXPECT_FALSE(rig.store->IsEnabled());
}

// Without "Host" and "Port" the store goes to the provider's domain on port 80.
TEST(ServerStoreExchange, DefaultsToTheProviderDomainOnPort80) {
    ClockScope clock;
    StoreServer server({"--port", "80", "--domain", "localhost", "--host", "localhost"});
    if (server.Port() != 80)
        YOL_SKIP_MISSING_PEER("port 80 cannot be taken here");
    StoreRig rig(80, nullptr);
    rig.database.SetDword(ServerStoreGuid, u"Port", 0);  // not a port: the default
    rig.accounts.SetString("SrvLogName", "bob@localhost", false);
    rig.store->QueueRead(rig.requesterId);
    EXPECT_EQ(rig.Results(1), (Results{{200, CServerStore::OpRead}}));
    EXPECT_EQ(server.Lines(1), Lines{"REQ 0 read"});
}

// Port 443 is spoken over TLS, with the certificate checked like any other.
TEST(ServerStoreExchange, Port443IsSpokenOverTls) {
    StorePki pki;
    if (!pki.ready)
        YOL_SKIP_MISSING_PEER("no openssl to make certificates");
    ClockScope clock;
    {
        StoreServer server({"--port", "443", "--tls", pki.Cert("good"), pki.Key("good"), "--meta", ToHex(kMetaList)});
        if (server.Port() != 443)
            YOL_SKIP_MISSING_PEER("port 443 cannot be taken here");
        StoreRig rig(443);
        rig.store->QueueRead(rig.requesterId);
        EXPECT_EQ(rig.Results(1), (Results{{200, CServerStore::OpRead}}));
        EXPECT_EQ(server.Lines(1), Lines{"REQ 0 read"});
        EXPECT_EQ(rig.lists.Applied(), Lines{"8002 " + ToHex(kMetaList)});
    }
    {
        StoreServer server({"--port", "443", "--tls", pki.Cert("wronghost"), pki.Key("wronghost")});
        if (server.Port() != 443)
            YOL_SKIP_MISSING_PEER("port 443 cannot be taken again");
        StoreRig rig(443);
        rig.store->QueueRead(rig.requesterId);
        EXPECT_EQ(rig.Results(1), (Results{{CServerStore::ResultConnectFailed, CServerStore::OpRead}}));
    }
}
