// What the file browser does with the user's choices: the up button and the
// path and filter selectors, the list's selection and activation, the name
// field, the left soft key and the soft-key menu.

#include "CYolWMUI_FileDlg.h"

#include "CYolMenuInfo.h"
#include "CYolWMUI_Menu.h"
#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlListView.h"
#include "DialogResources.h"
#include "DialogStrings.h"
#include "UiHelpers.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowFocus.h"

namespace UI {

namespace {

constexpr int kOpenString = 282;
constexpr int kSaveString = 288;
constexpr int kCancelString = 277;
constexpr int kTickImage = 70;
constexpr int kListMarkImage = 21;

struct TMenuEntry {
    int choice;
    // 0: the left key's caption; -1: a separator.
    int string;
};
constexpr TMenuEntry kMenu[] = {
    {CYolWMUI_FileDlg::EMenuOpen, 0},           {CYolWMUI_FileDlg::EMenuUp, 301},
    {-1, -1},                                   {CYolWMUI_FileDlg::EMenuRefresh, 302},
    {CYolWMUI_FileDlg::EMenuShowAll, 303},      {-1, -1},
    {CYolWMUI_FileDlg::EMenuListView, 304},     {CYolWMUI_FileDlg::EMenuDetailsView, 305},
    {-1, -1},                                   {CYolWMUI_FileDlg::EMenuCancel, kCancelString},
};

} // namespace

void CYolWMUI_FileDlg::OnSoftKey(TSoftKey key)
{
    if (key == ELeft)
        Activate();
    else
        ShowMenu();
}

void CYolWMUI_FileDlg::ShowMenu()
{
    const TProgramState& state = ProgramState();
    const int marks[] = {-1, -1, -1, -1, state.showAllFiles ? kTickImage : -1,
                         -1, state.viewMode == 0 ? kListMarkImage : -1, state.viewMode == 1 ? kListMarkImage : -1,
                         -1, -1};
    CYolMenuInfo menu;
    int index = 0;
    for (const TMenuEntry& entry : kMenu) {
        const int image = marks[index++];
        if (entry.choice < 0) {
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
            continue;
        }
        const int string = entry.string ? entry.string : (m_leftSaves ? kSaveString : kOpenString);
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, image, CYolFormatString(DialogString(string)), entry.choice,
                                  nullptr, nullptr, false));
    }
    CYolWMUI_Menu::TResult result;
    CYolWMUI_Menu::PopupAtRightBottom(result, menu, m_hWnd, true);
    if (result.commandId >= 0)
        OnMenuChoice(result.commandId);
}

void CYolWMUI_FileDlg::OnMenuChoice(int choice)
{
    TProgramState& state = ProgramState();
    switch (choice) {
    case EMenuOpen:
        Activate();
        break;
    case EMenuUp:
        UpOneLevel();
        break;
    case EMenuShowAll:
        state.showAllFiles = !state.showAllFiles;
        Relist();
        break;
    case EMenuRefresh:
        Relist();
        break;
    case EMenuListView:
    case EMenuDetailsView:
        state.viewMode = choice == EMenuListView ? 0 : 1;
        ApplyViewMode();
        break;
    case EMenuCancel:
        ::EndDialog(m_hWnd, 2);
        break;
    default:
        break;
    }
}

void CYolWMUI_FileDlg::UpOneLevel()
{
    if (!m_folder.Up())
        return;
    Relist();
    if (!m_openMode)
        SetLeftKey(true, true);
}

void CYolWMUI_FileDlg::EnterFolder(const CYolString& name)
{
    const CYolWMUI_FileFolder::TResult result = m_folder.Enter(name);
    if (result == CYolWMUI_FileFolder::EOk) {
        Relist();
        // As after going up: the name typed so far is the one to save under.
        if (!m_openMode)
            SetLeftKey(true, true);
        return;
    }
    // Gone since it was listed, or closed to us: show what is there now
    // and say why nothing opened.
    Relist();
    Report(kFolderUnreadableString);
}

void CYolWMUI_FileDlg::Activate()
{
    const bool folderSelected = m_selected >= 0 && m_selected < m_folderCount;
    if (m_openMode) {
        if (m_selected < 0 || m_selected >= m_entries.Count())
            return;
        if (folderSelected)
            EnterFolder(ItemName(m_selected));
        else
            Finish(m_folder.PathOf(ItemName(m_selected)));
        return;
    }
    if (m_nameActive) {
        const HWND edit = GetDlgItem(kFileNameEditId);
        CYolString name;
        GetWindowTextString(edit, name);
        if (name.IsEmpty())
            return;
        // A typed name names one file here: never a way out of this folder,
        // nor a pattern (the name field starts out holding the filter).
        if (!CYolWMUI_FileFolder::IsPlainName(name) || name.Find(0, CYolString(u"*")) >= 0 ||
            name.Find(0, CYolString(u"?")) >= 0) {
            SetFocus(edit);
            SendMessage(edit, EM_SETSEL, 0, -1);
            return;
        }
        Finish(m_folder.PathOf(CYolWMUI_FileFolder::WithExtension(name, m_filter)));
        return;
    }
    if (folderSelected)
        EnterFolder(ItemName(m_selected));
    else
        SetLeftKey(true, true);
}

void CYolWMUI_FileDlg::Finish(const CYolString& path)
{
    if (path.IsEmpty())
        return;
    ProgramState().path = path;
    ::EndDialog(m_hWnd, 1);
}

void CYolWMUI_FileDlg::OnSelectionChanged(int item, bool selected)
{
    if (!selected) {
        if (item == m_selected)
            m_selected = -1;
        if (!m_openMode)
            SetLeftKey(true, true);
        return;
    }
    m_selected = item;
    // In a save dialog the name being typed stays the one to save under
    // until the user picks a row; the row a fresh listing selects by itself
    // does not take it away.
    if (m_listing && !m_openMode)
        return;
    const HWND name = GetDlgItem(kFileNameEditId);
    if (item < m_folderCount) {
        if (m_openMode)
            SetWindowTextString(name, CYolString());
        else
            SetLeftKey(false, false);
        return;
    }
    SetWindowTextString(name, ItemName(item));
    if (!m_openMode)
        SetLeftKey(true, true);
}

void CYolWMUI_FileDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    switch (id) {
    case kUpButtonId:
        if (code == BN_CLICKED)
            UpOneLevel();
        return;
    case kPathComboId:
        if (code == CBN_SELCHANGE) {
            const auto level = static_cast<int>(SendMessage(control, CB_GETCURSEL, 0, 0));
            if (level >= 0) {
                m_folder.CutToLevel(level);
                Relist();
            }
        }
        return;
    case kFilterComboId:
        if (code == CBN_SELCHANGE) {
            GetComboSelText(control, m_filter);
            ListFolder();
        }
        return;
    case kFileNameEditId:
        // Typing a name means saving under it.
        if (code == EN_SETFOCUS && !m_openMode)
            SetLeftKey(true, true);
        return;
    default:
        CYolWMUI_BigDlg::OnCommand(code, id, control);
        return;
    }
}

void CYolWMUI_FileDlg::OnNotify(HWND, unsigned int id, unsigned int code, NMHDR* header)
{
    if (id != kFileListId)
        return;
    if (code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        const bool was = (change->uOldState & LVIS_SELECTED) != 0;
        const bool is = (change->uNewState & LVIS_SELECTED) != 0;
        if (was != is)
            OnSelectionChanged(change->iItem, is);
    } else if (code == LVN_ITEMACTIVATE) {
        Activate();
    }
}

} // namespace UI
