#include "RuvDetailsPanes.h"

#include "CContactList.h"
#include "CFlapPacket.h"
#include "CProtocolsManager.h"
#include "CRuvAccount.h"
#include "CYolTime.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlDatePicker.h"
#include "Controls/ControlEdit.h"
#include "RuvDetailKeys.h"
#include "RuvDetails.h"
#include "RuvPaneTemplates.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowFocus.h"
#include "YolGuids.h"

#include <iterator>
#include <span>
#include <string>

namespace {

using D = RuvDictionary;
namespace N = RuvDetailKey;
using Size = RuvDetailKind;

constexpr int kStringZipNumber = 162;

constexpr int Field(int row) { return kRuvDetailsField + row; }
constexpr int Keywords(int row) { return kRuvDetailsKeywords + row; }

const char16_t* const kInterestKeys[4] = {N::Interest1, N::Interest2, N::Interest3,
                                          N::Interest4};
const char16_t* const kKeywordKeys[4] = {N::InterestKeys1, N::InterestKeys2, N::InterestKeys3,
                                         N::InterestKeys4};
const char16_t* const kLanguageKeys[3] = {N::SpokenLanguage1, N::SpokenLanguage2,
                                          N::SpokenLanguage3};
constexpr const char16_t* kBirthYear = N::BirthYear;
constexpr const char16_t* kBirthMonth = N::BirthMonth;
constexpr const char16_t* kBirthDay = N::BirthDay;

constexpr unsigned short kInterestTlv = 0x01EA;
constexpr unsigned short kBirthdayTlv = 0x023A;

}  // namespace

// --- rows ---

enum class ViewKind { Text, Login, Code, Age, Birthday, Languages, Interests, Note };

struct RuvViewRow {
    ViewKind kind;
    int label;  // string id; 0: none
    const char16_t* key = nullptr;
    Size size = Size::Text;
    RuvDictionary list = D::Countries;
};

enum class EditKind { Login, Text, Email, Zip, Code, Birthday, Interests, Note };

struct RuvEditRow {
    EditKind kind;
    int row;    // the field's row on its page
    int label;  // string id; 0: none
    const char16_t* key = nullptr;
    unsigned short tlv = 0;
    Size size = Size::Text;
    RuvDictionary list = D::Countries;
};

