#include "CYolWMMW_HistoryDlg.h"

#include "CHistoryController.h"
#include "CYolFile.h"
#include "CYolWMUI_FileDlg.h"
#include "CYolWMUI_Menu.h"
#include "MWDialogTemplates.h"
#include "SkinImages.h"
#include "TYolWMMWSettings.h"
#include "VolumeKeyHook.h"
#include "YolWMUI_Dialogs.h"

#include "Controls/ControlButton.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"

namespace MW {

namespace {

const CHistoryController* g_history = nullptr;
MYolWMMW_HistoryDlgHost* g_host = nullptr;

constexpr int kFindButton = 1019;
constexpr int kFindEdit = 1056;
constexpr int kWholeWordBox = 1064;
constexpr int kMatchCaseBox = 1065;
constexpr char16_t kSaveMask[] = u"*.txt;";
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

struct TLabel {
    int control;
    int string;
};
constexpr TLabel kLabels[] = {{1066, 226}, {1119, 227}, {1120, 228}};

struct TMenuRow {
    int caption;
    int image;
    int command;
};
constexpr TMenuRow kMenuRows[] = {
    {232, Skins::SKIN_IMG_MISC_UPDATE, CYolWMMW_HistoryDlg::ERefresh},
    {233, Skins::SKIN_IMG_MISC_DELETE, CYolWMMW_HistoryDlg::EDelete},
    {234, Skins::SKIN_IMG_MISC_SAVE_AS, CYolWMMW_HistoryDlg::ESaveAs},
    {-1, -1, 0},
    {281, Skins::SKIN_IMG_MMENU_QUIT, CYolWMMW_HistoryDlg::EClose},
};

CYolMenuItemInfo Entry(int caption, int image, int command)
{
    return CYolMenuItemInfo(CYolMenuItemInfo::Item, image, CYolFormatString(UI::DialogString(caption)), command,
                            nullptr, nullptr, false);
}

} // namespace

CYolWMMW_HistoryDlg::CYolWMMW_HistoryDlg(unsigned int contactId, MHistDlgObserver* observer,
                                         const CHistoryController* history, RTE::MTextMeasurer* measurer)
    : m_contactId(contactId), m_observer(observer), m_historyFiles(history), m_measurer(measurer)
{
}

CYolWMMW_HistoryDlg::~CYolWMMW_HistoryDlg()
{
    if (m_tookVolumeKeys)
        SetVolumeKeyWindow(m_prevVolumeWindow);
}

std::intptr_t CYolWMMW_HistoryDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kHistoryDlgTemplate, GetMsgWndInstance(), parent);
}

void CYolWMMW_HistoryDlg::SetHistory(const CHistoryController* history)
{
    g_history = history;
}

void CYolWMMW_HistoryDlg::SetHost(MYolWMMW_HistoryDlgHost* host)
{
    g_host = host;
}

void CYolWMMW_HistoryDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    for (const TLabel& label : kLabels)
        UI::SetDlgItemString(m_hWnd, label.control, label.string);
    for (int id : kFindBar)
        ShowWindow(GetDlgItem(id), SW_HIDE);
    SetSoftKeys();
    RECT client{};
    GetClientRect(m_hWnd, &client);
    m_history.reset(CYolWMMW_HistCtrl::Create(m_hWnd, client, this, m_measurer));
    const TYolWMMWSettings* settings = GetSettings();
    if (settings != nullptr && settings->volumeForScroll) {
        m_prevVolumeWindow = SetVolumeKeyWindow(m_hWnd);
        m_tookVolumeKeys = true;
    }
    Load();
}

// A history that cannot be read shows as an empty one.
void CYolWMMW_HistoryDlg::Load()
{
    if (!m_history)
        return;
    m_history->Clear();
    const CHistoryController* files = m_historyFiles != nullptr ? m_historyFiles : g_history;
    if (files == nullptr)
        return;
    CYolArray<CHistoryController::CHistoryMessageRecord> records;
    if (files->LoadContactHistory(m_contactId, 0, records) != 0)
        return;
    CYolArray<TYolWMMWMsg> msgs;
    msgs.Reserve(records.Count());
    for (const CHistoryController::CHistoryMessageRecord& record : records)
        msgs.Add(TYolWMMWMsg{record.direction, 0, record.icon, record.sender, record.timeCaption, record.text});
    m_history->AddMessages(msgs, true);
}

void CYolWMMW_HistoryDlg::ToggleFindBar()
{
    m_findBarShown = !m_findBarShown;
    for (int id : kFindBar)
        ShowWindow(GetDlgItem(id), m_findBarShown ? SW_SHOW : SW_HIDE);
    Layout();
    SetSoftKeys();
}

void CYolWMMW_HistoryDlg::Layout()
{
    if (!m_history)
        return;
    RECT client{};
    GetClientRect(m_hWnd, &client);
    if (m_findBarShown) {
        RECT box{};
        GetWindowRect(GetDlgItem(kMatchCaseBox), &box);
        POINT bottom{box.left, box.bottom};
        ScreenToClient(m_hWnd, &bottom);
        client.top = bottom.y + (g_HIDPI_LogPixelsY + 48) / 96;
    }
    MoveWindow(m_history->Handle(), client.left, client.top, client.right - client.left,
               std::max<int>(client.bottom - client.top, 0), true);
}

