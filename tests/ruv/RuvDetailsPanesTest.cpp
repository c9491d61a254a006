// The OSCAR account's details pages inside the program's details dialogs:
// a contact's details shown through the code lists with the user's own
// note stored back, and the own details edited, bounded, refused and
// stored as account values.

#include "RuvPanesSupport.h"

#include "CYolWMUI_DetailsDlg.h"
#include "Controls/ControlDatePicker.h"
#include "RuvDetailsPanes.h"
#include "RuvPaneTemplates.h"
#include "WindowSystem/WindowFocus.h"

namespace {

using namespace RuvPanesTest;
namespace E = Protocols::AccountEvent;

enum : int { kGeneral = 0, kHome, kWork, kCompany, kPhones, kPersonal, kOrigin, kInterests, kAbout };
constexpr const char* kPageNames[] = {"general", "home",   "work",      "company", "phones",
                                      "personal", "origin", "interests", "about"};

constexpr int L(int row) { return kRuvDetailsLabel + row; }
constexpr int K(int row) { return kRuvDetailsKeywords + row; }

std::string Selected(HWND page, int id) {
    HWND combo = GetDlgItem(page, id);
    const LRESULT at = SendMessage(combo, CB_GETCURSEL, 0, 0);
    if (at < 0)
        return "(none)";
    char16_t buffer[300] = {};
    SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(buffer));
    return CYolString(buffer).ToUtf8();
}
class RuvDetailsPanes : public PanesTest {
protected:
    std::intptr_t OpenOwn(const std::function<void(UI::CYolWMUI_UserDetailsDlg&)>& script) {
        dialogs_test::Scripted<UI::CYolWMUI_UserDetailsDlg> dialog(&a.services, LiveRuvAccount::kAccountId);
        dialog.script = [&](auto& d) { script(d); };
        return UI::CYolWMUI_UserDetailsDlg::Run(windows.Parent(), dialog);
    }
    std::intptr_t OpenContact(unsigned int contact,
                              const std::function<void(UI::CYolWMUI_ContactDetailsDlg&)>& script) {
        dialogs_test::Scripted<UI::CYolWMUI_ContactDetailsDlg> dialog(&a.services, contact);
        dialog.script = [&](auto& d) { script(d); };
        return UI::CYolWMUI_ContactDetailsDlg::Run(windows.Parent(), dialog);
    }
    // Saves every page and closes, as confirming the dialog does.
    static void Confirm(UI::CYolWMUI_TabDlg& d) { SendMessage(d.Handle(), WM_COMMAND, IDOK, 0); }

    unsigned int Contact() { return a.contactList->FindOrAddTempContact(LiveRuvAccount::kAccountId, U("424242")); }
    void SetItem(unsigned int id, const char* key, const std::string& text) {
        a.contactList->SetItemString(id, U(key), U(text));
    }
    void SetItemWord(unsigned int id, const char* key, short value) { a.contactList->SetItemWord(id, U(key), &value); }
    void SetItemByte(unsigned int id, const char* key, unsigned char value) {
        a.contactList->SetItemByte(id, U(key), &value);
    }

    void SetOwn(const char* key, const std::string& text) {
        a.manager.SetAccountString(LiveRuvAccount::kAccountId, U(key), U(text), false);
    }
    void SetOwnWord(const char* key, unsigned short value) {
        a.manager.SetAccountWord(LiveRuvAccount::kAccountId, U(key), value);
    }
    void SetOwnByte(const char* key, unsigned char value) {
        a.manager.SetAccountByte(LiveRuvAccount::kAccountId, U(key), value);
    }
    std::string Own(const char* key) {
        CYolString value;
        a.manager.GetAccountString(LiveRuvAccount::kAccountId, U(key), value, false);
        return value.ToUtf8();
    }
    // -1 when nothing of that size is stored.
    int OwnWord(const char* key) {
        unsigned short value = 0;
        return a.manager.GetAccountWord(LiveRuvAccount::kAccountId, U(key), value) ? value : -1;
    }
    int OwnByte(const char* key) {
        unsigned char value = 0;
        return a.manager.GetAccountByte(LiveRuvAccount::kAccountId, U(key), value) ? value : -1;
    }
    std::vector<XmppTest::AccountEventRecord> Told() { return Events(E::ShowText); }
};

