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

Result<DiskSpace> diskSpace(const std::string& path) {
    const std::wstring root = win::volumeRootOf(path);
    if (root.empty())
        return Error::of(err::PathNotFound);
    ULARGE_INTEGER freeForUser, total, freeTotal;
    if (!::GetDiskFreeSpaceExW(root.c_str(), &freeForUser, &total, &freeTotal))
        return win::lastError(true);
    DiskSpace space;
    space.freeForUser = freeForUser.QuadPart;
    space.total = total.QuadPart;
    space.freeTotal = freeTotal.QuadPart;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        space.blockSize = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
    if (space.blockSize == 0)
        space.blockSize = 4096;
    return space;
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
    const std::string parent = parentOf(path);
    const Result<DirectoryHandle> folder =
        DirectoryHandle::openToPass(parent.empty() ? std::string(".") : parent);
    return folder.ok() ? writeNewFile(folder.value(), nameOf(path), content) : folder.error();
}

bool removeInterruptedNewFile(const DirectoryHandle& folder, const std::string& name,
                              const std::string& content) {
    const std::wstring native = win::nativePath(folder.pathOfChild(name));
    win::Handle in(::CreateFileW(native.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!in.valid() || !::GetFileInformationByHandle(in.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        info.nNumberOfLinks != 1 || info.nFileSizeHigh != 0 || info.nFileSizeLow > content.size())
        return false;
    std::string held(content.size() + 1, '\0');
    DWORD n = 0;
    if (!::ReadFile(in.get(), held.data(), static_cast<DWORD>(held.size()), &n, nullptr) ||
        n != info.nFileSizeLow || content.compare(0, n, held, 0, n) != 0)
        return false;
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(in.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

std::vector<std::string> fileSystemTableMountPoints() {
    // Windows mounts what is plugged in under a drive letter; it keeps no table of where disks
    // are meant to be.
    return {};
}

} // namespace kestrel::platform
