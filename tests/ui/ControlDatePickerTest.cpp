// Date pickers: the dates they hold and refuse, the parts edited with keys,
// digits and the pen, the no-date check box, and what the parent is told.

#include "ControlTestSupport.h"

#include "CYolTimeZone.h"
#include "Controls/ControlDatePicker.h"
#include "Drawing/GdiSurface.h"

#include <ctime>

using namespace ui_test;

namespace {

struct Ymd {
    int year;
    int month;
    int day;
    bool operator==(const Ymd&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Ymd& d)
{
    return out << d.year << '-' << d.month << '-' << d.day;
}

SYSTEMTIME Time(int year, int month, int day, int hour = 0)
{
    SYSTEMTIME st;
    st.wYear = static_cast<std::uint16_t>(year);
    st.wMonth = static_cast<std::uint16_t>(month);
    st.wDay = static_cast<std::uint16_t>(day);
    st.wHour = static_cast<std::uint16_t>(hour);
    return st;
}

class DatePickers : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        rec.handler = [this](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == DTN_DATETIMECHANGE)
                changes.push_back(*reinterpret_cast<const NMDATETIMECHANGE*>(lParam));
            return std::nullopt;
        };
    }
    HWND Picker(std::uint32_t style = DTS_SHORTDATEFORMAT) {
        return Control(DATETIMEPICK_CLASS, style | WS_TABSTOP, RECT{10, 10, 310, 60}, 1027);
    }
    static bool Set(HWND picker, int year, int month, int day) {
        const SYSTEMTIME st = Time(year, month, day);
        return SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)) != 0;
    }
    static Ymd Get(HWND picker) {
        SYSTEMTIME st;
        if (SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
            return Ymd{0, 0, 0};
        return Ymd{st.wYear, st.wMonth, st.wDay};
    }
    // The left and right ends of the highlighted (focused) part along the
    // middle row.
    static std::pair<int, int> Highlight(HWND picker) {
        RECT c;
        GetClientRect(picker, &c);
        int left = -1;
        int right = -1;
        for (int x = 0; x < c.right; ++x) {
            if (Pixel(picker, x, c.bottom / 2) == GetSysColor(COLOR_HIGHLIGHT)) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        return {left, right};
    }

    std::vector<NMDATETIMECHANGE> changes;
};

TEST_F(DatePickers, HoldsRealDatesOfItsYearsAndRefusesTheRest) {
    HWND picker = Picker();
    ASSERT_TRUE(Set(picker, 2024, 2, 29));
    SYSTEMTIME st;
    ASSERT_EQ(SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_VALID);
    EXPECT_EQ(st.wDayOfWeek, 4) << "29 February 2024 is a Thursday";

    struct Case {
        SYSTEMTIME st;
        bool accepted;
    };
    const Case cases[] = {
        {Time(2023, 2, 29), false}, {Time(1900, 2, 29), false}, {Time(2000, 2, 29), true},
        {Time(2023, 4, 31), false}, {Time(2023, 13, 1), false}, {Time(2023, 0, 1), false},
        {Time(2023, 1, 0), false},  {Time(1600, 12, 31), false}, {Time(1601, 1, 1), true},
        {Time(9999, 12, 31), true}, {Time(10000, 1, 1), false}, {Time(1980, 5, 7, 24), false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Set(picker, 2010, 10, 10));
        EXPECT_EQ(SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&c.st)) != 0, c.accepted)
            << c.st.wYear << "-" << c.st.wMonth << "-" << c.st.wDay;
        const Ymd expected = c.accepted ? Ymd{c.st.wYear, c.st.wMonth, c.st.wDay} : Ymd{2010, 10, 10};
        EXPECT_EQ(Get(picker), expected) << "a refused date changes nothing";
    }
    EXPECT_FALSE(SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, 0));
    EXPECT_FALSE(SendMessage(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0)) << "no empty state without the check box";
    EXPECT_EQ(SendMessage(picker, DTM_GETSYSTEMTIME, 0, 0), GDT_ERROR);
    EXPECT_TRUE(changes.empty()) << "setting is not the user's change";
}

TEST_F(DatePickers, StartsAtTodayAndKeepsTheTimeOfDayItWasGiven) {
    HWND picker = Picker();
    std::tm local{};
    CYolTimeZone::LocalFields(CYolClock::Current().Now(), local);
    EXPECT_EQ(Get(picker), (Ymd{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}));

    SYSTEMTIME st = Time(1980, 5, 7, 13);
    st.wMinute = 45;
    ASSERT_TRUE(SendMessage(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)));
    SetFocus(picker);
    Key(VK_UP);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].st.wDay, 8);
    EXPECT_EQ(changes[0].st.wHour, 13);
    EXPECT_EQ(changes[0].st.wMinute, 45);
}

