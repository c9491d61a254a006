// Signing an OSCAR account on against the scripted server of tests/peers,
// whose server-side list for it holds 1,000, 2,000 and 5,000 buddies (in
// ten groups, sent in parts of at most 500 items): the time from asking for
// "online" until every buddy is in the contact-list model, and the heap
// that holds afterwards, per contact. The reference in the same run is a
// client that only reads: it goes through the same login, redirect and
// service set-up and reads the same list from the same server, decoding
// nothing of it. The complexity lines give the growth from 1,000 to 5,000
// for both.

#include "LiveRuvAccount.h"
#include "LoginBench.h"
#include "PeerProcess.h"
#include "RawConnection.h"
#include "RuvPackets.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace {

using namespace RuvPeers;

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kUser = "100200";
constexpr const char* kPassword = "secret";
constexpr int kTimeoutMs = 120000;

// One server per list size, kept for every run of that size.
struct OscarRig {
    explicit OscarRig(int contacts) {
        if (::access(kPython, X_OK) != 0)
            return;
        server = std::make_unique<PeerProcess>(
            std::vector<std::string>{kPython, std::string(YOL_PEERS_DIR) + "/oscar_server.py", "big-list", "--user",
                                     kUser, "--password", kPassword, "--contacts", std::to_string(contacts),
                                     "--timeout", "60"},
            folder.PathOf("oscar.log"), true, true);
        const std::optional<std::string> line = server->NextLine(20000);
        if (line && line->rfind("PORT ", 0) == 0)
            port = static_cast<unsigned int>(std::stoul(line->substr(5)));
    }
    ~OscarRig() {
        if (server)
            server->Stop();
    }
    TempFolder folder;
    std::unique_ptr<PeerProcess> server;
    unsigned int port = 0;
};

OscarRig* UsableRig(benchmark::State& state, int contacts) {
    static std::map<int, std::unique_ptr<OscarRig>> rigs;
    auto& rig = rigs[contacts];
    if (!rig)
        rig = std::make_unique<OscarRig>(contacts);
    if (rig->port == 0) {
        state.SkipWithError("the scripted OSCAR server did not start (is /usr/bin/python3 there?)");
        return nullptr;
    }
    return rig.get();
}

// --- the reference: a client that reads the bytes and nothing more ---

void PutWord(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}
uint16_t GetWord(const std::string& in, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(in[at]) << 8 | static_cast<unsigned char>(in[at + 1]));
}
std::string Tlv(uint16_t type, const std::string& value) {
    std::string out;
    PutWord(out, type);
    PutWord(out, static_cast<uint16_t>(value.size()));
    return out + value;
}
// The value of TLV `type` in `data` from `at` on; "" when there is none.
std::string FindTlv(const std::string& data, size_t at, uint16_t type) {
    while (at + 4 <= data.size()) {
        const uint16_t kind = GetWord(data, at), length = GetWord(data, at + 2);
        if (at + 4 + length > data.size())
            break;
        if (kind == type)
            return data.substr(at + 4, length);
        at += 4u + length;
    }
    return {};
}

// One connection's frames, numbered one after another as the server checks.
class FlapLink {
public:
    explicit FlapLink(RawConnection& link) : link(link) {}

    bool SendFrame(uint8_t channel, const std::string& data) {
        std::string frame{'\x2A', static_cast<char>(channel)};
        PutWord(frame, sequence++);
        PutWord(frame, static_cast<uint16_t>(data.size()));
        return link.Send(frame + data);
    }
    bool SendSnac(uint16_t family, uint16_t subtype, const std::string& payload, uint32_t requestId = 0) {
        std::string data;
        PutWord(data, family);
        PutWord(data, subtype);
        PutWord(data, 0);
        PutWord(data, static_cast<uint16_t>(requestId >> 16));
        PutWord(data, static_cast<uint16_t>(requestId & 0xFFFF));
        return SendFrame(2, data + payload);
    }
    // The next frame's channel and data; false when the server closed.
    bool ReadFrame(uint8_t& channel, std::string& data) {
        std::string header;
        if (!link.ReadExactly(header, 6) || header[0] != '\x2A')
            return false;
        channel = static_cast<uint8_t>(header[1]);
        return link.ReadExactly(data, GetWord(header, 4));
    }
    // Frames until the SNAC `family`/`subtype` has come; its whole data.
    bool ReadSnac(uint16_t family, uint16_t subtype, std::string& data) {
        uint8_t channel = 0;
        while (ReadFrame(channel, data))
            if (channel == 2 && data.size() >= 10 && GetWord(data, 0) == family && GetWord(data, 2) == subtype)
                return true;
        return false;
    }

private:
    RawConnection& link;
    uint16_t sequence = 1000;
};

const std::string kHello{'\0', '\0', '\0', '\1'};

