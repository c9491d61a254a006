#include "RuvMetaRecords.h"

#include "CByteReader.h"
#include "RuvRecords.h"
#include "RuvText.h"

#include <algorithm>
#include <optional>

namespace {

// A meta text: LE16 length L counting the NUL, then L bytes; the text is
// the first L - 1 of them (empty for L of 0 or 1), never cut at an
// embedded NUL.
bool ReadText(CByteReader& meta, CYolString& text) {
    unsigned short length = 0;
    const unsigned char* bytes = nullptr;
    if (!meta.Read16LE(length) || !meta.ReadView(bytes, length))
        return false;
    if (length > 1)
        text = RuvText::FromAnsi({reinterpret_cast<const char*>(bytes), static_cast<size_t>(length - 1)});
    return true;
}

bool ReadTexts(CByteReader& meta, std::initializer_list<CYolString*> texts) {
    for (CYolString* text : texts)
        if (!ReadText(meta, *text))
            return false;
    return true;
}

}  // namespace

bool CSnacMetaReply::ReadHeader(const uint8_t* bytes, size_t size, CByteReader& meta) {
    std::optional<CByteReader> payload = OscarSnacPayload(*this, bytes, size, 0x15, 0x03);
    unsigned short type = 0;
    if (!payload || !payload->Read16(type) || type != 0x0001 || !payload->Read16(metaLength))
        return false;
    metaStart = static_cast<size_t>(payload->Current() - bytes);
    if (!payload->ReadSub(meta, metaLength))
        return false;
    return meta.Skip(2) && meta.Read32LE(ownerNumber) && meta.Read16LE(dataType) && meta.Read16LE(metaSequence);
}

size_t CSnacMetaReply::Unpack(const uint8_t* bytes, size_t size) {
    CByteReader meta;
    return ReadHeader(bytes, size, meta) ? FrameOffset(meta) : 0;
}

bool CSnacMetaInfoReply::IsDetailsSubtype(uint16_t subtype) {
    static constexpr uint16_t kSubtypes[] = {0x00C8, 0x00D2, 0x00DC, 0x00E6, 0x00EB, 0x00F0, 0x00FA, 0x010E};
    return std::find(std::begin(kSubtypes), std::end(kSubtypes), subtype) != std::end(kSubtypes);
}

size_t CSnacMetaInfoReply::Unpack(const uint8_t* bytes, size_t size) {
    CByteReader meta;
    if (!ReadHeader(bytes, size, meta) || dataType != RuvMeta::kInfoReply || !meta.Read16LE(metaSubtype) ||
        !IsDetailsSubtype(metaSubtype))
        return 0;
    return FrameOffset(meta);
}

bool CSnacMetaInfoReply::ReadResult(const uint8_t* bytes, size_t size, uint16_t subtype, CByteReader& meta) {
    unsigned char result = 0;
    if (!ReadHeader(bytes, size, meta) || dataType != RuvMeta::kInfoReply || !meta.Read16LE(metaSubtype) ||
        metaSubtype != subtype || !meta.Read8(result))
        return false;
    failed = result != RuvMeta::kSuccess;
    return true;
}

size_t CSnacMetaFieldsReply::Unpack(const uint8_t* bytes, size_t size) {
    CByteReader meta;
    if (!ReadResult(bytes, size, ownSubtype, meta))
        return 0;
    if (!failed && !ReadFields(meta))
        return 0;
    return FrameOffset(meta);
}

bool CSnacBasicInfoReply::ReadFields(CByteReader& meta) {
    return ReadTexts(meta, {&nick, &firstName, &lastName, &email, &homeCity, &homeState, &homePhone, &homeFax,
                            &homeAddress, &cellPhone, &homeZip}) &&
           meta.Read16LE(homeCountry) && meta.Read8(gmtOffset) && meta.Read8(authorization) && meta.Read8(webAware) &&
           meta.Read8(directConnection) && meta.Read8(publishEmail);
}

