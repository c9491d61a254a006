#include "CYolWMCL_StatusBar.h"

#include "MYolWMUI_Skin.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowFocus.h"

#include <algorithm>

namespace UI_CL {

namespace {

int CellWidth()
{
    return Platform::ScaleX(24);
}
int GapWidth()
{
    return Platform::ScaleX(6);
}

// A square of `side` logical pixels placed (H - side) / 2 from the cell's
// left edge and from the bar's top.
RECT Square(int x, int height, int side)
{
    const int w = Platform::ScaleX(side);
    const int h = Platform::ScaleY(side);
    const int inset = (height - h) / 2;
    return RECT{x + inset, inset, x + inset + w, inset + h};
}

} // namespace

CYolWMCL_StatusBar::CYolWMCL_StatusBar(MYolWMCL_StatusBarObserver* observer) : m_observer(observer)
{
    m_global.SetGrowStep(10);
    m_accounts.SetGrowStep(10);
}

CYolWMCL_StatusBar::~CYolWMCL_StatusBar() = default;

int CYolWMCL_StatusBar::Create(HWND parent, const RECT& rect)
{
    return CYolWMUI_Wnd::Create(nullptr, parent, WS_VISIBLE | WS_TABSTOP, rect);
}

int CYolWMCL_StatusBar::AddGlobalIcon(const TCell& images)
{
    const int index = m_global.Add(images);
    Relayout();
    return index;
}

void CYolWMCL_StatusBar::SetGlobalIcon(int index, const TCell& images)
{
    if (index < 0 || index >= m_global.Count())
        return;
    m_global[index] = images;
    Relayout();
}

int CYolWMCL_StatusBar::AddAccount(unsigned int accountId)
{
    TAccount account;
    account.first = accountId;
    account.second.SetGrowStep(10);
    return m_accounts.Add(account);
}

int CYolWMCL_StatusBar::AddAccountIcon(unsigned int accountId, const TCell& images)
{
    const int account = FindAccount(accountId);
    if (account < 0)
        return -1;
    const int index = m_accounts[account].second.Add(images);
    Relayout();
    return index;
}

void CYolWMCL_StatusBar::SetAccountIcon(unsigned int accountId, int index, const TCell& images)
{
    const int account = FindAccount(accountId);
    if (account < 0 || index < 0 || index >= m_accounts[account].second.Count())
        return;
    m_accounts[account].second[index] = images;
    Relayout();
}

void CYolWMCL_StatusBar::RemoveAccountIcon(unsigned int accountId, int index)
{
    const int account = FindAccount(accountId);
    if (account < 0)
        return;
    m_accounts[account].second.RemoveAt(index);
    Relayout();
}

void CYolWMCL_StatusBar::MoveAccount(unsigned int accountId, unsigned int position)
{
    const int account = FindAccount(accountId);
    if (account < 0 || position >= static_cast<unsigned int>(m_accounts.Count()))
        return;
    const TAccount moved = m_accounts[account];
    m_accounts.RemoveAt(account);
    m_accounts.InsertAt(static_cast<int>(position), moved);
    Relayout();
}

void CYolWMCL_StatusBar::RemoveAccount(unsigned int accountId)
{
    const int account = FindAccount(accountId);
    if (account < 0)
        return;
    m_accounts.RemoveAt(account);
    Relayout();
}

int CYolWMCL_StatusBar::FindAccount(unsigned int accountId) const
{
    for (int i = 0; i < m_accounts.Count(); ++i)
        if (m_accounts[i].first == accountId)
            return i;
    return -1;
}

bool CYolWMCL_StatusBar::GetIconPosition(unsigned int accountId, int index, POINT& out) const
{
    RECT r{0, 0, 0, 0};
    GetWindowRect(m_hWnd, &r);
    const int c = CellWidth();
    const int g = GapWidth();
    out = POINT{r.left, r.top};
    if (accountId == 0) {
        if (index < 0 || index >= m_global.Count())
            return false;
        out.x += c * index;
        return true;
    }
    int x = r.left + c * m_global.Count() + g + (Scrolls() ? c : 0);
    for (const TAccount& account : m_accounts) {
        if (account.first == accountId) {
            if (index < 0 || index >= account.second.Count())
                return false;
            out.x = x + c * index;
            return true;
        }
        x += c * account.second.Count() + g;
    }
    return false;
}

void CYolWMCL_StatusBar::Relayout()
{
    if (m_accounts.Count() == 0) {
        // Nothing left to scroll: no arrows either.
        m_scrollLimit = 0;
        m_firstVisible = 0;
        RedrawIfCreated();
        return;
    }
    const int width = GetClientWidth();
    const int c = CellWidth();
    const int g = GapWidth();
    const int globals = m_global.Count();
    int total = globals;
    for (const TAccount& account : m_accounts)
        total += account.second.Count();

    m_scrollLimit = 0;
    int free = width - (g + globals * c);
    int counted = globals;
    for (int j = m_accounts.Count() - 1; j >= 0; --j) {
        const int t = m_accounts[j].second.Count();
        if (free < c * t) {
            // Room for the accounts between the arrows, from the last one.
            int room = width - 2 * c - g - globals * c;
            for (int i = m_accounts.Count() - 1; i >= 0; --i) {
                const int needed = c * m_accounts[i].second.Count();
                if (room < needed) {
                    m_scrollLimit = i + 1;
                    break;
                }
                room -= needed;
            }
            break;
        }
        // More than ten cells: no more than nine may be numbered.
        if (total > 10 && counted + t > 8) {
            m_scrollLimit = j + 1;
            break;
        }
        free -= g + c * t;
        counted += t;
    }
    if (m_firstVisible > m_scrollLimit)
        m_firstVisible = m_scrollLimit;
    RedrawIfCreated();
}

CYolWMCL_StatusBar::TLayout CYolWMCL_StatusBar::LayOut(bool countLimit) const
{
    TLayout out;
    const int width = GetClientWidth();
    const int c = CellWidth();
    const int g = GapWidth();
    int x = 0;
    int number = 0;
    for (int i = 0; i < m_global.Count(); ++i, x += c)
        out.cells.push_back(TPlaced{number++, x, EGlobal, -1, i});
    out.separators.push_back(x);
    x += g;
    if (Scrolls()) {
        out.cells.push_back(TPlaced{number++, x, ELeftArrow, -1, -1});
        x += c;
    }
    out.end = x;
    const int limit = Scrolls() ? 9 : 10;
    // Room kept free at the right: the cell itself, and the right arrow.
    const int reserve = Scrolls() ? 2 * c : c;
    for (int a = m_firstVisible; a < m_accounts.Count(); ++a) {
        if (countLimit && number >= limit)
            break;
        const TCells& cells = m_accounts[a].second;
        for (int k = 0; k < cells.Count(); ++k) {
            if ((countLimit && number >= limit) || width < x + reserve)
                break;
            out.cells.push_back(TPlaced{number++, x, EAccount, a, k});
            x += c;
            out.end = x;
        }
        if (width < x + reserve)
            break;
        out.separators.push_back(x);
        x += g;
    }
    if (Scrolls())
        out.cells.push_back(TPlaced{9, width - c, ERightArrow, -1, -1});
    return out;
}

int CYolWMCL_StatusBar::CellAt(int x) const
{
    const TLayout layout = LayOut(false);
    const int c = CellWidth();
    for (const TPlaced& cell : layout.cells) {
        if (cell.kind == ERightArrow || x < cell.x || x >= cell.x + c)
            continue;
        return Scrolls() && cell.number > 8 ? 9 : cell.number;
    }
    return Scrolls() && x >= layout.end ? 9 : -1;
}

const CYolWMCL_StatusBar::TPlaced* CYolWMCL_StatusBar::Numbered(const TLayout& layout, int number) const
{
    for (const TPlaced& cell : layout.cells)
        if (cell.number == number)
            return &cell;
    return nullptr;
}

void CYolWMCL_StatusBar::Report(const TPlaced& cell)
{
    if (m_observer == nullptr)
        return;
    if (cell.kind == EGlobal)
        m_observer->OnAccountIconTap(0, cell.index);
    else if (cell.kind == EAccount)
        m_observer->OnAccountIconTap(m_accounts[cell.account].first, cell.index);
}

void CYolWMCL_StatusBar::Scroll(int by)
{
    m_firstVisible = std::clamp(m_firstVisible + by, 0, m_scrollLimit);
    RedrawIfCreated();
}

void CYolWMCL_StatusBar::OnStatusBarTap(int cell)
{
    const TLayout layout = LayOut(true);
    const TPlaced* placed = Numbered(layout, cell);
    if (placed == nullptr)
        return;
    if (placed->kind == ELeftArrow)
        Scroll(-1);
    else if (placed->kind == ERightArrow)
        Scroll(+1);
    else
        Report(*placed);
}

void CYolWMCL_StatusBar::OnLButtonDown(int, POINT point)
{
    SetCapture(m_hWnd);
    const int number = CellAt(point.x);
    m_pressed = -1;
    if (Scrolls() && number == 9) {
        Scroll(+1);
    } else if (Scrolls() && number == m_global.Count()) {
        Scroll(-1);
    } else {
        m_pressed = number;
        RedrawIfCreated();
    }
}

void CYolWMCL_StatusBar::OnLButtonUp(int, POINT)
{
    ReleaseCapture();
    if (m_pressed >= 0) {
        const TLayout layout = LayOut(false);
        if (const TPlaced* cell = Numbered(layout, m_pressed)) {
            const TPlaced reported = *cell;
            Report(reported);
        }
    }
    m_pressed = -1;
    RedrawIfCreated();
}

int CYolWMCL_StatusBar::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam)
{
    // The window class takes double taps: a quick second tap on an arrow
    // still scrolls once more, and a cell is pressed again.
    if (msg != WM_LBUTTONDBLCLK)
        return 1;
    OnLButtonDown(static_cast<int>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
}

void CYolWMCL_StatusBar::OnWindowPosChanged(WINDOWPOS*)
{
    Relayout();
}

HBRUSH CYolWMCL_StatusBar::GetBkBrush()
{
    return UI::ShellSkin().GetBkBrush();
}

void CYolWMCL_StatusBar::DrawCell(HDC hdc, const TCell& images, int x, bool pressed)
{
    const int height = GetClientHeight();
    const RECT icon = Square(x, height, 16);
    for (unsigned int id : images)
        UI::ShellSkin().DrawImageRect(hdc, static_cast<int>(id), icon, 255);
    if (pressed) {
        const RECT frame = Square(x, height, 24);
        Rectangle(hdc, frame.left, frame.top, frame.right, frame.bottom);
    }
}

void CYolWMCL_StatusBar::Paint(HDC hdc)
{
    UI::MYolWMUI_Skin& skin = UI::ShellSkin();
    const int width = GetClientWidth();
    const int height = GetClientHeight();
    HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
    Rectangle(hdc, 0, 0, width, height);

    const TLayout layout = LayOut(true);
    for (const TPlaced& cell : layout.cells) {
        switch (cell.kind) {
        case EGlobal:
            DrawCell(hdc, m_global[cell.index], cell.x, cell.number == m_pressed);
            break;
        case EAccount:
            DrawCell(hdc, m_accounts[cell.account].second[cell.index], cell.x, cell.number == m_pressed);
            break;
        case ELeftArrow:
            skin.DrawImageRect(hdc, Skins::SKIN_IMG_MW_LEFT_ARROW, Square(cell.x, height, 16),
                               m_firstVisible == 0 ? 64 : 255);
            break;
        case ERightArrow:
            skin.DrawImageRect(hdc, Skins::SKIN_IMG_MW_RIGHT_ARROW, Square(cell.x, height, 16),
                               m_firstVisible < m_scrollLimit ? 255 : 64);
            break;
        }
    }
    for (int x : layout.separators) {
        const int lineX = x + Platform::ScaleX(3) + 1;
        MoveToEx(hdc, lineX, Platform::ScaleY(2), nullptr);
        LineTo(hdc, lineX, height - Platform::ScaleY(2));
    }
    SelectObject(hdc, oldBrush);
}

void CYolWMCL_StatusBar::RedrawIfCreated()
{
    if (m_hWnd != nullptr)
        Redraw(EPaintFull);
}

} // namespace UI_CL
