// Laid out in dialog units for the pane area of the handheld's portrait
// screen: a label over each field, check boxes with their label beside.

#include "RuvPaneTemplates.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlStatic.h"
#include "PluginHelpers.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"

#include <initializer_list>

namespace {

enum class Row { Edit, Password, Host, Check };

struct Field {
    Row kind;
    int label;
    int control;
    // The label's text when the page does not set it.
    const char16_t* text = u"";
};

constexpr int kLeft = 4;
constexpr int kWidth = 142;
constexpr std::uint32_t kEditStyle = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;

void AddField(DialogTemplate& t, const Field& f, int& y) {
    if (f.kind == Row::Check) {
        t.items.push_back({WC_BUTTON, f.control, kLeft, y, 10, 10, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, u""});
        t.items.push_back({WC_STATIC, f.label, kLeft + 14, y + 1, kWidth - 14, 10, WS_VISIBLE, f.text});
        y += 13;
        return;
    }
    t.items.push_back({WC_STATIC, f.label, kLeft, y, kWidth, 9, WS_VISIBLE, f.text});
    DialogItemTemplate field{WC_EDIT, f.control, kLeft, y + 10, kWidth, 12, kEditStyle, u""};
    if (f.kind == Row::Password)
        field.style |= ES_PASSWORD;
    else if (f.kind == Row::Host)
        field = {WC_COMBOBOX, f.control, kLeft, y + 10, kWidth, 60, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, u""};
    t.items.push_back(field);
    y += 24;
}

DialogTemplate Pane(std::initializer_list<Field> fields) {
    DialogTemplate t;
    t.style = WS_CHILD | DS_SETFONT | DS_CONTROL;
    t.cx = 150;
    t.cy = 160;
    t.fontFace = u"Tahoma";
    int y = 4;
    for (const Field& f : fields)
        AddField(t, f, y);
    return t;
}

DialogTemplate AuthRequest() {
    DialogTemplate t = Pane({{Row::Edit, 1097, 1098}});
    t.style = WS_POPUP | DS_SETFONT;
    t.caption = u"Authorization request";
    return t;
}

struct Entry {
    unsigned int id;
    DialogTemplate (*make)();
};

const Entry kTemplates[] = {
    {kRuvAccountTemplate,
     [] {
         return Pane({{Row::Edit, 1069, 1015, u"Ruv# / E-mail"},
                      {Row::Password, 1071, 1016},
                      {Row::Check, 1101, 1017},
                      {Row::Check, 1102, 1018}});
     }},
    {kRuvConnectionTemplate,
     [] {
         return Pane({{Row::Host, 1054, 1001}, {Row::Edit, 1055, 1002}, {Row::Check, 1106, 1057},
                      {Row::Check, 1103, 1052}, {Row::Check, 1104, 1053}, {Row::Check, 1105, 1056}});
     }},
    {kRuvAdditionalTemplate,
     [] {
         return Pane({{Row::Check, 1133, 1134}, {Row::Check, 1138, 1137}, {Row::Check, 1140, 1139},
                      {Row::Check, 1142, 1141}, {Row::Check, 1144, 1143}});
     }},
    {kRuvAuthRequestTemplate, AuthRequest},
};

struct Registration {
    Registration() {
        for (const Entry& e : kTemplates)
            RegisterDialogTemplate(Protocols::GetPluginModule(), static_cast<int>(e.id), e.make());
    }
    ~Registration() {
        for (const Entry& e : kTemplates)
            UnregisterDialogTemplate(Protocols::GetPluginModule(), static_cast<int>(e.id));
    }
};

}  // namespace

void EnsureRuvPaneTemplates() { static const Registration registration; }
