#include "CYolWMUI_WndBase.h"

#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowPaint.h"

namespace UI {

CYolWMUI_WndBase::CYolWMUI_WndBase(const CYolWMUI_WndBase& other)
    : m_hWnd(other.m_hWnd), m_paintState(other.m_paintState)
{
}

CYolWMUI_WndBase& CYolWMUI_WndBase::operator=(const CYolWMUI_WndBase& other)
{
    m_hWnd = other.m_hWnd;
    m_paintState = other.m_paintState;
    return *this;
}

CYolWMUI_WndBase::~CYolWMUI_WndBase()
{
    if (!m_hWnd || !IsWindow(m_hWnd))
        return;
    const HWND hwnd = m_hWnd;
    if (GetWindowLong(hwnd, GWL_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        SetWindowLong(hwnd, GWL_USERDATA, 0);
    m_hWnd = nullptr;
    DestroyWindow(hwnd);
}

void CYolWMUI_WndBase::OnCreate() {}
void CYolWMUI_WndBase::OnWindowPosChanged(WINDOWPOS*) {}
int CYolWMUI_WndBase::OnMessage(unsigned int, WPARAM, LPARAM) { return 1; }
void CYolWMUI_WndBase::OnCommand(unsigned short, unsigned short, HWND) {}
void CYolWMUI_WndBase::OnNotify(HWND, unsigned int, unsigned int, NMHDR*) {}
void CYolWMUI_WndBase::OnDrawItem(unsigned int, DRAWITEMSTRUCT*) {}
void CYolWMUI_WndBase::OnMeasureItem(unsigned int, MEASUREITEMSTRUCT*) {}
void CYolWMUI_WndBase::OnTimer(int, TIMERPROC) {}
void CYolWMUI_WndBase::OnKeyDown(int) {}
void CYolWMUI_WndBase::OnKeyUp(int) {}
void CYolWMUI_WndBase::OnChar(char16_t, long) {}
void CYolWMUI_WndBase::OnLButtonDown(int, POINT) {}
void CYolWMUI_WndBase::OnLButtonUp(int, POINT) {}
void CYolWMUI_WndBase::OnMouseMove(int, POINT) {}
void CYolWMUI_WndBase::OnSetFocus(HWND) {}
void CYolWMUI_WndBase::OnKillFocus(HWND) {}
int CYolWMUI_WndBase::OnGetDlgCode() { return 0; }
HBRUSH CYolWMUI_WndBase::OnCtlColor(HDC, HWND) { return nullptr; }
void CYolWMUI_WndBase::OnClose() {}
void CYolWMUI_WndBase::Paint(HDC) {}
void CYolWMUI_WndBase::PaintX(HDC) {}
HBRUSH CYolWMUI_WndBase::GetBkBrush() { return SysColorBrushValue(COLOR_WINDOW); }
COLORREF CYolWMUI_WndBase::GetTextColor() { return RGB(0, 0, 0); }

bool CYolWMUI_WndBase::IsVisible() const { return IsWindowVisible(m_hWnd); }

HWND CYolWMUI_WndBase::Parent() const { return GetParent(m_hWnd); }

void CYolWMUI_WndBase::Show(int show)
{
    const UINT flags = show ? SWP_SHOWWINDOW : (SWP_HIDEWINDOW | SWP_NOZORDER);
    SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | flags);
}

void CYolWMUI_WndBase::Move(int x, int y)
{
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CYolWMUI_WndBase::Resize(int width, int height)
{
    SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void CYolWMUI_WndBase::MoveAndResize(int x, int y, int width, int height)
{
    SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER);
}

void CYolWMUI_WndBase::MoveAndResize(const RECT& rect)
{
    MoveAndResize(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void CYolWMUI_WndBase::UpInZOrder()
{
    SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

int CYolWMUI_WndBase::GetClientWidth() const
{
    RECT r;
    GetClientRect(m_hWnd, &r);
    return r.right - r.left;
}

int CYolWMUI_WndBase::GetClientHeight() const
{
    RECT r;
    GetClientRect(m_hWnd, &r);
    return r.bottom - r.top;
}

void CYolWMUI_WndBase::Redraw(int mode)
{
    if (m_paintState != EPaintFull)
        m_paintState = mode;
    InvalidateRect(m_hWnd, nullptr, false);
}

void CYolWMUI_WndBase::RedrawNow(int mode)
{
    Redraw(mode);
    UpdateWindow(m_hWnd);
}

LRESULT CYolWMUI_WndBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        SetWindowLong(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<CYolWMUI_WndBase*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (msg == WM_CREATE && self)
        self->m_hWnd = hwnd;
    LRESULT answer = 0;
    if (self && self->m_hWnd == hwnd && self->Dispatch(msg, wParam, lParam, false, answer))
        return answer;
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

std::intptr_t CYolWMUI_WndBase::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLong(hwnd, GWL_USERDATA, lParam);
        if (auto* self = reinterpret_cast<CYolWMUI_WndBase*>(lParam))
            self->m_hWnd = hwnd;
    }
    auto* self = reinterpret_cast<CYolWMUI_WndBase*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (!self || self->m_hWnd != hwnd)
        return 0;
    LRESULT answer = 0;
    if (!self->Dispatch(msg, wParam, lParam, true, answer))
        return 0;
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        // These answer with the procedure's own value.
        return answer;
    default:
        SetWindowLong(hwnd, DWL_MSGRESULT, answer);
        return 1;
    }
}

bool CYolWMUI_WndBase::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, bool dialog, LRESULT& answer)
{
    answer = 0;
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_CREATE:
    case WM_INITDIALOG:
        OnCreate();
        return true;
    case WM_DESTROY:
        m_hWnd = nullptr;
        return false;
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        // A dialog still hands the focus on to one of its controls.
        return !dialog;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        return true;
    case WM_PAINT:
        DoPaint();
        return true;
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_ERASEBKGND:
        // Painting fills the background itself, off-screen.
        m_paintState = EPaintFull;
        answer = 1;
        return true;
    case WM_DRAWITEM:
        OnDrawItem(static_cast<unsigned int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return true;
    case WM_MEASUREITEM:
        OnMeasureItem(static_cast<unsigned int>(wParam), reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return true;
    case WM_WINDOWPOSCHANGED:
        m_paintState = EPaintFull;
        OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam));
        return true;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header)
            OnNotify(header->hwndFrom, static_cast<unsigned int>(header->idFrom), header->code, header);
        return true;
    }
    case WM_GETDLGCODE:
        answer = OnGetDlgCode();
        return true;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<int>(wParam));
        return true;
    case WM_KEYUP:
        OnKeyUp(static_cast<int>(wParam));
        return true;
    case WM_CHAR:
        OnChar(static_cast<char16_t>(wParam), static_cast<long>(lParam));
        return true;
    case WM_COMMAND:
        OnCommand(static_cast<unsigned short>(HIWORD(wParam)), static_cast<unsigned short>(LOWORD(wParam)),
                  reinterpret_cast<HWND>(lParam));
        return true;
    case WM_TIMER:
        OnTimer(static_cast<int>(wParam), reinterpret_cast<TIMERPROC>(lParam));
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        answer = ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<int>(wParam), point);
        return true;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<int>(wParam), point);
        return true;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<int>(wParam), point);
        return true;
    default:
        return OnMessage(msg, wParam, lParam) == 0;
    }
}

