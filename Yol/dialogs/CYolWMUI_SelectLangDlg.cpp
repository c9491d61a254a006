#include "CYolWMUI_SelectLangDlg.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "TYolWMPrefs.h"

namespace UI {

namespace {

constexpr int kListId = 1195;
constexpr unsigned short kOkId = 1;

} // namespace

std::intptr_t CYolWMUI_SelectLangDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kSelectLangDlgTemplate, GetYolDialogsInstance(), parent);
}

CYolString CYolWMUI_SelectLangDlg::Ask(HWND parent)
{
    CYolWMUI_SelectLangDlg dialog;
    return dialog.DoModal(parent) == 1 ? dialog.language : CYolString();
}

void CYolWMUI_SelectLangDlg::ServePreferences(HWND parent)
{
    TYolWMPrefs::SetLanguageAsker([parent] { return Ask(parent); });
}

void CYolWMUI_SelectLangDlg::OnInitDialog()
{
    const HWND list = GetDlgItem(kListId);
    SendMessage(list, CB_RESETCONTENT, 0, 0);
    CYolArray<CYolString> names;
    TYolWMPrefs::ListLanguages(names);
    for (const CYolString& name : names)
        SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (names.Count() > 0)
        SendMessage(list, CB_SETCURSEL, 0, 0);
}

int CYolWMUI_SelectLangDlg::DoDataExchange(int save)
{
    if (save) {
        const HWND list = GetDlgItem(kListId);
        language = GetComboText(list, GetComboSelection(list));
    }
    return 1;
}

void CYolWMUI_SelectLangDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (id == kOkId && code == BN_CLICKED) {
        EndDialog(1);
        return;
    }
    CYolWMUI_Dlg::OnCommand(code, id, control);
}

} // namespace UI
