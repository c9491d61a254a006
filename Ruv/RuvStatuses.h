#pragma once
// The account's statuses and the network's 16-bit status word, both ways,
// and the statuses the word cannot carry (they travel as capabilities).

#include "ProtocolRecords.h"

#include <cstdint>

namespace RuvStatus {

// The word sent for a status; 0xFFFF for a status the network has none for.
uint16_t ToWord(int status);
// The status a received word stands for.
Protocols::Status FromWord(uint16_t word);
// What goes in the status word for `status`: the moods are sent as online,
// lunch as away.
int Sendable(int status);
// The moods and lunch, which travel as capabilities.
inline bool TravelsAsCapability(int status) { return status >= 5 && status <= 10; }
// The server reports a coarse status; keep the user's finer choice of the
// same kind.
int Refined(int reported, int wanted);

}  // namespace RuvStatus
