#pragma once

#include "setup/Setup.h"

#include <string>

namespace kestrel::cli {

// A setup readably, one field a line in the order of the setup file, and after it the note on
// the source's subfolders the setup leaves out: what `show` prints and what the confirmation at
// a terminal shows above its question.
std::string SetupText(const Setup& setup);

} // namespace kestrel::cli
