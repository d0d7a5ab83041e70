#include "platform/DirectoryHandle.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace kestrel::platform;
using namespace kestrel::testing;

// The source is read by name through its folder's handle: a link to a file reads as that file
// when followed, as a link when not; what is missing or leads nowhere reads as not found.
TEST(DirectoryHandleTest, StatsAnEntryByNameAsItselfOrAsWhatItLeadsTo) {
    TempDir dir;
    dir.createFile("file.txt", "12345");
    dir.createFolder("folder");
    const bool links = CanMakeSymlinks() && MakeSymlink(dir.path("file.txt"), dir.path("to file")) &&
                       MakeSymlink(dir.path("gone"), dir.path("dangling")) &&
                       MakeSymlink(dir.path("folder"), dir.path("to folder"), true);
    struct Case {
        const char* name;
        bool link;
        EntryKind itself;
        EntryKind followed;
        std::int64_t followedSize;
    };
    const Case cases[] = {
        {"file.txt", false, EntryKind::Regular, EntryKind::Regular, 5},
        {"folder", false, EntryKind::Directory, EntryKind::Directory, -1},
        {"missing", false, EntryKind::Missing, EntryKind::Missing, -1},
        {"to file", true, EntryKind::Symlink, EntryKind::Regular, 5},
        {"dangling", true, EntryKind::Symlink, EntryKind::Missing, -1},
        {"to folder", true, EntryKind::Symlink, EntryKind::Directory, -1},
    };
    Result<DirectoryHandle> opened = DirectoryHandle::open(dir.path());
    ASSERT_TRUE(opened.ok()) << opened.error().description;
    const DirectoryHandle folder = std::move(opened).value();
    for (const Case& c : cases) {
        if (c.link && !links)
            continue;
        SCOPED_TRACE(c.name);
        EXPECT_EQ(folder.statChild(c.name).kind, c.itself);
        const FileStatus followed = folder.statChildFollowingLinks(c.name);
        EXPECT_EQ(followed.kind, c.followed);
        if (c.followedSize >= 0) {
            EXPECT_EQ(followed.size, c.followedSize);
        }
        EXPECT_EQ(followed.notFound, c.followed == EntryKind::Missing);
    }
}

TEST(DirectoryHandleTest, ADuplicateServesTheSameFolderAfterTheFirstHandleCloses) {
    TempDir dir;
    dir.createFile("inner/a.txt", "abc");
    Result<DirectoryHandle> opened = DirectoryHandle::open(dir.path("inner"));
    ASSERT_TRUE(opened.ok()) << opened.error().description;
    DirectoryHandle first = std::move(opened).value();
    Result<DirectoryHandle> duplicated = first.duplicate();
    ASSERT_TRUE(duplicated.ok()) << duplicated.error().description;
    const DirectoryHandle second = std::move(duplicated).value();
    first = DirectoryHandle();
    EXPECT_EQ(second.statChild("a.txt").size, 3);
    const Result<DirectoryHandle> ofNothing = DirectoryHandle().duplicate();
    EXPECT_FALSE(ofNothing.ok());
    EXPECT_TRUE(ofNothing.error());
}

// A folder larger than one read of the kernel's entries is read whole, every time it is read,
// with each entry's kind and without "." and "..".
TEST(DirectoryHandleTest, ReadsEveryEntryOfALargeFolderOnEveryRead) {
    TempDir dir;
    std::set<std::string> expected;
    for (int i = 0; i < 1500; ++i) {
        const std::string name = std::string(60, 'n') + std::to_string(i);
        dir.createFile("big/" + name, "");
        expected.insert(name);
    }
    dir.createFolder("big/sub");
    expected.insert("sub");
    Result<DirectoryHandle> opened = DirectoryHandle::open(dir.path("big"));
    ASSERT_TRUE(opened.ok()) << opened.error().description;
    const DirectoryHandle folder = std::move(opened).value();
    for (int read = 0; read < 2; ++read) {
        const Result<std::vector<DirectoryEntry>> listed = folder.readEntries();
        ASSERT_TRUE(listed.ok()) << listed.error().description;
        const std::vector<DirectoryEntry>& entries = listed.value();
        std::set<std::string> names;
        for (const DirectoryEntry& entry : entries) {
            names.insert(entry.name);
            EXPECT_EQ(entry.kind, entry.name == "sub" ? EntryKind::Directory : EntryKind::Regular)
                << entry.name;
        }
        EXPECT_EQ(names.size(), entries.size()) << "no entry twice";
        EXPECT_EQ(names, expected);
    }
}

TEST(DirectoryHandleTest, AHandleAndItsDuplicateEachReadTheWholeFolder) {
    TempDir dir;
    const std::set<std::string> expected = {"a", "b", "c"};
    for (const std::string& name : expected)
        dir.createFile("f/" + name, "");
    const auto namesOf = [](const DirectoryHandle& handle) {
        const Result<std::vector<DirectoryEntry>> listed = handle.readEntries();
        std::set<std::string> names;
        for (const DirectoryEntry& entry : listed.valueOr({}))
            names.insert(entry.name);
        return names;
    };
    // Whichever of the two reads first, the other does not start where that read ended.
    for (const bool duplicateFirst : {true, false}) {
        Result<DirectoryHandle> opened = DirectoryHandle::open(dir.path("f"));
        ASSERT_TRUE(opened.ok()) << opened.error().description;
        const DirectoryHandle original = std::move(opened).value();
        Result<DirectoryHandle> copied = original.duplicate();
        ASSERT_TRUE(copied.ok()) << copied.error().description;
        const DirectoryHandle duplicate = std::move(copied).value();
        const DirectoryHandle& first = duplicateFirst ? duplicate : original;
        const DirectoryHandle& second = duplicateFirst ? original : duplicate;
        EXPECT_EQ(namesOf(first), expected) << duplicateFirst;
        EXPECT_EQ(namesOf(second), expected) << duplicateFirst;
        EXPECT_EQ(namesOf(first), expected) << duplicateFirst;
    }
}
