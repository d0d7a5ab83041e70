#include "platform/FileCopy.h"

#include "platform/CopyFaultSeam.h"
#include "platform/TemporaryCopyName.h"
#include "platform/windows/Win32.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <utility>
#include <vector>

namespace kestrel::platform {

using win::Handle;

namespace {

// ---- temporary names ----

std::string randomTemporaryName() {
    static std::mutex randomMutex;
    static std::random_device device;
    std::uint64_t random;
    {
        std::lock_guard<std::mutex> lock(randomMutex);
        random = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    }
    return temporaryCopyNameOf(random);
}

// ---- the source ----

struct SourceState {
    FileStatus status;
    std::int64_t changeTime = 0; // any change of data or attributes moves it
    DWORD attributes = 0;
};

bool readSource(HANDLE handle, SourceState& state) {
    state.status = win::statusOfHandle(handle);
    FILE_BASIC_INFO basic{};
    if (!state.status.exists() ||
        !::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return false;
    state.changeTime = basic.ChangeTime.QuadPart;
    state.attributes = basic.FileAttributes;
    return true;
}

bool sameSource(const SourceState& a, const SourceState& b) {
    return a.status.size == b.status.size && a.status.mtimeSeconds == b.status.mtimeSeconds &&
           a.status.mtimeNanoseconds == b.status.mtimeNanoseconds && a.changeTime == b.changeTime &&
           a.status.inode == b.status.inode && a.status.device == b.status.device;
}

// ---- the copy ----

// The file the data is written to, under a temporary name in the target folder; it goes again
// unless it was put in place.
class TemporaryCopy {
public:
    explicit TemporaryCopy(HANDLE folder) : folder_(folder) {}
    ~TemporaryCopy() {
        if (file_.valid() && !placed_)
            win::deleteByHandle(file_.get());
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    DWORD create() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            DWORD failure = ERROR_SUCCESS;
            file_.reset(win::openChild(folder_, randomTemporaryName(),
                                       GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                       FILE_CREATE, FILE_NON_DIRECTORY_FILE, failure));
            if (file_.valid())
                return ERROR_SUCCESS;
            if (failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS)
                return failure;
        }
        return ERROR_FILE_EXISTS;
    }

    HANDLE handle() const { return file_.get(); }

    // The data reaches the disk before the copy takes the target name, so a power cut leaves
    // the earlier copy or the new one whole; then the temporary file is renamed over the target
    // (a file or a link, never followed) as MoveFileEx with MOVEFILE_REPLACE_EXISTING |
    // MOVEFILE_WRITE_THROUGH does, but by handle, inside the folder that was opened.
    DWORD place(const std::string& target, bool overwrite) {
        if (!::FlushFileBuffers(file_.get()))
            return ::GetLastError();
        if (const DWORD failure = win::renameByHandle(file_.get(), folder_, target, overwrite))
            return failure;
        placed_ = true;
        file_.reset();
        return ERROR_SUCCESS;
    }

private:
    HANDLE folder_;
    Handle file_;
    bool placed_ = false;
};

enum class DataResult { Done, SourceFailed, TargetFailed, Stopped };

// Moves the data, reports progress and meets the test seam's data fault.
class DataCopy {
public:
    DataCopy(HANDLE in, HANDLE out, std::int64_t size, const CopyProgressCallback& progress,
             const CopyFaultPlan* plan)
        : in_(in), out_(out), size_(size), progress_(progress), plan_(plan) {}

    DataResult run(std::int64_t& copied, Error& error) {
        DataResult result = report(0) ? copyAll() : DataResult::Stopped;
        if (result == DataResult::Done)
            result = checkFault();
        if (result == DataResult::Done && !report(size_))
            result = DataResult::Stopped;
        copied = done_;
        error = error_;
        return result;
    }

private:
    static constexpr std::size_t kChunk = 1 << 20;

    bool report(std::int64_t done) {
        if (!progress_)
            return true;
        lastReport_ = std::chrono::steady_clock::now();
        return progress_(FileCopyProgress{done, size_}) == CopyDecision::Continue;
    }

