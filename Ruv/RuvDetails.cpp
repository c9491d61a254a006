#include "RuvDetails.h"

#include "YolAsciiText.h"
#include "CContactList.h"
#include "CProtocolsManager.h"
#include "RuvMetaPackets.h"
#include "RuvMetaRecords.h"
#include "RuvText.h"

#include <memory>

namespace {

namespace N = RuvDetailKey;

RuvDetailValues ValuesOf(const CSnacBasicInfoReply& r) {
    return {{N::NickName, r.nick},
            {N::FirstName, r.firstName},
            {N::LastName, r.lastName},
            {N::Email, r.email},
            {N::HomeCity, r.homeCity},
            {N::HomeState, r.homeState},
            {N::HomePhone, r.homePhone},
            {N::HomeFax, r.homeFax},
            {N::HomeAddress, r.homeAddress},
            {N::CellPhone, r.cellPhone},
            {N::HomeZip, r.homeZip},
            {N::HomeCountryCode, r.homeCountry},
            {N::GmtOffset, r.gmtOffset},
            {N::AuthorizationFlag, r.authorization},
            {N::WebawareFlag, r.webAware},
            {N::DirectConnection, r.directConnection},
            {N::PublishEmailFlag, r.publishEmail}};
}

RuvDetailValues ValuesOf(const CSnacWorkInfoReply& r) {
    return {{N::WorkCity, r.workCity},       {N::WorkState, r.workState},
            {N::WorkPhone, r.workPhone},     {N::WorkFax, r.workFax},
            {N::WorkAddress, r.workAddress}, {N::WorkZip, r.workZip},
            {N::WorkCountryCode, r.workCountry}, {N::WorkCompany, r.company},
            {N::WorkDepartment, r.department},   {N::WorkPosition, r.position},
            {N::WorkOccupationCode, r.occupation}, {N::WorkWebpage, r.webPage}};
}

RuvDetailValues ValuesOf(const CSnacMoreInfoReply& r) {
    return {{N::Age, r.age},
            {N::Gender, r.gender},
            {N::Homepage, r.homepage},
            {N::BirthYear, r.birthYear},
            {N::BirthMonth, r.birthMonth},
            {N::BirthDay, r.birthDay},
            {N::SpokenLanguage1, r.languages[0]},
            {N::SpokenLanguage2, r.languages[1]},
            {N::SpokenLanguage3, r.languages[2]},
            {N::City, r.originCity},
            {N::State, r.originState},
            {N::CountryCode, r.originCountry},
            {N::MaritalStatusCode, r.maritalStatus},
            {N::LocalizationId, r.localizationId},
            {N::LocalizationEmail, r.localizationEmail}};
}

RuvDetailValues ValuesOf(const CSnacAboutReply& r) { return {{N::About, r.about}}; }

RuvDetailValues ValuesOf(const CSnacInterestsReply& r) {
    static constexpr const char16_t* kCodes[] = {N::Interest1, N::Interest2, N::Interest3, N::Interest4};
    static constexpr const char16_t* kKeys[] = {N::InterestKeys1, N::InterestKeys2, N::InterestKeys3,
                                                N::InterestKeys4};
    RuvDetailValues values;
    for (size_t i = 0; i < r.interests.size(); ++i) {
        values.emplace_back(kCodes[i], r.interests[i].category);
        values.emplace_back(kKeys[i], r.interests[i].keywords);
    }
    return values;
}

template <typename Record>
bool Read(const uint8_t* frame, size_t size, RuvDetailsReply& out) {
    Record record;
    if (record.Unpack(frame, size) == 0)
        return false;
    out.sequence = record.metaSequence;
    out.more = (record.flags & 1) != 0;
    out.success = record.IsSuccess();
    if constexpr (!std::is_same_v<Record, CSnacMetaInfoReply>)
        out.values = ValuesOf(record);
    if constexpr (std::is_same_v<Record, CSnacBasicInfoReply>)
        out.nick = record.nick;
    return true;
}

}  // namespace

bool ReadDetailsReply(const uint8_t* frame, size_t size, RuvDetailsReply& out) {
    CSnacMetaInfoReply any;
    if (any.Unpack(frame, size) == 0)
        return false;
    out = RuvDetailsReply();
    out.subtype = any.metaSubtype;
    switch (out.subtype) {
    case RuvMeta::kBasicInfo: return Read<CSnacBasicInfoReply>(frame, size, out);
    case RuvMeta::kWorkInfo: return Read<CSnacWorkInfoReply>(frame, size, out);
    case RuvMeta::kMoreInfo: return Read<CSnacMoreInfoReply>(frame, size, out);
    case RuvMeta::kAboutInfo: return Read<CSnacAboutReply>(frame, size, out);
    case RuvMeta::kInterestsInfo: return Read<CSnacInterestsReply>(frame, size, out);
    default: return Read<CSnacMetaInfoReply>(frame, size, out);
    }
}

std::optional<uint32_t> RuvNumber(const CYolString& text) { return YolAsciiNumber(text.ToUtf8()); }

