#include "CYolWMUI_Splash.h"

#include "CYolWMSkins_ImageManager.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"
#include "SkinImages.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowPaint.h"

namespace UI {

namespace {

// The class stays registered for the life of the process; a later splash
// reuses it. A class of that name with another procedure is not ours to use.
bool EnsureWindowClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASS existing;
    if (GetClassInfo(instance, CYolWMUI_Splash::kClassName, &existing))
        return existing.lpfnWndProc == proc;
    WNDCLASS wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hbrBackground = SysColorBrushValue(COLOR_WINDOW);
    wc.lpszClassName = CYolWMUI_Splash::kClassName;
    return RegisterClass(&wc) != 0;
}

}  // namespace

CYolWMUI_Splash::CYolWMUI_Splash(Skins::CYolWMSkins_ImageManager& images) : m_images(images) {}

CYolWMUI_Splash::~CYolWMUI_Splash() {
    if (m_hWnd != nullptr) {
        // Nothing may reach this object once its destructor runs.
        SetWindowLong(m_hWnd, GWL_USERDATA, 0);
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
    m_images.Release(Skins::SKIN_IMG_SPLASH);
}

bool CYolWMUI_Splash::Create(HINSTANCE instance) {
    if (m_hWnd != nullptr || !EnsureWindowClass(instance, &CYolWMUI_Splash::WindowProc))
        return false;
    m_hWnd = CreateWindowEx(WS_EX_TOOLWINDOW, kClassName, u"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
                            nullptr, instance, this);
    if (m_hWnd == nullptr)
        return false;
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return true;
}

void CYolWMUI_Splash::SetText(const CYolString& text) {
    m_text = text;
    if (m_hWnd != nullptr)
        InvalidateRect(m_hWnd, nullptr, true);
}

void CYolWMUI_Splash::FitToScreen() {
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN),
                 GetSystemMetrics(SM_CYVIRTUALSCREEN), SWP_SHOWWINDOW);
}

void CYolWMUI_Splash::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const SIZE picture = m_images.GetImageSize(Skins::SKIN_IMG_SPLASH);
    const int width = Platform::ScaleX(picture.cx);
    const int height = Platform::ScaleY(picture.cy);
    const int left = (client.left + client.right - width) / 2;
    const int top = (client.top + client.bottom - height) / 2;
    // A repaint that leaves the top edge alone is one of the text line.
    if (ps.rcPaint.top == 0)
        m_images.DrawRect(Skins::SKIN_IMG_SPLASH, dc, left, top, left + width, top + height, true, 255);
    if (!m_text.IsEmpty()) {
        const int line = (top + height + client.bottom) / 2;
        RECT at{client.left, line, client.right, line};
        DrawText(dc, m_text.c_str(), -1, &at, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
    }
    EndPaint(m_hWnd, &ps);
}

LRESULT CYolWMUI_Splash::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCT*>(lParam);
        SetWindowLong(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CYolWMUI_Splash*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (self == nullptr)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT:
        self->OnPaint();
        return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SETTINGCHANGE_RESET || wParam == SPI_SETSIPINFO)
            self->FitToScreen();
        return 0;
    case WM_DESTROY:
        // Destroyed from outside (its owner thread ended, say): forget it.
        self->m_hWnd = nullptr;
        SetWindowLong(hwnd, GWL_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace UI
