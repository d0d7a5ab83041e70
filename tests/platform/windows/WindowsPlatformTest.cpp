// What only the Windows platform has: attributes, drives, long paths, the folder lock.
#include "platform/DirectoryHandle.h"
#include "platform/Disk.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace kestrel::platform;
using kestrel::testing::TempDir;

namespace {

std::wstring Wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<std::size_t>(::MultiByteToWideChar(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), static_cast<int>(out.size()))));
    return out;
}

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW(Wide(path).c_str(), attributes)) << path;
}

DWORD AttributesOf(const std::string& path) {
    return ::GetFileAttributesW(Wide(path).c_str());
}

DirectoryHandle Folder(const std::string& path) {
    Result<DirectoryHandle> handle = DirectoryHandle::open(path);
    EXPECT_TRUE(handle.ok()) << path << ": " << handle.error().description;
    return std::move(handle).valueOr({});
}

TEST(WindowsStatus, ReadsTheReadOnlyHiddenAndSystemAttributes) {
    const struct {
        DWORD attributes;
        std::uint32_t expected;
    } cases[] = {
        {FILE_ATTRIBUTE_NORMAL, 0},
        {FILE_ATTRIBUTE_READONLY, file_attribute::ReadOnly},
        {FILE_ATTRIBUTE_HIDDEN, file_attribute::Hidden},
        {FILE_ATTRIBUTE_SYSTEM, file_attribute::System},
        {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         file_attribute::ReadOnly | file_attribute::Hidden | file_attribute::System},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        TempDir dir;
        const std::string path = dir.createFile("f.txt", "x");
        SetAttributes(path, c.attributes);
        const FileStatus status = statPath(path);
        EXPECT_EQ(status.attributes, c.expected);
        EXPECT_EQ((status.mode & 0200) == 0, (c.attributes & FILE_ATTRIBUTE_READONLY) != 0);
        EXPECT_EQ(Folder(dir.path()).statChild("f.txt").attributes, c.expected);
        SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    }
}

