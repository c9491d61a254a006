#pragma once
// Windows: classes, creation, the parent/child/owner tree, the per-window
// words (user data, procedure, style, id), window procedures with
// subclassing, window text and destruction.
//
// A window belongs to the thread that created it: its messages are handled
// there, and only that thread may destroy it. The queries and setters here
// may be called from any thread; a message that has to be handled (a send,
// SetWindowText to another thread's window) waits for the owning thread.
// When that thread ends, its windows go without further messages. Handles
// of destroyed windows stay invalid for good: they are never reused, so
// IsWindow on a stale handle is always false.

#include "Messages.h"
#include "PlatformTypes.h"
#include "WindowModule.h"
#include "YolTypes.h"

#include <cstdint>
#include <memory>

using LONG_PTR = std::intptr_t;
using ATOM = std::uint16_t;

// Window styles. A child window (WS_CHILD) lives in its parent's client area
// and moves with it; any other window is top-level, positioned on the screen
// and possibly owned by another top-level window.
constexpr std::uint32_t WS_OVERLAPPED = 0x00000000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_POPUP = 0x80000000;

// Extended styles.
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr std::uint32_t WS_EX_CONTROLPARENT = 0x00010000;
constexpr std::uint32_t WS_EX_NOACTIVATE = 0x08000000;

// Class styles: repaint the whole window when its width / height changes;
// turn a second quick tap at the same place into WM_LBUTTONDBLCLK.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

// Position or size that lets the system choose: the whole screen.
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// Indexes of the per-window words.
constexpr int GWL_WNDPROC = -4;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;

// Relations for GetWindow.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

struct WNDCLASS {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HGDIOBJ hIcon = nullptr;
    HGDIOBJ hCursor = nullptr;
    // Filled in by the default WM_ERASEBKGND; null leaves the background.
    HBRUSH hbrBackground = nullptr;
    const char16_t* lpszMenuName = nullptr;
    const char16_t* lpszClassName = nullptr;
};

// lParam of WM_CREATE.
struct CREATESTRUCT {
    void* lpCreateParams = nullptr;
    HINSTANCE hInstance = nullptr;
    HMENU hMenu = nullptr;
    HWND hwndParent = nullptr;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    std::uint32_t style = 0;
    const char16_t* lpszName = nullptr;
    const char16_t* lpszClass = nullptr;
    std::uint32_t dwExStyle = 0;
};

// Class names compare without regard to ASCII case. Registering a name that
// exists fails (0). Unregistering fails while windows of the class exist.
YOL_API ATOM RegisterClass(const WNDCLASS* wc);
YOL_API bool UnregisterClass(const char16_t* className, HINSTANCE instance);
YOL_API bool GetClassInfo(HINSTANCE instance, const char16_t* className, WNDCLASS* out);
// Copies the class name with its terminator, cut to `maxCount`; answers the
// units copied without the terminator.
YOL_API int GetClassName(HWND hwnd, char16_t* buffer, int maxCount);

// Creates a window of a registered class. For a child window `menuOrId`
// carries its control id (cast to HMENU); `parent` is the parent of a child
// and the owner of a top-level window. WM_CREATE gets `param` in its
// CREATESTRUCT; a WM_CREATE answer of -1 destroys the window again and
// CreateWindowEx answers null. CW_USEDEFAULT in x or width gives the whole
// screen.
YOL_API HWND CreateWindowEx(std::uint32_t exStyle, const char16_t* className, const char16_t* windowName,
                            std::uint32_t style, int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                            HINSTANCE instance, void* param);

// Destroys the window, its children and the top-level windows it owns, and
// with them their timers and queued messages; a send still waiting for one
// of them answers 0. Safe from inside the window's own handlers: the handler
// that is running finishes, later calls on the handle fail. Only the owning
// thread may destroy a window.
YOL_API bool DestroyWindow(HWND hwnd);
YOL_API bool IsWindow(HWND hwnd);

YOL_API HWND GetParent(HWND hwnd);
YOL_API HWND GetWindow(HWND hwnd, UINT relation);
YOL_API bool IsChild(HWND parent, HWND hwnd);
// The top-level window that contains `hwnd` (itself for a top-level one).
YOL_API HWND GetTopLevelWindow(HWND hwnd);
// Top-level windows only; a null argument matches anything.
YOL_API HWND FindWindow(const char16_t* className, const char16_t* windowName);
// The child with that control id among the direct children of `parent`.
YOL_API HWND GetDlgItem(HWND parent, int id);
YOL_API int GetDlgCtrlID(HWND hwnd);

// Per-window words; GWL_WNDPROC replaces the window procedure (subclassing)
// and answers the previous one, which the new procedure passes messages on
// to with CallWindowProc.
YOL_API LONG_PTR GetWindowLong(HWND hwnd, int index);
YOL_API LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value);
YOL_API LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// What a window procedure does with messages it leaves alone: WM_CLOSE
// destroys the window, WM_SETTEXT / WM_GETTEXT keep the text, WM_PAINT
// validates, WM_ERASEBKGND fills with the class brush, WM_WINDOWPOSCHANGED
// sends WM_SIZE and WM_MOVE, WM_ACTIVATE focuses the window, WM_CONTEXTMENU
// goes on to the parent of a child window.
YOL_API LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace Platform {
// State that code other than the window's procedure keeps for a window (the
// scroll bar of a WS_VSCROLL window, for one), under a key of that code's
// own. It is released when the window goes. Null when there is none.
YOL_API bool SetWindowExtra(HWND hwnd, const void* key, std::shared_ptr<void> value);
YOL_API std::shared_ptr<void> GetWindowExtra(HWND hwnd, const void* key);
} // namespace Platform

// Window text, through WM_SETTEXT / WM_GETTEXT.
YOL_API bool SetWindowText(HWND hwnd, const char16_t* text);
YOL_API int GetWindowText(HWND hwnd, char16_t* buffer, int maxCount);
YOL_API int GetWindowTextLength(HWND hwnd);
