#include "platform/TargetFileSystem.h"
#include "platform/DirectoryHandle.h"
#include "platform/FileCopy.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kestrel::platform;
using kestrel::testing::TempDir;

namespace {

// Mount types exactly as /proc/self/mountinfo prints them for the disks desktop users back up to,
// and what a file system of that type is taken to be before anything is tried on it.
TEST(PresumedTraits, EachMountTypeAsTheMountTablePrintsIt) {
    constexpr std::int64_t second = TimeKeeping::kSecond;
    const struct {
        const char* type;
        bool hardLinks;
        bool unnamedFiles;
        std::int64_t timeStep;
        bool windowsNames;
        bool ignoresCase;
        std::int64_t maxFileSize;
    } cases[] = {
        {"vfat", false, false, 2 * second, true, true, 0xFFFFFFFFLL},
        {"msdos", false, false, 2 * second, true, true, 0xFFFFFFFFLL},
        {"fuse.fusefat", false, false, 2 * second, true, true, 0xFFFFFFFFLL},
        {"exfat", false, false, 10000000, true, true, INT64_MAX},
        {"ntfs3", true, false, 100, false, false, INT64_MAX},
        // exfat-fuse and ntfs-3g of a block device, ntfs-3g of an image: either file system, so
        // everything is found by trying, times too.
        {"fuseblk", true, false, 0, false, false, INT64_MAX},
        {"fuse", true, false, 0, false, false, INT64_MAX},
        {"nfs", true, false, 1, false, false, INT64_MAX},
        {"nfs4", true, false, 1, false, false, INT64_MAX},
        {"cifs", false, false, 100, true, true, INT64_MAX},
        {"fuse.sshfs", true, false, second, false, false, INT64_MAX},
        {"ext4", true, true, 1, false, false, INT64_MAX},
        {"btrfs", true, true, 1, false, false, INT64_MAX},
        {"", true, true, 1, false, false, INT64_MAX},
    };
    for (const auto& c : cases) {
        const FileSystemTraits traits = presumedTraitsOf(c.type);
        EXPECT_EQ(traits.type, c.type);
        EXPECT_EQ(traits.hardLinks, c.hardLinks) << c.type;
        EXPECT_EQ(traits.unnamedFiles, c.unnamedFiles) << c.type;
        EXPECT_EQ(traits.times.step, c.timeStep) << c.type;
        EXPECT_EQ(traits.times.fatTimes(), c.timeStep == 2 * second) << c.type;
        EXPECT_EQ(traits.windowsNames, c.windowsNames) << c.type;
        EXPECT_EQ(traits.ignoresCase, c.ignoresCase) << c.type;
        EXPECT_EQ(traits.maxFileSize, c.maxFileSize) << c.type;
    }
}

TEST(TimeKeeping, StoresATimeAsTheFileSystemDoes) {
    const std::int64_t t = 1600000001LL * TimeKeeping::kSecond + 987654351;
    const struct {
        TimeKeeping keeping;
        std::int64_t stored;
    } cases[] = {
        {{1, false}, t},
        {{100, false}, t - 51},
        {{10000000, false}, t - 7654351},
        {{TimeKeeping::kSecond, false}, 1600000001LL * TimeKeeping::kSecond},
        {{TimeKeeping::kSecond, true}, 1600000002LL * TimeKeeping::kSecond},
        {{TimeKeeping::kFatStep, false}, 1600000000LL * TimeKeeping::kSecond},
        {{TimeKeeping::kFatStep, true}, 1600000002LL * TimeKeeping::kSecond},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.keeping.stored(t), c.stored) << c.keeping.step << (c.keeping.rounds ? " rounded" : "");
    // Before 1970 a step still goes down.
    EXPECT_EQ((TimeKeeping{TimeKeeping::kSecond, false}).stored(-1), -TimeKeeping::kSecond);
}

TEST(NameProblem, WhatAWindowsFileSystemCannotHoldInAName) {
    FileSystemTraits fat = presumedTraitsOf("vfat");
    FileSystemTraits ext4 = presumedTraitsOf("ext4");
    const std::string long255(255, 'x');
    const std::string long256(256, 'x');
    std::string accented; // 200 characters of two bytes each: 400 bytes, 200 UTF-16 units
    for (int i = 0; i < 200; ++i)
        accented += "\xC3\xA9";
    const struct {
        std::string name;
        NameProblem onFat;
        NameProblem onExt4;
    } cases[] = {
        {"report.txt", NameProblem::None, NameProblem::None},
        {"a:b.txt", NameProblem::Characters, NameProblem::None},
        {"what?.txt", NameProblem::Characters, NameProblem::None},
        {"a\\b", NameProblem::Characters, NameProblem::None},
        {"quote\".txt", NameProblem::Characters, NameProblem::None},
        {"pipe|<>*", NameProblem::Characters, NameProblem::None},
        {"line\nbreak", NameProblem::Characters, NameProblem::None},
        {"ends in a dot.", NameProblem::TrailingDotOrBlank, NameProblem::None},
        {"ends in a blank ", NameProblem::TrailingDotOrBlank, NameProblem::None},
        {".hidden", NameProblem::None, NameProblem::None},
        {long255, NameProblem::None, NameProblem::None},
        {long256, NameProblem::Length, NameProblem::Length},
        {accented, NameProblem::None, NameProblem::Length},
        {"caf\xC3\xA9 cr\xC3\xA8me.txt", NameProblem::None, NameProblem::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nameProblemOn(fat, c.name), c.onFat) << c.name.substr(0, 40);
        EXPECT_EQ(nameProblemOn(ext4, c.name), c.onExt4) << c.name.substr(0, 40);
    }
}

TEST(CaseFoldedName, NamesThatACaseBlindFileSystemTakesForOne) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows folds by its own upper-case table";
#endif
    EXPECT_EQ(caseFoldedName("Photo.JPG"), caseFoldedName("photo.jpg"));
    EXPECT_EQ(caseFoldedName("\xC5\x81\xC3\x93\x44\xC5\xB9"),
              caseFoldedName("\xC5\x82\xC3\xB3\x64\xC5\xBA")); // ŁÓDŹ, łódź
    EXPECT_EQ(caseFoldedName("\xCE\x91\xCE\x98\xCE\x97\xCE\x9D\xCE\x91"),
              caseFoldedName("\xCE\xB1\xCE\xB8\xCE\xB7\xCE\xBD\xCE\xB1")); // ΑΘΗΝΑ, αθηνα
    EXPECT_NE(caseFoldedName("photo1.jpg"), caseFoldedName("photo2.jpg"));
    // Bytes that are no UTF-8 stay apart unless only their ASCII letters differ in case.
    EXPECT_NE(caseFoldedName("a\xFF.txt"), caseFoldedName("a\xFE.txt"));
    EXPECT_EQ(caseFoldedName("A\xFF.TXT"), caseFoldedName("a\xFF.txt"));
}

