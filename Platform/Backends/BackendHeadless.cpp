#include "BackendHeadless.h"

namespace Platform {

HeadlessBackend::HeadlessBackend() : idleLimitMs(DefaultIdleLimit.count()) {}

HeadlessBackend::~HeadlessBackend() = default;

std::optional<std::chrono::milliseconds> HeadlessBackend::IdleLimit() const
{
    return std::chrono::milliseconds(idleLimitMs.load());
}

void HeadlessBackend::SetIdleLimit(std::chrono::milliseconds limit)
{
    idleLimitMs = limit.count();
}

HeadlessBackend& DefaultHeadlessBackend()
{
    // Never destroyed: UI threads may still wait while the process ends.
    static HeadlessBackend* backend = new HeadlessBackend;
    return *backend;
}

} // namespace Platform
