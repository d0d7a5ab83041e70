#include "engine/FolderOperation.h"

#include "engine/BackupWalk.h"
#include "engine/FileSelection.h"
#include "engine/MirrorExtras.h"
#include "engine/Restore.h"
#include "engine/TargetDisk.h"
#include "engine/TargetGuard.h"
#include "modules/DiskProc.h"
#include "modules/FileProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "report/ReportFile.h"
#include "report/ReportTexts.h"
#include "setup/ChoiceLists.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kestrel {

namespace {

const std::string kCRLF = "\r\n";

std::string ModifiedSinceItemText(const Setup& setup) {
    const std::vector<ModifiedSinceItem> items = ModifiedSinceItems();
    if (setup.cboModifiedSince < 0 || static_cast<std::size_t>(setup.cboModifiedSince) >= items.size())
        return "";
    return items[static_cast<std::size_t>(setup.cboModifiedSince)].text;
}

std::string ButtonCaption(int intOperation) {
    switch (intOperation) {
    case intOperationListFolders:
        return GetProgramText(19);
    case intOperationCheckBackupState:
        return CaptionCheckBackupState();
    case intOperationBackupAllFiles:
        return CaptionBackupAllFiles();
    case intOperationBackupModifiedFiles:
        return CaptionBackupModifiedFiles();
    case intOperationEmptyTargetFolder:
        return GetProgramText(87);
    case intOperationDeleteAllBackupFiles:
        return CaptionDeleteAllBackupFiles();
    default:
        return "";
    }
}

bool ReportFileNamedAndEnabled(const Setup& setup) {
    return !setup.txbReportFile.empty() && setup.chkDisableOutputToFile == 0;
}

void ShowBox(OperationContext& context, const std::string& text, const std::string& title, MessageIcon icon) {
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.icon = icon;
    context.ui.ShowMessage(request);
}

MessageAnswer AskYesNo(OperationContext& context, const std::string& text, const std::string& title,
                       MessageIcon icon, int defaultButton = 1) {
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.buttons = MessageButtons::YesNo;
    request.icon = icon;
    request.defaultButton = defaultButton;
    return context.ui.ShowMessage(request);
}

// A refusal: shown to the user unless nobody may be asked; its text always comes back.
int Refuse(OperationContext& context, bool quiet, int code, const std::string& resultText,
           const std::string& boxText, const std::string& title, MessageIcon icon,
           std::string& strResultText) {
    strResultText = resultText;
    if (!quiet)
        ShowBox(context, boxText, title, icon);
    return code;
}

// A backup whose target's disk is not there is refused unless the user goes on anyway: asked in
// the window, by an explicit option in the tool, never in an unattended run.
int CheckTargetDisk(OperationContext& context, bool quiet, const std::string& strTitle,
                    std::string& strResultText) {
    using Choice = OperationState::AbsentTargetDisk;
    const Choice choice = context.state.absentTargetDisk;
    const std::string& target = context.setup.txbDirectory[1];
    if (choice == Choice::GoOn)
        return 0;
    const std::string mountPoint = AbsentTargetDisk(target);
    if (mountPoint.empty())
        return 0;
    const std::string text =
        GetProgramText(1112) + kCRLF + target + kCRLF + GetProgramText(1113) + " " + mountPoint;
    if (choice == Choice::Ask && !quiet && !context.Unattended() &&
        AskYesNo(context, text + kCRLF + kCRLF + GetProgramText(1114), GetProgramText(1115),
                 MessageIcon::Exclamation) == MessageAnswer::Yes)
        return 0;
    return Refuse(context, true, intResultTargetDiskAbsent, text, text, strTitle, MessageIcon::Exclamation,
                  strResultText);
}

std::int64_t CountFilesOf(const std::string& folder) {
    std::string errorDescription;
    double size = 0;
    bool accessDenied = false;
    return CountFiles(folder, "*.*", false, false, errorDescription, size, accessDenied);
}

namespace {

// Whether the folder holds a symbolic link, which a setup that copies links as links backs up as a
// file whatever it leads to.
bool HoldsLinks(const std::string& folder) {
    const platform::Result<std::vector<platform::DirectoryEntry>> entries = platform::readDirectory(folder);
    return entries.ok() && std::any_of(entries.value().begin(), entries.value().end(),
                                       [](const platform::DirectoryEntry& entry) {
                                           return entry.kind == platform::EntryKind::Symlink;
                                       });
}

} // namespace

// -1 for a folder that cannot be read.
std::int32_t CountSubfoldersOf(const std::string& folder) {
    return CountSubfolders(folder).valueOr(-1);
}

// The folder checks of the driver: 0 when the folders can be used, else the result code (with
// its text). Only an attended run asks to clear the source setting or to create the target.
int CheckFoldersOfRun(OperationContext& context, bool listing, bool quiet, const std::string& strTitle,
                      std::string& strResultText) {
    const Setup& setup = context.setup;
    const std::string& source = setup.txbDirectory[0];
    const std::string& target = setup.txbDirectory[1];
    if (source.empty()) {
        strResultText = GetProgramText(1720);
        return intResultSourceNotSpecified;
    }
    if (quiet) {
        if (!FolderExists(source)) {
            strResultText = GetProgramText(81);
            return intResultSourceMissing;
        }
        if (listing)
            return 0;
        if (target.empty()) {
            strResultText = GetProgramText(1721);
            return intResultTargetNotSpecified;
        }
        if (!FolderExists(target)) {
            strResultText = GetProgramText(1218);
            return intResultTargetMissing;
        }
        return 0;
    }
    if (!CheckSourceFolder(context, strTitle)) {
        strResultText = GetProgramText(81);
        return intResultSourceMissing;
    }
    if (listing)
        return 0;
    if (!CheckTargetFolder(context, true)) {
        strResultText = target.empty() ? GetProgramText(1721) : GetProgramText(1218);
        return target.empty() ? intResultTargetNotSpecified : intResultTargetMissing;
    }
    return 0;
}

// Whether the setup leaves anything to do: 0 when it does, else the refusal.
int CheckSomethingToDo(OperationContext& context, bool quiet, const std::string& strTitle,
                       std::string& strResultText) {
    const Setup& setup = context.setup;
    if (setup.chkExcludeFilesInSourceFolder != 0 && setup.intNumIncludedFolders == 0) {
        return Refuse(context, quiet, intResultNothingToDo, GetProgramText(1730),
                      GetProgramText(1731) + kCRLF + GetProgramText(1732) + kCRLF + GetProgramText(1733),
                      strTitle, MessageIcon::Exclamation, strResultText);
    }
    if (CountFilesOf(setup.txbDirectory[0]) == 0 && !context.state.blnSubfoldersExist &&
        !(setup.extra.bCopyLinksAsLinks && HoldsLinks(setup.txbDirectory[0]))) {
        return Refuse(context, quiet, intResultNoFilesInSource, GetProgramText(1734),
                      GetProgramText(37) + kCRLF + GetProgramText(38), strTitle, MessageIcon::Exclamation,
                      strResultText);
    }
    if (CheckForFiles(context)) {
        return Refuse(context, quiet, intResultNoFileSelected, GetProgramText(1734),
                      GetProgramText(40) + kCRLF + GetProgramText(38), strTitle, MessageIcon::Exclamation,
                      strResultText);
    }
    return 0;
}

// A backup needs a target it can write to.
int CheckTargetWritable(OperationContext& context, bool quiet, const std::string& strTitle,
                        std::string& strResultText) {
    const std::string& target = context.setup.txbDirectory[1];
    std::string errorDescription;
    if (!IsDriveWriteProtected(target) && !IsWriteProtected(target, errorDescription))
        return 0;
    // A full disk is no write protection: the user has to make room, not unlock it.
    if (errorDescription == platform::errorDescription(platform::err::DiskFull))
        return Refuse(context, quiet, intResultTargetFull, GetProgramText(1108), GetProgramText(1108),
                      strTitle, MessageIcon::Exclamation, strResultText);
    return Refuse(context, quiet, intResultTargetWriteProtected, GetProgramText(406), GetProgramText(406),
                  strTitle, MessageIcon::Exclamation, strResultText);
}

std::string ReportWindowCaption(const Setup& setup, int op, bool suppressed) {
    std::string caption = ButtonCaption(op);
    if (op == intOperationListFolders) {
        if (suppressed)
            caption = GetProgramText(1722);
        else if (ReportFileNamedAndEnabled(setup))
            caption += " (" + GetProgramText(1723) + ")";
    }
    if (op == intOperationBackupModifiedFiles)
        caption += " (" + ModifiedSinceItemText(setup) + ")";
    if (!setup.txbFileExtension.empty())
        caption += " " + GetProgramText(1724) + " '" + setup.txbFileExtension + "'";
    return caption;
}

// The confirmation before a backup changes files.
bool Confirm(OperationContext& context, FolderOperationOptions& options) {
    ConfirmRequest request;
    request.caption = GetProgramText(1602);
    request.description = GetProgramText(1725);
    request.deletionWarningVisible = false;
    request.deletionWarning = GetProgramText(1601);
    const bool single = !context.state.blnSubfoldersExist && CountFilesOf(context.setup.txbDirectory[0]) == 1;
    request.question = GetProgramText(single ? 134 : 135);
    request.defaultYes = true;
    if (context.ui.ConfirmOperation(request))
        return true;
    options.declined = true;
    if (options.insideMultipleBackup && AskYesNo(context, GetProgramText(1726), GetProgramText(1512),
                                                 MessageIcon::Question) == MessageAnswer::Yes)
        options.blnCeaseMultipleBackup = true;
    return false;
}

void Summary(ReportModel& report, int op) {
    switch (op) {
    case intOperationListFolders:
        ReportForListFolders(report);
        break;
    case intOperationBackupAllFiles:
        ReportForBackupAllFiles(report);
        break;
    case intOperationBackupModifiedFiles:
        ReportForBackupModifiedFiles(report);
        break;
    case intOperationCheckBackupState:
        ReportForCheckBackupState(report);
        break;
    default:
        break;
    }
}

int RunButton(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report, int op,
              std::string* strResultText) {
    OperationContext context{setup, state, ui, report};
    state.intOperation = op;
    FolderOperationOptions options;
    std::string resultText;
    const int code = RunFolderOperation(context, options, resultText);
    if (strResultText != nullptr)
        *strResultText = resultText;
    return code;
}

} // namespace

