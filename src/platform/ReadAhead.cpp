#include "platform/ReadAhead.h"

#include <algorithm>
#include <utility>

namespace kestrel::platform {

ReadAhead::ReadAhead(Limits limits) : limits_(limits) {}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        dropQueue();
        nextParent_.reset();
        nextName_.reset();
        ++generation_;
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
        // The walk is in the folder it was reading ahead into: its queue takes over from here.
        nextParent_.reset();
        nextName_.reset();
        ++generation_;
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

void ReadAhead::queueNextFolder(const DirectoryHandle& parent, std::string name) {
    if (limits_.files == 0 || limits_.bytes <= 0)
        return;
    Result<DirectoryHandle> duplicate = parent.duplicate();
    if (!duplicate.ok())
        return;
    auto own = std::make_shared<const DirectoryHandle>(std::move(duplicate).value());
    auto named = std::make_shared<const std::string>(std::move(name));
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        nextParent_ = std::move(own);
        nextName_ = std::move(named);
        idle_ = false;
        if (!reader_.joinable())
            reader_ = std::thread([this] { run(); });
    }
    wake_.notify_all();
}

void ReadAhead::leaveFolder() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        dropQueue();
    }
    wake_.notify_all();
}

void ReadAhead::cancel() {
    const std::lock_guard<std::mutex> lock(mutex_);
    dropQueue();
    nextParent_.reset();
    nextName_.reset();
    ++generation_;
}

void ReadAhead::dropQueue() {
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

bool ReadAhead::nextToRead(Work& work) {
    if (!files_ || !started_ || next_ >= files_->size() || next_ - cursor_ > limits_.files)
        return false;
    const std::int64_t room = limits_.bytes - bytesAhead_;
    const std::int64_t size = std::max<std::int64_t>((*files_)[next_].size, 0);
    // The file right after the walk's is always read, of a large one its start.
    if (next_ == cursor_ + 1)
        work.bytes = std::min(size, limits_.bytes);
    else if (size <= room)
        work.bytes = size;
    else
        return false;
    work.folder = folder_;
    work.files = files_;
    work.index = next_;
    bytesOf_[next_] = work.bytes;
    bytesAhead_ += work.bytes;
    ++next_;
    return true;
}

bool ReadAhead::nextFolderToRead(Work& work) {
    if (!nextParent_ || (files_ && next_ < files_->size()))
        return false;
    work.folder = std::move(nextParent_);
    work.nextFolder = std::move(nextName_);
    const std::size_t queuedAhead = files_ ? next_ - std::min(next_, cursor_ + 1) : 0;
    work.fileCount = limits_.files - std::min(limits_.files, queuedAhead);
    work.bytes = limits_.bytes - bytesAhead_;
    return work.fileCount > 0 && work.bytes > 0;
}

void ReadAhead::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Work work;
        while (!stopping_ && !nextToRead(work) && !nextFolderToRead(work)) {
            work = Work{};
            idle_ = true;
            idleChanged_.notify_all();
            wake_.wait(lock);
        }
        if (stopping_)
            break;
        idle_ = false;
        const std::uint64_t generation = generation_;
        lock.unlock();
        if (work.files)
            prefetchFile(*work.folder, (*work.files)[work.index].name, work.bytes);
        else
            prefetchFolder(*work.folder, *work.nextFolder, work.fileCount, work.bytes,
                           [this, generation] { return generation_ == generation; });
        work = Work{};
        lock.lock();
    }
    idle_ = true;
    idleChanged_.notify_all();
}

} // namespace kestrel::platform
