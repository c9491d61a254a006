// The tray model.

#include "Tray.h"

#include "Drawing/Gdi.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowPaintImpl.h"

#include <algorithm>
#include <mutex>

using namespace Platform;

namespace {

struct Tray {
    std::mutex m;
    std::vector<TrayIcon> icons;
};

Tray& TheTray()
{
    static Tray* tray = new Tray;
    return *tray;
}

std::vector<TrayIcon>::iterator Find(std::vector<TrayIcon>& icons, HWND hwnd, UINT id)
{
    return std::find_if(icons.begin(), icons.end(),
                        [&](const TrayIcon& icon) { return icon.hwnd == hwnd && icon.id == id; });
}

void Apply(TrayIcon& icon, const NOTIFYICONDATA& data)
{
    if (data.uFlags & NIF_MESSAGE)
        icon.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) {
        icon.icon = data.hIcon;
        icon.picture = IconCopy(data.hIcon);
    }
    if (data.uFlags & NIF_TIP) {
        const auto* end = std::find(std::begin(data.szTip), std::end(data.szTip), u'\0');
        icon.tip.assign(std::begin(data.szTip), end);
    }
}

} // namespace

bool Shell_NotifyIcon(UINT message, const NOTIFYICONDATA* data)
{
    if (!data)
        return false;
    Tray& tray = TheTray();
    {
        std::lock_guard<std::mutex> lock(tray.m);
        // Icons of windows that went away go with them.
        tray.icons.erase(std::remove_if(tray.icons.begin(), tray.icons.end(),
                                        [](const TrayIcon& icon) { return !IsWindow(icon.hwnd); }),
                         tray.icons.end());
        auto it = Find(tray.icons, data->hWnd, data->uID);
        switch (message) {
        case NIM_ADD:
            if (it != tray.icons.end() || !IsWindow(data->hWnd))
                return false;
            tray.icons.push_back(TrayIcon{data->hWnd, data->uID, 0, nullptr, {}, {}});
            Apply(tray.icons.back(), *data);
            break;
        case NIM_MODIFY:
            if (it == tray.icons.end())
                return false;
            Apply(*it, *data);
            break;
        case NIM_DELETE:
            if (it == tray.icons.end())
                return false;
            tray.icons.erase(it);
            break;
        default:
            return false;
        }
    }
    MarkScreenDirty();
    return true;
}

namespace Platform {

std::vector<TrayIcon> GetTrayIcons()
{
    Tray& tray = TheTray();
    std::lock_guard<std::mutex> lock(tray.m);
    std::vector<TrayIcon> icons;
    for (const TrayIcon& icon : tray.icons) {
        if (IsWindow(icon.hwnd))
            icons.push_back(icon);
    }
    return icons;
}

bool TapTrayIcon(HWND hwnd, UINT id)
{
    UINT message = 0;
    {
        Tray& tray = TheTray();
        std::lock_guard<std::mutex> lock(tray.m);
        auto it = Find(tray.icons, hwnd, id);
        if (it == tray.icons.end() || !it->callbackMessage)
            return false;
        message = it->callbackMessage;
    }
    return PostMessage(hwnd, message, id, WM_LBUTTONDOWN) && PostMessage(hwnd, message, id, WM_LBUTTONUP);
}

int DrawTrayIcons(HDC dc, const RECT& area)
{
    const int side = area.bottom - area.top;
    if (!dc || side <= 0)
        return 0;
    int drawn = 0;
    int x = area.left;
    for (const TrayIcon& icon : GetTrayIcons()) {
        if (x + side > area.right)
            break;
        if (DrawIconEx(dc, x, area.top, icon.picture.get(), side, side, 0, nullptr, DI_NORMAL))
            ++drawn;
        x += side;
    }
    return drawn;
}

} // namespace Platform
