// The tab dialog and the settings dialogs built on it: tabs and their panes,
// flashing, the strip's stylus and keys, what the strip draws, and the
// settings dialog's OK that every pane may refuse.

#include "DialogTestSupport.h"

#include "CYolWMUI_SettingsControllerDlg.h"
#include "CYolWMUI_TabPan.h"
#include "DialogResources.h"
#include "Shell/ShellMenuBar.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowInput.h"
#include "WindowSystem/WindowKeys.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace dialog_test;
using UI::CYolWMUI_TabDlg;

namespace {

Platform::Module g_module{"tab-dialog-test"};
constexpr int kPaneTemplate = 500;
constexpr int kFieldId = 1001;

void RegisterPaneTemplate()
{
    DialogTemplate t;
    t.style = WS_CHILD | DS_SETFONT | DS_CONTROL;
    t.cx = 100;
    t.cy = 60;
    t.items.push_back(DialogItemTemplate{WC_EDIT, kFieldId, 4, 4, 60, 12, WS_VISIBLE | WS_TABSTOP | WS_BORDER, u"", 0});
    RegisterDialogTemplate(&g_module, kPaneTemplate, t);
}

// A page with one field; its save can be refused, and then it puts the
// focus on the field as a page that checks its input does.
class FieldPane : public UI::CYolWMUI_SettingsPan {
public:
    FieldPane(std::string name, std::string& log, bool withImage = false)
        : name(std::move(name)), log(log), withImage(withImage) {}

    CYolString GetCaption() override { return CYolString::FromUtf8(name); }
    CYolArray<unsigned int> GetImages() override {
        CYolArray<unsigned int> images;
        if (withImage)
            images.Add(7);
        return images;
    }
    YolTabDlg::TDlgTemplate GetDlgTemplate() override { return YolTabDlg::TDlgTemplate{&g_module, kPaneTemplate}; }
    int DoDataExchange(int save) override {
        if (!save)
            return 1;
        log += name + (accept ? " saved;" : " refused;");
        if (!accept)
            SetFocus(GetDlgItem(kFieldId));
        return accept;
    }

    std::string name;
    std::string& log;
    bool withImage;
    bool accept = true;
};

class TabDialog : public CYolWMUI_TabDlg {
public:
    void OnTabChanged() override { ++changes; }
    void OnTabDblClick() override { ++doubleTaps; }
    int changes = 0;
    int doubleTaps = 0;
};

class TabDlg : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        RegisterPaneTemplate();
        ASSERT_TRUE(dlg.Create(UI::kCommonDialogId, UI::GetProgramInstance(), owner));
    }
    void TearDown() override {
        dlg.RemoveAllTabs();
        DialogTest::TearDown();
    }

    // Tab ids 10, 11, ...; captions "Tab 0", "Tab 1"...
    void AddTabs(int n, bool withImage = false) {
        for (int i = 0; i < n; ++i) {
            auto* pane = new FieldPane("Tab " + std::to_string(dlg.TabCount()), log, withImage);
            ASSERT_TRUE(pane->Create(dlg));
            dlg.AddTab(10 + dlg.TabCount(), pane, pane->GetCaption(), pane->GetImages());
        }
    }
    // A point on the strip, `x` pixels from its left edge, on the screen.
    POINT Strip(int x) {
        POINT p{dlg.StripRect().left + x, (dlg.StripRect().top + dlg.StripRect().bottom) / 2};
        ClientToScreen(dlg, &p);
        return p;
    }
    int LeftOf(int index) {
        int x = 0;
        for (int i = dlg.FirstVisible(); i < index; ++i)
            x += dlg.GetTab(dlg.TabIdAt(i))->width;
        return x;
    }
    void Tap(POINT p) {
        Platform::InjectTap(p);
        Platform::PumpMessages();
    }
    void Key(unsigned vk) {
        Platform::InjectKey(vk);
        Platform::PumpMessages();
    }
    bool FlashTimerRuns() { return KillTimer(dlg, CYolWMUI_TabDlg::kFlashTimerId); }

    std::string log;
    TabDialog dlg;
};

TEST_F(TabDlg, LaysTheStripOutAlongTheBottomUnderThePanes) {
    AddTabs(2, true);
    RECT client;
    GetClientRect(dlg, &client);
    const RECT& strip = dlg.StripRect();
    EXPECT_EQ(strip.bottom, client.bottom);
    EXPECT_GT(strip.bottom - strip.top, 10);
    EXPECT_EQ(dlg.PanRect().bottom, strip.top - 1);
    RECT pane;
    GetWindowRect(*static_cast<FieldPane*>(dlg.GetTab(10)->pan), &pane);
    EXPECT_EQ(pane.bottom - pane.top, dlg.PanRect().bottom - dlg.PanRect().top);
    // Caption, 4 pixels either side and 20 for the images.
    const int captionOnly = dlg.GetTab(10)->width - 8 - 20;
    EXPECT_GT(captionOnly, 10);
}

