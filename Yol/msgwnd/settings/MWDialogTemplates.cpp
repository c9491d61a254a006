// Laid out in dialog units of 8-point Tahoma for the portrait screen
// (about 150 x 160 units); panes fill the tab dialog's page.

#include "MWDialogTemplates.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlStatic.h"
#include "Controls/ControlUpDown.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowModule.h"

#include <mutex>

namespace MW {

namespace {

Platform::Module g_module{"YolMsgWnd"};

constexpr std::uint32_t kVisible = WS_VISIBLE;
constexpr std::uint32_t kTab = WS_VISIBLE | WS_TABSTOP;
constexpr std::uint32_t kEdit = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr std::uint32_t kNumber = kEdit | ES_NUMBER;
constexpr std::uint32_t kUpDown = WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS;
constexpr std::uint32_t kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr std::uint32_t kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr std::uint32_t kDropList = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

DialogTemplate Dialog(std::vector<DialogItemTemplate> items, std::uint32_t style = WS_CHILD | DS_SETFONT | DS_CONTROL)
{
    DialogTemplate t;
    t.style = style;
    t.cx = 150;
    t.cy = 160;
    t.fontFace = u"Tahoma";
    t.pointSize = 8;
    t.items = std::move(items);
    return t;
}

// A check box with its label beside it: the box alone is the control the
// record reads, so that a long label can wrap.
void CheckRow(std::vector<DialogItemTemplate>& items, int box, int label, int y, int x = 4)
{
    items.push_back({WC_BUTTON, box, x, y, 10, 10, kCheck, u""});
    items.push_back({WC_STATIC, label, x + 13, y + 1, 146 - x - 13, 10, kVisible, u""});
}

DialogTemplate HistPane()
{
    std::vector<DialogItemTemplate> items{{WC_STATIC, 1076, 4, 4, 142, 10, kVisible, u""}};
    CheckRow(items, 1014, 1106, 16);
    CheckRow(items, 1015, 1107, 29);
    CheckRow(items, 1053, 1108, 42);
    items.push_back({WC_BUTTON, 1019, 4, 58, 142, 14, kButton, u""});
    items.push_back({WC_BUTTON, 1023, 4, 75, 142, 14, kButton, u""});
    items.push_back({WC_BUTTON, 1020, 4, 92, 142, 14, kButton, u""});
    items.push_back({WC_STATIC, 1161, 4, 112, 142, 10, kVisible, u""});
    items.push_back({WC_EDIT, 1162, 4, 123, 142, 13, kEdit, u""});
    return Dialog(std::move(items));
}

DialogTemplate EditPane()
{
    std::vector<DialogItemTemplate> items{
        {WC_EDIT, 1128, 4, 4, 30, 13, kNumber, u""},
        {UPDOWN_CLASS, 1129, 34, 4, 10, 13, kUpDown, u""},
        {WC_STATIC, 1130, 48, 6, 98, 10, kVisible, u""},
    };
    CheckRow(items, 1131, 1132, 22);
    CheckRow(items, 1134, 1135, 35);
    items.push_back({WC_BUTTON, 1136, 4, 48, 10, 10, kCheck, u""});
    items.push_back({WC_STATIC, 1137, 17, 49, 129, 20, kVisible, u""});
    items.push_back({WC_BUTTON, 1133, 4, 72, 142, 14, kButton, u""});
    return Dialog(std::move(items));
}

DialogTemplate SmilePane()
{
    std::vector<DialogItemTemplate> items{
        {WC_EDIT, 1045, 4, 4, 30, 13, kNumber, u""},
        {UPDOWN_CLASS, 1046, 34, 4, 10, 13, kUpDown, u""},
        {WC_STATIC, 1072, 48, 4, 98, 20, kVisible, u""},
    };
    items.push_back({WC_BUTTON, 1167, 4, 27, 10, 10, kCheck, u""});
    items.push_back({WC_STATIC, 1168, 17, 28, 129, 20, kVisible, u""});
    items.push_back({WC_STATIC, 1169, 4, 52, 142, 10, kVisible, u""});
    CheckRow(items, 1134, 1135, 64);
    CheckRow(items, 1138, 1139, 77, 14);
    CheckRow(items, 1136, 1137, 90, 14);
    return Dialog(std::move(items));
}

DialogTemplate ReplyPane()
{
    std::vector<DialogItemTemplate> items{
        {WC_STATIC, 1152, 4, 4, 142, 10, kVisible, u""},
        {WC_EDIT, 1056, 4, 15, 142, 90,
         WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN, u""},
    };
    CheckRow(items, 1153, 1154, 110);
    CheckRow(items, 1155, 1156, 123);
    return Dialog(std::move(items));
}

DialogTemplate ControlPane()
{
    std::vector<DialogItemTemplate> items{
        {WC_STATIC, 1159, 4, 4, 142, 10, kVisible, u""},
        {WC_STATIC, 1144, 4, 16, 142, 10, kVisible, u""},
    };
    CheckRow(items, 1147, 1148, 28, 10);
    CheckRow(items, 1149, 1150, 41, 10);
    CheckRow(items, 1145, 1151, 56);
    items.push_back({WC_STATIC, 1160, 4, 72, 142, 10, kVisible, u""});
    items.push_back({WC_STATIC, 1140, 4, 86, 50, 10, kVisible, u""});
    items.push_back({WC_COMBOBOX, 1032, 56, 84, 90, 70, kDropList, u""});
    items.push_back({WC_STATIC, 1141, 4, 102, 50, 10, kVisible, u""});
    items.push_back({WC_COMBOBOX, 1033, 56, 100, 90, 70, kDropList, u""});
    return Dialog(std::move(items));
}

// The find bar sits on top; the history view takes the client area below
// it (or all of it while the bar is hidden).
DialogTemplate HistoryDlg()
{
    std::vector<DialogItemTemplate> items{
        {WC_STATIC, 1066, 2, 3, 40, 10, kVisible, u""},
        {WC_EDIT, 1056, 42, 2, 84, 12, kEdit, u""},
        {WC_BUTTON, 1019, 128, 2, 20, 12, kButton, u"->"},
    };
    CheckRow(items, 1064, 1119, 16, 2);
    items.back().cx = 60;
    items.push_back({WC_BUTTON, 1065, 76, 16, 10, 10, kCheck, u""});
    items.push_back({WC_STATIC, 1120, 89, 17, 59, 10, kVisible, u""});
    return Dialog(std::move(items), WS_POPUP | DS_SETFONT);
}

void RegisterTemplates()
{
    RegisterDialogTemplate(&g_module, kHistPaneTemplate, HistPane());
    RegisterDialogTemplate(&g_module, kEditPaneTemplate, EditPane());
    RegisterDialogTemplate(&g_module, kSmilePaneTemplate, SmilePane());
    RegisterDialogTemplate(&g_module, kReplyPaneTemplate, ReplyPane());
    RegisterDialogTemplate(&g_module, kControlPaneTemplate, ControlPane());
    RegisterDialogTemplate(&g_module, kHistoryDlgTemplate, HistoryDlg());
}

} // namespace

HINSTANCE GetMsgWndInstance()
{
    static std::once_flag once;
    std::call_once(once, RegisterTemplates);
    return &g_module;
}

} // namespace MW
