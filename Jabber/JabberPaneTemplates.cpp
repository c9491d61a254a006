// Laid out in dialog units for the pane area of the handheld's portrait
// screen: a label over each field, check boxes with their label beside.

#include "JabberPaneTemplates.h"

#include "Controls/Control.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlDatePicker.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlStatic.h"
#include "PluginHelpers.h"
#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/Window.h"

#include <initializer_list>
#include <vector>

namespace {

enum class RowKind { Edit, Password, ReadOnly, Check, Combo, Date, Memo, ReadOnlyMemo };

// One field: its label's id, its control's id and how it is shown.
struct Row {
    RowKind kind;
    int label;
    int control;
};

constexpr std::uint32_t kEditStyle = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;

void AddRow(std::vector<DialogItemTemplate>& items, const Row& row, int& y) {
    constexpr int left = 4;
    constexpr int width = 142;
    switch (row.kind) {
    case RowKind::Check:
        items.push_back({WC_BUTTON, row.control, left, y, 10, 10, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, u""});
        items.push_back({WC_STATIC, row.label, left + 14, y + 1, width - 14, 10, WS_VISIBLE, u""});
        y += 13;
        return;
    case RowKind::Memo:
    case RowKind::ReadOnlyMemo: {
        const std::uint32_t readOnly = row.kind == RowKind::ReadOnlyMemo ? ES_READONLY : 0;
        items.push_back({WC_STATIC, row.label, left, y, width, 10, WS_VISIBLE, u""});
        items.push_back({WC_EDIT, row.control, left, y + 11, width, 40,
                         WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | readOnly, u""});
        y += 55;
        return;
    }
    default:
        break;
    }
    items.push_back({WC_STATIC, row.label, left, y, width, 9, WS_VISIBLE, u""});
    DialogItemTemplate field{WC_EDIT, row.control, left, y + 10, width, 12, kEditStyle, u""};
    if (row.kind == RowKind::Password)
        field.style |= ES_PASSWORD;
    else if (row.kind == RowKind::ReadOnly)
        field.style |= ES_READONLY;
    else if (row.kind == RowKind::Combo)
        field = {WC_COMBOBOX, row.control, left, y + 10, width, 60, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, u""};
    else if (row.kind == RowKind::Date)
        field = {DATETIMEPICK_CLASS, row.control, left, y + 10, width, 12,
                 WS_VISIBLE | WS_TABSTOP | DTS_SHOWNONE, u""};
    items.push_back(field);
    y += 24;
}

DialogTemplate Pane(std::initializer_list<Row> rows) {
    DialogTemplate t;
    t.style = WS_CHILD | DS_SETFONT | DS_CONTROL;
    t.cx = 150;
    t.cy = 160;
    t.fontFace = u"Tahoma";
    t.pointSize = 8;
    int y = 4;
    for (const Row& row : rows)
        AddRow(t.items, row, y);
    return t;
}

// The details pages come as editing and viewing twins with the same ids.
RowKind Field(bool edit) { return edit ? RowKind::Edit : RowKind::ReadOnly; }

DialogTemplate General(bool edit) {
    return Pane({{RowKind::ReadOnly, 1030, 1002}, {Field(edit), 1031, 1003}, {Field(edit), 1032, 1004},
                 {Field(edit), 1034, 1006}, {Field(edit), 1033, 1005}});
}

DialogTemplate Home(bool edit) {
    return Pane({{Field(edit), 1034, 1006}, {Field(edit), 1036, 1008}, {Field(edit), 1035, 1007},
                 {Field(edit), 1037, 1009}, {Field(edit), 1038, 1010}, {Field(edit), 1039, 1060}});
}

DialogTemplate Work(bool edit) {
    return Pane({{Field(edit), 1039, 1011}, {Field(edit), 1041, 1013}, {Field(edit), 1040, 1012},
                 {Field(edit), 1042, 1014}, {Field(edit), 1043, 1015}, {Field(edit), 1058, 1059}});
}

DialogTemplate Company(bool edit) {
    return Pane({{Field(edit), 1044, 1016}, {Field(edit), 1045, 1017}, {Field(edit), 1046, 1018}});
}

DialogTemplate Phones(bool edit) {
    return Pane({{Field(edit), 1047, 1019}, {Field(edit), 1048, 1020}, {Field(edit), 1049, 1021},
                 {Field(edit), 1050, 1022}, {Field(edit), 1051, 1023}});
}

DialogTemplate Personal(bool edit) {
    if (edit)
        return Pane({{RowKind::Combo, 1052, 1024}, {RowKind::Edit, 1054, 1026}, {RowKind::Date, 1055, 1027}});
    return Pane({{RowKind::ReadOnly, 1052, 1024}, {RowKind::ReadOnly, 1053, 1025}, {RowKind::ReadOnly, 1054, 1026},
                 {RowKind::ReadOnly, 1055, 1027}});
}

DialogTemplate About(bool edit) {
    return Pane({{edit ? RowKind::Memo : RowKind::ReadOnlyMemo, 1056, 1028}, {RowKind::Memo, 1057, 1029}});
}

struct Entry {
    unsigned int id;
    DialogTemplate (*make)();
};

const Entry kTemplates[] = {
    {kAccountPaneTemplate,
     [] {
         return Pane({{RowKind::Edit, 1001, 1015}, {RowKind::Password, 1002, 1016}, {RowKind::Check, 1007, 1017},
                      {RowKind::Check, 1008, 1018}, {RowKind::Edit, 1003, 1019}, {RowKind::Edit, 1004, 1020},
                      {RowKind::Edit, 1005, 1021}, {RowKind::Check, 1009, 1022}});
     }},
    {kExpertPaneTemplate,
     [] {
         return Pane({{RowKind::Check, 1008, 1006}, {RowKind::Edit, 1004, 1020}, {RowKind::Edit, 1005, 1021},
                      {RowKind::Check, 1009, 1007}, {RowKind::Check, 1012, 1010}, {RowKind::Edit, 1011, 1022}});
     }},
    {kAdvancedPaneTemplate,
     [] { return Pane({{RowKind::Check, 1062, 1061}, {RowKind::Check, 1064, 1063}, {RowKind::Check, 1068, 1067}}); }},
    {kViewGeneralTemplate, [] { return General(false); }},
    {kViewHomeTemplate, [] { return Home(false); }},
    {kViewWorkTemplate, [] { return Work(false); }},
    {kViewCompanyTemplate, [] { return Company(false); }},
    {kViewPhonesTemplate, [] { return Phones(false); }},
    {kViewPersonalTemplate, [] { return Personal(false); }},
    {kViewAboutTemplate, [] { return About(false); }},
    {kEditGeneralTemplate, [] { return General(true); }},
    {kEditHomeTemplate, [] { return Home(true); }},
    {kEditWorkTemplate, [] { return Work(true); }},
    {kEditCompanyTemplate, [] { return Company(true); }},
    {kEditPhonesTemplate, [] { return Phones(true); }},
    {kEditPersonalTemplate, [] { return Personal(true); }},
    {kEditAboutTemplate, [] { return About(true); }},
    {kSearchByJidTemplate, [] { return Pane({{RowKind::Edit, 1106, 1107}}); }},
    {kSearchByEmailTemplate, [] { return Pane({{RowKind::Edit, 1108, 1109}}); }},
    {kSearchGlobalTemplate,
     [] {
         return Pane({{RowKind::Edit, 1111, 1112}, {RowKind::Edit, 1113, 1114}, {RowKind::Edit, 1115, 1116},
                      {RowKind::Edit, 1119, 1117}});
     }},
};

// Registered on first use; the library's static teardown takes them out
// again, so an unloaded plug-in leaves no template behind.
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

void EnsureJabberPaneTemplates() { static const Registration registration; }
