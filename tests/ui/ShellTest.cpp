// The shell: menu bar and soft keys, tap-and-hold recognition, full-screen
// dialogs and screen changes, the tray and shell notifications.

#include "WindowTestSupport.h"

#include "WindowSystem/Dialog.h"
#include "Drawing/Gdi.h"
#include "Shell/Shell.h"
#include "Shell/ShellGesture.h"
#include "Shell/ShellMenuBar.h"
#include "Shell/ShellNotification.h"
#include "Shell/Tray.h"
#include "WindowSystem/WindowKeys.h"

using namespace ui_test;

namespace {

Platform::Module g_shellModule{"shell-test"};
constexpr int kLeft = 40002;
constexpr int kRight = 40004;

class Shell : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        RegisterMenuBarResource(&g_shellModule, 101, {{kLeft, u"L"}, {kRight, u"R"}});
    }

    HWND WithBar(Recorder& rec, HWND* bar) {
        HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 480, 600});
        SHMENUBARINFO mb;
        mb.hwndParent = w;
        mb.dwFlags = SHCMBF_HMENU;
        mb.nToolBarId = 101;
        mb.hInstRes = &g_shellModule;
        EXPECT_TRUE(SHCreateMenuBar(&mb));
        *bar = mb.hwndMB;
        return w;
    }

    static std::vector<unsigned> Commands(const Recorder& rec, HWND hwnd) {
        std::vector<unsigned> ids;
        for (const Logged& l : rec.log)
            if (l.hwnd == hwnd && l.msg == WM_COMMAND)
                ids.push_back(LOWORD(l.wParam));
        return ids;
    }
};

using IdList = std::vector<unsigned>;

TEST_F(Shell, MenuBarSitsAtTheBottomWithItsButtons) {
    Recorder rec;
    HWND bar = nullptr;
    HWND w = WithBar(rec, &bar);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Platform::GetMenuBar(w), bar);
    RECT r;
    GetWindowRect(bar, &r);
    EXPECT_EQ(r.bottom, 640);
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(r.right, 480);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(Platform::MenuBarButtonCommand(bar, 0), kLeft);
    EXPECT_EQ(Platform::MenuBarButtonCommand(bar, 1), kRight);
    EXPECT_EQ(Platform::MenuBarButtonCommand(bar, 2), -1);
    EXPECT_TRUE(Platform::SetMenuBarButtonText(bar, kRight, u"Cancel"));
    EXPECT_EQ(Platform::MenuBarButtonText(bar, 1), u"Cancel");
    EXPECT_EQ(GetActiveWindow(), w) << "the bar never takes the activation";
}

TEST_F(Shell, MissingMenuResourceMakesNoBar) {
    Recorder rec;
    HWND w = Make(rec);
    SHMENUBARINFO mb;
    mb.hwndParent = w;
    mb.nToolBarId = 999;
    mb.hInstRes = &g_shellModule;
    EXPECT_FALSE(SHCreateMenuBar(&mb));
    EXPECT_EQ(Platform::GetMenuBar(w), nullptr);
}

TEST_F(Shell, SoftKeysAndTapsOnTheBarGiveTheButtonsCommands) {
    Recorder rec;
    HWND bar = nullptr;
    HWND w = WithBar(rec, &bar);
    Platform::PumpMessages();
    SetFocus(w);
    Platform::InjectKey(VK_F1);
    Platform::InjectKey(VK_F2);
    const int y = 640 - GetSystemMetrics(SM_CYMENU) / 2;
    Platform::InjectTap(POINT{100, y});
    Platform::InjectTap(POINT{400, y});
    // A stroke from one half to the other is no tap.
    Platform::InjectPenDown(POINT{100, y});
    Platform::InjectPenUp(POINT{400, y});
    Platform::PumpMessages();
    EXPECT_EQ(Commands(rec, w), (IdList{kLeft, kRight, kLeft, kRight}));
    EXPECT_EQ(rec.Count(WM_KEYDOWN), 0) << "soft keys do not reach the focus";
    EXPECT_EQ(rec.Count(WM_KEYUP), 0);
}

