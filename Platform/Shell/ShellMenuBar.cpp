// The menu bar with its two soft keys.

#include "ShellMenuBar.h"

#include "Drawing/Gdi.h"
#include "ShellImpl.h"
#include "ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowImpl.h"
#include "WindowSystem/WindowPaint.h"

#include <map>
#include <mutex>
#include <utility>

using namespace Platform;

namespace {

constexpr const char16_t* kBarClass = u"YolPlatformMenuBar";

// The bar's look.
constexpr COLORREF kBarColour = RGB(36, 52, 82);
constexpr COLORREF kBarEdge = RGB(96, 118, 160);
constexpr COLORREF kPressedColour = RGB(70, 96, 140);
constexpr COLORREF kCaption = RGB(255, 255, 255);
constexpr COLORREF kDisabledCaption = RGB(128, 140, 160);
constexpr int kCaptionHeight = 12; // logical pixels

struct Button {
    int command = 0;
    std::u16string text;
    bool enabled = true;
};

struct Bar {
    HWND owner = nullptr;
    std::vector<Button> buttons;
    int pressed = -1;
};

struct Bars {
    std::mutex m;
    std::map<HWND, Bar> byWindow;
    std::map<std::pair<HINSTANCE, int>, std::vector<MenuBarButton>> resources;
};

Bars& TheBars()
{
    static Bars* bars = new Bars;
    return *bars;
}

template <typename F>
auto WithBar(HWND bar, F f) -> decltype(f(std::declval<Bar&>()))
{
    Bars& bars = TheBars();
    std::lock_guard<std::mutex> lock(bars.m);
    auto it = bars.byWindow.find(bar);
    if (it == bars.byWindow.end())
        return decltype(f(std::declval<Bar&>()))();
    return f(it->second);
}

// The bar that shows: the active window's own, else (for a pop-up menu or
// a small dialog without one) that of the nearest window it is owned by,
// as long as that window takes input.
HWND BarFor(HWND active)
{
    std::vector<std::pair<HWND, HWND>> bars;
    {
        Bars& all = TheBars();
        std::lock_guard<std::mutex> lock(all.m);
        for (const auto& [bar, state] : all.byWindow)
            bars.emplace_back(bar, state.owner);
    }
    for (HWND top = active; top; top = GetWindow(top, GW_OWNER)) {
        for (const auto& [bar, owner] : bars) {
            if (GetTopLevelWindow(owner) == top)
                return IsWindowEnabled(top) ? bar : nullptr;
        }
    }
    return nullptr;
}

HWND ActiveMenuBar()
{
    return BarFor(GetActiveWindow());
}

void Press(HWND bar, int index)
{
    HWND owner = nullptr;
    int command = 0;
    const bool found = WithBar(bar, [&](Bar& b) {
        if (index < 0 || index >= static_cast<int>(b.buttons.size()) || !b.buttons[index].enabled)
            return false;
        owner = b.owner;
        command = b.buttons[index].command;
        return true;
    });
    if (found)
        PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(command), 0), 0);
}

void Place(HWND bar)
{
    const ScreenInfo screen = GetScreen();
    const int height = GetSystemMetrics(SM_CYMENU);
    SetWindowPos(bar, nullptr, 0, screen.height - height, screen.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Paint(HWND bar)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(bar, &ps);
    if (!hdc)
        return;
    RECT client;
    GetClientRect(bar, &client);
    std::u16string captions[2];
    bool enabled[2] = {false, false};
    int pressed = -1;
    WithBar(bar, [&](Bar& b) {
        for (size_t i = 0; i < b.buttons.size() && i < 2; ++i) {
            captions[i] = b.buttons[i].text;
            enabled[i] = b.buttons[i].enabled;
        }
        pressed = b.pressed;
        return true;
    });
    DrawSoftKeys(hdc, client, captions, enabled, pressed);
    EndPaint(bar, &ps);
}

int HalfAt(HWND bar, LPARAM lParam)
{
    RECT client;
    GetClientRect(bar, &client);
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!PtInRect(&client, p))
        return -1;
    return p.x < client.right / 2 ? 0 : 1;
}

