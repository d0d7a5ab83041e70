#include "platform/FileSystemType.h"

#include "platform/posix/MountTable.h"

#include <sys/stat.h>
#include <sys/statfs.h>

namespace kestrel::platform {

namespace {

// Magic numbers of statfs' f_type, for when the mount table does not name the file system.
constexpr long kMsdosMagic = 0x4d44;
constexpr long kExfatMagic = 0x2011BAB0;

std::string parentOf(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const std::size_t slash = p.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : p.substr(0, slash);
}

// The nearest existing folder of the path, with its status (links followed); empty when none.
std::string nearestExistingFolder(const std::string& path, struct stat& st) {
    std::string p = path;
    for (;;) {
        if (::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return p;
        if (p == "/" || p == ".")
            return {};
        p = parentOf(p);
    }
}

} // namespace

namespace {

std::string typeFromMagic(const std::string& folder) {
    struct statfs fs;
    if (::statfs(folder.c_str(), &fs) != 0)
        return {};
    if (static_cast<long>(fs.f_type) == kMsdosMagic)
        return "vfat";
    if (static_cast<long>(fs.f_type) == kExfatMagic)
        return "exfat";
    return {};
}

} // namespace

std::string fileSystemTypeOf(const std::string& path) {
    if (const FileSystemTypeSeam::Function query = FileSystemTypeSeam::current())
        return query(path);
    if (path.empty())
        return {};
    struct stat st;
    const std::string folder = nearestExistingFolder(path, st);
    if (folder.empty())
        return {};
    // A btrfs subvolume has a device number of its own that the mount table does not list.
    std::string type = mountedFileSystemOf(st.st_dev).type;
    if (type.empty())
        type = typeFromMagic(folder);
    return type;
}

} // namespace kestrel::platform
