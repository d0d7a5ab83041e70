#include "platform/posix/MountTable.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace kestrel::platform
