// The contact-list window driven as the user drives it: keys, stylus, the
// scroll bar, timers on the manual clock, item menus and the commands they
// run, and the messages the views post from their own thread.

#include "ClWindowTestSupport.h"

#include "Controls/ControlScrollBar.h"
#include "Shell/ShellGesture.h"
#include "WindowSystem/WindowKeys.h"
#include "UiHelpers.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <thread>

namespace {

using namespace ClWindowSupport;
using ClTest::Hex;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ClWindow : public ClWindowSupport::ClWindowTest {
protected:
    void Tap(int x, int y) {
        Platform::InjectTap(At(x, y));
        Platform::PumpMessages();
    }
    void Key(unsigned vk) {
        Platform::InjectKey(vk);
        Platform::PumpMessages();
    }
    int Scroll() { return ctrl->ScrollPos(); }
    std::vector<std::string> ManagerCalls() {
        std::vector<std::string> calls = manager.Calls();
        manager.ClearCalls();
        return calls;
    }
    // A menu answer that picks the entry of that caption.
    static std::function<UI_CL::TYolWMCL_MenuChoice(const CYolMenuInfo&)> Pick(const std::string& caption) {
        return [caption](const CYolMenuInfo& menu) {
            for (int i = 0; i < menu.Count(); ++i)
                if (menu[i].caption.GetLocalized().ToUtf8() == caption)
                    return UI_CL::TYolWMCL_MenuChoice{menu[i].callback, menu[i].commandId,
                                                      menu[i].context, menu.context};
            return UI_CL::TYolWMCL_MenuChoice{};
        };
    }
    // Selects the row and opens its menu as a tap and hold would.
    void OpenMenuOn(unsigned int id) {
        CL::CYol_CLItem* row = RowOf(id);
        ASSERT_NE(row, nullptr);
        {
            auto held = views.Lock();
            ctrl->SetSelection(row, true);
        }
        SendMessage(ctrl->GetWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(ctrl->GetWindow()),
                    MAKELPARAM(100, 50));
        Platform::PumpMessages();
    }
};

TEST_F(ClWindow, CreatesItsWindowClassOnceWithAScrollBar) {
    char16_t name[64] = {};
    GetClassName(ctrl->GetWindow(), name, 64);
    EXPECT_EQ(std::u16string(name), u"Contact List Wnd Class");
    GetWindowText(ctrl->GetWindow(), name, 64);
    EXPECT_EQ(std::u16string(name), u"CL");
    EXPECT_NE(GetWindowLong(ctrl->GetWindow(), GWL_STYLE) & WS_VSCROLL, 0);
    // A second window reuses the registered class.
    UI_CL::CYolWMCL_Ctrl second(views, &observer, host, images);
    EXPECT_TRUE(second.Create(WS_VISIBLE, RECT{0, 0, 50, 50}, host.app));
    EXPECT_NE(second.GetWindow(), nullptr);
}

TEST_F(ClWindow, OutlivesItsWindowWhenTheParentGoesFirst) {
    std::vector<unsigned int> contacts = Populate(2);
    DestroyWindow(host.app);
    EXPECT_EQ(ctrl->GetWindow(), nullptr);
    // The trees still change and tell the control, which has nothing to do.
    std::thread queue([&] {
        Protocols::MessageInfo message;
        message.messageId = 1;
        views.MessageUnread(ClTest::kAccountA, model->GetParentId(contacts[0]), contacts[0], 0, 0, message);
        views.ContactRemoved(ClTest::kAccountA, model->GetParentId(contacts[1]), contacts[1]);
    });
    queue.join();
    Platform::PumpMessages();
    ctrl.reset();
}

TEST_F(ClWindow, RowHeightFollowsTheFontWithATwentyPixelFloor) {
    struct Case {
        int fontHeight;
        int dpi;
        int rowHeight;
    } cases[] = {{-30, 96, 20}, {0, 96, 20}, {12, 96, 20}, {20, 96, 20}, {21, 96, 21},
                 {30, 96, 30},  {-8, 192, 40}, {25, 192, 50}};
    for (const Case& c : cases) {
        Platform::SetScreen(480, 640, c.dpi, c.dpi);
        LOGFONTW font;
        font.lfHeight = c.fontHeight;
        ctrl->SetFont(font);
        EXPECT_EQ(ctrl->RowHeight(), c.rowHeight) << c.fontHeight << " at " << c.dpi;
        EXPECT_EQ(CL::CYol_CLMetrics::RowHeight(CL::CLRowKind::Contact), c.rowHeight);
        EXPECT_EQ(CL::CYol_CLMetrics::RowHeight(CL::CLRowKind::Account), c.rowHeight);
    }
}

TEST_F(ClWindow, KeepAwakeTimerResetsTheIdleTimerOnlyWhenAsked) {
    Advance(10000);
    EXPECT_THAT(host.Take(), IsEmpty());
    host.dontSleep = true;
    Advance(10000);
    EXPECT_THAT(host.Take(), ElementsAre("ResetIdleTimer"));
}

TEST_F(ClWindow, ArrowsStartAtTheTopmostRowAndEnterActivates) {
    std::vector<unsigned int> contacts = Populate(3);
    EXPECT_EQ(Selected(), nullptr);
    Key(VK_DOWN);
    EXPECT_EQ(SelectedId(), ClTest::kAccountA) << "Down without a selection takes the topmost row";
    // Account, group, then its first contact.
    Key(VK_DOWN);
    Key(VK_DOWN);
    unsigned int first = SelectedId();
    EXPECT_NE(std::find(contacts.begin(), contacts.end(), first), contacts.end());
    Key(VK_UP);
    Key(VK_DOWN);
    EXPECT_EQ(SelectedId(), first);
    Key(VK_RETURN);
    EXPECT_THAT(observer.Take(), ElementsAre("Activated " + Hex(first)));
}

TEST_F(ClWindow, EnterAndDoubleTapWithoutSelectionDoNothing) {
    Populate(2);
    Key(VK_RETURN);
    SendMessage(ctrl->GetWindow(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
    SendMessage(ctrl->GetWindow(), WM_CONTEXTMENU, 0, MAKELPARAM(10, 10));
    Platform::PumpMessages();
    EXPECT_THAT(observer.Take(), IsEmpty());
    EXPECT_THAT(host.Take(), IsEmpty());
}

TEST_F(ClWindow, DigitsTapTheStatusBar) {
    Platform::InjectText(u"07x");
    Platform::PumpMessages();
    EXPECT_THAT(observer.Take(), ElementsAre("StatusBarTap 0", "StatusBarTap 7"));
}

TEST_F(ClWindow, SelectionChangeIsToldOnceAfterABurst) {
    Populate(3);
    Key(VK_DOWN);
    Key(VK_DOWN);
    Advance(249);
    Key(VK_DOWN);
    Advance(249);
    EXPECT_THAT(observer.Take(), IsEmpty());
    Advance(1);
    EXPECT_THAT(observer.Take(), ElementsAre("SelectionChanged"));
    EXPECT_EQ(observer.lastSelected, Selected());
    Advance(1000);
    EXPECT_THAT(observer.Take(), IsEmpty());
}

TEST_F(ClWindow, TapSelectsTheRowUnderThePenAndDoubleTapActivates) {
    std::vector<unsigned int> contacts = Populate(3);
    CL::CYol_CLItem* row = RowOf(contacts[0]);
    int y = OffsetOf(row) + 5;
    Tap(100, y);
    EXPECT_EQ(SelectedId(), contacts[0]);
    Tap(100, y);
    EXPECT_THAT(observer.Take(), ElementsAre("Activated " + Hex(contacts[0])));
}

TEST_F(ClWindow, SelectingOutOfSightScrollsTheRowIntoView) {
    std::vector<unsigned int> contacts = Populate(30);
    CL::CYol_CLItem* low = RowOf(contacts[25]);
    int offset = OffsetOf(low);
    ASSERT_GT(offset, kWindowHeight);
    {
        auto held = views.Lock();
        ctrl->SetSelection(low, true);
    }
    EXPECT_EQ(Scroll(), offset + ctrl->RowHeight() - kWindowHeight) << "its bottom meets the window's bottom";
    CL::CYol_CLItem* high = RowOf(contacts[0]);
    {
        auto held = views.Lock();
        ctrl->SetSelection(high, true);
    }
    EXPECT_EQ(Scroll(), OffsetOf(high)) << "its top meets the window's top";
}

TEST_F(ClWindow, ScrollBarMessagesMoveByLinePageAndThumb) {
    Populate(50);
    HWND w = ctrl->GetWindow();
    struct Step {
        unsigned code;
        int position;
        int expected;
    } steps[] = {{SB_LINEDOWN, 0, 20}, {SB_LINEDOWN, 0, 40}, {SB_PAGEDOWN, 0, 40 + kWindowHeight},
                 {SB_LINEUP, 0, 20 + kWindowHeight}, {SB_PAGEUP, 0, 20}, {SB_THUMBTRACK, 333, 333},
                 {SB_THUMBPOSITION, 7, 7}, {SB_LINEUP, 0, 0}, {SB_LINEUP, 0, 0}};
    for (const Step& s : steps) {
        SendMessage(w, WM_VSCROLL, MAKEWPARAM(s.code, s.position), 0);
        EXPECT_EQ(Scroll(), s.expected) << "code " << s.code;
    }
}

TEST_F(ClWindow, DraggingThePenScrollsTwiceTheDistance) {
    Populate(50);
    Platform::InjectPenDown(At(100, 100));
    Platform::InjectPenMove(At(100, 95));
    Platform::InjectPenMove(At(100, 90));
    Platform::PumpMessages();
    EXPECT_EQ(Scroll(), 20);
    Platform::InjectPenMove(At(100, 96));
    Platform::InjectPenUp(At(100, 96));
    Platform::PumpMessages();
    EXPECT_EQ(Scroll(), 8);
    EXPECT_THAT(observer.Take(), IsEmpty());
}

TEST_F(ClWindow, LongHorizontalStrokeShowsTheChats) {
    struct Case {
        int from;
        int to;
        bool shows;
    } cases[] = {{10, 200, true}, {200, 10, true}, {10, 130, false}, {100, 220, false}};
    for (const Case& c : cases) {
        Platform::InjectPenDown(At(c.from, 280));
        Platform::InjectPenMove(At((c.from + c.to) / 2, 280));
        Platform::InjectPenUp(At(c.to, 280));
        Platform::PumpMessages();
        if (c.shows)
            EXPECT_THAT(observer.Take(), ElementsAre("ShowChats 0 " + std::to_string(c.to - c.from)));
        else
            EXPECT_THAT(observer.Take(), IsEmpty()) << c.from << " to " << c.to;
    }
}

TEST_F(ClWindow, StrokeAfterAnItemMenuNeitherScrollsNorShowsChats) {
    std::vector<unsigned int> contacts = Populate(50);
    int y = OffsetOf(RowOf(contacts[0])) + 5;
    // Held still long enough, the press becomes the item menu.
    Platform::InjectPenDown(At(10, y));
    clock.Advance(Platform::TapAndHoldLongDelay + 1);
    Platform::PumpMessages();
    EXPECT_THAT(host.Take(), ElementsAre(::testing::StartsWith("PopupMenu")));
    EXPECT_EQ(SelectedId(), contacts[0]);
    Platform::InjectPenMove(At(200, y - 40));
    Platform::InjectPenUp(At(200, y - 40));
    Platform::PumpMessages();
    EXPECT_EQ(Scroll(), 0);
    EXPECT_THAT(observer.Take(), IsEmpty());
}

TEST_F(ClWindow, ContextMenuOpensUnderTheAnchorWithinTheApplicationWindow) {
    std::vector<unsigned int> contacts = Populate(2);
    OpenMenuOn(contacts[1]);
    EXPECT_THAT(host.Take(), ElementsAre(::testing::StartsWith("PopupMenu")));
    EXPECT_EQ(host.menuAlign, 1);
    EXPECT_EQ(host.menuAnchor.x, 100);
    EXPECT_EQ(host.menuAnchor.y, 50);
    EXPECT_EQ(host.menuBounds.right, 480);
    EXPECT_EQ(host.menuBounds.bottom, 600);
}

TEST_F(ClWindow, MenuChoicesRunTheirCommands) {
    std::vector<unsigned int> contacts = Populate(2);
    unsigned int bob = contacts[1];
    struct Case {
        const char* caption;
        std::vector<std::string> hostCalls;
        std::vector<std::string> managerCalls;
    } cases[] = {
        {"Rename contact", {"AskName contact contact001"}, {"RenameContact " + Hex(ClTest::kAccountA) + " " + Hex(bob) + " Robert"}},
        {"Delete contact", {}, {"DeleteContact " + Hex(ClTest::kAccountA) + " " + Hex(bob)}},
        {"Contact details", {"ShowContactDetails " + Hex(bob)}, {}},
        {"Message history", {"ShowHistory " + Hex(bob)}, {}},
        {"Send file", {"ChooseFile *.*;"}, {"SendFile " + Hex(ClTest::kAccountA) + " " + Hex(bob) + " /tmp/photo.jpg"}},
    };
    host.nameAnswer = W("Robert");
    host.fileAnswer = W("/tmp/photo.jpg");
    manager.SetAccountStatus(ClTest::kAccountA, Protocols::Online);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        ManagerCalls();
        host.chooseFromMenu = Pick(c.caption);
        OpenMenuOn(bob);
        std::vector<std::string> calls = host.Take();
        ASSERT_FALSE(calls.empty());
        calls.erase(calls.begin());
        EXPECT_EQ(calls, c.hostCalls);
        EXPECT_EQ(ManagerCalls(), c.managerCalls);
    }
}

TEST_F(ClWindow, CopyLoginPutsTheLoginOnTheClipboard) {
    std::vector<unsigned int> contacts = Populate(2);
    host.chooseFromMenu = Pick("Copy contact name");
    OpenMenuOn(contacts[0]);
    char16_t text[64] = {};
    ASSERT_GT(GetClipboardText(text, 64), 0);
    EXPECT_EQ(std::u16string(text), u"contact000");
}

TEST_F(ClWindow, GroupCommandsAskForANameAndGoToTheAccountOrTheModel) {
    for (unsigned int account : {ClTest::kAccountA})
        ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, account);
    unsigned int friends = NamedGroup(ClTest::kAccountA, "Friends");
    Show();
    ManagerCalls();
    host.nameAnswer = W("Mates");
    ctrl->NewGroup(ClTest::kAccountA);
    ctrl->RenameGroup(friends);
    EXPECT_THAT(host.Take(), ElementsAre("AskName group ", "AskName group Friends"));
    EXPECT_THAT(ManagerCalls(), ElementsAre("AddGroup " + Hex(ClTest::kAccountA) + " Mates",
                                            "RenameGroup " + Hex(ClTest::kAccountA) + " " + Hex(friends) + " Mates"));
    // Without an account the group is a meta group of the model.
    ctrl->NewGroup(0);
    Flush();
    bool found = false;
    for (unsigned int id = CL::FirstIdOf(CL::ItemKind::MGroup); id < CL::FirstIdOf(CL::ItemKind::MGroup) + 8; ++id)
        found = found || (model->IsMetaGroup(id) && Text(id, "CL Alias") == "Mates");
    EXPECT_TRUE(found);
    // An empty name or Cancel changes nothing.
    host.nameAnswer = CYolString();
    ctrl->NewGroup(ClTest::kAccountA);
    host.dialogsAccept = false;
    ctrl->RenameGroup(friends);
    EXPECT_THAT(ManagerCalls(), IsEmpty());
}

TEST_F(ClWindow, RenamingAMetaContactOfOneContactRenamesItAtItsAccount) {
    ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, ClTest::kAccountA);
    unsigned int group = NamedGroup(ClTest::kAccountA, "Friends");
    unsigned int contact = Contact(ClTest::kAccountA, group, "dave");
    Show();
    unsigned int meta = model->GetMetaContactOf(contact);
    ASSERT_NE(meta, 0u);
    ManagerCalls();
    host.nameAnswer = W("David");
    ctrl->RenameItem(meta);
    Flush();
    EXPECT_EQ(Text(meta, "CL Alias"), "David");
    EXPECT_THAT(ManagerCalls(), ElementsAre("RenameContact " + Hex(ClTest::kAccountA) + " " + Hex(contact) + " David"));
}

