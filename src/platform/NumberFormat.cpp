#include "platform/NumberFormat.h"

#include <atomic>
#include <locale>

namespace kestrel::platform {

namespace {

std::atomic<const NumberFormat*> overrideFormat{nullptr};

NumberFormat environmentFormat() {
    NumberFormat format;
    try {
        std::locale locale("");
        const auto& punct = std::use_facet<std::numpunct<char>>(locale);
        std::string grouping = punct.grouping();
        if (!grouping.empty() && grouping[0] > 0) {
            format.groupSize = grouping[0];
            format.thousandsSeparator = std::string(1, punct.thousands_sep());
            format.decimalSeparator = std::string(1, punct.decimal_point());
        }
    } catch (const std::exception&) {
        // An unknown locale name in the environment: keep "," and ".".
    }
    return format;
}

} // namespace

const NumberFormat& numberFormat() {
    if (const NumberFormat* f = overrideFormat.load())
        return *f;
    static const NumberFormat fromEnvironment = environmentFormat();
    return fromEnvironment;
}

void setNumberFormat(const NumberFormat* format) {
    overrideFormat.store(format);
}

} // namespace kestrel::platform
