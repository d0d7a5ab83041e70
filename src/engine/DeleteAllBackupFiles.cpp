#include "engine/DeleteAllBackupFiles.h"

#include "engine/DeleteProcedures.h"
#include "engine/FileSelection.h"
#include "engine/TargetGuard.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "report/ReportFile.h"
#include "report/ReportTexts.h"

namespace kestrel {

namespace {

const char* const kCRLF = "\r\n";
// Indent of a line that belongs to a folder's report line.
const char* const kFileLineIndent = "      ";

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

MessageAnswer Show(Interaction& ui, const std::string& text, const std::string& title, MessageButtons buttons,
                   MessageIcon icon, int defaultButton = 1) {
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.buttons = buttons;
    request.icon = icon;
    request.defaultButton = defaultButton;
    return ui.ShowMessage(request);
}

std::string ExtensionCaption(const std::string& filter) {
    return filter.empty() ? std::string() : " " + GetProgramText(1740) + " '" + filter + "'";
}

void ClearFolderAndFileLabels(Interaction& ui) {
    ui.SetReportLabel(ReportLabel::lblSourceDirpath, "");
    ui.SetReportLabel(ReportLabel::lblTargetDirpath, "");
    ui.SetReportLabel(ReportLabel::Label1, "");
    ui.SetReportLabel(ReportLabel::lblFileName, "");
}

} // namespace

// A read-only folder keeps its files only from being changed here, not from being deleted, as
// the read-only attribute of a folder does: it is made writable while the deletion works in it,
// and gets its mode back afterwards if it stays.
class WritableWhileDeleting {
public:
    explicit WritableWhileDeleting(const platform::DirectoryHandle& folder) : folder_(folder) {}
    ~WritableWhileDeleting() {
        if (changed_) {
            folder_.setMode(mode_);
        }
    }
    WritableWhileDeleting(const WritableWhileDeleting&) = delete;
    WritableWhileDeleting& operator=(const WritableWhileDeleting&) = delete;