TEST_F(ClWindow, DialogOfAMenuChoiceKeepsTheListPaintingAndTakingKeys) {
    std::vector<unsigned int> contacts = Populate(2);
    manager.SetAccountStatus(ClTest::kAccountA, Protocols::Online);
    host.chooseFromMenu = Pick("Rename contact");
    host.nameAnswer = W("Robert");
    int painted = -1;
    host.duringDialog = [&] {
        // The choice holds the trees; the dialog's loop paints the list.
        InvalidateRect(ctrl->GetWindow(), nullptr, false);
        Platform::InjectKey(VK_DOWN);
        Platform::PumpMessages();
        RECT update{};
        painted = GetUpdateRect(ctrl->GetWindow(), &update, false) ? 0 : 1;
    };
    OpenMenuOn(contacts[1]);
    EXPECT_EQ(painted, 1);
    EXPECT_NE(SelectedId(), contacts[1]) << "the key moved the selection during the dialog";
    EXPECT_THAT(ManagerCalls(), ElementsAre(::testing::StartsWith("RenameContact")));
}

TEST_F(ClWindow, DeletingAndMovingTellMetaItemsFromPlainOnes) {
    ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, ClTest::kAccountA);
    unsigned int group = NamedGroup(ClTest::kAccountA, "Friends");
    unsigned int gina = Contact(ClTest::kAccountA, group, "gina");
    unsigned int hal = Contact(ClTest::kAccountA, group, "hal");
    unsigned int metaGroup = model->AddMetaGroup(W("Close"), 0, true);
    Show();
    ASSERT_EQ(Text(metaGroup, "CL Alias"), "Close");
    unsigned int ginaMeta = model->GetMetaContactOf(gina);
    unsigned int halMeta = model->GetMetaContactOf(hal);
    ManagerCalls();

    // Moving presets the contact's meta contact; Cancel moves nothing.
    host.metaAnswer = halMeta;
    host.dialogsAccept = false;
    ctrl->MoveContact(gina);
    Flush();
    EXPECT_EQ(model->GetMetaContactOf(gina), ginaMeta);
    host.dialogsAccept = true;
    ctrl->MoveContact(gina);
    Flush();
    EXPECT_EQ(model->GetMetaContactOf(gina), halMeta);
    EXPECT_THAT(host.Take(), ElementsAre("ChooseMetaContact " + Hex(ginaMeta), "ChooseMetaContact " + Hex(ginaMeta)));

    ctrl->DeleteContact(hal);
    ctrl->DeleteGroup(group);
    EXPECT_THAT(ManagerCalls(), ElementsAre("DeleteContact " + Hex(ClTest::kAccountA) + " " + Hex(hal)));
    ctrl->DeleteContact(halMeta);
    ctrl->DeleteGroup(metaGroup);
    Flush();
    EXPECT_EQ(Text(halMeta, "CL Alias"), "") << "the meta contact is gone from the model";
    EXPECT_EQ(Text(metaGroup, "CL Alias"), "") << "the meta group is gone from the model";
    EXPECT_THAT(ManagerCalls(), IsEmpty());
}

