#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/TestSeam.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::platform {

// A file the walk is about to copy, with its size as the walk read it.
struct FileAhead {
    std::string name;
    std::int64_t size = 0;
};

// Has the system read the next files of a folder into its cache on a thread of its own while
// the walk copies the one before, so that a backup from a cold disk finds each file's data
// there instead of waiting for it file by file. It only asks the system to read (each file is
// opened, advised and closed again at once): the copy still opens and checks the file itself,
// so a file replaced in between is copied as it is then. What it keeps ahead of the walk is
// bounded in files and bytes (of a large file only its start is read ahead), it holds at most
// one file open, and a cancel drops everything queued at once. Once a folder's queued files are
// read, it goes on into the folder the walk enters next, where the walk will copy all files.
class ReadAhead {
public:
    struct Limits {
        std::size_t files = 32;
        std::int64_t bytes = std::int64_t{32} << 20;
    };

    ReadAhead() : ReadAhead(Limits{}) {}
    explicit ReadAhead(Limits limits);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The files of `folder` the walk will copy next, in its order; what was queued before and
    // not yet read is dropped. Nothing is read ahead until reached() names the first file.
    void queueFolder(const DirectoryHandle& folder, std::vector<FileAhead> files);
    // The walk is at the queued file `index` now: those before it are no longer ahead, and the
    // files after it are read up to the limits.
    void reached(std::size_t index);
    // The folder `name` in `parent` is the one the walk enters next, and it will copy every file
    // there: once the queued files are read, the reader lists that folder and reads its files
    // ahead, in the folder's own order and within the limits (holding the folder and one file
    // open). Replaced by the next call; dropped by queueFolder() and cancel().
    void queueNextFolder(const DirectoryHandle& parent, std::string name);
    // The walk is done with the queued folder: its files still queued are dropped, the next
    // folder's read-ahead goes on.
    void leaveFolder();
    // Drops what is queued, at once; the file in the reader's hand is closed as soon as the call
    // that reads it returns.
    void cancel();

    // Waits until the reader has nothing more to read within the limits and holds no file
    // (for tests: what it has read ahead is then settled).
    void waitUntilIdle();

private:
    // One piece of the reader's work: a queued file (`files` set), or the next folder.
    struct Work {
        std::shared_ptr<const DirectoryHandle> folder;
        std::shared_ptr<const std::vector<FileAhead>> files;
        std::size_t index = 0;
        std::int64_t bytes = 0;
        std::shared_ptr<const std::string> nextFolder;
        std::size_t fileCount = 0;
    };

    void run();
    // The next file to read, if the limits allow one; false when there is none.
    bool nextToRead(Work& work);
    // The next folder, once the queued files are all read; false when there is none.
    bool nextFolderToRead(Work& work);
    void dropQueue();

    const Limits limits_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::shared_ptr<const DirectoryHandle> folder_;
    // Shared with the reader, which reads a name from it outside the lock (and so allocates
    // nothing on its own thread, which would cost the process a heap of that thread's own).
    std::shared_ptr<const std::vector<FileAhead>> files_;
    std::size_t cursor_ = 0; // the file the walk is at
    std::size_t next_ = 0;   // the next file to read ahead
    bool started_ = false;   // reached() was called for the queued folder
    std::int64_t bytesAhead_ = 0;
    std::vector<std::int64_t> bytesOf_; // what was read ahead of each queued file
    // The folder the walk enters next, in its parent; null when there is none to read.
    std::shared_ptr<const DirectoryHandle> nextParent_;
    std::shared_ptr<const std::string> nextName_;
    // Counts the calls that drop the next folder's read-ahead under way: it stops at its next file.
    std::atomic<std::uint64_t> generation_{0};
    bool idle_ = true;
    std::condition_variable idleChanged_;
    bool stopping_ = false;
    std::thread reader_;
};

// Asks the system to read the first `bytes` of the file `name` in `folder` into its cache
// without waiting for the data; the file is closed again before it returns. A file that cannot
// be opened, or is no regular file, is left alone (the copy finds out and reports it).
void prefetchFile(const DirectoryHandle& folder, const std::string& name, std::int64_t bytes);

// Lists the folder `name` in `parent` (a link of that name is not followed) and has the system
// read its regular files in, in the folder's order, at most `files` of them and `bytes` in all,
// for as long as `goOn` says so; each file is closed again before the next is opened.
void prefetchFolder(const DirectoryHandle& parent, const std::string& name, std::size_t files,
                    std::int64_t bytes, const std::function<bool()>& goOn);

// Test seam: while a guard lives, the reader calls it with each file's name while it holds that
// file open, on its own thread; a test holds the read-ahead there.
using ReadAheadSeam = TestSeam<struct ReadAheadTag, std::function<void(const std::string& name)>>;
using ScopedReadAheadForTesting = ReadAheadSeam::Guard;

} // namespace kestrel::platform
