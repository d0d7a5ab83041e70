#include "cli/commands/Command.h"
#include "cli/commands/OperationRun.h"
#include "cli/commands/SetupSource.h"
#include "engine/DeleteAllBackupFiles.h"
#include "engine/RunOutcome.h"
#include "modules/Language.h"

#include <ostream>

namespace kestrel::cli {

namespace {

// delete [--wipe]: deletes every file below the target folder (overwriting each first with
// --wipe). At a terminal it asks for confirmation, unless --yes; without a terminal and without
// --yes it refuses.
class DeleteCommand : public Command {
public:
    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        if (options.setupFiles.size() > 1)
            return Refuse(err, "delete takes at most one setup file");
        OperationRun run(options, out, err);
        std::string refusal;
        if (!loadCommandSetup(options, run.setup, err, refusal))
            return Refuse(err, refusal);
        // Whether to overwrite is said by --wipe, not asked.
        run.ui().PresetAnswer(CaptionDeleteAllBackupFiles(), MessageButtons::YesNoCancel,
                              options.wipe ? MessageAnswer::Yes : MessageAnswer::No);
        const DeletionResult result = cmdDeleteAllBackupFiles_MouseUp(run.ctx());
        run.Finish();
        if (run.ConsentRefused())
            return Refuse(err, run.ConsentRefusal());
        switch (result.outcome) {
        case DeletionOutcome::NotStarted:
            return Refuse(err, NotStartedAccount(options.command, run.ui().LastMessage()));
        case DeletionOutcome::Declined:
            return Conclude(err, ExitCancelled, OperationWord(options.command) + " " + GetProgramText(1406));
        case DeletionOutcome::Stopped:
            return Conclude(
                err, ExitCancelled,
                RunEndAccount(OperationWord(options.command), run.state, run.ReportFileWritten()));
        case DeletionOutcome::Completed:
            break;
        }
        if (run.state.lngTotalNumDeletionErrors > 0 || result.numNotOverwritten > 0 ||
            run.state.blnReportFileCutShort) {
            std::string account =
                RunEndAccount(OperationWord(options.command), run.state, run.ReportFileWritten());
            if (result.numNotOverwritten > 0)
                account += "; " + std::to_string(result.numNotOverwritten) + " " + GetProgramText(1408);
            return Conclude(err, ExitWithErrors, account);
        }
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeDeleteCommand() {
    return std::make_unique<DeleteCommand>();
}

} // namespace kestrel::cli
