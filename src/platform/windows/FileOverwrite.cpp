#include "platform/FileOverwrite.h"

#include "platform/OverwritePattern.h"
#include "platform/windows/Win32.h"

#include <algorithm>

namespace kestrel::platform {

namespace {

// Overwrites the open file's content, through the cache straight to the disk.
Error overwriteHandle(HANDLE handle, std::int64_t clusterSize) {
    const FileStatus status = win::statusOfHandle(handle);
    // A reparse point, a folder, a device and a file with other hard links are left as they are.
    if (!status.isRegular() || status.linkCount > 1)
        return Error::of(err::PathFileAccess);
    // Refused whoever runs the program (Wine run by root would write through it otherwise).
    if (status.attributes & file_attribute::ReadOnly)
        return Error::of(err::PermissionDenied);
    std::vector<unsigned char> buffer(static_cast<std::size_t>(overwriteWriteSize(clusterSize)));
    fillOverwritePattern(buffer);
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(handle, start, nullptr, FILE_BEGIN))
        return win::lastError();
    std::int64_t offset = 0;
    while (offset < status.size) {
        const DWORD want = static_cast<DWORD>(
            std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), status.size - offset));
        DWORD written = 0;
        if (!::WriteFile(handle, buffer.data(), want, &written, nullptr))
            return win::lastError();
        if (written == 0)
            return Error::of(err::DeviceIo);
        offset += written;
    }
    if (!::FlushFileBuffers(handle))
        return win::lastError();
    return {};
}

} // namespace

Error overwriteFileInPlace(const std::string& path, std::int64_t clusterSize) {
    // A folder refuses a file's open: it is no file to overwrite.
    const DWORD attributes = ::GetFileAttributesW(win::nativePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Error::of(err::PathFileAccess);
    win::Handle handle(::CreateFileW(win::nativePath(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!handle.valid())
        return win::lastError();
    return overwriteHandle(handle.get(), clusterSize);
}

Error overwriteChildInPlace(const DirectoryHandle& folder, const std::string& name,
                            std::int64_t clusterSize) {
    DWORD failure = ERROR_SUCCESS;
    win::Handle handle(win::openChild(LongToHandle(folder.nativeHandle()), name,
                                      FILE_WRITE_DATA | FILE_READ_ATTRIBUTES, FILE_OPEN,
                                      FILE_NON_DIRECTORY_FILE | FILE_WRITE_THROUGH, failure));
    if (!handle.valid()) {
        // A folder of the name refuses a file's open: it is no file to overwrite.
        const FileStatus entry = folder.statChild(name);
        return entry.exists() && !entry.isRegular() ? Error::of(err::PathFileAccess) : win::errorOf(failure);
    }
    return overwriteHandle(handle.get(), clusterSize);
}

} // namespace kestrel::platform
