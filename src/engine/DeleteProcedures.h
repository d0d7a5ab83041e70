#pragma once

#include "platform/ErrorCodes.h"
#include "report/Interaction.h"

#include <functional>
#include <string>

// The procedures the deletion of backup files removes and wipes one file with. A symbolic link
// is removed itself, never what it points to; nothing is ever written through a link, and a file
// with more than one hard link is never overwritten (its data is still reachable under another
// name, which the overwrite would destroy while securing nothing).
namespace kestrel {

// Deletes a file (or a symbolic link), trying 4 times in all, 500 ms apart (waiting through the
// Interaction). True when the entry is gone, also when it was gone already. The flags clear the
// attributes first; of them only read-only exists here, and it is cleared only on a regular
// file with no other hard link, so no name outside the caller's reach sees its mode change.
bool DeleteFileWithRetry(const std::string& path, bool clearHidden, bool clearReadOnly, bool clearSystem,
                         Interaction& ui);

// Overwrites a file's content on the disk (the file stays, to be deleted next). `mode` 0 is the
// only mode; `useClusterSize` writes in whole clusters of the file's drive. A read-only file is
// refused unless `clearReadOnly`. False, with the reason in `error` when given, for a failure
// and for a file it must not overwrite (a symbolic link, a file with other hard links, anything
// but a regular file).
bool OverwriteFile(const std::string& path, int mode, bool clearReadOnly, bool useClusterSize,
                   platform::Error* error = nullptr);

// Test seams: what a real disk will not do on demand (a file that cannot be deleted, a folder
// that cannot be read, an overwrite that fails), even for a test run as root. Each function is
// asked first; a non-zero error is the result. Empty functions return to the disk.
struct DeletionFaults {
    std::function<platform::Error(const std::string& path)> removeFile;
    std::function<platform::Error(const std::string& folder)> readFolder;
    std::function<platform::Error(const std::string& path)> overwriteFile;
};
void setDeletionFaultsForTesting(DeletionFaults faults);
const DeletionFaults& deletionFaults();

} // namespace kestrel
