#include "engine/TargetFlusher.h"

#include "platform/FileCopy.h"

namespace kestrel {

TargetFlusher::~TargetFlusher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void TargetFlusher::Written(std::int64_t bytes) {
    if (!folder_.valid())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        unflushed_ += bytes;
        if (unflushed_ < kBytesBetweenFlushes)
            return;
        if (!thread_.joinable())
            thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_one();
}

void TargetFlusher::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || unflushed_ >= kBytesBetweenFlushes; });
        if (stopping_)
            return;
        unflushed_ = 0;
        lock.unlock();
        // A failure shows in the flush at the end of the operation, which reports it.
        platform::flushFileSystem(folder_);
        lock.lock();
    }
}

} // namespace kestrel
