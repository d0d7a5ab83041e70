#pragma once

#include "platform/DirectoryHandle.h"
#include "report/Interaction.h"

#include <cstdint>
#include <string>

namespace kestrel {

struct RemovalCount {
    std::int64_t files = 0;
    std::int64_t folders = 0;
};

// Removes the entry `name` of `folder`: a file, a link itself (never what it leads to), or a
// folder with everything below it, each level opened from the one above without following a
// link. A read-only folder is made writable only when it is itself about to go, and gets its mode
// back when it stays. `path` names the entry for the report; on a failure `failedPath` names
// what could not be removed and the first error is returned (the rest is still tried).
platform::Error RemoveEntryWithContents(const platform::DirectoryHandle& folder, const std::string& name,
                                        const std::string& path, Interaction& ui, RemovalCount& count,
                                        std::string& failedPath);

} // namespace kestrel
