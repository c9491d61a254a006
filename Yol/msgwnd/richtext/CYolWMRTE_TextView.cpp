#include "CYolWMRTE_TextView.h"

#include <algorithm>

namespace RTE {

namespace {

// Selection ends are characters: only paragraph and character count.
bool CharBefore(const TPosition& a, const TPosition& b)
{
    return a.para != b.para ? a.para < b.para : a.ch < b.ch;
}

bool SameChar(const TPosition& a, const TPosition& b) { return a.para == b.para && a.ch == b.ch; }

} // namespace

CYolWMRTE_TextView::CYolWMRTE_TextView(const TDocument* document, const CYolWMRTE_TextLayout* layout,
                                       MObserver* observer, const RECT& rect)
    : m_document(document), m_layout(layout), m_observer(observer), m_rect(rect)
{
}

void CYolWMRTE_TextView::Reset()
{
    SetTop(0);
    m_caret = TPosition{};
    RemoveSelection();
}

void CYolWMRTE_TextView::SetTop(int top)
{
    const int height = m_rect.bottom - m_rect.top;
    m_rect.top = top;
    m_rect.bottom = top + height;
}

void CYolWMRTE_TextView::SetHeight(int height, bool keepBottom)
{
    if (keepBottom && m_layout->GetHeight() > height) {
        m_rect.top = m_rect.bottom - height;
        if (m_rect.top < 0) {
            m_rect.top = 0;
            m_rect.bottom = height;
        }
        return;
    }
    m_rect.bottom = m_rect.top + height;
}

TCaretPoint CYolWMRTE_TextView::GetCaretPoint() const
{
    if (m_layout->LaidOutCount() == 0)
        return TCaretPoint{};
    TCaretPoint point = m_layout->PositionToPoint(m_caret);
    point.x -= m_rect.left;
    point.y -= m_rect.top;
    return point;
}

void CYolWMRTE_TextView::GetCaretLine(int& top, int& bottom) const
{
    top = bottom = 0;
    if (m_layout->LaidOutCount() == 0)
        return;
    const TLineRect line = m_layout->GetLineRect(m_caret);
    top = line.top - m_rect.top;
    bottom = line.bottom - m_rect.top;
}

TPosition CYolWMRTE_TextView::HitTest(POINT point) const
{
    return m_layout->PointToPosition(POINT{point.x + m_rect.left, point.y + m_rect.top});
}

int CYolWMRTE_TextView::ParaLength(int para) const
{
    return para >= 0 && para < ParaCount() ? (*m_document)[para]->Length() : 0;
}

int CYolWMRTE_TextView::LastChar(int para) const
{
    return std::max(ParaLength(para) - 1, 0);
}

char16_t CYolWMRTE_TextView::CharAt(int para, int ch) const
{
    return ch >= 0 && ch < ParaLength(para) ? (*m_document)[para]->Text()[ch] : 0;
}

bool CYolWMRTE_TextView::AtTextEnd(const TPosition& p) const
{
    return p.para >= ParaCount() - 1 && p.ch >= LastChar(p.para) && (p.after != 0 || ParaLength(p.para) == 0);
}

bool CYolWMRTE_TextView::NextChar(TPosition& p) const
{
    p.after = 0;
    if (p.ch < ParaLength(p.para) - 1) {
        ++p.ch;
        return true;
    }
    if (p.para + 1 >= ParaCount())
        return false;
    p = TPosition{p.para + 1, 0, 0};
    return true;
}

bool CYolWMRTE_TextView::PrevChar(TPosition& p) const
{
    p.after = 0;
    if (p.ch > 0) {
        --p.ch;
        return true;
    }
    if (p.para <= 0)
        return false;
    p = TPosition{p.para - 1, LastChar(p.para - 1), 0};
    return true;
}

void CYolWMRTE_TextView::MoveCaret(int move, bool extend)
{
    const TStep step = Step(move);
    if (step.leave != 0) {
        m_observer->LeaveView(step.leave < 0);
        return;
    }
    const TPosition old = m_caret;
    m_caret = step.caret;
    if (extend) {
        Extend(old, m_caret);
    } else if (HasSelection()) {
        RemoveSelection();
        m_observer->Invalidate();
    }
}

// The characters a move passed over widen or narrow the selection.
void CYolWMRTE_TextView::Extend(const TPosition& from, const TPosition& to)
{
    TPosition low = std::min(from, to);
    TPosition high = std::max(from, to);
    if (low.after != 0 && !NextChar(low))
        return;
    if (high.after == 0 && !PrevChar(high))
        return;
    low.after = high.after = 0;
    if (CharBefore(high, low))
        return;
    if (!HasSelection()) {
        SetRange(low, high);
    } else if (CharBefore(low, m_selStart)) {
        m_selStart = low;
    } else if (CharBefore(m_selEnd, high)) {
        m_selEnd = TPosition{high.para, high.ch, 1};
    } else if (SameChar(low, m_selStart)) {
        if (NextChar(high))
            m_selStart = high;
        else
            RemoveSelection();
    } else if (SameChar(high, m_selEnd)) {
        if (PrevChar(low))
            m_selEnd = TPosition{low.para, low.ch, 1};
        else
            RemoveSelection();
    } else {
        RemoveSelection();
    }
    if (HasSelection() && CharBefore(m_selEnd, m_selStart))
        RemoveSelection();
    m_observer->Invalidate();
}

void CYolWMRTE_TextView::SetRange(TPosition low, TPosition high)
{
    m_selStart = TPosition{low.para, low.ch, 0};
    m_selEnd = TPosition{high.para, high.ch, 1};
}

void CYolWMRTE_TextView::SetSelection(const TPosition& start, const TPosition& end)
{
    if (start.para < 0)
        RemoveSelection();
    else
        SetRange(start, end);
}

void CYolWMRTE_TextView::SelectRange(POINT point1, POINT point2, bool setCaret)
{
    const TPosition first = HitTest(point1);
    const TPosition second = HitTest(point2);
    RemoveSelection();
    if (first != second) {
        TPosition low = std::min(first, second);
        TPosition high = std::max(first, second);
        const bool lowOk = low.after == 0 || NextChar(low);
        const bool highOk = high.after != 0 || PrevChar(high);
        if (lowOk && highOk && !CharBefore(high, low))
            SetRange(low, high);
    }
    if (setCaret)
        m_caret = second;
    m_observer->Invalidate();
}

void CYolWMRTE_TextView::ClearSelection()
{
    RemoveSelection();
    m_observer->Invalidate();
}

bool CYolWMRTE_TextView::IsSelected(int para, int ch) const
{
    const TPosition at{para, ch, 0};
    return HasSelection() && !CharBefore(at, m_selStart) && !CharBefore(m_selEnd, at);
}

} // namespace RTE
