#include "FlapAssembler.h"

#include "CFlapPacket.h"

FlapAssembler::Result FlapAssembler::Next(std::string_view& frame) {
    // Drop what earlier calls handed out before looking further, so the
    // buffer never holds more than one partial frame and one read.
    if (consumed > 0) {
        buffer.erase(0, consumed);
        consumed = 0;
    }
    CFlapPacket header;
    auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
    if (buffer.size() < CFlapPacket::kHeaderSize)
        return Result::NeedMore;
    if (header.Unpack(bytes, buffer.size()) == 0)
        return Result::Broken;
    size_t total = CFlapPacket::kHeaderSize + header.length;
    if (buffer.size() < total)
        return Result::NeedMore;
    frame = std::string_view(buffer.data(), total);
    consumed = total;
    return Result::Frame;
}

void FlapAssembler::Clear() {
    buffer.clear();
    consumed = 0;
}