    void Allow() {
        if (checked_) {
            return;
        }
        checked_ = true;
        const platform::FileStatus status = folder_.status();
        if (status.isDirectory() && platform::isReadOnly(status) &&
            !folder_.setMode(platform::withReadOnlyCleared(status.mode))) {
            mode_ = status.mode;
            changed_ = true;
        }
    }

private:
    const platform::DirectoryHandle& folder_;
    unsigned mode_ = 0;
    bool checked_ = false;
    bool changed_ = false;
};

ConfirmRequest DeletionConfirmRequest(bool blnWipe, const std::string& txbFileExtension) {
    const std::string extension = txbFileExtension.empty()
                                      ? std::string()
                                      : " (" + GetProgramText(1740) + " '" + txbFileExtension + "')";
    ConfirmRequest request;
    request.deletionWarningVisible = true;
    request.deletionWarning = GetProgramText(1601);
    request.question = "";
    request.defaultYes = false; // Enter declines a deletion
    if (blnWipe) {
        request.caption = GetProgramText(1741);
        request.description = GetProgramText(1742) + extension + "," + kCRLF + GetProgramText(1744);
    } else {
        request.caption = GetProgramText(1745);
        request.description = GetProgramText(1743) + extension + "," + kCRLF + GetProgramText(1744);
    }
    return request;
}

DeletionResult cmdDeleteAllBackupFiles_MouseUp(OperationContext& ctx) {
    Setup& setup = ctx.setup;
    const std::string target = setup.txbDirectory[1];
    if (target.empty()) {
        Show(ctx.ui, GetProgramText(1727), CaptionDeleteAllBackupFiles(), MessageButtons::Ok,
             MessageIcon::Information);
        return {};
    }
    // The unattended run's report lies in the target folder and goes with it.
    if (LowerAscii(setup.txbReportFile).find("backup") != std::string::npos) {
        setup.txbReportFile.clear();
    }
    if (FolderIsEmpty(target).valueOr(false)) {
        Show(ctx.ui, GetProgramText(86), CaptionDeleteAllBackupFiles(), MessageButtons::Ok,
             MessageIcon::Information);
        return {};
    }
    ctx.state.intOperation = intOperationDeleteAllBackupFiles;
    return DeleteAllBackupFiles(ctx);
}

namespace {

// The report file: offered when none is named, refused when the deletion would delete it. False
// when the deletion does not go on.
bool CheckDeletionReportFile(OperationContext& ctx) {
    Setup& setup = ctx.setup;
    OperationState& state = ctx.state;
    if (setup.txbReportFile.empty() && AskToNameReportFile(ctx.ui, true)) {
        ChooseReportFile(ctx.report);
        setup.chkDisableOutputToFile = 0;
        return false;
    }
    state.blnOutputToFile = setup.chkDisableOutputToFile == 0 && !setup.txbReportFile.empty();
    // By path text and by the real folders: a report path through a link into the target would
    // be deleted all the same.
    const std::string& target = setup.txbDirectory[1];
    if (state.blnOutputToFile && (ReportFileInsideTarget(setup.txbReportFile, target) ||
                                  LiesInsideFolder(setup.txbReportFile, target))) {
        Show(ctx.ui, GetProgramText(1746), GetProgramText(1189), MessageButtons::Ok,
             MessageIcon::Exclamation);
        setup.chkDisableOutputToFile = 1;
        state.blnOutputToFile = false;
        return false;
    }
    return true;
}

// The target: there, no source inside it, not in use, and something in it to delete. False
// (with a message) when the deletion does not go on; `lock` then holds the target.
bool CheckDeletionTarget(OperationContext& ctx, TargetLock& lock) {
    Setup& setup = ctx.setup;
    OperationState& state = ctx.state;
    Interaction& ui = ctx.ui;
    const std::string title = CaptionDeleteAllBackupFiles();
    const std::string target = setup.txbDirectory[1];
    if (target.empty())
        return false;
    if (!FolderExists(target)) {
        Show(ui, GetProgramText(43), title, MessageButtons::Ok, MessageIcon::Information);
        return false;
    }
    // A source inside the target would be deleted with it, however the setup was made.
    if (const FolderPairRule rule = CheckFolderPair(setup.txbDirectory[0], target);
        rule != FolderPairRule::Accepted) {
        Show(ui, FolderPairMessage(rule, setup.txbDirectory[0]), title, MessageButtons::Ok,
             MessageIcon::Exclamation);
        return false;
    }
    if (!lock.Acquire(target)) {
        Show(ui, TargetInUseMessage(), title, MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }
    state.blnSubfoldersExist = CountSubfolders(target).valueOr(0) > 0;

    // Is there anything to delete at all?
    state.intOperation = intOperationCheckForFile;
    state.blnFileExists = false;
    {
        DeletionWalk check(ctx, target);
        check.Run();
    }
    state.intOperation = intOperationDeleteAllBackupFiles;
    if (!state.blnFileExists) {
        Show(ui, GetProgramText(state.blnSubfoldersExist ? 89 : 88), GetProgramText(90), MessageButtons::Ok,
             MessageIcon::Information);
        return false;
    }
    return true;
}

// Whether to overwrite first, then the confirmation; false when the user declined.
bool AskWipeAndConfirm(OperationContext& ctx) {
    const std::string& filter = ctx.setup.txbFileExtension;
    const MessageAnswer wipe =
        Show(ctx.ui,
             GetProgramText(1747) + " " +
                 (filter.empty() ? std::string() : GetProgramText(1740) + " '" + filter + "' ") +
                 GetProgramText(1748) + kCRLF + GetProgramText(1749),
             CaptionDeleteAllBackupFiles(), MessageButtons::YesNoCancel, MessageIcon::None, 3);
    if (wipe != MessageAnswer::Yes && wipe != MessageAnswer::No)
        return false;
    ctx.state.blnWipe = wipe == MessageAnswer::Yes;
    return ctx.ui.ConfirmOperation(DeletionConfirmRequest(ctx.state.blnWipe, filter));
}

// The report window and the totals, up to the head line.
std::string PrepareDeletionReport(OperationContext& ctx) {
    Setup& setup = ctx.setup;
    OperationState& state = ctx.state;
    Interaction& ui = ctx.ui;
    state.ResetTotals();
    state.blnDisplayingSummary = false;
    state.blnSuppressDetailedReports = setup.chkSuppressDetailedReports != 0;

    const std::string caption = GetProgramText(state.blnWipe ? 1751 : 1757) + " " + GetProgramText(1752) +
                                ExtensionCaption(setup.txbFileExtension);
    ui.SetReportLabel(ReportLabel::Caption, caption);
    ui.SetReportButtons(false, true, GetProgramText(44), false, "");
    const std::string placeholder = GetProgramText(92);
    const std::string& target = setup.txbDirectory[1];
    if (CharacterCount(target) > CharacterCount(FolderPlaceholder(92)) + 5 &&
        !state.blnSuppressDetailedReports)
        ctx.report.AppendToScreen(placeholder + " = " + target + kCRLF);
    state.intPauseInSeconds = 15;
    ui.ShowReportWindow();
    return caption;
}

} // namespace

DeletionResult DeleteAllBackupFiles(OperationContext& ctx) {
    Setup& setup = ctx.setup;
    OperationState& state = ctx.state;
    Interaction& ui = ctx.ui;
    ReportModel& report = ctx.report;
    DeletionResult result;
    report.setSetup(setup);

    state.intOperation = intOperationDeleteAllBackupFiles;
    setup.txbFileExtension = NormalisedFileExtension(setup.txbFileExtension);
    if (!CheckDeletionReportFile(ctx))
        return result;
    state.blnStop = false;
    TargetLock lock;
    if (!CheckDeletionTarget(ctx, lock))
        return result;
    if (!AskWipeAndConfirm(ctx)) {
        result.outcome = DeletionOutcome::Declined;
        return result;
    }

    report.Clear();
    const ReportFileOpening opening = OpenReportFile(report, 0, GetProgramText(1750));
    if (opening == ReportFileOpening::Cancelled) {
        result.outcome = DeletionOutcome::Declined;
        return result;
    }
    if (opening == ReportFileOpening::Failed || opening == ReportFileOpening::Refused)
        return result;

    const std::string caption = PrepareDeletionReport(ctx);
    DeletionWalk walk(ctx, setup.txbDirectory[1]);
    walk.Run();
    result.numNotOverwritten = walk.NumNotOverwritten();

    ClearFolderAndFileLabels(ui);
    state.blnDisplayingSummary = true;
    const bool stopped = state.blnStop;
    if (stopped)
        report.OutputBlock(GetProgramText(49));
    ReportForDeleteAllBackups(report);
    ui.SetReportButtons(true, false, "", true, GetProgramText(58));
    ui.SetReportLabel(ReportLabel::Caption, caption);
    state.blnStop = false;
    CloseReportFile(report);

    result.outcome = stopped ? DeletionOutcome::Stopped : DeletionOutcome::Completed;
    return result;
}

DeletionWalk::DeletionWalk(OperationContext& ctx, std::string targetFolder)
    : ctx_(ctx), target_(std::move(targetFolder)), filter_(ctx.setup.txbFileExtension) {}

bool DeletionWalk::Checking() const {
    return ctx_.state.intOperation == intOperationCheckForFile;
}

bool DeletionWalk::Details() const {
    return !ctx_.state.blnSuppressDetailedReports;
}

void DeletionWalk::ReportFolderError(const std::string& path, const platform::Error& error) {
    // A folder whose files cannot even be listed is a failure of the deletion, not a folder with
    // nothing in it.
    if (!Checking()) {
        ++ctx_.state.lngTotalNumDeletionErrors;
        ctx_.report.OutputBlock(std::string(kFileLineIndent) + GetProgramText(79) + " " + path + "  " +
                                error.description);
    }
}

bool DeletionWalk::ReadFolder(const std::string& path, const platform::DirectoryHandle& folder,
                              FolderEntries& entries) {
    platform::Error error;
    if (deletionFaults().readFolder) {
        error = deletionFaults().readFolder(path);
    }
    using Listing = platform::Result<std::vector<platform::DirectoryEntry>>;
    const Listing listed = error ? Listing(error) : folder.readEntries();
    if (!listed.ok()) {
        ReportFolderError(path, listed.error());
        return false;
    }
    for (const platform::DirectoryEntry& entry : listed.value()) {
        switch (entry.kind) {
        case platform::EntryKind::Directory:
            entries.subfolders.push_back(entry.name);
            break;
        case platform::EntryKind::Regular:
            // A copy a killed backup left unfinished is no backup file: removed, not counted.
            if (platform::isTemporaryCopyName(entry.name)) {
                folder.removeChild(entry.name);
                break;
            }
            [[fallthrough]];
        case platform::EntryKind::Symlink:
            if (MatchesExtensionFilter(entry.name, filter_, false)) {
                entries.files.push_back(entry.name);
            }
            break;
        default:
            // FIFOs, sockets and devices are passed over, as every walk does.
            break;
        }
    }
    if (deletionFaults().afterListing) {
        deletionFaults().afterListing(path);
    }
    return true;
}

void DeletionWalk::Run() {
    const platform::Result<platform::DirectoryHandle> root = platform::openDirectory(target_);
    if (!root.ok()) {
        ReportFolderError(target_, root.error());
        return;
    }
    DeleteFolderContents(target_, root.value());
}

bool DeletionWalk::DeleteFolderContents(const std::string& strFolder,
                                        const platform::DirectoryHandle& folder) {
    OperationState& state = ctx_.state;
    if (state.blnStop || (Checking() && state.blnFileExists)) {
        return false;
    }
    FolderEntries entries;
    if (!ReadFolder(strFolder, folder, entries)) {
        return false;
    }
    if (Checking() && !entries.files.empty()) {
        state.blnFileExists = true;
        return false;
    }
    WritableWhileDeleting writable(folder);
    if (!DeleteSubfolders(strFolder, folder, entries.subfolders, writable)) {
        return false;
    }
    if (entries.files.empty()) {
        return false; // left in place, even when it is empty now
    }
    writable.Allow();
    const bool stoppedAfterError = !DeleteFiles(strFolder, folder, entries.files);
    return !stoppedAfterError && strFolder != target_;
}

bool DeletionWalk::DeleteSubfolders(const std::string& strFolder, const platform::DirectoryHandle& folder,
                                    const std::vector<std::string>& subfolders,
                                    WritableWhileDeleting& writable) {
    OperationState& state = ctx_.state;
    Interaction& ui = ctx_.ui;
    for (const std::string& name : subfolders) {
        ++state.lngTotalNumFolders;
        const std::string subPath = platform::withFinalSeparator(strFolder + name);
        // Opened without following a link: a folder swapped for a link since the listing is
        // never entered.
        const platform::Result<platform::DirectoryHandle> sub = folder.openChild(name);
        if (!sub.ok()) {
            ReportFolderError(subPath, sub.error());
        } else if (DeleteFolderContents(subPath, sub.value()) && !Checking()) {
            ui.DoEvents();
            const platform::Result<std::vector<platform::DirectoryEntry>> left = sub.value().readEntries();
            if (left.ok() && left.value().empty()) {
                writable.Allow();
                folder.removeChildFolder(name);
            }
        }
        ui.DoEvents();
        if ((Checking() && state.blnFileExists) || state.blnStop) {
            return false;
        }
    }
    return true;
}

bool DeletionWalk::DeleteFiles(const std::string& strFolder, const platform::DirectoryHandle& folder,
                               const std::vector<std::string>& files) {
    OperationState& state = ctx_.state;
    Interaction& ui = ctx_.ui;
    const std::int64_t numFiles = static_cast<std::int64_t>(files.size());
    bool shortened = false;
    ui.SetReportLabel(ReportLabel::lblTargetDirpath,
                      GetProgramText(1217) + ":  " +
                          ShortenPathForDisplay(strFolder, intMaxShownPathLength, shortened));
    ui.SetReportLabel(ReportLabel::Label1, "");
    ui.SetReportLabel(ReportLabel::lblFileName, "");
    if (Details()) {
        DisplayNumFilesInFolder(ctx_.report, false, strFolder, numFiles, false, false, true);
    }

    std::int64_t numDeleted = 0;
    bool stoppedAfterError = false;
    std::vector<NotOverwritten> notOverwritten;
    for (const std::string& name : files) {
        if (!DeleteOneFile(folder, name, strFolder + name, numDeleted, notOverwritten)) {
            stoppedAfterError = true;
            break;
        }
        ui.DoEvents();
        if (state.blnStop) {
            break;
        }
    }

    // Stopped or not, the folder's remark tells what was done in it.
    if (!ctx_.report.blnReportBufferFull() && Details()) {
        DisplayFilesDeleted(ctx_.report, numFiles, numDeleted);
    }
    ReportNotOverwritten(notOverwritten);
    if (numDeleted > 0 && !state.blnStop) {
        PauseAfterFirstDeletion(strFolder);
    }
    return !stoppedAfterError;
}

bool DeletionWalk::DeleteOneFile(const platform::DirectoryHandle& folder, const std::string& name,
                                 const std::string& path, std::int64_t& numDeleted,
                                 std::vector<NotOverwritten>& notOverwritten) {
    OperationState& state = ctx_.state;
    Interaction& ui = ctx_.ui;
    ++state.lngTotalNumFiles;
    ui.SetReportLabel(ReportLabel::Label1, GetProgramText(1753) + " ");
    ui.SetReportLabel(ReportLabel::lblFileName, name);

    std::string reason;
    const bool overwritten = !state.blnWipe || WipeFile(folder, name, path, reason);
    if (DeleteFileWithRetry(folder, name, path, ui)) {
        ui.SetReportLabel(ReportLabel::lblFileName, "");
        ++numDeleted;
        ++state.lngTotalNumFilesDeleted;
        if (!overwritten) {
            notOverwritten.push_back({path, reason});
        }
        return true;
    }
    ++state.lngTotalNumDeletionErrors;
    const std::string message = GetProgramText(105) + path + GetProgramText(106) +
                                std::to_string(state.lngTotalNumDeletionErrors) + "." + GetProgramText(107);
    bool stop = false;
    AskAfterDeletionError(message, true, stop);
    if (stop) {
        state.blnStop = true;
    }
    return !stop;
}

bool DeletionWalk::WipeFile(const platform::DirectoryHandle& folder, const std::string& name,
                            const std::string& path, std::string& reason) {
    const platform::FileStatus status = folder.statChild(name);
    if (status.kind == platform::EntryKind::Symlink) {
        reason = GetProgramText(1754);
        return false;
    }
    if (status.isRegular() && status.linkCount > 1) {
        reason = GetProgramText(1755);
        return false;
    }
    if (const platform::Status overwritten = OverwriteFile(folder, name, path, true, true);
        !overwritten.ok()) {
        reason = overwritten.error().description;
        return false;
    }
    return true;
}

void DeletionWalk::ReportNotOverwritten(std::vector<NotOverwritten>& files) {
    for (const NotOverwritten& file : files) {
        ctx_.report.OutputBlock(std::string(kFileLineIndent) + GetProgramText(1756) + ": " + file.path +
                                "  (" + file.reason + ")");
        ++numNotOverwritten_;
        ++ctx_.state.lngTotalNumNotOverwritten;
    }
    files.clear();
}

void DeletionWalk::AskAfterDeletionError(const std::string& message, bool askAlways, bool& stop) {
    OperationState& state = ctx_.state;
    const bool sixth = state.lngTotalNumDeletionErrors > 0 && state.lngTotalNumDeletionErrors % 6 == 0;
    if (!sixth && askAlways) {
        return;
    }
    state.blnPaused = true;
    const MessageAnswer answer =
        Show(ctx_.ui, message, GetProgramText(110), MessageButtons::YesNo, MessageIcon::None);
    state.blnPaused = false;
    if (answer == MessageAnswer::Yes) {
        stop = true;
    } else {
        ctx_.report.Output(kCRLF, false);
    }
}

void DeletionWalk::PauseAfterFirstDeletion(const std::string& folder) {
    if (folder == target_ || ctx_.setup.chkPauseAfterFirstDelete == 0 || pauseTaken_) {
        return;
    }
    Show(ctx_.ui, GetProgramText(393) + folder + GetProgramText(394), CaptionDeleteAllBackupFiles(),
         MessageButtons::Ok, MessageIcon::None);
    ctx_.ui.cmdPauseContinue_Click();
    pauseTaken_ = true;
}

} // namespace kestrel
