// The real program, headless, from its start to the contact list shown and
// from "close" to its exit: with three stored accounts (one per protocol,
// offline, so nothing waits on a network) whose cached lists hold 1,000
// contacts, against the same program and accounts with empty lists, in the
// same run. (Without any account the program stops at its first-start
// question for a base account, which is a person's time, not the program's.)
//
// Each iteration starts a fresh copy in a program folder of its own; the
// time runs from the spawn until the program answers "wait-ready" (start-up
// done, the list loaded from its cache and shown), and from "close" until
// the process has ended. The resident size at the end of start-up is read
// from /proc.

#include "../tests/app/ProgramTestSupport.h"

#include "CContactListImpl.h"
#include "ValueNames.h"
#include "ZemPlugin.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <thread>

namespace {

using namespace ProgramTest;
using Clock = std::chrono::steady_clock;

constexpr int kGroupsPerAccount = 10;

// The program folder with all three plug-ins and one offline account per
// protocol, whose contacts the core itself writes to the contact-list cache
// when it shuts down.
class StartupFolder : public ProgramFolder {
public:
    explicit StartupFolder(int contacts) {
        const fs::path build(YOL_PROGRAM_FOLDER);
        for (const char* plugin : {"Ruv", "Zem"})
            fs::create_directory_symlink(build / "Protos" / plugin, PathOf(std::string("Protos/") + plugin));
        WriteSettings(contacts);
    }

private:
    void WriteSettings(int contacts) {
        CYolString previous = CYolPath::AppDir();
        CYolPath::SetAppDir(CYolString::FromUtf8(Root()));
        {
            Services::CServicesManagerImpl manager;
            Core::CreateServices(manager);
            Core::StartServices(manager);
            Protocols::CProtocolsManagerImpl& pm = *Core::g_protocolsManager;
            const YOL_GUID kinds[] = {JabberProtocolGuid, RuvProtocolGuid, ZemProtocolGuid};
            const char* logins[] = {"me@example.org", "123456789", "me@mail.ru"};
            unsigned int accounts[3];
            for (int a = 0; a < 3; ++a) {
                accounts[a] = pm.AddAccount(kinds[a]);
                pm.SetAccountString(accounts[a], CYolString(u"SrvLogName"), CYolString::FromUtf8(logins[a]), false);
                pm.SetAccountByte(accounts[a], CYolString(u"Status"), 0);
                pm.ReloadAccountSettings(accounts[a]);
            }
            Fill(*Core::g_contactList, accounts, contacts);
            Core::DestroyServices(manager);
        }
        CYolPath::SetAppDir(previous);
    }

    static void Fill(CL::CContactListImpl& model, const unsigned int (&accounts)[3], int contacts) {
        const CYolString loginName(ValueName::SrvLogName);
        const CYolString aliasName(ValueName::Alias);
        model.BeginUpdate();
        unsigned int groups[3][kGroupsPerAccount];
        for (int a = 0; a < 3; ++a)
            for (int g = 0; g < kGroupsPerAccount; ++g) {
                // The model learns of a new account on its own queue: until
                // then it takes no groups for it.
                const auto deadline = Clock::now() + std::chrono::seconds(30);
                while ((groups[a][g] = model.AddGroup(accounts[a])) == 0 && Clock::now() < deadline)
                    std::this_thread::yield();
                model.SetItemString(groups[a][g], loginName, CYolString::FromUtf8("Group " + std::to_string(g)));
                model.NotifyGroupAdded(groups[a][g]);
            }
        Protocols::ContactStatusInfo status;
        for (int i = 0; i < contacts; ++i) {
            int a = i % 3;
            int index = i / 3;
            unsigned int id = model.AddContact(accounts[a], groups[a][index % kGroupsPerAccount]);
            model.SetItemString(id, loginName, CYolString::FromUtf8("user" + std::to_string(index)));
            model.SetItemString(id, aliasName, CYolString::FromUtf8("Name " + std::to_string(index)));
            model.NotifyContactAdded(id, status);
        }
        model.EndUpdate();
    }
};

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// The resident set of the process in KiB, 0 when it cannot be read.
double ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6));
    return 0;
}

// One start and one close; false (with the reason in the state) when the
// program did not come up or did not end.
bool RunOnce(benchmark::State& state, int contacts, double& startup, double& shutdown, double& rss) {
    StartupFolder folder(contacts);
    const std::map<std::string, std::string> env{{"XDG_RUNTIME_DIR", folder.Runtime()}};
    const auto started = Clock::now();
    Child yol(folder.PathOf("yol"), {"--headless"}, env, folder.PathOf("yol.log"));
    if (!folder.WaitForSocket() || folder.Ask("wait-ready 60000", 61000) != std::optional<std::string>("OK")) {
        state.SkipWithError("the program did not come up");
        return false;
    }
    startup = Seconds(started);
    rss = ResidentKiB(yol.Pid());
    const auto closing = Clock::now();
    if (folder.Ask("close") != std::optional<std::string>("OK") || yol.Wait(60000) != std::optional<int>(0)) {
        state.SkipWithError("the program did not close cleanly");
        return false;
    }
    shutdown = Seconds(closing);
    return true;
}

void BM_ProgramStartAndClose(benchmark::State& state) {
    const int contacts = static_cast<int>(state.range(0));
    double startTotal = 0, closeTotal = 0, rssTotal = 0;
    int runs = 0;
    for (auto _ : state) {
        double startup = 0, shutdown = 0, rss = 0;
        if (!RunOnce(state, contacts, startup, shutdown, rss))
            break;
        state.SetIterationTime(startup + shutdown);
        startTotal += startup;
        closeTotal += shutdown;
        rssTotal += rss;
        ++runs;
    }
    if (runs == 0)
        return;
    state.counters["startup_ms"] = 1000.0 * startTotal / runs;
    state.counters["shutdown_ms"] = 1000.0 * closeTotal / runs;
    state.counters["rss_kib"] = rssTotal / runs;
}

// 0: three accounts with empty lists (the reference); 1,000 contacts over
// the three.
BENCHMARK(BM_ProgramStartAndClose)->Arg(0)->Arg(1000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