std::string OperationTitle(const Setup& setup, int intOperation) {
    std::string title = ButtonCaption(intOperation);
    if (intOperation == intOperationBackupModifiedFiles)
        title += " (" + ModifiedSinceItemText(setup) + ")";
    if (intOperation == intOperationListFolders && ReportFileNamedAndEnabled(setup))
        title += " (" + GetProgramText(1723) + ")";
    return title;
}

bool ShowFoldersNotSpecified(OperationContext& context, const std::string& strTitle,
                             std::string& strResultText) {
    const Setup& setup = context.setup;
    std::string text;
    if (setup.txbDirectory[0].empty())
        text = GetProgramText(1558);
    else if (setup.txbDirectory[1].empty())
        text = GetProgramText(1727);
    else
        return false;
    strResultText = text;
    if (!context.Unattended())
        ShowBox(context, text, strTitle, MessageIcon::Information);
    return true;
}

bool CheckSourceFolder(OperationContext& context, const std::string& strTitle) {
    Setup& setup = context.setup;
    if (setup.txbDirectory[0].empty())
        return false;
    if (FolderExists(setup.txbDirectory[0]))
        return true;
    if (!context.Unattended() && AskYesNo(context, GetProgramText(81) + kCRLF + GetProgramText(36), strTitle,
                                          MessageIcon::Exclamation) == MessageAnswer::Yes)
        setup.txbDirectory[0].clear();
    return false;
}

