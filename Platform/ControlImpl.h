#pragma once
// What the control classes share: their state beside the window, the parent
// notifications, the control colours and the font.

#include "Control.h"
#include "Gdi.h"
#include "Messages.h"
#include "MessageQueue.h"
#include "Window.h"
#include "WindowFocus.h"
#include "WindowGeometry.h"
#include "WindowPaint.h"

#include <memory>
#include <string>

namespace Platform::Controls {

// A control's state lives in the window's extra slot under the state type's
// own key; handlers hold a reference for the message, so a control destroyed
// inside its own notification does not pull the state from under them.
template <class T>
std::shared_ptr<T> StateOf(HWND hwnd)
{
    return std::static_pointer_cast<T>(GetWindowExtra(hwnd, &T::key));
}

template <class T>
std::shared_ptr<T> MakeState(HWND hwnd)
{
    auto state = std::make_shared<T>();
    SetWindowExtra(hwnd, &T::key, state);
    return state;
}

inline std::uint32_t StyleOf(HWND hwnd)
{
    return static_cast<std::uint32_t>(GetWindowLong(hwnd, GWL_STYLE));
}

inline RECT ClientOf(HWND hwnd)
{
    RECT r;
    GetClientRect(hwnd, &r);
    return r;
}

std::u16string TextOf(HWND hwnd);

// WM_COMMAND with the control's id and `code` to its parent.
void Notify(HWND control, unsigned code);
// WM_NOTIFY with a record whose head names the control.
LRESULT NotifyRecord(HWND control, NMHDR* record, UINT code);

// Sets the default colours on the context, asks the parent with
// `ctlColorMessage` and answers its brush, or `fallback` when it has none.
HBRUSH ControlBrush(HWND control, HDC hdc, UINT ctlColorMessage, HBRUSH fallback);

// The font a control draws with: the one WM_SETFONT gave, else the default
// GUI font.
HFONT FontOr(HFONT font);
// Line height of the font.
int LineHeight(HFONT font);

// Window procedures of the classes (registered in Control.cpp).
LRESULT StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ScrollBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboProc(HWND, UINT, WPARAM, LPARAM);
// The pop-up list a combo box drops.
constexpr const char16_t* WC_COMBOLIST = u"combolbox";
LRESULT ComboListProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ProgressProc(HWND, UINT, WPARAM, LPARAM);
LRESULT UpDownProc(HWND, UINT, WPARAM, LPARAM);
LRESULT TrackbarProc(HWND, UINT, WPARAM, LPARAM);
// Installs the painting and pen handling of WS_VSCROLL windows' bars.
void InstallWindowScrollBars();

} // namespace Platform::Controls
