// Combo boxes: the entry list, the dropped list under the pen and the keys,
// the edit field of a drop-down, and what the parent is told.

#include "ControlTestSupport.h"

#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlScrollBar.h"

using namespace ui_test;

namespace {

class Combos : public ControlTest {
protected:
    HWND List(std::uint32_t style, std::initializer_list<const char16_t*> entries, int height = 200) {
        HWND combo = Control(WC_COMBOBOX, style | WS_TABSTOP, RECT{10, 10, 210, 10 + height}, 8);
        for (const char16_t* e : entries)
            SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e));
        return combo;
    }
    static HWND Dropped() { return FindWindow(u"combolbox", nullptr); }
    static std::u16string Entry(HWND combo, int index) {
        const LRESULT n = SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (n < 0)
            return u"<none>";
        std::u16string text(static_cast<size_t>(n) + 1, u'?');
        EXPECT_EQ(SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data())), n);
        EXPECT_EQ(text.back(), u'\0');
        text.pop_back();
        return text;
    }
    // Taps the row of the dropped list, which shows its rows from the top.
    void TapRow(HWND list, int row, int shownRows) {
        RECT c;
        GetClientRect(list, &c);
        const int height = (c.bottom - 2) / shownRows;
        Tap(list, 20, 1 + row * height + height / 2);
    }
    static LRESULT Sel(HWND combo) { return SendMessage(combo, CB_GETCURSEL, 0, 0); }
};

TEST_F(Combos, KeepsEntriesWithTheirDataThroughInsertAndDelete) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"one", u"two"});
    EXPECT_EQ(SendMessage(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"zero")), 0);
    EXPECT_EQ(SendMessage(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"three")), 3);
    EXPECT_EQ(SendMessage(combo, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(u"far")), CB_ERR);
    for (int i = 0; i < 4; ++i)
        SendMessage(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), 100 + i);
    SendMessage(combo, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(Text(combo), u"two");

    EXPECT_EQ(SendMessage(combo, CB_DELETESTRING, 0, 0), 3);
    EXPECT_EQ(Sel(combo), 1) << "the selection follows its entry";
    EXPECT_EQ(SendMessage(combo, CB_GETITEMDATA, 1, 0), 102);
    EXPECT_EQ(SendMessage(combo, CB_DELETESTRING, 1, 0), 2);
    EXPECT_EQ(Sel(combo), CB_ERR);
    EXPECT_EQ(Text(combo), u"") << "the field no longer shows a deleted entry";
    EXPECT_EQ(Entry(combo, 0), u"one");
    EXPECT_EQ(Entry(combo, 1), u"three");

    EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessage(combo, CB_DELETESTRING, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_GETITEMDATA, 2, 0), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(-1), 0), CB_ERR);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(Commands().empty()) << "messages tell the parent nothing";
}

TEST_F(Combos, SortedComboAddsInFoldedTextOrder) {
    HWND combo = List(CBS_DROPDOWNLIST | CBS_SORT, {u"beta", u"Alpha", u"gamma", u"alpha"});
    EXPECT_EQ(Entry(combo, 0), u"Alpha");
    EXPECT_EQ(Entry(combo, 1), u"alpha") << "equal texts keep the order they came in";
    EXPECT_EQ(Entry(combo, 2), u"beta");
    EXPECT_EQ(Entry(combo, 3), u"gamma");
}

TEST_F(Combos, FindsWholeTextsWithCaseFoldedStartingAfterTheGivenEntry) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"Host", u"hostname", u"HOST", u"other"});
    struct Case {
        std::intptr_t after;
        const char16_t* text;
        LRESULT found;
    };
    const Case cases[] = {
        {-1, u"host", 0}, {0, u"host", 2}, {2, u"host", 0}, {-1, u"hostNAME", 1},
        {-1, u"hos", CB_ERR}, {-1, u"", CB_ERR}, {77, u"other", 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(c.after), reinterpret_cast<LPARAM>(c.text)),
                  c.found)
            << "after " << c.after;
}

TEST_F(Combos, SetCurSelOutOfRangeClearsTheSelection) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"a", u"b"});
    EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(Text(combo), u"b");
    EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 2, 0), CB_ERR);
    EXPECT_EQ(Sel(combo), CB_ERR);
    EXPECT_EQ(Text(combo), u"");
    EXPECT_TRUE(SetWindowText(combo, u"A")) << "the field of a list shows entries only";
    EXPECT_EQ(Sel(combo), 0);
    EXPECT_FALSE(SetWindowText(combo, u"c"));
    EXPECT_EQ(Sel(combo), 0);
}