void CYolWMMW_HistoryDlg::OnScreenSizeChanged()
{
    CYolWMUI_BigDlg::OnScreenSizeChanged();
    Layout();
}

int CYolWMMW_HistoryDlg::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_VSCROLL && m_history)
        SendMessage(m_history->Handle(), WM_VSCROLL, wParam, lParam);
    return CYolWMUI_BigDlg::OnMessage(msg, wParam, lParam);
}

void CYolWMMW_HistoryDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (id == kFindButton && code == BN_CLICKED) {
        Find();
        return;
    }
    CYolWMUI_BigDlg::OnCommand(code, id, control);
}

void CYolWMMW_HistoryDlg::Find()
{
    const CYolString text = UI::GetDlgItemString(m_hWnd, kFindEdit);
    if (text.Length() == 0 || !m_history)
        return;
    int options = 0;
    if (IsDlgButtonChecked(m_hWnd, kWholeWordBox) == BST_CHECKED)
        options |= RTE::CYolWMRTE_Ctrl::EFindWholeWord;
    if (IsDlgButtonChecked(m_hWnd, kMatchCaseBox) == BST_CHECKED)
        options |= RTE::CYolWMRTE_Ctrl::EFindMatchCase;
    if (m_history->Find(text.c_str(), options) != 1)
        Warn(UI::DialogString(235));
}

int CYolWMMW_HistoryDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption)
{
    caption = UI::DialogString(key == ELeft ? (m_findBarShown ? 230 : 229) : 279);
    return 1;
}

void CYolWMMW_HistoryDlg::OnSoftKey(TSoftKey key)
{
    if (key == ELeft)
        ToggleFindBar();
    else
        ShowMenu();
}

void CYolWMMW_HistoryDlg::ShowMenu()
{
    CYolMenuInfo menu;
    CYolString total = UI::DialogString(231);
    total += CYolString::FromUtf8(std::to_string(m_history ? m_history->ParaCount() : 0));
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Inactive, Skins::SKIN_IMG_CL_HISTORY, CYolFormatString(total), -1,
                              nullptr, nullptr, false));
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    for (const TMenuRow& row : kMenuRows)
        menu.Add(row.caption < 0 ? CYolMenuItemInfo(CYolMenuItemInfo::Separator)
                                 : Entry(row.caption, row.image, row.command));
    switch (ChooseFromMenu(menu)) {
    case ERefresh:
        Load();
        break;
    case EDelete:
        Delete();
        break;
    case ESaveAs:
        SaveAs();
        break;
    case EClose:
        EndDialog(2);
        break;
    default:
        break;
    }
}

int CYolWMMW_HistoryDlg::ChooseFromMenu(const CYolMenuInfo& menu)
{
    UI::CYolWMUI_Menu::TResult chosen;
    UI::CYolWMUI_Menu::PopupAtRightBottom(chosen, menu, m_hWnd, true);
    return chosen.commandId;
}

// Deleting cannot be undone, so the user is asked once more.
void CYolWMMW_HistoryDlg::Delete()
{
    CYolMenuInfo question;
    question.Add(Entry(233, Skins::SKIN_IMG_MISC_DELETE, EConfirmDelete));
    question.Add(Entry(277, -1, EKeepHistory));
    if (ChooseFromMenu(question) != EConfirmDelete)
        return;
    if (m_history)
        m_history->Clear();
    const CHistoryController* files = m_historyFiles != nullptr ? m_historyFiles : g_history;
    if (files != nullptr)
        files->DeleteHistoryFile(m_contactId);
}

bool CYolWMMW_HistoryDlg::ChooseSavePath(CYolString& path)
{
    UI::CYolWMUI_FileDlg browser(kSaveMask, false, CYolString());
    if (browser.DoModal(m_hWnd) != 1)
        return false;
    path = UI::CYolWMUI_FileDlg::ProgramState().path;
    return path.Length() > 0;
}

std::string CYolWMMW_HistoryDlg::ExportBytes() const
{
    std::string bytes(kByteOrderMark);
    if (m_history) {
        std::unique_ptr<char16_t[]> text(m_history->GetAllText(false));
        if (text)
            bytes += CYolString(text.get()).ToUtf8();
    }
    return bytes;
}

bool CYolWMMW_HistoryDlg::Export(const CYolString& path) const
{
    const std::string bytes = ExportBytes();
    return CYolFile::WriteWholeFile(path, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// A file that could not be written is said so: the user would otherwise
// take an old or missing file for the export.
void CYolWMMW_HistoryDlg::SaveAs()
{
    CYolString path;
    if (!ChooseSavePath(path))
        return;
    if (!Export(path))
        Warn(UI::DialogString(234) + u" " + path);
}

void CYolWMMW_HistoryDlg::Warn(const CYolString& text)
{
    if (g_host != nullptr)
        g_host->ShowWarning(text);
}

void CYolWMMW_HistoryDlg::GetPartFont(RTE::TPartFont& part, int kind)
{
    if (m_observer != nullptr)
        m_observer->GetPartFont(part, kind);
}

void CYolWMMW_HistoryDlg::GetColors(COLORREF& selectedText, COLORREF& selectionBackground)
{
    if (m_observer != nullptr)
        m_observer->GetColors(selectedText, selectionBackground);
}

TYolWMMWSettings* CYolWMMW_HistoryDlg::GetSettings()
{
    return m_observer != nullptr ? m_observer->GetSettings() : nullptr;
}

} // namespace MW
