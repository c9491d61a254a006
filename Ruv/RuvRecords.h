#pragma once
// Typed read-only views of what the server sends while an account logs in
// and sets up its session: the hello and close frames, the login key and
// reply, and the service family's lists of families, versions and rate
// classes and the own user information. Each is parsed once from a whole
// frame (FLAP header included), never reads past it, and copies what it
// keeps, so it outlives the frame.

#include "CByteReader.h"
#include "CFlapPacket.h"
#include "CYolString.h"

#include <optional>
#include <string>
#include <vector>

// A TLV sequence; parsing stops at the first TLV that does not fit.
class OscarTlvs {
public:
    OscarTlvs() = default;
    explicit OscarTlvs(std::string_view bytes);
    const std::string* Find(uint16_t type) const;
    // The first two bytes of a TLV as a number; 0 when absent or shorter.
    uint16_t Word(uint16_t type) const;
    size_t Count() const { return items.size(); }
    // Bytes the complete TLVs took.
    size_t Consumed() const { return consumed; }
    // Edits of a list item's TLVs: Set replaces the first of the type (or
    // appends one), Append always appends, RemoveFirst answers whether one
    // was there.
    void Set(uint16_t type, std::string value);
    void Append(uint16_t type, std::string value) { items.emplace_back(type, std::move(value)); }
    bool RemoveFirst(uint16_t type);
    // The TLVs written back to back, as the server stores them.
    std::string Bytes() const;
    size_t ByteSize() const;

private:
    std::vector<std::pair<uint16_t, std::string>> items;
    size_t consumed = 0;
};

// The payload of a whole frame after its SNAC header, bounded by both the
// bytes given and the frame's own length; nullopt when the header fails or
// is not (family, subtype) (family 0: any; subtype 0: any of the family).
std::optional<CByteReader> OscarSnacPayload(CSnacPacket& snac, const uint8_t* bytes, size_t size, uint16_t family,
                                            uint16_t subtype);

// The login error texts' string ids by code (0 when the code has none).
int LoginErrorStringId(uint16_t code);

// Channel 1 greeting: data length 4, the value 1.
bool IsServerHello(const uint8_t* frame, size_t size);

class CRuvClosePacket final : public CFlapPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    uint16_t ErrorCode() const { return tlvs.Word(0x0008); }
    uint16_t ReasonCode() const { return tlvs.Word(0x0009); }
    // String ids of the texts: 0 for an error code without one.
    int ErrorStringId() const { return LoginErrorStringId(ErrorCode()); }
    int ReasonStringId() const { return ReasonCode() == 1 ? 143 : 144; }

private:
    OscarTlvs tlvs;
};

class CSnacLoginReply final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    // A session server to go to: a host, a port that fits, and a cookie.
    bool HasSession() const { return !host.IsEmpty() && port > 0 && port <= 65535 && !cookie.empty(); }
    void ClearSession() { host = CYolString(); port = 0; }
    CYolString screenName;
    CYolString host;
    uint32_t port = 0;
    std::string cookie;
    uint16_t errorCode = 0;
};

class CSnacAuthKeyReply final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    std::string key;
};

class CSnacServerFamilies final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    std::vector<uint16_t> families;
};

class CSnacServiceVersions final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    std::vector<std::pair<uint16_t, uint16_t>> versions;
};

struct TRateClass {
    uint16_t classId = 0;
    uint32_t values[8] = {};
    uint8_t state = 0;
    uint16_t groupId = 0;
    std::vector<uint32_t> snacs;
};

class CSnacRateInfo final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    std::vector<TRateClass> classes;
};

class CSnacOwnInfo final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    // The status word of TLV 6 (its second half), when TLV 6 holds one.
    std::optional<uint16_t> StatusWord() const;
    CYolString screenName;
    OscarTlvs tlvs;
};
