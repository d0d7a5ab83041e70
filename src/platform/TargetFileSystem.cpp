#include "platform/TargetFileSystem.h"

#include "platform/FileSystemType.h"

#include <cstdlib>

namespace kestrel::platform {

namespace {

std::int64_t floorDiv(std::int64_t value, std::int64_t step) {
    std::int64_t quotient = value / step;
    if (value % step != 0 && value < 0)
        --quotient;
    return quotient;
}

// The number of UTF-16 units a UTF-8 name takes (a byte that starts no valid sequence counts one).
std::size_t utf16Units(const std::string& name) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        std::size_t length = 1;
        if (byte >= 0xF0 && byte < 0xF8)
            length = 4;
        else if (byte >= 0xE0)
            length = 3;
        else if (byte >= 0xC0)
            length = 2;
        if (i + length > name.size())
            length = 1;
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

bool windowsForbids(unsigned char c) {
    if (c < 0x20 || c == 0x7F)
        return true;
    switch (c) {
    case '"':
    case '*':
    case ':':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|':
        return true;
    default:
        return false;
    }
}

} // namespace

std::int64_t TimeKeeping::stored(std::int64_t nanoseconds) const {
    if (step <= 1)
        return nanoseconds;
    const std::int64_t offset = rounds ? step / 2 : 0;
    return floorDiv(nanoseconds + offset, step) * step;
}

bool TimeKeeping::sameVersion(std::int64_t sourceNanoseconds, std::int64_t copyNanoseconds) const {
    if (step <= 0)
        return std::llabs(sourceNanoseconds - copyNanoseconds) < kSecond;
    return stored(sourceNanoseconds) == copyNanoseconds;
}

FileSystemTraits presumedTraitsOf(const std::string& mountType) {
    FileSystemTraits traits;
    traits.type = mountType;
    std::string type;
    for (char c : mountType)
        type += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const auto isOneOf = [&type](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (type == name)
                return true;
        return false;
    };
    if (isFatFamily(type)) {
        const bool exfat = type == "exfat" || type == "fuse.exfat" || type == "fuseblk.exfat";
        traits.hardLinks = false;
        traits.unnamedFiles = false;
        traits.windowsNames = true;
        traits.ignoresCase = true;
        traits.times.step = exfat ? 10 * 1000000 : TimeKeeping::kFatStep;
        // FAT32 keeps a file's length in 32 bits.
        if (!exfat)
            traits.maxFileSize = 0xFFFFFFFFLL;
    } else if (isOneOf({"ntfs", "ntfs3", "fuse.ntfs-3g", "fuseblk.ntfs-3g"})) {
        traits.unnamedFiles = false;
        traits.times.step = 100;
    } else if (isOneOf({"fuse.sshfs", "sshfs"})) {
        traits.unnamedFiles = false;
        traits.times.step = TimeKeeping::kSecond;
    } else if (isOneOf({"cifs", "smb3", "smbfs"})) {
        traits.hardLinks = false;
        traits.unnamedFiles = false;
        traits.windowsNames = true;
        traits.ignoresCase = true;
        traits.times.step = 100;
    } else if (isOneOf({"nfs", "nfs4"})) {
        traits.unnamedFiles = false;
    } else if (type == "fuse" || type == "fuseblk" || type.rfind("fuse.", 0) == 0 ||
               type.rfind("fuseblk.", 0) == 0) {
        // Any driver at all: what it keeps is found by trying.
        traits.unnamedFiles = false;
        traits.times.step = 0;
    }
    if (traits.windowsNames)
        traits.maxNameUnits = 255;
    return traits;
}

NameProblem nameProblemOn(const FileSystemTraits& traits, const std::string& name) {
    if (traits.windowsNames) {
        for (char c : name)
            if (windowsForbids(static_cast<unsigned char>(c)))
                return NameProblem::Characters;
        if (!name.empty() && (name.back() == '.' || name.back() == ' '))
            return NameProblem::TrailingDotOrBlank;
        if (utf16Units(name) > traits.maxNameUnits)
            return NameProblem::Length;
        return NameProblem::None;
    }
    if (name.size() > traits.maxNameUnits)
        return NameProblem::Length;
    return NameProblem::None;
}

} // namespace kestrel::platform
