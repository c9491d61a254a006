// The window base classes: message dispatch to the handlers, the paint-state
// machine with its off-screen full repaint, placement helpers, the child
// window class and the scroll window's bar.

#include "WindowTestSupport.h"

#include "CYolWMUI_ScrollWnd.h"
#include "CYolWMUI_WndBase.h"
#include "Drawing/Gdi.h"
#include "WindowSystem/WindowKeys.h"

#include <string>

using namespace ui_test;

namespace {

constexpr COLORREF kBackground = RGB(200, 30, 40);
constexpr COLORREF kPartial = RGB(10, 200, 10);

// Logs every handler call as text and paints only what the test asks for.
class LoggingWnd : public UI::CYolWMUI_Wnd {
public:
    LoggingWnd() : brush(CreateSolidBrush(kBackground)) {}
    ~LoggingWnd() override
    {
        if (IsWindow(Handle()))
            DestroyWindow(Handle());
        DeleteObject(brush);
    }

    std::string log;
    int paints = 0;
    int partialPaints = 0;
    HBRUSH ownCtlBrush = nullptr;

    void OnCreate() override { log += "create;"; }
    void OnCommand(unsigned short code, unsigned short id, HWND) override
    {
        log += "command " + std::to_string(code) + "/" + std::to_string(id) + ";";
    }
    void OnNotify(HWND, unsigned int id, unsigned int code, NMHDR*) override
    {
        log += "notify " + std::to_string(id) + "/" + std::to_string(code) + ";";
    }
    void OnTimer(int id, TIMERPROC) override { log += "timer " + std::to_string(id) + ";"; }
    void OnKeyDown(int key) override { log += "keydown " + std::to_string(key) + ";"; }
    void OnKeyUp(int key) override { log += "keyup " + std::to_string(key) + ";"; }
    void OnChar(char16_t c, long) override { log += "char " + std::to_string(int(c)) + ";"; }
    void OnLButtonDown(int keys, POINT p) override { log += "down " + Point(keys, p); }
    void OnLButtonUp(int keys, POINT p) override { log += "up " + Point(keys, p); }
    void OnMouseMove(int keys, POINT p) override { log += "move " + Point(keys, p); }
    void OnClose() override { log += "close;"; }
    int OnGetDlgCode() override { return 0x42; }
    HBRUSH OnCtlColor(HDC, HWND) override { return ownCtlBrush; }
    int OnMessage(unsigned int msg, WPARAM, LPARAM) override
    {
        if (msg == WM_USER + 7) {
            log += "user7;";
            return 0;
        }
        return 1;
    }
    void Paint(HDC) override { ++paints; }
    void PaintX(HDC hdc) override
    {
        ++partialPaints;
        RECT r{0, 0, 4, 4};
        HBRUSH b = CreateSolidBrush(kPartial);
        FillRect(hdc, &r, b);
        DeleteObject(b);
    }
    HBRUSH GetBkBrush() override { return brush; }
    COLORREF GetTextColor() override { return RGB(1, 2, 3); }

private:
    static std::string Point(int keys, POINT p)
    {
        return std::to_string(keys) + " " + std::to_string(p.x) + "," + std::to_string(p.y) + ";";
    }
    HBRUSH brush;
};

class UiBaseWnd : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        parent = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 300});
    }
    void Create(UI::CYolWMUI_Wnd& wnd, RECT r = RECT{10, 20, 110, 80}, unsigned long style = WS_VISIBLE)
    {
        ASSERT_EQ(wnd.Create(UI::GetYolCommonInstance(), parent, style, r), 1);
    }
    static COLORREF PixelAt(HWND hwnd, int x, int y)
    {
        HDC dc = GetDC(hwnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    }

    Recorder rec;
    HWND parent = nullptr;
};

