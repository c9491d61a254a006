#include "XmppCompression.h"

#include <cstring>

bool XmppCompression::Init() {
    End();
    deflater = z_stream{};
    inflater = z_stream{};
    // Small memory level: a handheld's memory was scarce, and the level
    // keeps the wire the same either way.
    if (deflateInit2(&deflater, 9, Z_DEFLATED, 15, 2, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    if (inflateInit(&inflater) != Z_OK) {
        deflateEnd(&deflater);
        return false;
    }
    initialised = true;
    return true;
}

void XmppCompression::End() {
    if (initialised) {
        deflateEnd(&deflater);
        inflateEnd(&inflater);
    }
    initialised = false;
    active = false;
    input.clear();
    inputUsed = 0;
    outputMayFollow = false;
}

void XmppCompression::AddInput(const char* data, size_t length) {
    if (inputUsed == input.size()) {
        input.clear();
        inputUsed = 0;
    }
    input.insert(input.end(), reinterpret_cast<const unsigned char*>(data),
                 reinterpret_cast<const unsigned char*>(data) + length);
}

XmppCompression::InflateResult XmppCompression::Inflate(char* out, size_t room, size_t& produced) {
    produced = 0;
    if (!initialised)
        return InflateResult::Error;
    if (room == 0 || !HasPendingOutput())
        return InflateResult::Ok;
    inflater.next_in = input.data() + inputUsed;
    inflater.avail_in = static_cast<uInt>(input.size() - inputUsed);
    inflater.next_out = reinterpret_cast<Bytef*>(out);
    inflater.avail_out = static_cast<uInt>(room);
    int result = inflate(&inflater, Z_NO_FLUSH);
    produced = room - inflater.avail_out;
    inputUsed = input.size() - inflater.avail_in;
    // A match can end the input half written when the room ran out: the
    // rest comes out of the next call, input or not.
    outputMayFollow = inflater.avail_out == 0;
    bool inputLeft = inputUsed < input.size();
    // Z_BUF_ERROR only says no progress was possible; with input and room
    // left that cannot happen, so anything but progress is a broken stream.
    if (result == Z_OK || (result == Z_BUF_ERROR && (produced > 0 || !inputLeft)))
        return InflateResult::Ok;
    if (result == Z_STREAM_END) {
        outputMayFollow = false;
        // The server ended its compressed stream: nothing may follow it.
        return inputLeft ? InflateResult::Error : InflateResult::Ok;
    }
    return InflateResult::Error;
}

bool XmppCompression::Deflate(std::string_view text, const std::function<int(const char*, int)>& send) {
    if (!initialised)
        return false;
    unsigned char area[kChunk];
    deflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    deflater.avail_in = static_cast<uInt>(text.size());
    do {
        deflater.next_out = area;
        deflater.avail_out = sizeof(area);
        if (deflate(&deflater, Z_SYNC_FLUSH) == Z_STREAM_ERROR)
            return false;
        int produced = static_cast<int>(sizeof(area) - deflater.avail_out);
        if (produced > 0) {
            int sent = send(reinterpret_cast<const char*>(area), produced);
            if (sent < 1 || sent < produced)
                return false;
        }
    } while (deflater.avail_out == 0);
    return true;
}
