#include "platform/ReadAhead.h"

namespace kestrel::platform {

// Windows reads ahead within a file by itself; the next files are not asked for here.
void prefetchFile(const DirectoryHandle&, const std::string& name, std::int64_t) {
    if (const ReadAheadSeam::Function seam = ReadAheadSeam::current())
        seam(name);
}

} // namespace kestrel::platform
