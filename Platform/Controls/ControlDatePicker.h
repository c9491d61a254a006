#pragma once
// The date picker: a field that shows a date as day, month and year, each
// changed in place. The focused part steps with the up and down keys (round
// from the last value to the first), takes typed digits, and left and right
// move between the parts; a tap on a part focuses it.
//
// With DTS_SHOWNONE a check box in front of the date turns the no-date state
// on and off (a tap on it or the space key); without a date the parts show
// greyed and do not edit.
//
// Every change the user makes tells the parent DTN_DATETIMECHANGE with the
// new state; DTM_SETSYSTEMTIME tells nothing. The picker holds dates of the
// years 1601 to 9999 only: a date outside them, or one that does not exist,
// is refused and nothing changes. When the month or year changes under a
// day the new month does not have, the day becomes the month's last.

#include "Control.h"
#include "WindowSystem/Messages.h"

#include <cstdint>

// A calendar date and time of day. wDayOfWeek (0 Sunday) is answered by
// DTM_GETSYSTEMTIME and ignored when setting.
struct SYSTEMTIME {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

constexpr const char16_t* DATETIMEPICK_CLASS = u"datepicker";

// The date as digits: day.month.year with two-digit day and month.
constexpr std::uint32_t DTS_SHORTDATEFORMAT = 0x0000;
constexpr std::uint32_t DTS_SHOWNONE = 0x0002;

constexpr LRESULT GDT_ERROR = -1;
constexpr LRESULT GDT_VALID = 0;
constexpr LRESULT GDT_NONE = 1;

// lParam SYSTEMTIME*, filled when there is a date; answers GDT_VALID or
// GDT_NONE (GDT_ERROR without a record).
constexpr UINT DTM_GETSYSTEMTIME = 0x01F0;
// wParam GDT_VALID with lParam the SYSTEMTIME*, or GDT_NONE (only with
// DTS_SHOWNONE). Answers TRUE, or FALSE when refused.
constexpr UINT DTM_SETSYSTEMTIME = 0x01F1;

// WM_NOTIFY code; the record is an NMDATETIMECHANGE.
constexpr UINT DTN_DATETIMECHANGE = static_cast<UINT>(-759);

struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    // GDT_VALID with the date in st, or GDT_NONE.
    std::uint32_t dwFlags = 0;
    SYSTEMTIME st;
};

namespace Platform::Controls {
// The class's window procedure (registered in Control.cpp).
LRESULT DatePickerProc(HWND, UINT, WPARAM, LPARAM);
} // namespace Platform::Controls
