// The details model and the meta service over a recording sink, a fake
// contact list and a recording details store: which series a reply belongs
// to, what it stores and where, the events that end a series, the
// searches and their results, and the stored messages.

#include "RuvDetails.h"
#include "RuvFakeListModel.h"
#include "RuvMetaFrames.h"
#include "RuvMetaService.h"
#include "RuvTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace RuvTest::MetaFrames;
using RuvTest::Bytes;
using RuvTest::Hex;

class RecordingStore final : public RuvDetailStore {
public:
    void StoreContact(unsigned int contact, const char16_t* key, const RuvDetailValue& value) override {
        lines.push_back("c" + std::to_string(contact) + " " + Line(key, value));
    }
    bool OwnAvailable() override { return ownAvailable; }
    void StoreOwn(const char16_t* key, const RuvDetailValue& value) override {
        lines.push_back("own " + Line(key, value));
    }
    static std::string Line(const char16_t* key, const RuvDetailValue& value) {
        std::string text = CYolString(key).ToUtf8() + "=";
        if (const auto* s = std::get_if<CYolString>(&value))
            return text + "'" + s->ToUtf8() + "'";
        if (const auto* w = std::get_if<uint16_t>(&value))
            return text + "w" + std::to_string(*w);
        return text + "b" + std::to_string(std::get<uint8_t>(value));
    }
    std::vector<std::string> Take() { return std::exchange(lines, {}); }

    std::vector<std::string> lines;
    bool ownAvailable = true;
};

class DetailsTest : public ::testing::Test {
protected:
    DetailsTest() {
        listed = model.PutContact(model.PutGroup("Friends"), "100300", "100300");
        stranger = model.PutContact(0, "100400", "100400");
        model.items[stranger].temporary = true;
    }
    void Receive(const std::string& frame) {
        details.OnMetaInfoReply(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    }
    void ReceiveMeta(const std::string& frame, bool error = false) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
        error ? meta.OnError(bytes, frame.size()) : meta.OnReply(bytes, frame.size());
    }
    // The meta sequence of the last request sent.
    uint16_t LastSequence() {
        const std::string& frame = sink.frames.back();
        return static_cast<uint16_t>(static_cast<uint8_t>(frame[28]) | static_cast<uint8_t>(frame[29]) << 8);
    }
    std::vector<std::string> Take() { return std::exchange(events, {}); }

    RuvTest::RecordingPacketSink sink;
    RuvTest::FakeListModel model;
    RecordingStore store;
    std::vector<std::string> events;
    bool online = true;
    CYolString login{u"100200"};
    unsigned int listed = 0;
    unsigned int stranger = 0;
    RuvDetails details{sink, model, store,
                       {[this] { return online; }, [this] { return login; },
                        [this](unsigned int c, const CYolString& nick) {
                            events.push_back("rename " + std::to_string(c) + " " + nick.ToUtf8());
                        },
                        [this](unsigned int c) { events.push_back("contact ready " + std::to_string(c)); },
                        [this] { events.push_back("own ready"); }}};
    std::vector<Protocols::UserInfo> found;
    int searchEnds = 0;
    RuvMetaService meta{sink, model, details,
                        {[this] { return login; },
                         [this](const CYolString& sender, unsigned int kind, int image, const CYolString& text) {
                             events.push_back("deliver " + sender.ToUtf8() + " " + std::to_string(kind) + " " +
                                              std::to_string(image) + " " + text.ToUtf8());
                         },
                         [this](const Protocols::UserInfo* user) {
                             if (user)
                                 found.push_back(*user);
                             else
                                 ++searchEnds;
                         },
                         [](int id) { return id == 35 ? CYolString(u"Offline message") : CYolString(); },
                         [](int index) { return 9000u + static_cast<unsigned int>(index); }}};
};

std::string BasicFields(const std::string& nickHex) {
    std::string texts = Text(nickHex);
    for (int i = 0; i < 10; ++i)
        texts += Text("");
    return texts + Bytes("0700 00 01 00 00 00");
}

