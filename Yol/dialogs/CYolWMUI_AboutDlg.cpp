#include "CYolWMUI_AboutDlg.h"

#include "CYolSystemInfo.h"
#include "Drawing/Font.h"
#include "Drawing/Gdi.h"

#include <cstdio>

namespace UI {

namespace {

constexpr int kTitleId = 1122;
constexpr int kBuildId = 1121;
constexpr int kNoticeId = 1056;
constexpr int kTrademarkString = 244;
constexpr int kOkString = 276;
constexpr COLORREF kTitleColour = RGB(0x41, 0x41, 0x41);

} // namespace

CYolWMUI_AboutDlg::~CYolWMUI_AboutDlg()
{
    if (m_titleFont)
        DeleteObject(m_titleFont);
}

std::intptr_t CYolWMUI_AboutDlg::Run(HWND parent)
{
    return DoModal(kAboutDlgTemplate, GetYolDialogsInstance(), parent);
}

CYolString CYolWMUI_AboutDlg::BuildLine(int version)
{
    char line[32];
    std::snprintf(line, sizeof line, "Build: %.4d", version);
    return CYolString::FromUtf8(line);
}

void CYolWMUI_AboutDlg::OnInitDialog()
{
    CYolWMUI_BigDlg::OnInitDialog();
    LOGFONTW title;
    title.lfHeight = ScaleX(24);
    title.lfWeight = FW_BOLD;
    const char16_t face[] = u"Tahoma";
    std::copy(std::begin(face), std::end(face), title.lfFaceName);
    m_titleFont = CreateFontIndirect(&title);
    SendMessage(GetDlgItem(kTitleId), WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont), 1);
    SetDlgItemString(m_hWnd, kTitleId, CYolString(u"Yol PDA"));
    SetDlgItemString(m_hWnd, kBuildId, BuildLine(CYolSystemInfo::YolVersion()));
    CYolString notice(u"Yol PDA, a multi-account instant-messaging client.\r\n\r\n");
    notice += DialogString(kTrademarkString);
    SetDlgItemString(m_hWnd, kNoticeId, notice);
}

HBRUSH CYolWMUI_AboutDlg::OnCtlColor(HDC hdc, HWND control)
{
    if (control != GetDlgItem(kTitleId))
        return nullptr;
    POINT origin{0, 0};
    ClientToScreen(control, &origin);
    SetBrushOrgEx(hdc, -origin.x, -origin.y, nullptr);
    SetTextColor(hdc, kTitleColour);
    SetBkMode(hdc, TRANSPARENT);
    return GetBkBrush();
}

int CYolWMUI_AboutDlg::GetSoftKeyCap(TSoftKey key, CYolString& caption)
{
    if (key != ELeft)
        return 0;
    caption = DialogString(kOkString);
    return 1;
}

void CYolWMUI_AboutDlg::OnSoftKey(TSoftKey key)
{
    if (key == ELeft)
        EndDialog(1);
}

} // namespace UI
