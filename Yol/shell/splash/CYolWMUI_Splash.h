#pragma once
// UI::CYolWMUI_Splash: the window that covers the screen from the creation of
// the user interface until the contact list is ready: the skin's splash
// picture centred, and one line of progress text below it.
//
// The object owns its window and a use of the splash picture: deleting it
// destroys the window and frees the picture's memory, so delete it on the UI
// thread that created it.

#include "CYolString.h"
#include "PlatformTypes.h"

namespace Skins {
class CYolWMSkins_ImageManager;
}

namespace UI {

class CYolWMUI_Splash {
public:
    static constexpr const char16_t* kClassName = u"YOLPDASPLASHWND";

    explicit CYolWMUI_Splash(Skins::CYolWMSkins_ImageManager& images);
    ~CYolWMUI_Splash();
    CYolWMUI_Splash(const CYolWMUI_Splash&) = delete;
    CYolWMUI_Splash& operator=(const CYolWMUI_Splash&) = delete;

    // Makes the top-most window over the whole screen and shows it; false
    // when the window could not be made (or exists already).
    bool Create(HINSTANCE instance);
    // The progress line; repaints the whole window.
    void SetText(const CYolString& text);

    HWND GetWindow() const { return m_hWnd; }
    const CYolString& GetText() const { return m_text; }

private:
    static LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void FitToScreen();

    Skins::CYolWMSkins_ImageManager& m_images;
    HWND m_hWnd = nullptr;
    CYolString m_text;
};

}  // namespace UI