namespace {

using V = ViewKind;
using E = EditKind;

constexpr RuvViewRow kViewGeneral[] = {
    {V::Login, 63, u"SrvLogName"},         {V::Text, 64, N::NickName}, {V::Text, 65, N::FirstName},
    {V::Text, 66, N::LastName},      {V::Text, 67, N::Email}};
constexpr RuvViewRow kViewHome[] = {{V::Code, 68, N::HomeCountryCode, Size::Word, D::Countries},
                                    {V::Text, 69, N::HomeCity},
                                    {V::Text, 70, N::HomeState},
                                    {V::Text, 71, N::HomeZip},
                                    {V::Text, 72, N::HomeAddress}};
constexpr RuvViewRow kViewWork[] = {{V::Code, 68, N::WorkCountryCode, Size::Word, D::Countries},
                                    {V::Text, 69, N::WorkCity},
                                    {V::Text, 70, N::WorkState},
                                    {V::Text, 71, N::WorkZip},
                                    {V::Text, 72, N::WorkAddress}};
constexpr RuvViewRow kViewCompany[] = {{V::Text, 73, N::WorkCompany},
                                       {V::Text, 74, N::WorkDepartment},
                                       {V::Code, 75, N::WorkOccupationCode, Size::Word, D::Occupations},
                                       {V::Text, 76, N::WorkPosition},
                                       {V::Text, 77, N::WorkWebpage}};
constexpr RuvViewRow kViewPhones[] = {{V::Text, 78, N::HomePhone}, {V::Text, 79, N::HomeFax},
                                      {V::Text, 80, N::CellPhone},  {V::Text, 81, N::WorkPhone},
                                      {V::Text, 82, N::WorkFax}};
constexpr RuvViewRow kViewPersonal[] = {{V::Code, 83, N::Gender, Size::Byte, D::Genders},
                                        {V::Age, 84, N::Age},
                                        {V::Code, 85, N::MaritalStatusCode, Size::Byte, D::MaritalStatuses},
                                        {V::Text, 86, N::Homepage},
                                        {V::Birthday, 87},
                                        {V::Languages, 88}};
constexpr RuvViewRow kViewOrigin[] = {{V::Code, 68, N::CountryCode, Size::Word, D::Countries},
                                      {V::Text, 69, N::City},
                                      {V::Text, 70, N::State}};
constexpr RuvViewRow kViewInterests[] = {{V::Interests, 0}};
constexpr RuvViewRow kViewAbout[] = {{V::Text, 89, N::About}, {V::Note, 90, N::Notes}};

constexpr RuvEditRow kEditGeneral[] = {{E::Login, 0, 63, u"SrvLogName"},
                                       {E::Text, 1, 64, N::NickName, 0x0154},
                                       {E::Text, 2, 65, N::FirstName, 0x0140},
                                       {E::Text, 3, 66, N::LastName, 0x014A},
                                       {E::Email, 4, 67, N::Email, 0x015E}};
constexpr RuvEditRow kEditHome[] = {{E::Code, 0, 68, N::HomeCountryCode, 0x01A4, Size::Word, D::Countries},
                                    {E::Text, 1, 69, N::HomeCity, 0x0190},
                                    {E::Text, 2, 70, N::HomeState, 0x019A},
                                    {E::Zip, 3, 71, N::HomeZip, 0x026C},
                                    {E::Text, 4, 72, N::HomeAddress, 0x0262}};
constexpr RuvEditRow kEditWork[] = {{E::Code, 0, 68, N::WorkCountryCode, 0x02B2, Size::Word, D::Countries},
                                    {E::Text, 1, 69, N::WorkCity, 0x029E},
                                    {E::Text, 2, 70, N::WorkState, 0x02A8},
                                    {E::Zip, 3, 71, N::WorkZip, 0x02BC},
                                    {E::Text, 4, 72, N::WorkAddress, 0x0294}};
constexpr RuvEditRow kEditCompany[] = {
    {E::Text, 0, 73, N::WorkCompany, 0x01AE},
    {E::Text, 1, 74, N::WorkDepartment, 0x01B8},
    {E::Code, 2, 75, N::WorkOccupationCode, 0x01CC, Size::Word, D::Occupations},
    {E::Text, 3, 76, N::WorkPosition, 0x01C2},
    {E::Text, 4, 77, N::WorkWebpage, 0x02DA}};
constexpr RuvEditRow kEditPhones[] = {{E::Text, 0, 78, N::HomePhone, 0x0276},
                                      {E::Text, 1, 79, N::HomeFax, 0x0280},
                                      {E::Text, 2, 80, N::CellPhone, 0x028A},
                                      {E::Text, 3, 81, N::WorkPhone, 0x02C6},
                                      {E::Text, 4, 82, N::WorkFax, 0x02D0}};
constexpr RuvEditRow kEditPersonal[] = {
    {E::Code, 0, 83, N::Gender, 0x017C, Size::Byte, D::Genders},
    {E::Code, 1, 85, N::MaritalStatusCode, 0x033E, Size::Byte, D::MaritalStatuses},
    {E::Text, 2, 86, N::Homepage, 0x0213},
    {E::Birthday, 3, 87, nullptr, kBirthdayTlv},
    {E::Code, 4, 88, N::SpokenLanguage1, 0x0186, Size::Byte, D::Languages},
    {E::Code, 5, 0, N::SpokenLanguage2, 0x0186, Size::Byte, D::Languages},
    {E::Code, 6, 0, N::SpokenLanguage3, 0x0186, Size::Byte, D::Languages}};
constexpr RuvEditRow kEditOrigin[] = {{E::Code, 0, 68, N::CountryCode, 0x0334, Size::Word, D::Countries},
                                      {E::Text, 1, 69, N::City, 0x0320},
                                      {E::Text, 2, 70, N::State, 0x032A}};
constexpr RuvEditRow kEditInterests[] = {{E::Interests, 0, 0, nullptr, kInterestTlv}};
constexpr RuvEditRow kEditAbout[] = {{E::Text, 0, 89, N::About, 0x0258}, {E::Note, 1, 90, N::Notes}};

std::span<const RuvViewRow> ViewRows(RuvPane pane) {
    switch (pane) {
    case RuvPane::ViewGeneral: return kViewGeneral;
    case RuvPane::ViewHome: return kViewHome;
    case RuvPane::ViewWork: return kViewWork;
    case RuvPane::ViewCompany: return kViewCompany;
    case RuvPane::ViewPhones: return kViewPhones;
    case RuvPane::ViewPersonal: return kViewPersonal;
    case RuvPane::ViewOrigin: return kViewOrigin;
    case RuvPane::ViewInterests: return kViewInterests;
    case RuvPane::ViewAbout: return kViewAbout;
    default: return {};
    }
}

std::span<const RuvEditRow> EditRows(RuvPane pane) {
    switch (pane) {
    case RuvPane::EditGeneral: return kEditGeneral;
    case RuvPane::EditHome: return kEditHome;
    case RuvPane::EditWork: return kEditWork;
    case RuvPane::EditCompany: return kEditCompany;
    case RuvPane::EditPhones: return kEditPhones;
    case RuvPane::EditPersonal: return kEditPersonal;
    case RuvPane::EditOrigin: return kEditOrigin;
    case RuvPane::EditInterests: return kEditInterests;
    case RuvPane::EditAbout: return kEditAbout;
    default: return {};
    }
}

// Where a page reads its values: a contact's item in the program's list,
// or the account's own settings.
class Values {
public:
    // A contact's values (contact != 0) or the account's own.
    Values(Services::CServicesManager* services, unsigned int account, unsigned int contact)
        : account(account), contact(contact) {
        if (services == nullptr)
            return;
        if (contact != 0)
            list = static_cast<CL::CContactList*>(services->GetService(ContactListGuid));
        else
            manager = static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid));
    }

    bool Found() const { return list != nullptr || manager != nullptr; }

    bool Text(const char16_t* key, CYolString& out) const {
        if (list != nullptr)
            return list->GetItemString(contact, CYolString(key), out);
        return manager != nullptr && manager->GetAccountString(account, CYolString(key), out, false);
    }
    // A stored number of the given size.
    bool Number(const char16_t* key, Size size, unsigned int& out) const {
        if (size == Size::Word) {
            if (list != nullptr) {
                short value = 0;
                if (!list->GetItemWord(contact, CYolString(key), &value))
                    return false;
                out = static_cast<unsigned short>(value);
                return true;
            }
            unsigned short value = 0;
            if (manager == nullptr || !manager->GetAccountWord(account, CYolString(key), value))
                return false;
            out = value;
            return true;
        }
        unsigned char value = 0;
        const bool read = list != nullptr ? list->GetItemByte(contact, CYolString(key), &value)
                                          : manager != nullptr && manager->GetAccountByte(account, CYolString(key), value);
        if (read)
            out = value;
        return read;
    }

    // The three birthday values; false unless all three are stored.
    bool Birthday(unsigned int& year, unsigned int& month, unsigned int& day) const {
        return Number(kBirthYear, Size::Word, year) && Number(kBirthMonth, Size::Byte, month) &&
               Number(kBirthDay, Size::Byte, day);
    }

    void SetText(const char16_t* key, const CYolString& value) const {
        if (list != nullptr)
            list->SetItemString(contact, CYolString(key), value);
        else if (manager != nullptr)
            manager->SetAccountString(account, CYolString(key), value, false);
    }
    // Own values only: the contact's are the details model's.
    void SetNumber(const char16_t* key, Size size, unsigned int value) const {
        if (manager == nullptr)
            return;
        if (size == Size::Word)
            manager->SetAccountWord(account, CYolString(key), static_cast<unsigned short>(value));
        else
            manager->SetAccountByte(account, CYolString(key), static_cast<unsigned char>(value));
    }

