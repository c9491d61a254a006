#include "CYolWMRTE_TextLayout.h"

#include "Shell/ShellScreen.h"

#include <algorithm>

namespace RTE {

namespace {

constexpr int kParaGrowStep = 100;

} // namespace

int ScaleFactorX() { return std::max((g_HIDPI_LogPixelsX + 48) / 96, 1); }
int ScaleFactorY() { return std::max((g_HIDPI_LogPixelsY + 48) / 96, 1); }

CYolWMRTE_TextLayout::CYolWMRTE_TextLayout(const TDocument* document, int width, MObserver* observer,
                                           MTextMeasurer* measurer)
    : m_document(document), m_width(width), m_observer(observer), m_measurer(measurer)
{
    m_paras.SetGrowStep(kParaGrowStep);
    if (m_measurer == nullptr) {
        m_ownMeasurer = std::make_unique<CYolWMRTE_ScreenMeasurer>();
        m_measurer = m_ownMeasurer.get();
    }
}

CYolWMRTE_TextLayout::~CYolWMRTE_TextLayout()
{
    Reset();
}

void CYolWMRTE_TextLayout::Reset()
{
    for (CYolWMRTE_ParaLayout* para : m_paras)
        delete para;
    m_paras.Clear();
}

const CYolWMRTE_ParaLayout* CYolWMRTE_TextLayout::Para(int index) const
{
    return index >= 0 && index < m_paras.Count() ? m_paras[index] : nullptr;
}

void CYolWMRTE_TextLayout::PlaceBelow(int index)
{
    const int sx = ScaleFactorX();
    if (index == 0) {
        m_paras[0]->SetOrigin(sx, sx);
        return;
    }
    const CYolWMRTE_ParaLayout& before = *m_paras[index - 1];
    m_paras[index]->SetOrigin(sx, before.Y() + before.Height() + ScaleFactorY());
}

void CYolWMRTE_TextLayout::LayoutAt(int index)
{
    while (m_paras.Count() <= index)
        m_paras.Add(new CYolWMRTE_ParaLayout(m_paras.Count(), this));
    PlaceBelow(index);
    m_paras[index]->Layout();
}

void CYolWMRTE_TextLayout::LayoutAll()
{
    Reset();
    for (int i = 0; i < ParaCount(); ++i)
        LayoutAt(i);
}

void CYolWMRTE_TextLayout::LayoutNew()
{
    const int count = ParaCount();
    if (count == 0)
        return;
    if (m_paras.Count() >= count)
        LayoutAt(count - 1);
    else
        LayoutAt(m_paras.Count());
}

void CYolWMRTE_TextLayout::LayoutTail(int n)
{
    const int count = ParaCount();
    if (n >= count) {
        LayoutAll();
        return;
    }
    const int first = std::min(count - std::max(n, 0), m_paras.Count());
    for (int i = first; i < count; ++i)
        LayoutAt(i);
}

void CYolWMRTE_TextLayout::LayoutRange(int first, int last)
{
    const int count = ParaCount();
    last = std::min(last, count - 1);
    first = std::max(std::min(first, m_paras.Count()), 0);
    for (int i = first; i <= last; ++i)
        LayoutAt(i);
    for (int i = last + 1; i < m_paras.Count(); ++i)
        PlaceBelow(i);
}

int CYolWMRTE_TextLayout::GetHeight() const
{
    if (m_paras.Count() == 0)
        return 0;
    const CYolWMRTE_ParaLayout& last = *m_paras[m_paras.Count() - 1];
    return last.Y() + last.Height() + ScaleFactorX();
}

TCaretPoint CYolWMRTE_TextLayout::PositionToPoint(const TPosition& position) const
{
    TCaretPoint point;
    const CYolWMRTE_ParaLayout* para = Para(position.para);
    if (para == nullptr)
        return point;
    para->CharToPoint(position.ch, position.after != 0, point.x, point.y, point.height);
    point.x += para->X();
    point.y += para->Y();
    return point;
}

TPosition CYolWMRTE_TextLayout::PointToPosition(POINT point) const
{
    TPosition position;
    if (m_paras.Count() == 0)
        return position;
    // The last paragraph whose top is above the point.
    int lo = 0;
    int hi = m_paras.Count() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (m_paras[mid]->Y() < point.y)
            lo = mid;
        else
            hi = mid - 1;
    }
    const CYolWMRTE_ParaLayout& para = *m_paras[lo];
    bool after = false;
    para.PointToChar(point.x - para.X(), point.y - para.Y(), position.ch, after);
    position.para = lo;
    position.after = after ? 1 : 0;
    return position;
}

void CYolWMRTE_TextLayout::GetLineBounds(const TPosition& position, int& first, int& last) const
{
    first = last = 0;
    if (const CYolWMRTE_ParaLayout* para = Para(position.para))
        para->LineBounds(position.ch, first, last);
}

TLineRect CYolWMRTE_TextLayout::GetLineRect(const TPosition& position) const
{
    TLineRect rect;
    const CYolWMRTE_ParaLayout* para = Para(position.para);
    if (para == nullptr)
        return rect;
    const CYolWMRTE_ParaLayout::TLineInfo line = para->LineOf(position.ch);
    rect.firstSlice = line.firstSlice;
    rect.lastSlice = line.lastSlice;
    rect.top = line.top + para->Y();
    rect.bottom = line.bottom + para->Y();
    return rect;
}

void CYolWMRTE_TextLayout::GetVisibleParas(const RECT& rect, int& first, int& last) const
{
    first = last = -1;
    const int count = m_paras.Count();
    if (count == 0)
        return;
    // The first paragraph whose bottom reaches into the rectangle.
    int lo = 0;
    int hi = count;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (m_paras[mid]->Y() + m_paras[mid]->Height() <= rect.top)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == count || m_paras[lo]->Y() >= rect.bottom)
        return;
    first = last = lo;
    while (last + 1 < count && m_paras[last + 1]->Y() < rect.bottom)
        ++last;
}

const char16_t* CYolWMRTE_TextLayout::GetParaText(int index) { return (*m_document)[index]->Text(); }

const CYolArray<TFormat>& CYolWMRTE_TextLayout::GetParaFormats(int index) { return (*m_document)[index]->Formats(); }

int CYolWMRTE_TextLayout::GetWidth() { return m_width - 2 * ScaleFactorX(); }

void CYolWMRTE_TextLayout::GetPartFont(HFONT& font, int kind)
{
    if (m_observer != nullptr)
        m_observer->GetPartFont(font, kind);
}

} // namespace RTE
