#include "setup/ChoiceLists.h"

#include "modules/Language.h"

#include <algorithm>
#include <array>

namespace kestrel {

namespace {

constexpr std::array<int, 5> modifiedSinceValues = {-1, 2, 6, 13, 27};

} // namespace

std::vector<std::string> PercentItems() {
    std::vector<std::string> items;
    for (int percent = 10; percent <= 90; percent += 10)
        items.push_back(std::to_string(percent) + "%");
    return items;
}

std::vector<ModifiedSinceItem> ModifiedSinceItems() {
    std::string fourWeeks = GetProgramText(358);
    std::replace(fourWeeks.begin(), fourWeeks.end(), '2', '4');
    return {
        {GetProgramText(353), modifiedSinceValues[0]}, {GetProgramText(356), modifiedSinceValues[1]},
        {GetProgramText(357), modifiedSinceValues[2]}, {GetProgramText(358), modifiedSinceValues[3]},
        {fourWeeks, modifiedSinceValues[4]},
    };
}

int ModifiedSinceValue(int index) {
    if (index < 0 || index >= static_cast<int>(modifiedSinceValues.size()))
        return -1;
    return modifiedSinceValues[static_cast<std::size_t>(index)];
}

} // namespace kestrel
