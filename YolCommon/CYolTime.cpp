#include "CYolTime.h"

#include "CYolClock.h"
#include "CYolTimeZone.h"

#include <climits>
#include <ctime>
#include <string>

static_assert(sizeof(CYolTime) == 9 * sizeof(int32_t), "nine 32-bit fields");

namespace {

// mktime and timegm answer -1 both for failure and for 1969-12-31 23:59:59;
// only failure leaves the day of the week untouched.
constexpr int NotConverted = -1;

} // namespace

CYolTime::CYolTime()
{
    struct tm t;
    if (CYolTimeZone::LocalFields(CYolClock::Current().Now(), t))
        FromTm(t);
}

CYolTime::CYolTime(unsigned int unixTime)
{
    struct tm t;
    if (CYolTimeZone::UtcFields(unixTime, t))
        FromTm(t);
}

CYolTime::CYolTime(unsigned int year, unsigned int month, unsigned int day,
                   unsigned int hour, unsigned int minute, unsigned int second)
    : CYolTime()
{
    const bool valid = year > 1900 && year - 1900 <= static_cast<unsigned int>(INT32_MAX)
        && month >= 1 && month <= 12 && day < 32 && hour < 24 && minute < 60 && second < 60;
    if (!valid)
        return;
    this->second = static_cast<int32_t>(second);
    this->minute = static_cast<int32_t>(minute);
    this->hour = static_cast<int32_t>(hour);
    this->day = static_cast<int32_t>(day);
    this->month = static_cast<int32_t>(month - 1);
    this->year = static_cast<int32_t>(year - 1900);
    dayOfWeek = 0;
    dayOfYear = 0;
}

struct tm CYolTime::ToTm() const
{
    struct tm t {};
    t.tm_sec = second;
    t.tm_min = minute;
    t.tm_hour = hour;
    t.tm_mday = day;
    t.tm_mon = month;
    t.tm_year = year;
    t.tm_wday = dayOfWeek;
    t.tm_yday = dayOfYear;
    t.tm_isdst = dst;
    return t;
}

void CYolTime::FromTm(const struct tm& t)
{
    second = t.tm_sec;
    minute = t.tm_min;
    hour = t.tm_hour;
    day = t.tm_mday;
    month = t.tm_mon;
    year = t.tm_year;
    dayOfWeek = t.tm_wday;
    dayOfYear = t.tm_yday;
    dst = t.tm_isdst;
}

unsigned int CYolTime::GetUnixTime()
{
    struct tm t = ToTm();
    // The flag we hold may belong to another season (it came from "now" or
    // from an earlier date); -1 lets the C library decide for this date.
    t.tm_isdst = -1;
    t.tm_wday = NotConverted;
    const time_t result = CYolTimeZone::FromLocalFields(t);
    if (t.tm_wday == NotConverted)
        return 0;
    FromTm(t);
    return static_cast<unsigned int>(result);
}

void CYolTime::ToLocal()
{
    struct tm t = ToTm();
    t.tm_isdst = 0;
    t.tm_wday = NotConverted;
    const time_t instant = CYolTimeZone::FromUtcFields(t);
    struct tm local;
    if (t.tm_wday != NotConverted && CYolTimeZone::LocalFields(instant, local))
        FromTm(local);
}

void CYolTime::ToGMT()
{
    struct tm t = ToTm();
    t.tm_isdst = -1;
    t.tm_wday = NotConverted;
    const time_t instant = CYolTimeZone::FromLocalFields(t);
    struct tm utc;
    if (t.tm_wday != NotConverted && CYolTimeZone::UtcFields(instant, utc))
        FromTm(utc);
}

CYolString CYolTime::ToString(const CYolString& format) const
{
    const std::string pattern = format.ToUtf8();
    if (pattern.empty())
        return CYolString();
    struct tm t = ToTm();
    char text[255];
    const size_t written = CYolTimeZone::Format(text, sizeof text, pattern.c_str(), t);
    if (written == 0)
        return CYolString();
    return CYolString::FromUtf8(std::string_view(text, written));
}
