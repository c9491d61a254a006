#pragma once
// What a test does when a program or server it talks to is not there. On a
// developer's machine it skips and says what is missing, so the rest still
// runs. With YOL_REQUIRE_PEERS=1 (scripts/test, and so CI) the same test
// fails instead: a peer suite must never pass by not running.
//
// Used like GTEST_SKIP, with the reason as the argument:
//     if (FindProgram("tinyproxy").empty())
//         YOL_SKIP_MISSING_PEER("tinyproxy is not installed");

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace YolTest {

inline bool PeersRequired() {
    const char* value = std::getenv("YOL_REQUIRE_PEERS");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

// One line, so that scripts/test can list what a run skipped.
inline std::string MissingPeerText(const std::string& reason) {
    return "missing peer: " + reason + (PeersRequired() ? " (YOL_REQUIRE_PEERS=1: a failure)" : "");
}

}  // namespace YolTest

#define YOL_SKIP_MISSING_PEER(reason)                                            \
    return GTEST_MESSAGE_(::YolTest::MissingPeerText(reason).c_str(),            \
                          ::YolTest::PeersRequired() ? ::testing::TestPartResult::kFatalFailure \
                                                     : ::testing::TestPartResult::kSkip)
