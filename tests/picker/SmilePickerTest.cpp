// The smiley picker run for real on the headless screen at 96 dpi (logical
// and device pixels alike, so a cell is at least 30 x 30 and the stylus
// slop is 20): opening on a set that is not loaded, keys and stylus,
// what the grid draws for cells and the selection, the animation on the
// manual clock, and the grid on narrow and wide screens.

#include "GifTestSupport.h"
#include "MenuTestSupport.h"
#include "TestSupport.h"

#include "CYolWMMW_SelectSmileDlg.h"
#include "CYolWMSmile_Anim.h"
#include "CYolWMSmile_Set.h"
#include "SkinColors.h"

#include "CYolPath.h"
#include "Shell/ShellMenuBar.h"
#include "WindowSystem/WindowFocus.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace {

using MW::CYolWMMW_SelectSmileDlg;
using MW::CYolWMMW_SmileListCtrl;

constexpr COLORREF kBackground = RGB(1, 2, 3);

// Palette colour i of every test smiley: frame 0 shows 0xRR0000 + index,
// frame 1 the same with green 0x80.
using gif_test::FaceColour;

COLORREF AsColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

using gif_test::Face;

class RecordingHost : public MW::MYolWMMW_SelectSmileHost {
public:
    bool UiString(int id, CYolString& text) override {
        if (id != CYolWMMW_SelectSmileDlg::kSelectText)
            return false;
        text = u"Pick";
        return true;
    }
    void ShowWarning(const CYolString& text) override { warnings.push_back(text.ToUtf8()); }
    std::vector<std::string> warnings;
};

class SmilePicker : public ui_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Platform::SetScreen(240, 320, 96, 96);
        CYolPath::SetAppDir(CYolString::FromUtf8(temp.Root()));
        skin.background = CreateSolidBrush(kBackground);
        UI::SetShellSkin(&skin);
        CYolWMMW_SelectSmileDlg::SetHost(&host);
        app = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 240, 320});
        Smile::CYolWMSmile_Anim::SetHostWindow(app);
        CYolWMMW_SmileListCtrl::SetSelected(0);
    }
    void TearDown() override {
        CYolWMMW_SelectSmileDlg::SetHost(nullptr);
        Smile::CYolWMSmile_Anim::SetHostWindow(nullptr);
        Smile::CYolWMSmile_Set::SetCurrent(nullptr);
        set.reset();
        UI::SetShellSkin(nullptr);
        DeleteObject(skin.background);
        CYolPath::SetAppDir(CYolString());
        WindowTest::TearDown();
    }
    // n smileys of 20 x 20, or of the sizes given, loaded and current.
    void Load(int n, const std::string& pack = "p") {
        Load(std::vector<SIZE>(static_cast<std::size_t>(n), SIZE{20, 20}), pack);
    }
    void Load(const std::vector<SIZE>& sizes, const std::string& pack = "p") {
        std::string define;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%03zu.gif", i);
            temp.Put("Smilies/" + pack + "/" + name, Face(static_cast<int>(i), sizes[i].cx, sizes[i].cy));
            define += ":" + std::to_string(i) + "\r\n";
        }
        temp.Put("Smilies/" + pack + "/_define.ini", define);
        set = std::make_unique<Smile::CYolWMSmile_Set>(CYolString::FromUtf8(pack.c_str()), nullptr);
        ASSERT_TRUE(set->WaitForLoader(CYolEvent::Infinite));
        ASSERT_EQ(set->Count(), static_cast<int>(sizes.size()));
        Smile::CYolWMSmile_Set::SetCurrent(set.get());
    }

    // The grid of the picker that runs: it has the focus.
    template <typename T>
    static T* ObjectOf(HWND hwnd) {
        return dynamic_cast<T*>(reinterpret_cast<UI::CYolWMUI_WndBase*>(GetWindowLong(hwnd, GWL_USERDATA)));
    }
    static CYolWMMW_SmileListCtrl* Grid() { return ObjectOf<CYolWMMW_SmileListCtrl>(GetFocus()); }
    static HWND SoftKeys() { return ObjectOf<CYolWMMW_SelectSmileDlg>(GetParent(GetFocus()))->Menu(); }
    static RECT CellOnClient(int i) {
        const CYolWMMW_SmileListCtrl::TCell& c = Grid()->Cell(i);
        const int pos = Grid()->GetScrollPos();
        return RECT{c.left, c.top - pos, c.right, c.bottom - pos};
    }
    static POINT CellCentreOnScreen(int i) {
        const RECT r = CellOnClient(i);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(*Grid(), &p);
        return p;
    }
    static COLORREF GridPixel(int x, int y) {
        HWND grid = *Grid();
        UpdateWindow(grid);
        HDC dc = GetDC(grid);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(grid, dc);
        return c;
    }
    // Moves the clock in small steps, letting due timers fire at each.
    void Run(std::uint64_t ms) {
        for (std::uint64_t t = 0; t < ms; t += 10) {
            clock.Advance(10);
            Platform::PumpMessages();
        }
    }

    TempFolder temp;
    std::unique_ptr<Smile::CYolWMSmile_Set> set;
    ui_test::Recorder rec;
    HWND app = nullptr;
    menu_test::SolidSkin skin;
    menu_test::Script script;
    RecordingHost host;
};

