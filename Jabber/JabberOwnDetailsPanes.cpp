#include "JabberOwnDetailsPanes.h"

#include "CJabberAccount.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlDatePicker.h"
#include "JabberDetailTables.h"
#include "JabberPaneTemplates.h"
#include "JabberStrings.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "XmppVCardFields.h"

namespace {

// Texts a detail value takes at most.
constexpr int kDetailChars = 255;

using namespace DetailKey;
using namespace JabberDetailTables;

constexpr DetailField kGeneralFields[] = {
    {1003, DisplayName}, {1004, FirstName}, {1006, MiddleName}, {1005, LastName}};

constexpr CAccountSetsPan::TLabel kPersonalLabels[] = {{1052, 64}, {1054, 68}, {1055, 69}};

enum : int { kLogin = 1002, kGender = 1024, kHomePage = 1026, kBirthday = 1027, kAbout = 1028, kNotes = 1029 };

// The stored genders, untranslated, by combo entry (entry 0 is none).
constexpr const char16_t* kGenders[] = {u"", u"Female", u"Male"};

}  // namespace

bool IsShownBirthday(unsigned int year, unsigned int month, unsigned int day) {
    return year >= 1 && year <= 2099 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

CEditTextPan::CEditTextPan(CJabberAccount* account, int captionId, unsigned int templateId,
                           const DetailField* fields, std::size_t fieldCount, const TLabel* labels,
                           std::size_t labelCount)
    : CJabberPan(account, captionId, templateId),
      store(ServicesManager(), AccountId()),
      fields(fields),
      fieldCount(fieldCount),
      labels(labels),
      labelCount(labelCount) {}

int CEditTextPan::DoDataExchange(int save) {
    if (save == 0)
        SetLabels(labels, labelCount);
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const DetailField& f = fields[i];
        if (save != 0) {
            store.WriteText(f.key, GetItemText(f.control, kDetailChars));
            continue;
        }
        CYolString value;
        store.ReadText(f.key, value);
        SetItemText(f.control, value);
    }
    return 1;
}

CEditGeneralPan::CEditGeneralPan(CJabberAccount* account)
    : CEditTextPan(account, 38, kEditGeneralTemplate, kGeneralFields, std::size(kGeneralFields), kGeneralLabels,
                   std::size(kGeneralLabels)) {}

int CEditGeneralPan::DoDataExchange(int save) {
    if (save == 0) {
        CYolString login;
        store.ReadText(u"SrvLogName", login);
        SetItemText(kLogin, login);
    }
    return CEditTextPan::DoDataExchange(save);
}

CEditHomePan::CEditHomePan(CJabberAccount* account)
    : CEditTextPan(account, 39, kEditHomeTemplate, kHomeFields, std::size(kHomeFields), kHomeLabels,
                   std::size(kHomeLabels)) {}

CEditWorkPan::CEditWorkPan(CJabberAccount* account)
    : CEditTextPan(account, 40, kEditWorkTemplate, kWorkFields, std::size(kWorkFields), kWorkLabels,
                   std::size(kWorkLabels)) {}

CEditCompanyPan::CEditCompanyPan(CJabberAccount* account)
    : CEditTextPan(account, 41, kEditCompanyTemplate, kCompanyFields, std::size(kCompanyFields), kCompanyLabels,
                   std::size(kCompanyLabels)) {}

CEditPhonesPan::CEditPhonesPan(CJabberAccount* account)
    : CEditTextPan(account, 42, kEditPhonesTemplate, kPhonesFields, std::size(kPhonesFields), kPhonesLabels,
                   std::size(kPhonesLabels)) {}

CEditPersonalPan::CEditPersonalPan(CJabberAccount* account)
    : CJabberPan(account, 43, kEditPersonalTemplate), store(ServicesManager(), AccountId()) {}

int CEditPersonalPan::DoDataExchange(int save) {
    HWND combo = GetDlgItem(kGender);
    if (save != 0) {
        const LRESULT entry = SendMessage(combo, CB_GETCURSEL, 0, 0);
        // Anything but one of the two genders stores none.
        const bool known = entry >= 1 && entry < static_cast<LRESULT>(std::size(kGenders));
        store.WriteText(Gender, CYolString(known ? kGenders[entry] : kGenders[0]));
        store.WriteText(HomePage, GetItemText(kHomePage, kDetailChars));
        SaveBirthday();
        return 1;
    }
    SetLabels(kPersonalLabels, std::size(kPersonalLabels));
    if (SendMessage(combo, CB_GETCOUNT, 0, 0) == 0) {
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
        AddComboString(kGender, JabberStrFemale);
        AddComboString(kGender, JabberStrMale);
    }
    CYolString gender;
    if (!store.ReadText(Gender, gender))
        SendMessage(combo, CB_SETCURSEL, 0, 0);
    for (std::size_t i = 1; i < std::size(kGenders); ++i)
        if (gender == kGenders[i])
            SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    CYolString page;
    store.ReadText(HomePage, page);
    SetItemText(kHomePage, page);
    LoadBirthday();
    return 1;
}

void CEditPersonalPan::LoadBirthday() {
    unsigned int year = 0, month = 0, day = 0;
    if (!store.ReadNumber(BirthYear, DetailType::Word, year) || !store.ReadNumber(BirthMonth, DetailType::Byte, month)
        || !store.ReadNumber(BirthDay, DetailType::Byte, day))
        return;
    SYSTEMTIME date{};
    date.wYear = static_cast<std::uint16_t>(year);
    date.wMonth = static_cast<std::uint16_t>(month);
    date.wDay = static_cast<std::uint16_t>(day);
    HWND picker = GetDlgItem(kBirthday);
    // The picker refuses what it cannot hold (years before 1601, 31 April):
    // such a date shows as none rather than as whatever was there.
    if (!IsShownBirthday(year, month, day)
        || SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date)) == 0)
        SendMessage(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0);
}

void CEditPersonalPan::SaveBirthday() {
    SYSTEMTIME date{};
    const bool valid =
        SendMessage(GetDlgItem(kBirthday), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) == GDT_VALID;
    store.WriteNumber(BirthYear, DetailType::Word, valid ? date.wYear : 0);
    store.WriteNumber(BirthMonth, DetailType::Byte, valid ? date.wMonth : 0);
    store.WriteNumber(BirthDay, DetailType::Byte, valid ? date.wDay : 0);
}

CEditAboutPan::CEditAboutPan(CJabberAccount* account)
    : CJabberPan(account, 44, kEditAboutTemplate), store(ServicesManager(), AccountId()) {}

CEditAboutPan::~CEditAboutPan() {
    if (auto* account = static_cast<CJabberAccount*>(Account()))
        account->PublishVCard();
}

int CEditAboutPan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(kAboutLabels, std::size(kAboutLabels));
        CYolString about, notes;
        store.ReadText(About, about);
        store.ReadText(Notes, notes);
        SetItemText(kAbout, about);
        SetItemText(kNotes, notes);
        return 1;
    }
    if (store.Available())
        store.WriteText(Notes, GetItemText(kNotes, kNotesChars));
    store.WriteText(About, GetItemText(kAbout, kDetailChars));
    if (auto* account = static_cast<CJabberAccount*>(Account()))
        account->PublishVCard();
    return 1;
}
