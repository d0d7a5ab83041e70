#include "modules/DatePr2.h"

#include "modules/Language.h"

#include "platform/Clock.h"

#include <cctype>
#include <cstdio>

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

std::string twoDigits(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

} // namespace

std::int32_t DayNumberFromDate(int year, int month, int day) {
    // Fliegel and Van Flandern; C++ integer division truncates toward zero as the formula wants.
    const std::int32_t y = year;
    const std::int32_t m = month;
    const std::int32_t d = day;
    const std::int32_t a = (m - 14) / 12;
    return (1461 * (y + 4800 + a)) / 4 + (367 * (m - 2 - 12 * a)) / 12 - (3 * ((y + 4900 + a) / 100)) / 4 +
           d - 32075;
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
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", now.month, now.day, now.year);
    return DayNumberFromDateText(text);
}

int TimeZoneOffsetMinutes() {
    return platform::clock().now().utcOffsetMinutes;
}

int DaysInMonth(int month, int year) {
    switch (month) {
    case 2:
        return IsLeapYear(year, "G") ? 29 : 28;
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 0;
    }
}

bool IsLeapYear(int year, const std::string& calendar) {
    if (year % 4 != 0)
        return false;
    if (year % 100 == 0 && year % 400 != 0)
        return !calendar.empty() && std::toupper(static_cast<unsigned char>(calendar[0])) == 'J';
    return true;
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
