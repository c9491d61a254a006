#pragma once
// The capability lists the account announces about itself: the fixed ones
// every session sends, and those that carry what the status word cannot
// (the moods and lunch) and the extended status.

#include "CRuvCapabilityTree.h"

#include <optional>
#include <vector>

namespace RuvCapabilities {

RuvCapabilityGuid Typing();
RuvCapabilityGuid Relay();
RuvCapabilityGuid Utf8Support();
// "File Transfer": offers and the rendezvous that set a transfer up.
RuvCapabilityGuid FileTransfer();

// The twelve of the full list, in their order.
std::vector<RuvCapabilityGuid> FullList();
// The seven every own list starts with, in their order.
std::vector<RuvCapabilityGuid> OwnFixed();
// The capability that carries status `status` (5 to 10), if any.
std::optional<RuvCapabilityGuid> ForStatus(int status);
// The capability of extended status `id` (1 to 35), if any.
std::optional<RuvCapabilityGuid> ForXStatus(int id);
// What goes between the fixed seven and the typing capability: the extended
// status, then the status's own.
std::vector<RuvCapabilityGuid> OwnListed(int status, int xStatus);

}  // namespace RuvCapabilities
