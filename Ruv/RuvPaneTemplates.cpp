// Laid out in dialog units for the pane area of the handheld's portrait
// screen: a label over each field, check boxes with their label beside.

#include "RuvPaneTemplates.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlDatePicker.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlStatic.h"
#include "PluginHelpers.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"

#include <initializer_list>

namespace {

// Shown: a read-only edit; List: a drop-down list; Memo: a multi-line
// edit (MemoShown read-only); Date: a date picker that may hold no date;
// Languages: three lists side by side (the control and the next two ids);
// Pair and PairShown: an interest row without label, a list (or read-only
// edit) at the control's id and its keywords at the keywords id; Caption:
// a label alone.
enum class Row { Edit, Password, Host, Check, Shown, List, Memo, MemoShown, Date, Languages, Pair, PairShown, Caption };

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

constexpr std::uint32_t kListStyle = WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL;
constexpr std::uint32_t kShownStyle = kEditStyle | ES_READONLY;

// The rows of the details and search pages; false for the others.
bool AddDetailsField(DialogTemplate& t, const Field& f, int& y) {
    auto add = [&](const char16_t* cls, int id, int x, int top, int cx, int cy, std::uint32_t style) {
        t.items.push_back({cls, id, x, top, cx, cy, style, u""});
    };
    switch (f.kind) {
    case Row::Caption:
        add(WC_STATIC, f.label, kLeft, y, kWidth, 10, WS_VISIBLE);
        y += 12;
        return true;
    case Row::Pair:
    case Row::PairShown: {
        const int keywords = f.control - kRuvDetailsField + kRuvDetailsKeywords;
        if (f.kind == Row::Pair)
            add(WC_COMBOBOX, f.control, kLeft, y, 60, 60, kListStyle);
        else
            add(WC_EDIT, f.control, kLeft, y, 60, 12, kShownStyle);
        add(WC_EDIT, keywords, kLeft + 64, y, kWidth - 64, 12, f.kind == Row::Pair ? kEditStyle : kShownStyle);
        y += 16;
        return true;
    }
    default:
        break;
    }
    if (f.kind != Row::Shown && f.kind != Row::List && f.kind != Row::Memo && f.kind != Row::MemoShown &&
        f.kind != Row::Date && f.kind != Row::Languages)
        return false;
    add(WC_STATIC, f.label, kLeft, y, kWidth, 9, WS_VISIBLE);
    switch (f.kind) {
    case Row::Shown:
        add(WC_EDIT, f.control, kLeft, y + 10, kWidth, 12, kShownStyle);
        break;
    case Row::List:
        add(WC_COMBOBOX, f.control, kLeft, y + 10, kWidth, 60, kListStyle);
        break;
    case Row::Memo:
    case Row::MemoShown:
        add(WC_EDIT, f.control, kLeft, y + 10, kWidth, 44,
            WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                (f.kind == Row::Memo ? ES_WANTRETURN : ES_READONLY));
        y += 56;
        return true;
    case Row::Date:
        add(DATETIMEPICK_CLASS, f.control, kLeft, y + 10, kWidth, 12,
            WS_VISIBLE | WS_TABSTOP | DTS_SHORTDATEFORMAT | DTS_SHOWNONE);
        break;
    default:
        for (int i = 0; i < 3; ++i)
            add(WC_COMBOBOX, f.control + i, kLeft + i * 48, y + 10, 46, 60, kListStyle);
        break;
    }
    y += 24;
    return true;
}

void AddField(DialogTemplate& t, const Field& f, int& y) {
    if (AddDetailsField(t, f, y))
        return;
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

// The label and field ids of a details page's row.
constexpr int L(int row) { return kRuvDetailsLabel + row; }
constexpr int F(int row) { return kRuvDetailsField + row; }

DialogTemplate Shown(int rows) {
    DialogTemplate t = Pane({});
    int y = 4;
    for (int row = 0; row < rows; ++row)
        AddField(t, {Row::Shown, L(row), F(row)}, y);
    return t;
}

DialogTemplate Interests(Row kind) {
    return Pane({{kind, 0, F(0)}, {kind, 0, F(1)}, {kind, 0, F(2)}, {kind, 0, F(3)}});
}

DialogTemplate Address() {
    return Pane({{Row::List, L(0), F(0)}, {Row::Edit, L(1), F(1)}, {Row::Edit, L(2), F(2)},
                 {Row::Edit, L(3), F(3)}, {Row::Edit, L(4), F(4)}});
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
    {kRuvViewGeneralTemplate, [] { return Shown(5); }},
    {kRuvViewHomeTemplate, [] { return Shown(5); }},
    {kRuvViewWorkTemplate, [] { return Shown(5); }},
    {kRuvViewCompanyTemplate, [] { return Shown(5); }},
    {kRuvViewPhonesTemplate, [] { return Shown(5); }},
    {kRuvViewPersonalTemplate, [] { return Shown(6); }},
    {kRuvViewOriginTemplate, [] { return Shown(3); }},
    {kRuvViewInterestsTemplate, [] { return Interests(Row::PairShown); }},
    {kRuvViewAboutTemplate, [] { return Pane({{Row::MemoShown, L(0), F(0)}, {Row::Memo, L(1), F(1)}}); }},
    {kRuvEditGeneralTemplate,
     [] {
         return Pane({{Row::Shown, L(0), F(0)}, {Row::Edit, L(1), F(1)}, {Row::Edit, L(2), F(2)},
                      {Row::Edit, L(3), F(3)}, {Row::Edit, L(4), F(4)}});
     }},
    {kRuvEditHomeTemplate, Address},
    {kRuvEditWorkTemplate, Address},
    {kRuvEditCompanyTemplate,
     [] {
         return Pane({{Row::Edit, L(0), F(0)}, {Row::Edit, L(1), F(1)}, {Row::List, L(2), F(2)},
                      {Row::Edit, L(3), F(3)}, {Row::Edit, L(4), F(4)}});
     }},
    {kRuvEditPhonesTemplate,
     [] {
         return Pane({{Row::Edit, L(0), F(0)}, {Row::Edit, L(1), F(1)}, {Row::Edit, L(2), F(2)},
                      {Row::Edit, L(3), F(3)}, {Row::Edit, L(4), F(4)}});
     }},
    {kRuvEditPersonalTemplate,
     [] {
         return Pane({{Row::List, L(0), F(0)}, {Row::List, L(1), F(1)}, {Row::Edit, L(2), F(2)},
                      {Row::Date, L(3), F(3)}, {Row::Languages, L(4), F(4)}});
     }},
    {kRuvEditOriginTemplate,
     [] { return Pane({{Row::List, L(0), F(0)}, {Row::Edit, L(1), F(1)}, {Row::Edit, L(2), F(2)}}); }},
    {kRuvEditInterestsTemplate, [] { return Interests(Row::Pair); }},
    {kRuvEditAboutTemplate, [] { return Pane({{Row::Memo, L(0), F(0)}, {Row::Memo, L(1), F(1)}}); }},
    {kRuvSearchGlobal1Template,
     [] {
         return Pane({{Row::Caption, 1110, 0}, {Row::Edit, 1111, 1112}, {Row::Edit, 1113, 1114},
                      {Row::Edit, 1115, 1116}, {Row::List, 1117, 1118}, {Row::List, 1119, 1120},
                      {Row::List, 1121, 1122}});
     }},
    {kRuvSearchGlobal2Template,
     [] {
         return Pane({{Row::List, 1119, 1120}, {Row::List, 1121, 1122}, {Row::Edit, 1123, 1124},
                      {Row::List, 1125, 1126}, {Row::List, 1127, 1128}, {Row::Edit, 1129, 1130},
                      {Row::Check, 1132, 1131}});
     }},
    {kRuvSearchByEmailTemplate, [] { return Pane({{Row::Edit, 1108, 1109}}); }},
    {kRuvSearchByNumberTemplate, [] { return Pane({{Row::Edit, 1106, 1107}}); }},
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
