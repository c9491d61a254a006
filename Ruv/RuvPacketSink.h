#pragma once
// RuvPacketSink: where the OSCAR account's parts (login, own status) write.
// The account puts it on its connection; tests put a recording double in
// its place and drive a part with frames alone.

#include "CFlapPacket.h"

#include <cstdint>

class RuvPacketSink {
public:
    virtual ~RuvPacketSink() = default;
    // Sends one built packet; false when nothing went (not connected, the
    // packet did not fit a frame, or the write failed).
    virtual bool Send(const CFlapPacket& packet) = 0;
    // The connection's next frame sequence number.
    virtual uint16_t NextSequence() = 0;
    // A server greeted a new connection: numbering starts from a new
    // random base.
    virtual void RestartSequence() = 0;
    // A request id for a request whose answer nobody matches.
    virtual uint32_t RandomRequestId() = 0;
};
