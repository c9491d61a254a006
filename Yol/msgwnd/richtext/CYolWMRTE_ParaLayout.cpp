#include "CYolWMRTE_ParaLayout.h"

#include "CYolString.h"

#include <algorithm>

namespace RTE {

namespace {

constexpr int kSliceGrowStep = 10;

// A line may break after a digit, a space or a punctuation character.
bool BreaksAfter(char16_t ch)
{
    return CYolString::IsDigit(ch) || CYolString::IsSpace(ch) || CYolString::IsPunct(ch);
}

} // namespace

// Places the runs of one paragraph line by line. x is the pen on the
// current line, lineTop the current line's top; the slices of the current
// line are those from lineFirst on.
class CYolWMRTE_ParaLayout::CBreaker {
public:
    CBreaker(CYolArray<CYolWMRTE_ParaLayoutSlice*>& slices, int width) : m_slices(slices), m_width(width) {}

    void Picture(const TFormat& run)
    {
        SIZE size{0, 0};
        if (run.picture != nullptr)
            run.picture->GetSize(&size);
        // A picture wider than the line stays at the start of one.
        if (m_x + size.cx > m_width && m_lineFirst < m_slices.Count())
            CloseLine();
        Add(run.start, 1, run.picture, run.kind, size.cx, size.cy);
        m_x += size.cx;
    }

    void Text(const TFormat& run, const char16_t* text, HFONT font, MTextMeasurer& measurer)
    {
        const int n = run.length;
        if (n <= 0)
            return;
        std::vector<int> e(n);
        int h = 0;
        measurer.Measure(font, text + run.start, n, e.data(), &h);
        int c = 0;
        int lastBreak = -1;
        for (int i = 0; i < n; ++i) {
            const char16_t ch = text[run.start + i];
            const int base = c > 0 ? e[c - 1] : 0;
            const bool separator = ch == kLineSeparator;
            if (separator || m_x + e[i] - base > m_width) {
                int keep = c - 1;  // nothing: the part goes to the next line
                if (separator)
                    keep = i - 1;
                else if (lastBreak >= c)
                    keep = lastBreak;
                else if (m_x == 0)
                    keep = i - 1;  // a word wider than the line is cut
                if (keep >= c || separator)
                    Add(run.start + c, keep - c + 1, nullptr, run.kind, keep >= c ? e[keep] - base : 0, h);
                c = keep + 1 + (separator ? 1 : 0);
                CloseLine();
            }
            if (run.kind != kLinkKind && BreaksAfter(ch))
                lastBreak = i;
        }
        if (c < n) {
            const int base = c > 0 ? e[c - 1] : 0;
            Add(run.start + c, n - c, nullptr, run.kind, e[n - 1] - base, h);
            m_x += e[n - 1] - base;
        }
    }

    // An empty line for a paragraph that has nothing to show, so that the
    // caret still has a place in it.
    void EmptyLine(int kind, HFONT font, MTextMeasurer& measurer)
    {
        int h = 0;
        measurer.Measure(font, u"", 0, nullptr, &h);
        Add(0, 0, nullptr, kind, 0, h);
    }

    // The pieces of a line are centred on one another. A line without
    // slices takes no room.
    void CloseLine()
    {
        int tallest = 0;
        for (int i = m_lineFirst; i < m_slices.Count(); ++i)
            tallest = std::max(tallest, m_slices[i]->height);
        for (int i = m_lineFirst; i < m_slices.Count(); ++i)
            m_slices[i]->y = m_lineTop + (tallest - tallest / 2) - m_slices[i]->height / 2;
        m_lineTop += tallest;
        m_lineFirst = m_slices.Count();
        m_x = 0;
    }

    int Bottom() const { return m_lineTop; }

private:
    void Add(int start, int length, CRTEPicture* picture, int kind, int width, int height)
    {
        auto* slice = new CYolWMRTE_ParaLayoutSlice;
        slice->start = start;
        slice->length = length;
        slice->picture = picture;
        slice->kind = kind;
        slice->x = m_x;
        slice->y = m_lineTop;
        slice->width = width;
        slice->height = height;
        m_slices.Add(slice);
    }

    CYolArray<CYolWMRTE_ParaLayoutSlice*>& m_slices;
    int m_width;
    int m_x = 0;
    int m_lineTop = 0;
    int m_lineFirst = 0;
};

CYolWMRTE_ParaLayout::CYolWMRTE_ParaLayout(int index, MParaLayoutObserver* observer)
    : m_index(index), m_observer(observer)
{
    m_slices.SetGrowStep(kSliceGrowStep);
}

CYolWMRTE_ParaLayout::~CYolWMRTE_ParaLayout()
{
    DeleteSlices();
}

void CYolWMRTE_ParaLayout::DeleteSlices()
{
    for (CYolWMRTE_ParaLayoutSlice* slice : m_slices)
        delete slice;
    m_slices.Clear();
}

void CYolWMRTE_ParaLayout::Layout()
{
    DeleteSlices();
    const char16_t* text = m_observer->GetParaText(m_index);
    const CYolArray<TFormat>& formats = m_observer->GetParaFormats(m_index);
    MTextMeasurer& measurer = m_observer->GetMeasurer();
    CBreaker breaker(m_slices, m_observer->GetWidth());
    int textLength = 0;
    while (text != nullptr && text[textLength] != 0)
        ++textLength;
    for (TFormat run : formats) {
        // Runs past the text would read beyond it.
        if (run.start < 0 || run.start >= textLength)
            break;
        run.length = std::min(run.length, textLength - run.start);
        if (run.IsPicture()) {
            breaker.Picture(run);
            continue;
        }
        HFONT font = nullptr;
        m_observer->GetPartFont(font, run.kind);
        breaker.Text(run, text, font, measurer);
    }
    if (m_slices.Count() == 0 && formats.Count() > 0) {
        HFONT font = nullptr;
        m_observer->GetPartFont(font, formats[0].kind);
        breaker.EmptyLine(formats[0].kind, font, measurer);
    }
    breaker.CloseLine();
    m_height = breaker.Bottom();
}

} // namespace RTE
