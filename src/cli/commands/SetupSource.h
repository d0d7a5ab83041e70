#pragma once

#include "cli/commands/CliOptions.h"
#include "setup/Setup.h"

#include <iosfwd>

namespace kestrel::cli {

// The setup a command starts from: the setup file named on the command line, else the
// last-run setup; then the command line's options over it. Problems with the file's folders
// are told on `err`. False (with the reason on `err`) when the setup cannot be loaded.
bool loadCommandSetup(const CliOptions& options, Setup& setup, std::ostream& err);

} // namespace kestrel::cli
