#pragma once
// What the icon service's connection carries: the service redirect of the
// main connection that names it, the icon request we send, and the icon
// reply we read. The views are parsed once from a whole frame (FLAP header
// included), never read past it and copy what they keep.

#include "CFlapPacket.h"
#include "CYolString.h"
#include "RuvRecords.h"

#include <string>

// 01/05: where a service lives (TLV 5, "host:port") and the cookie that
// opens it (TLV 6); TLV 0x0D names the family when the server says it.
class CServiceRedirectParser final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    // The icon service, or a redirect that does not say which.
    bool ForIcons() const { return !family || *family == 0x10; }
    std::string address;
    std::string cookie;
    std::optional<uint16_t> family;
};

// 10/06: one icon of one user, asked by its hash.
class CIconRequestPacket final : public CSnacPacket {
public:
    CIconRequestPacket(uint16_t sequence, const CYolString& screenName, std::string hash)
        : CSnacPacket(sequence, 0x10, 0x06, 0x06), screenName(screenName), hash(std::move(hash)) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString screenName;
    std::string hash;
};

// 10/07: the screen name, the hash the icon goes by and the icon's bytes.
// A reply whose icon runs past its frame does not parse.
class CSnacIconReply final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    CYolString screenName;
    std::string hash;
    std::string icon;
};
