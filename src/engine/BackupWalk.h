#pragma once

#include "engine/BothSidesStatus.h"
#include "engine/FileComparison.h"
#include "engine/FileDecision.h"
#include "engine/FileSelection.h"
#include "engine/GoneFromSource.h"
#include "engine/OperationContext.h"
#include "engine/TargetFlusher.h"
#include "engine/TargetFolderChain.h"
#include "engine/TargetSpace.h"
#include "engine/VersionsFolder.h"
#include "platform/DirectoryHandle.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/PassedOverEntry.h"
#include "platform/ReadAhead.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrel {

// The walk of the source tree for every folder operation but deletion: the check for file
// existence, the listing of included subfolders, the backup-state check and the two backups.
// Depth-first and pre-order: a folder's files are done before its subfolders. Each folder is
// read with one directory stream; only the folder being examined and the names of the
// subfolders still to visit on the way down are held in memory.
//
// Settings come from the context's setup, prepared once when the walk is made; counters and
// flags go to the context's state (the driver resets them before the walk).
class BackupWalk {
public:
    // `excludedFilepaths` are the fragments of txbExcludedFilepaths; `strTitle` titles the
    // messages of the walk.
    BackupWalk(OperationContext& context, const std::vector<std::string>& excludedFilepaths,
               std::string strTitle);
    ~BackupWalk();
    BackupWalk(const BackupWalk&) = delete;
    BackupWalk& operator=(const BackupWalk&) = delete;

    // Walks the folder `strFolder` (a full path ending in "/") and, as the setup includes them,
    // its subfolders.
    void BackupFolder(const std::string& strFolder);

    // Asks whether to stop after an error (title program text 83, after a beep); with
    // `onlyEverySixth` only at the 6th, 12th ... copy error. Never asks in an unattended run.
    // True when the user answers Yes.
    bool AskToStopAfterErrors(const std::string& message, bool onlyEverySixth);

    // Each folder read is compared with its folder in the target for what the source no longer
    // has (a check, a backup that removes it); null compares nothing.
    void CompareWithTargetInto(GoneFromSource* gone) { gone_ = gone; }
    // A copy about to be replaced is moved there first; null replaces it.
    void KeepVersionsIn(VersionsKeeper* versions) { versions_ = versions; }

private:
    struct FolderFile {
        std::string name;
        platform::EntryKind kind = platform::EntryKind::Regular;
        platform::FileStatus status; // read once, when the file is first needed
        bool statusRead = false;
        // Its copy's status, read with the folder's other files (a link is no copy).
        platform::FileStatus target;
        bool targetRead = false;
        // Its place in the folder's read-ahead; none when it is not about to be copied.
        std::size_t ahead = kNotAhead;
    };
    static constexpr std::size_t kNotAhead = static_cast<std::size_t>(-1);

    // What one BackupFolder call keeps while it examines the files of its folder.
    struct FolderRun {
        std::string folder;
        std::string targetFolder;
        std::int64_t numFiles = 0;
        std::int64_t numNewFiles = 0;
        std::int64_t numModifiedFiles = 0;
        std::int64_t numFilesCopied = 0;
        bool blnFolderLineShown = true;
        bool blnOlderWarningOff = false;
        bool blnSmallerWarningOff = false;
        bool targetFolderReady = false;
        bool label1Shown = false;
        // The target folder of this folder, opened from the target's root downward without
        // following links; everything done in it goes through this handle (held by targets_
        // while this folder's files are examined).
        const platform::DirectoryHandle* targetHandle = nullptr;
        bool targetOpenTried = false;
        // Where the target ignores case: for names of this folder that it takes for one, the
        // name that is backed up (keyed by the folded name); the others are clashes.
        std::unordered_map<std::string, std::string> caseClashWinners;
        // The source folder, opened from the source's root downward (held by sources_ while this
        // folder's files are examined); null where it is read by path.
        const platform::DirectoryHandle* sourceHandle = nullptr;
        // The file being examined, with the statuses read for it ahead.
        const FolderFile* current = nullptr;
    };

    // An entry that is neither read as a file nor entered as a folder.
    struct PassedOver {
        std::string name;
        platform::PassedOverKind kind;
    };

    struct FolderEntries {
        std::vector<FolderFile> files;
        std::vector<std::string> subfolders;
        std::vector<PassedOver> passedOver;
    };

    enum class FileResult {
        Next,   // on to the folder's next file
        Stop,   // the run stops: the folder's remark still tells what was done
        Abandon // the rest of the folder and its subfolders are not examined
    };

