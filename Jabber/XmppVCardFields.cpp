// Reading vCard replies into detail values and building the own vCard.

#include "XmppVCardFields.h"

#include "JabberNamespaces.h"
#include "XmppStanzas.h"

#include <algorithm>
#include <string_view>

namespace {

// Addresses longer than this are cut: the panes show them in a fixed field.
constexpr int kMaxAddressLength = 127;

using Values = std::vector<DetailValue>;

void PutText(Values& out, const char16_t* key, const CYolString& text) { out.push_back({key, DetailType::Text, text}); }

void PutTextOf(Values& out, const char16_t* key, const XmlNode* node) {
    if (node != nullptr && !node->Text().IsEmpty())
        PutText(out, key, node->Text());
}

bool Has(const XmlNode& node, std::string_view child) { return node.GetChild(child) != nullptr; }

// STREET, joined by CR LF with EXTADR (else EXTADD) when that has text; empty
// without a street.
CYolString AddressOf(const XmlNode& adr) {
    const CYolString& street = TextOf(adr.GetChild("STREET"));
    if (street.IsEmpty())
        return street;
    CYolString address = street;
    const CYolString& extadr = TextOf(adr.GetChild("EXTADR"));
    const CYolString& extra = extadr.IsEmpty() ? TextOf(adr.GetChild("EXTADD")) : extadr;
    if (!extra.IsEmpty()) {
        address += u"\r\n";
        address += extra;
    }
    return address.Length() > kMaxAddressLength ? address.Substring(0, kMaxAddressLength) : address;
}

struct AddressKeys {
    const char16_t* address;
    const char16_t* city;
    const char16_t* state;
    const char16_t* zip;
    const char16_t* country;
};
constexpr AddressKeys kHomeKeys{DetailKey::HomeAddress, DetailKey::HomeCity, DetailKey::HomeState, DetailKey::HomeZip,
                                DetailKey::HomeCountry};
constexpr AddressKeys kWorkKeys{DetailKey::WorkAddress, DetailKey::WorkCity, DetailKey::WorkState, DetailKey::WorkZip,
                                DetailKey::WorkCountry};

void ReadAddress(const XmlNode& adr, const AddressKeys& keys, Values& out) {
    CYolString address = AddressOf(adr);
    if (!address.IsEmpty())
        PutText(out, keys.address, address);
    PutTextOf(out, keys.city, adr.GetChild("LOCALITY"));
    PutTextOf(out, keys.state, adr.GetChild("REGION"));
    PutTextOf(out, keys.zip, adr.GetChild("PCODE"));
    const XmlNode* country = adr.GetChild("CTRY");
    PutTextOf(out, keys.country, TextOf(country).IsEmpty() ? adr.GetChild("COUNTRY") : country);
}

void ReadAdr(const XmlNode& adr, Values& out) {
    if (Has(adr, "HOME"))
        ReadAddress(adr, kHomeKeys, out);
    PutTextOf(out, DetailKey::HomeCity, adr.GetChild("LOCALITY"));
    PutTextOf(out, DetailKey::HomeCountry, adr.GetChild("CTRY"));
    if (Has(adr, "WORK"))
        ReadAddress(adr, kWorkKeys, out);
}

void ReadName(const XmlNode& n, Values& out) {
    PutTextOf(out, DetailKey::FirstName, n.GetChild("GIVEN"));
    PutTextOf(out, DetailKey::LastName, n.GetChild("FAMILY"));
    PutTextOf(out, DetailKey::MiddleName, n.GetChild("MIDDLE"));
}

void ReadEmail(const XmlNode& email, Values& out) {
    const XmlNode* userId = email.GetChild("USERID");
    const XmlNode* value = userId != nullptr ? userId : &email;
    if (Has(email, "WORK"))
        PutTextOf(out, DetailKey::WorkEmail, value);
    else if (Has(email, "HOME"))
        PutTextOf(out, DetailKey::HomeEmail, value);
}

// A piece of a date: its decimal value, 0 when it is no number, and never
// more than the key can hold.
unsigned int DatePiece(const CYolString& text, unsigned int limit) {
    const unsigned int value = text.Uint(false, 0);
    return value <= limit ? value : 0;
}

void PutNumber(Values& out, const char16_t* key, DetailType type, unsigned int value) {
    if (value >= 1)
        out.push_back({key, type, CYolString(), value});
}

void ReadBirthday(const XmlNode& bday, Values& out) {
    const CYolString& text = bday.Text();
    std::vector<CYolString> pieces;
    int start = 0;
    for (int dash = text.Find(0, u"-"); dash > 0 && pieces.size() < 3; dash = text.Find(start, u"-")) {
        pieces.push_back(text.Substring(start, dash - start));
        start = dash + 1;
    }
    pieces.push_back(text.Substring(start, text.Length() - start));
    if (pieces.size() == 1) {
        PutNumber(out, DetailKey::BirthYear, DetailType::Word, DatePiece(text, 0xFFFF));
    } else if (pieces.size() == 2) {
        PutNumber(out, DetailKey::BirthMonth, DetailType::Byte, DatePiece(pieces[0], 0xFF));
        PutNumber(out, DetailKey::BirthDay, DetailType::Byte, DatePiece(pieces[1], 0xFF));
    } else {
        PutNumber(out, DetailKey::BirthYear, DetailType::Word, DatePiece(pieces[0], 0xFFFF));
        PutNumber(out, DetailKey::BirthMonth, DetailType::Byte, DatePiece(pieces[1], 0xFF));
        PutNumber(out, DetailKey::BirthDay, DetailType::Byte, DatePiece(pieces[2], 0xFF));
    }
}

void ReadGender(const XmlNode& gender, Values& out) {
    const char16_t first = gender.Text().At(0);
    const char16_t* word = (first == u'm' || first == u'M') ? u"Male" : (first == u'f' || first == u'F') ? u"Female" : u"";
    PutText(out, DetailKey::Gender, CYolString(word));
}

void ReadPhone(const XmlNode& tel, Values& out) {
    const XmlNode* number = tel.GetChild("NUMBER");
    const char16_t* key = Has(tel, "CELL")  ? DetailKey::CellPhone
                          : Has(tel, "WORK") ? (Has(tel, "FAX") ? DetailKey::WorkFax : DetailKey::WorkPhone)
                          : Has(tel, "FAX")  ? DetailKey::HomeFax
                                             : DetailKey::HomePhone;
    PutTextOf(out, key, number);
}

void ReadOrg(const XmlNode& org, Values& out) {
    PutTextOf(out, DetailKey::WorkCompany, org.GetChild("ORGNAME"));
    PutTextOf(out, DetailKey::WorkDepartment, org.GetChild("ORGUNIT"));
}

void ReadDescription(const XmlNode& desc, Values& out) {
    const CYolString& text = desc.Text();
    CYolString about;
    int start = 0;
    for (int lf = text.Find(0, u"\n"); lf >= 0; lf = text.Find(start, u"\n")) {
        about += text.Substring(start, lf - start);
        about += u"\r\n";
        start = lf + 1;
    }
    about += text.Substring(start, text.Length() - start);
    PutText(out, DetailKey::About, about);
}

// Fields whose text goes to one key as it stands.
struct PlainField {
    std::string_view name;
    const char16_t* key;
};
constexpr PlainField kPlainFields[] = {
    {"FN", DetailKey::DisplayName},     {"NICKNAME", DetailKey::NickName}, {"URL", DetailKey::HomePage},
    {"TITLE", DetailKey::WorkPosition}, {"ROLE", DetailKey::WorkRole},
};

// Fields read by a rule of their own; the rule runs only when the element
// has text or children to read.
struct RuleField {
    std::string_view name;
    void (*read)(const XmlNode& node, Values& out);
    bool needsText;
};
constexpr RuleField kRuleFields[] = {
    {"N", ReadName, false},          {"EMAIL", ReadEmail, false}, {"BDAY", ReadBirthday, true},
    {"GENDER", ReadGender, true},    {"ADR", ReadAdr, false},     {"TEL", ReadPhone, false},
    {"ORG", ReadOrg, false},         {"DESC", ReadDescription, true},
};

}  // namespace