private:
    unsigned int account;
    unsigned int contact;
    CL::CContactList* list = nullptr;
    Protocols::CProtocolsManager* manager = nullptr;
};

bool ValidBirthday(unsigned int year, unsigned int month, unsigned int day) {
    return year >= 1 && year <= 2099 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

void PutLE16(std::string& out, unsigned int value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8 & 0xFF));
}

// The 2-byte length, the 1251 bytes (at most 255) and the NUL.
void PutText(std::string& out, const CYolString& text, int maxChars) {
    std::string bytes = OscarAnsi(text);
    if (bytes.size() > static_cast<std::size_t>(maxChars))
        bytes.resize(static_cast<std::size_t>(maxChars));
    PutLE16(out, static_cast<unsigned int>(bytes.size() + 1));
    out += bytes;
    out.push_back('\0');
}

CTLV MakeTlv(unsigned short type, const std::string& value) {
    return CTLV(type, static_cast<unsigned short>(value.size()), reinterpret_cast<const unsigned char*>(value.data()));
}

}  // namespace

// --- shared by both sets ---

void CRuvDetailsPan::FillCombo(int control, RuvDictionary list) {
    HWND combo = GetDlgItem(control);
    if (combo == nullptr || SendMessage(combo, CB_GETCOUNT, 0, 0) > 0)
        return;
    auto add = [&](const CYolString& text, int code) {
        const LRESULT at =
            SendMessage(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        if (at >= 0)
            SendMessage(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(code));
    };
    add(CYolString(), 0);
    for (const RuvDictionaryEntry& entry : CRuvDictionaries::Entries(list))
        add(entry.text, entry.id);
}

void CRuvDetailsPan::SelectText(int control, const CYolString& text) {
    HWND combo = GetDlgItem(control);
    if (combo == nullptr)
        return;
    // Only a code the list knows selects anything: an unknown one leaves
    // the box without a selection, so saving keeps the stored code.
    const LRESULT at = text.IsEmpty() ? CB_ERR
                                      : SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(text.c_str()));
    SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

bool CRuvDetailsPan::SelectedCode(int control, int& code) {
    HWND combo = GetDlgItem(control);
    const LRESULT at = combo != nullptr ? SendMessage(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (at < 0)
        return false;
    code = static_cast<int>(SendMessage(combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
    return true;
}

// --- view pages ---

CRuvViewPan::CRuvViewPan(CRuvAccount* account, RuvPane pane, unsigned int contact)
    : CRuvDetailsPan(account, pane), contact(contact) {}

CYolString CRuvViewPan::JoinLanguages(const CYolString (&texts)[3]) {
    CYolString joined;
    for (const CYolString& text : texts) {
        if (!joined.IsEmpty() && !text.IsEmpty())
            joined += u";";
        joined += text;
    }
    return joined;
}

CYolString CRuvViewPan::BirthdayText(unsigned int year, unsigned int month, unsigned int day) {
    // The calendar record takes no year before 1901: such a birthday shows
    // no date rather than today's.
    if (!ValidBirthday(year, month, day) || year <= 1900)
        return CYolString();
    return CYolTime(year, month, day, 0, 0, 0).ToString(CYolString(u"%c"));
}

int CRuvViewPan::DoDataExchange(int save) {
    if (save == 0) {
        Load();
        return 1;
    }
    // Only the note is the user's to change.
    const Values values(ServicesManager(), AccountId(), contact);
    int row = 0;
    for (const RuvViewRow& r : ViewRows(Pane())) {
        if (r.kind == ViewKind::Note && contact != 0)
            values.SetText(r.key, GetItemText(Field(row), CRuvEditPan::kNoteChars));
        ++row;
    }
    return 1;
}

void CRuvViewPan::Load() {
    int row = 0;
    for (const RuvViewRow& r : ViewRows(Pane())) {
        if (r.label != 0)
            SetItemString(kRuvDetailsLabel + row, r.label);
        ++row;
    }
    const Values values(ServicesManager(), AccountId(), contact);
    if (!values.Found() || contact == 0)
        return;
    row = 0;
    for (const RuvViewRow& r : ViewRows(Pane())) {
        const int control = Field(row++);
        CYolString text;
        unsigned int number = 0;
        switch (r.kind) {
        case ViewKind::Text:
        case ViewKind::Login:
        case ViewKind::Note:
            if (values.Text(r.key, text))
                SetItemText(control, text);
            break;
        case ViewKind::Code:
            if (values.Number(r.key, r.size, number))
                SetItemText(control, CRuvDictionaries::Lookup(r.list, static_cast<int>(number)));
            break;
        case ViewKind::Age:
            if (values.Number(r.key, Size::Word, number))
                SetItemText(control, CYolString(number, false, 0));
            break;
        case ViewKind::Birthday: {
            unsigned int year = 0;
            unsigned int month = 0;
            unsigned int day = 0;
            if (values.Birthday(year, month, day) && ValidBirthday(year, month, day))
                SetItemText(control, BirthdayText(year, month, day));
            break;
        }
        case ViewKind::Languages: {
            CYolString texts[3];
            bool any = false;
            for (int i = 0; i < 3; ++i) {
                unsigned int code = 0;
                if (values.Number(kLanguageKeys[i], Size::Byte, code) && code != 0) {
                    any = true;
                    texts[i] = CRuvDictionaries::Lookup(D::Languages, static_cast<int>(code));
                }
            }
            if (any)
                SetItemText(control, JoinLanguages(texts));
            break;
        }
        case ViewKind::Interests:
            for (int i = 0; i < 4; ++i) {
                if (values.Number(kInterestKeys[i], Size::Word, number))
                    SetItemText(Field(i), CRuvDictionaries::Lookup(D::Interests, static_cast<int>(number)));
                if (values.Text(kKeywordKeys[i], text))
                    SetItemText(Keywords(i), text);
            }
            break;
        }
    }
}

// --- edit pages ---

CRuvEditPan::CRuvEditPan(CRuvAccount* account, RuvPane pane) : CRuvDetailsPan(account, pane) {}

CTLV CRuvEditPan::TextTlv(unsigned short type, const CYolString& text, bool email) {
    std::string value;
    PutText(value, text, kTextChars);
    if (email)
        value.push_back('\0');
    return MakeTlv(type, value);
}

CTLV CRuvEditPan::CodeTlv(unsigned short type, unsigned short code) {
    std::string value;
    PutLE16(value, code);
    return MakeTlv(type, value);
}

CTLV CRuvEditPan::ZipTlv(unsigned short type, unsigned int zip) {
    std::string value;
    PutLE16(value, zip & 0xFFFF);
    PutLE16(value, zip >> 16);
    return MakeTlv(type, value);
}

CTLV CRuvEditPan::BirthdayTlv(unsigned int year, unsigned int month, unsigned int day) {
    std::string value;
    PutLE16(value, year);
    PutLE16(value, month);
    PutLE16(value, day);
    return MakeTlv(kBirthdayTlv, value);
}

CTLV CRuvEditPan::InterestTlv(unsigned short code, const CYolString& keywords) {
    std::string value;
    PutLE16(value, code);
    PutText(value, keywords, kKeywordChars);
    return MakeTlv(kInterestTlv, value);
}

int CRuvEditPan::DoDataExchange(int save) {
    if (save == 0) {
        Load();
        return 1;
    }
    if (!Check())
        return 0;
    CTLVCol changes;
    for (const RuvEditRow& r : EditRows(Pane()))
        SaveRow(r, changes);
    if (changes.Count() > 0)
        if (auto* account = static_cast<CRuvAccount*>(Account()))
            account->PostOwnDetailsSave(changes);
    return 1;
}

void CRuvEditPan::Load() {
    for (const RuvEditRow& r : EditRows(Pane())) {
        if (r.label != 0)
            SetItemString(kRuvDetailsLabel + r.row, r.label);
        if (r.kind == EditKind::Code)
            FillCombo(Field(r.row), r.list);
        if (r.kind == EditKind::Interests)
            for (int i = 0; i < 4; ++i)
                FillCombo(Field(i), D::Interests);
    }
    for (const RuvEditRow& r : EditRows(Pane()))
        LoadRow(r);
}

void CRuvEditPan::LoadRow(const RuvEditRow& r) {
    const Values values(ServicesManager(), AccountId(), 0);
    const int control = Field(r.row);
    auto limit = [&](int id, int chars) {
        if (HWND edit = GetDlgItem(id))
            SendMessage(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(chars), 0);
    };
    CYolString text;
    unsigned int number = 0;
    switch (r.kind) {
    case EditKind::Login:
    case EditKind::Text:
    case EditKind::Email:
    case EditKind::Zip:
    case EditKind::Note:
        limit(control, r.kind == EditKind::Email  ? kEmailChars
                       : r.kind == EditKind::Note ? kNoteChars
                       : r.kind == EditKind::Zip  ? 10
                                                  : kTextChars);
        if (values.Text(r.key, text))
            SetItemText(control, text);
        break;
    case EditKind::Code:
        if (values.Number(r.key, r.size, number))
            SelectText(control, CRuvDictionaries::Lookup(r.list, static_cast<int>(number)));
        break;
    case EditKind::Birthday: {
        unsigned int year = 0;
        unsigned int month = 0;
        unsigned int day = 0;
        HWND picker = GetDlgItem(control);
        if (picker == nullptr || !values.Birthday(year, month, day))
            break;
        SYSTEMTIME date;
        date.wYear = static_cast<std::uint16_t>(year);
        date.wMonth = static_cast<std::uint16_t>(month);
        date.wDay = static_cast<std::uint16_t>(day);
        if (!ValidBirthday(year, month, day) ||
            SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date)) == 0)
            SendMessage(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0);
        break;
    }
    case EditKind::Interests:
        for (int i = 0; i < 4; ++i) {
            limit(Keywords(i), kKeywordChars);
            if (values.Number(kInterestKeys[i], Size::Word, number))
                SelectText(Field(i), CRuvDictionaries::Lookup(D::Interests, static_cast<int>(number)));
            if (values.Text(kKeywordKeys[i], text))
                SetItemText(Keywords(i), text);
        }
        break;
    }
}

bool CRuvEditPan::Check() {
    for (const RuvEditRow& r : EditRows(Pane())) {
        if (r.kind != EditKind::Zip)
            continue;
        const int control = Field(r.row);
        const CYolString typed = GetItemText(control, 11);
        if (typed.IsEmpty() || RuvNumber(typed))
            continue;
        TellUser(PaneString(kStringZipNumber));
        if (HWND item = GetDlgItem(control))
            SetFocus(item);
        return false;
    }
    return true;
}

void CRuvEditPan::SaveRow(const RuvEditRow& r, CTLVCol& changes) {
    const Values values(ServicesManager(), AccountId(), 0);
    const int control = Field(r.row);
    switch (r.kind) {
    case EditKind::Login:
        break;
    case EditKind::Text:
    case EditKind::Email: {
        const int room = r.kind == EditKind::Email ? kEmailChars : kTextChars;
        CYolString stored;
        values.Text(r.key, stored);
        // Compared whole, so a longer text that came from the server is not
        // cut down by a page the user did not touch.
        const CYolString whole = GetItemText(control, std::max(room, stored.Length()) + 1);
        if (whole == stored)
            break;
        const CYolString typed = whole.Length() > room ? whole.Substring(0, room) : whole;
        values.SetText(r.key, typed);
        changes.Add(TextTlv(r.tlv, typed, r.kind == EditKind::Email));
        break;
    }
    case EditKind::Zip: {
        const CYolString typed = GetItemText(control, 10);
        const unsigned int zip = RuvNumber(typed).value_or(0);
        CYolString stored;
        const unsigned int storedZip = values.Text(r.key, stored) ? RuvNumber(stored).value_or(0) : 0;
        if (zip == storedZip)
            break;
        values.SetText(r.key, typed);
        changes.Add(ZipTlv(r.tlv, zip));
        break;
    }
    case EditKind::Code: {
        int code = 0;
        if (!SelectedCode(control, code))
            break;
        unsigned int stored = 0;
        values.Number(r.key, r.size, stored);
        const unsigned int mask = r.size == Size::Word ? 0xFFFF : 0xFF;
        const unsigned int chosen = static_cast<unsigned int>(code) & mask;
        if (chosen == stored)
            break;
        values.SetNumber(r.key, r.size, chosen);
        changes.Add(CodeTlv(r.tlv, static_cast<unsigned short>(chosen)));
        break;
    }
    case EditKind::Birthday:
        SaveBirthday(r, changes);
        break;
    case EditKind::Interests:
        SaveInterests(changes);
        break;
    case EditKind::Note:
        values.SetText(r.key, GetItemText(control, kNoteChars));
        break;
    }
}

void CRuvEditPan::SaveBirthday(const RuvEditRow& r, CTLVCol& changes) {
    const Values values(ServicesManager(), AccountId(), 0);
    unsigned int year = 0;
    unsigned int month = 0;
    unsigned int day = 0;
    if (!values.Birthday(year, month, day))
        year = month = day = 0;
    SYSTEMTIME date;
    unsigned int newYear = 0;
    unsigned int newMonth = 0;
    unsigned int newDay = 0;
    HWND picker = GetDlgItem(Field(r.row));
    if (picker != nullptr && SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) == GDT_VALID) {
        newYear = date.wYear;
        newMonth = date.wMonth;
        newDay = date.wDay;
    }
    // The account stores the birthday the save carries.
    if (newYear == year && newMonth == month && newDay == day)
        return;
    changes.Add(BirthdayTlv(newYear, newMonth, newDay));
}

void CRuvEditPan::SaveInterests(CTLVCol& changes) {
    const Values values(ServicesManager(), AccountId(), 0);
    unsigned int codes[4] = {};
    CYolString keywords[4];
    bool changed = false;
    for (int i = 0; i < 4; ++i) {
        unsigned int stored = 0;
        CYolString storedText;
        values.Number(kInterestKeys[i], Size::Word, stored);
        values.Text(kKeywordKeys[i], storedText);
        int code = 0;
        codes[i] = SelectedCode(Field(i), code) ? static_cast<unsigned int>(code) & 0xFFFF : stored;
        const CYolString whole = GetItemText(Keywords(i), std::max(kKeywordChars, storedText.Length()) + 1);
        keywords[i] = whole == storedText || whole.Length() <= kKeywordChars ? whole
                                                                              : whole.Substring(0, kKeywordChars);
        changed = changed || codes[i] != stored || keywords[i] != storedText;
    }
    if (!changed)
        return;
    for (int i = 0; i < 4; ++i) {
        values.SetNumber(kInterestKeys[i], Size::Word, codes[i]);
        values.SetText(kKeywordKeys[i], keywords[i]);
        changes.Add(InterestTlv(static_cast<unsigned short>(codes[i]), keywords[i]));
    }
}
