#pragma once

#include "cli/commands/CliOptions.h"
#include "setup/Setup.h"

#include <string>

namespace kestrel::cli {

// A folder value from a folder named on the command line: absolute, "." and ".." resolved by
// name, ending in exactly one "/".
std::string folderValueOf(const std::string& folder, const std::string& workingFolder);

// Lays the command line's setup options over `setup`; false with a message when one of them
// cannot be used.
bool applySetupOptions(const CliOptions& options, Setup& setup, std::string& error);

} // namespace kestrel::cli