TEST_F(ClWindow, ChoiceOnARowRemovedWhileTheMenuWasUpIsDropped) {
    std::vector<unsigned int> contacts = Populate(2);
    unsigned int bob = contacts[1];
    auto pick = Pick("Delete contact");
    host.chooseFromMenu = [&](const CYolMenuInfo& menu) {
        // The contact goes while the user looks at its menu.
        model->RemoveContact(bob);
        Settle();
        return pick(menu);
    };
    manager.SetAccountStatus(ClTest::kAccountA, Protocols::Online);
    ManagerCalls();
    OpenMenuOn(bob);
    EXPECT_EQ(RowOf(bob), nullptr);
    EXPECT_THAT(ManagerCalls(), IsEmpty());
}

TEST_F(ClWindow, ContactOnlineAlertWaitsTwoMinutesAfterLogon) {
    std::vector<unsigned int> contacts = Populate(3);
    unsigned int offline = contacts[1];
    struct Case {
        int loggedOnSecondsAgo;  // -1: unknown
        bool alerts;
    } cases[] = {{-1, false}, {60, false}, {120, false}, {121, true}, {3600, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loggedOnSecondsAgo);
        if (c.loggedOnSecondsAgo >= 0)
            manager.SetLogonTime(ClTest::kAccountA, static_cast<unsigned int>(clock.Now() - c.loggedOnSecondsAgo));
        host.Take();
        SetStatus(offline, 2);
        Show();
        if (c.alerts)
            EXPECT_THAT(host.Take(), ElementsAre("RaiseAlert 2", "ShowStatusNotification " + Hex(offline)));
        else
            EXPECT_THAT(host.Take(), IsEmpty());
        SetStatus(offline, 0);
        Show();
    }
}

TEST_F(ClWindow, MetaContactAlertNamesItsFirstOnlineContact) {
    ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, ClTest::kAccountA);
    ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, ClTest::kAccountB);
    unsigned int groupA = NamedGroup(ClTest::kAccountA, "Friends");
    unsigned int groupB = NamedGroup(ClTest::kAccountB, "Friends");
    unsigned int first = Contact(ClTest::kAccountA, groupA, "erin");
    unsigned int second = Contact(ClTest::kAccountB, groupB, "erin2");
    Show();
    unsigned int meta = model->GetMetaContactOf(first);
    model->MoveContactToMetaContact(second, meta);
    SetStatus(second, 2);
    Show();
    manager.SetLogonTime(ClTest::kAccountB, static_cast<unsigned int>(clock.Now() - 600));
    host.Take();
    PostMessage(ctrl->GetWindow(), CL::kCLMsgContactOnline, meta, 0);
    Platform::PumpMessages();
    EXPECT_THAT(host.Take(), ElementsAre("RaiseAlert 2", "ShowStatusNotification " + Hex(second)));
}

}  // namespace
