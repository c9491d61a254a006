// One running program per user and program folder, through the socket in
// the user's private runtime folder.

#include "Shell/SingleInstance.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

using Platform::SingleInstance;

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        previous = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        chmod(runtime.Root().c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.Root().c_str(), 1);
    }
    void TearDown() override {
        if (previous)
            setenv("XDG_RUNTIME_DIR", previous->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

    TempFolder runtime;
    std::optional<std::string> previous;
};

TEST_F(SingleInstanceTest, ALaterStartOfTheSameFolderReachesTheFirst) {
    SingleInstance first("/opt/yol-a/");
    std::string heard;
    ASSERT_EQ(first.Acquire([&](const std::string& line) {
        heard = line;
        return std::string("OK raised");
    }),
              SingleInstance::Result::First);
    EXPECT_EQ(first.SocketPath().rfind(runtime.Root() + "/yol-", 0), 0u);

    SingleInstance second("/opt/yol-a/");
    EXPECT_EQ(second.Acquire([](const std::string&) { return std::string(); }), SingleInstance::Result::Running);
    EXPECT_EQ(SingleInstance::Ask("/opt/yol-a/", "raise", 5000), std::optional<std::string>("OK raised"));
    EXPECT_EQ(heard, "raise");

    // Another program folder runs side by side.
    SingleInstance other("/opt/yol-b/");
    EXPECT_EQ(other.Acquire([](const std::string&) { return std::string("b"); }), SingleInstance::Result::First);
    EXPECT_NE(other.SocketPath(), first.SocketPath());
}

TEST_F(SingleInstanceTest, TheSocketGoesWithTheFirstStartAndAStaleOneIsTakenOver) {
    std::string path;
    {
        SingleInstance first("/opt/yol-a/");
        ASSERT_EQ(first.Acquire([](const std::string&) { return std::string("1"); }), SingleInstance::Result::First);
        path = first.SocketPath();
    }
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    EXPECT_EQ(SingleInstance::Ask("/opt/yol-a/", "raise", 1000), std::nullopt);

    // A start that ended without removing its socket file.
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    SingleInstance again("/opt/yol-a/");
    EXPECT_EQ(again.Acquire([](const std::string&) { return std::string("2"); }), SingleInstance::Result::First);
    EXPECT_EQ(SingleInstance::Ask("/opt/yol-a/", "raise", 5000), std::optional<std::string>("2"));
}

TEST_F(SingleInstanceTest, AnOverlongLineGetsNoAnswer) {
    SingleInstance first("/opt/yol-a/");
    int handled = 0;
    ASSERT_EQ(first.Acquire([&](const std::string&) {
        ++handled;
        return std::string("OK");
    }),
              SingleInstance::Result::First);
    EXPECT_EQ(SingleInstance::Ask("/opt/yol-a/", std::string(SingleInstance::kMaxLine + 1, 'x'), 5000),
              std::nullopt);
    EXPECT_EQ(SingleInstance::Ask("/opt/yol-a/", "state", 5000), std::optional<std::string>("OK"));
    EXPECT_EQ(handled, 1);
}

TEST_F(SingleInstanceTest, ARuntimeFolderOthersCanEnterIsNotUsed) {
    chmod(runtime.Root().c_str(), 0777);
    std::string why;
    std::string path = SingleInstance::PathFor("/opt/yol-a/", &why);
    // Falls back to /tmp/yol-<uid>, never into the open folder.
    EXPECT_EQ(path.rfind(runtime.Root(), 0), std::string::npos);
    chmod(runtime.Root().c_str(), 0700);
}

}  // namespace
