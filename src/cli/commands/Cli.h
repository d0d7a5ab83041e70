#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrel::cli {

// Runs the tool on its arguments (without the program name); returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

std::string helpText();

} // namespace kestrel::cli
