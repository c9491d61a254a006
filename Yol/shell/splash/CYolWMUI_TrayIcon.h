#pragma once
// UI::CYolWMUI_TrayIcon: the program's icon in the notification area. It
// shows the global status's picture and brings the main window forward when
// tapped. The application owns one, made once its main window exists, and
// drives it on the UI thread: Update when the global status changes, Show
// when the tray-icon preference is switched, Remove when the window closes,
// and OnTrayMessage for the icon's call-back message.

#include "CYolArray.h"
#include "Drawing/Icon.h"
#include "PlatformTypes.h"

#include <functional>

namespace Services {
class CServicesManager;
}
namespace Skins {
class CYolWMSkins_ImageManager;
}

namespace UI {

class CYolWMUI_TrayIcon {
public:
    static constexpr UINT kIconId = 5999;
    // The message the main window gets for the icon: wParam the icon id,
    // lParam the stylus message.
    static constexpr UINT kCallbackMessage = 1124;

    // `enabled` answers the tray-icon preference at each Update. The global
    // status comes from the protocols manager, found through `services` on
    // each use.
    CYolWMUI_TrayIcon(HWND mainWindow, Skins::CYolWMSkins_ImageManager& images, Services::CServicesManager* services,
                      std::function<bool()> enabled);
    // Takes the icon out of the notification area.
    ~CYolWMUI_TrayIcon();
    CYolWMUI_TrayIcon(const CYolWMUI_TrayIcon&) = delete;
    CYolWMUI_TrayIcon& operator=(const CYolWMUI_TrayIcon&) = delete;

    // While the preference is on: shows the current global status, adding
    // the icon or changing the one shown.
    void Update();
    void Remove();
    // true adds the icon when none is shown; false removes a shown one.
    void Show(bool show);
    // The icon's call-back message; true when it was the tap that brings
    // the main window and its owned windows forward.
    bool OnTrayMessage(UINT iconId, UINT mouseMessage);

    bool IsShown() const { return m_icon != nullptr; }

    // The picture of an icon-id list: the skin pictures drawn over each
    // other in list order, transparent wherever none of them drew. An empty
    // list, or one that starts with -1, gives a fully transparent icon. The
    // caller destroys the icon.
    static HICON CreateStatusIcon(Skins::CYolWMSkins_ImageManager& images, const CYolArray<unsigned int>& ids);

private:
    HWND m_mainWindow;
    Skins::CYolWMSkins_ImageManager& m_images;
    Services::CServicesManager* m_services;
    std::function<bool()> m_enabled;
    HICON m_icon = nullptr;
};

}  // namespace UI