    bool reportNowAndThen() {
        // Often enough that a stop takes effect within a second, whatever the disk's speed.
        if (!progress_ || std::chrono::steady_clock::now() - lastReport_ < std::chrono::milliseconds(500))
            return true;
        return report(done_);
    }

    DataResult checkFault() {
        if (!plan_ || plan_->afterBytes < 0 || faultMet_ || done_ < plan_->afterBytes)
            return DataResult::Done;
        faultMet_ = true;
        if (plan_->atPoint)
            plan_->atPoint();
        if (plan_->errnoValue != 0) {
            error_ = Error::fromErrno(plan_->errnoValue);
            return DataResult::TargetFailed;
        }
        return DataResult::Done;
    }

    DataResult copyAll() {
        std::vector<char> buffer(kChunk);
        while (done_ < size_) {
            const DataResult fault = checkFault();
            if (fault != DataResult::Done)
                return fault;
            if (!reportNowAndThen())
                return DataResult::Stopped;
            std::int64_t want = std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), size_ - done_);
            if (plan_ && plan_->afterBytes >= 0 && !faultMet_)
                want = std::min(want, plan_->afterBytes - done_);
            DWORD read = 0;
            if (!::ReadFile(in_, buffer.data(), static_cast<DWORD>(want), &read, nullptr)) {
                error_ = win::lastError();
                return DataResult::SourceFailed;
            }
            if (read == 0)
                return DataResult::Done; // the source ended early; its changed status tells
            DWORD written = 0;
            for (DWORD at = 0; at < read; at += written) {
                if (!::WriteFile(out_, buffer.data() + at, read - at, &written, nullptr)) {
                    error_ = win::lastError();
                    return DataResult::TargetFailed;
                }
            }
            done_ += read;
        }
        return DataResult::Done;
    }

    HANDLE in_;
    HANDLE out_;
    std::int64_t size_;
    const CopyProgressCallback& progress_;
    const CopyFaultPlan* plan_;
    std::int64_t done_ = 0;
    Error error_;
    bool faultMet_ = false;
    std::chrono::steady_clock::time_point lastReport_{};
};

Error changedSourceError() {
    return Error{err::PathFileAccess, "The file changed while it was being copied"};
}

Error notRegularError() {
    return Error{err::PathFileAccess, "The file is no regular file"};
}

enum class Attempt { Finished, SourceChanged };

void fail(CopyResult& result, Error error, CopyFailure failure) {
    result.error = std::move(error);
    result.failure = failure;
}

// The copy's last-write time and the source's System attribute; a copy is neither hidden nor
// read-only, whatever its source is. Its other times stay as they are.
DWORD stampCopy(HANDLE copy, std::int64_t lastWrite, DWORD sourceAttributes) {
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.QuadPart = lastWrite;
    const DWORD kept = sourceAttributes & FILE_ATTRIBUTE_SYSTEM;
    basic.FileAttributes = kept ? kept | FILE_ATTRIBUTE_ARCHIVE : 0;
    return ::SetFileInformationByHandle(copy, FileBasicInfo, &basic, sizeof basic) ? ERROR_SUCCESS
                                                                                   : ::GetLastError();
}

