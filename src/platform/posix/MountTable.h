#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// Inside the POSIX platform only: the one reader of the kernel's table of mounted file systems
// (/proc/self/mountinfo), for the mount point of a path and the type and options of a device's
// file system.
namespace kestrel::platform {

struct MountedFileSystem {
    dev_t device = 0;
    std::string mountPoint; // with its escapes undone: "/media/anna/USB STICK"
    // As the table prints it: "ext4", "vfat", "fuseblk", "fuse.sshfs" ... (empty when not found)
    std::string type;
    std::string options; // the file system's own options: "rw,data=ordered,..."
};

// One line of the table: "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,...",
// whose optional fields end at the " - " separator. None for a line of another form.
std::optional<MountedFileSystem> parseMountInfoLine(const std::string& line);

// Every mounted file system, in the table's order (empty where there is no table).
std::vector<MountedFileSystem> mountTable();

// The file system of device `device` (the first the table lists for it); empty fields when the
// table has none (a btrfs subvolume has a device number the table does not list).
MountedFileSystem mountedFileSystemOf(dev_t device);

// A field of the mount tables (mountinfo and /etc/fstab) with its octal escapes undone: they
// write blank, tab, newline and backslash as "\040", "\011", "\012" and "\134".
std::string unescapedMountField(const std::string& field);

// Whether a file system puts a rename of a new file over an older one on the disk only after
// the new file's data, by its own rule: ext4 does so in its ordered and journalled data modes
// while its detection of that pattern (auto_da_alloc) is on, as both are by default. Elsewhere
// the new copy is flushed before it replaces the old one. `mountOptions` are the file
// system's own options as the mount table lists them ("rw,data=writeback,...").
bool replaceByRenameKeepsDataFirst(const std::string& fileSystemType, const std::string& mountOptions);

} // namespace kestrel::platform
