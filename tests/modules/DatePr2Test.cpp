#include "modules/DatePr2.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

// Fixes "now" for one test and gives the system clock back afterwards.
class ClockGuard {
public:
    explicit ClockGuard(platform::LocalDateTime moment) : clock_(moment) { platform::setClock(&clock_); }
    ~ClockGuard() { platform::setClock(nullptr); }

private:
    platform::FixedClock clock_;
};

platform::LocalDateTime moment(int year, int month, int day, int hour, int minute, int second,
                               int offset = 0) {
    platform::LocalDateTime m;
    m.year = year;
    m.month = month;
    m.day = day;
    m.hour = hour;
    m.minute = minute;
    m.second = second;
    m.utcOffsetMinutes = offset;
    return m;
}

} // namespace

TEST(DayNumberFromDate, GivesJulianDayNumbers) {
    struct Case {
        int year, month, day;
        std::int32_t number;
    } cases[] = {
        {2000, 1, 1, 2451545},   {1970, 1, 1, 2440588},  {2024, 3, 9, 2460379},  {1600, 3, 1, 2305508},
        {1900, 1, 1, 2415021},   {1900, 2, 28, 2415079}, {1900, 3, 1, 2415080},  {2000, 2, 29, 2451604},
        {2000, 3, 1, 2451605},   {2100, 1, 1, 2488070},  {2100, 2, 28, 2488128}, {2100, 3, 1, 2488129},
        {9999, 12, 31, 5373484}, {-4713, 11, 24, 0}, // the first day of the count
        {1969, 12, 31, 2440587},                     // the day before the system clock's first
    };
    for (const Case& c : cases)
        EXPECT_EQ(DayNumberFromDate(c.year, c.month, c.day), c.number)
            << c.year << "-" << c.month << "-" << c.day;
}

TEST(DayNumberFromDate, TheLastDayOfEveryMonthIsFollowedByTheFirstOfTheNext) {
    for (int year : {1900, 1999, 2000, 2023, 2024, 2100, 2400}) {
        for (int month = 1; month <= 12; ++month) {
            const int last = DaysInMonth(month, year);
            const int nextYear = month == 12 ? year + 1 : year;
            const int nextMonth = month == 12 ? 1 : month + 1;
            EXPECT_EQ(DayNumberFromDate(nextYear, nextMonth, 1) - DayNumberFromDate(year, month, last), 1)
                << year << "-" << month << "-" << last;
        }
    }
}

TEST(DayNumberFromDate, DaysAndMonthsOutsideTheirRangeCarryOver) {
    EXPECT_EQ(DayNumberFromDate(2024, 1, 32), DayNumberFromDate(2024, 2, 1));
    EXPECT_EQ(DayNumberFromDate(2023, 2, 29), DayNumberFromDate(2023, 3, 1));
    EXPECT_EQ(DayNumberFromDate(2024, 3, 0), DayNumberFromDate(2024, 2, 29));
    EXPECT_EQ(DayNumberFromDate(2023, 13, 1), DayNumberFromDate(2024, 1, 1));
    EXPECT_EQ(DayNumberFromDate(2024, 0, 1), DayNumberFromDate(2023, 12, 1));
}

TEST(DayNumberFromDate, YearsBeyondTheCalendarLibraryCountOnByFourHundredYearCycles) {
    // 400 Gregorian years hold 146097 days, wherever they lie.
    EXPECT_EQ(DayNumberFromDate(40000, 1, 1) - DayNumberFromDate(2000, 1, 1), 95 * 146097);
    EXPECT_EQ(DayNumberFromDate(40000, 3, 1) - DayNumberFromDate(40000, 2, 28), 2); // 40000 is a leap year
    EXPECT_EQ(DayNumberFromDate(-40000, 1, 1) - DayNumberFromDate(-39600, 1, 1), -146097);
}

