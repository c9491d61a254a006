#include "CYolWMUI_FileLoadDlg.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Controls/ControlProgress.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowFocus.h"

#include <cstdio>
#include <memory>

namespace UI {

namespace {

constexpr int kListId = 1014;
constexpr int kBarId = 1200;
constexpr int kCancelId = 1019;
constexpr int kStatusId = 1201;

// The row state of each reported transfer state (0 offered ... 4 failed).
constexpr unsigned int kRowStateOf[] = {CYolWMUI_FileLoadDlg::ERunning, CYolWMUI_FileLoadDlg::ERunning,
                                        CYolWMUI_FileLoadDlg::ECompleted, CYolWMUI_FileLoadDlg::ETerminated,
                                        CYolWMUI_FileLoadDlg::ETerminated};
constexpr unsigned int kNewTransferState = 1;

// Answers like a program without contacts, plug-ins or notifications, so
// that reports before the application set its host cannot crash.
class CNullHost final : public MYolWMUI_FileLoadHost {
public:
    CYolString ContactLogin(unsigned int) override { return CYolString(); }
    void CancelTransfer(unsigned int, const CYolString&) override {}
    void ShowWarning(const CYolString&) override {}
    HWND MainWindow() override { return nullptr; }
};

CNullHost g_nullHost;
MYolWMUI_FileLoadHost* g_host = nullptr;
std::unique_ptr<CYolWMUI_FileLoadDlg> g_window;

// A state outside the table ends the transfer: a plug-in that reports
// something we do not know is not running it any more.
unsigned int RowStateOf(unsigned int state)
{
    return state < std::size(kRowStateOf) ? kRowStateOf[state] : CYolWMUI_FileLoadDlg::ETerminated;
}

// The name after the last folder separator of either kind.
CYolString BaseName(const CYolString& path)
{
    const char16_t* text = path.c_str();
    int start = 0;
    for (int i = 0; text[i] != 0; ++i)
        if (text[i] == u'/' || text[i] == u'\\')
            start = i + 1;
    return CYolString(text + start);
}

CYolString RowLine(const CYolString& login, const CYolString& fileName, bool outgoing)
{
    CYolString line = login;
    line += CYolString(outgoing ? u" <-- " : u" --> ");
    line += BaseName(fileName);
    return line;
}

} // namespace

CYolWMUI_FileLoadDlg::CYolWMUI_FileLoadDlg(MYolWMUI_FileLoadHost& host) : m_host(host)
{
    m_rows.SetGrowStep(10);
}

void CYolWMUI_FileLoadDlg::SetHost(MYolWMUI_FileLoadHost* host)
{
    g_host = host;
}

CYolWMUI_FileLoadDlg* CYolWMUI_FileLoadDlg::Make()
{
    if (g_window)
        return g_window.get();
    MYolWMUI_FileLoadHost& host = g_host ? *g_host : g_nullHost;
    std::unique_ptr<CYolWMUI_FileLoadDlg> window(new CYolWMUI_FileLoadDlg(host));
    if (!window->Create(kFileLoadDlgTemplate, GetYolDialogsInstance(), host.MainWindow()))
        return nullptr;
    window->CYolWMUI_WndBase::Show(SW_HIDE);
    g_window = std::move(window);
    return g_window.get();
}

CYolWMUI_FileLoadDlg* CYolWMUI_FileLoadDlg::Instance()
{
    return g_window.get();
}

void CYolWMUI_FileLoadDlg::Show(bool show)
{
    CYolWMUI_FileLoadDlg* window = Make();
    if (!window)
        return;
    if (!show)
        window->Hide();
    else if (window->m_rows.Count() > 0)
        window->ShowWindowNow();
    else
        window->m_host.ShowWarning(DialogString(269));
}

void CYolWMUI_FileLoadDlg::HandleTransferEvent(const Protocols::FTProgress& progress)
{
    if (CYolWMUI_FileLoadDlg* window = Make())
        window->OnTransferEvent(progress);
}

void CYolWMUI_FileLoadDlg::Destroy()
{
    if (g_window)
        g_window->CYolWMUI_WndBase::Show(SW_HIDE);
    g_window.reset();
}

CYolString CYolWMUI_FileLoadDlg::SizeText(unsigned int done, unsigned int total)
{
    char text[96];
    if (total < 10240) {
        // Precision 0 prints no digit for a total of 0.
        std::snprintf(text, sizeof text, "%u / %.u ", done, total);
        CYolString line = CYolString::FromUtf8(text);
        line += DialogString(264);
        return line;
    }
    const bool kilo = total <= 10485759;
    const double unit = kilo ? 1024.0 : 1048576.0;
    std::snprintf(text, sizeof text, "%.2lf / %.2lf ", done / unit, total / unit);
    CYolString line = CYolString::FromUtf8(text);
    line += DialogString(kilo ? 265 : 266);
    return line;
}

int CYolWMUI_FileLoadDlg::ProgressPercent(unsigned int done, unsigned int total)
{
    if (total == 0)
        return 0;
    // A plug-in may report more done than the size it announced.
    const double percent = static_cast<double>(done) / total * 100.0;
    return percent >= 100.0 ? 100 : static_cast<int>(percent);
}

void CYolWMUI_FileLoadDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    SetDlgItemString(m_hWnd, kCancelId, 277);
    SendMessage(GetDlgItem(kBarId), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    UpdateDisplay();
}

void CYolWMUI_FileLoadDlg::OnTransferEvent(const Protocols::FTProgress& progress)
{
    const int index = FindRow(progress.contactId, progress.fileName);
    if (index < 0) {
        if (progress.state == kNewTransferState)
            AddRow(progress);
        return;
    }
    TFileLoadInfo& row = m_rows[index];
    // A late report cannot revive a finished or cancelled row.
    if (row.state != ERunning)
        return;
    row.state = RowStateOf(progress.state);
    row.totalSize = progress.totalSize;
    row.doneSize = progress.doneSize;
    if (progress.activate) {
        Select(index);
        ShowWindowNow();
    }
    if (index == m_selected)
        UpdateDisplay();
}

void CYolWMUI_FileLoadDlg::AddRow(const Protocols::FTProgress& progress)
{
    TFileLoadInfo row;
    row.contactId = progress.contactId;
    row.fileName = progress.fileName;
    row.outgoing = progress.outgoing;
    row.totalSize = progress.totalSize;
    row.doneSize = progress.doneSize;
    const int index = m_rows.Add(row);
    const CYolString line = RowLine(m_host.ContactLogin(row.contactId), row.fileName, row.outgoing != 0);
    SendMessage(GetDlgItem(kListId), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (progress.activate || m_rows.Count() == 1) {
        Select(index);
        ShowWindowNow();
    }
}

int CYolWMUI_FileLoadDlg::FindRow(unsigned int contactId, const CYolString& fileName) const
{
    for (int i = 0; i < m_rows.Count(); ++i)
        if (m_rows[i].contactId == contactId && m_rows[i].fileName == fileName)
            return i;
    return -1;
}

void CYolWMUI_FileLoadDlg::Select(int index)
{
    m_selected = index >= 0 && index < m_rows.Count() ? index : -1;
    SendMessage(GetDlgItem(kListId), CB_SETCURSEL, static_cast<WPARAM>(m_selected), 0);
    UpdateDisplay();
}

void CYolWMUI_FileLoadDlg::UpdateDisplay()
{
    const HWND bar = GetDlgItem(kBarId);
    const HWND button = GetDlgItem(kCancelId);
    if (m_selected < 0 || m_selected >= m_rows.Count()) {
        SetDlgItemString(m_hWnd, kStatusId, CYolString());
        SendMessage(bar, PBM_SETPOS, 0, 0);
        EnableWindow(bar, false);
        EnableWindow(button, false);
        return;
    }
    const TFileLoadInfo& row = m_rows[m_selected];
    EnableWindow(bar, true);
    SendMessage(bar, PBM_SETPOS, static_cast<WPARAM>(ProgressPercent(row.doneSize, row.totalSize)), 0);
    EnableWindow(button, row.state == ERunning);
    if (row.state == ERunning)
        SetDlgItemString(m_hWnd, kStatusId, SizeText(row.doneSize, row.totalSize));
    else
        SetDlgItemString(m_hWnd, kStatusId, row.state == ECompleted ? 267 : 268);
}

void CYolWMUI_FileLoadDlg::CancelSelected()
{
    if (m_selected < 0 || m_selected >= m_rows.Count() || m_rows[m_selected].state != ERunning)
        return;
    TFileLoadInfo& row = m_rows[m_selected];
    m_host.CancelTransfer(row.contactId, row.fileName);
    row.state = ETerminated;
    UpdateDisplay();
}

void CYolWMUI_FileLoadDlg::DropFinishedRows()
{
    const int before = m_selected;
    const HWND list = GetDlgItem(kListId);
    for (int i = m_rows.Count() - 1; i >= 0; --i) {
        if (m_rows[i].state == ERunning)
            continue;
        m_rows.RemoveAt(i);
        SendMessage(list, CB_DELETESTRING, static_cast<WPARAM>(i), 0);
        if (m_selected >= i)
            --m_selected;
    }
    if (m_selected == before)
        return;
    if (m_selected >= 0)
        SendMessage(list, CB_SETCURSEL, static_cast<WPARAM>(m_selected), 0);
    UpdateDisplay();
}

void CYolWMUI_FileLoadDlg::Hide()
{
    CYolWMUI_WndBase::Show(SW_HIDE);
    DropFinishedRows();
}

void CYolWMUI_FileLoadDlg::ShowWindowNow()
{
    CYolWMUI_WndBase::Show(SW_SHOW);
    SetForegroundWindow(m_hWnd);
}

void CYolWMUI_FileLoadDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (id == kListId && code == CBN_SELCHANGE) {
        m_selected = GetComboSelection(GetDlgItem(kListId));
        UpdateDisplay();
    } else if (id == kCancelId && code == BN_CLICKED) {
        CancelSelected();
    } else if (id == IDOK || id == IDCANCEL) {
        Hide();
    } else {
        CYolWMUI_BigDlg::OnCommand(code, id, control);
    }
}

void CYolWMUI_FileLoadDlg::OnClose()
{
    Hide();
}

int CYolWMUI_FileLoadDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption)
{
    if (key != ERight)
        return 0;
    caption = DialogString(283);
    return 1;
}

void CYolWMUI_FileLoadDlg::OnSoftKey(TSoftKey key)
{
    if (key == ERight)
        Hide();
}

void CYolWMUI_FileLoadDlg::OnCommandButton()
{
    Hide();
}

} // namespace UI
