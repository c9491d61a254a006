#include "CYolWMUI_ListImageCtrl.h"

#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>

namespace UI {

namespace ListImage {

void DrawSelectionFrame(HDC hdc, RECT cell)
{
    InflateRect(&cell, 1, 1);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_HIGHLIGHT));
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
    RoundRect(hdc, cell.left, cell.top, cell.right, cell.bottom, (3 * g_HIDPI_LogPixelsX + 48) / 96,
              (3 * g_HIDPI_LogPixelsY + 48) / 96);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    DeleteObject(pen);
}

} // namespace ListImage

CYolWMUI_ListImageCtrl::CYolWMUI_ListImageCtrl(MLICtrlObserver* observer, int count, int cellWidth, int cellHeight,
                                               int hGap, int vGap)
    : m_count(std::max(count, 0)), m_cellWidth(cellWidth), m_cellHeight(cellHeight), m_hGap(hGap), m_vGap(vGap),
      m_observer(observer)
{
}

int CYolWMUI_ListImageCtrl::SetSelectImage(int index)
{
    if (m_count == 0)
        return m_selected = -1;
    m_selected = (index < 0 || index >= m_count) ? 0 : index;
    SynchronizeSelectImage();
    return m_selected;
}

bool CYolWMUI_ListImageCtrl::GetImageRect(int index, RECT& rect) const
{
    if (index < 0 || index >= m_count)
        return false;
    const int row = index / m_columns;
    const int column = index % m_columns;
    rect.left = column * (m_cellWidth + m_hGap) + 1;
    rect.top = row * (m_cellHeight + m_vGap) - GetScrollPos() + 1;
    rect.right = rect.left + m_cellWidth;
    rect.bottom = rect.top + m_cellHeight;
    return true;
}

int CYolWMUI_ListImageCtrl::HitTest(POINT point) const
{
    const int stepX = std::max(m_cellWidth + m_hGap, 1);
    const int stepY = std::max(m_cellHeight + m_vGap, 1);
    const int lastRight = m_columns * stepX - m_hGap + 1;
    if (point.x <= 0 || point.x >= lastRight || point.y <= 0)
        return -1;
    const int y = GetScrollPos() + point.y - 1;
    const int x = point.x - 1;
    const int row = y / stepY;
    const int column = x / stepX;
    if (x % stepX >= m_cellWidth || y % stepY >= m_cellHeight || row >= m_rows || column >= m_columns)
        return -1;
    const int index = row * m_columns + column;
    return index < m_count ? index : -1;
}

void CYolWMUI_ListImageCtrl::RedrawImage(int, const RECT&, HDC) {}
void CYolWMUI_ListImageCtrl::LayoutItem(int, const RECT&) {}

void CYolWMUI_ListImageCtrl::OnCreate()
{
    CYolWMUI_ScrollWnd::OnCreate();
    InitGrid();
}

void CYolWMUI_ListImageCtrl::OnWindowPosChanged(WINDOWPOS* pos)
{
    if (pos && !(pos->flags & SWP_NOSIZE))
        InitGrid();
}

void CYolWMUI_ListImageCtrl::InitGrid()
{
    const int kept = GetScrollPos();
    SetScrollInfo(0, 0, 0, 0);
    const int stepX = std::max(m_cellWidth + m_hGap, 1);
    const int stepY = std::max(m_cellHeight + m_vGap, 1);
    const int width = GetClientWidth() - 2;
    const int height = GetClientHeight() - 2;
    // However narrow the window, the grid keeps one column.
    auto layout = [&](int w) {
        m_columns = std::max((w + m_hGap) / stepX, 1);
        m_rows = (m_count + m_columns - 1) / m_columns;
    };
    layout(width);
    if ((height + m_vGap) / stepY < m_rows) {
        layout(width - GetSystemMetrics(SM_CXVSCROLL));
        SetScrollTic(stepY);
        SetScrollInfo(0, m_rows * stepY - m_vGap, GetClientHeight(), kept);
    }
    ReLayoutItems();
    SynchronizeSelectImage();
}

void CYolWMUI_ListImageCtrl::ReLayoutItems()
{
    RECT r;
    for (int i = 0; i < m_count; ++i)
        if (GetImageRect(i, r))
            LayoutItem(i, r);
}

void CYolWMUI_ListImageCtrl::HighliteSelectImage(HDC hdc)
{
    RECT r;
    if (GetImageRect(m_selected, r))
        ListImage::DrawSelectionFrame(hdc, r);
}

void CYolWMUI_ListImageCtrl::SynchronizeSelectImage()
{
    RECT r;
    if (GetImageRect(m_selected, r) && (r.top < 0 || r.bottom > GetClientHeight()))
        SetScrollPos(GetScrollPos() + r.top - m_vGap);
    Redraw(EPaintFull);
}

bool CYolWMUI_ListImageCtrl::KeyTarget(int key, int& target) const
{
    const int s = m_selected;
    switch (key) {
    case VK_LEFT:
        target = s - 1;
        return s > 0;
    case VK_RIGHT:
        target = s + 1;
        return s < m_count - 1;
    case VK_UP:
        target = s >= m_columns ? s - m_columns : 0;
        return s >= 0;
    case VK_DOWN: {
        const bool lastRow = s / m_columns >= m_rows - 1;
        target = (!lastRow && s + m_columns < m_count) ? s + m_columns : m_count - 1;
        return s >= 0;
    }
    default:
        return false;
    }
}

void CYolWMUI_ListImageCtrl::OnKeyDown(int key)
{
    ListImage::Input::KeyDown(*this, key);
}

void CYolWMUI_ListImageCtrl::OnLButtonDown(int, POINT point)
{
    ListImage::Input::LButtonDown(*this, point);
}

int CYolWMUI_ListImageCtrl::OnGetDlgCode()
{
    return ListImage::Input::DlgCode();
}

void CYolWMUI_ListImageCtrl::Paint(HDC hdc)
{
    HighliteSelectImage(hdc);
    const int height = GetClientHeight();
    RECT r;
    for (int i = 0; i < m_count; ++i)
        if (GetImageRect(i, r) && r.bottom > 0 && r.top < height)
            RedrawImage(i, r, hdc);
}

void CYolWMUI_ListImageCtrl::OnScroll() {}

} // namespace UI
