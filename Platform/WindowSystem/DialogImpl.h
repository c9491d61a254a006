#pragma once
// Inside dialogs: the state a dialog window carries. Guarded by the window
// lock.

#include "Dialog.h"
#include "WindowImpl.h"

namespace Platform {

struct DialogData {
    DLGPROC proc = nullptr;
    LONG_PTR msgResult = 0;
    LONG_PTR user = 0;
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
    SIZE baseUnits;
    HFONT font = nullptr;
    // The control that had the focus when the dialog was deactivated.
    HWND savedFocus = nullptr;

    ~DialogData();
};

// The dialog words of GetWindowLong / SetWindowLong; false for a window that
// is no dialog. Window lock held.
bool DialogGetLong(const Window& w, int index, LONG_PTR* value);
bool DialogSetLong(Window& w, int index, LONG_PTR value, LONG_PTR* previous);

// Dialog units to pixels, rounded to the nearest: `unit` pixels make `per`
// dialog units (4 across, 8 down).
int DialogUnitsToPixels(int du, int unit, int per);

// The dialog's state, or null.
std::shared_ptr<DialogData> FindDialog(HWND hwnd);

} // namespace Platform