Attempt copyOnce(const std::string& sourcePath, HANDLE folder, const std::string& targetName,
                 const CopyOptions& options, const CopyFaultPlan* plan, CopyResult& result) {
    result = CopyResult{};
    // Others may go on reading and writing the source; a change shows in its status afterwards.
    Handle in(::CreateFileW(win::nativePath(sourcePath).c_str(), GENERIC_READ | FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!in.valid()) {
        fail(result, win::lastError(), CopyFailure::Source);
        return Attempt::Finished;
    }
    SourceState before;
    if (!readSource(in.get(), before)) {
        fail(result, win::lastError(), CopyFailure::Source);
        return Attempt::Finished;
    }
    if (!before.status.isRegular()) {
        fail(result, notRegularError(), CopyFailure::NotRegular);
        return Attempt::Finished;
    }
    if (!options.overwrite) {
        DWORD failure = ERROR_SUCCESS;
        Handle existing(win::openChild(folder, targetName, FILE_READ_ATTRIBUTES, FILE_OPEN, 0, failure));
        if (existing.valid()) {
            fail(result, Error::of(err::FileAlreadyExists), CopyFailure::Target);
            return Attempt::Finished;
        }
    }

    TemporaryCopy copy(folder);
    if (const DWORD failure = copy.create()) {
        fail(result, win::errorOf(failure), CopyFailure::Target);
        return Attempt::Finished;
    }
    Error dataError;
    std::int64_t copied = 0;
    DataCopy data(in.get(), copy.handle(), before.status.size, options.progress, plan);
    switch (data.run(copied, dataError)) {
    case DataResult::Stopped:
        result.cancelled = true;
        return Attempt::Finished;
    case DataResult::SourceFailed:
        fail(result, dataError, CopyFailure::Source);
        return Attempt::Finished;
    case DataResult::TargetFailed:
        fail(result, dataError, CopyFailure::Target);
        return Attempt::Finished;
    case DataResult::Done:
        break;
    }

    SourceState after;
    if (!readSource(in.get(), after) || !sameSource(before, after))
        return Attempt::SourceChanged;

    // The time recorded is the one read before the data, so a change during the copy shows as a
    // modification on the next run.
    std::int64_t lastWrite = win::toFileTime(before.status.mtimeSeconds, before.status.mtimeNanoseconds);
    if (options.sourceStatus && options.sourceStatus->exists())
        lastWrite =
            win::toFileTime(options.sourceStatus->mtimeSeconds, options.sourceStatus->mtimeNanoseconds);
    if (const DWORD failure = stampCopy(copy.handle(), lastWrite, before.attributes)) {
        fail(result, win::errorOf(failure), CopyFailure::Target);
        return Attempt::Finished;
    }
    if (const DWORD failure = copy.place(targetName, options.overwrite)) {
        fail(result, win::errorOf(failure), CopyFailure::Target);
        return Attempt::Finished;
    }
    result.bytesCopied = before.status.size;
    return Attempt::Finished;
}

} // namespace

CopyResult copyFileInto(const std::string& sourcePath, const DirectoryHandle& targetFolder,
                        const std::string& targetName, const CopyOptions& options) {
    CopyResult result;
    const std::shared_ptr<const CopyFaultPlan> plan = currentCopyFaultPlan();
    if (plan && plan->beforeData) {
        result.error = plan->beforeData(sourcePath, targetName);
        if (result.error) {
            result.failure = CopyFailure::Target;
            return result;
        }
    }
    if (!targetFolder.valid()) {
        fail(result, Error::of(err::PathNotFound), CopyFailure::Target);
        return result;
    }
    // A source that changed while it was copied gets one more try before it is reported.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (copyOnce(sourcePath, LongToHandle(targetFolder.nativeHandle()), targetName, options, plan.get(),
                     result) == Attempt::Finished)
            return result;
    }
    result = CopyResult{};
    fail(result, changedSourceError(), CopyFailure::SourceChanged);
    return result;
}

CopyResult copyFileAtomically(const std::string& source, const std::string& target, bool overwrite,
                              const FileStatus* sourceStatus) {
    const std::size_t slash = target.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    Error error;
    const DirectoryHandle handle = DirectoryHandle::open(folder, error);
    CopyOptions options;
    options.overwrite = overwrite;
    options.sourceStatus = sourceStatus;
    CopyResult result = copyFileInto(source, handle, name, options);
    // The seam still sees the copy, as it would with the folder there.
    if (!handle.valid() && result.error.number == err::PathNotFound && error)
        result.error = error;
    return result;
}

std::string temporaryCopyName() {
    return randomTemporaryName();
}

bool markRunUnderWay(const DirectoryHandle& root) {
    if (hasRunMark(root))
        return true;
    DWORD failure = ERROR_SUCCESS;
    Handle mark(win::openChild(LongToHandle(root.nativeHandle()), runMarkName(), GENERIC_WRITE, FILE_OPEN_IF,
                               FILE_NON_DIRECTORY_FILE, failure));
    return false;
}

Error flushFileSystem(const DirectoryHandle&) {
    // Every copy reached the disk before it took its name (a whole volume can be flushed only
    // by an administrator), and folders and names are kept by the file system's journal.
    return {};
}

} // namespace kestrel::platform
