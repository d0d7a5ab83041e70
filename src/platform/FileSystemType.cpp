#include "platform/FileSystemType.h"

namespace kestrel::platform {

bool isFatFamily(const std::string& fileSystemType) {
    std::string type;
    for (char c : fileSystemType)
        type += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    // A FUSE file system names its driver after a dot: fuse.fusefat, fuseblk.exfat, fuse.vfat.
    if (type.rfind("fuse", 0) == 0) {
        const std::size_t dot = type.find('.');
        if (dot == std::string::npos)
            return false;
        type = type.substr(dot + 1);
    }
    // Windows names them FAT, FAT12, FAT16, FAT32 and exFAT.
    return type == "vfat" || type == "msdos" || type == "fusefat" || type == "fat" || type == "umsdos" ||
           type == "exfat" || type == "fat12" || type == "fat16" || type == "fat32";
}

} // namespace kestrel::platform
