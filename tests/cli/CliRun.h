#pragma once

#include "cli/commands/Cli.h"
#include "support/EnvironmentGuard.h"

#include <algorithm>
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

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The lines of a report, each without its leading blanks (only the screen indents a folder's
// remark), so that standard output and the report file compare line by line.
inline std::vector<std::string> reportLinesOf(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t stop = text.find(end, start);
        if (stop == std::string::npos)
            stop = text.size();
        const std::string line = text.substr(start, stop - start);
        lines.push_back(line.substr(std::min(line.find_first_not_of(' '), line.size())));
        start = stop + end.size();
    }
    return lines;
}

// Points the per-user configuration (the last-run setup) at a temporary folder for as long as it
// lives.
class ConfigHome {
public:
    explicit ConfigHome(const std::string& folder) { SetEnvironment(kConfigHomeVariable, folder); }

private:
    EnvironmentGuard guard_{kConfigHomeVariable};
};

} // namespace kestrel::testing
