#include "cli/commands/Command.h"
#include "cli/commands/OperationRun.h"
#include "cli/commands/SetupOptions.h"
#include "cli/commands/SetupSource.h"
#include "engine/MultipleBackup.h"
#include "modules/FileProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "platform/ProgramPaths.h"
#include "setup/SetupsFolder.h"

#include <algorithm>
#include <ostream>

namespace kestrel::cli {

namespace {

// The setups to run: every setup file of a folder, or the files named, which lie in one folder.
// Without either, every setup file of the setups folder the desktop program and setups-folder
// chose.
bool collectSetups(const std::vector<std::string>& args, MultipleBackupRun& run, std::string& error) {
    const std::string here = platform::workingFolder();
    const bool wholeFolder = args.empty() || (args.size() == 1 && FolderExists(args[0]));
    if (wholeFolder) {
        run.setupsFolder = args.empty() ? RestoreSetupsFolder() : folderValueOf(args[0], here);
        if (run.setupsFolder.empty()) {
            error = GetProgramText(1442);
            return false;
        }
        std::vector<std::string> names;
        std::string description;
        double size = 0;
        if (ListFiles(run.setupsFolder, names, "*.zbk", false, description, size) < 0) {
            error = GetProgramText(79) + " " + run.setupsFolder + "  " + description;
            return false;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            run.rows.push_back({name, true});
        if (run.rows.empty())
            error = GetProgramText(1443) + " " + run.setupsFolder;
        return !run.rows.empty();
    }
    for (const std::string& arg : args) {
        std::string path = folderValueOf(arg, here);
        path.pop_back(); // a file, not a folder
        const std::string folder = FolderOf(path, false);
        if (run.setupsFolder.empty())
            run.setupsFolder = folder;
        if (folder != run.setupsFolder) {
            error = "the setup files of one multiple backup lie in one folder";
            return false;
        }
        run.rows.push_back({FileNameOf(path, false), true});
    }
    return true;
}

// multiple [SETUP.zbk... | FOLDER]: runs the backup of new and modified files of each setup, one
// after the other, and names the setups that failed at the end.
class MultipleCommand : public Command {
public:
    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        MultipleBackupRun multiple;
        std::string error;
        if (!collectSetups(options.setupFiles, multiple, error))
            return Refuse(err, error);
        OperationRun run(options, out, err);
        TerminalLoadMessages messages(err, run.ui().Progress());
        multiple.loadMessages = &messages;
        // Each setup's run starts its totals afresh: the copy errors of a run are taken when the
        // next setup has loaded, the last run's at the end.
        bool errorsOfEarlierRuns = false;
        multiple.setupLoaded = [&] {
            errorsOfEarlierRuns = errorsOfEarlierRuns || run.state.lngTotalNumCopyErrors > 0;
        };
        const MultipleBackupOutcome outcome = cmdMultipleBackup_Click(run.ctx(), multiple);
        run.Finish();
        if (outcome == MultipleBackupOutcome::Cancelled)
            return Conclude(err, ExitCancelled, OperationWord(options.command) + " " + GetProgramText(1444));
        if (outcome != MultipleBackupOutcome::Ran)
            return Refuse(err, NotStartedAccount(options.command, run.ui().LastMessage()));
        if (multiple.blnCeaseMultipleBackup || run.state.blnStop)
            return Conclude(err, ExitCancelled,
                            OperationWord(options.command) + " " + GetProgramText(1269) +
                                FailedSetups(multiple));
        const bool failed = std::any_of(multiple.rows.begin(), multiple.rows.end(),
                                        [](const MultipleBackupRow& row) { return row.result != 0; });
        const bool errors =
            errorsOfEarlierRuns || run.state.lngTotalNumCopyErrors > 0 || run.state.blnReportFileCutShort;
        if (failed || errors)
            return Conclude(err, ExitWithErrors,
                            OperationWord(options.command) + " " + GetProgramText(1271) + " " +
                                GetProgramText(1272) + (errors ? " (" + GetProgramText(1445) + ")" : "") +
                                FailedSetups(multiple));
        return ExitOk;
    }

private:
    // "; setups that failed: a.zbk (why), b.zbk (why)", or "" when none did.
    static std::string FailedSetups(const MultipleBackupRun& multiple) {
        std::string text;
        for (const MultipleBackupRow& row : multiple.rows) {
            if (row.result == 0)
                continue;
            text += (text.empty() ? "; " + GetProgramText(1446) + ": " : std::string(", ")) + row.fileName;
            if (!row.description.empty())
                text += " (" + row.description + ")";
        }
        return text;
    }
};

} // namespace

std::unique_ptr<Command> makeMultipleCommand() {
    return std::make_unique<MultipleCommand>();
}

} // namespace kestrel::cli
