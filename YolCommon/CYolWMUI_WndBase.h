#pragma once
// The base of every window, control, dialog and settings page: window
// messages become calls of virtual handlers, and painting goes through an
// off-screen bitmap filled with the window's background brush first, so a
// handler never has to erase and nothing flickers.
//
// Paint state: -1 nothing pending, 0 a full repaint (Paint on a fresh
// bitmap), 1 a partial repaint (PaintX draws only what changed, straight
// onto the window). A full repaint, once asked for, wins over a partial one
// until it has been done.

#include "Drawing/Gdi.h"
#include "WindowSystem/Messages.h"
#include "PlatformTypes.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowGeometry.h"
#include "YolTypes.h"

#include <cstdint>

struct DRAWITEMSTRUCT;
struct MEASUREITEMSTRUCT;

namespace UI {

// The common library's own module: the instance its resources (menu bar
// 101, dialog 102) are registered under.
YOL_API HINSTANCE GetYolCommonInstance();

// The ids of those resources.
constexpr int kSoftKeysMenuId = 101;
constexpr int kEmptyPaneDialogId = 102;
// The commands of the soft-key menu bar's left and right button.
constexpr int kLeftSoftKeyCommand = 40002;
constexpr int kRightSoftKeyCommand = 40004;

class YOL_API CYolWMUI_WndBase {
public:
    enum TPaintState : int { EPaintIdle = -1, EPaintFull = 0, EPaintPartial = 1 };

    CYolWMUI_WndBase() = default;
    // Both objects then refer to the one window; the window keeps talking to
    // the object it was created with.
    CYolWMUI_WndBase(const CYolWMUI_WndBase& other);
    CYolWMUI_WndBase& operator=(const CYolWMUI_WndBase& other);
    // Destroys the window if it still exists, after detaching it from this
    // object so that no message reaches a half-destroyed object.
    virtual ~CYolWMUI_WndBase();

    virtual void OnCreate();
    virtual void OnWindowPosChanged(WINDOWPOS* pos);
    // Every message the dispatcher has no handler of its own for. Answers 0
    // when handled, non-zero to let the default processing run.
    virtual int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam);
    virtual void OnCommand(unsigned short code, unsigned short id, HWND control);
    virtual void OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header);
    virtual void OnDrawItem(unsigned int id, DRAWITEMSTRUCT* item);
    virtual void OnMeasureItem(unsigned int id, MEASUREITEMSTRUCT* item);
    virtual void OnTimer(int id, TIMERPROC proc);
    virtual void OnKeyDown(int key);
    virtual void OnKeyUp(int key);
    virtual void OnChar(char16_t character, long data);
    virtual void OnLButtonDown(int keys, POINT point);
    virtual void OnLButtonUp(int keys, POINT point);
    virtual void OnMouseMove(int keys, POINT point);
    virtual void OnSetFocus(HWND other);
    virtual void OnKillFocus(HWND other);
    virtual int OnGetDlgCode();
    // A brush answers the control's colour message as it is; null lets the
    // window's own background and text colour apply.
    virtual HBRUSH OnCtlColor(HDC hdc, HWND control);
    virtual void OnClose();
    // Full repaint onto the off-screen bitmap, already filled with
    // GetBkBrush().
    virtual void Paint(HDC hdc);
    // Partial repaint onto the window itself.
    virtual void PaintX(HDC hdc);
    virtual HBRUSH GetBkBrush();
    virtual COLORREF GetTextColor();

    operator HWND() const { return m_hWnd; }
    HWND Handle() const { return m_hWnd; }
    int PaintState() const { return m_paintState; }

    bool IsVisible() const;
    HWND Parent() const;
    // Showing also raises the window to the top; hiding keeps the Z order.
    void Show(int show);
    void Move(int x, int y);
    void Resize(int width, int height);
    void MoveAndResize(int x, int y, int width, int height);
    void MoveAndResize(const RECT& rect);
    void UpInZOrder();
    int GetClientWidth() const;
    int GetClientHeight() const;
    void Redraw(int mode);
    void RedrawNow(int mode);

protected:
    // The procedures that route a window's and a dialog's messages to the
    // object kept in its user data.
    static LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static std::intptr_t DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    int m_paintState = EPaintIdle;

private:
    // Answers whether the message was handled, with its answer.
    bool Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, bool dialog, LRESULT& answer);
    LRESULT ControlColor(HDC hdc, HWND control);
    void DoPaint();
};

// A child window of the library's own class "YOLWNDCLASS".
class YOL_API CYolWMUI_Wnd : public CYolWMUI_WndBase {
public:
    static constexpr const char16_t* kClassName = u"YOLWNDCLASS";

    // The class is registered by the first call; when that fails the call
    // answers 0 and the next one tries again. Answers 0 as well when the
    // window could not be made.
    int Create(HINSTANCE instance, HWND parent, unsigned long style, const RECT& rect);
};

} // namespace UI
