#include "JabberContactDetailsPanes.h"

#include "CContactList.h"
#include "CJabberAccount.h"
#include "CYolTime.h"
#include "JabberDetailTables.h"
#include "JabberPaneTemplates.h"
#include "JabberStrings.h"
#include "XmppVCardFields.h"
#include "YolGuids.h"

#include <cstdio>

namespace {


using namespace DetailKey;
using namespace JabberDetailTables;

constexpr DetailField kGeneralFields[] = {
    {1002, u"SrvLogName"}, {1003, NickName}, {1004, FirstName}, {1006, MiddleName}, {1005, LastName}};
constexpr DetailField kPersonalFields[] = {{1026, HomePage}};
constexpr DetailField kAboutFields[] = {{1028, About}, {1029, Notes}};

constexpr CAccountSetsPan::TLabel kPersonalLabels[] = {{1052, 64}, {1053, 67}, {1054, 68}, {1055, 69}};

enum : int { kGender = 1024, kAge = 1025, kBirthday = 1027, kNotes = 1029 };

}  // namespace

CYolString BirthdayText(unsigned int year, unsigned int month, unsigned int day) {
    if (!IsShownBirthday(year, month, day))
        return CYolString();
    // The time record takes years after 1900 only; older dates show as
    // digits instead of as today.
    if (year > 1900) {
        CYolTime date(year, month, day, 0, 0, 0);
        if (date.Year() == static_cast<int>(year))
            return date.ToString(CYolString(u"%c"));
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
    return CYolString(text, -1, YOL_CP_UTF8);
}

CViewTextPan::CViewTextPan(CJabberAccount* account, unsigned int contact, int captionId, unsigned int templateId,
                           const DetailField* fields, std::size_t fieldCount, const TLabel* labels,
                           std::size_t labelCount)
    : CJabberPan(account, captionId, templateId),
      contact(contact),
      fields(fields),
      fieldCount(fieldCount),
      labels(labels),
      labelCount(labelCount) {}

CL::CContactList* CViewTextPan::ContactList() const {
    Services::CServicesManager* services = ServicesManager();
    return services != nullptr ? static_cast<CL::CContactList*>(services->GetService(ContactListGuid)) : nullptr;
}

bool CViewTextPan::ReadText(const char16_t* key, CYolString& out) const {
    CL::CContactList* list = ContactList();
    return list != nullptr && list->GetItemString(contact, CYolString(key), out);
}

bool CViewTextPan::ReadNumber(const char16_t* key, bool word, unsigned int& out) const {
    CL::CContactList* list = ContactList();
    if (list == nullptr)
        return false;
    if (word) {
        short value = 0;
        if (!list->GetItemWord(contact, CYolString(key), &value))
            return false;
        out = static_cast<unsigned short>(value);
        return true;
    }
    unsigned char value = 0;
    if (!list->GetItemByte(contact, CYolString(key), &value))
        return false;
    out = value;
    return true;
}

int CViewTextPan::DoDataExchange(int save) {
    // Only the About page stores anything.
    if (save != 0)
        return 1;
    SetLabels(labels, labelCount);
    for (std::size_t i = 0; i < fieldCount; ++i) {
        CYolString value;
        ReadText(fields[i].key, value);
        SetItemText(fields[i].control, value);
    }
    return 1;
}

CViewGeneralPan::CViewGeneralPan(CJabberAccount* account, unsigned int contact)
    : CViewTextPan(account, contact, 38, kViewGeneralTemplate, kGeneralFields, std::size(kGeneralFields),
                   kGeneralLabels, std::size(kGeneralLabels)) {}

CViewHomePan::CViewHomePan(CJabberAccount* account, unsigned int contact)
    : CViewTextPan(account, contact, 39, kViewHomeTemplate, kHomeFields, std::size(kHomeFields), kHomeLabels,
                   std::size(kHomeLabels)) {}

CViewWorkPan::CViewWorkPan(CJabberAccount* account, unsigned int contact)
    : CViewTextPan(account, contact, 40, kViewWorkTemplate, kWorkFields, std::size(kWorkFields), kWorkLabels,
                   std::size(kWorkLabels)) {}

CViewCompanyPan::CViewCompanyPan(CJabberAccount* account, unsigned int contact)
    : CViewTextPan(account, contact, 41, kViewCompanyTemplate, kCompanyFields, std::size(kCompanyFields),
                   kCompanyLabels, std::size(kCompanyLabels)) {}

CViewPhonesPan::CViewPhonesPan(CJabberAccount* account, unsigned int contact)
    : CViewTextPan(account, contact, 42, kViewPhonesTemplate, kPhonesFields, std::size(kPhonesFields),
                   kPhonesLabels, std::size(kPhonesLabels)) {}

CViewPersonalPan::CViewPersonalPan(CJabberAccount* account, unsigned int contact)
    : CViewTextPan(account, contact, 43, kViewPersonalTemplate, kPersonalFields, std::size(kPersonalFields),
                   kPersonalLabels, std::size(kPersonalLabels)) {}

int CViewPersonalPan::DoDataExchange(int save) {
    if (save != 0 || CViewTextPan::DoDataExchange(save) == 0 || ContactList() == nullptr)
        return 1;
    CYolString gender;
    ReadText(Gender, gender);
    if (gender == u"Female")
        SetItemString(kGender, JabberStrFemale);
    else if (gender == u"Male")
        SetItemString(kGender, JabberStrMale);
    else
        SetItemText(kGender, gender);
    unsigned int age = 0;
    SetItemText(kAge, ReadNumber(Age, true, age) ? CYolString(age, false, 0) : CYolString());
    unsigned int year = 0, month = 0, day = 0;
    const bool stored = ReadNumber(BirthYear, true, year) && ReadNumber(BirthMonth, false, month)
                        && ReadNumber(BirthDay, false, day);
    SetItemText(kBirthday, stored ? BirthdayText(year, month, day) : CYolString());
    return 1;
}

CViewAboutPan::CViewAboutPan(CJabberAccount* account, unsigned int contact)
    : CViewTextPan(account, contact, 44, kViewAboutTemplate, kAboutFields, std::size(kAboutFields), kAboutLabels,
                   std::size(kAboutLabels)) {}

int CViewAboutPan::DoDataExchange(int save) {
    if (save == 0)
        return CViewTextPan::DoDataExchange(save);
    if (CL::CContactList* list = ContactList())
        list->SetItemString(Contact(), CYolString(Notes), GetItemText(kNotes, kNotesChars));
    return 1;
}