// The login server's key and redirect; the session address and cookie.
bool RawLogin(RawConnection& link, unsigned int port, unsigned int& sessionPort, std::string& cookie) {
    if (!link.Connect(port))
        return false;
    FlapLink flap(link);
    uint8_t channel = 0;
    std::string data;
    if (!flap.ReadFrame(channel, data) || !flap.SendFrame(1, kHello + Tlv(0x8003, std::string("\0\x10\0\0", 4))) ||
        !flap.SendSnac(0x17, 0x06, Tlv(1, kUser)) || !flap.ReadSnac(0x17, 0x07, data) || data.size() < 12)
        return false;
    const std::string key = data.substr(12, GetWord(data, 10));
    std::array<uint8_t, 16> digest{};
    CMD5::Hash(kPassword, static_cast<unsigned int>(std::string(kPassword).size()), digest.data());
    const std::string answer = CMd5LoginPacket::Answer(key, digest);
    if (!flap.SendSnac(0x17, 0x02, Tlv(1, kUser) + Tlv(0x25, answer) + Tlv(3, "Ruv Client")) ||
        !flap.ReadSnac(0x17, 0x03, data))
        return false;
    const std::string address = FindTlv(data, 10, 5);
    cookie = FindTlv(data, 10, 6);
    const size_t colon = address.find(':');
    if (colon == std::string::npos || cookie.empty())
        return false;
    sessionPort = static_cast<unsigned int>(std::stoul(address.substr(colon + 1)));
    return true;
}

// Login, redirect, the service set-up, and every part of the list; the
// bytes read in all, 0 on any failure.
size_t ReadSignOn(unsigned int port) {
    RawConnection link;
    unsigned int sessionPort = 0;
    std::string cookie;
    if (!RawLogin(link, port, sessionPort, cookie) || !link.Connect(sessionPort))
        return 0;
    FlapLink flap(link);
    uint8_t channel = 0;
    std::string data, families;
    if (!flap.ReadFrame(channel, data) || !flap.SendFrame(1, kHello + Tlv(6, cookie)) ||
        !flap.ReadSnac(0x01, 0x03, data))
        return 0;
    // The same families back, at the versions the client asks for.
    static const uint16_t versions[][2] = {{0x22, 1}, {0x01, 4}, {0x13, 4}, {0x02, 1}, {0x03, 1}, {0x15, 1},
                                           {0x04, 1}, {0x06, 1}, {0x09, 1}, {0x0A, 1}, {0x0B, 1}};
    for (const auto& family : versions) {
        PutWord(families, family[0]);
        PutWord(families, family[1]);
    }
    if (!flap.SendSnac(0x01, 0x17, families, 0x17) || !flap.ReadSnac(0x01, 0x18, data) ||
        !flap.SendSnac(0x01, 0x06, {}) || !flap.ReadSnac(0x01, 0x07, data))
        return 0;
    static const uint16_t requests[][2] = {{0x01, 0x08}, {0x01, 0x0E}, {0x13, 0x02}, {0x13, 0x04},
                                           {0x02, 0x02}, {0x03, 0x02}, {0x04, 0x04}, {0x09, 0x02}};
    for (const auto& request : requests)
        if (!flap.SendSnac(request[0], request[1], request[1] == 0x08 ? std::string("\0\1", 2) : std::string()))
            return 0;
    // The list's last part is the one without the "more follows" flag.
    do {
        if (!flap.ReadSnac(0x13, 0x06, data))
            return 0;
    } while (GetWord(data, 4) & 1);
    return link.BytesRead();
}

void BM_RawReaderSignOn(benchmark::State& state) {
    const int contacts = static_cast<int>(state.range(0));
    OscarRig* rig = UsableRig(state, contacts);
    if (rig == nullptr)
        return;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = ReadSignOn(rig->port);
        if (bytes == 0) {
            state.SkipWithError("the raw reader did not get the list");
            break;
        }
    }
    ReportReader(state, contacts, bytes);
}

// --- our account, wired as the program wires it ---

size_t ContactCount(LiveRuvAccount& account) {
    size_t count = 0;
    for (const CL::CLItemInfo& row : account.Rows())
        count += row.itemId != 0;
    return count;
}

void BM_AccountSignOn(benchmark::State& state) {
    const int contacts = static_cast<int>(state.range(0));
    OscarRig* rig = UsableRig(state, contacts);
    if (rig == nullptr)
        return;
    double heapBytes = 0;
    int looks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto account = std::make_unique<LiveRuvAccount>();
        account->Setup(kUser, kPassword, rig->port);
        const size_t before = HeapInUse();
        state.ResumeTiming();

        account->SetStatus(Protocols::Online);
        const bool loaded = account->Eventually(
            [&] {
                ++looks;
                return ContactCount(*account) == static_cast<size_t>(contacts);
            },
            kTimeoutMs);

        state.PauseTiming();
        heapBytes = static_cast<double>(HeapInUse()) - static_cast<double>(before);
        if (!loaded) {
            state.SkipWithError("the list did not reach the contact-list model");
            break;
        }
        account.reset();
        state.ResumeTiming();
    }
    ReportAccount(state, contacts, heapBytes, looks);
}

BENCHMARK(BM_RawReaderSignOn)->Apply(ListSizes);
BENCHMARK(BM_AccountSignOn)->Apply(ListSizes);

}  // namespace
