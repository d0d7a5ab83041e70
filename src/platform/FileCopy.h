#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/TestSeam.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The copy of one file into a backup folder, whole or not at all.
namespace kestrel::platform {

// Where one file's copy stands.
struct FileCopyProgress {
    std::int64_t bytesDone = 0;
    std::int64_t bytesTotal = 0; // the source's size as read when it was opened
};

enum class CopyDecision { Continue, Stop };

// Called before the first byte, at least once a second while the data moves, and after the last
// byte; Stop drops the unfinished copy.
using CopyProgressCallback = std::function<CopyDecision(const FileCopyProgress&)>;

struct CopyOptions {
    // An existing entry of the target name (a file or a link, never followed) is replaced;
    // without it such an entry is error 58 and stays.
    bool overwrite = true;
    // The source's status as the caller read it: its modification time is the one the copy
    // gets, so a change made after that reading shows as a modification on the next run.
    const FileStatus* sourceStatus = nullptr;
    // The open folder that holds the source: the source is opened by its name in it, so its path
    // is not looked up once more for every file (the path still names it in errors).
    const DirectoryHandle* sourceFolder = nullptr;
    CopyProgressCallback progress;
    // The copy gets the source's exact mode (no write permission added), owner and extended
    // attributes, as far as the target holds them (platform/KeptAttributes.h).
    bool keepAttributes = false;
};

// Why a copy failed, so the report can say what the user can do about it.
enum class CopyFailure {
    None,
    Source,        // the source could not be opened or read
    NotRegular,    // the source is no regular file (a pipe, socket or device took its place)
    SourceChanged, // the source changed while it was copied, on both tries
    Target,        // the copy could not be written or put in place
};

struct CopyResult {
    Error error;
    std::int64_t bytesCopied = 0;
    CopyFailure failure = CopyFailure::None;
    bool cancelled = false; // stopped through the progress callback: nothing changed in the target
    unsigned notKept = 0;   // with keepAttributes: the kept:: kinds the target refused

    bool copied() const { return !error && !cancelled; }
};

// Copies a regular file into `targetFolder` under `targetName`. The data goes to an unnamed
// temporary file in that folder (or, where the file system has none, to a temporary name of
// the program's own form, created exclusively), which gets the source's permissions (with the
// owner's write permission) and modification time and is put in place only when complete, so a
// failed, cancelled or killed copy never destroys an earlier copy. A copy that replaces one is
// flushed to the disk first. A source that changed while it was copied is copied once more,
// then reported as SourceChanged; the earlier copy stays.
CopyResult copyFileInto(const std::string& sourcePath, const DirectoryHandle& targetFolder,
                        const std::string& targetName, const CopyOptions& options = {});

// The same for a target given by path (its folder found by path).
CopyResult copyFileAtomically(const std::string& source, const std::string& target, bool overwrite,
                              const FileStatus* sourceStatus = nullptr);

// Whether a name is one of the program's temporary copy names: no name a user gives a file by
// chance (a check part follows the random part), so a user's own file of a similar name is
// backed up like any other.
bool isTemporaryCopyName(const std::string& name);
// A new temporary copy name (random, so two copies into one folder never share one).
std::string temporaryCopyName();

// Removes what killed runs left in a folder of the target under temporary copy names: how many
// were removed, or the first failure (the others are still removed). Links and folders of such
// names, and run marks, are left alone.
Result<int> removeLeftoverCopies(const DirectoryHandle& folder);

// A backup marks the root of its target while it works and removes the mark when it ends, so
// a mark found at the start of a run tells of a killed run whose temporary copies may still
// lie in the folders below: only then are the folders looked through for them. True when the
// mark was there already.
bool markRunUnderWay(const DirectoryHandle& root);
// Whether a folder holds a run mark (the root of another backup's target inside this one).
bool hasRunMark(const DirectoryHandle& folder);
void clearRunMark(const DirectoryHandle& root);

// Writes everything written to the folder's file system out to the disk (at the end of an
// operation that wrote to the target, before its summary).
Error flushFileSystem(const DirectoryHandle& folder);

// Test seam: what copies meet on their way, for as long as a guard holds the plan.
struct CopyFaultPlan {
    // Asked before the first byte with the source path and the target name; may block (to hold
    // a copy); a non-zero error is the copy's result.
    std::function<Error(const std::string& source, const std::string& target)> beforeData;
    // Once this many bytes of the data are written (-1: never), `atPoint` is called (it may
    // block), then the copy fails as if the write had failed with `errnoValue` (0: it goes on).
    std::int64_t afterBytes = -1;
    int errnoValue = 0;
    std::function<void()> atPoint;
};
using CopyFaultPlanSeam = TestSeam<struct CopyFaultPlanTag, std::shared_ptr<const CopyFaultPlan>>;
using ScopedCopyFaultPlanForTesting = CopyFaultPlanSeam::Guard;

} // namespace kestrel::platform
