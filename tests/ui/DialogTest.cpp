// Dialogs from templates: layout in dialog units, the modal loop, ending,
// keyboard navigation and a screenshot of a laid-out dialog.

#include "WindowTestSupport.h"

#include "WindowSystem/Dialog.h"
#include "Drawing/Gdi.h"
#include "TestSupport.h"
#include "WindowSystem/WindowKeys.h"

using namespace ui_test;

namespace {

Platform::Module g_module{"dialog-test"};

// Two small controls of the test's own, made by class name from templates.
LRESULT TestStaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFONT:
        SetWindowLong(hwnd, GWL_USERDATA, static_cast<LONG_PTR>(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HWND parent = GetParent(hwnd);
        HBRUSH brush = reinterpret_cast<HBRUSH>(
            SendMessage(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
        FillRect(hdc, &client, brush);
        HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HFONT>(GetWindowLong(hwnd, GWL_USERDATA)));
        char16_t text[64];
        const int n = GetWindowText(hwnd, text, 64);
        SetBkMode(hdc, TRANSPARENT);
        DrawText(hdc, text, n, &client, DT_LEFT | DT_NOPREFIX);
        SelectObject(hdc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

// Remembers the keys it got; with GWL_ID 99 it keeps every key for itself.
std::vector<WPARAM> g_fieldKeys;
LRESULT TestFieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_GETDLGCODE:
        return GetDlgCtrlID(hwnd) == 99 ? DLGC_WANTALLKEYS : DLGC_WANTCHARS;
    case WM_KEYDOWN:
        g_fieldKeys.push_back(wParam);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(hdc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FrameRect(hdc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

class Dialogs : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (auto [name, proc] : {std::pair{u"UiTestStatic", &TestStaticProc}, std::pair{u"UiTestField", &TestFieldProc}}) {
            WNDCLASS wc;
            wc.lpfnWndProc = proc;
            wc.lpszClassName = name;
            RegisterClass(&wc);
        }
        g_fieldKeys.clear();

        // A form: a label, two fields and a disabled third, in dialog units.
        DialogTemplate form;
        form.style = WS_POPUP | WS_VISIBLE | DS_SETFONT;
        form.x = 10;
        form.y = 10;
        form.cx = 120;
        form.cy = 80;
        form.fontFace = u"MS Shell Dlg";
        form.pointSize = 8;
        form.items = {
            {u"UiTestStatic", 100, 4, 4, 60, 10, WS_VISIBLE, u"Name:"},
            {u"UiTestField", 101, 4, 16, 100, 12, WS_VISIBLE | WS_TABSTOP | WS_GROUP, u""},
            {u"UiTestField", 102, 4, 32, 100, 12, WS_VISIBLE | WS_TABSTOP, u""},
            {u"UiTestField", 103, 4, 48, 100, 12, WS_VISIBLE | WS_TABSTOP | WS_DISABLED, u""},
        };
        RegisterDialogTemplate(&g_module, 1, form);
    }

    void TearDown() override {
        UnregisterDialogTemplate(&g_module, 1);
        WindowTest::TearDown();
    }

    // Remembers what the dialog procedure saw.
    struct Seen {
        LPARAM initParam = 0;
        HWND initFocus = nullptr;
        std::vector<int> commands;
        bool ownerEnabled = true;
        HWND owner = nullptr;
        INT_PTR endOn = 0; // command that ends the dialog with its id
        bool endInInit = false;
    };

    static INT_PTR FormProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_INITDIALOG) {
            SetWindowLong(dlg, DWL_USER, lParam);
            auto* seen = reinterpret_cast<Seen*>(lParam);
            seen->initParam = lParam;
            seen->initFocus = reinterpret_cast<HWND>(wParam);
            if (seen->endInInit)
                EndDialog(dlg, 5);
            return 1;
        }
        auto* seen = reinterpret_cast<Seen*>(GetWindowLong(dlg, DWL_USER));
        if (seen && msg == WM_COMMAND) {
            seen->commands.push_back(static_cast<int>(LOWORD(wParam)));
            seen->ownerEnabled = IsWindowEnabled(seen->owner);
            if (static_cast<INT_PTR>(LOWORD(wParam)) == seen->endOn)
                EndDialog(dlg, LOWORD(wParam));
            return 1;
        }
        return 0;
    }
};

TEST_F(Dialogs, ControlsAreLaidOutInDialogUnitsOfTheDialogFont) {
    Seen seen;
    HWND dlg = CreateDialogParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    ASSERT_NE(dlg, nullptr);
    const SIZE base = Platform::DialogBaseUnits(u"MS Shell Dlg", 8);
    EXPECT_GT(base.cx, 4);
    EXPECT_GT(base.cy, 8);
    auto px = [](int du, int unit, int per) { return (du * unit + per / 2) / per; };

    RECT field;
    GetWindowRect(GetDlgItem(dlg, 102), &field);
    POINT origin{0, 0};
    ClientToScreen(dlg, &origin);
    EXPECT_EQ(field.left - origin.x, px(4, base.cx, 4));
    EXPECT_EQ(field.top - origin.y, px(32, base.cy, 8));
    EXPECT_EQ(field.right - field.left, px(104, base.cx, 4) - px(4, base.cx, 4));
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, px(120, base.cx, 4));
    EXPECT_EQ(client.bottom, px(80, base.cy, 8));

    RECT mapped{4, 32, 104, 44};
    MapDialogRect(dlg, &mapped);
    EXPECT_EQ(mapped.left, field.left - origin.x);
    EXPECT_EQ(mapped.bottom, field.bottom - origin.y);
    EXPECT_NE(GetWindowLong(GetDlgItem(dlg, 100), GWL_USERDATA), 0) << "controls get the dialog font";
}

TEST_F(Dialogs, InitDialogGetsTheParameterAndTheFirstTabStopGetsTheFocus) {
    Seen seen;
    HWND dlg = CreateDialogParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen.initParam, reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen.initFocus, GetDlgItem(dlg, 101));
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 101));
    EXPECT_TRUE(IsWindowVisible(dlg));
}