const std::vector<DetailKeyRow>& DetailKeyRows() {
    static const std::vector<DetailKeyRow> rows = {
        {DetailKey::DisplayName, DetailType::Text, true},    {DetailKey::PrefixName, DetailType::Text, true},
        {DetailKey::FirstName, DetailType::Text, true},      {DetailKey::LastName, DetailType::Text, true},
        {DetailKey::MiddleName, DetailType::Text, true},     {DetailKey::SuffixName, DetailType::Text, true},
        {DetailKey::NickName, DetailType::Text, true},       {DetailKey::Gender, DetailType::Text, true},
        {DetailKey::HomePage, DetailType::Text, true},       {DetailKey::BirthYear, DetailType::Word, true},
        {DetailKey::BirthMonth, DetailType::Byte, true},     {DetailKey::BirthDay, DetailType::Byte, true},
        {DetailKey::Age, DetailType::Byte, true},            {DetailKey::HomeCountry, DetailType::Text, true},
        {DetailKey::HomeState, DetailType::Text, true},      {DetailKey::HomeCity, DetailType::Text, true},
        {DetailKey::HomeAddress, DetailType::Text, true},    {DetailKey::HomeZip, DetailType::Text, true},
        {DetailKey::HomeEmail, DetailType::Text, true},      {DetailKey::WorkCountry, DetailType::Text, true},
        {DetailKey::WorkState, DetailType::Text, true},      {DetailKey::WorkCity, DetailType::Text, true},
        {DetailKey::WorkAddress, DetailType::Text, true},    {DetailKey::WorkZip, DetailType::Text, true},
        {DetailKey::WorkEmail, DetailType::Text, true},      {DetailKey::WorkCompany, DetailType::Text, true},
        {DetailKey::WorkDepartment, DetailType::Text, true}, {DetailKey::WorkPosition, DetailType::Text, true},
        {DetailKey::WorkRole, DetailType::Text, false},      {DetailKey::HomePhone, DetailType::Text, true},
        {DetailKey::HomeFax, DetailType::Text, true},        {DetailKey::CellPhone, DetailType::Text, true},
        {DetailKey::WorkPhone, DetailType::Text, true},      {DetailKey::WorkFax, DetailType::Text, true},
        {DetailKey::About, DetailType::Text, true},          {DetailKey::Notes, DetailType::Text, false},
    };
    return rows;
}