TEST_F(UiBaseWnd, CreatesAChildOfTheLibraryClassAndRecordsItsHandle)
{
    LoggingWnd wnd;
    EXPECT_EQ(static_cast<HWND>(wnd), nullptr);
    Create(wnd, RECT{10, 20, 110, 80}, 0);
    ASSERT_TRUE(IsWindow(wnd));
    EXPECT_EQ(wnd.log, "create;");
    EXPECT_EQ(wnd.Parent(), parent);
    EXPECT_TRUE(GetWindowLong(wnd, GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(wnd.IsVisible());
    char16_t name[32];
    GetClassName(wnd, name, 32);
    EXPECT_EQ(std::u16string(name), u"YOLWNDCLASS");
    EXPECT_EQ(wnd.GetClientWidth(), 100);
    EXPECT_EQ(wnd.GetClientHeight(), 60);

    // A second window of the class in the same process.
    LoggingWnd other;
    Create(other);
    EXPECT_NE(static_cast<HWND>(other), static_cast<HWND>(wnd));
}

TEST_F(UiBaseWnd, ForgetsTheHandleWhenTheWindowGoesAndDestroysItWithTheObject)
{
    HWND kept = nullptr;
    {
        UI::CYolWMUI_Wnd wnd;
        Create(wnd);
        kept = wnd;
        ASSERT_TRUE(IsWindow(kept));
    }
    EXPECT_FALSE(IsWindow(kept));

    LoggingWnd wnd;
    Create(wnd);
    DestroyWindow(wnd);
    EXPECT_EQ(static_cast<HWND>(wnd), nullptr);
}

TEST_F(UiBaseWnd, DispatchesMessagesToTheirHandlers)
{
    LoggingWnd wnd;
    Create(wnd);
    wnd.log.clear();
    NMHDR header;
    header.hwndFrom = parent;
    header.idFrom = 12;
    header.code = 345;
    struct Case {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT answer;
        const char* logged;
    };
    const Case cases[] = {
        {WM_COMMAND, MAKEWPARAM(40002, 3), 0, 0, "command 3/40002;"},
        {WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&header), 0, "notify 12/345;"},
        {WM_TIMER, 9, 0, 0, "timer 9;"},
        {WM_KEYDOWN, VK_DOWN, 0, 0, "keydown 40;"},
        {WM_KEYUP, VK_UP, 0, 0, "keyup 38;"},
        {WM_CHAR, 0x416, 0, 0, "char 1046;"},
        // Stylus coordinates are signed 16-bit values.
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 7), 0, "down 1 -3,7;"},
        {WM_LBUTTONUP, 0, MAKELPARAM(5, -2), 0, "up 0 5,-2;"},
        {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 9), 0, "move 1 8,9;"},
        {WM_CLOSE, 0, 0, 0, "close;"},
        {WM_GETDLGCODE, 0, 0, 0x42, ""},
        {WM_USER + 7, 0, 0, 0, "user7;"},
    };
    for (const Case& c : cases) {
        wnd.log.clear();
        EXPECT_EQ(SendMessage(wnd, c.msg, c.wParam, c.lParam), c.answer) << c.logged;
        EXPECT_EQ(wnd.log, c.logged);
    }
    // The close handler kept the window: the default processing never ran.
    EXPECT_TRUE(IsWindow(wnd));
}

TEST_F(UiBaseWnd, ControlColourFallsBackToTheWindowBackgroundAndTextColour)
{
    LoggingWnd wnd;
    Create(wnd);
    UI::CYolWMUI_Wnd control;
    ASSERT_EQ(control.Create(UI::GetYolCommonInstance(), wnd, WS_VISIBLE, RECT{5, 6, 25, 26}), 1);
    HDC dc = GetDC(control);
    const LRESULT brush = SendMessage(wnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(static_cast<HWND>(control)));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(wnd.GetBkBrush()));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    POINT origin;
    GetBrushOrgEx(dc, &origin);
    POINT screen{0, 0};
    ClientToScreen(control, &screen);
    EXPECT_EQ(origin.x, -screen.x);
    EXPECT_EQ(origin.y, -screen.y);

    wnd.ownCtlBrush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(SendMessage(wnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(static_cast<HWND>(control))),
              reinterpret_cast<LRESULT>(wnd.ownCtlBrush));
    ReleaseDC(control, dc);
}

TEST_F(UiBaseWnd, FullRepaintFillsTheBackgroundEvenWhenPaintDrawsNothing)
{
    LoggingWnd wnd;
    Create(wnd);
    Platform::PumpMessages();
    EXPECT_EQ(wnd.paints, 1);
    EXPECT_EQ(wnd.PaintState(), -1);
    EXPECT_EQ(PixelAt(wnd, 0, 0), kBackground);
    EXPECT_EQ(PixelAt(wnd, 99, 59), kBackground);
}

