#include "YolWMUI_Dialogs.h"

#include "Controls/ControlCombo.h"
#include "DefaultUiStrings.h"
#include "Shell/ShellScreen.h"
#include "UiHelpers.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowModule.h"
#include "YolWMUI_DialogTemplates.h"

#include <mutex>
#include <vector>

namespace UI {

namespace {

Platform::Module g_module{"YolDialogs"};
HBRUSH g_background = nullptr;

int Scale(int n, int dpi)
{
    return (n * dpi + 48) / 96;
}

} // namespace

HINSTANCE GetYolDialogsInstance()
{
    static std::once_flag once;
    std::call_once(once, [] { RegisterYolDialogTemplates(&g_module); });
    return &g_module;
}

void SetDlgItemString(HWND dialog, int controlId, int stringId)
{
    SetWindowString(GetDlgItem(dialog, controlId), stringId);
}

void SetDialogBkBrush(HBRUSH brush)
{
    g_background = brush;
}

HBRUSH GetDialogBkBrush()
{
    return g_background;
}

int ScaleX(int n)
{
    return Scale(n, Platform::GetScreen().dpiX);
}

int ScaleY(int n)
{
    return Scale(n, Platform::GetScreen().dpiY);
}

CYolString GetDlgItemString(HWND dialog, int controlId)
{
    CYolString text;
    GetWindowTextString(GetDlgItem(dialog, controlId), text);
    return text;
}

void SetDlgItemString(HWND dialog, int controlId, const CYolString& text)
{
    const HWND control = GetDlgItem(dialog, controlId);
    ForgetWindowString(control);
    SetWindowTextString(control, text);
}

CYolString GetComboText(HWND combo, int index)
{
    const LRESULT count = SendMessage(combo, CB_GETCOUNT, 0, 0);
    if (index < 0 || count == CB_ERR || index >= count)
        return CYolString();
    const LRESULT length = SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return CYolString();
    // The control writes the text and its terminator: room for both.
    std::vector<char16_t> buffer(static_cast<std::size_t>(length) + 1);
    const LRESULT got = SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(buffer.data()));
    if (got <= 0 || got > length)
        return CYolString();
    return CYolString(buffer.data(), static_cast<int>(got));
}

int GetComboSelection(HWND combo)
{
    const LRESULT selected = SendMessage(combo, CB_GETCURSEL, 0, 0);
    const LRESULT count = SendMessage(combo, CB_GETCOUNT, 0, 0);
    if (selected == CB_ERR || count == CB_ERR || selected < 0 || selected >= count)
        return -1;
    return static_cast<int>(selected);
}

} // namespace UI
