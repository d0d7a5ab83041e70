#include "platform/posix/MountTable.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace kestrel::platform {
namespace {

struct ReplaceOrderCase {
    const char* type;
    const char* options;
    bool keepsDataFirst;
};

// Only where the file system itself writes a replacing file's data before the rename may the
// copy skip its own flush; everywhere else a power cut could leave an empty file in the old
// copy's place.
TEST(ReplaceByRename, KeepsTheDataFirstOnlyOnExt4InItsOrderedModes) {
    const ReplaceOrderCase cases[] = {
        {"ext4", "rw,relatime", true},
        {"ext4", "rw,data=ordered", true},
        {"ext4", "rw,data=journal", true},
        {"ext4", "rw,data=writeback", false},
        {"ext4", "rw,noauto_da_alloc,data=ordered", false},
        {"ext4", "rw,auto_da_alloc", true},
        {"xfs", "rw,attr2,inode64", false},
        {"btrfs", "rw,space_cache=v2", false},
        {"vfat", "rw,fmask=0022", false},
        {"ext3", "rw,data=ordered", false},
        {"", "", false},
    };
    for (const ReplaceOrderCase& c : cases)
        EXPECT_EQ(replaceByRenameKeepsDataFirst(c.type, c.options), c.keepsDataFirst)
            << c.type << " " << c.options;
}

struct MountInfoCase {
    const char* name;
    const char* line;
    unsigned major;
    unsigned minor;
    const char* mountPoint;
    const char* type;
    const char* options;
};

// Lines as the kernel writes them for the targets a desktop user backs up to: the mount point's
// escapes undone, the type exactly as printed (a FUSE driver's "fuse.sshfs", "fuseblk").
TEST(MountInfo, ReadsTheDeviceMountPointTypeAndOptionsOfRealLines) {
    const MountInfoCase cases[] = {
        {"root without optional fields",
         "25 1 259:2 / / rw,relatime - ext4 /dev/nvme0n1p2 rw,errors=remount-ro", 259, 2, "/", "ext4",
         "rw,errors=remount-ro"},
        {"bind mount with two optional fields",
         "36 35 98:0 /mnt1 /mnt2 rw,noatime shared:1 master:1 - ext3 /dev/root rw,errors=continue", 98, 0,
         "/mnt2", "ext3", "rw,errors=continue"},
        {"sshfs with a blank in its mount point",
         "120 29 0:52 / /home/anna/remote\\040host rw,nosuid,nodev,relatime shared:66 - fuse.sshfs "
         "anna@host:/data rw,user_id=1000,group_id=1000",
         0, 52, "/home/anna/remote host", "fuse.sshfs", "rw,user_id=1000,group_id=1000"},
        {"NTFS stick through ntfs-3g",
         "98 29 8:17 / /media/anna/USB\\040STICK rw,nosuid,nodev,relatime shared:52 - fuseblk /dev/sdb1 "
         "rw,user_id=0,group_id=0,default_permissions,allow_other,blksize=4096",
         8, 17, "/media/anna/USB STICK", "fuseblk",
         "rw,user_id=0,group_id=0,default_permissions,allow_other,blksize=4096"},
        {"FAT stick through the kernel",
         "70 29 8:1 / /media/anna/CARD rw,nosuid,nodev - vfat /dev/sda1 "
         "rw,fmask=0022,dmask=0022,codepage=437",
         8, 1, "/media/anna/CARD", "vfat", "rw,fmask=0022,dmask=0022,codepage=437"},
        {"tab, newline and backslash in the mount point",
         "80 29 0:60 / /mnt/a\\134b\\011c\\012d rw - tmpfs tmpfs rw,size=1024k", 0, 60, "/mnt/a\\b\tc\nd",
         "tmpfs", "rw,size=1024k"},
        {"a backslash that starts no escape stays", "81 29 0:61 / /mnt/x\\9y\\04 rw - tmpfs tmpfs rw", 0, 61,
         "/mnt/x\\9y\\04", "tmpfs", "rw"},
        {"mounted from an empty source", "82 29 0:62 / /mnt/empty rw - tmpfs  rw,size=4k", 0, 62,
         "/mnt/empty", "tmpfs", "rw,size=4k"},
        {"large device numbers", "90 29 253:1048575 / /srv rw - xfs /dev/mapper/vg-srv rw,attr2", 253,
         1048575, "/srv", "xfs", "rw,attr2"},
    };
    for (const MountInfoCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<MountedFileSystem> mounted = parseMountInfoLine(c.line);
        ASSERT_TRUE(mounted.has_value());
        EXPECT_EQ(major(mounted->device), c.major);
        EXPECT_EQ(minor(mounted->device), c.minor);
        EXPECT_EQ(mounted->mountPoint, c.mountPoint);
        EXPECT_EQ(mounted->type, c.type);
        EXPECT_EQ(mounted->options, c.options);
    }
}

TEST(MountInfo, ALineOfAnotherFormIsNoMount) {
    const char* const lines[] = {
        "",
        "garbage",
        "25 1 259:2 / / rw,relatime ext4 /dev/nvme0n1p2 rw",   // no separator
        "25 1 259:2 / / rw,relatime -",                        // nothing after it
        "25 1 259-2 / / rw,relatime - ext4 /dev/nvme0n1p2 rw", // no device number
        "25 1 :2 / / rw,relatime - ext4 /dev/nvme0n1p2 rw",    // half a device number
        "/dev/sda1 /media/stick vfat rw,user 0 0",             // an fstab line
    };
    for (const char* line : lines)
        EXPECT_FALSE(parseMountInfoLine(line).has_value()) << "'" << line << "'";
}

TEST(MountInfo, TheFileSystemTableUndoesTheSameEscapes) {
    EXPECT_EQ(unescapedMountField("/media/My\\040Disk"), "/media/My Disk");
    EXPECT_EQ(unescapedMountField("/a\\134\\134b"), "/a\\\\b");
    EXPECT_EQ(unescapedMountField("/end\\04"), "/end\\04");
    EXPECT_EQ(unescapedMountField("/high\\477"), "/high\\477"); // beyond a byte: no escape
}

// The table of the machine the tests run on names the file system of its root.
TEST(MountInfo, TheRunningSystemsRootIsInItsTable) {
    struct stat st {};
    ASSERT_EQ(::stat("/", &st), 0);
    const MountedFileSystem root = mountedFileSystemOf(st.st_dev);
    if (root.type.empty())
        GTEST_SKIP() << "the root's device is not in the mount table (a container's overlay or a subvolume)";
    EXPECT_FALSE(root.mountPoint.empty());
    EXPECT_EQ(root.mountPoint[0], '/');
    EXPECT_FALSE(mountTable().empty());
}

} // namespace
} // namespace kestrel::platform