TEST_F(DatePickers, ArrowKeysStepTheFocusedPartAndKeepTheDayInTheMonth) {
    HWND picker = Picker();
    ASSERT_TRUE(Set(picker, 2023, 1, 31));
    SetFocus(picker);
    struct Step {
        unsigned vk;
        Ymd date;
        bool told;
    };
    const Step steps[] = {
        {VK_UP, {2023, 1, 1}, true},     // the day goes round
        {VK_DOWN, {2023, 1, 31}, true},  // and back
        {VK_RIGHT, {2023, 1, 31}, false},
        {VK_UP, {2023, 2, 28}, true},    // February has no 31st
        {VK_DOWN, {2023, 1, 28}, true},  // the day stays where it went
        {VK_DOWN, {2023, 12, 28}, true}, // the month goes round
        {VK_RIGHT, {2023, 12, 28}, false},
        {VK_RIGHT, {2023, 12, 28}, false}, // the year is the last part
        {VK_UP, {2024, 12, 28}, true},
        {VK_HOME, {2024, 12, 28}, false},
        {VK_LEFT, {2024, 12, 28}, false},
        {VK_DOWN, {2024, 12, 27}, true},
    };
    for (const Step& s : steps) {
        changes.clear();
        Key(s.vk);
        EXPECT_EQ(Get(picker), s.date) << "key " << s.vk;
        ASSERT_EQ(changes.size(), s.told ? 1u : 0u) << "key " << s.vk;
        if (s.told) {
            EXPECT_EQ(changes[0].dwFlags, static_cast<std::uint32_t>(GDT_VALID));
            EXPECT_EQ((Ymd{changes[0].st.wYear, changes[0].st.wMonth, changes[0].st.wDay}), s.date);
        }
    }

    ASSERT_TRUE(Set(picker, 2024, 2, 29));
    Key(VK_END);
    Key(VK_UP);
    EXPECT_EQ(Get(picker), (Ymd{2025, 2, 28})) << "the leap day goes with a year that has none";
    ASSERT_TRUE(Set(picker, 9999, 6, 1));
    changes.clear();
    Key(VK_UP);
    EXPECT_EQ(Get(picker), (Ymd{9999, 6, 1})) << "years stop at the end of the calendar";
    EXPECT_TRUE(changes.empty());
}

TEST_F(DatePickers, TypedDigitsFillThePartsAndMoveOn) {
    HWND picker = Picker();
    ASSERT_TRUE(Set(picker, 2000, 1, 1));
    SetFocus(picker);
    struct Case {
        const char16_t* typed;
        Ymd date;
    };
    const Case cases[] = {
        {u"0", {2000, 1, 1}},   // a leading zero waits for its second digit
        {u"5", {2000, 1, 5}},   // 05: the day is full, the month is next
        {u"1", {2000, 1, 5}},   // 1 of the month, may become 10-12
        {u"2", {2000, 12, 5}},  // 12, the year is next
        {u"19", {2000, 12, 5}}, // a year waits for four digits
        {u"84", {1984, 12, 5}},
        {u"0150", {1601, 12, 5}}, // not a year of the calendar: the nearest one
    };
    for (const Case& c : cases) {
        Type(c.typed);
        EXPECT_EQ(Get(picker), c.date) << "typed " << std::string(c.typed, c.typed + std::char_traits<char16_t>::length(c.typed));
    }
    Key(VK_HOME);
    Type(u"4");
    EXPECT_EQ(Get(picker), (Ymd{1601, 12, 4})) << "4 cannot start a two-digit day: taken at once";
    Type(u"2");
    EXPECT_EQ(Get(picker), (Ymd{1601, 2, 4})) << "the month took the next digit";
    Type(u"2024");
    EXPECT_EQ(Get(picker), (Ymd{2024, 2, 4}));
}

TEST_F(DatePickers, CheckBoxTurnsTheNoDateStateOnAndOff) {
    HWND picker = Picker(DTS_SHOWNONE);
    ASSERT_TRUE(Set(picker, 1980, 5, 7));
    RECT c;
    GetClientRect(picker, &c);
    Tap(picker, c.bottom / 2, c.bottom / 2);
    SYSTEMTIME st;
    EXPECT_EQ(SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_NONE);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].dwFlags, static_cast<std::uint32_t>(GDT_NONE));
    EXPECT_EQ(GetFocus(), picker);

    Key(VK_UP);
    Type(u"12");
    EXPECT_EQ(changes.size(), 1u) << "without a date the parts do not edit";

    Key(VK_SPACE);
    EXPECT_EQ(Get(picker), (Ymd{1980, 5, 7})) << "the date comes back as it was";
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].dwFlags, static_cast<std::uint32_t>(GDT_VALID));

    EXPECT_TRUE(SendMessage(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0));
    EXPECT_EQ(SendMessage(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_NONE);
    EXPECT_TRUE(Set(picker, 2001, 2, 3)) << "a date checks the box again";
    EXPECT_EQ(Get(picker), (Ymd{2001, 2, 3}));
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(DatePickers, PaintsTheFocusedPartAndATapFocusesAnother) {
    HWND picker = Picker(DTS_SHOWNONE);
    ASSERT_TRUE(Set(picker, 1980, 5, 7));
    SetFocus(picker);
    UpdateWindow(picker);
    ASSERT_TRUE(Platform::SaveWindowPng(picker, "datepicker.png"));

    const auto day = Highlight(picker);
    ASSERT_GE(day.first, 0) << "the focused day is marked";
    Key(VK_END);
    const auto year = Highlight(picker);
    ASSERT_GT(year.first, day.second) << "the year is right of the day";
    EXPECT_GT(year.second - year.first, day.second - day.first) << "four digits are wider than two";
    RECT c;
    GetClientRect(picker, &c);
    EXPECT_EQ(Pixel(picker, c.bottom / 2, c.bottom / 2 + 1), GetSysColor(COLOR_WINDOW)) << "inside the check box";

    const int monthX = (day.second + year.first) / 2;
    Tap(picker, monthX, c.bottom / 2);
    Key(VK_UP);
    EXPECT_EQ(Get(picker), (Ymd{1980, 6, 7}));

    SetFocus(parent);
    EXPECT_EQ(Highlight(picker).first, -1) << "no mark without the focus";
    SendMessage(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0);
    bool grey = false;
    for (int x = day.first; x <= year.second && !grey; ++x)
        for (int y = 0; y < c.bottom && !grey; ++y)
            grey = Pixel(picker, x, y) == GetSysColor(COLOR_GRAYTEXT);
    EXPECT_TRUE(grey) << "no date: the parts show greyed";
}

} // namespace