// --- a contact's details ---

struct ShownText {
    int page;
    int id;
    const char* key;
};
const ShownText kContactTexts[] = {
    {kGeneral, F(1), "Ruv: nick name"},      {kGeneral, F(2), "Ruv: first name"},
    {kGeneral, F(3), "Ruv: last name"},      {kGeneral, F(4), "Ruv: e-mail"},
    {kHome, F(1), "Ruv: home city"},         {kHome, F(2), "Ruv: home state"},
    {kHome, F(3), "Ruv: home zip"},          {kHome, F(4), "Ruv: home address"},
    {kWork, F(1), "Ruv: work city"},         {kWork, F(2), "Ruv: work state"},
    {kWork, F(3), "Ruv: work zip"},          {kWork, F(4), "Ruv: work address"},
    {kCompany, F(0), "Ruv: work company"},   {kCompany, F(1), "Ruv: work department"},
    {kCompany, F(3), "Ruv: work position"},  {kCompany, F(4), "Ruv: work webpage"},
    {kPhones, F(0), "Ruv: home phone"},      {kPhones, F(1), "Ruv: home fax"},
    {kPhones, F(2), "Ruv: cell phone"},      {kPhones, F(3), "Ruv: work phone"},
    {kPhones, F(4), "Ruv: work fax"},        {kPersonal, F(3), "Ruv: homepage"},
    {kOrigin, F(1), "Ruv: city"},            {kOrigin, F(2), "Ruv: state"},
    {kInterests, K(0), "Ruv: interest keys1"}, {kInterests, K(3), "Ruv: interest keys4"},
    {kAbout, F(0), "Ruv: about"},            {kAbout, F(1), "Ruv: notes"},
};

TEST_F(RuvDetailsPanes, AContactsPagesShowItsDetailsWithCodesAsTheirTexts) {
    const unsigned int contact = Contact();
    for (const ShownText& t : kContactTexts)
        SetItem(contact, t.key, std::string("v ") + t.key);
    SetItemWord(contact, "Ruv: home country code", 7);
    SetItemWord(contact, "Ruv: work country code", 49);
    SetItemWord(contact, "Ruv: country code", 999);  // no country has it
    SetItemWord(contact, "Ruv: work ocupation code", 5);
    SetItemByte(contact, "Ruv: gender", 2);
    SetItemWord(contact, "Ruv: age", 42);
    SetItemByte(contact, "Ruv: marital status code", 20);
    SetItemWord(contact, "Ruv: birth year", 1984);
    SetItemByte(contact, "Ruv: birth month", 3);
    SetItemByte(contact, "Ruv: birth day", 9);
    SetItemByte(contact, "Ruv: spoken language1", 36);
    SetItemByte(contact, "Ruv: spoken language2", 0);
    SetItemByte(contact, "Ruv: spoken language3", 11);
    SetItemWord(contact, "Ruv: interest1", 100);
    SetItemWord(contact, "Ruv: interest4", 112);

    EXPECT_EQ(OpenContact(contact,
                          [&](auto& d) {
                              ASSERT_EQ(d.TabCount(), 9);
                              const char* captions[] = {"General",  "Home",            "Work",
                                                        "Company",  "Phones",          "Personal",
                                                        "Originally from", "Interests", "About"};
                              for (int i = 0; i < 9; ++i)
                                  EXPECT_EQ(Caption(d, i), captions[i]);
                              for (const ShownText& t : kContactTexts)
                                  EXPECT_EQ(Text(Page(d, t.page), t.id), std::string("v ") + t.key);
                              const struct {
                                  int page;
                                  int id;
                                  const char* text;
                              } shown[] = {
                                  {kGeneral, F(0), "424242"},      {kGeneral, L(0), "Account name"},
                                  {kHome, F(0), "Russia"},         {kHome, L(3), "Zip"},
                                  {kWork, F(0), "Germany"},        {kOrigin, F(0), ""},
                                  {kCompany, F(2), "Computers"},   {kPersonal, F(0), "Male"},
                                  {kPersonal, F(1), "42"},         {kPersonal, F(2), "Married"},
                                  {kPersonal, F(5), "Russian;English"}, {kInterests, F(0), "Art"},
                                  {kInterests, F(3), "Music"}, {kInterests, F(1), ""},
                                  {kAbout, L(1), "Note on user"},
                              };
                              for (const auto& s : shown)
                                  EXPECT_EQ(Text(Page(d, s.page), s.id), s.text) << s.page << "/" << s.id;
                              EXPECT_EQ(Text(Page(d, kPersonal), F(4)),
                                        CRuvViewPan::BirthdayText(1984, 3, 9).ToUtf8());
                              EXPECT_FALSE(Text(Page(d, kPersonal), F(4)).empty());
                              for (int i = 0; i < 9; ++i) {
                                  d.SelectTab(d.TabIdAt(i));
                                  windows.SaveGallery(d, std::string("ruv_contact_") + kPageNames[i]);
                              }
                              // Only the note is taken back.
                              SetText(Page(d, kGeneral), F(1), "typed over");
                              SetText(Page(d, kAbout), F(1), "first line\r\nsecond line");
                              Confirm(d);
                          }),
              1);
    EXPECT_EQ(a.ItemString(contact, "Ruv: nick name").ToUtf8(), "v Ruv: nick name");
    EXPECT_EQ(a.ItemString(contact, "Ruv: notes").ToUtf8(), "first line\r\nsecond line");
}