TEST_F(Combos, FieldKeepsOneLineAndTheListDropsUnderIt) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"a", u"b", u"c"}, 300);
    RECT field;
    GetWindowRect(combo, &field);
    EXPECT_LT(field.bottom - field.top, 100) << "the made height counts the list's room";
    Tap(combo, 30, 5);
    HWND list = Dropped();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0), 1);
    RECT r;
    GetWindowRect(list, &r);
    EXPECT_EQ(r.top, field.bottom);
    EXPECT_EQ(r.left, field.left);
    EXPECT_EQ(r.right, field.right);
    EXPECT_EQ(GetFocus(), combo) << "the list does not take the focus";
}

TEST_F(Combos, TapOnARowChoosesItAndTellsTheParentInOrder) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"a", u"b", u"c"});
    Tap(combo, 30, 5);
    ASSERT_NE(Dropped(), nullptr);
    TapRow(Dropped(), 2, 3);
    EXPECT_EQ(Dropped(), nullptr);
    EXPECT_EQ(Sel(combo), 2);
    EXPECT_EQ(Text(combo), u"c");
    EXPECT_EQ(Codes(), (std::vector<unsigned>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(CBN_SELENDOK, 9u);
    EXPECT_EQ(GetCapture(), nullptr);

    // Choosing the same entry again confirms it without a change.
    rec.log.clear();
    Tap(combo, 30, 5);
    TapRow(Dropped(), 2, 3);
    EXPECT_EQ(Codes(), (std::vector<unsigned>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP}));
}

TEST_F(Combos, TapOutsideTheListClosesItWithoutChoosing) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"a", u"b"});
    SendMessage(combo, CB_SETCURSEL, 1, 0);
    Tap(combo, 30, 5);
    ASSERT_NE(Dropped(), nullptr);
    Tap(parent, 400, 500);
    EXPECT_EQ(Dropped(), nullptr);
    EXPECT_EQ(Sel(combo), 1);
    EXPECT_EQ(Codes(), (std::vector<unsigned>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Combos, ArrowsOnTheClosedListChooseAtOnceAndStopAtTheEnds) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"a", u"b", u"c"});
    SetFocus(combo);
    rec.log.clear();
    Key(VK_DOWN);
    EXPECT_EQ(Sel(combo), 0);
    EXPECT_EQ(Codes(), (std::vector<unsigned>{CBN_SELCHANGE, CBN_SELENDOK}));
    Key(VK_END);
    EXPECT_EQ(Sel(combo), 2);
    rec.log.clear();
    Key(VK_DOWN);
    EXPECT_EQ(Sel(combo), 2);
    EXPECT_TRUE(Commands().empty()) << "no move, nothing to tell";
    Key(VK_UP);
    EXPECT_EQ(Sel(combo), 1);
}

TEST_F(Combos, TypingALetterOnTheClosedListChoosesTheNextEntryStartingWithIt) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"Apple", u"banana", u"Berry", u"cherry", u"blueberry"});
    SetFocus(combo);
    EXPECT_TRUE(SendMessage(combo, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS);
    const struct {
        const char16_t* typed;
        LRESULT expected;
    } cases[] = {
        {u"b", 1}, {u"B", 2}, {u"b", 4}, {u"b", 1}, // round the end, whatever the case
        {u"a", 0}, {u"x", 0},                      // no entry starts with x: no change
        {u"c", 3},
    };
    for (const auto& c : cases) {
        rec.log.clear();
        const LRESULT before = Sel(combo);
        Platform::InjectText(c.typed);
        Platform::PumpMessages();
        EXPECT_EQ(Sel(combo), c.expected) << "typed " << static_cast<char>(c.typed[0]);
        const bool changed = c.expected != before;
        EXPECT_EQ(!Codes().empty() && Codes().front() == CBN_SELCHANGE, changed)
            << "typed " << static_cast<char>(c.typed[0]);
    }
    HWND withEdit = List(CBS_DROPDOWN, {u"apple", u"berry"});
    SendMessage(withEdit, WM_CHAR, u'b', 1);
    EXPECT_EQ(Sel(withEdit), CB_ERR) << "a drop-down with an edit field takes typing as text";
}

