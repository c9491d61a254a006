#include "DialogListView.h"

#include "Controls/ControlListView.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowGeometry.h"

namespace UI {

void ResetSingleColumnList(HWND list, int margin)
{
    SendMessage(list, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessage(list, LVM_DELETECOLUMN, 0, 0))
        ;
    RECT client;
    GetClientRect(list, &client);
    LVCOLUMN column;
    column.mask = LVCF_WIDTH;
    column.cx = client.right - client.left - margin;
    SendMessage(list, LVM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&column));
}

void SelectListRow(HWND list, int row)
{
    LVITEM state;
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    ListView_EnsureVisible(list, row, false);
}

} // namespace UI
