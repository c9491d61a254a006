// The OSCAR account's search pages inside the program's find-user dialog:
// what each page writes into the account's search request, the page shown
// choosing the kind of search, the age rows, and the refused number.

#include "RuvPanesSupport.h"

#include "CYolMenuInfo.h"
#include "CYolWMUI_FindUserDlg.h"
#include "FindUserHostSupport.h"
#include "Controls/ControlButton.h"
#include "RuvSearchPanes.h"
#include "WindowSystem/WindowFocus.h"

namespace {

using namespace RuvPanesTest;
using UI::CYolWMUI_BigDlg;
using UI::CYolWMUI_FindUserDlg;
namespace E = Protocols::AccountEvent;

enum : int { kByNumber = 0, kByEmail, kGlobal1, kGlobal2 };

class RuvSearchPanes : public PanesTest {
protected:
    void Open(const std::function<void(CYolWMUI_FindUserDlg&)>& script) {
        dialogs_test::Scripted<CYolWMUI_FindUserDlg> dialog(&a.services, host, LiveRuvAccount::kAccountId);
        dialog.script = [&](auto& d) { script(d); };
        CYolWMUI_FindUserDlg::Run(windows.Parent(), dialog);
    }
    // Starts the search from the page at `index`.
    void Search(CYolWMUI_FindUserDlg& d, int index) {
        d.SelectTab(d.TabIdAt(index));
        windows.SoftKey(d, CYolWMUI_BigDlg::ELeft);
    }
    // The account's request once its queue has taken what the pages posted.
    TSearchRequest Request() {
        a.DrainList();
        return a.account->Meta().SearchRequest();
    }
    dialogs_test::DetailsHost host;
};

TEST_F(RuvSearchPanes, EveryPageWritesItsFieldsAndThePageShownChoosesTheSearch) {
    Open([&](auto& d) {
        ASSERT_EQ(d.TabCount(), 5);
        const char* captions[] = {"By Ruv#", "By Email", "Global 1", "Global 2"};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Caption(d, i), captions[i]);
        const struct {
            int page;
            int id;
            const char* text;
        } labels[] = {{kByNumber, 1106, "Search by Ruv#:"}, {kByEmail, 1108, "Search by Email:"},
                      {kGlobal1, 1110, "Global search:"},   {kGlobal1, 1111, "Nickname"},
                      {kGlobal1, 1121, "Marital status"},    {kGlobal2, 1119, "Country"},
                      {kGlobal2, 1121, "Language"},          {kGlobal2, 1129, "Keywords"},
                      {kGlobal2, 1132, "Online only"}};
        for (const auto& l : labels)
            EXPECT_EQ(Text(Page(d, l.page), l.id), l.text) << l.id;
        SetText(Page(d, kByNumber), 1107, "100200");
        SetText(Page(d, kByEmail), 1109, "ann@example.org");
        HWND g1 = Page(d, kGlobal1);
        SetText(g1, 1112, "ann");
        SetText(g1, 1114, "Анна");
        SetText(g1, 1116, "Smith");
        Select(g1, 1118, "Female");
        Select(g1, 1120, "60 ...");
        Select(g1, 1122, "Married");
        HWND g2 = Page(d, kGlobal2);
        Select(g2, 1120, "Russia");
        Select(g2, 1122, "Russian");
        Select(g2, 1126, "Computers");
        Select(g2, 1128, "Music");
        SetText(g2, 1124, "Moscow");
        SetText(g2, 1130, "chess");
        SendMessage(GetDlgItem(g2, 1131), BM_CLICK, 0, 0);
        for (int i = 0; i < 4; ++i) {
            d.SelectTab(d.TabIdAt(i));
            windows.SaveGallery(d, std::string("ruv_search_") + std::to_string(i));
        }
        Search(d, kGlobal2);
        windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
    });
    const TSearchRequest r = Request();
    EXPECT_EQ(r.kind, TSearchRequest::WhitePages);
    EXPECT_EQ(r.number, 100200u);
    EXPECT_EQ(r.email.ToUtf8(), "ann@example.org");
    EXPECT_EQ(r.nickname.ToUtf8(), "ann");
    EXPECT_EQ(r.firstName.ToUtf8(), "Анна");
    EXPECT_EQ(r.lastName.ToUtf8(), "Smith");
    EXPECT_EQ(r.gender, 1);
    EXPECT_EQ(r.ageFrom, 60);
    EXPECT_EQ(r.ageTo, 231);
    EXPECT_EQ(r.maritalStatus, 20);
    EXPECT_EQ(r.country, 7);
    EXPECT_EQ(r.language, 36);
    EXPECT_EQ(r.occupation, 5);
    EXPECT_EQ(r.interestsCategory, 112);
    EXPECT_EQ(r.city.ToUtf8(), "Moscow");
    EXPECT_EQ(r.keywords.ToUtf8(), "chess");
    EXPECT_TRUE(r.onlineOnly);
    // Offline, the search ends at once with its empty result.
    EXPECT_EQ(Events(E::SearchResult).size(), 1u);
}

