#include "platform/NumberFormat.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace kestrel::platform {

namespace {
std::atomic<const NumberFormat*> overrideFormat{nullptr};
}

const NumberFormat& numberFormat() {
    if (const NumberFormat* f = overrideFormat.load())
        return *f;
    static const NumberFormat fromEnvironment = environmentNumberFormat();
    return fromEnvironment;
}

void setNumberFormat(const NumberFormat* format) {
    overrideFormat.store(format);
}

std::string groupDigits(const std::string& digits, const NumberFormat& format) {
    if (format.groupSize <= 0)
        return digits;
    const std::size_t first = static_cast<std::size_t>(format.groupSize);
    const std::size_t higher =
        static_cast<std::size_t>(format.higherGroupSize > 0 ? format.higherGroupSize : format.groupSize);
    const std::size_t least = static_cast<std::size_t>(std::max(1, format.minimumGroupingDigits));
    if (digits.size() < first + least)
        return digits;
    // Group boundaries counted from the right: after `first` digits, then every `higher`.
    std::vector<std::size_t> cuts;
    for (std::size_t fromRight = first; fromRight < digits.size(); fromRight += higher)
        cuts.push_back(digits.size() - fromRight);
    std::string out;
    out.reserve(digits.size() + cuts.size() * format.thousandsSeparator.size());
    std::size_t next = cuts.size();
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (next > 0 && i == cuts[next - 1]) {
            out += format.thousandsSeparator;
            --next;
        }
        out += digits[i];
    }
    return out;
}

} // namespace kestrel::platform
