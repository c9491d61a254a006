#pragma once
// The meta service's requests (SNAC 15/02): a search by number, by e-mail
// or by white-pages criteria, a user's full details, the saving of the own
// details, and the requests without data (stored messages). The SNAC
// carries one TLV 1 whose value is little-endian throughout, unlike the
// rest of OSCAR: a header with the own number, the request type and a
// sequence the replies echo, then the request's subtype and data.
//
// The meta length is taken from what was written, so it always matches the
// frame; a request whose data a 16-bit length cannot count is refused whole
// (Serialize answers empty) rather than sent with a wrong length.

#include "CFlapPacket.h"
#include "CTLV.h"
#include "CYolString.h"

#include <cstdint>
#include <string>

// Little-endian building of meta data. Texts go as the meta service reads
// them: a 16-bit length that counts a closing NUL, the bytes, the NUL.
class RuvMetaWriter {
public:
    RuvMetaWriter& U8(uint8_t value);
    RuvMetaWriter& U16(uint16_t value);
    RuvMetaWriter& U32(uint32_t value);
    RuvMetaWriter& Bytes(std::string_view bytes);
    // LE16 type, LE16 length, the value.
    RuvMetaWriter& Tlv(uint16_t type, std::string_view value);
    // A text TLV: type, length n + 3, LE16 n + 1, the text's n bytes, NUL.
    RuvMetaWriter& TextTlv(uint16_t type, std::string_view text);
    // A category TLV: type, length k + 5, LE16 category, LE16 k + 1, the
    // keyword's k bytes, NUL.
    RuvMetaWriter& CategoryTlv(uint16_t type, uint16_t category, std::string_view keyword);
    const std::string& Data() const { return data; }

private:
    std::string data;
};

namespace RuvMeta {
inline constexpr uint16_t kInfoRequest = 0x07D0;
inline constexpr uint16_t kStoredMessagesRequest = 0x003C;
inline constexpr uint16_t kDeleteStoredMessages = 0x003E;

inline constexpr uint16_t kSearchByNumber = 0x0569;
inline constexpr uint16_t kSearchByEmail = 0x0573;
inline constexpr uint16_t kWhitePagesSearch = 0x055F;
inline constexpr uint16_t kFullInfoRequest = 0x04D0;
inline constexpr uint16_t kSaveInfo = 0x0C3A;
}  // namespace RuvMeta

// The account's search request, kept between searches and filled by the
// search pages; the white-pages search sends the criteria that are set.
struct TSearchRequest {
    enum Kind : int { ByNumber = 0, ByEmail = 1, WhitePages = 2 };
    int kind = ByNumber;
    uint32_t number = 0;
    CYolString email;
    bool onlineOnly = false;
    CYolString nickname;
    CYolString firstName;
    CYolString lastName;
    uint8_t language = 0;
    uint8_t gender = 0;
    uint8_t ageFrom = 0;
    uint8_t ageTo = 0;
    uint8_t maritalStatus = 0;
    uint16_t country = 0;
    CYolString city;
    uint16_t occupation = 0;
    uint16_t interestsCategory = 0;
    uint16_t affiliationCategory = 0;
    uint16_t pastCategory = 0;
    CYolString keywords;
};

// The header every meta request starts with; alone it is a request without
// data of the given type (0x003C stored messages, 0x003E delete them).
class CMetaRequestPacket : public CSnacPacket {
public:
    CMetaRequestPacket(uint16_t sequence, uint32_t requestId, uint32_t ownNumber, uint16_t requestType,
                       uint16_t requestSequence)
        : CSnacPacket(sequence, 0x15, 0x02, requestId), ownNumber(ownNumber), requestType(requestType),
          requestSequence(requestSequence) {}

    uint32_t ownNumber;
    uint16_t requestType;
    uint16_t requestSequence;

protected:
    // The request's own bytes after the header (subtype and data).
    virtual void WriteMeta(RuvMetaWriter&) const {}

private:
    void WritePayload(OscarWriter& out) const final;
};

// An info request (type 0x07D0) of one subtype.
class CMetaInfoRequestPacket : public CMetaRequestPacket {
public:
    CMetaInfoRequestPacket(uint16_t sequence, uint32_t requestId, uint32_t ownNumber, uint16_t requestSequence,
                           uint16_t subtype)
        : CMetaRequestPacket(sequence, requestId, ownNumber, RuvMeta::kInfoRequest, requestSequence),
          metaSubtype(subtype) {}

protected:
    virtual void WriteData(RuvMetaWriter&) const = 0;

private:
    void WriteMeta(RuvMetaWriter& out) const final;
    uint16_t metaSubtype;
};

class CSearchByNumberPacket final : public CMetaInfoRequestPacket {
public:
    CSearchByNumberPacket(uint16_t sequence, uint32_t requestId, uint32_t ownNumber, uint16_t requestSequence,
                          uint32_t number)
        : CMetaInfoRequestPacket(sequence, requestId, ownNumber, requestSequence, RuvMeta::kSearchByNumber),
          number(number) {}

private:
    void WriteData(RuvMetaWriter& out) const override;
    uint32_t number;
};

class CSearchByEmailPacket final : public CMetaInfoRequestPacket {
public:
    CSearchByEmailPacket(uint16_t sequence, uint32_t requestId, uint32_t ownNumber, uint16_t requestSequence,
                         const CYolString& email)
        : CMetaInfoRequestPacket(sequence, requestId, ownNumber, requestSequence, RuvMeta::kSearchByEmail),
          email(email) {}

private:
    void WriteData(RuvMetaWriter& out) const override;
    CYolString email;
};

class CWhitePagesSearchPacket final : public CMetaInfoRequestPacket {
public:
    CWhitePagesSearchPacket(uint16_t sequence, uint32_t requestId, uint32_t ownNumber, uint16_t requestSequence,
                            const TSearchRequest& criteria)
        : CMetaInfoRequestPacket(sequence, requestId, ownNumber, requestSequence, RuvMeta::kWhitePagesSearch),
          criteria(criteria) {}

private:
    void WriteData(RuvMetaWriter& out) const override;
    TSearchRequest criteria;
};

class CFullInfoRequestPacket final : public CMetaInfoRequestPacket {
public:
    CFullInfoRequestPacket(uint16_t sequence, uint32_t requestId, uint32_t ownNumber, uint16_t requestSequence,
                           uint32_t number)
        : CMetaInfoRequestPacket(sequence, requestId, ownNumber, requestSequence, RuvMeta::kFullInfoRequest),
          number(number) {}

private:
    void WriteData(RuvMetaWriter& out) const override;
    uint32_t number;
};

// The changed own details as TLVs; their headers go little-endian.
class CSaveInfoPacket final : public CMetaInfoRequestPacket {
public:
    CSaveInfoPacket(uint16_t sequence, uint32_t requestId, uint32_t ownNumber, uint16_t requestSequence,
                    const CTLVCol& fields)
        : CMetaInfoRequestPacket(sequence, requestId, ownNumber, requestSequence, RuvMeta::kSaveInfo),
          fields(fields) {}

private:
    void WriteData(RuvMetaWriter& out) const override;
    CTLVCol fields;
};
