#include "platform/Disk.h"

#include "platform/Path.h"
#include "platform/windows/Win32.h"

namespace kestrel::platform {

std::string mountPointOf(const std::string& path) {
    return win::utf8(win::volumeRootOf(path));
}

bool isMountedReadOnly(const std::string& path) {
    const std::wstring root = win::volumeRootOf(path);
    DWORD flags = 0;
    if (root.empty() ||
        !::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return false;
    return (flags & FILE_READ_ONLY_VOLUME) != 0;
}

bool diskSpace(const std::string& path, DiskSpace& space, Error& error) {
    error = {};
    const std::wstring root = win::volumeRootOf(path);
    if (root.empty()) {
        error = Error::of(err::PathNotFound);
        return false;
    }
    ULARGE_INTEGER freeForUser, total, freeTotal;
    if (!::GetDiskFreeSpaceExW(root.c_str(), &freeForUser, &total, &freeTotal)) {
        error = win::lastError(true);
        return false;
    }
    space.freeForUser = freeForUser.QuadPart;
    space.total = total.QuadPart;
    space.freeTotal = freeTotal.QuadPart;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        space.blockSize = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
    if (space.blockSize == 0)
        space.blockSize = 4096;
    return true;
}

Error writeNewFile(const DirectoryHandle& folder, const std::string& name, const std::string& content) {
    if (const NewFileFaultSeam::Function fault = NewFileFaultSeam::current()) {
        if (Error error = fault(folder.pathOfChild(name)))
            return error;
    }
    // FILE_CREATE refuses any entry of the name, a link included, so no user's file is touched.
    DWORD failure = ERROR_SUCCESS;
    win::Handle out(win::openChild(LongToHandle(folder.nativeHandle()), name, FILE_GENERIC_WRITE | DELETE,
                                   FILE_CREATE, FILE_NON_DIRECTORY_FILE, failure));
    if (!out.valid())
        return win::errorOf(failure, true);
    failure = win::writeAll(out.get(), content);
    if (failure != ERROR_SUCCESS) {
        win::deleteByHandle(out.get()); // our own file, made a moment ago
        return win::errorOf(failure);
    }
    return {};
}

Error writeNewFile(const std::string& path, const std::string& content) {
    Error error;
    const std::string parent = parentOf(path);
    const DirectoryHandle folder =
        DirectoryHandle::openToPass(parent.empty() ? std::string(".") : parent, error);
    return folder.valid() ? writeNewFile(folder, nameOf(path), content) : error;
}

} // namespace kestrel::platform
