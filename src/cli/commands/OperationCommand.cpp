#include "cli/commands/Command.h"
#include "cli/commands/OperationRun.h"
#include "cli/commands/SetupOptions.h"
#include "cli/commands/SetupSource.h"
#include "cli/commands/SubfolderNote.h"
#include "engine/FolderOperation.h"
#include "engine/Restore.h"
#include "engine/RunOutcome.h"
#include "engine/UnattendedRun.h"
#include "modules/Language.h"
#include "platform/CommandRunner.h"
#include "platform/ProgramPaths.h"
#include "setup/LastRun.h"

#include <ostream>

namespace kestrel::cli {

namespace {

enum class Operation { Backup, Check, List, Restore };

// backup, check and list: the engine's operation buttons, with the report streamed to `out`
// exactly as the report window receives it.
class OperationCommand : public Command {
public:
    explicit OperationCommand(Operation operation) : operation_(operation) {}

    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        if (options.setupFiles.size() > 1)
            return Refuse(err, options.command + " takes at most one setup file");
        if (operation_ != Operation::Backup && (options.all || options.unattended || options.shutdown))
            return Refuse(err, "--all, --unattended and --shutdown belong to backup");
        if (options.unattended)
            return runUnattended(options, out, err);
        if (options.shutdown)
            return Refuse(err, "--shutdown belongs to backup --unattended");

        OperationRun run(options, out, err);
        std::string refusal;
        if (!loadCommandSetup(options, run.setup, err, refusal))
            return Refuse(err, refusal);
        err << UnincludedSubfoldersNote(run.setup);
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
        case Operation::Restore:
            result =
                RunRestore(run.setup, run.state, run.ui(), run.report(), RestoreRequestOf(options), &refusal);
            break;
        }
        run.Finish();
        return Ending(OperationWord(options.command), result, refusal, run, err);
    }

private:
    // What the restore's options ask for; a relative --to is taken from the working folder.
    static RestoreRequest RestoreRequestOf(const CliOptions& options) {
        RestoreRequest request;
        if (options.restoreTo && !options.restoreTo->empty())
            request.destination = folderValueOf(*options.restoreTo, platform::workingFolder());
        request.subfolder = options.restoreSubfolder.value_or("");
        request.versionsRun = options.restoreVersions.value_or("");
        request.overwriteNewer = options.overwriteNewer;
        request.check = options.restoreCheck;
        return request;
    }

    // The run a command-line start of the desktop program makes: the last-run setup's backup of
    // new and modified files, its report in the target folder, nothing asked; then, with
    // --shutdown, the cancellable shutdown.
    int runUnattended(const CliOptions& options, std::ostream& out, std::ostream& err) {
        if (!options.setupFiles.empty() || options.all || options.HasSetupOptions())
            return Refuse(err, "backup --unattended runs the last-run setup as it is");
        CliOptions quiet = options;
        quiet.yes = true;
        OperationRun run(quiet, out, err);
        // A missing folder is told and kept, not emptied in silence as the window's start-up
        // does: a target whose disk is absent must be refused as missing, not as "not specified".
        TerminalLoadMessages messages(err);
        SetupLoadContext context;
        context.blnStartupCompleted = true;
        context.messages = &messages;
        int loaded = 0;
        LoadSetupFromLastRun(run.setup, context, &loaded);
        if (const std::string failure = LastRunLoadFailure(loaded); !failure.empty())
            return Refuse(err, failure);
        err << UnincludedSubfoldersNote(run.setup);

        platform::SystemCommandRunner systemRunner;
        platform::CommandRunner* const testRunner = ShutdownRunnerSeam::current();
        platform::CommandRunner& runner = testRunner ? *testRunner : systemRunner;
        TerminalShutdownPrompt prompt(err);
        UnattendedRunResult result =
            RunUnattended(run.ctx(), options.shutdown ? "shutdown" : "", runner, prompt);
        run.Finish();
        return Ending(OperationWord("backup"), result.backupResult, result.resultText, run, err);
    }

    // The exit status of an operation's run, and, when it is not 0, why.
    int Ending(const std::string& operation, int result, const std::string& refusal, OperationRun& run,
               std::ostream& err) {
        if (result >= 0 && run.ui().ConfirmationDeclined())
            return Conclude(err, ExitCancelled, operation + " " + GetProgramText(1407));
        const RunOutcome outcome = OutcomeOf(operation, result, refusal, run.state, run.ReportFileWritten());
        switch (outcome.end) {
        case RunEnd::Done:
            break;
        case RunEnd::WithTroubles:
            return Conclude(err, ExitWithErrors, outcome.account);
        case RunEnd::Refused:
            return Refuse(err, outcome.account);
        case RunEnd::Cancelled:
            return Conclude(err, ExitCancelled, outcome.account);
        }
        return ExitOk;
    }

    Operation operation_;
};

} // namespace

std::unique_ptr<Command> makeBackupCommand() {
    return std::make_unique<OperationCommand>(Operation::Backup);
}

std::unique_ptr<Command> makeCheckCommand() {
    return std::make_unique<OperationCommand>(Operation::Check);
}

std::unique_ptr<Command> makeListCommand() {
    return std::make_unique<OperationCommand>(Operation::List);
}

std::unique_ptr<Command> makeRestoreCommand() {
    return std::make_unique<OperationCommand>(Operation::Restore);
}

} // namespace kestrel::cli
