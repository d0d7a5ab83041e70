#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kestrel::platform;
using kestrel::testing::RunAsUnprivileged;
using kestrel::testing::TempDir;

TEST(CopyFileAtomically, CopiesContentPermissionsAndModificationTime) {
    TempDir dir;
    std::string source = dir.createFile("src/a.txt", "hello", 1700000000);
    ::chmod(source.c_str(), 0444);
    std::string target = dir.createFolder("dst") + "a.txt";

    CopyResult result = copyFileAtomically(source, target, true);

    ASSERT_FALSE(result.error) << result.error.description;
    EXPECT_EQ(result.bytesCopied, 5);
    EXPECT_EQ(dir.readFile("dst/a.txt"), "hello");
    FileStatus status = statPath(target);
    EXPECT_EQ(status.mtimeSeconds, 1700000000);
    EXPECT_EQ(status.mode & 0777, 0644u) << "the owner's write permission is added";
}

TEST(CopyFileAtomically, FailedCopyLeavesTheEarlierBackupWhole) {
    TempDir dir;
    std::string source = dir.createFile("a.txt", "new content");
    std::string target = dir.createFile("b.txt", "old backup");
    setCopyFaultForTesting([](const std::string&, const std::string&) { return Error::of(err::DiskFull); });
    CopyResult result = copyFileAtomically(source, target, true);
    setCopyFaultForTesting(nullptr);

    EXPECT_EQ(result.error.number, err::DiskFull);
    EXPECT_EQ(dir.readFile("b.txt"), "old backup");
}

TEST(CopyFileAtomically, MissingSourceIsFileNotFoundAndTargetStays) {
    TempDir dir;
    std::string target = dir.createFile("b.txt", "old backup");
    CopyResult result = copyFileAtomically(dir.path("missing"), target, true);
    EXPECT_EQ(result.error.number, err::FileNotFound);
    EXPECT_EQ(dir.readFile("b.txt"), "old backup");
}

TEST(CopyFileAtomically, WithoutOverwriteAnExistingTargetIsRefused) {
    TempDir dir;
    std::string source = dir.createFile("a.txt", "new");
    std::string target = dir.createFile("b.txt", "old");
    EXPECT_EQ(copyFileAtomically(source, target, false).error.number, err::FileAlreadyExists);
    EXPECT_EQ(dir.readFile("b.txt"), "old");
}

TEST(CopyFileAtomically, LeftoverPartialCopyIsTakenOverAndGone) {
    TempDir dir;
    std::string source = dir.createFile("a.txt", "content");
    std::string target = dir.path("b.txt");
    std::string partial = partialCopyPath(target);
    dir.createFile(partial.substr(dir.path().size()), "half of an old copy");
    ASSERT_FALSE(copyFileAtomically(source, target, true).error);
    EXPECT_FALSE(statPath(partial).exists());
    EXPECT_EQ(dir.readFile("b.txt"), "content");
}

TEST(PartialCopyName, IsRecognisedAndFitsBesideLongNames) {
    std::string longName(255, 'x');
    std::string partial = partialCopyPath("/t/" + longName);
    std::string name = partial.substr(3);
    EXPECT_TRUE(isPartialCopyName(name));
    EXPECT_LT(name.size(), 64u);
    EXPECT_FALSE(isPartialCopyName("report.txt"));
    EXPECT_NE(partialCopyPath("/t/a"), partialCopyPath("/t/b"));
}

TEST(DirectoryReader, ListsEntriesWithKindsAndReportsMissingFolder) {
    TempDir dir;
    dir.createFile("f.txt");
    dir.createFolder("sub");
    ::symlink("f.txt", dir.path("link").c_str());
    std::vector<DirectoryEntry> entries;
    Error error;
    ASSERT_TRUE(readDirectory(dir.path(), entries, error));
    ASSERT_EQ(entries.size(), 3u);
    for (const auto& e : entries) {
        if (e.name == "f.txt")
            EXPECT_EQ(e.kind, EntryKind::Regular);
        else if (e.name == "sub")
            EXPECT_EQ(e.kind, EntryKind::Directory);
        else
            EXPECT_EQ(e.kind, EntryKind::Symlink);
    }
    EXPECT_FALSE(readDirectory(dir.path("nothing/"), entries, error));
    EXPECT_EQ(error.number, err::PathNotFound);
}

TEST(ErrorNumbers, MapFromErrno) {
    struct Case {
        int errnoValue;
        bool forFolder;
        int number;
    } cases[] = {{EACCES, false, 70}, {EPERM, false, 70},  {EROFS, false, 70},        {ENOENT, false, 53},
                 {ENOENT, true, 76},  {ENOTDIR, true, 76}, {ENOSPC, false, 61},       {EEXIST, false, 58},
                 {EILSEQ, false, 52}, {EIO, false, 57},    {ENAMETOOLONG, false, 52}, {EBUSY, false, 75}};
    for (const Case& c : cases)
        EXPECT_EQ(errorNumberFromErrno(c.errnoValue, c.forFolder), c.number) << c.errnoValue;
    EXPECT_EQ(errorDescription(70), "Permission denied");
    EXPECT_EQ(errorDescription(76), "Path not found");
}

TEST(WriteFileAtomically, ReplacesContentAndAFailedSaveKeepsTheOldFile) {
    TempDir dir;
    std::string path = dir.createFile("setup.zbk", "old");
    ASSERT_FALSE(writeFileAtomically(path, "new content"));
    EXPECT_EQ(dir.readFile("setup.zbk"), "new content");

    std::string folder = dir.createFolder("locked");
    std::string locked = dir.createFile("locked/setup.zbk", "kept");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        EXPECT_EQ(writeFileAtomically(locked, "lost?").number, err::PermissionDenied);
        ::chmod(folder.c_str(), 0755);
    });
    EXPECT_EQ(dir.readFile("locked/setup.zbk"), "kept");
}

// A copy killed part-way (the process gone, nothing cleaned up) must leave the earlier backup
// copy whole: the new data only ever lands under the partial-copy name.
TEST(CopyFileAtomically, KilledCopyLeavesTheEarlierBackupWhole) {
    TempDir dir;
    const std::string newContent(96 << 20, 'N');
    const std::string oldContent = "the previous backup copy";
    std::string source = dir.createFile("big.bin", newContent);
    std::string target = dir.createFile("backup/big.bin", oldContent);
    const std::string partial = partialCopyPath(target);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        copyFileAtomically(source, target, true);
        ::_exit(0);
    }
    bool sawPartial = false;
    for (int i = 0; i < 20000 && !sawPartial; ++i) {
        sawPartial = statPath(partial, false).exists();
        if (!sawPartial)
            ::usleep(50);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);

    const std::string after = dir.readFile("backup/big.bin");
    if (WIFSIGNALED(status))
        EXPECT_EQ(after, oldContent) << "killed during the copy";
    else
        EXPECT_EQ(after.size(), newContent.size()) << "the copy ended before the kill: whole new data";
    EXPECT_TRUE(after == oldContent || after == newContent);

    // The next copy takes over what the killed one left behind.
    ASSERT_FALSE(copyFileAtomically(source, target, true).error);
    EXPECT_FALSE(statPath(partial, false).exists());
    EXPECT_EQ(dir.readFile("backup/big.bin").size(), newContent.size());
}
