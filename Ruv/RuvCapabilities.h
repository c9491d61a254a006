#pragma once
// The capability identifiers the account announces about itself: the fixed
// ones every session sends and those that carry a status the status word
// cannot (free for chat, evil, depression, at home, at work, lunch).

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

using RuvCapabilityGuid = std::array<uint8_t, 16>;

namespace RuvCapabilities {

// The 16-byte form of a two-byte short capability.
RuvCapabilityGuid FromShort(uint8_t high, uint8_t low);

RuvCapabilityGuid ShortSupport();
RuvCapabilityGuid RouteFinder();
RuvCapabilityGuid Relay();
RuvCapabilityGuid Utf8Support();
RuvCapabilityGuid Xtraz();
RuvCapabilityGuid FileSend();
RuvCapabilityGuid YolPda();
RuvCapabilityGuid Typing();

// The twelve of the full list, in their order.
std::vector<RuvCapabilityGuid> FullList();
// The seven every own list starts with, in their order.
std::vector<RuvCapabilityGuid> OwnFixed();
// The capability that carries status `status` (5 to 10), if any.
std::optional<RuvCapabilityGuid> ForStatus(int status);

}  // namespace RuvCapabilities
