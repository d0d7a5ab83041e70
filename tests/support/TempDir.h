#pragma once

#include <cstdint>
#include <string>

namespace kestrel::testing {

// A fresh folder below the system's temporary folder, removed with everything in it when the
// test ends. Paths given to its helpers are relative to it; `path()` ends in "/".
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + relative; }

    // Creates the file and any missing folders above it; `mtime` in seconds since 1970 (UTC)
    // when given.
    std::string createFile(const std::string& relative, const std::string& content = "",
                           std::int64_t mtime = -1) const;
    std::string createFolder(const std::string& relative) const;
    std::string readFile(const std::string& relative) const;
    bool exists(const std::string& relative) const;

private:
    std::string root_;
};

// Seconds since 1970 (UTC) of a calendar moment given in UTC.
std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second);

} // namespace kestrel::testing