std::vector<DetailValue> ReadVCardDetails(const XmlNode& vCard) {
    Values out;
    for (int i = 0; i < vCard.ChildCount(); ++i) {
        const XmlNode& field = vCard.ChildAt(i);
        for (const PlainField& plain : kPlainFields)
            if (field.Name() == plain.name)
                PutTextOf(out, plain.key, &field);
        for (const RuleField& rule : kRuleFields)
            if (field.Name() == rule.name && (!rule.needsText || !field.Text().IsEmpty()))
                rule.read(field, out);
    }
    return out;
}

bool IsModelledVCardField(const std::string& name) {
    for (const PlainField& plain : kPlainFields)
        if (name == plain.name)
            return true;
    for (const RuleField& rule : kRuleFields)
        if (name == rule.name)
            return true;
    return false;
}

XmlNode CopyElement(const XmlNode& element) {
    XmlNode copy(element.Name());
    for (int i = 0; i < element.AttrCount(); ++i)
        copy.SetAttr(element.AttrAt(i).name, element.AttrAt(i).value);
    if (!element.Text().IsEmpty())
        copy.SetText(element.Text());
    for (int i = 0; i < element.ChildCount(); ++i)
        copy.AdoptChild(CopyElement(element.ChildAt(i)));
    return copy;
}

// --- the own vCard -----------------------------------------------------------------------

