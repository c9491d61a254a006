// The status bar under the contact list: which accounts fit, where cells and
// arrows are drawn, taps and digits, and the positions menus open at. The
// screen is 96 dpi: cells are 24 wide, groups end in gaps of 6, and the bar
// is 26 high, so icons sit 5 pixels in from their cell's left edge.

#include "MenuTestSupport.h"

#include "CYolWMCL_StatusBar.h"
#include "Shell/ShellScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace menu_test;
using UI_CL::CYolWMCL_StatusBar;

namespace {

constexpr int kTop = 600;

class RecordingObserver : public UI_CL::MYolWMCL_StatusBarObserver {
public:
    void OnAccountIconTap(unsigned int accountId, int index) override { taps.emplace_back(accountId, index); }
    std::vector<std::pair<unsigned int, int>> taps;
};

CYolWMCL_StatusBar::TCell Images(unsigned int id) {
    CYolWMCL_StatusBar::TCell cell;
    cell.Add(id);
    return cell;
}

class StatusBar : public ui_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Platform::SetScreen(480, 640, 96, 96);
        UI::SetShellSkin(&skin);
        parent = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 640});
    }
    void TearDown() override {
        bar.reset();
        UI::SetShellSkin(nullptr);
        WindowTest::TearDown();
    }

    // Global cells show images 100 + n; account j (id 1000 + j) shows image
    // 200 + j in each of its cells.
    CYolWMCL_StatusBar& Fill(int width, int globals, const std::vector<int>& accounts) {
        bar = std::make_unique<CYolWMCL_StatusBar>(&observer);
        EXPECT_EQ(bar->Create(parent, RECT{0, kTop, width, kTop + 26}), 1);
        for (int i = 0; i < globals; ++i)
            bar->AddGlobalIcon(Images(100 + i));
        for (std::size_t j = 0; j < accounts.size(); ++j) {
            bar->AddAccount(1000 + static_cast<unsigned int>(j));
            for (int k = 0; k < accounts[j]; ++k)
                bar->AddAccountIcon(1000 + static_cast<unsigned int>(j), Images(200 + static_cast<unsigned int>(j)));
        }
        return *bar;
    }

    void Tap(int x) {
        Platform::InjectTap(POINT{x, kTop + 10});
        Platform::PumpMessages();
    }

    // What the last paint drew: image id, left edge and alpha of each image.
    std::vector<std::string> Drawn() {
        skin.drawn.clear();
        bar->RedrawNow(0);
        std::vector<std::string> out;
        for (const SolidSkin::Drawn& d : skin.drawn)
            out.push_back(std::to_string(d.id) + "@" + std::to_string(d.rect.left) +
                          (d.alpha == 255 ? "" : "/" + std::to_string(d.alpha)));
        return out;
    }

    SolidSkin skin;
    RecordingObserver observer;
    ui_test::Recorder rec;
    HWND parent = nullptr;
    std::unique_ptr<CYolWMCL_StatusBar> bar;
};

TEST_F(StatusBar, RelayoutScrollsOnlyWhenTheAccountsDoNotFitOrOverflowTheNumbers) {
    struct Row {
        const char* name;
        int width;
        int globals;
        std::vector<int> accounts;
        int scrollLimit;
    };
    const Row rows[] = {
        {"no accounts", 480, 3, {}, 0},
        {"everything fits", 480, 2, {2, 2}, 0},
        {"ten cells still fit", 480, 2, {1, 1, 1, 1, 1, 1, 1, 1}, 0},
        // Eleven cells: counting from the last account, the ninth is account 2's.
        {"eleven cells on a wide bar", 480, 3, {1, 1, 1, 1, 1, 1, 1, 1}, 3},
        {"one account of many cells", 480, 0, {6, 6}, 1},
        // Too narrow: between the arrows only accounts 3 and 4 fit.
        {"narrow bar", 240, 1, {3, 3, 3, 3, 3}, 3},
        {"narrower than one account", 60, 1, {3}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fill(row.width, row.globals, row.accounts);
        EXPECT_EQ(bar->ScrollLimit(), row.scrollLimit);
        EXPECT_EQ(bar->FirstVisible(), 0);
    }
}

TEST_F(StatusBar, PaintsTheCellsBetweenArrowsAndDimsTheArrowThatCannotMove) {
    Fill(480, 3, {1, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"100@5", "101@29", "102@53", "52@83/64", "200@107", "201@137",
                                                 "202@167", "203@197", "204@227", "51@461"}));
    for (int i = 0; i < 4; ++i)
        bar->OnStatusBarTap(9);
    EXPECT_EQ(bar->FirstVisible(), 3);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"100@5", "101@29", "102@53", "52@83", "203@107", "204@137",
                                                 "205@167", "206@197", "207@227", "51@461/64"}));

    Fill(480, 2, {2, 1});
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"100@5", "101@29", "200@59", "200@83", "201@113"}));
}

TEST_F(StatusBar, APressedCellIsFramedUntilThePenComesUp) {
    Fill(480, 1, {1});
    const int frameX = 30 + 1;  // the account's cell starts at 30, its frame 1 in
    Platform::InjectPenDown(POINT{40, kTop + 10});
    Platform::PumpMessages();
    EXPECT_EQ(bar->PressedCell(), 1);
    bar->RedrawNow(0);
    HDC dc = GetDC(*bar);
    EXPECT_EQ(GetPixel(dc, frameX, 12), RGB(0, 0, 0));
    ReleaseDC(*bar, dc);
    Platform::InjectPenUp(POINT{40, kTop + 10});
    Platform::PumpMessages();
    EXPECT_EQ(bar->PressedCell(), -1);
    bar->RedrawNow(0);
    dc = GetDC(*bar);
    EXPECT_NE(GetPixel(dc, frameX, 12), RGB(0, 0, 0));
    ReleaseDC(*bar, dc);
}

