#include "platform/ReadAhead.h"

namespace kestrel::platform {

// Windows reads ahead within a file by itself; the next files and folders are not asked for here.
void prefetchFile(const DirectoryHandle&, const std::string& name, std::int64_t) {
    if (const ReadAheadSeam::Function seam = ReadAheadSeam::current())
        seam(name);
}

void prefetchFolder(const DirectoryHandle&, const std::string&, std::size_t, std::int64_t,
                    const std::function<bool()>&) {}

} // namespace kestrel::platform
