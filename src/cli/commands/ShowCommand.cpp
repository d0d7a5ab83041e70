#include "cli/commands/Command.h"
#include "cli/commands/SetupSource.h"
#include "cli/commands/SubfolderNote.h"
#include "setup/ChoiceLists.h"

#include <ostream>

namespace kestrel::cli {

namespace {

const char* yesNo(int box) {
    return box ? "yes" : "no";
}

// Prints a setup readably, one field a line, in the order of the setup file.
class ShowCommand : public Command {
public:
    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        if (options.setupFiles.size() > 1) {
            err << "show takes at most one setup file\n";
            return ExitRefused;
        }
        Setup setup;
        if (!loadCommandSetup(options, setup, err))
            return ExitRefused;

        const auto modifiedSince = ModifiedSinceItems();
        const auto percents = PercentItems();
        auto itemOf = [](const auto& items, int index, auto text) -> std::string {
            return index >= 0 && index < static_cast<int>(items.size()) ? text(items[index]) : "?";
        };
        auto field = [&out](const std::string& label, const std::string& value) {
            out << label << std::string(label.size() < 32 ? 32 - label.size() : 1, ' ') << value << "\n";
        };
        field("Source folder:", setup.txbDirectory[0]);
        field("Target folder:", setup.txbDirectory[1]);
        field("Included subfolders:", std::to_string(setup.cboIncludedFolders.size()));
        for (const std::string& entry : setup.cboIncludedFolders)
            out << "  " << entry << "\n";
        field("Include all their subfolders:", yesNo(setup.chkIncludeSubfolders));
        field("Exclude files in source folder:", yesNo(setup.chkExcludeFilesInSourceFolder));
        field("Only files with extension:", setup.txbFileExtension);
        field("Skip file paths containing:", setup.txbExcludedFilepaths);
        field("Modified since:", itemOf(modifiedSince, setup.cboModifiedSince,
                                        [](const ModifiedSinceItem& i) { return i.text; }));
        field("Warn if older than backup:", yesNo(setup.chkWarnIfEarlier));
        field("Warn if smaller than:",
              std::string(yesNo(setup.chkWarnIfSmaller)) + " (" +
                  itemOf(percents, setup.cboPercent, [](const std::string& i) { return i; }) +
                  " of the backup file's size)");
        field("Suppress detailed report:", yesNo(setup.chkSuppressDetailedReports));
        field("Pause after first copy:", yesNo(setup.chkPauseAfterFirstCopy));
        field("Pause after first deletion:", yesNo(setup.chkPauseAfterFirstDelete));
        field("Save setup on quit:", yesNo(setup.chkSaveSetupOnQuit));
        field("Report file:",
              setup.txbReportFile + (setup.chkDisableOutputToFile ? " (output disabled)" : ""));
        out << UnincludedSubfoldersNote(setup);
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeShowCommand() {
    return std::make_unique<ShowCommand>();
}

} // namespace kestrel::cli