    bool ReadFolder(const std::string& folder, FolderEntries& entries, platform::Error& error);
    // The source folder's handle from sources_, or null (then the folder is read by path).
    const platform::DirectoryHandle* SourceFolder(const std::string& folder);
    // Reads both sides' statuses of the folder's files to examine, and queues the read-ahead of
    // those about to be copied.
    void ReadStatusesAhead(FolderRun& run, std::vector<FolderFile>& files);
    // Has the files of the folder the walk enters next read ahead after this folder's, where the
    // backup will copy them all.
    void ReadNextFolderAhead(const FolderRun& run);
    static void AddPassedOver(const std::string& folder, const std::string& name, FolderEntries& entries);
    // Names each passed-over entry the setup would have taken, after the folder's own lines
    // (the held-back count line first); `run` is null when the folder's files are excluded.
    void ReportPassedOver(const std::string& folder, const std::vector<PassedOver>& entries, bool filePart,
                          FolderRun* run);
    // Whether a link to a folder stands where the walk would enter such a folder.
    bool WouldWalkFolderLink(const std::string& folder, const std::string& path) const;
    void HandleFolderError(const std::string& folder, const platform::Error& error);
    const platform::FileStatus& StatusOf(const std::string& folder, FolderFile& file);
    bool IsSelected(const std::string& fullPath, const std::string& name) const;
    void ShowFolderLabels(const std::string& strFolder);
    bool AnyFileSelected(const std::string& strFolder, const std::vector<FolderFile>& files) const;
    // The listing's sum of the selected files' sizes.
    void AddSelectedSizes(const std::string& strFolder, std::vector<FolderFile>& files);
    // The files of a folder, its count line and its remark; false when the folder was abandoned.
    bool WalkFilesOf(const std::string& strFolder, FolderEntries& entries);
    void DisplayFolderRemark(const FolderRun& run);
    void WalkSubfolders(const std::string& strFolder, const std::vector<std::string>& subfolders);
    // Hands the folder's names to gone_ with its folder in the target.
    void CompareWithTarget(const std::string& strFolder, const FolderEntries& entries, bool filePart);
    // The source's own folder of the versions folder's name is never backed up into it: named,
    // and counted as a warning. True when `name` is that folder.
    bool PassOverVersionsName(const std::string& strFolder, const std::string& name);
    // Moves the copy about to be replaced to the versions folder; false (reported) when it stays.
    bool KeepEarlierCopy(FolderRun& run, const FileFacts& facts);
    // False when the folder was abandoned (the rest of it and its subfolders are not examined).
    bool ExamineFiles(FolderRun& run, std::vector<FolderFile>& files);
    // The per-file step: the facts, the verdict, then what it asks for.
    FileResult BackupOneFile(FolderRun& run, const std::string& name, const std::string& fullPath,
                             const platform::FileStatus& source);
    FileFacts FactsOf(FolderRun& run, const std::string& name, const std::string& fullPath,
                      const platform::FileStatus& source);
    void ReportNewOrModified(FolderRun& run, const std::string& fullPath, bool isNew);
    void ReportTargetFull();
    void ReportNoRoom(const std::string& fullPath, std::int64_t sourceSize);
    // The warnings, the target folder, the copy and its result.
    FileResult CopyOneFile(FolderRun& run, const FileFacts& facts, const FileVerdict& verdict);
    // Clears the read-only mode of the copy to be replaced; false (reported) when it cannot.
    bool ClearReadOnly(FolderRun& run, const FileFacts& facts);
    void CountCopied(FolderRun& run, std::int64_t sourceSize);
    std::string WarningText(bool older, const FileFacts& facts, const std::string& targetPath) const;
    // The older-source (`older`) or smaller-source warning; `copyFile` becomes false when the
    // file is not to be copied.
    FileResult WarnBeforeCopy(FolderRun& run, bool older, const FileFacts& facts, bool& copyFile);
    bool AskToSkipThumbsDb();
    bool MakeTargetFolder(FolderRun& run);
    // Opens run.targetHandle (making the missing folders with `create`); false when the folder
    // is not there or a link or a file stands in its way. Removes what a killed run left there.
    bool OpenTargetFolder(FolderRun& run, bool create);
    // The status of a target entry as the entry itself: a link is no copy, whatever it leads to.
    platform::FileStatus TargetStatusOf(FolderRun& run, const std::string& name);
    // Where the target ignores case, which of the folder's names that it takes for one is backed
    // up: the one whose copy stands under its very name, else the first.
    void ChooseCaseClashWinners(FolderRun& run, const std::vector<FolderFile>& files);
    // Why the target cannot hold this file (a program text, with what follows it), or empty:
    // its name, a second name differing only in capitals, its size.
    std::string WhyTargetCannotHold(FolderRun& run, const std::string& name, std::int64_t sourceSize);
    // `copyExisted`: whether an older copy was there.
    void ReportCopyFailure(const std::string& fullPath, const platform::CopyResult& copy, bool copyExisted,
                           bool& stop);
    // A file that was not copied, with the reason; `stop` tells whether the user chose to stop.
    void ReportCopyError(const std::string& fullPath, const std::string& reason, bool& stop);
    void PauseAfterFirstCopy(const FolderRun& run);
    std::string TargetPathOf(const std::string& sourcePath) const;
    bool Details() const { return !state_.blnSuppressDetailedReports; }
    // The check for file existence: it reports nothing and ends at the first selected file.
    bool Quiet() const { return state_.intOperation == intOperationCheckForFile; }
    bool IsBackup() const {
        return state_.intOperation == intOperationBackupAllFiles ||
               state_.intOperation == intOperationBackupModifiedFiles;
    }
    MessageAnswer AskYesNo(const std::string& text, const std::string& title, MessageIcon icon);

