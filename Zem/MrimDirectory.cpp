#include "MrimDirectory.h"

#include <algorithm>

namespace {

// Fields whose values are UTF-16LE; every other value is Windows-1251.
constexpr const char* kWideFields[] = {"nickname", "firstname", "lastname", "location"};

// Item values written from the directory.
constexpr char16_t kNickName[] = u"Zem: nick name";
constexpr char16_t kFirstName[] = u"Zem: first name";
constexpr char16_t kLastName[] = u"Zem: last name";
constexpr char16_t kLocation[] = u"Zem: location";
constexpr char16_t kRegionId[] = u"Zem: region id";
constexpr char16_t kCountryId[] = u"Zem: country id";
constexpr char16_t kGenderId[] = u"Zem: gender id";
constexpr char16_t kBirthYear[] = u"Zem: birth year";
constexpr char16_t kBirthMonth[] = u"Zem: birth month";
constexpr char16_t kBirthDay[] = u"Zem: birth day";
constexpr char16_t kZodiacId[] = u"Zem: zodiac id";
constexpr char16_t kAlias[] = u"CL Alias";

struct TextKey {
    const char* field;
    const char16_t* key;
};
constexpr TextKey kTextKeys[] = {
    {"nickname", kNickName}, {"firstname", kFirstName}, {"lastname", kLastName}, {"location", kLocation}};

struct NumberKey {
    const char* field;
    const char16_t* key;
    bool searchOnly;
};
constexpr NumberKey kNumberKeys[] = {{"city_id", kRegionId, false},
                                     {"zodiac", kZodiacId, false},
                                     {"country_id", kCountryId, true},
                                     {"sex", kGenderId, true}};

// A decimal number; false for anything else (sign, spaces, overflow).
bool ParseDecimal(std::string_view text, uint32_t& out) {
    if (text.empty() || text.size() > 9)
        return false;
    out = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        out = out * 10 + static_cast<uint32_t>(c - '0');
    }
    return true;
}

uint32_t NumberOf(const CYolString& text) {
    uint32_t value = 0;
    return ParseDecimal(text.ToUtf8(), value) ? value : 0;
}

// An address's user and domain parts, split at its first "@"; false when
// there is no "@" after at least one character.
bool SplitAddress(const CYolString& address, std::string& user, std::string& domain) {
    const std::string text = ToUtf8Bytes(address);
    const size_t at = text.find('@');
    if (at == std::string::npos || at == 0)
        return false;
    user = text.substr(0, at);
    domain = text.substr(at + 1);
    return true;
}

std::string AddressParameters(const std::string& user, const std::string& domain) {
    return MrimBodyWriter().UL(0).LPS(user).UL(1).LPS(domain).Take();
}

CYolString Decimal(int value) { return CYolString::FromUtf8(std::to_string(value)); }

const CYolString* Field(const std::map<std::string, CYolString>& row, const char* name) {
    auto it = row.find(name);
    return it == row.end() ? nullptr : &it->second;
}

}  // namespace

