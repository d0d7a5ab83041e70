#include "platform/TemporaryCopyName.h"

#include "platform/FileCopy.h"

#include <cstdio>

namespace kestrel::platform {

namespace {

const char kTemporaryPrefix[] = ".kestrel-tmp-";
constexpr std::size_t kTemporaryPrefixLength = sizeof(kTemporaryPrefix) - 1;
constexpr std::size_t kRandomLength = 16;
constexpr std::size_t kCheckLength = 8;
// A character Windows file systems refuse in a name.
const char kNameProbeSuffix[] = ":";

std::uint32_t checkOf(const char* random) {
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a over a salt and the random part
    for (const char* p = "kestrel-copy"; *p != '\0'; ++p) {
        hash ^= static_cast<unsigned char>(*p);
        hash *= 1099511628211ull;
    }
    for (std::size_t i = 0; i < kRandomLength; ++i) {
        hash ^= static_cast<unsigned char>(random[i]);
        hash *= 1099511628211ull;
    }
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

bool isLowerHex(const std::string& text, std::size_t from, std::size_t length) {
    for (std::size_t i = from; i < from + length; ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace

std::string temporaryCopyNameOf(std::uint64_t random) {
    char hex[kRandomLength + 1];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(random));
    char check[kCheckLength + 1];
    std::snprintf(check, sizeof check, "%08x", static_cast<unsigned>(checkOf(hex)));
    return std::string(kTemporaryPrefix) + hex + "-" + check;
}

std::string runMarkName() {
    return temporaryCopyNameOf(0);
}

std::string nameProbeOf(const std::string& temporaryName) {
    return temporaryName + kNameProbeSuffix;
}

bool isTemporaryCopyName(const std::string& whole) {
    constexpr std::size_t length = kTemporaryPrefixLength + kRandomLength + 1 + kCheckLength;
    // The name probe of a run killed while it tried the target's names is swept like a copy.
    const bool probe = whole.size() == length + 1 && whole.back() == kNameProbeSuffix[0];
    const std::string name = probe ? whole.substr(0, length) : whole;
    if (name.size() != length || name.compare(0, kTemporaryPrefixLength, kTemporaryPrefix) != 0 ||
        name[kTemporaryPrefixLength + kRandomLength] != '-' ||
        !isLowerHex(name, kTemporaryPrefixLength, kRandomLength) ||
        !isLowerHex(name, kTemporaryPrefixLength + kRandomLength + 1, kCheckLength))
        return false;
    char check[kCheckLength + 1];
    std::snprintf(check, sizeof check, "%08x",
                  static_cast<unsigned>(checkOf(name.c_str() + kTemporaryPrefixLength)));
    return name.compare(kTemporaryPrefixLength + kRandomLength + 1, kCheckLength, check) == 0;
}

} // namespace kestrel::platform