TEST_F(Shell, DisabledSoftKeyDoesNothing) {
    Recorder rec;
    HWND bar = nullptr;
    HWND w = WithBar(rec, &bar);
    EXPECT_TRUE(SHEnableSoftkey(bar, 0, true, false));
    EXPECT_FALSE(Platform::IsSoftKeyEnabled(bar, 0));
    Platform::InjectKey(VK_F1);
    Platform::PumpMessages();
    EXPECT_EQ(Commands(rec, w), IdList{});
    SHEnableSoftkey(bar, kLeft, false, true);
    Platform::InjectKey(VK_F1);
    Platform::PumpMessages();
    EXPECT_EQ(Commands(rec, w), IdList{kLeft});
}

TEST_F(Shell, OnlyTheActiveWindowsBarShowsAndAnswers) {
    Recorder first, second;
    HWND firstBar = nullptr, secondBar = nullptr;
    HWND a = WithBar(first, &firstBar);
    HWND b = WithBar(second, &secondBar);
    EXPECT_FALSE(IsWindowVisible(firstBar));
    EXPECT_TRUE(IsWindowVisible(secondBar));
    Platform::InjectKey(VK_F1);
    Platform::PumpMessages();
    EXPECT_EQ(Commands(first, a), IdList{});
    EXPECT_EQ(Commands(second, b), IdList{kLeft});

    SetActiveWindow(a);
    EXPECT_TRUE(IsWindowVisible(firstBar));
    EXPECT_FALSE(IsWindowVisible(secondBar));
    DestroyWindow(a);
    EXPECT_FALSE(IsWindow(firstBar)) << "the bar goes with its window";
}

TEST_F(Shell, WithoutABarF1IsAnOrdinaryKey) {
    Recorder rec;
    HWND w = Make(rec);
    SetFocus(w);
    Platform::InjectKey(VK_F1);
    Platform::PumpMessages();
    EXPECT_EQ(rec.Count(WM_KEYDOWN, w), 1);
}

TEST_F(Shell, BarIsDrawnWithItsCaptions) {
    Recorder rec;
    HWND bar = nullptr;
    WithBar(rec, &bar);
    Platform::PumpMessages();
    const int top = 640 - GetSystemMetrics(SM_CYMENU);
    // The caption's white pixels lie in the left half, around its middle.
    cairo_surface_t* screen = Platform::CurrentBackend().Compose();
    int white = 0;
    for (int y = top; y < 640; ++y)
        for (int x = 60; x < 180; ++x)
            white += Platform::GetSurfacePixel(screen, x, y) == RGB(255, 255, 255) ? 1 : 0;
    EXPECT_GT(white, 5);
    EXPECT_NE(Platform::GetSurfacePixel(screen, 2, 638), RGB(255, 255, 255));
}

// SHRecognizeGesture called from the press handler, as the program's
// editors and lists do.
struct Gesture {
    std::uint32_t flags = SHRG_RETURNCMD;
    std::vector<UINT> answers;
};

