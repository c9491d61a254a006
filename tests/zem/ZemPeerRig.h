#pragma once
// The MRIM peer suites' rig: the scripted server of tests/peers
// (mrim_server.py) on loopback ports of its own choosing, and the program's
// core made as the program makes it, in a program folder of its own whose
// protocols folder holds the real plug-in library (Protos/Zem/Zem.so). The
// protocols manager finds the library, creates the accounts through its
// exports and drives them by events; what the manager and the contact-list
// model tell their subscribers is kept as text lines a test waits for.

#include "AccountEvents.h"
#include "CContactListImpl.h"
#include "CEventArg.h"
#include "CEventsClient.h"
#include "ContactListEvents.h"
#include "CoreServices.h"
#include "CProtocolsManagerImpl.h"
#include "CServicesManagerImpl.h"
#include "CYolPath.h"
#include "PeerProcess.h"
#include "ProtocolsManagerEvents.h"
#include "TestSupport.h"
#include "YolGuids.h"
#include "ZemPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ZemPeers {

inline constexpr const char* kPython = "/usr/bin/python3";

// The addresses the scripted server's users go by in the suites.
inline constexpr const char* kAlice = "alice@mail.ru";
inline constexpr const char* kBob = "bob@mail.ru";

inline std::string PeersDir() { return YOL_PEERS_DIR; }

// The scripted server. Its report lines are kept until a test takes them.
class MrimServer {
public:
    MrimServer(const TempFolder& folder, const std::string& configJson) : folder(folder) {
        const std::string config = folder.Put("mrim.json", configJson);
        process = std::make_unique<PeerProcess>(
            std::vector<std::string>{kPython, PeersDir() + "/mrim_server.py", "--config", config},
            folder.PathOf("mrim.log"), true, true);
        for (;;) {
            std::optional<std::string> line = process->NextLine(20000);
            if (!line)
                return;
            if (line->rfind("REDIRECT ", 0) == 0)
                redirectPort = static_cast<unsigned int>(std::stoul(line->substr(9)));
            else if (*line == "READY")
                break;
        }
        ready = redirectPort != 0;
    }
    ~MrimServer() {
        if (process)
            process->Stop();
    }

    bool Ready() const { return ready; }
    unsigned int RedirectPort() const { return redirectPort; }
    std::string Log() const { return ReadText(folder.PathOf("mrim.log")); }

    // Runs one command and waits for the server's "OK".
    bool Command(const std::string& line) {
        if (!process->WriteLine(line))
            return false;
        const std::string word = line.substr(0, line.find(' '));
        return !WaitFor("OK " + word).empty();
    }