bool CheckTargetFolder(OperationContext& context, bool blnOfferToCreate) {
    const std::string target = context.setup.txbDirectory[1];
    if (target.empty())
        return false;
    if (FolderExists(target))
        return true;
    if (context.Unattended())
        return false;
    if (!blnOfferToCreate) {
        ShowBox(context, GetProgramText(43), GetProgramText(1728), MessageIcon::Information);
        return false;
    }
    if (AskYesNo(context, GetProgramText(43) + kCRLF + GetProgramText(403), GetProgramText(1728),
                 MessageIcon::Question) != MessageAnswer::Yes)
        return false;
    if (CreateFolderPath(target) && FolderExists(target))
        return true;
    ShowBox(context, GetProgramText(1729), GetProgramText(1728), MessageIcon::Exclamation);
    return false;
}

bool CheckFolders(OperationContext& context, const std::string& strTitle) {
    return CheckSourceFolder(context, strTitle) && CheckTargetFolder(context, true);
}

bool CheckForFiles(OperationContext& context) {
    OperationState& state = context.state;
    const int saved = state.intOperation;
    state.intOperation = intOperationCheckForFile;
    state.blnFileExists = false;
    {
        BackupWalk walk(context, SplitExcludedFilepaths(context.setup.txbExcludedFilepaths), "");
        walk.BackupFolder(context.setup.txbDirectory[0]);
    }
    state.intOperation = saved;
    return !state.blnFileExists;
}

