// Wireshark's OSCAR dissector as an independent reader of our bytes. Two
// real accounts sign on through the scripted server behind recording
// relays, receive their lists, exchange a message each way, send a typing
// notice and edit the list; what the clients sent is written as a capture
// file and tshark must find every frame and every SNAC in it, as sent, and
// mark nothing malformed or in error.

#include "LiveRuvAccount.h"
#include "MissingPeer.h"
#include "PeerProcess.h"
#include "ProsodyFixture.h"
#include "RecordingRelay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

namespace {

using namespace RuvPeers;
using XmppPeers::HaveProgram;
using XmppPeers::kPython;

// What a reader of the frames should find: per frame its channel, per
// channel-2 frame its family and subtype.
struct Frames {
    std::vector<unsigned int> channels;
    std::vector<std::pair<unsigned int, unsigned int>> snacs;
};

// Walks the frames of each stream in the order the segments were captured,
// each counted at the segment that completes it.
Frames FramesIn(const std::vector<PcapCapture::Segment>& segments) {
    Frames found;
    std::map<int, std::string> pending;
    for (const auto& segment : segments) {
        std::string& bytes = pending[segment.stream];
        bytes += segment.bytes;
        auto at = [&](size_t i) { return static_cast<unsigned int>(static_cast<unsigned char>(bytes[i])); };
        while (bytes.size() >= 6 && bytes.size() >= 6 + (at(4) << 8 | at(5))) {
            const size_t length = at(4) << 8 | at(5);
            found.channels.push_back(at(1));
            if (at(1) == 2 && length >= 4)
                found.snacs.emplace_back(at(6) << 8 | at(7), at(8) << 8 | at(9));
            bytes.erase(0, 6 + length);
        }
    }
    return found;
}

// SNACs whose subtype this dissector has no name for: it shows their frame
// and family but leaves their FNAC fields out (04/10, the offline-messages
// request).
const std::pair<unsigned int, unsigned int> kUnnamedByTheDissector[] = {{0x04, 0x10}};

// The dissector reads the ICQ tail of a channel-data acknowledgement (04/0B,
// reason 3) one byte early, takes the text length's low byte for its high
// one and runs past the frame; our layout (LE length 1, one NUL, the two
// colours) is the one peers read. Only that SNAC's mark is borne with.
const char* const kMisreadByTheDissector = "(0x0004), Subtype: Client Error (0x000b)";

// Splits a field of tshark's "-T fields" output: several values of one
// packet are separated by commas.
void Collect(const std::string& field, std::vector<unsigned int>& into) {
    std::stringstream values(field);
    std::string value;
    while (std::getline(values, value, ','))
        if (!value.empty())
            into.push_back(static_cast<unsigned int>(std::stoul(value, nullptr, 0)));
}

class OscarDissector : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveProgram(kPython))
            YOL_SKIP_MISSING_PEER("/usr/bin/python3 is missing");
        tshark = FindProgram("tshark");
        if (tshark.empty())
            YOL_SKIP_MISSING_PEER("tshark is not installed");
        server = std::make_unique<PeerProcess>(
            std::vector<std::string>{kPython, std::string(YOL_PEERS_DIR) + "/oscar_server.py", "chat", "--user",
                                     "100200", "--password", "secret", "--peer", "100300", "--peer-password",
                                     "secret2", "--parts", "3", "--timeout", "60", "--redirect-port",
                                     std::to_string(sessionRelay.Port())},
            log.PathOf("server.log"), true, true);
        const std::string login = server->ReadLine(10000);
        const std::string session = server->ReadLine(10000);
        ASSERT_EQ(login.rfind("PORT ", 0), 0u) << Log();
        ASSERT_EQ(session.rfind("SESSION ", 0), 0u) << Log();
        loginRelay.Start(static_cast<unsigned int>(std::stoul(login.substr(5))));
        sessionRelay.Start(static_cast<unsigned int>(std::stoul(session.substr(8))));
    }
    std::string Report() { return server->ReadLine(30000); }
    std::string Log() { return ReadText(log.PathOf("server.log")); }
    static std::string Id(unsigned int id) { return std::to_string(id); }

    // tshark's output over the capture, one line each.
    std::vector<std::string> Dissect(const std::string& file, const std::vector<std::string>& options) {
        std::vector<std::string> command{tshark, "-n", "-r", file};
        for (unsigned int port : capture.ServerPorts()) {
            command.push_back("-d");
            command.push_back("tcp.port==" + std::to_string(port) + ",aim");
        }
        command.insert(command.end(), options.begin(), options.end());
        PeerProcess reader(command, log.PathOf("tshark.log"), true);
        std::vector<std::string> lines;
        while (auto line = reader.NextLine(60000))
            lines.push_back(*line);
        return lines;
    }

    std::string tshark;
    TempFolder log;
    PcapCapture capture;
    RecordingRelay loginRelay{capture};
    RecordingRelay sessionRelay{capture};
    std::unique_ptr<PeerProcess> server;
};

