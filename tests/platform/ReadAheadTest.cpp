#include "platform/ReadAhead.h"
#include "support/Gate.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

using namespace kestrel::platform;
using namespace kestrel::testing;

namespace {

// The names the reader read ahead, in its order.
class ReadNames {
public:
    void add(const std::string& name) {
        const std::lock_guard<std::mutex> lock(mutex_);
        names_.push_back(name);
    }
    std::vector<std::string> names() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return names_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> names_;
};

std::string NameOf(int i) {
    return "file " + std::to_string(i);
}

// A folder of files with the given sizes, named "file 0", "file 1" ..., and the queue of them.
std::vector<FileAhead> MakeFiles(const TempDir& dir, const std::vector<std::int64_t>& sizes) {
    std::vector<FileAhead> files;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        dir.createFile("folder/" + NameOf(static_cast<int>(i)),
                       std::string(static_cast<std::size_t>(sizes[i]), 'x'));
        files.push_back({NameOf(static_cast<int>(i)), sizes[i]});
    }
    return files;
}

} // namespace

TEST(ReadAheadTest, ReadsTheFilesAfterTheWalksOneInOrderWithinItsLimits) {
    struct Case {
        const char* what;
        ReadAhead::Limits limits;
        std::vector<std::int64_t> sizes;
        std::vector<std::size_t> reached; // the walk's positions, one after the other
        std::vector<int> read;            // the files read ahead by then, in order
    };
    const std::vector<Case> cases = {
        {"three files ahead", {3, 1 << 20}, std::vector<std::int64_t>(10, 10), {0}, {1, 2, 3}},
        {"moves on with the walk, past what it skipped",
         {3, 1 << 20},
         std::vector<std::int64_t>(10, 10),
         {0, 5},
         {1, 2, 3, 6, 7, 8}},
        {"stops at the end of the folder",
         {32, 1 << 20},
         std::vector<std::int64_t>(4, 10),
         {0, 2},
         {1, 2, 3}},
        {"bytes ahead bounded", {32, 25}, std::vector<std::int64_t>(10, 10), {0}, {1, 2}},
        {"a large next file is read in part, and alone", {32, 25}, {10, 100, 10, 10}, {0}, {1}},
        {"nothing without limits", {0, 1 << 20}, std::vector<std::int64_t>(4, 10), {0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::vector<FileAhead> files = MakeFiles(dir, c.sizes);
        const DirectoryHandle folder = DirectoryHandle::open(dir.path("folder")).valueOr({});
        ASSERT_TRUE(folder.valid());
        ReadNames read;
        const ScopedReadAheadForTesting seam([&read](const std::string& name) { read.add(name); });
        ReadAhead ahead(c.limits);
        ahead.queueFolder(folder, files);
        for (const std::size_t index : c.reached) {
            ahead.reached(index);
            ahead.waitUntilIdle();
        }
        std::vector<std::string> expected;
        for (const int i : c.read)
            expected.push_back(NameOf(i));
        EXPECT_EQ(read.names(), expected);
    }
}

TEST(ReadAheadTest, CancelStopsTheReaderAtOnceAndLeavesNothingOpen) {
    struct Case {
        const char* what;
        bool nextFolder; // the reader is in the next folder, else in the queued one's files
    };
    for (const Case& c : {Case{"in the queued files", false}, Case{"in the next folder", true}}) {
        SCOPED_TRACE(c.what);
#ifdef _WIN32
        if (c.nextFolder)
            continue; // Windows reads no folder ahead
#endif
        TempDir dir;
        const std::vector<FileAhead> files = MakeFiles(dir, std::vector<std::int64_t>(8, 100));
        for (int i = 0; i < 8; ++i)
            dir.createFile("parent/next/next " + std::to_string(i), std::string(100, 'x'));
#ifdef __linux__
        const std::size_t before = OpenHandles();
#endif
        {
            const DirectoryHandle folder =
                DirectoryHandle::open(dir.path(c.nextFolder ? "parent" : "folder")).valueOr({});
            ASSERT_TRUE(folder.valid());
            ReadNames read;
            const auto gate = Gate::make();
            const ScopedReadAheadForTesting seam([&read, gate](const std::string& name) {
                read.add(name);
                gate->pass();
            });
            ReadAhead ahead;
            if (c.nextFolder) {
                // The walk left a folder with nothing to copy: the reader goes into the next one.
                ahead.queueNextFolder(folder, "next");
            } else {
                ahead.queueFolder(folder, files);
                ahead.reached(0);
            }
            // The reader holds its first file open.
            ASSERT_TRUE(gate->waitForArrivals(1));
            ahead.cancel();
            gate->open();
            ahead.waitUntilIdle();
            const std::vector<std::string> names = read.names();
            ASSERT_EQ(names.size(), 1u);
            if (!c.nextFolder)
                EXPECT_EQ(names.front(), NameOf(1));
#ifdef __linux__
            // The walk's own folder handle is all that stays open.
            EXPECT_EQ(OpenHandles(), before + 1);
#endif
        }
#ifdef __linux__
        EXPECT_EQ(OpenHandles(), before);
#endif
    }
}

TEST(ReadAheadTest, GoesOnIntoTheNextFolderOnceTheQueuedFilesAreRead) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows reads no folder ahead: it reads ahead within each file by itself";
#endif
    struct Case {
        const char* what;
        ReadAhead::Limits limits;
        int nextFiles;
        std::vector<std::string> read; // after the queued folder's files
    };
    const std::vector<Case> cases = {
        {"every file of the next folder", {32, 1 << 20}, 3, {"next 0", "next 1", "next 2"}},
        // The queued folder's file still ahead of the walk counts within the limits.
        {"no more files ahead in all than the limit", {2, 1 << 20}, 5, {"next 0"}},
        {"no more bytes ahead in all than the limit, of the last file its start",
         {32, 250},
         5,
         {"next 0", "next 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::vector<FileAhead> files = MakeFiles(dir, {100, 100});
        std::set<std::string> expectedNext(c.read.begin(), c.read.end());
        for (int i = 0; i < c.nextFiles; ++i)
            dir.createFile("parent/next/next " + std::to_string(i), std::string(100, 'x'));
        dir.createFolder("parent/next/a subfolder");
        const DirectoryHandle folder = DirectoryHandle::open(dir.path("folder")).valueOr({});
        const DirectoryHandle parent = DirectoryHandle::open(dir.path("parent")).valueOr({});
        ASSERT_TRUE(folder.valid() && parent.valid());
        ReadNames read;
        const ScopedReadAheadForTesting seam([&read](const std::string& name) { read.add(name); });
        ReadAhead ahead(c.limits);
        ahead.queueFolder(folder, files);
        ahead.queueNextFolder(parent, "next");
        ahead.reached(0);
        ahead.waitUntilIdle();
        const std::vector<std::string> names = read.names();
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.front(), NameOf(1)) << "the queued folder's file comes first";
        // The next folder is read in its own order, which the file system chooses.
        const std::set<std::string> next(names.begin() + 1, names.end());
        EXPECT_EQ(next.size(), names.size() - 1);
        EXPECT_EQ(next.size(), c.read.size());
        for (const std::string& name : next)
            EXPECT_EQ(name.rfind("next ", 0), 0u) << name;
        if (c.nextFiles == static_cast<int>(c.read.size()))
            EXPECT_EQ(next, expectedNext);
    }
}

TEST(ReadAheadTest, TheNextFolderIsNotEnteredThroughALink) {
    if (!CanMakeSymlinks())
        GTEST_SKIP() << kNoSymlinks;
    TempDir dir;
    dir.createFile("elsewhere/secret", "s");
    const std::vector<FileAhead> files = MakeFiles(dir, {100});
    dir.createFolder("parent");
    ASSERT_TRUE(MakeSymlink(dir.path("elsewhere"), dir.path("parent/next"), true));
    const DirectoryHandle folder = DirectoryHandle::open(dir.path("folder")).valueOr({});
    const DirectoryHandle parent = DirectoryHandle::open(dir.path("parent")).valueOr({});
    ReadNames read;
    const ScopedReadAheadForTesting seam([&read](const std::string& name) { read.add(name); });
    ReadAhead ahead;
    ahead.queueFolder(folder, files);
    ahead.queueNextFolder(parent, "next");
    ahead.reached(0);
    ahead.waitUntilIdle();
    EXPECT_TRUE(read.names().empty());
}
