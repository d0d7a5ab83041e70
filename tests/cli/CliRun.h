#pragma once

#include "cli/commands/Cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace kestrel::testing {

// One run of the tool in-process: its exit status and what it printed.
struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = cli::runCli(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace kestrel::testing
