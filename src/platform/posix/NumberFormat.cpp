#include "platform/NumberFormat.h"

#include <QLocale>
#include <QString>

namespace kestrel::platform {

namespace {

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

} // namespace

NumberFormat environmentNumberFormat() {
    return formatOf(QLocale::system());
}

NumberFormat numberFormatOfLocale(const std::string& localeName) {
    return formatOf(QLocale(QString::fromStdString(localeName)));
}

} // namespace kestrel::platform
