#pragma once
// The user details an XMPP account keeps: the detail keys (the same names on
// a contact's list item and among the own account values) and the two ways
// between them and a vCard element: reading a reply into detail values, and
// building the own vCard from the stored values. Pure functions over
// elements; the feature class (XmppVCard) decides where values go.

#include "CYolString.h"
#include "XmlNode.h"

#include <cstdint>
#include <vector>

// How a detail value is stored.
enum class DetailType : uint8_t { Text, Word, Byte };

namespace DetailKey {
inline constexpr char16_t DetailsRequested[] = u"Jabber: details was request";
inline constexpr char16_t DisplayName[] = u"Jabber: display name";
inline constexpr char16_t PrefixName[] = u"Jabber: prefix name";
inline constexpr char16_t FirstName[] = u"Jabber: first name";
inline constexpr char16_t LastName[] = u"Jabber: last name";
inline constexpr char16_t MiddleName[] = u"Jabber: midle name";
inline constexpr char16_t SuffixName[] = u"Jabber: suffix name";
inline constexpr char16_t NickName[] = u"Jabber: nick name";
inline constexpr char16_t Gender[] = u"Jabber: gender";
inline constexpr char16_t HomePage[] = u"Jabber: home page";
inline constexpr char16_t BirthYear[] = u"Jabber: birth year";
inline constexpr char16_t BirthMonth[] = u"Jabber: birth month";
inline constexpr char16_t BirthDay[] = u"Jabber: birth day";
inline constexpr char16_t Age[] = u"Jabber: age";
inline constexpr char16_t HomeCountry[] = u"Jabber: home country";
inline constexpr char16_t HomeState[] = u"Jabber: home state";
inline constexpr char16_t HomeCity[] = u"Jabber: home city";
inline constexpr char16_t HomeAddress[] = u"Jabber: home address";
inline constexpr char16_t HomeZip[] = u"Jabber: home zip";
inline constexpr char16_t HomeEmail[] = u"Jabber: home e-mail";
inline constexpr char16_t WorkCountry[] = u"Jabber: work country";
inline constexpr char16_t WorkState[] = u"Jabber: work state";
inline constexpr char16_t WorkCity[] = u"Jabber: work city";
inline constexpr char16_t WorkAddress[] = u"Jabber: work address";
inline constexpr char16_t WorkZip[] = u"Jabber: work zip";
inline constexpr char16_t WorkEmail[] = u"Jabber: work e-mail";
inline constexpr char16_t WorkCompany[] = u"Jabber: work company";
inline constexpr char16_t WorkDepartment[] = u"Jabber: work department";
inline constexpr char16_t WorkPosition[] = u"Jabber: work position";
inline constexpr char16_t WorkRole[] = u"Jabber: work role";
inline constexpr char16_t HomePhone[] = u"Jabber: home phone";
inline constexpr char16_t HomeFax[] = u"Jabber: home fax";
inline constexpr char16_t CellPhone[] = u"Jabber: cell phone";
inline constexpr char16_t WorkPhone[] = u"Jabber: work phone";
inline constexpr char16_t WorkFax[] = u"Jabber: work fax";
inline constexpr char16_t About[] = u"Jabber: about";
inline constexpr char16_t Notes[] = u"Jabber: notes";
}  // namespace DetailKey

// One detail key: its storage and whether every vCard reply empties it.
struct DetailKeyRow {
    const char16_t* key;
    DetailType type;
    bool cleared;
};
// Every key but "details was request", which only contacts carry.
const std::vector<DetailKeyRow>& DetailKeyRows();

// One value a vCard reply sets.
struct DetailValue {
    const char16_t* key;
    DetailType type;
    CYolString text;          // Text keys
    unsigned int number = 0;  // Word and Byte keys
};

// The values of a "vCard" element in document order; a later value of a
// key overwrites an earlier one.
std::vector<DetailValue> ReadVCardDetails(const XmlNode& vCard);

// Where stored detail values are read from: false when the key cannot be
// read.
class XmppDetailReader {
public:
    virtual ~XmppDetailReader() = default;
    virtual bool ReadText(const char16_t* key, CYolString& out) = 0;
    virtual bool ReadNumber(const char16_t* key, DetailType type, unsigned int& out) = 0;
};

// The own "vCard" element built from the stored values. The children of
// `kept` (the vCard the server last gave us) that these values do not
// describe, a photo say, follow unchanged.
XmlNode BuildOwnVCard(XmppDetailReader& values, const XmlNode* kept);
// Whether the values describe vCard children of that name.
bool IsModelledVCardField(const std::string& name);
// A deep copy of a parsed or built element.
XmlNode CopyElement(const XmlNode& element);
