#pragma once
// MrimPacketAssembler: cuts the session's byte stream into whole packets.
// Bytes are appended as they arrive; Next hands out each complete packet in
// turn and keeps a partial one until the rest is there. The buffer is
// capped: a header that announces a body larger than the cap can never be
// satisfied, and the stream is then broken rather than waited on for ever.
// Magic and version are not checked: the server's own packets are read by
// their type alone.

#include "MrimWire.h"

#include <cstddef>
#include <string>
#include <string_view>

class MrimPacketAssembler {
public:
    // The largest body kept; a list of thousands of contacts fits well.
    static constexpr size_t kMaxBody = size_t{8} << 20;

    enum class Result { NeedMore, Packet, Broken };

    void Append(std::string_view bytes) { buffer.append(bytes); }
    // The next whole packet; its body view stays valid until the next call
    // of Next, Append or Clear.
    Result Next(MrimPacket& out);
    void Clear();
    size_t Buffered() const { return buffer.size() - consumed; }

private:
    std::string buffer;
    size_t consumed = 0;
};