TEST_F(UiBaseWnd, PartialRepaintDrawsStraightOntoTheWindow)
{
    LoggingWnd wnd;
    Create(wnd);
    Platform::PumpMessages();
    wnd.RedrawNow(1);
    EXPECT_EQ(wnd.partialPaints, 1);
    EXPECT_EQ(wnd.paints, 1);
    EXPECT_EQ(wnd.PaintState(), -1);
    // PaintX's square on top of the background that stayed.
    EXPECT_EQ(PixelAt(wnd, 1, 1), kPartial);
    EXPECT_EQ(PixelAt(wnd, 50, 30), kBackground);
}

TEST_F(UiBaseWnd, PendingFullRepaintWinsOverPartial)
{
    LoggingWnd wnd;
    Create(wnd);
    Platform::PumpMessages();

    wnd.Redraw(0);
    wnd.Redraw(1);
    EXPECT_EQ(wnd.PaintState(), 0);
    Platform::PumpMessages();
    EXPECT_EQ(wnd.paints, 2);
    EXPECT_EQ(wnd.partialPaints, 0);

    // A size change asks for a full repaint; a partial request after it
    // does not replace that.
    wnd.Resize(80, 50);
    wnd.Redraw(1);
    EXPECT_EQ(wnd.PaintState(), 0);
    Platform::PumpMessages();
    EXPECT_EQ(wnd.paints, 3);
    EXPECT_EQ(wnd.partialPaints, 0);

    // The erase-background message also means a full repaint.
    wnd.Redraw(1);
    EXPECT_EQ(SendMessage(wnd, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(wnd.PaintState(), 0);
}

TEST_F(UiBaseWnd, PlacementHelpersMoveSizeShowAndRaise)
{
    LoggingWnd a;
    LoggingWnd b;
    Create(a);
    Create(b);
    RECT r;

    a.Move(30, 40);
    GetWindowRect(a, &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(parent, &topLeft);
    EXPECT_EQ(topLeft.x, 30);
    EXPECT_EQ(topLeft.y, 40);
    EXPECT_EQ(a.GetClientWidth(), 100);

    a.Resize(70, 20);
    EXPECT_EQ(a.GetClientWidth(), 70);
    EXPECT_EQ(a.GetClientHeight(), 20);

    a.MoveAndResize(RECT{1, 2, 51, 32});
    GetWindowRect(a, &r);
    topLeft = POINT{r.left, r.top};
    ScreenToClient(parent, &topLeft);
    EXPECT_EQ(topLeft.x, 1);
    EXPECT_EQ(topLeft.y, 2);
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_EQ(r.bottom - r.top, 30);

    const HWND top = GetWindow(a, GW_HWNDFIRST);
    a.Show(0);
    EXPECT_FALSE(a.IsVisible());
    EXPECT_EQ(GetWindow(a, GW_HWNDFIRST), top);
    a.Show(1);
    EXPECT_TRUE(a.IsVisible());
    EXPECT_EQ(GetWindow(a, GW_HWNDFIRST), static_cast<HWND>(a));
    b.Show(0);
    b.UpInZOrder();
    EXPECT_TRUE(b.IsVisible());
    EXPECT_EQ(GetWindow(a, GW_HWNDFIRST), static_cast<HWND>(b));
}

class CountingScrollWnd : public UI::CYolWMUI_ScrollWnd {
public:
    using UI::CYolWMUI_ScrollWnd::CYolWMUI_ScrollWnd;
    int scrolls = 0;
    void OnScroll() override { ++scrolls; }
};

TEST_F(UiBaseWnd, ScrollWindowStepsScaleToTheScreen)
{
    EXPECT_EQ(UI::CYolWMUI_ScrollWnd().GetScrollTic(), 20);
    Platform::SetScreen(240, 320, 96, 96);
    EXPECT_EQ(UI::CYolWMUI_ScrollWnd().GetScrollTic(), 10);
    Platform::SetScreen(480, 640, 131, 131);
    EXPECT_EQ(UI::CYolWMUI_ScrollWnd().GetScrollTic(), (131 * 10 + 48) / 96);
    EXPECT_EQ(UI::CYolWMUI_ScrollWnd(7).GetScrollTic(), 7);
}

TEST_F(UiBaseWnd, ScrollWindowStartsEmptyWithItsStyles)
{
    CountingScrollWnd wnd(5);
    ASSERT_EQ(wnd.Create(UI::GetYolCommonInstance(), parent, WS_VISIBLE, RECT{0, 0, 100, 100}), 1);
    const auto style = static_cast<std::uint32_t>(GetWindowLong(wnd, GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_BORDER | WS_VSCROLL | WS_TABSTOP),
              WS_CHILD | WS_BORDER | WS_VSCROLL | WS_TABSTOP);
    int min = -1;
    int max = -1;
    wnd.GetScrollRange(&min, &max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 0);
    EXPECT_EQ(wnd.GetScrollPage(), 0);
    EXPECT_EQ(wnd.GetScrollPos(), 0);
    EXPECT_FALSE(IsScrollBarShown(wnd));

    wnd.SetScrollInfo(0, 299, 100, 50);
    EXPECT_TRUE(IsScrollBarShown(wnd));
    EXPECT_EQ(wnd.GetClientWidth(), 98 - GetSystemMetrics(SM_CXVSCROLL));
    wnd.SetScrollInfo(0, 99, 100);
    EXPECT_EQ(wnd.GetScrollPos(), 0) << "the position stays within the new range";
    EXPECT_FALSE(IsScrollBarShown(wnd));
}

TEST_F(UiBaseWnd, ScrollBarMessagesMoveThePosition)
{
    CountingScrollWnd wnd(5);
    ASSERT_EQ(wnd.Create(UI::GetYolCommonInstance(), parent, WS_VISIBLE, RECT{0, 0, 100, 100}), 1);
    wnd.SetScrollInfo(0, 299, 100, 50);
    struct Case {
        unsigned code;
        unsigned track;
        int from;
        int expected;
    };
    // The last position is max - page + 1 = 200.
    const Case cases[] = {
        {SB_LINEDOWN, 0, 50, 55},       {SB_LINEUP, 0, 50, 45},      {SB_LINEUP, 0, 2, 0},
        {SB_PAGEDOWN, 0, 50, 150},      {SB_PAGEDOWN, 0, 150, 200},  {SB_PAGEUP, 0, 150, 50},
        {SB_THUMBTRACK, 123, 0, 123},   {SB_THUMBPOSITION, 77, 0, 77}, {SB_TOP, 0, 80, 0},
        {SB_BOTTOM, 0, 80, 200},        {SB_ENDSCROLL, 0, 80, 80},
    };
    for (const Case& c : cases) {
        wnd.SetScrollInfo(0, 299, 100, c.from);
        const int before = wnd.scrolls;
        SendMessage(wnd, WM_VSCROLL, MAKEWPARAM(c.code, c.track), 0);
        EXPECT_EQ(wnd.GetScrollPos(), c.expected) << "code " << c.code << " from " << c.from;
        EXPECT_EQ(wnd.scrolls, before + 1);
        EXPECT_EQ(wnd.PaintState(), 0);
    }
}

} // namespace

namespace {

TEST_F(UiBaseWnd, ScrollWindowKeepsItsStateInTheWindowsScrollBar)
{
    CountingScrollWnd wnd(5);
    ASSERT_EQ(wnd.Create(UI::GetYolCommonInstance(), parent, WS_VISIBLE, RECT{0, 0, 100, 100}), 1);
    wnd.SetScrollInfo(0, 299, 100, 50);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(wnd, SB_VERT, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 299);
    EXPECT_EQ(si.nPage, 100u);
    EXPECT_EQ(si.nPos, 50);

    // Whoever moves the bar moves the window's position.
    SetScrollPos(wnd, SB_VERT, 500, true);
    EXPECT_EQ(wnd.GetScrollPos(), 200) << "clamped by the bar";

    // A tap on the bar's down arrow scrolls by one step.
    wnd.SetScrollInfo(0, 299, 100, 50);
    wnd.scrolls = 0;
    RECT r;
    GetWindowRect(wnd, &r);
    Platform::InjectTap(POINT{r.right - 1 - GetSystemMetrics(SM_CXVSCROLL) / 2, r.bottom - 3});
    Platform::PumpMessages();
    EXPECT_EQ(wnd.GetScrollPos(), 55);
    EXPECT_GE(wnd.scrolls, 1);
}

TEST_F(UiBaseWnd, ScrollWindowWithoutAWindowHasNoBar)
{
    CountingScrollWnd wnd(5);
    wnd.SetScrollInfo(0, 299, 100, 50);
    EXPECT_EQ(wnd.GetScrollMaxRange(), 0);
    EXPECT_EQ(wnd.GetScrollPos(), 0);
}

} // namespace
