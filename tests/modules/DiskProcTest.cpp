#include "modules/DiskProc.h"
#include "platform/FileSystem.h"
#include "platform/NumberFormat.h"
#include "support/BuildTexts.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/Unprivileged.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrel;
using kestrel::testing::RunAsUnprivileged;
using kestrel::testing::TempDir;

namespace {

const char kScratch[] = "klasdjfdskjfkjkwjkweoewiroew.txt";

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : platform::readDirectory(folder).valueOr({}))
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

// Fixes the number format for one test and returns to the environment's afterwards.
class NumberFormatGuard {
public:
    explicit NumberFormatGuard(const platform::NumberFormat& format) : format_(format) {
        platform::setNumberFormat(&format_);
    }
    ~NumberFormatGuard() { platform::setNumberFormat(nullptr); }

private:
    platform::NumberFormat format_;
};

} // namespace

TEST(IsWriteProtected, WritableFolderIsNotAndKeepsNoScratchFile) {
    TempDir dir;
    dir.createFile("folder/keep.txt", "x");
    for (const std::string& path : {dir.path("folder"), dir.path("folder/")}) {
        std::string description = "stale";
        EXPECT_FALSE(IsWriteProtected(path, description)) << path;
        EXPECT_EQ(description, "");
        EXPECT_EQ(entriesOf(dir.path("folder")), std::vector<std::string>{"keep.txt"});
    }
}

TEST(IsWriteProtected, ExistingFileOfTheScratchNameIsLeftAlone) {
    TempDir dir;
    dir.createFile(std::string("folder/") + kScratch, "the user's own notes");
    dir.createFile("folder/klasdjfdskjfkjkwjkweoewiroew-1.txt", "more notes");
    std::string description;
    EXPECT_FALSE(IsWriteProtected(dir.path("folder"), description));
    EXPECT_EQ(description, "");
    EXPECT_EQ(dir.readFile(std::string("folder/") + kScratch), "the user's own notes");
    EXPECT_EQ(dir.readFile("folder/klasdjfdskjfkjkwjkweoewiroew-1.txt"), "more notes");
    EXPECT_EQ(entriesOf(dir.path("folder")),
              (std::vector<std::string>{"klasdjfdskjfkjkwjkweoewiroew-1.txt", kScratch}));
}

// A run killed during the write test leaves the scratch file empty or holding the test's line;
// the next test removes it, whichever name it took, and leaves a user's own file of the name.
TEST(IsWriteProtected, WhatAKilledTestLeftIsRemovedAndAUsersFileStays) {
    TempDir dir;
    dir.createFile(std::string("folder/") + kScratch, "A line\n");
    dir.createFile("folder/klasdjfdskjfkjkwjkweoewiroew-1.txt", "");
    dir.createFile("folder/klasdjfdskjfkjkwjkweoewiroew-2.txt", "A li");
    dir.createFile("folder/klasdjfdskjfkjkwjkweoewiroew-3.txt", "A line\nand the user's own words");
    std::string description;

    EXPECT_FALSE(IsWriteProtected(dir.path("folder"), description));

    EXPECT_EQ(entriesOf(dir.path("folder")), std::vector<std::string>{"klasdjfdskjfkjkwjkweoewiroew-3.txt"});
    EXPECT_EQ(dir.readFile("folder/klasdjfdskjfkjkwjkweoewiroew-3.txt"), "A line\nand the user's own words");
}

TEST(IsWriteProtected, LinkOfTheScratchNameIsNeverWrittenThrough) {
    TempDir dir;
    dir.createFile("elsewhere.txt", "precious");
    dir.createFolder("folder");
    if (!kestrel::testing::MakeSymlink(dir.path("elsewhere.txt"), dir.path("folder/") + kScratch))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    std::string description;
    EXPECT_FALSE(IsWriteProtected(dir.path("folder"), description));
    EXPECT_EQ(dir.readFile("elsewhere.txt"), "precious");
    EXPECT_EQ(platform::statPath(dir.path("folder/") + kScratch, false).kind, platform::EntryKind::Symlink);
}

