#include "RuvOwnStatus.h"

#include "RuvCapabilities.h"
#include "RuvCapabilityCatalogue.h"
#include "RuvPackets.h"
#include "RuvStatuses.h"

void RuvOwnStatus::SetOnlineStatus(int status, bool always) {
    const int old = ports.confirmed();
    wanted = toRestore = status;
    if (status == old && !always)
        return;
    const uint16_t word = RuvStatus::ToWord(RuvStatus::Sendable(status));
    sink.Send(CSetStatusPacket(sink.NextSequence(), sink.RandomRequestId(), 0x1000, word, false));
    if (RuvStatus::TravelsAsCapability(old) || RuvStatus::TravelsAsCapability(status))
        SendCapabilities();
}

void RuvOwnStatus::SendCapabilities() {
    if (ports.confirmed() < 1)
        return;
    // The status being set, not the last one the server confirmed: the
    // capability is what tells the peers of a mood.
    sink.Send(CSetCapsPacket(sink.NextSequence(), 4, ports.typingNotices(), RuvCapabilities::OwnListed(wanted, xStatus)));
}

void RuvOwnStatus::SetXStatus(int id, const CYolString& title, const CYolString& description) {
    const bool known = id > 0 && id <= RuvCapabilityCatalogue::kXStatusCount;
    xStatus = known ? id : 0;
    xStatusTitle = known ? title : CYolString();
    xStatusDescription = known ? description : CYolString();
    SendCapabilities();
}