namespace {

// A child `name` with the value of `key` as its text; empty when the key
// cannot be read or holds nothing.
void AddField(XmlNode& parent, std::string_view name, XmppDetailReader& values, const char16_t* key) {
    CYolString text;
    XmlNode& child = parent.AddChild(name);
    if (values.ReadText(key, text) && !text.IsEmpty())
        child.SetText(text);
}

void AddAddress(XmlNode& vCard, std::string_view kind, const AddressKeys& keys, XmppDetailReader& values) {
    XmlNode& adr = vCard.AddChild("ADR");
    adr.AddChild(kind);
    AddField(adr, "STREET", values, keys.address);
    AddField(adr, "LOCALITY", values, keys.city);
    AddField(adr, "REGION", values, keys.state);
    AddField(adr, "PCODE", values, keys.zip);
    AddField(adr, "CTRY", values, keys.country);
    AddField(adr, "COUNTRY", values, keys.country);
}

void AddBirthday(XmlNode& vCard, XmppDetailReader& values) {
    unsigned int year = 0, month = 0, day = 0;
    if (!values.ReadNumber(DetailKey::BirthYear, DetailType::Word, year) ||
        !values.ReadNumber(DetailKey::BirthMonth, DetailType::Byte, month) ||
        !values.ReadNumber(DetailKey::BirthDay, DetailType::Byte, day) || year == 0 || month == 0 || day == 0)
        return;
    CYolString text(year, false);
    text += u"-";
    text += CYolString(month, false);
    text += u"-";
    text += CYolString(day, false);
    vCard.AddWideTextChild("BDAY", text);
}

void AddEmail(XmlNode& vCard, std::string_view kind, XmppDetailReader& values, const char16_t* key) {
    CYolString address;
    if (!values.ReadText(key, address))
        return;
    XmlNode& email = vCard.AddChild("EMAIL");
    XmlNode& userId = email.AddChild("USERID");
    if (!address.IsEmpty())
        userId.SetText(address);
    email.AddChild(kind);
}

struct PhoneRow {
    const char16_t* key;
    std::string_view kinds[2];
};
constexpr PhoneRow kPhones[] = {
    {DetailKey::HomePhone, {"HOME", {}}}, {DetailKey::HomeFax, {"HOME", "FAX"}}, {DetailKey::CellPhone, {"CELL", {}}},
    {DetailKey::WorkPhone, {"WORK", {}}}, {DetailKey::WorkFax, {"WORK", "FAX"}},
};

void AddPhones(XmlNode& vCard, XmppDetailReader& values) {
    for (const PhoneRow& row : kPhones) {
        CYolString number;
        if (!values.ReadText(row.key, number))
            continue;
        XmlNode& tel = vCard.AddChild("TEL");
        XmlNode& numberNode = tel.AddChild("NUMBER");
        if (!number.IsEmpty())
            numberNode.SetText(number);
        for (std::string_view kind : row.kinds)
            if (!kind.empty())
                tel.AddChild(kind);
    }
}

}  // namespace

XmlNode BuildOwnVCard(XmppDetailReader& values, const XmlNode* kept) {
    XmlNode vCard("vCard");
    vCard.SetAttrNarrow("xmlns", JabberNs::VCard);
    AddField(vCard, "FN", values, DetailKey::DisplayName);
    XmlNode& n = vCard.AddChild("N");
    AddField(n, "GIVEN", values, DetailKey::FirstName);
    AddField(n, "MIDDLE", values, DetailKey::MiddleName);
    AddField(n, "FAMILY", values, DetailKey::LastName);
    AddField(vCard, "NICKNAME", values, DetailKey::NickName);
    AddBirthday(vCard, values);
    AddField(vCard, "GENDER", values, DetailKey::Gender);
    AddEmail(vCard, "HOME", values, DetailKey::HomeEmail);
    AddEmail(vCard, "WORK", values, DetailKey::WorkEmail);
    AddAddress(vCard, "HOME", kHomeKeys, values);
    AddAddress(vCard, "WORK", kWorkKeys, values);
    XmlNode& org = vCard.AddChild("ORG");
    AddField(org, "ORGNAME", values, DetailKey::WorkCompany);
    AddField(org, "ORGUNIT", values, DetailKey::WorkDepartment);
    AddField(vCard, "TITLE", values, DetailKey::WorkPosition);
    AddField(vCard, "ROLE", values, DetailKey::WorkRole);
    AddField(vCard, "URL", values, DetailKey::HomePage);
    AddField(vCard, "DESC", values, DetailKey::About);
    AddPhones(vCard, values);
    if (kept != nullptr)
        for (int i = 0; i < kept->ChildCount(); ++i)
            if (!IsModelledVCardField(kept->ChildAt(i).Name()))
                vCard.AdoptChild(CopyElement(kept->ChildAt(i)));
    return vCard;
}
