// The program as the user starts it: one line and a non-zero exit without
// a display; headless and on an X server, with an XMPP account for the
// Prosody rig, the contact list shows the peer online, a screenshot is
// taken, a second start brings the first forward and ends with 1, and the
// program closes cleanly (exit 0, which the leak checker would spoil).

#include "MissingPeer.h"
#include "ProgramTestSupport.h"
#include "ProsodyFixture.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

namespace {

using namespace ProgramTest;
using namespace XmppPeers;
using YolTest::Installed;
using YolTest::XvfbServer;

TEST(Program, WithoutADisplaySaysSoOnOneLineAndFails) {
    ProgramFolder folder;
    Child yol(folder.PathOf("yol"), {}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"XDG_RUNTIME_DIR", folder.Runtime()}},
              folder.PathOf("yol.log"));
    std::optional<int> code = yol.Wait(30000);
    ASSERT_TRUE(code.has_value());
    EXPECT_NE(*code, 0);
    std::string said = ReadText(folder.PathOf("yol.log"));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("no display"), std::string::npos) << said;
}

class ProgramEmpty : public testing::TestWithParam<bool> {};

// Without accounts, headless and on an X server: a screenshot is taken
// while the dialog the program opens at start is up, a second start ends
// with 1, "close" ends it with 0 with the dialog still open.
TEST_P(ProgramEmpty, StartsShowsItsScreenAndClosesWhenAsked) {
    XvfbServer xvfb;
    ProgramFolder folder;
    std::map<std::string, std::string> env{{"XDG_RUNTIME_DIR", folder.Runtime()}};
    std::vector<std::string> args;
    if (GetParam()) {
        if (!Installed("Xvfb"))
            YOL_SKIP_MISSING_PEER("Xvfb is not installed");
        ASSERT_TRUE(xvfb.Start());
        env["DISPLAY"] = xvfb.DisplayName();
        env["WAYLAND_DISPLAY"] = "";
        env["SDL_VIDEODRIVER"] = "x11";
        // SDL's X11 driver and D-Bus keep memory until exit in modules they
        // unload: the leak checker cannot tell those blocks from ours.
        env["LSAN_OPTIONS"] = "detect_leaks=0";
    } else {
        args = {"--headless"};
    }
    Child yol(folder.PathOf("yol"), args, env, folder.PathOf("yol.log"));
    ASSERT_TRUE(folder.WaitForSocket()) << ReadText(folder.PathOf("yol.log"));
    EXPECT_EQ(folder.Ask("bogus"), std::optional<std::string>("ERR unknown command"));
    const std::string shot = folder.PathOf("screen.png");
    // With no account the program asks its questions in dialogs at start;
    // their loops must not keep the commands from being answered.
    const std::optional<std::string> front = folder.Ask("wait 30000 dialog", 40000);
    ASSERT_TRUE(front.has_value());
    EXPECT_EQ(front->rfind("OK ", 0), 0u) << *front;
    EXPECT_EQ(folder.Ask("screenshot " + shot, 30000), std::optional<std::string>("OK"));
    EXPECT_GT(fs::file_size(shot), 1000u);
    EXPECT_EQ(folder.Ask("dialog"), front);
    Child second(folder.PathOf("yol"), args, env, folder.PathOf("second.log"));
    EXPECT_EQ(second.Wait(60000), std::optional<int>(1)) << ReadText(folder.PathOf("second.log"));
    EXPECT_EQ(folder.Ask("close"), std::optional<std::string>("OK"));
    EXPECT_EQ(yol.Wait(60000), std::optional<int>(0)) << ReadText(folder.PathOf("yol.log"));
    EXPECT_TRUE(fs::exists(folder.PathOf("settings.yol")));
}

