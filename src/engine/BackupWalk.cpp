#include "engine/BackupWalk.h"

#include "engine/CopyProgressRelay.h"
#include "engine/FileComparison.h"
#include "engine/TargetSpace.h"
#include "modules/DatePr2.h"
#include "modules/FileProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/ErrorCodes.h"
#include "platform/KeptAttributes.h"
#include "platform/PassedOverEntry.h"
#include "platform/Path.h"
#include "platform/TargetFileSystem.h"
#include "report/ReportTexts.h"
#include "report/RestoreWording.h"
#include "setup/ChoiceLists.h"

#include <algorithm>
#include <optional>

namespace kestrel {

namespace {

using platform::EntryKind;
using platform::FileStatus;

const std::string kCRLF = "\r\n";
const std::string kSixBlanks = "      ";

bool EndsWithThumbsDb(const std::string& name) {
    static const std::string kThumbs = "thumbs.db";
    const std::string lower = LowerCaseWithAccents(TrimBlanks(name));
    return lower.size() >= kThumbs.size() &&
           lower.compare(lower.size() - kThumbs.size(), kThumbs.size(), kThumbs) == 0;
}

std::string PassedOverText(platform::PassedOverKind kind) {
    switch (kind) {
    case platform::PassedOverKind::FolderLink:
        return GetProgramText(1101);
    case platform::PassedOverKind::Fifo:
        return GetProgramText(1102);
    case platform::PassedOverKind::Socket:
        return GetProgramText(1103);
    case platform::PassedOverKind::Device:
        return GetProgramText(1104);
    default:
        return GetProgramText(1105);
    }
}

std::string Grouped(std::int64_t n) {
    return GroupedNumber(static_cast<double>(n), 0);
}

std::string ErrorCountLines(std::int64_t errors) {
    return kCRLF + kCRLF + GetProgramText(63) + " " + std::to_string(errors) + "." + kCRLF +
           GetProgramText(64);
}

// The first level of a folder path that exists but is not a folder (a file standing where a
// folder of the backup should be); empty when there is none.
std::string BlockingFileOf(const std::string& folder) {
    std::string level = platform::rootOf(folder);
    for (const std::string& name : platform::pathComponents(folder)) {
        level = platform::joinPath(level, name);
        const FileStatus status = platform::statPath(level);
        if (status.exists() && !status.isDirectory())
            return level;
    }
    return {};
}

} // namespace

BackupWalk::BackupWalk(OperationContext& context, const std::vector<std::string>& excludedFilepaths,
                       std::string strTitle)
    : ctx_(context), setup_(context.setup), state_(context.state), report_(context.report),
      selection_(context.setup, excludedFilepaths), strTitle_(std::move(strTitle)),
      source_(context.setup.txbDirectory[0]), target_(context.setup.txbDirectory[1]) {
    modifiedSinceDays_ = setup_.cboModifiedSince == 0 ? -1 : ModifiedSinceValue(setup_.cboModifiedSince);
    today_ = TodayDayNumber();
    const int op = state_.intOperation;
    if (op == intOperationCheckBackupState || op == intOperationBackupAllFiles ||
        op == intOperationBackupModifiedFiles) {
        targetDrive_ = DriveOfPath(target_);
        targets_ = TargetFolderChain(platform::openDirectory(target_).valueOr({}));
    }
    sources_ = TargetFolderChain(platform::openDirectory(source_).valueOr({}));
    if (IsBackup() && targets_.valid()) {
        sweepLeftovers_ = platform::markRunUnderWay(targets_.root());
        runMarked_ = true;
        if (!sweepLeftovers_)
            targets_.lookForRunMarks();
    }
    // Once an operation: the per-file step reads nothing more than each file's status.
    if (targets_.valid())
        targetTraits_ = platform::learnTraitsOf(targets_.root());
    if (op == intOperationCheckBackupState || op == intOperationBackupModifiedFiles)
        timeComparison_ = TimeComparisonOf(source_, targetTraits_);
    if (setup_.extra.bKeepAttributes || setup_.extra.bCopyLinksAsLinks)
        LearnWhatIsKept();
}

BackupWalk::~BackupWalk() {
    if (runMarked_)
        platform::clearRunMark(targets_.root());
}

MessageAnswer BackupWalk::AskYesNo(const std::string& text, const std::string& title, MessageIcon icon) {
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.buttons = MessageButtons::YesNo;
    request.icon = icon;
    state_.blnPaused = true;
    const MessageAnswer answer = ctx_.ui.ShowMessage(request);
    state_.blnPaused = false;
    return answer;
}

bool BackupWalk::AskToStopAfterErrors(const std::string& message, bool onlyEverySixth) {
    const std::int64_t errors = state_.lngTotalNumCopyErrors;
    if (onlyEverySixth && !(errors > 0 && errors % 6 == 0))
        return false;
    if (ctx_.Unattended())
        return false;
    state_.blnPaused = true;
    ctx_.ui.Beep(350, 350);
    return AskYesNo(message, GetProgramText(83), MessageIcon::Exclamation) == MessageAnswer::Yes;
}

std::string BackupWalk::TargetPathOf(const std::string& sourcePath) const {
    return target_ + sourcePath.substr(std::min(source_.size(), sourcePath.size()));
}

const platform::DirectoryHandle* BackupWalk::SourceFolder(const std::string& folder) {
    if (!sources_.valid() || folder.compare(0, source_.size(), source_) != 0)
        return nullptr;
    bool created = false;
    return sources_.openFolder(folder.substr(source_.size()), false, created);
}

bool BackupWalk::ReadFolder(const std::string& folder, FolderEntries& entries, platform::Error& error) {
    // Through the folder's handle where it opens from the source's root down (no path looked up
    // again a file); by path where it does not (a link the user included), with the error the
    // path gives.
    const platform::DirectoryHandle* handle = SourceFolder(folder);
    std::vector<platform::DirectoryEntry> read;
    if (handle != nullptr) {
        platform::Result<std::vector<platform::DirectoryEntry>> listed = handle->readEntries();
        if (listed.ok())
            read = std::move(listed).value();
        else
            handle = nullptr;
    }
    std::size_t next = 0;
    std::optional<platform::DirectoryReader> reader;
    if (handle == nullptr)
        reader.emplace(folder);
    platform::DirectoryEntry entry;
    const auto nextEntry = [&]() {
        if (handle == nullptr)
            return reader->next(entry);
        if (next == read.size())
            return false;
        entry = std::move(read[next++]);
        return true;
    };
    while (nextEntry()) {
        switch (entry.kind) {
        case EntryKind::Directory:
            entries.subfolders.push_back(entry.name);
            break;
        case EntryKind::Regular:
            // A copy left unfinished by a killed run is no file of the user's.
            if (!platform::isTemporaryCopyName(entry.name))
                entries.files.push_back({entry.name, EntryKind::Regular, {}, false, {}, false, kNotAhead});
            break;
        case EntryKind::Symlink: {
            // A link to a file is backed up as that file; a link to anything else is passed
            // over and named in the report.
            if (platform::isTemporaryCopyName(entry.name))
                break;
            if (TakesLinkAsLink()) {
                entries.files.push_back({entry.name, EntryKind::Symlink, {}, false, {}, false, kNotAhead});
                break;
            }
            FileStatus status = handle != nullptr ? handle->statChildFollowingLinks(entry.name)
                                                  : platform::statPath(folder + entry.name);
            if (status.isRegular())
                entries.files.push_back({entry.name, EntryKind::Symlink, status, true, {}, false, kNotAhead});
            else
                AddPassedOver(folder, entry.name, entries);
            break;
        }
        case EntryKind::Other:
            // FIFOs, sockets and devices: copying one would hang or make no sense.
            AddPassedOver(folder, entry.name, entries);
            break;
        default:
            break; // gone since the folder was read
        }
    }
    error = handle != nullptr ? platform::Error{} : reader->error();
    if (error)
        return false;
    // Byte order, so that a report reads the same on every run and every file system.
    std::sort(entries.files.begin(), entries.files.end(),
              [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });
    std::sort(entries.subfolders.begin(), entries.subfolders.end());
    std::sort(entries.passedOver.begin(), entries.passedOver.end(),
              [](const PassedOver& a, const PassedOver& b) { return a.name < b.name; });
    return true;
}

void BackupWalk::AddPassedOver(const std::string& folder, const std::string& name, FolderEntries& entries) {
    const platform::PassedOverKind kind = platform::passedOverKindOf(folder + name);
    if (kind != platform::PassedOverKind::None)
        entries.passedOver.push_back({name, kind});
}

void BackupWalk::ReportPassedOver(const std::string& folder, const std::vector<PassedOver>& entries,
                                  bool filePart, FolderRun* run) {
    for (const PassedOver& entry : entries) {
        const std::string path = folder + entry.name;
        // Only what the setup would have taken: a link to a folder where such a subfolder would
        // be walked, anything else where such a file would be selected.
        const bool selected = entry.kind == platform::PassedOverKind::FolderLink
                                  ? WouldWalkFolderLink(folder, path)
                                  : filePart && IsSelected(path, entry.name);
        if (!selected)
            continue;
        ++state_.lngTotalNumPassedOver;
        if (!Details())
            continue;
        if (run != nullptr && !run->blnFolderLineShown && run->numFiles > 0) {
            OutputHeldBackFolderLine(report_);
            run->blnFolderLineShown = true;
        }
        report_.OutputBlock(kSixBlanks + PassedOverText(entry.kind) + " " + path + ".");
    }
}

bool BackupWalk::WouldWalkFolderLink(const std::string& folder, const std::string& path) const {
    const std::string asFolder = platform::withFinalSeparator(path);
    if (selection_.IsExcludedPath(asFolder))
        return false;
    // The setup lists the source's real subfolders only: a link at the top could never be
    // chosen, so it is named whatever the list holds.
    if (folder == source_)
        return true;
    return setup_.chkIncludeSubfolders != 0 && selection_.IsIncludedFolder(asFolder);
}

void BackupWalk::HandleFolderError(const std::string& folder, const platform::Error& error) {
    const int op = state_.intOperation;
    if (op == intOperationCheckForFile)
        return;
    // A folder that cannot be read is an error of the run, named with its reason.
    ++state_.lngTotalNumCopyErrors;
    const bool denied = error.number == platform::err::PermissionDenied;
    if (denied) {
        // Its count is unknown.
        if (Details())
            DisplayNumFilesInFolder(report_, true, folder, -1, true, true, true);
        if (state_.blnListFolders)
            ++state_.lngTotalNumFolders;
    }
    report_.OutputBlock(kSixBlanks + GetProgramText(79) + " " + folder + "  " + error.description);
    // A folder the user may not read never stops the walk and asks nothing.
    if (denied)
        return;
    std::string text = GetProgramText(1214) + ": " + error.description;
    if (error.number == platform::err::BadFileName) {
        text += kCRLF + kCRLF + GetProgramText(1700) + kCRLF + folder + kCRLF + GetProgramText(1701);
    }
    text += ErrorCountLines(state_.lngTotalNumCopyErrors);
    if (AskToStopAfterErrors(text, false))
        state_.blnStop = true;
}

const FileStatus& BackupWalk::StatusOf(const std::string& folder, FolderFile& file) {
    if (!file.statusRead) {
        file.status = platform::statPath(folder + file.name);
        file.statusRead = true;
    }
    return file.status;
}

bool BackupWalk::IsSelected(const std::string& fullPath, const std::string& name) const {
    if (state_.restore.active && IsLeftOutOfRestore(fullPath, name))
        return false;
    return !selection_.IsExcludedPath(fullPath) && selection_.PassesExtensionFilter(name);
}

void BackupWalk::BackupFolder(const std::string& strFolder) {
    if (state_.blnStop || (Quiet() && state_.blnFileExists))
        return;
    if (!Quiet())
        ShowFolderLabels(strFolder);

    std::vector<std::string> subfolders;
    {
        FolderEntries entries;
        platform::Error error;
        if (!ReadFolder(strFolder, entries, error)) {
            HandleFolderError(strFolder, error);
            return;
        }
        const bool filePart = !(strFolder == source_ && setup_.chkExcludeFilesInSourceFolder != 0);
        if (gone_ != nullptr)
            CompareWithTarget(strFolder, entries, filePart);
        subfolders = std::move(entries.subfolders);
        upcoming_ = !subfolders.empty() && (strFolder == source_ || setup_.chkIncludeSubfolders != 0)
                        ? std::optional<NextFolder>(NextFolder{strFolder, subfolders.front()})
                        : nextSibling_;
        if (!filePart) {
            if (!Quiet())
                ReportPassedOver(strFolder, entries.passedOver, false, nullptr);
        } else if (Quiet()) {
            if (AnyFileSelected(strFolder, entries.files)) {
                state_.blnFileExists = true;
                return;
            }
        } else if (!WalkFilesOf(strFolder, entries)) {
            return;
        }
    }
    WalkSubfolders(strFolder, subfolders);
    KeepFolderAttributes(strFolder);
}

void BackupWalk::ShowFolderLabels(const std::string& strFolder) {
    Interaction& ui = ctx_.ui;
    bool shortened = false;
    ui.SetReportLabel(ReportLabel::lblSourceDirpath,
                      GetProgramText(1215) + ": " +
                          ShortenPathForDisplay(strFolder, intMaxShownPathLength, shortened));
    ui.SetReportLabel(ReportLabel::lblTargetDirpath,
                      GetProgramText(1217) + ":  " +
                          ShortenPathForDisplay(TargetPathOf(strFolder), intMaxShownPathLength, shortened));
    ui.SetReportLabel(ReportLabel::Label1, "");
    ui.SetReportLabel(ReportLabel::lblFileName, "");
}

bool BackupWalk::AnyFileSelected(const std::string& strFolder, const std::vector<FolderFile>& files) const {
    return std::any_of(files.begin(), files.end(),
                       [&](const FolderFile& file) { return IsSelected(strFolder + file.name, file.name); });
}

void BackupWalk::AddSelectedSizes(const std::string& strFolder, std::vector<FolderFile>& files) {
    for (FolderFile& file : files) {
        if (!IsSelected(strFolder + file.name, file.name))
            continue;
        const FileStatus& status = StatusOf(strFolder, file);
        if (status.isRegular())
            state_.dblTotalFilesize += static_cast<double>(status.size);
    }
}

bool BackupWalk::WalkFilesOf(const std::string& strFolder, FolderEntries& entries) {
    const int op = state_.intOperation;
    std::vector<FolderFile>& files = entries.files;
    FolderRun run;
    run.folder = strFolder;
    run.targetFolder = TargetPathOf(strFolder);
    run.numFiles = static_cast<std::int64_t>(files.size());

    if (!files.empty()) {
        const bool note = ShowWaitingNote(report_, run.numFiles);
        if (op == intOperationListFolders)
            AddSelectedSizes(strFolder, files);
        if (note)
            RemoveWaitingNote(report_);
    }

    // The check and the backup of modified files show a folder's line only once it has a new or
    // modified file.
    const bool heldBack = op == intOperationCheckBackupState || op == intOperationBackupModifiedFiles;
    if (Details()) {
        DisplayNumFilesInFolder(report_, true, strFolder, run.numFiles,
                                state_.blnListFolders || run.numFiles == 0, op == intOperationListFolders,
                                !heldBack);
    }
    run.blnFolderLineShown = !heldBack;
    if (run.numFiles > 0 || state_.blnListFolders)
        ++state_.lngTotalNumFolders;
    ctx_.ui.DoEvents();

    if (run.numFiles > 0) {
        state_.lngTotalNumFiles += run.numFiles;
        if (op != intOperationListFolders) {
            if (state_.lngTotalNumFilesCopied != freeSpaceShownAt_) {
                DisplayFreeSpace(report_, targetDrive_);
                freeSpaceShownAt_ = state_.lngTotalNumFilesCopied;
            }
            run.sourceHandle = SourceFolder(strFolder);
            if (!ExamineFiles(run, files))
                return false;
            DisplayFolderRemark(run);
        }
    }
    ReportPassedOver(strFolder, entries.passedOver, true, &run);
    if (IsBackup() && !state_.blnStop)
        PauseAfterFirstCopy(run);
    return true;
}

void BackupWalk::DisplayFolderRemark(const FolderRun& run) {
    if (!Details())
        return;
    if (state_.intOperation == intOperationCheckBackupState)
        DisplayNewAndModifiedFiles(report_, run.numFiles, run.numNewFiles, run.numModifiedFiles);
    else
        DisplayFilesCopied(report_, run.numFiles, run.numNewFiles, run.numModifiedFiles, run.numFilesCopied);
}

void BackupWalk::WalkSubfolders(const std::string& strFolder, const std::vector<std::string>& subfolders) {
    if (strFolder != source_ && setup_.chkIncludeSubfolders == 0)
        return;
    Interaction& ui = ctx_.ui;
    ui.DoEvents();
    if (state_.blnStop)
        return;
    const std::optional<NextFolder> afterThese = nextSibling_;
    for (std::size_t i = 0; i < subfolders.size(); ++i) {
        const std::string& name = subfolders[i];
        const std::string subPath = platform::withFinalSeparator(strFolder + name);
        nextSibling_ = i + 1 < subfolders.size() ? NextFolder{strFolder, subfolders[i + 1]} : afterThese;
        if (selection_.IsIncludedFolder(subPath, SourceFolder(strFolder)) &&
            !selection_.IsExcludedPath(subPath) && !PassOverVersionsName(strFolder, name))
            BackupFolder(subPath);
        ui.DoEvents();
        if (state_.blnStop || (Quiet() && state_.blnFileExists))
            break;
    }
    nextSibling_ = afterThese;
}

void BackupWalk::CompareWithTarget(const std::string& strFolder, const FolderEntries& entries,
                                   bool filePart) {
    std::vector<std::string> names = entries.subfolders;
    for (const FolderFile& file : entries.files)
        names.push_back(file.name);
    for (const PassedOver& entry : entries.passedOver)
        names.push_back(entry.name);
    const std::string relative = strFolder.substr(std::min(source_.size(), strFolder.size()));
    bool created = false;
    const platform::DirectoryHandle* target = targets_.openFolder(relative, false, created);
    gone_->Compare(target, strFolder, relative, std::move(names), filePart,
                   strFolder == source_ || setup_.chkIncludeSubfolders != 0);
}

bool BackupWalk::PassOverVersionsName(const std::string& strFolder, const std::string& name) {
    if (strFolder != source_ || !IsVersionsFolderName(name))
        return false;
    // A restore walks the backup itself: its versions folder is the backup's own store.
    if (!Quiet() && !state_.restore.active) {
        ++state_.intNumWarnings;
        report_.OutputBlock(kSixBlanks + GetProgramText(1820) + " " + strFolder + name + ".");
    }
    return true;
}

bool BackupWalk::KeepEarlierCopy(FolderRun& run, const FileFacts& facts) {
    const platform::Error error =
        versions_->Keep(*run.targetHandle, run.folder.substr(source_.size()), facts.name);
    if (!error)
        return true;
    bool stop = false;
    ReportCopyError(facts.fullPath, GetProgramText(1819) + " " + error.description, stop);
    return false;
}

void BackupWalk::ChooseCaseClashWinners(FolderRun& run, const std::vector<FolderFile>& files) {
    std::unordered_map<std::string, std::vector<std::string>> groups;
    bool clash = false;
    for (const FolderFile& file : files) {
        if (!IsSelected(run.folder + file.name, file.name))
            continue;
        std::vector<std::string>& names = groups[platform::caseFoldedName(file.name)];
        names.push_back(file.name);
        clash = clash || names.size() > 1;
    }
    if (!clash)
        return;
    std::vector<platform::DirectoryEntry> held;
    if (OpenTargetFolder(run, false))
        held = run.targetHandle->readEntries().valueOr({});
    for (const auto& [folded, names] : groups) {
        if (names.size() < 2)
            continue;
        std::string winner = names.front();
        for (const std::string& name : names)
            if (std::any_of(held.begin(), held.end(),
                            [&name](const platform::DirectoryEntry& entry) { return entry.name == name; }))
                winner = name;
        run.caseClashWinners.emplace(folded, winner);
    }
}

void BackupWalk::ReadStatusesAhead(FolderRun& run, std::vector<FolderFile>& files) {
    const std::string& reportFile = setup_.txbReportFile;
    std::vector<FolderFile*> examined;
    std::vector<std::string> names;
    for (FolderFile& file : files) {
        const std::string fullPath = run.folder + file.name;
        if (!(!reportFile.empty() && fullPath == reportFile) && IsSelected(fullPath, file.name) &&
            !IsLinkEntry(file)) {
            examined.push_back(&file);
            names.push_back(file.name);
        }
    }
    if (names.empty())
        return;
    if (!run.targetOpenTried)
        OpenTargetFolder(run, false);
    std::vector<FileStatus> sources;
    std::vector<FileStatus> targets;
    sides_.read(*run.sourceHandle, run.targetHandle, names, sources, targets);
    std::vector<platform::FileAhead> ahead;
    for (std::size_t i = 0; i < examined.size(); ++i) {
        FolderFile& file = *examined[i];
        file.status = sources[i];
        file.statusRead = true;
        file.target = targets[i].kind == EntryKind::Symlink ? FileStatus{} : targets[i];
        file.targetRead = true;
        // What a backup is about to copy: every file, or the new and modified ones.
        if (IsBackup() && file.status.isRegular() &&
            (state_.intOperation == intOperationBackupAllFiles || !file.target.isRegular() ||
             IsModifiedFileOfStatus(file.status, file.target, timeComparison_))) {
            file.ahead = ahead.size();
            ahead.push_back({file.name, file.status.size});
        }
    }
    if (!ahead.empty())
        readAhead_.queueFolder(*run.sourceHandle, std::move(ahead));
}

void BackupWalk::ReadNextFolderAhead(const FolderRun& run) {
    if (!IsBackup() || !upcoming_)
        return;
    // Where every file of the next folder is about to be copied: in a backup of all files, and
    // below a folder the target does not hold yet.
    const bool allCopied =
        state_.intOperation == intOperationBackupAllFiles ||
        (run.targetOpenTried && run.targetHandle == nullptr && upcoming_->parent == run.folder);
    if (!allCopied || upcoming_->parent.compare(0, source_.size(), source_) != 0)
        return;
    if (const platform::DirectoryHandle* parent =
            sources_.openedFolder(upcoming_->parent.substr(source_.size())))
        readAhead_.queueNextFolder(*parent, upcoming_->name);
}

bool BackupWalk::ExamineFiles(FolderRun& run, std::vector<FolderFile>& files) {
    if (targetTraits_.ignoresCase)
        ChooseCaseClashWinners(run, files);
    if (run.sourceHandle != nullptr) {
        ReadStatusesAhead(run, files);
        ReadNextFolderAhead(run);
    }
    const std::string& reportFile = setup_.txbReportFile;
    bool abandoned = false;
    bool stopped = false;
    for (FolderFile& file : files) {
        const std::string fullPath = run.folder + file.name;
        // The report file being written is never backed up.
        if (!(!reportFile.empty() && fullPath == reportFile) && IsSelected(fullPath, file.name)) {
            const bool asLink = IsLinkEntry(file);
            const FileStatus& status = asLink ? file.status : StatusOf(run.folder, file);
            // A file removed since the folder was read, or turned into something that is no
            // file, is passed over.
            if (asLink || status.isRegular() || (status.errorNumber != 0 && !status.notFound)) {
                if (file.ahead != kNotAhead)
                    readAhead_.reached(file.ahead);
                run.current = &file;
                const FileResult result = asLink ? BackupOneLink(run, file.name, fullPath)
                                                 : BackupOneFile(run, file.name, fullPath, status);
                run.current = nullptr;
                if (result == FileResult::Abandon) {
                    abandoned = true;
                    break;
                }
                if (result == FileResult::Stop) {
                    stopped = true;
                    break;
                }
            }
        }
        ctx_.ui.DoEvents();
        if (state_.blnStop)
            break;
    }
    // What was read ahead of this folder is of no more use, nor anything after a stop.
    if (abandoned || stopped || state_.blnStop)
        readAhead_.cancel();
    else
        readAhead_.leaveFolder();
    return !abandoned;
}

BackupWalk::FileResult BackupWalk::BackupOneFile(FolderRun& run, const std::string& name,
                                                 const std::string& fullPath, const FileStatus& source) {
    const FileFacts facts = FactsOf(run, name, fullPath, source);
    const FileVerdict verdict = DecideFile(facts);
    switch (verdict.standing) {
    case FileStanding::CannotHold: {
        // Never written under another name nor over another file, and no new or modified file:
        // reported as a file that cannot be copied.
        bool stop = false;
        ReportCopyError(fullPath, facts.cannotHold, stop);
        return stop ? FileResult::Stop : FileResult::Next;
    }
    case FileStanding::New:
    case FileStanding::Modified:
        ReportNewOrModified(run, fullPath, verdict.standing == FileStanding::New);
        break;
    case FileStanding::NewerInTarget:
        ReportNewerLeftAlone(run, name);
        return FileResult::Next;
    default:
        break;
    }

    switch (verdict.action) {
    case FileAction::None:
        return verdict.standing == FileStanding::Unchanged ? KeepUnchangedCopyAttributes(run, facts)
                                                           : FileResult::Next;
    case FileAction::SkipSystemFile:
    case FileAction::SkipSwapFile:
        report_.OutputBlock(kSixBlanks +
                            GetProgramText(verdict.action == FileAction::SkipSystemFile ? 390 : 164) + " " +
                            fullPath + ".");
        return FileResult::Next;
    case FileAction::TargetFull:
        ReportTargetFull();
        return FileResult::Next;
    case FileAction::NoRoom:
        ReportNoRoom(fullPath, SizeOfStatus(source));
        return FileResult::Next;
    case FileAction::Copy:
        break;
    }
    return CopyOneFile(run, facts, verdict);
}

FileFacts BackupWalk::FactsOf(FolderRun& run, const std::string& name, const std::string& fullPath,
                              const FileStatus& source) {
    FileFacts facts;
    facts.operation = state_.intOperation;
    facts.fullPath = fullPath;
    facts.name = name;
    facts.source = source;
    facts.target = TargetStatusOf(run, name);
    if (facts.target.isRegular())
        run.targetFolderReady = true;
    facts.modifiedSince = IsModifiedSinceOfStatus(source, modifiedSinceDays_, today_);
    facts.targetIsReportFile =
        !setup_.txbReportFile.empty() && setup_.txbReportFile == run.targetFolder + name;
    facts.skipThumbs = state_.blnSkipThumbsDb && EndsWithThumbsDb(name);
    if (facts.modifiedSince)
        facts.cannotHold = WhyTargetCannotHold(run, name, SizeOfStatus(source));
    facts.extensionFilter = selection_.ExtensionFilter();
    facts.warnIfEarlier = setup_.chkWarnIfEarlier != 0;
    facts.warnIfSmaller = setup_.chkWarnIfSmaller != 0;
    facts.suspectPercent = setup_.intSuspectPercent();
    facts.comparison = timeComparison_;
    facts.keepNewerTarget = state_.restore.active && !state_.restore.overwriteNewer;
    if (NeedsRoomReading(facts.operation, facts.target, facts.modifiedSince)) {
        double freeBytes = 0;
        double totalBytes = 0;
        if (targetRoom_.Read(target_, SizeOfStatus(source), freeBytes, totalBytes) == 0)
            facts.freeBytes = freeBytes;
    }
    return facts;
}

void BackupWalk::ReportNewOrModified(FolderRun& run, const std::string& fullPath, bool isNew) {
    if (isNew) {
        ++state_.lngTotalNumNewFiles;
        ++run.numNewFiles;
    } else {
        ++state_.lngTotalNumModifiedFiles;
        ++run.numModifiedFiles;
    }
    if (!Details())
        return;
    if (!run.blnFolderLineShown) {
        OutputHeldBackFolderLine(report_);
        run.blnFolderLineShown = true;
    }
    report_.Output(kSixBlanks + fullPath + " " + GetProgramText(WordingOf(state_, isNew ? 65 : 66)), true);
}

void BackupWalk::ReportTargetFull() {
    report_.OutputBlock(kSixBlanks + GetProgramText(1702));
    ++state_.lngTotalNumCopyErrors;
    if (!ctx_.Unattended()) {
        MessageRequest request;
        request.text = GetProgramText(1703) + kCRLF + GetProgramText(1704);
        request.title = strTitle_;
        request.icon = MessageIcon::Exclamation;
        ctx_.ui.ShowMessage(request);
    }
    state_.blnTargetFull = true;
    state_.blnStop = true;
}

void BackupWalk::ReportNoRoom(const std::string& fullPath, std::int64_t sourceSize) {
    report_.OutputBlock(kSixBlanks + GetProgramText(1705));
    ++state_.lngTotalNumCopyErrors;
    const std::string message = GetProgramText(62) + kCRLF + fullPath + " (" + Grouped(sourceSize) + " " +
                                GetProgramText(152) + ")." + ErrorCountLines(state_.lngTotalNumCopyErrors);
    if (AskToStopAfterErrors(message, false))
        state_.blnStop = true;
}

BackupWalk::FileResult BackupWalk::CopyOneFile(FolderRun& run, const FileFacts& facts,
                                               const FileVerdict& verdict) {
    bool copyFile = true;
    for (const bool older : {true, false}) {
        const bool warned = older ? verdict.warnOlder && !run.blnOlderWarningOff
                                  : verdict.warnSmaller && !run.blnSmallerWarningOff;
        if (!warned)
            continue;
        if (WarnBeforeCopy(run, older, facts, copyFile) == FileResult::Stop)
            return FileResult::Stop;
        if (!copyFile)
            return FileResult::Next;
    }
    if (!run.targetFolderReady) {
        if (!MakeTargetFolder(run))
            return FileResult::Abandon;
        run.targetFolderReady = true;
    }

    const bool keptEarlier =
        versions_ != nullptr && facts.target.isRegular() && CopyWorthKeeping(facts.source, facts.target);
    if (keptEarlier && !KeepEarlierCopy(run, facts))
        return FileResult::Next;
    // Only the copy about to be replaced loses its read-only mode, and gets it back if it stays.
    const bool readOnlyCleared =
        !keptEarlier && facts.target.isRegular() && platform::isReadOnly(facts.target);
    if (readOnlyCleared && !ClearReadOnly(run, facts))
        return FileResult::Next;

    Interaction& ui = ctx_.ui;
    if (!run.label1Shown) {
        ui.SetReportLabel(ReportLabel::Label1, GetProgramText(1565) + " ");
        run.label1Shown = true;
    }
    ui.SetReportLabel(ReportLabel::lblFileName, facts.name);

    const platform::CopyResult copy =
        CopyFileOfBackup(facts.fullPath, *run.targetHandle, facts.name, facts.source,
                         CopyProgressRelay(ui, state_, facts.fullPath), run.sourceHandle, keepAttributes_);
    if (copy.copied()) {
        TellNotKept(copy.notKept);
        CountCopied(run, SizeOfStatus(facts.source));
        return FileResult::Next;
    }
    if (readOnlyCleared)
        run.targetHandle->setChildFileMode(facts.name, facts.target.mode);
    // The earlier copy goes back in its place (nothing new stands there).
    if (keptEarlier)
        versions_->PutBack(*run.targetHandle, run.folder.substr(source_.size()), facts.name);
    if (copy.cancelled) {
        // Stopped inside the file: its earlier copy stays, the operation ends with its summary.
        ui.SetReportLabel(ReportLabel::lblFileName, "");
        return FileResult::Stop;
    }
    bool stop = false;
    ReportCopyFailure(facts.fullPath, copy, facts.target.isRegular(), stop);
    return stop ? FileResult::Stop : FileResult::Next;
}

bool BackupWalk::ClearReadOnly(FolderRun& run, const FileFacts& facts) {
    if (!run.targetHandle->setChildFileMode(facts.name, platform::withReadOnlyCleared(facts.target.mode)))
        return true;
    const std::string targetPath = run.targetFolder + facts.name;
    ++state_.lngTotalNumCopyErrors;
    if (Details())
        report_.OutputBlock(GetProgramText(169) + targetPath);
    if (!ctx_.Unattended() &&
        AskYesNo(GetProgramText(169) + targetPath + GetProgramText(170) + kCRLF + kCRLF + GetProgramText(64),
                 GetProgramText(171), MessageIcon::Exclamation) == MessageAnswer::Yes)
        state_.blnStop = true;
    return false;
}

void BackupWalk::CountCopied(FolderRun& run, std::int64_t sourceSize) {
    targetRoom_.Used(std::max<std::int64_t>(sourceSize, 0));
    flusher_.Written(std::max<std::int64_t>(sourceSize, 0));
    Interaction& ui = ctx_.ui;
    ui.SetReportLabel(ReportLabel::lblFileName, "");
    ++run.numFilesCopied;
    ++state_.lngTotalNumFilesCopied;
    if (sourceSize < 0)
        return;
    state_.dblTotalFilesize += static_cast<double>(sourceSize);
    const std::int64_t copied = state_.lngTotalNumFilesCopied;
    ui.SetReportLabel(ReportLabel::lblBytesCopied, GetProgramText(1706) + ": " +
                                                       FormatBytesAndMb(state_.dblTotalFilesize, false) +
                                                       " " + GetProgramText(1707) + " " + Grouped(copied) +
                                                       " " + GetProgramText(copied != 1 ? 1459 : 1458));
    ui.SetReportLabelVisible(ReportLabel::lblBytesCopied, true);
}

std::string BackupWalk::WhyTargetCannotHold(FolderRun& run, const std::string& name,
                                            std::int64_t sourceSize) {
    switch (platform::nameProblemOn(targetTraits_, name)) {
    case platform::NameProblem::Characters:
        return GetProgramText(1305);
    case platform::NameProblem::TrailingDotOrBlank:
        return GetProgramText(1306);
    case platform::NameProblem::Length:
        return GetProgramText(1307);
    case platform::NameProblem::None:
        break;
    }
    if (!run.caseClashWinners.empty()) {
        const auto winner = run.caseClashWinners.find(platform::caseFoldedName(name));
        if (winner != run.caseClashWinners.end() && winner->second != name)
            return GetProgramText(1308);
    }
    if (sourceSize > targetTraits_.maxFileSize)
        return GetProgramText(1309) + " " + Grouped(targetTraits_.maxFileSize) + " " + GetProgramText(152) +
               ".";
    return {};
}

void BackupWalk::ReportCopyFailure(const std::string& fullPath, const platform::CopyResult& copy,
                                   bool copyExisted, bool& stop) {
    // The reported reason says what the user can do about it, not the system's error text; a
    // full disk is named as such (the copy is replaced only once the new one is whole).
    const bool diskFull = copy.error.number == platform::err::DiskFull;
    ReportCopyError(
        fullPath, diskFull ? GetProgramText(copyExisted ? 1110 : 1111) : CopyErrorText(fullPath, copy), stop);
}

void BackupWalk::ReportCopyError(const std::string& fullPath, const std::string& reason, bool& stop) {
    report_.OutputBlock(kSixBlanks + GetProgramText(79) + " " + fullPath + "  " + reason,
                        ReportModel::Spacing::SetApart);
    stop = false;
    // A check only tells, as a warning: it copies nothing and asks nothing.
    if (!IsBackup()) {
        ++state_.intNumWarnings;
        return;
    }
    ++state_.lngTotalNumCopyErrors;
    const std::string message = GetProgramText(80) + kCRLF + fullPath + kCRLF + reason +
                                ErrorCountLines(state_.lngTotalNumCopyErrors);
    stop = AskToStopAfterErrors(message, true);
    if (stop)
        state_.blnStop = true;
}

std::string BackupWalk::WarningText(bool older, const FileFacts& facts, const std::string& targetPath) const {
    const FileStatus& source = facts.source;
    const FileStatus& target = facts.target;
    const std::string& fullPath = facts.fullPath;
    const std::int64_t sourceSize = SizeOfStatus(source);
    const std::int64_t targetSize = SizeOfStatus(target);
    if (older) {
        int minuteOfMonth = 0;
        return GetProgramText(70) + " " + GetProgramText(155) + ":" + kCRLF + fullPath + " (" +
               LocalDateTimeTextOfStatus(source, minuteOfMonth) + ", " + Grouped(sourceSize) + " " +
               GetProgramText(152) + ")" + kCRLF + GetProgramText(71) + ":" + kCRLF + targetPath + " (" +
               LocalDateTimeTextOfStatus(target, minuteOfMonth) + ", " + Grouped(targetSize) + " " +
               GetProgramText(152) + ")";
    }
    return " " + GetProgramText(76) + ":" + kCRLF + fullPath + " (" +
           (sourceSize == 0 ? "0" : Grouped(sourceSize)) + " " + GetProgramText(152) + ")" + kCRLF +
           GetProgramText(77) + " " + std::to_string(setup_.intSuspectPercent()) + "% " + GetProgramText(69) +
           ":" + kCRLF + targetPath + " (" + Grouped(targetSize) + " " + GetProgramText(152) + ")";
}

BackupWalk::FileResult BackupWalk::WarnBeforeCopy(FolderRun& run, bool older, const FileFacts& facts,
                                                  bool& copyFile) {
    const std::string& fullPath = facts.fullPath;
    // Only a copy dated on a later day is worth a question about an older source.
    const bool warn = !older || DayNumberOfStatus(facts.target) > DayNumberOfStatus(facts.source);
    const std::string caption = older ? GetProgramText(1708) : GetProgramText(1709);
    const std::string text = WarningText(older, facts, run.targetFolder + facts.name);
    if (warn) {
        if (ctx_.Unattended()) {
            // Nobody can be asked: the copy stays as it is and the report says so.
            report_.OutputBlock(text + kCRLF + kCRLF + GetProgramText(1710));
            copyFile = false;
            ++state_.intNumWarnings;
            return FileResult::Next;
        }
        state_.blnPaused = true;
        const int choice = ctx_.ui.AskSourceFileEarlier(caption, text + kCRLF + kCRLF + GetProgramText(1711));
        state_.blnPaused = false;
        state_.intChoice = choice;
        switch (choice) {
        case 1:
            break;
        case 2:
            copyFile = false;
            return FileResult::Next;
        case 3:
            (older ? run.blnOlderWarningOff : run.blnSmallerWarningOff) = true;
            break;
        default: // 4, or the window closed
            state_.blnStop = true;
            return FileResult::Stop;
        }
    }

    if (copyFile && !ctx_.Unattended() && EndsWithThumbsDb(FileNameOf(fullPath, false)) &&
        AskToSkipThumbsDb()) {
        state_.blnSkipThumbsDb = true;
        copyFile = false;
    }
    return FileResult::Next;
}

bool BackupWalk::AskToSkipThumbsDb() {
    return AskYesNo(GetProgramText(1712) + kCRLF + GetProgramText(1713), GetProgramText(1714),
                    MessageIcon::Question) == MessageAnswer::Yes;
}

FileStatus BackupWalk::TargetStatusOf(FolderRun& run, const std::string& name) {
    if (run.current != nullptr && run.current->targetRead && run.current->name == name)
        return run.current->target;
    if (!run.targetOpenTried)
        OpenTargetFolder(run, false);
    if (run.targetHandle == nullptr)
        return {};
    FileStatus status = run.targetHandle->statChild(name);
    return status.kind == EntryKind::Symlink ? FileStatus{} : status;
}

bool BackupWalk::OpenTargetFolder(FolderRun& run, bool create) {
    run.targetOpenTried = true;
    if (run.targetHandle != nullptr)
        return true;
    const std::string relative = run.folder.substr(std::min(source_.size(), run.folder.size()));
    bool created = false;
    run.targetHandle = targets_.openFolder(relative, create, created);
    if (run.targetHandle == nullptr)
        return false;
    // What a killed run left unfinished in this folder of the target goes before a backup uses
    // it; a folder made just now holds nothing. The mark of another backup whose target lies
    // inside this one tells of such leftovers too.
    if (targets_.runMarkFound())
        sweepLeftovers_ = true;
    // A leftover that cannot be removed stays a leftover: never backed up, tried again next run.
    if (IsBackup() && !created && sweepLeftovers_)
        static_cast<void>(platform::removeLeftoverCopies(*run.targetHandle));
    return true;
}

bool BackupWalk::MakeTargetFolder(FolderRun& run) {
    const std::string& folder = run.targetFolder;
    if (OpenTargetFolder(run, true))
        return true;

    // The files of this folder cannot be backed up: that is an error of the run, not a detail.
    ++state_.lngTotalNumCopyErrors;
    if (Details())
        report_.OutputBlock(GetProgramText(165) + ": " + folder);
    std::string message = GetProgramText(166) + " " + folder;
    const std::string blocking = BlockingFileOf(folder);
    if (!blocking.empty()) {
        message += kCRLF + GetProgramText(386) + " " + FileNameOf(blocking, false) + " " +
                   GetProgramText(387) + " " + FolderOf(blocking, false);
    }
    message += kCRLF + kCRLF + GetProgramText(64);
    if (!ctx_.Unattended() &&
        AskYesNo(message, GetProgramText(167), MessageIcon::Exclamation) == MessageAnswer::Yes)
        state_.blnStop = true;
    return false;
}

void BackupWalk::PauseAfterFirstCopy(const FolderRun& run) {
    if (setup_.chkPauseAfterFirstCopy == 0 || run.numFilesCopied == 0 || state_.blnPauseTaken)
        return;
    if (!(setup_.chkIncludeSubfolders != 0 || setup_.intNumIncludedFolders > 1))
        return;
    if (!ctx_.Unattended()) {
        MessageRequest request;
        request.text = GetProgramText(1536) + ": " + source_ + kCRLF + GetProgramText(1537) + ": " + target_ +
                       kCRLF + kCRLF + GetProgramText(391) + kCRLF + GetProgramText(392);
        request.title = strTitle_;
        request.icon = MessageIcon::Information;
        ctx_.ui.ShowMessage(request);
        ctx_.ui.cmdPauseContinue_Click();
    }
    state_.blnPauseTaken = true;
}

} // namespace kestrel
