#include "platform/TargetFileSystem.h"

#include "platform/windows/Win32.h"

namespace kestrel::platform {

FileSystemTraits learnTraitsOf(const DirectoryHandle& folder) {
    std::string type;
    wchar_t name[MAX_PATH + 1];
    if (folder.valid() && ::GetVolumeInformationByHandleW(LongToHandle(folder.nativeHandle()), nullptr, 0,
                                                          nullptr, nullptr, nullptr, name, MAX_PATH + 1))
        type = win::utf8(name); // "NTFS", "FAT32", "exFAT", "ReFS" ...
    if (const std::optional<FileSystemTraits> standIn = FileSystemTraitsSeam::current()) {
        FileSystemTraits traits = *standIn;
        traits.type = type;
        return traits;
    }
    FileSystemTraits traits = presumedTraitsOf(type);
    // Every Windows file system takes names by Windows' rules and ignores their case.
    traits.windowsNames = true;
    traits.ignoresCase = true;
    traits.maxNameUnits = 255;
    if (traits.times.step == TimeKeeping::kNanosecond || traits.times.step == 0)
        traits.times.step = 100; // FILETIME's step
    return traits;
}

std::string caseFoldedName(const std::string& name) {
    std::wstring text = win::wide(name);
    if (!text.empty())
        ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return win::utf8(text);
}

} // namespace kestrel::platform
