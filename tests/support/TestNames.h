#pragma once

#include <string>
#include <string_view>

namespace kestrel::testing {

// A test's name made from a text that may hold any character (a path, an entry of a setup):
// letters and digits stay, every other character becomes a short word ("sl" for "/", "bs" for
// "\", "dot", "colon", "sp" for a blank ...), the parts joined by "_". The name is the same on
// every build, reads as the text it stands for, and `ctest -R` can pick it; "" is "empty".
std::string TestNameOf(std::string_view text);

} // namespace kestrel::testing
