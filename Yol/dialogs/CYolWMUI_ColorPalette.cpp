// The colour dialog's palette: the 128 colours, the grid that draws them and
// the dialog around the grid.

#include "CYolWMUI_ColorDlg.h"

#include "Controls/ControlEdit.h"
#include "Drawing/Gdi.h"
#include "WindowSystem/WindowFocus.h"

#include <algorithm>

namespace UI {

namespace {

constexpr int kPlaceholderId = 1043;
constexpr int kPartEdits[] = {1040, 1041, 1042};
constexpr int kPartLabels[][2] = {{1088, 306}, {1089, 307}, {1090, 308}};

// The grid's sizes in logical pixels, as the placeholder's space is shared
// out: 8 across and 16 down per cell, 9 and 17 for the frame.
constexpr int kCellStepX = 8;
constexpr int kCellStepY = 16;
constexpr int kFrameX = 9;
constexpr int kFrameY = 17;

int g_paletteIndex = -1;

std::array<COLORREF, CYolWMUI_ColorDlg::kPaletteSize> MakePalette()
{
    std::array<COLORREF, CYolWMUI_ColorDlg::kPaletteSize> colours{};
    std::size_t n = 0;
    int cube = 0;
    for (int blue = 0; blue <= 204; blue += 51)
        for (int green = 0; green <= 204; green += 51)
            for (int red = 0; red <= 204; red += 51) {
                colours[n++] = RGB(red, green, blue);
                ++cube;
                if (cube == 5)
                    colours[n++] = RGB(255, 0, 0);
                if (cube == 25)
                    colours[n++] = RGB(0, 255, 0);
            }
    colours[n] = RGB(0, 0, 255);
    return colours;
}

} // namespace

const std::array<COLORREF, CYolWMUI_ColorDlg::kPaletteSize>& CYolWMUI_ColorDlg::PaletteColors()
{
    static const std::array<COLORREF, kPaletteSize> colours = MakePalette();
    return colours;
}

int CYolWMUI_ColorDlg::PaletteIndex()
{
    return g_paletteIndex >= 0 && g_paletteIndex < kPaletteSize ? g_paletteIndex : -1;
}

void CYolWMUI_ColorDlg::SetPaletteIndex(int index)
{
    g_paletteIndex = index >= 0 && index < kPaletteSize ? index : -1;
}

CYolWMUI_ColorDlg::CPaletteCtrl::CPaletteCtrl(MLICtrlObserver* observer)
    : CYolWMUI_ListImageCtrl(observer, kPaletteSize, ScaleX(kCellStepX) - 1, ScaleY(kCellStepY) - 1, 1, 1)
{
    for (std::size_t i = 0; i < m_brushes.size(); ++i)
        m_brushes[i] = CreateSolidBrush(PaletteColors()[i]);
}

CYolWMUI_ColorDlg::CPaletteCtrl::~CPaletteCtrl()
{
    for (HBRUSH brush : m_brushes)
        DeleteObject(brush);
}

void CYolWMUI_ColorDlg::CPaletteCtrl::RedrawImage(int index, const RECT& rect, HDC hdc)
{
    if (index < 0 || index >= kPaletteSize)
        return;
    HPEN pen = CreatePen(PS_SOLID, 1, PaletteColors()[static_cast<std::size_t>(index)]);
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    HGDIOBJ oldBrush = SelectObject(hdc, m_brushes[static_cast<std::size_t>(index)]);
    RoundRect(hdc, rect.left, rect.top, rect.right, rect.bottom, ScaleX(3), ScaleY(3));
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    DeleteObject(pen);
}

CYolWMUI_ColorDlg::CPaletteDlg::CPaletteDlg() : m_grid(this) {}

std::intptr_t CYolWMUI_ColorDlg::CPaletteDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kPaletteCellsDlgTemplate, GetYolDialogsInstance(), parent);
}

void CYolWMUI_ColorDlg::CPaletteDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    for (const auto& label : kPartLabels)
        SetDlgItemString(m_hWnd, label[0], label[1]);
    for (int edit : kPartEdits)
        SendMessage(GetDlgItem(edit), EM_LIMITTEXT, 3, 0);

    const HWND placeholder = GetDlgItem(kPlaceholderId);
    RECT r;
    GetWindowRect(placeholder, &r);
    POINT origin{r.left, r.top};
    ScreenToClient(m_hWnd, &origin);
    const int stepX = ScaleX(kCellStepX);
    const int stepY = ScaleY(kCellStepY);
    const int columns = std::max((r.right - r.left - ScaleX(kFrameX)) / stepX, 1);
    const int rows = std::max((r.bottom - r.top - ScaleY(kFrameY)) / stepY, 1);
    ShowWindow(placeholder, SW_HIDE);
    m_grid.Create(GetYolDialogsInstance(), m_hWnd, WS_VISIBLE | WS_TABSTOP,
                  RECT{origin.x, origin.y, origin.x + columns * stepX + ScaleX(kFrameX),
                       origin.y + rows * stepY + ScaleY(kFrameY)});
    SetFocus(m_grid);
    const int remembered = PaletteIndex();
    m_grid.SetSelectImage(remembered);
    if (remembered >= 0)
        ShowParts(remembered);
}

void CYolWMUI_ColorDlg::CPaletteDlg::ShowParts(int index)
{
    if (index < 0 || index >= kPaletteSize)
        return;
    const COLORREF colour = PaletteColors()[static_cast<std::size_t>(index)];
    const unsigned int parts[] = {colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF};
    for (int i = 0; i < 3; ++i)
        SetDlgItemString(m_hWnd, kPartEdits[i], CYolString(parts[i], false, 0));
}

void CYolWMUI_ColorDlg::CPaletteDlg::OnImageClick(CYolWMUI_ListImageCtrl*, int index)
{
    OnSelectChange(nullptr, index);
}

void CYolWMUI_ColorDlg::CPaletteDlg::OnSelectChange(CYolWMUI_ListImageCtrl*, int index)
{
    SetPaletteIndex(index);
    ShowParts(index);
}

} // namespace UI
