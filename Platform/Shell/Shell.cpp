// Full-screen windows and dialogs.

#include "Shell.h"

#include "ShellImpl.h"
#include "ShellScreen.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowImpl.h"

using namespace Platform;

namespace {

void FitToWorkArea(HWND hwnd, bool withMenuBar)
{
    const ScreenInfo screen = GetScreen();
    const int height = withMenuBar ? GetWorkArea().bottom : screen.height;
    SetWindowPos(hwnd, nullptr, 0, 0, screen.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

namespace Platform {

std::shared_ptr<ShellWindowData> ShellData(HWND hwnd, bool make)
{
    WindowLock lock;
    Window* w = WindowManager::Get().Live(hwnd);
    if (!w)
        return nullptr;
    if (!w->shell && make)
        w->shell = std::make_shared<ShellWindowData>();
    return w->shell;
}

std::uint32_t GetFullScreenState(HWND hwnd)
{
    auto data = ShellData(hwnd, false);
    WindowLock lock;
    return data ? data->fullScreenState : 0;
}

int GetCommandButton(HWND hwnd)
{
    auto data = ShellData(hwnd, false);
    WindowLock lock;
    if (!data)
        return 0;
    if (data->initFlags & SHIDIF_DONEBUTTON)
        return IDOK;
    if (data->initFlags & SHIDIF_CANCELBUTTON)
        return IDCANCEL;
    return 0;
}

bool PressCommandButton()
{
    const HWND active = GetActiveWindow();
    const int button = GetCommandButton(active);
    if (!button)
        return false;
    return PostMessage(active, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(button), 0), 0);
}

RECT GetWorkArea()
{
    const ScreenInfo screen = GetScreen();
    return RECT{0, 0, screen.width, screen.height - GetSystemMetrics(SM_CYMENU)};
}

} // namespace Platform

bool SHInitDialog(SHINITDLGINFO* info)
{
    if (!info || !(info->dwMask & SHIDIM_FLAGS))
        return false;
    auto data = ShellData(info->hDlg, true);
    if (!data)
        return false;
    const bool full = (info->dwFlags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) != 0;
    {
        WindowLock lock;
        data->initFlags = info->dwFlags;
        data->fullScreen = full;
    }
    if (full)
        FitToWorkArea(info->hDlg, !(info->dwFlags & SHIDIF_FULLSCREENNOMENUBAR));
    return true;
}

bool SHFullScreen(HWND hwnd, std::uint32_t state)
{
    auto data = ShellData(hwnd, true);
    if (!data)
        return false;
    WindowLock lock;
    data->fullScreenState = state;
    return true;
}

bool SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM /*lParam*/, SHACTIVATEINFO* info, std::uint32_t /*flags*/)
{
    if (!info || !IsWindow(hwnd))
        return false;
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        info->hwndLastFocus = (focus == hwnd || IsChild(hwnd, focus)) ? focus : nullptr;
    }
    return true;
}

bool SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM /*lParam*/, SHACTIVATEINFO* /*info*/)
{
    if (wParam != SETTINGCHANGE_RESET && wParam != SPI_SETSIPINFO)
        return false;
    auto data = ShellData(hwnd, false);
    bool full = false;
    bool withBar = false;
    if (data) {
        WindowLock lock;
        full = data->fullScreen;
        // A window with a menu bar of its own, or a dialog made to have one,
        // stays above the bar.
        withBar = (data->initFlags & SHIDIF_SIZEDLGFULLSCREEN) || WindowManager::Get().Live(data->menuBar);
    }
    if (full)
        FitToWorkArea(hwnd, withBar);
    return true;
}