TEST_F(Dialogs, ModalDialogRunsUntilEndDialogWithItsOwnerDisabled) {
    Recorder ownerRec;
    Seen seen;
    seen.owner = Make(ownerRec);
    seen.endOn = IDCANCEL;
    Platform::InjectKey(VK_RETURN);
    Platform::InjectKey(VK_ESCAPE);
    const INT_PTR result = DialogBoxParam(&g_module, 1, seen.owner, &FormProc, reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(seen.commands, (std::vector<int>{IDOK, IDCANCEL})) << "Enter gives IDOK, Escape IDCANCEL";
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(seen.owner));
    EXPECT_EQ(GetActiveWindow(), seen.owner);
}

TEST_F(Dialogs, EndingInsideInitDialogReturnsWithoutALoop) {
    Seen seen;
    seen.endInInit = true;
    EXPECT_EQ(DialogBoxParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen)), 5);
}

TEST_F(Dialogs, QuitInsideTheModalLoopEndsItAndReachesTheOuterLoop) {
    Seen seen;
    PostQuitMessage(3);
    EXPECT_EQ(DialogBoxParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen)), 0);
    MSG m;
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(Dialogs, ModalLoopWithNothingToComeFailsAndCleansUp) {
    Platform::DefaultHeadlessBackend().SetIdleLimit(std::chrono::milliseconds(20));
    Recorder ownerRec;
    Seen seen;
    seen.owner = Make(ownerRec);
    EXPECT_THROW(DialogBoxParam(&g_module, 1, seen.owner, &FormProc, reinterpret_cast<LPARAM>(&seen)),
                 Platform::NoMessageError);
    EXPECT_TRUE(IsWindowEnabled(seen.owner));
    EXPECT_EQ(GetWindow(seen.owner, GW_HWNDFIRST), seen.owner) << "the dialog is gone";
}

TEST_F(Dialogs, TemplateWithAnUnknownControlClassMakesNoDialog) {
    DialogTemplate broken;
    broken.style = WS_POPUP;
    broken.items = {{u"NoSuchControl", 1, 0, 0, 10, 10, WS_VISIBLE, u""}};
    RegisterDialogTemplate(&g_module, 2, broken);
    Seen seen;
    EXPECT_EQ(CreateDialogParam(&g_module, 2, nullptr, &FormProc, 0), nullptr);
    EXPECT_EQ(DialogBoxParam(&g_module, 2, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen)), -1);
    EXPECT_EQ(DialogBoxParam(&g_module, 77, nullptr, &FormProc, 0), -1) << "no such template";
    UnregisterDialogTemplate(&g_module, 2);
}

TEST_F(Dialogs, TabAndArrowsMoveBetweenUsableControls) {
    Seen seen;
    HWND dlg = CreateDialogParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    const HWND first = GetDlgItem(dlg, 101);
    const HWND second = GetDlgItem(dlg, 102);
    struct Step {
        unsigned key;
        bool shift;
        HWND expected;
    };
    const Step steps[] = {
        {VK_TAB, false, second},   // to the next tab stop
        {VK_TAB, false, first},    // the disabled one is skipped, and it wraps
        {VK_TAB, true, second},    // Shift+Tab goes back, wrapping
        {VK_UP, false, first},     // arrows move inside the group
        {VK_DOWN, false, second},
    };
    for (const Step& s : steps) {
        if (s.shift)
            Platform::InjectKeyDown(VK_SHIFT);
        Platform::InjectKey(s.key);
        if (s.shift)
            Platform::InjectKeyUp(VK_SHIFT);
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessage(dlg, &m)) {
                TranslateMessage(&m);
                DispatchMessage(&m);
            }
        }
        EXPECT_EQ(GetFocus(), s.expected) << "key " << s.key;
    }
    for (WPARAM key : g_fieldKeys)
        EXPECT_EQ(key, VK_SHIFT) << "navigation keys do not reach the controls";
}

