#include "CYolWMCL_Ctrl.h"

#include "CYolClock.h"
#include "CYolWMCL_DrawContext.h"
#include "CYol_CLModelFollower.h"
#include "Controls/ControlScrollBar.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellGesture.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowGeometry.h"
#include "WindowSystem/WindowKeys.h"
#include "WindowSystem/WindowPaint.h"

#include <algorithm>

namespace UI_CL {

namespace {

constexpr std::uint32_t kBlinkPeriod = 500;
constexpr std::uint32_t kSelectionDelay = 250;
constexpr std::uint32_t kKeepAwakePeriod = 10000;

bool RegisterWindowClass(WNDPROC proc) {
    WNDCLASS existing;
    if (GetClassInfo(nullptr, kCLWindowClass, &existing))
        return true;
    WNDCLASS wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = kCLWindowClass;
    return RegisterClass(&wc) != 0;
}

}  // namespace

CYolWMCL_Ctrl::Held::Held(CYolWMCL_Ctrl& ctrl) : ctrl(ctrl) {
    if (ctrl.uiHoldsLock)
        return;
    lock = ctrl.views.Lock();
    ctrl.uiHoldsLock = true;
}

CYolWMCL_Ctrl::Held::~Held() {
    if (lock.owns_lock())
        ctrl.uiHoldsLock = false;
}

CYolWMCL_Ctrl::CYolWMCL_Ctrl(CL::CYol_CLRootItem& views, MYolWMCL_CLCtrlObserver* observer, MYolWMCL_CtrlHost& host,
                             Skins::CYolWMSkins_ImageManager& images)
    : CL::CYol_CLCtrlBase(nullptr), views(views), observer(observer), host(host), images(images) {
    ShowView(views.grouped);
    SetFont(host.ListFont());
}

CYolWMCL_Ctrl::~CYolWMCL_Ctrl() {
    if (fontHandle != nullptr)
        DeleteObject(fontHandle);
    if (HWND own = window.exchange(nullptr)) {
        KillTimer(own, kKeepAwakeTimer);
        SetWindowLong(own, GWL_USERDATA, 0);
        DestroyWindow(own);
    }
    // The trees must forget this control before it goes.
    std::unique_lock<std::mutex> lock = views.Lock();
    SetRoot(nullptr);
}

bool CYolWMCL_Ctrl::Create(std::uint32_t style, const RECT& rect, HWND parent) {
    if (!RegisterWindowClass(&CYolWMCL_Ctrl::WindowProc))
        return false;
    uiThread = std::this_thread::get_id();
    window = CreateWindowEx(0, kCLWindowClass, u"CL", WS_CHILD | WS_VSCROLL | style, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, nullptr, this);
    if (window != nullptr)
        SetTimer(window, kKeepAwakeTimer, kKeepAwakePeriod, nullptr);
    return true;
}

void CYolWMCL_Ctrl::ShowView(CL::CYol_CLItem* viewRoot) {
    Held locked(*this);
    SetRoot(viewRoot);
}

bool CYolWMCL_Ctrl::OnUiThread() const { return window != nullptr && std::this_thread::get_id() == uiThread; }

int CYolWMCL_Ctrl::ClientWidth() const {
    RECT client{};
    GetClientRect(window, &client);
    return client.right - client.left;
}

int CYolWMCL_Ctrl::ClientHeight() const {
    RECT client{};
    GetClientRect(window, &client);
    return client.bottom - client.top;
}

int CYolWMCL_Ctrl::ScrollPos() const { return window != nullptr ? GetScrollPos(window, SB_VERT) : 0; }

void CYolWMCL_Ctrl::ScrollTo(int position) {
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(window, SB_VERT, &info, true);
}

// ------------------------------------------------------------ settings

void CYolWMCL_Ctrl::SetFont(const LOGFONTW& record) {
    font = record;
    font.lfHeight = Platform::ScaleY(record.lfHeight);
    if (fontHandle != nullptr)
        DeleteObject(fontHandle);
    fontHandle = CreateFontIndirect(&font);
    rowHeight = CL::CYol_CLMetrics::RowHeightForFont(record.lfHeight, g_HIDPI_LogPixelsY);
    CL::CYol_CLMetrics::SetAllRowHeights(rowHeight);
    Invalidate(true);
}

void CYolWMCL_Ctrl::SetItemsPerRow(int n) {
    CL::CYol_CLMetrics::SetItemsPerRow(n);
    Invalidate(true);
}

// ------------------------------------------------------------ selection and scrolling

void CYolWMCL_Ctrl::SetSelection(CL::CYol_CLItem* item, bool rememberColumn) {
    CL::CYol_CLItem* before = selected;
    selected = item;
    if (item != nullptr && window != nullptr) {
        int offset = item->GetChildOffset(root);
        int height = item->GetOwnHeight();
        int position = ScrollPos();
        int page = ClientHeight();
        int wanted = position;
        if (position + page < offset + height)
            wanted = offset + height - page;
        if (offset < position)
            wanted = offset;
        if (wanted != position)
            ScrollTo(wanted);
    }
    if (item != nullptr && rememberColumn)
        column = item->GetColumn();
    if (item != before)
        RestartSelectionTimer();
}

void CYolWMCL_Ctrl::RestartSelectionTimer() {
    if (window != nullptr)
        SetTimer(window, kSelectionTimer, kSelectionDelay, nullptr);
}

void CYolWMCL_Ctrl::UpdateScrollRange() {
    if (window == nullptr)
        return;
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = root != nullptr ? root->GetHeight() : 0;
    info.nPage = static_cast<UINT>(std::max(ClientHeight(), 0));
    SetScrollInfo(window, SB_VERT, &info, true);
}

// ------------------------------------------------------------ the trees' calls

bool CYolWMCL_Ctrl::Deferred(UINT message, WPARAM wParam) {
    if (window == nullptr)
        return true;
    if (OnUiThread())
        return false;
    PostMessage(window, message, wParam, 0);
    return true;
}

void CYolWMCL_Ctrl::Invalidate(bool relayout) {
    if (Deferred(CL::kCLMsgInvalidate, relayout ? 1 : 0))
        return;
    if (relayout) {
        Held locked(*this);
        UpdateScrollRange();
    }
    InvalidateRect(window, nullptr, false);
}

void CYolWMCL_Ctrl::StartBlinkTimer() {
    if (Deferred(CL::kCLMsgBlink, 1))
        return;
    if (!blinking)
        SetTimer(window, kBlinkTimer, kBlinkPeriod, nullptr);
    blinking = true;
}

void CYolWMCL_Ctrl::StopBlinkTimer() {
    if (Deferred(CL::kCLMsgBlink, 0))
        return;
    KillTimer(window, kBlinkTimer);
    blinking = false;
}

void CYolWMCL_Ctrl::OnItemRemoving(CL::CYol_CLItem* item) {
    CL::CYol_CLCtrlBase::OnItemRemoving(item);
    if (menuItem != nullptr && menuItem->IsWithin(item))
        menuItem = nullptr;
}

void CYolWMCL_Ctrl::PostCommand(unsigned int contact, bool) {
    if (window != nullptr)
        PostMessage(window, CL::kCLMsgContactOnline, contact, 0);
}

// ------------------------------------------------------------ item menu

void CYolWMCL_Ctrl::ShowItemMenu(const RECT& bounds, POINT anchor, int align) {
    CYolMenuInfo menu;
    {
        Held locked(*this);
        if (selected == nullptr)
            return;
        POINT client = anchor;
        ScreenToClient(window, &client);
        selected->BuildMenu(menu, client.x, ClientWidth(), this);
        if (menu.Count() == 0)
            return;
        menuItem = selected;
    }
    menuShown = true;
    // The menu runs its own message loop: the trees may change meanwhile, so
    // the lock is not held while it is up.
    TYolWMCL_MenuChoice choice = host.PopupMenu(menu, bounds, anchor, align, window, host.FullScreen());
    Held locked(*this);
    CL::CYol_CLItem* item = menuItem;
    menuItem = nullptr;
    if (item == nullptr || (choice.callback == nullptr && choice.command != -2))
        return;
    item->CallWithId(choice.command, choice.callback, choice.menuContext, choice.entryContext);
}

// ------------------------------------------------------------ painting

void CYolWMCL_Ctrl::Paint() {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(window, &ps);
    int width = ClientWidth();
    int height = ClientHeight();
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    RECT all{0, 0, width, height};
    if (HBRUSH background = host.BackgroundBrush())
        FillRect(memory, &all, background);
    HGDIOBJ oldFont = fontHandle != nullptr ? SelectObject(memory, fontHandle) : nullptr;
    {
        Held locked(*this);
        int position = ScrollPos();
        CYolWMCL_DrawContext dc(memory, images, host.DontShowIcons(), CYolClock::Current().TickCount());
        dc.width = width;
        dc.height = height;
        dc.yOrigin = -position;
        dc.selected = selected;
        dc.ownSelection = false;
        if (root != nullptr)
            root->Draw(dc, 0, -position, width, true);
    }
    BitBlt(screen, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    if (oldFont != nullptr)
        SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

// ------------------------------------------------------------ input

void CYolWMCL_Ctrl::OnKey(unsigned int key) {
    Held locked(*this);
    if (key == VK_RETURN) {
        if (selected != nullptr)
            selected->Activate(0, 100, this);
        return;
    }
    if (key != VK_LEFT && key != VK_UP && key != VK_RIGHT && key != VK_DOWN)
        return;
    if (root == nullptr)
        return;
    if (selected == nullptr) {
        if (CL::CYol_CLItem* top = root->HitTest(0, 0, 100))
            SetSelection(top, true);
        InvalidateRect(window, nullptr, false);
        return;
    }
    CL::CYol_CLItem* next = nullptr;
    switch (key) {
        case VK_LEFT:
            next = selected->NextVisibleSibling(root, column);
            break;
        case VK_UP:
            next = selected->StepVisible(root, column);
            break;
        case VK_RIGHT:
            next = selected->FirstVisibleChild(root, column);
            break;
        default:
            next = selected->GetNthVisibleChild(root, column);
            break;
    }
    if (next != nullptr)
        SetSelection(next, key == VK_LEFT || key == VK_RIGHT);
    InvalidateRect(window, nullptr, false);
}

void CYolWMCL_Ctrl::OnPenDown(int x, int y) {
    penDownX = x;
    penDownY = y;
    lastPenY = y;
    penDown = true;
    menuShown = false;
    bool onItem = false;
    {
        Held locked(*this);
        CL::CYol_CLItem* hit = root != nullptr ? root->HitTest(x, y + ScrollPos(), ClientWidth()) : nullptr;
        if (hit == nullptr)
            return;
        SetSelection(hit, true);
        held = true;
        hit->ReservedB(x, ClientWidth(), this);
        InvalidateRect(window, nullptr, false);
        onItem = true;
    }
    if (onItem) {
        // Only waits for the press to resolve: the menu itself comes with
        // the context-menu message.
        SHRGINFO gesture;
        gesture.hwndClient = window;
        gesture.ptDown = POINT{x, y};
        gesture.dwFlags = SHRG_RETURNCMD | SHRG_LONGDELAY;
        SHRecognizeGesture(&gesture);
    }
}

void CYolWMCL_Ctrl::OnPenMove(WPARAM flags, int y) {
    if (!penDown || (flags & MK_LBUTTON) == 0 || menuShown)
        return;
    ScrollTo(ScrollPos() + (lastPenY - y) * 2);
    InvalidateRect(window, nullptr, false);
    lastPenY = y;
}

void CYolWMCL_Ctrl::OnPenUp(int x) {
    {
        Held locked(*this);
        held = false;
    }
    int distance = x - penDownX;
    if (penDown && std::abs(distance) > ClientWidth() / 2 && !menuShown && observer != nullptr) {
        RECT client{};
        GetClientRect(window, &client);
        observer->OnShowChats(client.left, distance);
    }
    penDown = false;
    menuShown = false;
}

// ------------------------------------------------------------ messages

LRESULT CYolWMCL_Ctrl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCT*>(lParam);
        SetWindowLong(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* ctrl = reinterpret_cast<CYolWMCL_Ctrl*>(GetWindowLong(hwnd, GWL_USERDATA));
    if (ctrl != nullptr && ctrl->window == nullptr)
        ctrl->window = hwnd;
    if (ctrl != nullptr) {
        if (msg == WM_PAINT) {
            ctrl->Paint();
            return 0;
        }
        if (msg == WM_NCDESTROY) {
            // Destroyed with its parent: the control outlives its window.
            SetWindowLong(hwnd, GWL_USERDATA, 0);
            ctrl->window = nullptr;
            return DefWindowProc(hwnd, msg, wParam, lParam);
        }
        ctrl->OnMessage(msg, wParam, lParam);
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

void CYolWMCL_Ctrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_KEYDOWN:
            OnKey(static_cast<unsigned int>(wParam));
            break;
        case WM_CHAR:
            if (wParam >= '0' && wParam <= '9' && observer != nullptr)
                observer->OnStatusBarTap(static_cast<int>(wParam - '0'));
            break;
        case WM_CONTEXTMENU: {
            bool any = false;
            {
                Held locked(*this);
                any = selected != nullptr;
            }
            if (any) {
                RECT bounds{};
                GetWindowRect(host.AppWindow(), &bounds);
                ShowItemMenu(bounds, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, 1);
            }
            break;
        }
        case WM_TIMER:
            if (wParam == kBlinkTimer) {
                Invalidate(false);
            } else if (wParam == kSelectionTimer) {
                {
                    Held locked(*this);
                    if (observer != nullptr)
                        observer->OnSelectionChanged(selected);
                }
                KillTimer(window, kSelectionTimer);
            } else if (wParam == kKeepAwakeTimer) {
                if (host.DontSleep())
                    host.ResetIdleTimer();
            }
            break;
        case WM_VSCROLL: {
            int position = ScrollPos();
            switch (LOWORD(wParam)) {
                case SB_LINEUP:
                    position -= Platform::ScaleY(20);
                    break;
                case SB_LINEDOWN:
                    position += Platform::ScaleY(20);
                    break;
                case SB_PAGEUP:
                    position -= ClientHeight();
                    break;
                case SB_PAGEDOWN:
                    position += ClientHeight();
                    break;
                case SB_THUMBPOSITION:
                case SB_THUMBTRACK:
                    position = static_cast<int>(HIWORD(wParam));
                    break;
                default:
                    break;
            }
            ScrollTo(position);
            InvalidateRect(window, nullptr, false);
            break;
        }
        case WM_LBUTTONDOWN:
            OnPenDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            break;
        case WM_MOUSEMOVE:
            OnPenMove(wParam, GET_Y_LPARAM(lParam));
            break;
        case WM_LBUTTONUP:
            OnPenUp(GET_X_LPARAM(lParam));
            break;
        case WM_LBUTTONDBLCLK: {
            Held locked(*this);
            if (selected != nullptr)
                selected->Activate(GET_X_LPARAM(lParam), ClientWidth(), this);
            break;
        }
        case CL::kCLMsgContactOnline:
            OnContactOnline(static_cast<unsigned int>(wParam));
            break;
        case CL::kCLMsgInvalidate:
            Invalidate(wParam != 0);
            break;
        case CL::kCLMsgBlink:
            if (wParam != 0)
                StartBlinkTimer();
            else
                StopBlinkTimer();
            break;
        default:
            break;
    }
}

}  // namespace UI_CL
