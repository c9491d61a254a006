// The button control.

#include "ControlButton.h"
#include "ControlImpl.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <vector>

namespace Platform::Controls {
namespace {

struct ButtonState {
    static inline const char key = 0;
    HFONT font = nullptr;
    LRESULT check = BST_UNCHECKED;
    bool pushed = false;
    bool focused = false;
    bool spaceDown = false;
};

std::uint32_t TypeOf(HWND hwnd)
{
    return StyleOf(hwnd) & BS_TYPEMASK;
}

bool IsCheckType(std::uint32_t type)
{
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

bool IsRadioType(std::uint32_t type)
{
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

void SetPushed(HWND hwnd, ButtonState& state, bool pushed)
{
    if (state.pushed != pushed) {
        state.pushed = pushed;
        InvalidateRect(hwnd, nullptr, false);
    }
}

// The auto radio buttons that share the group of `hwnd`, itself included.
std::vector<HWND> RadioGroup(HWND hwnd)
{
    std::vector<HWND> group;
    const HWND parent = GetParent(hwnd);
    if (!parent)
        return {hwnd};
    HWND start = hwnd;
    while (!(GetWindowLong(start, GWL_STYLE) & WS_GROUP)) {
        const HWND prev = GetWindow(start, GW_HWNDPREV);
        if (!prev)
            break;
        start = prev;
    }
    for (HWND h = start; h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h != start && (GetWindowLong(h, GWL_STYLE) & WS_GROUP))
            break;
        char16_t cls[16];
        GetClassName(h, cls, 16);
        if (std::u16string_view(cls) == u"button" &&
            (static_cast<std::uint32_t>(GetWindowLong(h, GWL_STYLE)) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
            group.push_back(h);
    }
    return group;
}

void Click(HWND hwnd, ButtonState& state)
{
    switch (TypeOf(hwnd)) {
    case BS_AUTOCHECKBOX:
        SendMessage(hwnd, BM_SETCHECK, state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
        break;
    case BS_AUTO3STATE:
        SendMessage(hwnd, BM_SETCHECK, static_cast<WPARAM>((state.check + 1) % 3), 0);
        break;
    case BS_AUTORADIOBUTTON:
        for (HWND other : RadioGroup(hwnd))
            if (other != hwnd)
                SendMessage(other, BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessage(hwnd, BM_SETCHECK, BST_CHECKED, 0);
        break;
    default:
        break;
    }
    Notify(hwnd, BN_CLICKED);
}

void DrawBox(HDC hdc, const RECT& box, bool radio, LRESULT check, bool enabled)
{
    const COLORREF ink = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    HBRUSH fill = CreateSolidBrush(check == BST_INDETERMINATE ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW));
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    HGDIOBJ oldBrush = SelectObject(hdc, fill);
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    const int w = box.right - box.left;
    if (radio) {
        Ellipse(hdc, box.left, box.top, box.right, box.bottom);
        if (check == BST_CHECKED) {
            HBRUSH dot = CreateSolidBrush(ink);
            SelectObject(hdc, dot);
            const int inset = std::max(2, w / 4);
            Ellipse(hdc, box.left + inset, box.top + inset, box.right - inset, box.bottom - inset);
            SelectObject(hdc, fill);
            DeleteObject(dot);
        }
    } else {
        Rectangle(hdc, box.left, box.top, box.right, box.bottom);
        if (check != BST_UNCHECKED) {
            // A tick of two strokes, a little heavier on larger boxes.
            HPEN tick = CreatePen(PS_SOLID, std::max(1, w / 7), ink);
            SelectObject(hdc, tick);
            const POINT points[] = {{box.left + w / 5, box.top + w / 2},
                                    {box.left + w * 2 / 5, box.top + w * 7 / 10},
                                    {box.left + w * 4 / 5, box.top + w / 4}};
            Polyline(hdc, points, 3);
            SelectObject(hdc, pen);
            DeleteObject(tick);
        }
    }
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    DeleteObject(fill);
    DeleteObject(pen);
}

void PaintButton(HWND hwnd, const ButtonState& state)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client = ClientOf(hwnd);
    const std::uint32_t style = StyleOf(hwnd);
    const std::uint32_t type = style & BS_TYPEMASK;
    const bool enabled = IsWindowEnabled(hwnd);
    const std::u16string text = TextOf(hwnd);
    HGDIOBJ oldFont = SelectObject(hdc, FontOr(state.font));
    SetBkMode(hdc, TRANSPARENT);
    const bool pushLike = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || (style & BS_PUSHLIKE);

    if (pushLike) {
        HBRUSH face = ControlBrush(hwnd, hdc, WM_CTLCOLORBTN, GetSysColorBrush(COLOR_BTNFACE));
        (void)face;
        SetTextColor(hdc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
        RECT edge = client;
        if (type == BS_DEFPUSHBUTTON) {
            FrameRect(hdc, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&edge, -1, -1);
        }
        const bool down = state.pushed || (!(type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && state.check);
        DrawEdge(hdc, &edge, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        RECT textRect = client;
        if (down)
            OffsetRect(&textRect, 1, 1);
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (state.focused) {
            RECT focus = edge;
            InflateRect(&focus, -3, -3);
            DrawFocusRect(hdc, &focus);
        }
    } else if (type == BS_GROUPBOX) {
        FillRect(hdc, &client, ControlBrush(hwnd, hdc, WM_CTLCOLORSTATIC, GetSysColorBrush(COLOR_STATIC)));
        TEXTMETRICW tm;
        GetTextMetrics(hdc, &tm);
        RECT frame{client.left, client.top + tm.tmHeight / 2, client.right, client.bottom};
        FrameRect(hdc, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
        if (!text.empty()) {
            SIZE extent;
            GetTextExtentPoint32(hdc, text.c_str(), static_cast<int>(text.size()), &extent);
            RECT label{client.left + 6, client.top, client.left + 10 + extent.cx, client.top + tm.tmHeight};
            FillRect(hdc, &label, ControlBrush(hwnd, hdc, WM_CTLCOLORSTATIC, GetSysColorBrush(COLOR_STATIC)));
            OffsetRect(&label, 2, 0);
            DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &label, DT_SINGLELINE);
        }
    } else {
        FillRect(hdc, &client, ControlBrush(hwnd, hdc, WM_CTLCOLORSTATIC, GetSysColorBrush(COLOR_STATIC)));
        const int side = std::min<int>(client.bottom - client.top, Platform::ScaleY(13));
        const int top = (client.bottom - client.top - side) / 2;
        const bool boxRight = (style & BS_LEFTTEXT) != 0;
        const RECT box = boxRight ? RECT{client.right - side, top, client.right, top + side}
                                  : RECT{client.left, top, client.left + side, top + side};
        DrawBox(hdc, box, IsRadioType(type), state.check, enabled);
        const int gap = Platform::ScaleX(4);
        RECT textRect = boxRight ? RECT{client.left, client.top, box.left - gap, client.bottom}
                                 : RECT{box.right + gap, client.top, client.right, client.bottom};
        RECT measured = textRect;
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_VCENTER | DT_SINGLELINE);
        if (state.focused && !text.empty()) {
            DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &measured, DT_SINGLELINE | DT_CALCRECT);
            const int height = measured.bottom - measured.top;
            measured.top = (client.bottom - client.top - height) / 2 - 1;
            measured.bottom = measured.top + height + 2;
            InflateRect(&measured, 1, 0);
            DrawFocusRect(hdc, &measured);
        }
    }
    SelectObject(hdc, oldFont);
    EndPaint(hwnd, &ps);
}

// ---- Messages -----------------------------------------------------------

// A group box frames controls made after it, which the window system puts
// below it: it goes to the bottom before it first shows, so that they show
// through and take the pen.
void PaintInOrder(HWND hwnd, const ButtonState& state)
{
    if (TypeOf(hwnd) == BS_GROUPBOX && GetWindow(hwnd, GW_HWNDLAST) != hwnd)
        SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    PaintButton(hwnd, state);
}

void FocusChanged(HWND hwnd, ButtonState& state, bool focused)
{
    if (!focused) {
        state.spaceDown = false;
        SetPushed(hwnd, state, false);
    }
    if (StyleOf(hwnd) & BS_NOTIFY)
        Notify(hwnd, focused ? BN_SETFOCUS : BN_KILLFOCUS);
    // Arrowing onto an auto radio button checks it.
    if (focused && TypeOf(hwnd) == BS_AUTORADIOBUTTON && state.check != BST_CHECKED &&
        (GetKeyState(VK_UP) < 0 || GetKeyState(VK_DOWN) < 0 || GetKeyState(VK_LEFT) < 0 || GetKeyState(VK_RIGHT) < 0))
        Click(hwnd, state);
}

constexpr CommonAnswers<ButtonState, const ButtonState> kCommon{
    .paint = &PaintInOrder,
    .focused = &ButtonState::focused,
    .focusChanged = &FocusChanged,
    .font = &ButtonState::font,
    .fontChanged = &RepaintForFont<ButtonState>,
};

LRESULT SetTextAndRepaint(HWND hwnd, ButtonState&, WPARAM wParam, LPARAM lParam)
{
    const LRESULT r = DefWindowProc(hwnd, WM_SETTEXT, wParam, lParam);
    InvalidateRect(hwnd, nullptr, false);
    return r;
}

LRESULT DialogCode(HWND hwnd, ButtonState&, WPARAM, LPARAM)
{
    const std::uint32_t type = TypeOf(hwnd);
    if (type == BS_GROUPBOX)
        return DLGC_STATIC;
    if (IsRadioType(type))
        return DLGC_BUTTON | DLGC_RADIOBUTTON;
    if (type == BS_DEFPUSHBUTTON)
        return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    return DLGC_BUTTON | (type == BS_PUSHBUTTON ? DLGC_UNDEFPUSHBUTTON : 0);
}

LRESULT GetCheck(HWND hwnd, ButtonState& state, WPARAM, LPARAM)
{
    const std::uint32_t type = TypeOf(hwnd);
    return (IsCheckType(type) || IsRadioType(type)) ? state.check : BST_UNCHECKED;
}

LRESULT SetCheck(HWND hwnd, ButtonState& state, WPARAM wParam, LPARAM)
{
    const std::uint32_t type = TypeOf(hwnd);
    LRESULT check = static_cast<LRESULT>(wParam);
    if (check != BST_CHECKED && check != BST_INDETERMINATE)
        check = BST_UNCHECKED;
    if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE)
        check = BST_CHECKED;
    if ((IsCheckType(type) || IsRadioType(type)) && state.check != check) {
        state.check = check;
        InvalidateRect(hwnd, nullptr, false);
    }
    return 0;
}

LRESULT GetPushState(HWND, ButtonState& state, WPARAM, LPARAM)
{
    return state.check | (state.pushed ? BST_PUSHED : 0) | (state.focused ? BST_FOCUS : 0);
}

LRESULT SetPushState(HWND hwnd, ButtonState& state, WPARAM wParam, LPARAM)
{
    SetPushed(hwnd, state, wParam != 0);
    return 0;
}

LRESULT SetType(HWND hwnd, ButtonState&, WPARAM wParam, LPARAM lParam)
{
    SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG_PTR>((StyleOf(hwnd) & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK)));
    if (lParam)
        InvalidateRect(hwnd, nullptr, false);
    return 0;
}

LRESULT ClickIfEnabled(HWND hwnd, ButtonState& state, WPARAM, LPARAM)
{
    if (IsWindowEnabled(hwnd))
        Click(hwnd, state);
    return 0;
}

LRESULT PenDown(HWND hwnd, ButtonState& state, WPARAM, LPARAM)
{
    if (TypeOf(hwnd) == BS_GROUPBOX)
        return 0;
    SetFocus(hwnd);
    SetCapture(hwnd);
    SetPushed(hwnd, state, true);
    return 0;
}

// The button shows pushed while the captured pen is over it.
LRESULT PenMove(HWND hwnd, ButtonState& state, WPARAM, LPARAM lParam)
{
    if (GetCapture() == hwnd) {
        RECT client = ClientOf(hwnd);
        SetPushed(hwnd, state, PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
    }
    return 0;
}

LRESULT PenUp(HWND hwnd, ButtonState& state, WPARAM, LPARAM)
{
    if (GetCapture() == hwnd) {
        const bool inside = state.pushed;
        ReleaseCapture();
        SetPushed(hwnd, state, false);
        if (inside)
            Click(hwnd, state);
    }
    return 0;
}

LRESULT CaptureLost(HWND hwnd, ButtonState& state, WPARAM, LPARAM)
{
    if (!state.spaceDown)
        SetPushed(hwnd, state, false);
    return 0;
}

LRESULT KeyDown(HWND hwnd, ButtonState& state, WPARAM wParam, LPARAM)
{
    if (wParam == VK_SPACE && TypeOf(hwnd) != BS_GROUPBOX) {
        state.spaceDown = true;
        SetPushed(hwnd, state, true);
    }
    return 0;
}

LRESULT KeyUp(HWND hwnd, ButtonState& state, WPARAM wParam, LPARAM)
{
    if (wParam == VK_SPACE && state.spaceDown) {
        state.spaceDown = false;
        const bool pushed = state.pushed;
        SetPushed(hwnd, state, false);
        if (pushed)
            Click(hwnd, state);
    }
    return 0;
}

constexpr MessageRow<ButtonState> kMessages[] = {
    {WM_SETTEXT, &SetTextAndRepaint},
    {WM_GETDLGCODE, &DialogCode},
    {BM_GETCHECK, &GetCheck},
    {BM_SETCHECK, &SetCheck},
    {BM_GETSTATE, &GetPushState},
    {BM_SETSTATE, &SetPushState},
    {BM_SETSTYLE, &SetType},
    {BM_CLICK, &ClickIfEnabled},
    {WM_LBUTTONDOWN, &PenDown},
    {WM_LBUTTONDBLCLK, &PenDown},
    {WM_MOUSEMOVE, &PenMove},
    {WM_LBUTTONUP, &PenUp},
    {WM_CAPTURECHANGED, &CaptureLost},
    {WM_KEYDOWN, &KeyDown},
    {WM_KEYUP, &KeyUp},
};

} // namespace

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return TableProc(kMessages, kCommon, hwnd, msg, wParam, lParam);
}

} // namespace Platform::Controls

bool CheckDlgButton(HWND dialog, int id, UINT check)
{
    const HWND button = GetDlgItem(dialog, id);
    if (!button)
        return false;
    SendMessage(button, BM_SETCHECK, check, 0);
    return true;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    const HWND button = GetDlgItem(dialog, id);
    return button ? static_cast<UINT>(SendMessage(button, BM_GETCHECK, 0, 0)) : 0;
}

bool CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId)
{
    bool found = false;
    for (int id = firstId; id <= lastId; ++id) {
        const HWND button = GetDlgItem(dialog, id);
        if (!button)
            continue;
        found = found || id == checkId;
        SendMessage(button, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return found;
}
