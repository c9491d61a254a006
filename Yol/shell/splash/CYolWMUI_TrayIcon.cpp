#include "CYolWMUI_TrayIcon.h"

#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "CYolWMSkins_ImageManager.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"
#include "Shell/Tray.h"
#include "WindowSystem/Messages.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"
#include "YolGuids.h"

#include <cstdint>

namespace UI {

namespace {

constexpr unsigned int kNoImage = static_cast<unsigned int>(-1);

// A bitmap of the screen's kind selected into a memory context of its own.
class CCanvas {
public:
    CCanvas(HDC screen, int side, COLORREF fill)
        : dc(CreateCompatibleDC(screen)), bitmap(CreateCompatibleBitmap(screen, side, side)) {
        previous = SelectObject(dc, bitmap);
        const RECT all{0, 0, side, side};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~CCanvas() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    // Selected out, so that an icon can be made of it.
    HBITMAP Release() {
        SelectObject(dc, previous);
        previous = nullptr;
        return bitmap;
    }

    const HDC dc;
    const HBITMAP bitmap;

private:
    HGDIOBJ previous = nullptr;
};

void SetNotifyData(NOTIFYICONDATA& data, HWND window, HICON icon) {
    data.cbSize = 152;
    data.hWnd = window;
    data.uID = CYolWMUI_TrayIcon::kIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = CYolWMUI_TrayIcon::kCallbackMessage;
    data.hIcon = icon;
}

}  // namespace

CYolWMUI_TrayIcon::CYolWMUI_TrayIcon(HWND mainWindow, Skins::CYolWMSkins_ImageManager& images,
                                     Services::CServicesManager* services, std::function<bool()> enabled)
    : m_mainWindow(mainWindow), m_images(images), m_services(services), m_enabled(std::move(enabled)) {}

CYolWMUI_TrayIcon::~CYolWMUI_TrayIcon() {
    Remove();
}

HICON CYolWMUI_TrayIcon::CreateStatusIcon(Skins::CYolWMSkins_ImageManager& images, const CYolArray<unsigned int>& ids) {
    const int side = (g_HIDPI_LogPixelsX + 3) * 16 / 96;
    HDC screen = GetDC(nullptr);
    CCanvas colour(screen, side, RGB(0, 0, 0));
    CCanvas mask(screen, side, RGB(255, 255, 255));
    ReleaseDC(nullptr, screen);
    if (ids.Count() > 0 && ids[0] != kNoImage) {
        for (unsigned int id : ids)
            images.Draw(static_cast<int>(id), colour.dc, POINT{0, 0}, 255);
        // Whatever a picture left on the black ground shows; the rest of the
        // square stays see-through.
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                if (GetPixel(colour.dc, x, y) != RGB(0, 0, 0))
                    SetPixel(mask.dc, x, y, RGB(0, 0, 0));
            }
        }
    }
    ICONINFO info;
    info.fIcon = true;
    info.hbmMask = mask.Release();
    info.hbmColor = colour.Release();
    return CreateIconIndirect(&info);
}

void CYolWMUI_TrayIcon::Update() {
    if (m_enabled && !m_enabled())
        return;
    Protocols::Status status = Protocols::Offline;
    Protocols::StatusInfo info;
    auto* manager = m_services != nullptr
                        ? static_cast<Protocols::CProtocolsManager*>(m_services->GetService(ProtocolsManagerGuid))
                        : nullptr;
    if (manager != nullptr && manager->GetStatus(0, status) == 0)
        manager->GetStatusInfo(0, status, info);
    HICON icon = CreateStatusIcon(m_images, info.icon);
    NOTIFYICONDATA data;
    SetNotifyData(data, m_mainWindow, icon);
    // An icon the shell no longer holds is added anew.
    const bool shown = (m_icon != nullptr && Shell_NotifyIcon(NIM_MODIFY, &data)) || Shell_NotifyIcon(NIM_ADD, &data);
    if (!shown) {
        // Nothing shows it; the next Update starts over.
        DestroyIcon(icon);
        Remove();
        return;
    }
    if (m_icon != nullptr)
        DestroyIcon(m_icon);
    m_icon = icon;
}

void CYolWMUI_TrayIcon::Remove() {
    if (m_icon == nullptr)
        return;
    DestroyIcon(m_icon);
    m_icon = nullptr;
    NOTIFYICONDATA data;
    SetNotifyData(data, m_mainWindow, nullptr);
    data.uFlags = 0;
    Shell_NotifyIcon(NIM_DELETE, &data);
}

void CYolWMUI_TrayIcon::Show(bool show) {
    if (show && m_icon == nullptr)
        Update();
    else if (!show && m_icon != nullptr)
        Remove();
}

bool CYolWMUI_TrayIcon::OnTrayMessage(UINT iconId, UINT mouseMessage) {
    if (iconId != kIconId || mouseMessage != WM_LBUTTONDOWN)
        return false;
    // The low bit asks for the window's owned windows to come along.
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(m_mainWindow) | 1));
    return true;
}

}  // namespace UI
