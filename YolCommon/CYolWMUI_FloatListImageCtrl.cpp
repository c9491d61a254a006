#include "CYolWMUI_FloatListImageCtrl.h"

#include "WindowSystem/WindowKeys.h"

#include <algorithm>

namespace UI {

CYolWMUI_FloatListImageCtrl::CYolWMUI_FloatListImageCtrl(MFLICtrlObserver* observer, int hGap, int vGap)
    : m_hGap(hGap), m_vGap(vGap), m_observer(observer)
{
    m_cells.SetGrowStep(10);
    m_rowStarts.SetGrowStep(10);
    m_sizes.SetGrowStep(10);
}

int CYolWMUI_FloatListImageCtrl::SetSelectImage(int index)
{
    if (m_cells.Count() == 0)
        return m_selected = -1;
    m_selected = (index < 0 || index >= m_cells.Count()) ? 0 : index;
    SynchronizeSelectImage();
    return m_selected;
}

void CYolWMUI_FloatListImageCtrl::PlaceCell(int index, int clientWidth)
{
    const int w = m_sizes[index].cx;
    const int h = m_sizes[index].cy;
    RECT& cell = m_cells[index];
    if (index == 0) {
        cell = RECT{m_hGap + 1, m_vGap + 1, m_hGap + 1 + w, m_vGap + 1 + h};
        m_rowStarts.Add(0);
        return;
    }
    const RECT p = m_cells[index - 1];
    if (clientWidth < p.right + m_hGap + w) {
        const int top = p.bottom + m_vGap;
        cell = RECT{m_hGap + 1, top, m_hGap + 1 + w, top + h};
        m_rowStarts.Add(index);
        return;
    }
    int bottom = p.bottom;
    if (h > p.bottom - p.top) {
        bottom = p.top + h;
        for (int i = m_rowStarts[m_rowStarts.Count() - 1]; i < index; ++i)
            m_cells[i].bottom = bottom;
    }
    cell = RECT{p.right + m_hGap, p.top, p.right + m_hGap + w, bottom};
}

void CYolWMUI_FloatListImageCtrl::RecalculateCells()
{
    m_rowStarts.Clear();
    const int width = GetClientWidth();
    for (int i = 0; i < m_cells.Count(); ++i)
        PlaceCell(i, width);
}

void CYolWMUI_FloatListImageCtrl::FitScrollRange(int pos)
{
    for (int pass = 0; pass < 2 && m_cells.Count() > 0; ++pass) {
        const int before = GetClientWidth();
        SetScrollInfo(0, m_cells[m_cells.Count() - 1].bottom + m_vGap, GetClientHeight(), pos);
        if (GetClientWidth() == before)
            break;
        RecalculateCells();
    }
}

void CYolWMUI_FloatListImageCtrl::AddItem(int width, int height)
{
    m_sizes.Add(SIZE{width, height});
    m_cells.Add(RECT{});
    PlaceCell(m_cells.Count() - 1, GetClientWidth());
    FitScrollRange(0);
    ReLayoutItems();
}

void CYolWMUI_FloatListImageCtrl::OnWindowPosChanged(WINDOWPOS* pos)
{
    if (!pos || (pos->flags & SWP_NOSIZE))
        return;
    RecalculateCells();
    FitScrollRange(GetScrollPos());
    ReLayoutItems();
}

void CYolWMUI_FloatListImageCtrl::ReLayoutItems()
{
    const int pos = GetScrollPos();
    for (int i = 0; i < m_cells.Count(); ++i) {
        RECT r = m_cells[i];
        OffsetRect(&r, 0, -pos);
        LayoutItem(i, r);
    }
}

int CYolWMUI_FloatListImageCtrl::HitTest(POINT point) const
{
    if (point.x < 0 || point.x >= GetClientWidth() || point.y < 0)
        return -1;
    const int y = GetScrollPos() + point.y;
    for (int row = 0; row < m_rowStarts.Count(); ++row) {
        if (m_cells[m_rowStarts[row]].bottom < y)
            continue;
        for (int i = m_rowStarts[row]; i < RowEnd(row); ++i)
            if (m_cells[i].right >= point.x)
                return i;
        return -1;
    }
    return -1;
}

int CYolWMUI_FloatListImageCtrl::RowEnd(int row) const
{
    return row + 1 < m_rowStarts.Count() ? m_rowStarts[row + 1] : m_cells.Count();
}

int CYolWMUI_FloatListImageCtrl::RowOf(int index) const
{
    int row = 0;
    while (row + 1 < m_rowStarts.Count() && m_rowStarts[row + 1] <= index)
        ++row;
    return row;
}

int CYolWMUI_FloatListImageCtrl::CellBelowOrAbove(int row, int left) const
{
    int found = m_rowStarts[row];
    for (int i = m_rowStarts[row]; i < RowEnd(row); ++i)
        if (m_cells[i].left <= left)
            found = i;
    return found;
}

bool CYolWMUI_FloatListImageCtrl::KeyTarget(int key, int& target) const
{
    const int s = m_selected;
    const int count = m_cells.Count();
    switch (key) {
    case VK_LEFT:
        target = s - 1;
        return s > 0;
    case VK_RIGHT:
        target = s + 1;
        return s < count - 1;
    case VK_UP: {
        if (s < 0)
            return false;
        const int row = RowOf(s);
        target = row == 0 ? 0 : CellBelowOrAbove(row - 1, m_cells[s].left);
        return true;
    }
    case VK_DOWN: {
        if (s < 0)
            return false;
        const int row = RowOf(s);
        target = row + 1 >= m_rowStarts.Count() ? count - 1 : CellBelowOrAbove(row + 1, m_cells[s].left);
        return true;
    }
    default:
        return false;
    }
}

void CYolWMUI_FloatListImageCtrl::OnKeyDown(int key)
{
    ListImage::Input::KeyDown(*this, key);
}

void CYolWMUI_FloatListImageCtrl::OnLButtonDown(int, POINT point)
{
    ListImage::Input::LButtonDown(*this, point);
}

int CYolWMUI_FloatListImageCtrl::OnGetDlgCode()
{
    return ListImage::Input::DlgCode();
}

void CYolWMUI_FloatListImageCtrl::SynchronizeSelectImage()
{
    if (m_selected >= 0 && m_selected < m_cells.Count()) {
        const RECT& cell = m_cells[m_selected];
        const int pos = GetScrollPos();
        if (cell.top - pos < 0 || cell.bottom - pos > GetClientHeight())
            SetScrollPos(cell.top - m_vGap);
    }
    Redraw(EPaintFull);
}

void CYolWMUI_FloatListImageCtrl::HighliteSelectImage(HDC hdc)
{
    if (m_selected < 0 || m_selected >= m_cells.Count())
        return;
    RECT r = m_cells[m_selected];
    OffsetRect(&r, 0, -GetScrollPos());
    ListImage::DrawSelectionFrame(hdc, r);
}

void CYolWMUI_FloatListImageCtrl::Paint(HDC hdc)
{
    HighliteSelectImage(hdc);
    const int pos = GetScrollPos();
    const int height = GetClientHeight();
    for (int i = 0; i < m_cells.Count(); ++i) {
        RECT r = m_cells[i];
        OffsetRect(&r, 0, -pos);
        if (r.bottom > 0 && r.top < height)
            RedrawImage(i, r, hdc);
    }
}

void CYolWMUI_FloatListImageCtrl::RedrawImage(int, const RECT&, HDC) {}
void CYolWMUI_FloatListImageCtrl::LayoutItem(int, const RECT&) {}

void CYolWMUI_FloatListImageCtrl::OnScroll()
{
    ReLayoutItems();
}

} // namespace UI
