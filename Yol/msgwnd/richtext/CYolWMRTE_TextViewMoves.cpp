// The caret moves of the view's keys.

#include "CYolWMRTE_TextView.h"

namespace RTE {

namespace {

// Which way a move leaves a view that has no paragraph.
constexpr bool kLeavesBackward[] = {
    false, true, false, true, false, true, false, true, false, true, false, true, false,
};

} // namespace

CYolWMRTE_TextView::TStep CYolWMRTE_TextView::Step(int move) const
{
    if (move < EMoveLeft || move > EMoveTextEnd)
        return TStep{m_caret, 0};
    if (ParaCount() == 0)
        return TStep{m_caret, kLeavesBackward[move] ? -1 : 1};
    const int para = m_caret.para;
    int first = 0;
    int last = 0;
    switch (move) {
    case EMoveLeft: return Left();
    case EMoveRight: return Right();
    case EMoveLineStart:
        m_layout->GetLineBounds(m_caret, first, last);
        return TStep{TPosition{para, first, 0}};
    case EMoveLineEnd:
        m_layout->GetLineBounds(m_caret, first, last);
        return TStep{TPosition{para, last, 1}};
    case EMoveLineUp: return LineUpDown(true);
    case EMoveLineDown: return LineUpDown(false);
    case EMoveParaStart: return TStep{TPosition{para, 0, 0}};
    case EMoveParaEnd: return ParaEnd(para);
    case EMovePrevPara:
        if (m_caret.ch != 0)
            return TStep{TPosition{para, 0, 0}};
        return para == 0 ? TStep{m_caret, -1} : TStep{TPosition{para - 1, 0, 0}};
    case EMoveNextPara: return NextPara();
    case EMoveTextStart: return TStep{TPosition{}};
    default: return TStep{TPosition{ParaCount() - 1, LastChar(ParaCount() - 1), 1}};
    }
}

CYolWMRTE_TextView::TStep CYolWMRTE_TextView::Left() const
{
    const TPosition& p = m_caret;
    if (p.after != 0)
        return TStep{TPosition{p.para, p.ch, 0}};
    if (p.ch == 0) {
        if (p.para == 0)
            return TStep{p, -1};
        return TStep{TPosition{p.para - 1, LastChar(p.para - 1), ParaLength(p.para - 1) > 0 ? 1 : 0}};
    }
    int first = 0;
    int last = 0;
    m_layout->GetLineBounds(p, first, last);
    const int prev = p.ch - 1;
    if (first != p.ch)
        return TStep{TPosition{p.para, prev, 0}};
    // Crossing to the line above: the caret shows at its end, after the
    // last character before the separator; an empty line above is its own
    // place.
    if (CharAt(p.para, prev) != kLineSeparator)
        return TStep{TPosition{p.para, prev, 1}};
    if (prev > 0 && CharAt(p.para, prev - 1) != kLineSeparator)
        return TStep{TPosition{p.para, prev - 1, 1}};
    return TStep{TPosition{p.para, prev, 0}};
}

CYolWMRTE_TextView::TStep CYolWMRTE_TextView::Right() const
{
    const TPosition& p = m_caret;
    const int lastChar = LastChar(p.para);
    if (p.ch >= lastChar) {
        if (p.after == 0)
            return TStep{TPosition{p.para, p.ch, 1}};
        if (p.para + 1 < ParaCount())
            return TStep{TPosition{p.para + 1, 0, 0}};
        return TStep{p, 1};
    }
    int first = 0;
    int last = 0;
    m_layout->GetLineBounds(p, first, last);
    if (p.ch != last)
        return TStep{TPosition{p.para, p.ch + 1, 0}};
    const bool emptyLine = CharAt(p.para, p.ch) == kLineSeparator;
    if (p.after == 0 && !emptyLine)
        return TStep{TPosition{p.para, p.ch, 1}};
    int next = p.ch + 1;
    if (!emptyLine && CharAt(p.para, next) == kLineSeparator)
        ++next;
    return TStep{TPosition{p.para, std::min(next, lastChar), 0}};
}

CYolWMRTE_TextView::TStep CYolWMRTE_TextView::LineUpDown(bool up) const
{
    if (up && m_caret == TPosition{})
        return TStep{m_caret, -1};
    if (!up && AtTextEnd(m_caret))
        return TStep{m_caret, 1};
    const TCaretPoint point = m_layout->PositionToPoint(m_caret);
    const TLineRect line = m_layout->GetLineRect(m_caret);
    const int y = up ? line.top - ScaleFactorY() : line.bottom + ScaleFactorY() + 1;
    return TStep{m_layout->PointToPosition(POINT{point.x, y})};
}

CYolWMRTE_TextView::TStep CYolWMRTE_TextView::ParaEnd(int para) const
{
    const int last = LastChar(para);
    const bool after = ParaLength(para) > 0 && CharAt(para, last) != kLineSeparator;
    return TStep{TPosition{para, last, after ? 1 : 0}};
}

CYolWMRTE_TextView::TStep CYolWMRTE_TextView::NextPara() const
{
    if (m_caret.para + 1 < ParaCount())
        return TStep{TPosition{m_caret.para + 1, 0, 0}};
    const TStep end = ParaEnd(m_caret.para);
    if (end.caret == m_caret)
        return TStep{m_caret, 1};
    return end;
}

} // namespace RTE
