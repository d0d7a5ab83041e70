#include "cli/commands/CliOptions.h"

#include <map>

namespace kestrel::cli {

namespace {

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

} // namespace

bool parseCommandLine(const std::vector<std::string>& args, CliOptions& options, std::string& error) {
    const std::map<std::string, bool CliOptions::*> flags = {
        {"--include-all", &CliOptions::includeAll},
        {"--subfolders", &CliOptions::subfolders},
        {"--exclude-source-files", &CliOptions::excludeSourceFiles},
        {"--warn-older", &CliOptions::warnOlder},
        {"--suppress-details", &CliOptions::suppressDetails},
        {"--no-report", &CliOptions::noReport},
        {"--all", &CliOptions::all},
        {"--wipe", &CliOptions::wipe},
        {"--yes", &CliOptions::yes},
        {"--progress", &CliOptions::progress},
        {"--unattended", &CliOptions::unattended},
        {"--shutdown", &CliOptions::shutdown},
        {"--help", &CliOptions::help},
        {"-h", &CliOptions::help},
        {"--version", &CliOptions::version},
    };
    const std::map<std::string, std::optional<std::string> CliOptions::*> texts = {
        {"--source", &CliOptions::source},     {"--target", &CliOptions::target},
        {"--ext", &CliOptions::extension},     {"--skip", &CliOptions::skip},
        {"--report", &CliOptions::reportFile},
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
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

} // namespace kestrel::cli