TEST_F(RuvDetailsPanes, AContactWithoutDetailsShowsItsLoginAndLabelsOnly) {
    const unsigned int contact = Contact();
    OpenContact(contact, [&](auto& d) {
        EXPECT_EQ(Text(Page(d, kGeneral), F(0)), "424242");
        EXPECT_EQ(Text(Page(d, kGeneral), L(1)), "Display name");
        for (int page : {kGeneral, kHome, kPersonal, kAbout})
            for (int row = 1; row < 3; ++row)
                EXPECT_EQ(Text(Page(d, page), F(row)), "") << page << "/" << row;
        EXPECT_EQ(Text(Page(d, kPersonal), F(4)), "");
        EXPECT_EQ(Text(Page(d, kPersonal), F(5)), "");
        SendMessage(d.Handle(), WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(RuvDetailsPanes, BirthdaysShowOnlyAsValidDates) {
    const struct {
        unsigned int year, month, day;
        bool shown;
    } cases[] = {{1984, 3, 9, true}, {2099, 12, 31, true}, {2100, 1, 1, false}, {1984, 0, 1, false},
                 {1984, 13, 1, false}, {1984, 1, 0, false}, {1984, 1, 32, false}, {1, 1, 1, false}};
    for (const auto& c : cases)
        EXPECT_EQ(CRuvViewPan::BirthdayText(c.year, c.month, c.day).IsEmpty(), !c.shown) << c.year << "-" << c.month
                                                                                        << "-" << c.day;
    // A missing birth day shows nothing at all.
    const unsigned int contact = Contact();
    SetItemWord(contact, "Ruv: birth year", 1984);
    SetItemByte(contact, "Ruv: birth month", 3);
    OpenContact(contact, [&](auto& d) {
        EXPECT_EQ(Text(Page(d, kPersonal), F(4)), "");
        SendMessage(d.Handle(), WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(RuvDetailsPanes, LanguagesJoinOnlyTextsThatAreThere) {
    const struct {
        int codes[3];
        const char* shown;
    } cases[] = {
        {{0, 36, 0}, "Russian"},
        {{36, 0, 11}, "Russian;English"},
        {{11, 250, 36}, "English;Russian"},  // an unknown code adds nothing
        {{0, 0, 0}, "untouched"},
    };
    const unsigned int contact = Contact();
    for (const auto& c : cases) {
        for (int i = 0; i < 3; ++i)
            SetItemByte(contact, (std::string("Ruv: spoken language") + char('1' + i)).c_str(),
                        static_cast<unsigned char>(c.codes[i]));
        OpenContact(contact, [&](auto& d) {
            HWND page = Page(d, kPersonal);
            const std::string expected = std::string(c.shown) == "untouched" ? "" : c.shown;
            EXPECT_EQ(Text(page, F(5)), expected);
            SendMessage(d.Handle(), WM_COMMAND, IDCANCEL, 0);
        });
    }
}

// --- the own details ---

struct OwnText {
    int page;
    int row;
    const char* key;
};
const OwnText kOwnTexts[] = {
    {kGeneral, 1, "Ruv: nick name"},   {kGeneral, 2, "Ruv: first name"},    {kGeneral, 3, "Ruv: last name"},
    {kGeneral, 4, "Ruv: e-mail"},      {kHome, 1, "Ruv: home city"},        {kHome, 2, "Ruv: home state"},
    {kHome, 4, "Ruv: home address"},   {kWork, 1, "Ruv: work city"},        {kWork, 4, "Ruv: work address"},
    {kCompany, 0, "Ruv: work company"}, {kCompany, 1, "Ruv: work department"}, {kCompany, 3, "Ruv: work position"},
    {kCompany, 4, "Ruv: work webpage"}, {kPhones, 0, "Ruv: home phone"},     {kPhones, 4, "Ruv: work fax"},
    {kPersonal, 2, "Ruv: homepage"},   {kOrigin, 1, "Ruv: city"},           {kOrigin, 2, "Ruv: state"},
    {kAbout, 0, "Ruv: about"},         {kAbout, 1, "Ruv: notes"},
};

TEST_F(RuvDetailsPanes, OwnPagesShowTheStoredDetailsAndStoreWhatWasEdited) {
    for (const OwnText& t : kOwnTexts)
        SetOwn(t.key, std::string("old ") + t.key);
    SetOwn("Ruv: home zip", "12345");
    SetOwnWord("Ruv: home country code", 7);
    SetOwnWord("Ruv: work ocupation code", 5);
    SetOwnByte("Ruv: gender", 1);
    SetOwnByte("Ruv: marital status code", 10);
    SetOwnByte("Ruv: spoken language1", 36);
    SetOwnWord("Ruv: interest2", 104);
    SetOwn("Ruv: interest keys2", "old keys");
    SetOwnWord("Ruv: birth year", 1980);
    SetOwnByte("Ruv: birth month", 5);
    SetOwnByte("Ruv: birth day", 17);

    EXPECT_EQ(OpenOwn([&](auto& d) {
                  ASSERT_EQ(d.TabCount(), 9);
                  EXPECT_EQ(Caption(d, kOrigin), "Originally from");
                  EXPECT_EQ(Text(Page(d, kGeneral), F(0)), "123456");
                  for (const OwnText& t : kOwnTexts) {
                      EXPECT_EQ(Text(Page(d, t.page), F(t.row)), std::string("old ") + t.key);
                      SetText(Page(d, t.page), F(t.row), std::string("new ") + t.key);
                  }
                  const struct {
                      int page;
                      int id;
                      const char* text;
                  } selected[] = {{kHome, F(0), "Russia"},       {kWork, F(0), "(none)"},
                                  {kCompany, F(2), "Computers"}, {kPersonal, F(0), "Female"},
                                  {kPersonal, F(1), "Single"},   {kPersonal, F(4), "Russian"},
                                  {kPersonal, F(5), "(none)"},   {kInterests, F(1), "Computers"}};
                  for (const auto& s : selected)
                      EXPECT_EQ(Selected(Page(d, s.page), s.id), s.text) << s.page << "/" << s.id;
                  EXPECT_EQ(Text(Page(d, kHome), F(3)), "12345");
                  EXPECT_EQ(Text(Page(d, kInterests), K(1)), "old keys");
                  SYSTEMTIME date;
                  ASSERT_EQ(SendMessage(GetDlgItem(Page(d, kPersonal), F(3)), DTM_GETSYSTEMTIME, 0,
                                        reinterpret_cast<LPARAM>(&date)),
                            GDT_VALID);
                  EXPECT_EQ(date.wYear, 1980);
                  EXPECT_EQ(date.wDay, 17);
                  for (int i = 0; i < 9; ++i) {
                      d.SelectTab(d.TabIdAt(i));
                      windows.SaveGallery(d, std::string("ruv_own_") + kPageNames[i]);
                  }
                  // The login is shown only.
                  SetText(Page(d, kGeneral), F(0), "999");
                  SetText(Page(d, kHome), F(3), "54321");
                  Select(Page(d, kHome), F(0), "Germany");
                  Select(Page(d, kWork), F(0), "France");
                  Select(Page(d, kPersonal), F(0), "");  // the empty entry: no gender
                  Select(Page(d, kPersonal), F(6), "Spanish");
                  Select(Page(d, kInterests), F(0), "Art");
                  SetText(Page(d, kInterests), K(0), "painting");
                  SendMessage(GetDlgItem(Page(d, kPersonal), F(3)), DTM_SETSYSTEMTIME, GDT_NONE, 0);
                  Confirm(d);
              }),
              1);
    // The birthday is stored by the account, from the change it was handed.
    a.DrainList();
    for (const OwnText& t : kOwnTexts)
        EXPECT_EQ(Own(t.key), std::string("new ") + t.key);
    EXPECT_EQ(Own("SrvLogName"), "123456");
    const struct {
        const char* key;
        bool word;
        int value;
    } numbers[] = {
        {"Ruv: home country code", true, 49}, {"Ruv: work country code", true, 33},
        {"Ruv: work ocupation code", true, 5}, {"Ruv: gender", false, 0},
        {"Ruv: marital status code", false, 10}, {"Ruv: spoken language1", false, 36},
        {"Ruv: spoken language2", false, -1},  // untouched: nothing chosen, nothing stored
        {"Ruv: spoken language3", false, 40},  {"Ruv: interest1", true, 100},
        {"Ruv: interest2", true, 104},         {"Ruv: interest3", true, 0},
        {"Ruv: birth year", true, 0},          {"Ruv: birth month", false, 0},
        {"Ruv: birth day", false, 0},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(n.word ? OwnWord(n.key) : OwnByte(n.key), n.value) << n.key;
    EXPECT_EQ(Own("Ruv: home zip"), "54321");
    EXPECT_EQ(Own("Ruv: interest keys1"), "painting");
    EXPECT_EQ(Own("Ruv: interest keys2"), "old keys");
}

TEST_F(RuvDetailsPanes, AnUnknownStoredCodeIsKeptWhenTheDialogIsConfirmed) {
    SetOwnWord("Ruv: country code", 999);
    SetOwnByte("Ruv: gender", 9);
    OpenOwn([&](auto& d) {
        EXPECT_EQ(Selected(Page(d, kOrigin), F(0)), "(none)");
        EXPECT_EQ(Selected(Page(d, kPersonal), F(0)), "(none)");
        // Filling the pages again (fresh details) adds no entry twice.
        d.Reload();
        EXPECT_EQ(SendMessage(GetDlgItem(Page(d, kOrigin), F(0)), CB_GETCOUNT, 0, 0),
                  static_cast<LRESULT>(CRuvDictionaries::Count(RuvDictionary::Countries) + 1));
        Confirm(d);
    });
    EXPECT_EQ(OwnWord("Ruv: country code"), 999);
    EXPECT_EQ(OwnByte("Ruv: gender"), 9);
}

TEST_F(RuvDetailsPanes, TextsAreBoundedByTheirRecordFields) {
    const std::string longText(400, 'n');
    SetOwn("Ruv: about", std::string(600, 'a'));  // longer than a record takes, from elsewhere
    OpenOwn([&](auto& d) {
        // Typing stops at the record's room; a pasted text is cut on saving.
        SetText(Page(d, kGeneral), F(1), longText);
        SetText(Page(d, kGeneral), F(4), longText);
        SetText(Page(d, kInterests), K(2), longText);
        SetText(Page(d, kAbout), F(1), std::string(2000, 'm'));
        Confirm(d);
    });
    EXPECT_EQ(Own("Ruv: nick name"), std::string(CRuvEditPan::kTextChars, 'n'));
    EXPECT_EQ(Own("Ruv: e-mail"), std::string(CRuvEditPan::kEmailChars, 'n'));
    EXPECT_EQ(Own("Ruv: interest keys3"), std::string(CRuvEditPan::kKeywordChars, 'n'));
    EXPECT_EQ(Own("Ruv: notes"), std::string(CRuvEditPan::kNoteChars, 'm'));
    EXPECT_EQ(Own("Ruv: about"), std::string(600, 'a')) << "an untouched text is not cut";
}

TEST_F(RuvDetailsPanes, AZipThatIsNotANumberIsRefusedOnItsField) {
    const struct {
        int page;
        const char* typed;
        bool refused;
        const char* stored;
    } cases[] = {
        {kHome, "12a45", true, "111"},    {kWork, "-5", true, "111"},
        {kHome, "99999999999", true, "111"}, {kHome, "", false, ""},
        {kWork, "4294967295", false, "4294967295"},
    };
    for (const auto& c : cases) {
        SetOwn("Ruv: home zip", "111");
        SetOwn("Ruv: work zip", "111");
        OpenOwn([&](auto& d) {
            HWND page = Page(d, c.page);
            SetText(page, F(3), c.typed);
            SendMessage(d.Handle(), WM_COMMAND, IDOK, 0);
            if (c.refused) {
                EXPECT_TRUE(IsWindow(d.Handle())) << c.typed;
                HWND focus = GetFocus();
                EXPECT_TRUE(focus == GetDlgItem(page, F(3)) || IsChild(GetDlgItem(page, F(3)), focus)) << c.typed;
                SendMessage(d.Handle(), WM_COMMAND, IDCANCEL, 0);
            }
        });
        const auto told = Told();
        ASSERT_EQ(told.size(), c.refused ? 1u : 0u) << c.typed;
        if (c.refused) {
            EXPECT_EQ(told[0].text.ToUtf8(), "The zip code must be a number");
        }
        EXPECT_EQ(Own(c.page == kHome ? "Ruv: home zip" : "Ruv: work zip"), c.stored) << c.typed;
    }
}

// --- the records the edit pages send ---

std::string TlvHex(const CTLV& tlv) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    std::vector<unsigned char> wire(static_cast<std::size_t>(tlv.WireSize()));
    tlv.Write(wire.data(), true);
    for (unsigned char b : wire) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

TEST(RuvDetailsRecords, ChangesBecomeTheirTlvs) {
    const struct {
        CTLV tlv;
        const char* hex;
    } cases[] = {
        {CRuvEditPan::TextTlv(0x0154, CYolString(u"Bob"), false), "5401" "0600" "0400" "426F6200"},
        {CRuvEditPan::TextTlv(0x015E, CYolString(u"a@b"), true), "5E01" "0700" "0400" "614062" "0000"},
        {CRuvEditPan::TextTlv(0x0140, CYolString(u"Иван"), false), "4001" "0700" "0500" "C8E2E0ED00"},
        {CRuvEditPan::TextTlv(0x0140, CYolString(), false), "4001" "0300" "0100" "00"},
        {CRuvEditPan::CodeTlv(0x017C, 0), "7C01" "0200" "0000"},
        {CRuvEditPan::CodeTlv(0x01A4, 0x0107), "A401" "0200" "0701"},
        {CRuvEditPan::ZipTlv(0x026C, 123456), "6C02" "0400" "40E20100"},
        {CRuvEditPan::BirthdayTlv(0, 0, 0), "3A02" "0600" "000000000000"},
        {CRuvEditPan::BirthdayTlv(1980, 5, 17), "3A02" "0600" "BC0705001100"},
        {CRuvEditPan::InterestTlv(100, CYolString(u"go")), "EA01" "0700" "6400" "0300" "676F00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TlvHex(c.tlv), c.hex);
    // A text record holds at most 255 bytes of text.
    const CTLV longest = CRuvEditPan::TextTlv(0x0154, CYolString::FromUtf8(std::string(300, 'x')), false);
    EXPECT_EQ(longest.GetLength(), 255 + 3);
}

}  // namespace