void SetPressed(HWND bar, int pressed)
{
    WithBar(bar, [&](Bar& b) {
        b.pressed = pressed;
        return true;
    });
    InvalidateRect(bar, nullptr, false);
}

LRESULT BarProc(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        Paint(bar);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(bar);
        SetPressed(bar, HalfAt(bar, lParam));
        return 0;
    case WM_LBUTTONUP: {
        int pressed = -1;
        WithBar(bar, [&](Bar& b) {
            pressed = b.pressed;
            return true;
        });
        const int released = HalfAt(bar, lParam);
        SetPressed(bar, -1);
        ReleaseCapture();
        if (pressed >= 0 && pressed == released)
            Press(bar, pressed);
        return 0;
    }
    case WM_CAPTURECHANGED:
        SetPressed(bar, -1);
        return 0;
    case WM_SHELL_SOFTKEY:
        Press(bar, static_cast<int>(wParam));
        return 0;
    case WM_SETTINGCHANGE:
        Place(bar);
        return 0;
    case WM_SHELL_SYNCBAR: {
        const bool mine = ActiveMenuBar() == bar;
        if (mine != IsWindowVisible(bar))
            ShowWindow(bar, mine ? SW_SHOWNA : SW_HIDE);
        return 0;
    }
    case WM_NCDESTROY: {
        Bars& bars = TheBars();
        std::lock_guard<std::mutex> lock(bars.m);
        bars.byWindow.erase(bar);
        return 0;
    }
    default:
        return DefWindowProc(bar, msg, wParam, lParam);
    }
}

bool EnsureBarClass()
{
    return EnsureClass(kBarClass, BarProc);
}

void Relabel(HWND bar)
{
    InvalidateRect(bar, nullptr, false);
}

} // namespace

void RegisterMenuBarResource(HINSTANCE module, int id, const std::vector<MenuBarButton>& buttons)
{
    Bars& bars = TheBars();
    std::lock_guard<std::mutex> lock(bars.m);
    bars.resources[{module, id}] = buttons;
}

bool SHCreateMenuBar(SHMENUBARINFO* info)
{
    if (!info || !IsWindow(info->hwndParent) || !EnsureBarClass())
        return false;
    std::vector<Button> buttons;
    if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
        Bars& bars = TheBars();
        std::lock_guard<std::mutex> lock(bars.m);
        auto it = bars.resources.find({info->hInstRes, static_cast<int>(info->nToolBarId)});
        if (it == bars.resources.end())
            return false;
        for (const MenuBarButton& b : it->second)
            buttons.push_back(Button{b.command, b.text, true});
    }
    auto data = ShellData(info->hwndParent, true);
    HWND previous;
    {
        WindowLock lock;
        previous = data->menuBar;
    }
    if (previous)
        DestroyWindow(previous);

    const ScreenInfo screen = GetScreen();
    const int height = GetSystemMetrics(SM_CYMENU);
    const HWND bar = CreateWindowEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kBarClass, u"", WS_POPUP, 0,
                                    screen.height - height, screen.width, height, info->hwndParent, nullptr,
                                    info->hInstRes, nullptr);
    if (!bar)
        return false;
    {
        Bars& bars = TheBars();
        std::lock_guard<std::mutex> lock(bars.m);
        bars.byWindow[bar] = Bar{info->hwndParent, std::move(buttons), -1};
    }
    {
        WindowLock lock;
        data->menuBar = bar;
    }
    info->hwndMB = bar;
    if (!(info->dwFlags & SHCMBF_HIDDEN) && GetTopLevelWindow(info->hwndParent) == GetActiveWindow())
        ShowWindow(bar, SW_SHOWNA);
    return true;
}

bool SHEnableSoftkey(HWND menuBar, UINT id, bool byIndex, bool enable)
{
    const bool changed = WithBar(menuBar, [&](Bar& b) {
        for (size_t i = 0; i < b.buttons.size(); ++i) {
            if (byIndex ? i == id : b.buttons[i].command == static_cast<int>(id)) {
                b.buttons[i].enabled = enable;
                return true;
            }
        }
        return false;
    });
    if (changed)
        Relabel(menuBar);
    return changed;
}

