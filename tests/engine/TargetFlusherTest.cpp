#include "engine/TargetFlusher.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrel::testing {
namespace {

// The flusher's thread starts only once enough was written, keeps up with further writing and
// ends with the flusher, also while a flush is under way.
TEST(TargetFlusher, FlushesWhileWritingGoesOnAndEndsWithTheWalk) {
    TempDir dir;
    auto opened = platform::DirectoryHandle::open(dir.path(""));
    ASSERT_TRUE(opened.ok()) << opened.error().description;
    const platform::DirectoryHandle folder = std::move(opened).value();
    for (int round = 0; round < 50; ++round) {
        TargetFlusher flusher(folder);
        flusher.Written(1024);
        for (int i = 0; i < round % 5; ++i)
            flusher.Written(40 << 20);
    }
    const platform::DirectoryHandle none;
    TargetFlusher unusable(none);
    unusable.Written(1 << 30);
}

} // namespace
} // namespace kestrel::testing
