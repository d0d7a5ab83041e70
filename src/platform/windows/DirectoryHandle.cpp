#include "platform/DirectoryHandle.h"

#include "platform/windows/Win32.h"

#include <winternl.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <utility>

// The folder's Windows handle is kept in the int that holds a descriptor on POSIX: Windows
// keeps handle values within 32 bits so that they can be passed between 32- and 64-bit
// programs (HandleToLong/LongToHandle).
namespace kestrel::platform {

using win::Handle;

namespace {

HANDLE handleOf(int fd) {
    return LongToHandle(fd);
}

// The rights a folder handle is opened with: reading its entries and attributes, taking
// entries out of it, and setting its own attributes.
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_TRAVERSE;

// The target locks taken through handles of this process, each a named semaphore of one count
// that stands for the folder (by volume serial and file index); its count comes back when the
// handle closes, and the semaphore goes with the last handle of any process.
std::mutex lockMutex;
std::map<int, HANDLE>& heldLocks() {
    static std::map<int, HANDLE> locks;
    return locks;
}

void releaseLock(int fd) {
    std::lock_guard<std::mutex> lock(lockMutex);
    const auto it = heldLocks().find(fd);
    if (it == heldLocks().end())
        return;
    ::ReleaseSemaphore(it->second, 1, nullptr);
    ::CloseHandle(it->second);
    heldLocks().erase(it);
}

void closeFolder(int fd) {
    if (fd < 0)
        return;
    releaseLock(fd);
    ::CloseHandle(handleOf(fd));
}

int toFd(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1 : HandleToLong(handle);
}

// A folder handle from an open call, or the error when the entry is no folder.
Result<int> folderFrom(HANDLE handle, DWORD failure) {
    if (handle == INVALID_HANDLE_VALUE) {
        // A reparse point or a file where a folder was looked for is no folder of the tree.
        return win::errorOf(failure == ERROR_DIRECTORY ? static_cast<DWORD>(ERROR_PATH_NOT_FOUND) : failure,
                            true);
    }
    const FileStatus status = win::statusOfHandle(handle);
    if (!status.isDirectory()) {
        ::CloseHandle(handle);
        return Error::of(err::PathNotFound);
    }
    return toFd(handle);
}

} // namespace

DirectoryHandle::~DirectoryHandle() {
    closeFolder(fd_);
}

DirectoryHandle::DirectoryHandle(DirectoryHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

DirectoryHandle& DirectoryHandle::operator=(DirectoryHandle&& other) noexcept {
    if (this != &other) {
        closeFolder(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Result<DirectoryHandle> DirectoryHandle::open(const std::string& path) {
    // The root the user chose: a link or junction on its way is followed.
    HANDLE handle = win::openEntry(path, kFolderAccess, true);
    const DWORD failure = ::GetLastError();
    return adopt(folderFrom(handle, failure));
}

Result<DirectoryHandle> DirectoryHandle::openChild(const std::string& name) const {
    DWORD failure = ERROR_SUCCESS;
    HANDLE handle =
        win::openChild(handleOf(fd_), name, kFolderAccess, FILE_OPEN, FILE_DIRECTORY_FILE, failure);
    if (handle != INVALID_HANDLE_VALUE && win::statusOfHandle(handle).kind == EntryKind::Symlink) {
        ::CloseHandle(handle); // a junction or link to a folder is never entered
        handle = INVALID_HANDLE_VALUE;
        failure = ERROR_PATH_NOT_FOUND;
    }
    return adopt(folderFrom(handle, failure));
}

// A folder passed through is opened as any other: Windows lets every user through folders they
// may not list, so none on the way to a file of the user's own is closed to a handle.
Result<DirectoryHandle> DirectoryHandle::openToPass(const std::string& path) {
    return open(path);
}

Result<DirectoryHandle> DirectoryHandle::openChildToPass(const std::string& name) const {
    return openChild(name);
}

FileStatus DirectoryHandle::statChild(const std::string& name) const {
    DWORD failure = ERROR_SUCCESS;
    Handle handle(win::openChild(handleOf(fd_), name, FILE_READ_ATTRIBUTES, FILE_OPEN, 0, failure));
    if (!handle.valid())
        return win::failedStatus(failure);
    return win::statusOfHandle(handle.get());
}

FileStatus DirectoryHandle::statChildFollowingLinks(const std::string& name) const {
    return statPath(pathOfChild(name), true);
}

Result<DirectoryHandle> DirectoryHandle::duplicate() const {
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (fd_ < 0 || !::DuplicateHandle(::GetCurrentProcess(), handleOf(fd_), ::GetCurrentProcess(), &copy, 0,
                                      FALSE, DUPLICATE_SAME_ACCESS))
        return win::errorOf(fd_ < 0 ? static_cast<DWORD>(ERROR_INVALID_HANDLE) : ::GetLastError(), true);
    return DirectoryHandle(toFd(copy));
}

FileStatus DirectoryHandle::status() const {
    return win::statusOfHandle(handleOf(fd_));
}

Result<std::vector<DirectoryEntry>> DirectoryHandle::readEntries() const {
    std::vector<DirectoryEntry> entries;
    Error error;
    std::vector<unsigned char> buffer(64 * 1024);
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!::GetFileInformationByHandleEx(handleOf(fd_), kind, buffer.data(),
                                            static_cast<DWORD>(buffer.size()))) {
            const DWORD failure = ::GetLastError();
            if (failure != ERROR_NO_MORE_FILES)
                error = win::errorOf(failure, true);
            break;
        }
        kind = FileIdBothDirectoryInfo;
        std::size_t offset = 0;
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + offset);
            const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                DirectoryEntry entry;
                entry.name = win::utf8(name);
                if (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                    entry.kind = EntryKind::Symlink;
                else if (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    entry.kind = EntryKind::Directory;
                else
                    entry.kind = EntryKind::Regular;
                entries.push_back(std::move(entry));
            }
            if (info->NextEntryOffset == 0)
                break;
            offset += info->NextEntryOffset;
        }
    }
    if (error)
        return error;
    return entries;
}

Error DirectoryHandle::makeChild(const std::string& name) const {
    DWORD failure = ERROR_SUCCESS;
    Handle handle(
        win::openChild(handleOf(fd_), name, FILE_LIST_DIRECTORY, FILE_CREATE, FILE_DIRECTORY_FILE, failure));
    if (!handle.valid())
        return win::errorOf(failure, true);
    return {};
}

Error DirectoryHandle::removeChild(const std::string& name) const {
    DWORD failure = ERROR_SUCCESS;
    Handle handle(win::openChild(handleOf(fd_), name, DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN, 0, failure));
    if (!handle.valid())
        return win::errorOf(failure);
    // A folder goes through removeChildFolder; a link to one goes here, as itself.
    if (win::statusOfHandle(handle.get()).isDirectory())
        return Error::of(err::PathFileAccess);
    if (const DWORD rc = win::deleteByHandle(handle.get()))
        return win::errorOf(rc);
    return {};
}

Error DirectoryHandle::removeChildFolder(const std::string& name) const {
    DWORD failure = ERROR_SUCCESS;
    Handle handle(win::openChild(handleOf(fd_), name, DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN,
                                 FILE_DIRECTORY_FILE, failure));
    if (!handle.valid())
        return win::errorOf(failure, true);
    if (!win::statusOfHandle(handle.get()).isDirectory())
        return Error::of(err::PathNotFound); // a link to a folder is no folder of the tree
    if (const DWORD rc = win::deleteByHandle(handle.get()))
        return win::errorOf(rc, true);
    return {};
}

Error DirectoryHandle::renameChild(const std::string& from, const std::string& to) const {
    DWORD failure = ERROR_SUCCESS;
    Handle handle(win::openChild(handleOf(fd_), from, DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN, 0, failure));
    if (!handle.valid())
        return win::errorOf(failure);
    if (const DWORD rc = win::renameByHandle(handle.get(), handleOf(fd_), to, true))
        return win::errorOf(rc);
    return {};
}

Error DirectoryHandle::moveChildTo(const std::string& from, const DirectoryHandle& to,
                                   const std::string& toName) const {
    DWORD failure = ERROR_SUCCESS;
    Handle handle(win::openChild(handleOf(fd_), from, DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN, 0, failure));
    if (!handle.valid())
        return win::errorOf(failure);
    if (const DWORD rc = win::renameByHandle(handle.get(), handleOf(to.fd_), toName, false))
        return win::errorOf(rc);
    return {};
}

namespace {

Error setAttributesOfHandle(HANDLE handle, unsigned mode) {
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info))
        return win::lastError();
    FILE_BASIC_INFO change{}; // times of 0 stay as they are
    change.FileAttributes = win::attributesForMode(info.FileAttributes, mode);
    if (!::SetFileInformationByHandle(handle, FileBasicInfo, &change, sizeof change))
        return win::lastError();
    return {};
}

} // namespace

