#include "platform/ReadAhead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::platform {

void prefetchFile(const DirectoryHandle& folder, const std::string& name, std::int64_t bytes) {
    // Never waits on a pipe put in the file's place.
    const int fd =
        ::openat(folder.nativeHandle(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (const ReadAheadSeam::Function seam = ReadAheadSeam::current())
        seam(name);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && bytes > 0)
        ::posix_fadvise(fd, 0, static_cast<off_t>(bytes), POSIX_FADV_WILLNEED);
    ::close(fd);
}

} // namespace kestrel::platform
