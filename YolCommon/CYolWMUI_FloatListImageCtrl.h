#pragma once
// An image picker whose cells have sizes of their own: they flow into rows
// like words into a paragraph, a row as tall as its tallest cell (every
// cell of a row shares the row's top and bottom).

#include "CYolArray.h"
#include "CYolWMUI_ListImageCtrl.h"

namespace UI {

class YOL_API CYolWMUI_FloatListImageCtrl : public CYolWMUI_ScrollWnd {
public:
    class MFLICtrlObserver {
    public:
        virtual void OnImageClick(CYolWMUI_FloatListImageCtrl* control, int index) = 0;
        virtual void OnSelectChange(CYolWMUI_FloatListImageCtrl* control, int index) = 0;

    protected:
        ~MFLICtrlObserver() = default;
    };

    CYolWMUI_FloatListImageCtrl(MFLICtrlObserver* observer, int hGap, int vGap);

    int GetSelectImage() const { return m_selected; }
    // An index outside the cells selects the first one. Scrolls it into view
    // and answers it (-1 when there are no cells).
    int SetSelectImage(int index);

    int Count() const { return m_cells.Count(); }
    int RowCount() const { return m_rowStarts.Count(); }
    // The cell's rectangle in content coordinates (before scrolling).
    RECT CellRect(int index) const { return m_cells[index]; }
    // The cell under a client point, -1 for none.
    int HitTest(POINT point) const;

    virtual void RedrawImage(int index, const RECT& rect, HDC hdc);
    virtual void LayoutItem(int index, const RECT& rect);

    void OnWindowPosChanged(WINDOWPOS* pos) override;
    void OnKeyDown(int key) override;
    void OnLButtonDown(int keys, POINT point) override;
    int OnGetDlgCode() override;
    void Paint(HDC hdc) override;
    void OnScroll() override;

protected:
    // Appends a cell of that size after the last one.
    void AddItem(int width, int height);

private:
    friend struct ListImage::Input;

    void PlaceCell(int index, int clientWidth);
    void RecalculateCells();
    // Range from the content's height; another pass when the bar's coming
    // or going changed the width the rows flow in.
    void FitScrollRange(int pos);
    void ReLayoutItems();
    void HighliteSelectImage(HDC hdc);
    void SynchronizeSelectImage();
    int RowOf(int index) const;
    int RowEnd(int row) const;
    // In `row`, the last cell whose left edge is at or left of `left`.
    int CellBelowOrAbove(int row, int left) const;
    bool KeyTarget(int key, int& target) const;

    int m_hGap;
    int m_vGap;
    CYolArray<RECT> m_cells;
    CYolArray<int> m_rowStarts;
    // Each cell's own size: a row stretches its cells to the tallest, and a
    // cell that moves to another row must not keep that stretch.
    CYolArray<SIZE> m_sizes;
    MFLICtrlObserver* m_observer;
    int m_selected = -1;
};

} // namespace UI
