#pragma once
// MrimPacketSink: where the MRIM account's parts (login, statuses,
// messages, contact list) write. The account puts it on its session; tests
// put a recording double in its place and drive a part with packets alone.

#include "MrimWire.h"

#include <cstdint>
#include <string_view>

class MrimPacketSink {
public:
    virtual ~MrimPacketSink() = default;
    // Sends one packet; sequence 0 takes the next value of the account's
    // counter. False when nothing went (not connected, or the write failed).
    virtual bool SendPacket(MrimPacketType type, std::string_view body, uint32_t sequence = 0) = 0;
    // Reserves the next sequence number, for a request whose answer is
    // matched by it.
    virtual uint32_t NextSequence() = 0;
};
