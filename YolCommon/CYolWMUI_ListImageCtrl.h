#pragma once
// Scrolling pickers of images (a smiley picker, for one): the user picks a
// cell with the stylus or the navigation keys. They draw no images
// themselves: a derived class draws each cell (RedrawImage) and may place
// child windows on cells (LayoutItem); an observer hears clicks and
// selection changes.
//
// CYolWMUI_ListImageCtrl lays equal cells out in a grid.

#include "CYolWMUI_ScrollWnd.h"
#include "WindowSystem/WindowKeys.h"

namespace UI {

namespace ListImage {
// The selection frame around `cell`: one pixel outside it, a rounded
// rectangle in the highlight colour.
void DrawSelectionFrame(HDC hdc, RECT cell);

// The input both pickers share (each is a friend): Return clicks the
// selected image, a navigation key moves the selection and tells the
// observer, the stylus selects the image under it and clicks it, and the
// pickers ask the dialog for the arrow keys.
struct Input {
    template <typename Picker>
    static void KeyDown(Picker& p, int key)
    {
        if (key == static_cast<int>(VK_RETURN)) {
            if (p.m_selected >= 0 && p.m_observer)
                p.m_observer->OnImageClick(&p, p.m_selected);
            return;
        }
        int target = -1;
        if (!p.KeyTarget(key, target))
            return;
        p.m_selected = target;
        p.SynchronizeSelectImage();
        if (p.m_observer)
            p.m_observer->OnSelectChange(&p, p.m_selected);
    }

    template <typename Picker>
    static void LButtonDown(Picker& p, POINT point)
    {
        p.m_selected = p.HitTest(point);
        p.SynchronizeSelectImage();
        if (p.m_selected >= 0 && p.m_observer)
            p.m_observer->OnImageClick(&p, p.m_selected);
    }

    static int DlgCode() { return static_cast<int>(DLGC_WANTARROWS); }
};
} // namespace ListImage

class YOL_API CYolWMUI_ListImageCtrl : public CYolWMUI_ScrollWnd {
public:
    class MLICtrlObserver {
    public:
        virtual void OnImageClick(CYolWMUI_ListImageCtrl* control, int index) = 0;
        virtual void OnSelectChange(CYolWMUI_ListImageCtrl* control, int index) = 0;

    protected:
        ~MLICtrlObserver() = default;
    };

    CYolWMUI_ListImageCtrl(MLICtrlObserver* observer, int count, int cellWidth, int cellHeight, int hGap, int vGap);

    int GetSelectImage() const { return m_selected; }
    // An index outside the images selects the first one. Scrolls it into
    // view and answers it (-1 when there are no images).
    int SetSelectImage(int index);

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    // The cell's rectangle in client coordinates; false for no such cell.
    bool GetImageRect(int index, RECT& rect) const;
    // The cell under a client point, -1 for none (a gap included).
    int HitTest(POINT point) const;

    virtual void RedrawImage(int index, const RECT& rect, HDC hdc);
    virtual void LayoutItem(int index, const RECT& rect);

    void OnCreate() override;
    void OnWindowPosChanged(WINDOWPOS* pos) override;
    void OnKeyDown(int key) override;
    void OnLButtonDown(int keys, POINT point) override;
    int OnGetDlgCode() override;
    void Paint(HDC hdc) override;
    void OnScroll() override;

private:
    friend struct ListImage::Input;

    void InitGrid();
    void ReLayoutItems();
    void HighliteSelectImage(HDC hdc);
    void SynchronizeSelectImage();
    // The selection a navigation key leads to; false when the key moves
    // nothing.
    bool KeyTarget(int key, int& target) const;

    int m_count;
    int m_cellWidth;
    int m_cellHeight;
    int m_columns = 1;
    int m_rows = 0;
    int m_hGap;
    int m_vGap;
    int m_selected = -1;
    MLICtrlObserver* m_observer;
};

} // namespace UI
