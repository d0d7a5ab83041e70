#pragma once

#include <string>
#include <sys/types.h>

// Inside the POSIX platform only: what the mount table says of a mounted file system.
namespace kestrel::platform {

struct MountedFileSystem {
    std::string type;    // "ext4", "vfat", "fuseblk.exfat" ... (empty when not found)
    std::string options; // the file system's own options: "rw,data=ordered,..."
};

// The file system of device `device` as /proc/self/mountinfo lists it (the fields after its
// " - " separator), a FUSE subtype as "fuseblk.exfat".
MountedFileSystem mountedFileSystemOf(dev_t device);

// Whether a file system puts a rename of a new file over an older one on the disk only after
// the new file's data, by its own rule: ext4 does so in its ordered and journalled data modes
// while its detection of that pattern (auto_da_alloc) is on, as both are by default. Elsewhere
// the new copy is flushed before it replaces the old one. `mountOptions` are the file
// system's own options as the mount table lists them ("rw,data=writeback,...").
bool replaceByRenameKeepsDataFirst(const std::string& fileSystemType, const std::string& mountOptions);

} // namespace kestrel::platform