namespace {

// What a run of the driver is, settled before its checks.
struct RunPlan {
    int op = 0;
    bool listing = false;
    bool backup = false;
    bool quiet = false; // refusals are not shown: silent or unattended
    std::string title;
    std::string source;
    std::string target;
    std::vector<std::string> excluded; // the fragments of this run's setup
};

// The setup checks before anything is written: 0 when the run may start, else the result code
// with its text. Holds the target's lock in `lock` from here to the end of the run.
int CheckRun(OperationContext& context, FolderOperationOptions& options, RunPlan& plan, TargetLock& lock,
             std::string& strResultText) {
    Setup& setup = context.setup;
    OperationState& state = context.state;
    if (const int code = CheckFoldersOfRun(context, plan.listing, plan.quiet, plan.title, strResultText);
        code != 0)
        return code;
    plan.source = setup.txbDirectory[0];
    plan.target = setup.txbDirectory[1];
    // The rules on the pair hold however the setup was made; a listing does not use the target.
    if (const FolderPairRule rule = CheckFolderPair(plan.source, plan.listing ? std::string() : plan.target);
        rule != FolderPairRule::Accepted) {
        const std::string text = FolderPairMessage(rule, plan.source);
        return Refuse(context, plan.quiet, intResultFolderPairRefused, text, text, plan.title,
                      MessageIcon::Exclamation, strResultText);
    }
    if (!plan.listing && !lock.Acquire(plan.target)) {
        return Refuse(context, plan.quiet, intResultTargetInUse, TargetInUseMessage(), TargetInUseMessage(),
                      plan.title, MessageIcon::Exclamation, strResultText);
    }
    state.blnSubfoldersExist = CountSubfoldersOf(plan.source) >= 1;
    if (const int code = CheckSomethingToDo(context, plan.quiet, plan.title, strResultText); code != 0)
        return code;
    if (!plan.listing) {
        if (plan.target.empty()) {
            return Refuse(context, plan.quiet, intResultTargetNotSpecified, GetProgramText(1721),
                          GetProgramText(42), plan.title, MessageIcon::Exclamation, strResultText);
        }
        if (!FolderExists(plan.target)) {
            return Refuse(context, plan.quiet, intResultTargetMissing, GetProgramText(1218),
                          GetProgramText(43), plan.title, MessageIcon::Exclamation, strResultText);
        }
    }
    if (!plan.backup)
        return 0;
    if (const int code = CheckTargetDisk(context, plan.quiet, plan.title, strResultText); code != 0)
        return code;
    if (const int code = CheckTargetWritable(context, plan.quiet, plan.title, strResultText); code != 0)
        return code;
    if (!context.Unattended() && (!options.blnSilent || options.chkConfirmEach) && !Confirm(context, options))
        return intResultDone;
    return 0;
}

// The report, the report file and the totals, up to the head line.
int PrepareRun(OperationContext& context, const FolderOperationOptions& options, const RunPlan& plan,
               std::string& strResultText) {
    Setup& setup = context.setup;
    OperationState& state = context.state;
    ReportModel& report = context.report;
    report.Clear();
    state.intNumWarnings = 0;
    if (plan.backup && state.blnOutputToFile) {
        const int preset = options.insideMultipleBackup ? options.reportFileChoice : 0;
        switch (OpenReportFile(report, preset, plan.title)) {
        case ReportFileOpening::Cancelled:
            return intResultReportFileCancelled;
        case ReportFileOpening::Failed:
            strResultText = GetProgramText(1190);
            return intResultReportFileNotOpened;
        case ReportFileOpening::Refused:
            strResultText = ReportFileRefusedText(setup.txbReportFile);
            return intResultReportFileNotOpened;
        default:
            break;
        }
    }

    state.ResetTotals();
    state.blnDisplayingSummary = false;
    state.blnSkipThumbsDb = false;
    state.blnPauseTaken = false;
    state.blnStop = false;
    state.intNumExcludedFilepaths = static_cast<int>(plan.excluded.size());
    const bool suppressed = setup.chkSuppressDetailedReports != 0;
    state.blnSuppressDetailedReports = suppressed;

    Interaction& ui = context.ui;
    ui.SetReportLabel(ReportLabel::Caption,
                      state.restore.active ? plan.title : ReportWindowCaption(setup, plan.op, suppressed));
    if (state.restore.active)
        report.Output(
            GetProgramText(1913) + " " + plan.source + " " + GetProgramText(1914) + " " + plan.target, true);
    ui.SetReportButtons(false, true, GetProgramText(44), false, "");
    const std::int64_t placeholderLength = ReportCharacterCount(FolderPlaceholder(45));
    if (ReportCharacterCount(plan.source) > placeholderLength + 5 && !suppressed)
        report.Output(GetProgramText(45) + " = " + plan.source, true);
    ui.ShowReportWindow();
    return 0;
}

// The walk, and what the backup wrote made durable before the summary says it is done.
void WalkAndFlush(OperationContext& context, const RunPlan& plan) {
    OperationState& state = context.state;
    ReportModel& report = context.report;
    const bool countingNote = plan.listing && state.blnSuppressDetailedReports;
    if (countingNote)
        report.ShowTransientNote(GetProgramText(1735) + " ...");
    bool extrasChanged = false;
    {
        MirrorExtras extras(context, plan.excluded, plan.title);
        {
            BackupWalk walk(context, plan.excluded, plan.title);
            extras.AttachTo(walk);
            walk.BackupFolder(plan.source);
        }
        extrasChanged = extras.Finish();
    }
    if (plan.backup)
        RememberTargetDisk(plan.target);
    if (plan.backup && (state.lngTotalNumFilesCopied > 0 || extrasChanged)) {
        const platform::Error flushed = FlushFileSystemOf(plan.target);
        if (flushed) {
            ++state.lngTotalNumCopyErrors;
            report.OutputBlock("      " + GetProgramText(79) + " " + plan.target + "  " + flushed.description,
                               ReportModel::Spacing::SetApart);
        }
    }
    Interaction& ui = context.ui;
    ui.SetReportLabel(ReportLabel::lblSourceDirpath, "");
    ui.SetReportLabel(ReportLabel::lblTargetDirpath, "");
    ui.SetReportLabel(ReportLabel::Label1, "");
    ui.SetReportLabel(ReportLabel::lblFileName, "");
    if (countingNote)
        report.RemoveTransientNote();
}

void Summarise(OperationContext& context, const RunPlan& plan) {
    OperationState& state = context.state;
    ReportModel& report = context.report;
    state.blnDisplayingSummary = true;
    if (state.blnStop)
        report.OutputBlock(GetProgramText(state.blnTargetFull ? 1109 : 49));
    Summary(report, plan.op);
    context.ui.SetReportButtons(true, false, "", true, GetProgramText(58));
    context.ui.SetReportLabel(ReportLabel::Caption, plan.title);
    CloseReportFile(report);
}

} // namespace

