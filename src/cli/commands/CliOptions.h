#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel::cli {

// What a command line asks for: the command, an optional setup file, and the options that
// build or override a setup.
struct CliOptions {
    std::string command;
    std::vector<std::string> setupFiles; // the setup file (or, for `multiple`, the files)

    std::optional<std::string> source;
    std::optional<std::string> target;
    std::vector<std::string> includes;
    bool includeAll = false;
    bool subfolders = false;
    bool excludeSourceFiles = false;
    std::optional<std::string> extension;
    std::optional<std::string> skip;
    std::optional<int> modifiedSinceIndex;
    bool warnOlder = false;
    std::optional<int> warnSmallerPercent;
    bool suppressDetails = false;
    std::optional<std::string> reportFile;
    bool noReport = false;

    bool all = false;
    bool wipe = false;
    bool yes = false;
    bool progress = false;
    bool unattended = false;
    bool shutdown = false;
    bool help = false;
    bool version = false;
};

// Parses argv[1..]; false with a message for bad usage.
bool parseCommandLine(const std::vector<std::string>& args, CliOptions& options, std::string& error);

} // namespace kestrel::cli
