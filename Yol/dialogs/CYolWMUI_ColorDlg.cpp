#include "CYolWMUI_ColorDlg.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlEdit.h"
#include "Controls/ControlTrackbar.h"
#include "Drawing/Gdi.h"
#include "WindowSystem/Dialog.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"

namespace UI {

namespace {

COLORREF g_result = 0;

// One colour part: its edit and its track bar.
struct TPart {
    int edit;
    int bar;
    unsigned char CYolWMUI_ColorDlg::*value;
};

constexpr int kPreviewId = 1037;
constexpr int kPaletteButtonId = 1039;

// The edits take at most three digits: 0-999, of which the low 8 bits count.
constexpr WPARAM kPartDigits = 3;

COLORREF Compose(unsigned char red, unsigned char green, unsigned char blue)
{
    return static_cast<COLORREF>(red) | static_cast<COLORREF>(green) << 8 | static_cast<COLORREF>(blue) << 16;
}

CYolString Number(unsigned int value)
{
    return CYolString(value, false, 0);
}

} // namespace

// The parts' table needs the private members.
struct CYolWMUI_ColorDlgParts {
    static const TPart* Table()
    {
        static const TPart parts[] = {
            {1014, 1034, &CYolWMUI_ColorDlg::m_red},
            {1017, 1035, &CYolWMUI_ColorDlg::m_green},
            {1015, 1036, &CYolWMUI_ColorDlg::m_blue},
        };
        return parts;
    }
};

CYolWMUI_ColorDlg::CYolWMUI_ColorDlg(COLORREF start)
{
    g_result = start & 0x00FFFFFF;
}

CYolWMUI_ColorDlg::~CYolWMUI_ColorDlg()
{
    if (m_previewBrush)
        DeleteObject(m_previewBrush);
}

std::intptr_t CYolWMUI_ColorDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kColorDlgTemplate, GetYolDialogsInstance(), parent);
}

COLORREF CYolWMUI_ColorDlg::Result()
{
    return g_result;
}

void CYolWMUI_ColorDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    SetDlgItemString(m_hWnd, 1085, 306);
    SetDlgItemString(m_hWnd, 1086, 307);
    SetDlgItemString(m_hWnd, 1087, 308);
    SetDlgItemString(m_hWnd, kPaletteButtonId, 309);
    for (int i = 0; i < 3; ++i) {
        const TPart& part = CYolWMUI_ColorDlgParts::Table()[i];
        SendMessage(GetDlgItem(part.edit), EM_LIMITTEXT, kPartDigits, 0);
        SendMessage(GetDlgItem(part.bar), TBM_SETRANGE, 1, MAKELPARAM(0, 255));
    }
}

int CYolWMUI_ColorDlg::DoDataExchange(int save)
{
    if (save) {
        // A number typed but not yet left counts: OK must not keep the old
        // part and let the edit's later loss of focus change the result
        // behind the caller's back.
        const HWND focus = GetFocus();
        if (focus && GetParent(focus) == m_hWnd)
            TakeEdit(GetDlgCtrlID(focus));
        g_result = Compose(m_red, m_green, m_blue);
        return 1;
    }
    m_red = static_cast<unsigned char>(g_result & 0xFF);
    m_green = static_cast<unsigned char>(g_result >> 8 & 0xFF);
    m_blue = static_cast<unsigned char>(g_result >> 16 & 0xFF);
    UpdateAll();
    return 1;
}

void CYolWMUI_ColorDlg::UpdateAll()
{
    g_result = Compose(m_red, m_green, m_blue);
    for (int i = 0; i < 3; ++i) {
        const TPart& part = CYolWMUI_ColorDlgParts::Table()[i];
        SendMessage(GetDlgItem(part.bar), TBM_SETPOS, 1, this->*part.value);
        SetDlgItemString(m_hWnd, part.edit, Number(this->*part.value));
    }
    RefreshPreview();
}

void CYolWMUI_ColorDlg::RefreshPreview()
{
    g_result = Compose(m_red, m_green, m_blue);
    if (m_previewBrush)
        DeleteObject(m_previewBrush);
    m_previewBrush = CreateSolidBrush(g_result);
    InvalidateRect(GetDlgItem(kPreviewId), nullptr, true);
}

void CYolWMUI_ColorDlg::TakeTrackBar(HWND bar)
{
    for (int i = 0; i < 3; ++i) {
        const TPart& part = CYolWMUI_ColorDlgParts::Table()[i];
        if (GetDlgItem(part.bar) != bar)
            continue;
        const LRESULT position = SendMessage(bar, TBM_GETPOS, 0, 0);
        this->*part.value = static_cast<unsigned char>(position < 0 ? 0 : position > 255 ? 255 : position);
        SetDlgItemString(m_hWnd, part.edit, Number(this->*part.value));
        RefreshPreview();
    }
}

void CYolWMUI_ColorDlg::TakeEdit(int editId)
{
    for (int i = 0; i < 3; ++i) {
        const TPart& part = CYolWMUI_ColorDlgParts::Table()[i];
        if (part.edit != editId)
            continue;
        const unsigned int typed = GetDlgItemString(m_hWnd, editId).Uint(false, 0);
        this->*part.value = static_cast<unsigned char>(typed & 0xFF);
        SendMessage(GetDlgItem(part.bar), TBM_SETPOS, 1, this->*part.value);
        RefreshPreview();
    }
}

int CYolWMUI_ColorDlg::OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_HSCROLL && lParam != 0) {
        TakeTrackBar(reinterpret_cast<HWND>(lParam));
        return 0;
    }
    return CYolWMUI_OkCancelDlg::OnMessage(msg, wParam, lParam);
}

void CYolWMUI_ColorDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    if (code == EN_KILLFOCUS) {
        TakeEdit(id);
        return;
    }
    if (id == IDOK) {
        // Enter in an edit takes its number; the dialog stays open.
        const int focused = GetDlgCtrlID(GetFocus());
        for (int i = 0; i < 3; ++i)
            if (CYolWMUI_ColorDlgParts::Table()[i].edit == focused && GetParent(GetFocus()) == m_hWnd) {
                TakeEdit(focused);
                return;
            }
    }
    if (id == kPaletteButtonId && code == BN_CLICKED) {
        ChooseFromPalette();
        return;
    }
    CYolWMUI_OkCancelDlg::OnCommand(code, id, control);
}

void CYolWMUI_ColorDlg::ChooseFromPalette()
{
    CPaletteDlg palette;
    if (palette.DoModal(m_hWnd) != 1)
        return;
    const int index = PaletteIndex();
    if (index < 0)
        return;
    g_result = PaletteColors()[static_cast<std::size_t>(index)];
    DoDataExchange(0);
}

HBRUSH CYolWMUI_ColorDlg::OnCtlColor(HDC, HWND control)
{
    return control == GetDlgItem(kPreviewId) ? m_previewBrush : nullptr;
}

} // namespace UI
