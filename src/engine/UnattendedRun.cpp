#include "engine/UnattendedRun.h"

#include "engine/FolderOperation.h"
#include "modules/DatePr2.h"

#include <algorithm>

namespace kestrel {

namespace {
// The pop-up's time: longer than the shutdown's delay, so unless the user clicks, the computer
// goes off while it is shown.
constexpr int kShutdownPopUpInterval = 60000;
} // namespace

std::string UnattendedReportFile(const std::string& targetFolder) {
    std::string stamp = DateTimeText(false, false);
    std::replace(stamp.begin(), stamp.end(), ':', '.');
    return targetFolder + "_Backup report " + stamp + ".txt";
}

bool CommandLineAsksForShutdown(const std::string& commandLine) {
    std::string lower = commandLine;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower.find("shutdown") != std::string::npos;
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
