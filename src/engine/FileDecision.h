#pragma once

#include "engine/FileComparison.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <optional>
#include <string>

// What the per-file step does with one selected file, decided from what is known of it before
// anything is asked, copied or reported. A pure function of its facts: the step reads them, then
// acts on the verdict (asks, copies, reports).
namespace kestrel {

// Files this large are checked against the system-file and swap-file rules.
constexpr std::int64_t kLargeSystemFileSize = 10487560;

struct FileFacts {
    int operation = 0; // intOperationCheckBackupState, …BackupAllFiles or …BackupModifiedFiles
    std::string fullPath;
    std::string name;
    platform::FileStatus source;
    platform::FileStatus target; // the copy: a regular file, or nothing
    bool modifiedSince = true;   // passes the modified-since filter
    bool targetIsReportFile = false;
    bool skipThumbs = false;     // a thumbs.db while the user skips them for this run
    std::string cannotHold;      // why the target cannot hold the file (empty: it can)
    std::string extensionFilter; // lower case, as the selection keeps it
    bool warnIfEarlier = false;
    bool warnIfSmaller = false;
    int suspectPercent = 0;
    TimeComparison comparison;
    // The target's free bytes, read only for a backup of a file without copy; none when the
    // reading failed (the copy then goes on).
    std::optional<double> freeBytes;
    // A restore: a file in the destination newer than its copy in the backup stays.
    bool keepNewerTarget = false;
};

// How the file stands against its copy.
enum class FileStanding {
    OutsideRange,  // not modified within the modified-since range
    CannotHold,    // the target cannot hold it
    ReportFile,    // its copy would overwrite the report file
    SkippedThumbs, // a thumbs.db the user skips
    Taken,         // backed up whatever its copy (all files)
    New,           // no copy yet
    Modified,      // its copy differs
    NewerInTarget, // a restore's destination holds a newer file: it stays
    Unchanged
};

// What the step does with it.
enum class FileAction {
    None,
    Copy,
    SkipSystemFile, // a large .sys file
    SkipSwapFile,   // a large Windows swap file
    TargetFull,     // no byte free: the run ends
    NoRoom          // larger than the room left
};

struct FileVerdict {
    FileStanding standing = FileStanding::Unchanged;
    FileAction action = FileAction::None;
    bool warnOlder = false;   // the source is older than its copy (only with Copy)
    bool warnSmaller = false; // the source is suspiciously smaller than its copy (only with Copy)

    bool operator==(const FileVerdict&) const = default;
};

FileVerdict DecideFile(const FileFacts& facts);

// Whether the step needs the target's free bytes for this file: a backup of a file without copy.
bool NeedsRoomReading(int operation, const platform::FileStatus& target, bool modifiedSince);

} // namespace kestrel
