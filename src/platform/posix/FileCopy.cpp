#include "platform/FileCopy.h"

#include "platform/CopyAttempt.h"
#include "platform/Path.h"
#include "platform/TargetFileSystem.h"
#include "platform/TemporaryCopyName.h"
#include "platform/posix/KeptDescriptor.h"
#include "platform/posix/MountTable.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kestrel::platform {

namespace {

// ---- temporary names ----

std::string randomTemporaryName() {
    std::uint64_t random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
        static std::atomic<std::uint64_t> counter{0};
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        random = (static_cast<std::uint64_t>(::getpid()) << 40) ^ static_cast<std::uint64_t>(now.tv_nsec) ^
                 (static_cast<std::uint64_t>(now.tv_sec) << 20) ^ (++counter * 0x9E3779B97F4A7C15ull);
    }
    return temporaryCopyNameOf(random);
}

// ---- small helpers ----

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes, reporting the error a file system may keep for the close (NFS, quotas).
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool sameSource(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && sameTime(a.st_mtim, b.st_mtim) && sameTime(a.st_ctim, b.st_ctim) &&
           a.st_ino == b.st_ino && a.st_dev == b.st_dev;
}

std::int64_t nanosecondsOf(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Reads the source's status once its last change lies safely in the past. A change made within
// the clock's current tick, or a write still under way when the status is read, could be
// followed by more writing that the file's times would not show: such a file is read after a
// few milliseconds, when any further change must give it a later change time.
bool settledStatus(int fd, struct stat& st) {
    constexpr std::int64_t kMargin = 25 * 1000000LL;  // 25 ms
    constexpr std::int64_t kLongestWait = 1000000000; // 1 s
    std::int64_t waited = 0;
    for (;;) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (::fstat(fd, &st) != 0)
            return false;
        const std::int64_t ahead = nanosecondsOf(st.st_ctim) + kMargin - nanosecondsOf(now);
        // A change time far ahead of the clock (another machine's clock) is no recent change.
        if (ahead < 0 || ahead > kLongestWait || waited >= kLongestWait || !S_ISREG(st.st_mode))
            return true;
        const std::int64_t step = ahead < 2000000 ? ahead + 1000000 : 2000000;
        timespec pause{0, static_cast<long>(step)};
        ::nanosleep(&pause, nullptr);
        waited += step;
    }
}

// Devices whose file systems cannot share data between files: no clone is tried there again.
class NoCloneDevices {
public:
    bool has(dev_t device) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (dev_t d : devices_)
            if (d == device)
                return true;
        return false;
    }
    void add(dev_t device) {
        std::lock_guard<std::mutex> lock(mutex_);
        devices_.push_back(device);
    }

private:
    std::mutex mutex_;
    std::vector<dev_t> devices_;
};

NoCloneDevices& noCloneDevices() {
    static NoCloneDevices devices;
    return devices;
}

// Whether the file system of the file `fd` orders a rename over an older file after the new
// file's data by itself; read from the mount table once a device.
bool replaceKeepsDataFirst(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    static std::mutex mutex;
    static std::vector<std::pair<dev_t, bool>> known;
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [device, ordered] : known)
        if (device == st.st_dev)
            return ordered;
    const MountedFileSystem mounted = mountedFileSystemOf(st.st_dev);
    const bool ordered = replaceByRenameKeepsDataFirst(mounted.type, mounted.options);
    known.emplace_back(st.st_dev, ordered);
    return ordered;
}

bool modeNotKept(int errnoValue) {
    return errnoValue == ENOSYS || errnoValue == EOPNOTSUPP || errnoValue == EPERM;
}

bool unnamedFilesLinkable() {
    // An unnamed file is given its name through /proc (a link by handle alone needs privileges).
    static const bool usable = ::access("/proc/self/fd", F_OK) == 0;
    return usable;
}

