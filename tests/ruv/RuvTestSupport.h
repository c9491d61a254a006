#pragma once
// Doubles and fixtures of the OSCAR tests: a packet sink that keeps every
// frame whole (as the wire would carry it) with a plain counter for
// sequence numbers, and builders of server frames written out byte by byte.

#include "CFlapPacket.h"
#include "RuvPacketSink.h"

#include <string>
#include <utility>
#include <vector>

namespace RuvTest {

inline std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

// Bytes from hex text; spaces are ignored.
inline std::string Bytes(std::string_view hex) {
    std::string out;
    int high = -1;
    for (char c : hex) {
        if (c == ' ')
            continue;
        int value = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        if (high < 0) {
            high = value;
        } else {
            out.push_back(static_cast<char>(high << 4 | value));
            high = -1;
        }
    }
    return out;
}

// The bytes of a frame as the parsers take them.
inline const uint8_t* U8(const std::string& bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }

inline std::string Flap(uint8_t channel, std::string_view data, uint16_t sequence = 1) {
    OscarWriter out;
    out.U8(0x2A).U8(channel).U16(sequence).U16(static_cast<uint16_t>(data.size())).Bytes(data);
    return out.Take();
}

inline std::string Snac(uint16_t family, uint16_t subtype, std::string_view payload, uint16_t flags = 0,
                        uint32_t requestId = 0) {
    OscarWriter out;
    out.U16(family).U16(subtype).U16(flags).U32(requestId).Bytes(payload);
    return Flap(2, out.Data());
}

inline std::string Hello() { return Flap(1, Bytes("00000001")); }

class RecordingPacketSink final : public RuvPacketSink {
public:
    bool Send(const CFlapPacket& packet) override {
        std::string bytes = packet.Serialize();
        if (!bytes.empty())
            frames.push_back(bytes);
        return connected && !bytes.empty();
    }
    uint16_t NextSequence() override { return ++sequence; }
    void RestartSequence() override {
        sequence = 0;
        ++restarts;
    }
    uint32_t RandomRequestId() override { return 0x55; }
    std::vector<std::string> Take() { return std::exchange(frames, {}); }
    // "family/subtype" of every SNAC sent, channel number otherwise.
    std::vector<std::string> TakeKinds() {
        std::vector<std::string> kinds;
        for (const std::string& frame : Take()) {
            if (frame[1] != 2) {
                kinds.push_back("ch" + std::to_string(frame[1]));
                continue;
            }
            kinds.push_back(Hex(frame.substr(7, 1)) + "/" + Hex(frame.substr(9, 1)));
        }
        return kinds;
    }

    std::vector<std::string> frames;
    uint16_t sequence = 0;
    int restarts = 0;
    bool connected = true;
};

}  // namespace RuvTest
