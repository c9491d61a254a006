#include "CYolWMUI_Button.h"

#include "DialogResources.h"
#include "MYolWMUI_Skin.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowInput.h"
#include "WindowSystem/WindowKeys.h"

#include <memory>

namespace UI {

namespace {

// wParam of WM_NEXTDLGCTL for each navigation key: 0 forward, 1 backward.
struct TNavKey {
    int key;
    WPARAM backward;
};
constexpr TNavKey kNavKeys[] = {
    {VK_TAB, 0}, {VK_RIGHT, 0}, {VK_DOWN, 0}, {VK_LEFT, 1}, {VK_UP, 1},
};

} // namespace

CYolWMUI_Button::CYolWMUI_Button(int imageId) : m_imageId(imageId) {}

CYolWMUI_Button* CYolWMUI_Button::CreateButton(HWND parent, const RECT& rect, int imageId)
{
    auto button = std::make_unique<CYolWMUI_Button>(imageId);
    if (!button->Create(GetProgramInstance(), parent, WS_VISIBLE | WS_BORDER | WS_TABSTOP, rect))
        return nullptr;
    return button.release();
}

int CYolWMUI_Button::OnGetDlgCode()
{
    return static_cast<int>(DLGC_WANTARROWS | DLGC_WANTTAB);
}

void CYolWMUI_Button::OnKeyDown(int key)
{
    for (const TNavKey& nav : kNavKeys) {
        if (nav.key == key) {
            PostMessage(Parent(), WM_NEXTDLGCTL, nav.backward, 0);
            Redraw(0);
            return;
        }
    }
    if (key == static_cast<int>(VK_RETURN) || key == static_cast<int>(VK_SPACE)) {
        m_pressed = true;
        Redraw(0);
    }
}

void CYolWMUI_Button::OnKeyUp(int)
{
    if (!m_pressed)
        return;
    const HWND self = m_hWnd;
    NotifyPress();
    if (!IsWindow(self))
        return;
    m_pressed = false;
    Redraw(0);
}

void CYolWMUI_Button::OnChar(char16_t character, long data)
{
    if (character == u'\t' || character == u'\r' || character == u' ')
        return;
    SendMessage(Parent(), WM_CHAR, character, data);
}

void CYolWMUI_Button::OnLButtonDown(int, POINT)
{
    SetCapture(m_hWnd);
    m_pressed = true;
    SetFocus(m_hWnd);
    Redraw(0);
}

void CYolWMUI_Button::OnLButtonUp(int, POINT)
{
    // A press counts wherever the pen is lifted: the button is too small to
    // aim a release at. The parent may delete the button while it handles
    // the press; then nothing of it is touched any more.
    const HWND self = m_hWnd;
    NotifyPress();
    if (!IsWindow(self))
        return;
    ReleaseCapture();
    m_pressed = false;
    Redraw(0);
}

void CYolWMUI_Button::OnSetFocus(HWND)
{
    Redraw(0);
}

void CYolWMUI_Button::OnKillFocus(HWND)
{
    Redraw(0);
}

void CYolWMUI_Button::Paint(HDC hdc)
{
    const int width = GetClientWidth();
    const int height = GetClientHeight();
    const POINT at{(width - Platform::ScaleX(16)) / 2, (height - Platform::ScaleY(16)) / 2};
    ShellSkin().DrawImage(hdc, m_imageId, at, 255);
    if (GetFocus() != m_hWnd)
        return;
    HGDIOBJ old = SelectObject(hdc, GetStockObject(BLACK_PEN));
    const POINT frame[] = {{0, 0}, {width - 1, 0}, {width - 1, height - 1}, {0, height - 1}, {0, 0}};
    Polyline(hdc, frame, 5);
    SelectObject(hdc, old);
}

void CYolWMUI_Button::NotifyPress()
{
    SendMessage(Parent(), WM_COMMAND, kPressCode, reinterpret_cast<LPARAM>(m_hWnd));
}

} // namespace UI
