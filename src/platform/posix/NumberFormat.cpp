#include "platform/NumberFormat.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <atomic>
#include <vector>

namespace kestrel::platform {

namespace {

std::atomic<const NumberFormat*> overrideFormat{nullptr};

// The locale writes a long number with its separators; the digits between them are its group
// sizes (Qt knows the Indian 3-then-2 grouping and the minimum grouping digits).
NumberFormat formatOf(QLocale locale) {
    NumberFormat format;
    if (locale.language() == QLocale::C)
        return format;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    const QString separator = locale.groupSeparator();
    format.decimalSeparator = locale.decimalPoint().toStdString();
    if (separator.isEmpty()) {
        format.groupSize = 0;
        return format;
    }
    format.thousandsSeparator = separator.toStdString();

    const QStringList groups = locale.toString(Q_INT64_C(123456789012)).split(separator);
    if (groups.size() < 2) {
        format.groupSize = 0;
        return format;
    }
    format.groupSize = static_cast<int>(groups[groups.size() - 1].size());
    const int higher = static_cast<int>(groups[groups.size() - 2].size());
    format.higherGroupSize = groups.size() > 2 && higher != format.groupSize ? higher : 0;
    // The smallest grouped number tells how many digits the highest group needs.
    format.minimumGroupingDigits = 1;
    qint64 probe = 1;
    for (int i = 0; i < format.groupSize; ++i)
        probe *= 10;
    for (int digits = 1; digits <= 3; ++digits, probe *= 10) {
        if (locale.toString(probe).contains(separator))
            break;
        format.minimumGroupingDigits = digits + 1;
    }
    return format;
}

NumberFormat environmentFormat() {
    return formatOf(QLocale::system());
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

NumberFormat numberFormatOfLocale(const std::string& localeName) {
    return formatOf(QLocale(QString::fromStdString(localeName)));
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
