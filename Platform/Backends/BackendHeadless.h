#pragma once
// The back-end of tests and batch runs: the screen lives in memory only
// (Backend::Compose, CaptureWindow, SaveWindowPng), input comes from the
// Inject functions, and a UI thread that waits for a message that nothing
// can bring gives up with Platform::NoMessageError after the idle limit
// instead of hanging.

#include "Backend.h"

#include <atomic>

namespace Platform {

class YOL_API HeadlessBackend : public Backend {
public:
    // Generous enough for another thread of the test to post or send.
    static constexpr std::chrono::milliseconds DefaultIdleLimit{2000};

    HeadlessBackend();
    ~HeadlessBackend() override;

    std::optional<std::chrono::milliseconds> IdleLimit() const override;
    void SetIdleLimit(std::chrono::milliseconds limit);

private:
    std::atomic<long long> idleLimitMs;
};

// The one in use unless another back-end is installed.
YOL_API HeadlessBackend& DefaultHeadlessBackend();

} // namespace Platform
