#pragma once
// What the file-transfer suites share: the transfers of one account wired
// to a recording sink, contact list, ports and sockets, with the account's
// responder table in front, and a folder for the files.

#include "CWorkQueue.h"
#include "RecordingStanzaSink.h"
#include "TestSupport.h"
#include "XmppFeatureSupport.h"
#include "XmppFileTransfer.h"
#include "XmppIqResponders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace XmppTransferTest {

using XmppFeatureTest::Stanza;
using XmppFeatureTest::U;
using Lines = std::vector<std::string>;

// Every report as "state name done/total", then " first" for an activating
// one and " out" for an outgoing one.
class RecordingPorts final : public XmppTransferPorts {
public:
    void ReportProgress(const Protocols::FTProgress& p) override {
        std::string name = p.fileName.ToUtf8();
        name = name.substr(name.rfind('/') + 1);
        reports.push_back(std::to_string(p.state) + " " + name + " " + std::to_string(p.doneSize) + "/" +
                          std::to_string(p.totalSize) + (p.activate ? " first" : "") + (p.outgoing ? " out" : ""));
    }
    CYolString BoundJid() override { return U("me@example.org/Yol"); }
    CYolString BytestreamProxy() override { return U(proxy); }

    Lines TakeReports() { return std::exchange(reports, {}); }
    Lines reports;
    std::string proxy;
};

class RecordingSockets final : public XmppBytestreamSockets {
public:
    int Connect(const CYolString& host, uint32_t port) override {
        log.push_back("connect " + host.ToUtf8() + ":" + std::to_string(port));
        return refuse ? 0 : ++last;
    }
    bool Send(int socket, const std::string& bytes) override {
        sent[socket] += bytes;
        return true;
    }
    void Close(int socket) override { log.push_back("close " + std::to_string(socket)); }

    Lines TakeLog() { return std::exchange(log, {}); }
    std::string TakeSent(int socket) { return std::exchange(sent[socket], {}); }
    Lines log;
    std::map<int, std::string> sent;
    int last = 0;
    bool refuse = false;
};

class NoRosterPush final : public XmppIqResponder {
public:
    void OnRequest(const XmlNode&, IqRequest&) override {}
};

struct TransferFixture : ::testing::Test, TempFolder {
    TransferFixture() {
        bob = list.HoldContact(0, "bob@example.org");
        ContactRecord* entry = contacts.FindOrAddContact(ContactKindRoster, U("bob@example.org"));
        entry->contactId = bob;
        responders.RegisterIn(registry);
    }

    // A request from a peer, through the account's responder table.
    void Receive(const std::string& text) { registry.Offer(Stanza(text), IqType::Set); }
    void Answer(int number, const std::string& text) { ASSERT_TRUE(sink.Answer(number, Stanza(text))); }

    XmppTest::RecordingStanzaSink sink;
    CJabberContactMap contacts;
    XmppFeatureTest::RecordingContactList list;
    RecordingPorts ports;
    RecordingSockets sockets;
    XmppFileTransfer transfers{sink, contacts, list, ports, sockets};
    NoRosterPush rosterPush;
    XmppResponderSet responders{sink, rosterPush, transfers};
    CWorkQueue registry{[](const CYolString&) { return 0u; }};
    unsigned int bob = 0;
};

// A fixture made afresh inside a test, for a table of cases that each need
// a clean start.
template <typename Fixture>
struct Fresh final : Fixture {
    void TestBody() override {}
};

// Runs each case on a fixture of its own: each must end its transfer with a
// failure report and leave neither the file `name` nor a session behind.
template <typename Fixture>
void ExpectEachFailsLeavingNothing(
    const std::vector<std::pair<const char*, std::function<void(Fixture&)>>>& cases, const std::string& name) {
    for (const auto& [what, run] : cases) {
        Fresh<Fixture> fresh;
        run(fresh);
        const Lines reports = fresh.ports.TakeReports();
        ASSERT_FALSE(reports.empty()) << what;
        EXPECT_EQ(reports.back().substr(0, 2), "4 ") << what;
        EXPECT_FALSE(std::filesystem::exists(fresh.PathOf(name))) << what;
        EXPECT_EQ(fresh.transfers.SessionCount(), 0u) << what;
    }
}

// An offer from bob's phone with the given stream methods.
inline std::string Offer(const std::string& sid, const std::string& name, const std::string& size,
                         const Lines& methods, const std::string& profile =
                                                   " profile='http://jabber.org/protocol/si/profile/file-transfer'") {
    std::string options;
    for (const std::string& method : methods)
        options += "<option><value>" + method + "</value></option>";
    return "<iq type='set' from='bob@example.org/Phone' id='o1'><si xmlns='http://jabber.org/protocol/si' id='" + sid +
           "'" + profile + "><file xmlns='http://jabber.org/protocol/si/profile/file-transfer' name='" + name + "'" +
           (size.empty() ? "" : " size='" + size + "'") +
           "/><feature xmlns='http://jabber.org/protocol/feature-neg'><x xmlns='jabber:x:data' type='form'>"
           "<field var='stream-method' type='list-single'>" + options + "</field></x></feature></si></iq>";
}

inline constexpr const char* kIbb = "http://jabber.org/protocol/ibb";
inline constexpr const char* kSocks5 = "http://jabber.org/protocol/bytestreams";

inline std::string Base64(const std::string& bytes) {
    int length = static_cast<int>(bytes.size());
    char* text = CYolString::Base64Encode(bytes.data(), length);
    std::string out(text, static_cast<size_t>(length));
    std::free(text);
    return out;
}

// `size` bytes that differ from chunk to chunk.
inline std::string Pattern(size_t size) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<char>((i * 7 + i / 2048) & 0xff);
    return out;
}

}  // namespace XmppTransferTest