TEST_F(DetailsTest, RequestsGoOutOnlineAndOpenOneSeriesEach) {
    ASSERT_TRUE(details.RequestContactInfo(listed));
    EXPECT_EQ(Hex(sink.frames.back()).substr(52), "d007" "5500" "d004" "cc870100");
    ASSERT_TRUE(details.RequestContactInfo(listed));
    EXPECT_NE(LastSequence(), 0x55);
    ASSERT_TRUE(details.RequestOwnInfo());
    EXPECT_EQ(Hex(sink.frames.back()).substr(64), "68870100");
    EXPECT_EQ(details.PendingInfoRequests(), 3u);

    details.Forget();
    EXPECT_EQ(details.PendingInfoRequests(), 0u);
    online = false;
    EXPECT_FALSE(details.RequestContactInfo(listed));
    online = true;
    model.items[listed].key = CYolString(u"someone");
    EXPECT_FALSE(details.RequestContactInfo(listed));
    EXPECT_EQ(sink.frames.size(), 3u);
    EXPECT_EQ(details.PendingInfoRequests(), 0u);
}

TEST_F(DetailsTest, ASeriesStoresEachReplyAndEndsWithTheEvent) {
    details.RequestContactInfo(stranger);
    const uint16_t sequence = LastSequence();
    const std::string more = Le16(33) + "\x02" + Text("") + Le16(1990) + std::string("\x05\x1f\x00\x00\x00", 5) +
                             "zz" + Text("") + Text("") + Le16(0) + std::string(1, '\0') + "zzzz" + Text("") +
                             "zzzzzzzz" + Text("");
    Receive(Info(0x00DC, 0x0A, more, 1, sequence));
    const std::vector<std::string> stored = store.Take();
    ASSERT_EQ(stored.size(), 15u);
    EXPECT_EQ(stored[0], "c3 Ruv: age=w33");
    EXPECT_EQ(stored[4], "c3 Ruv: birth month=b5");
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(details.PendingInfoRequests(), 1u);

    // The last reply of a series may carry no fields at all.
    Receive(Info(0x00FA, 0x0A, "", 0, sequence));
    EXPECT_TRUE(store.Take().empty());
    EXPECT_EQ(Take(), (std::vector<std::string>{"contact ready 3"}));
    EXPECT_EQ(details.PendingInfoRequests(), 0u);

    // Nothing is open any more: a late reply changes nothing.
    Receive(Info(0x00E6, 0x0A, Text("6869"), 0, sequence));
    EXPECT_TRUE(store.Take().empty());
    EXPECT_TRUE(Take().empty());
}

TEST_F(DetailsTest, TheNickNamesAContactShownUnderItsLogin) {
    const unsigned int named = model.PutContact(model.items[listed].parent, "100500", "Carol");
    const struct {
        unsigned int contact;
        const char* nick;
        std::vector<std::string> events;
        const char* alias;
    } cases[] = {
        {listed, "426f62", {"rename 2 Bob", "contact ready 2"}, "100300"},
        {stranger, "426f62", {"contact ready 3"}, "Bob"},
        {named, "426f62", {"contact ready 4"}, "Carol"},
        {listed, "", {"contact ready 2"}, "100300"},
    };
    for (const auto& c : cases) {
        details.RequestContactInfo(c.contact);
        Receive(Info(0x00C8, 0x0A, BasicFields(c.nick), 0, LastSequence()));
        EXPECT_EQ(Take(), c.events) << c.contact;
        EXPECT_EQ(model.items[c.contact].alias.ToUtf8(), c.alias);
        EXPECT_EQ(store.Take().size(), 17u);
    }
}

