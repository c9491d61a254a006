#include "CYolWMUI_StoreSkin.h"

#include "SkinColors.h"

namespace UI {

COLORREF CYolWMUI_StoreSkin::GetSkinColor(int index)
{
    return Skins::GetSkinColor(index);
}

void CYolWMUI_StoreSkin::DrawImage(HDC dc, int imageId, const POINT& at, int alpha)
{
    images.Draw(imageId, dc, at, alpha);
}

void CYolWMUI_StoreSkin::DrawImageRect(HDC dc, int imageId, const RECT& rect, int alpha)
{
    images.DrawRect(imageId, dc, rect.left, rect.top, rect.right, rect.bottom, true, alpha);
}

HBRUSH CYolWMUI_StoreSkin::GetBkBrush()
{
    HBRUSH brush = background.GetBrush();
    return brush != nullptr ? brush : GetSysColorBrush(COLOR_WINDOW);
}

} // namespace UI
