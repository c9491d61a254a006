#pragma once
// The server's end of a compressed stream, for tests: one deflater for what
// the test sends, one inflater for what the account sent.

#include <zlib.h>

#include <string>
#include <string_view>

namespace XmppTest {

class ServerZlib {
public:
    ServerZlib() {
        deflateInit(&out, Z_DEFAULT_COMPRESSION);
        inflateInit(&in);
    }
    ~ServerZlib() {
        deflateEnd(&out);
        inflateEnd(&in);
    }
    ServerZlib(const ServerZlib&) = delete;
    ServerZlib& operator=(const ServerZlib&) = delete;

    // `text` compressed and flushed, as one piece of the server's stream.
    std::string Deflate(std::string_view text) {
        std::string result;
        out.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        out.avail_in = static_cast<uInt>(text.size());
        char area[4096];
        do {
            out.next_out = reinterpret_cast<Bytef*>(area);
            out.avail_out = sizeof(area);
            deflate(&out, Z_SYNC_FLUSH);
            result.append(area, sizeof(area) - out.avail_out);
        } while (out.avail_out == 0);
        return result;
    }

    // The account's compressed bytes, inflated.
    std::string Inflate(std::string_view bytes) {
        std::string result;
        in.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        in.avail_in = static_cast<uInt>(bytes.size());
        char area[4096];
        do {
            in.next_out = reinterpret_cast<Bytef*>(area);
            in.avail_out = sizeof(area);
            if (inflate(&in, Z_NO_FLUSH) < 0 && in.avail_out == sizeof(area))
                break;
            result.append(area, sizeof(area) - in.avail_out);
        } while (in.avail_in > 0 || in.avail_out == 0);
        return result;
    }

private:
    z_stream out{};
    z_stream in{};
};

}  // namespace XmppTest