TEST_F(RuvSearchPanes, EachPageStartsItsKindWithItsAgeRowsAndEmptyEntries) {
    const struct {
        int page;
        const char* age;  // "": the empty first row
        int kind;
        unsigned char from, to;
    } cases[] = {
        {kByNumber, "13-17", TSearchRequest::ByNumber, 13, 17},
        {kByEmail, "30-39", TSearchRequest::ByEmail, 30, 39},
        {kGlobal1, "", TSearchRequest::WhitePages, 0, 0},
        {kGlobal2, "50-59", TSearchRequest::WhitePages, 50, 59},
    };
    for (const auto& c : cases) {
        Open([&](auto& d) {
            HWND g1 = Page(d, kGlobal1);
            if (*c.age != '\0')
                Select(g1, 1120, c.age);
            else
                SendMessage(GetDlgItem(g1, 1120), CB_SETCURSEL, 0, 0);
            // The empty first entries of the lists.
            SendMessage(GetDlgItem(g1, 1118), CB_SETCURSEL, 0, 0);
            SendMessage(GetDlgItem(Page(d, kGlobal2), 1120), CB_SETCURSEL, 0, 0);
            // Filling again adds no row twice.
            d.DoDataExchange(0);
            EXPECT_EQ(Count(g1, 1120), 8);
            EXPECT_EQ(Count(g1, 1118),
                      static_cast<LRESULT>(CRuvDictionaries::Count(RuvDictionary::Genders) + 1));
            Search(d, c.page);
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
        const TSearchRequest r = Request();
        EXPECT_EQ(r.kind, c.kind) << c.page;
        EXPECT_EQ(r.ageFrom, c.from) << c.age;
        EXPECT_EQ(r.ageTo, c.to) << c.age;
        EXPECT_EQ(r.gender, 0);
        EXPECT_EQ(r.country, 0);
    }
}

TEST_F(RuvSearchPanes, ANumberThatIsNotOneIsRefusedOnItsField) {
    const struct {
        const char* typed;
        bool refused;
        unsigned int number;
    } cases[] = {{"12ab", true, 0}, {"99999999999", true, 0}, {"-1", true, 0}, {"", false, 0},
                 {"4294967295", false, 4294967295u}};
    for (const auto& c : cases) {
        Open([&](auto& d) {
            HWND page = Page(d, kByNumber);
            SetText(page, 1107, c.typed);
            Search(d, kByNumber);
            EXPECT_EQ(d.IsBusy(), !c.refused) << c.typed;
            if (c.refused) {
                HWND focus = GetFocus();
                EXPECT_TRUE(focus == GetDlgItem(page, 1107) || IsChild(GetDlgItem(page, 1107), focus)) << c.typed;
            }
            windows.SoftKey(d, CYolWMUI_BigDlg::ERight);
        });
        const auto told = Events(E::ShowText);
        ASSERT_EQ(told.size(), c.refused ? 1u : 0u) << c.typed;
        if (c.refused) {
            EXPECT_EQ(told[0].text.ToUtf8(), "The Ruv# must be a number");
        } else {
            EXPECT_EQ(Request().number, c.number) << c.typed;
        }
    }
}

}  // namespace