TEST_F(Dialogs, ControlThatWantsAllKeysKeepsThem) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_VISIBLE;
    t.cx = 100;
    t.cy = 50;
    t.items = {{u"UiTestField", 99, 0, 0, 50, 12, WS_VISIBLE | WS_TABSTOP, u""},
               {u"UiTestField", 98, 0, 20, 50, 12, WS_VISIBLE | WS_TABSTOP, u""}};
    RegisterDialogTemplate(&g_module, 3, t);
    Seen seen;
    HWND dlg = CreateDialogParam(&g_module, 3, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    ASSERT_EQ(GetFocus(), GetDlgItem(dlg, 99));
    for (unsigned key : {VK_TAB, VK_DOWN, VK_RETURN})
        Platform::InjectKey(key);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        IsDialogMessage(dlg, &m);
    EXPECT_EQ(g_fieldKeys, (std::vector<WPARAM>{VK_TAB, VK_DOWN, VK_RETURN}));
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 99));
    EXPECT_TRUE(seen.commands.empty());
    UnregisterDialogTemplate(&g_module, 3);
}

TEST_F(Dialogs, NextControlMessageMovesTheFocus) {
    Seen seen;
    HWND dlg = CreateDialogParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    SendMessage(dlg, WM_NEXTDLGCTL, 0, 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 102));
    SendMessage(dlg, WM_NEXTDLGCTL, 1, 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 101));
    SendMessage(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, 102)), 1);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 102));
}

TEST_F(Dialogs, ChildDialogsWithDsControlJoinTheParentsNavigation) {
    DialogTemplate pane;
    pane.style = WS_CHILD | WS_VISIBLE | DS_CONTROL;
    pane.cx = 60;
    pane.cy = 30;
    pane.items = {{u"UiTestField", 201, 0, 0, 50, 12, WS_VISIBLE | WS_TABSTOP, u""}};
    RegisterDialogTemplate(&g_module, 4, pane);
    Seen seen, paneSeen;
    HWND dlg = CreateDialogParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    HWND child = CreateDialogParam(&g_module, 4, dlg, &FormProc, reinterpret_cast<LPARAM>(&paneSeen));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), dlg);
    EXPECT_EQ(GetNextDlgTabItem(dlg, GetDlgItem(dlg, 102), false), GetDlgItem(child, 201));
    EXPECT_EQ(GetNextDlgTabItem(dlg, GetDlgItem(child, 201), false), GetDlgItem(dlg, 101));
    UnregisterDialogTemplate(&g_module, 4);
}

TEST_F(Dialogs, ModelessEndDialogHidesTheDialog) {
    Seen seen;
    HWND dlg = CreateDialogParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    EXPECT_TRUE(EndDialog(dlg, 1));
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_FALSE(IsWindowVisible(dlg));
}

TEST_F(Dialogs, LaidOutDialogLooksRightOnScreen) {
    Seen seen;
    HWND dlg = CreateDialogParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    SetDlgItemText(dlg, 100, u"Name:");
    Platform::PumpMessages();
    TempFolder dir;
    const std::string path = dir.PathOf("dialog.png");
    ASSERT_TRUE(Platform::SaveWindowPng(dlg, path.c_str()));
    cairo_surface_t* picture = Platform::LoadSurfacePng(path.c_str());
    ASSERT_NE(picture, nullptr);

    auto local = [&](HWND control, int dx, int dy) {
        RECT r;
        GetWindowRect(control, &r);
        RECT d;
        GetWindowRect(dlg, &d);
        return POINT{r.left - d.left + dx, r.top - d.top + dy};
    };
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(Platform::GetSurfacePixel(picture, client.right - 2, client.bottom - 2), background);
    // The field's frame and inside.
    const POINT frame = local(GetDlgItem(dlg, 101), 0, 0);
    EXPECT_EQ(Platform::GetSurfacePixel(picture, frame.x, frame.y), RGB(0, 0, 0));
    const POINT inside = local(GetDlgItem(dlg, 101), 3, 3);
    EXPECT_EQ(Platform::GetSurfacePixel(picture, inside.x, inside.y), RGB(255, 255, 255));
    // The label's text leaves dark pixels in its rectangle.
    RECT label;
    GetClientRect(GetDlgItem(dlg, 100), &label);
    const POINT at = local(GetDlgItem(dlg, 100), 0, 0);
    int dark = 0;
    for (int y = 0; y < label.bottom; ++y)
        for (int x = 0; x < label.right; ++x)
            dark += Platform::GetSurfacePixel(picture, at.x + x, at.y + y) != background ? 1 : 0;
    EXPECT_GT(dark, 10);
    Platform::ReleaseSurface(picture);
}

} // namespace

namespace {

TEST_F(Dialogs, CloseAsksForCancelAfterwards) {
    Seen seen;
    seen.endOn = IDCANCEL;
    HWND dlg = CreateDialogParam(&g_module, 1, nullptr, &FormProc, reinterpret_cast<LPARAM>(&seen));
    SendMessage(dlg, WM_CLOSE, 0, 0);
    EXPECT_TRUE(seen.commands.empty()) << "posted, not sent";
    Platform::PumpMessages();
    EXPECT_EQ(seen.commands, (std::vector<int>{IDCANCEL}));
}

} // namespace
