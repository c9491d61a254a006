#pragma once
// Dialogs made from registered templates (DialogTemplate.h): modeless
// (CreateDialogParam) or modal (DialogBoxParam, which disables the owner and
// runs a nested message loop until EndDialog). The dialog's controls are
// made by class name; WM_INITDIALOG then goes to the dialog procedure.
//
// A dialog procedure answers non-zero for a message it handled; for most
// messages the value the dialog answers is then its DWL_MSGRESULT word (the
// control-colour messages and WM_INITDIALOG answer the procedure's value
// itself). Messages it leaves alone get the default dialog handling
// (DefDlgProc).

#include "DialogTemplate.h"
#include "MessageQueue.h"
#include "PlatformTypes.h"
#include "Window.h"
#include "YolTypes.h"

#include <cstdint>

using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Per-dialog words for Get/SetWindowLong.
constexpr int DWL_MSGRESULT = 0;
constexpr int DWL_DLGPROC = 4;
constexpr int DWL_USER = 8;

// Null when the template is missing or one of its controls' classes is not
// registered. The dialog shows when the template has WS_VISIBLE.
YOL_API HWND CreateDialogParam(HINSTANCE module, int templateId, HWND parent, DLGPROC proc, LPARAM param);
// Shows the dialog over its owner (the top-level window of `parent`, which
// is disabled meanwhile) and answers the value given to EndDialog; -1 when
// the dialog could not be made. A WM_QUIT met in the loop ends the dialog
// with 0 and is posted again for the outer loop.
YOL_API INT_PTR DialogBoxParam(HINSTANCE module, int templateId, HWND parent, DLGPROC proc, LPARAM param);
// Marks the dialog finished with `result`: a modal dialog's loop ends (the
// dialog is then destroyed), a modeless dialog is hidden.
YOL_API bool EndDialog(HWND dialog, INT_PTR result);
YOL_API LRESULT DefDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// Keyboard navigation for the dialog: Tab / Shift+Tab move between tab
// stops, the arrow keys within a group, Enter gives IDOK and Escape
// IDCANCEL, except for keys the focused control asks for (WM_GETDLGCODE).
// Every other message of the dialog and its controls is translated and
// dispatched. Answers false for messages of other windows.
YOL_API bool IsDialogMessage(HWND dialog, MSG* msg);
// The next (or previous) visible, enabled tab stop after `control`,
// wrapping; descends into child dialogs with DS_CONTROL.
YOL_API HWND GetNextDlgTabItem(HWND dialog, HWND control, bool previous);
YOL_API HWND GetNextDlgGroupItem(HWND dialog, HWND control, bool previous);

// Dialog units to pixels with the dialog's font.
YOL_API bool MapDialogRect(HWND dialog, RECT* rect);

YOL_API bool SetDlgItemText(HWND dialog, int id, const char16_t* text);
YOL_API int GetDlgItemText(HWND dialog, int id, char16_t* buffer, int maxCount);
YOL_API LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);

namespace Platform {
// Pixels of one horizontal (cx) and one vertical (cy) base unit of a
// dialog font at the screen's resolution: four and eight dialog units.
YOL_API SIZE DialogBaseUnits(const char16_t* fontFace, int pointSize);
} // namespace Platform
