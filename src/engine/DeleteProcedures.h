#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/ErrorCodes.h"
#include "platform/Result.h"
#include "platform/TestSeam.h"
#include "report/Interaction.h"

#include <functional>
#include <string>

// The procedures the deletion of backup files removes and wipes one file with. A symbolic link
// is removed itself, never what it points to; nothing is ever written through a link, and a file
// with more than one hard link is never overwritten (its data is still reachable under another
// name, which the overwrite would destroy while securing nothing).
namespace kestrel {

// Deletes a file (or a symbolic link), trying 4 times in all, 500 ms apart (waiting through the
// Interaction). True when the entry is gone, also when it was gone already. The flags would
// clear the attributes first; here a file's own permissions never stop its deletion, so its mode
// is left as it is (a file that cannot be deleted keeps it).
bool DeleteFileWithRetry(const std::string& path, bool clearHidden, bool clearReadOnly, bool clearSystem,
                         Interaction& ui);
// The same for the entry `name` of an open folder, acting on that folder whatever its path names
// by now; `path` names the entry for the test seams.
bool DeleteFileWithRetry(const platform::DirectoryHandle& folder, const std::string& name,
                         const std::string& path, Interaction& ui);

// Overwrites a file's content on the disk (the file stays, to be deleted next). `mode` 0 is the
// only mode; `useClusterSize` writes in whole clusters of the file's drive. A read-only file is
// refused unless `clearReadOnly`. Ok on success; the reason for a failure and for a file it must
// not overwrite (a symbolic link, a file with other hard links, anything but a regular file).
platform::Status OverwriteFile(const std::string& path, int mode, bool clearReadOnly, bool useClusterSize);
// The same for the entry `name` of an open folder; a link of that name is never followed.
platform::Status OverwriteFile(const platform::DirectoryHandle& folder, const std::string& name,
                               const std::string& path, bool clearReadOnly, bool useClusterSize);

// Test seams: what a real disk will not do on demand (a file that cannot be deleted, a folder
// that cannot be read, an overwrite that fails), even for a test run as root. Each function is
// asked first, while a guard holds them; a non-zero error is the result.
struct DeletionFaults {
    std::function<platform::Error(const std::string& path)> removeFile;
    std::function<platform::Error(const std::string& folder)> readFolder;
    std::function<platform::Error(const std::string& path)> overwriteFile;
    // Called once a folder of the deletion has been listed, before anything in it is touched.
    std::function<void(const std::string& folder)> afterListing;
};
using DeletionFaultsSeam = platform::TestSeam<struct DeletionFaultsTag, DeletionFaults>;
using ScopedDeletionFaultsForTesting = DeletionFaultsSeam::Guard;
// The faults in force (none outside tests).
DeletionFaults deletionFaults();

} // namespace kestrel
