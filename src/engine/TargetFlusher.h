#pragma once

#include "platform/DirectoryHandle.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kestrel {

// Puts what a backup writes on the target's disk while the backup goes on, so that the flush
// at its end, before the summary, has little left to wait for: left alone, the kernel would
// hold a large backup in memory and write all of it only then. Flushes from a thread of its
// own, each time enough was written since the last one; the walk never waits for it.
class TargetFlusher {
public:
    // `folder` is a folder of the target's file system; it must outlive the flusher.
    explicit TargetFlusher(const platform::DirectoryHandle& folder) : folder_(folder) {}
    ~TargetFlusher();
    TargetFlusher(const TargetFlusher&) = delete;
    TargetFlusher& operator=(const TargetFlusher&) = delete;

    // `bytes` more were written to the target.
    void Written(std::int64_t bytes);

private:
    void Run();

    static constexpr std::int64_t kBytesBetweenFlushes = 32 << 20;

    const platform::DirectoryHandle& folder_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::int64_t unflushed_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace kestrel