TEST_F(TabDlg, RemovingATabSelectsTheTabTheUserExpects) {
    struct Case {
        const char* name;
        int tabs;
        int current;
        int removed;
        int expectCurrent;  // -1: no current tab, the dialog hidden
    };
    const Case cases[] = {
        {"the only tab hides the dialog", 1, 10, 10, -1},
        {"the current last tab gives the new last", 3, 12, 12, 11},
        {"the current middle tab gives the one now at its place", 3, 11, 11, 12},
        {"a tab before the current one keeps the current tab", 3, 12, 10, 12},
        {"a tab after the current one changes nothing", 3, 10, 12, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dlg.RemoveAllTabs();
        dlg.Show(true);
        AddTabs(c.tabs);
        dlg.SelectTab(c.current);
        dlg.RemoveTab(c.removed);
        EXPECT_FALSE(dlg.HasTab(c.removed));
        EXPECT_EQ(dlg.GetCurTabId(), c.expectCurrent);
        EXPECT_EQ(IsWindowVisible(dlg), c.expectCurrent != -1);
        for (int i = 0; i < dlg.TabCount(); ++i) {
            const int id = dlg.TabIdAt(i);
            EXPECT_EQ(IsWindowVisible(*static_cast<FieldPane*>(dlg.GetTab(id)->pan)), id == c.expectCurrent) << id;
        }
    }
}

TEST_F(TabDlg, OneTimerDrivesEveryFlashingTab) {
    AddTabs(3);
    dlg.SelectTab(10);
    dlg.FlashTab(11, 40);
    dlg.FlashTab(12, 41);
    dlg.FlashTab(12, 42);  // already flashing: no second count
    EXPECT_EQ(dlg.FlashingCount(), 2);
    dlg.StopFlashTab(11);
    EXPECT_EQ(dlg.FlashingCount(), 1);
    dlg.StopFlashTab(12);
    EXPECT_EQ(dlg.FlashingCount(), 0);
    EXPECT_FALSE(FlashTimerRuns()) << "stopping the last one kills the timer";

    dlg.FlashTab(11, 40);
    dlg.FlashTab(12, 41);
    dlg.RemoveAllTabs();
    EXPECT_EQ(dlg.FlashingCount(), 0);
    EXPECT_FALSE(FlashTimerRuns());
    AddTabs(1);
    dlg.FlashTab(10, 40);
    EXPECT_TRUE(FlashTimerRuns()) << "flashing after RemoveAllTabs starts the timer again";
}

TEST_F(TabDlg, ActivationAndSelectionStopOnlyTheCurrentTabsFlashing) {
    AddTabs(3);
    dlg.SelectTab(10);
    dlg.FlashTab(10, 40);
    dlg.FlashTab(11, 41);
    SendMessage(dlg, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    EXPECT_EQ(dlg.GetTab(10)->flashImage, -1);
    EXPECT_EQ(dlg.GetTab(11)->flashImage, 41);
    dlg.RemoveTab(11);
    EXPECT_EQ(dlg.FlashingCount(), 0) << "a removed flashing tab stops counting";
    EXPECT_FALSE(FlashTimerRuns());
}

TEST_F(TabDlg, ASecondTapOnATabSoonAndNearIsADoubleTap) {
    AddTabs(2);
    dlg.SelectTab(10);
    const int x = LeftOf(1) + 6;
    Tap(Strip(x));
    EXPECT_EQ(dlg.GetCurTabId(), 11) << "a tap on another tab selects it";
    clock.Advance(300);
    Tap(Strip(x + 5));
    EXPECT_EQ(dlg.doubleTaps, 1);

    clock.Advance(1000);
    Tap(Strip(x));
    clock.Advance(300);
    Tap(Strip(x + 20));
    EXPECT_EQ(dlg.doubleTaps, 1) << "20 pixels away is not a double tap";

    clock.Advance(1000);
    Tap(Strip(x));
    clock.Advance(500);
    Tap(Strip(x));
    EXPECT_EQ(dlg.doubleTaps, 1) << "half a second later is not a double tap";
}

TEST_F(TabDlg, TapsOnTheCurrentTabFocusTheStripAndOnAnotherItsPane) {
    AddTabs(2);
    dlg.SelectTab(10);
    Tap(Strip(LeftOf(1) + 4));
    auto* second = static_cast<FieldPane*>(dlg.GetTab(11)->pan);
    EXPECT_TRUE(GetFocus() == *second || IsChild(*second, GetFocus()));
    EXPECT_FALSE(dlg.StripFocused());
    clock.Advance(1000);
    Tap(Strip(LeftOf(1) + 4));
    EXPECT_EQ(GetFocus(), dlg.FocusButton());
    EXPECT_TRUE(dlg.StripFocused());
}

TEST_F(TabDlg, ArrowKeysOnTheStripWrapAndKeepTheCurrentTabWhollyVisible) {
    AddTabs(40);
    dlg.SelectTab(10);
    ASSERT_EQ(GetFocus(), dlg.FocusButton());
    ASSERT_TRUE(dlg.CutAtRight());
    Key(VK_LEFT);
    EXPECT_EQ(dlg.GetCurTabId(), 49) << "before the first comes the last";
    Key(VK_RIGHT);
    EXPECT_EQ(dlg.GetCurTabId(), 10) << "after the last comes the first";
    EXPECT_EQ(dlg.FirstVisible(), 0);
    // Right until the current tab is the first one cut at the right end.
    const int stripWidth = dlg.StripRect().right - dlg.StripRect().left;
    int index = 0;
    while (LeftOf(index + 1) + dlg.GetTab(dlg.TabIdAt(index + 1))->width <= stripWidth) {
        Key(VK_RIGHT);
        ++index;
    }
    EXPECT_EQ(dlg.FirstVisible(), 0);
    Key(VK_RIGHT);
    EXPECT_GT(dlg.FirstVisible(), 0);
    EXPECT_LE(LeftOf(dlg.CurrentIndex()) + dlg.GetTab(dlg.GetCurTabId())->width, stripWidth);
    EXPECT_EQ(dlg.changes, index + 4);
}

TEST_F(TabDlg, DownAndUpLeaveTheStripForTheDialogsControls) {
    AddTabs(2);
    dlg.SelectTab(11);
    const HWND field = static_cast<FieldPane*>(dlg.GetTab(11)->pan)->GetDlgItem(kFieldId);
    Key(VK_DOWN);
    EXPECT_EQ(GetFocus(), field);
    EXPECT_FALSE(dlg.StripFocused());
    Key(VK_RIGHT);
    EXPECT_EQ(dlg.GetCurTabId(), 11) << "arrows switch tabs only while the strip has the focus";
    SetFocus(dlg.FocusButton());
    EXPECT_TRUE(dlg.StripFocused());
    Key(VK_UP);
    EXPECT_NE(GetFocus(), dlg.FocusButton());
    EXPECT_FALSE(dlg.StripFocused());
}

TEST_F(TabDlg, TheScrollArrowsMoveTheStripByOneTab) {
    AddTabs(40);
    dlg.SelectTab(10);
    const int right = dlg.StripRect().right - dlg.StripRect().left;
    Tap(Strip(right - 32 + 8));
    EXPECT_EQ(dlg.FirstVisible(), 1);
    EXPECT_EQ(dlg.GetCurTabId(), 10) << "scrolling leaves the current tab";
    clock.Advance(1000);
    Tap(Strip(right - 50 + 8));
    EXPECT_EQ(dlg.FirstVisible(), 0);
}

TEST_F(TabDlg, DraggingAHeldTabKeepsItUnderThePen) {
    AddTabs(40);
    dlg.SelectTab(10);
    Tap(Strip(dlg.StripRect().right - 24));
    for (int i = 0; i < 4; ++i) {
        clock.Advance(1000);
        Tap(Strip(dlg.StripRect().right - 24));
    }
    ASSERT_EQ(dlg.FirstVisible(), 5);
    // Hold tab 5 at its middle and pull it right past two tabs.
    const int width = dlg.GetTab(15)->width;
    const int pull = dlg.GetTab(14)->width + dlg.GetTab(13)->width + width / 2;
    clock.Advance(1000);
    Platform::InjectPenDown(Strip(width / 2));
    Platform::InjectPenMove(Strip(pull + 1));
    Platform::InjectPenUp(Strip(pull + 1));
    Platform::PumpMessages();
    EXPECT_EQ(dlg.FirstVisible(), 3);
    EXPECT_EQ(dlg.HitTest(POINT{dlg.StripRect().left + pull, dlg.StripRect().top + 2}), 5);
    EXPECT_EQ(dlg.GetCurTabId(), 10) << "a drag selects nothing";
}

TEST_F(TabDlg, TheStripShowsTheCurrentTabOpenAndTheFlashImageEveryOtherHalfSecond) {
    AddTabs(2, true);
    dlg.SelectTab(10);
    dlg.FlashTab(11, 40);
    const int y = (dlg.StripRect().top + dlg.StripRect().bottom) / 2;
    const int image0 = dlg.StripRect().left + 4 + 8;
    const int image1 = LeftOf(1) + 4 + 8;
    // Into an odd half second.
    clock.Advance(500 - clock.TickCount64() % 500);
    if (clock.TickCount64() / 500 % 2 == 0)
        clock.Advance(500);
    dlg.RedrawNow(0);
    const COLORREF back = PixelOf(dlg, dlg.StripRect().left + 2, y);
    EXPECT_NE(back, GetSysColor(COLOR_BTNFACE)) << "the current tab has the pane's background";
    EXPECT_EQ(PixelOf(dlg, LeftOf(1) + 2, y), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(PixelOf(dlg, image0, y), menu_test::ImageColour(7));
    EXPECT_EQ(PixelOf(dlg, image1, y), menu_test::ImageColour(40));
    clock.Advance(500);
    dlg.RedrawNow(0);
    EXPECT_EQ(PixelOf(dlg, image1, y), GetSysColor(COLOR_BTNFACE)) << "the flash is off";
    EXPECT_EQ(PixelOf(dlg, image0, y), menu_test::ImageColour(7));
}

// A settings dialog with the test's panes.
class Settings : public UI::CYolWMUI_SettingsControllerDlg {
public:
    void GetPans(YolTabDlg::CDlgInfo& info) override {
        for (FieldPane* pane : panes)
            info.Add(pane);
        info.first = first;
    }
    std::vector<FieldPane*> panes;
    int first = 0;
};

class SettingsDlg : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        RegisterPaneTemplate();
    }
    std::string log;
};

TEST_F(SettingsDlg, WithoutPanesItClosesAtOnceAsCancelled) {
    Scripted<Settings> dlg;
    bool ran = false;
    dlg.script = [&](auto&) { ran = true; };
    EXPECT_EQ(dlg.Run(owner), 2);
    EXPECT_FALSE(ran);
}

TEST_F(SettingsDlg, OpensOnTheAskedPaneWithOkAndCancelKeys) {
    Scripted<Settings> dlg;
    dlg.panes = {new FieldPane("General", log), new FieldPane("Server", log, true)};
    dlg.first = 1;
    dlg.script = [&](Settings& d) {
        EXPECT_EQ(d.TabCount(), 2);
        EXPECT_EQ(d.GetCurTabId(), 1);
        EXPECT_EQ(d.GetTab(0)->caption, u"General");
        EXPECT_EQ(d.GetTab(1)->images.Count(), 1);
        EXPECT_EQ(Platform::MenuBarButtonText(d.Menu(), 0), u"OK");
        EXPECT_EQ(Platform::MenuBarButtonText(d.Menu(), 1), u"Cancel");
        Platform::InjectKey(VK_F2);
    };
    EXPECT_EQ(dlg.Run(owner), 2);
    EXPECT_EQ(log, "") << "cancel saves nothing";
}

TEST_F(SettingsDlg, APaneThatRefusesKeepsTheDialogOpenOnItsField) {
    Scripted<Settings> dlg;
    auto* general = new FieldPane("General", log);
    auto* server = new FieldPane("Server", log);
    server->accept = false;
    dlg.panes = {general, server};
    menu_test::Script steps;
    dlg.script = [&](Settings& d) {
        Platform::InjectKey(VK_F1);
        steps.Then([&] {
            EXPECT_TRUE(IsWindow(d));
            EXPECT_EQ(log, "General saved;Server refused;");
            EXPECT_EQ(d.GetCurTabId(), 1) << "the refusing pane is shown";
            EXPECT_TRUE(IsWindowVisible(*server));
            EXPECT_EQ(GetFocus(), server->GetDlgItem(kFieldId));
            log.clear();
            server->accept = true;
            Platform::InjectKey(VK_F1);
        });
    };
    EXPECT_EQ(dlg.Run(owner), 1);
    EXPECT_EQ(steps.Pending(), 0u);
    EXPECT_EQ(log, "General saved;Server saved;");
}

TEST_F(SettingsDlg, APaneWithoutItsPageIsDroppedNotShown) {
    class Broken : public FieldPane {
    public:
        using FieldPane::FieldPane;
        YolTabDlg::TDlgTemplate GetDlgTemplate() override { return YolTabDlg::TDlgTemplate{&g_module, 4242}; }
    };
    Scripted<Settings> dlg;
    dlg.panes = {new Broken("Broken", log), new FieldPane("General", log)};
    dlg.first = 7;  // no such pane: the first one shown opens
    dlg.script = [&](Settings& d) {
        EXPECT_EQ(d.TabCount(), 1);
        EXPECT_EQ(d.GetCurTabId(), 1);
        d.EndDialog(2);
    };
    EXPECT_EQ(dlg.Run(owner), 2);
}

} // namespace
