#pragma once

#include <cstdint>
#include <string>

// Calendar procedures. "Today" and the time zone come from platform::clock().
namespace kestrel {

std::int32_t DayNumberFromDate(int year, int month, int day);
// Reads a date text as mm-dd-yyyy (third character "-", "/" or ".") or yyyy-mm-dd.
std::int32_t DayNumberFromDateText(const std::string& text);
std::int32_t TodayDayNumber();
int TimeZoneOffsetMinutes();
int DaysInMonth(int month, int year);
bool IsLeapYear(int year, const std::string& calendar);
std::string DateTimeText(bool blnTimeFirst, bool blnWithSeconds);

} // namespace kestrel
