#include "CYolWMUI_FileDlg.h"

#include "Controls/ControlCombo.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlListView.h"
#include "DialogResources.h"
#include "DialogStrings.h"
#include "Shell/ShellScreen.h"
#include "UiHelpers.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"

#include <cstdlib>

namespace UI {

namespace {

constexpr int kOpenString = 282;
constexpr int kSaveString = 288;
constexpr int kMenuString = 279;

struct TColumn {
    int string;
    int width;
    int format;
};
constexpr TColumn kColumns[] = {
    {297, 120, LVCFMT_LEFT},
    {298, 55, LVCFMT_RIGHT},
    {299, 100, LVCFMT_LEFT},
};

// Image indices of the file list's two icons.
constexpr int kFolderIcon = 0;
constexpr int kFileIcon = 1;

CYolString RootOf(const CYolWMUI_FileDlg::TProgramState& state)
{
    if (!state.root.IsEmpty())
        return state.root;
    const char* home = std::getenv("HOME");
    return CYolString::FromUtf8(home && *home ? home : "/");
}

// A folder and a sheet of paper, side by side, for the list's image list.
HIMAGELIST MakeFileIcons()
{
    const int w = Platform::ScaleX(16);
    const int h = Platform::ScaleY(16);
    HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR32 | ILC_MASK, 2, 1);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP image = CreateCompatibleBitmap(dc, 2 * w, h);
    HBITMAP mask = CreateCompatibleBitmap(dc, 2 * w, h);
    HGDIOBJ old = SelectObject(dc, mask);
    RECT all{0, 0, 2 * w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const RECT folder{0, h / 4, w, h - h / 8};
    const RECT sheet{w + w / 8, 0, 2 * w - w / 8, h};
    FillRect(dc, &folder, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(dc, image);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HBRUSH yellow = CreateSolidBrush(RGB(232, 192, 64));
    FillRect(dc, &folder, yellow);
    DeleteObject(yellow);
    FillRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    RECT paper{sheet.left + 1, sheet.top + 1, sheet.right - 1, sheet.bottom - 1};
    FillRect(dc, &paper, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(dc, old);
    ImageList_Add(list, image, mask);
    DeleteObject(image);
    DeleteObject(mask);
    DeleteDC(dc);
    return list;
}

} // namespace

CYolWMUI_FileDlg::TProgramState& CYolWMUI_FileDlg::ProgramState()
{
    static TProgramState state;
    return state;
}

CYolWMUI_FileDlg::CYolWMUI_FileDlg(const char16_t* mask, bool openMode, const CYolString& initialName)
    : m_folder(RootOf(ProgramState())), m_mask(mask ? mask : u""), m_openMode(openMode),
      m_initialName(initialName)
{
}

CYolWMUI_FileDlg::~CYolWMUI_FileDlg()
{
    if (m_icons)
        ImageList_Destroy(m_icons);
}

std::intptr_t CYolWMUI_FileDlg::DoModal(HWND parent)
{
    return CYolWMUI_BigDlg::DoModal(kFileDialogId, GetProgramInstance(), parent);
}

void CYolWMUI_FileDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    InitFilters();
    InitList();
    const CYolString& remembered = ProgramState().path;
    if (!remembered.IsEmpty())
        m_folder.StartAt(remembered);
    ListFolder();
    FillPathCombo();
    const HWND name = GetDlgItem(kFileNameEditId);
    if (m_openMode) {
        SendMessage(name, EM_SETREADONLY, 1, 0);
        SetWindowTextString(name, CYolString());
        return;
    }
    SendMessage(name, EM_SETREADONLY, 0, 0);
    SetWindowTextString(name, m_initialName.IsEmpty() ? m_filter : m_initialName);
    SetFocus(name);
    SetLeftKey(true, true);
}

void CYolWMUI_FileDlg::InitFilters()
{
    const HWND combo = GetDlgItem(kFilterComboId);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    // Each pattern ends with ";"; a last part without one is not a pattern.
    int start = 0;
    for (int end = m_mask.Find(start, CYolString(u";")); end >= 0; end = m_mask.Find(start, CYolString(u";"))) {
        const CYolString pattern = m_mask.Substring(start, end - start);
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pattern.c_str()));
        if (start == 0)
            m_filter = pattern;
        start = end + 1;
    }
    SendMessage(combo, CB_SETCURSEL, 0, 0);
}