TEST_F(SmilePicker, ASetThatIsNotLoadedWarnsAndChoosesNothing) {
    const std::string warning = "Smilies are turn off or not loaded yet";
    // No set at all, smileys switched off, a pack that failed.
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), -1);
    Smile::CYolWMSmile_Set off;
    Smile::CYolWMSmile_Set::SetCurrent(&off);
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), -1);
    Smile::CYolWMSmile_Set failed(CYolString(u"missing"), nullptr);
    ASSERT_TRUE(failed.WaitForLoader(CYolEvent::Infinite));
    Smile::CYolWMSmile_Set::SetCurrent(&failed);
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), -1);
    EXPECT_EQ(host.warnings, (std::vector<std::string>(3, warning)));

    // Still loading: the loader waits for the definition file that the test
    // holds locked, for as long as the manual clock stands still.
    temp.Put("Smilies/slow/a.gif", Face(0, 20, 20));
    const std::string define = temp.Put("Smilies/slow/_define.ini", std::string(":a\r\n"));
    const int locked = open(define.c_str(), O_RDONLY);
    ASSERT_GE(locked, 0);
    ASSERT_EQ(flock(locked, LOCK_EX), 0);
    Smile::CYolWMSmile_Set loading(CYolString(u"slow"), nullptr);
    Smile::CYolWMSmile_Set::SetCurrent(&loading);
    ASSERT_TRUE(loading.IsLoading());
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), -1);
    EXPECT_EQ(host.warnings.size(), 4u);
    // A grid made meanwhile has no cells and takes keys without harm.
    CYolWMMW_SmileListCtrl grid(false, nullptr);
    ASSERT_NE(grid.Create(nullptr, app, WS_VISIBLE, RECT{0, 0, 200, 200}), 0);
    EXPECT_EQ(grid.CellCount(), 0);
    for (unsigned key : {VK_DOWN, VK_UP, VK_RIGHT, VK_LEFT, VK_RETURN})
        grid.OnKeyDown(static_cast<int>(key));
    grid.RedrawNow(UI::CYolWMUI_WndBase::EPaintFull);
    close(locked);
    ASSERT_TRUE(loading.WaitForLoader(CYolEvent::Infinite));
    // Loaded now: the picker opens.
    Platform::InjectKey(VK_RETURN);
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), 0);
    EXPECT_EQ(host.warnings.size(), 4u);
    Smile::CYolWMSmile_Set::SetCurrent(nullptr);
}

TEST_F(SmilePicker, KeysMoveTheSelectionAndChoose) {
    // 240 wide: seven columns of 30; cells 0-6 and 7-9.
    Load(10);
    struct Case {
        const char* name;
        std::vector<unsigned> keys;
        int chosen;
    };
    const Case cases[] = {
        {"enter takes the first", {VK_RETURN}, 0},
        {"right twice", {VK_RIGHT, VK_RIGHT, VK_RETURN}, 2},
        {"left stops at the first", {VK_LEFT, VK_RETURN}, 0},
        {"down goes to the cell below", {VK_RIGHT, VK_DOWN, VK_RETURN}, 8},
        {"down past a short row takes its nearest", {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN,
                                                      VK_RETURN},
         9},
        {"down with no row below takes the last", {VK_DOWN, VK_DOWN, VK_RETURN}, 9},
        {"right stops at the last", {VK_DOWN, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN}, 9},
        {"up goes to the cell above", {VK_DOWN, VK_RIGHT, VK_UP, VK_RETURN}, 1},
        {"up in the first row takes the first", {VK_RIGHT, VK_RIGHT, VK_UP, VK_RETURN}, 0},
        {"the left soft key takes the selected", {VK_RIGHT, VK_F1}, 1},
        {"the right soft key backs out", {VK_RIGHT, VK_F2}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CYolWMMW_SmileListCtrl::SetSelected(0);
        Platform::ResetInput();
        for (unsigned key : c.keys)
            Platform::InjectKey(key);
        EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), c.chosen);
    }
}