bool ParseZemBirthday(const std::string& text, ZemDate& out) {
    out = ZemDate{};
    const size_t first = text.find('-');
    const size_t second = first == std::string::npos ? first : text.find('-', first + 1);
    if (first == std::string::npos || first == 0 || second == std::string::npos)
        return false;
    uint32_t year = 0, month = 0, day = 0;
    if (!ParseDecimal(std::string_view(text).substr(0, first), year) ||
        !ParseDecimal(std::string_view(text).substr(first + 1, second - first - 1), month) ||
        !ParseDecimal(std::string_view(text).substr(second + 1), day))
        return false;
    out = ZemDate{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
    return true;
}

int ZemAge(const ZemDate& birth, const ZemDate& today) {
    int age = today.year - birth.year;
    if (today.month < birth.month || (today.month == birth.month && today.day < birth.day))
        --age;
    return std::max(age, 0);
}

bool ReadDirectoryAnswer(std::string_view body, MrimDirectoryAnswer& out) {
    out = MrimDirectoryAnswer{};
    MrimBodyReader reader(body);
    uint32_t fields = 0, limit = 0, time = 0;
    if (!reader.UL(out.result))
        return false;
    if (out.result != 1)
        return true;
    if (!reader.UL(fields) || !reader.UL(limit) || !reader.UL(time))
        return false;
    // Every name takes at least its count: a larger number cannot be true.
    if (fields > static_cast<uint32_t>(reader.Remaining()) / 4)
        return false;
    std::vector<std::string> names;
    for (uint32_t i = 0; i < fields; ++i) {
        std::string name = ToUtf8Bytes(From1251Bytes(reader.LPS()));
        // Field names are ASCII; the letters are lowered the same under any locale.
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        names.push_back(std::move(name));
    }
    // A row of no fields takes no bytes: the row limit alone would never end it.
    if (reader.Failed() || names.empty())
        return reader.Failed() ? false : true;
    while (reader.Remaining() >= 5 && out.rows.size() < limit) {
        std::map<std::string, CYolString> row;
        for (const std::string& name : names) {
            const std::string_view value = reader.LPS();
            const bool wide = std::any_of(std::begin(kWideFields), std::end(kWideFields),
                                          [&](const char* field) { return name == field; });
            row.emplace(name, wide ? FromUtf16Bytes(value) : From1251Bytes(value));
        }
        if (reader.Failed())
            break;
        out.rows.push_back(std::move(row));
    }
    return true;
}

void MrimDirectory::RequestDetails(unsigned int contact) {
    const ZemContact* known = list.FindByItem(contact);
    std::string user, domain;
    if (known == nullptr || !SplitAddress(known->address, user, domain))
        return;
    sink.SendPacket(MrimPacketType::SearchRequest, AddressParameters(user, domain),
                    sink.NextSequence() | kDetailsBits);
}

bool MrimDirectory::SendSearch(const std::string& body) {
    return sink.SendPacket(MrimPacketType::SearchRequest, body, sink.NextSequence() | kSearchBits);
}

void MrimDirectory::StartSearch(int page) {
    if (page == 0 || page == 1)
        query.page = page;
    if (query.page == 0) {
        std::string user, domain;
        // The user waits for the end of the search whatever stopped it.
        if (!SplitAddress(query.email, user, domain) || !SendSearch(AddressParameters(user, domain)))
            owner.SearchResult(nullptr);
        return;
    }
    if (query.ageFrom > 0 && query.ageTo == 0)
        query.ageTo = 120;
    if (query.ageTo > 0 && query.ageFrom == 0)
        query.ageFrom = 1;
    MrimBodyWriter body;
    const struct {
        uint32_t number;
        const CYolString* text;
    } names[] = {{2, &query.nickname}, {3, &query.firstName}, {4, &query.lastName}};
    for (const auto& name : names)
        if (!name.text->IsEmpty())
            body.UL(name.number).LpsUtf16(*name.text);
    if (query.gender != 0)
        body.UL(5).LpsUtf16(Decimal(query.gender));
    if (query.ageFrom > 0 && query.ageTo > 0)
        body.UL(7).LpsUtf8(Decimal(query.ageFrom)).UL(8).LpsUtf8(Decimal(query.ageTo));
    if (query.countryId != 0)
        body.UL(11).LpsUtf8(Decimal(query.countryId));
    if (query.onlineOnly > 0)
        body.UL(9).LpsUtf16(Decimal(query.onlineOnly));
    // No criterion at all asks for nothing; the search ends with nothing found.
    if (body.Bytes().empty() || !SendSearch(body.Bytes()))
        owner.SearchResult(nullptr);
}

void MrimDirectory::OnAnswer(const MrimPacket& packet) {
    if (!model.Available())
        return;
    const uint32_t sequence = packet.header.sequence;
    const bool details = (sequence & 0x80000000u) && (sequence & 0x10000000u);
    MrimDirectoryAnswer answer;
    const bool read = ReadDirectoryAnswer(packet.body, answer);
    if (!read || answer.result != 1) {
        if (!details)
            owner.SearchResult(nullptr);
        return;
    }
    for (const auto& row : answer.rows) {
        const CYolString* user = Field(row, "username");
        const CYolString* domain = Field(row, "domain");
        if (user == nullptr || domain == nullptr)
            continue;
        CYolString address = *user;
        address += u"@";
        address += *domain;
        if (details)
            ApplyDetails(row, address);
        else
            ReportFound(row, address);
    }
    if (!details)
        owner.SearchResult(nullptr);
}

int MrimDirectory::ApplyBirthday(unsigned int item, const CYolString& birthday) {
    ZemDate birth;
    ParseZemBirthday(birthday.ToUtf8(), birth);
    model.SetNumber(item, kBirthYear, static_cast<unsigned int>(birth.year));
    model.SetNumber(item, kBirthMonth, static_cast<unsigned int>(birth.month));
    model.SetNumber(item, kBirthDay, static_cast<unsigned int>(birth.day));
    return birth.year == 0 ? 0 : ZemAge(birth, owner.Today());
}

void MrimDirectory::ApplyDetails(const std::map<std::string, CYolString>& row, const CYolString& address) {
    const ZemContact* contact = list.FindByAddress(address);
    if (contact == nullptr || contact->clItemId == 0)
        return;
    const unsigned int item = contact->clItemId;
    for (const TextKey& key : kTextKeys)
        if (const CYolString* value = Field(row, key.field))
            model.SetValue(item, key.key, *value);
    for (const NumberKey& key : kNumberKeys)
        if (!key.searchOnly)
            if (const CYolString* value = Field(row, key.field))
                model.SetNumber(item, key.key, NumberOf(*value));
    if (const CYolString* birthday = Field(row, "birthday"))
        ApplyBirthday(item, *birthday);
    owner.ContactDetailsReady(item);
}

void MrimDirectory::ReportFound(const std::map<std::string, CYolString>& row, const CYolString& address) {
    const unsigned int item = model.TemporaryContact(address);
    if (item == 0)
        return;
    Protocols::UserInfo user;
    user.contactId = item;
    user.login = user.email = address;
    const CYolString* status = Field(row, "mrim_status");
    const CYolString* uri = Field(row, "status_uri");
    if (status != nullptr && uri != nullptr)
        user.imageIds = owner.DirectoryStatusIcon(NumberOf(*status), *uri);
    for (const TextKey& key : kTextKeys)
        if (const CYolString* value = Field(row, key.field))
            model.SetValue(item, key.key, *value);
    if (const CYolString* nick = Field(row, "nickname")) {
        user.nick = *nick;
        model.SetValue(item, kAlias, *nick);
    }
    if (const CYolString* first = Field(row, "firstname"))
        user.firstName = *first;
    if (const CYolString* last = Field(row, "lastname"))
        user.lastName = *last;
    for (const NumberKey& key : kNumberKeys)
        if (const CYolString* value = Field(row, key.field))
            model.SetNumber(item, key.key, NumberOf(*value));
    if (const CYolString* sex = Field(row, "sex")) {
        const uint32_t code = NumberOf(*sex);
        user.gender = code == 1 ? 2 : code == 2 ? 1 : 0;
    }
    if (const CYolString* birthday = Field(row, "birthday"))
        user.age = static_cast<uint16_t>(std::min(ApplyBirthday(item, *birthday), 999));
    owner.SearchResult(&user);
}
