#pragma once
// Typed read-only views of the server-side list family: the list itself
// (also the layout of the account's cached copy), the acknowledgement of an
// edit, and the authorization request and reply another user's client sends
// through the server. Each reads only within the bytes it is given: an item
// whose lengths overrun them ends the list there, and the record says so.

#include "CFlapPacket.h"
#include "CYolString.h"
#include "RuvRecords.h"

#include <string_view>
#include <vector>

// One item of the list: a group (type 1), a buddy (type 0), a privacy
// entry and so on, with its TLVs.
struct CSsiItem {
    CYolString name;
    uint16_t groupId = 0;
    uint16_t itemId = 0;
    uint16_t type = 0;
    OscarTlvs tlvs;
};

// The list body from its version byte on. `complete`: the part carries the
// change time (bit 0 of the SNAC flags clear); the cached copy always does.
struct SsiListBody {
    std::vector<CSsiItem> items;
    uint32_t changeTime = 0;
    // Every announced item and the change time were read in full.
    bool whole = false;
    // Reads what fits; answers the offset after the change-time field.
    size_t Parse(std::string_view body, bool complete);
};

class CSnacRoster final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    // The last part of the list: the change time is there.
    bool LastPart() const { return (flags & 0x0001) == 0; }
    SsiListBody list;
};

class CSnacSsiAck final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    uint16_t result = 0;
};

class CSnacAuthRequest final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    CYolString screenName;
    CYolString reason;
};

class CSnacAuthReply final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    CYolString screenName;
    bool granted = false;
    CYolString reason;
};
