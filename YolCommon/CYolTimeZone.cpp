#include "CYolTimeZone.h"

#include <cstdlib>
#include <mutex>

namespace {

std::mutex& ZoneLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

bool CYolTimeZone::LocalFields(int64_t unixTime, struct tm& out)
{
    const time_t when = static_cast<time_t>(unixTime);
    std::lock_guard<std::mutex> guard(ZoneLock());
    return localtime_r(&when, &out) != nullptr;
}

bool CYolTimeZone::UtcFields(int64_t unixTime, struct tm& out)
{
    const time_t when = static_cast<time_t>(unixTime);
    std::lock_guard<std::mutex> guard(ZoneLock());
    return gmtime_r(&when, &out) != nullptr;
}

time_t CYolTimeZone::FromLocalFields(struct tm& fields)
{
    std::lock_guard<std::mutex> guard(ZoneLock());
    return mktime(&fields);
}

time_t CYolTimeZone::FromUtcFields(struct tm& fields)
{
    std::lock_guard<std::mutex> guard(ZoneLock());
    return timegm(&fields);
}

size_t CYolTimeZone::Format(char* out, size_t size, const char* format, const struct tm& fields)
{
    std::lock_guard<std::mutex> guard(ZoneLock());
    return strftime(out, size, format, &fields);
}

void CYolTimeZone::Use(const char* zone)
{
    std::lock_guard<std::mutex> guard(ZoneLock());
    if (zone != nullptr)
        setenv("TZ", zone, 1);
    else
        unsetenv("TZ");
    tzset();
}