TEST(IsWriteProtected, FolderThatCannotBeWrittenIsProtectedWithTheReason) {
    TempDir dir;
    dir.createFolder("locked");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("locked").c_str(), 0555), 0);
        const struct {
            std::string path;
            const char* description;
        } cases[] = {
            {dir.path("missing/"), "Path not found"},
            {"", "Path not found"},
            {dir.path("locked/"), "Permission denied"},
        };
        for (const auto& c : cases) {
            std::string description;
            EXPECT_TRUE(IsWriteProtected(c.path, description)) << c.path;
            EXPECT_EQ(description, c.description) << c.path;
        }
    });
}

TEST(IsDriveWriteProtected, WritableFileSystemIsNot) {
    TempDir dir;
    EXPECT_FALSE(IsDriveWriteProtected(dir.path()));
}

TEST(GetDiskSpace, RootHasSpaceAndAnEmptyPathFails) {
    const platform::Result<DriveSpace> space = GetDiskSpace("/");
    ASSERT_TRUE(space.ok());
    const double freeBytes = space.value().freeBytes;
    const double totalBytes = space.value().totalBytes;
    EXPECT_GT(totalBytes, 0);
    EXPECT_GE(freeBytes, 0);
    EXPECT_LE(freeBytes, totalBytes);
    EXPECT_EQ(totalBytes, std::floor(totalBytes)) << "whole bytes";
    EXPECT_FALSE(GetDiskSpace("").ok());
}

TEST(GetDriveFreeSpace, ReadsTheDriveOfAPathNotMadeYet) {
    TempDir dir;
    EXPECT_GE(GetDriveFreeSpace(dir.path("report/not-yet.txt")), 0);
    EXPECT_EQ(GetDriveFreeSpace(""), -1);
}

TEST(GetClusterSize, AllocationUnitOrTheFailureCode) {
    TempDir dir;
    double freeBytes = 0;
    const std::int32_t size = GetClusterSize(dir.path(), freeBytes);
    if (size == -2) {
        EXPECT_EQ(freeBytes, -1);
    } else {
        EXPECT_GE(size, 512);
        EXPECT_LE(size, 65536);
        EXPECT_GE(freeBytes, 0);
    }
    EXPECT_EQ(GetClusterSize("", freeBytes), -1);
    EXPECT_EQ(freeBytes, -1);
}

TEST(FormatByteSize, UnitsFromTheirLowerThresholdOn) {
    NumberFormatGuard guard({",", ".", 3});
    const struct {
        double bytes;
        bool capital;
        const char* expected;
    } cases[] = {
        {0, false, "0 bytes"},
        {0, true, "0 Bytes"},
        {1, false, "1 bytes"},
        {1023, false, "1,023 bytes"},
        {1023, true, "1,023 Bytes"},
        {1024, false, "1.00 Kb"},
        {1536, true, "1.50 Kb"},
        {1048576, false, "1.00 Mb"},
        {1572864, false, "1.50 Mb"},
        {1073741824, false, "1.00 Gb"},
        {5497558138880.0, false, "5,120.00 Gb"},
        {-5, false, "-5 bytes"},
        {-2048, false, "-2,048 bytes"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatByteSize(c.bytes, c.capital), c.expected) << c.bytes;
}

TEST(FormatByteSize, FollowsTheNumberFormat) {
    NumberFormatGuard guard({".", ",", 3});
    EXPECT_EQ(FormatByteSize(1023, false), "1.023 bytes");
    EXPECT_EQ(FormatByteSize(1024, false), "1,00 Kb");
}

TEST(FreeSpaceText, FreeSpaceOfTheDriveOrNothing) {
    NumberFormatGuard guard({",", ".", 3});
    TempDir dir;
    ASSERT_TRUE(GetDiskSpace(dir.path()).ok());
    const std::string text = FreeSpaceText(dir.path());
    ASSERT_FALSE(text.empty());
    const std::string unit = text.substr(text.rfind(' ') + 1);
    EXPECT_TRUE(unit == "bytes" || unit == "Kb" || unit == "Mb" || unit == "Gb") << text;
    EXPECT_EQ(FreeSpaceText(""), "");
}