uint16_t RuvDetails::FreeSequence() {
    uint16_t sequence = static_cast<uint16_t>(sink.RandomRequestId());
    // Two open series under one number could not be told apart.
    while (pendingInfoRequests.count(sequence) != 0)
        ++sequence;
    return sequence;
}

bool RuvDetails::Request(unsigned int contact, uint32_t number) {
    const std::optional<uint32_t> own = RuvNumber(ports.ownLogin());
    if (!ports.online() || !own)
        return false;
    const uint16_t sequence = FreeSequence();
    if (!sink.Send(CFullInfoRequestPacket(sink.NextSequence(), sink.RandomRequestId(), *own, sequence, number)))
        return false;
    pendingInfoRequests[sequence] = contact;
    return true;
}

bool RuvDetails::RequestContactInfo(unsigned int contact) {
    if (contact == 0 || !model.Available())
        return false;
    const std::optional<uint32_t> number = RuvNumber(model.Key(contact));
    return number && Request(contact, *number);
}

bool RuvDetails::RequestOwnInfo() {
    const std::optional<uint32_t> number = RuvNumber(ports.ownLogin());
    return number && Request(0, *number);
}

bool RuvDetails::SaveOwnInfo(const CTLVCol& changes) {
    if (const CTLV* birthday = changes.GetTLV(0x023A); birthday != nullptr && store.OwnAvailable()) {
        CByteReader value = birthday->Reader();
        unsigned short year = 0;
        unsigned short month = 0;
        unsigned short day = 0;
        if (value.Read16LE(year) && value.Read16LE(month) && value.Read16LE(day)) {
            store.StoreOwn(N::BirthYear, year);
            store.StoreOwn(N::BirthMonth, static_cast<uint8_t>(month));
            store.StoreOwn(N::BirthDay, static_cast<uint8_t>(day));
        }
    }
    const std::optional<uint32_t> own = RuvNumber(ports.ownLogin());
    if (changes.Count() == 0 || !ports.online() || !own)
        return false;
    return sink.Send(CSaveInfoPacket(sink.NextSequence(), sink.RandomRequestId(), *own,
                                     static_cast<uint16_t>(sink.RandomRequestId()), changes));
}

void RuvDetails::StoreForContact(unsigned int contact, const RuvDetailsReply& reply) {
    for (const auto& [key, value] : reply.values)
        store.StoreContact(contact, key, value);
    if (reply.subtype != RuvMeta::kBasicInfo || reply.nick.IsEmpty())
        return;
    // A contact still shown under its login is named after its nick.
    if (!(model.Alias(contact) == model.Key(contact)))
        return;
    if (model.ParentOf(contact) == 0)
        model.SetAlias(contact, reply.nick);
    else
        ports.renameOnServer(contact, reply.nick);
}

void RuvDetails::OnMetaInfoReply(const uint8_t* frame, size_t size) {
    if (!model.Available())
        return;
    RuvDetailsReply reply;
    if (!ReadDetailsReply(frame, size, reply))
        return;
    const auto pending = pendingInfoRequests.find(reply.sequence);
    if (pending == pendingInfoRequests.end())
        return;
    const unsigned int contact = pending->second;
    const bool last = !reply.more;
    // A failed reply carries no details: what is stored stays.
    if (!reply.success)
        reply.values.clear();

    if (contact != 0) {
        StoreForContact(contact, reply);
        if (last)
            ports.contactDetailsReady(contact);
    }
    const bool own = store.OwnAvailable() &&
                     (contact == 0 || RuvText::SameName(model.Key(contact), ports.ownLogin()));
    if (own) {
        for (const auto& [key, value] : reply.values)
            store.StoreOwn(key, value);
        if (last)
            ports.ownDetailsReady();
    }
    if (last)
        pendingInfoRequests.erase(reply.sequence);
}

void RuvDetailStoreAdapter::StoreContact(unsigned int contact, const char16_t* key, const RuvDetailValue& value) {
    CL::CContactList* contacts = list();
    if (contacts == nullptr)
        return;
    const CYolString name(key);
    if (const auto* text = std::get_if<CYolString>(&value)) {
        contacts->SetItemString(contact, name, *text);
    } else if (const auto* word = std::get_if<uint16_t>(&value)) {
        const short stored = static_cast<short>(*word);
        contacts->SetItemWord(contact, name, &stored);
    } else {
        const unsigned char stored = std::get<uint8_t>(value);
        contacts->SetItemByte(contact, name, &stored);
    }
}

void RuvDetailStoreAdapter::StoreOwn(const char16_t* key, const RuvDetailValue& value) {
    Protocols::CProtocolsManager* settings = manager();
    if (settings == nullptr)
        return;
    const CYolString name(key);
    if (const auto* text = std::get_if<CYolString>(&value))
        settings->SetAccountString(accountId, name, *text, false);
    else if (const auto* word = std::get_if<uint16_t>(&value))
        settings->SetAccountWord(accountId, name, *word);
    else
        settings->SetAccountByte(accountId, name, std::get<uint8_t>(value));
}
