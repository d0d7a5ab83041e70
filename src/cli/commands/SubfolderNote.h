#pragma once

#include "setup/Setup.h"

#include <string>

namespace kestrel::cli {

// When the source has direct subfolders that the setup does not include (a subfolder made after
// the setup was saved is never backed up): the main window's caption ("There are 5 subfolders,
// 3 selected") and the names left out, one line each. "" when every direct subfolder is included,
// there is none, or the source cannot be read (the operation says so itself).
std::string UnincludedSubfoldersNote(const Setup& setup);

} // namespace kestrel::cli
