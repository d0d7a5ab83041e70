#include "cli/commands/SetupText.h"

#include "cli/commands/SubfolderNote.h"
#include "setup/ChoiceLists.h"

namespace kestrel::cli {

namespace {

const char* yesNo(int box) {
    return box ? "yes" : "no";
}

} // namespace

std::string SetupText(const Setup& setup) {
    const auto modifiedSince = ModifiedSinceItems();
    const auto percents = PercentItems();
    auto itemOf = [](const auto& items, int index, auto text) -> std::string {
        return index >= 0 && index < static_cast<int>(items.size()) ? text(items[index]) : "?";
    };
    std::string out;
    auto field = [&out](const std::string& label, const std::string& value) {
        out += label + std::string(label.size() < 32 ? 32 - label.size() : 1, ' ') + value + "\n";
    };
    field("Source folder:", setup.txbDirectory[0]);
    field("Target folder:", setup.txbDirectory[1]);
    field("Included subfolders:", std::to_string(setup.cboIncludedFolders.size()));
    for (const std::string& entry : setup.cboIncludedFolders)
        out += "  " + entry + "\n";
    field("Include all their subfolders:", yesNo(setup.chkIncludeSubfolders));
    field("Exclude files in source folder:", yesNo(setup.chkExcludeFilesInSourceFolder));
    field("Only files with extension:", setup.txbFileExtension);
    field("Skip file paths containing:", setup.txbExcludedFilepaths);
    field("Modified since:",
          itemOf(modifiedSince, setup.cboModifiedSince, [](const ModifiedSinceItem& i) { return i.text; }));
    field("Warn if older than backup:", yesNo(setup.chkWarnIfEarlier));
    field("Warn if smaller than:",
          std::string(yesNo(setup.chkWarnIfSmaller)) + " (" +
              itemOf(percents, setup.cboPercent, [](const std::string& i) { return i; }) +
              " of the backup file's size)");
    field("Suppress detailed report:", yesNo(setup.chkSuppressDetailedReports));
    field("Pause after first copy:", yesNo(setup.chkPauseAfterFirstCopy));
    field("Pause after first deletion:", yesNo(setup.chkPauseAfterFirstDelete));
    field("Save setup on quit:", yesNo(setup.chkSaveSetupOnQuit));
    field("Report file:", setup.txbReportFile + (setup.chkDisableOutputToFile ? " (output disabled)" : ""));
    return out + UnincludedSubfoldersNote(setup);
}

} // namespace kestrel::cli
