#pragma once
// A small push button that shows one skin image instead of a caption. It
// tells its parent of a press with WM_COMMAND (0xFFFF, its own window),
// moves the dialog focus with the arrow keys and Tab, and frames itself
// while it has the focus. The pressed state changes what a release does,
// not how the button looks.

#include "CYolWMUI_WndBase.h"

namespace UI {

class CYolWMUI_Button : public CYolWMUI_Wnd {
public:
    // The first parameter of the press notification.
    static constexpr WPARAM kPressCode = 0xFFFF;

    explicit CYolWMUI_Button(int imageId);

    // A visible child of `parent` at `rect`; null when the window could not
    // be made. The caller owns the object.
    static CYolWMUI_Button* CreateButton(HWND parent, const RECT& rect, int imageId);

    int ImageId() const { return m_imageId; }
    bool IsPressed() const { return m_pressed; }

    void OnKeyDown(int key) override;
    void OnKeyUp(int key) override;
    void OnChar(char16_t character, long data) override;
    void OnLButtonDown(int keys, POINT point) override;
    void OnLButtonUp(int keys, POINT point) override;
    void OnSetFocus(HWND other) override;
    void OnKillFocus(HWND other) override;
    int OnGetDlgCode() override;
    void Paint(HDC hdc) override;

private:
    void NotifyPress();

    int m_imageId;
    bool m_pressed = false;
};

} // namespace UI
