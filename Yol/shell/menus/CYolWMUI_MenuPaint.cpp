// Drawing of the pop-up menu: gradient, title, entries, border.

#include "CYolWMUI_Menu.h"

#include "CYolWMUI_MenuFont.h"
#include "MYolWMUI_Skin.h"
#include "Shell/ShellScreen.h"
#include "UiHelpers.h"
#include "WindowSystem/WindowFocus.h"

namespace UI {

namespace {

using Data = CYolWMUI_Menu::CYolWMUI_MenuData;

// A round-cornered cell in one colour, filled or outlined.
void Cell(HDC dc, const RECT& r, COLORREF colour, bool filled)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HBRUSH brush = filled ? CreateSolidBrush(colour) : nullptr;
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, filled ? brush : GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 3, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    if (brush != nullptr)
        DeleteObject(brush);
    DeleteObject(pen);
}

void Line(HDC dc, int x1, int y, int x2, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y, nullptr);
    LineTo(dc, x2, y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void Text(HDC dc, const CYolString& text, RECT r, COLORREF colour, UINT extra)
{
    SetTextColor(dc, colour);
    DrawText(dc, text.c_str(), text.Length(), &r, DT_NOPREFIX | DT_NOCLIP | extra);
}

} // namespace

void CYolWMUI_Menu::Paint(HDC hdc)
{
    MYolWMUI_Skin& skin = ShellSkin();
    RECT client{0, 0, 0, 0};
    GetClientRect(m_hWnd, &client);

    FillVerticalGradient(hdc, client, skin.GetSkinColor(Skins::SKIN_CLR_MENU_TOP),
                         skin.GetSkinColor(Skins::SKIN_CLR_MENU_BOTTOM));
    SetBkMode(hdc, TRANSPARENT);

    CMenuFont font;
    HGDIOBJ oldFont = SelectObject(hdc, font.font);
    if (m_data->HasTitle()) {
        const Data::TItem& title = m_data->title;
        Text(hdc, title.caption,
             RECT{title.x, title.y, title.x + title.width, title.y + Platform::ScaleY(13)},
             skin.GetSkinColor(Skins::SKIN_CLR_MENU_TITLE), 0);
    }
    const bool focused = GetFocus() == m_hWnd;
    for (int i = 0; i < m_data->Count(); ++i)
        PaintItem(hdc, i, focused);
    SelectObject(hdc, oldFont);

    HBRUSH border = CreateSolidBrush(skin.GetSkinColor(Skins::SKIN_CLR_MENU_BORDER));
    FrameRect(hdc, &client, border);
    DeleteObject(border);
}

void CYolWMUI_Menu::PaintItem(HDC hdc, int index, bool focused)
{
    MYolWMUI_Skin& skin = ShellSkin();
    const Data::TItem& item = m_data->items[index];
    const SIZE cell = m_data->itemSize;
    const RECT r{item.x + m_scroll, item.y, item.x + m_scroll + cell.cx, item.y + cell.cy};
    const bool inactive = (item.style & Data::EInactive) != 0;
    const bool current = index == m_current;

    if (current)
        Cell(hdc, r, skin.GetSkinColor(Skins::SKIN_CLR_MENU_HIGHLIGHT), focused && !inactive);
    else if (item.style & Data::EMarked)
        Cell(hdc, r, skin.GetSkinColor(Skins::SKIN_CLR_MENU_CHECKED), true);

    const int image = Platform::ScaleX(16);
    int x = r.left + m_data->gapX;
    if (!m_data->noImages) {
        const bool centred = cell.cx == cell.cy && item.caption.IsEmpty() && !(item.style & Data::ESubMenu);
        const POINT at{centred ? r.left + (cell.cx - image) / 2 : x, r.top + (cell.cy - Platform::ScaleY(16)) / 2};
        for (unsigned int id : item.images)
            skin.DrawImage(hdc, static_cast<int>(id), at, 255);
        x += Platform::ScaleX(19);
    }
    if (!item.caption.IsEmpty()) {
        COLORREF colour = skin.GetSkinColor(Skins::SKIN_CLR_MENU_TEXT);
        if (inactive)
            colour = skin.GetSkinColor(Skins::SKIN_CLR_MENU_DISABLED);
        else if (current && focused)
            colour = skin.GetSkinColor(Skins::SKIN_CLR_MENU_HOT_TEXT);
        Text(hdc, item.caption, RECT{x, r.top, x + item.width, r.bottom}, colour, DT_VCENTER | DT_SINGLELINE);
    }
    if (item.style & Data::ESubMenu)
        skin.DrawImage(hdc, Skins::SKIN_IMG_CL_GROUP_CLOSED, POINT{r.right - image, r.top + (cell.cy - Platform::ScaleY(16)) / 2},
                       255);
    if (item.style & Data::ELineBelow)
        Line(hdc, r.left + Platform::ScaleX(15), r.bottom + (m_data->gapY - 1) / 2, r.right - Platform::ScaleX(15),
             skin.GetSkinColor(Skins::SKIN_CLR_MENU_SEPARATOR));
}

} // namespace UI
