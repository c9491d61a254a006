// Laid out in dialog units of 8-point Tahoma for the portrait screen, as
// the program's other templates. In the panes every check box is a
// caption-less box with its label beside it; the labels are placeholders
// that the panes fill from the language in force.

#include "PrefsDialogTemplates.h"
#include "YolWMUI_DialogTemplates.h"

#include "Controls/Control.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlListView.h"
#include "Controls/ControlStatic.h"
#include "Controls/ControlTrackbar.h"
#include "Controls/ControlUpDown.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"

namespace UI {

namespace {

constexpr std::uint32_t kVisible = WS_VISIBLE;
constexpr std::uint32_t kTab = WS_VISIBLE | WS_TABSTOP;
constexpr std::uint32_t kEdit = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr std::uint32_t kDropList = WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL;
constexpr std::uint32_t kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

using Items = std::vector<DialogItemTemplate>;

DialogTemplate Pane(Items items)
{
    DialogTemplate t;
    t.style = WS_CHILD | DS_SETFONT;
    t.cx = 150;
    t.cy = 140;
    t.fontFace = u"Tahoma";
    t.pointSize = 8;
    t.items = std::move(items);
    return t;
}

// A check box at row y with its label.
void Check(Items& items, int box, int label, int y, int indent = 0)
{
    items.push_back({WC_BUTTON, box, 4 + indent, y, 10, 10, kCheck, u""});
    items.push_back({WC_STATIC, label, 16 + indent, y + 1, 130 - indent, 10, kVisible, u"-"});
}

void Label(Items& items, int id, int x, int y, int cx, int cy = 10)
{
    items.push_back({WC_STATIC, id, x, y, cx, cy, kVisible, u"-"});
}

DialogTemplate General()
{
    Items items;
    Check(items, 1143, 1144, 4);
    Check(items, 1141, 1142, 18);
    Check(items, 1028, 1096, 32);
    Check(items, 1029, 1097, 46);
    Check(items, 1030, 1098, 60);
    items.push_back({WC_BUTTON, 1019, 4, 78, 142, 14, kTab, u"-"});
    items.push_back({WC_BUTTON, 1020, 4, 96, 142, 14, kTab, u"-"});
    return Pane(items);
}

DialogTemplate ContactList()
{
    Items items;
    Check(items, 1028, 1096, 4);
    Label(items, 1067, 4, 20, 50);
    items.push_back({WC_COMBOBOX, 1024, 56, 18, 90, 60, kDropList, u""});
    Check(items, 1025, 1094, 36);
    Label(items, 1068, 4, 52, 50);
    items.push_back({WC_COMBOBOX, 1026, 56, 50, 40, 60, kDropList, u""});
    Check(items, 1027, 1095, 68);
    items.push_back({WC_BUTTON, 1187, 4, 84, 142, 14, kTab, u"-"});
    return Pane(items);
}

DialogTemplate Notify()
{
    Items items;
    Check(items, 1057, 1096, 4);
    Label(items, 1074, 4, 18, 142);
    Check(items, 1058, 1097, 30, 6);
    Check(items, 1059, 1098, 42, 6);
    Label(items, 1075, 4, 56, 142);
    Check(items, 1060, 1099, 68, 6);
    Check(items, 1061, 1100, 80, 6);
    Check(items, 1063, 1101, 92, 12);
    Check(items, 1064, 1102, 104, 12);
    Check(items, 1165, 1166, 116, 6);
    Check(items, 1155, 1156, 128, 6);
    return Pane(items);
}

DialogTemplate Alert()
{
    Items items;
    Check(items, 1027, 1111, 4);
    Check(items, 1030, 1115, 18, 6);
    Label(items, 1114, 10, 34, 40);
    items.push_back({TRACKBAR_CLASS, 1118, 50, 32, 96, 14, kTab | TBS_NOTICKS, u""});
    Check(items, 1028, 1112, 50);
    Check(items, 1029, 1113, 64);
    items.push_back({WC_COMBOBOX, 1032, 4, 80, 142, 60, kDropList, u""});
    items.push_back({WC_BUTTON, 1019, 4, 98, 50, 14, kTab, u"-"});
    Label(items, 1176, 58, 100, 88);
    return Pane(items);
}

DialogTemplate Interface()
{
    Items items;
    Label(items, 1069, 4, 4, 142);
    items.push_back({WC_COMBOBOX, 1032, 4, 15, 142, 60, kDropList, u""});
    items.push_back({WC_BUTTON, 1019, 4, 32, 50, 14, kTab, u"-"});
    Label(items, 1070, 58, 34, 88);
    Check(items, 1044, 1105, 50);
    Label(items, 1071, 4, 64, 142);
    items.push_back({WC_COMBOBOX, 1033, 4, 75, 142, 60, kDropList, u""});
    Check(items, 1045, 1106, 92);
    Label(items, 1073, 4, 106, 142);
    items.push_back({WC_COMBOBOX, 1034, 4, 117, 142, 60, kDropList, u""});
    return Pane(items);
}

DialogTemplate History()
{
    Items items;
    Check(items, 1032, 1102, 4);
    Check(items, 1033, 1103, 18, 6);
    Check(items, 1034, 1104, 32, 6);
    items.push_back({WC_EDIT, 1056, 10, 46, 30, 13, kEdit | ES_NUMBER, u""});
    items.push_back({UPDOWN_CLASS, 1092, 40, 46, 10, 13, kVisible | UDS_SETBUDDYINT | UDS_ARROWKEYS, u""});
    // Two lines: the caption is longer than the room beside the number.
    Label(items, 1093, 52, 47, 94, 20);
    items.push_back({WC_STATIC, kPrefsErrorId, 4, 70, 142, 20, kVisible, u""});
    return Pane(items);
}

DialogTemplate Antispam()
{
    Items items;
    Check(items, 1170, 1171, 4);
    Check(items, 1172, 1173, 18);
    Label(items, 1174, 4, 32, 142);
    items.push_back({WC_EDIT, 1175, 4, 43, 142, 24,
                     WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE, u""});
    Label(items, 1176, 4, 70, 142);
    items.push_back({WC_EDIT, 1177, 4, 81, 142, 13, kEdit, u""});
    Label(items, 1178, 4, 97, 142);
    items.push_back({WC_EDIT, 1179, 4, 108, 142, 24,
                     WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE, u""});
    return Pane(items);
}

DialogTemplate Hardware()
{
    Items items;
    Check(items, 1027, 1095, 4);
    Label(items, 1096, 4, 20, 70);
    items.push_back({WC_COMBOBOX, 1186, 76, 18, 70, 60, kDropList, u""});
    Label(items, 1097, 4, 36, 70);
    items.push_back({WC_COMBOBOX, 1187, 76, 34, 70, 60, kDropList, u""});
    // Left as they are: the pane gives them nothing.
    for (int i = 0; i < 3; ++i)
        items.push_back({WC_STATIC, 1098 + i, 4, 54 + 12 * i, 142, 10, kVisible, u""});
    items.push_back({WC_EDIT, 1182, 4, 90, 142, 13, kEdit | ES_READONLY, u""});
    items.push_back({WC_EDIT, 1183, 4, 106, 142, 13, kEdit | ES_READONLY, u""});
    return Pane(items);
}

DialogTemplate Connection()
{
    Items items;
    Label(items, 1078, 4, 6, 60);
    items.push_back({WC_COMBOBOX, 1008, 66, 4, 80, 60, kDropList, u""});
    Label(items, 1079, 4, 22, 142);
    items.push_back({WC_EDIT, 1009, 4, 33, 100, 13, kEdit, u""});
    Label(items, 1080, 108, 22, 38);
    items.push_back({WC_EDIT, 1010, 108, 33, 38, 13, kEdit | ES_NUMBER, u""});
    Check(items, 1011, 1095, 50);
    Label(items, 1081, 4, 64, 142);
    items.push_back({WC_EDIT, 1012, 4, 75, 142, 13, kEdit, u""});
    Label(items, 1082, 4, 91, 142);
    items.push_back({WC_EDIT, 1013, 4, 102, 142, 13, kEdit | ES_PASSWORD, u""});
    items.push_back({WC_STATIC, kPrefsErrorId, 4, 118, 142, 20, kVisible, u""});
    return Pane(items);
}

DialogTemplate Accounts()
{
    Items items;
    items.push_back({WC_LISTVIEW, 1000, 4, 4, 100, 132,
                     kTab | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER | LVS_OWNERDRAWFIXED,
                     u""});
    const int buttons[] = {1001, 1002, 1003, 1004, 1005, 1006};
    for (int i = 0; i < 6; ++i)
        items.push_back({WC_BUTTON, buttons[i], 108, 4 + 18 * i, 38, 14, kTab, u"-"});
    return Pane(items);
}

DialogTemplate Alerts()
{
    return FullScreenDialog(u"Yol alerts", {{WC_LISTVIEW, 1177, 0, 0, 150, 160,
                                kTab | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER, u""}});
}

DialogTemplate AlertSettings()
{
    Items items;
    Check(items, 1178, 1179, 4);
    Check(items, 1180, 1181, 18);
    Label(items, 1183, 4, 34, 142);
    items.push_back({WC_EDIT, 1182, 4, 45, 100, 13, kEdit, u""});
    items.push_back({WC_BUTTON, 1019, 108, 45, 38, 13, kTab, u"-"});
    Label(items, 1184, 4, 64, 142);
    items.push_back({WC_EDIT, 1185, 4, 75, 100, 13, kEdit, u""});
    return FullScreenDialog(u"Alert settings", std::move(items));
}

} // namespace

void RegisterPrefsDialogTemplates(HINSTANCE module)
{
    const struct {
        int id;
        DialogTemplate (*make)();
    } table[] = {
        {kAccountsPanTemplate, Accounts}, {kConnectPanTemplate, Connection}, {kCLPanTemplate, ContactList},
        {kAlertPanTemplate, Alert},       {kInterfacePanTemplate, Interface}, {kNotifyPanTemplate, Notify},
        {kHistPanTemplate, History},      {kGeneralPanTemplate, General},     {kAntispamPanTemplate, Antispam},
        {kAlertsDlgTemplate, Alerts},     {kAlertSetsDlgTemplate, AlertSettings}, {kHardPanTemplate, Hardware},
    };
    for (const auto& entry : table)
        RegisterDialogTemplate(module, entry.id, entry.make());
}

} // namespace UI