TEST(DayNumberFromDate, DifferencesCountTheDaysAcrossLeapDaysAndYearEnds) {
    struct Case {
        int y1, m1, d1, y2, m2, d2, days;
    } cases[] = {
        {1900, 2, 28, 1900, 3, 1, 1}, // 1900 has no 29 February
        {2000, 2, 28, 2000, 3, 1, 2},  {2024, 2, 28, 2024, 3, 1, 2},  {2023, 2, 28, 2023, 3, 1, 1},
        {2023, 12, 31, 2024, 1, 1, 1}, {2024, 1, 1, 2025, 1, 1, 366}, {2023, 1, 1, 2024, 1, 1, 365},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DayNumberFromDate(c.y2, c.m2, c.d2) - DayNumberFromDate(c.y1, c.m1, c.d1), c.days)
            << c.y1 << "-" << c.m1 << "-" << c.d1;
}

TEST(DayNumberFromDateText, ReadsMonthFirstAndYearFirstForms) {
    const std::int32_t ninthOfMarch = DayNumberFromDate(2024, 3, 9);
    struct Case {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"03-09-2024", ninthOfMarch},
        {"03/09/2024", ninthOfMarch},
        {"03.09.2024", ninthOfMarch},
        {"2024-03-09", ninthOfMarch},
        {"2024-03-09 14:05", ninthOfMarch},
        {"12-31-1999", DayNumberFromDate(1999, 12, 31)},
        {"", 0},
        {"no date", 0},
        {"2024-xx-09", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DayNumberFromDateText(c.text), c.expected) << c.text;
}

TEST(TodayDayNumber, IsTheClocksLocalDate) {
    ClockGuard guard(moment(2024, 3, 9, 23, 59, 59, -300));
    EXPECT_EQ(TodayDayNumber(), DayNumberFromDate(2024, 3, 9));
}

TEST(TimeZoneOffsetMinutes, IsTheClocksOffset) {
    {
        ClockGuard guard(moment(2024, 3, 9, 12, 0, 0, 60));
        EXPECT_EQ(TimeZoneOffsetMinutes(), 60);
    }
    {
        ClockGuard guard(moment(2024, 3, 9, 12, 0, 0, -330));
        EXPECT_EQ(TimeZoneOffsetMinutes(), -330);
    }
}

TEST(IsLeapYear, GregorianAndJulianRules) {
    struct Case {
        int year;
        const char* calendar;
        bool expected;
    } cases[] = {
        {2024, "G", true},      {2023, "G", false},
        {2000, "G", true},      {1900, "G", false},
        {2100, "G", false},     {1900, "J", true},
        {1900, "julian", true}, {2023, "J", false},
        {1900, "", false},      {1900, "Gregorian", false},
        {2400, "G", true},      {1600, "g", true},
        {0, "G", true},         {-4, "G", true},
        {-100, "G", false},     {-1, "J", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsLeapYear(c.year, c.calendar), c.expected) << c.year << " " << c.calendar;
}

TEST(DaysInMonth, LengthsOfEveryMonthAndNoneOutsideTheYear) {
    const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(DaysInMonth(month, 2023), lengths[month - 1]) << month;
    EXPECT_EQ(DaysInMonth(2, 1900), 28);
    EXPECT_EQ(DaysInMonth(2, 2000), 29);
    EXPECT_EQ(DaysInMonth(2, 2024), 29);
    EXPECT_EQ(DaysInMonth(2, 2100), 28);
    EXPECT_EQ(DaysInMonth(2, 2400), 29);
    EXPECT_EQ(DaysInMonth(2, 40000), 29);
    EXPECT_EQ(DaysInMonth(2, -100), 28);
    EXPECT_EQ(DaysInMonth(0, 2024), 0);
    EXPECT_EQ(DaysInMonth(13, 2024), 0);
}

TEST(DateTimeText, DateFirstOrTimeFirstWithOrWithoutSeconds) {
    ClockGuard guard(moment(2024, 3, 9, 7, 5, 3, 60));
    EXPECT_EQ(DateTimeText(false, true), "2024-03-09 07:05:03");
    EXPECT_EQ(DateTimeText(false, false), "2024-03-09 07:05");
    EXPECT_EQ(DateTimeText(true, false), "07:05 on 2024-03-09");
    EXPECT_EQ(DateTimeText(true, true), "07:05:03 on 2024-03-09");
}
