#include "MrimPacketAssembler.h"

MrimPacketAssembler::Result MrimPacketAssembler::Next(MrimPacket& out) {
    // What the previous packet took goes now, while no view points into it.
    if (consumed > 0) {
        buffer.erase(0, consumed);
        consumed = 0;
    }
    if (buffer.size() < Mrim::kHeaderSize)
        return Result::NeedMore;
    const MrimHeader header = ReadMrimHeader(reinterpret_cast<const unsigned char*>(buffer.data()));
    if (header.length > kMaxBody)
        return Result::Broken;
    const size_t total = Mrim::kHeaderSize + header.length;
    if (buffer.size() < total)
        return Result::NeedMore;
    out.header = header;
    out.body = std::string_view(buffer).substr(Mrim::kHeaderSize, header.length);
    consumed = total;
    return Result::Packet;
}

void MrimPacketAssembler::Clear() {
    buffer.clear();
    buffer.shrink_to_fit();
    consumed = 0;
}
