// The notification bubble: the window that shows the notification the model
// has popped up.

#include "DesktopNotifications.h"
#include "Drawing/Gdi.h"
#include "ShellImpl.h"
#include "ShellNotification.h"
#include "ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowImpl.h"
#include "WindowSystem/WindowPaint.h"

#include <algorithm>
#include <mutex>

using namespace Platform;

namespace {

constexpr const char16_t* kBubbleClass = u"YolPlatformBubble";
constexpr std::uintptr_t kDurationTimer = 1;
// Posted to the bubble by other threads: bring the window in line with the
// model.
constexpr UINT kSyncMessage = WM_USER + 1;

// The bubble's look, in logical pixels and colours.
constexpr int kBodyHeight = 120;
constexpr int kTitleHeight = 20;
constexpr int kMargin = 4;
constexpr int kTitleFont = 12;
constexpr int kBodyFont = 11;
constexpr int kIconSide = 16;
constexpr COLORREF kTitleBand = RGB(36, 52, 82);
constexpr COLORREF kTitleText = RGB(255, 255, 255);
constexpr COLORREF kBody = RGB(255, 255, 255);
constexpr COLORREF kBodyText = RGB(0, 0, 0);
constexpr COLORREF kFrame = RGB(96, 118, 160);

struct Bubble {
    std::mutex m;
    HWND window = nullptr;
    int pressed = -1;
};

Bubble& TheBubble()
{
    static Bubble* bubble = new Bubble;
    return *bubble;
}

HWND BubbleWindow()
{
    Bubble& b = TheBubble();
    std::lock_guard<std::mutex> lock(b.m);
    return b.window;
}

int Pressed()
{
    Bubble& b = TheBubble();
    std::lock_guard<std::mutex> lock(b.m);
    return b.pressed;
}

void SetPressed(HWND hwnd, int pressed)
{
    {
        Bubble& b = TheBubble();
        std::lock_guard<std::mutex> lock(b.m);
        b.pressed = pressed;
    }
    InvalidateRect(hwnd, nullptr, false);
}

RECT Placement()
{
    const ScreenInfo screen = GetScreen();
    const int height = ScaleY(kBodyHeight) + GetSystemMetrics(SM_CYMENU);
    return RECT{0, screen.height - height, screen.width, screen.height};
}

RECT KeyStrip(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    client.top = client.bottom - GetSystemMetrics(SM_CYMENU);
    return client;
}

HFONT MakeFont(int logicalHeight, bool bold)
{
    LOGFONTW lf;
    lf.lfHeight = -ScaleY(logicalHeight);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    std::u16string(u"Tahoma").copy(lf.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

void FillColour(HDC hdc, const RECT& r, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(hdc, &r, brush);
    DeleteObject(brush);
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (!hdc)
        return;
    ShellNotification n;
    const bool have = BubbleNotification(&n);
    RECT client;
    GetClientRect(hwnd, &client);
    const RECT strip = KeyStrip(hwnd);
    const RECT band{client.left, client.top, client.right, client.top + ScaleY(kTitleHeight)};
    RECT body{client.left, band.bottom, client.right, strip.top};
    FillColour(hdc, body, kBody);
    FillColour(hdc, band, kTitleBand);
    HBRUSH frame = CreateSolidBrush(kFrame);
    FrameRect(hdc, &client, frame);
    DeleteObject(frame);

    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    HFONT titleFont = MakeFont(kTitleFont, true);
    HGDIOBJ oldFont = SelectObject(hdc, titleFont);
    RECT titleRect = band;
    InflateRect(&titleRect, -ScaleX(kMargin), 0);
    if (have && n.picture.get()) {
        // The notification's icon leads the title.
        const int side = std::min(ScaleY(kIconSide), static_cast<int>(band.bottom - band.top));
        const int top = band.top + (band.bottom - band.top - side) / 2;
        DrawIconEx(hdc, titleRect.left, top, n.picture.get(), side, side, 0, nullptr, DI_NORMAL);
        titleRect.left += side + ScaleX(kMargin);
    }
    SetTextColor(hdc, kTitleText);
    if (have)
        DrawText(hdc, n.title.c_str(), static_cast<int>(n.title.size()), &titleRect,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);

    HFONT bodyFont = MakeFont(kBodyFont, false);
    SelectObject(hdc, bodyFont);
    InflateRect(&body, -ScaleX(kMargin), -ScaleY(kMargin));
    SetTextColor(hdc, kBodyText);
    if (have) {
        const std::u16string text = HtmlToText(n.html);
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &body, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    SelectObject(hdc, oldFont);
    DeleteObject(titleFont);
    DeleteObject(bodyFont);
    SetBkMode(hdc, oldMode);

    std::u16string captions[2];
    bool enabled[2] = {false, false};
    for (int i = 0; have && i < 2; ++i) {
        captions[i] = n.keys[i].title;
        enabled[i] = !n.keys[i].title.empty() && !(n.keys[i].flags & NOTIF_SOFTKEY_FLAGS_DISABLED);
    }
    DrawSoftKeys(hdc, strip, captions, enabled, Pressed());
    EndPaint(hwnd, &ps);
}

int KeyAt(HWND hwnd, LPARAM lParam)
{
    const RECT strip = KeyStrip(hwnd);
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!PtInRect(&strip, p))
        return -1;
    return p.x < (strip.left + strip.right) / 2 ? 0 : 1;
}

LRESULT BubbleProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        SetPressed(hwnd, KeyAt(hwnd, lParam));
        return 0;
    case WM_LBUTTONUP: {
        const int pressed = Pressed();
        SetPressed(hwnd, -1);
        ReleaseCapture();
        if (pressed >= 0 && pressed == KeyAt(hwnd, lParam))
            PressBubbleKey(pressed);
        return 0;
    }
    case WM_CAPTURECHANGED:
        SetPressed(hwnd, -1);
        return 0;
    case WM_SHELL_SOFTKEY:
        PressBubbleKey(static_cast<int>(wParam));
        return 0;
    case kSyncMessage:
        SyncBubble(false);
        return 0;
    case WM_TIMER:
        if (wParam == kDurationTimer) {
            KillTimer(hwnd, kDurationTimer);
            BubbleTimedOut();
        }
        return 0;
    case WM_SETTINGCHANGE: {
        const RECT r = Placement();
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_NCDESTROY: {
        Bubble& b = TheBubble();
        std::lock_guard<std::mutex> lock(b.m);
        if (b.window == hwnd) {
            b.window = nullptr;
            b.pressed = -1;
        }
        return 0;
    }
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

HWND MakeBubbleWindow()
{
    EnsureClass(kBubbleClass, BubbleProc);
    const RECT r = Placement();
    const HWND hwnd = CreateWindowEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kBubbleClass, u"",
                                     WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                     nullptr, nullptr);
    Bubble& b = TheBubble();
    std::lock_guard<std::mutex> lock(b.m);
    b.window = hwnd;
    return hwnd;
}

} // namespace

namespace Platform {

void SyncBubble(bool restartTimer)
{
    ShellNotification n;
    HWND hwnd = BubbleWindow();
    if (!BubbleNotification(&n)) {
        if (hwnd)
            DestroyWindow(hwnd);
        return;
    }
    if (!hwnd) {
        hwnd = MakeBubbleWindow();
        restartTimer = true;
    }
    if (!hwnd)
        return;
    if (restartTimer) {
        KillTimer(hwnd, kDurationTimer);
        if (n.duration != SHN_DURATION_FOREVER)
            SetTimer(hwnd, kDurationTimer, n.duration > 0xFFFFFFFFu / 1000 ? 0xFFFFFFFFu : n.duration * 1000, nullptr);
    }
    InvalidateRect(hwnd, nullptr, false);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void RequestBubbleSync()
{
    if (const HWND hwnd = BubbleWindow())
        PostMessage(hwnd, kSyncMessage, 0, 0);
}

HWND ShownBubble()
{
    const HWND hwnd = BubbleWindow();
    return hwnd && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

HWND GetNotificationBubble()
{
    return ShownBubble();
}

} // namespace Platform
