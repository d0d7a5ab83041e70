#include "platform/FileOverwrite.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#ifndef _WIN32
#include "support/Unprivileged.h"
#endif

using namespace kestrel::platform;
using namespace kestrel::testing;

namespace {

std::string secretOfLength(std::size_t length) {
    std::string text;
    while (text.size() < length)
        text += "SECRET-";
    text.resize(length);
    return text;
}

std::string readThrough(std::ifstream& in, std::size_t length) {
    std::string content(length + 16, '\0');
    in.clear();
    in.seekg(0);
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<std::size_t>(in.gcount()));
    return content;
}

} // namespace

TEST(OverwriteFileInPlace, OverwritesTheSameFileSeenThroughAnOpenDescriptor) {
    TempDir dir;
    const std::string original = secretOfLength(300001);
    const std::string path = dir.createFile("secret.doc", original);
    const FileStatus before = statPath(path);
    std::ifstream reader(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    ASSERT_TRUE(reader.is_open());

    Error error = overwriteFileInPlace(path, 4096);

    ASSERT_FALSE(error) << error.description;
    const std::string seen = readThrough(reader, original.size());
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
    if (!MakeSymlink(target, link))
        GTEST_SKIP() << kNoSymlinks;

    EXPECT_EQ(overwriteFileInPlace(link, -1).number, err::PathFileAccess);
    EXPECT_EQ(dir.readFile("target.txt"), "keep me");
    EXPECT_EQ(statPath(link, false).kind, EntryKind::Symlink);
}

TEST(OverwriteFileInPlace, FileWithASecondHardLinkIsRefusedAndUnchanged) {
    TempDir dir;
    const std::string path = dir.createFile("a.txt", "shared data");
    ASSERT_TRUE(MakeHardLink(path, dir.path("b.txt")));

    EXPECT_EQ(overwriteFileInPlace(path, 4096).number, err::PathFileAccess);
    EXPECT_EQ(dir.readFile("a.txt"), "shared data");
    EXPECT_EQ(dir.readFile("b.txt"), "shared data");
}

TEST(OverwriteFileInPlace, WhatIsNoRegularFileIsRefusedWithoutWaiting) {
    TempDir dir;
    dir.createFolder("folder");
    const bool fifo = MakeFifo(dir.path("pipe"));
    const struct {
        const char* relative;
        int expected;
    } cases[] = {
        {"folder", err::PathFileAccess}, {"pipe", err::PathFileAccess}, {"missing", err::FileNotFound}};
    for (const auto& c : cases)
        if (fifo || std::string(c.relative) != "pipe") {
            EXPECT_EQ(overwriteFileInPlace(dir.path(c.relative), -1).number, c.expected) << c.relative;
        }
}

TEST(OverwriteFileInPlace, ReadOnlyFileIsPermissionDenied) {
    TempDir dir;
    const std::string path = dir.createFile("ro.txt", "protected");
#ifdef _WIN32 // the ReadOnly attribute holds for every user
    SetReadOnly(path);
    EXPECT_EQ(overwriteFileInPlace(path, -1).number, err::PermissionDenied);
#else
    RunAsUnprivileged({dir.path()}, [&] {
        SetReadOnly(path);
        EXPECT_EQ(overwriteFileInPlace(path, -1).number, err::PermissionDenied);
    });
#endif
    EXPECT_EQ(dir.readFile("ro.txt"), "protected");
}
