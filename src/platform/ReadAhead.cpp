#include "platform/ReadAhead.h"

#include <algorithm>
#include <utility>

namespace kestrel::platform {

ReadAhead::ReadAhead(Limits limits) : limits_(limits) {}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        files_.reset();
        folder_.reset();
    }
    wake_.notify_all();
    if (reader_.joinable())
        reader_.join();
}

void ReadAhead::queueFolder(const DirectoryHandle& folder, std::vector<FileAhead> files) {
    if (limits_.files == 0 || limits_.bytes <= 0 || files.empty())
        return cancel();
    Result<DirectoryHandle> duplicate = folder.duplicate();
    if (!duplicate.ok())
        return cancel();
    auto own = std::make_shared<const DirectoryHandle>(std::move(duplicate).value());
    const std::size_t count = files.size();
    auto queued = std::make_shared<const std::vector<FileAhead>>(std::move(files));
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        folder_ = std::move(own);
        bytesOf_.assign(count, 0);
        files_ = std::move(queued);
        cursor_ = 0;
        next_ = 0;
        started_ = false;
        bytesAhead_ = 0;
        idle_ = false;
        if (!reader_.joinable())
            reader_ = std::thread([this] { run(); });
    }
    wake_.notify_all();
}

void ReadAhead::reached(std::size_t index) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!files_)
            return;
        for (std::size_t i = cursor_; i < std::min(index + 1, bytesOf_.size()); ++i) {
            bytesAhead_ -= bytesOf_[i];
            bytesOf_[i] = 0;
        }
        cursor_ = index;
        next_ = std::max(next_, index + 1);
        started_ = true;
        idle_ = false;
    }
    wake_.notify_all();
}

void ReadAhead::cancel() {
    const std::lock_guard<std::mutex> lock(mutex_);
    files_.reset();
    bytesOf_.clear();
    folder_.reset();
    bytesAhead_ = 0;
    cursor_ = next_ = 0;
}

void ReadAhead::waitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idleChanged_.wait(lock, [this] { return idle_; });
}

bool ReadAhead::nextToRead(std::shared_ptr<const DirectoryHandle>& folder,
                           std::shared_ptr<const std::vector<FileAhead>>& files, std::size_t& index,
                           std::int64_t& bytes) {
    if (!files_ || !started_ || next_ >= files_->size() || next_ - cursor_ > limits_.files)
        return false;
    const std::int64_t room = limits_.bytes - bytesAhead_;
    const std::int64_t size = std::max<std::int64_t>((*files_)[next_].size, 0);
    // The file right after the walk's is always read, of a large one its start.
    if (next_ == cursor_ + 1)
        bytes = std::min(size, limits_.bytes);
    else if (size <= room)
        bytes = size;
    else
        return false;
    folder = folder_;
    files = files_;
    index = next_;
    bytesOf_[next_] = bytes;
    bytesAhead_ += bytes;
    ++next_;
    return true;
}

void ReadAhead::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        std::shared_ptr<const DirectoryHandle> folder;
        std::shared_ptr<const std::vector<FileAhead>> files;
        std::size_t index = 0;
        std::int64_t bytes = 0;
        while (!stopping_ && !nextToRead(folder, files, index, bytes)) {
            idle_ = true;
            idleChanged_.notify_all();
            wake_.wait(lock);
        }
        if (stopping_)
            break;
        idle_ = false;
        lock.unlock();
        prefetchFile(*folder, (*files)[index].name, bytes);
        folder.reset();
        files.reset();
        lock.lock();
    }
    idle_ = true;
    idleChanged_.notify_all();
}

} // namespace kestrel::platform
