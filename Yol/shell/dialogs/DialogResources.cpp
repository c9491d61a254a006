#include "DialogResources.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlListView.h"
#include "Controls/ControlStatic.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"
#include "WindowSystem/WindowModule.h"

#include <mutex>

namespace UI {

namespace {

Platform::Module g_program{"Yol"};

constexpr std::uint32_t kDialogStyle = WS_POPUP | WS_VISIBLE | DS_SETFONT;
constexpr std::uint32_t kEditStyle = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr std::uint32_t kListStyle = WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

DialogItemTemplate Item(const char16_t* cls, int id, RECT r, std::uint32_t style, const char16_t* text = u"")
{
    return DialogItemTemplate{cls, id, static_cast<int>(r.left), static_cast<int>(r.top),
                              static_cast<int>(r.right), static_cast<int>(r.bottom), style, text, 0};
}

DialogTemplate Dialog(const char16_t* caption, std::vector<DialogItemTemplate> items)
{
    DialogTemplate t;
    t.style = kDialogStyle;
    t.cx = 140;
    t.cy = 170;
    t.caption = caption;
    t.fontFace = u"MS Shell Dlg";
    t.pointSize = 8;
    t.items = std::move(items);
    return t;
}

// Item rectangles below are {x, y, width, height} in dialog units.
void RegisterTemplates()
{
    RegisterDialogTemplate(&g_program, kCommonDialogId, Dialog(u"", {}));
    RegisterDialogTemplate(&g_program, kNameDialogId,
                           Dialog(u"", {Item(WC_STATIC, kNameLabelId, {4, 4, 132, 10}, WS_VISIBLE),
                                        Item(WC_EDIT, kNameEditId, {4, 16, 132, 12}, kEditStyle)}));
    RegisterDialogTemplate(&g_program, kAddContactDialogId,
                           Dialog(u"Add contact",
                                  {Item(WC_STATIC, kLoginLabelId, {4, 4, 132, 10}, WS_VISIBLE),
                                   Item(WC_EDIT, kLoginEditId, {4, 15, 132, 12}, kEditStyle),
                                   Item(WC_STATIC, kDisplayLabelId, {4, 31, 132, 10}, WS_VISIBLE),
                                   Item(WC_EDIT, kDisplayEditId, {4, 42, 132, 12}, kEditStyle),
                                   Item(WC_STATIC, kGroupLabelId, {4, 58, 132, 10}, WS_VISIBLE),
                                   Item(WC_COMBOBOX, kGroupComboId, {4, 69, 132, 60}, kListStyle)}));
    RegisterDialogTemplate(
        &g_program, kFileDialogId,
        Dialog(u"", {Item(WC_COMBOBOX, kPathComboId, {2, 2, 110, 60}, kListStyle),
                     Item(WC_BUTTON, kUpButtonId, {114, 2, 24, 12}, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, u"^"),
                     Item(WC_LISTVIEW, kFileListId, {2, 16, 136, 108},
                          WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_SINGLESEL | LVS_LIST),
                     Item(WC_EDIT, kFileNameEditId, {2, 127, 136, 12}, kEditStyle),
                     Item(WC_COMBOBOX, kFilterComboId, {2, 142, 136, 60}, kListStyle),
                     Item(WC_STATIC, kFileStatusId, {2, 157, 136, 10}, WS_VISIBLE)}));
}

} // namespace

HINSTANCE GetProgramInstance()
{
    static std::once_flag once;
    std::call_once(once, RegisterTemplates);
    return &g_program;
}

} // namespace UI