    // What the setup asks to keep beyond each file's data and time (BackupWalkKept.cpp), and
    // whether the target holds links, learnt once a run.
    void LearnWhatIsKept();
    // Whether a link met in the source is backed up as a link; tells once a run where the target
    // holds none.
    bool TakesLinkAsLink();
    bool IsLinkEntry(const FolderFile& file) const {
        return linksAsLinks_ && file.kind == platform::EntryKind::Symlink;
    }
    // The per-file step of a link: compared with the target's entry by its text, copied as a link.
    FileResult BackupOneLink(FolderRun& run, const std::string& name, const std::string& fullPath);
    // A folder's mode, owner, extended attributes and time, once its content is done.
    void KeepFolderAttributes(const std::string& strFolder);
    // The mode and (as root) the owner of a file found unchanged, given to its existing copy.
    FileResult KeepUnchangedCopyAttributes(FolderRun& run, const FileFacts& facts);
    // The handle of the folder `run` reads its files from: its own, or one opened by its path
    // into `byPath` (a link the user included); null with `error`.
    const platform::DirectoryHandle* SourceFolderOf(const FolderRun& run, platform::DirectoryHandle& byPath,
                                                    platform::Error& error) const;
    // Tells the kinds (platform::kept::) the target could not hold that this run has not told yet.
    void TellNotKept(unsigned kinds);

    // A restore (BackupWalkRestore.cpp): the program's own files of the backup stay where they are;
    // a file of the destination newer than its copy is left alone and named.
    bool IsLeftOutOfRestore(const std::string& fullPath, const std::string& name) const;
    void ReportNewerLeftAlone(FolderRun& run, const std::string& name);

    OperationContext& ctx_;
    Setup& setup_;
    OperationState& state_;
    ReportModel& report_;
    FileSelection selection_;
    std::string strTitle_;
    std::string source_;
    std::string target_;
    int modifiedSinceDays_ = -1;
    std::int32_t today_ = 0;
    std::string targetDrive_;
    TargetFolderChain targets_{platform::DirectoryHandle()};
    // Whether this run marked the target's root as a backup under way.
    bool runMarked_ = false;
    // Whether folders are looked through for what a killed run left: once a run mark of an
    // earlier run is found.
    bool sweepLeftovers_ = false;
    TargetRoom targetRoom_;
    TargetFlusher flusher_{targets_.root()};
    // What the target's file system can hold, learnt once a run.
    platform::FileSystemTraits targetTraits_;
    TimeComparison timeComparison_;
    // The source's folders from its root downward, kept open as the target's are.
    TargetFolderChain sources_{platform::DirectoryHandle()};
    // The second core: the copies' statuses read beside the source's, the files to copy read
    // ahead while the one before is copied.
    BothSidesStatus sides_{WalkUsesSecondCore()};
    platform::ReadAhead readAhead_{WalkUsesSecondCore() ? platform::ReadAhead::Limits{}
                                                        : platform::ReadAhead::Limits{0, 0}};
    // A folder of the walk to come: the path of the folder that holds it, and its name.
    struct NextFolder {
        std::string parent;
        std::string name;
    };
    // The folder entered after the subtree of the one being walked, and after the files of the
    // one being walked (its first subfolder, or that one); none at the end of the walk.
    std::optional<NextFolder> nextSibling_;
    std::optional<NextFolder> upcoming_;
    GoneFromSource* gone_ = nullptr;
    VersionsKeeper* versions_ = nullptr;
    // The free space shown last, at that count of files copied: it changes only by a copy.
    std::int64_t freeSpaceShownAt_ = -1;
    // Links are backed up as links (the setup asks for it and the target holds them).
    bool linksAsLinks_ = false;
    // The setup asks for links as links but the target holds none.
    bool linksNotHeld_ = false;
    // Modes, owners, extended attributes and folder times are kept.
    bool keepAttributes_ = false;
    // The kinds the target could not hold that the report has told.
    unsigned notKeptTold_ = 0;
};

} // namespace kestrel
