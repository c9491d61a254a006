#include "CYolWMUI_TabDlg.h"

#include "Controls/ControlButton.h"
#include "MYolWMUI_Skin.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/Timers.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowFocus.h"

#include <algorithm>

namespace UI {

CYolWMUI_TabDlg::CYolWMUI_TabDlg()
{
    m_tabs.SetGrowStep(10);
}

CYolWMUI_TabDlg::~CYolWMUI_TabDlg()
{
    DetachAndRemoveTabs();
    if (m_font)
        DeleteObject(m_font);
}

void CYolWMUI_TabDlg::DetachAndRemoveTabs()
{
    // The panes' windows go first, and their going sends the dialog focus
    // and parent notices: they must not reach an object half destroyed.
    if (m_hWnd && IsWindow(m_hWnd) && GetWindowLong(m_hWnd, GWL_USERDATA) == reinterpret_cast<LONG_PTR>(
                                          static_cast<CYolWMUI_WndBase*>(this)))
        SetWindowLong(m_hWnd, GWL_USERDATA, 0);
    RemoveAllTabs();
}

void CYolWMUI_TabDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    if (!m_font) {
        // The dialogs' own font: their templates all ask for this one.
        LOGFONTW lf;
        lf.lfHeight = -((8 * Platform::GetScreen().dpiY + 36) / 72);
        lf.lfWeight = FW_NORMAL;
        std::u16string(u"MS Shell Dlg").copy(lf.lfFaceName, LF_FACESIZE - 1);
        m_font = CreateFontIndirect(&lf);
    }
    m_focusButton = CreateWindowEx(0, WC_BUTTON, u"FB", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | BS_NOTIFY,
                                   0, 0, 50, 20, m_hWnd, nullptr, nullptr, nullptr);
    if (m_focusButton) {
        SendMessage(m_focusButton, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), 0);
        s_buttonProc = reinterpret_cast<WNDPROC>(GetWindowLong(m_focusButton, GWL_WNDPROC));
        SetWindowLong(m_focusButton, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&CYolWMUI_TabDlg::FocusButtonProc));
    }
    CalcLayout();
}

void CYolWMUI_TabDlg::CalcLayout()
{
    RECT client;
    GetClientRect(m_hWnd, &client);
    int stripHeight = 0;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, m_font);
    TEXTMETRICW tm;
    if (GetTextMetrics(dc, &tm))
        stripHeight = tm.tmHeight * 3 / 2;
    SelectObject(dc, old);
    DeleteDC(dc);
    const int bar = GetBottomBarHeight();
    m_strip = RECT{client.left, client.bottom - bar - stripHeight, client.right, client.bottom - bar};
    m_panRect = RECT{client.left, client.top, client.right, client.bottom - Platform::ScaleY(1) - bar - stripHeight};
}

int CYolWMUI_TabDlg::CalcTabWidth(const TTab& tab) const
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, m_font);
    SIZE size{0, 0};
    GetTextExtentPoint32(dc, tab.caption.c_str(), tab.caption.Length(), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx + 2 * Platform::ScaleX(4) + (tab.images.Count() > 0 ? Platform::ScaleX(20) : 0);
}

void CYolWMUI_TabDlg::Relayout()
{
    CalcLayout();
    for (int i = 0; i < m_tabs.Count(); ++i) {
        m_tabs[i]->width = CalcTabWidth(*m_tabs[i]);
        if (m_tabs[i]->pan)
            m_tabs[i]->pan->MoveAndResize(m_panRect);
    }
    Redraw(0);
}

void CYolWMUI_TabDlg::AddTab(int id, CYolWMUI_WndBase* pan, const CYolString& caption,
                             const CYolArray<unsigned int>& images)
{
    auto* tab = new TTab;
    tab->id = id;
    tab->pan = pan;
    tab->caption = caption;
    tab->images = images;
    tab->width = CalcTabWidth(*tab);
    m_tabs.Add(tab);
    if (pan) {
        pan->MoveAndResize(m_panRect);
        pan->Show(false);
    }
    Redraw(0);
}

void CYolWMUI_TabDlg::SelectTab(int id)
{
    const int index = GetTabIndex(id);
    if (index >= 0)
        SelectIndex(index);
}

void CYolWMUI_TabDlg::SelectIndex(int index)
{
    if (m_cur >= 0 && m_cur < m_tabs.Count() && m_tabs[m_cur]->pan)
        m_tabs[m_cur]->pan->Show(false);
    m_cur = index;
    TTab& tab = *m_tabs[index];
    if (tab.pan)
        tab.pan->Show(true);
    StopFlashing(tab);
    FocusStrip();
    EnsureCurrentVisible();
    OnTabChanged();
    Redraw(0);
}

void CYolWMUI_TabDlg::FocusStrip()
{
    if (m_focusButton)
        SetFocus(m_focusButton);
}

void CYolWMUI_TabDlg::RemoveTab(int id)
{
    const int index = GetTabIndex(id);
    if (index < 0)
        return;
    TTab* tab = m_tabs[index];
    StopFlashing(*tab);
    delete tab->pan;
    delete tab;
    m_tabs.RemoveAt(index);
    const int count = m_tabs.Count();
    m_first = std::clamp(m_first, 0, std::max(count - 1, 0));
    if (count == 0) {
        m_cur = -1;
        Show(false);
    } else if (index < m_cur) {
        SelectIndex(m_cur - 1);
    } else if (index == m_cur) {
        // Its pane is gone: nothing to hide before the next one shows.
        m_cur = -1;
        SelectIndex(std::min(index, count - 1));
    } else {
        Redraw(0);
    }
}

