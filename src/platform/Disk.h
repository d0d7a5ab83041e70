#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/ErrorCodes.h"
#include "platform/Result.h"
#include "platform/TestSeam.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrel::platform {

// The mount point of the file system that holds the path (the nearest existing folder of it),
// ending in "/". Symbolic links on the way are resolved, so a link into another disk names
// that disk. Empty when no part of the path exists.
std::string mountPointOf(const std::string& path);
bool isMountedReadOnly(const std::string& path);

// The mount points the system's table of file systems (/etc/fstab) names, as written there
// (its escapes undone): where disks are meant to be mounted, whether they are now or not. Swap
// and the root are left out. Empty where the system keeps no such table.
std::vector<std::string> fileSystemTableMountPoints();
// Test seam: while a guard lives, the table is read from the file its function names.
using FileSystemTableSeam = TestSeam<struct FileSystemTableTag, std::function<std::string()>>;
using ScopedFileSystemTableForTesting = FileSystemTableSeam::Guard;

struct DiskSpace {
    std::uint64_t freeForUser = 0;
    std::uint64_t total = 0;
    std::uint64_t freeTotal = 0;
    std::uint64_t blockSize = 0; // the file system's allocation unit
};
// The space of the file system that holds the path (the nearest existing folder of it).
Result<DiskSpace> diskSpace(const std::string& path);

// Creates a file that did not exist directly inside `folder` and writes `content` into it.
// Refuses (error 58) when any entry of that name exists, a symbolic link included, so it can
// never damage a user's file nor write through a link.
Error writeNewFile(const DirectoryHandle& folder, const std::string& name, const std::string& content);
// The same for a file named by path (its folder found by path).
Error writeNewFile(const std::string& path, const std::string& content);

// Removes `name` in `folder` when it is what a writeNewFile(folder, name, content) cut short by a
// kill left behind: a regular file of this user with no other name, holding nothing but a
// beginning of `content`. Anything else of that name (a user's own file, a link) stays. True
// when removed.
bool removeInterruptedNewFile(const DirectoryHandle& folder, const std::string& name,
                              const std::string& content);

// Test seam: while a guard lives, writeNewFile first asks its function (with a path of the
// file), and an error it returns is the result (a disk cannot be filled on demand).
using NewFileFaultSeam = TestSeam<struct NewFileFaultTag, std::function<Error(const std::string& path)>>;
using ScopedNewFileFaultForTesting = NewFileFaultSeam::Guard;

} // namespace kestrel::platform
