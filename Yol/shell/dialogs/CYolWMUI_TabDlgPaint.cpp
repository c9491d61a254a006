// Painting the strip: the face, the current tab opened onto the pane above
// it, the images (or the flash image every other half second), captions,
// separators and the scroll arrows.

#include "CYolWMUI_TabDlg.h"

#include "CYolClock.h"
#include "MYolWMUI_Skin.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowFocus.h"

namespace UI {

namespace {

void Line(HDC hdc, int x1, int y1, int x2, int y2)
{
    MoveToEx(hdc, x1, y1, nullptr);
    LineTo(hdc, x2, y2);
}

int ImageTop(const RECT& strip)
{
    return (strip.top + strip.bottom - Platform::ScaleY(16)) / 2;
}

} // namespace

bool CYolWMUI_TabDlg::CutAtRight() const
{
    int x = m_strip.left;
    for (int i = m_first; i < m_tabs.Count(); ++i) {
        x += m_tabs[i]->width;
        if (x >= m_strip.right)
            return true;
    }
    return false;
}

void CYolWMUI_TabDlg::Paint(HDC hdc)
{
    PaintStrip(hdc);
}

void CYolWMUI_TabDlg::PaintStrip(HDC hdc)
{
    if (m_strip.bottom <= m_strip.top)
        return;
    FillRect(hdc, &m_strip, GetSysColorBrush(COLOR_BTNFACE));
    HPEN frame = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
    HGDIOBJ oldPen = SelectObject(hdc, frame);
    HGDIOBJ oldFont = SelectObject(hdc, m_font);
    Line(hdc, m_strip.left, m_strip.top, m_strip.right, m_strip.top);

    int x = m_strip.left;
    for (int i = m_first; i < m_tabs.Count(); ++i) {
        PaintTab(hdc, *m_tabs[i], i, x);
        x += m_tabs[i]->width;
        if (x >= m_strip.right)
            break;
        Line(hdc, x, m_strip.top, x, m_strip.bottom);
    }
    const int top = ImageTop(m_strip);
    if (CutAtRight())
        ShellSkin().DrawImage(hdc, 51, POINT{m_strip.right - 2 * Platform::ScaleX(16), top}, 255);
    if (m_first > 0)
        ShellSkin().DrawImage(hdc, 52, POINT{m_strip.right - Platform::ScaleX(50), top}, 255);

    SelectObject(hdc, oldFont);
    SelectObject(hdc, oldPen);
    DeleteObject(frame);
}

void CYolWMUI_TabDlg::PaintTab(HDC hdc, const TTab& tab, int index, int x)
{
    if (index == m_cur) {
        // The current tab opens onto its pane: the pane's background, no
        // line between them.
        RECT open{x, m_strip.top - 1, x + tab.width, m_strip.bottom};
        FillRect(hdc, &open, GetBkBrush());
        if (index > 0)
            Line(hdc, x, m_strip.top, x, m_strip.bottom);
        if (m_stripFocused) {
            const int middle = (m_strip.top + m_strip.bottom) / 2;
            HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
            RECT focus{x + Platform::ScaleX(3), middle - Platform::ScaleY(9), x + tab.width - Platform::ScaleX(3),
                       middle + Platform::ScaleY(9)};
            FrameRect(hdc, &focus, highlight);
        }
    }
    const POINT at{x + Platform::ScaleX(4), ImageTop(m_strip)};
    if (tab.flashImage != -1) {
        if ((CYolClock::Current().TickCount() / kFlashPeriod) % 2 == 1)
            ShellSkin().DrawImage(hdc, tab.flashImage, at, 255);
    } else {
        for (int i = 0; i < tab.images.Count(); ++i)
            ShellSkin().DrawImage(hdc, static_cast<int>(tab.images[i]), at, 255);
    }
    RECT text{x + Platform::ScaleX(4) + (tab.images.Count() > 0 ? Platform::ScaleX(20) : 0), m_strip.top,
              x + tab.width, m_strip.bottom};
    DrawText(hdc, tab.caption.c_str(), tab.caption.Length(), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

} // namespace UI
