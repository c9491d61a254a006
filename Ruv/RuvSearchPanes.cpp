#include "RuvSearchPanes.h"

#include "CRuvAccount.h"
#include "Controls/ControlCombo.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"

#include <iterator>

namespace {

constexpr int kStringNumber = 161;

enum NumberControl : int { kNumber = 1107 };
enum EmailControl : int { kEmail = 1109 };
enum Global1Control : int { kNickname = 1112, kFirstName = 1114, kLastName = 1116, kGender = 1118, kAge = 1120,
                            kMarital = 1122 };
enum Global2Control : int { kCountry = 1120, kLanguage = 1122, kCity = 1124, kOccupation = 1126, kInterest = 1128,
                            kKeywords = 1130, kOnlineOnly = 1131 };

constexpr CAccountSetsPan::TLabel kNumberLabels[] = {{1106, 95}};
constexpr CAccountSetsPan::TLabel kEmailLabels[] = {{1108, 96}};
constexpr CAccountSetsPan::TLabel kGlobal1Labels[] = {{1110, 97}, {1111, 98}, {1113, 65}, {1115, 66},
                                                      {1117, 83}, {1119, 84}, {1121, 85}};
constexpr CAccountSetsPan::TLabel kGlobal2Labels[] = {{1119, 68}, {1123, 69}, {1121, 99}, {1125, 75},
                                                      {1127, 60}, {1129, 100}, {1132, 101}};

}  // namespace

void CRuvSearchPan::Post() {
    if (auto* account = static_cast<CRuvAccount*>(Account()))
        account->PostSearchRequest(*request);
}

int CRuvSearchByNumberPan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(kNumberLabels, std::size(kNumberLabels));
        return 1;
    }
    // Every page saves whichever page the search is for: an empty number is
    // no number, anything else must be one.
    unsigned int number = 0;
    if (!GetItemText(kNumber, 1).IsEmpty() &&
        !ReadNumber(kNumber, 0, 0xFFFFFFFFu, PaneString(kStringNumber), number))
        return 0;
    request->number = number;
    Post();
    return 1;
}

int CRuvSearchByEmailPan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(kEmailLabels, std::size(kEmailLabels));
        return 1;
    }
    request->email = GetItemText(kEmail, kTextChars);
    Post();
    return 1;
}

int CRuvSearchGlobal1Pan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(kGlobal1Labels, std::size(kGlobal1Labels));
        FillCombo(kGender, RuvDictionary::Genders);
        FillCombo(kMarital, RuvDictionary::MaritalStatuses);
        HWND ages = GetDlgItem(kAge);
        if (ages != nullptr && SendMessage(ages, CB_GETCOUNT, 0, 0) == 0)
            for (const AgeRow& row : kAgeRows)
                SendMessage(ages, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(row.text));
        return 1;
    }
    request->nickname = GetItemText(kNickname, kTextChars);
    request->firstName = GetItemText(kFirstName, kTextChars);
    request->lastName = GetItemText(kLastName, kTextChars);
    int code = 0;
    request->gender = static_cast<unsigned char>(SelectedCode(kGender, code) ? code : 0);
    request->maritalStatus = static_cast<unsigned char>(SelectedCode(kMarital, code) ? code : 0);
    // Only one of the age rows: anything else is no age.
    HWND ages = GetDlgItem(kAge);
    const LRESULT at = ages != nullptr ? SendMessage(ages, CB_GETCURSEL, 0, 0) : CB_ERR;
    const AgeRow& age = at >= 0 && at < static_cast<LRESULT>(std::size(kAgeRows)) ? kAgeRows[at] : kAgeRows[0];
    request->ageFrom = age.minimum;
    request->ageTo = age.maximum;
    Post();
    return 1;
}

int CRuvSearchGlobal2Pan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(kGlobal2Labels, std::size(kGlobal2Labels));
        FillCombo(kCountry, RuvDictionary::Countries);
        FillCombo(kLanguage, RuvDictionary::Languages);
        FillCombo(kOccupation, RuvDictionary::Occupations);
        FillCombo(kInterest, RuvDictionary::Interests);
        return 1;
    }
    int code = 0;
    request->country = static_cast<unsigned short>(SelectedCode(kCountry, code) ? code : 0);
    request->city = GetItemText(kCity, kTextChars);
    request->language = static_cast<unsigned char>(SelectedCode(kLanguage, code) ? code : 0);
    request->occupation = static_cast<unsigned short>(SelectedCode(kOccupation, code) ? code : 0);
    request->interestsCategory = static_cast<unsigned short>(SelectedCode(kInterest, code) ? code : 0);
    request->keywords = GetItemText(kKeywords, kTextChars);
    request->onlineOnly = IsChecked(kOnlineOnly);
    Post();
    return 1;
}
