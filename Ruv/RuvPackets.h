#pragma once
// The packets the account sends while it signs on and runs its session:
// one small class per kind, each holding its own values and writing its
// payload. The caller gives each the frame sequence number (and the request
// id where the kind does not fix it) and sends Serialize().

#include "CFlapPacket.h"
#include "CYolString.h"
#include "RuvCapabilities.h"

#include <array>
#include <utility>
#include <vector>

// Channel 1 on the session server: protocol version 1 and the cookie.
class CFlapCookiePacket final : public CFlapPacket {
public:
    CFlapCookiePacket(uint16_t sequence, std::string cookie) : CFlapPacket(1, sequence), cookie(std::move(cookie)) {}

private:
    void WritePayload(OscarWriter& out) const override;
    std::string cookie;
};

// Channel 1 on the login server: protocol version 1 and the MD5-login mark.
class CLoginHelloPacket final : public CFlapPacket {
public:
    explicit CLoginHelloPacket(uint16_t sequence) : CFlapPacket(1, sequence) {}

private:
    void WritePayload(OscarWriter& out) const override;
};

// A SNAC whose payload is given as it stands (requests without values of
// their own, or with one fixed TLV).
class CPlainSnacPacket final : public CSnacPacket {
public:
    CPlainSnacPacket(uint16_t sequence, uint16_t family, uint16_t subtype, uint32_t requestId, std::string payload = {})
        : CSnacPacket(sequence, family, subtype, requestId), payload(std::move(payload)) {}

private:
    void WritePayload(OscarWriter& out) const override { out.Bytes(payload); }
    std::string payload;
};

class CKeyRequestPacket final : public CSnacPacket {
public:
    CKeyRequestPacket(uint16_t sequence, uint32_t requestId, const CYolString& screenName)
        : CSnacPacket(sequence, 0x17, 0x06, requestId), screenName(screenName) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString screenName;
};

class CMd5LoginPacket final : public CSnacPacket {
public:
    static constexpr const char* kSalt = "Pelican Harbour Relay (QX)";
    CMd5LoginPacket(uint16_t sequence, uint32_t requestId, const CYolString& screenName, std::string key,
                    const std::array<uint8_t, 16>& passwordDigest)
        : CSnacPacket(sequence, 0x17, 0x02, requestId), screenName(screenName), key(std::move(key)),
          passwordDigest(passwordDigest) {}
    // MD5 over the key, the password digest and the fixed text.
    static std::string Answer(std::string_view key, const std::array<uint8_t, 16>& passwordDigest);

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString screenName;
    std::string key;
    std::array<uint8_t, 16> passwordDigest;
};

// The (family, version) pairs the client speaks, in the order it asks for
// them.
using FamilyVersions = std::vector<std::pair<uint16_t, uint16_t>>;
const FamilyVersions& RuvFamilyVersions();

class CFamilyVersionsPacket final : public CSnacPacket {
public:
    CFamilyVersionsPacket(uint16_t sequence, uint32_t requestId, FamilyVersions pairs = {})
        : CSnacPacket(sequence, 0x01, 0x17, requestId), pairs(std::move(pairs)) {}
    void Add(uint16_t family, uint16_t version) { pairs.emplace_back(family, version); }

private:
    void WritePayload(OscarWriter& out) const override;
    FamilyVersions pairs;
};

class CRateRequestPacket final : public CSnacPacket {
public:
    CRateRequestPacket(uint16_t sequence, uint32_t requestId) : CSnacPacket(sequence, 0x01, 0x06, requestId) {}
};

class CRateAckPacket final : public CSnacPacket {
public:
    CRateAckPacket(uint16_t sequence, std::vector<uint16_t> classes)
        : CSnacPacket(sequence, 0x01, 0x08, 8), classes(std::move(classes)) {}

private:
    void WritePayload(OscarWriter& out) const override;
    std::vector<uint16_t> classes;
};

class CClientReadyPacket final : public CSnacPacket {
public:
    CClientReadyPacket(uint16_t sequence, uint32_t requestId) : CSnacPacket(sequence, 0x01, 0x02, requestId) {}

private:
    void WritePayload(OscarWriter& out) const override;
};

