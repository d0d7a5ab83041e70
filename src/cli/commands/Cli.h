#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrel::cli {

// Runs the tool on its arguments (without the program name); returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The tool's help, and one command's help (its usage, what it does and the options it takes).
std::string helpText();
std::string commandHelpText(const std::string& command);

} // namespace kestrel::cli
