// The toolbar and its smilies bar on the headless screen at 96 dpi: which
// smileys the bar holds as it fills, picks and trims, its keys and taps,
// and where the toolbar puts the bar and its two buttons for each setting.

#include "MsgWndTestSupport.h"

#include "CYolWMMW_QuickSmileCtrl.h"
#include "CYolWMMW_Toolbar.h"
#include "TYolWMMWSettings.h"

#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowKeys.h"

#include <gtest/gtest.h>

namespace {

using MW::CYolWMMW_QuickSmileCtrl;
using MW::CYolWMMW_Toolbar;

struct Picks : CYolWMMW_QuickSmileCtrl::MQuickSmileCtrlObserver, CYolWMMW_Toolbar::MToolbarObserver {
    void OnSmileSelected(CYolWMMW_QuickSmileCtrl*, int smile) override { smiles.push_back(smile); }
    void OnSmileSelected(CYolWMMW_Toolbar*, int smile) override { smiles.push_back(smile); }
    void OnSmilesButton(CYolWMMW_Toolbar*) override { ++smilesButton; }
    void OnSendButton(CYolWMMW_Toolbar*) override { ++sendButton; }
    std::vector<int> smiles;
    int smilesButton = 0;
    int sendButton = 0;
};

class SmiliesBar : public mw_test::MessageWindowTest {
protected:
    // A bar whose client area is `width` wide.
    std::unique_ptr<CYolWMMW_QuickSmileCtrl> MakeBar(int width) {
        std::unique_ptr<CYolWMMW_QuickSmileCtrl> bar(
            CYolWMMW_QuickSmileCtrl::Create(app, RECT{0, 0, width, 30}, &picks));
        const int frame = width - bar->GetClientWidth();
        bar->MoveAndResize(0, 0, width + frame, 30);
        return bar;
    }
    static std::vector<int> Smiles(const CYolWMMW_QuickSmileCtrl& bar) {
        std::vector<int> out;
        for (int i = 0; i < bar.Count(); ++i)
            out.push_back(bar.SmileAt(i));
        return out;
    }
    Picks picks;
};

TEST_F(SmiliesBar, FillTakesTheSmileysThatFitSmileyZeroLeftmost) {
    LoadSmileys(10);
    struct Case {
        int width;
        std::vector<int> smiles;
    };
    // 39 px a cell; the last one taken may be cut by the right edge.
    const Case cases[] = {
        {200, {0, 1, 2, 3, 4, 5}},
        {196, {0, 1, 2, 3, 4}},
        {40, {0}},
        {41, {0, 1}},
    };
    for (const Case& c : cases) {
        auto bar = MakeBar(c.width);
        bar->Fill();
        EXPECT_EQ(Smiles(*bar), c.smiles) << c.width;
        EXPECT_FALSE(bar->NeedsFill());
        EXPECT_EQ(bar->Entry(0).x, 1 + (38 - 20) / 2);
        EXPECT_EQ(bar->Entry(0).y, (bar->GetClientHeight() - 20) / 2);
    }
}

TEST_F(SmiliesBar, WideSmileysTakeTheirOwnWidth) {
    LoadSmileys(4, 50, 20);
    auto bar = MakeBar(120);
    bar->Fill();
    EXPECT_EQ(Smiles(*bar), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(bar->CellWidth(0), 50);
    EXPECT_EQ(bar->Entry(1).x, 1 + 51);
}

TEST_F(SmiliesBar, APickGoesFirstAndPushesTheLastCellOut) {
    LoadSmileys(10);
    auto bar = MakeBar(200);
    bar->Fill();
    bar->AddRecent(3);
    EXPECT_EQ(Smiles(*bar), (std::vector<int>{0, 1, 2, 3, 4, 5})) << "already there: unchanged";
    bar->AddRecent(8);
    EXPECT_EQ(Smiles(*bar), (std::vector<int>{8, 0, 1, 2, 3, 4}));
    bar->Reset();
    EXPECT_EQ(bar->Count(), 0);
    EXPECT_TRUE(bar->NeedsFill());
}

TEST_F(SmiliesBar, WithoutALoadedSetItStaysEmptyAndFillsWhenShownAgain) {
    auto bar = MakeBar(200);
    bar->Fill();
    EXPECT_EQ(bar->Count(), 0);
    EXPECT_TRUE(bar->NeedsFill());
    LoadSmileys(3);
    bar->Show(false);
    EXPECT_EQ(bar->Count(), 0);
    bar->Show(true);
    EXPECT_EQ(Smiles(*bar), (std::vector<int>{0, 1, 2}));
}

TEST_F(SmiliesBar, KeysMoveTheSelectionAndLeaveAtEitherEnd) {
    LoadSmileys(3);
    auto bar = MakeBar(200);
    bar->Fill();
    SetFocus(*bar);
    ASSERT_EQ(bar->Selection(), 0) << "the focus selects the first cell";
    struct Step {
        unsigned key;
        int selection;
        int leaves;  // -1 stays, 0 forward, 1 backward
    };
    const Step steps[] = {
        {VK_RIGHT, 1, -1}, {VK_RIGHT, 2, -1}, {VK_RIGHT, -1, 0}, {VK_RIGHT, 0, -1},
        {VK_LEFT, -1, 1},  {VK_DOWN, -1, 0},  {VK_UP, -1, 1},    {VK_TAB, -1, 0},
    };
    for (const Step& s : steps) {
        rec.log.clear();
        bar->OnKeyDown(static_cast<int>(s.key));
        Platform::PumpMessages();
        EXPECT_EQ(bar->Selection(), s.selection) << s.key;
        const ui_test::Logged* moved = rec.Last(WM_NEXTDLGCTL);
        if (s.leaves < 0) {
            EXPECT_EQ(moved, nullptr) << s.key;
        } else {
            ASSERT_NE(moved, nullptr) << s.key;
            EXPECT_EQ(moved->wParam, static_cast<WPARAM>(s.leaves)) << s.key;
        }
    }
    bar->OnKeyDown(static_cast<int>(VK_RIGHT));
    bar->OnKeyDown(static_cast<int>(VK_RETURN));
    EXPECT_EQ(picks.smiles, (std::vector<int>{0}));
}

TEST_F(SmiliesBar, ATapPicksTheCellUnderItAndNothingPastTheLast) {
    LoadSmileys(3);
    auto bar = MakeBar(200);
    bar->Fill();
    bar->OnLButtonDown(0, POINT{1 + 39 + 10, 10});
    EXPECT_EQ(picks.smiles, (std::vector<int>{1}));
    EXPECT_EQ(bar->Selection(), 1);
    EXPECT_EQ(GetFocus(), static_cast<HWND>(*bar));
    bar->OnLButtonDown(0, POINT{150, 10});
    EXPECT_EQ(picks.smiles, (std::vector<int>{1}));
}

TEST_F(SmiliesBar, AFrameChangeRepaintsOnlyItsCell) {
    LoadSmileys(2);
    auto bar = MakeBar(200);
    bar->Fill();
    bar->RedrawNow(UI::CYolWMUI_WndBase::EPaintFull);
    HDC dc = GetDC(*bar);
    const POINT at{bar->Entry(0).x + 5, bar->Entry(0).y + 5};
    EXPECT_EQ(GetPixel(dc, at.x, at.y), RGB(0xC0, 0, 0));
    Run(250);
    UpdateWindow(*bar);
    EXPECT_EQ(GetPixel(dc, at.x, at.y), RGB(0xC0, 0x80, 0));
    ReleaseDC(*bar, dc);
}

class Toolbar : public mw_test::MessageWindowTest {};

TEST_F(Toolbar, TheBandHoldsTheBarAndTheShownButtons) {
    struct Case {
        bool smiles;
        bool send;
        int barWidth;
        int smilesX;  // -1 hidden
        int sendX;
    };
    // Each shown button overlaps what lies to its left by one pixel.
    const Case cases[] = {
        {false, false, 240, -1, -1},
        {true, false, 201, 200, -1},
        {false, true, 201, -1, 200},
        {true, true, 162, 161, 200},
    };
    for (const Case& c : cases) {
        MW::TYolWMMWSettings settings;
        settings.showTBSmaily = c.smiles;
        settings.showTBSend = c.send;
        Picks picks;
        std::unique_ptr<CYolWMMW_Toolbar> toolbar(
            CYolWMMW_Toolbar::Create(app, RECT{0, 295, 240, 320}, &settings, &picks));
        ASSERT_NE(toolbar, nullptr);
        RECT bar;
        GetWindowRect(*toolbar->SmiliesBar(), &bar);
        EXPECT_EQ(bar.right - bar.left, c.barWidth) << c.smiles << c.send;
        struct Button {
            UI::CYolWMUI_Button* control;
            int x;
        };
        for (const Button& b : {Button{toolbar->SmilesButton(), c.smilesX}, Button{toolbar->SendButton(), c.sendX}}) {
            EXPECT_EQ(IsWindowVisible(*b.control), b.x >= 0) << c.smiles << c.send;
            RECT at;
            GetWindowRect(*b.control, &at);
            if (b.x >= 0) {
                EXPECT_EQ(at.left, b.x) << c.smiles << c.send;
                EXPECT_EQ(at.right - at.left, 40);
            }
        }
        SendMessage(*toolbar, WM_COMMAND, UI::CYolWMUI_Button::kPressCode,
                    reinterpret_cast<LPARAM>(static_cast<HWND>(*toolbar->SmilesButton())));
        SendMessage(*toolbar, WM_COMMAND, UI::CYolWMUI_Button::kPressCode,
                    reinterpret_cast<LPARAM>(static_cast<HWND>(*toolbar->SendButton())));
        EXPECT_EQ(picks.smilesButton, 1);
        EXPECT_EQ(picks.sendButton, 1);
    }
}

TEST_F(Toolbar, APickInTheBarReachesTheObserver) {
    LoadSmileys(3);
    MW::TYolWMMWSettings settings;
    Picks picks;
    std::unique_ptr<CYolWMMW_Toolbar> toolbar(CYolWMMW_Toolbar::Create(app, RECT{0, 295, 240, 320}, &settings, &picks));
    toolbar->SmiliesBar()->Fill();
    toolbar->SmiliesBar()->OnLButtonDown(0, POINT{5, 5});
    EXPECT_EQ(picks.smiles, (std::vector<int>{0}));
}

} // namespace