INSTANTIATE_TEST_SUITE_P(Screens, ProgramEmpty, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Sdl" : "Headless"; });

constexpr const char* kAlicePassword = "alice-pw";
constexpr const char* kBobPassword = "bob-pw";

class ProgramWithPeer : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!RigAvailable())
            YOL_SKIP_MISSING_PEER("prosody, openssl or /usr/bin/python3 is missing");
        rig = std::make_unique<ProsodyRig>(ProsodyRig::Options{{{"alice", kAlicePassword}, {"bob", kBobPassword}}, {}});
        ASSERT_TRUE(rig->Ready()) << rig->Failure();
        bob = std::make_unique<XmppPeer>(*rig, "bob", kBobPassword);
        ASSERT_TRUE(bob->Ready()) << bob->Log();
        BecomeContacts();
    }

    // alice has bob in her roster, each subscribed to the other; alice's
    // own session for it ends before the program logs her in.
    void BecomeContacts() {
        XmppPeer alice(*rig, "alice", kAlicePassword, false, "setup");
        ASSERT_TRUE(alice.Ready()) << alice.Log();
        const std::string aliceJid = rig->Jid("alice"), bobJid = rig->Jid("bob");
        ASSERT_TRUE(alice.Do({"add", bobJid, "Bob", "Friends"}));
        ASSERT_TRUE(alice.Do({"subscribe", bobJid}));
        ASSERT_TRUE(bob->WaitForKind("SUBSCRIBE", aliceJid));
        ASSERT_TRUE(bob->Do({"subscribed", aliceJid}));
        ASSERT_TRUE(bob->Do({"subscribe", aliceJid}));
        ASSERT_TRUE(alice.WaitForKind("SUBSCRIBE", bobJid));
        ASSERT_TRUE(alice.Do({"subscribed", bobJid}));
        ASSERT_TRUE(alice.WaitForKind("SUBSCRIBED", bobJid));
    }

    std::unique_ptr<ProsodyRig> rig;
    std::unique_ptr<XmppPeer> bob;
};

TEST_P(ProgramWithPeer, ShowsThePeerOnlineTakesAScreenshotAndClosesCleanly) {
    const bool onX = GetParam();
    XvfbServer xvfb;
    std::map<std::string, std::string> env;
    std::vector<std::string> args;
    if (onX) {
        if (!Installed("Xvfb"))
            YOL_SKIP_MISSING_PEER("Xvfb is not installed");
        ASSERT_TRUE(xvfb.Start());
        env = {{"DISPLAY", xvfb.DisplayName()}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", "x11"},
               {"LSAN_OPTIONS", "detect_leaks=0"}};
    } else {
        args = {"--headless"};
    }
    ProgramFolder folder;
    env["XDG_RUNTIME_DIR"] = folder.Runtime();
    folder.WriteXmppAccount(rig->Jid("alice"), kAlicePassword, rig->PlainPort());

    Child yol(folder.PathOf("yol"), args, env, folder.PathOf("yol.log"));
    ASSERT_TRUE(folder.WaitForSocket()) << ReadText(folder.PathOf("yol.log"));
    EXPECT_EQ(folder.Ask("wait-online " + rig->Jid("bob") + " 60000", 70000), std::optional<std::string>("OK"))
        << ReadText(folder.PathOf("yol.log")) << *folder.Ask("rows");
    EXPECT_EQ(folder.Ask("state"), std::optional<std::string>("OK running"));
    const std::string shot = folder.PathOf("screen.png");
    EXPECT_EQ(folder.Ask("screenshot " + shot, 30000), std::optional<std::string>("OK"));
    EXPECT_GT(fs::file_size(shot), 1000u);

    // A second start of the same folder only brings the first forward.
    Child second(folder.PathOf("yol"), args, env, folder.PathOf("second.log"));
    EXPECT_EQ(second.Wait(60000), std::optional<int>(1)) << ReadText(folder.PathOf("second.log"));
    EXPECT_EQ(folder.Ask("state"), std::optional<std::string>("OK running"));

    EXPECT_EQ(folder.Ask("close"), std::optional<std::string>("OK"));
    EXPECT_EQ(yol.Wait(60000), std::optional<int>(0)) << ReadText(folder.PathOf("yol.log"));
    // The peer saw the program's presence come and go.
    EXPECT_TRUE(bob->WaitForKind("PRESENCE", rig->Jid("alice")));
}

INSTANTIATE_TEST_SUITE_P(Screens, ProgramWithPeer, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Sdl" : "Headless"; });

}  // namespace