TEST_F(DetailsTest, OwnDetailsGoToTheAccountAndACopyOfTheOwnNumberToBoth) {
    details.RequestOwnInfo();
    Receive(Info(0x00E6, 0x0A, Text("6869"), 0, LastSequence()));
    EXPECT_EQ(store.Take(), (std::vector<std::string>{"own Ruv: about='hi'"}));
    EXPECT_EQ(Take(), (std::vector<std::string>{"own ready"}));

    const unsigned int self = model.PutContact(0, "100200", "me");
    details.RequestContactInfo(self);
    Receive(Info(0x00E6, 0x0A, Text("6869"), 0, LastSequence()));
    EXPECT_EQ(store.Take(), (std::vector<std::string>{"c4 Ruv: about='hi'", "own Ruv: about='hi'"}));
    EXPECT_EQ(Take(), (std::vector<std::string>{"contact ready 4", "own ready"}));

    // Without the account's settings only the contact side is served.
    store.ownAvailable = false;
    details.RequestOwnInfo();
    Receive(Info(0x00E6, 0x0A, Text("6869"), 0, LastSequence()));
    EXPECT_TRUE(store.Take().empty());
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(details.PendingInfoRequests(), 0u);
}

TEST_F(DetailsTest, AFailedReplyKeepsWhatIsStoredButEndsTheSeries) {
    details.RequestContactInfo(listed);
    Receive(Info(0x00E6, 0x14, "", 0, LastSequence()));
    EXPECT_TRUE(store.Take().empty());
    EXPECT_EQ(Take(), (std::vector<std::string>{"contact ready 2"}));
    EXPECT_EQ(details.PendingInfoRequests(), 0u);
    // A reply that does not read leaves the series open.
    details.RequestContactInfo(listed);
    Receive(Info(0x00E6, 0x0A, Bytes("0900") + "ab", 0, LastSequence()));
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(details.PendingInfoRequests(), 1u);
}

CTLVCol Changes(std::initializer_list<std::pair<uint16_t, std::string>> tlvs) {
    CTLVCol out;
    for (const auto& [type, hex] : tlvs) {
        const std::string value = Bytes(hex);
        out.Add(CTLV(type, static_cast<unsigned short>(value.size()),
                     reinterpret_cast<const unsigned char*>(value.data())));
    }
    return out;
}

TEST_F(DetailsTest, SavedOwnDetailsKeepTheBirthdayAndGoOutOnlyOnline) {
    ASSERT_TRUE(details.SaveOwnInfo(Changes({{0x0154, "0300426f00"}, {0x023A, "c6070c001f00"}})));
    EXPECT_EQ(store.Take(), (std::vector<std::string>{"own Ruv: birth year=w1990", "own Ruv: birth month=b12",
                                                      "own Ruv: birth day=b31"}));
    EXPECT_EQ(Hex(sink.frames.back()).substr(60), "3a0c" "5401" "0500" "0300426f00" "3a02" "0600" "c6070c001f00");

    online = false;
    sink.frames.clear();
    EXPECT_FALSE(details.SaveOwnInfo(Changes({{0x023A, "000000000000"}})));
    EXPECT_EQ(store.Take().size(), 3u);
    EXPECT_TRUE(sink.frames.empty());
    online = true;
    EXPECT_FALSE(details.SaveOwnInfo(CTLVCol()));
    EXPECT_TRUE(sink.frames.empty());
}

// --- searches ----------------------------------------------------------------

TEST_F(DetailsTest, EachPageSearchesItsWayOrEndsAtOnce) {
    TSearchRequest& request = meta.SearchRequest();
    request.number = kOther;
    request.email = CYolString(u"a@b.c");
    const struct {
        int page;
        const char* subtype;  // "" when nothing goes out
    } cases[] = {{0, "6905"}, {1, "7305"}, {2, "5f05"}, {3, "5f05"}, {7, "5f05"}, {0, "6905"}, {-1, "6905"}};
    for (const auto& c : cases) {
        meta.StartSearch(c.page);
        ASSERT_EQ(sink.frames.size(), 1u) << c.page;
        EXPECT_EQ(Hex(sink.Take()[0]).substr(60, 4), c.subtype) << c.page;
    }
    EXPECT_EQ(searchEnds, 0);

    request.number = 0;
    meta.StartSearch(0);
    request.email = CYolString();
    meta.StartSearch(1);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(searchEnds, 2);
    // A search that cannot go out ends as well.
    sink.connected = false;
    meta.StartSearch(2);
    EXPECT_EQ(searchEnds, 3);
}

