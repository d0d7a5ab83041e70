#pragma once

#include "engine/OperationContext.h"
#include "platform/DirectoryHandle.h"
#include "report/Interaction.h"

#include <cstdint>
#include <string>
#include <vector>

// "Delete/wipe target files": deletes every file below the target folder that passes the
// extension filter, overwriting each first when the user asks for it, and removes the folders
// this leaves empty (never the target folder itself). It never follows a symbolic link: a link
// is deleted itself, a link to a folder is never entered, and nothing outside the target folder
// is read, written or deleted.
namespace kestrel {

enum class DeletionOutcome {
    NotStarted, // refused or nothing to delete; a message said why
    Declined,   // the user answered Cancel or No to a question before anything was deleted
    Completed,  // the walk ran to the end
    Stopped     // cancelled in the report window, or stopped after deletion errors
};

struct DeletionResult {
    DeletionOutcome outcome = DeletionOutcome::NotStarted;
    // Files a wipe deleted without overwriting them (each reported with its reason).
    std::int64_t numNotOverwritten = 0;
};

// The button's own checks, then the operation: no target named, a report file named for the
// unattended run (its path holds "Backup") forgotten, an empty target refused.
DeletionResult cmdDeleteAllBackupFiles_MouseUp(OperationContext& ctx);

// The operation itself: the report-file question and checks, the check for files, the overwrite
// question, the confirmation, the walk, the summary and the report file's foot line.
DeletionResult DeleteAllBackupFiles(OperationContext& ctx);

class WritableWhileDeleting;

// What the confirmation window shows before the deletion.
ConfirmRequest DeletionConfirmRequest(bool blnWipe, const std::string& txbFileExtension);

// The recursive walk of the deletion (also its check for files, with intOperation at
// intOperationCheckForFile). Folder paths end in "/". Each folder is worked on through a handle
// opened from the target folder's downward, a name at a time without following links; the paths
// are only for the report.
class DeletionWalk {
public:
    DeletionWalk(OperationContext& ctx, std::string targetFolder);

    // Walks the whole target folder.
    void Run();
    // Walks `strFolder`, open as `folder`; true when it may go if empty now (it had files).
    bool DeleteFolderContents(const std::string& strFolder, const platform::DirectoryHandle& folder);

    // After a failed deletion: asks at the 6th, 12th ... failure (or always, without
    // `askAlways`) whether to stop; `stop` becomes true on Yes.
    void AskAfterDeletionError(const std::string& message, bool askAlways, bool& stop);

    std::int64_t NumNotOverwritten() const { return numNotOverwritten_; }

private:
    struct FolderEntries {
        std::vector<std::string> files; // regular files and symbolic links passing the filter
        std::vector<std::string> subfolders;
    };

    // A file a wipe deleted without overwriting it, reported after the folder's line.
    struct NotOverwritten {
        std::string path;
        std::string reason;
    };

    bool ReadFolder(const std::string& path, const platform::DirectoryHandle& folder, FolderEntries& entries);
    // False when the walk goes no further in this folder (stopped, or a file found by the check).
    bool DeleteSubfolders(const std::string& strFolder, const platform::DirectoryHandle& folder,
                          const std::vector<std::string>& subfolders, WritableWhileDeleting& writable);
    // The folder's files with its count line and remark; false when the user chose to stop
    // after a failed deletion.
    bool DeleteFiles(const std::string& strFolder, const platform::DirectoryHandle& folder,
                     const std::vector<std::string>& files);
    // False when the user chose to stop after its deletion failed.
    bool DeleteOneFile(const platform::DirectoryHandle& folder, const std::string& name,
                       const std::string& path, std::int64_t& numDeleted,
                       std::vector<NotOverwritten>& notOverwritten);
    void ReportFolderError(const std::string& path, const platform::Error& error);
    bool Checking() const;
    bool Details() const;
    // Overwrites before the deletion; false with the reason when the file was not overwritten.
    bool WipeFile(const platform::DirectoryHandle& folder, const std::string& name, const std::string& path,
                  std::string& reason);
    void ReportNotOverwritten(std::vector<NotOverwritten>& files);
    void PauseAfterFirstDeletion(const std::string& folder);

    OperationContext& ctx_;
    std::string target_;
    std::string filter_;
    bool pauseTaken_ = false;
    std::int64_t numNotOverwritten_ = 0;
};

} // namespace kestrel