int RunFolderOperation(OperationContext& context, FolderOperationOptions& options,
                       std::string& strResultText) {
    Setup& setup = context.setup;
    OperationState& state = context.state;
    context.report.setSetup(setup);

    RunPlan plan;
    plan.op = state.intOperation;
    plan.listing = plan.op == intOperationListFolders;
    plan.backup = plan.op == intOperationBackupAllFiles || plan.op == intOperationBackupModifiedFiles;
    plan.quiet = options.blnSilent || context.Unattended();
    strResultText.clear();
    options.declined = false;
    options.blnCeaseMultipleBackup = false;

    setup.txbFileExtension = NormalisedFileExtension(setup.txbFileExtension);
    if (setup.txbReportFile.empty() && plan.backup && !plan.quiet && AskToNameReportFile(context.ui, false)) {
        ChooseReportFile(context.report);
        return intResultNameReportFileFirst;
    }

    // Only the backups write the report file; the listing and the check never do.
    state.blnOutputToFile = plan.backup && ReportFileNamedAndEnabled(setup);
    state.blnStop = false;
    plan.title = state.restore.active ? RestoreTitle(plan.op == intOperationCheckBackupState)
                                      : OperationTitle(setup, plan.op);
    state.blnListFolders = plan.listing;
    state.blnBackupOperation = plan.backup;
    plan.excluded = SplitExcludedFilepaths(setup.txbExcludedFilepaths);

    TargetLock lock;
    if (const int code = CheckRun(context, options, plan, lock, strResultText); code != 0 || options.declined)
        return code;
    if (const int code = PrepareRun(context, options, plan, strResultText); code != 0)
        return code;
    WalkAndFlush(context, plan);
    Summarise(context, plan);
    return intResultDone;
}

