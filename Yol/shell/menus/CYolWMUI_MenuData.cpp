#include "CYolWMUI_Menu.h"

#include "Shell/ShellScreen.h"

#include <algorithm>

namespace UI {

using Data = CYolWMUI_Menu::CYolWMUI_MenuData;

void Data::Build(const CYolMenuInfo& menu, const RECT& area, const POINT& anchor, TAlign align, bool wideItems,
                 const TMeasure& measure)
{
    bounds = area;
    gapX = Platform::ScaleX(1);
    gapY = Platform::ScaleY(1);
    AddEntries(menu, measure);
    const CYolString heading = menu.title.GetLocalized();
    title = TItem();
    if (!heading.IsEmpty()) {
        title.style = ETitle;
        title.caption = heading;
        title.x = Platform::ScaleX(11);
        title.y = Platform::ScaleY(2);
        title.width = measure(heading, true) + 2 * Platform::ScaleX(10);
    }
    LayOut(wideItems);
    Place(anchor, align);
}

void Data::AddEntries(const CYolMenuInfo& menu, const TMeasure& measure)
{
    items.Clear();
    items.SetGrowStep(10);
    noImages = true;
    for (const CYolMenuItemInfo& entry : menu) {
        if (entry.kind == CYolMenuItemInfo::Separator) {
            // A separator is the line under the entry before it.
            if (items.Count() > 0)
                items[items.Count() - 1].style |= ELineBelow;
            continue;
        }
        TItem item;
        item.style = entry.kind == CYolMenuItemInfo::Inactive  ? EInactive
                     : entry.kind == CYolMenuItemInfo::SubMenu ? ESubMenu
                                                               : ENormal;
        if (entry.marked)
            item.style |= EMarked;
        item.caption = entry.caption.GetLocalized();
        item.images = entry.images;
        item.subMenu = entry.subMenu;
        item.callback = entry.callback;
        item.commandId = entry.commandId;
        item.context = entry.context;
        item.menuContext = menu.context;
        if (item.images.Count() > 0)
            noImages = false;
        items.Add(std::move(item));
    }
    for (TItem& item : items) {
        int width = noImages ? 0 : Platform::ScaleX(16);
        if (!item.caption.IsEmpty())
            width += (noImages ? 0 : Platform::ScaleX(3)) + measure(item.caption, false);
        if (item.style & ESubMenu)
            width += Platform::ScaleX(11);
        item.width = width;
    }
}

void Data::LayOut(bool wideItems)
{
    const int n = items.Count();
    const int h = std::max(1, Platform::ScaleY(wideItems ? 25 : 16));
    int w = h;
    for (const TItem& item : items)
        w = std::max(w, item.width);
    const int band = HasTitle() ? Platform::ScaleY(16) + 2 * gapY : 0;

    // Bounds lower than one row still get one row: the menu then runs past
    // them rather than dividing by nothing.
    const int fit = std::max(1, (static_cast<int>(bounds.bottom - bounds.top) - 2 * gapY - band) / (h + gapY));
    columns = n > 0 ? (n - 1) / fit + 1 : 1;
    rows = n > 0 ? (n - 1) / columns + 1 : 0;

    if (HasTitle() && columns * (w + gapX) - gapX < title.width) {
        w = (title.width + gapX) / columns - gapX;
        w = std::min<int>(w, bounds.right - bounds.left - 2);
    }
    for (int m = 0; m < n; ++m) {
        items[m].x = gapX + (m / rows) * (w + gapX);
        items[m].y = gapY + (m % rows) * (h + gapY) + band;
    }
    itemSize = SIZE{w, h};
    menuSize = SIZE{gapX + columns * (w + gapX), gapY + rows * (h + gapY) + band};
}

void Data::Place(const POINT& anchor, TAlign align)
{
    const int width = menuSize.cx;
    const int height = menuSize.cy;
    struct Offset {
        int x2;  // half-widths to move left
        int y2;  // half-heights to move up
    };
    static constexpr Offset kOffsets[] = {{0, 0}, {1, 0}, {2, 0}, {0, 2}, {1, 2}, {2, 2}, {0, 1}, {2, 1}};
    const Offset offset = kOffsets[align >= ETopLeft && align <= ERightMiddle ? align : ETopLeft];
    int x = anchor.x - offset.x2 * width / 2;
    int y = anchor.y - offset.y2 * height / 2;
    if (x + width > bounds.right)
        x = std::max<int>(bounds.left, bounds.right - width);
    else if (x < bounds.left)
        x = bounds.left;
    if (y + height > bounds.bottom)
        y = std::max<int>(bounds.top, bounds.bottom - height);
    else if (y < bounds.top)
        y = bounds.top;
    const RECT placed{x, y, x + width, y + height};
    if (!IntersectRect(&windowRect, &placed, &bounds))
        windowRect = placed;
}

} // namespace UI
