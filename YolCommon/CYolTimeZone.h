#pragma once
// The one door to the C library's time-zone state. localtime, mktime, tzset
// and strftime read TZ and may free and rebuild the zone tables they share;
// the C library guards them with a lock nobody else sees, and several
// account threads stamp times at once. Every such call in the program goes
// through here, one at a time, so no thread ever reads a table another is
// rebuilding.

#include "YolTypes.h"

#include <cstddef>
#include <cstdint>
#include <ctime>

class YOL_API CYolTimeZone {
public:
    // The local (or UTC) fields of seconds since 1970-01-01 00:00 UTC; false
    // when the instant cannot be represented.
    static bool LocalFields(int64_t unixTime, struct tm& out);
    static bool UtcFields(int64_t unixTime, struct tm& out);
    // mktime and timegm: normalise the fields in place and answer the
    // instant; on failure -1 with the fields untouched.
    static time_t FromLocalFields(struct tm& fields);
    static time_t FromUtcFields(struct tm& fields);
    // strftime into out (size bytes); 0 when the result does not fit.
    static size_t Format(char* out, size_t size, const char* format, const struct tm& fields);
    // Sets TZ (null: removes it) and has the C library read it again.
    static void Use(const char* zone);

    CYolTimeZone() = delete;
};