bool CSnacWorkInfoReply::ReadFields(CByteReader& meta) {
    if (!ReadTexts(meta, {&workCity, &workState, &workPhone, &workFax, &workAddress, &workZip}) ||
        !meta.Read16LE(workCountry) || !ReadTexts(meta, {&company, &department, &position}) ||
        !meta.Read16LE(occupation) || !ReadText(meta, webPage))
        return false;
    // Some servers send the zip again, whole, after the web page; a trailer
    // that does not read is left alone.
    CYolString zip;
    if (meta.Remaining() > 0 && ReadText(meta, zip) && !zip.IsEmpty())
        workZip = zip;
    return true;
}

bool CSnacMoreInfoReply::ReadFields(CByteReader& meta) {
    return meta.Read16LE(age) && meta.Read8(gender) && ReadText(meta, homepage) && meta.Read16LE(birthYear) &&
           meta.Read8(birthMonth) && meta.Read8(birthDay) && meta.Read8(languages[0]) && meta.Read8(languages[1]) &&
           meta.Read8(languages[2]) && meta.Skip(2) && ReadTexts(meta, {&originCity, &originState}) &&
           meta.Read16LE(originCountry) && meta.Read8(maritalStatus) && meta.Skip(4) &&
           ReadText(meta, localizationId) && meta.Skip(8) && ReadText(meta, localizationEmail);
}

bool CSnacAboutReply::ReadFields(CByteReader& meta) { return ReadText(meta, about); }

bool CSnacInterestsReply::ReadFields(CByteReader& meta) {
    unsigned char count = 0;
    if (!meta.Read8(count))
        return false;
    for (size_t i = 0; i < std::min<size_t>(count, interests.size()); ++i)
        if (!meta.Read16LE(interests[i].category) || !ReadText(meta, interests[i].keywords))
            return false;
    return true;
}

size_t CSnacOfflineMessage::Unpack(const uint8_t* bytes, size_t size) {
    CByteReader meta;
    const unsigned char* body = nullptr;
    if (!ReadHeader(bytes, size, meta) || dataType != RuvMeta::kStoredMessage || !meta.Read32LE(sender) ||
        !meta.Read16LE(year) || !meta.Read8(month) || !meta.Read8(day) || !meta.Read8(hour) || !meta.Read8(minute) ||
        !meta.Read8(messageType) || !meta.Read8(messageFlags) || !meta.Read16LE(textLength) ||
        !meta.ReadView(body, textLength))
        return 0;
    // The text ends with its NUL, which is no part of what was written.
    std::string_view raw(reinterpret_cast<const char*>(body), textLength);
    while (!raw.empty() && raw.back() == '\0')
        raw.remove_suffix(1);
    text = RuvText::FromAnsi(raw);
    return FrameOffset(meta);
}

CYolString CSnacOfflineMessage::GetSenderText() const { return CYolString::FromUtf8(std::to_string(sender)); }

size_t TFoundUser::Unpack(CByteReader& meta) {
    const int start = meta.Position();
    unsigned char result = 0;
    if (!meta.Read8(result))
        return 0;
    if (result == 0x32 || result == 0x14)
        return 1;
    if (result != RuvMeta::kSuccess)
        return 0;
    if (!meta.Skip(2) || !meta.Read32LE(number) || !ReadTexts(meta, {&nick, &firstName, &lastName, &email}) ||
        !meta.Read8(authorization) || !meta.Read16LE(status) || !meta.Read8(gender) || !meta.Read16LE(age))
        return 0;
    return static_cast<size_t>(meta.Position() - start);
}

size_t CSnacSearchResult::Unpack(const uint8_t* bytes, size_t size) {
    CByteReader meta;
    unsigned short subtype = 0;
    if (!ReadHeader(bytes, size, meta) || dataType != RuvMeta::kInfoReply || !meta.Read16LE(subtype) ||
        (subtype != RuvMeta::kSearchHit && subtype != RuvMeta::kLastSearchHit))
        return 0;
    last = subtype == RuvMeta::kLastSearchHit;
    if (user.Unpack(meta) < 1)
        return 0;
    return FrameOffset(meta);
}
