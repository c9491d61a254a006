// The edit control's layout: word wrap, positions and painting.

#include "ControlCaret.h"
#include "ControlEditImpl.h"
#include "ControlScrollBar.h"
#include "Shell/ShellScreen.h"

#include <algorithm>

namespace Platform::Controls {
namespace {

// A context with the control's font for measuring.
class MeasureDC {
public:
    explicit MeasureDC(HFONT font) : dc(CreateCompatibleDC(nullptr)), old(SelectObject(dc, FontOr(font))) {}
    ~MeasureDC()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    MeasureDC(const MeasureDC&) = delete;
    MeasureDC& operator=(const MeasureDC&) = delete;
    HDC dc;

private:
    HGDIOBJ old;
};

int Width(HDC dc, const char16_t* text, std::size_t length)
{
    if (length == 0)
        return 0;
    SIZE size;
    GetTextExtentPoint32(dc, text, static_cast<int>(length), &size);
    return size.cx;
}

bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Breaks one paragraph (no line breaks in it) into lines of at most
// `width` pixels, at the last space that fits, else at the last unit that
// fits (at least one character a line).
void WrapParagraph(HDC dc, const std::u16string& shown, std::size_t start, std::size_t length, int width,
                   std::vector<EditLine>& out)
{
    if (length == 0) {
        out.push_back({start, 0});
        return;
    }
    std::vector<int> extents(length);
    GetTextExtentExPoint(dc, shown.c_str() + start, static_cast<int>(length), 0, nullptr, extents.data(), nullptr);
    std::size_t i = 0;
    while (i < length) {
        const int base = i ? extents[i - 1] : 0;
        std::size_t fit = i;
        while (fit < length && extents[fit] - base <= width)
            ++fit;
        if (fit == length) {
            out.push_back({start + i, length - i});
            return;
        }
        std::size_t end;
        if (shown[start + fit] == u' ') {
            // Spaces may hang past the edge.
            end = fit;
            while (end < length && shown[start + end] == u' ')
                ++end;
        } else {
            end = fit;
            while (end > i && shown[start + end - 1] != u' ')
                --end;
            if (end == i) {
                end = std::max(fit, i + 1);
                if (end < length && IsLow(shown[start + end]))
                    ++end;
            }
        }
        out.push_back({start + i, end - i});
        i = end;
    }
}

} // namespace

bool EditState::Multi() const
{
    return (StyleOf(hwnd) & ES_MULTILINE) != 0;
}

std::u16string EditState::Shown() const
{
    if (password && !Multi())
        return std::u16string(text.size(), password);
    return text;
}

RECT EditTextRect(const EditState& s)
{
    RECT r = ClientOf(s.hwnd);
    const int margin = ScaleX(2);
    r.left += margin;
    r.right = std::max(r.left, r.right - margin);
    if (s.Multi())
        r.top += ScaleY(1);
    else
        r.top += std::max(0, (r.bottom - r.top - s.lineHeight) / 2);
    return r;
}

int EditVisibleLines(const EditState& s)
{
    const RECT r = EditTextRect(s);
    return std::max(1, (r.bottom - r.top) / s.lineHeight);
}

void EditLayout(EditState& s)
{
    s.lineHeight = LineHeight(s.font);
    s.lines.clear();
    const std::u16string shown = s.Shown();
    if (!s.Multi()) {
        s.lines.push_back({0, shown.size()});
        return;
    }
    MeasureDC measure(s.font);
    const RECT r = EditTextRect(s);
    const int width = std::max(1, static_cast<int>(r.right - r.left));
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = shown.find_first_of(u"\r\n", pos);
        const std::size_t stop = end == std::u16string::npos ? shown.size() : end;
        WrapParagraph(measure.dc, shown, pos, stop - pos, width, s.lines);
        if (end == std::u16string::npos)
            break;
        pos = (shown[end] == u'\r' && end + 1 < shown.size() && shown[end + 1] == u'\n') ? end + 2 : end + 1;
    }
    const int last = std::max(0, static_cast<int>(s.lines.size()) - EditVisibleLines(s));
    s.firstLine = std::clamp(s.firstLine, 0, last);
}

int EditLineFromChar(const EditState& s, std::size_t pos)
{
    auto it = std::upper_bound(s.lines.begin(), s.lines.end(), pos,
                               [](std::size_t p, const EditLine& l) { return p < l.start; });
    return std::max(0, static_cast<int>(it - s.lines.begin()) - 1);
}

int EditWidthInLine(const EditState& s, int line, std::size_t pos)
{
    const EditLine& l = s.lines[static_cast<std::size_t>(line)];
    const std::u16string shown = s.Shown();
    MeasureDC measure(s.font);
    const std::size_t end = std::clamp(pos, l.start, l.start + l.length);
    return Width(measure.dc, shown.c_str() + l.start, end - l.start);
}

POINT EditPosFromChar(const EditState& s, std::size_t pos)
{
    const RECT r = EditTextRect(s);
    const int line = EditLineFromChar(s, pos);
    return POINT{r.left + EditWidthInLine(s, line, pos) - s.scrollX,
                 r.top + (line - s.firstLine) * s.lineHeight};
}