TEST_F(Shell, RecognizeGestureTellsAHoldFromATap) {
    struct Case {
        const char* name;
        std::uint64_t hold;
        bool move;
        std::uint32_t flags;
        UINT expected;
    };
    const Case cases[] = {
        {"held still", Platform::TapAndHoldDelay, false, SHRG_RETURNCMD, GN_CONTEXTMENU},
        {"lifted early", Platform::TapAndHoldDelay - 1, false, SHRG_RETURNCMD, 0},
        {"moved", Platform::TapAndHoldDelay, true, SHRG_RETURNCMD, 0},
        {"not long enough for the long delay", Platform::TapAndHoldDelay, false, SHRG_RETURNCMD | SHRG_LONGDELAY, 0},
        {"long delay", Platform::TapAndHoldLongDelay, false, SHRG_RETURNCMD | SHRG_LONGDELAY, GN_CONTEXTMENU},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec;
        Gesture g;
        g.flags = c.flags;
        rec.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (msg == WM_LBUTTONDOWN) {
                SHRGINFO info;
                info.hwndClient = hwnd;
                info.ptDown = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                info.dwFlags = g.flags;
                g.answers.push_back(SHRecognizeGesture(&info));
                return 0;
            }
            return std::nullopt;
        };
        HWND w = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
        const int far = GetSystemMetrics(SM_CXDRAG) + 1;
        Platform::InjectPenDown(POINT{10, 10});
        if (c.move)
            Platform::InjectPenMove(POINT{10 + far, 10});
        clock.Advance(c.hold);
        Platform::InjectPenUp(POINT{10, 10});
        Platform::PumpMessages();
        ASSERT_EQ(g.answers.size(), 1u);
        EXPECT_EQ(g.answers[0], c.expected);
        EXPECT_EQ(rec.Count(WM_CONTEXTMENU, w), c.expected ? 1 : 0);
        DestroyWindow(w);
    }
}

TEST_F(Shell, RecognizeGestureWaitsForTheClock) {
    Recorder rec;
    Gesture g;
    rec.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_LBUTTONDOWN) {
            SHRGINFO info;
            info.hwndClient = hwnd;
            info.dwFlags = SHRG_NOTIFYPARENT;
            g.answers.push_back(SHRecognizeGesture(&info));
        }
        return std::nullopt;
    };
    Recorder parentRec;
    HWND parent = Make(parentRec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    Make(rec, WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, parent, 1022);
    Platform::InjectPenDown(POINT{10, 10});
    std::thread mover([&] { clock.Advance(Platform::TapAndHoldDelay); });
    Platform::PumpMessages();
    mover.join();
    ASSERT_EQ(g.answers, (std::vector<UINT>{GN_CONTEXTMENU}));
    const Logged* notice = parentRec.Last(WM_NOTIFY);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->wParam, 1022u);
}

TEST_F(Shell, FullScreenDialogFillsTheScreenAboveTheBarAndFollowsScreenChanges) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_VISIBLE;
    t.cx = 20;
    t.cy = 20;
    RegisterDialogTemplate(&g_shellModule, 7, t);
    static SHACTIVATEINFO sai;
    DLGPROC proc = [](HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            SHINITDLGINFO info;
            info.hDlg = dlg;
            info.dwFlags = SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_DONEBUTTON;
            SHInitDialog(&info);
            return 1;
        }
        if (msg == WM_SETTINGCHANGE) {
            SHHandleWMSettingChange(dlg, wParam, lParam, &sai);
            return 1;
        }
        return 0;
    };
    HWND dlg = CreateDialogParam(&g_shellModule, 7, nullptr, proc, 0);
    RECT r;
    GetWindowRect(dlg, &r);
    EXPECT_EQ(r.right, 480);
    EXPECT_EQ(r.bottom, 640 - GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(Platform::GetCommandButton(dlg), IDOK);

    Platform::SetScreen(320, 240, 96, 96);
    EXPECT_EQ(g_HIDPI_LogPixelsX, 96);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
    GetWindowRect(dlg, &r);
    EXPECT_EQ(r.right, 320);
    EXPECT_EQ(r.bottom, 240 - GetSystemMetrics(SM_CYMENU));
    UnregisterDialogTemplate(&g_shellModule, 7);
}

