// Registration of the control classes and what they share.

#include "ControlCombo.h"
#include "ControlDatePicker.h"
#include "ControlImpl.h"
#include "ControlListViewImpl.h"
#include "ControlProgress.h"
#include "ControlTab.h"
#include "ControlTrackbar.h"
#include "ControlTreeView.h"
#include "ControlUpDown.h"

#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowImpl.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace Platform::Controls {

std::u16string TextOf(HWND hwnd)
{
    std::u16string text(static_cast<size_t>(GetWindowTextLength(hwnd)) + 1, u'\0');
    text.resize(static_cast<size_t>(GetWindowText(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Notify(HWND control, unsigned code)
{
    const HWND parent = GetParent(control);
    if (parent)
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID(control)), code),
                    reinterpret_cast<LPARAM>(control));
}

LRESULT NotifyRecord(HWND control, NMHDR* record, UINT code)
{
    const HWND parent = GetParent(control);
    if (!parent)
        return 0;
    record->hwndFrom = control;
    record->idFrom = static_cast<std::uintptr_t>(GetDlgCtrlID(control));
    record->code = code;
    return SendMessage(parent, WM_NOTIFY, record->idFrom, reinterpret_cast<LPARAM>(record));
}

void TellPlain(HWND control, UINT code)
{
    NMHDR hdr;
    NotifyRecord(control, &hdr, code);
}

void TellScroll(HWND control, bool vertical, unsigned code, int pos)
{
    const HWND parent = GetParent(control);
    if (parent)
        SendMessage(parent, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<unsigned>(pos)),
                    reinterpret_cast<LPARAM>(control));
}

unsigned ScrollCodeOfKey(WPARAM vk)
{
    static constexpr struct {
        unsigned key;
        unsigned code;
    } keys[] = {{VK_UP, SB_LINEUP},   {VK_LEFT, SB_LINEUP},   {VK_DOWN, SB_LINEDOWN}, {VK_RIGHT, SB_LINEDOWN},
                {VK_PRIOR, SB_PAGEUP}, {VK_NEXT, SB_PAGEDOWN}, {VK_HOME, SB_TOP},      {VK_END, SB_BOTTOM}};
    for (const auto& k : keys)
        if (k.key == vk)
            return k.code;
    return SB_ENDSCROLL;
}

int ScrolledTop(unsigned code, unsigned thumb, int top, int page, int count)
{
    switch (code) {
    case SB_LINEUP:
        return top - 1;
    case SB_LINEDOWN:
        return top + 1;
    case SB_PAGEUP:
        return top - page;
    case SB_PAGEDOWN:
        return top + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        return static_cast<int>(thumb);
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return count;
    default:
        return top;
    }
}

void DragScroll::Press(POINT pt, int topRow)
{
    down = true;
    dragging = false;
    at = pt;
    top = topRow;
}

bool DragScroll::Follow(POINT pt)
{
    if (down && !dragging && std::abs(pt.y - at.y) > GetSystemMetrics(SM_CYDRAG))
        dragging = true;
    return down && dragging;
}

HBRUSH ControlBrush(HWND control, HDC hdc, UINT ctlColorMessage, HBRUSH fallback)
{
    SetTextColor(hdc, GetSysColor(IsWindowEnabled(control) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
    const HWND parent = GetParent(control);
    HBRUSH brush = nullptr;
    if (parent)
        brush = reinterpret_cast<HBRUSH>(
            SendMessage(parent, ctlColorMessage, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(control)));
    if (!IsWindowEnabled(control))
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    return brush ? brush : fallback;
}

void DrawArrowButton(HDC hdc, RECT box, Arrow towards, bool sunken, bool enabled, int shift)
{
    FillRect(hdc, &box, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = box;
    DrawEdge(hdc, &edge, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int cx = (box.left + box.right) / 2 + shift;
    const int cy = (box.top + box.bottom) / 2 + shift;
    const int r = std::max(2, std::min(box.right - box.left, box.bottom - box.top) / 4);
    // The tip half a radius ahead of the centre, the base half a radius
    // behind it.
    const bool ahead = towards == Arrow::Down || towards == Arrow::Right;
    POINT p[3];
    if (towards == Arrow::Up || towards == Arrow::Down) {
        const int tip = ahead ? cy + r / 2 : cy - r / 2;
        const int base = ahead ? cy - r / 2 : cy + r / 2;
        p[0] = {cx - r, base};
        p[1] = {cx + r, base};
        p[2] = {cx, tip};
    } else {
        const int tip = ahead ? cx + r / 2 : cx - r / 2;
        const int base = ahead ? cx - r / 2 : cx + r / 2;
        p[0] = {base, cy - r};
        p[1] = {base, cy + r};
        p[2] = {tip, cy};
    }
    HGDIOBJ oldBrush = SelectObject(hdc, GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(NULL_PEN));
    Polygon(hdc, p, 3);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
}

HFONT FontOr(HFONT font)
{
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int LineHeight(HFONT font)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FontOr(font));
    TEXTMETRICW tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    return tm.tmHeight > 0 ? tm.tmHeight : 1;
}

namespace {

struct ClassEntry {
    const char16_t* name;
    WNDPROC proc;
    UINT style;
};

const ClassEntry kClasses[] = {
    {WC_STATIC, StaticProc, 0},
    {WC_BUTTON, ButtonProc, 0},
    {WC_EDIT, EditProc, 0},
    {WC_SCROLLBAR, ScrollBarProc, 0},
    {WC_COMBOBOX, ComboProc, 0},
    {WC_COMBOLIST, ComboListProc, 0},
    {PROGRESS_CLASS, ProgressProc, 0},
    {UPDOWN_CLASS, UpDownProc, 0},
    {TRACKBAR_CLASS, TrackbarProc, 0},
    {WC_TREEVIEW, TreeViewProc, CS_DBLCLKS},
    {DATETIMEPICK_CLASS, DatePickerProc, 0},
    {WC_TABCONTROL, TabProc, CS_DBLCLKS},
    {WC_LISTVIEW, ListViewProc, CS_DBLCLKS},
};

void RegisterAll()
{
    for (const ClassEntry& entry : kClasses)
        EnsureClass(entry.name, entry.proc, entry.style);
    InstallWindowScrollBars();
}

// Dialog templates name the classes without any start-up call of their own.
const bool g_registered = (RegisterAll(), true);

} // namespace
} // namespace Platform::Controls

bool InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    if (init && init->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return false;
    Platform::Controls::RegisterAll();
    return true;
}

void InitCommonControls()
{
    Platform::Controls::RegisterAll();
}
