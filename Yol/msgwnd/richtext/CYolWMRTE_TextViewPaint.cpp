// Painting the visible paragraphs: text in each kind's font and colour,
// pictures, and the selection on its own background. The window has
// already filled the background.

#include "CYolWMRTE_TextView.h"

#include "Drawing/Gdi.h"

#include <algorithm>
#include <vector>

namespace RTE {

void CYolWMRTE_TextView::Paint(HDC hdc)
{
    int first = -1;
    int last = -1;
    m_layout->GetVisibleParas(m_rect, first, last);
    if (first < 0)
        return;
    HGDIOBJ oldFont = nullptr;
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    for (int p = first; p <= last && p < ParaCount(); ++p) {
        const CYolWMRTE_ParaLayout* para = m_layout->Para(p);
        const int originX = para->X() - m_rect.left;
        const int originY = para->Y() - m_rect.top;
        for (const CYolWMRTE_ParaLayoutSlice* slice : para->Slices())
            PaintSlice(hdc, p, originX, originY, *slice, oldFont);
    }
    if (oldFont != nullptr)
        SelectObject(hdc, oldFont);
    SetBkMode(hdc, oldMode);
}

void CYolWMRTE_TextView::PaintSlice(HDC hdc, int para, int originX, int originY,
                                    const CYolWMRTE_ParaLayoutSlice& slice, HGDIOBJ& oldFont)
{
    const int left = originX + slice.x;
    const int top = originY + slice.y;
    COLORREF selectedText = 0;
    COLORREF selectionBackground = 0;
    m_observer->GetColors(selectedText, selectionBackground);
    if (slice.IsPicture()) {
        if (IsSelected(para, slice.start)) {
            RECT r{left, top, left + slice.width, top + slice.height};
            HBRUSH brush = CreateSolidBrush(selectionBackground);
            FillRect(hdc, &r, brush);
            DeleteObject(brush);
        }
        if (slice.picture != nullptr)
            slice.picture->Draw(hdc, POINT{left, top});
        return;
    }
    if (slice.length <= 0)
        return;
    TPartFont part;
    m_observer->GetPartFont(part, slice.kind);
    if (part.font != nullptr) {
        HGDIOBJ previous = SelectObject(hdc, part.font);
        if (oldFont == nullptr)
            oldFont = previous;
    }
    const char16_t* text = (*m_document)[para]->Text() + slice.start;

    // The selected characters of the slice, [from, to) in slice indexes.
    int from = slice.length;
    int to = slice.length;
    if (HasSelection() && para >= m_selStart.para && para <= m_selEnd.para) {
        const int low = para == m_selStart.para ? m_selStart.ch : slice.start;
        const int high = para == m_selEnd.para ? m_selEnd.ch : slice.start + slice.length - 1;
        from = std::clamp(low - slice.start, 0, slice.length);
        to = std::clamp(high - slice.start + 1, from, slice.length);
        if (from >= to)
            from = to = slice.length;
    }
    std::vector<int> extents(slice.length);
    GetTextExtentExPoint(hdc, text, slice.length, 0, nullptr, extents.data(), nullptr);
    auto offset = [&extents](int k) { return k > 0 ? extents[k - 1] : 0; };
    auto draw = [&](int a, int b, bool selected) {
        if (a >= b)
            return;
        RECT r{left + offset(a), top, left + offset(b), top + slice.height};
        SetTextColor(hdc, selected ? selectedText : part.color);
        if (selected) {
            SetBkColor(hdc, selectionBackground);
            SetBkMode(hdc, OPAQUE);
        }
        DrawText(hdc, text + a, b - a, &r, DT_NOPREFIX | DT_NOCLIP);
        SetBkMode(hdc, TRANSPARENT);
    };
    draw(0, from, false);
    draw(from, to, true);
    draw(to, slice.length, false);
}

} // namespace RTE
