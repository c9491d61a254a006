#include "YolWMUI_ListDialogTemplates.h"

#include "Controls/ControlListView.h"
#include "Controls/ControlTreeView.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"
#include "YolWMUI_Dialogs.h"

#include <mutex>

namespace UI {

namespace {

DialogTemplate OneList(std::uint32_t style, const char16_t* cls, int id, std::uint32_t listStyle)
{
    DialogTemplate t;
    t.style = style | DS_SETFONT;
    t.cx = 150;
    t.cy = 160;
    t.fontFace = u"Tahoma";
    t.pointSize = 8;
    t.items = {{cls, id, 0, 0, 150, 160, WS_VISIBLE | WS_TABSTOP | listStyle, u""}};
    return t;
}

void Register()
{
    HINSTANCE module = GetYolDialogsInstance();
    RegisterDialogTemplate(module, kMoveContactDlgTemplate,
                           OneList(WS_POPUP, WC_TREEVIEW, kMetaTreeId,
                                   TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS));
    RegisterDialogTemplate(module, kFindResultPaneTemplate,
                           OneList(WS_CHILD | DS_CONTROL, WC_LISTVIEW, kResultListId,
                                   LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED));
}

} // namespace

void EnsureYolListDialogTemplates()
{
    static std::once_flag once;
    std::call_once(once, Register);
}

} // namespace UI
