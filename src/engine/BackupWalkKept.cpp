#include "engine/BackupWalk.h"

#include "modules/Language.h"
#include "platform/KeptAttributes.h"
#include "platform/Path.h"

// What a backup keeps beyond each file's data and time when its setup asks for it: links as
// links, folders' modes, owners, extended attributes and times; and the once-a-run word on what
// the target could not hold.
namespace kestrel {

namespace {

const std::string kSixBlanks = "      ";

// One line a kind, in this order.
struct KindText {
    unsigned kind;
    int text;
};
constexpr KindText kKindTexts[] = {
    {platform::kept::Mode, 1900},
    {platform::kept::Owner, 1901},
    {platform::kept::ExtendedAttributes, 1902},
    {platform::kept::AccessLists, 1903},
    {platform::kept::FolderTimes, 1904},
    {platform::kept::Links, 1905},
};

} // namespace

void BackupWalk::LearnWhatIsKept() {
    keepAttributes_ = IsBackup() && setup_.extra.bKeepAttributes;
    const bool comparesTarget = IsBackup() || state_.intOperation == intOperationCheckBackupState;
    if (comparesTarget && setup_.extra.bCopyLinksAsLinks && targets_.valid()) {
        linksAsLinks_ = platform::holdsLinks(targets_.root());
        linksNotHeld_ = !linksAsLinks_;
    }
    // The look for anything to back up: a link is a file the backup takes, whatever it leads to
    // (nowhere, a folder) and whatever the target holds (the backup tells that itself).
    if (state_.intOperation == intOperationCheckForFile && setup_.extra.bCopyLinksAsLinks)
        linksAsLinks_ = true;
}

void BackupWalk::TellNotKept(unsigned kinds) {
    const unsigned untold = kinds & ~notKeptTold_;
    if (untold == 0)
        return;
    notKeptTold_ |= untold;
    // Not an error of any file: what the target's disk is, told once so the user knows.
    for (const KindText& entry : kKindTexts)
        if ((untold & entry.kind) != 0)
            report_.OutputBlock(kSixBlanks + GetProgramText(entry.text), ReportModel::Spacing::SetApart);
}

bool BackupWalk::TakesLinkAsLink() {
    if (linksNotHeld_)
        TellNotKept(platform::kept::Links);
    return linksAsLinks_;
}

const platform::DirectoryHandle* BackupWalk::SourceFolderOf(const FolderRun& run,
                                                            platform::DirectoryHandle& byPath,
                                                            platform::Error& error) const {
    error = {};
    if (run.sourceHandle != nullptr)
        return run.sourceHandle;
    // A folder the walk reads by path (a link the user included) is opened for the step.
    platform::Result<platform::DirectoryHandle> opened = platform::openDirectory(run.folder);
    error = opened.error();
    byPath = std::move(opened).valueOr(platform::DirectoryHandle());
    return &byPath;
}

BackupWalk::FileResult BackupWalk::BackupOneLink(FolderRun& run, const std::string& name,
                                                 const std::string& fullPath) {
    platform::DirectoryHandle byPath;
    platform::Error error;
    const platform::DirectoryHandle* source = SourceFolderOf(run, byPath, error);
    std::string text;
    if (!error)
        error = platform::readLinkText(*source, name, text);
    if (error) {
        bool stop = false;
        ReportCopyError(fullPath, error.description, stop);
        return stop ? FileResult::Stop : FileResult::Next;
    }

    // A link in the target is compared by its text; anything else there is replaced.
    if (!run.targetOpenTried)
        OpenTargetFolder(run, false);
    bool isNew = true;
    bool same = false;
    if (run.targetHandle != nullptr) {
        const platform::FileStatus held = run.targetHandle->statChild(name);
        isNew = !held.exists();
        std::string heldText;
        same = held.kind == platform::EntryKind::Symlink &&
               !platform::readLinkText(*run.targetHandle, name, heldText) && heldText == text;
    }
    const int op = state_.intOperation;
    if (op != intOperationBackupAllFiles) {
        if (same)
            return FileResult::Next;
        ReportNewOrModified(run, fullPath, isNew);
        if (op == intOperationCheckBackupState)
            return FileResult::Next;
    }

    if (!run.targetFolderReady) {
        if (!MakeTargetFolder(run))
            return FileResult::Abandon;
        run.targetFolderReady = true;
    }
    const platform::LinkResult placed =
        platform::placeLink(*run.targetHandle, name, text, source, name, keepAttributes_);
    if (placed.error) {
        if (placed.notHeld)
            TellNotKept(platform::kept::Links);
        bool stop = false;
        ReportCopyError(fullPath, placed.error.description, stop);
        return stop ? FileResult::Stop : FileResult::Next;
    }
    if (keepAttributes_)
        TellNotKept(placed.refused);
    CountCopied(run, 0);
    return FileResult::Next;
}

BackupWalk::FileResult BackupWalk::KeepUnchangedCopyAttributes(FolderRun& run, const FileFacts& facts) {
    // Nothing to give where the modes are alike and no owner may be given: no look at the disk.
    // A restore leaves the user's unchanged files as they are: a backup on a disk that holds no
    // modes (FAT) would give them all that disk's one mode.
    // What the target has refused this run is not tried again a file (on FAT every copy shows
    // one mode unlike the source's).
    const unsigned left =
        (platform::kept::Mode | (platform::mayGiveAwayFiles() ? platform::kept::Owner : 0u)) & ~notKeptTold_;
    const bool modeToGive = (left & platform::kept::Mode) != 0 && facts.source.mode != facts.target.mode;
    const bool ownerToGive = (left & platform::kept::Owner) != 0;
    if (!keepAttributes_ || state_.restore.active || run.targetHandle == nullptr ||
        !(modeToGive || ownerToGive))
        return FileResult::Next;
    platform::DirectoryHandle byPath;
    platform::Error error;
    const platform::DirectoryHandle* source = SourceFolderOf(run, byPath, error);
    unsigned refused = 0;
    if (!error)
        refused = platform::keepCopyModeAndOwner(*source, facts.name, *run.targetHandle, facts.name,
                                                 notKeptTold_, error);
    if (error) {
        bool stop = false;
        ReportCopyError(facts.fullPath, error.description, stop);
        return stop ? FileResult::Stop : FileResult::Next;
    }
    TellNotKept(refused);
    return FileResult::Next;
}

void BackupWalk::KeepFolderAttributes(const std::string& strFolder) {
    // The target's root is the user's own folder, not a copy of the source's.
    if (!keepAttributes_ || strFolder == source_ || state_.blnStop)
        return;
    if (strFolder.compare(0, source_.size(), source_) != 0)
        return;
    const platform::DirectoryHandle* source = SourceFolder(strFolder);
    if (source == nullptr)
        return;
    bool created = false;
    const platform::DirectoryHandle* target =
        targets_.openFolder(strFolder.substr(source_.size()), false, created);
    if (target == nullptr)
        return; // nothing of this folder was backed up
    platform::Error error;
    TellNotKept(platform::keepFolderAttributes(*source, *target, error));
    if (error) {
        ++state_.lngTotalNumCopyErrors;
        report_.OutputBlock(kSixBlanks + GetProgramText(79) + " " + TargetPathOf(strFolder) + "  " +
                                error.description,
                            ReportModel::Spacing::SetApart);
    }
}

} // namespace kestrel
