#include "modules/DatePr2.h"

#include "modules/Language.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <limits>

namespace kestrel {

namespace {

// The leading digits of a date field (blanks before them allowed); false when there are none.
bool readField(const std::string& text, std::size_t start, std::size_t length, int& value) {
    if (start >= text.size())
        return false;
    const std::string field = text.substr(start, length);
    std::size_t i = field.find_first_not_of(' ');
    if (i == std::string::npos || !std::isdigit(static_cast<unsigned char>(field[i])))
        return false;
    value = 0;
    for (; i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])); ++i) {
        if (value > 100000)
            return false;
        value = value * 10 + (field[i] - '0');
    }
    return true;
}

// The Julian day number of 1 January 1970, the day the system clock counts from.
constexpr std::int64_t kJulianDayOfUnixEpoch = 2440588;
// The Gregorian calendar repeats itself every 400 years, which hold 146097 days.
constexpr std::int64_t kYearsInCycle = 400;
constexpr std::int64_t kDaysInCycle = 146097;

std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// The year at the same place of the 400-year cycle that begins with year 0, which has the same
// months and leap day: <chrono> knows the years -32767 to 32767 only, a file's date may lie
// anywhere.
std::chrono::year yearInCycle(std::int64_t year) {
    return std::chrono::year{static_cast<int>(year - floorDivide(year, kYearsInCycle) * kYearsInCycle)};
}

std::string twoDigits(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

} // namespace

std::int32_t DayNumberFromDate(int year, int month, int day) {
    using namespace std::chrono;
    // A month outside 1 to 12 carries into the years, a day outside its month into the months.
    const std::int64_t monthCount = std::int64_t{year} * 12 + (month - 1);
    const std::int64_t fullYear = floorDivide(monthCount, 12);
    const auto monthOfYear = static_cast<unsigned>(monthCount - fullYear * 12 + 1);
    const sys_days first{yearInCycle(fullYear) / std::chrono::month{monthOfYear} / 1};
    const std::int64_t cycles = floorDivide(fullYear, kYearsInCycle);
    const std::int64_t number = (first + days{std::int64_t{day} - 1}).time_since_epoch().count() +
                                cycles * kDaysInCycle + kJulianDayOfUnixEpoch;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        number, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t DayNumberFromDateText(const std::string& text) {
    int year = 0;
    int month = 0;
    int day = 0;
    bool ok;
    if (text.size() >= 3 && (text[2] == '-' || text[2] == '/' || text[2] == '.'))
        ok = readField(text, 0, 2, month) && readField(text, 3, 2, day) &&
             readField(text, 6, std::string::npos, year);
    else
        ok = readField(text, 0, 4, year) && readField(text, 5, 2, month) && readField(text, 8, 2, day);
    // A text that holds no date has no day number; 0 lies far before any file's date.
    if (!ok)
        return 0;
    return DayNumberFromDate(year, month, day);
}

std::int32_t TodayDayNumber() {
    const platform::LocalDateTime now = platform::clock().now();
    return DayNumberFromDate(now.year, now.month, now.day);
}

int TimeZoneOffsetMinutes() {
    return platform::clock().now().utcOffsetMinutes;
}

int DaysInMonth(int month, int year) {
    if (month < 1 || month > 12)
        return 0;
    using namespace std::chrono;
    const year_month_day_last monthEnd{yearInCycle(year) / std::chrono::month{static_cast<unsigned>(month)} /
                                       std::chrono::last};
    return static_cast<int>(static_cast<unsigned>(monthEnd.day()));
}

bool IsLeapYear(int year, const std::string& calendar) {
    // In the Julian calendar every fourth year is one; the Gregorian leaves out three in 400.
    if (!calendar.empty() && std::toupper(static_cast<unsigned char>(calendar[0])) == 'J')
        return year % 4 == 0;
    return yearInCycle(year).is_leap();
}

std::string DateTimeText(bool blnTimeFirst, bool blnWithSeconds) {
    const platform::LocalDateTime now = platform::clock().now();
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.year, now.month, now.day);
    std::string time = twoDigits(now.hour) + ":" + twoDigits(now.minute);
    if (blnWithSeconds)
        time += ":" + twoDigits(now.second);
    return blnTimeFirst ? time + " " + GetProgramText(1212) + " " + date : std::string(date) + " " + time;
}

} // namespace kestrel
