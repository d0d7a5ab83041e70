#pragma once

#include "cli/commands/Cli.h"

#include <cstdlib>
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

// Points the per-user configuration (the last-run setup) at a temporary folder.
class ConfigHome {
public:
    explicit ConfigHome(const std::string& folder) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            old_ = old;
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~ConfigHome() {
        if (old_.empty())
            ::unsetenv("XDG_CONFIG_HOME");
        else
            ::setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    }
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

private:
    std::string old_;
};

} // namespace kestrel::testing