void CYolWMUI_FileDlg::InitList()
{
    const HWND list = GetDlgItem(kFileListId);
    if (!m_icons)
        m_icons = MakeFileIcons();
    SendMessage(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_icons));
    SendMessage(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 3; ++i) {
        CYolString caption = DialogString(kColumns[i].string);
        LVCOLUMN column;
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = kColumns[i].format;
        column.cx = Platform::ScaleX(kColumns[i].width);
        column.pszText = const_cast<char16_t*>(caption.c_str());
        SendMessage(list, LVM_INSERTCOLUMN, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    ApplyViewMode();
}

void CYolWMUI_FileDlg::ApplyViewMode()
{
    const HWND list = GetDlgItem(kFileListId);
    const auto style = static_cast<std::uint32_t>(GetWindowLong(list, GWL_STYLE)) & ~LVS_TYPEMASK;
    SetWindowLong(list, GWL_STYLE, style | (ProgramState().viewMode == 1 ? LVS_REPORT : LVS_LIST));
    InvalidateRect(list, nullptr, true);
}

void CYolWMUI_FileDlg::ListFolder()
{
    const HWND list = GetDlgItem(kFileListId);
    m_folderCount = 0;
    m_selected = -1;
    if (m_openMode)
        SetWindowTextString(GetDlgItem(kFileNameEditId), CYolString());
    ForgetWindowString(GetDlgItem(kFileStatusId));
    SetDlgItemText(m_hWnd, kFileStatusId, u"");
    ListView_DeleteAllItems(list);
    CYolArray<CYolWMUI_FileFolder::TEntry> folders;
    CYolArray<CYolWMUI_FileFolder::TEntry> files;
    if (m_folder.List(m_filter, ProgramState().showAllFiles, folders, files) == CYolWMUI_FileFolder::EUnreadable)
        Report(kFolderUnreadableString);
    m_entries = folders;
    for (int i = 0; i < files.Count(); ++i)
        m_entries.Add(files[i]);
    for (int i = 0; i < m_entries.Count(); ++i) {
        const CYolWMUI_FileFolder::TEntry& entry = m_entries[i];
        const CYolString texts[] = {entry.name, entry.folder ? CYolString() : CYolWMUI_FileFolder::FormatSize(entry.size),
                                    CYolWMUI_FileFolder::FormatDate(entry.modified)};
        LVITEM item;
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = i;
        item.pszText = const_cast<char16_t*>(texts[0].c_str());
        item.iImage = entry.folder ? kFolderIcon : kFileIcon;
        item.lParam = i;
        ListView_InsertItem(list, &item);
        for (int sub = 1; sub < 3; ++sub) {
            LVITEM text;
            text.iSubItem = sub;
            text.pszText = const_cast<char16_t*>(texts[sub].c_str());
            SendMessage(list, LVM_SETITEMTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text));
        }
    }
    m_folderCount = folders.Count();
    if (m_entries.Count() > 0) {
        LVITEM state;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        m_listing = true;
        SendMessage(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
        m_listing = false;
    }
}

void CYolWMUI_FileDlg::FillPathCombo()
{
    const HWND combo = GetDlgItem(kPathComboId);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"/"));
    const CYolArray<CYolString> levels = m_folder.Levels();
    CYolString indent;
    for (int i = 0; i < levels.Count(); ++i) {
        indent += u"  ";
        const CYolString entry = indent + levels[i];
        SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(levels.Count()), 0);
    EnableWindow(GetDlgItem(kUpButtonId), levels.Count() > 0);
}

void CYolWMUI_FileDlg::Relist()
{
    ListFolder();
    FillPathCombo();
}

void CYolWMUI_FileDlg::Report(int stringId)
{
    SetWindowString(GetDlgItem(kFileStatusId), stringId);
}

CYolString CYolWMUI_FileDlg::ItemName(int index) const
{
    return index >= 0 && index < m_entries.Count() ? m_entries[index].name : CYolString();
}

int CYolWMUI_FileDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption)
{
    caption = DialogString(key == ERight ? kMenuString : (m_leftSaves ? kSaveString : kOpenString));
    return 1;
}

void CYolWMUI_FileDlg::SetLeftKey(bool saves, bool nameActive)
{
    m_nameActive = nameActive;
    if (m_leftSaves == saves)
        return;
    m_leftSaves = saves;
    SetSoftKeys();
}

} // namespace UI
