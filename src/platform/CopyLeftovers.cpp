// What a copy leaves in a folder of the target when its run is killed, and the run mark that
// tells of such a run: the same on every system, through the folder's handle.
#include "platform/DirectoryHandle.h"
#include "platform/FileCopy.h"
#include "platform/TemporaryCopyName.h"

#include <utility>
#include <vector>

namespace kestrel::platform {

bool hasRunMark(const DirectoryHandle& folder) {
    return folder.statChild(runMarkName()).isRegular();
}

void clearRunMark(const DirectoryHandle& root) {
    // Only the mark itself: whatever else took its name is not the run's to remove.
    if (hasRunMark(root))
        root.removeChild(runMarkName());
}

Result<int> removeLeftoverCopies(const DirectoryHandle& folder) {
    const Result<std::vector<DirectoryEntry>> entries = folder.readEntries();
    if (!entries.ok())
        return entries.error();
    Error failure;
    int removed = 0;
    const std::string mark = runMarkName();
    for (const DirectoryEntry& entry : entries.value()) {
        // A run mark stays: it belongs to the run that works in this folder's tree.
        if (entry.kind != EntryKind::Regular || !isTemporaryCopyName(entry.name) || entry.name == mark)
            continue;
        if (Error removal = folder.removeChild(entry.name); !removal)
            ++removed;
        else if (!failure)
            failure = std::move(removal);
    }
    if (failure)
        return failure;
    return removed;
}

} // namespace kestrel::platform
