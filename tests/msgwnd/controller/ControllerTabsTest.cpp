// The message window's tabs: which calls the owner gets as chats open,
// receive lines, are switched and shown; what happens to lines not yet seen
// when a chat closes; sending; the soft keys; a contact's typing picture.

#include "ControllerTestSupport.h"

#include "SkinImages.h"
#include "WindowSystem/WindowFocus.h"

#include <functional>

namespace {

using mw_test::ControllerTest;
using Strings = std::vector<std::string>;

int UnreadOf(MW::CYolWMMW_Controller& c, unsigned int tab) {
    const CYolArray<MW::TYolWMMWMsg>* lines = c.UnreadLines(tab);
    return lines != nullptr ? lines->Count() : 0;
}

TEST_F(ControllerTest, LinesFlashTheirTabUntilTheUserSeesIt) {
    struct Step {
        const char* what;
        std::function<void(ControllerTest&)> act;
        Strings calls;
        int unread7;
        int unread9;
    };
    const Step steps[] = {
        {"open 7 while hidden", [](ControllerTest& t) { t.Open(7); }, {"selected 7"}, 0, 0},
        {"a line for the hidden window", [](ControllerTest& t) { t.controller->AddMessage(7, Incoming("a")); }, {},
         1, 0},
        {"open 9", [](ControllerTest& t) { t.Open(9, u"Carol"); }, {"selected 9"}, 1, 0},
        {"a line for the tab behind", [](ControllerTest& t) { t.controller->AddMessage(7, Incoming("b")); }, {}, 2,
         0},
        {"shown: the current tab is seen", [](ControllerTest& t) { t.controller->Show(true); }, {"activated 9"}, 2,
         0},
        {"a line for the current tab of the shown window",
         [](ControllerTest& t) { t.controller->AddMessage(9, Incoming("c")); }, {"activated 9"}, 2, 0},
        {"a block for the tab behind",
         [](ControllerTest& t) {
             CYolArray<MW::TYolWMMWMsg> block;
             block.Add(Incoming("d", 30));
             block.Add(Incoming("e", 31));
             t.controller->AddMessages(7, block);
         },
         {}, 4, 0},
        {"an empty block flashes nothing",
         [](ControllerTest& t) { t.controller->AddMessages(7, CYolArray<MW::TYolWMMWMsg>()); }, {}, 4, 0},
        {"switching to it sees it", [](ControllerTest& t) { t.controller->SelectTab(7); },
         {"activated 7", "selected 7"}, 0, 0},
        {"hidden again: lines wait", [](ControllerTest& t) {
             t.controller->Show(false);
             t.controller->AddMessage(7, Incoming("f"));
         },
         {}, 1, 0},
    };
    for (const Step& s : steps) {
        s.act(*this);
        Platform::PumpMessages();
        EXPECT_EQ(owner.Take(), s.calls) << s.what;
        EXPECT_EQ(UnreadOf(*controller, 7), s.unread7) << s.what;
        EXPECT_EQ(UnreadOf(*controller, 9), s.unread9) << s.what;
        EXPECT_EQ(controller->GetTab(7)->flashImage != -1, s.unread7 > 0) << s.what;
    }
    EXPECT_EQ(controller->GetTab(7)->flashImage, 27) << "the first unread line's icon";
}

TEST_F(ControllerTest, AClosedChatHandsBackTheLinesNotSeen) {
    struct Case {
        const char* what;
        std::function<void(ControllerTest&)> close;
        Strings handedBack;
        int tabsLeft;
        bool shown;
    };
    const Case cases[] = {
        {"close tab", [](ControllerTest& t) { t.controller->CloseTab(7); }, {"closed-unread 7 x,y"}, 1, true},
        {"the current tab by its soft-key action",
         [](ControllerTest& t) { t.controller->RunSoftKeyAction(MW::CYolWMMW_Controller::ECloseTab, false); }, {}, 1,
         true},
        {"a double tap on the strip", [](ControllerTest& t) { t.controller->OnTabDblClick(); }, {}, 1, true},
        {"close all from the menu",
         [](ControllerTest& t) {
             UI::CYolWMUI_Menu::TResult choice;
             choice.commandId = MW::CYolWMMW_Controller::CmdClose;
             t.controller->OnMenuChoice(choice);
         },
         {"closed-unread 7 x,y"}, 0, false},
        {"closing all while the lines wait behind the current tab",
         [](ControllerTest& t) {
             t.controller->SelectTab(7);
             t.controller->AddMessage(9, Incoming("z"));
             t.controller->CloseAllTabs();
         },
         {"closed-unread 9 z"}, 0, false},
        {"close by the soft-key action",
         [](ControllerTest& t) { t.controller->RunSoftKeyAction(MW::CYolWMMW_Controller::EClose, true); },
         {"closed-unread 7 x,y"}, 0, false},
    };
    for (const Case& c : cases) {
        Open(7);
        Open(9, u"Carol");
        controller->Show(true);
        controller->AddMessage(7, Incoming("x"));
        controller->AddMessage(7, Incoming("y"));
        owner.Take();
        c.close(*this);
        Strings handed;
        for (const std::string& call : owner.Take())
            if (call.rfind("closed-unread", 0) == 0)
                handed.push_back(call);
        EXPECT_EQ(handed, c.handedBack) << c.what;
        EXPECT_EQ(controller->TabCount(), c.tabsLeft) << c.what;
        EXPECT_EQ(controller->IsVisible(), c.shown) << c.what;
        controller->CloseAllTabs();
        owner.Take();
    }
}

TEST_F(ControllerTest, TheLastTabClosingHidesTheWindow) {
    Open(7);
    controller->Show(true);
    ASSERT_TRUE(controller->IsVisible());
    controller->CloseTab(7);
    EXPECT_FALSE(controller->IsVisible());
    controller->Show(true);
    EXPECT_FALSE(controller->IsVisible()) << "nothing to show without a tab";
}

TEST_F(ControllerTest, SendHandsTheEditorTextToTheOwner) {
    struct Case {
        const char16_t* typed;
        int accept;
        Strings calls;
        const char16_t* left;
    };
    const Case cases[] = {
        {u"", 1, {}, u""},
        {u"hello", 1, {"send 7 hello"}, u""},
        {u"hello", 0, {"send 7 hello"}, u"hello"},
        {u"two\r\nlines\r\n", 1, {"send 7 two\r\nlines"}, u""},
    };
    Open(7);
    controller->Settings().typingNotify = false;
    for (const Case& c : cases) {
        HWND editor = controller->Pane(7)->Editor();
        SetWindowText(editor, c.typed);
        owner.acceptSends = c.accept;
        owner.Take();
        controller->Send();
        EXPECT_EQ(owner.Take(), c.calls);
        CYolString left;
        controller->Pane(7)->GetText(left);
        EXPECT_EQ(left, CYolString(c.left));
        SetWindowText(editor, u"");
    }
}

TEST_F(ControllerTest, SoftKeysNameTheirActions) {
    struct Case {
        int action;
        const char* caption;
    };
    const Case cases[] = {{0, "Send"}, {1, "Smilies"}, {2, "Menu"}, {3, "Minimize"}, {4, "Close tab"}, {5, "Close"},
                          {9, "as before"}};
    for (const Case& c : cases) {
        controller->Settings().leftSK = c.action;
        CYolString caption(u"as before");
        EXPECT_EQ(controller->GetSoftKeyCap(UI::CYolWMUI_BigDlg::ELeft, caption), 1);
        EXPECT_EQ(caption.ToUtf8(), c.caption);
    }
    Open(7);
    controller->Show(true);
    controller->RunSoftKeyAction(MW::CYolWMMW_Controller::EMinimize, true);
    EXPECT_FALSE(controller->IsVisible());
    EXPECT_EQ(controller->TabCount(), 1);
}

TEST_F(ControllerTest, AContactsTypingPictureEndsByItselfOrWithItsText) {
    Open(7);
    const CYolArray<unsigned int> typing = [] {
        CYolArray<unsigned int> icons;
        icons.Add(Skins::SKIN_IMG_MW_CONTACT_TYPING);
        return icons;
    }();
    auto icons = [&] { return controller->GetTab(7)->images; };
    controller->SetTabIcons(7, typing);
    EXPECT_EQ(icons()[0], static_cast<unsigned int>(Skins::SKIN_IMG_MW_CONTACT_TYPING));
    Run(MW::CYolWMMW_Controller::kTypingShownFor - 1000);
    EXPECT_EQ(icons()[0], static_cast<unsigned int>(Skins::SKIN_IMG_MW_CONTACT_TYPING)) << "still typing";
    controller->SetTabIcons(7, typing);
    Run(MW::CYolWMMW_Controller::kTypingShownFor - 1000);
    EXPECT_EQ(icons()[0], static_cast<unsigned int>(Skins::SKIN_IMG_MW_CONTACT_TYPING)) << "a new notice extends it";
    Run(2000);
    EXPECT_EQ(icons()[0], 2u) << "the status icon is back";

    controller->SetTabIcons(7, typing);
    controller->AddMessage(7, Incoming("done"));
    EXPECT_EQ(icons()[0], 2u) << "a text ends typing at once";

    CYolArray<unsigned int> away;
    away.Add(12);
    controller->SetTabIcons(7, typing);
    controller->SetTabIcons(7, away);
    Run(MW::CYolWMMW_Controller::kTypingShownFor + 2000);
    EXPECT_EQ(icons()[0], 12u) << "a status that came meanwhile stays";
}

} // namespace
