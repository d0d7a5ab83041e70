#include "platform/RegularFile.h"

#include "platform/windows/Win32.h"

#include <fcntl.h>
#include <io.h>

namespace kestrel::platform {

int openRegularFile(const std::string& path, int flags, unsigned mode, Error& error,
                    bool allowCharacterDevice) {
    // Opened as a Windows handle first, so that a device or folder in the file's place is seen
    // before anything is read or written; then given to the C run-time as a descriptor.
    DWORD access = 0;
    switch (flags & (_O_RDONLY | _O_WRONLY | _O_RDWR)) {
    case _O_WRONLY:
        access = GENERIC_WRITE;
        break;
    case _O_RDWR:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    default:
        access = GENERIC_READ;
        break;
    }
    if (flags & _O_APPEND)
        access = (access & ~GENERIC_WRITE) | FILE_APPEND_DATA;
    DWORD disposition = OPEN_EXISTING;
    if ((flags & _O_CREAT) && (flags & _O_EXCL))
        disposition = CREATE_NEW;
    else if ((flags & _O_CREAT) && (flags & _O_TRUNC))
        disposition = CREATE_ALWAYS;
    else if (flags & _O_CREAT)
        disposition = OPEN_ALWAYS;
    else if (flags & _O_TRUNC)
        disposition = TRUNCATE_EXISTING;
    const DWORD attributes =
        (flags & _O_CREAT) && !(mode & 0200) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
    const std::wstring native = win::nativePath(path);
    win::Handle handle(::CreateFileW(native.c_str(), access,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     disposition, attributes, nullptr));
    if (!handle.valid()) {
        const DWORD failure = ::GetLastError();
        // A folder of the name cannot be opened as a file: it is no file.
        const DWORD a = ::GetFileAttributesW(native.c_str());
        error = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)
                    ? Error::of(err::PathFileAccess)
                    : win::errorOf(failure);
        return -1;
    }
    const DWORD type = ::GetFileType(handle.get());
    const FileStatus status = win::statusOfHandle(handle.get());
    const bool regular = type == FILE_TYPE_DISK && status.isRegular();
    if (!(regular || (allowCharacterDevice && type == FILE_TYPE_CHAR))) {
        error = Error::of(err::PathFileAccess);
        return -1;
    }
    const int crtFlags = (flags & (_O_RDONLY | _O_WRONLY | _O_RDWR | _O_APPEND)) | _O_BINARY;
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), crtFlags);
    if (fd < 0) {
        error = Error::of(err::PathFileAccess);
        return -1;
    }
    handle.release(); // the descriptor owns it now
    error = {};
    return fd;
}

} // namespace kestrel::platform