TEST_F(Shell, ScreenChangeReachesEveryTopLevelWindowAndMovesTheBar) {
    Recorder rec;
    HWND bar = nullptr;
    HWND w = WithBar(rec, &bar);
    Platform::SetScreen(240, 320, 96, 96);
    ASSERT_NE(rec.Last(WM_SETTINGCHANGE), nullptr);
    EXPECT_EQ(rec.Last(WM_SETTINGCHANGE)->hwnd, w);
    EXPECT_EQ(rec.Last(WM_SETTINGCHANGE)->wParam, SETTINGCHANGE_RESET);
    RECT r;
    GetWindowRect(bar, &r);
    EXPECT_EQ(r.bottom, 320);
    EXPECT_EQ(r.right, 240);
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(Platform::ScaleY(26), 26);
}

TEST_F(Shell, FullScreenStateAndTheCommandButtonAreKept) {
    Recorder rec;
    HWND w = Make(rec);
    EXPECT_TRUE(SHFullScreen(w, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON));
    EXPECT_EQ(Platform::GetFullScreenState(w), 0x22u);
    EXPECT_EQ(SHFS_SHOWTASKBAR | SHFS_SHOWSIPBUTTON, 0x11u);
    EXPECT_FALSE(Platform::PressCommandButton());
    SHINITDLGINFO info;
    info.hDlg = w;
    info.dwFlags = SHIDIF_CANCELBUTTON;
    SHInitDialog(&info);
    EXPECT_TRUE(Platform::PressCommandButton());
    Platform::PumpMessages();
    ASSERT_NE(rec.Last(WM_COMMAND), nullptr);
    EXPECT_EQ(LOWORD(rec.Last(WM_COMMAND)->wParam), static_cast<unsigned>(IDCANCEL));
}

TEST_F(Shell, ActivationRecordRemembersTheFocusOnDeactivation) {
    Recorder rec;
    HWND w = Make(rec);
    HWND field = Make(rec, WS_CHILD | WS_VISIBLE, RECT{}, w);
    SetFocus(field);
    SHACTIVATEINFO sai;
    EXPECT_EQ(sai.cbSize, sizeof(SHACTIVATEINFO));
    SHHandleWMActivate(w, MAKEWPARAM(WA_INACTIVE, 0), 0, &sai, 0);
    EXPECT_EQ(sai.hwndLastFocus, field);
}

TEST_F(Shell, TrayKeepsIconsPerWindowAndIdAndTapsReachTheWindow) {
    Recorder rec;
    HWND w = Make(rec);
    HICON icon = reinterpret_cast<HICON>(GetStockObject(BLACK_BRUSH));
    NOTIFYICONDATA data;
    data.hWnd = w;
    data.uID = 5999;
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = WM_USER + 100;
    data.hIcon = icon;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &data)) << "one icon per (window, id)";
    auto icons = Platform::GetTrayIcons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].icon, icon);
    EXPECT_EQ(icons[0].callbackMessage, WM_USER + 100);

    data.uFlags = NIF_ICON;
    data.hIcon = nullptr;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &data));
    EXPECT_EQ(Platform::GetTrayIcons()[0].icon, nullptr);
    EXPECT_EQ(Platform::GetTrayIcons()[0].callbackMessage, WM_USER + 100) << "fields not flagged stay";

    EXPECT_TRUE(Platform::TapTrayIcon(w, 5999));
    Platform::PumpMessages();
    std::vector<LPARAM> taps;
    for (const Logged& l : rec.log)
        if (l.msg == WM_USER + 100 && l.wParam == 5999)
            taps.push_back(l.lParam);
    EXPECT_EQ(taps, (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP}));

    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &data));
    EXPECT_TRUE(Platform::GetTrayIcons().empty());
}

TEST_F(Shell, TrayIconsGoWithTheirWindow) {
    Recorder rec;
    HWND w = Make(rec);
    NOTIFYICONDATA data;
    data.hWnd = w;
    data.uID = 1;
    Shell_NotifyIcon(NIM_ADD, &data);
    DestroyWindow(w);
    EXPECT_TRUE(Platform::GetTrayIcons().empty());
}

