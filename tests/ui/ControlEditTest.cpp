// The edit control: typing, selection, limits, read-only and password
// states, word wrap, positions, the pen, the clipboard, undo, the caret
// and the scroll bar of a multi-line edit.

#include "ControlTestSupport.h"

#include "Shell/Clipboard.h"
#include "Controls/ControlCaret.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlScrollBar.h"

using namespace ui_test;

namespace {

class Edits : public ControlTest {
protected:
    HWND Single(std::uint32_t style = 0, const char16_t* text = u"") {
        return Control(WC_EDIT, WS_TABSTOP | style, RECT{10, 10, 310, 50}, 100, text);
    }
    HWND Multi(std::uint32_t style = 0, const char16_t* text = u"", int width = 300, int height = 200) {
        return Control(WC_EDIT, ES_MULTILINE | style, RECT{10, 10, 10 + width, 10 + height}, 100, text);
    }
    static std::pair<std::uint32_t, std::uint32_t> Sel(HWND edit) {
        std::uint32_t start = 0;
        std::uint32_t end = 0;
        SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    static LRESULT Lines(HWND edit) { return SendMessage(edit, EM_GETLINECOUNT, 0, 0); }
    static LRESULT LineStart(HWND edit, int line) { return SendMessage(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0); }
};

TEST_F(Edits, TypingInsertsAtTheCaretAndTellsEveryChange) {
    HWND edit = Single();
    SetFocus(edit);
    rec.log.clear();
    Type(u"heo");
    Key(VK_LEFT);
    Type(u"l");
    EXPECT_EQ(Text(edit), u"helo");
    EXPECT_EQ(Sel(edit), std::make_pair(3u, 3u));
    EXPECT_EQ(CountCode(EN_CHANGE), 4);
    EXPECT_EQ(Codes()[0], EN_UPDATE) << "EN_UPDATE comes before EN_CHANGE";
    EXPECT_EQ(SendMessage(edit, EM_GETMODIFY, 0, 0), 1);
    Key(VK_BACK);
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ(Text(edit), u"eo");
}

TEST_F(Edits, ShiftArrowsSelectAndTypingReplacesTheSelection) {
    HWND edit = Single(0, u"abcdef");
    SetFocus(edit);
    Key(VK_END);
    KeyWith(VK_SHIFT, VK_LEFT);
    KeyWith(VK_SHIFT, VK_LEFT);
    EXPECT_EQ(Sel(edit), std::make_pair(4u, 6u));
    Type(u"X");
    EXPECT_EQ(Text(edit), u"abcdX");
    SendMessage(edit, EM_SETSEL, 1, 3);
    EXPECT_EQ(SendMessage(edit, EM_GETSEL, 0, 0), MAKELPARAM(1, 3));
    Key(VK_LEFT);
    EXPECT_EQ(Sel(edit), std::make_pair(1u, 1u)) << "Left collapses a selection to its start";
    SendMessage(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(Sel(edit), std::make_pair(0u, 5u));
    SendMessage(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(Sel(edit), std::make_pair(5u, 5u)) << "start -1 drops the selection, the caret stays";
}

TEST_F(Edits, TypingStopsAtTheLimitAndSaysSo) {
    HWND edit = Single();
    SendMessage(edit, EM_SETLIMITTEXT, 5, 0);
    EXPECT_EQ(SendMessage(edit, EM_GETLIMITTEXT, 0, 0), 5);
    SetFocus(edit);
    Type(u"abcdefg");
    EXPECT_EQ(Text(edit), u"abcde");
    EXPECT_EQ(CountCode(EN_MAXTEXT), 2);
    SendMessage(edit, EM_SETSEL, 1, 3);
    Platform::WriteClipboardText(u"WXYZ", nullptr);
    SendMessage(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(edit), u"aWXde") << "a paste is cut to the room left";
    SetWindowText(edit, u"longer than five");
    EXPECT_EQ(Text(edit), u"longer than five") << "the limit is for typing only";
}

TEST_F(Edits, ReadOnlyRefusesEditsButCopies) {
    HWND edit = Single(ES_READONLY, u"fixed");
    SetFocus(edit);
    Type(u"x");
    Key(VK_BACK);
    SendMessage(edit, EM_SETSEL, 0, 2);
    SendMessage(edit, WM_CUT, 0, 0);
    EXPECT_EQ(Text(edit), u"fixed");
    EXPECT_EQ(CountCode(EN_CHANGE), 0);
    SendMessage(edit, WM_COPY, 0, 0);
    EXPECT_EQ(Platform::ReadClipboardText(), u"fi");
    SendMessage(edit, EM_SETREADONLY, 0, 0);
    Type(u"x");
    EXPECT_EQ(Text(edit), u"xxed");
}

TEST_F(Edits, PasswordShowsItsCharacterAndNeverCopies) {
    HWND edit = Single(ES_PASSWORD);
    EXPECT_EQ(SendMessage(edit, EM_GETPASSWORDCHAR, 0, 0), u'*');
    SetFocus(edit);
    Type(u"secret");
    EXPECT_EQ(Text(edit), u"secret");
    Platform::WriteClipboardText(u"before", nullptr);
    SendMessage(edit, EM_SETSEL, 0, -1);
    SendMessage(edit, WM_COPY, 0, 0);
    SendMessage(edit, WM_CUT, 0, 0);
    EXPECT_EQ(Platform::ReadClipboardText(), u"before");
    EXPECT_EQ(Text(edit), u"secret");

    // Shown as six stars: the caret after the text sits where six stars end.
    HWND plain = Single(0, u"******");
    SendMessage(edit, EM_SETSEL, 6, 6);
    EXPECT_EQ(SendMessage(edit, EM_POSFROMCHAR, 6, 0), SendMessage(plain, EM_POSFROMCHAR, 6, 0));
    SendMessage(edit, EM_SETPASSWORDCHAR, 0, 0);
    HWND word = Single(0, u"secret");
    EXPECT_EQ(SendMessage(edit, EM_POSFROMCHAR, 6, 0), SendMessage(word, EM_POSFROMCHAR, 6, 0));
}

TEST_F(Edits, MultiLineWrapsAtSpacesAndBreaksAtLineEnds) {
    HWND probe = Single(0, u"word ");
    const int wordWidth = GET_X_LPARAM(SendMessage(probe, EM_POSFROMCHAR, 5, 0)) -
                          GET_X_LPARAM(SendMessage(probe, EM_POSFROMCHAR, 0, 0));
    // Room for two words a line, not three.
    HWND edit = Multi(0, u"word word word word\r\nx", wordWidth * 5 / 2 + 4);
    EXPECT_EQ(Lines(edit), 3);
    EXPECT_EQ(LineStart(edit, 0), 0);
    EXPECT_EQ(LineStart(edit, 1), 10);
    EXPECT_EQ(LineStart(edit, 2), 21) << "after \\r\\n";
    EXPECT_EQ(LineStart(edit, 3), -1);
    EXPECT_EQ(SendMessage(edit, EM_LINEFROMCHAR, 12, 0), 1);
    EXPECT_EQ(SendMessage(edit, EM_LINELENGTH, 21, 0), 1);
    char16_t line[16] = {16};
    EXPECT_EQ(SendMessage(edit, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line)), 9);
    EXPECT_EQ(std::u16string(line, 9), u"word word");

    // A word longer than the width is broken where it stops fitting.
    SetWindowText(edit, u"wordwordwordwordword");
    EXPECT_GE(Lines(edit), 2);
    // Text only: a single-line edit never wraps.
    EXPECT_EQ(Lines(probe), 1);
}

TEST_F(Edits, CharFromPosFindsTheCharacterAtEachPosFromChar) {
    HWND edit = Multi(0, u"one two three\r\nfour five", 120);
    ASSERT_GT(Lines(edit), 2);
    for (int i = 0; i < 24; ++i) {
        if (i == 14)
            continue; // inside "\r\n"
        const LRESULT at = SendMessage(edit, EM_POSFROMCHAR, static_cast<WPARAM>(i), 0);
        const LRESULT found = SendMessage(edit, EM_CHARFROMPOS, 0, MAKELPARAM(GET_X_LPARAM(at) + 1, GET_Y_LPARAM(at) + 2));
        EXPECT_EQ(static_cast<int>(LOWORD(found)), i);
        EXPECT_EQ(static_cast<LRESULT>(HIWORD(found)), SendMessage(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(i), 0));
    }
    EXPECT_EQ(SendMessage(edit, EM_POSFROMCHAR, 99, 0), -1);
}

TEST_F(Edits, ThePenPlacesTheCaretAndDragsASelection) {
    HWND edit = Single(0, u"abcdefgh");
    const LRESULT c2 = SendMessage(edit, EM_POSFROMCHAR, 2, 0);
    const LRESULT c6 = SendMessage(edit, EM_POSFROMCHAR, 6, 0);
    const int y = GET_Y_LPARAM(c2) + 3;
    Tap(edit, GET_X_LPARAM(c2) + 1, y);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(Sel(edit), std::make_pair(2u, 2u));
    Drag(edit, POINT{GET_X_LPARAM(c6) + 1, y}, POINT{GET_X_LPARAM(c2) + 1, y});
    EXPECT_EQ(Sel(edit), std::make_pair(2u, 6u));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Edits, CutCopyPasteAndUndoGoThroughTheClipboard) {
    HWND edit = Single(0, u"hello world");
    SetFocus(edit);
    KeyWith(VK_CONTROL, 'A');
    KeyWith(VK_CONTROL, 'X');
    EXPECT_EQ(Text(edit), u"");
    EXPECT_EQ(Platform::ReadClipboardText(), u"hello world");
    KeyWith(VK_CONTROL, 'V');
    KeyWith(VK_CONTROL, 'V');
    EXPECT_EQ(Text(edit), u"hello worldhello world");
    KeyWith(VK_CONTROL, 'Z');
    EXPECT_EQ(Text(edit), u"hello world");
    EXPECT_EQ(SendMessage(edit, EM_CANUNDO, 0, 0), 1);
    SendMessage(edit, EM_SETSEL, 0, 5);
    KeyWith(VK_CONTROL, 'C');
    EXPECT_EQ(Platform::ReadClipboardText(), u"hello");
    SendMessage(edit, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(u"bye"));
    EXPECT_EQ(Text(edit), u"bye world");

    // A single-line edit takes only the first line of what is pasted.
    Platform::WriteClipboardText(u"first\r\nsecond", nullptr);
    SetWindowText(edit, u"");
    SendMessage(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(edit), u"first");
}

TEST_F(Edits, PairsAreSteppedOverAsOneCharacter) {
    HWND edit = Multi(0, u"a\r\nb\U0001F600c");
    SetFocus(edit);
    SendMessage(edit, EM_SETSEL, 3, 3);
    Key(VK_BACK);
    EXPECT_EQ(Text(edit), u"ab\U0001F600c");
    SendMessage(edit, EM_SETSEL, 2, 2);
    Key(VK_RIGHT);
    EXPECT_EQ(Sel(edit), std::make_pair(4u, 4u));
    Key(VK_BACK);
    EXPECT_EQ(Text(edit), u"abc");
    SendMessage(edit, EM_SETSEL, 0, 0);
    Type(u"\r");
    EXPECT_EQ(Text(edit), u"\r\nabc") << "Enter in a multi-line edit types a line break";
}

TEST_F(Edits, UpAndDownMoveBetweenLinesNearTheSameColumn) {
    HWND edit = Multi(0, u"abcdef\r\nab\r\nabcdef");
    SetFocus(edit);
    SendMessage(edit, EM_SETSEL, 5, 5);
    Key(VK_DOWN);
    EXPECT_EQ(Sel(edit).first, 10u) << "the end of the short line";
    Key(VK_DOWN);
    EXPECT_EQ(Sel(edit).first, 17u) << "back near the column it started from";
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(Sel(edit).first, 5u) << "up on the first line stays";
    KeyWith(VK_CONTROL, VK_END);
    EXPECT_EQ(Sel(edit).first, 18u);
}

TEST_F(Edits, FocusShowsABlinkingCaretAtTheCaretPosition) {
    HWND edit = Single(0, u"abc");
    SendMessage(edit, EM_SETSEL, 2, 2);
    EXPECT_FALSE(Platform::IsCaretOn());
    SetFocus(edit);
    Platform::PumpMessages();
    EXPECT_TRUE(Platform::IsCaretOn());
    POINT caret;
    ASSERT_TRUE(GetCaretPos(&caret));
    EXPECT_EQ(MAKELPARAM(caret.x, caret.y), SendMessage(edit, EM_POSFROMCHAR, 2, 0));
    clock.Advance(GetCaretBlinkTime());
    Platform::PumpMessages();
    EXPECT_FALSE(Platform::IsCaretOn());
    clock.Advance(GetCaretBlinkTime());
    Platform::PumpMessages();
    EXPECT_TRUE(Platform::IsCaretOn());
    const COLORREF on = Pixel(edit, caret.x, caret.y + 2);
    clock.Advance(GetCaretBlinkTime());
    Platform::PumpMessages();
    EXPECT_NE(Pixel(edit, caret.x, caret.y + 2), on) << "the blink repaints the caret";
    SetFocus(parent);
    EXPECT_FALSE(Platform::IsCaretOn());
    EXPECT_EQ(CountCode(EN_SETFOCUS), 1);
    EXPECT_EQ(CountCode(EN_KILLFOCUS), 1);
}

TEST_F(Edits, MultiLineWithScrollBarKeepsTheCaretLineInView) {
    HWND edit = Multi(WS_VSCROLL, u"", 300, 100);
    EXPECT_FALSE(IsScrollBarShown(edit));
    SetFocus(edit);
    for (int i = 0; i < 20; ++i)
        Type(u"line\r");
    EXPECT_EQ(Lines(edit), 21);
    EXPECT_TRUE(IsScrollBarShown(edit));
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(edit, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 20);
    const LRESULT first = SendMessage(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_EQ(si.nPos, first);
    EXPECT_EQ(first + static_cast<int>(si.nPage) - 1, 20) << "the caret's line is the last one shown";
    SendMessage(edit, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(SendMessage(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_EQ(GetScrollPos(edit, SB_VERT), 0);
    SendMessage(edit, EM_SCROLLCARET, 0, 0);
    EXPECT_EQ(SendMessage(edit, EM_GETFIRSTVISIBLELINE, 0, 0), first);
    SetWindowText(edit, u"");
    EXPECT_FALSE(IsScrollBarShown(edit));
}

TEST_F(Edits, NumbersInDialogItems) {
    HWND edit = Single(ES_NUMBER);
    SetFocus(edit);
    Type(u"1a2-3");
    EXPECT_EQ(Text(edit), u"123") << "a number edit takes digits only";
    bool ok = false;
    EXPECT_EQ(GetDlgItemInt(parent, 100, &ok, false), 123u);
    EXPECT_TRUE(ok);
    struct Case {
        const char16_t* text;
        bool isSigned;
        bool ok;
        UINT value;
    };
    const Case cases[] = {{u" 42 ", false, true, 42},   {u"-5", true, true, static_cast<UINT>(-5)},
                          {u"-5", false, false, 0},     {u"4x", false, false, 0},
                          {u"", false, false, 0},       {u"99999999999", false, false, 0}};
    for (const Case& c : cases) {
        SetWindowText(edit, c.text);
        EXPECT_EQ(GetDlgItemInt(parent, 100, &ok, c.isSigned), c.value);
        EXPECT_EQ(ok, c.ok);
    }
    SetDlgItemInt(parent, 100, static_cast<UINT>(-7), true);
    EXPECT_EQ(Text(edit), u"-7");
}

} // namespace
