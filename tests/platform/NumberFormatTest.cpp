#include "platform/NumberFormat.h"

#include <gtest/gtest.h>

namespace kestrel::platform {
namespace {

// The locale's own group sizes and separators, whatever the machine's locale.
TEST(NumberFormatOfLocale, GroupsAsTheLocaleWrites) {
    struct Case {
        const char* locale;
        const char* digits;
        const char* grouped;
        const char* decimalSeparator;
    } cases[] = {
        {"C", "1234567", "1,234,567", "."},
        {"en_US", "1234567", "1,234,567", "."},
        {"en_IN", "1234567", "12,34,567", "."},
        {"en_IN", "123456789012", "1,23,45,67,89,012", "."},
        {"en_IN", "1234", "1,234", "."},
        {"de_CH", "1234567", "1\u2019234\u2019567", "."},
        {"de_DE", "1234567", "1.234.567", ","},
#ifdef _WIN32 // Windows' locales know no minimum of grouping digits
        {"es_ES", "1234", "1.234", ","},
#else
        {"es_ES", "1234", "1234", ","}, // four digits stay ungrouped
#endif
        {"es_ES", "12345", "12.345", ","},
        {"en_US", "999", "999", "."},
        {"en_US", "", "", "."},
        {"zz_ZZ", "1234567", "1,234,567", "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.digits);
        const NumberFormat format = numberFormatOfLocale(c.locale);
        EXPECT_EQ(groupDigits(c.digits, format), c.grouped);
        EXPECT_EQ(format.decimalSeparator, c.decimalSeparator);
    }
}

TEST(NumberFormatOfLocale, TheCLocaleKeepsCommaAndPointInThrees) {
    const NumberFormat format = numberFormatOfLocale("C");
    EXPECT_EQ(format.thousandsSeparator, ",");
    EXPECT_EQ(format.decimalSeparator, ".");
    EXPECT_EQ(format.groupSize, 3);
    EXPECT_EQ(format.higherGroupSize, 0);
    EXPECT_EQ(format.minimumGroupingDigits, 1);
}

TEST(GroupDigits, AFormatWithoutGroupsLeavesTheDigits) {
    NumberFormat format;
    format.groupSize = 0;
    EXPECT_EQ(groupDigits("1234567", format), "1234567");
}

} // namespace
} // namespace kestrel::platform
