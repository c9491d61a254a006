#include "CYolWMUI_FontDlg.h"

#include "Controls/ControlButton.h"
#include "Controls/ControlCombo.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowPaint.h"

#include <algorithm>
#include <cstdlib>

namespace UI {

namespace {

constexpr int kFaceListId = 1032;
constexpr int kSizeListId = 1014;
constexpr int kBoldId = 1049;
constexpr int kItalicId = 1050;
constexpr int kUnderlineId = 1051;
constexpr int kStrikeId = 1019;
constexpr int kPreviewId = 1056;

constexpr int kLabels[][2] = {{1083, 290}, {1084, 291}, {1114, 292}, {1115, 293}, {1116, 294}, {1117, 295}};
// The style boxes and the record's byte each one sets.
constexpr struct {
    int id;
    std::uint8_t LOGFONTW::*flag;
} kStyleBoxes[] = {{kItalicId, &LOGFONTW::lfItalic}, {kUnderlineId, &LOGFONTW::lfUnderline},
                   {kStrikeId, &LOGFONTW::lfStrikeOut}};

LOGFONTW MakeDefaultFont()
{
    LOGFONTW font;
    font.lfHeight = 14;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    const char16_t face[] = u"Tahoma";
    std::copy(std::begin(face), std::end(face), font.lfFaceName);
    return font;
}

LOGFONTW g_font = MakeDefaultFont();

// Puts at most LF_FACESIZE - 1 characters of `face` and a terminator into
// the record: a face from a settings record or a long family name from the
// system never runs past the field.
void SetFace(LOGFONTW& font, const char16_t* face, std::size_t length)
{
    const std::size_t n = std::min<std::size_t>(length, LF_FACESIZE - 1);
    std::copy(face, face + n, font.lfFaceName);
    std::fill(font.lfFaceName + n, font.lfFaceName + LF_FACESIZE, u'\0');
}

std::size_t FaceLength(const LOGFONTW& font)
{
    return static_cast<std::size_t>(std::find(font.lfFaceName, font.lfFaceName + LF_FACESIZE, u'\0') -
                                    font.lfFaceName);
}

bool IsChecked(HWND box)
{
    return SendMessage(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Check(HWND box, bool on)
{
    SendMessage(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

int AddFace(const LOGFONTW* font, LPARAM combo)
{
    if (font) {
        LOGFONTW bounded;
        SetFace(bounded, font->lfFaceName, FaceLength(*font));
        SendMessage(reinterpret_cast<HWND>(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(bounded.lfFaceName));
    }
    return 1;
}

} // namespace

CYolWMUI_FontDlg::CYolWMUI_FontDlg(const LOGFONTW& start)
{
    g_font = start;
    SetFace(g_font, start.lfFaceName, FaceLength(start));
}

CYolWMUI_FontDlg::~CYolWMUI_FontDlg()
{
    if (m_previewFont)
        DeleteObject(m_previewFont);
}

std::intptr_t CYolWMUI_FontDlg::DoModal(HWND parent)
{
    return CYolWMUI_Dlg::DoModal(kFontDlgTemplate, GetYolDialogsInstance(), parent);
}

const LOGFONTW& CYolWMUI_FontDlg::Result()
{
    return g_font;
}

int CYolWMUI_FontDlg::ScaleHeight(int height)
{
    const long long magnitude = std::llabs(static_cast<long long>(height));
    const long long scaled = (magnitude * Platform::GetScreen().dpiY + 48) / 96;
    return static_cast<int>(height < 0 ? -scaled : scaled);
}

void CYolWMUI_FontDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    for (const auto& label : kLabels)
        SetDlgItemString(m_hWnd, label[0], label[1]);
    FillFaces();
    FillSizes();
    SetDlgItemString(m_hWnd, kPreviewId, 296);
}

void CYolWMUI_FontDlg::FillFaces()
{
    const HWND list = GetDlgItem(kFaceListId);
    HDC dc = GetDC(m_hWnd);
    EnumFontFamilies(dc, nullptr, AddFace, reinterpret_cast<LPARAM>(list));
    ReleaseDC(m_hWnd, dc);
    const CYolString face(g_font.lfFaceName, static_cast<int>(FaceLength(g_font)));
    const LRESULT count = SendMessage(list, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        if (GetComboText(list, i) == face) {
            SendMessage(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            break;
        }
    if (GetComboSelection(list) < 0)
        SendMessage(list, CB_SETCURSEL, 0, 0);
}

void CYolWMUI_FontDlg::FillSizes()
{
    const HWND list = GetDlgItem(kSizeListId);
    int selected = kFallbackSizeIndex;
    for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i) {
        const CYolString text(static_cast<unsigned int>(kSizes[i]), false, 0);
        const LRESULT added = SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (added == CB_ERR || added < 0)
            break;
        if (kSizes[i] == g_font.lfHeight)
            selected = i;
    }
    SendMessage(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

LOGFONTW CYolWMUI_FontDlg::Chosen() const
{
    LOGFONTW font = g_font;
    const HWND faces = GetDlgItem(kFaceListId);
    const CYolString face = GetComboText(faces, GetComboSelection(faces));
    if (!face.IsEmpty())
        SetFace(font, face.c_str(), static_cast<std::size_t>(face.Length()));
    const int size = GetComboSelection(GetDlgItem(kSizeListId));
    if (size >= 0 && size < static_cast<int>(std::size(kSizes)))
        font.lfHeight = kSizes[size];
    font.lfWeight = IsChecked(GetDlgItem(kBoldId)) ? FW_BOLD : FW_NORMAL;
    for (const auto& box : kStyleBoxes)
        font.*box.flag = IsChecked(GetDlgItem(box.id)) ? 1 : 0;
    return font;
}

void CYolWMUI_FontDlg::MakePreview()
{
    const HWND preview = GetDlgItem(kPreviewId);
    SendMessage(preview, WM_SETFONT, 0, 0);
    if (m_previewFont)
        DeleteObject(m_previewFont);
    LOGFONTW font = Chosen();
    font.lfHeight = ScaleHeight(font.lfHeight);
    m_previewFont = CreateFontIndirect(&font);
    SendMessage(preview, WM_SETFONT, reinterpret_cast<WPARAM>(m_previewFont), 1);
}

int CYolWMUI_FontDlg::DoDataExchange(int save)
{
    if (save) {
        g_font = Chosen();
        return 1;
    }
    Check(GetDlgItem(kBoldId), g_font.lfWeight == FW_BOLD);
    for (const auto& box : kStyleBoxes)
        Check(GetDlgItem(box.id), g_font.*box.flag != 0);
    MakePreview();
    return 1;
}

void CYolWMUI_FontDlg::OnCommand(unsigned short code, unsigned short id, HWND control)
{
    const bool box = code == BN_CLICKED && (id == kBoldId || id == kItalicId || id == kUnderlineId || id == kStrikeId);
    const bool list = code == CBN_SELCHANGE && (id == kFaceListId || id == kSizeListId);
    if (box || list) {
        MakePreview();
        return;
    }
    CYolWMUI_OkCancelDlg::OnCommand(code, id, control);
}

} // namespace UI
