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
    for (const ClassEntry& entry : kClasses) {
        if (GetClassInfo(nullptr, entry.name, nullptr))
            continue;
        WNDCLASS wc;
        wc.style = entry.style;
        wc.lpfnWndProc = entry.proc;
        wc.lpszClassName = entry.name;
        RegisterClass(&wc);
    }
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
