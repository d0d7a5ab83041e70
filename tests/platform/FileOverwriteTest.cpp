#include "platform/FileOverwrite.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrel::platform;
using kestrel::testing::RunAsUnprivileged;
using kestrel::testing::TempDir;

namespace {

std::string secretOfLength(std::size_t length) {
    std::string text;
    while (text.size() < length)
        text += "SECRET-";
    text.resize(length);
    return text;
}

std::string readThrough(int fd, std::size_t length) {
    std::string content(length + 16, '\0');
    ssize_t n = ::pread(fd, content.data(), content.size(), 0);
    content.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return content;
}

} // namespace

TEST(OverwriteFileInPlace, OverwritesTheSameFileSeenThroughAnOpenDescriptor) {
    TempDir dir;
    const std::string original = secretOfLength(300001);
    const std::string path = dir.createFile("secret.doc", original);
    const FileStatus before = statPath(path);
    int reader = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);

    Error error = overwriteFileInPlace(path, 4096);

    ASSERT_FALSE(error) << error.description;
    const std::string seen = readThrough(reader, original.size());
    ::close(reader);
    EXPECT_EQ(seen.size(), original.size());
    EXPECT_EQ(seen.find("SECRET"), std::string::npos) << "the former content is still readable";
    const FileStatus after = statPath(path);
    EXPECT_EQ(after.inode, before.inode) << "the file itself is overwritten, not replaced";
    EXPECT_EQ(after.size, before.size);
}

TEST(OverwriteFileInPlace, EveryWriteSizeCoversTheWholeFileAndNeverGrowsIt) {
    const struct {
        std::int64_t clusterSize;
        std::size_t length;
    } cases[] = {
        {-1, 0},
        {-1, 1},
        {0, 65536},
        {0, 65537},
        {512, 511},
        {512, 100000},
        {4096, 4096},
        {4096, 1048577},
        {65536, 70000},
        {3, 1000},
        {64 * 1024 * 1024, 5000},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string original = secretOfLength(c.length);
        const std::string path = dir.createFile("f.bin", original);
        Error error = overwriteFileInPlace(path, c.clusterSize);
        ASSERT_FALSE(error) << error.description << " cluster " << c.clusterSize << " length " << c.length;
        const std::string content = dir.readFile("f.bin");
        EXPECT_EQ(content.size(), c.length) << "cluster " << c.clusterSize;
        if (c.length >= 6) {
            EXPECT_EQ(content.find("SECRET"), std::string::npos) << "cluster " << c.clusterSize;
        }
        if (c.length > 0) {
            EXPECT_NE(content, original) << "cluster " << c.clusterSize;
        }
    }
}

TEST(OverwriteFileInPlace, SymbolicLinkIsRefusedAndItsTargetUnchanged) {
    TempDir dir;
    const std::string target = dir.createFile("target.txt", "keep me");
    const std::string link = dir.path("link.txt");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);

    EXPECT_EQ(overwriteFileInPlace(link, -1).number, err::PathFileAccess);
    EXPECT_EQ(dir.readFile("target.txt"), "keep me");
    EXPECT_EQ(statPath(link, false).kind, EntryKind::Symlink);
}

TEST(OverwriteFileInPlace, FileWithASecondHardLinkIsRefusedAndUnchanged) {
    TempDir dir;
    const std::string path = dir.createFile("a.txt", "shared data");
    ASSERT_EQ(::link(path.c_str(), dir.path("b.txt").c_str()), 0);

    EXPECT_EQ(overwriteFileInPlace(path, 4096).number, err::PathFileAccess);
    EXPECT_EQ(dir.readFile("a.txt"), "shared data");
    EXPECT_EQ(dir.readFile("b.txt"), "shared data");
}

TEST(OverwriteFileInPlace, WhatIsNoRegularFileIsRefusedWithoutWaiting) {
    TempDir dir;
    dir.createFolder("folder");
    ASSERT_EQ(::mkfifo(dir.path("pipe").c_str(), 0600), 0);
    const struct {
        const char* relative;
        int expected;
    } cases[] = {
        {"folder", err::PathFileAccess}, {"pipe", err::PathFileAccess}, {"missing", err::FileNotFound}};
    for (const auto& c : cases)
        EXPECT_EQ(overwriteFileInPlace(dir.path(c.relative), -1).number, c.expected) << c.relative;
}

TEST(OverwriteFileInPlace, ReadOnlyFileIsPermissionDenied) {
    TempDir dir;
    const std::string path = dir.createFile("ro.txt", "protected");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        EXPECT_EQ(overwriteFileInPlace(path, -1).number, err::PermissionDenied);
    });
    EXPECT_EQ(dir.readFile("ro.txt"), "protected");
}
