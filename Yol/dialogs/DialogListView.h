#pragma once
// The single-column list views of the program's dialogs: emptied and given
// one column across their width, and a row made the selected, focused one.

#include "PlatformTypes.h"

namespace UI {

// Removes every row and column and adds one column as wide as the client
// area less `margin` (room for a scroll bar where the rows may not fit).
void ResetSingleColumnList(HWND list, int margin = 0);
// Selects and focuses `row` and scrolls it into view.
void SelectListRow(HWND list, int row);

} // namespace UI