// The file the data is written to: unnamed in the target folder while it is written, or,
// where the file system has no unnamed files, under a temporary name of the program's form.
class TemporaryCopy {
public:
    // `standIn` is what a test says the file system can do, or null.
    TemporaryCopy(int folder, const FileSystemTraits* standIn) : folder_(folder), standIn_(standIn) {}
    ~TemporaryCopy() { discard(); }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    int create() {
        if (unnamedFilesLinkable() && (!standIn_ || standIn_->unnamedFiles)) {
            const int fd = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            if (fd >= 0) {
                fd_.reset(fd);
                return 0;
            }
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
                return errno;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = randomTemporaryName();
            const int fd =
                ::openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd >= 0) {
                fd_.reset(fd);
                name_ = std::move(name);
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    int fd() const { return fd_.get(); }

    // Puts the finished copy under `target`: given that name when it is free, otherwise flushed
    // and renamed over what stands there (a file or a link, never followed).
    int place(const std::string& target, bool overwrite) {
        const int rc = placeAsNew(target);
        if (rc == 0)
            return finish();
        if (rc != EEXIST)
            return rc;
        if (!overwrite)
            return EEXIST;
        // The new data reaches the disk before it replaces the old copy, so a power cut leaves
        // one of the two whole: flushed here unless the file system itself keeps that order.
        if (!replaceKeepsDataFirst(fd_.get()) && ::fdatasync(fd_.get()) != 0)
            return errno;
        if (name_.empty()) {
            int linked = EEXIST;
            for (int attempt = 0; attempt < 100 && linked == EEXIST; ++attempt) {
                std::string name = randomTemporaryName();
                linked = linkAs(name) == 0 ? 0 : errno;
                if (linked == 0)
                    name_ = std::move(name);
            }
            if (linked != 0)
                return linked;
        }
        if (::renameat(folder_, name_.c_str(), folder_, target.c_str()) != 0)
            return errno;
        name_.clear();
        renamed_ = true;
        return finish();
    }

    // Whether the copy took its name by a rename (some FUSE drivers, fusefat among them, give a
    // renamed file the time of the rename).
    bool renamed() const { return renamed_; }

    void discard() {
        fd_.reset();
        if (!name_.empty()) {
            ::unlinkat(folder_, name_.c_str(), 0);
            name_.clear();
        }
    }

private:
    // Gives the copy the name `target` only where nothing stands under it (EEXIST otherwise):
    // by a link, or by a rename that never replaces. File systems without hard links (FAT,
    // exFAT) and FUSE drivers that cannot refuse a rename by themselves get a rename checked
    // first, which nothing else can race while the operation holds the target's lock.
    int placeAsNew(const std::string& target) {
        if (name_.empty())
            return linkAs(target) == 0 ? 0 : errno; // an unnamed file gets a name by a link only
        if (::renameat2(folder_, name_.c_str(), folder_, target.c_str(), RENAME_NOREPLACE) == 0) {
            name_.clear();
            renamed_ = true;
            return 0;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        if (!standIn_ || standIn_->hardLinks) {
            if (linkAs(target) == 0)
                return 0;
            if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK && errno != EXDEV)
                return errno;
        }
        struct stat existing {};
        if (::fstatat(folder_, target.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
            return EEXIST;
        if (errno != ENOENT)
            return errno;
        if (::renameat(folder_, name_.c_str(), folder_, target.c_str()) != 0)
            return errno;
        name_.clear();
        renamed_ = true;
        return 0;
    }

    int linkAs(const std::string& name) {
        if (!name_.empty())
            return ::linkat(folder_, name_.c_str(), folder_, name.c_str(), 0);
        char path[64];
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd_.get());
        return ::linkat(AT_FDCWD, path, folder_, name.c_str(), AT_SYMLINK_FOLLOW);
    }

    // The copy is in place: a temporary name still held (linked, not renamed) goes, and the
    // close is checked.
    int finish() {
        if (!name_.empty()) {
            ::unlinkat(folder_, name_.c_str(), 0);
            name_.clear();
        }
        return fd_.close() == 0 ? 0 : errno;
    }

    int folder_;
    const FileSystemTraits* standIn_;
    FileDescriptor fd_;
    std::string name_; // empty for an unnamed file
    bool renamed_ = false;
};

// Moves the data: shared with the source where the file system can (a clone), otherwise by the
// source's data extents, so holes stay holes.
class DataCopy {
public:
    // `source` is the status of `in` read before the copy.
    DataCopy(int in, int out, const struct stat& source, CopyFlow& flow)
        : in_(in), out_(out), source_(source), size_(static_cast<std::int64_t>(source.st_size)), flow_(flow) {
    }

    DataResult run() {
        if (size_ > 0 && !flow_.faultPlanned() && tryClone()) {
            flow_.moved(size_);
            return DataResult::Done;
        }
        return copyExtents();
    }

private:
    static constexpr std::int64_t kChunk = 4 << 20;

    DataResult failed(int errnoValue) {
        return flow_.fail(DataResult::TargetFailed, Error::fromErrno(errnoValue));
    }

    bool tryClone() {
        // A file system that cannot share data is no source of a shared copy either, so the
        // target's status is only read where a clone may work.
        if (noCloneDevices().has(source_.st_dev))
            return false;
        struct stat out {};
        if (::fstat(out_, &out) != 0 || source_.st_dev != out.st_dev)
            return false;
        if (::ioctl(out_, FICLONE, in_) == 0)
            return true;
        if (errno == EOPNOTSUPP || errno == ENOTTY || errno == EINVAL || errno == EXDEV || errno == ENOSYS)
            noCloneDevices().add(out.st_dev);
        return false;
    }

    // The data extents of the source; one extent for a file with no holes.
    DataResult copyExtents() {
        const bool mayHaveHoles = source_.st_blocks * 512 < source_.st_size;
        if (!mayHaveHoles)
            return copyRange(0, size_);
        std::int64_t offset = 0;
        while (offset < size_) {
            const off_t data = ::lseek(in_, offset, SEEK_DATA);
            if (data < 0) {
                if (errno == ENXIO)
                    break; // only a hole remains
                if (errno == EINVAL || errno == EOPNOTSUPP)
                    return copyRange(offset, size_);
                return failed(errno);
            }
            if (data >= size_)
                break;
            off_t hole = ::lseek(in_, data, SEEK_HOLE);
            if (hole < 0)
                return failed(errno);
            if (hole > size_)
                hole = static_cast<off_t>(size_);
            const DataResult result = copyRange(data, hole);
            if (result != DataResult::Done)
                return result;
            offset = hole;
        }
        // The length, with any hole at the end.
        if (::ftruncate(out_, static_cast<off_t>(size_)) != 0)
            return failed(errno);
        return DataResult::Done;
    }

    DataResult copyRange(std::int64_t from, std::int64_t to) {
        off_t inOffset = static_cast<off_t>(from);
        off_t outOffset = static_cast<off_t>(from);
        while (inOffset < to) {
            std::int64_t length = std::min<std::int64_t>(kChunk, to - inOffset);
            if (const DataResult result = flow_.beforePiece(length); result != DataResult::Done)
                return result;
            ssize_t n = -1;
            if (kernelCopy_) {
                n = ::copy_file_range(in_, &inOffset, out_, &outOffset, static_cast<std::size_t>(length), 0);
                if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                              errno == EPERM || errno == EBADF)) {
                    kernelCopy_ = false;
                    continue;
                }
            } else {
                n = copyByReading(inOffset, outOffset, length);
            }
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return failed(errno);
            }
            if (n == 0)
                return DataResult::Done; // the source ended early; its changed status tells
            flow_.moved(n);
        }
        return DataResult::Done;
    }

