// File transfer between two XMPP accounts of ours on a real Prosody (the
// test rig, started here): SOCKS5 bytestreams through the server's proxy and
// in-band bytestreams, from the offer until the receiver reports the file
// complete, against a plain loopback socket copying the same file into a
// file in the same run. The rate is in bytes per second of file.

#include "LiveXmppAccount.h"
#include "ProsodyFixture.h"
#include "TransferBench.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

namespace {

using namespace XmppPeers;

constexpr const char* kPassword = "secret";
constexpr size_t kSocks5Bytes = 8u << 20;
// In band every block is a base64 stanza waiting for its answer.
constexpr size_t kInBandBytes = 1u << 20;

// alice sends, bob receives; both are our accounts, in each other's rosters.
class TransferPair {
public:
    explicit TransferPair(bool proxy) {
        if (!RigAvailable()) {
            failure = "prosody, openssl or /usr/bin/python3 is missing";
            return;
        }
        rig = std::make_unique<ProsodyRig>(
            ProsodyRig::Options{{{"alice", kPassword}, {"bob", kPassword}}, {}, {{"alice", "bob"}}});
        if (!rig->Ready()) {
            failure = rig->Failure();
            return;
        }
        alice = Login("alice", proxy);
        bob = Login("bob", proxy);
        // The rosters may come after the own status; offers go to the
        // resource the other side is online with.
        const bool online =
            alice->Eventually([&] { return (aliceSeesBob = alice->ContactOf(rig->Jid("bob"))) != 0; }) &&
            bob->Eventually([&] { return (bobSeesAlice = bob->ContactOf(rig->Jid("alice"))) != 0; }) &&
            alice->Eventually([&] { return alice->Shown(aliceSeesBob).status == Protocols::Online; }) &&
            bob->Eventually([&] { return bob->Shown(bobSeesAlice).status == Protocols::Online; });
        if (!online)
            failure = "the two accounts do not see each other online";
    }

    const std::string& Failure() const { return failure; }

    // Sends `path` from alice to bob, who takes the offer of `name` (the
    // file's own name) into `target`; false when the transfer did not
    // complete.
    bool Send(const std::string& path, const std::string& name, const std::string& target) {
        alice->manager.TakeEvents();
        alice->Command(Protocols::AccountCommand::SendFile, LiveXmppAccount::Arg(aliceSeesBob),
                       LiveXmppAccount::Arg(path));
        if (!TransferBench::WaitForState(*bob, 0))
            return false;
        bob->Command(Protocols::AccountCommand::AcceptFile, LiveXmppAccount::Arg(bobSeesAlice),
                     new Services::CEventArg_Data<Protocols::StringPair>(
                         Protocols::StringPair(CYolString::FromUtf8(name), CYolString::FromUtf8(target))));
        return TransferBench::WaitForState(*bob, 2) && TransferBench::WaitForState(*alice, 2);
    }

private:
    std::unique_ptr<LiveXmppAccount> Login(const char* user, bool proxy) {
        auto account = std::make_unique<LiveXmppAccount>();
        account->manager.SetAccountByte(LiveXmppAccount::kAccountId, U("SrvSetsProxyEnabled"), proxy ? 1 : 0);
        account->manager.SetAccountString(LiveXmppAccount::kAccountId, U("SrvSetsBytestreamProxy"),
                                          U(proxy ? rig->ProxyJid() : std::string()), false);
        account->Setup(rig->Jid(user), kPassword, rig->PlainPort(), false);
        account->SetStatus(Protocols::Online);
        account->WaitForStatus(Protocols::Online);
        return account;
    }

    std::string failure;
    std::unique_ptr<ProsodyRig> rig;
    std::unique_ptr<LiveXmppAccount> alice;
    std::unique_ptr<LiveXmppAccount> bob;
    unsigned int aliceSeesBob = 0;
    unsigned int bobSeesAlice = 0;
};

TransferPair& PairFor(bool proxy) {
    static std::map<bool, std::unique_ptr<TransferPair>> pairs;
    auto& pair = pairs[proxy];
    if (!pair)
        pair = std::make_unique<TransferPair>(proxy);
    return *pair;
}

// The file to send, written once per size.
const std::string& SourceFile(const TempFolder& folder, size_t size) {
    static std::map<size_t, std::string> paths;
    auto& path = paths[size];
    if (path.empty())
        path = folder.Put("source-" + std::to_string(size) + ".bin", TransferBench::Content(size));
    return path;
}

TempFolder& Files() {
    static TempFolder folder;
    return folder;
}

void Transfer(benchmark::State& state, bool proxy, size_t size) {
    TransferBench::SendEachIteration(state, PairFor(proxy), SourceFile(Files(), size), Files(), size);
}

void BM_Socks5ThroughProxy(benchmark::State& state) { Transfer(state, true, kSocks5Bytes); }
void BM_InBand(benchmark::State& state) { Transfer(state, false, kInBandBytes); }

// The reference: the same file copied over a plain loopback connection.
void LoopbackCopy(benchmark::State& state, size_t size) {
    TransferBench::LoopbackCopy(state, SourceFile(Files(), size), Files().PathOf("copied.bin"), size);
}

void BM_LoopbackCopySocks5Size(benchmark::State& state) { LoopbackCopy(state, kSocks5Bytes); }
void BM_LoopbackCopyInBandSize(benchmark::State& state) { LoopbackCopy(state, kInBandBytes); }

BENCHMARK(BM_LoopbackCopySocks5Size)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Socks5ThroughProxy)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoopbackCopyInBandSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InBand)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