// Only the file named loses its ReadOnly attribute; its neighbour and a file with a second
// name keep theirs.
TEST(WindowsStatus, ClearingReadOnlyTouchesOnlyTheFileNamed) {
    TempDir dir;
    const std::string a = dir.createFile("a.txt", "a");
    const std::string b = dir.createFile("b.txt", "b");
    const std::string shared = dir.createFile("shared.txt", "s");
    ASSERT_TRUE(::CreateHardLinkW(Wide(dir.path("second.txt")).c_str(), Wide(shared).c_str(), nullptr));
    for (const std::string& path : {a, b, shared})
        SetAttributes(path, FILE_ATTRIBUTE_READONLY);
    const DirectoryHandle folder = Folder(dir.path());

    ASSERT_FALSE(folder.setChildFileMode("a.txt", statPath(a).mode | 0200));
    EXPECT_EQ(folder.setChildFileMode("shared.txt", statPath(shared).mode | 0200).number,
              err::PathFileAccess);

    EXPECT_EQ(AttributesOf(a) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(AttributesOf(b) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(AttributesOf(shared) & FILE_ATTRIBUTE_READONLY, 0u);
    for (const std::string& path : {b, shared})
        SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsDisk, APathLiesOnItsDrive) {
    TempDir dir;
    const std::string drive = dir.path().substr(0, 2) + "\\";
    ASSERT_EQ(drive[1], ':');
    for (const char* relative : {"", "missing/deeper/", "missing.txt"})
        EXPECT_EQ(mountPointOf(dir.path(relative)), drive) << relative;
    const Result<DiskSpace> space = diskSpace(dir.path("not/yet/made/"));
    ASSERT_TRUE(space.ok()) << space.error().description;
    EXPECT_GT(space.value().total, 0u);
    EXPECT_GT(space.value().blockSize, 0u) << "the cluster size";
    EXPECT_FALSE(isMountedReadOnly(dir.path()));
}

// The copy keeps the source's last-write time to the 100 ns step and its System attribute;
// it is never hidden, and never read-only, so the next run can replace it.
TEST(WindowsCopy, KeepsTheLastWriteTimeAndSystemButNeitherHiddenNorReadOnly) {
    TempDir dir;
    const std::string source = dir.createFile("src/a.txt", "content");
    ASSERT_FALSE(setModificationTime(source, 1700000000, 123456700));
    SetAttributes(source, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);

    const CopyResult result = copyFileInto(source, Folder(dir.createFolder("dst")), "a.txt");

    ASSERT_TRUE(result.copied()) << result.error.description;
    const FileStatus copy = statPath(dir.path("dst/a.txt"));
    EXPECT_EQ(copy.mtimeSeconds, 1700000000);
    EXPECT_EQ(copy.mtimeNanoseconds, 123456700);
    EXPECT_EQ(copy.attributes, file_attribute::System);
    SetAttributes(source, FILE_ATTRIBUTE_NORMAL);
}

// Names beyond the Latin alphabet and paths longer than MAX_PATH are copied like any other.
TEST(WindowsCopy, CopiesNonLatinNamesAndPathsLongerThanMaxPath) {
    TempDir dir;
    std::string deep = dir.path();
    while (deep.size() < 300)
        deep += "folder with a long name 0123456789/";
    const std::string names[] = {"\xc3\x9cml\xc3\xa4ut, comma.txt",
                                 "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt",
                                 "\xd0\x9a\xd0\xb8\xd1\x80\xd0\xb8\xd0\xbb\xd0\xbb\xd0\xb8\xd1\x86\xd0\xb0"};
    std::string made = dir.path();
    for (std::size_t at = dir.path().size(); at < deep.size();) {
        const std::size_t end = deep.find('/', at);
        made = deep.substr(0, end + 1);
        ASSERT_FALSE(makeDirectory(made)) << made.size();
        at = end + 1;
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string source = dir.createFile(name, "data of " + name);
        const CopyResult result = copyFileInto(source, Folder(deep), name);
        ASSERT_TRUE(result.copied()) << result.error.description;
        const FileStatus copy = statPath(deep + name);
        EXPECT_TRUE(copy.isRegular());
        EXPECT_EQ(copy.size, static_cast<std::int64_t>(("data of " + name).size()));
        EXPECT_TRUE(statPath(Folder(deep).pathOfChild(name)).isRegular()) << "the folder's own path names it";
    }
    const Result<std::vector<DirectoryEntry>> entries = Folder(deep).readEntries();
    ASSERT_TRUE(entries.ok()) << entries.error().description;
    EXPECT_EQ(entries.value().size(), 3u);
}

// "." opens the folder itself again (the engine starts its walk of the target so); ".." and a
// path of several names never lead anywhere.
TEST(WindowsFolder, DotIsTheFolderItselfAndNothingLeadsOutOfIt) {
    TempDir dir;
    dir.createFile("inner/a.txt", "a");
    const DirectoryHandle inner = Folder(dir.path("inner"));
    const Result<DirectoryHandle> self = inner.openChild(".");
    ASSERT_TRUE(self.ok()) << self.error().description;
    EXPECT_EQ(self.value().status().inode, inner.status().inode);
    EXPECT_TRUE(self.value().statChild("a.txt").isRegular());
    for (const char* name : {"..", "../inner", "..\\inner", "a/b"}) {
        const Result<DirectoryHandle> out = inner.openChild(name);
        EXPECT_FALSE(out.ok()) << name;
        EXPECT_TRUE(out.error()) << name;
    }
}

// The lock is refused to a second handle of the same folder, in this process as in any other,
// until the first closes.
TEST(WindowsLock, ASecondHandleOfTheFolderIsRefusedUntilTheFirstCloses) {
    TempDir dir;
    for (int round = 0; round < 100; ++round) {
        DirectoryHandle first = Folder(dir.path());
        const DirectoryHandle second = Folder(dir.path());
        ASSERT_TRUE(first.tryLockExclusive());
        EXPECT_FALSE(second.tryLockExclusive());
        first = DirectoryHandle();
        EXPECT_TRUE(second.tryLockExclusive()) << round;
    }
    const DirectoryHandle other = Folder(dir.createFolder("other"));
    const DirectoryHandle held = Folder(dir.path());
    EXPECT_TRUE(held.tryLockExclusive());
    EXPECT_TRUE(other.tryLockExclusive()) << "another folder has a lock of its own";
}

} // namespace
