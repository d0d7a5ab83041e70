#include "platform/Clock.h"

#include <windows.h>

#include <cstdint>

namespace kestrel::platform {

namespace {

std::int64_t minutesOf(const SYSTEMTIME& time) {
    FILETIME file;
    ::SystemTimeToFileTime(&time, &file);
    const std::int64_t steps = (static_cast<std::int64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    return steps / (10000000LL * 60);
}

} // namespace

LocalDateTime SystemClock::now() const {
    // Both readings of one moment: the local time, and UTC for the zone's distance (the time
    // zone's bias with daylight saving as it stands at that moment).
    FILETIME nowUtc;
    ::GetSystemTimeAsFileTime(&nowUtc);
    SYSTEMTIME utc, local;
    ::FileTimeToSystemTime(&nowUtc, &utc);
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        local = utc;
    LocalDateTime moment;
    moment.year = local.wYear;
    moment.month = local.wMonth;
    moment.day = local.wDay;
    moment.hour = local.wHour;
    moment.minute = local.wMinute;
    moment.second = local.wSecond;
    local.wMilliseconds = utc.wMilliseconds;
    local.wSecond = utc.wSecond;
    moment.utcOffsetMinutes = static_cast<int>(minutesOf(local) - minutesOf(utc));
    return moment;
}

} // namespace kestrel::platform
