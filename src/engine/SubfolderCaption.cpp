#include "engine/SubfolderCaption.h"

#include "modules/Language.h"

namespace kestrel {

std::string NumSubfoldersCaption(std::int32_t numSubfolders, int numIncluded) {
    if (numSubfolders <= 0)
        return GetProgramText(1293);
    if (numSubfolders == 1)
        return GetProgramText(1294);
    return GetProgramText(1295) + " " + std::to_string(numSubfolders) + " " + GetProgramText(1296) + ", " +
           (numIncluded != 0 ? std::to_string(numIncluded) + " " + GetProgramText(1297)
                             : GetProgramText(1298));
}

} // namespace kestrel
