#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// What the main window says under the source folder of its direct subfolders, `numIncluded` of
// them in the included list: "There are no subfolders", "There is one subfolder", "There are 5
// subfolders, 3 selected" or "There are 5 subfolders, none selected". The command-line tool
// says it in the same words.
std::string NumSubfoldersCaption(std::int32_t numSubfolders, int numIncluded);

} // namespace kestrel
