// File transfer between two OSCAR accounts of ours through the scripted
// server of tests/peers and its rendezvous proxy (started here): from the
// offer until both sides report the file complete, against a plain
// loopback socket copying the same file into a file in the same run. The
// rate is in bytes per second of file.

#include "LiveRuvAccount.h"
#include "PeerProcess.h"
#include "TransferBench.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <memory>
#include <optional>
#include <string>

namespace {

using namespace RuvPeers;

constexpr const char* kPython = "/usr/bin/python3";
constexpr size_t kBytes = 8u << 20;
constexpr int kTimeoutMs = 120000;

TempFolder& Files() {
    static TempFolder folder;
    return folder;
}

const std::string& SourceFile() {
    static const std::string path = Files().Put("source.bin", TransferBench::Content(kBytes));
    return path;
}

// 100200 sends, 100300 receives; each holds the other in its list.
class TransferPair {
public:
    TransferPair() {
        if (::access(kPython, X_OK) != 0) {
            failure = "/usr/bin/python3 is missing";
            return;
        }
        server = std::make_unique<PeerProcess>(
            std::vector<std::string>{kPython, std::string(YOL_PEERS_DIR) + "/oscar_server.py", "chat", "--user",
                                     "100200", "--password", "secret", "--peer", "100300", "--peer-password",
                                     "secret2", "--parts", "1", "--timeout", "600", "--proxy"},
            Files().PathOf("oscar.log"), true, true);
        const std::optional<std::string> port = server->NextLine(20000);
        const std::optional<std::string> proxy = server->NextLine(20000);
        if (!port || port->rfind("PORT ", 0) != 0 || !proxy || proxy->rfind("PROXY ", 0) != 0) {
            failure = "the scripted OSCAR server did not start";
            return;
        }
        const auto loginPort = static_cast<unsigned int>(std::stoul(port->substr(5)));
        const auto proxyPort = static_cast<unsigned int>(std::stoul(proxy->substr(6)));
        for (auto [account, login, password] :
             {std::tuple{&sender, "100200", "secret"}, {&receiver, "100300", "secret2"}}) {
            account->manager.SetAccountString(LiveRuvAccount::kAccountId, U("SrvFTProxy"), U("127.0.0.1"), false);
            account->manager.SetAccountDword(LiveRuvAccount::kAccountId, U("SrvFTProxyPort"), proxyPort);
            account->Setup(login, password, loginPort);
            account->SetStatus(Protocols::Online);
            if (server->NextLine(kTimeoutMs).value_or("") != "SIGNED ON") {
                failure = "an account did not sign on";
                return;
            }
        }
        if (server->NextLine(kTimeoutMs).value_or("") != "READY" ||
            !sender.Eventually([&] { return sender.ContactOf("100300") != 0; }) ||
            !receiver.Eventually([&] { return receiver.ContactOf("100200") != 0; })) {
            failure = "the accounts do not see each other";
            return;
        }
        senderSees = sender.ContactOf("100300");
        receiverSees = receiver.ContactOf("100200");
    }

    const std::string& Failure() const { return failure; }

    // Sends `path` to the receiver, who takes the offer of `name` into
    // `target`; false when the transfer did not complete.
    bool Send(const std::string& path, const std::string& name, const std::string& target) {
        sender.manager.TakeEvents();
        receiver.manager.TakeEvents();
        sender.Command(Protocols::AccountCommand::SendFile, LiveRuvAccount::Arg(senderSees), LiveRuvAccount::Arg(path));
        if (!TransferBench::WaitForState(receiver, 0))
            return false;
        receiver.Command(Protocols::AccountCommand::AcceptFile, LiveRuvAccount::Arg(receiverSees),
                         new Services::CEventArg_Data<Protocols::StringPair>(
                             Protocols::StringPair(CYolString::FromUtf8(name), CYolString::FromUtf8(target))));
        return TransferBench::WaitForState(receiver, 2) && TransferBench::WaitForState(sender, 2);
    }

private:
    std::string failure;
    std::unique_ptr<PeerProcess> server;
    LiveRuvAccount sender;
    LiveRuvAccount receiver;
    unsigned int senderSees = 0;
    unsigned int receiverSees = 0;
};

TransferPair& Pair() {
    static TransferPair pair;
    return pair;
}

void BM_ThroughTheProxy(benchmark::State& state) {
    TransferBench::SendEachIteration(state, Pair(), SourceFile(), Files(), kBytes);
}

// The reference: the same file copied over a plain loopback connection.
void BM_LoopbackCopy(benchmark::State& state) {
    TransferBench::LoopbackCopy(state, SourceFile(), Files().PathOf("copied.bin"), kBytes);
}

BENCHMARK(BM_LoopbackCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThroughTheProxy)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
