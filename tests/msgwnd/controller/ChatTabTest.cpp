// The chat tab inside the message window: the editor's height as lines come
// and go, Enter, the typing notices on the manual clock, the edit commands.

#include "ControllerTestSupport.h"

#include "Controls/ControlEdit.h"
#include "Shell/Clipboard.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowKeys.h"

namespace {

using mw_test::ControllerTest;
using Strings = std::vector<std::string>;

class ChatTab : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        Open(7);
        controller->Show(true);
        pane = controller->Pane(7);
        editor = pane->Editor();
        SetFocus(editor);
        owner.Take();
    }
    void Type(const std::u16string& text) {
        for (char16_t c : text)
            SendMessage(editor, WM_CHAR, c, 0);
    }
    MW::CYolWMMW_DlgCtrl* pane = nullptr;
    HWND editor = nullptr;
};

TEST_F(ChatTab, TheEditorGrowsToItsMostLinesThenScrolls) {
    controller->Settings().sendOnEnter = false;
    controller->Settings().typingNotify = false;
    const int line = pane->LineHeight();
    const int oneLine = pane->EditHeight();
    struct Step {
        const char16_t* text;
        int lines;
        bool scrolls;
    };
    const Step steps[] = {
        {u"a", 1, false}, {u"a\r\nb", 2, false}, {u"a\r\nb\r\nc", 3, false},
        {u"a\r\nb\r\nc\r\nd", 3, true}, {u"a\r\nb", 2, false}, {u"", 1, false},
    };
    for (const Step& s : steps) {
        SetWindowText(editor, s.text);
        EXPECT_EQ(pane->EditHeight(), oneLine + (s.lines - 1) * line) << CYolString(s.text).ToUtf8();
        EXPECT_EQ(pane->EditorScrolls(), s.scrolls) << CYolString(s.text).ToUtf8();
    }
}

TEST_F(ChatTab, ATooSmallPaneShowsFewerLinesAndKeepsTheHistory) {
    controller->Settings().maxLine = 5;
    controller->Settings().typingNotify = false;
    pane->ApplySettings(1);
    SetWindowText(editor, u"1\r\n2\r\n3\r\n4\r\n5");
    const int full = pane->EditHeight();
    pane->MoveAndResize(0, 0, 240, full - pane->LineHeight() + 20);
    EXPECT_LT(pane->MaxLines(), 5);
    EXPECT_GE(pane->MaxLines(), 1);
    EXPECT_TRUE(pane->EditorScrolls());
    EXPECT_GE(pane->GetClientHeight() - pane->EditHeight(), 20 - 1);
    pane->MoveAndResize(0, 0, 240, 10);
    EXPECT_EQ(pane->MaxLines(), 1) << "never less than one line";
}

TEST_F(ChatTab, EnterSendsOrBreaksTheLineAsSet) {
    struct Case {
        bool sendOnEnter;
        Strings calls;
        const char16_t* left;
    };
    const Case cases[] = {{true, {"send 7 hi"}, u""}, {false, {}, u"hi\r\n"}};
    controller->Settings().typingNotify = false;
    for (const Case& c : cases) {
        controller->Settings().sendOnEnter = c.sendOnEnter;
        Type(u"hi\r");
        EXPECT_EQ(owner.Take(), c.calls);
        CYolString all;
        GetWindowTextString(editor, all);
        EXPECT_EQ(all, CYolString(c.left));
        SetWindowText(editor, u"");
    }
}

TEST_F(ChatTab, TypingIsToldAtOnceAndItsPauseThreeSecondsAfterTheLastChange) {
    Type(u"h");
    EXPECT_EQ(owner.Take(), Strings{"typing 7 0"});
    Run(2000);
    Type(u"i");
    EXPECT_EQ(owner.Take(), Strings{"typing 7 0"});
    Run(2900);
    EXPECT_EQ(owner.Take(), Strings{}) << "the second key started the wait again";
    Run(200);
    EXPECT_EQ(owner.Take(), Strings{"typing 7 1"});
    Run(5000);
    EXPECT_EQ(owner.Take(), Strings{});

    Type(u"!");
    owner.Take();
    SetFocus(app);
    EXPECT_EQ(owner.Take(), Strings{"typing 7 1"}) << "the focus leaving ends typing at once";

    controller->Settings().typingNotify = false;
    Type(u"x");
    Run(4000);
    EXPECT_EQ(owner.Take(), Strings{}) << "switched off";
}

TEST_F(ChatTab, ClosingWhileTypingTellsThePause) {
    Type(u"h");
    owner.Take();
    controller->CloseTab(7);
    EXPECT_EQ(owner.Take(), Strings{"typing 7 1"});
}

TEST_F(ChatTab, EditCommandsFollowWhatThereIsToEdit) {
    controller->Settings().typingNotify = false;
    using E = MW::CYolWMMW_DlgCtrl::TEditCommand;
    auto can = [&] {
        std::string out;
        for (int c : {E::ECut, E::ECopy, E::EPaste, E::EQuote, E::EQuoteLast, E::EClearDialog})
            out += pane->CanEdit(c) ? "1" : "0";
        return out;
    };
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(can(), "000000");
    SetWindowText(editor, u"abc");
    SendMessage(editor, EM_SETSEL, 0, 2);
    EXPECT_EQ(can(), "110000");
    controller->AddMessage(7, Incoming("line one"));
    SetFocus(editor);
    SetClipboardText(u"pasted");
    EXPECT_EQ(can(), "111011");
    pane->EditCommand(E::EQuoteLast);
    CYolString all;
    GetWindowTextString(editor, all);
    EXPECT_NE(all.ToUtf8().find("> "), std::string::npos) << all.ToUtf8();
    pane->EditCommand(E::EClearDialog);
    EXPECT_TRUE(pane->History()->IsEmpty());
}

TEST_F(ChatTab, TextFromTheHistoryTypedIntoTheTabGoesToTheEditor) {
    controller->Settings().typingNotify = false;
    SetFocus(*pane->History());
    SendMessage(*controller, WM_CHAR, u'q', 0);
    CYolString all;
    GetWindowTextString(editor, all);
    EXPECT_EQ(all, CYolString(u"q"));
    EXPECT_EQ(GetFocus(), editor);
}

} // namespace
