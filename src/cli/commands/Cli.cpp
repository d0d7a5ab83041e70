#include "cli/commands/Cli.h"

#include "cli/commands/Command.h"
#include "engine/RunOutcome.h"
#include "modules/Language.h"
#include "platform/ProgramPaths.h"

#include <cctype>
#include <ostream>

namespace kestrel::cli {

namespace {

std::string indented(const std::string& text, std::size_t column) {
    std::string out = text;
    for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1))
        out.insert(at + 1, std::string(column, ' '));
    return out;
}

const char* const kSetupSourceText =
    R"(A command line with a setup file starts from that setup; the options change
it (a new --source also empties the included subfolders and the "leave out
the files of the source folder" choice, as choosing a new source folder in
the desktop program does). A command line with setup options and no setup
file starts from a cleared setup. Only a command line with neither uses the
last-run setup, the one the desktop program saves for the next run.
)";

const char* const kRunText =
    R"(The report goes to standard output, line by line, as the report window of
the desktop program shows it. Ctrl-C, SIGTERM and SIGHUP stop at the next file
and still write the summary (exit status 3); a second one ends at once. A
closed standard output does not stop a backup.

From a timer (systemd, cron) run  kestrel-backup-cli backup --unattended
(see the manual page kestrel-backup-cli(1)).
)";

const char* const kExitText =
    R"(Exit status: 0 done without errors, 1 done with errors or warnings,
2 refused before starting (bad usage, a setup that cannot be loaded, no
last-run setup, a question that needs --yes where there is no terminal, a
target in use), 3 cancelled (a declined confirmation too). Whenever it is
not 0, standard error says why in a line that begins with
"kestrel-backup-cli:" (the counts of errors and warnings, the reason of a
refusal, the report file), whatever standard output carries.
)";

} // namespace

std::string helpText() {
    std::string text = R"(Usage: kestrel-backup-cli COMMAND [SETUP.zbk] [options]

Mirrors a source folder tree below a target folder, as the desktop program
Kestrel Backup does, from a terminal, a script or a timer.

Commands:
)";
    for (const CommandInfo& command : Commands()) {
        std::string head = "  " + std::string(command.name) + " " + command.arguments;
        head =
            head.size() < 21 ? head + std::string(21 - head.size(), ' ') : head + "\n" + std::string(21, ' ');
        text += head + indented(command.summary, 21) + "\n";
    }
    text += "\n" + std::string(kSetupSourceText) + "\n" + OptionHelp("") + "\n" + kRunText + "\n" +
            kExitText + "\nkestrel-backup-cli COMMAND --help shows the options of one command.\n";
    return text;
}

std::string commandHelpText(const std::string& name) {
    const CommandInfo* command = FindCommand(name);
    if (!command)
        return helpText();
    std::string summary = command->summary;
    summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    std::string text = "Usage: kestrel-backup-cli " + std::string(command->name) + " " + command->arguments +
                       " [options]\n\n" + summary + ".\n\n";
    const bool operates = name != "save" && name != "show" && name != "setups-folder";
    if (name != "multiple" && name != "save" && name != "setups-folder")
        text += std::string(kSetupSourceText) + "\n";
    text += OptionHelp(name) + "\n";
    if (operates)
        text += std::string(kRunText) + "\n";
    return text + kExitText;
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CliOptions options;
    std::string error;
    if (!parseCommandLine(args, options, error)) {
        err << "kestrel-backup-cli: " << error << "\nTry 'kestrel-backup-cli --help'.\n";
        return ExitRefused;
    }
    if (options.command == "help") {
        out << (options.setupFiles.empty() ? helpText() : commandHelpText(options.setupFiles.front()));
        return ExitOk;
    }
    if (options.help) {
        out << (options.command.empty() ? helpText() : commandHelpText(options.command));
        return ExitOk;
    }
    if (options.version) {
        out << "kestrel-backup-cli " << KESTREL_VERSION << "\n";
        return ExitOk;
    }
    if (options.command.empty()) {
        err << "kestrel-backup-cli: no command given\nTry 'kestrel-backup-cli --help'.\n";
        return ExitRefused;
    }

    if (!CheckOptionsApply(options, error)) {
        err << "kestrel-backup-cli: " << error << "\nTry 'kestrel-backup-cli " << options.command
            << " --help'.\n";
        return ExitRefused;
    }

    std::unique_ptr<Command> command;
    if (options.command == "save")
        command = makeSaveCommand();
    else if (options.command == "show")
        command = makeShowCommand();
    else if (options.command == "backup")
        command = makeBackupCommand();
    else if (options.command == "check")
        command = makeCheckCommand();
    else if (options.command == "list")
        command = makeListCommand();
    else if (options.command == "delete")
        command = makeDeleteCommand();
    else if (options.command == "multiple")
        command = makeMultipleCommand();
    else if (options.command == "setups-folder")
        command = makeSetupsFolderCommand();
    else if (options.command == "restore")
        command = makeRestoreCommand();
    if (!command) {
        err << "kestrel-backup-cli: unknown command '" << options.command
            << "'\nTry 'kestrel-backup-cli --help'.\n";
        return ExitRefused;
    }

    const std::string textFile = "zbk.dat";
    int loaded = LoadProgramText(textFile);
    if (loaded <= 0) {
        err << kProgramPrefix << ProgramTextLoadMessage(loaded, platform::programFolder() + textFile) << "\n";
        return ExitRefused;
    }
    const int status = command->run(options, out, err);
    if (status == ExitOk)
        return status;
    std::string account = command->Account();
    if (account.empty()) {
        // Every command says why itself; this line only keeps the promise should one not.
        account = OperationWord(options.command) + " " + GetProgramText(1447) + " " + std::to_string(status);
        err << kProgramPrefix << account << "\n";
    }
    if (options.notify) {
        const std::string operation = OperationWord(options.command);
        NotifyRunEnd(status == ExitRefused     ? RunEnd::Refused
                     : status == ExitCancelled ? RunEnd::Cancelled
                                               : RunEnd::WithTroubles,
                     operation, account);
    }
    return status;
}

} // namespace kestrel::cli