class Notifications : public Shell {
protected:
    void TearDown() override {
        for (const auto& n : Platform::GetShellNotifications())
            SHNotificationRemove(&n.clsid, n.id);
        Shell::TearDown();
    }

    SHNOTIFICATIONDATA Bubble(HWND sink, std::uint32_t id, std::uint32_t flags = SHNF_SILENT) {
        SHNOTIFICATIONDATA data;
        data.dwID = id;
        data.clsid = kClass;
        data.hwndSink = sink;
        data.grfFlags = flags;
        data.pszTitle = u"Warning";
        data.pszHTML = u"Line one<br>Line &amp; two";
        data.rgskn[0].pszTitle = u"OK";
        data.rgskn[0].skc.wpCmd = 1125;
        data.rgskn[0].skc.grfFlags = NOTIF_SOFTKEY_FLAGS_STAYOPEN;
        data.rgskn[1].pszTitle = u"Hide";
        data.rgskn[1].skc.wpCmd = 1126;
        data.rgskn[1].skc.grfFlags = NOTIF_SOFTKEY_FLAGS_STAYOPEN;
        return data;
    }

    static constexpr YOL_GUID kClass{0xA319BA90, 0x7F8A, 0x4BD4, 0xB2, 0xC2, 0x48, 0x94, 0x8E, 0x0D, 0x16, 0x5B};
};

TEST_F(Notifications, BubbleShowsAndItsSoftKeysGoToTheSink) {
    Recorder sinkRec, appRec;
    HWND bar = nullptr;
    HWND app = WithBar(appRec, &bar);
    HWND sink = Make(sinkRec, WS_POPUP);
    const SHNOTIFICATIONDATA data = Bubble(sink, 1001);
    ASSERT_EQ(SHNotificationAdd(&data), SHN_OK);
    EXPECT_EQ(SHNotificationAdd(&data), SHN_EXISTS);
    HWND bubble = Platform::GetNotificationBubble();
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(GetActiveWindow(), app) << "the bubble does not take the activation";

    Platform::InjectKey(VK_F1);
    const int y = 640 - GetSystemMetrics(SM_CYMENU) / 2;
    Platform::InjectTap(POINT{400, y});
    Platform::PumpMessages();
    EXPECT_EQ(Commands(sinkRec, sink), (IdList{1125, 1126}));
    EXPECT_EQ(Commands(appRec, app), IdList{}) << "the bubble's keys come first";

    EXPECT_EQ(SHNotificationRemove(&kClass, 1001), SHN_OK);
    EXPECT_EQ(Platform::GetNotificationBubble(), nullptr);
    Platform::InjectKey(VK_F1);
    Platform::PumpMessages();
    EXPECT_EQ(Commands(appRec, app), IdList{kLeft}) << "back to the menu bar";
}

TEST_F(Notifications, StraightToTrayMakesNoBubble) {
    Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    const SHNOTIFICATIONDATA data = Bubble(sink, 1, SHNF_STRAIGHTTOTRAY);
    SHNotificationAdd(&data);
    EXPECT_EQ(Platform::GetNotificationBubble(), nullptr);
    const auto all = Platform::GetShellNotifications();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_FALSE(all[0].bubble);
    EXPECT_EQ(all[0].title, u"Warning");
}

TEST_F(Notifications, BubbleGoesToTheTrayWhenItsTimeIsUp) {
    Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    SHNOTIFICATIONDATA data = Bubble(sink, 2);
    data.csDuration = 7;
    SHNotificationAdd(&data);
    clock.Advance(6999);
    Platform::PumpMessages();
    EXPECT_NE(Platform::GetNotificationBubble(), nullptr);
    clock.Advance(1);
    Platform::PumpMessages();
    EXPECT_EQ(Platform::GetNotificationBubble(), nullptr);
    EXPECT_EQ(Platform::GetShellNotifications().size(), 1u) << "still pending in the tray";
}