void CYolWMUI_TabDlg::RemoveAllTabs()
{
    if (m_flashing.exchange(0) > 0 && m_hWnd)
        KillTimer(m_hWnd, kFlashTimerId);
    for (int i = 0; i < m_tabs.Count(); ++i) {
        delete m_tabs[i]->pan;
        delete m_tabs[i];
    }
    m_tabs.Clear();
    m_cur = -1;
    m_first = 0;
    m_held = -1;
}

void CYolWMUI_TabDlg::SetTabCaption(int id, const CYolString& caption)
{
    if (const int index = GetTabIndex(id); index >= 0) {
        m_tabs[index]->caption = caption;
        m_tabs[index]->width = CalcTabWidth(*m_tabs[index]);
        Redraw(0);
    }
}

void CYolWMUI_TabDlg::SetTabImages(int id, const CYolArray<unsigned int>& images)
{
    if (const int index = GetTabIndex(id); index >= 0) {
        m_tabs[index]->images = images;
        m_tabs[index]->width = CalcTabWidth(*m_tabs[index]);
        Redraw(0);
    }
}

void CYolWMUI_TabDlg::FlashTab(int id, int imageId)
{
    const int index = GetTabIndex(id);
    // -1 is "not flashing" itself, so it cannot be the image.
    if (index < 0 || imageId < 0 || m_tabs[index]->flashImage != -1)
        return;
    m_tabs[index]->flashImage = imageId;
    int expected = 0;
    if (m_flashing.compare_exchange_strong(expected, 1))
        SetTimer(m_hWnd, kFlashTimerId, kFlashPeriod, nullptr);
    else
        m_flashing.fetch_add(1);
    Redraw(0);
}

void CYolWMUI_TabDlg::StopFlashTab(int id)
{
    if (const int index = GetTabIndex(id); index >= 0)
        StopFlashing(*m_tabs[index]);
}

void CYolWMUI_TabDlg::StopFlashing(TTab& tab)
{
    if (tab.flashImage == -1)
        return;
    tab.flashImage = -1;
    if (m_flashing.fetch_sub(1) == 1)
        KillTimer(m_hWnd, kFlashTimerId);
    Redraw(0);
}

bool CYolWMUI_TabDlg::HasTab(int id) const
{
    return GetTabIndex(id) >= 0;
}

int CYolWMUI_TabDlg::GetTabIdByPan(const CYolWMUI_WndBase* pan) const
{
    for (int i = 0; i < m_tabs.Count(); ++i)
        if (m_tabs[i]->pan == pan)
            return m_tabs[i]->id;
    return -1;
}

CYolWMUI_TabDlg::TTab* CYolWMUI_TabDlg::GetTab(int id) const
{
    const int index = GetTabIndex(id);
    return index >= 0 ? m_tabs[index] : nullptr;
}

int CYolWMUI_TabDlg::GetTabIndex(int id) const
{
    for (int i = 0; i < m_tabs.Count(); ++i)
        if (m_tabs[i]->id == id)
            return i;
    return -1;
}

int CYolWMUI_TabDlg::GetCurTabId() const
{
    return m_cur >= 0 && m_cur < m_tabs.Count() ? m_tabs[m_cur]->id : -1;
}

int CYolWMUI_TabDlg::DoDataExchange(int save)
{
    for (int i = 0; i < m_tabs.Count(); ++i) {
        auto* pane = dynamic_cast<CYolWMUI_Dlg*>(m_tabs[i]->pan);
        if (!pane || pane->DoDataExchange(save))
            continue;
        if (save) {
            // Show the user the page that refused, with the field it focused.
            const HWND field = GetFocus();
            if (i != m_cur)
                SelectIndex(i);
            SetFocus(field && IsChild(*pane, field) ? field : GetNextDlgTabItem(*pane, nullptr, false));
        }
        return 0;
    }
    return 1;
}

void CYolWMUI_TabDlg::EnsureCurrentVisible()
{
    if (m_cur < 0)
        return;
    if (m_cur < m_first) {
        m_first = m_cur;
        return;
    }
    const int stripWidth = m_strip.right - m_strip.left;
    auto widths = [this] {
        int sum = 0;
        for (int i = m_first; i <= m_cur; ++i)
            sum += m_tabs[i]->width;
        return sum;
    };
    while (m_first < m_cur && widths() > stripWidth)
        ++m_first;
}

void CYolWMUI_TabDlg::OnTimer(int id, TIMERPROC proc)
{
    if (id == kFlashTimerId)
        Redraw(0);
    else
        CYolWMUI_BigDlg::OnTimer(id, proc);
}

void CYolWMUI_TabDlg::OnActivate(unsigned short state, int, HWND)
{
    if (state != WA_INACTIVE && m_cur >= 0)
        StopFlashing(*m_tabs[m_cur]);
}

void CYolWMUI_TabDlg::OnScreenSizeChanged()
{
    Relayout();
}

HBRUSH CYolWMUI_TabDlg::GetBkBrush()
{
    return ShellSkin().GetBkBrush();
}

void CYolWMUI_TabDlg::OnTabChanged() {}
void CYolWMUI_TabDlg::OnTabDblClick() {}
int CYolWMUI_TabDlg::GetBottomBarHeight() { return 0; }

} // namespace UI
