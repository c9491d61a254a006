#pragma once
// The server store on a real services manager and sockets service, with a
// base account of the test's making, a recorder of the lists it reads and
// of the results its requester gets, and the scripted storage server of
// tests/peers (server_store.py) on a loopback port.

#include "CRecord.h"
#include "CServerStore.h"
#include "CServicesManagerImpl.h"
#include "CSocketsManagerImpl.h"
#include "CYolClock.h"
#include "CYolDatabase.h"
#include "MemoryDatabase.h"
#include "PeerProcess.h"
#include "TestSupport.h"
#include "WaitableLog.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace StoreTest {

inline constexpr unsigned int kBase = 0x10000001;
inline constexpr int64_t kNow = 1600000000;

// A certificate authority made for the run (SSL_CERT_FILE names it, so the
// sockets trust it alone) and two server certificates it signed: "good" for
// 127.0.0.1 and "wronghost" for another name.
class StorePki {
public:
    bool ready = false;

    StorePki() {
        ready = pki.MakeAuthority("ca", "Yol Store Test CA") && pki.MakeServer("good", "ca", "IP:127.0.0.1") &&
                pki.MakeServer("wronghost", "ca", "DNS:other.example");
        if (ready)
            pki.Trust("ca");
    }
    std::string Cert(const std::string& name) const { return pki.Cert(name); }
    std::string Key(const std::string& name) const { return pki.Key(name); }

private:
    TestPki pki;
};

// The base account's settings, kept as the protocols manager keeps them.
class FakeAccounts final : public MServerStoreAccounts {
public:
    unsigned int base = kBase;
    Protocols::ProtocolRecord protocol;

    void SetString(const std::string& key, const std::string& text, bool isProtected) {
        Bytes bytes(text.begin(), text.end());
        if (isProtected)
            Database::CRecord::TransformProtected(bytes.data(), bytes.size());
        Set(key, bytes);
    }
    void Set(const std::string& key, const Bytes& bytes) {
        std::lock_guard<std::mutex> hold(lock);
        values[key] = bytes;
    }
    void Erase(const std::string& key) {
        std::lock_guard<std::mutex> hold(lock);
        values.erase(key);
    }

    unsigned int GetBaseAccount() override { return base; }
    bool GetAccountString(unsigned int account, const CYolString& key, CYolString& value, bool isProtected) override {
        Bytes bytes;
        if (!Find(account, key, bytes))
            return false;
        if (isProtected)
            Database::CRecord::TransformProtected(bytes.data(), bytes.size());
        value = CYolString::FromUtf8(std::string(bytes.begin(), bytes.end()));
        return true;
    }
    bool GetAccountByte(unsigned int account, const CYolString& key, unsigned char& value) override {
        Bytes bytes;
        if (!Find(account, key, bytes) || bytes.size() != 1)
            return false;
        value = bytes[0];
        return true;
    }
    bool GetAccountBlob(unsigned int account, const CYolString& key, void* buffer, unsigned int& size) override {
        Bytes bytes;
        if (!Find(account, key, bytes) || bytes.size() > size)
            return false;
        std::copy(bytes.begin(), bytes.end(), static_cast<unsigned char*>(buffer));
        size = static_cast<unsigned int>(bytes.size());
        return true;
    }
    void GetAccountProtocolInfo(Protocols::ProtocolRecord& out, unsigned int account) override {
        if (account == base)
            out = protocol;
    }

private:
    bool Find(unsigned int account, const CYolString& key, Bytes& out) {
        std::lock_guard<std::mutex> hold(lock);
        auto found = values.find(key.ToUtf8());
        if (account != base || found == values.end())
            return false;
        out = found->second;
        return true;
    }

    std::mutex lock;
    std::map<std::string, Bytes> values;
};

// The lists handed over by reads, in order: "8001 <hex>" or "8002 <hex>".
class RecordingLists final : public MServerStoreLists {
public:
    void ApplyServerAccountList(const char* data, unsigned int length) override {
        Record("8001 " + ToHex(std::string(data, length)));
    }
    void ParseMetaList(const char* data, unsigned int length) override {
        Record("8002 " + ToHex(std::string(data, length)));
    }
    std::vector<std::string> Applied() {
        std::lock_guard<std::mutex> hold(lock);
        return applied;
    }

private:
    void Record(const std::string& line) {
        std::lock_guard<std::mutex> hold(lock);
        applied.push_back(line);
    }
    std::mutex lock;
    std::vector<std::string> applied;
};

