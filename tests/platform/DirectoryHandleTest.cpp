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
    Error error;
    const DirectoryHandle folder = DirectoryHandle::open(dir.path(), error);
    ASSERT_TRUE(folder.valid()) << error.description;
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
    Error error;
    DirectoryHandle first = DirectoryHandle::open(dir.path("inner"), error);
    ASSERT_TRUE(first.valid()) << error.description;
    const DirectoryHandle second = first.duplicate(error);
    ASSERT_TRUE(second.valid()) << error.description;
    first = DirectoryHandle();
    EXPECT_EQ(second.statChild("a.txt").size, 3);
    EXPECT_FALSE(DirectoryHandle().duplicate(error).valid());
    EXPECT_TRUE(error);
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
    Error error;
    const DirectoryHandle folder = DirectoryHandle::open(dir.path("big"), error);
    ASSERT_TRUE(folder.valid()) << error.description;
    for (int read = 0; read < 2; ++read) {
        std::vector<DirectoryEntry> entries;
        ASSERT_TRUE(folder.readEntries(entries, error)) << error.description;
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
