#include "engine/MultipleBackup.h"

#include "engine/FolderOperation.h"
#include "modules/Folder.h"
#include "modules/Language.h"

#include <algorithm>

namespace kestrel {

namespace {

const std::string kCRLF = "\r\n";

MessageAnswer Show(Interaction& ui, const std::string& text, const std::string& title, MessageButtons buttons,
                   MessageIcon icon) {
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.buttons = buttons;
    request.icon = icon;
    return ui.ShowMessage(request);
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool AnyTickedAfter(const std::vector<MultipleBackupRow>& rows, std::size_t index) {
    for (std::size_t i = index + 1; i < rows.size(); ++i) {
        if (rows[i].chkDoSetup) {
            return true;
        }
    }
    return false;
}

void ShowSetupFile(MultipleBackupRun& run, const std::string& path) {
    if (run.showSetupFile) {
        run.showSetupFile(path);
    }
}

std::string FailureMessage(const std::vector<MultipleBackupRow>& rows, int errors) {
    std::string text = errors == 1 ? GetProgramText(1280) + kCRLF + GetProgramText(1281)
                                   : GetProgramText(1282) + kCRLF + GetProgramText(1283);
    text += kCRLF + kCRLF;
    for (const MultipleBackupRow& row : rows) {
        if (row.result != 0) {
            text += row.fileName + " --- " + row.description + kCRLF;
        }
    }
    return text;
}

} // namespace

std::string CaptionMultipleBackup() {
    return GetProgramText(1512);
}

std::string CaptionDoAllBackups() {
    return GetProgramText(1568);
}

std::string DisplayNumFilesInSetupsFolder(const std::string& setupsFolder, int& intNumSetups) {
    if (setupsFolder.empty()) {
        intNumSetups = -1;
        return GetProgramText(1284);
    }
    std::string errorDescription;
    double size = 0;
    bool accessDenied = false;
    intNumSetups = CountFiles(setupsFolder, "*.zbk", false, false, errorDescription, size, accessDenied);
    if (intNumSetups == 0) {
        return GetProgramText(1285);
    }
    if (intNumSetups == 1) {
        return GetProgramText(1286);
    }
    return GetProgramText(1287) + " " + std::to_string(intNumSetups) + " " + GetProgramText(1288);
}

int SetupsLabelFontSize(int intNumSetups) {
    return intNumSetups >= 0 ? 10 : 8;
}

int MultipleBackup(OperationContext& ctx, MultipleBackupRun& run, const std::string& strSetupFile,
                   std::string& strErrDescr) {
    strErrDescr.clear();
    if (run.setupsFolder.empty()) {
        Show(ctx.ui, GetProgramText(1442), CaptionMultipleBackup(), MessageButtons::Ok,
             MessageIcon::Information);
        return 0;
    }
    ctx.state.intOperation = intOperationBackupModifiedFiles;
    SetupLoadContext loadContext;
    loadContext.blnStartupCompleted = true;
    loadContext.messages = run.loadMessages;
    const int loaded =
        LoadOperationFile(ctx.setup, run.setupsFolder + strSetupFile, loadContext, true, &strErrDescr);
    if (loaded != 0) {
        return loaded;
    }
    if (run.setupLoaded) {
        run.setupLoaded();
    }

    FolderOperationOptions options;
    options.blnSilent = true;
    options.insideMultipleBackup = true;
    options.chkConfirmEach = run.chkConfirmEach;
    options.reportFileChoice = run.reportFileChoice;
    const Setup& setup = ctx.setup;
    const bool writesReport = setup.chkDisableOutputToFile == 0 && !setup.txbReportFile.empty();
    if (writesReport && options.reportFileChoice == 1 &&
        Contains(run.reportFilesWritten, setup.txbReportFile)) {
        options.reportFileChoice = 2;
    }

    std::string resultText;
    const int code = RunFolderOperation(ctx, options, resultText);
    if (options.blnCeaseMultipleBackup) {
        run.blnCeaseMultipleBackup = true;
    }
    if (writesReport && FileExists(setup.txbReportFile) &&
        !Contains(run.reportFilesWritten, setup.txbReportFile)) {
        run.reportFilesWritten.push_back(setup.txbReportFile);
    }
    // A backup that refused to start has no report of its own to say so: it is a failed setup.
    if (code <= intResultSourceNotSpecified) {
        strErrDescr = resultText;
        return code;
    }
    return 0;
}

MultipleBackupOutcome cmdMultipleBackup_Click(OperationContext& ctx, MultipleBackupRun& run) {
    Setup& setup = ctx.setup;
    OperationState& state = ctx.state;
    Interaction& ui = ctx.ui;

    const bool anyTicked = std::any_of(run.rows.begin(), run.rows.end(),
                                       [](const MultipleBackupRow& row) { return row.chkDoSetup; });
    if (!anyTicked) {
        Show(ui, GetProgramText(1289), "", MessageButtons::Ok, MessageIcon::None);
        return MultipleBackupOutcome::NothingSelected;
    }

    run.reportFileChoice = 0;
    run.reportFilesWritten.clear();
    if (setup.chkDisableOutputToFile == 0 && !setup.txbReportFile.empty() &&
        FileExists(setup.txbReportFile)) {
        const int choice = ui.AskExistingReportFile();
        state.intChoice = choice;
        if (choice == 4) {
            return MultipleBackupOutcome::Cancelled;
        }
        if (choice == 3) {
            setup.chkDisableOutputToFile = 1;
            state.blnOutputToFile = false;
        }
        run.reportFileChoice = choice;
    }

    int errors = 0;
    run.blnCeaseMultipleBackup = false;
    for (MultipleBackupRow& row : run.rows) {
        row.result = 0;
        row.description.clear();
    }
    for (std::size_t i = 0; i < run.rows.size(); ++i) {
        MultipleBackupRow& row = run.rows[i];
        if (!row.chkDoSetup) {
            continue;
        }
        run.running = true;
        ShowSetupFile(run, run.setupsFolder + row.fileName);
        row.result = MultipleBackup(ctx, run, row.fileName, row.description);
        run.running = false;
        if (run.blnCeaseMultipleBackup) {
            run.blnCeaseMultipleBackup = false;
            break;
        }
        if (state.blnStop) {
            state.blnStop = false;
            if (AnyTickedAfter(run.rows, i) &&
                Show(ui, GetProgramText(1290), GetProgramText(1291), MessageButtons::YesNo,
                     MessageIcon::Question) == MessageAnswer::Yes) {
                break;
            }
        }
        if (row.result != 0) {
            ++errors;
        }
    }
    ShowSetupFile(run, "");

    if (errors > 0) {
        Show(ui, FailureMessage(run.rows, errors), CaptionDoAllBackups(), MessageButtons::Ok,
             MessageIcon::Exclamation);
    }
    return MultipleBackupOutcome::Ran;
}

} // namespace kestrel
