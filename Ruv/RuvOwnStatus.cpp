#include "RuvOwnStatus.h"

#include "RuvCapabilities.h"
#include "RuvPackets.h"
#include "RuvStatuses.h"

void RuvOwnStatus::SetOnlineStatus(int status) {
    const int old = ports.confirmed();
    wanted = toRestore = status;
    if (status == old)
        return;
    const uint16_t word = RuvStatus::ToWord(RuvStatus::Sendable(status));
    sink.Send(CSetStatusPacket(sink.NextSequence(), sink.RandomRequestId(), 0x1000, word, false));
    if (RuvStatus::TravelsAsCapability(old) || RuvStatus::TravelsAsCapability(status))
        SendCapabilities();
}

void RuvOwnStatus::SendCapabilities() {
    std::vector<RuvCapabilityGuid> listed;
    // The status being set, not the last one the server confirmed: the
    // capability is what tells the peers of a mood.
    if (auto capability = RuvCapabilities::ForStatus(wanted))
        listed.push_back(*capability);
    sink.Send(CSetCapsPacket(sink.NextSequence(), 4, ports.typingNotices(), std::move(listed)));
}
