#include "platform/FileSystemType.h"

#include "platform/windows/Win32.h"

namespace kestrel::platform {

std::string fileSystemTypeOf(const std::string& path) {
    if (const FileSystemTypeSeam::Function query = FileSystemTypeSeam::current())
        return query(path);
    const std::wstring root = win::volumeRootOf(path);
    wchar_t name[MAX_PATH + 1];
    if (root.empty() ||
        !::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1))
        return {};
    return win::utf8(name); // "NTFS", "FAT32", "exFAT", "ReFS" ...
}

} // namespace kestrel::platform
