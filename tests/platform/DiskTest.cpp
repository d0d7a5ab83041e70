#include "platform/Disk.h"
#include "support/TempDir.h"

#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrel::platform;
using kestrel::testing::TempDir;

namespace {

std::string realFolder(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) + "/" : std::string();
}

dev_t deviceOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_dev;
}

} // namespace

TEST(MountPointOf, RootIsItsOwnMountPoint) {
    EXPECT_EQ(mountPointOf("/"), "/");
}

TEST(MountPointOf, FolderFileAndMissingPathShareTheMountOfTheirNearestFolder) {
    TempDir dir;
    dir.createFile("sub/file.txt", "x");
    const std::string expected = mountPointOf(dir.path());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected.back(), '/');
    const std::string real = realFolder(dir.path());
    EXPECT_EQ(real.compare(0, expected.size(), expected), 0) << real << " lies below " << expected;
    EXPECT_EQ(deviceOf(expected), deviceOf(dir.path()));

    const struct {
        const char* relative;
    } cases[] = {{"sub/"}, {"sub"}, {"sub/file.txt"}, {"sub/missing/deeper/"}, {"missing.txt"}};
    for (const auto& c : cases)
        EXPECT_EQ(mountPointOf(dir.path(c.relative)), expected) << c.relative;
}

TEST(MountPointOf, LinkIntoAnotherFileSystemNamesThatFileSystem) {
    if (deviceOf("/proc") == deviceOf("/"))
        GTEST_SKIP() << "/proc is not a file system of its own here";
    TempDir dir;
    ASSERT_EQ(::symlink("/proc", dir.path("proc-link").c_str()), 0);
    EXPECT_EQ(mountPointOf(dir.path("proc-link/")), "/proc/");
    EXPECT_EQ(mountPointOf(dir.path("proc-link/no-such-entry")), "/proc/");
}

TEST(MountPointOf, EmptyPathHasNone) {
    EXPECT_EQ(mountPointOf(""), "");
}

TEST(IsMountedReadOnly, WritableTemporaryFolderIsNot) {
    TempDir dir;
    EXPECT_FALSE(isMountedReadOnly(dir.path()));
    EXPECT_FALSE(isMountedReadOnly(dir.path("missing/")));
}

TEST(DiskSpace, RootHasSpaceAndAMissingPathReadsItsNearestFolder) {
    DiskSpace root;
    Error error;
    ASSERT_TRUE(diskSpace("/", root, error)) << error.description;
    EXPECT_GT(root.total, 0u);
    EXPECT_LE(root.freeForUser, root.freeTotal);
    EXPECT_LE(root.freeTotal, root.total);
    EXPECT_GT(root.blockSize, 0u);

    TempDir dir;
    DiskSpace folder;
    DiskSpace missing;
    ASSERT_TRUE(diskSpace(dir.path(), folder, error));
    ASSERT_TRUE(diskSpace(dir.path("not/yet/made/"), missing, error));
    EXPECT_EQ(missing.total, folder.total);
    EXPECT_EQ(missing.blockSize, folder.blockSize);
}

TEST(DiskSpace, EmptyPathFailsWithPathNotFound) {
    DiskSpace space;
    Error error;
    EXPECT_FALSE(diskSpace("", space, error));
    EXPECT_EQ(error.number, err::PathNotFound);
}

TEST(WriteNewFile, CreatesTheFileWithItsContent) {
    TempDir dir;
    ASSERT_FALSE(writeNewFile(dir.path("new.txt"), "A line\n"));
    EXPECT_EQ(dir.readFile("new.txt"), "A line\n");
}

TEST(WriteNewFile, NeverTouchesAnExistingEntry) {
    TempDir dir;
    dir.createFile("existing.txt", "user data");
    dir.createFile("target.txt", "link target");
    ASSERT_EQ(::symlink(dir.path("target.txt").c_str(), dir.path("link.txt").c_str()), 0);
    ASSERT_EQ(::symlink(dir.path("nowhere.txt").c_str(), dir.path("dangling.txt").c_str()), 0);

    EXPECT_EQ(writeNewFile(dir.path("existing.txt"), "scratch").number, err::FileAlreadyExists);
    EXPECT_EQ(writeNewFile(dir.path("link.txt"), "scratch").number, err::FileAlreadyExists);
    EXPECT_EQ(writeNewFile(dir.path("dangling.txt"), "scratch").number, err::FileAlreadyExists);

    EXPECT_EQ(dir.readFile("existing.txt"), "user data");
    EXPECT_EQ(dir.readFile("target.txt"), "link target");
    EXPECT_FALSE(dir.exists("nowhere.txt"));
}

TEST(WriteNewFile, MissingFolderIsPathNotFound) {
    TempDir dir;
    EXPECT_EQ(writeNewFile(dir.path("missing/new.txt"), "x").number, err::PathNotFound);
}
