#include "cli/commands/SetupText.h"

#include "cli/commands/SubfolderNote.h"
#include "modules/Language.h"
#include "modules/MessageBox.h"
#include "setup/ChoiceLists.h"

namespace kestrel::cli {

namespace {

// A ticked box reads as the Yes button's caption in small letters, as it is typed at a prompt.
std::string yesNo(int box) {
    std::string word = AnswerCaption(box ? MessageAnswer::Yes : MessageAnswer::No);
    for (char& c : word)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return word;
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
    field(GetProgramText(1215) + ":", setup.txbDirectory[0]);
    field(GetProgramText(1217) + ":", setup.txbDirectory[1]);
    field(GetProgramText(1411) + ":", std::to_string(setup.cboIncludedFolders.size()));
    for (const std::string& entry : setup.cboIncludedFolders)
        out += "  " + entry + "\n";
    field(GetProgramText(1412) + ":", yesNo(setup.chkIncludeSubfolders));
    field(GetProgramText(1413) + ":", yesNo(setup.chkExcludeFilesInSourceFolder));
    field(GetProgramText(1414) + ":", setup.txbFileExtension);
    field(GetProgramText(1415) + ":", setup.txbExcludedFilepaths);
    field(GetProgramText(1416) + ":",
          itemOf(modifiedSince, setup.cboModifiedSince, [](const ModifiedSinceItem& i) { return i.text; }));
    field(GetProgramText(1417) + ":", yesNo(setup.chkWarnIfEarlier));
    field(GetProgramText(1418) + ":",
          yesNo(setup.chkWarnIfSmaller) + " (" +
              itemOf(percents, setup.cboPercent, [](const std::string& i) { return i; }) + " " +
              GetProgramText(1419) + ")");
    field(GetProgramText(1420) + ":", yesNo(setup.chkSuppressDetailedReports));
    field(GetProgramText(1421) + ":", yesNo(setup.chkPauseAfterFirstCopy));
    field(GetProgramText(1422) + ":", yesNo(setup.chkPauseAfterFirstDelete));
    field(GetProgramText(1423) + ":", yesNo(setup.chkSaveSetupOnQuit));
    field(GetProgramText(1197) + ":",
          setup.txbReportFile + (setup.chkDisableOutputToFile ? " (" + GetProgramText(1424) + ")" : ""));
    field(GetProgramText(1821) + ":", yesNo(setup.extra.bRemoveDeleted));
    field(GetProgramText(1826) + ":", std::to_string(setup.extra.lngMaxRemove));
    field(GetProgramText(1827) + ":", std::to_string(setup.extra.intKeepVersionsDays));
    field(GetProgramText(1824) + ":", yesNo(setup.extra.bCopyLinksAsLinks));
    field(GetProgramText(1825) + ":", yesNo(setup.extra.bKeepAttributes));
    return out + UnincludedSubfoldersNote(setup);
}

} // namespace kestrel::cli
