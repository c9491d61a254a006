#pragma once
// The details pages of an OSCAR account: nine pages that show a contact's
// details (CRuvView...Pan) and nine that edit the user's own
// (CRuvEdit...Pan): General, Home, Work, Company, Phones, Personal,
// Originally from, Interests and About.
//
// Contact details are values of the contact's item in the program's list,
// own details values of the account's settings, all under "Ruv: ..." keys
// as the details model stores them. A page reads them each time the dialog
// fills it, so details that arrive while the dialog is open show when it
// fills its pages again, and details that arrive after it closed touch no
// page. Codes (country, occupation, gender, marital status, languages,
// interest categories) show as the texts of the plug-in's code lists.
//
// The pages run on the user-interface thread. An edit page stores what the
// user changed at once and hands the changes, as the meta record's TLVs,
// to the account's queue, which sends them while the account is online.
// The About page of each set is the set's last: it lets the code lists go.

#include "CRuvPan.h"
#include "CTLV.h"
#include "RuvDictionaries.h"

#include <cstddef>

class CRuvDetailsPan : public CRuvPan {
public:
    using CRuvPan::CRuvPan;

protected:
    // Fills an empty combo box: an empty entry with code 0, then the list
    // in text order, each entry with its code.
    void FillCombo(int control, RuvDictionary list);
    // Selects the entry of exactly that text; none when no entry has it.
    void SelectText(int control, const CYolString& text);
    // The code of the selected entry; false without a selection.
    bool SelectedCode(int control, int& code);
};

// One row of a view page; the table of each page is in the source.
struct RuvViewRow;

class CRuvViewPan : public CRuvDetailsPan {
public:
    CRuvViewPan(CRuvAccount* account, RuvPane pane, unsigned int contact);

    int DoDataExchange(int save) override;

    // The three language texts joined by ";" (a separator only between two
    // texts that are not empty).
    static CYolString JoinLanguages(const CYolString (&texts)[3]);
    // The birthday as the view shows it; empty unless the year is 1-2099,
    // the month 1-12 and the day 1-31 (and the date can be represented).
    static CYolString BirthdayText(unsigned int year, unsigned int month, unsigned int day);

protected:
    unsigned int Contact() const { return contact; }

private:
    void Load();
    void ShowRow(const RuvViewRow& row);

    unsigned int contact;
};

class CRuvViewGeneralPan final : public CRuvViewPan {
public:
    CRuvViewGeneralPan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewGeneral, c) {}
};
class CRuvViewHomePan final : public CRuvViewPan {
public:
    CRuvViewHomePan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewHome, c) {}
};
class CRuvViewWorkPan final : public CRuvViewPan {
public:
    CRuvViewWorkPan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewWork, c) {}
};
class CRuvViewCompanyPan final : public CRuvViewPan {
public:
    CRuvViewCompanyPan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewCompany, c) {}
};
class CRuvViewPhonesPan final : public CRuvViewPan {
public:
    CRuvViewPhonesPan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewPhones, c) {}
};
class CRuvViewPersonalPan final : public CRuvViewPan {
public:
    CRuvViewPersonalPan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewPersonal, c) {}
};
class CRuvViewOriginPan final : public CRuvViewPan {
public:
    CRuvViewOriginPan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewOrigin, c) {}
};
class CRuvViewInterestsPan final : public CRuvViewPan {
public:
    CRuvViewInterestsPan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewInterests, c) {}
};
class CRuvViewAboutPan final : public CRuvViewPan {
public:
    CRuvViewAboutPan(CRuvAccount* a, unsigned int c) : CRuvViewPan(a, RuvPane::ViewAbout, c) {}
    ~CRuvViewAboutPan() override { CRuvDictionaries::Clear(); }
};

struct RuvEditRow;

class CRuvEditPan : public CRuvDetailsPan {
public:
    // What the records hold at most: text rows (in code page 1251, one
    // byte a character), the e-mail, interest keywords and the note.
    static constexpr int kTextChars = 255;
    static constexpr int kEmailChars = 254;
    static constexpr int kKeywordChars = 254;
    static constexpr int kNoteChars = 1023;

    CRuvEditPan(CRuvAccount* account, RuvPane pane);

    int DoDataExchange(int save) override;

    // The TLV values of the save-info record.
    static CTLV TextTlv(unsigned short type, const CYolString& text, bool email);
    static CTLV CodeTlv(unsigned short type, unsigned short code);
    static CTLV ZipTlv(unsigned short type, unsigned int zip);
    static CTLV BirthdayTlv(unsigned int year, unsigned int month, unsigned int day);
    static CTLV InterestTlv(unsigned short code, const CYolString& keywords);

private:
    void Load();
    void LoadRow(const RuvEditRow& row);
    // False, with the user told and the field focused, when a field holds
    // what its record cannot take.
    bool Check();
    void SaveRow(const RuvEditRow& row, CTLVCol& changes);
    void SaveInterests(CTLVCol& changes);
    void SaveBirthday(const RuvEditRow& row, CTLVCol& changes);
};

class CRuvEditGeneralPan final : public CRuvEditPan {
public:
    explicit CRuvEditGeneralPan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditGeneral) {}
};
class CRuvEditHomePan final : public CRuvEditPan {
public:
    explicit CRuvEditHomePan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditHome) {}
};
class CRuvEditWorkPan final : public CRuvEditPan {
public:
    explicit CRuvEditWorkPan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditWork) {}
};
class CRuvEditCompanyPan final : public CRuvEditPan {
public:
    explicit CRuvEditCompanyPan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditCompany) {}
};
class CRuvEditPhonesPan final : public CRuvEditPan {
public:
    explicit CRuvEditPhonesPan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditPhones) {}
};
class CRuvEditPersonalPan final : public CRuvEditPan {
public:
    explicit CRuvEditPersonalPan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditPersonal) {}
};
class CRuvEditOriginPan final : public CRuvEditPan {
public:
    explicit CRuvEditOriginPan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditOrigin) {}
};
class CRuvEditInterestsPan final : public CRuvEditPan {
public:
    explicit CRuvEditInterestsPan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditInterests) {}
};
class CRuvEditAboutPan final : public CRuvEditPan {
public:
    explicit CRuvEditAboutPan(CRuvAccount* a) : CRuvEditPan(a, RuvPane::EditAbout) {}
    ~CRuvEditAboutPan() override { CRuvDictionaries::Clear(); }
};