Error DirectoryHandle::setChildFileMode(const std::string& name, unsigned mode) const {
    DWORD failure = ERROR_SUCCESS;
    Handle handle(win::openChild(handleOf(fd_), name, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, FILE_OPEN,
                                 FILE_NON_DIRECTORY_FILE, failure));
    if (!handle.valid())
        return failure == ERROR_ACCESS_DENIED || failure == ERROR_FILE_NOT_FOUND ||
                       failure == ERROR_PATH_NOT_FOUND
                   ? win::errorOf(failure)
                   : Error::of(err::PathFileAccess);
    const FileStatus status = win::statusOfHandle(handle.get());
    if (!status.isRegular() || status.linkCount > 1)
        return Error::of(err::PathFileAccess);
    return setAttributesOfHandle(handle.get(), mode);
}

Error DirectoryHandle::setMode(unsigned mode) const {
    DWORD failure = ERROR_SUCCESS;
    Handle self(win::openChild(handleOf(fd_), "", FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, FILE_OPEN,
                               FILE_DIRECTORY_FILE, failure));
    if (!self.valid())
        return win::errorOf(failure, true);
    return setAttributesOfHandle(self.get(), mode);
}

bool DirectoryHandle::isAtOrBelow(const DirectoryHandle& tree) const {
    if (!valid() || !tree.valid())
        return false;
    // The final paths of both folders (every link and junction resolved), compared as Windows
    // compares names, without regard to case.
    const std::wstring folder = win::pathOfHandle(handleOf(fd_));
    std::wstring top = win::pathOfHandle(handleOf(tree.fd_));
    while (!top.empty() && top.back() == L'\\')
        top.pop_back();
    if (folder.empty() || top.empty() || folder.size() < top.size())
        return false;
    const int length = static_cast<int>(top.size());
    if (::CompareStringOrdinal(folder.data(), length, top.data(), length, TRUE) != CSTR_EQUAL)
        return false;
    return folder.size() == top.size() || folder[top.size()] == L'\\';
}

bool DirectoryHandle::tryLockExclusive() const {
    // A folder cannot be locked as a file can (LockFileEx refuses folder handles), and a lock
    // file would be an entry of the target: the lock is a named semaphore of the folder's
    // identity, seen by every process of this session.
    const FileStatus st = status();
    if (!st.exists())
        return false;
    wchar_t name[96];
    std::swprintf(name, 96, L"Local\\KestrelBackup.TargetLock.%08llx.%016llx",
                  static_cast<unsigned long long>(st.device), static_cast<unsigned long long>(st.inode));
    std::lock_guard<std::mutex> lock(lockMutex);
    if (heldLocks().count(fd_))
        return true;
    HANDLE semaphore = ::CreateSemaphoreW(nullptr, 1, 1, name);
    if (!semaphore)
        return false;
    if (::WaitForSingleObject(semaphore, 0) != WAIT_OBJECT_0) {
        ::CloseHandle(semaphore);
        return false;
    }
    heldLocks()[fd_] = semaphore;
    return true;
}

std::string DirectoryHandle::pathOfChild(const std::string& name) const {
    std::string path = win::utf8(win::pathOfHandle(handleOf(fd_)));
    if (path.empty())
        return name;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + name;
}

} // namespace kestrel::platform
