#include "setup/ExtraOptionsLines.h"

#include "platform/ErrorCodes.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace kestrel {

namespace {

constexpr const char* kRemoveDeleted = "remove-deleted";
constexpr const char* kMaxRemove = "max-remove";
constexpr const char* kKeepVersions = "keep-versions";
constexpr const char* kLinks = "links";
constexpr const char* kKeepAttributes = "keep-attributes";

std::string trimmed(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// A whole non-negative number no larger than `high`.
int readCount(const std::string& text, std::int64_t high, std::int64_t& value) {
    const std::string digits = trimmed(text);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return digits.size() > 1 && digits[0] == '-' &&
                       digits.find_first_not_of("0123456789", 1) == std::string::npos
                   ? 380
                   : platform::err::TypeMismatch;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || value > high)
        return 380;
    return 0;
}

int readSwitch(const std::string& text, bool& field) {
    std::int64_t value = 0;
    if (const int error = readCount(text, 1, value))
        return error;
    field = value == 1;
    return 0;
}

} // namespace

std::string FormatExtraOptions(const ExtraOptions& options, const std::string& lineEnd) {
    if (!options.AnySet())
        return {};
    std::string lines;
    const auto line = [&](const char* name, std::int64_t value) {
        lines += std::string(name) + "=" + std::to_string(value) + lineEnd;
    };
    line(kRemoveDeleted, options.bRemoveDeleted ? 1 : 0);
    line(kMaxRemove, options.lngMaxRemove);
    line(kKeepVersions, options.intKeepVersionsDays);
    line(kLinks, options.bCopyLinksAsLinks ? 1 : 0);
    line(kKeepAttributes, options.bKeepAttributes ? 1 : 0);
    return lines;
}

int ReadExtraOptionLine(const std::string& line, ExtraOptions& options) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
        return 0; // what follows the plain lines in a file of another kind is no option
    const std::string name = trimmed(line.substr(0, equals));
    const std::string value = line.substr(equals + 1);
    std::int64_t number = 0;
    if (name == kRemoveDeleted)
        return readSwitch(value, options.bRemoveDeleted);
    if (name == kLinks)
        return readSwitch(value, options.bCopyLinksAsLinks);
    if (name == kKeepAttributes)
        return readSwitch(value, options.bKeepAttributes);
    if (name == kMaxRemove) {
        const int error = readCount(value, std::numeric_limits<std::int32_t>::max(), number);
        if (error == 0)
            options.lngMaxRemove = static_cast<long>(number);
        return error;
    }
    if (name == kKeepVersions) {
        // Days up to about a hundred years.
        const int error = readCount(value, 36500, number);
        if (error == 0)
            options.intKeepVersionsDays = static_cast<int>(number);
        return error;
    }
    return 0;
}

} // namespace kestrel
