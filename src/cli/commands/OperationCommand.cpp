#include "cli/commands/Command.h"
#include "cli/commands/OperationRun.h"
#include "cli/commands/SetupSource.h"
#include "cli/commands/SubfolderNote.h"
#include "engine/FolderOperation.h"
#include "engine/UnattendedRun.h"
#include "platform/CommandRunner.h"
#include "setup/LastRun.h"

#include <ostream>

namespace kestrel::cli {

namespace {

enum class Operation { Backup, Check, List };

platform::CommandRunner* shutdownRunnerForTesting = nullptr;

int exitStatusOf(int result, const std::string& refusal, const OperationState& state, std::ostream& err) {
    if (result == intResultReportFileCancelled)
        return ExitCancelled;
    if (result < 0) {
        if (!refusal.empty())
            err << refusal << "\n";
        return ExitRefused;
    }
    // A run the full target stopped ended in an error; only the user's own stop is a cancel.
    if (state.blnStop && !state.blnTargetFull)
        return ExitCancelled;
    if (state.lngTotalNumCopyErrors > 0 || state.intNumWarnings > 0 || state.blnReportFileCutShort)
        return ExitWithErrors;
    return ExitOk;
}

// backup, check and list: the engine's operation buttons, with the report streamed to `out`
// exactly as the report window receives it.
class OperationCommand : public Command {
public:
    explicit OperationCommand(Operation operation) : operation_(operation) {}

    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        if (options.setupFiles.size() > 1) {
            err << "kestrel-backup-cli: " << options.command << " takes at most one setup file\n";
            return ExitRefused;
        }
        if (operation_ != Operation::Backup && (options.all || options.unattended || options.shutdown)) {
            err << "kestrel-backup-cli: --all, --unattended and --shutdown belong to backup\n";
            return ExitRefused;
        }
        if (options.unattended)
            return runUnattended(options, out, err);
        if (options.shutdown) {
            err << "kestrel-backup-cli: --shutdown belongs to backup --unattended\n";
            return ExitRefused;
        }

        OperationRun run(options, out, err);
        if (!loadCommandSetup(options, run.setup, err))
            return ExitRefused;
        err << UnincludedSubfoldersNote(run.setup);
        std::string refusal;
        int result = intResultDone;
        switch (operation_) {
        case Operation::Backup:
            result =
                options.all
                    ? cmdBackupAllFiles_MouseUp(run.setup, run.state, run.ui(), run.report(), &refusal)
                    : cmdBackupModifiedFiles_MouseUp(run.setup, run.state, run.ui(), run.report(), &refusal);
            break;
        case Operation::Check:
            result = cmdCheckBackupState_MouseUp(run.setup, run.state, run.ui(), run.report(), &refusal);
            break;
        case Operation::List:
            result = cmdListSubFolders_MouseUp(run.setup, run.state, run.ui(), run.report(),
                                               ListButtonListsFiles(run.setup), &refusal);
            break;
        }
        run.Finish();
        return exitStatusOf(result, refusal, run.state, err);
    }

private:
    // The run a command-line start of the desktop program makes: the last-run setup's backup of
    // new and modified files, its report in the target folder, nothing asked; then, with
    // --shutdown, the cancellable shutdown.
    static int runUnattended(const CliOptions& options, std::ostream& out, std::ostream& err) {
        if (!options.setupFiles.empty() || options.all || options.HasSetupOptions()) {
            err << "kestrel-backup-cli: backup --unattended runs the last-run setup as it is\n";
            return ExitRefused;
        }
        CliOptions quiet = options;
        quiet.yes = true;
        OperationRun run(quiet, out, err);
        SetupLoadContext context;
        context.blnStartupCompleted = false; // as at start-up: missing folders are emptied silently
        LoadSetupFromLastRun(run.setup, context);
        err << UnincludedSubfoldersNote(run.setup);

        platform::SystemCommandRunner systemRunner;
        platform::CommandRunner& runner = shutdownRunnerForTesting ? *shutdownRunnerForTesting : systemRunner;
        TerminalShutdownPrompt prompt(err);
        UnattendedRunResult result =
            RunUnattended(run.ctx(), options.shutdown ? "shutdown" : "", runner, prompt);
        run.Finish();
        return exitStatusOf(result.backupResult, result.resultText, run.state, err);
    }

    Operation operation_;
};

} // namespace

void setShutdownRunnerForTesting(platform::CommandRunner* runner) {
    shutdownRunnerForTesting = runner;
}

std::unique_ptr<Command> makeBackupCommand() {
    return std::make_unique<OperationCommand>(Operation::Backup);
}

std::unique_ptr<Command> makeCheckCommand() {
    return std::make_unique<OperationCommand>(Operation::Check);
}

std::unique_ptr<Command> makeListCommand() {
    return std::make_unique<OperationCommand>(Operation::List);
}

} // namespace kestrel::cli
