#pragma once

#include <string>

namespace kestrel::platform {

// How a locale writes numbers: the separators (UTF-8, one or more bytes: de_CH groups with "’")
// and the sizes of its digit groups, counted from the decimal point.
struct NumberFormat {
    std::string thousandsSeparator = ",";
    std::string decimalSeparator = ".";
    int groupSize = 3;             // the group next to the decimal point; 0: no grouping
    int higherGroupSize = 0;       // the groups further left (en_IN: 2, 12,34,567); 0: as groupSize
    int minimumGroupingDigits = 1; // digits the highest group needs before a number is grouped
                                   // at all (es_ES writes 1234 but 12.345: 2)
};

// The environment's locale; where it groups no digits (the C locale), "," and "." in threes.
const NumberFormat& numberFormat();
// Tests fix the format; `nullptr` returns to the environment's.
void setNumberFormat(const NumberFormat* format);

// The environment's format as the system states it, read once by numberFormat().
NumberFormat environmentNumberFormat();

// The format of a named locale ("en_IN", "de_CH"), read from Qt's locale data; the C locale and
// an unknown name give "," and "." in threes.
NumberFormat numberFormatOfLocale(const std::string& localeName);

// The integer digits (no sign) with the format's group separators.
std::string groupDigits(const std::string& digits, const NumberFormat& format);

} // namespace kestrel::platform
