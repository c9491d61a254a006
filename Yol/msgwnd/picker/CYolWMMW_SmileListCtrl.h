#pragma once
// The smiley picker's grid: every smiley of the current set as an animated
// cell in a scrolling window, one of them selected. Arrow keys move the
// selection (Up and Down to the nearest cell of the next row), Enter chooses
// it; a tap chooses the cell under the stylus, a vertical drag scrolls, a
// horizontal swipe cancels. Frame changes repaint only the cells they touch.
//
// The selection is one process-wide index kept between openings, so the
// picker reopens on the smiley chosen last. UI thread only.

#include "CYolWMSmile_Anim.h"

#include "CYolArray.h"
#include "CYolWMUI_ScrollWnd.h"

#include <vector>

namespace MW {

class CYolWMMW_SmileListCtrl : public UI::CYolWMUI_ScrollWnd, public Smile::MYolWMSmile_AnimObserver {
public:
    class MObserver {
    public:
        // index -1: the user backed out.
        virtual void OnCellChosen(CYolWMMW_SmileListCtrl* grid, int index) = 0;

    protected:
        ~MObserver() = default;
    };

    struct TCell {
        Smile::CYolWMSmile_Anim* picture = nullptr; // owned by the grid
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        bool dirty = false;
    };

    enum TStylus : int { EStylusNone, EStylusTap, EStylusDrag };

    CYolWMMW_SmileListCtrl(bool compact, MObserver* observer);
    ~CYolWMMW_SmileListCtrl() override;
    CYolWMMW_SmileListCtrl(const CYolWMMW_SmileListCtrl&) = delete;
    CYolWMMW_SmileListCtrl& operator=(const CYolWMMW_SmileListCtrl&) = delete;

    // The selected smiley, shared by every picker.
    static int Selected();
    static void SetSelected(int index);

    // A cell per smiley of the current set (none while it loads), then the
    // layout.
    void Fill();
    void Layout();
    int CellCount() const { return m_cells.Count(); }
    const TCell& Cell(int index) const { return m_cells[index]; }
    TStylus Stylus() const { return m_stylus; }
    // The selected cell scrolled into view.
    void ShowSelected();

    void OnCreate() override;
    void OnWindowPosChanged(WINDOWPOS* pos) override;
    int OnGetDlgCode() override;
    void OnKeyDown(int key) override;
    void OnLButtonDown(int keys, POINT point) override;
    void OnMouseMove(int keys, POINT point) override;
    void OnLButtonUp(int keys, POINT point) override;
    void Paint(HDC hdc) override;
    void PaintX(HDC hdc) override;
    HBRUSH GetBkBrush() override;
    void OnFrameChanged(Smile::CYolWMSmile_Anim* picture) override;

private:
    void Clear();
    void Select(int index);
    std::vector<RECT> Rects() const;
    RECT OnClient(const TCell& cell) const;
    bool Visible(const RECT& onClient) const;
    void DrawCell(HDC hdc, int index, const RECT& at) const;

    CYolArray<TCell> m_cells;
    bool m_compact;
    MObserver* m_observer;
    TStylus m_stylus = EStylusNone;
    POINT m_point{0, 0};
    // Guards against the scroll bar's own size change while laying out.
    bool m_laying = false;
    int m_laidWidth = -1;
    int m_laidHeight = -1;
};

} // namespace MW
