#include "platform/Disk.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kestrel::platform;
using kestrel::testing::TempDir;
using namespace kestrel::testing;

namespace {

[[maybe_unused]] std::string realFolder(const std::string& path) {
    std::error_code ec;
    const std::u8string real =
        std::filesystem::canonical(std::filesystem::path(std::u8string(path.begin(), path.end())), ec)
            .u8string();
    return ec ? std::string() : std::string(real.begin(), real.end()) + "/";
}

std::uint64_t deviceOf(const std::string& path) {
    return statPath(path).device;
}

// The root of the system's folders: "/", or the drive of the temporary folder on Windows.
std::string systemRoot() {
#ifdef _WIN32
    const std::string temp = TempDir().path();
    return temp.substr(0, 2) + "\\";
#else
    return "/";
#endif
}

} // namespace

TEST(MountPointOf, RootIsItsOwnMountPoint) {
    EXPECT_EQ(mountPointOf(systemRoot()), systemRoot());
}

TEST(MountPointOf, FolderFileAndMissingPathShareTheMountOfTheirNearestFolder) {
    TempDir dir;
    dir.createFile("sub/file.txt", "x");
    const std::string expected = mountPointOf(dir.path());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected.back(), systemRoot().back());
#ifndef _WIN32 // a drive's root and the folder's path may differ in their case and separators
    const std::string real = realFolder(dir.path());
    EXPECT_EQ(real.compare(0, expected.size(), expected), 0) << real << " lies below " << expected;
#endif
    EXPECT_EQ(deviceOf(expected), deviceOf(dir.path()));

    const struct {
        const char* relative;
    } cases[] = {{"sub/"}, {"sub"}, {"sub/file.txt"}, {"sub/missing/deeper/"}, {"missing.txt"}};
    for (const auto& c : cases)
        EXPECT_EQ(mountPointOf(dir.path(c.relative)), expected) << c.relative;
}

TEST(MountPointOf, LinkIntoAnotherFileSystemNamesThatFileSystem) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no /proc";
#endif
    if (!statPath("/proc").exists() || deviceOf("/proc") == deviceOf("/"))
        GTEST_SKIP() << "/proc is not a file system of its own here";
    TempDir dir;
    ASSERT_TRUE(MakeSymlink("/proc", dir.path("proc-link"), true));
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
    const Result<DiskSpace> read = diskSpace(systemRoot());
    ASSERT_TRUE(read.ok()) << read.error().description;
    const DiskSpace& root = read.value();
    EXPECT_GT(root.total, 0u);
    EXPECT_LE(root.freeForUser, root.freeTotal);
    EXPECT_LE(root.freeTotal, root.total);
    EXPECT_GT(root.blockSize, 0u);

    TempDir dir;
    const Result<DiskSpace> folder = diskSpace(dir.path());
    const Result<DiskSpace> missing = diskSpace(dir.path("not/yet/made/"));
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(missing.ok());
    EXPECT_EQ(missing.value().total, folder.value().total);
    EXPECT_EQ(missing.value().blockSize, folder.value().blockSize);
}

TEST(DiskSpace, EmptyPathFailsWithPathNotFound) {
    const Result<DiskSpace> space = diskSpace("");
    EXPECT_FALSE(space.ok());
    EXPECT_EQ(space.error().number, err::PathNotFound);
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
    if (!MakeSymlink(dir.path("target.txt"), dir.path("link.txt")) ||
        !MakeSymlink(dir.path("nowhere.txt"), dir.path("dangling.txt")))
        GTEST_SKIP() << kNoSymlinks;

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
