#include "engine/UnattendedRun.h"

#include "engine/FolderOperation.h"
#include "modules/DatePr2.h"
#include "modules/Language.h"

#include <algorithm>
#include <cctype>

namespace kestrel {

namespace {
// The pop-up's time: longer than the shutdown's delay, so unless the user clicks, the computer
// goes off while it is shown.
constexpr int kShutdownPopUpInterval = 60000;
} // namespace

std::string UnattendedReportFile(const std::string& targetFolder) {
    std::string stamp = DateTimeText(false, false);
    std::replace(stamp.begin(), stamp.end(), ':', '.');
    return targetFolder + GetProgramText(1292) + " " + stamp + ".txt";
}

bool CommandLineAsksForShutdown(const std::string& commandLine) {
    // Word by word, so that a path or a name that merely holds the letters never switches the
    // computer off; a switch's dashes or slash in front of the word are allowed.
    std::size_t at = 0;
    while (at < commandLine.size()) {
        const std::size_t start = commandLine.find_first_not_of(" \t\r\n", at);
        if (start == std::string::npos)
            break;
        std::size_t end = commandLine.find_first_of(" \t\r\n", start);
        if (end == std::string::npos)
            end = commandLine.size();
        std::string word = commandLine.substr(start, end - start);
        word.erase(0, word.find_first_not_of("-/"));
        std::transform(word.begin(), word.end(), word.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (word == "shutdown")
            return true;
        at = end;
    }
    return false;
}

UnattendedRunResult RunUnattended(OperationContext& ctx, const std::string& commandLine,
                                  platform::CommandRunner& runner, ShutdownPrompt& prompt) {
    Setup& setup = ctx.setup;
    OperationState& state = ctx.state;
    UnattendedRunResult result;

    state.blnScheduledTask = true;
    // Without a target folder the name would be relative, and the report would land wherever
    // the program was started; the backup refuses such a setup anyway.
    if (!setup.txbDirectory[1].empty()) {
        setup.txbReportFile = UnattendedReportFile(setup.txbDirectory[1]);
        state.blnReportFileNameChosen = true;
    }
    setup.chkDisableOutputToFile = 0;
    setup.chkSaveSetupOnQuit = 1;
    result.backupResult =
        cmdBackupModifiedFiles_MouseUp(setup, state, ctx.ui, ctx.report, &result.resultText);
    state.blnReportFileNameChosen = false;
    state.blnScheduledTask = false;

    if (CommandLineAsksForShutdown(commandLine)) {
        result.shutdownStarted = true;
        result.shutdownCancelled = ShutdownComputer(true, kShutdownPopUpInterval, runner, prompt, ctx.ui);
    }
    return result;
}

} // namespace kestrel
