#include "CYolBrowserLauncher.h"
#include "CYolSystemInfo.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include <stdlib.h>
#include <sys/types.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using ScratchTest = TempFolderTest;

TEST(CYolSystemInfoTest, ReportsTheBuildAndThePlatformPeersExpect) {
    EXPECT_EQ(CYolSystemInfo::YolVersion(), 2142);
    EXPECT_EQ(std::u16string(CYolSystemInfo::OSName()), u"WM");
}

using DeviceIdTest = ScratchTest;

TEST_F(DeviceIdTest, IsAKeyedHashOfTheMachineIdNeverTheIdItself) {
    // Known answers: the identifier must not change between versions, or
    // the server would see every installation as a new device.
    const struct {
        std::string file;
        std::string id;
    } cases[] = {
        {"0123456789abcdef0123456789abcdef\n", "f5a094c72d831b215ab18ec0bf65b44b"},
        {"0123456789ABCDEF0123456789ABCDEF", "f5a094c72d831b215ab18ec0bf65b44b"},
        {"00000000000000000000000000000001\n", "3cc6ce294bbaddbf6abeabe5db521a25"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CYolSystemInfo::DeviceIDFrom(Put("machine-id", c.file).c_str()).ToUtf8(), c.id) << c.file;
}

TEST_F(DeviceIdTest, IsEmptyForAMissingOrMalformedMachineId) {
    for (const char* file : {"", "\n", "0123456789abcdef", "0123456789abcdef0123456789abcdeg",
                             "0123456789abcdef0123456789abcdef00", "0123456789abcdef 0123456789abcdef"})
        EXPECT_TRUE(CYolSystemInfo::DeviceIDFrom(Put("machine-id", file).c_str()).IsEmpty()) << file;
    EXPECT_TRUE(CYolSystemInfo::DeviceIDFrom((folder + "/absent").c_str()).IsEmpty());
    EXPECT_TRUE(CYolSystemInfo::DeviceIDFrom(nullptr).IsEmpty());
}

TEST(CYolSystemInfoTest, DeviceIdOfThisMachineIsStableHex) {
    CYolString id = CYolSystemInfo::DeviceID();
    if (id.IsEmpty())
        GTEST_SKIP() << "no readable /etc/machine-id here";
    std::string text = id.ToUtf8();
    EXPECT_EQ(text.size(), 32u);
    EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(CYolSystemInfo::DeviceID().ToUtf8(), text);
}

using DeviceNameTest = ScratchTest;

TEST_F(DeviceNameTest, IsTheTrimmedProductName) {
    const struct {
        std::string file;
        std::string name;
    } cases[] = {
        {"ThinkPad X1 Carbon\n", "ThinkPad X1 Carbon"},
        {"  \tStandard PC (Q35 + ICH9, 2009) \r\n", "Standard PC (Q35 + ICH9, 2009)"},
        {" \n", ""},
        {"", ""},
        {"Bad \xFF name\n", ""},
        {std::string(300, 'x'), std::string(255, 'x')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CYolSystemInfo::DeviceNameFrom(Put("product_name", c.file).c_str()).ToUtf8(), c.name) << c.file;
    EXPECT_TRUE(CYolSystemInfo::DeviceNameFrom((folder + "/absent").c_str()).IsEmpty());
}

TEST_F(DeviceNameTest, NeverKeepsHalfASurrogatePair) {
    // 254 letters, then U+1F600 (two UTF-16 units) across the 255 limit.
    std::string file = std::string(254, 'a') + "\xF0\x9F\x98\x80" + "tail";
    EXPECT_EQ(CYolSystemInfo::DeviceNameFrom(Put("product_name", file).c_str()).ToUtf8(), std::string(254, 'a'));
}

// --- CYolBrowserLauncher ----------------------------------------------

TEST(CYolBrowserLauncherTest, OpensOnlyWebAddresses) {
    const struct {
        const char16_t* address;
        bool allowed;
    } cases[] = {
        {u"http://example.org/", true},
        {u"https://example.org/a?b=c", true},
        {u"HTTPS://EXAMPLE.ORG", true},
        {u"HtTp://x", true},
        {u"http://", false},
        {u"https:/example.org", false},
        {u"file:///etc/passwd", false},
        {u"javascript:alert(1)", false},
        {u"ftp://example.org", false},
        {u"mailto:a@example.org", false},
        {u" http://example.org", false},
        {u"http://example.org/\nX-Injected: 1", false},
        {u"http://example.org/\x7F", false},
        {u"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CYolBrowserLauncher::IsAllowedAddress(CYolString(c.address)), c.allowed)
            << CYolString(c.address).ToUtf8();
}

// The opener is a script that records how many arguments it got, where its
// output goes and its first argument.
class BrowserLaunchTest : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        record = folder + "/record";
        opener = Put("opener.sh",
                     "#!/bin/sh\n"
                     "out=$(readlink /proc/$$/fd/1)\n"
                     "{ printf '%s\\n' \"$#\" \"$out\"; printf '%s' \"$1\"; } > '" + record +
                         ".tmp'\n"
                         "printf '%s\\n' \"$1\" >> '" + record + ".log'\n"
                         "mv '" + record + ".tmp' '" + record + "'\n",
                     fs::perms::owner_all);
        setenv("YOL_BROWSER", opener.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("YOL_BROWSER");
        ScratchTest::TearDown();
    }
    // The opener runs on its own; wait for its record.
    std::string WaitForRecord() {
        for (int i = 0; i < 500 && !fs::exists(record); ++i)
            std::this_thread::sleep_for(10ms);
        return ReadText(record);
    }
    std::string record;
    std::string opener;
};

TEST_F(BrowserLaunchTest, PassesTheAddressAsOneArgumentWithoutAShell) {
    const std::string address = "https://example.org/a b?q=\"x\"&r='y';rm -rf $HOME`id`|cat";
    ASSERT_TRUE(CYolBrowserLauncher::Launch(W(address)));
    EXPECT_EQ(WaitForRecord(), "1\n/dev/null\n" + address);
}

TEST_F(BrowserLaunchTest, RefusedSchemesStartNothing) {
    for (const char* address : {"file:///etc/passwd", "javascript:alert(1)"})
        EXPECT_FALSE(CYolBrowserLauncher::Launch(W(address))) << address;
    // An allowed address afterwards: by the time its opener has run, one
    // started for a refused address earlier would have run too.
    ASSERT_TRUE(CYolBrowserLauncher::Launch(W("https://example.org/")));
    WaitForRecord();
    EXPECT_EQ(ReadText(record + ".log"), "https://example.org/\n");
}

TEST_F(BrowserLaunchTest, FailsWhenTheOpenerCannotBeStarted) {
    const struct {
        std::string program;
    } cases[] = {
        {folder + "/absent"},
        {Put("not-executable.sh", "#!/bin/sh\n")},
        {Put("not-a-program", "\x01\x02\x03 garbage", fs::perms::owner_all)},
        {"yol-no-such-opener-on-path"},
    };
    for (const auto& c : cases) {
        setenv("YOL_BROWSER", c.program.c_str(), 1);
        EXPECT_FALSE(CYolBrowserLauncher::Launch(W("https://example.org/"))) << c.program;
    }
}

TEST_F(BrowserLaunchTest, DoesNotWaitForTheOpener) {
    std::string pidFile = folder + "/pid";
    std::string slow = Put("slow.sh", "#!/bin/sh\necho $$ > '" + pidFile + ".tmp'\nmv '" + pidFile + ".tmp' '" +
                                          pidFile + "'\nexec sleep 30\n",
                           fs::perms::owner_all);
    setenv("YOL_BROWSER", slow.c_str(), 1);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(CYolBrowserLauncher::Launch(W("http://example.org/")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    for (int i = 0; i < 500 && !fs::exists(pidFile); ++i)
        std::this_thread::sleep_for(10ms);
    pid_t pid = static_cast<pid_t>(std::stol(ReadText(pidFile)));
    ASSERT_GT(pid, 1);
    kill(pid, SIGTERM);
}

} // namespace
