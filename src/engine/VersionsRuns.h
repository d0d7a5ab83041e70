#pragma once

#include "platform/Clock.h"

#include <string>
#include <vector>

// The runs whose earlier copies a target's versions folder holds, as a restore offers them.
namespace kestrel {

struct VersionsRun {
    std::string name;               // the run folder's name, as a restore takes it
    platform::LocalDateTime moment; // when the run started
    std::string text;               // the name as a user reads it, "2026-12-11 14:05:09"
};

// The run folders of the versions folder of the target `target` (a folder the user chose, so
// a link in its own path is followed), newest first. Only real folders whose names are run
// names count: below the target no link is followed, neither the versions folder nor a run
// folder replaced by one. None when the target has no versions folder or it cannot be read.
std::vector<VersionsRun> VersionsRunsOf(const std::string& target);

} // namespace kestrel
