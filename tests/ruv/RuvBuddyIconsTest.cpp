// Buddy icons: the picture kinds told by their first bytes and the file
// names they give, the icon files, and the icon service's connection over a
// recording sockets service: its address, its sign-on and numbering, its
// queue of requests and the replies it reads.

#include "CRuvAvatarConnection.h"
#include "RuvBuddyIcons.h"
#include "RuvIconFiles.h"
#include "RuvIconPackets.h"
#include "RecordingSockets.h"
#include "RuvTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>


namespace {

using RuvTest::Bytes;
using RuvTest::Flap;
using RuvTest::Hex;
using RuvTest::Snac;

// An icon reply as the service sends it: the name, icon id and flags, the
// hash asked for with its four trailing bytes, the hash and the icon.
std::string IconReply(const std::string& name, const std::string& hash, const std::string& icon,
                      int declaredLength = -1) {
    OscarWriter out;
    out.ByteString(name).U16(1).U8(1).ByteString(hash).U32(0).ByteString(hash);
    out.U16(static_cast<uint16_t>(declaredLength < 0 ? icon.size() : static_cast<size_t>(declaredLength)));
    out.Bytes(icon);
    return Snac(0x10, 0x07, out.Data());
}

const std::string kPng = Bytes("89504e470d0a1a0a 0000000d49484452");

TEST(RuvIconFiles, TheFirstBytesChooseTheExtensionOfTheHashName) {
    const struct {
        const char* data;
        const char* hash;
        const char* name;
    } cases[] = {
        {"89504e470d0a1a0a", "01ab", "01ab.png"},
        {"4749463839610100", "01ab", "01ab.gif"},
        {"ffd8ffe000104a46", "00ff10", "00ff10.jpg"},
        {"ffd8ffe1", "00ff10", "00ff10.jpg"},
        // Start of image without an APP0 or APP1 marker: not taken as JPEG.
        {"ffd8ffdb0043", "01ab", "01ab.hex"},
        {"424d3600", "01ab", "01ab.bmp"},
        {"00010203", "01ab", "01ab.hex"},
        {"ffd8ff", "01ab", "01ab.hex"},
        {"", "01ab", "01ab.hex"},
        // No hash, or one too long to name a file by, names nothing.
        {"89504e47", "", ""},
        {"89504e47", "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        EXPECT_EQ(RuvIconStore::FileName(Bytes(c.hash), SniffIconType(Bytes(c.data))).ToUtf8(), c.name);
    }
    // The longest hash that names a file.
    EXPECT_EQ(RuvIconStore::FileName(std::string(32, '\xAB'), RuvIconType::Png).Length(), 68);
}

class IconFiles : public TempFolderTest {};

TEST_F(IconFiles, AnIconIsKeptWholeUnderItsHashAndFoundWhateverItsKind) {
    RuvIconStore store(U(PathOf("icons")));
    const std::string hash = Bytes("01ab");
    EXPECT_TRUE(store.Find(hash).IsEmpty());
    const CYolString path = store.Save(hash, kPng);
    EXPECT_EQ(path.ToUtf8(), PathOf("icons/01ab.png"));
    EXPECT_EQ(ReadText(path.ToUtf8()), kPng);
    EXPECT_EQ(store.Find(hash), path);
    // A picture of an unknown kind is found by the same hash rule.
    store.Save(Bytes("02"), "plain");
    EXPECT_EQ(store.Find(Bytes("02")).ToUtf8(), PathOf("icons/02.hex"));
    // No hash: nothing is written.
    EXPECT_TRUE(store.Save("", kPng).IsEmpty());
    EXPECT_EQ(Entries(), std::vector<std::string>{"icons"});
}

TEST(RuvIconFiles, WithoutAFolderTheFilesGoToTheProgramFolderNeverTheRoot) {
    const RuvIconStore store{CYolString()};
    EXPECT_NE(store.Folder().ToUtf8(), "/");
    EXPECT_EQ(store.Folder(), RuvIconStore::DefaultFolder());
    EXPECT_EQ(store.Folder().ToUtf8().rfind("/BuddyIcons/"), store.Folder().Length() - 12);
}

TEST(RuvIconPackets, TheRedirectNamesTheIconServiceUnlessItSaysAnotherFamily) {
    const std::string address = "0005000e" + Hex("127.0.0.1:5191");
    const std::string cookie = "00060003aabbcc";
    CServiceRedirectParser plain;
    const std::string frame = Snac(1, 5, Bytes(address + cookie));
    ASSERT_NE(plain.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()), 0u);
    EXPECT_EQ(plain.address, "127.0.0.1:5191");
    EXPECT_EQ(Hex(plain.cookie), "aabbcc");
    EXPECT_TRUE(plain.ForIcons());
    CServiceRedirectParser other;
    const std::string mail = Snac(1, 5, Bytes("000d00020018" + address + cookie));
    ASSERT_NE(other.Unpack(reinterpret_cast<const uint8_t*>(mail.data()), mail.size()), 0u);
    EXPECT_FALSE(other.ForIcons());
    CServiceRedirectParser noCookie;
    const std::string half = Snac(1, 5, Bytes(address));
    EXPECT_EQ(noCookie.Unpack(reinterpret_cast<const uint8_t*>(half.data()), half.size()), 0u);
}

TEST(RuvIconPackets, AnIconReplyIsReadOnlyWhenTheIconLiesInsideIt) {
    const std::string hash = Bytes("00112233445566778899aabbccddeeff");
    const struct {
        const char* what;
        std::string frame;
        bool parses;
    } cases[] = {
        {"whole", IconReply("100300", hash, kPng), true},
        {"icon past the frame", IconReply("100300", hash, kPng, static_cast<int>(kPng.size()) + 1), false},
        {"cut in the hash", IconReply("100300", hash, kPng).substr(0, 16 + 7 + 10), false},
        {"no name", IconReply("", hash, kPng), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CSnacIconReply reply;
        const bool parsed = reply.Unpack(reinterpret_cast<const uint8_t*>(c.frame.data()), c.frame.size()) != 0;
        EXPECT_EQ(parsed, c.parses);
        if (parsed) {
            EXPECT_EQ(reply.screenName.ToUtf8(), "100300");
            EXPECT_EQ(reply.hash, hash);
            EXPECT_EQ(reply.icon, kPng);
        }
    }
}

class RecordingIconOwner final : public MRuvIconLinkOwner {
public:
    void IconLinkReady(bool ready) override { log.push_back(ready ? "ready" : "gone"); }
    void IconReceived(const CYolString& name, std::string_view hash, std::string_view icon) override {
        log.push_back("icon " + name.ToUtf8() + " " + Hex(hash) + " " + std::to_string(icon.size()));
    }
    std::vector<std::string> log;
};

class IconLink : public ::testing::Test {
protected:
    IconLink() { link.SetCookie(Bytes("c0ffee")); }

    // The frames sent since the last call, each as "channel sequence
    // payload" in hex (SNACs: "family/subtype payload").
    std::vector<std::string> Sent() {
        std::string bytes = sockets.TakeSent();
        std::vector<std::string> frames;
        while (bytes.size() >= 6) {
            const size_t length = static_cast<uint8_t>(bytes[4]) << 8 | static_cast<uint8_t>(bytes[5]);
            const std::string frame = bytes.substr(0, 6 + length);
            bytes.erase(0, 6 + length);
            const unsigned sequence = static_cast<uint8_t>(frame[2]) << 8 | static_cast<uint8_t>(frame[3]);
            std::string text = std::to_string(frame[1]) + " " + std::to_string(sequence) + " ";
            text += frame[1] == 2 ? Hex(frame.substr(7, 1)) + "/" + Hex(frame.substr(9, 1)) + " " + Hex(frame.substr(16))
                                  : Hex(frame.substr(6));
            frames.push_back(text);
        }
        return frames;
    }
    // Signs the link on up to its ready state.
    void SignOn() {
        ASSERT_EQ(link.Connect(), 0);
        link.OnFrame(RuvTest::Hello());
        link.OnFrame(Snac(1, 3, Bytes("00010010")));
        link.OnFrame(Snac(1, 0x18, Bytes("0001000300100001")));
        link.OnFrame(Snac(1, 7, Bytes("0000")));
    }

    YolTest::RecordingSockets sockets;
    RecordingIconOwner owner;
    CRuvAvatarConnection link{owner, [this] { return &sockets; }, 77};
};

TEST_F(IconLink, TheAddressGivesHostAndPortWith5190WhenItNamesNone) {
    const struct {
        const char* address;
        const char* host;
        unsigned int port;
    } cases[] = {
        {"icons.example.net", "icons.example.net", 5190},
        {"10.0.0.1:5191", "10.0.0.1", 5191},
        {"10.0.0.1:", "10.0.0.1", 0},
        {"10.0.0.1:70000", "10.0.0.1", 0},
        {"10.0.0.1:51x", "10.0.0.1", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        link.SetAddress(c.address);
        EXPECT_EQ(link.Host().ToUtf8(), c.host);
        EXPECT_EQ(link.Port(), c.port);
        if (c.port == 0) {
            EXPECT_NE(link.Connect(), 0);
        }
    }
    link.SetAddress("10.0.0.1:5191");
    ASSERT_EQ(link.Connect(), 0);
    ASSERT_FALSE(sockets.connects.empty());
    EXPECT_EQ(sockets.connects.back().settings.host.ToUtf8(), "10.0.0.1");
    EXPECT_EQ(sockets.connects.back().settings.port, 5191u);
    EXPECT_EQ(sockets.live.at(sockets.connects.back().socket), 77u);
}

TEST_F(IconLink, SignsOnWithTheCookieFrom256AndSendsTheRequestQueuedBeforeItWasReady) {
    link.SetAddress("127.0.0.1:5191");
    link.AddRequest(Bytes("01ab"), U("100300"));
    SignOn();
    EXPECT_TRUE(link.Ready());
    EXPECT_EQ(owner.log, std::vector<std::string>{"ready"});
    EXPECT_EQ(Sent(), (std::vector<std::string>{
                          "1 256 00000001" "00060003c0ffee",
                          "2 257 01/17 00010003" "00100001",
                          "2 258 01/06 ",
                          "2 259 01/08 0001000200030004" "0005",
                          "2 260 01/02 000100030010066a" "001000010010066a",
                          "2 261 10/06 06313030333030" "01000101" "0201ab",
                      }));
    EXPECT_EQ(link.Queued(), 0u);
}

TEST_F(IconLink, EachReplyLetsTheNextQueuedRequestGoAndHandsTheIconOn) {
    link.SetAddress("127.0.0.1:5191");
    link.AddRequest(Bytes("01"), U("100300"));
    link.AddRequest(Bytes("02"), U("100400"));
    link.AddRequest(Bytes("02"), U("100400"));
    SignOn();
    Sent();
    EXPECT_EQ(link.Queued(), 1u);
    link.OnFrame(IconReply("100300", Bytes("01"), kPng));
    link.OnFrame(IconReply("100400", Bytes("02"), kPng, 100));
    EXPECT_EQ(owner.log, (std::vector<std::string>{"ready", "icon 100300 01 16"}));
    const std::vector<std::string> sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "2 262 10/06 06313030343030" "01000101" "0102");
}

TEST_F(IconLink, NumbersStayBelow7FFFAndTheKeepAliveGoesOnlyWhileReady) {
    const struct {
        uint16_t current;
        uint16_t next;
    } cases[] = {{255, 256}, {0x7FFD, 0x7FFE}, {0x7FFE, 0}, {0x7FFF, 0}, {0xFFFF, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CRuvAvatarConnection::FollowingSequence(c.current), c.next) << c.current;

    link.SetAddress("127.0.0.1:5191");
    EXPECT_FALSE(link.SendKeepAlive());
    SignOn();
    Sent();
    link.SetSequence(0x7FFD);
    EXPECT_TRUE(link.SendKeepAlive());
    EXPECT_TRUE(link.SendKeepAlive());
    EXPECT_EQ(Sent(), (std::vector<std::string>{"5 32766 ", "5 0 "}));
    link.Close();
    EXPECT_FALSE(link.SendKeepAlive());
    EXPECT_EQ(owner.log, (std::vector<std::string>{"ready", "gone"}));
}

TEST_F(IconLink, TwoFramesOfOneReadAreBothHandledAndACloseEndsReadiness) {
    link.SetAddress("127.0.0.1:5191");
    ASSERT_EQ(link.Connect(), 0);
    Sockets::CYolSocket* socket = sockets.connects.back().socket;
    EXPECT_FALSE(link.OnSocketData(reinterpret_cast<Sockets::CYolSocket*>(0x42), 1));
    const std::string both = RuvTest::Hello() + Snac(1, 3, Bytes("00010010"));
    // The second frame arrives split across two reads.
    sockets.Queue(both.substr(0, both.size() - 3));
    sockets.Queue(both.substr(both.size() - 3));
    EXPECT_TRUE(link.OnSocketData(socket, static_cast<int>(both.size())));
    EXPECT_EQ(Sent().size(), 2u);
    link.OnFrame(Snac(1, 7, Bytes("0000")));
    ASSERT_TRUE(link.Ready());
    EXPECT_TRUE(link.OnSocketClosed(socket));
    EXPECT_FALSE(link.Ready());
    // Requests wait for the next connection.
    link.AddRequest(Bytes("03"), U("100500"));
    EXPECT_EQ(link.Queued(), 1u);
}

class BuddyIcons : public TempFolderTest {
protected:
    RuvBuddyIcons::Ports Ports() {
        return {[this] { return &sockets; }, [] { return 5u; },
                [this](bool start) { log.push_back(start ? "timer on" : "timer off"); },
                [this](const CYolString& name, std::string_view hash, const CYolString& path) {
                    log.push_back("stored " + name.ToUtf8() + " " + Hex(hash) + " " + path.ToUtf8());
                },
                [this] { return U(folder); }, {}};
    }
    std::string Redirect(const std::string& address) {
        return Snac(1, 5, Bytes("0005" + Hex(std::string{0, static_cast<char>(address.size())}) +
                                Hex(address) + "00060002abcd"));
    }

    YolTest::RecordingSockets sockets;
    std::vector<std::string> log;
    RuvBuddyIcons icons{Ports()};
};

TEST_F(BuddyIcons, AKeptFileIsShownAtOnceAndOthersAreAskedForOnceTheServiceIsNamed) {
    Put("0a0b.gif", "GIF89a");
    EXPECT_EQ(icons.Lookup(U("100300"), Bytes("0a0b")).ToUtf8(), PathOf("0a0b.gif"));
    EXPECT_TRUE(icons.Lookup(U("100400"), Bytes("01ab")).IsEmpty());
    EXPECT_EQ(icons.Waiting(), 1u);
    // Frames that are no redirect change nothing.
    icons.OnFrame(Snac(1, 3, Bytes("0001")));
    EXPECT_EQ(icons.Link(), nullptr);
    icons.OnFrame(Redirect("127.0.0.1:5191"));
    ASSERT_NE(icons.Link(), nullptr);
    EXPECT_EQ(icons.Waiting(), 0u);
    EXPECT_EQ(icons.Link()->Queued(), 1u);
    ASSERT_EQ(sockets.connects.size(), 1u);
    EXPECT_EQ(sockets.connects[0].settings.port, 5191u);
    EXPECT_EQ(sockets.live.at(sockets.connects[0].socket), 5u);
}

TEST_F(BuddyIcons, AnArrivedIconIsWrittenAndTheTimerFollowsTheLink) {
    icons.Lookup(U("100400"), Bytes("01ab"));
    icons.OnFrame(Redirect("127.0.0.1:5191"));
    Sockets::CYolSocket* socket = sockets.connects.at(0).socket;
    for (const std::string& frame :
         {RuvTest::Hello(), Snac(1, 3, Bytes("0001")), Snac(1, 7, Bytes("0000")),
          IconReply("100400", Bytes("01ab"), kPng)}) {
        sockets.Queue(frame);
        icons.OnSocketData(socket, static_cast<int>(frame.size()));
    }
    EXPECT_EQ(ReadText(PathOf("01ab.png")), kPng);
    EXPECT_EQ(icons.KeepAlive(), 60000u);
    // A second redirect replaces the link: the old one's timer stops first.
    icons.OnFrame(Redirect("127.0.0.1:5192"));
    EXPECT_EQ(icons.KeepAlive(), 0u);
    icons.Ended();
    EXPECT_EQ(icons.Link(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"timer on", "stored 100400 01ab " + PathOf("01ab.png"), "timer off"}));
}

}  // namespace
