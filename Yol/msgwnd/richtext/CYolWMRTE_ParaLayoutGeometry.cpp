// Where characters are inside a laid-out paragraph, and which character a
// point falls on.

#include "CYolWMRTE_ParaLayout.h"

#include <algorithm>

namespace RTE {

std::vector<CYolWMRTE_ParaLayout::TLineInfo> CYolWMRTE_ParaLayout::GetLines() const
{
    std::vector<TLineInfo> lines;
    for (int i = 0; i < m_slices.Count(); ++i) {
        const CYolWMRTE_ParaLayoutSlice& slice = *m_slices[i];
        if (lines.empty() || m_slices[i - 1]->Centre() != slice.Centre()) {
            lines.push_back(TLineInfo{i, i, slice.y, slice.y + slice.height});
            continue;
        }
        TLineInfo& line = lines.back();
        line.lastSlice = i;
        line.top = std::min(line.top, slice.y);
        line.bottom = std::max(line.bottom, slice.y + slice.height);
    }
    return lines;
}

// The last slice whose start is not beyond ch.
int CYolWMRTE_ParaLayout::SliceOf(int ch) const
{
    int found = 0;
    for (int i = 0; i < m_slices.Count() && m_slices[i]->start <= ch; ++i)
        found = i;
    return found;
}

CYolWMRTE_ParaLayout::TLineInfo CYolWMRTE_ParaLayout::LineOf(int ch) const
{
    const std::vector<TLineInfo> lines = GetLines();
    if (lines.empty())
        return TLineInfo{};
    const int slice = SliceOf(ch);
    for (const TLineInfo& line : lines)
        if (slice <= line.lastSlice)
            return line;
    return lines.back();
}

void CYolWMRTE_ParaLayout::LineBounds(int ch, int& first, int& last) const
{
    first = last = 0;
    if (m_slices.Count() == 0)
        return;
    const TLineInfo line = LineOf(ch);
    first = m_slices[line.firstSlice]->start;
    // An empty line holds only the place where it starts.
    last = std::max(first, m_slices[line.lastSlice]->End() - 1);
}

std::vector<int> CYolWMRTE_ParaLayout::SliceExtents(const CYolWMRTE_ParaLayoutSlice& slice) const
{
    std::vector<int> extents(std::max(slice.length, 0));
    if (extents.empty())
        return extents;
    HFONT font = nullptr;
    m_observer->GetPartFont(font, slice.kind);
    int height = 0;
    m_observer->GetMeasurer().Measure(font, m_observer->GetParaText(m_index) + slice.start, slice.length,
                                      extents.data(), &height);
    return extents;
}

void CYolWMRTE_ParaLayout::CharToPoint(int ch, bool after, int& x, int& y, int& height) const
{
    x = y = height = 0;
    const CYolWMRTE_ParaLayoutSlice* found = nullptr;
    for (const CYolWMRTE_ParaLayoutSlice* slice : m_slices) {
        if (slice->End() > ch || (!slice->IsPicture() && slice->length == 0 && slice->start == ch)) {
            found = slice;
            break;
        }
    }
    if (found == nullptr) {
        // Past every slice (a trailing line separator): the end of the
        // last piece that starts before it.
        if (m_slices.Count() == 0)
            return;
        const CYolWMRTE_ParaLayoutSlice& last = *m_slices[SliceOf(ch)];
        x = last.x + last.width;
        y = last.y;
        height = last.height;
        return;
    }
    x = found->x;
    y = found->y;
    height = found->height;
    if (found->IsPicture() || (found->length == 1 && after)) {
        if (after)
            x += found->width;
        return;
    }
    const int before = std::min(ch + (after ? 1 : 0) - found->start, found->length);
    if (before > 0)
        x += SliceExtents(*found)[before - 1];
}

void CYolWMRTE_ParaLayout::PointToChar(int dx, int dy, int& ch, bool& after) const
{
    ch = 0;
    after = false;
    const std::vector<TLineInfo> lines = GetLines();
    if (dy <= 0 || lines.empty())
        return;
    if (dy > lines.back().bottom) {
        const CYolArray<TFormat>& formats = m_observer->GetParaFormats(m_index);
        ch = formats.Count() > 0 ? std::max(formats[formats.Count() - 1].End() - 1, 0) : 0;
        after = formats.Count() > 0;
        return;
    }
    TLineInfo line = lines.front();
    for (const TLineInfo& candidate : lines)
        if (candidate.top < dy)
            line = candidate;
    const CYolWMRTE_ParaLayoutSlice& first = *m_slices[line.firstSlice];
    const CYolWMRTE_ParaLayoutSlice& last = *m_slices[line.lastSlice];
    if (dx <= first.x) {
        ch = first.start;
        return;
    }
    if (dx >= last.x + last.width) {
        const bool empty = line.firstSlice == line.lastSlice && !last.IsPicture() && last.length == 0;
        ch = empty ? last.start : last.End() - 1;
        after = !empty;
        return;
    }
    int under = line.firstSlice;
    for (int i = line.firstSlice; i <= line.lastSlice; ++i)
        if (m_slices[i]->x <= dx)
            under = i;
    const CYolWMRTE_ParaLayoutSlice& slice = *m_slices[under];
    ch = slice.start;
    if (slice.IsPicture() || slice.length <= 1)
        return;
    const std::vector<int> extents = SliceExtents(slice);
    int k = 0;
    while (k < slice.length - 1 && extents[k] <= dx - slice.x)
        ++k;
    ch = slice.start + k;
}

} // namespace RTE
