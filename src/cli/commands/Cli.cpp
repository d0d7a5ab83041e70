#include "cli/commands/Cli.h"

#include "cli/commands/Command.h"
#include "modules/Language.h"
#include "platform/ProgramPaths.h"

#include <ostream>

namespace kestrel::cli {

std::string helpText() {
    return R"(Usage: kestrel-backup-cli COMMAND [SETUP.zbk] [options]

Mirrors a source folder tree below a target folder, as the desktop program
Kestrel Backup does, from a terminal, a script or a timer.

Commands:
  backup [SETUP.zbk] back up the new and modified files of the setup
                     (--all: every selected file)
  check [SETUP.zbk]  report which files a backup would copy, without copying
  list [SETUP.zbk]   list the folders a backup would visit (or, when the
                     source has no included subfolders, its files)
  delete [SETUP.zbk] delete every file below the target folder (--wipe:
                     overwrite each first); asks first unless --yes
  multiple SETUP.zbk... | FOLDER
                     back up the new and modified files of each setup, one
                     after the other (a folder: all its *.zbk files)
  save [SETUP.zbk]   write the setup built from the options (from a cleared
                     setup) into SETUP.zbk; without a file, into the last-run
                     setup that an unattended run uses
  show [SETUP.zbk]   print a setup (without a file: the last-run setup)

Without a setup file a command starts from the last-run setup; the options
below change the setup it starts from.

Setup options:
  --source DIR               the source folder
  --target DIR               the target folder
  --include SUBFOLDER        back up this subfolder of the source (repeatable)
  --include-all              back up every direct subfolder of the source
  --subfolders               include all subfolders of the included ones
  --exclude-source-files     leave out the files of the source folder itself
  --ext PATTERN              only files whose names match, e.g. *.doc? or txt
  --skip FRAGMENTS           skip file paths containing any of these
                             comma-separated fragments
  --modified-since DAYS      any, 3, 7, 14 or 28
  --warn-older               warn when a file is older than its backup copy
  --warn-smaller PERCENT     warn when a file is smaller than PERCENT (10..90)
                             of its backup copy
  --suppress-details         report folders and totals only
  --report FILE              write the report into FILE too
  --no-report                do not write the report file

Run options:
  --all                      backup: every selected file, not only new and
                             modified ones
  --wipe                     delete: overwrite each file before deleting it
  --unattended               backup: the unattended run of the last-run
                             setup, its report in the target folder
  --shutdown                 with --unattended: shut the computer down
                             afterwards (Enter at the prompt calls it off)
  --yes                      ask nothing: answer as an unattended run does
                             (also when there is no terminal)
  --progress                 show the current folder and file on standard
                             error

The report goes to standard output, line by line, as the report window of
the desktop program shows it. Ctrl-C stops at the next file and still writes
the summary; a second Ctrl-C ends at once.

Other options:
  --help, -h                 show this text
  --version                  show the version

Exit status: 0 done without errors, 1 done with errors or warnings,
2 refused before starting (bad usage, a setup that cannot be loaded),
3 cancelled.
)";
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CliOptions options;
    std::string error;
    if (!parseCommandLine(args, options, error)) {
        err << "kestrel-backup-cli: " << error << "\nTry 'kestrel-backup-cli --help'.\n";
        return ExitRefused;
    }
    if (options.help || options.command == "help") {
        out << helpText();
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
    if (!command) {
        err << "kestrel-backup-cli: unknown command '" << options.command
            << "'\nTry 'kestrel-backup-cli --help'.\n";
        return ExitRefused;
    }

    const std::string textFile = "zbk.dat";
    int loaded = LoadProgramText(textFile);
    if (loaded <= 0) {
        err << ProgramTextLoadMessage(loaded, platform::programFolder() + textFile) << "\n";
        return ExitRefused;
    }
    return command->run(options, out, err);
}

} // namespace kestrel::cli