TEST_F(SmilePicker, SoftKeysReadTheLanguageInForce) {
    Load(1);
    std::u16string left, right;
    script.Then([&] {
        HWND bar = SoftKeys();
        left = Platform::MenuBarButtonText(bar, 0);
        right = Platform::MenuBarButtonText(bar, 1);
    });
    Platform::InjectKey(VK_F2);
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), -1);
    EXPECT_EQ(left, u"Pick");
    EXPECT_EQ(right, u"Cancel");
}

TEST_F(SmilePicker, ReopeningShowsTheLastChoiceSelectedAndInView) {
    // 7 columns, 40 rows of 30: far more than the screen holds.
    Load(280);
    for (int i = 0; i < 30; ++i)
        Platform::InjectKey(VK_DOWN);
    Platform::InjectKey(VK_RIGHT);
    Platform::InjectKey(VK_RETURN);
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), 211);

    RECT selected{};
    int height = 0;
    script.Then([&] {
        selected = CellOnClient(CYolWMMW_SmileListCtrl::Selected());
        height = Grid()->GetClientHeight();
    });
    Platform::InjectKey(VK_F2);
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), -1);
    EXPECT_GE(selected.top, 0);
    EXPECT_LE(selected.bottom, height);
    EXPECT_EQ(CYolWMMW_SmileListCtrl::Selected(), 211);

    // A set that shrank below the kept index starts at the first again.
    set.reset();
    Smile::CYolWMSmile_Set::SetCurrent(nullptr);
    Load(3, "q");
    Platform::InjectKey(VK_RETURN);
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), 0);
}

TEST_F(SmilePicker, ATapChoosesAndASwipeBacksOut) {
    Load(280);
    // Where cells 3 and 9 show on the screen, found on a first opening.
    POINT three{}, nine{};
    script.Then([&] {
        three = CellCentreOnScreen(3);
        nine = CellCentreOnScreen(9);
    });
    Platform::InjectKey(VK_F2);
    ASSERT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), -1);

    Platform::InjectTap(nine);
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), 9);

    // A short horizontal swipe over a cell backs out and keeps the selection.
    const POINT p = three;
    Platform::InjectPenDown(p);
    Platform::InjectPenMove(POINT{p.x + 12, p.y});
    Platform::InjectPenUp(POINT{p.x + 25, p.y + 5});
    EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, false), -1);
    EXPECT_EQ(CYolWMMW_SmileListCtrl::Selected(), 9);
}

// The grid on its own in the application window, as the picker holds it.
class SmileGrid : public SmilePicker, public CYolWMMW_SmileListCtrl::MObserver {
protected:
    void OnCellChosen(CYolWMMW_SmileListCtrl*, int index) override { chosen.push_back(index); }
    void MakeGrid(bool compact = false) {
        grid = std::make_unique<CYolWMMW_SmileListCtrl>(compact, this);
        ASSERT_NE(grid->Create(nullptr, app, WS_VISIBLE, RECT{0, 0, 240, 320}), 0);
        SetFocus(*grid);
        Platform::PumpMessages();
    }
    POINT OnScreen(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(*grid, &p);
        return p;
    }
    COLORREF Pixel(int x, int y) const {
        UpdateWindow(*grid);
        HDC dc = GetDC(*grid);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(*grid, dc);
        return c;
    }
    std::unique_ptr<CYolWMMW_SmileListCtrl> grid;
    std::vector<int> chosen;
};

TEST_F(SmileGrid, DraggingScrollsWithTheStylusAndChoosesNothing) {
    Load(280);
    MakeGrid();
    ASSERT_EQ(grid->GetScrollPos(), 0);
    Platform::InjectPenDown(OnScreen(100, 200));
    Platform::InjectPenMove(OnScreen(100, 185));
    Platform::PumpMessages();
    // Less than 20 pixels: still a tap.
    EXPECT_EQ(grid->Stylus(), CYolWMMW_SmileListCtrl::EStylusTap);
    EXPECT_EQ(grid->GetScrollPos(), 0);
    Platform::InjectPenMove(OnScreen(100, 175));
    Platform::InjectPenMove(OnScreen(100, 100));
    Platform::PumpMessages();
    EXPECT_EQ(grid->Stylus(), CYolWMMW_SmileListCtrl::EStylusDrag);
    EXPECT_EQ(grid->GetScrollPos(), 100);
    Platform::InjectPenUp(OnScreen(100, 100));
    Platform::PumpMessages();
    EXPECT_EQ(grid->Stylus(), CYolWMMW_SmileListCtrl::EStylusNone);
    EXPECT_EQ(GetCapture(), nullptr);
    // Dragging down never goes above the top.
    Platform::InjectPenDown(OnScreen(100, 20));
    Platform::InjectPenMove(OnScreen(100, 300));
    Platform::InjectPenUp(OnScreen(100, 300));
    Platform::PumpMessages();
    EXPECT_EQ(grid->GetScrollPos(), 0);
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(CYolWMMW_SmileListCtrl::Selected(), 0);
    // A tap on a scrolled grid takes the cell under it, scroll included; a
    // tap beside every cell does nothing.
    grid->SetScrollPos(95);
    Platform::InjectTap(OnScreen(45, 10));
    Platform::InjectTap(OnScreen(215, 10));
    Platform::PumpMessages();
    EXPECT_EQ(chosen, std::vector<int>{22});
    EXPECT_EQ(CYolWMMW_SmileListCtrl::Selected(), 22);
}

