#include "engine/VersionsRuns.h"

#include "engine/VersionsFolder.h"
#include "platform/DirectoryHandle.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace kestrel {

namespace {

std::string ReadableText(const std::string& name, const platform::LocalDateTime& m) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", m.year, m.month, m.day, m.hour,
                  m.minute, m.second);
    // A second run of the same second keeps its " (2)".
    const std::size_t dateLength = VersionsRunFolderName(m).size();
    return text + name.substr(std::min(dateLength, name.size()));
}

// The number a run folder made in the same second as another carries, " (2)" and on; 1 without.
int SameSecondNumber(const std::string& name, std::size_t dateLength) {
    int number = 1;
    if (name.size() > dateLength && std::sscanf(name.c_str() + dateLength, " (%d)", &number) != 1)
        number = 1;
    return number;
}

} // namespace

std::vector<VersionsRun> VersionsRunsOf(const std::string& target) {
    std::vector<VersionsRun> runs;
    const platform::Result<platform::DirectoryHandle> root = platform::DirectoryHandle::open(target);
    if (!root.ok())
        return runs;
    const platform::Result<platform::DirectoryHandle> versions = root.value().openChild(kVersionsFolderName);
    if (!versions.ok())
        return runs;
    const platform::Result<std::vector<platform::DirectoryEntry>> entries = versions.value().readEntries();
    if (!entries.ok())
        return runs;
    for (const platform::DirectoryEntry& entry : entries.value()) {
        platform::LocalDateTime moment;
        // The entry's own kind, a link never taken for the folder it leads to.
        if (!ParseVersionsRunFolderName(entry.name, moment) ||
            versions.value().statChild(entry.name).kind != platform::EntryKind::Directory)
            continue;
        runs.push_back({entry.name, moment, ReadableText(entry.name, moment)});
    }
    const auto key = [](const VersionsRun& run) {
        const platform::LocalDateTime& m = run.moment;
        return std::make_tuple(m.year, m.month, m.day, m.hour, m.minute, m.second,
                               SameSecondNumber(run.name, VersionsRunFolderName(m).size()), run.name);
    };
    std::sort(runs.begin(), runs.end(),
              [&key](const VersionsRun& a, const VersionsRun& b) { return key(a) > key(b); });
    return runs;
}

} // namespace kestrel
