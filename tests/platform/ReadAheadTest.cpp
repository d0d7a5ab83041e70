#include "platform/ReadAhead.h"
#include "support/Gate.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
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
        Error error;
        const DirectoryHandle folder = DirectoryHandle::open(dir.path("folder"), error);
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

TEST(ReadAheadTest, CancelDropsTheQueueAtOnceAndLeavesNothingOpen) {
    TempDir dir;
    const std::vector<FileAhead> files = MakeFiles(dir, std::vector<std::int64_t>(8, 100));
#ifdef __linux__
    const std::size_t before = OpenHandles();
#endif
    {
        Error error;
        const DirectoryHandle folder = DirectoryHandle::open(dir.path("folder"), error);
        ASSERT_TRUE(folder.valid());
        ReadNames read;
        const auto gate = Gate::make();
        const ScopedReadAheadForTesting seam([&read, gate](const std::string& name) {
            read.add(name);
            gate->pass();
        });
        ReadAhead ahead;
        ahead.queueFolder(folder, files);
        ahead.reached(0);
        // The reader holds the first file ahead open.
        ASSERT_TRUE(gate->waitForArrivals(1));
        ahead.cancel();
        gate->open();
        ahead.waitUntilIdle();
        EXPECT_EQ(read.names(), std::vector<std::string>{NameOf(1)});
#ifdef __linux__
        // The walk's own folder handle is all that stays open.
        EXPECT_EQ(OpenHandles(), before + 1);
#endif
    }
#ifdef __linux__
    EXPECT_EQ(OpenHandles(), before);
#endif
}
