#pragma once
// The version check and the download on a real services manager and sockets
// service, with a settings database of the test's making, the program folder
// in a temporary folder, a requester that records what it is told, and the
// scripted web server of tests/peers (update_server.py).

#include "CServicesManagerImpl.h"
#include "CSocketsManagerImpl.h"
#include "CYolClock.h"
#include "CYolPath.h"
#include "CYolProgramUpdate.h"
#include "CYolUpdateSettings.h"
#include "CYolVersionCheck.h"
#include "MemoryDatabase.h"
#include "PeerProcess.h"
#include "TestSupport.h"
#include "WaitableLog.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <memory>

namespace UpdateTest {

// 2026-03-02 12:00 local time or near it; what matters is a known day.
inline constexpr int64_t kNoon = 1772452800;

struct Told {
    int event = 0;
    unsigned int version = 0;
    UI::CYolVersionCheck* check = nullptr;
    UI::CYolProgramUpdate* update = nullptr;
};

class Requester final : public Services::CEventsClient {
public:
    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg*) override {
        if (channel != PreferencesGuid)
            return 0;
        Told told;
        told.event = event;
        if (auto* v = dynamic_cast<Services::CEventArg_Data<unsigned int>*>(arg))
            told.version = v->Get();
        if (auto* c = dynamic_cast<Services::CEventArg_Data<UI::CYolVersionCheck*>*>(arg))
            told.check = c->Get();
        if (auto* u = dynamic_cast<Services::CEventArg_Data<UI::CYolProgramUpdate*>*>(arg))
            told.update = u->Get();
        log.Add(told);
        return 0;
    }
    // Waits until a check or download said it is done; what was told from
    // the item `from` on, up to that end.
    std::vector<Told> UntilDone(int doneEvent, size_t from = 0, int timeoutMs = 20000) {
        for (size_t seen = from + 1;; ++seen) {
            if (!log.WaitFor(seen, std::chrono::milliseconds(timeoutMs))) {
                const auto items = log.Items();
                return std::vector<Told>(items.begin() + long(std::min(from, items.size())), items.end());
            }
            const auto items = log.Items();
            if (items[seen - 1].event == doneEvent)
                return std::vector<Told>(items.begin() + long(from), items.begin() + long(seen));
        }
    }
    size_t Count() const { return log.Items().size(); }
    std::vector<Told> Items() const { return log.Items(); }

private:
    WaitableLog<Told> log;
};

// The scripted web server; replies as update_server.py takes them.
class ScriptedServer {
public:
    explicit ScriptedServer(const std::vector<std::string>& replies) {
        std::vector<std::string> args = {"/usr/bin/python3", std::string(YOL_PEERS_DIR) + "/update_server.py"};
        args.insert(args.end(), replies.begin(), replies.end());
        process = std::make_unique<PeerProcess>(args, folder.PathOf("server.log"), true);
        const std::string line = process->ReadLine();
        if (line.rfind("PORT ", 0) == 0)
            port = static_cast<unsigned int>(std::stoul(line.substr(5)));
    }
    unsigned int Port() const { return port; }
    // The next request the server read, as text.
    std::string NextRequest() {
        for (;;) {
            const std::string line = process->ReadLine();
            if (line.empty())
                return "(none)";
            if (line.rfind("REQUEST ", 0) == 0) {
                std::string hex = line.substr(8);
                while (!hex.empty() && (hex.back() == '\r' || hex.back() == '\n'))
                    hex.pop_back();
                const Bytes bytes = Hex(hex);
                return std::string(bytes.begin(), bytes.end());
            }
        }
    }

private:
    TempFolder folder;
    std::unique_ptr<PeerProcess> process;
    unsigned int port = 0;
};

// Text as update_server.py's hex.
inline std::string HexOf(const std::string& text) { return ToHex(text); }

class UpdateRig : public ::testing::Test {
protected:
    void SetUp() override {
        previousClock = CYolClock::Install(&clock);
        CYolPath::SetAppDir(CYolString::FromUtf8(programFolder.PathOf("")));
        services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
        Sockets::SocketOptions options;
        options.connectTimeoutMs = options.handshakeTimeoutMs = options.sendTimeoutMs = 5000;
        sockets = std::make_unique<Sockets::CSocketsManagerImpl>(
            &services,
            std::make_unique<Sockets::CAlwaysConnected>([](const char*) -> const char* { return nullptr; }),
            options);
        requesterKey = services.RegisterEventsClient(&requester, CYolString(u"Requester"));
    }
    void TearDown() override {
        UI::CYolVersionCheck::Stop(nullptr);
        UI::CYolProgramUpdate::Stop();
        services.UnregisterEventsClient(requesterKey);
        sockets.reset();
        CYolPath::SetAppDir(CYolString());
        CYolClock::Install(previousClock == &clock ? nullptr : previousClock);
    }

    void PointAt(unsigned int port, const char16_t* hostKey = u"VerCheckHost",
                 const char16_t* portKey = u"VerCheckPort") {
        database.SetString(ServicesManagerGuid, hostKey, CYolString(u"127.0.0.1"));
        database.SetDword(ServicesManagerGuid, portKey, port);
    }
    void PointDownloadAt(unsigned int port) { PointAt(port, u"UpdateHost", u"UpdatePort"); }
    unsigned long Key(const char16_t* key) {
        unsigned long value = 0xDEAD;
        database.GetDword(ServicesManagerGuid, key, value);
        return value;
    }
    UI::CYolUpdateSettings Settings() { return UI::CYolUpdateSettings(&database); }
    std::string CabFile() { return programFolder.PathOf("yolpda.cab"); }

    CYolManualClock clock{1000, kNoon};
    TempFolder programFolder;
    Services::CServicesManagerImpl services;
    MemoryDatabase database;
    std::unique_ptr<Sockets::CSocketsManagerImpl> sockets;
    Requester requester;
    unsigned int requesterKey = 0;

private:
    CYolClock* previousClock = nullptr;
};

}  // namespace UpdateTest
