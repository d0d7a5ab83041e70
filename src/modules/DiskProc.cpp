#include "modules/DiskProc.h"

#include "modules/FileProc.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/DirectoryHandle.h"
#include "platform/Disk.h"
#include "platform/FileSystem.h"

namespace kestrel {

namespace {

const char kScratchName[] = "klasdjfdskjfkjkwjkweoewiroew";
const char kScratchExtension[] = ".txt";
const char kScratchContent[] = "A line\n";
// Enough tries to get past a few leftovers; a folder full of them is no longer a test of writing.
constexpr int kScratchAttempts = 100;

} // namespace

bool IsWriteProtected(const std::string& path, std::string& errorDescription) {
    errorDescription.clear();
    if (path.empty()) {
        // Never the working folder: an unnamed folder cannot be written to.
        errorDescription = platform::errorDescription(platform::err::PathNotFound);
        return true;
    }
    // The scratch file is made and removed through the folder's handle, by name, so neither can
    // be led elsewhere by a link.
    platform::Result<platform::DirectoryHandle> opened = platform::openDirectory(path);
    platform::Error error = opened.error();
    const platform::DirectoryHandle folder = std::move(opened).valueOr({});
    bool tested = false;
    for (int attempt = 0; folder.valid() && attempt < kScratchAttempts; ++attempt) {
        const std::string scratch = std::string(kScratchName) +
                                    (attempt == 0 ? std::string() : "-" + std::to_string(attempt)) +
                                    kScratchExtension;
        // What a test killed half-way left is removed, whichever name it took. A file of the
        // scratch name that holds anything else belongs to someone: another name is taken and
        // that file is never touched.
        const bool leftoverRemoved = platform::removeInterruptedNewFile(folder, scratch, kScratchContent);
        if (tested) {
            if (!leftoverRemoved && !folder.statChild(scratch).exists())
                break; // no test went further than the first free name
            continue;
        }
        error = platform::writeNewFile(folder, scratch, kScratchContent);
        if (error.number == platform::err::FileAlreadyExists)
            continue;
        if (!error)
            error = folder.removeChild(scratch);
        tested = true;
    }
    if (error) {
        errorDescription = error.description;
        return true;
    }
    return false;
}

bool IsDriveWriteProtected(const std::string& path) {
    return platform::isMountedReadOnly(path);
}

platform::Result<DriveSpace> GetDiskSpace(const std::string& path) {
    const platform::Result<platform::DiskSpace> space = platform::diskSpace(path);
    if (!space.ok())
        return space.error();
    return DriveSpace{static_cast<double>(space.value().freeForUser),
                      static_cast<double>(space.value().total)};
}

double GetDriveFreeSpace(const std::string& path) {
    const platform::Result<DriveSpace> space = GetDiskSpace(path);
    return space.ok() ? space.value().freeBytes : -1;
}

std::int32_t GetClusterSize(const std::string& rootPath, double& freeBytes) {
    freeBytes = -1;
    const platform::Result<platform::DiskSpace> read = platform::diskSpace(rootPath);
    if (!read.ok())
        return -1;
    const platform::DiskSpace& space = read.value();
    if (space.blockSize < 512 || space.blockSize > 65536)
        return -2;
    freeBytes = static_cast<double>(space.freeForUser);
    return static_cast<std::int32_t>(space.blockSize);
}

std::string FormatByteSize(double bytes, bool blnCapital) {
    const std::string unit = GetProgramText(blnCapital ? 1209 : 152);
    if (bytes == 0)
        return "0 " + unit;
    if (bytes < 1024)
        return GroupedNumber(bytes, 0) + " " + unit;
    if (bytes < 1048576)
        return GroupedNumber(bytes / 1024, 2) + " " + GetProgramText(1206);
    if (bytes < 1073741824)
        return GroupedNumber(bytes / 1048576, 2) + " " + GetProgramText(1207);
    return GroupedNumber(bytes / 1073741824, 2) + " " + GetProgramText(1208);
}

std::string FreeSpaceText(const std::string& path) {
    const platform::Result<DriveSpace> space = GetDiskSpace(path);
    if (!space.ok())
        return {};
    return FormatByteSize(space.value().freeBytes, false);
}

} // namespace kestrel
