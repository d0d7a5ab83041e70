#include "platform/FileSystem.h"

#include <cstdio>

namespace kestrel::platform {

namespace {

const char kPartialPrefix[] = ".kestrel-partial-";
constexpr std::size_t kPartialPrefixLength = sizeof(kPartialPrefix) - 1;
constexpr std::size_t kPartialHashLength = 16;

#ifdef _WIN32
const char kSeparators[] = "/\\";
#else
const char kSeparators[] = "/";
#endif

} // namespace

std::string partialCopyPath(const std::string& target) {
    const std::size_t slash = target.find_last_of(kSeparators);
    std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a: short, fixed-length and stable
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char hex[kPartialHashLength + 1];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return folder + kPartialPrefix + hex;
}

bool isPartialCopyName(const std::string& name) {
    return name.size() == kPartialPrefixLength + kPartialHashLength &&
           name.compare(0, kPartialPrefixLength, kPartialPrefix) == 0;
}

} // namespace kestrel::platform
