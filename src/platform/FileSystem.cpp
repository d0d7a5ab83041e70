#include "platform/FileSystem.h"

namespace kestrel::platform {

bool readDirectory(const std::string& folder, std::vector<DirectoryEntry>& entries, Error& error) {
    entries.clear();
    DirectoryReader reader(folder);
    DirectoryEntry entry;
    while (reader.next(entry))
        entries.push_back(entry);
    error = reader.error();
    return !error;
}

} // namespace kestrel::platform
