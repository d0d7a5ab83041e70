#include "engine/DeleteProcedures.h"

#include "modules/DiskProc.h"
#include "platform/FileOverwrite.h"
#include "platform/FileSystem.h"

#include <sys/stat.h>

namespace kestrel {

namespace {

constexpr int kDeleteAttempts = 4;
constexpr int kDeleteRetryWaitMs = 500;

DeletionFaults& Faults() {
    static DeletionFaults faults;
    return faults;
}

bool EntryExists(const std::string& path) {
    return platform::statPath(path, false).exists();
}

// Adds the owner's write permission to a regular file that no other name shares.
void ClearReadOnlyOfOwnFile(const platform::FileStatus& status, const std::string& path) {
    if (status.isRegular() && status.linkCount <= 1 && (status.mode & S_IWUSR) == 0) {
        platform::setPermissions(path, status.mode | S_IWUSR);
    }
}

platform::Error RemoveEntry(const std::string& path) {
    if (Faults().removeFile) {
        if (platform::Error fault = Faults().removeFile(path)) {
            return fault;
        }
    }
    return platform::removeFile(path);
}

} // namespace

void setDeletionFaultsForTesting(DeletionFaults faults) {
    Faults() = std::move(faults);
}

const DeletionFaults& deletionFaults() {
    return Faults();
}

bool DeleteFileWithRetry(const std::string& path, bool /*clearHidden*/, bool clearReadOnly,
                         bool /*clearSystem*/, Interaction& ui) {
    const platform::FileStatus status = platform::statPath(path, false);
    if (!status.exists()) {
        return true;
    }
    if (clearReadOnly) {
        ClearReadOnlyOfOwnFile(status, path);
    }
    for (int attempt = 1; attempt <= kDeleteAttempts; ++attempt) {
        if (!RemoveEntry(path)) {
            return true;
        }
        if (!EntryExists(path)) {
            return true;
        }
        if (attempt < kDeleteAttempts) {
            ui.Sleep(kDeleteRetryWaitMs);
        }
    }
    return false;
}

bool OverwriteFile(const std::string& path, int /*mode*/, bool clearReadOnly, bool useClusterSize,
                   platform::Error* error) {
    platform::Error result;
    const platform::FileStatus status = platform::statPath(path, false);
    if (!status.exists()) {
        result = platform::Error::fromErrno(status.errnoValue);
    } else if (!status.isRegular() || status.linkCount > 1) {
        result = platform::Error::of(platform::err::PathFileAccess);
    } else if ((status.mode & S_IWUSR) == 0 && !clearReadOnly) {
        result = platform::Error::of(platform::err::PermissionDenied);
    } else {
        ClearReadOnlyOfOwnFile(status, path);
        std::int64_t clusterSize = -1;
        if (useClusterSize) {
            double freeBytes = 0;
            // The file's own file system: the drive that holds its blocks.
            clusterSize = GetClusterSize(path, freeBytes);
            if (clusterSize <= 0) {
                clusterSize = -1;
            }
        }
        if (Faults().overwriteFile) {
            result = Faults().overwriteFile(path);
        }
        if (!result) {
            result = platform::overwriteFileInPlace(path, clusterSize);
        }
    }
    if (error != nullptr) {
        *error = result;
    }
    return !result;
}

} // namespace kestrel