TEST_F(Combos, KeysOnTheOpenListMoveTheMarkUntilEnterOrEscape) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"a", u"b", u"c"});
    SetFocus(combo);
    SendMessage(combo, CB_SHOWDROPDOWN, 1, 0);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(Sel(combo), CB_ERR) << "moving the mark is not a choice";
    Key(VK_RETURN);
    EXPECT_EQ(Dropped(), nullptr);
    EXPECT_EQ(Sel(combo), 1);

    rec.log.clear();
    SendMessage(combo, CB_SHOWDROPDOWN, 1, 0);
    Key(VK_DOWN);
    Key(VK_ESCAPE);
    EXPECT_EQ(Sel(combo), 1);
    EXPECT_EQ(Codes(), (std::vector<unsigned>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(Combos, LongListScrollsToKeepTheMarkInView) {
    HWND combo = Control(WC_COMBOBOX, CBS_DROPDOWNLIST, RECT{10, 10, 210, 30}, 8);
    std::vector<std::u16string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back(u"entry " + std::u16string(1, static_cast<char16_t>(u'A' + i)));
    for (const auto& n : names)
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
    SetFocus(combo);
    SendMessage(combo, CB_SHOWDROPDOWN, 1, 0);
    HWND list = Dropped();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(IsScrollBarShown(list));
    for (int i = 0; i < 30; ++i)
        Key(VK_DOWN);
    SCROLLINFO si;
    si.fMask = SIF_POS | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &si));
    EXPECT_GT(si.nPos, 0);
    EXPECT_LE(si.nPos, 29);
    EXPECT_GT(si.nPos + static_cast<int>(si.nPage), 29);
    // The bottom row shown is the marked one: tapping it chooses entry 29.
    TapRow(list, static_cast<int>(si.nPage) - 1, static_cast<int>(si.nPage));
    EXPECT_EQ(Sel(combo), 29);
}

TEST_F(Combos, PenOnTheListsScrollBarScrollsItAndLeavesItOpen) {
    HWND combo = Control(WC_COMBOBOX, CBS_DROPDOWNLIST, RECT{10, 10, 210, 30}, 8);
    for (int i = 0; i < 20; ++i)
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"row"));
    Tap(combo, 30, 5);
    HWND list = Dropped();
    ASSERT_NE(list, nullptr);
    RECT bar = GetScrollBarRect(list);
    RECT window;
    GetWindowRect(list, &window);
    OffsetRect(&bar, window.left, window.top);
    Platform::InjectTap(POINT{(bar.left + bar.right) / 2, bar.bottom - 3});
    Platform::PumpMessages();
    ASSERT_EQ(Dropped(), list);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 1) << "the down arrow scrolls a row";
    EXPECT_EQ(GetCapture(), list) << "taps outside still close the list afterwards";
    rec.log.clear();
    Tap(parent, 400, 500);
    EXPECT_EQ(Dropped(), nullptr);
    EXPECT_EQ(Codes(), (std::vector<unsigned>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(Combos, DropDownHoldsAnEditWhoseTextIsTheCombos) {
    HWND combo = List(CBS_DROPDOWN | CBS_AUTOHSCROLL, {u"login.example.net", u"other.example.net"});
    HWND edit = GetDlgItem(combo, COMBO_EDIT_ID);
    ASSERT_NE(edit, nullptr);
    SetWindowText(combo, u"typed.host");
    EXPECT_EQ(Text(edit), u"typed.host");
    EXPECT_EQ(Text(combo), u"typed.host");
    EXPECT_EQ(Sel(combo), CB_ERR) << "a text of one's own chooses no entry";

    SendMessage(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(Text(combo), u"other.example.net");
    EXPECT_TRUE(Commands().empty()) << "setting the text is not the user editing";

    Tap(combo, 20, 5);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(Dropped(), nullptr) << "a tap on the text edits it";
    SendMessage(edit, EM_SETSEL, 0, static_cast<LPARAM>(-1));
    Type(u"x");
    EXPECT_EQ(Text(combo), u"x");
    EXPECT_EQ(CountCode(CBN_EDITCHANGE), 1);
    EXPECT_EQ(Sel(combo), 1);

    Key(VK_UP);
    EXPECT_EQ(Sel(combo), 0) << "arrow keys in the edit choose entries";
    EXPECT_EQ(Text(combo), u"login.example.net");

    RECT c;
    GetClientRect(combo, &c);
    Tap(combo, c.right - 3, 5);
    ASSERT_NE(Dropped(), nullptr) << "the button drops the list";
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(Text(combo), u"other.example.net");
    EXPECT_EQ(GetFocus(), edit);
}

TEST_F(Combos, DisabledComboDoesNotDrop) {
    HWND combo = List(CBS_DROPDOWNLIST, {u"a"});
    EnableWindow(combo, false);
    SendMessage(combo, CB_SHOWDROPDOWN, 1, 0);
    EXPECT_EQ(Dropped(), nullptr);
    EnableWindow(combo, true);
    SendMessage(combo, CB_SHOWDROPDOWN, 1, 0);
    ASSERT_NE(Dropped(), nullptr);
    DestroyWindow(combo);
    EXPECT_EQ(Dropped(), nullptr) << "the list goes with its combo";
}

} // namespace
