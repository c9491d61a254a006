// The chat menu as it is built, and what its choices do.

#include "ControllerTestSupport.h"

namespace {

using mw_test::ControllerTest;
using Strings = std::vector<std::string>;

Strings Captions(const CYolMenuInfo& menu) {
    Strings out;
    for (int i = 0; i < menu.Count(); ++i) {
        CYolString text;
        menu[i].caption.GetLocalized(text);
        out.push_back(menu[i].kind == CYolMenuItemInfo::Separator ? "-" : text.ToUtf8());
    }
    return out;
}

const CYolMenuItemInfo* Find(const CYolMenuInfo& menu, const std::string& caption) {
    for (int i = 0; i < menu.Count(); ++i) {
        CYolString text;
        menu[i].caption.GetLocalized(text);
        if (text.ToUtf8() == caption)
            return &menu[i];
    }
    return nullptr;
}

UI::CYolWMUI_Menu::TResult Choice(const CYolMenuItemInfo& item) {
    UI::CYolWMUI_Menu::TResult result;
    result.commandId = item.commandId;
    result.context = item.context;
    return result;
}

class ChatMenu : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        Open(7);
        controller->Show(true);
        owner.Take();
    }
};

TEST_F(ChatMenu, HoldsTheOwnersEntriesThenTheWindowsOwn) {
    owner.ownEntries = {"Ask for authorization"};
    CYolMenuInfo menu;
    controller->BuildMenu(menu);
    EXPECT_EQ(Captions(menu), (Strings{"Ask for authorization", "-", "Send", "Smilies", "Send file", "Reply", "-",
                                       "Contact details", "Message history", "-", "Settings", "-", "Close tab",
                                       "Close"}));
    const CYolMenuItemInfo* settings = Find(menu, "Settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(Captions(*settings->subMenu), (Strings{"History", "Editor", "Smilies", "Replies", "Controlling"}));
}

TEST_F(ChatMenu, RepliesAndSubContactsShapeIt) {
    struct Case {
        int replies;
        std::vector<unsigned int> subs;
        bool reply;
        bool detailsIsSubMenu;
        unsigned int detailsContext;
    };
    const Case cases[] = {
        {0, {}, false, false, 7},
        {3, {21}, true, false, 21},
        {3, {21, 22}, true, true, 0},
    };
    for (const Case& c : cases) {
        controller->Settings().replies.Clear();
        for (int i = 0; i < c.replies; ++i)
            controller->Settings().replies.Add(CYolString(u"r"));
        owner.subContacts = c.subs;
        CYolMenuInfo menu;
        controller->BuildMenu(menu);
        EXPECT_EQ(Find(menu, "Reply") != nullptr, c.reply);
        const CYolMenuItemInfo* details = Find(menu, "Contact details");
        ASSERT_NE(details, nullptr);
        EXPECT_EQ(details->subMenu != nullptr, c.detailsIsSubMenu);
        if (details->subMenu != nullptr) {
            ASSERT_EQ(details->subMenu->Count(), 2);
            EXPECT_EQ(YolMenuContextValue((*details->subMenu)[1].context), 22u);
            controller->OnMenuChoice(Choice((*details->subMenu)[1]));
            EXPECT_EQ(owner.Take(), Strings{"details 22"});
        } else {
            EXPECT_EQ(YolMenuContextValue(details->context), c.detailsContext);
        }
    }
}

TEST_F(ChatMenu, AReplyIsInsertedAndSentAtOnceWhenSet) {
    controller->Settings().typingNotify = false;
    controller->Settings().replies.Clear();
    controller->Settings().replies.Add(CYolString(u"Hi"));
    controller->Settings().replies.Add(CYolString(u"Bye"));
    struct Case {
        bool immediately;
        Strings calls;
        const char16_t* left;
    };
    const Case cases[] = {{false, {}, u"Bye"}, {true, {"send 7 Bye"}, u""}};
    for (const Case& c : cases) {
        controller->Settings().sendRepliesImmediately = c.immediately;
        CYolMenuInfo menu;
        controller->BuildMenu(menu);
        const CYolMenuItemInfo* reply = Find(menu, "Reply");
        ASSERT_NE(reply, nullptr);
        controller->OnMenuChoice(Choice((*reply->subMenu)[1]));
        EXPECT_EQ(owner.Take(), c.calls);
        CYolString left;
        controller->Pane(7)->GetText(left);
        EXPECT_EQ(left, CYolString(c.left));
        SetWindowText(controller->Pane(7)->Editor(), u"");
    }
}

TEST_F(ChatMenu, AnOwnersEntryRunsItsCallbackWithTheTab) {
    static unsigned int calledWith = 0;
    UI::CYolWMUI_Menu::TResult result;
    result.callback = [](unsigned int id, void*) {
        calledWith = id;
        return 0;
    };
    controller->OnMenuChoice(result);
    EXPECT_EQ(calledWith, 7u);
    controller->OnMenuChoice(UI::CYolWMUI_Menu::TResult());
    EXPECT_EQ(owner.Take(), Strings{}) << "nothing chosen, nothing done";
}

} // namespace
