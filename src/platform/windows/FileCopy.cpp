#include "platform/FileCopy.h"

#include "platform/CopyAttempt.h"
#include "platform/KeptAttributes.h"
#include "platform/TemporaryCopyName.h"
#include "platform/windows/Win32.h"

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

// Moves the data by reading and writing.
DataResult copyData(HANDLE in, HANDLE out, CopyFlow& flow) {
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<char> buffer(kChunk);
    while (flow.done() < flow.size()) {
        std::int64_t want =
            std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), flow.size() - flow.done());
        if (const DataResult result = flow.beforePiece(want); result != DataResult::Done)
            return result;
        DWORD read = 0;
        if (!::ReadFile(in, buffer.data(), static_cast<DWORD>(want), &read, nullptr))
            return flow.fail(DataResult::SourceFailed, win::lastError());
        if (read == 0)
            return DataResult::Done; // the source ended early; its changed status tells
        DWORD written = 0;
        for (DWORD at = 0; at < read; at += written) {
            if (!::WriteFile(out, buffer.data() + at, read - at, &written, nullptr))
                return flow.fail(DataResult::TargetFailed, win::lastError());
        }
        flow.moved(read);
    }
    return DataResult::Done;
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

Error errorUnlessSuccess(DWORD failure) {
    return failure == ERROR_SUCCESS ? Error{} : win::errorOf(failure);
}

// One try at a copy by handles, inside the target folder's handle.
class WindowsCopyAttempt final : public CopyAttempt {
public:
    explicit WindowsCopyAttempt(HANDLE folder) : folder_(folder), copy_(folder) {}

    Error openSource(const std::string& path, const DirectoryHandle* /*folder*/) override {
        // Others may go on reading and writing the source; a change shows in its status afterwards.
        in_.reset(::CreateFileW(win::nativePath(path).c_str(), GENERIC_READ | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
        if (!in_.valid() || !readSource(in_.get(), before_))
            return win::lastError();
        return {};
    }
    bool sourceIsRegular() const override { return before_.status.isRegular(); }
    std::int64_t sourceSize() const override { return before_.status.size; }
    CopyTime sourceModified() const override {
        return CopyTime{before_.status.mtimeSeconds, before_.status.mtimeNanoseconds};
    }
    bool targetExists(const std::string& name) const override {
        DWORD failure = ERROR_SUCCESS;
        const Handle existing(win::openChild(folder_, name, FILE_READ_ATTRIBUTES, FILE_OPEN, 0, failure));
        return existing.valid();
    }
    Error createTemporary() override { return errorUnlessSuccess(copy_.create()); }
    DataResult moveData(CopyFlow& flow) override { return copyData(in_.get(), copy_.handle(), flow); }
    bool sourceUnchanged() override {
        SourceState after;
        return readSource(in_.get(), after) && sameSource(before_, after);
    }
    Error stamp(CopyTime modified, bool keepAttributes, unsigned& notKept) override {
        // Windows keeps no POSIX modes, owners or extended attributes.
        if (keepAttributes)
            notKept |= kept::Mode | kept::Owner | kept::ExtendedAttributes | kept::AccessLists;
        const std::int64_t lastWrite = win::toFileTime(modified.seconds, modified.nanoseconds);
        return errorUnlessSuccess(stampCopy(copy_.handle(), lastWrite, before_.attributes));
    }
    Error place(const std::string& name, bool overwrite) override {
        return errorUnlessSuccess(copy_.place(name, overwrite));
    }

private:
    HANDLE folder_;
    Handle in_;
    SourceState before_;
    TemporaryCopy copy_;
};

} // namespace

std::unique_ptr<CopyAttempt> newCopyAttempt(const DirectoryHandle& folder) {
    return std::make_unique<WindowsCopyAttempt>(LongToHandle(folder.nativeHandle()));
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
