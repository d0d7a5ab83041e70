#include "platform/RegularFile.h"

#include "platform/windows/Win32.h"

#include <utility>

namespace kestrel::platform {

namespace {

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Opens without waiting on anything: a pipe or device is recognised by its type and refused.
HANDLE openFile(const std::string& path, DWORD access, DWORD disposition, DWORD& failure) {
    HANDLE handle = ::CreateFileW(win::nativePath(path).c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    failure = handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
    return handle;
}

// A folder of the name cannot be opened as a file: it is no file.
Error openingError(const std::string& path, DWORD failure) {
    const DWORD a = ::GetFileAttributesW(win::nativePath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? Error::of(err::PathFileAccess)
                                                                          : win::errorOf(failure);
}

// A file the program may write inside the target: a regular file that no other name shares.
bool isOwnFile(const FileStatus& status) {
    return status.isRegular() && status.linkCount <= 1;
}

} // namespace

OwnFileState ownFileStateOf(const DirectoryHandle& folder, const std::string& name) {
    const FileStatus status = folder.statChild(name);
    if (!status.exists())
        return OwnFileState::Missing; // or unreadable: opening it will say why
    return isOwnFile(status) ? OwnFileState::Own : OwnFileState::Foreign;
}

Result<RegularFile> openOwnFile(const DirectoryHandle& folder, const std::string& name, FileOpening opening,
                                bool& foreign) {
    foreign = false;
    HANDLE at = LongToHandle(folder.nativeHandle());
    // Appending asks for no right but to append: every write then goes to the file's end.
    const ACCESS_MASK access =
        (opening == FileOpening::Append ? FILE_APPEND_DATA : FILE_GENERIC_WRITE) | FILE_READ_ATTRIBUTES;
    // A name that comes and goes between the calls is looked at again, a few times.
    const OwnFileOpeningSeam::Function seam = OwnFileOpeningSeam::current();
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (seam)
            seam(name, false);
        DWORD failure = ERROR_SUCCESS;
        win::Handle handle(win::openChild(at, name, access, FILE_CREATE, FILE_NON_DIRECTORY_FILE, failure));
        if (handle.valid())
            return RegularFile(reinterpret_cast<std::intptr_t>(handle.release()));
        if (failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS)
            return win::errorOf(failure);
        if (seam)
            seam(name, true);
        // A reparse point is opened as itself, never followed, and then refused by its status.
        handle.reset(win::openChild(at, name, access, FILE_OPEN, FILE_NON_DIRECTORY_FILE, failure));
        if (!handle.valid()) {
            if (failure == ERROR_FILE_NOT_FOUND)
                continue;
            if (ownFileStateOf(folder, name) == OwnFileState::Foreign)
                break;
            return win::errorOf(failure);
        }
        if (::GetFileType(handle.get()) != FILE_TYPE_DISK || !isOwnFile(win::statusOfHandle(handle.get())))
            break;
        if (opening == FileOpening::Truncate) {
            FILE_END_OF_FILE_INFO end{};
            if (!::SetFileInformationByHandle(handle.get(), FileEndOfFileInfo, &end, sizeof end))
                return win::lastError();
        }
        return RegularFile(reinterpret_cast<std::intptr_t>(handle.release()));
    }
    foreign = true;
    return Error::of(err::PathFileAccess);
}

Result<std::int64_t> RegularFile::read(char* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30));
    if (!::ReadFile(handleOf(handle_), buffer, want, &got, nullptr)) {
        const DWORD failure = ::GetLastError();
        if (failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF)
            return std::int64_t{0};
        return win::errorOf(failure);
    }
    return static_cast<std::int64_t>(got);
}

Error RegularFile::writeAll(const char* data, std::size_t size) {
    if (const DWORD failure = win::writeAll(handleOf(handle_), std::string(data, size)))
        return win::errorOf(failure);
    return {};
}

void RegularFile::close() {
    if (handle_ != -1)
        ::CloseHandle(handleOf(std::exchange(handle_, -1)));
}

Result<RegularFile> openRegularFile(const std::string& path, FileOpening opening, bool allowCharacterDevice) {
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (opening == FileOpening::Truncate) {
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
    } else if (opening == FileOpening::Append) {
        access = FILE_APPEND_DATA | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
    }
    DWORD failure = ERROR_SUCCESS;
    win::Handle handle(openFile(path, access, disposition, failure));
    if (!handle.valid())
        return openingError(path, failure);
    const DWORD type = ::GetFileType(handle.get());
    const bool regular = type == FILE_TYPE_DISK && win::statusOfHandle(handle.get()).isRegular();
    if (!(regular || (allowCharacterDevice && type == FILE_TYPE_CHAR)))
        return Error::of(err::PathFileAccess);
    return RegularFile(reinterpret_cast<std::intptr_t>(handle.release()));
}

Error probeReadable(const std::string& path) {
    DWORD failure = ERROR_SUCCESS;
    win::Handle handle(openFile(path, GENERIC_READ, OPEN_EXISTING, failure));
    if (!handle.valid())
        return openingError(path, failure);
    return {};
}

} // namespace kestrel::platform
