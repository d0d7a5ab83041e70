#pragma once

#include <string>
#include <vector>

namespace kestrel {

// The items of `cboPercent`: "10%", "20%", ..., "90%"; item i stands for (i + 1) * 10 percent.
std::vector<std::string> PercentItems();

// An item of `cboModifiedSince` with its item value: -1 for no date restriction, else the number
// of days the backup goes back from today.
struct ModifiedSinceItem {
    std::string text;
    int value;
};

// Five items from the program texts; the last is the fourth's text with every "2" turned into "4".
std::vector<ModifiedSinceItem> ModifiedSinceItems();

// The item value of a list index of `cboModifiedSince`; -1 (no restriction) outside the list.
int ModifiedSinceValue(int index);

} // namespace kestrel