TEST_F(OscarDissector, ReadsEveryFrameAndSnacOfARealSession) {
    LiveRuvAccount a;
    LiveRuvAccount b;
    a.Setup("100200", "secret", loginRelay.Port());
    a.SetStatus(Protocols::Online);
    ASSERT_EQ("SIGNED ON", Report()) << Log();
    b.Setup("100300", "secret2", loginRelay.Port());
    b.SetStatus(Protocols::Online);
    ASSERT_EQ("SIGNED ON", Report()) << Log();
    ASSERT_EQ("READY", Report()) << Log();
    ASSERT_TRUE(a.Eventually([&] { return a.ContactOf("100300") != 0; })) << Log();
    ASSERT_TRUE(b.Eventually([&] { return b.ContactOf("100200") != 0; })) << Log();
    const unsigned int aSeesB = a.ContactOf("100300");
    const unsigned int bSeesA = b.ContactOf("100200");
    // Each sees the other online with its capabilities, which choose the
    // channel a message goes on.
    EXPECT_EQ(a.log.WaitFor("status " + Id(aSeesB) + " 2"), "status " + Id(aSeesB) + " 2 ");
    EXPECT_EQ(b.log.WaitFor("status " + Id(bSeesA) + " 2"), "status " + Id(bSeesA) + " 2 ");

    a.SendText(aSeesB, "Привет 😀", 1001);
    EXPECT_EQ(b.log.WaitFor("message " + Id(bSeesA)), "message " + Id(bSeesA) + " 0 Канал 4");
    EXPECT_EQ(b.log.WaitFor("message " + Id(bSeesA)), "message " + Id(bSeesA) + " 0 Привет 😀");
    EXPECT_EQ(a.log.WaitFor("ack "), "ack " + Id(aSeesB) + " 1001");
    b.SendText(bSeesA, "Ответ", 2002);
    EXPECT_EQ(b.log.WaitFor("ack "), "ack " + Id(bSeesA) + " 2002");
    EXPECT_EQ(Report(), "MESSAGE 100200 ch2") << Log();
    EXPECT_EQ(Report(), "MESSAGE 100300 ch2") << Log();
    a.Command(Protocols::AccountCommand::SendTyping, LiveRuvAccount::Arg(aSeesB), LiveRuvAccount::Arg(true));
    EXPECT_EQ(b.log.WaitFor("typing "), "typing " + Id(bSeesA));
    a.Command(Protocols::AccountCommand::AddGroup, LiveRuvAccount::Arg(std::string("Work")));
    EXPECT_EQ(Report(), "EDIT 100200 08 Work 0") << Log();
    b.SetStatus(Protocols::Offline);
    a.SetStatus(Protocols::Offline);
    EXPECT_EQ(Report(), "DONE") << Log();
    loginRelay.Stop();
    sessionRelay.Stop();

    const std::string file = log.PathOf("session.pcap");
    ASSERT_TRUE(capture.Save(file));
    const Frames sent = FramesIn(capture.Segments());
    ASSERT_GT(sent.snacs.size(), 30u);

    Frames read;
    std::vector<unsigned int> families, subtypes;
    for (const std::string& line : Dissect(file, {"-T", "fields", "-e", "aim.channel", "-e", "aim.fnac.family", "-e",
                                                  "aim.fnac.subtype"})) {
        std::stringstream fields(line);
        std::string channel, family, subtype;
        std::getline(fields, channel, '\t');
        std::getline(fields, family, '\t');
        std::getline(fields, subtype, '\t');
        Collect(channel, read.channels);
        Collect(family, families);
        Collect(subtype, subtypes);
    }
    ASSERT_EQ(families.size(), subtypes.size());
    for (size_t i = 0; i < families.size(); ++i)
        read.snacs.emplace_back(families[i], subtypes[i]);
    EXPECT_EQ(read.channels, sent.channels) << ReadText(log.PathOf("tshark.log"));
    std::vector<std::pair<unsigned int, unsigned int>> named;
    for (const auto& snac : sent.snacs)
        if (std::find(std::begin(kUnnamedByTheDissector), std::end(kUnnamedByTheDissector), snac) ==
            std::end(kUnnamedByTheDissector))
            named.push_back(snac);
    EXPECT_EQ(read.snacs, named);

    // Every malformed mark or expert error, with the SNAC it fell in.
    std::vector<std::string> faults;
    std::string snac = "(before any SNAC)";
    size_t borne = 0;
    for (const std::string& line : Dissect(file, {"-V"})) {
        if (line.find("FNAC: Family:") != std::string::npos)
            snac = line;
        const bool fault = line.find("[Malformed Packet") != std::string::npos ||
                           line.find("Expert Info (Error") != std::string::npos;
        if (fault && snac.find(kMisreadByTheDissector) != std::string::npos && line.find("Malformed") != std::string::npos)
            borne += line.find("[Malformed Packet: AIM]") != std::string::npos;
        else if (fault)
            faults.push_back(snac + ": " + line);
    }
    EXPECT_EQ(faults, std::vector<std::string>{});
    EXPECT_LE(borne, static_cast<size_t>(std::count(sent.snacs.begin(), sent.snacs.end(), std::make_pair(4u, 0x0Bu))));
}

}  // namespace
