// Each page is a column of fields in dialog units for the handheld's
// portrait pane area: a label over every edit or list, check boxes with
// their label to the right.

#include "ZemPaneTemplates.h"

#include "Controls/Control.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlStatic.h"
#include "PluginHelpers.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"

#include <initializer_list>

namespace {

enum class Kind { Text, Password, Shown, List, Check, Button, Note, Age };

struct Field {
    Kind kind;
    int label;
    int control;
};

constexpr int kLeft = 4;
constexpr int kWidth = 142;
constexpr std::uint32_t kTab = WS_VISIBLE | WS_TABSTOP;

// Appends one field at `y` and answers the height it took.
int Place(DialogTemplate& t, const Field& f, int y) {
    auto add = [&](const char16_t* cls, int id, int x, int top, int cx, int cy, std::uint32_t style) {
        t.items.push_back({cls, id, x, top, cx, cy, style, u""});
    };
    switch (f.kind) {
    case Kind::Check:
        add(WC_BUTTON, f.control, kLeft, y, 10, 10, kTab | BS_AUTOCHECKBOX);
        add(WC_STATIC, f.label, kLeft + 14, y + 1, kWidth - 14, 10, WS_VISIBLE);
        return 13;
    case Kind::Button:
        add(WC_BUTTON, f.control, kLeft, y, 60, 14, kTab | BS_PUSHBUTTON);
        return 18;
    case Kind::Note:
        add(WC_STATIC, f.label, kLeft, y, kWidth, 30, WS_VISIBLE);
        return 34;
    case Kind::Age:
        add(WC_STATIC, f.label, kLeft, y, kWidth, 9, WS_VISIBLE);
        add(WC_EDIT, f.control, kLeft, y + 10, 40, 12, kTab | WS_BORDER | ES_NUMBER);
        add(WC_STATIC, f.control + 1, kLeft + 44, y + 11, 8, 10, WS_VISIBLE);
        add(WC_EDIT, f.control + 2, kLeft + 54, y + 10, 40, 12, kTab | WS_BORDER | ES_NUMBER);
        return 24;
    default:
        break;
    }
    add(WC_STATIC, f.label, kLeft, y, kWidth, 9, WS_VISIBLE);
    if (f.kind == Kind::List)
        add(WC_COMBOBOX, f.control, kLeft, y + 10, kWidth, 60, kTab | CBS_DROPDOWNLIST);
    else
        add(WC_EDIT, f.control, kLeft, y + 10, kWidth, 12,
            kTab | WS_BORDER | ES_AUTOHSCROLL | (f.kind == Kind::Password ? ES_PASSWORD : 0) |
                (f.kind == Kind::Shown ? ES_READONLY : 0));
    return 24;
}

DialogTemplate Page(std::initializer_list<Field> fields) {
    DialogTemplate t;
    t.style = WS_CHILD | DS_SETFONT | DS_CONTROL;
    t.cx = 150;
    t.cy = 160;
    t.fontFace = u"Tahoma";
    t.pointSize = 8;
    int y = 4;
    for (const Field& f : fields)
        y += Place(t, f, y);
    return t;
}

// The full-screen dialog that asks for the reason of an authorization request.
DialogTemplate AuthRequest() {
    DialogTemplate t = Page({{Kind::Text, 1097, 1098}});
    t.style = WS_POPUP | DS_SETFONT;
    t.caption = u"Authorization request";
    return t;
}

struct Entry {
    unsigned int id;
    DialogTemplate (*make)();
};

const Entry kTemplates[] = {
    {kZemAccountTemplate,
     [] {
         return Page({{Kind::Text, 1001, 1015}, {Kind::List, 1004, 1020}, {Kind::Password, 1002, 1016},
                      {Kind::Check, 1007, 1017}});
     }},
    {kZemAuthRequestTemplate, AuthRequest},
    {kZemAdvancedTemplate, [] { return Page({{Kind::Check, 1062, 1061}, {Kind::Check, 1064, 1063}}); }},
    {kZemOwnDetailsTemplate, [] { return Page({{Kind::Note, 1005, 0}, {Kind::Button, 0, 1006}}); }},
    {kZemDetailsGeneralTemplate,
     [] {
         return Page({{Kind::Shown, 1030, 1002}, {Kind::Shown, 1031, 1003}, {Kind::Shown, 1032, 1004},
                      {Kind::Shown, 1033, 1005}});
     }},
    {kZemDetailsHomeTemplate, [] { return Page({{Kind::Shown, 1034, 1006}}); }},
    {kZemDetailsPersonalTemplate,
     [] { return Page({{Kind::Shown, 1052, 1024}, {Kind::Shown, 1055, 1027}, {Kind::Shown, 1053, 1026}}); }},
    {kZemSearchEmailTemplate, [] { return Page({{Kind::Text, 1108, 1109}}); }},
    {kZemSearchGlobalTemplate,
     [] {
         return Page({{Kind::Text, 1111, 1112}, {Kind::Text, 1113, 1114}, {Kind::Text, 1115, 1116},
                      {Kind::List, 1117, 1118}, {Kind::Age, 1119, 1120}, {Kind::List, 1123, 1124},
                      {Kind::Check, 1132, 1131}});
     }},
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

void EnsureZemPaneTemplates() { static const Registration registration; }
