#include "platform/FileSystem.h"

namespace kestrel::platform {

Result<std::vector<DirectoryEntry>> readDirectory(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    DirectoryReader reader(folder);
    DirectoryEntry entry;
    while (reader.next(entry))
        entries.push_back(entry);
    if (reader.error())
        return reader.error();
    return entries;
}

} // namespace kestrel::platform
