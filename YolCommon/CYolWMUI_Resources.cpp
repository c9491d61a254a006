// The common library's own resources: the soft-key menu bar of full-screen
// dialogs and the empty child dialog that tab panes start from.

#include "CYolWMUI_WndBase.h"

#include "WindowSystem/DialogTemplate.h"
#include "Shell/ShellMenuBar.h"

#include <mutex>

namespace UI {

namespace {

Platform::Module g_module{"YolCommon"};

void RegisterResources()
{
    // Placeholders: every dialog puts its own captions on the soft keys.
    RegisterMenuBarResource(&g_module, kSoftKeysMenuId,
                            {MenuBarButton{kLeftSoftKeyCommand, u"L"}, MenuBarButton{kRightSoftKeyCommand, u"R"}});

    DialogTemplate pane;
    pane.style = WS_CHILD | DS_SETFONT;
    pane.cx = 92;
    pane.cy = 95;
    pane.fontFace = u"MS Shell Dlg";
    pane.pointSize = 8;
    RegisterDialogTemplate(&g_module, kEmptyPaneDialogId, pane);
}

// Registered as the library loads, as resources come with a module.
const bool g_registered = (GetYolCommonInstance(), true);

} // namespace

HINSTANCE GetYolCommonInstance()
{
    static std::once_flag once;
    std::call_once(once, RegisterResources);
    return &g_module;
}

} // namespace UI
