// Laid out for the handheld's portrait screen in dialog units of 8-point
// Tahoma (about 150 x 160 units); the full-screen dialogs stretch to the
// work area and keep these positions.

#include "YolWMUI_DialogTemplates.h"

#include "Controls/Control.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlStatic.h"
#include "Controls/ControlListView.h"
#include "Controls/ControlProgress.h"
#include "Controls/ControlTrackbar.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"
#include "YolWMUI_Dialogs.h"
#include "PrefsDialogTemplates.h"

namespace UI {

DialogTemplate FullScreenDialog(const char16_t* caption, std::vector<DialogItemTemplate> items)
{
    DialogTemplate t;
    t.style = WS_POPUP | DS_SETFONT;
    t.cx = 150;
    t.cy = 160;
    t.caption = caption;
    t.fontFace = u"Tahoma";
    t.pointSize = 8;
    t.items = std::move(items);
    return t;
}

namespace {

constexpr std::uint32_t kVisible = WS_VISIBLE;
constexpr std::uint32_t kTab = WS_VISIBLE | WS_TABSTOP;
constexpr std::uint32_t kEdit = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr std::uint32_t kDropList = WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr std::uint32_t kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

DialogTemplate About()
{
    return FullScreenDialog(u"About", {
        {WC_STATIC, 1123, 4, 4, 24, 24, kVisible, u""},
        {WC_STATIC, 1122, 32, 4, 114, 16, kVisible, u""},
        {WC_STATIC, 1121, 32, 20, 114, 10, kVisible, u""},
        {WC_EDIT, 1056, 4, 34, 142, 120, WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, u""},
    });
}

DialogTemplate BaseAccount()
{
    return FullScreenDialog(u"Base account", {
        {WC_STATIC, 1189, 4, 4, 24, 24, kVisible, u""},
        {WC_STATIC, 1197, 32, 4, 114, 30, kVisible, u""},
        {WC_STATIC, 1190, 4, 40, 142, 10, kVisible, u""},
        {WC_EDIT, 1191, 4, 51, 90, 13, kEdit, u""},
        {WC_STATIC, 1194, 96, 53, 50, 10, kVisible, u"@yol.im"},
        {WC_STATIC, 1192, 4, 68, 142, 10, kVisible, u""},
        {WC_EDIT, 1193, 4, 79, 90, 13, kEdit | ES_PASSWORD, u""},
        {WC_STATIC, 1196, 4, 98, 142, 20, kVisible, u""},
    });
}

DialogTemplate SelectLang()
{
    DialogTemplate t = FullScreenDialog(u"Yol Mobile", {
        {WC_STATIC, -1, 6, 6, 108, 10, kVisible, u"Select your language"},
        {WC_COMBOBOX, 1195, 6, 20, 108, 80, kDropList, u""},
        {WC_BUTTON, 1, 40, 40, 40, 14, kTab | BS_DEFPUSHBUTTON, u"OK"},
    });
    t.style = WS_POPUP | WS_BORDER | DS_SETFONT;
    t.x = 15;
    t.y = 40;
    t.cx = 120;
    t.cy = 60;
    return t;
}

DialogTemplate FileLoad()
{
    return FullScreenDialog(u"File transfers", {
        {WC_COMBOBOX, 1014, 4, 4, 142, 80, kDropList, u""},
        {PROGRESS_CLASS, 1200, 4, 22, 142, 10, kVisible, u""},
        {WC_STATIC, 1201, 4, 36, 142, 10, kVisible, u""},
        {WC_BUTTON, 1019, 50, 52, 50, 14, kTab, u""},
    });
}

DialogTemplate XStatus()
{
    return FullScreenDialog(u"X status", {
        {WC_STATIC, 1088, 4, 4, 142, 10, kVisible, u""},
        {WC_EDIT, 1202, 4, 15, 142, 13, kEdit, u""},
        {WC_STATIC, 1089, 4, 32, 142, 10, kVisible, u""},
        {WC_EDIT, 1041, 4, 43, 142, 60,
         WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN, u""},
    });
}

DialogTemplate ColorScheme()
{
    return FullScreenDialog(u"Yol Colors", {
        {WC_LISTVIEW, 1022, 0, 0, 150, 160,
         kTab | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER | LVS_OWNERDRAWFIXED, u""},
    });
}

DialogTemplate Color()
{
    return FullScreenDialog(u"Color", {
        {WC_STATIC, 1085, 4, 6, 12, 10, kVisible, u""},
        {TRACKBAR_CLASS, 1034, 16, 4, 96, 14, kTab | TBS_NOTICKS, u""},
        {WC_EDIT, 1014, 116, 4, 28, 13, kEdit | ES_NUMBER, u""},
        {WC_STATIC, 1086, 4, 24, 12, 10, kVisible, u""},
        {TRACKBAR_CLASS, 1035, 16, 22, 96, 14, kTab | TBS_NOTICKS, u""},
        {WC_EDIT, 1017, 116, 22, 28, 13, kEdit | ES_NUMBER, u""},
        {WC_STATIC, 1087, 4, 42, 12, 10, kVisible, u""},
        {TRACKBAR_CLASS, 1036, 16, 40, 96, 14, kTab | TBS_NOTICKS, u""},
        {WC_EDIT, 1015, 116, 40, 28, 13, kEdit | ES_NUMBER, u""},
        {WC_STATIC, 1037, 4, 60, 142, 40, WS_VISIBLE | WS_BORDER, u""},
        {WC_BUTTON, 1039, 4, 106, 142, 14, kTab, u""},
    });
}

DialogTemplate PaletteCells()
{
    return FullScreenDialog(u"Palette", {
        {WC_STATIC, 1043, 4, 4, 142, 120, kVisible, u""},
        {WC_STATIC, 1088, 4, 130, 10, 10, kVisible, u""},
        {WC_EDIT, 1040, 14, 128, 28, 13, kEdit | ES_NUMBER | ES_READONLY, u""},
        {WC_STATIC, 1089, 52, 130, 10, 10, kVisible, u""},
        {WC_EDIT, 1041, 62, 128, 28, 13, kEdit | ES_NUMBER | ES_READONLY, u""},
        {WC_STATIC, 1090, 100, 130, 10, 10, kVisible, u""},
        {WC_EDIT, 1042, 110, 128, 28, 13, kEdit | ES_NUMBER | ES_READONLY, u""},
    });
}

DialogTemplate Font()
{
    return FullScreenDialog(u"Font", {
        {WC_STATIC, 1083, 4, 6, 30, 10, kVisible, u""},
        {WC_COMBOBOX, 1032, 36, 4, 110, 90, kDropList, u""},
        {WC_STATIC, 1084, 4, 24, 30, 10, kVisible, u""},
        {WC_COMBOBOX, 1014, 36, 22, 50, 90, kDropList, u""},
        {WC_BUTTON, 1049, 4, 42, 10, 10, kCheck, u""},
        {WC_STATIC, 1114, 16, 42, 56, 10, kVisible, u""},
        {WC_BUTTON, 1050, 76, 42, 10, 10, kCheck, u""},
        {WC_STATIC, 1115, 88, 42, 58, 10, kVisible, u""},
        {WC_BUTTON, 1051, 4, 56, 10, 10, kCheck, u""},
        {WC_STATIC, 1116, 16, 56, 56, 10, kVisible, u""},
        {WC_BUTTON, 1019, 76, 56, 10, 10, kCheck, u""},
        {WC_STATIC, 1117, 88, 56, 58, 10, kVisible, u""},
        {WC_STATIC, 1056, 4, 72, 142, 60, WS_VISIBLE | WS_BORDER | SS_CENTER, u""},
    });
}

} // namespace

void RegisterYolDialogTemplates(HINSTANCE module)
{
    const struct {
        int id;
        DialogTemplate (*make)();
    } table[] = {
        {kAboutDlgTemplate, About},           {kBaseAccountDlgTemplate, BaseAccount},
        {kSelectLangDlgTemplate, SelectLang}, {kFileLoadDlgTemplate, FileLoad},
        {kXStatusDlgTemplate, XStatus},       {kColorSchemeDlgTemplate, ColorScheme},
        {kColorDlgTemplate, Color},           {kPaletteCellsDlgTemplate, PaletteCells},
        {kFontDlgTemplate, Font},
    };
    for (const auto& entry : table)
        RegisterDialogTemplate(module, entry.id, entry.make());
    RegisterPrefsDialogTemplates(module);
}

} // namespace UI