TEST(LearnTraits, AFolderOfThisMachineIsTriedAndKeepsNothingOfTheTrial) {
#ifdef _WIN32
    GTEST_SKIP() << "every Windows file system takes Windows names and ignores case";
#endif
    TempDir dir;
    dir.createFolder("target");
    Result<DirectoryHandle> opened = openDirectory(dir.path("target"));
    ASSERT_TRUE(opened.ok()) << opened.error().description;
    const DirectoryHandle folder = std::move(opened).value();

    const FileSystemTraits traits = learnTraitsOf(folder);

    // The test's own folder lies on a Linux file system: exact times, any name, case kept.
    EXPECT_FALSE(traits.type.empty());
    EXPECT_GE(traits.times.step, 1);
    EXPECT_LE(traits.times.step, TimeKeeping::kSecond) << traits.type;
    EXPECT_FALSE(traits.times.fatTimes());
    EXPECT_FALSE(traits.windowsNames) << traits.type;
    EXPECT_FALSE(traits.ignoresCase) << traits.type;
    EXPECT_TRUE(kestrel::testing::NamesIn(dir.path("target")).empty()) << "the trial's files are gone";
}

TEST(LearnTraits, TheStandInAnswersWhileItsGuardLives) {
    TempDir dir;
    const DirectoryHandle folder = openDirectory(dir.path()).valueOr({});
    {
        ScopedFileSystemTraitsForTesting fat(presumedTraitsOf("vfat"));
        const FileSystemTraits traits = learnTraitsOf(folder);
        EXPECT_TRUE(traits.times.fatTimes());
        EXPECT_FALSE(traits.hardLinks);
        EXPECT_FALSE(traits.unnamedFiles);
    }
    EXPECT_FALSE(learnTraitsOf(folder).times.fatTimes());
}

// A kernel FAT stick stood in for: no hard links and no unnamed files, so a new copy takes its
// name by a rename that never replaces, and a copy over an older one by a rename over it.
TEST(CopyWithoutHardLinks, NewAndReplacingCopiesAreWholeAndLeaveNoTemporaryFile) {
    TempDir dir;
    const std::string source = dir.createFile("source.txt", "new content");
    dir.createFolder("target");
    dir.createFile("target/old.txt", "old");
    const DirectoryHandle folder = openDirectory(dir.path("target")).valueOr({});
    ScopedFileSystemTraitsForTesting fat(presumedTraitsOf("vfat"));

    EXPECT_TRUE(copyFileInto(source, folder, "new.txt").copied());
    EXPECT_TRUE(copyFileInto(source, folder, "old.txt").copied());
    CopyOptions keep;
    keep.overwrite = false;
    const CopyResult refused = copyFileInto(source, folder, "new.txt", keep);

    EXPECT_EQ(refused.error.number, err::FileAlreadyExists);
    EXPECT_EQ(dir.readFile("target/new.txt"), "new content");
    EXPECT_EQ(dir.readFile("target/old.txt"), "new content");
    EXPECT_EQ(kestrel::testing::NamesIn(dir.path("target")),
              (std::vector<std::string>{"new.txt", "old.txt"}));
}

TEST(TemporaryCopyName, TheTargetsNameProbeIsSweptLikeACopy) {
    const std::string name = temporaryCopyName();
    EXPECT_TRUE(isTemporaryCopyName(name + ":"));
    EXPECT_FALSE(isTemporaryCopyName(name + "::"));
    EXPECT_FALSE(isTemporaryCopyName(name + "x"));
}

} // namespace
