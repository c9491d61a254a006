#pragma once
// XmppCompression: the zlib streams of a compressed XMPP connection (stream
// compression with the "zlib" method). Incoming bytes are inflated until the
// compressed input is used up, so that a large stanza followed by silence is
// still delivered whole; outgoing text is deflated with a sync flush so that
// every stanza leaves at once.

#include <zlib.h>

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

class XmppCompression {
public:
    // Compressed input is read from the socket in pieces of this size, and
    // deflated output leaves in pieces of this size.
    static constexpr int kChunk = 2048;

    XmppCompression() = default;
    XmppCompression(const XmppCompression&) = delete;
    XmppCompression& operator=(const XmppCompression&) = delete;
    ~XmppCompression() { End(); }

    // Sets up both streams: true when both are ready.
    bool Init();
    // Ends both streams and drops pending input.
    void End();
    bool IsInitialised() const { return initialised; }
    bool IsActive() const { return active; }
    // Switches the connection over; both streams must be set up.
    void Activate() { active = initialised; }

    // Takes compressed bytes from the socket.
    void AddInput(const char* data, size_t length);
    // Whether compressed input is still waiting to be inflated, or the last
    // inflate filled its room and the inflater may hold more output.
    bool HasPendingOutput() const { return inputUsed < input.size() || outputMayFollow; }

    enum class InflateResult { Ok, Error };
    // Inflates pending input into out (at most `room` bytes): `produced`
    // says how many came out. An error is a broken stream.
    InflateResult Inflate(char* out, size_t room, size_t& produced);

    // Deflates `text` with a sync flush and hands every produced piece to
    // `send`, which answers how many bytes went; sending stops at the first
    // piece that did not go whole. True when everything went.
    bool Deflate(std::string_view text, const std::function<int(const char*, int)>& send);

private:
    z_stream inflater{};
    z_stream deflater{};
    bool initialised = false;
    bool active = false;
    std::vector<unsigned char> input;
    size_t inputUsed = 0;
    bool outputMayFollow = false;
};
