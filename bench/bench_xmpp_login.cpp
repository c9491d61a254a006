// Logging an XMPP account in against a real Prosody whose roster for it
// holds 1,000 and 5,000 contacts (the rig writes them into the server's
// roster store): the time from asking for "online" until every contact is in
// the contact-list model, and the memory the process holds afterwards. The
// complexity line at the end gives the growth from 1,000 to 5,000.

#include "LiveXmppAccount.h"
#include "ProsodyFixture.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace XmppPeers;

// Resident memory of this process in KiB.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// One server per roster size, kept for every run of that size.
ProsodyRig& RigFor(int contacts) {
    static std::map<int, std::unique_ptr<ProsodyRig>> rigs;
    auto& rig = rigs[contacts];
    if (!rig)
        rig = std::make_unique<ProsodyRig>(ProsodyRig::Options{{{"alice", "secret"}}, {{"alice", contacts}}});
    return *rig;
}

size_t ContactCount(LiveXmppAccount& account) {
    size_t count = 0;
    for (const CL::CLItemInfo& row : account.Rows())
        count += row.itemId != 0;
    return count;
}

void BM_LoginWithRoster(benchmark::State& state) {
    const int contacts = static_cast<int>(state.range(0));
    if (!RigAvailable()) {
        state.SkipWithError("prosody, openssl or /usr/bin/python3 is missing");
        return;
    }
    ProsodyRig& rig = RigFor(contacts);
    if (!rig.Ready()) {
        state.SkipWithError(rig.Failure().c_str());
        return;
    }
    long grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = ResidentKiB();
        auto account = std::make_unique<LiveXmppAccount>();
        account->Setup(rig.Jid("alice"), "secret", rig.PlainPort(), false);
        state.ResumeTiming();

        account->SetStatus(Protocols::Online);
        const bool loaded = account->Eventually(
            [&] { return ContactCount(*account) == static_cast<size_t>(contacts); }, 120000);

        state.PauseTiming();
        grown = ResidentKiB() - before;
        if (!loaded) {
            state.SkipWithError("the roster did not reach the contact list");
            break;
        }
        account.reset();
        state.ResumeTiming();
    }
    state.counters["contacts"] = contacts;
    state.counters["rss_growth_KiB"] = static_cast<double>(grown);
    state.counters["KiB_per_contact"] = static_cast<double>(grown) / contacts;
    state.SetComplexityN(contacts);
}

BENCHMARK(BM_LoginWithRoster)
    ->Arg(1000)
    ->Arg(5000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);

}  // namespace
