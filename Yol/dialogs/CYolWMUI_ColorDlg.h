#pragma once
// The colour dialog edits one colour by its red, green and blue parts, each
// with a track bar and an edit, and shows it in a preview; a palette of 128
// fixed colours offers a quicker pick. The colour lives in one program-wide
// result (set by the constructor, changed with every edit) that the caller
// reads after result 1.
//
// CPaletteDlg is the palette: a grid of the 128 colours (CPaletteCtrl)
// whose chosen cell is remembered from one use to the next.

#include "CYolWMUI_ListImageCtrl.h"
#include "CYolWMUI_SkinnedDlg.h"

#include <array>

namespace UI {

struct CYolWMUI_ColorDlgParts;

class CYolWMUI_ColorDlg : public CYolWMUI_OkCancelDlg {
public:
    static constexpr int kPaletteSize = 128;

    explicit CYolWMUI_ColorDlg(COLORREF start);
    ~CYolWMUI_ColorDlg() override;
    CYolWMUI_ColorDlg(const CYolWMUI_ColorDlg&) = delete;
    CYolWMUI_ColorDlg& operator=(const CYolWMUI_ColorDlg&) = delete;

    std::intptr_t DoModal(HWND parent);
    static COLORREF Result();

    // The palette's colours in cell order.
    static const std::array<COLORREF, kPaletteSize>& PaletteColors();
    // The remembered cell, -1 when none.
    static int PaletteIndex();
    static void SetPaletteIndex(int index);

    class CPaletteCtrl : public CYolWMUI_ListImageCtrl {
    public:
        explicit CPaletteCtrl(MLICtrlObserver* observer);
        ~CPaletteCtrl() override;
        CPaletteCtrl(const CPaletteCtrl&) = delete;
        CPaletteCtrl& operator=(const CPaletteCtrl&) = delete;

        void RedrawImage(int index, const RECT& rect, HDC hdc) override;

    private:
        std::array<HBRUSH, kPaletteSize> m_brushes{};
    };

    class CPaletteDlg : public CYolWMUI_OkCancelDlg, public CYolWMUI_ListImageCtrl::MLICtrlObserver {
    public:
        CPaletteDlg();
        std::intptr_t DoModal(HWND parent);
        CPaletteCtrl& Grid() { return m_grid; }

        void OnInitDialog() override;
        void OnImageClick(CYolWMUI_ListImageCtrl* control, int index) override;
        void OnSelectChange(CYolWMUI_ListImageCtrl* control, int index) override;

    private:
        void ShowParts(int index);

        CPaletteCtrl m_grid;
    };

    void OnInitDialog() override;
    int DoDataExchange(int save) override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    HBRUSH OnCtlColor(HDC hdc, HWND control) override;

    // The palette's pick, as button 1039 does it.
    void ChooseFromPalette();

private:
    friend struct CYolWMUI_ColorDlgParts;

    void UpdateAll();
    void RefreshPreview();
    void TakeTrackBar(HWND bar);
    void TakeEdit(int editId);

    unsigned char m_red = 0;
    unsigned char m_green = 0;
    unsigned char m_blue = 0;
    HBRUSH m_previewBrush = nullptr;
};

} // namespace UI
