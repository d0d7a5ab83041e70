#pragma once

#include <string>

namespace kestrel::platform {

// How the user's locale writes numbers: the separators and the sizes of digit groups.
struct NumberFormat {
    std::string thousandsSeparator = ",";
    std::string decimalSeparator = ".";
    int groupSize = 3; // 0: no grouping
};

// The environment's locale; where it groups no digits (the C locale), "," and "." in threes.
const NumberFormat& numberFormat();
// Tests fix the format; `nullptr` returns to the environment's.
void setNumberFormat(const NumberFormat* format);

} // namespace kestrel::platform
