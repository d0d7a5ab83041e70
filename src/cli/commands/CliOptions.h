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
    std::vector<std::string> given;      // the options as named on the command line, in order

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
    // Beyond the plain mirror.
    bool removeDeleted = false;
    std::optional<long> maxRemove;
    std::optional<int> keepVersionsDays;
    bool links = false;
    bool keepAttributes = false;

    // restore: the destination (default: the source), one included subfolder, newer files of
    // the destination replaced, only checked.
    std::optional<std::string> restoreTo;
    std::optional<std::string> restoreSubfolder;
    std::optional<std::string> restoreVersions; // a run folder of the target's versions folder
    bool overwriteNewer = false;
    bool restoreCheck = false;

    bool all = false;
    bool wipe = false;
    bool clear = false;
    bool yes = false;
    bool noDiskCheck = false;
    bool progress = false;
    bool summary = false;
    bool notify = false;
    bool unattended = false;
    bool shutdown = false;
    bool help = false;
    bool version = false;

    // Whether the command line says something about the setup (a setup option), so that it
    // builds its own setup instead of taking the one the last run left.
    bool HasSetupOptions() const;
};

// Parses argv[1..]; false with a message for bad usage.
bool parseCommandLine(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// The commands, with their usage and what they do.
struct CommandInfo {
    const char* name;
    const char* arguments; // after the command's name in its usage line
    const char* summary;   // one or more lines, each indented by the help as needed
};
const std::vector<CommandInfo>& Commands();
const CommandInfo* FindCommand(const std::string& name);

// False with a message when an option given does not apply to the command.
bool CheckOptionsApply(const CliOptions& options, std::string& error);

// The option lines of the help: every option (for an empty command) or those the command takes,
// under their group headings.
std::string OptionHelp(const std::string& command);

} // namespace kestrel::cli