int cmdBackupAllFiles_MouseUp(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
                              std::string* strResultText) {
    OperationContext context{setup, state, ui, report};
    std::string resultText;
    if (ShowFoldersNotSpecified(context, CaptionBackupAllFiles(), resultText)) {
        if (strResultText != nullptr)
            *strResultText = resultText;
        return setup.txbDirectory[0].empty() ? intResultSourceNotSpecified : intResultTargetNotSpecified;
    }
    const std::string& target = setup.txbDirectory[1];
    if (!context.Unattended() && (CountFilesOf(target) > 0 || CountSubfoldersOf(target) > 0) &&
        AskYesNo(context, target + " " + GetProgramText(1736) + kCRLF + GetProgramText(1737),
                 GetProgramText(1738), MessageIcon::Question) != MessageAnswer::Yes)
        return intResultDone;
    return RunButton(setup, state, ui, report, intOperationBackupAllFiles, strResultText);
}

int cmdBackupModifiedFiles_MouseUp(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
                                   std::string* strResultText) {
    OperationContext context{setup, state, ui, report};
    std::string resultText;
    if (ShowFoldersNotSpecified(context, CaptionBackupModifiedFiles(), resultText)) {
        if (strResultText != nullptr)
            *strResultText = resultText;
        return setup.txbDirectory[0].empty() ? intResultSourceNotSpecified : intResultTargetNotSpecified;
    }
    return RunButton(setup, state, ui, report, intOperationBackupModifiedFiles, strResultText);
}

int cmdCheckBackupState_MouseUp(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
                                std::string* strResultText) {
    OperationContext context{setup, state, ui, report};
    std::string resultText;
    if (ShowFoldersNotSpecified(context, CaptionCheckBackupState(), resultText)) {
        if (strResultText != nullptr)
            *strResultText = resultText;
        return setup.txbDirectory[0].empty() ? intResultSourceNotSpecified : intResultTargetNotSpecified;
    }
    // An empty target has no backup state to check.
    const std::string& target = setup.txbDirectory[1];
    if (FolderExists(target) && CountSubfoldersOf(target) == 0 && CountFilesOf(target) == 0) {
        if (strResultText != nullptr)
            *strResultText = GetProgramText(32);
        if (!context.Unattended())
            ShowBox(context, GetProgramText(32), CaptionCheckBackupState(), MessageIcon::Information);
        return intResultNothingToExamine;
    }
    return RunButton(setup, state, ui, report, intOperationCheckBackupState, strResultText);
}

