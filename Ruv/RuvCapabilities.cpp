#include "RuvCapabilities.h"

#include <cstring>

namespace RuvCapabilities {
namespace {

RuvCapabilityGuid FromHex(const char (&hex)[33]) {
    auto nibble = [](char c) { return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10); };
    RuvCapabilityGuid out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<uint8_t>(nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]));
    return out;
}

// The status capabilities share all bytes but the last.
constexpr struct {
    int status;
    uint8_t last;
} kStatusCaps[] = {{5, 0x75}, {6, 0x79}, {7, 0x70}, {8, 0x76}, {9, 0x77}, {10, 0x78}};

}  // namespace

RuvCapabilityGuid FromShort(uint8_t high, uint8_t low) {
    RuvCapabilityGuid out = FromHex("094600004C7F11D18222444553540000");
    out[2] = high;
    out[3] = low;
    return out;
}

RuvCapabilityGuid ShortSupport() { return FromShort(0x00, 0x00); }
RuvCapabilityGuid RouteFinder() { return FromShort(0x13, 0x44); }
RuvCapabilityGuid Relay() { return FromShort(0x13, 0x49); }
RuvCapabilityGuid Utf8Support() { return FromShort(0x13, 0x4E); }
RuvCapabilityGuid FileSend() { return FromShort(0x13, 0x43); }
RuvCapabilityGuid Xtraz() { return FromHex("1A093C6CD7FD4EC59D51A6474E34F5A0"); }
RuvCapabilityGuid Typing() { return FromHex("563FC8090B6F41BD9F79422609DFA2F3"); }

RuvCapabilityGuid YolPda() {
    RuvCapabilityGuid out{0x56, 0x3F, 0xC8, 0x09, 0x0B, 0x6F, 0x41};
    std::memcpy(out.data() + 7, "Yol     !", 9);
    return out;
}

std::vector<RuvCapabilityGuid> FullList() {
    return {Typing(),
            Relay(),
            FromShort(0x13, 0x4C),
            FromShort(0x13, 0x4D),
            Utf8Support(),
            FromHex("97B12751243C4334AD22D6ABF73F1492"),
            ShortSupport(),
            FromHex("67361515612D4C078F3DBDE6408EA041"),
            FileSend(),
            RouteFinder(),
            FromHex("B99708B53A924202B069F1E757BB2E17"),
            Xtraz()};
}

std::vector<RuvCapabilityGuid> OwnFixed() {
    return {ShortSupport(), RouteFinder(), Relay(), Utf8Support(), Xtraz(), FileSend(), YolPda()};
}

std::optional<RuvCapabilityGuid> ForStatus(int status) {
    for (const auto& row : kStatusCaps) {
        if (row.status == status) {
            RuvCapabilityGuid out = FromHex("B7074378F50C777797775778502D0500");
            out[15] = row.last;
            return out;
        }
    }
    return std::nullopt;
}

}  // namespace RuvCapabilities
