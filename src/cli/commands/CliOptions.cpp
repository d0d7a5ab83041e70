#include "cli/commands/CliOptions.h"

#include <algorithm>
#include <map>

namespace kestrel::cli {

namespace {

enum CommandBit : unsigned {
    Backup = 1,
    Check = 2,
    List = 4,
    Delete = 8,
    Multiple = 16,
    Save = 32,
    Show = 64,
    SetupsFolder = 128,
    Restore = 256,
    AllCommands = 511,
    // A setup's fields: every command that builds a setup takes them.
    Building = Backup | Check | List | Save | Show | Restore,
    // What the deletion reads of a setup: its folders and its report file.
    Deleting = Building | Delete,
    Operating = Backup | Check | List | Delete | Multiple | Restore,
};

enum class Group { Setup, Run, Other };

// Each option once: its name, its value's placeholder (none for a switch), the commands that
// take it and its help, so that parsing, refusals and every help page agree.
struct OptionInfo {
    const char* name;
    const char* value;
    unsigned commands;
    Group group;
    const char* help; // lines after the first are indented under it
};

const std::vector<OptionInfo>& Options() {
    static const std::vector<OptionInfo> options = {
        {"--source", "DIR", Deleting, Group::Setup, "the source folder"},
        {"--target", "DIR", Deleting, Group::Setup, "the target folder"},
        {"--include", "SUBFOLDER", Building, Group::Setup,
         "back up this subfolder of the source (repeatable)"},
        {"--include-all", nullptr, Building, Group::Setup, "back up every direct subfolder of the source"},
        {"--subfolders", nullptr, Building, Group::Setup, "include all subfolders of the included ones"},
        {"--exclude-source-files", nullptr, Building, Group::Setup,
         "leave out the files of the source folder itself"},
        {"--ext", "PATTERN", Building, Group::Setup, "only files whose names match, e.g. *.doc? or txt"},
        {"--skip", "FRAGMENTS", Building, Group::Setup,
         "skip file paths containing any of these\ncomma-separated fragments"},
        {"--modified-since", "DAYS", Building, Group::Setup, "any, 3, 7, 14 or 28"},
        {"--warn-older", nullptr, Building, Group::Setup, "warn when a file is older than its backup copy"},
        {"--warn-smaller", "PERCENT", Building, Group::Setup,
         "warn when a file is smaller than PERCENT (10..90)\nof its backup copy"},
        {"--suppress-details", nullptr, Building, Group::Setup, "report folders and totals only"},
        {"--report", "FILE", Deleting, Group::Setup, "write the report into FILE too"},
        {"--no-report", nullptr, Deleting, Group::Setup, "do not write the report file"},
        {"--remove-deleted", nullptr, Building, Group::Setup,
         "after a backup, remove from the target what the\nsource no longer has below the walked folders"},
        {"--max-remove", "N", Building, Group::Setup,
         "remove at most N files and folders a run (0: no\nlimit); past it the backup removes nothing and\n"
         "ends with status 1, even with --yes"},
        {"--keep-versions", "DAYS", Building, Group::Setup,
         "move a copy about to be replaced or removed into\nthe target's .kestrel-versions folder and keep "
         "it\nDAYS days (0: keep none)"},
        {"--links", nullptr, Building, Group::Setup, "copy symbolic links as links, never followed"},
        {"--keep-attributes", nullptr, Building, Group::Setup,
         "keep folder times and permission modes (as root,\nalso owners, extended attributes and ACLs)"},
        {"--all", nullptr, Backup, Group::Run,
         "backup: every selected file, not only new and\nmodified ones"},
        {"--wipe", nullptr, Delete, Group::Run, "delete: overwrite each file before deleting it"},
        {"--to", "DIR", Restore, Group::Run, "restore: into DIR instead of the source folder"},
        {"--subfolder", "SUBFOLDER", Restore, Group::Run,
         "restore: only this one of the included subfolders"},
        {"--versions", "RUN", Restore, Group::Run,
         "restore: the earlier copies a run kept, from the\ntarget's .kestrel-versions/RUN folder"},
        {"--overwrite-newer", nullptr, Restore, Group::Run,
         "restore: replace files that are newer than their\ncopies in the backup too (--yes does not)"},
        {"--check", nullptr, Restore, Group::Run,
         "restore: only report what a restore would copy and\nwhat it would leave alone"},
        {"--unattended", nullptr, Backup, Group::Run,
         "backup: the unattended run of the last-run\nsetup, its report in the target folder; for\ntimers"},
        {"--shutdown", nullptr, Backup, Group::Run,
         "with --unattended: shut the computer down\nafterwards (Enter at the prompt calls it off)"},
        {"--no-disk-check", nullptr, Backup | Multiple | Restore, Group::Run,
         "back up even where the target's disk seems not to\nbe there (an /etc/fstab mount point that is "
         "not\n"
         "mounted, or another disk than at its last backup)"},
        {"--yes", nullptr, Operating, Group::Run,
         "ask nothing: answer as an unattended run does;\nwithout it, a deletion asks at the terminal and "
         "is\n"
         "refused where there is none"},
        {"--clear", nullptr, SetupsFolder, Group::Run, "setups-folder: choose no setups folder"},
        {"--progress", nullptr, Operating, Group::Run,
         "show a status line on standard error (when it is\na terminal): the file, its bytes and percent,\n"
         "the totals, the rate and the time left"},
        {"--summary", nullptr, Operating, Group::Run,
         "standard output gets the report's summary only,\nnot a line per folder and file (the report file\n"
         "keeps them all); for journals"},
        {"--notify", nullptr, Operating, Group::Run,
         "when the run ends with errors or warnings, is\nrefused or cancelled, tell the desktop user too\n"
         "(a notification, where the desktop has a\nnotification service)"},
        {"--help", nullptr, AllCommands, Group::Other, "show this text (after a command: its own help)"},
        {"--version", nullptr, AllCommands, Group::Other, "show the version"},
    };
    return options;
}

const std::map<std::string, unsigned>& CommandBits() {
    static const std::map<std::string, unsigned> bits = {
        {"backup", Backup},     {"check", Check}, {"list", List}, {"delete", Delete},
        {"multiple", Multiple}, {"save", Save},   {"show", Show}, {"setups-folder", SetupsFolder},
        {"restore", Restore},
    };
    return bits;
}

const OptionInfo* FindOption(const std::string& name) {
    const std::string canonical = name == "-h" ? "--help" : name;
    for (const OptionInfo& option : Options())
        if (canonical == option.name)
            return &option;
    return nullptr;
}

// "--modified-since" takes days; the setup stores the index of the list entry.
std::optional<int> modifiedSinceIndexOf(const std::string& value) {
    static const std::map<std::string, int> indexes = {{"any", 0}, {"3", 1}, {"7", 2}, {"14", 3}, {"28", 4}};
    auto it = indexes.find(value);
    if (it == indexes.end())
        return std::nullopt;
    return it->second;
}

std::optional<int> percentOf(std::string value) {
    if (!value.empty() && value.back() == '%')
        value.pop_back();
    if (value.size() != 2 || value[1] != '0' || value[0] < '1' || value[0] > '9')
        return std::nullopt;
    return (value[0] - '0') * 10;
}

// A whole number from 0 to `high`.
std::optional<long> countOf(const std::string& value, long high) {
    if (value.empty() || value.size() > 10 || value.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long long number = std::stoll(value);
    if (number > high)
        return std::nullopt;
    return static_cast<long>(number);
}

} // namespace

bool CliOptions::HasSetupOptions() const {
    return std::any_of(given.begin(), given.end(), [](const std::string& name) {
        const OptionInfo* option = FindOption(name);
        return option && option->group == Group::Setup;
    });
}

const std::vector<CommandInfo>& Commands() {
    static const std::vector<CommandInfo> commands = {
        {"backup", "[SETUP.zbk]",
         "back up the new and modified files of the setup\n(--all: every selected file)"},
        {"check", "[SETUP.zbk]", "report which files a backup would copy, without copying"},
        {"list", "[SETUP.zbk]",
         "list the folders a backup would visit (or, when the\nsource has no included subfolders, its "
         "files)"},
        {"delete", "[SETUP.zbk]",
         "delete every file below the target folder (--wipe:\noverwrite each first); asks first unless "
         "--yes"},
        {"multiple", "[SETUP.zbk... | FOLDER]",
         "back up the new and modified files of each setup, one\nafter the other (a folder: all its *.zbk "
         "files;\nneither: those of the setups folder)"},
        {"save", "[SETUP.zbk]",
         "write the setup built from the options (from a cleared\nsetup) into SETUP.zbk; without a file, "
         "into "
         "the last-run\nsetup that an unattended run uses"},
        {"show", "[SETUP.zbk]", "print a setup (without a file: the last-run setup)"},
        {"setups-folder", "[DIR | --clear]",
         "show the setups folder, where the desktop program\nand multiple look for setup files; with DIR, "
         "choose it"},
        {"restore", "[SETUP.zbk]",
         "copy the setup's backup back into its source folder\n(--to: another folder; --subfolder: one "
         "included\n"
         "subfolder); a file there newer than its copy stays\nand is named unless --overwrite-newer; "
         "--check\n"
         "first to see what it would do"},
    };
    return commands;
}

const CommandInfo* FindCommand(const std::string& name) {
    for (const CommandInfo& command : Commands())
        if (name == command.name)
            return &command;
    return nullptr;
}

bool CheckOptionsApply(const CliOptions& options, std::string& error) {
    auto bit = CommandBits().find(options.command);
    if (bit == CommandBits().end())
        return true; // an unknown command is refused by itself
    for (const std::string& name : options.given) {
        const OptionInfo* option = FindOption(name);
        if (option && !(option->commands & bit->second)) {
            error = options.command + " does not take " + name;
            return false;
        }
    }
    return true;
}

std::string OptionHelp(const std::string& command) {
    unsigned wanted = AllCommands;
    if (auto bit = CommandBits().find(command); bit != CommandBits().end())
        wanted = bit->second;
    const std::pair<Group, const char*> groups[] = {
        {Group::Setup, "Setup options:"}, {Group::Run, "Run options:"}, {Group::Other, "Other options:"}};
    std::string text;
    for (const auto& [group, heading] : groups) {
        std::string lines;
        for (const OptionInfo& option : Options()) {
            if (option.group != group || !(option.commands & wanted))
                continue;
            std::string head = "  " + std::string(option.name);
            if (option.name == std::string("--help"))
                head += ", -h";
            if (option.value)
                head += " " + std::string(option.value);
            head.resize(std::max<std::size_t>(head.size() + 1, 29), ' ');
            std::string help = option.help;
            for (std::size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
                help.insert(at + 1, std::string(29, ' '));
            lines += head + help + "\n";
        }
        if (!lines.empty())
            text += (text.empty() ? "" : "\n") + std::string(heading) + "\n" + lines;
    }
    return text;
}

bool parseCommandLine(const std::vector<std::string>& args, CliOptions& options, std::string& error) {
    const std::map<std::string, bool CliOptions::*> flags = {
        {"--include-all", &CliOptions::includeAll},
        {"--subfolders", &CliOptions::subfolders},
        {"--exclude-source-files", &CliOptions::excludeSourceFiles},
        {"--warn-older", &CliOptions::warnOlder},
        {"--suppress-details", &CliOptions::suppressDetails},
        {"--remove-deleted", &CliOptions::removeDeleted},
        {"--links", &CliOptions::links},
        {"--keep-attributes", &CliOptions::keepAttributes},
        {"--no-report", &CliOptions::noReport},
        {"--all", &CliOptions::all},
        {"--wipe", &CliOptions::wipe},
        {"--clear", &CliOptions::clear},
        {"--yes", &CliOptions::yes},
        {"--no-disk-check", &CliOptions::noDiskCheck},
        {"--progress", &CliOptions::progress},
        {"--summary", &CliOptions::summary},
        {"--notify", &CliOptions::notify},
        {"--unattended", &CliOptions::unattended},
        {"--shutdown", &CliOptions::shutdown},
        {"--overwrite-newer", &CliOptions::overwriteNewer},
        {"--check", &CliOptions::restoreCheck},
        {"--help", &CliOptions::help},
        {"-h", &CliOptions::help},
        {"--version", &CliOptions::version},
    };
    const std::map<std::string, std::optional<std::string> CliOptions::*> texts = {
        {"--source", &CliOptions::source},
        {"--target", &CliOptions::target},
        {"--ext", &CliOptions::extension},
        {"--skip", &CliOptions::skip},
        {"--report", &CliOptions::reportFile},
        {"--to", &CliOptions::restoreTo},
        {"--subfolder", &CliOptions::restoreSubfolder},
        {"--versions", &CliOptions::restoreVersions},
    };

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (!optionsEnded && arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            inlineValue = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
        }
        auto takeValue = [&](std::string& value) {
            if (inlineValue) {
                value = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };

        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (options.command.empty())
                options.command = arg;
            else
                options.setupFiles.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (FindOption(arg))
            options.given.push_back(arg);
        if (auto flag = flags.find(arg); flag != flags.end()) {
            if (inlineValue) {
                error = "option " + arg + " takes no value";
                return false;
            }
            options.*(flag->second) = true;
            continue;
        }
        std::string value;
        if (auto text = texts.find(arg); text != texts.end()) {
            if (!takeValue(value))
                return false;
            options.*(text->second) = value;
        } else if (arg == "--include") {
            if (!takeValue(value))
                return false;
            options.includes.push_back(value);
        } else if (arg == "--modified-since") {
            if (!takeValue(value))
                return false;
            options.modifiedSinceIndex = modifiedSinceIndexOf(value);
            if (!options.modifiedSinceIndex) {
                error = "--modified-since takes any, 3, 7, 14 or 28 (days), not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--warn-smaller") {
            if (!takeValue(value))
                return false;
            options.warnSmallerPercent = percentOf(value);
            if (!options.warnSmallerPercent) {
                error =
                    "--warn-smaller takes a percentage from 10 to 90 in steps of 10, not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--max-remove" || arg == "--keep-versions") {
            if (!takeValue(value))
                return false;
            const bool days = arg == "--keep-versions";
            const std::optional<long> count = countOf(value, days ? 36500 : 2147483647L);
            if (!count) {
                error = arg + " takes a whole number from 0 to " + (days ? "36500 (days)" : "2147483647") +
                        ", not \"" + value + "\"";
                return false;
            }
            if (days)
                options.keepVersionsDays = static_cast<int>(*count);
            else
                options.maxRemove = *count;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

} // namespace kestrel::cli
