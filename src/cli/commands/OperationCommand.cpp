#include "cli/commands/Command.h"
#include "cli/commands/SetupSource.h"
#include "cli/commands/TerminalInteraction.h"
#include "engine/FolderOperation.h"
#include "report/ReportModel.h"
#include "report/ReportSink.h"

#include <iostream>
#include <ostream>
#include <unistd.h>

namespace kestrel::cli {

namespace {

enum class Operation { Backup, Check, List };

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
        if (operation_ != Operation::Backup && options.all) {
            err << "kestrel-backup-cli: --all belongs to backup\n";
            return ExitRefused;
        }
        Setup setup;
        if (!loadCommandSetup(options, setup, err))
            return ExitRefused;

        // Nobody to ask: behave as the unattended run does.
        const bool attended = !options.yes && ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO);
        OperationState state;
        state.blnScheduledTask = !attended;
        state.blnStartupCompleted = true;
        TerminalInteraction ui(state, std::cin, err, attended, options.progress && ::isatty(STDERR_FILENO));
        ReportModel report(state, setup, ui);
        report.setCapacityRule(false);
        StreamReportSink sink(out);
        report.setSink(&sink);
        InstallInterruptHandler();

        std::string refusal;
        int result = intResultDone;
        switch (operation_) {
        case Operation::Backup:
            result = options.all ? cmdBackupAllFiles_MouseUp(setup, state, ui, report, &refusal)
                                 : cmdBackupModifiedFiles_MouseUp(setup, state, ui, report, &refusal);
            break;
        case Operation::Check:
            result = cmdCheckBackupState_MouseUp(setup, state, ui, report, &refusal);
            break;
        case Operation::List:
            result =
                cmdListSubFolders_MouseUp(setup, state, ui, report, ListButtonListsFiles(setup), &refusal);
            break;
        }
        sink.Finish();
        ui.FinishProgress();
        out.flush();
        return exitStatusOf(result, refusal, state, err);
    }

private:
    static int exitStatusOf(int result, const std::string& refusal, const OperationState& state,
                            std::ostream& err) {
        if (result == intResultNameReportFileFirst) {
            err << "Name the report file with --report FILE, or leave it out with --no-report.\n";
            return ExitRefused;
        }
        if (result == intResultReportFileCancelled)
            return ExitCancelled;
        if (result < 0) {
            if (!refusal.empty())
                err << refusal << "\n";
            return ExitRefused;
        }
        if (state.blnStop)
            return ExitCancelled;
        if (state.lngTotalNumCopyErrors > 0 || state.intNumWarnings > 0)
            return ExitWithErrors;
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

} // namespace kestrel::cli
