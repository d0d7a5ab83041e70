#include "platform/FileSystemType.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kestrel::platform;
using kestrel::testing::TempDir;

namespace {

TEST(FileSystemTypeOf, AFileAMissingPathAndTheirFolderShareTheTypeOfTheirFileSystem) {
    TempDir dir;
    dir.createFile("sub/file.txt", "x");
    const std::string type = fileSystemTypeOf(dir.path());
    ASSERT_FALSE(type.empty());
    for (const char* relative : {"sub/", "sub/file.txt", "sub/missing/deeper/", "missing.txt"})
        EXPECT_EQ(fileSystemTypeOf(dir.path(relative)), type) << relative;
}

TEST(FileSystemTypeOf, ALinkIntoAnotherFileSystemNamesThatFileSystem) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no /proc";
#endif
    const FileStatus proc = statPath("/proc");
    if (!proc.exists() || proc.device == statPath("/").device)
        GTEST_SKIP() << "/proc is not a file system of its own here";
    TempDir dir;
    ASSERT_TRUE(kestrel::testing::MakeSymlink("/proc", dir.path("proc-link"), true));
    EXPECT_EQ(fileSystemTypeOf("/proc/"), "proc");
    EXPECT_EQ(fileSystemTypeOf(dir.path("proc-link/no-such-entry")), "proc");
}

TEST(FileSystemTypeOf, AnEmptyPathHasNone) {
    EXPECT_EQ(fileSystemTypeOf(""), "");
}

TEST(FileSystemTypeOf, TheTestSeamAnswersWhileItsGuardLivesAndGuardsNest) {
    TempDir dir;
    const std::string real = fileSystemTypeOf(dir.path());
    {
        ScopedFileSystemTypeForTesting fat([](const std::string&) { return std::string("vfat"); });
        EXPECT_EQ(fileSystemTypeOf(dir.path()), "vfat");
        {
            ScopedFileSystemTypeForTesting exfat([](const std::string&) { return std::string("exfat"); });
            EXPECT_EQ(fileSystemTypeOf(dir.path()), "exfat");
        }
        EXPECT_EQ(fileSystemTypeOf(dir.path()), "vfat");
    }
    EXPECT_EQ(fileSystemTypeOf(dir.path()), real);
}

TEST(IsFatFamily, TheFatAndExfatDriversByTheKernelOrThroughFuse) {
    const struct {
        const char* type;
        bool fat;
    } cases[] = {
        {"vfat", true},          {"msdos", true},       {"exfat", true},  {"VFAT", true},
        {"fuseblk.exfat", true}, {"fuse.vfat", true},   {"umsdos", true}, {"ext4", false},
        {"btrfs", false},        {"xfs", false},        {"ntfs", false},  {"ntfs3", false},
        {"fuseblk", false},      {"fuse.sshfs", false}, {"tmpfs", false}, {"", false},
        {"FAT", true},           {"FAT12", true},       {"FAT16", true},  {"FAT32", true},
        {"exFAT", true},         {"NTFS", false},       {"ReFS", false},  {"CDFS", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isFatFamily(c.type), c.fat) << c.type;
}

} // namespace