    // The first report line, kept or coming within the time, that starts
    // with `prefix`; "" when none came. The line is taken.
    std::string WaitFor(const std::string& prefix, int timeoutMs = 20000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto it = std::find_if(lines.begin(), lines.end(),
                                   [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
            if (it != lines.end()) {
                std::string found = *it;
                lines.erase(it);
                return found;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return {};
            std::optional<std::string> line = process->NextLine(static_cast<int>(left.count()));
            if (!line)
                return {};
            if (line->rfind("FAIL", 0) == 0)
                failures.push_back(*line);
            lines.push_back(*line);
        }
    }
    // The server found every packet it received well formed.
    void ExpectNoFailures() {
        const std::vector<std::string> failed = Failures();
        EXPECT_TRUE(failed.empty()) << failed.front() << "\n" << Log();
    }
    // Every "FAIL" the server reported so far (it asserts every packet).
    std::vector<std::string> Failures() {
        while (std::optional<std::string> line = process->NextLine(0)) {
            if (line->rfind("FAIL", 0) == 0)
                failures.push_back(*line);
            lines.push_back(*line);
        }
        return failures;
    }

private:
    const TempFolder& folder;
    std::unique_ptr<PeerProcess> process;
    std::deque<std::string> lines;
    std::vector<std::string> failures;
    unsigned int redirectPort = 0;
    bool ready = false;
};

// What the manager and the contact list broadcast, as text lines:
//   "status <account> <status>", "text <account> <text>",
//   "message <contact> <kind> <text>", "ack <contact> <message id>",
//   "notsent <contact>", "cstatus <contact> <status>",
//   "typing <contact> <flag>", "details <account> <item>",
//   "found <account> <login> <nick> <gender> <age> <icons>" (a search
//   result), "searchend <account>", "own <account>" (own details ready),
//   "url <account> <address>" (a page to open), "ft <account> <state> <outgoing>
//   <name> <done>/<total>" (a transfer report other than progress; the
//   progress reports are counted per account instead).
class BroadcastLog final : public Services::CEventsClient {
public:
    void Attach(Services::CServicesManager& manager) {
        services = &manager;
        key = manager.RegisterEventsClient(this, CYolString::FromUtf8("MRIM peer log"));
        for (int event : {Protocols::ProtocolsManagerEvent::StatusChanged, Protocols::ProtocolsManagerEvent::ShowText,
                          Protocols::ProtocolsManagerEvent::ContactDetailsReady,
                          Protocols::ProtocolsManagerEvent::SearchResult,
                          Protocols::ProtocolsManagerEvent::OwnDetailsReady, Protocols::ProtocolsManagerEvent::OpenUrl,
                          Protocols::ProtocolsManagerEvent::FileTransferProgress})
            manager.Subscribe(ProtocolsManagerGuid, event, key);
        // Every change of the list wakes a waiting test, so each is subscribed.
        for (int event = CL::ContactListEvent::UpdateEnd; event <= CL::ContactListEvent::ContactTyping; ++event)
            manager.Subscribe(ContactListGuid, event, key);
        manager.Subscribe(ContactListGuid, CL::ContactListEvent::MessageNotSent, key);
    }
    void Detach() {
        if (services != nullptr && key != 0)
            services->UnregisterEventsClient(key);
        key = 0;
    }
    ~BroadcastLog() { Detach(); }

    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override {
        std::string line;
        if (channel == ProtocolsManagerGuid && event == Protocols::ProtocolsManagerEvent::FileTransferProgress &&
            arg != nullptr && extra != nullptr) {
            const auto& report = Data<Protocols::FTProgress>(extra);
            const unsigned int account = Data<unsigned int>(arg);
            std::lock_guard guard(lock);
            if (report.state == 1) {
                Progress& p = progress[account];
                ++p.reports;
                p.activations += report.activate;
                p.done = report.doneSize;
                p.total = report.totalSize;
            } else {
                lines.push_back("ft " + std::to_string(account) + " " + std::to_string(report.state) + " " +
                                std::to_string(report.outgoing) + " " + report.fileName.ToUtf8() + " " +
                                std::to_string(report.doneSize) + "/" + std::to_string(report.totalSize));
            }
            ++changes;
            wake.notify_all();
            return 0;
        }
        if (channel == ProtocolsManagerGuid)
            line = ManagerLine(event, arg, extra);
        if (channel == ProtocolsManagerGuid && event == Protocols::ProtocolsManagerEvent::SearchResult) {
            std::lock_guard guard(lock);
            // A record with contact id 0 ends the search, as the find-user dialog takes it.
            results.push_back(extra != nullptr ? Data<Protocols::UserInfo>(extra) : Protocols::UserInfo{});
        }
        else if (channel == ContactListGuid)
            line = ListLine(event, arg, extra);
        std::lock_guard guard(lock);
        ++changes;
        if (!line.empty())
            lines.push_back(line);
        wake.notify_all();
        return 0;
    }

    // Evaluates `done` now and after every broadcast until it holds; false
    // when the time ran out first.
    bool Until(const std::function<bool()>& done, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            uint64_t seen;
            {
                std::lock_guard guard(lock);
                seen = changes;
            }
            if (done())
                return true;
            std::unique_lock guard(lock);
            if (!wake.wait_until(guard, deadline, [&] { return changes != seen; }))
                return false;
        }
    }

    // The first line, kept or coming within the time, that starts with
    // `prefix`; "" when none came. The line is taken.
    std::string WaitFor(const std::string& prefix, int timeoutMs = 20000) {
        std::unique_lock guard(lock);
        std::string found;
        wake.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
            auto it = std::find_if(lines.begin(), lines.end(),
                                   [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
            if (it == lines.end())
                return false;
            found = *it;
            lines.erase(it);
            return true;
        });
        return found;
    }
    // Progress reports of one account's transfers so far.
    struct Progress {
        unsigned int reports = 0;
        unsigned int activations = 0;
        unsigned int done = 0;
        unsigned int total = 0;
    };
    Progress ProgressOf(unsigned int account) {
        std::lock_guard guard(lock);
        return progress[account];
    }
    void ForgetProgress() {
        std::lock_guard guard(lock);
        progress.clear();
    }

    // The search results so far, in order, for the find-user dialog.
    std::vector<Protocols::UserInfo> TakeResults() {
        std::lock_guard guard(lock);
        std::vector<Protocols::UserInfo> out(results.begin(), results.end());
        results.clear();
        return out;
    }

    bool Has(const std::string& prefix) {
        std::lock_guard guard(lock);
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }

private:
    template <typename T>
    static const T& Data(Services::CEventArg* arg) {
        return static_cast<Services::CEventArg_Data<T>*>(arg)->data;
    }
    static std::string ManagerLine(int event, Services::CEventArg* arg, Services::CEventArg* extra) {
        if (arg == nullptr)
            return {};
        // The status carries the account as a signed number, the others unsigned.
        if (event == Protocols::ProtocolsManagerEvent::StatusChanged && extra != nullptr)
            return "status " + std::to_string(Data<int>(arg)) + " " +
                   std::to_string(Data<Protocols::StatusInfo>(extra).status);
        const std::string account = std::to_string(Data<unsigned int>(arg));
        if (event == Protocols::ProtocolsManagerEvent::ContactDetailsReady && extra != nullptr)
            return "details " + account + " " + std::to_string(Data<unsigned int>(extra));
        if (event == Protocols::ProtocolsManagerEvent::SearchResult) {
            if (extra == nullptr)
                return "searchend " + account;
            const auto& user = Data<Protocols::UserInfo>(extra);
            return "found " + account + " " + user.login.ToUtf8() + " " + user.nick.ToUtf8() + " " +
                   std::to_string(user.gender) + " " + std::to_string(user.age) + " " +
                   std::to_string(user.imageIds.Count());
        }
        if (event == Protocols::ProtocolsManagerEvent::OwnDetailsReady)
            return "own " + account;
        if (event == Protocols::ProtocolsManagerEvent::OpenUrl && extra != nullptr)
            return "url " + account + " " + Data<CYolString>(extra).ToUtf8();
        if (event == Protocols::ProtocolsManagerEvent::ShowText && extra != nullptr)
            return "text " + std::to_string(Data<unsigned int>(arg)) + " " + Data<CYolString>(extra).ToUtf8();
        return {};
    }
    static std::string ListLine(int event, Services::CEventArg* arg, Services::CEventArg* extra) {
        if (arg == nullptr || extra == nullptr)
            return {};
        const std::string contact = std::to_string(Data<unsigned int>(arg));
        if (extra == nullptr)
            return {};
        switch (event) {
            case CL::ContactListEvent::MessageReceived: {
                const auto& m = Data<Protocols::MessageInfo>(extra);
                return "message " + contact + " " + std::to_string(m.kind) + " " + m.text.ToUtf8();
            }
            case CL::ContactListEvent::MessageAcknowledged:
                return "ack " + contact + " " + std::to_string(Data<unsigned int>(extra));
            case CL::ContactListEvent::MessageNotSent:
                return "notsent " + contact;
            case CL::ContactListEvent::ContactStatusChanged:
                return "cstatus " + contact + " " + std::to_string(Data<Protocols::ContactStatusInfo>(extra).status);
            case CL::ContactListEvent::ContactTyping:
                return "typing " + contact + " " + std::to_string(Data<bool>(extra) ? 1 : 0);
            default:
                return {};
        }
    }

    Services::CServicesManager* services = nullptr;
    unsigned int key = 0;
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::string> lines;
    std::deque<Protocols::UserInfo> results;
    std::map<unsigned int, Progress> progress;
    uint64_t changes = 0;
};

// The program's core on a program folder of its own holding the plug-in.
class ZemCore {
public:
    explicit ZemCore(const TempFolder& folder) {
        namespace fs = std::filesystem;
        fs::create_directories(folder.PathOf("Protos/Zem"));
        fs::copy_file(YOL_ZEM_PLUGIN, folder.PathOf("Protos/Zem/Zem.so"), fs::copy_options::overwrite_existing);
        previousAppDir = CYolPath::AppDir();
        CYolPath::SetAppDir(CYolString::FromUtf8(folder.Root() + "/"));
        Core::CreateServices(services);
        log.Attach(services);
        Core::StartServices(services);
    }
    ~ZemCore() {
        log.Detach();
        Core::DestroyServices(services);
        CYolPath::SetAppDir(previousAppDir);
    }
    ZemCore(const ZemCore&) = delete;
    ZemCore& operator=(const ZemCore&) = delete;

