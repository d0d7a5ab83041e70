#include "engine/TreeRemoval.h"

#include "engine/DeleteProcedures.h"
#include "platform/Path.h"

namespace kestrel {

platform::Error RemoveEntryWithContents(const platform::DirectoryHandle& folder, const std::string& name,
                                        const std::string& path, Interaction& ui, RemovalCount& count,
                                        std::string& failedPath) {
    const platform::FileStatus status = folder.statChild(name);
    if (!status.exists())
        return {};
    if (!status.isDirectory()) {
        if (DeleteFileWithRetry(folder, name, path, ui)) {
            ++count.files;
            return {};
        }
        failedPath = path;
        platform::Error error = folder.removeChild(name);
        return error ? error : platform::Error::of(platform::err::PathFileAccess);
    }

    platform::Result<platform::DirectoryHandle> opened = folder.openChild(name);
    if (!opened.ok()) {
        failedPath = path;
        return opened.error();
    }
    const platform::DirectoryHandle sub = std::move(opened).value();
    const platform::FileStatus own = sub.status();
    const bool madeWritable =
        platform::isReadOnly(own) && !sub.setMode(platform::withReadOnlyCleared(own.mode));
    platform::Result<std::vector<platform::DirectoryEntry>> read = sub.readEntries();
    platform::Error first = read.error();
    if (!read.ok())
        failedPath = path;
    const std::vector<platform::DirectoryEntry> entries = std::move(read).valueOr({});
    const std::string folderPath = platform::withFinalSeparator(path);
    for (const platform::DirectoryEntry& entry : entries) {
        std::string failed;
        const platform::Error inner =
            RemoveEntryWithContents(sub, entry.name, folderPath + entry.name, ui, count, failed);
        if (inner && !first) {
            first = inner;
            failedPath = failed;
        }
    }
    if (!first) {
        first = folder.removeChildFolder(name);
        if (!first) {
            ++count.folders;
            return {};
        }
        failedPath = folderPath;
    }
    if (madeWritable)
        sub.setMode(own.mode);
    return first;
}

} // namespace kestrel