TEST_F(SmileGrid, CellsShowTheirSmileyAndTheSelectionAndAnimate) {
    Load(3);
    CYolWMMW_SmileListCtrl::SetSelected(1);
    MakeGrid();
    const COLORREF selection = Skins::GetSkinColor(Skins::SKIN_CLR_MW_SELECTION);
    const auto sample = [&] {
        std::vector<COLORREF> seen;
        for (int i = 0; i < 3; ++i) {
            const auto& c = grid->Cell(i);
            // A corner of the cell (outside the centred 20 x 20 face) and its centre.
            seen.push_back(Pixel(c.left + 1, c.top + 1));
            seen.push_back(Pixel((c.left + c.right) / 2, (c.top + c.bottom) / 2));
        }
        return seen;
    };
    EXPECT_EQ(sample(), (std::vector<COLORREF>{kBackground, AsColorRef(FaceColour(0, 0)), selection,
                                               AsColorRef(FaceColour(1, 0)), kBackground,
                                               AsColorRef(FaceColour(2, 0))}));
    // 200 ms on, every face changes frame and only the cells are repainted.
    Run(190);
    EXPECT_EQ(Pixel(45, 15), AsColorRef(FaceColour(1, 0)));
    clock.Advance(10);
    Platform::PumpMessages();
    EXPECT_EQ(grid->PaintState(), UI::CYolWMUI_WndBase::EPaintIdle);
    EXPECT_EQ(sample(), (std::vector<COLORREF>{kBackground, AsColorRef(FaceColour(0, 1)), selection,
                                               AsColorRef(FaceColour(1, 1)), kBackground,
                                               AsColorRef(FaceColour(2, 1))}));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(grid->Cell(i).dirty);
    // The pictures go with the grid, and with them the driver.
    grid.reset();
    EXPECT_EQ(Smile::CYolWMSmile_Anim::Driver(), nullptr);
}

TEST_F(SmilePicker, TheGridFitsNarrowAndWideScreens) {
    Load(std::vector<SIZE>{{20, 20}, {50, 20}, {20, 40}, {20, 20}, {20, 20}, {20, 20}, {20, 20}, {20, 20}});
    struct Case {
        const char* name;
        int width;
        bool compact;
        int firstOfSecondRow;
        SIZE cell0;
    };
    const Case cases[] = {
        {"narrow uniform: the widest and tallest set every cell", 240, false, 4, SIZE{50, 40}},
        {"wide uniform: all in one row", 480, false, -1, SIZE{50, 40}},
        {"narrow compact: cells as wide as their smiley", 240, true, 7, SIZE{30, 40}},
        {"narrow screen, too narrow for one uniform cell", 40, false, 1, SIZE{50, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Platform::SetScreen(c.width, 320, 96, 96);
        int firstOfSecondRow = -1;
        SIZE cell0{};
        script.Then([&] {
            CYolWMMW_SmileListCtrl* grid = Grid();
            const auto& first = grid->Cell(0);
            cell0 = SIZE{first.right - first.left, first.bottom - first.top};
            for (int i = 1; i < grid->CellCount() && firstOfSecondRow < 0; ++i)
                if (grid->Cell(i).top != first.top)
                    firstOfSecondRow = i;
            for (int i = 0; i < grid->CellCount(); ++i)
                EXPECT_LE(grid->Cell(i).right, std::max(grid->GetClientWidth(), first.right)) << i;
        });
        Platform::InjectKey(VK_F2);
        EXPECT_EQ(CYolWMMW_SelectSmileDlg::Run(app, c.compact), -1);
        EXPECT_EQ(firstOfSecondRow, c.firstOfSecondRow);
        EXPECT_EQ(cell0.cx, c.cell0.cx);
        EXPECT_EQ(cell0.cy, c.cell0.cy);
    }
}

} // namespace
