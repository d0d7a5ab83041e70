#include "engine/MirrorExtras.h"

#include "engine/BackupWalk.h"
#include "engine/FileSelection.h"
#include "engine/TargetFolderChain.h"
#include "engine/TreeRemoval.h"
#include "modules/DatePr2.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/Path.h"
#include "platform/TargetFileSystem.h"

namespace kestrel {

namespace {

const std::string kCRLF = "\r\n";
const std::string kSixBlanks = "      ";

std::string Grouped(std::int64_t n) {
    return GroupedNumber(static_cast<double>(n), 0);
}

std::int64_t MinutesOf(const platform::LocalDateTime& m) {
    return static_cast<std::int64_t>(DayNumberFromDate(m.year, m.month, m.day)) * 1440 + m.hour * 60 +
           m.minute;
}

} // namespace

MirrorExtras::MirrorExtras(OperationContext& context, const std::vector<std::string>& excludedFilepaths,
                           std::string strTitle)
    : ctx_(context), strTitle_(std::move(strTitle)), target_(context.setup.txbDirectory[1]) {
    const int op = context.state.intOperation;
    backup_ = op == intOperationBackupAllFiles || op == intOperationBackupModifiedFiles;
    const ExtraOptions& extra = context.setup.extra;
    const bool compare = op == intOperationCheckBackupState || (backup_ && extra.bRemoveDeleted);
    const bool keepVersions = backup_ && extra.intKeepVersionsDays > 0;
    if (!compare && !keepVersions)
        return;
    root_ = platform::openDirectory(target_).valueOr(platform::DirectoryHandle());
    if (!root_.valid())
        return;
    if (compare) {
        auto selection = std::make_shared<FileSelection>(context.setup, excludedFilepaths);
        gone_ = std::make_unique<GoneFromSource>(
            target_, context.setup.txbReportFile, platform::learnTraitsOf(root_).ignoresCase,
            [selection](const std::string& sourcePath, const std::string& name, bool folder) {
                return !selection->IsExcludedPath(sourcePath) &&
                       (folder || selection->PassesExtensionFilter(name));
            });
    }
    if (keepVersions)
        versions_ = std::make_unique<VersionsKeeper>(root_, extra.intKeepVersionsDays);
}

MirrorExtras::~MirrorExtras() = default;

void MirrorExtras::AttachTo(BackupWalk& walk) {
    walk.CompareWithTargetInto(gone_.get());
    walk.KeepVersionsIn(versions_.get());
}

bool MirrorExtras::Finish() {
    OperationState& state = ctx_.state;
    if (gone_) {
        state.lngTotalNumGoneFiles = gone_->NumFiles();
        state.lngTotalNumGoneFolders = gone_->NumFolders();
        if (backup_)
            RemoveGone();
        else
            ReportGone();
    }
    if (versions_) {
        state.lngTotalNumVersionsKept = versions_->NumKept();
        changed_ = changed_ || versions_->NumKept() > 0;
        if (!state.blnStop)
            ExpireVersions();
    }
    return changed_;
}

void MirrorExtras::ReportGone() {
    if (gone_->Entries().empty() || ctx_.state.blnSuppressDetailedReports)
        return;
    std::string block = GetProgramText(1800);
    for (const GoneEntry& entry : gone_->Entries())
        block += kCRLF + kSixBlanks + gone_->TargetPathOf(entry);
    ctx_.report.OutputBlock(block, ReportModel::Spacing::SetApart);
}

bool MirrorExtras::WithinLimit() {
    const std::int64_t limit = ctx_.setup.extra.lngMaxRemove;
    const std::int64_t count = gone_->NumToRemove();
    if (limit <= 0 || count <= limit)
        return true;
    const std::string text =
        GetProgramText(1808) + " " + Grouped(count) + " " + GetProgramText(1809) + " " + Grouped(limit) + ".";
    OperationState& state = ctx_.state;
    const bool refuse = ctx_.Unattended() || state.blnRefuseBeyondRemovalLimit;
    if (!refuse) {
        MessageRequest request;
        request.text = text + kCRLF + kCRLF + GetProgramText(1810);
        request.title = GetProgramText(1814);
        request.buttons = MessageButtons::YesNo;
        request.icon = MessageIcon::Exclamation;
        request.defaultButton = 2; // Enter keeps the files
        state.blnPaused = true;
        const MessageAnswer answer = ctx_.ui.ShowMessage(request);
        state.blnPaused = false;
        if (answer == MessageAnswer::Yes)
            return true;
    }
    state.blnRemovalRefused = refuse;
    state.lngNumRefusedRemovals = count;
    state.lngRemovalLimit = limit;
    ctx_.report.OutputBlock(text + kCRLF + GetProgramText(1811) + ".", ReportModel::Spacing::SetApart);
    return false;
}

void MirrorExtras::RemoveGone() {
    OperationState& state = ctx_.state;
    if (gone_->Entries().empty())
        return;
    if (state.blnStop) {
        ctx_.report.OutputBlock(GetProgramText(1811) + ": " + GetProgramText(1815) + ".",
                                ReportModel::Spacing::SetApart);
        return;
    }
    if (!WithinLimit())
        return;
    for (const GoneEntry& entry : gone_->Entries()) {
        RemoveOne(entry);
        ctx_.ui.DoEvents();
        if (state.blnStop)
            break;
    }
}

void MirrorExtras::RemoveOne(const GoneEntry& entry) {
    OperationState& state = ctx_.state;
    const std::string path = gone_->TargetPathOf(entry);
    // Opened afresh from the target's root, one name at a time: a folder swapped for a link since
    // the walk read it is never entered.
    platform::Error error;
    TargetFolderChain chain(root_.duplicate().valueOr(platform::DirectoryHandle()));
    bool created = false;
    const platform::DirectoryHandle* folder = chain.openFolder(entry.relativeFolder, false, created);
    if (folder == nullptr) {
        ReportRemovalError(path, platform::Error::of(platform::err::PathNotFound));
        return;
    }
    int textNumber = 1805;
    if (versions_) {
        error = versions_->Keep(*folder, entry.relativeFolder, entry.name);
        if (error) {
            ReportRemovalError(path, error);
            return;
        }
        state.lngTotalNumRemovedFiles += entry.folder ? entry.numFiles : 1;
        state.lngTotalNumRemovedFolders += entry.folder ? 1 : 0;
        textNumber = 1806;
    } else {
        RemovalCount count;
        std::string failedPath;
        error = RemoveEntryWithContents(*folder, entry.name, path, ctx_.ui, count, failedPath);
        state.lngTotalNumRemovedFiles += count.files;
        state.lngTotalNumRemovedFolders += count.folders;
        changed_ = changed_ || count.files > 0 || count.folders > 0;
        if (error) {
            ReportRemovalError(failedPath.empty() ? path : failedPath, error);
            return;
        }
    }
    changed_ = true;
    if (!state.blnSuppressDetailedReports)
        ctx_.report.OutputBlock(kSixBlanks + GetProgramText(textNumber) + " " + path);
}

void MirrorExtras::ReportRemovalError(const std::string& path, const platform::Error& error) {
    ++ctx_.state.lngTotalNumDeletionErrors;
    ctx_.report.OutputBlock(kSixBlanks + GetProgramText(1807) + " " + path + "  " + error.description);
}

void MirrorExtras::ExpireVersions() {
    const platform::Result<platform::DirectoryHandle> opened = root_.openChild(kVersionsFolderName);
    if (!opened.ok())
        return;
    const platform::DirectoryHandle& versions = opened.value();
    const platform::Result<std::vector<platform::DirectoryEntry>> read = versions.readEntries();
    if (!read.ok())
        return;
    const std::vector<platform::DirectoryEntry>& entries = read.value();
    platform::Error error;
    const std::int64_t now = MinutesOf(platform::clock().now());
    const std::int64_t kept = static_cast<std::int64_t>(ctx_.setup.extra.intKeepVersionsDays) * 1440;
    const std::string folderPath =
        platform::withFinalSeparator(platform::joinPath(target_, kVersionsFolderName));
    for (const platform::DirectoryEntry& entry : entries) {
        platform::LocalDateTime made;
        if (entry.kind != platform::EntryKind::Directory || !ParseVersionsRunFolderName(entry.name, made) ||
            now - MinutesOf(made) <= kept)
            continue;
        RemovalCount count;
        std::string failedPath;
        error = RemoveEntryWithContents(versions, entry.name, folderPath + entry.name, ctx_.ui, count,
                                        failedPath);
        changed_ = changed_ || count.files > 0 || count.folders > 0;
        if (error) {
            ReportRemovalError(failedPath, error);
            continue;
        }
        ++ctx_.state.lngTotalNumVersionsExpired;
    }
}

} // namespace kestrel
