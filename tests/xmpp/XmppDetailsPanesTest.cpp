// The XMPP account's details pages inside the program's details dialogs:
// the own details edited and stored as account values, a contact's details
// shown read-only with the user's own note stored back, and the refresh
// when fresh details arrive.

#include "XmppPanesSupport.h"

#include "CYolWMUI_DetailsDlg.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlDatePicker.h"

#include <gtest/gtest.h>

namespace {

using namespace XmppPanesTest;
using UI::CYolWMUI_BigDlg;
namespace E = Protocols::AccountEvent;

enum : int { kGeneral = 0, kHome, kWork, kCompany, kPhones, kPersonal, kAbout };

class XmppDetailsPanes : public PanesTest {
protected:
    std::intptr_t OpenOwn(const std::function<void(UI::CYolWMUI_UserDetailsDlg&)>& script) {
        dialogs_test::Scripted<UI::CYolWMUI_UserDetailsDlg> dialog(&h.services, kAccount);
        dialog.script = [&](auto& d) { script(d); };
        return UI::CYolWMUI_UserDetailsDlg::Run(windows.Parent(), dialog);
    }
    std::intptr_t OpenContact(unsigned int contact,
                              const std::function<void(UI::CYolWMUI_ContactDetailsDlg&)>& script) {
        dialogs_test::Scripted<UI::CYolWMUI_ContactDetailsDlg> dialog(&h.services, contact);
        dialog.script = [&](auto& d) { script(d); };
        return UI::CYolWMUI_ContactDetailsDlg::Run(windows.Parent(), dialog);
    }
    void SetOwn(const char* key, const char* text) { h.SetValue(key, text); }
    void SetOwnBirthday(unsigned short year, unsigned char month, unsigned char day) {
        h.manager.SetAccountWord(kAccount, U("Jabber: birth year"), year);
        h.manager.SetAccountByte(kAccount, U("Jabber: birth month"), month);
        h.manager.SetAccountByte(kAccount, U("Jabber: birth day"), day);
    }
    unsigned int OwnNumber(const char* key, bool word) {
        if (word) {
            unsigned short value = 0xFFFF;
            h.manager.GetAccountWord(kAccount, U(key), value);
            return value;
        }
        unsigned char value = 0xFF;
        h.manager.GetAccountByte(kAccount, U(key), value);
        return value;
    }
    static int Selection(HWND page, int id) {
        return static_cast<int>(SendMessage(GetDlgItem(page, id), CB_GETCURSEL, 0, 0));
    }
    static LRESULT Date(HWND page, SYSTEMTIME& date) {
        return SendMessage(GetDlgItem(page, 1027), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    }
};

// Each text field of the own pages: its page, control and key.
struct OwnField {
    int page;
    int id;
    const char* key;
};
const OwnField kOwnFields[] = {
    {kGeneral, 1003, "Jabber: display name"}, {kGeneral, 1004, "Jabber: first name"},
    {kGeneral, 1006, "Jabber: midle name"},   {kGeneral, 1005, "Jabber: last name"},
    {kHome, 1006, "Jabber: home country"},    {kHome, 1007, "Jabber: home city"},
    {kHome, 1060, "Jabber: home e-mail"},     {kWork, 1011, "Jabber: work country"},
    {kWork, 1059, "Jabber: work e-mail"},     {kCompany, 1016, "Jabber: work company"},
    {kCompany, 1018, "Jabber: work position"}, {kPhones, 1021, "Jabber: cell phone"},
    {kPhones, 1023, "Jabber: work fax"},      {kPersonal, 1026, "Jabber: home page"},
    {kAbout, 1028, "Jabber: about"},          {kAbout, 1029, "Jabber: notes"},
};

TEST_F(XmppDetailsPanes, OwnPagesShowTheStoredValuesAndStoreWhatWasTyped) {
    for (const OwnField& f : kOwnFields)
        SetOwn(f.key, (std::string("old ") + f.key).c_str());
    EXPECT_EQ(OpenOwn([&](auto& d) {
                  ASSERT_EQ(d.TabCount(), 7);
                  const char* captions[] = {"General", "Home", "Work", "Company", "Phones", "Personal", "About"};
                  for (int i = 0; i < 7; ++i)
                      EXPECT_EQ(Caption(d, i), captions[i]);
                  EXPECT_EQ(Text(Page(d, kGeneral), 1002), "alice@example.org");
                  EXPECT_EQ(Text(Page(d, kGeneral), 1031), "Display name");
                  for (const OwnField& f : kOwnFields) {
                      EXPECT_EQ(Text(Page(d, f.page), f.id), std::string("old ") + f.key);
                      SetText(Page(d, f.page), f.id, std::string("new ") + f.key);
                  }
                  // The login is shown only: what is typed there goes nowhere.
                  SetText(Page(d, kGeneral), 1002, "mallory@example.org");
                  const char* pictures[] = {"general", "home", "work", "company", "phones", "personal", "about"};
                  for (int i = 0; i < 7; ++i) {
                      d.SelectTab(d.TabIdAt(i));
                      windows.SaveGallery(d, std::string("xmpp_own_") + pictures[i]);
                  }
                  windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);  // "Update" stores too
                  EXPECT_EQ(Value("Jabber: first name"), "new Jabber: first name");
                  SendMessage(d.Handle(), WM_COMMAND, IDOK, 0);
              }),
              1);
    for (const OwnField& f : kOwnFields)
        EXPECT_EQ(Value(f.key), std::string("new ") + f.key);
    EXPECT_EQ(Value("SrvLogName"), "alice@example.org");
}

TEST_F(XmppDetailsPanes, OwnTextsAreCutToWhatTheirValuesHold) {
    const struct {
        int page;
        int id;
        const char* key;
        size_t typed;
        size_t stored;
    } cases[] = {{kGeneral, 1004, "Jabber: first name", 300, 255},
                 {kPersonal, 1026, "Jabber: home page", 255, 255},
                 {kAbout, 1028, "Jabber: about", 256, 255},
                 {kAbout, 1029, "Jabber: notes", 1100, 1023}};
    OpenOwn([&](auto& d) {
        for (const auto& c : cases)
            SetText(Page(d, c.page), c.id, std::string(c.typed, 'z'));
        SendMessage(d.Handle(), WM_COMMAND, IDOK, 0);
    });
    for (const auto& c : cases)
        EXPECT_EQ(Value(c.key), std::string(c.stored, 'z')) << c.key;
}

TEST_F(XmppDetailsPanes, OwnGenderAndBirthdayTakeOnlyWhatTheControlsHold) {
    const struct {
        const char* gender;
        unsigned short year;
        unsigned char month, day;
        int selection;  // the combo's entry on open
        bool date;      // the picker holds a date on open
        const char* genderOut;
        unsigned int yearOut, monthOut, dayOut;
    } cases[] = {
        {"Female", 1980, 5, 17, 1, true, "Female", 1980, 5, 17},
        {"Male", 2099, 12, 31, 2, true, "Male", 2099, 12, 31},
        {"male", 2100, 1, 1, -1, false, "", 0, 0, 0},
        {"Other", 1980, 13, 1, -1, false, "", 0, 0, 0},
        {"Female", 0, 0, 0, 1, false, "Female", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SetOwn("Jabber: gender", c.gender);
        SetOwnBirthday(c.year, c.month, c.day);
        OpenOwn([&](auto& d) {
            HWND personal = Page(d, kPersonal);
            EXPECT_EQ(Selection(personal, 1024), c.selection) << c.gender;
            SYSTEMTIME date;
            EXPECT_EQ(Date(personal, date), c.date ? GDT_VALID : GDT_NONE) << c.year;
            SendMessage(d.Handle(), WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(Value("Jabber: gender"), c.genderOut) << c.gender;
        EXPECT_EQ(OwnNumber("Jabber: birth year", true), c.yearOut) << c.year;
        EXPECT_EQ(OwnNumber("Jabber: birth month", false), c.monthOut) << c.year;
        EXPECT_EQ(OwnNumber("Jabber: birth day", false), c.dayOut) << c.year;
    }
}

class XmppContactPanes : public XmppDetailsPanes {
protected:
    void SetUp() override {
        XmppDetailsPanes::SetUp();
        GoOnline("<item jid='bob@example.org' name='Bob' subscription='both'/>"
                 "<item jid='carol@example.org' name='Carol' subscription='both'/>");
        bob = ContactOf("bob@example.org");
        carol = ContactOf("carol@example.org");
        ASSERT_NE(bob, 0u);
    }
    void SetItem(unsigned int item, const char* key, const char* text) { List().SetItemString(item, U(key), U(text)); }
    void SetItemNumber(unsigned int item, const char* key, unsigned int value, bool word) {
        if (word) {
            const short w = static_cast<short>(value);
            List().SetItemWord(item, U(key), &w);
        } else {
            const unsigned char b = static_cast<unsigned char>(value);
            List().SetItemByte(item, U(key), &b);
        }
    }
    unsigned int bob = 0;
    unsigned int carol = 0;
};

TEST_F(XmppContactPanes, AContactsPagesShowItsDetailsAndAskForThemAgain) {
    SetItem(bob, "Jabber: nick name", "Bobby");
    SetItem(bob, "Jabber: display name", "Robert Smith");
    SetItem(bob, "Jabber: home city", "Kyiv");
    SetItem(bob, "Jabber: work company", "Acme");
    SetItem(bob, "Jabber: gender", "Female");
    SetItemNumber(bob, "Jabber: age", 25, true);
    SetItemNumber(bob, "Jabber: birth year", 1980, true);
    SetItemNumber(bob, "Jabber: birth month", 13, false);
    SetItemNumber(bob, "Jabber: birth day", 1, false);
    OpenContact(bob, [&](auto& d) {
        ASSERT_EQ(d.TabCount(), 7);
        const struct {
            int page;
            int id;
            const char* text;
        } shown[] = {{kGeneral, 1002, "bob@example.org"}, {kGeneral, 1003, "Bobby"}, {kHome, 1007, "Kyiv"},
                     {kCompany, 1016, "Acme"},           {kPersonal, 1024, "Female"}, {kPersonal, 1025, "25"},
                     {kPersonal, 1027, ""},              {kPersonal, 1053, "Age"}};
        for (const auto& s : shown)
            EXPECT_EQ(Text(Page(d, s.page), s.id), s.text) << s.id;
        EXPECT_TRUE(GetWindowLong(GetDlgItem(Page(d, kGeneral), 1003), GWL_STYLE) & ES_READONLY);
        d.SelectTab(d.TabIdAt(kPersonal));
        windows.SaveGallery(d, "xmpp_contact_personal");
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
    // The dialog asked the contact for its vCard again.
    EXPECT_NE(h.TakeSent().find("to='bob@example.org'"), std::string::npos);
}

TEST_F(XmppContactPanes, TheNoteIsStoredAndFreshDetailsOfAnotherContactChangeNothing) {
    SetItem(bob, "Jabber: nick name", "Bobby");
    OpenContact(bob, [&](auto& d) {
        SetItem(bob, "Jabber: nick name", "Bob II");
        SetItem(carol, "Jabber: nick name", "Caz");
        UI::CYolWMUI_ContactDetailsDlg::Refresh(carol);
        EXPECT_EQ(Text(Page(d, kGeneral), 1003), "Bobby");
        UI::CYolWMUI_ContactDetailsDlg::Refresh(bob);
        EXPECT_EQ(Text(Page(d, kGeneral), 1003), "Bob II");
        SetText(Page(d, kAbout), 1029, "met at the conference");
        SendMessage(d.Handle(), WM_COMMAND, IDOK, 0);
    });
    CYolString note;
    EXPECT_TRUE(List().GetItemString(bob, U("Jabber: notes"), note));
    EXPECT_EQ(note.ToUtf8(), "met at the conference");
    // Details that come after the dialog closed find none open.
    UI::CYolWMUI_ContactDetailsDlg::Refresh(bob);
    EXPECT_EQ(UI::CYolWMUI_ContactDetailsDlg::Open(), nullptr);
}

TEST_F(XmppContactPanes, AVCardThatComesAfterTheDialogClosedIsKeptWithNoDialogToShowIt) {
    OpenContact(bob, [&](auto& d) { windows.SoftKey(d, CYolWMUI_BigDlg::ERight); });
    const int request = XmppTest::RequestNumber(h.TakeSent(), "vCard");
    ASSERT_GT(request, 0);
    h.Events();
    h.Receive("<iq type='result' from='bob@example.org' id='yol_" + std::to_string(request) +
              "'><vCard xmlns='vcard-temp'><NICKNAME>Bobby</NICKNAME></vCard></iq>");
    DrainList();
    std::vector<unsigned int> ready;
    for (const XmppTest::AccountEventRecord& record : h.Events())
        if (record.event == E::ContactDetailsReady)
            ready.push_back(record.number);
    EXPECT_EQ(ready, std::vector<unsigned int>{bob});
    // What the application does with the event: there is no dialog to fill.
    UI::CYolWMUI_ContactDetailsDlg::Refresh(bob);
    EXPECT_EQ(UI::CYolWMUI_ContactDetailsDlg::Open(), nullptr);
    EXPECT_EQ(ItemString(bob, "Jabber: nick name").ToUtf8(), "Bobby");
}

TEST_F(XmppContactPanes, BirthdaysShownOnlyWhenTheyAreDates) {
    const struct {
        unsigned int year, month, day;
        bool shown;
    } cases[] = {{1980, 5, 17, true}, {1980, 13, 1, false}, {0, 1, 1, false}, {2100, 1, 1, false},
                 {1850, 2, 3, true}};
    for (const auto& c : cases) {
        SetItemNumber(bob, "Jabber: birth year", c.year, true);
        SetItemNumber(bob, "Jabber: birth month", c.month, false);
        SetItemNumber(bob, "Jabber: birth day", c.day, false);
        OpenContact(bob, [&](auto& d) {
            EXPECT_EQ(Text(Page(d, kPersonal), 1027).empty(), !c.shown) << c.year << "-" << c.month;
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
    }
}

}  // namespace