    ssize_t copyByReading(off_t& inOffset, off_t& outOffset, std::int64_t length) {
        if (buffer_.empty())
            buffer_.resize(1 << 20);
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(length, buffer_.size()));
        const ssize_t n = ::pread(in_, buffer_.data(), want, inOffset);
        if (n <= 0)
            return n;
        ssize_t written = 0;
        while (written < n) {
            const ssize_t w = ::pwrite(out_, buffer_.data() + written, static_cast<std::size_t>(n - written),
                                       outOffset + written);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            written += w;
        }
        inOffset += n;
        outOffset += n;
        return n;
    }

    int in_;
    int out_;
    const struct stat& source_;
    std::int64_t size_;
    CopyFlow& flow_;
    bool kernelCopy_ = true;
    std::vector<char> buffer_;
};

// One try at a copy by file descriptors, inside the target folder's descriptor.
class PosixCopyAttempt final : public CopyAttempt {
public:
    explicit PosixCopyAttempt(int folder)
        : folder_(folder), standIn_(FileSystemTraitsSeam::current()),
          copy_(folder, standIn_ ? &*standIn_ : nullptr) {}

    Error openSource(const std::string& path, const DirectoryHandle* folder) override {
        // Without blocking: a pipe put in the file's place must not hold the backup. A link to
        // a file is followed, by name or by path alike.
        constexpr int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        if (folder != nullptr && folder->valid())
            in_.reset(::openat(folder->nativeHandle(), nameOf(path).c_str(), flags));
        else
            in_.reset(::open(path.c_str(), flags));
        if (in_.get() < 0 || !settledStatus(in_.get(), before_))
            return Error::fromErrno(errno);
        return {};
    }
    bool sourceIsRegular() const override { return S_ISREG(before_.st_mode); }
    std::int64_t sourceSize() const override { return before_.st_size; }
    CopyTime sourceModified() const override {
        return CopyTime{before_.st_mtim.tv_sec, static_cast<std::int32_t>(before_.st_mtim.tv_nsec)};
    }
    bool targetExists(const std::string& name) const override {
        struct stat existing {};
        return ::fstatat(folder_, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    }
    Error createTemporary() override {
        const int rc = copy_.create();
        return rc == 0 ? Error{} : Error::fromErrno(rc);
    }
    DataResult moveData(CopyFlow& flow) override {
        return DataCopy(in_.get(), copy_.fd(), before_, flow).run();
    }
    bool sourceUnchanged() override {
        struct stat after {};
        return ::fstat(in_.get(), &after) == 0 && sameSource(before_, after);
    }
    Error stamp(CopyTime modified, bool keepAttributes, unsigned& notKept) override {
        // Both times are given, the access time as the modification time: some FUSE drivers
        // (fusefat) set no time at all when one is left out or lies before what FAT can hold.
        times_[0].tv_sec = static_cast<time_t>(modified.seconds);
        times_[0].tv_nsec = modified.nanoseconds;
        times_[1] = times_[0];
        if (keepAttributes) {
            int errnoValue = 0;
            notKept |= keepDescriptorAttributes(in_.get(), copy_.fd(), before_.st_mode, errnoValue);
            if (errnoValue != 0)
                return Error::fromErrno(errnoValue);
            if (::futimens(copy_.fd(), times_) != 0)
                return Error::fromErrno(errno);
            return {};
        }
        // A file system without permission bits (FAT through FUSE) refuses the mode: the copy
        // keeps the mode that file system gives every file, which is no error.
        if ((::fchmod(copy_.fd(), (before_.st_mode & 07777) | S_IWUSR) != 0 && !modeNotKept(errno)) ||
            ::futimens(copy_.fd(), times_) != 0)
            return Error::fromErrno(errno);
        return {};
    }
    Error place(const std::string& name, bool overwrite) override {
        if (const int rc = copy_.place(name, overwrite); rc != 0)
            return Error::fromErrno(rc);
        // The time once more on the name itself (never through a link standing there by then).
        if (copy_.renamed())
            ::utimensat(folder_, name.c_str(), times_, AT_SYMLINK_NOFOLLOW);
        return {};
    }

private:
    int folder_;
    std::optional<FileSystemTraits> standIn_; // what a test says the file system can do
    FileDescriptor in_;
    struct stat before_ {};
    TemporaryCopy copy_;
    timespec times_[2]{};
};

} // namespace

std::unique_ptr<CopyAttempt> newCopyAttempt(const DirectoryHandle& folder) {
    return std::make_unique<PosixCopyAttempt>(folder.nativeHandle());
}

std::string temporaryCopyName() {
    return randomTemporaryName();
}

bool markRunUnderWay(const DirectoryHandle& root) {
    if (hasRunMark(root))
        return true;
    // Made new or not at all: a link, FIFO or anything else of that name is never opened.
    const int fd = ::openat(root.nativeHandle(), runMarkName().c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    return false;
}

Error flushFileSystem(const DirectoryHandle& folder) {
    if (::syncfs(folder.nativeHandle()) != 0)
        return Error::fromErrno(errno);
    return {};
}

} // namespace kestrel::platform
