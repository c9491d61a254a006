#include "CYolWMMW_HistCtrl.h"

#include "CYolWMSmile_Set.h"
#include "MYolWMUI_Skin.h"
#include "Shell/ShellScreen.h"

namespace MW {

namespace {

constexpr int kIconAlpha = 255;

int ScaledX(int n)
{
    return (g_HIDPI_LogPixelsX * n + 48) / 96;
}

const Smile::CYolWMSmile* SmileOf(int index)
{
    const Smile::CYolWMSmile_Set* set = Smile::CYolWMSmile_Set::Current();
    return set != nullptr ? set->Get(index) : nullptr;
}

} // namespace

void CYolWMMW_HistCtrl::CMsgIcon::GetSize(SIZE* size)
{
    size->cx = (g_HIDPI_LogPixelsX + 3) * 16 / 96;
    size->cy = (g_HIDPI_LogPixelsY + 3) * 16 / 96;
}

void CYolWMMW_HistCtrl::CMsgIcon::Draw(HDC hdc, POINT topLeft)
{
    UI::ShellSkin().DrawImage(hdc, static_cast<int>(iconId), topLeft, kIconAlpha);
}

void CYolWMMW_HistCtrl::CHistSep::GetSize(SIZE* size)
{
    size->cx = ScaledX(100);
    size->cy = 1;
}

void CYolWMMW_HistCtrl::CHistSep::Draw(HDC hdc, POINT topLeft)
{
    HPEN pen = CreatePen(PS_DASH, 1, UI::ShellSkin().GetSkinColor(Skins::SKIN_CLR_HIST_SEPARATOR));
    HGDIOBJ old = SelectObject(hdc, pen);
    MoveToEx(hdc, topLeft.x + ScaledX(5), topLeft.y, nullptr);
    LineTo(hdc, topLeft.x + ScaledX(100), topLeft.y);
    SelectObject(hdc, old);
    DeleteObject(pen);
}

void CYolWMMW_HistCtrl::CSmilePicture::GetSize(SIZE* size)
{
    *size = SIZE{0, 0};
    if (const Smile::CYolWMSmile* smile = SmileOf(anim.Smile()))
        smile->GetSize(*size);
}

void CYolWMMW_HistCtrl::CSmilePicture::Draw(HDC hdc, POINT topLeft)
{
    if (const Smile::CYolWMSmile* smile = SmileOf(anim.Smile()))
        smile->DrawFrame(anim.Frame(), hdc, topLeft);
}

const char16_t* CYolWMMW_HistCtrl::CSmilePicture::GetText()
{
    const Smile::CYolWMSmile* smile = SmileOf(anim.Smile());
    m_text = smile != nullptr && code >= 0 && code < smile->Codes().Count() ? smile->Codes()[code] : CYolString();
    return m_text.c_str();
}

} // namespace MW