namespace Platform {

void DrawSoftKeys(HDC hdc, const RECT& strip, const std::u16string captions[2], const bool enabled[2], int pressed)
{
    HBRUSH background = CreateSolidBrush(kBarColour);
    FillRect(hdc, &strip, background);
    DeleteObject(background);
    const int half = (strip.left + strip.right) / 2;
    const RECT halves[2] = {{strip.left, strip.top, half, strip.bottom}, {half, strip.top, strip.right, strip.bottom}};
    if (pressed == 0 || pressed == 1) {
        HBRUSH highlight = CreateSolidBrush(kPressedColour);
        FillRect(hdc, &halves[pressed], highlight);
        DeleteObject(highlight);
    }
    const RECT edge{strip.left, strip.top, strip.right, strip.top + 1};
    HBRUSH edgeBrush = CreateSolidBrush(kBarEdge);
    FillRect(hdc, &edge, edgeBrush);
    DeleteObject(edgeBrush);

    LOGFONTW lf;
    lf.lfHeight = -ScaleY(kCaptionHeight);
    lf.lfWeight = FW_BOLD;
    std::u16string(u"Tahoma").copy(lf.lfFaceName, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ oldFont = SelectObject(hdc, font);
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    for (int i = 0; i < 2; ++i) {
        RECT r = halves[i];
        SetTextColor(hdc, enabled[i] ? kCaption : kDisabledCaption);
        DrawText(hdc, captions[i].c_str(), static_cast<int>(captions[i].size()), &r,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SetBkMode(hdc, oldMode);
    SelectObject(hdc, oldFont);
    DeleteObject(font);
}

int MenuBarButtonCount(HWND menuBar)
{
    return WithBar(menuBar, [](Bar& b) { return static_cast<int>(b.buttons.size()); });
}

int MenuBarButtonCommand(HWND menuBar, int index)
{
    int command = -1;
    WithBar(menuBar, [&](Bar& b) {
        if (index >= 0 && index < static_cast<int>(b.buttons.size()))
            command = b.buttons[index].command;
        return true;
    });
    return command;
}

bool SetMenuBarButtonText(HWND menuBar, int command, const char16_t* text)
{
    const bool changed = WithBar(menuBar, [&](Bar& b) {
        for (Button& button : b.buttons) {
            if (button.command == command) {
                button.text = text ? text : u"";
                return true;
            }
        }
        return false;
    });
    if (changed)
        Relabel(menuBar);
    return changed;
}

std::u16string MenuBarButtonText(HWND menuBar, int index)
{
    return WithBar(menuBar, [&](Bar& b) {
        if (index < 0 || index >= static_cast<int>(b.buttons.size()))
            return std::u16string();
        return b.buttons[index].text;
    });
}

bool IsSoftKeyEnabled(HWND menuBar, int index)
{
    return WithBar(menuBar, [&](Bar& b) {
        return index >= 0 && index < static_cast<int>(b.buttons.size()) && b.buttons[index].enabled;
    });
}

HWND GetMenuBar(HWND hwnd)
{
    auto data = ShellData(hwnd, false);
    WindowLock lock;
    return data && WindowManager::Get().Live(data->menuBar) ? data->menuBar : nullptr;
}

void ShellActivationChanged()
{
    std::vector<std::pair<HWND, HWND>> bars;
    {
        Bars& all = TheBars();
        std::lock_guard<std::mutex> lock(all.m);
        for (const auto& [bar, state] : all.byWindow)
            bars.emplace_back(bar, state.owner);
    }
    for (const auto& [bar, owner] : bars)
        SendNotifyMessage(bar, WM_SHELL_SYNCBAR, 0, 0);
}

HWND SoftKeyWindow()
{
    if (const HWND bubble = ShownBubble())
        return bubble;
    return ActiveMenuBar();
}

} // namespace Platform
