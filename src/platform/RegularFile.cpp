#include "platform/RegularFile.h"

#include <utility>

// What a file's handle owner does the same on every system; opening, reading, writing and
// closing are each system's own.
namespace kestrel::platform {

RegularFile::~RegularFile() {
    close();
}

RegularFile::RegularFile(RegularFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

} // namespace kestrel::platform