// A requester: the result events it got, as (result, operation).
class Requester final : public Services::CEventsClient {
public:
    using Result = std::pair<int, int>;

    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override {
        if (channel != ServerStoreGuid || event != CServerStore::kResultEvent)
            return 0;
        auto* result = dynamic_cast<Services::CEventArg_Data<int>*>(arg);
        auto* op = dynamic_cast<Services::CEventArg_Data<CServerStore::Operation>*>(extra);
        results.Add({result ? result->Get() : 0x7fffffff, op ? static_cast<int>(op->Get()) : -99});
        return 0;
    }
    // Waits (real time) until `count` results came; answers them all.
    std::vector<Result> WaitFor(size_t count, int timeoutMs = 15000) {
        results.WaitFor(count, std::chrono::milliseconds(timeoutMs));
        return results.Items();
    }
    std::vector<Result> Results() { return results.Items(); }

private:
    WaitableLog<Result> results;
};

// The scripted storage server.
class StoreServer {
public:
    explicit StoreServer(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"/usr/bin/python3", std::string(YOL_PEERS_DIR) + "/server_store.py"};
        all.insert(all.end(), args.begin(), args.end());
        process = std::make_unique<PeerProcess>(all, folder.PathOf("server.log"), true);
        const std::string line = process->ReadLine();
        if (line.rfind("PORT ", 0) == 0)
            port = static_cast<unsigned int>(std::stoul(line.substr(5)));
    }
    ~StoreServer() { process->Stop(); }

    unsigned int Port() const { return port; }
    // The server's lines up to its `connections`-th "DONE", without the
    // "DONE" lines; a "FAIL" line shows up here as well.
    std::vector<std::string> Lines(int connections, int timeoutMs = 15000) {
        std::vector<std::string> out;
        for (int done = 0; done < connections;) {
            std::string line = process->ReadLine(timeoutMs);
            if (line.empty()) {
                out.push_back("(no more lines; log: " + ReadText(folder.PathOf("server.log")) + ")");
                break;
            }
            line.erase(line.find_last_not_of("\r\n") + 1);
            if (line.rfind("DONE ", 0) == 0)
                ++done;
            else
                out.push_back(line);
        }
        return out;
    }
    // Waits for the next line (a request the server has fully read).
    std::string NextLine(int timeoutMs = 15000) {
        std::string line = process->ReadLine(timeoutMs);
        line.erase(line.find_last_not_of("\r\n") + 1);
        return line;
    }

private:
    TempFolder folder;
    std::unique_ptr<PeerProcess> process;
    unsigned int port = 0;
};

// A manual clock at a known wall time for the test's length, so that save
// blocks carry kNow and time-outs come when the test says.
class ClockScope {
public:
    ClockScope() : clock(1000, kNow) { previous = CYolClock::Install(&clock); }
    ~ClockScope() { CYolClock::Install(previous == &clock ? nullptr : previous); }
    CYolManualClock& operator*() { return clock; }
    CYolManualClock* operator->() { return &clock; }

private:
    CYolManualClock clock;
    CYolClock* previous = nullptr;
};

// The store over the real services manager and sockets service, pointed at
// 127.0.0.1:port, with the base account bob@yol.example / "secret".
struct StoreRig {
    Services::CServicesManagerImpl services;
    MemoryDatabase database;
    std::unique_ptr<Sockets::CSocketsManagerImpl> sockets;
    FakeAccounts accounts;
    RecordingLists lists;
    Requester requester;
    unsigned int requesterId = 0;
    std::unique_ptr<CServerStore> store;

    static Sockets::SocketOptions QuickOptions() {
        Sockets::SocketOptions options;
        options.connectTimeoutMs = 5000;
        options.handshakeTimeoutMs = 5000;
        options.sendTimeoutMs = 5000;
        return options;
    }

    explicit StoreRig(unsigned int port, const char* host = "127.0.0.1") {
        services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
        sockets = std::make_unique<Sockets::CSocketsManagerImpl>(
            &services, std::make_unique<Sockets::CAlwaysConnected>([](const char*) -> const char* { return nullptr; }),
            QuickOptions());
        if (host != nullptr)
            database.SetString(ServerStoreGuid, u"Host", CYolString::FromUtf8(host));
        database.SetDword(ServerStoreGuid, u"Port", port);
        accounts.SetString("SrvLogName", "bob@yol.example", false);
        accounts.SetString("SrvLogPass", "secret", true);
        requesterId = services.RegisterEventsClient(&requester, CYolString(u"Requester"));
        store = std::make_unique<CServerStore>(&services);
        store->SetAccounts(&accounts);
        store->SetLists(&lists);
    }
    ~StoreRig() {
        store.reset();
        services.UnregisterEventsClient(requesterId);
        sockets.reset();
    }

    std::vector<Requester::Result> Results(size_t count) { return requester.WaitFor(count); }
    unsigned long Mark(const char16_t* key) {
        unsigned long value = 0xDEAD;
        database.GetDword(ServerStoreGuid, key, value);
        return value;
    }
};

}  // namespace StoreTest