    Protocols::CProtocolsManagerImpl& Manager() { return *Core::g_protocolsManager; }
    CL::CContactListImpl& List() { return *Core::g_contactList; }

    // A new account of the plug-in pointed at the scripted server; 0 when
    // the manager made none.
    unsigned int AddAccount(const std::string& login, const std::string& password, unsigned int port) {
        const unsigned int id = Manager().AddAccount(ZemProtocolGuid);
        if (id == 0)
            return 0;
        Manager().SetAccountString(id, CYolString::FromUtf8("SrvLogName"), CYolString::FromUtf8(login), false);
        Manager().SetAccountString(id, CYolString::FromUtf8("SrvLogPass"), CYolString::FromUtf8(password), true);
        Manager().SetAccountString(id, CYolString::FromUtf8("SrvConHost"), CYolString::FromUtf8("127.0.0.1"), false);
        Manager().SetAccountDword(id, CYolString::FromUtf8("SrvConPort"), port);
        Manager().ReloadAccountSettings(id);
        return id;
    }

    // The contact item of `address` in the account's list (0: none).
    unsigned int ContactOf(unsigned int account, const std::string& address) {
        for (const CL::CLItemInfo& row : Rows(account))
            if (row.itemId != 0 && ItemString(row.itemId, "SrvLogName") == address)
                return row.itemId;
        return 0;
    }
    unsigned int GroupOf(unsigned int account, const std::string& name) {
        for (const CL::CLItemInfo& row : Rows(account))
            if (row.itemId == 0 && ItemString(row.parentId, "SrvLogName") == name)
                return row.parentId;
        return 0;
    }
    // "group/address 'alias'" of every contact, sorted.
    std::vector<std::string> Contacts(unsigned int account) {
        std::vector<std::string> out;
        for (const CL::CLItemInfo& row : Rows(account))
            if (row.itemId != 0)
                out.push_back(ItemString(row.parentId, "SrvLogName") + "/" + ItemString(row.itemId, "SrvLogName") +
                              " '" + ItemString(row.itemId, "CL Alias") + "'");
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string ItemString(unsigned int item, const char* key) {
        CYolString value;
        List().GetItemString(item, CYolString::FromUtf8(key), value);
        return value.ToUtf8();
    }
    unsigned char ItemByte(unsigned int item, const char* key) {
        unsigned char value = 0;
        List().GetItemByte(item, CYolString::FromUtf8(key), &value);
        return value;
    }
    int Status(unsigned int account) {
        Protocols::Status status = Protocols::Offline;
        Manager().GetStatus(account, status);
        return status;
    }
    // Waits until `done` holds, looking again after every broadcast.
    bool Eventually(const std::function<bool()>& done, int timeoutMs = 20000) {
        return log.Until([&] {
            Drain();
            return done();
        }, timeoutMs);
    }
    // Every queue the list and the manager handle has been through what it held.
    void Drain() {
        services.SendEvent(List().GetEventsClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
        services.SendEvent(Manager().GetEventsClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
    }

    Services::CServicesManagerImpl services;
    BroadcastLog log;

private:
    std::vector<CL::CLItemInfo> Rows(unsigned int account) {
        Drain();
        CYolArray<CL::CLItemInfo> items;
        List().GetAccountItems(account, items);
        std::vector<CL::CLItemInfo> rows;
        for (int i = 0; i < items.Count(); ++i)
            rows.push_back(items[i]);
        return rows;
    }

    CYolString previousAppDir;
};

}  // namespace ZemPeers
