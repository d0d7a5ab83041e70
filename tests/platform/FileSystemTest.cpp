#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <gtest/gtest.h>

#ifndef _WIN32
#include "support/Unprivileged.h"
#include <sys/stat.h>
#endif

using namespace kestrel::platform;
using namespace kestrel::testing;

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
    const bool link = MakeSymlink("f.txt", dir.path("link"));
    const Result<std::vector<DirectoryEntry>> read = readDirectory(dir.path());
    ASSERT_TRUE(read.ok());
    const std::vector<DirectoryEntry>& entries = read.value();
    ASSERT_EQ(entries.size(), link ? 3u : 2u);
    for (const auto& e : entries) {
        if (e.name == "f.txt")
            EXPECT_EQ(e.kind, EntryKind::Regular);
        else if (e.name == "sub")
            EXPECT_EQ(e.kind, EntryKind::Directory);
        else
            EXPECT_EQ(e.kind, EntryKind::Symlink);
    }
    const Result<std::vector<DirectoryEntry>> missing = readDirectory(dir.path("nothing/"));
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().number, err::PathNotFound);
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

#ifdef _WIN32 // a read-only file is kept as it is
    std::string locked = dir.createFile("locked/setup.zbk", "kept");
    SetReadOnly(locked);
    EXPECT_EQ(writeFileAtomically(locked, "lost?").number, err::PermissionDenied);
#else
    std::string folder = dir.createFolder("locked");
    std::string locked = dir.createFile("locked/setup.zbk", "kept");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        EXPECT_EQ(writeFileAtomically(locked, "lost?").number, err::PermissionDenied);
        ::chmod(folder.c_str(), 0755);
    });
#endif
    EXPECT_EQ(dir.readFile("locked/setup.zbk"), "kept");
}
