// The date picker: the date and its parts, the check box, painting, the pen
// and the keys.

#include "ControlDatePicker.h"
#include "CYolClock.h"
#include "CYolTimeZone.h"
#include "ControlImpl.h"
#include "Shell/ShellScreen.h"
#include "WindowSystem/WindowKeys.h"

#include <algorithm>
#include <ctime>
#include <string>

namespace Platform::Controls {
namespace {

constexpr int kMinYear = 1601;
constexpr int kMaxYear = 9999;

enum Part { kDay, kMonth, kYear, kPartCount };

struct Date {
    int year = 2000;
    int month = 1;
    int day = 1;
};

struct PickerState {
    static inline const char key = 0;
    HFONT font = nullptr;
    Date date;
    // The time of day the caller set; the picker only carries it.
    SYSTEMTIME time;
    bool hasDate = true;
    int part = kDay;
    // Digits typed into the focused part that do not make a value yet.
    std::u16string typed;
    bool focused = false;
};

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// 0 Sunday, by Zeller's congruence on the Gregorian calendar.
int DayOfWeek(const Date& d)
{
    int m = d.month;
    int y = d.year;
    if (m < 3) {
        m += 12;
        --y;
    }
    const int h = (d.day + 13 * (m + 1) / 5 + y + y / 4 - y / 100 + y / 400) % 7; // 0 Saturday
    return (h + 6) % 7;
}

bool IsValid(const SYSTEMTIME& st)
{
    return st.wYear >= kMinYear && st.wYear <= kMaxYear && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
           st.wDay <= DaysIn(st.wYear, st.wMonth) && st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 &&
           st.wMilliseconds < 1000;
}

Date Today()
{
    std::tm local{};
    CYolTimeZone::LocalFields(CYolClock::Current().Now(), local);
    Date d;
    d.year = std::clamp(local.tm_year + 1900, kMinYear, kMaxYear);
    d.month = local.tm_mon + 1;
    d.day = local.tm_mday;
    return d;
}

struct PartRange {
    int min;
    int max;
    int digits;
};

PartRange RangeOf(const PickerState& s, int part)
{
    switch (part) {
    case kDay:
        return {1, DaysIn(s.date.year, s.date.month), 2};
    case kMonth:
        return {1, 12, 2};
    default:
        return {kMinYear, kMaxYear, 4};
    }
}

int& ValueOf(PickerState& s, int part)
{
    return part == kDay ? s.date.day : part == kMonth ? s.date.month : s.date.year;
}

void ClampDay(PickerState& s)
{
    s.date.day = std::min(s.date.day, DaysIn(s.date.year, s.date.month));
}

std::u16string Digits(int value, int width)
{
    std::u16string out;
    for (; value > 0 || static_cast<int>(out.size()) < width; value /= 10)
        out.insert(out.begin(), static_cast<char16_t>(u'0' + value % 10));
    return out;
}

// What each part shows: its value, or the digits being typed into it.
std::u16string PartText(const PickerState& s, int part)
{
    if (part == s.part && !s.typed.empty())
        return s.typed;
    const int value = part == kDay ? s.date.day : part == kMonth ? s.date.month : s.date.year;
    return Digits(value, RangeOf(s, part).digits);
}

SYSTEMTIME Record(const PickerState& s)
{
    SYSTEMTIME st = s.time;
    st.wYear = static_cast<std::uint16_t>(s.date.year);
    st.wMonth = static_cast<std::uint16_t>(s.date.month);
    st.wDay = static_cast<std::uint16_t>(s.date.day);
    st.wDayOfWeek = static_cast<std::uint16_t>(DayOfWeek(s.date));
    return st;
}

void TellChange(HWND hwnd, PickerState& s)
{
    InvalidateRect(hwnd, nullptr, false);
    NMDATETIMECHANGE nm;
    nm.dwFlags = s.hasDate ? static_cast<std::uint32_t>(GDT_VALID) : static_cast<std::uint32_t>(GDT_NONE);
    if (s.hasDate)
        nm.st = Record(s);
    NotifyRecord(hwnd, &nm.nmhdr, DTN_DATETIMECHANGE);
}

// ---- Layout -----------------------------------------------------------------

bool ShowsNone(HWND hwnd)
{
    return (StyleOf(hwnd) & DTS_SHOWNONE) != 0;
}

RECT CheckBox(HWND hwnd, const PickerState& s)
{
    const RECT c = ClientOf(hwnd);
    const int size = std::min(LineHeight(s.font), c.bottom - 4);
    const int top = (c.bottom - size) / 2;
    return RECT{ScaleX(3), top, ScaleX(3) + size, top + size};
}

int TextWidth(HDC dc, const std::u16string& text)
{
    SIZE size{};
    GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The parts' rectangles, left to right, with the separators between them.
struct Layout {
    RECT parts[kPartCount];
    RECT separators[kPartCount - 1];
};

Layout LayOut(HWND hwnd, const PickerState& s, HDC dc)
{
    const RECT c = ClientOf(hwnd);
    int x = ShowsNone(hwnd) ? CheckBox(hwnd, s).right + ScaleX(4) : ScaleX(4);
    Layout l{};
    const int pad = ScaleX(1);
    for (int part = 0; part < kPartCount; ++part) {
        // Room for the widest digits the part can hold.
        const int w = TextWidth(dc, std::u16string(static_cast<size_t>(RangeOf(s, part).digits), u'0')) + 2 * pad;
        l.parts[part] = RECT{x, 2, x + w, c.bottom - 2};
        x += w;
        if (part + 1 < kPartCount) {
            const int sw = TextWidth(dc, u".");
            l.separators[part] = RECT{x, 2, x + sw, c.bottom - 2};
            x += sw;
        }
    }
    return l;
}

template <class F>
auto WithDC(const PickerState& s, F f)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FontOr(s.font));
    auto result = f(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
    return result;
}

// ---- Painting -------------------------------------------------------------------

void DrawCheckBox(HDC hdc, RECT box, bool checked, COLORREF ink)
{
    FillRect(hdc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(hdc, &box, GetSysColorBrush(COLOR_WINDOWFRAME));
    if (!checked)
        return;
    const int w = box.right - box.left;
    HPEN pen = CreatePen(PS_SOLID, std::max(1, w / 7), ink);
    HGDIOBJ old = SelectObject(hdc, pen);
    const POINT tick[3] = {
        {box.left + w / 5, box.top + w / 2}, {box.left + w * 2 / 5, box.top + w * 3 / 4}, {box.right - w / 5, box.top + w / 4}};
    Polyline(hdc, tick, 3);
    SelectObject(hdc, old);
    DeleteObject(pen);
}

void Paint(HWND hwnd, PickerState& s)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT c = ClientOf(hwnd);
    FillRect(hdc, &c, ControlBrush(hwnd, hdc, WM_CTLCOLOREDIT, GetSysColorBrush(COLOR_WINDOW)));
    FrameRect(hdc, &c, GetSysColorBrush(COLOR_WINDOWFRAME));
    const COLORREF ink = GetTextColor(hdc);
    const bool enabled = IsWindowEnabled(hwnd);
    if (ShowsNone(hwnd))
        DrawCheckBox(hdc, CheckBox(hwnd, s), s.hasDate, ink);
    HGDIOBJ oldFont = SelectObject(hdc, FontOr(s.font));
    SetBkMode(hdc, TRANSPARENT);
    const Layout l = LayOut(hwnd, s, hdc);
    const COLORREF partInk = s.hasDate && enabled ? ink : GetSysColor(COLOR_GRAYTEXT);
    for (int part = 0; part < kPartCount; ++part) {
        RECT r = l.parts[part];
        SetTextColor(hdc, partInk);
        if (part == s.part && s.focused && s.hasDate && enabled) {
            FillRect(hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        const std::u16string text = PartText(s, part);
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        if (part + 1 < kPartCount) {
            SetTextColor(hdc, partInk);
            RECT sep = l.separators[part];
            DrawText(hdc, u".", 1, &sep, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
    }
    SelectObject(hdc, oldFont);
    EndPaint(hwnd, &ps);
}

// ---- Editing ----------------------------------------------------------------------

void Focus(HWND hwnd, PickerState& s, int part)
{
    s.part = std::clamp(part, 0, kPartCount - 1);
    s.typed.clear();
    InvalidateRect(hwnd, nullptr, false);
}

void Step(HWND hwnd, PickerState& s, int delta)
{
    s.typed.clear();
    const PartRange r = RangeOf(s, s.part);
    int& value = ValueOf(s, s.part);
    const int span = r.max - r.min + 1;
    // Day and month go round; years stop at the ends of the calendar.
    const int next = s.part == kYear ? std::clamp(value + delta, r.min, r.max)
                                     : r.min + ((value - r.min + delta) % span + span) % span;
    if (next == value)
        return;
    value = next;
    ClampDay(s);
    TellChange(hwnd, s);
}

void TypeDigit(HWND hwnd, PickerState& s, char16_t digit)
{
    s.typed.push_back(digit);
    const PartRange r = RangeOf(s, s.part);
    const int number = std::stoi(std::string(s.typed.begin(), s.typed.end()));
    const bool full = static_cast<int>(s.typed.size()) >= r.digits;
    if (s.part == kYear) {
        // A year counts once all four digits are there.
        if (!full) {
            InvalidateRect(hwnd, nullptr, false);
            return;
        }
        s.typed.clear();
        const int year = std::clamp(number, kMinYear, kMaxYear);
        if (year != s.date.year) {
            s.date.year = year;
            ClampDay(s);
            TellChange(hwnd, s);
        }
        InvalidateRect(hwnd, nullptr, false);
        return;
    }
    // Day and month: a digit that no second digit could follow ends the
    // part, and the next part takes the following digits.
    const bool done = full || number * 10 > r.max;
    if (number >= r.min && number <= r.max && number != ValueOf(s, s.part)) {
        ValueOf(s, s.part) = number;
        ClampDay(s);
        if (done)
            s.typed.clear();
        TellChange(hwnd, s);
    } else if (done) {
        s.typed.clear();
    }
    if (done)
        Focus(hwnd, s, s.part + 1);
    else
        InvalidateRect(hwnd, nullptr, false);
}

void SetHasDate(HWND hwnd, PickerState& s, bool hasDate)
{
    if (s.hasDate == hasDate)
        return;
    s.hasDate = hasDate;
    s.typed.clear();
    TellChange(hwnd, s);
}

void KeyDown(HWND hwnd, PickerState& s, WPARAM vk)
{
    if (vk == VK_SPACE && ShowsNone(hwnd)) {
        SetHasDate(hwnd, s, !s.hasDate);
        return;
    }
    if (!s.hasDate)
        return;
    switch (vk) {
    case VK_LEFT:
        Focus(hwnd, s, s.part - 1);
        break;
    case VK_RIGHT:
        Focus(hwnd, s, s.part + 1);
        break;
    case VK_UP:
        Step(hwnd, s, 1);
        break;
    case VK_DOWN:
        Step(hwnd, s, -1);
        break;
    case VK_HOME:
        Focus(hwnd, s, kDay);
        break;
    case VK_END:
        Focus(hwnd, s, kYear);
        break;
    default:
        break;
    }
}

void Tap(HWND hwnd, PickerState& s, POINT pt)
{
    SetFocus(hwnd);
    if (ShowsNone(hwnd)) {
        RECT box = CheckBox(hwnd, s);
        InflateRect(&box, ScaleX(2), ScaleY(2));
        if (PtInRect(&box, pt)) {
            SetHasDate(hwnd, s, !s.hasDate);
            return;
        }
    }
    if (!s.hasDate)
        return;
    const Layout l = WithDC(s, [&](HDC dc) { return LayOut(hwnd, s, dc); });
    for (int part = 0; part < kPartCount; ++part) {
        // A tap on a separator counts for the part before it.
        const int right = part + 1 < kPartCount ? l.separators[part].right : l.parts[part].right;
        if (pt.x >= l.parts[part].left && pt.x < right) {
            Focus(hwnd, s, part);
            return;
        }
    }
}

bool SetTime(HWND hwnd, PickerState& s, WPARAM flag, const SYSTEMTIME* st)
{
    if (flag == static_cast<WPARAM>(GDT_NONE)) {
        if (!ShowsNone(hwnd))
            return false;
        s.hasDate = false;
    } else if (flag == static_cast<WPARAM>(GDT_VALID) && st && IsValid(*st)) {
        s.hasDate = true;
        s.date = Date{st->wYear, st->wMonth, st->wDay};
        s.time = *st;
    } else {
        return false;
    }
    s.typed.clear();
    InvalidateRect(hwnd, nullptr, false);
    return true;
}

constexpr CommonAnswers<PickerState> kCommon{
    .paint = &Paint,
    .dlgCode = DLGC_WANTARROWS | DLGC_WANTCHARS,
    .focused = &PickerState::focused,
    // Digits typed towards a value are dropped when the focus moves.
    .focusChanged = [](HWND, PickerState& s, bool) { s.typed.clear(); },
    .font = &PickerState::font,
    .fontChanged = &RepaintForFont<PickerState>,
};

} // namespace

LRESULT DatePickerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE) {
        MakeState<PickerState>(hwnd)->date = Today();
        return 0;
    }
    auto state = StateOf<PickerState>(hwnd);
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    PickerState& s = *state;
    switch (msg) {
    case DTM_GETSYSTEMTIME: {
        auto* st = reinterpret_cast<SYSTEMTIME*>(lParam);
        if (!st)
            return GDT_ERROR;
        if (!s.hasDate)
            return GDT_NONE;
        *st = Record(s);
        return GDT_VALID;
    }
    case DTM_SETSYSTEMTIME:
        return SetTime(hwnd, s, wParam, reinterpret_cast<const SYSTEMTIME*>(lParam));
    case WM_SIZE:
        InvalidateRect(hwnd, nullptr, false);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        Tap(hwnd, s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, s, wParam);
        return 0;
    case WM_CHAR:
        if (wParam >= u'0' && wParam <= u'9' && s.hasDate)
            TypeDigit(hwnd, s, static_cast<char16_t>(wParam));
        return 0;
    default:
        return CommonMessage(hwnd, s, kCommon, msg, wParam, lParam);
    }
}

} // namespace Platform::Controls