std::string Hit(uint16_t subtype, uint32_t number, uint16_t status) {
    const std::string user = "\x0a" + Le16(0) + Le32(number) + Text("426f62") + Text("") + Text("") + Text("") +
                             "\x01" + Le16(status) + "\x02" + Le16(30);
    return Reply(RuvMeta::kInfoReply, Le16(subtype) + user);
}

TEST_F(DetailsTest, HitsBecomeResultsOnTemporaryContactsUntilTheLast) {
    ReceiveMeta(Hit(0x01A4, 100700, 1));
    ReceiveMeta(Hit(0x01A4, 100800, 7));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].login.ToUtf8(), "100700");
    EXPECT_EQ(found[0].nick.ToUtf8(), "Bob");
    EXPECT_EQ(found[0].age, 30);
    EXPECT_EQ(found[0].imageIds[0], 9003u);
    EXPECT_EQ(found[1].imageIds[0], 9018u);
    EXPECT_TRUE(model.IsTemporary(found[0].contactId));
    EXPECT_EQ(model.items[found[0].contactId].alias.ToUtf8(), "Bob");
    EXPECT_EQ(searchEnds, 0);

    ReceiveMeta(Hit(0x01AE, 100900, 0));
    EXPECT_EQ(found.size(), 3u);
    EXPECT_EQ(found[2].imageIds[0], 9000u);
    EXPECT_EQ(searchEnds, 1);

    // A result without a user adds none; the last one still ends the search.
    ReceiveMeta(Reply(RuvMeta::kInfoReply, Le16(0x01A4) + "\x32"));
    ReceiveMeta(Reply(RuvMeta::kInfoReply, Le16(0x01AE) + "\x32"));
    EXPECT_EQ(found.size(), 3u);
    EXPECT_EQ(searchEnds, 2);

    // The service's error 2 ends a search; another code only when it
    // answers the search under way.
    ReceiveMeta(RuvTest::Snac(0x15, 0x01, Bytes("0002")), true);
    ReceiveMeta(RuvTest::Snac(0x15, 0x01, Bytes("0004"), 0, 0x55), true);
    EXPECT_EQ(searchEnds, 3);
    meta.StartSearch(2);
    ReceiveMeta(RuvTest::Snac(0x15, 0x01, Bytes("0004"), 0, 0x56), true);
    EXPECT_EQ(searchEnds, 3);
    ReceiveMeta(RuvTest::Snac(0x15, 0x01, Bytes("0004"), 0, 0x55), true);
    EXPECT_EQ(searchEnds, 4);

    // A search cut off by the end of the connection ends once.
    meta.StartSearch(2);
    meta.ConnectionEnded();
    meta.ConnectionEnded();
    EXPECT_EQ(searchEnds, 5);
}

TEST_F(DetailsTest, StoredMessagesAreDeliveredThenDeleted) {
    const std::string message = Le32(kOther) + Le16(2024) + std::string("\x02\x1d\x17\x3b\x01\x00", 6) + Le16(3) +
                                Bytes("6869 00");
    ReceiveMeta(Reply(RuvMeta::kStoredMessage, message));
    const std::vector<std::string> delivered = Take();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].rfind("deliver 100300 1 -1 Offline message (", 0), 0u);
    EXPECT_EQ(delivered[0].substr(delivered[0].size() - 5), ")\r\nhi");
    // An empty message is not shown.
    ReceiveMeta(Reply(RuvMeta::kStoredMessage, Le32(kOther) + std::string(8, '\0') + Le16(1) + std::string(1, '\0')));
    EXPECT_TRUE(Take().empty());

    ReceiveMeta(Reply(RuvMeta::kStoredMessagesEnd, ""));
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(Hex(sink.frames[0]).substr(40), "0800" "68870100" "3e00" "5500");
}

}  // namespace
