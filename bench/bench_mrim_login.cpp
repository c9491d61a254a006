// Logging an MRIM account in against the scripted server of tests/peers,
// whose list for it holds 1,000, 2,000 and 5,000 contacts: the time from
// asking for "online" until every contact is in the contact-list model, and
// the heap that holds afterwards, per contact. The reference in the same run
// is a client that only reads: it goes through the same redirect and login
// and reads the same bytes from the same server until the list has arrived,
// and decodes nothing. The complexity lines give the growth from 1,000 to
// 5,000 for both.

#include "LoginBench.h"
#include "RawConnection.h"
#include "ZemPeerRig.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace ZemPeers;

constexpr const char* kLogin = "alice@mail.ru";
constexpr const char* kPassword = "alice-pw";
constexpr int kTimeoutMs = 120000;

// One server per list size, kept for every run of that size.
struct MrimRig {
    explicit MrimRig(int contacts)
        : server(folder, R"({"users": {")" + std::string(kLogin) + R"(": {"password": ")" + kPassword +
                             R"(", "groups": ["Друзья", "Work", "Семья", "Old"], "generated": )" +
                             std::to_string(contacts) + "}}}") {}
    TempFolder folder;
    MrimServer server;
};

MrimRig& RigFor(int contacts) {
    static std::map<int, std::unique_ptr<MrimRig>> rigs;
    auto& rig = rigs[contacts];
    if (!rig)
        rig = std::make_unique<MrimRig>(contacts);
    return *rig;
}

bool RigUsable(benchmark::State& state, MrimRig& rig) {
    if (::access(kPython, X_OK) != 0) {
        state.SkipWithError("/usr/bin/python3 is missing");
        return false;
    }
    if (!rig.server.Ready()) {
        state.SkipWithError("the scripted MRIM server did not start");
        return false;
    }
    return true;
}

// --- the reference: a client that reads the bytes and nothing more ---

void PutUl(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}
void PutLps(std::string& out, const std::string& text) {
    PutUl(out, static_cast<uint32_t>(text.size()));
    out += text;
}
uint32_t GetUl(const std::string& in, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(in[at + i]);
    return value;
}

std::string Packet(uint32_t kind, uint32_t sequence, const std::string& body) {
    std::string out;
    for (uint32_t word : {0xDEADBEEFu, 0x00010013u, sequence, kind, static_cast<uint32_t>(body.size()), 0u, 0u})
        PutUl(out, word);
    out.append(16, '\0');
    return out + body;
}

// Redirect, hello, login, and every packet until the contact list has been
// read whole; the bytes read in all, 0 on any failure.
size_t ReadLogin(unsigned int redirectPort) {
    RawConnection link;
    if (!link.Connect(redirectPort))
        return 0;
    const std::string redirect = link.ReadToClose(256);
    const size_t colon = redirect.find(':');
    if (colon == std::string::npos || !link.Connect(static_cast<unsigned int>(std::stoul(redirect.substr(colon + 1)))))
        return 0;
    // Reads packets until one of `kind` has come whole.
    auto readUntil = [&link](uint32_t kind) {
        std::string header, body;
        for (;;) {
            if (!link.ReadExactly(header, 44) || GetUl(header, 0) != 0xDEADBEEF)
                return false;
            const uint32_t length = GetUl(header, 16);
            if (length > (8u << 20) || !link.ReadExactly(body, length))
                return false;
            if (GetUl(header, 12) == kind)
                return true;
        }
    };
    if (!link.Send(Packet(0x1001, 1, {})) || !readUntil(0x1002))
        return 0;
    std::string login;
    PutLps(login, kLogin);
    PutLps(login, kPassword);
    PutUl(login, 1);
    for (int i = 0; i < 3; ++i)
        PutLps(login, {});
    PutUl(login, 0x3FF);
    PutLps(login, R"(client="Yol Mobile reader" version="2.0")");
    PutLps(login, "ru");
    PutLps(login, "Yol Mobile reader");
    if (!link.Send(Packet(0x1038, 2, login)) || !readUntil(0x1037))
        return 0;
    return link.BytesRead();
}

void BM_RawReaderLogin(benchmark::State& state) {
    const int contacts = static_cast<int>(state.range(0));
    MrimRig& rig = RigFor(contacts);
    if (!RigUsable(state, rig))
        return;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = ReadLogin(rig.server.RedirectPort());
        if (bytes == 0) {
            state.SkipWithError("the raw reader did not get the list");
            break;
        }
    }
    ReportReader(state, contacts, bytes);
}

// --- our account, made and driven by the protocols manager ---

size_t ContactCount(ZemCore& core, unsigned int account) {
    core.Drain();
    CYolArray<CL::CLItemInfo> items;
    core.List().GetAccountItems(account, items);
    size_t count = 0;
    for (int i = 0; i < items.Count(); ++i)
        count += items[i].itemId != 0;
    return count;
}

void BM_AccountLogin(benchmark::State& state) {
    const int contacts = static_cast<int>(state.range(0));
    MrimRig& rig = RigFor(contacts);
    if (!RigUsable(state, rig))
        return;
    double heapBytes = 0;
    int looks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto programFolder = std::make_unique<TempFolder>();
        auto core = std::make_unique<ZemCore>(*programFolder);
        const unsigned int account = core->AddAccount(kLogin, kPassword, rig.server.RedirectPort());
        const size_t before = HeapInUse();
        state.ResumeTiming();

        core->Manager().SetStatus(account, Protocols::Online);
        const bool loaded = core->Eventually(
            [&] {
                ++looks;
                return ContactCount(*core, account) == static_cast<size_t>(contacts);
            },
            kTimeoutMs);

        state.PauseTiming();
        heapBytes = static_cast<double>(HeapInUse()) - static_cast<double>(before);
        if (!loaded || account == 0) {
            state.SkipWithError("the list did not reach the contact-list model");
            break;
        }
        core.reset();
        programFolder.reset();
        state.ResumeTiming();
    }
    ReportAccount(state, contacts, heapBytes, looks);
}

BENCHMARK(BM_RawReaderLogin)->Apply(ListSizes);
BENCHMARK(BM_AccountLogin)->Apply(ListSizes);

}  // namespace
