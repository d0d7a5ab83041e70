#include "engine/DeleteProcedures.h"

#include "modules/DiskProc.h"
#include "platform/FileOverwrite.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace kestrel {

namespace {

constexpr int kDeleteAttempts = 4;
constexpr int kDeleteRetryWaitMs = 500;

// The folder that holds a path's entry, open, and the entry's name in it.
platform::Result<platform::DirectoryHandle> OpenFolderOf(const std::string& path, std::string& name) {
    const std::size_t slash = platform::lastSeparatorOf(path);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    return platform::openDirectory(slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1));
}

platform::Error RemoveEntry(const platform::DirectoryHandle& folder, const std::string& name,
                            const std::string& path) {
    if (const DeletionFaults faults = deletionFaults(); faults.removeFile) {
        if (platform::Error fault = faults.removeFile(path)) {
            return fault;
        }
    }
    return folder.removeChild(name);
}

} // namespace

DeletionFaults deletionFaults() {
    return DeletionFaultsSeam::current();
}

bool DeleteFileWithRetry(const std::string& path, bool /*clearHidden*/, bool /*clearReadOnly*/,
                         bool /*clearSystem*/, Interaction& ui) {
    std::string name;
    const platform::Result<platform::DirectoryHandle> folder = OpenFolderOf(path, name);
    if (!folder.ok()) {
        return folder.error().number == platform::err::PathNotFound;
    }
    return DeleteFileWithRetry(folder.value(), name, path, ui);
}

bool DeleteFileWithRetry(const platform::DirectoryHandle& folder, const std::string& name,
                         const std::string& path, Interaction& ui) {
    for (int attempt = 1; attempt <= kDeleteAttempts; ++attempt) {
        if (!folder.statChild(name).exists()) {
            return true;
        }
        if (!RemoveEntry(folder, name, path)) {
            return true;
        }
        if (attempt < kDeleteAttempts && folder.statChild(name).exists()) {
            ui.Sleep(kDeleteRetryWaitMs);
        }
    }
    return !folder.statChild(name).exists();
}

platform::Status OverwriteFile(const std::string& path, int /*mode*/, bool clearReadOnly,
                               bool useClusterSize) {
    std::string name;
    const platform::Result<platform::DirectoryHandle> folder = OpenFolderOf(path, name);
    if (!folder.ok()) {
        return folder.error();
    }
    return OverwriteFile(folder.value(), name, path, clearReadOnly, useClusterSize);
}

platform::Status OverwriteFile(const platform::DirectoryHandle& folder, const std::string& name,
                               const std::string& path, bool clearReadOnly, bool useClusterSize) {
    platform::Error result;
    const platform::FileStatus status = folder.statChild(name);
    if (!status.exists()) {
        result = status.error();
    } else if (!status.isRegular() || status.linkCount > 1) {
        result = platform::Error::of(platform::err::PathFileAccess);
    } else if (platform::isReadOnly(status) && !clearReadOnly) {
        result = platform::Error::of(platform::err::PermissionDenied);
    } else {
        // Only what is about to be overwritten loses its read-only mode.
        if (platform::isReadOnly(status)) {
            result = folder.setChildFileMode(name, platform::withReadOnlyCleared(status.mode));
        }
        std::int64_t clusterSize = -1;
        if (!result && useClusterSize) {
            double freeBytes = 0;
            // The file's own file system: the drive that holds its blocks.
            clusterSize = GetClusterSize(path, freeBytes);
            if (clusterSize <= 0) {
                clusterSize = -1;
            }
        }
        if (const DeletionFaults faults = deletionFaults(); !result && faults.overwriteFile) {
            result = faults.overwriteFile(path);
        }
        if (!result) {
            result = platform::overwriteChildInPlace(folder, name, clusterSize);
        }
    }
    return result;
}

} // namespace kestrel