TEST_F(StatusBar, TapsReportCellsAndMoveTheArrows) {
    // Three global cells and eight accounts: arrows at 78 and 456.
    struct Case {
        const char* name;
        std::vector<int> taps;
        std::vector<std::pair<unsigned int, int>> reported;
        int firstVisible;
    };
    const Case cases[] = {
        {"a global cell", {30}, {{0, 1}}, 0},
        {"an account cell", {110}, {{1000, 0}}, 0},
        {"the dim left arrow changes nothing", {80}, {}, 0},
        {"the right arrow scrolls by one account", {460, 110}, {{1001, 0}}, 1},
        {"not past the scroll limit", {460, 460, 460, 460, 460}, {}, 3},
        {"and back", {460, 460, 80}, {}, 1},
        // Cells numbered past 8, and the room after the last one, are the
        // right arrow.
        {"an account cell numbered past 8", {300}, {}, 1},
        {"right of the last cell", {400}, {}, 1},
        {"a separator is no cell", {75}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(480, 3, {1, 1, 1, 1, 1, 1, 1, 1});
        observer.taps.clear();
        for (int x : c.taps)
            Tap(x);
        EXPECT_EQ(observer.taps, c.reported);
        EXPECT_EQ(bar->FirstVisible(), c.firstVisible);
    }
}

TEST_F(StatusBar, APenThatMovesAwayStillReportsTheCellItWentDownOn) {
    Fill(480, 1, {2});
    Platform::InjectPenDown(POINT{60, kTop + 10});
    Platform::InjectPenMove(POINT{300, kTop + 10});
    Platform::InjectPenUp(POINT{300, kTop + 30});
    Platform::PumpMessages();
    EXPECT_EQ(observer.taps, (std::vector<std::pair<unsigned int, int>>{{1000, 1}}));
    // Nothing numbered lies out there on a bar that does not scroll.
    Tap(300);
    EXPECT_EQ(observer.taps.size(), 1u);
}

TEST_F(StatusBar, DigitsActAsTapsOnTheNumberedCells) {
    Fill(480, 3, {1, 1, 1, 1, 1, 1, 1, 1});
    bar->OnStatusBarTap(9);
    bar->OnStatusBarTap(9);
    EXPECT_EQ(bar->FirstVisible(), 2);
    bar->OnStatusBarTap(3);  // the left arrow
    EXPECT_EQ(bar->FirstVisible(), 1);
    bar->OnStatusBarTap(4);
    bar->OnStatusBarTap(0);
    bar->OnStatusBarTap(12);  // no such cell
    bar->OnStatusBarTap(-1);
    EXPECT_EQ(observer.taps, (std::vector<std::pair<unsigned int, int>>{{1001, 0}, {0, 0}}));
}

TEST_F(StatusBar, IconPositionsCountEveryAccountFromTheFirst) {
    struct Row {
        unsigned int account;
        int index;
        bool found;
        int x;
    };
    // Not scrolling: global cells at 0, 24; account 1000 from 54, 1001 from 108.
    Fill(480, 2, {2, 1});
    const Row rows[] = {{0, 1, true, 24}, {0, 2, false, 0}, {1000, 1, true, 78}, {1001, 0, true, 108},
                        {1001, 1, false, 0}, {7, 0, false, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.account * 100 + row.index);
        POINT at{-1, -1};
        ASSERT_EQ(bar->GetIconPosition(row.account, row.index, at), row.found);
        if (row.found) {
            EXPECT_EQ(at.x, row.x);
            EXPECT_EQ(at.y, kTop);
        }
    }
    // A scrolling bar puts the left arrow before the accounts, whatever is in view.
    Fill(480, 3, {1, 1, 1, 1, 1, 1, 1, 1});
    bar->OnStatusBarTap(9);
    POINT at{0, 0};
    ASSERT_TRUE(bar->GetIconPosition(1001, 0, at));
    EXPECT_EQ(at.x, 72 + 6 + 24 + 30);
}

TEST_F(StatusBar, ChangesKeepTheAccountsInOrderAndTheViewInRange) {
    Fill(480, 3, {1, 1, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(bar->ScrollLimit(), 4);
    POINT at{0, 0};
    bar->MoveAccount(1000, 9);  // one past the end: nothing
    ASSERT_TRUE(bar->GetIconPosition(1000, 0, at));
    EXPECT_EQ(at.x, 102);
    bar->MoveAccount(1008, 0);
    ASSERT_TRUE(bar->GetIconPosition(1008, 0, at));
    EXPECT_EQ(at.x, 102);

    for (int i = 0; i < 4; ++i)
        bar->OnStatusBarTap(9);
    EXPECT_EQ(bar->FirstVisible(), 4);
    bar->RemoveAccount(1001);
    EXPECT_EQ(bar->ScrollLimit(), 3);
    EXPECT_EQ(bar->FirstVisible(), 3);
    for (unsigned int id : {1000u, 1002u, 1003u, 1004u, 1005u, 1006u, 1007u, 1008u})
        bar->RemoveAccount(id);
    EXPECT_EQ(bar->ScrollLimit(), 0);
    EXPECT_EQ(bar->FirstVisible(), 0);

    EXPECT_EQ(bar->AddAccountIcon(99, Images(1)), -1);
    bar->SetAccountIcon(99, 0, Images(1));
    bar->SetGlobalIcon(5, Images(1));
    bar->RemoveAccountIcon(99, 0);
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"100@5", "101@29", "102@53"}));
}

}  // namespace
