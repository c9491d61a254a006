#include "CYolWMMW_SelectSmileDlg.h"

#include "CYolWMSmile_Set.h"
#include "DefaultUiStrings.h"

#include "WindowSystem/DialogTemplate.h"
#include "WindowSystem/WindowFocus.h"

#include <mutex>

namespace MW {

namespace {

Platform::Module g_module{"YolPicker"};
MYolWMMW_SelectSmileHost* g_host = nullptr;

void RegisterTemplate() {
    // Sized to the screen by the shell as the dialog starts; the grid is
    // made in code over the whole client area.
    DialogTemplate dialog;
    dialog.style = WS_POPUP | WS_VISIBLE | DS_SETFONT;
    dialog.cx = 160;
    dialog.cy = 200;
    RegisterDialogTemplate(&g_module, CYolWMMW_SelectSmileDlg::kTemplateId, dialog);
}

} // namespace

HINSTANCE CYolWMMW_SelectSmileDlg::PickerInstance() {
    static std::once_flag once;
    std::call_once(once, RegisterTemplate);
    return &g_module;
}

void CYolWMMW_SelectSmileDlg::SetHost(MYolWMMW_SelectSmileHost* host) {
    g_host = host;
}

CYolString CYolWMMW_SelectSmileDlg::Text(int id) {
    CYolString text;
    if (g_host == nullptr || !g_host->UiString(id, text))
        GetDefaultUiString(id, text);
    return text;
}

int CYolWMMW_SelectSmileDlg::Run(HWND parent, bool compact) {
    const Smile::CYolWMSmile_Set* set = Smile::CYolWMSmile_Set::Current();
    if (set == nullptr || !set->IsLoaded()) {
        if (g_host != nullptr)
            g_host->ShowWarning(Text(kNotLoadedText));
        return -1;
    }
    CYolWMMW_SelectSmileDlg dialog(compact);
    if (dialog.DoModal(kTemplateId, PickerInstance(), parent) != 1)
        return -1;
    return CYolWMMW_SmileListCtrl::Selected();
}

CYolWMMW_SelectSmileDlg::CYolWMMW_SelectSmileDlg(bool compact) : m_compact(compact) {}

CYolWMMW_SelectSmileDlg::~CYolWMMW_SelectSmileDlg() {
    delete m_grid;
}

void CYolWMMW_SelectSmileDlg::OnInitDialog() {
    UI::CYolWMUI_BigDlg::OnInitDialog();
    RECT client{0, 0, 0, 0};
    GetClientRect(m_hWnd, &client);
    m_grid = new CYolWMMW_SmileListCtrl(m_compact, this);
    m_grid->Create(PickerInstance(), m_hWnd, WS_VISIBLE, client);
    m_grid->ShowSelected();
    SetFocus(m_grid->Handle());
}

void CYolWMMW_SelectSmileDlg::OnWindowPosChanged(WINDOWPOS* pos) {
    UI::CYolWMUI_BigDlg::OnWindowPosChanged(pos);
    if (m_grid == nullptr || m_grid->Handle() == nullptr)
        return;
    RECT client{0, 0, 0, 0};
    GetClientRect(m_hWnd, &client);
    m_grid->MoveAndResize(client);
}

int CYolWMMW_SelectSmileDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption) {
    caption = Text(key == ELeft ? kSelectText : kCancelText);
    return 1;
}

void CYolWMMW_SelectSmileDlg::OnSoftKey(TSoftKey key) {
    OnCellChosen(m_grid, key == ELeft ? CYolWMMW_SmileListCtrl::Selected() : -1);
}

void CYolWMMW_SelectSmileDlg::OnCellChosen(CYolWMMW_SmileListCtrl*, int index) {
    EndDialog(index == -1 ? 2 : 1);
}

} // namespace MW
