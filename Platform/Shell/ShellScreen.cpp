#include "ShellScreen.h"

#include "Drawing/GdiSurface.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowImpl.h"

#include <atomic>
#include <cstdlib>

int g_HIDPI_LogPixelsX = 192;
int g_HIDPI_LogPixelsY = 192;

namespace {

std::atomic<int> g_width{480};
std::atomic<int> g_height{640};
std::atomic<int> g_dpiX{192};
std::atomic<int> g_dpiY{192};

int Scale(int logical, int dpi)
{
    const int magnitude = (std::abs(logical) * dpi + 48) / 96;
    return logical < 0 ? -magnitude : magnitude;
}

// Logical sizes of the shell's parts.
constexpr int kScrollBarWidth = 13;
constexpr int kMenuBarHeight = 26;
constexpr int kDoubleTapDistance = 8;
constexpr int kDragDistance = 5;

} // namespace

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
        return g_width.load();
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return g_height.load();
    case SM_CXVSCROLL:
        return Platform::ScaleX(kScrollBarWidth);
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CYMENU:
        return Platform::ScaleY(kMenuBarHeight);
    case SM_CXDOUBLECLK:
        return Platform::ScaleX(kDoubleTapDistance);
    case SM_CYDOUBLECLK:
        return Platform::ScaleY(kDoubleTapDistance);
    case SM_CXDRAG:
        return Platform::ScaleX(kDragDistance);
    case SM_CYDRAG:
        return Platform::ScaleY(kDragDistance);
    default:
        return 0;
    }
}

namespace Platform {

ScreenInfo GetScreen()
{
    return ScreenInfo{g_width.load(), g_height.load(), g_dpiX.load(), g_dpiY.load()};
}

void SetScreen(int width, int height, int dpiX, int dpiY)
{
    g_width = width;
    g_height = height;
    g_dpiX = dpiX;
    g_dpiY = dpiY;
    g_HIDPI_LogPixelsX = dpiX;
    g_HIDPI_LogPixelsY = dpiY;
    // New device contexts take the screen's resolution.
    SetScreenDpi(dpiX, dpiY);

    std::vector<HWND> topLevels;
    {
        WindowLock lock;
        topLevels = WindowManager::Get().topLevels;
    }
    // Windows of other threads hear of it without holding this one up.
    for (HWND hwnd : topLevels)
        SendNotifyMessage(hwnd, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
}

int ScaleX(int logical)
{
    return Scale(logical, g_dpiX.load());
}

int ScaleY(int logical)
{
    return Scale(logical, g_dpiY.load());
}

unsigned DoubleClickTime()
{
    return 500;
}

} // namespace Platform
