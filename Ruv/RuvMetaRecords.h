#pragma once
// Typed read-only views of the meta service's replies (SNAC 15/03): the
// details of a user in a series of info replies, one per group of fields,
// the hits of a search, and the stored messages. A record is made by the
// handler that received the SNAC, parses the whole frame once and keeps
// copies of its fields. Numbers and lengths inside the meta data are
// little-endian; texts are code page 1251 with a length that counts a
// closing NUL. Every field and every length is checked against the bytes
// given: a reply that is cut short or overruns its frame answers 0 from
// Unpack and is dropped whole.

#include "CFlapPacket.h"
#include "CYolString.h"

#include <array>
#include <cstdint>

#include "CByteReader.h"

namespace RuvMeta {
inline constexpr uint16_t kInfoReply = 0x07DA;
inline constexpr uint16_t kStoredMessage = 0x0041;
inline constexpr uint16_t kStoredMessagesEnd = 0x0042;

inline constexpr uint16_t kBasicInfo = 0x00C8;
inline constexpr uint16_t kWorkInfo = 0x00D2;
inline constexpr uint16_t kMoreInfo = 0x00DC;
inline constexpr uint16_t kAboutInfo = 0x00E6;
inline constexpr uint16_t kInterestsInfo = 0x00F0;
inline constexpr uint16_t kSearchHit = 0x01A4;
inline constexpr uint16_t kLastSearchHit = 0x01AE;

inline constexpr uint8_t kSuccess = 0x0A;
}  // namespace RuvMeta

// The header of every meta reply: TLV 1 and the little-endian meta header.
class CSnacMetaReply : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    // None of the replies is ever sent.
    std::string Serialize() const override { return {}; }

    uint16_t metaLength = 0;
    uint32_t ownerNumber = 0;
    uint16_t dataType = 0;
    uint16_t metaSequence = 0;

protected:
    // The reader over the meta data after the header, bounded by the TLV;
    // false when the header does not read.
    bool ReadHeader(const uint8_t* bytes, size_t size, CByteReader& meta);
    // Where `meta` stands, counted from the frame's first byte.
    size_t FrameOffset(const CByteReader& meta) const { return metaStart + static_cast<size_t>(meta.Position()); }

private:
    size_t metaStart = 0;
};

// An info reply (0x07DA) of one of the details subtypes; the subtypes
// without a record of their own (0x00EB, 0x00FA, 0x010E) are read by this
// class alone.
class CSnacMetaInfoReply : public CSnacMetaReply {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    virtual bool IsSuccess() const { return true; }
    // Whether a details reply of this subtype exists.
    static bool IsDetailsSubtype(uint16_t subtype);

    uint16_t metaSubtype = 0;

protected:
    // Reads up to the result byte for `subtype`: false when the frame is
    // not that reply. `failed` is set for a result other than success.
    bool ReadResult(const uint8_t* bytes, size_t size, uint16_t subtype, CByteReader& meta);
    bool failed = false;
};

// A details reply with fields: parsed only on success; otherwise every
// field keeps its empty value and IsSuccess answers false.
class CSnacMetaFieldsReply : public CSnacMetaInfoReply {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) final;
    bool IsSuccess() const final { return !failed; }

protected:
    explicit CSnacMetaFieldsReply(uint16_t subtype) : ownSubtype(subtype) {}
    // Reads the fields after the result byte; false when they do not fit.
    virtual bool ReadFields(CByteReader& meta) = 0;

private:
    uint16_t ownSubtype;
};

class CSnacBasicInfoReply final : public CSnacMetaFieldsReply {
public:
    CSnacBasicInfoReply() : CSnacMetaFieldsReply(RuvMeta::kBasicInfo) {}
    CYolString nick, firstName, lastName, email, homeCity, homeState, homePhone, homeFax, homeAddress, cellPhone,
        homeZip;
    uint16_t homeCountry = 0;
    uint8_t gmtOffset = 0;
    uint8_t authorization = 0;
    uint8_t webAware = 0;
    uint8_t directConnection = 0;
    uint8_t publishEmail = 0;

private:
    bool ReadFields(CByteReader& meta) override;
};

class CSnacWorkInfoReply final : public CSnacMetaFieldsReply {
public:
    CSnacWorkInfoReply() : CSnacMetaFieldsReply(RuvMeta::kWorkInfo) {}
    CYolString workCity, workState, workPhone, workFax, workAddress, workZip;
    uint16_t workCountry = 0;
    CYolString company, department, position;
    uint16_t occupation = 0;
    CYolString webPage;

private:
    bool ReadFields(CByteReader& meta) override;
};

class CSnacMoreInfoReply final : public CSnacMetaFieldsReply {
public:
    CSnacMoreInfoReply() : CSnacMetaFieldsReply(RuvMeta::kMoreInfo) {}
    uint16_t age = 0;
    uint8_t gender = 0;
    CYolString homepage;
    uint16_t birthYear = 0;
    uint8_t birthMonth = 0;
    uint8_t birthDay = 0;
    std::array<uint8_t, 3> languages{};
    CYolString originCity, originState;
    uint16_t originCountry = 0;
    uint8_t maritalStatus = 0;
    CYolString localizationId, localizationEmail;

private:
    bool ReadFields(CByteReader& meta) override;
};

class CSnacAboutReply final : public CSnacMetaFieldsReply {
public:
    CSnacAboutReply() : CSnacMetaFieldsReply(RuvMeta::kAboutInfo) {}
    CYolString about;

private:
    bool ReadFields(CByteReader& meta) override;
};

class CSnacInterestsReply final : public CSnacMetaFieldsReply {
public:
    CSnacInterestsReply() : CSnacMetaFieldsReply(RuvMeta::kInterestsInfo) {}
    struct Interest {
        uint16_t category = 0;
        CYolString keywords;
    };
    std::array<Interest, 4> interests{};

private:
    bool ReadFields(CByteReader& meta) override;
};

class CSnacOfflineMessage final : public CSnacMetaReply {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    CYolString GetSenderText() const;

    uint32_t sender = 0;
    uint16_t year = 0;
    uint8_t month = 0, day = 0, hour = 0, minute = 0;
    uint8_t messageType = 0;
    uint8_t messageFlags = 0;
    uint16_t textLength = 0;
    CYolString text;
};

struct TFoundUser {
    virtual ~TFoundUser() = default;
    // Reads one hit; answers the bytes it used (1 for the no-hit results),
    // 0 when the hit is not one.
    size_t Unpack(CByteReader& meta);

    uint32_t number = 0;
    CYolString nick, firstName, lastName, email;
    uint8_t authorization = 0;
    uint16_t status = 0;
    uint8_t gender = 0;
    uint16_t age = 0;
};

class CSnacSearchResult final : public CSnacMetaReply {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    TFoundUser user;
    // The search's last hit.
    bool last = false;
};