class CSetStatusPacket final : public CSnacPacket {
public:
    CSetStatusPacket(uint16_t sequence, uint32_t requestId, uint16_t statusFlags, uint16_t statusWord, bool extended)
        : CSnacPacket(sequence, 0x01, 0x1E, requestId), statusFlags(statusFlags), statusWord(statusWord),
          extended(extended) {}

private:
    void WritePayload(OscarWriter& out) const override;
    uint16_t statusFlags;
    uint16_t statusWord;
    bool extended;
};

class CSetCapsPacket final : public CSnacPacket {
public:
    // The short own list: the fixed seven, `listed`, then typing.
    CSetCapsPacket(uint16_t sequence, uint32_t requestId, bool withTyping, std::vector<RuvCapabilityGuid> listed)
        : CSnacPacket(sequence, 0x02, 0x04, requestId), withTyping(withTyping), listed(std::move(listed)) {}
    // The full fixed list of twelve.
    static CSetCapsPacket FullList(uint16_t sequence, uint32_t requestId) {
        CSetCapsPacket packet(sequence, requestId, false, {});
        packet.fullList = true;
        return packet;
    }

private:
    void WritePayload(OscarWriter& out) const override;
    bool withTyping;
    bool fullList = false;
    std::vector<RuvCapabilityGuid> listed;
};

class CUserInfoRequestPacket final : public CSnacPacket {
public:
    CUserInfoRequestPacket(uint16_t sequence, uint32_t requestId, const CYolString& screenName)
        : CSnacPacket(sequence, 0x02, 0x15, requestId), screenName(screenName) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString screenName;
};

struct IcbmParams {
    uint16_t channel = 0;
    uint32_t flags = 0;
    uint16_t maxMessageSize = 0;
    uint16_t maxSenderWarning = 0;
    uint16_t maxReceiverWarning = 0;
    uint16_t minInterval = 0;
};

class CIcbmParamsPacket final : public CSnacPacket {
public:
    CIcbmParamsPacket(uint16_t sequence, uint32_t requestId, const IcbmParams& params)
        : CSnacPacket(sequence, 0x04, 0x02, requestId), params(params) {}

private:
    void WritePayload(OscarWriter& out) const override;
    IcbmParams params;
};

// Typing notice: the wire code is the kind itself (0 finished, 1 typed,
// 2 begun), the same numbers a received notice carries.
class CTypingPacket final : public CSnacPacket {
public:
    CTypingPacket(uint16_t sequence, uint32_t requestId, const CYolString& screenName, uint16_t kind)
        : CSnacPacket(sequence, 0x04, 0x14, requestId), screenName(screenName), kind(kind) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString screenName;
    uint16_t kind;
};

// 13/08 add, 13/09 update, 13/0A delete of one server-side list item.
class CListItemPacket final : public CSnacPacket {
public:
    CListItemPacket(uint16_t sequence, uint16_t subtype, uint32_t requestId, const CYolString& name, uint16_t groupId,
                    uint16_t itemId, uint16_t type, std::string tlvs)
        : CSnacPacket(sequence, 0x13, subtype, requestId), name(name), groupId(groupId), itemId(itemId), type(type),
          tlvs(std::move(tlvs)) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString name;
    uint16_t groupId;
    uint16_t itemId;
    uint16_t type;
    std::string tlvs;
};

class CAuthRequestPacket final : public CSnacPacket {
public:
    CAuthRequestPacket(uint16_t sequence, uint32_t requestId, const CYolString& screenName, const CYolString& reason)
        : CSnacPacket(sequence, 0x13, 0x18, requestId), screenName(screenName), reason(reason) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString screenName;
    CYolString reason;
};

class CAuthReplyPacket final : public CSnacPacket {
public:
    CAuthReplyPacket(uint16_t sequence, uint32_t requestId, const CYolString& screenName, bool granted)
        : CSnacPacket(sequence, 0x13, 0x1A, requestId), screenName(screenName), granted(granted) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString screenName;
    bool granted;
};