LRESULT CYolWMUI_WndBase::ControlColor(HDC hdc, HWND control)
{
    if (HBRUSH own = OnCtlColor(hdc, control))
        return reinterpret_cast<LRESULT>(own);
    // Line the background pattern up with this window's, behind the control.
    POINT origin{0, 0};
    ClientToScreen(control, &origin);
    SetBrushOrgEx(hdc, -origin.x, -origin.y, nullptr);
    SetTextColor(hdc, GetTextColor());
    SetBkMode(hdc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetBkBrush());
}

void CYolWMUI_WndBase::DoPaint()
{
    const HWND hwnd = m_hWnd;
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(hwnd, &ps);
    if (!screen)
        return;
    if (m_paintState == EPaintPartial) {
        PaintX(screen);
    } else {
        RECT client;
        GetClientRect(hwnd, &client);
        const int width = client.right - client.left;
        const int height = client.bottom - client.top;
        if (width > 0 && height > 0) {
            HDC memory = CreateCompatibleDC(screen);
            HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
            HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
            POINT origin{0, 0};
            ClientToScreen(hwnd, &origin);
            SetBrushOrgEx(memory, -origin.x, -origin.y, nullptr);
            FillRect(memory, &client, GetBkBrush());
            SetTextColor(memory, GetTextColor());
            SetBkMode(memory, TRANSPARENT);
            Paint(memory);
            BitBlt(screen, 0, 0, width, height, memory, 0, 0, SRCCOPY);
            SelectObject(memory, oldBitmap);
            DeleteObject(bitmap);
            DeleteDC(memory);
        }
    }
    EndPaint(hwnd, &ps);
    m_paintState = EPaintIdle;
}

} // namespace UI