int cmdListSubFolders_MouseUp(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
                              bool blnListsFiles, std::string* strResultText) {
    OperationContext context{setup, state, ui, report};
    const std::string caption = GetProgramText(blnListsFiles ? 21 : 19);
    auto refuse = [&](const std::string& text, int code) {
        if (strResultText != nullptr)
            *strResultText = text;
        if (!context.Unattended())
            ShowBox(context, text, caption, MessageIcon::Information);
        return code;
    };
    if (setup.txbDirectory[0].empty())
        return refuse(GetProgramText(1558), intResultSourceNotSpecified);
    if (!blnListsFiles)
        return RunButton(setup, state, ui, report, intOperationListFolders, strResultText);

    const std::int64_t count = CountFilesOf(setup.txbDirectory[0]);
    if (count == 0)
        return refuse(GetProgramText(379), intResultNothingToExamine);
    ListFilesInSourceFolder(context, count);
    return intResultDone;
}

bool ListButtonListsFiles(const Setup& setup) {
    if (setup.txbDirectory[0].empty())
        return false;
    return CountSubfoldersOf(setup.txbDirectory[0]) <= 0 || setup.intNumIncludedFolders == 0;
}

void ListFilesInSourceFolder(OperationContext& context, std::int64_t lngNumFiles) {
    if (lngNumFiles < 1)
        return;
    Setup& setup = context.setup;
    OperationState& state = context.state;
    Interaction& ui = context.ui;
    ReportModel& report = context.report;
    report.setSetup(setup);
    const std::string& source = setup.txbDirectory[0];

    // A listing: nothing of it reaches a report file.
    state.intOperation = intOperationListFolders;
    state.blnOutputToFile = false;
    state.blnStop = false;

    ui.SetReportLabel(ReportLabel::Caption, GetProgramText(380));
    report.SetText(GetProgramText(381) + " " + source + kCRLF + kCRLF);
    ui.SetReportLabel(ReportLabel::lblSourceDirpath, source);
    std::string countText = GetProgramText(383);
    if (const std::size_t at = countText.find("999"); at != std::string::npos)
        countText.replace(at, 3, GroupedNumber(static_cast<double>(lngNumFiles), 0));
    ui.SetReportLabel(ReportLabel::lblTargetDirpath, lngNumFiles == 1 ? GetProgramText(382) : countText);
    ui.ShowReportWindow();
    ui.SetReportButtons(false, false, GetProgramText(44), false, "");
    ui.SetReportButtons(false, true, GetProgramText(44), false, GetProgramText(1563));

    struct NamedFile {
        std::string key;
        std::string name;
    };
    std::vector<NamedFile> names;
    names.reserve(static_cast<std::size_t>(lngNumFiles));
    double totalSize = 0;
    {
        platform::DirectoryReader reader(source);
        platform::DirectoryEntry entry;
        while (reader.next(entry)) {
            if ((entry.kind != platform::EntryKind::Regular && entry.kind != platform::EntryKind::Symlink) ||
                platform::isTemporaryCopyName(entry.name))
                continue;
            const platform::FileStatus status = platform::statPath(source + entry.name);
            if (!status.isRegular())
                continue;
            totalSize += static_cast<double>(status.size);
            names.push_back({LowerCaseWithAccents(entry.name), entry.name});
        }
    }
    // Sorted as text, letter case aside.
    std::sort(names.begin(), names.end(), [](const NamedFile& a, const NamedFile& b) {
        return a.key != b.key ? a.key < b.key : a.name < b.name;
    });

    for (const NamedFile& file : names) {
        report.Output(file.name, true);
        if (state.blnStop)
            break;
    }

    report.AppendToScreen(kCRLF + GetProgramText(384) + " " + FormatBytesAndMb(totalSize, false));
    if (setup.chkExcludeFilesInSourceFolder != 0)
        report.AppendToScreen(kCRLF + kCRLF + GetProgramText(385));
    ui.SetReportButtons(true, false, "", true, GetProgramText(58));
}

} // namespace kestrel