TEST_F(Notifications, UpdateChangesOnlyTheFieldsAskedFor) {
    Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    SHNOTIFICATIONDATA data = Bubble(sink, 3);
    SHNotificationAdd(&data);
    SHNOTIFICATIONDATA read;
    ASSERT_EQ(SHNotificationGetData(&kClass, 3, &read), SHN_OK);
    EXPECT_EQ(std::u16string(read.pszTitle), u"Warning");
    read.hicon = reinterpret_cast<HICON>(GetStockObject(WHITE_BRUSH));
    read.pszTitle = u"ignored";
    ASSERT_EQ(SHNotificationUpdate(SHNUM_ICON, &read), SHN_OK);
    const auto all = Platform::GetShellNotifications();
    EXPECT_EQ(all[0].icon, read.hicon);
    EXPECT_EQ(all[0].title, u"Warning");
    SHNOTIFICATIONDATA missing = Bubble(sink, 77);
    EXPECT_EQ(SHNotificationUpdate(SHNUM_ICON, &missing), SHN_NOT_FOUND);
}

TEST_F(Notifications, DismissingKeyRemovesTheNotification) {
    Recorder rec;
    HWND sink = Make(rec, WS_POPUP);
    SHNOTIFICATIONDATA data = Bubble(sink, 4);
    data.rgskn[0].skc.grfFlags = NOTIF_SOFTKEY_FLAGS_DISMISS;
    data.rgskn[1].skc.grfFlags = NOTIF_SOFTKEY_FLAGS_HIDE;
    SHNotificationAdd(&data);
    Platform::InjectKey(VK_F2);
    Platform::PumpMessages();
    ASSERT_EQ(Platform::GetShellNotifications().size(), 1u);
    EXPECT_EQ(Platform::GetNotificationBubble(), nullptr) << "hidden to the tray";

    SHNOTIFICATIONDATA second = data;
    second.dwID = 5;
    SHNotificationAdd(&second);
    Platform::InjectKey(VK_F1);
    Platform::PumpMessages();
    EXPECT_EQ(Platform::GetShellNotifications().size(), 1u) << "dismissed";
    EXPECT_EQ(Commands(rec, sink), (IdList{1126, 1125}));
}

TEST_F(Notifications, BubbleBodyIsShownAsText) {
    EXPECT_EQ(Platform::HtmlToText(u"Line one<br>Line &amp; two"), u"Line one\nLine & two");
    EXPECT_EQ(Platform::HtmlToText(u"<center><B>[ Bob ]</B></center>&lt;3 &#1046;"), u"[ Bob ]<3 Ж");
    EXPECT_EQ(Platform::HtmlToText(u"a<img src=\"file:\\\\x.gif\" />b"), u"ab");
    EXPECT_EQ(Platform::HtmlToText(u"a &bogus; b"), u"a &bogus; b");
}

} // namespace

namespace {

TEST_F(Shell, OwnedWindowWithoutABarKeepsItsOwnersBarUnlessTheOwnerIsDisabled) {
    Recorder rec;
    HWND bar = nullptr;
    HWND w = WithBar(rec, &bar);
    HWND menu = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50}, w, 0, WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetActiveWindow(), menu);
    EXPECT_TRUE(IsWindowVisible(bar));
    Platform::InjectKey(VK_F2);
    Platform::PumpMessages();
    EXPECT_EQ(Commands(rec, w), IdList{kRight});

    DestroyWindow(menu);
    EnableWindow(w, false);
    HWND dialog = Make(rec, WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50}, w);
    EXPECT_FALSE(IsWindowVisible(bar));
    SetFocus(dialog);
    Platform::InjectKey(VK_F2);
    Platform::PumpMessages();
    EXPECT_EQ(Commands(rec, w), IdList{kRight}) << "no command for a disabled window";
    EXPECT_EQ(rec.Count(WM_KEYDOWN, dialog), 1);
}

} // namespace
