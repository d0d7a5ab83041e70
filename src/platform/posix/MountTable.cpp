#include "platform/posix/MountTable.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/sysmacros.h>

namespace kestrel::platform {

namespace {

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// "98:0" as a device number.
std::optional<dev_t> deviceOf(const std::string& field) {
    const std::size_t colon = field.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == field.size() ||
        field.find_first_not_of("0123456789:") != std::string::npos)
        return std::nullopt;
    const unsigned long major = std::strtoul(field.c_str(), nullptr, 10);
    const unsigned long minor = std::strtoul(field.c_str() + colon + 1, nullptr, 10);
    return makedev(major, minor);
}

// The fields of a line, parted at each blank (the table escapes blanks inside a field); an
// empty field (a file system mounted from "") stays one.
std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t blank = line.find(' ', start);
        fields.push_back(line.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
        if (blank == std::string::npos)
            return fields;
        start = blank + 1;
    }
}

} // namespace

std::string unescapedMountField(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::optional<MountedFileSystem> parseMountInfoLine(const std::string& line) {
    // id, parent id, major:minor, root, mount point, mount options, optional fields..., "-",
    // type, source, the file system's own options.
    const std::vector<std::string> fields = fieldsOf(line);
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-")
        ++separator;
    if (separator + 1 >= fields.size() || fields[separator + 1].empty() || fields[4].empty())
        return std::nullopt;
    const std::optional<dev_t> device = deviceOf(fields[2]);
    if (!device)
        return std::nullopt;
    MountedFileSystem mounted;
    mounted.device = *device;
    mounted.mountPoint = unescapedMountField(fields[4]);
    mounted.type = fields[separator + 1];
    if (separator + 3 < fields.size())
        mounted.options = fields[separator + 3];
    return mounted;
}

std::vector<MountedFileSystem> mountTable() {
    std::ifstream table("/proc/self/mountinfo");
    std::vector<MountedFileSystem> mounts;
    std::string line;
    while (std::getline(table, line))
        if (std::optional<MountedFileSystem> mounted = parseMountInfoLine(line))
            mounts.push_back(std::move(*mounted));
    return mounts;
}

MountedFileSystem mountedFileSystemOf(dev_t device) {
    for (MountedFileSystem& mounted : mountTable())
        if (mounted.device == device)
            return std::move(mounted);
    return {};
}

bool replaceByRenameKeepsDataFirst(const std::string& fileSystemType, const std::string& mountOptions) {
    if (fileSystemType != "ext4")
        return false;
    std::istringstream options(mountOptions);
    std::string option;
    while (std::getline(options, option, ','))
        if (option == "data=writeback" || option == "noauto_da_alloc")
            return false;
    return true;
}

} // namespace kestrel::platform
