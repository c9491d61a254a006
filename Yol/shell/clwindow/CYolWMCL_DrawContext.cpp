#include "CYolWMCL_DrawContext.h"

#include "CYolWMSkins_ImageManager.h"
#include "Drawing/Gdi.h"
#include "Shell/ShellScreen.h"
#include "SkinColors.h"
#include "SkinImages.h"
#include "UiHelpers.h"

#include <string>

namespace UI_CL {

using Platform::ScaleX;
using Platform::ScaleY;

namespace {

// Names arrive from the network: "&" is no mnemonic and a line break does
// not start a second line inside the row.
constexpr unsigned int kLiteral = DT_SINGLELINE | DT_NOPREFIX;

COLORREF Skin(Skins::TSkinColor color) { return Skins::GetSkinColor(color); }

Skins::TSkinColor TextColor(CL::CLContactTextColor role) {
    switch (role) {
        case CL::CLContactTextColor::NoGroup:
            return Skins::SKIN_CLR_CONTACT_NOGROUP;
        case CL::CLContactTextColor::Online:
            return Skins::SKIN_CLR_CONTACT_ONLINE;
        case CL::CLContactTextColor::Offline:
            break;
    }
    return Skins::SKIN_CLR_CONTACT_OFFLINE;
}

int Count(const CYolArray<CYolArray<unsigned int>>* columns) { return columns != nullptr ? columns->Count() : 0; }

}  // namespace

CYolWMCL_DrawContext::CYolWMCL_DrawContext(HDC dc, Skins::CYolWMSkins_ImageManager& images, bool dontShowIcons,
                                           unsigned int tickCount)
    : dc(dc), images(images), dontShowIcons(dontShowIcons), tickCount(tickCount) {}

void CYolWMCL_DrawContext::Gradient(const RECT& rect, COLORREF from, COLORREF to) {
    FillVerticalGradient(dc, rect, from, to);
}

void CYolWMCL_DrawContext::Image(int id, int x, int middle) {
    images.Draw(id, dc, POINT{x, middle - ScaleY(8)}, 255);
}

void CYolWMCL_DrawContext::Images(const CYolArray<unsigned int>& ids, int x, int middle) {
    for (int i = 0; i < ids.Count(); ++i)
        Image(static_cast<int>(ids[i]), x, middle);
}

int CYolWMCL_DrawContext::Text(const CYolString& text, int x, int top, int right, int bottom, COLORREF color,
                               unsigned int flags) {
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    std::u16string units = text.ToU16();
    RECT rect{x, top, right, bottom};
    DrawText(dc, units.c_str(), static_cast<int>(units.size()), &rect, flags | kLiteral);
    SIZE size{0, 0};
    if (!GetTextExtentPoint32(dc, units.c_str(), static_cast<int>(units.size()), &size))
        return -1;
    return x + size.cx;
}

void CYolWMCL_DrawContext::DrawSelection(int top, int left, int bottom, int right) {
    RECT rect{left, top, right, bottom};
    Gradient(rect, Skin(Skins::SKIN_CLR_SEL_TOP), Skin(Skins::SKIN_CLR_SEL_BOTTOM));
    HPEN pen = CreatePen(PS_SOLID, 1, Skin(Skins::SKIN_CLR_SEL_FRAME));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void CYolWMCL_DrawContext::DrawAccountRow(int top, int left, int bottom, int right, bool expanded, int icon,
                                          const CYolString& caption, bool highlighted) {
    RECT rect{left, top, right, bottom};
    if (highlighted)
        Gradient(rect, Skin(Skins::SKIN_CLR_ACCOUNT_BOTTOM), Skin(Skins::SKIN_CLR_SEL_TOP));
    else
        Gradient(rect, Skin(Skins::SKIN_CLR_ACCOUNT_TOP), Skin(Skins::SKIN_CLR_ACCOUNT_BOTTOM));
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
    int middle = (top + bottom) / 2;
    images.DrawRect(expanded ? Skins::SKIN_IMG_CL_ROOT_OPENED : Skins::SKIN_IMG_CL_ROOT_CLOSED, dc, left + ScaleX(3),
                    middle - ScaleY(7), left + ScaleX(17), middle + ScaleY(7), true, 255);
    Image(icon, left + ScaleX(20), middle);
    Text(caption, left + ScaleX(37), top, right, bottom - 1, Skin(Skins::SKIN_CLR_ACCOUNT_TEXT),
         DT_VCENTER | DT_NOCLIP | DT_END_ELLIPSIS);
}

void CYolWMCL_DrawContext::DrawGroupRow(int top, int left, int bottom, int right, bool expanded,
                                        const CYolString& caption, bool, int online, int total) {
    int middle = (top + bottom) / 2;
    Image(expanded ? Skins::SKIN_IMG_CL_GROUP_OPENED : Skins::SKIN_IMG_CL_GROUP_CLOSED, left + ScaleX(3), middle);
    int end = Text(caption, left + ScaleX(22), top, right, bottom, Skin(Skins::SKIN_CLR_GROUP_TEXT),
                   DT_VCENTER | DT_NOCLIP);
    if (end < 0 || (online == -1 && total == -1))
        return;
    int x = end + ScaleX(4);
    auto number = [](int n) { return CYolString::FromUtf8(std::to_string(n)); };
    if (online == -1) {
        Text(number(total), x, top, right, bottom, Skin(Skins::SKIN_CLR_GROUP_TOTAL), DT_VCENTER | DT_NOCLIP);
        return;
    }
    x = Text(number(online), x, top, right, bottom, Skin(Skins::SKIN_CLR_GROUP_ONLINE), DT_VCENTER | DT_NOCLIP);
    if (total != -1 && x >= 0)
        Text(CYolString(u"/") + number(total), x, top, right, bottom, Skin(Skins::SKIN_CLR_GROUP_TEXT),
             DT_VCENTER | DT_NOCLIP);
}

void CYolWMCL_DrawContext::DrawContactRow(int top, int left, int bottom, int right, const CL::CYol_CLContactRow& row) {
    int middle = (top + bottom) / 2;
    // Column 0 keeps its place even when empty: the event and typing
    // pictures appear there.
    int leftColumns = dontShowIcons ? 1 : std::max(Count(row.icons), 1);
    Images(CL::ContactFirstColumn(row, tickCount), left + ScaleX(3), middle);
    for (int i = 1; i < leftColumns; ++i)
        Images((*row.icons)[i], left + ScaleX(19 * i + 3), middle);

    int rightColumns = dontShowIcons ? 0 : Count(row.extraIcons);
    for (int i = 0; i < rightColumns; ++i)
        Images((*row.extraIcons)[i], right - ScaleX(16 * i + 19), middle);
    int nameRight = rightColumns > 0 ? right - ScaleX(16 * (rightColumns - 1) + 19) : right;

    Text(row.name, left + ScaleX(19 * leftColumns + 3), top, nameRight, bottom, Skin(TextColor(CL::ContactTextColor(row))),
         DT_VCENTER);
}

}  // namespace UI_CL
