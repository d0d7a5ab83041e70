#pragma once

#include "platform/TestSeam.h"

#include <functional>
#include <string>

// What kind of file system holds a path. The modified rule needs it: file systems of the FAT
// family keep local times in two-second steps, every other one keeps exact UTC times.
namespace kestrel::platform {

// The type of the file system that holds the path (the nearest existing folder of it, links
// resolved), as the mount table names it: "ext4", "vfat", "exfat", "fuseblk.exfat" ...; empty
// when it cannot be found.
std::string fileSystemTypeOf(const std::string& path);

// FAT12/16/32, VFAT and exFAT, by the kernel's drivers or through FUSE.
bool isFatFamily(const std::string& fileSystemType);

// Test seam: while a guard lives, fileSystemTypeOf gives what its function says for a path (a
// FAT target cannot be mounted in a test).
using FileSystemTypeSeam =
    TestSeam<struct FileSystemTypeTag, std::function<std::string(const std::string& path)>>;
using ScopedFileSystemTypeForTesting = FileSystemTypeSeam::Guard;

} // namespace kestrel::platform