std::size_t EditCharFromPoint(const EditState& s, POINT p, int* lineOut)
{
    const RECT r = EditTextRect(s);
    int row = p.y < r.top ? -1 : (p.y - r.top) / s.lineHeight;
    const int line = std::clamp(s.firstLine + row, 0, static_cast<int>(s.lines.size()) - 1);
    if (lineOut)
        *lineOut = line;
    const EditLine& l = s.lines[static_cast<std::size_t>(line)];
    const std::u16string shown = s.Shown();
    const int x = p.x - r.left + s.scrollX;
    std::size_t best = l.start + l.length;
    if (l.length > 0) {
        MeasureDC measure(s.font);
        std::vector<int> extents(l.length);
        GetTextExtentExPoint(measure.dc, shown.c_str() + l.start, static_cast<int>(l.length), 0, nullptr,
                             extents.data(), nullptr);
        for (std::size_t k = 0; k < l.length; ++k) {
            const int left = k ? extents[k - 1] : 0;
            if (x < (left + extents[k] + 1) / 2) {
                best = l.start + k;
                break;
            }
        }
        // The end of a wrapped line is the next line's start: stay on this
        // line, before its last (hanging) unit.
        const bool wrapped = static_cast<std::size_t>(line) + 1 < s.lines.size() &&
                             s.lines[static_cast<std::size_t>(line) + 1].start == l.start + l.length;
        if (wrapped && best == l.start + l.length)
            best = l.start + l.length - 1;
    }
    if (best < shown.size() && best > 0 && IsLow(shown[best]))
        --best;
    return best;
}

void EditUpdateCaret(const EditState& s)
{
    if (!s.focused)
        return;
    const POINT p = EditPosFromChar(s, s.caret);
    SetCaretPos(p.x, p.y);
}

void EditUpdateScrollBar(const EditState& s)
{
    if (!s.Multi() || !(StyleOf(s.hwnd) & WS_VSCROLL))
        return;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = static_cast<int>(s.lines.size()) - 1;
    si.nPage = static_cast<UINT>(EditVisibleLines(s));
    si.nPos = s.firstLine;
    SetScrollInfo(s.hwnd, SB_VERT, &si, true);
}

void EditScrollToCaret(EditState& s)
{
    if (s.Multi()) {
        const int line = EditLineFromChar(s, s.caret);
        const int visible = EditVisibleLines(s);
        if (line < s.firstLine)
            s.firstLine = line;
        else if (line >= s.firstLine + visible)
            s.firstLine = line - visible + 1;
    } else {
        const RECT r = EditTextRect(s);
        const int width = r.right - r.left;
        const int x = EditWidthInLine(s, 0, s.caret);
        if (x < s.scrollX)
            s.scrollX = std::max(0, x - width / 3);
        else if (x >= s.scrollX + width)
            s.scrollX = x - width + width / 3;
        s.scrollX = std::max(0, s.scrollX);
    }
    EditUpdateScrollBar(s);
    EditUpdateCaret(s);
    InvalidateRect(s.hwnd, nullptr, false);
}

void EditPaint(EditState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(s.hwnd, &ps);
    const std::uint32_t style = StyleOf(s.hwnd);
    const bool plain = (style & ES_READONLY) || !IsWindowEnabled(s.hwnd);
    RECT client = ClientOf(s.hwnd);
    HBRUSH brush = ControlBrush(s.hwnd, hdc, plain ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                                GetSysColorBrush(plain ? COLOR_STATIC : COLOR_WINDOW));
    FillRect(hdc, &client, brush);
    const COLORREF ink = GetTextColor(hdc);
    HGDIOBJ oldFont = SelectObject(hdc, FontOr(s.font));
    SetBkMode(hdc, TRANSPARENT);
    const RECT area = EditTextRect(s);
    const std::u16string shown = s.Shown();
    const bool showSel = s.anchor != s.caret && (s.focused || (style & ES_NOHIDESEL));
    const int visible = EditVisibleLines(s) + 1;
    for (int line = s.firstLine; line < static_cast<int>(s.lines.size()) && line < s.firstLine + visible; ++line) {
        const EditLine& l = s.lines[static_cast<std::size_t>(line)];
        const int x = area.left - s.scrollX;
        const int y = area.top + (line - s.firstLine) * s.lineHeight;
        const RECT lineRect{area.left, y, area.right, y + s.lineHeight};
        SetTextColor(hdc, ink);
        ExtTextOut(hdc, x, y, ETO_CLIPPED, &lineRect, shown.c_str() + l.start, static_cast<UINT>(l.length), nullptr);
        const std::size_t a = std::max(s.SelMin(), l.start);
        const std::size_t b = std::min(s.SelMax(), l.start + l.length);
        if (showSel && a < b) {
            const int xa = x + Width(hdc, shown.c_str() + l.start, a - l.start);
            const int xb = x + Width(hdc, shown.c_str() + l.start, b - l.start);
            RECT band{std::max<int>(xa, area.left), y, std::min<int>(xb, area.right), y + s.lineHeight};
            FillRect(hdc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            ExtTextOut(hdc, xa, y, ETO_CLIPPED, &lineRect, shown.c_str() + a, static_cast<UINT>(b - a), nullptr);
        }
    }
    SelectObject(hdc, oldFont);
    DrawCaret(s.hwnd, hdc);
    EndPaint(s.hwnd, &ps);
}

} // namespace Platform::Controls
