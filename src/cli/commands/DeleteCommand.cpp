#include "cli/commands/Command.h"
#include "cli/commands/OperationRun.h"
#include "cli/commands/SetupSource.h"
#include "engine/DeleteAllBackupFiles.h"

#include <ostream>

namespace kestrel::cli {

namespace {

// delete [--wipe]: deletes every file below the target folder (overwriting each first with
// --wipe). At a terminal it asks for confirmation, unless --yes; without a terminal and without
// --yes it refuses.
class DeleteCommand : public Command {
public:
    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        if (options.setupFiles.size() > 1) {
            err << "kestrel-backup-cli: delete takes at most one setup file\n";
            return ExitRefused;
        }
        OperationRun run(options, out, err);
        if (!loadCommandSetup(options, run.setup, err))
            return ExitRefused;
        // Whether to overwrite is said by --wipe, not asked.
        run.ui().PresetAnswer(kCaptionDeleteAllBackupFiles, MessageButtons::YesNoCancel,
                              options.wipe ? MessageAnswer::Yes : MessageAnswer::No);
        const DeletionResult result = cmdDeleteAllBackupFiles_MouseUp(run.ctx());
        run.Finish();
        if (run.ConsentRefused())
            return run.RefusedForConsent(err);
        switch (result.outcome) {
        case DeletionOutcome::NotStarted:
            return ExitRefused;
        case DeletionOutcome::Declined:
        case DeletionOutcome::Stopped:
            return ExitCancelled;
        case DeletionOutcome::Completed:
            break;
        }
        const bool errors = run.state.lngTotalNumDeletionErrors > 0 || result.numNotOverwritten > 0 ||
                            run.state.blnReportFileCutShort;
        return errors ? ExitWithErrors : ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeDeleteCommand() {
    return std::make_unique<DeleteCommand>();
}

} // namespace kestrel::cli
