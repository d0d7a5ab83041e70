#include "engine/SubfolderCaption.h"

namespace kestrel {

std::string NumSubfoldersCaption(std::int32_t numSubfolders, int numIncluded) {
    if (numSubfolders <= 0)
        return "There are no subfolders";
    if (numSubfolders == 1)
        return "There is one subfolder";
    return "There are " + std::to_string(numSubfolders) + " subfolders, " +
           (numIncluded != 0 ? std::to_string(numIncluded) + " selected" : std::string("none selected"));
}

} // namespace kestrel
