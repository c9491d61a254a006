#pragma once
// FlapAssembler: cuts a connection's byte stream into whole FLAP frames.
// Bytes are appended as they arrive; Next hands out each complete frame
// (header included) and keeps a partial one until the rest is there. A frame
// is at most 6 + 65535 bytes, so what waits is bounded by the frame length
// itself. A frame that does not start with the marker breaks the stream.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class FlapAssembler {
public:
    enum class Result { NeedMore, Frame, Broken };

    void Append(std::string_view bytes) { buffer.append(bytes); }
    // The next whole frame; the view stays valid until the next call of
    // Next, Append or Clear.
    Result Next(std::string_view& frame);
    void Clear();
    size_t Buffered() const { return buffer.size() - consumed; }

private:
    std::string buffer;
    size_t consumed = 0;
};
