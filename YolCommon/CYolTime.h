#pragma once
// A calendar time as nine broken-down fields in the C library's order, for
// message time stamps, history and birthdays. Whether the fields are local
// or UTC is the holder's knowledge: ToLocal and ToGMT convert between them.

#include "CYolString.h"
#include "YolTypes.h"

#include <ctime>

class YOL_API CYolTime {
public:
    // The current local time (of CYolClock::Current()).
    CYolTime();
    // The UTC fields of seconds since 1970-01-01 00:00 UTC.
    explicit CYolTime(unsigned int unixTime);
    // The given date and time (month 1-12). Values outside year > 1900,
    // month 1-12, day < 32, hour < 24, minute < 60, second < 60 are refused
    // and the current local time kept. The day of the week and of the year
    // are 0 until GetUnixTime normalises the fields.
    CYolTime(unsigned int year, unsigned int month, unsigned int day,
             unsigned int hour, unsigned int minute, unsigned int second);

    // The fields taken as local time, as Unix seconds; normalises the fields
    // in place (31 February becomes 3 March) and lets the C library decide
    // whether daylight saving applies. 0 when the date cannot be converted.
    unsigned int GetUnixTime();

    // The fields, taken as UTC, become the local fields of the same instant
    // (half-hour zones and daylight saving included), and back.
    void ToLocal();
    void ToGMT();

    // strftime of the fields; at most 254 characters, empty when the result
    // does not fit or the conversion fails.
    CYolString ToString(const CYolString& format) const;

    int Year() const { return year + 1900; }
    int Month() const { return month + 1; }
    int Day() const { return day; }
    int Hour() const { return hour; }
    int Minute() const { return minute; }
    int Second() const { return second; }
    int DayOfWeek() const { return dayOfWeek; } // 0 = Sunday
    int DayOfYear() const { return dayOfYear; } // 0-365
    int IsDst() const { return dst; }

private:
    struct tm ToTm() const;
    void FromTm(const struct tm& t);

    int32_t second = 0;
    int32_t minute = 0;
    int32_t hour = 0;
    int32_t day = 1;
    int32_t month = 0;
    int32_t year = 70;
    int32_t dayOfWeek = 4;
    int32_t dayOfYear = 0;
    int32_t dst = 0;
};
