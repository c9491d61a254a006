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


// The settings database in memory: the store's section is all it touches.
class MemorySettings final : public Database::CYolDatabase {
public:
    bool GetSize(const YOL_GUID& s, const CYolString& k, unsigned long& size) override {
        Bytes v;
        return Find(s, k, v) && ((size = v.size()), true);
    }
    bool GetData(const YOL_GUID& s, const CYolString& k, void* buffer, unsigned long& size) override {
        Bytes v;
        if (!Find(s, k, v))
            return false;
        const bool fits = size >= v.size();
        if (fits && !v.empty())
            std::memcpy(buffer, v.data(), v.size());
        size = v.size();
        return fits;
    }
    bool GetString(const YOL_GUID& s, const CYolString& k, CYolString& value) override {
        Bytes v;
        if (!Find(s, k, v))
            return false;
        value = CYolString::FromUtf8(std::string(v.begin(), v.end()));
        return true;
    }
    bool GetDword(const YOL_GUID& s, const CYolString& k, unsigned long& value) override {
        return GetNumber(s, k, 4, value);
    }
    bool GetWord(const YOL_GUID& s, const CYolString& k, unsigned short& value) override {
        unsigned long v = 0;
        return GetNumber(s, k, 2, v) && ((value = static_cast<unsigned short>(v)), true);
    }
    bool GetByte(const YOL_GUID& s, const CYolString& k, unsigned char& value) override {
        unsigned long v = 0;
        return GetNumber(s, k, 1, v) && ((value = static_cast<unsigned char>(v)), true);
    }
    bool SetData(const YOL_GUID& s, const CYolString& k, const void* data, const unsigned long& size) override {
        auto bytes = static_cast<const unsigned char*>(data);
        Put(s, k, Bytes(bytes, bytes + size));
        return true;
    }
    bool SetString(const YOL_GUID& s, const CYolString& k, const CYolString& value) override {
        const std::string utf8 = value.ToUtf8();
        Put(s, k, Bytes(utf8.begin(), utf8.end()));
        return true;
    }
    bool SetDword(const YOL_GUID& s, const CYolString& k, const unsigned long& value) override {
        return PutNumber(s, k, 4, value);
    }
    bool SetWord(const YOL_GUID& s, const CYolString& k, const unsigned short& value) override {
        return PutNumber(s, k, 2, value);
    }
    bool SetByte(const YOL_GUID& s, const CYolString& k, const unsigned char& value) override {
        return PutNumber(s, k, 1, value);
    }

    Bytes Raw(const YOL_GUID& s, const char16_t* k) {
        Bytes v;
        Find(s, k, v);
        return v;
    }

private:
    static std::string Key(const YOL_GUID& s, const CYolString& k) { return s.GetString().ToUtf8() + "/" + k.ToUtf8(); }
    bool Find(const YOL_GUID& s, const CYolString& k, Bytes& out) {
        std::lock_guard<std::mutex> hold(lock);
        auto found = values.find(Key(s, k));
        if (found == values.end())
            return false;
        out = found->second;
        return true;
    }
    void Put(const YOL_GUID& s, const CYolString& k, Bytes bytes) {
        std::lock_guard<std::mutex> hold(lock);
        values[Key(s, k)] = std::move(bytes);
    }
    bool GetNumber(const YOL_GUID& s, const CYolString& k, size_t width, unsigned long& value) {
        Bytes v;
        if (!Find(s, k, v))
            return false;
        value = 0;
        if (v.size() >= width)
            for (size_t i = 0; i < width; ++i)
                value |= static_cast<unsigned long>(v[i]) << (8 * i);
        return true;
    }
    bool PutNumber(const YOL_GUID& s, const CYolString& k, size_t width, unsigned long value) {
        Bytes bytes(width);
        for (size_t i = 0; i < width; ++i)
            bytes[i] = static_cast<unsigned char>(value >> (8 * i));
        Put(s, k, std::move(bytes));
        return true;
    }

    std::mutex lock;
    std::map<std::string, Bytes> values;
};

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
    MemorySettings database;
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
