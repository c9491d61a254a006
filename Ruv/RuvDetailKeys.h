#pragma once
// The names the OSCAR account keeps a user's details under: a contact's as
// values of its item in the contact list, the user's own as settings of the
// account. Each has one kind; a reader must ask for that size (texts as
// strings, 16-bit numbers as words, 8-bit numbers as bytes).

#include <cstdint>
#include <span>

namespace RuvDetailKey {
inline constexpr char16_t NickName[] = u"Ruv: nick name";
inline constexpr char16_t FirstName[] = u"Ruv: first name";
inline constexpr char16_t LastName[] = u"Ruv: last name";
inline constexpr char16_t Email[] = u"Ruv: e-mail";
inline constexpr char16_t HomeCity[] = u"Ruv: home city";
inline constexpr char16_t HomeState[] = u"Ruv: home state";
inline constexpr char16_t HomePhone[] = u"Ruv: home phone";
inline constexpr char16_t HomeFax[] = u"Ruv: home fax";
inline constexpr char16_t HomeAddress[] = u"Ruv: home address";
inline constexpr char16_t CellPhone[] = u"Ruv: cell phone";
inline constexpr char16_t HomeZip[] = u"Ruv: home zip";
inline constexpr char16_t HomeCountryCode[] = u"Ruv: home country code";
inline constexpr char16_t GmtOffset[] = u"Ruv: GMT offset";
inline constexpr char16_t AuthorizationFlag[] = u"Ruv: authorization flag";
inline constexpr char16_t WebawareFlag[] = u"Ruv: webaware flag";
inline constexpr char16_t DirectConnection[] = u"Ruv: direct connection";
// The stored name keeps its historical spelling.
inline constexpr char16_t PublishEmailFlag[] = u"Ruv: pyblish e-mail flag";
inline constexpr char16_t WorkCity[] = u"Ruv: work city";
inline constexpr char16_t WorkState[] = u"Ruv: work state";
inline constexpr char16_t WorkPhone[] = u"Ruv: work phone";
inline constexpr char16_t WorkFax[] = u"Ruv: work fax";
inline constexpr char16_t WorkAddress[] = u"Ruv: work address";
inline constexpr char16_t WorkZip[] = u"Ruv: work zip";
inline constexpr char16_t WorkCountryCode[] = u"Ruv: work country code";
inline constexpr char16_t WorkCompany[] = u"Ruv: work company";
inline constexpr char16_t WorkDepartment[] = u"Ruv: work department";
inline constexpr char16_t WorkPosition[] = u"Ruv: work position";
inline constexpr char16_t WorkOccupationCode[] = u"Ruv: work ocupation code";
inline constexpr char16_t WorkWebpage[] = u"Ruv: work webpage";
inline constexpr char16_t Age[] = u"Ruv: age";
inline constexpr char16_t Gender[] = u"Ruv: gender";
inline constexpr char16_t Homepage[] = u"Ruv: homepage";
inline constexpr char16_t BirthYear[] = u"Ruv: birth year";
inline constexpr char16_t BirthMonth[] = u"Ruv: birth month";
inline constexpr char16_t BirthDay[] = u"Ruv: birth day";
inline constexpr char16_t SpokenLanguage1[] = u"Ruv: spoken language1";
inline constexpr char16_t SpokenLanguage2[] = u"Ruv: spoken language2";
inline constexpr char16_t SpokenLanguage3[] = u"Ruv: spoken language3";
inline constexpr char16_t City[] = u"Ruv: city";
inline constexpr char16_t State[] = u"Ruv: state";
inline constexpr char16_t CountryCode[] = u"Ruv: country code";
inline constexpr char16_t MaritalStatusCode[] = u"Ruv: marital status code";
inline constexpr char16_t LocalizationId[] = u"Ruv: localization ID";
inline constexpr char16_t LocalizationEmail[] = u"Ruv: localization e-mail";
inline constexpr char16_t Interest1[] = u"Ruv: interest1";
inline constexpr char16_t InterestKeys1[] = u"Ruv: interest keys1";
inline constexpr char16_t Interest2[] = u"Ruv: interest2";
inline constexpr char16_t InterestKeys2[] = u"Ruv: interest keys2";
inline constexpr char16_t Interest3[] = u"Ruv: interest3";
inline constexpr char16_t InterestKeys3[] = u"Ruv: interest keys3";
inline constexpr char16_t Interest4[] = u"Ruv: interest4";
inline constexpr char16_t InterestKeys4[] = u"Ruv: interest keys4";
inline constexpr char16_t About[] = u"Ruv: about";
// The user's own note, never sent: on a contact, written by the contact's
// About page; in the own details, by the own About page.
inline constexpr char16_t Notes[] = u"Ruv: notes";
}  // namespace RuvDetailKey

enum class RuvDetailKind : uint8_t { Text, Word, Byte };

struct RuvDetailField {
    const char16_t* key;
    RuvDetailKind kind;
    // The details reply the value comes from (0: none, kept locally).
    uint16_t subtype;
};

// Every details name, in the order replies store them.
std::span<const RuvDetailField> RuvDetailFields();
// The kind of a details name; Text for a name that is none.
RuvDetailKind RuvDetailKindOf(const char16_t* key);
