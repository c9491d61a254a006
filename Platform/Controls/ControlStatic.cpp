// The static control.

#include "ControlStatic.h"
#include "ControlImpl.h"

namespace Platform::Controls {
namespace {

struct StaticState {
    static inline const char key = 0;
    HFONT font = nullptr;
};

void PaintStatic(HWND hwnd, const StaticState& state)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client = ClientOf(hwnd);
    FillRect(hdc, &client, ControlBrush(hwnd, hdc, WM_CTLCOLORSTATIC, GetSysColorBrush(COLOR_STATIC)));
    HGDIOBJ old = SelectObject(hdc, FontOr(state.font));
    SetBkMode(hdc, TRANSPARENT);
    const std::uint32_t style = StyleOf(hwnd);
    UINT format = 0;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        format = DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format = DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        format = DT_SINGLELINE;
        break;
    default:
        format = DT_WORDBREAK;
        break;
    }
    if (style & SS_CENTERIMAGE)
        format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    const std::u16string text = TextOf(hwnd);
    DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &client, format);
    SelectObject(hdc, old);
    EndPaint(hwnd, &ps);
}

} // namespace

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        MakeState<StaticState>(hwnd);
        return 0;
    }
    auto state = StateOf<StaticState>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(hwnd, nullptr, true);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT: {
        const LRESULT r = DefWindowProc(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, true);
        return r;
    }
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, true);
        return 0;
    case WM_PAINT:
        PaintStatic(hwnd, *state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONUP:
        if (StyleOf(hwnd) & SS_NOTIFY)
            Notify(hwnd, STN_CLICKED);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

} // namespace Platform::Controls
